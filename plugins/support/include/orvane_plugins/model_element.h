#ifndef ORVANE_PLUGINS_MODEL_ELEMENT_H_
#define ORVANE_PLUGINS_MODEL_ELEMENT_H_

// What every model element's reader checks first.

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

class ReadContext;

// The advice of a case that the model leaves without a score.
constexpr int kAdviceMissingScore = 103;

// Code 5 (kCodeUnsupported) for a child of `model` not among `children` (a
// null-terminated list) and for a functionName other than `function`; code 4
// when functionName is absent.
void CheckModelElement(const xercesc::DOMElement* model, const char* const* children,
                       const char* function, const ReadContext& context);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_MODEL_ELEMENT_H_
