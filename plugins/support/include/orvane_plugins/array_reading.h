#ifndef ORVANE_PLUGINS_ARRAY_READING_H_
#define ORVANE_PLUGINS_ARRAY_READING_H_

// PMML's arrays: Array (real, int or string entries), REAL-SparseArray and
// INT-SparseArray. Every fault is an OVException naming the element.

#include <string>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

class ReadContext;

// The entries of an Array as the document writes them: blank-separated,
// a double-quoted entry may hold blanks (\" is a quote inside it). Code 12
// (kCodeCount) when the attribute n disagrees with the number of entries,
// code 6 when a quoted entry is not closed.
std::vector<std::string> ReadArrayTexts(const xercesc::DOMElement* array,
                                        const ReadContext& context);

// The numbers of an Array, a REAL-SparseArray or an INT-SparseArray (the
// entries a sparse array leaves out are its defaultValue, 0 unless given).
// Code 3 when an entry is no number, code 12 when the counts disagree or an
// index lies outside 1..n, code 5 for another element.
std::vector<double> ReadNumberArray(const xercesc::DOMElement* array, const ReadContext& context);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_ARRAY_READING_H_
