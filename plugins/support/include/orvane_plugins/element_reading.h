#ifndef ORVANE_PLUGINS_ELEMENT_READING_H_
#define ORVANE_PLUGINS_ELEMENT_READING_H_

// Reading a model element's attributes and children. Every fault is an
// OVException whose message names the element and the attribute.

#include <string>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane_plugins/xml_reading.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

class ReadContext;

// The first child element named `name`; null when there is none. Lent.
xercesc::DOMElement* ChildElement(const xercesc::DOMElement* parent, const char* name);

std::string ElementName(const xercesc::DOMElement* element, const ReadContext& context);
bool HasAttribute(const xercesc::DOMElement* element, const char* name);
// Empty when the attribute is absent.
std::string Attribute(const xercesc::DOMElement* element, const char* name,
                      const ReadContext& context);
// Code 4 (kCodeAbsent) when absent or empty.
std::string RequiredAttribute(const xercesc::DOMElement* element, const char* name,
                              const ReadContext& context);
// The number the attribute holds, `fallback` when it is absent; code 3
// (kCodeConversion) when its text is not a number.
double NumberAttribute(const xercesc::DOMElement* element, const char* name, double fallback,
                       const ReadContext& context);
// Code 4 when absent, code 3 when not a number.
double RequiredNumberAttribute(const xercesc::DOMElement* element, const char* name,
                               const ReadContext& context);
// The whole text content of an element.
std::string ElementText(const xercesc::DOMElement* element, const ReadContext& context);
// The numbers of a blank-separated list; false when an entry is no number.
bool ParseNumbers(const std::string& text, std::vector<double>* numbers);

// Code 5 (kCodeUnsupported) naming the child of `parent` whose name is not
// among `known` (a null-terminated list).
void RefuseUnknownChildren(const xercesc::DOMElement* parent, const char* const* known,
                           const ReadContext& context);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_ELEMENT_READING_H_
