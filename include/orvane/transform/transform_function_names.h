#ifndef ORVANE_TRANSFORM_TRANSFORM_FUNCTION_NAMES_H_
#define ORVANE_TRANSFORM_TRANSFORM_FUNCTION_NAMES_H_

#include <map>
#include <string>

#include "orvane/transform/transformation_dictionary.h"

namespace MCOrvane_600 {

// Document name of a built-in function to its code, in byte-wise name order.
typedef std::map<std::string, TransformationDictionary::TransformFunction> TransformFunctionMap;

// Fills `table` with the 64 document names of the built-in functions: one for
// each code below kFN_NONE, plus the alternative names "lg10", "avg" and
// "trimend". A table that already has entries is left as it is.
void FillTransformFunctionMap(TransformFunctionMap* table);

// The code of the document name `name`, matched exactly (case-sensitive);
// kFN_NONE when `table` does not hold it.
TransformationDictionary::TransformFunction FindTransformFunction(const TransformFunctionMap& table,
                                                                  const std::string& name);

// The first document name of `function` ("log10" for kFN_LOG10, "mean" for
// kFN_MEAN); empty for kFN_NONE and for values that are no code.
std::string GetTransformFunctionName(TransformationDictionary::TransformFunction function);

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSFORM_TRANSFORM_FUNCTION_NAMES_H_
