#include "orvane_plugins/xml_reading.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLString.hpp>

namespace orvane_plugins {

using MCOrvane_600::OVException;
using xercesc::DOMElement;
using xercesc::DOMNode;

std::string Utf8(const XMLCh* text) {
  if (text == nullptr || *text == 0) return std::string();
  xercesc::TranscodeToStr utf8(text, kDocumentCodePage);
  return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
}

std::string TagOf(const DOMElement* element) {
  return element == nullptr ? std::string() : Utf8(element->getTagName());
}

std::vector<DOMElement*> ChildElements(const DOMElement* parent) {
  std::vector<DOMElement*> out;
  for (DOMNode* n = parent->getFirstChild(); n != nullptr; n = n->getNextSibling()) {
    if (n->getNodeType() == DOMNode::ELEMENT_NODE) out.push_back(static_cast<DOMElement*>(n));
  }
  return out;
}

std::vector<DOMElement*> ChildElements(const DOMElement* parent, const char* tag) {
  std::vector<DOMElement*> out;
  for (DOMElement* e : ChildElements(parent)) {
    if (TagOf(e) == tag) out.push_back(e);
  }
  return out;
}

DOMElement* FirstChild(const DOMElement* parent, const char* tag) {
  for (DOMElement* e : ChildElements(parent)) {
    if (TagOf(e) == tag) return e;
  }
  return nullptr;
}

const XMLCh* RawAttr(const DOMElement* element, const char* name) {
  XMLCh* wide = xercesc::XMLString::transcode(name);
  const DOMNode* node = element->getAttributeNode(wide);
  xercesc::XMLString::release(&wide);
  return node == nullptr ? nullptr : node->getNodeValue();
}

bool HasAttr(const DOMElement* element, const char* name) {
  return RawAttr(element, name) != nullptr;
}

std::string Attr(const DOMElement* element, const char* name, const std::string& fallback) {
  const XMLCh* raw = RawAttr(element, name);
  return raw == nullptr ? fallback : Utf8(raw);
}

bool ParseNumber(const std::string& raw, double* value) {
  size_t b = raw.find_first_not_of(" \t\r\n");
  size_t e = raw.find_last_not_of(" \t\r\n");
  if (b == std::string::npos) return false;
  std::string text = raw.substr(b, e - b + 1);
  if (text == "INF" || text == "+INF") {
    *value = std::numeric_limits<double>::infinity();
    return true;
  }
  if (text == "-INF") {
    *value = -std::numeric_limits<double>::infinity();
    return true;
  }
  if (text == "NaN") {
    *value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  // Only decimal notation: no hexadecimal, no "inf"/"nan" spellings of strtod.
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')) {
      return false;
    }
  }
  char* end = nullptr;
  errno = 0;
  double x = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return false;
  *value = x;
  return true;
}

double NumberAttr(const DOMElement* element, const char* name, double fallback) {
  const XMLCh* raw = RawAttr(element, name);
  if (raw == nullptr) return fallback;
  double x = 0.0;
  std::string text = Utf8(raw);
  if (!ParseNumber(text, &x)) {
    throw Fault(element, OVException::kCodeConversion,
                std::string("attribute ") + name + " \"" + text + "\" is not a number");
  }
  return x;
}

std::string RequiredAttr(const DOMElement* element, const char* name) {
  const XMLCh* raw = RawAttr(element, name);
  if (raw == nullptr) {
    throw Fault(element, OVException::kCodeAbsent, std::string("attribute ") + name + " is missing");
  }
  return Utf8(raw);
}

OVException Fault(const DOMElement* element, OVException::ExceptionCode code,
                  const std::string& what) {
  return OVException(code, TagOf(element) + ": " + what);
}

OVException Unsupported(const DOMElement* element, const std::string& what) {
  return Fault(element, OVException::kCodeUnsupported, what);
}

}  // namespace orvane_plugins
