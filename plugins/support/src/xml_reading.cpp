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

namespace {

// The names and most texts of a document are ASCII, which reads the same in
// every code page the transcoder knows: such texts are copied as they are.
constexpr size_t kShortName = 64;

// `name` (ASCII, shorter than kShortName) into `wide`; false otherwise.
bool WidenAscii(const char* name, XMLCh* wide) {
  size_t i = 0;
  for (; name[i] != 0; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80 || i + 1 >= kShortName) return false;
    wide[i] = c;
  }
  wide[i] = 0;
  return true;
}

bool SameName(const XMLCh* wide, const char* name) {
  for (; *name != 0; ++wide, ++name) {
    if (*wide != static_cast<unsigned char>(*name)) return false;
  }
  return *wide == 0;
}

}  // namespace

std::string Utf8(const XMLCh* text) {
  if (text == nullptr || *text == 0) return std::string();
  size_t length = 0;
  while (text[length] != 0 && text[length] < 0x80) ++length;
  if (text[length] == 0) return std::string(text, text + length);
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

bool HasTag(const DOMElement* element, const char* tag) {
  XMLCh wide[kShortName];
  if (WidenAscii(tag, wide)) return SameName(element->getTagName(), tag);
  return TagOf(element) == tag;
}

std::vector<DOMElement*> ChildElements(const DOMElement* parent, const char* tag) {
  std::vector<DOMElement*> out;
  for (DOMNode* n = parent->getFirstChild(); n != nullptr; n = n->getNextSibling()) {
    if (n->getNodeType() != DOMNode::ELEMENT_NODE) continue;
    auto* e = static_cast<DOMElement*>(n);
    if (HasTag(e, tag)) out.push_back(e);
  }
  return out;
}

DOMElement* FirstChild(const DOMElement* parent, const char* tag) {
  for (DOMNode* n = parent->getFirstChild(); n != nullptr; n = n->getNextSibling()) {
    if (n->getNodeType() != DOMNode::ELEMENT_NODE) continue;
    auto* e = static_cast<DOMElement*>(n);
    if (HasTag(e, tag)) return e;
  }
  return nullptr;
}

const XMLCh* RawAttr(const DOMElement* element, const char* name) {
  XMLCh local[kShortName];
  if (WidenAscii(name, local)) {
    const DOMNode* node = element->getAttributeNode(local);
    return node == nullptr ? nullptr : node->getNodeValue();
  }
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
