#include "orvane_plugins/element_reading.h"

#include <charconv>
#include <cstring>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/model_algorithm.h"

namespace orvane_plugins {

namespace {

using MCOrvane_600::OVException;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }


}  // namespace

xercesc::DOMElement* ChildElement(const xercesc::DOMElement* parent, const char* name) {
  return FirstChild(parent, name);
}

std::string ElementName(const xercesc::DOMElement* element, const ReadContext& context) {
  return context.Text(element->getTagName());
}

bool HasAttribute(const xercesc::DOMElement* element, const char* name) {
  return HasAttr(element, name);
}

std::string Attribute(const xercesc::DOMElement* element, const char* name,
                      const ReadContext& context) {
  const XMLCh* value = RawAttr(element, name);
  return value == nullptr ? std::string() : context.Text(value);
}

std::string RequiredAttribute(const xercesc::DOMElement* element, const char* name,
                              const ReadContext& context) {
  std::string value = Attribute(element, name, context);
  if (value.empty()) {
    throw OVException(OVException::kCodeAbsent,
                      ElementName(element, context) + ": attribute " + name + " is absent");
  }
  return value;
}

double NumberAttribute(const xercesc::DOMElement* element, const char* name, double fallback,
                       const ReadContext&) {
  return NumberAttr(element, name, fallback);
}

double RequiredNumberAttribute(const xercesc::DOMElement* element, const char* name,
                               const ReadContext& context) {
  const XMLCh* raw = RawAttr(element, name);
  if (raw == nullptr) RequiredAttribute(element, name, context);  // throws
  return AttrNumber(element, name, raw);
}

std::string ElementText(const xercesc::DOMElement* element, const ReadContext& context) {
  if (const XMLCh* lone = LoneText(element)) return context.Text(lone);
  const XMLCh* text = element->getTextContent();
  return text == nullptr ? std::string() : context.Text(text);
}

bool ParseNumbers(const std::string& text, std::vector<double>* numbers) {
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos == text.size()) break;
    size_t end = pos;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    double number = 0.0;
    if (!ParseNumber(text.substr(pos, end - pos), &number)) return false;
    numbers->push_back(number);
    pos = end;
  }
  return true;
}

void RefuseUnknownChildren(const xercesc::DOMElement* parent, const char* const* known,
                           const ReadContext& context) {
  for (xercesc::DOMElement* child : Children(parent)) {
    bool found = false;
    for (const char* const* name = known; *name != nullptr && !found; ++name) {
      found = HasTag(child, *name);
    }
    if (!found) {
      throw OVException(OVException::kCodeUnsupported,
                        ElementName(child, context) + " in " + ElementName(parent, context) +
                            " is not supported");
    }
  }
}

}  // namespace orvane_plugins
