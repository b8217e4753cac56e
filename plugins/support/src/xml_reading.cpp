#include "orvane_plugins/xml_reading.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/translate/base_translator.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;
using xercesc::DOMAttr;
using xercesc::DOMElement;
using xercesc::DOMNode;

namespace {

bool IsAscii(const char* name) {
  for (; *name != 0; ++name) {
    if (static_cast<unsigned char>(*name) >= 0x80) return false;
  }
  return true;
}

// Whether `wide` is the ASCII `name`.
bool SameName(const XMLCh* wide, const char* name) {
  for (; *name != 0; ++wide, ++name) {
    if (*wide != static_cast<unsigned char>(*name)) return false;
  }
  return *wide == 0;
}

const XMLCh* ValueOf(const DOMAttr* attribute) {
  if (attribute == nullptr) return nullptr;
  const XMLCh* text = LoneText(attribute);
  return text != nullptr ? text : attribute->getValue();
}

}  // namespace

const XMLCh* LoneText(const DOMNode* node) {
  const DOMNode* first = node->getFirstChild();
  const bool lone = first != nullptr && first->getNextSibling() == nullptr &&
                    first->getNodeType() == DOMNode::TEXT_NODE;
  return lone ? first->getNodeValue() : nullptr;
}

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

// The library's element walk; its node type check vouches for the casts.
DOMElement* FirstChildElement(const DOMElement* parent) {
  return static_cast<DOMElement*>(
      MCOrvane_600::BaseTranslator::GetFirstChildElt(const_cast<DOMElement*>(parent)));
}

DOMElement* NextElement(const DOMElement* element) {
  return static_cast<DOMElement*>(
      MCOrvane_600::BaseTranslator::GetNextSiblingElt(const_cast<DOMElement*>(element)));
}

bool HasTag(const DOMElement* element, const char* tag) {
  // While `tag` is ASCII, the first difference decides: a tag character past
  // ASCII is a different first byte in UTF-8.
  const XMLCh* name = element->getTagName();
  for (size_t i = 0;; ++i) {
    const unsigned char c = static_cast<unsigned char>(tag[i]);
    if (c >= 0x80) return TagOf(element) == tag;
    if (name[i] != c) return false;
    if (c == 0) return true;
  }
}

std::vector<DOMElement*> ChildElements(const DOMElement* parent) {
  std::vector<DOMElement*> out;
  for (DOMElement* child : Children(parent)) out.push_back(child);
  return out;
}

std::vector<DOMElement*> ChildElements(const DOMElement* parent, const char* tag) {
  std::vector<DOMElement*> out;
  for (DOMElement* child : Children(parent)) {
    if (HasTag(child, tag)) out.push_back(child);
  }
  return out;
}

DOMElement* FirstChild(const DOMElement* parent, const char* tag) {
  for (DOMElement* child : Children(parent)) {
    if (HasTag(child, tag)) return child;
  }
  return nullptr;
}

const XMLCh* RawAttr(const DOMElement* element, const char* name) {
  if (IsAscii(name)) {
    // Compared with each attribute's name in place, as the element's own
    // lookup compares them, without widening the name first.
    const xercesc::DOMNamedNodeMap* attributes = element->getAttributes();
    const XMLSize_t count = attributes == nullptr ? 0 : attributes->getLength();
    for (XMLSize_t i = 0; i < count; ++i) {
      const DOMNode* attribute = attributes->item(i);
      if (SameName(attribute->getNodeName(), name)) {
        // An element's attribute map holds attributes only.
        return ValueOf(static_cast<const DOMAttr*>(attribute));
      }
    }
    return nullptr;
  }
  XMLCh* wide = xercesc::XMLString::transcode(name);
  const DOMAttr* node = element->getAttributeNode(wide);
  xercesc::XMLString::release(&wide);
  return ValueOf(node);
}

bool HasAttr(const DOMElement* element, const char* name) {
  return RawAttr(element, name) != nullptr;
}

std::string Attr(const DOMElement* element, const char* name, const std::string& fallback) {
  const XMLCh* raw = RawAttr(element, name);
  return raw == nullptr ? fallback : Utf8(raw);
}

namespace {

bool IsLayout(unsigned c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The double syntax over `text[0, size)`, trimmed, whose character after the
// end is layout or NUL (so strtod stops there): INF, +INF, -INF, NaN, or
// decimal notation only (no hexadecimal, no "inf"/"nan" spellings of strtod).
bool ParseTrimmed(const char* text, size_t size, double* value) {
  const auto is = [&](const char* word) {
    return std::strlen(word) == size && std::memcmp(text, word, size) == 0;
  };
  if (is("INF") || is("+INF")) {
    *value = std::numeric_limits<double>::infinity();
    return true;
  }
  if (is("-INF")) {
    *value = -std::numeric_limits<double>::infinity();
    return true;
  }
  if (is("NaN")) {
    *value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  for (size_t i = 0; i < size; ++i) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')) {
      return false;
    }
  }
  // from_chars reads what strtod reads, rounded alike, in a fraction of its
  // time; it refuses a '+', and what it does not read whole (range errors
  // included) goes to strtod.
  const char* first = text;
  const char* last = text + size;
  if (*first == '+' && size > 1 && first[1] != '-') ++first;
  double x = 0.0;
  const std::from_chars_result fast = std::from_chars(first, last, x);
  if (fast.ec == std::errc() && fast.ptr == last) {
    *value = x;
    return true;
  }
  char* end = nullptr;
  errno = 0;
  x = std::strtod(text, &end);
  if (end != last) return false;
  *value = x;
  return true;
}

}  // namespace

bool ParseNumber(const std::string& raw, double* value) {
  size_t b = raw.find_first_not_of(" \t\r\n");
  size_t e = raw.find_last_not_of(" \t\r\n");
  if (b == std::string::npos) return false;
  return ParseTrimmed(raw.c_str() + b, e - b + 1, value);
}

bool ParseNumber(const XMLCh* raw, double* value) {
  const XMLCh* b = raw;
  while (IsLayout(*b)) ++b;
  if (*b == 0) return false;
  const XMLCh* e = b;
  for (const XMLCh* c = b; *c != 0; ++c) {
    if (!IsLayout(*c)) e = c + 1;
  }
  // A number's characters are ASCII; longer texts than this are no number
  // the syntax has a use for, and are read through a copy.
  constexpr size_t kShortNumber = 64;
  const size_t size = static_cast<size_t>(e - b);
  char narrow[kShortNumber];
  std::string long_text;
  char* out = narrow;
  if (size >= kShortNumber) {
    long_text.resize(size);
    out = &long_text[0];
  }
  for (size_t i = 0; i < size; ++i) {
    if (b[i] >= 0x80) return false;
    out[i] = static_cast<char>(b[i]);
  }
  if (out == narrow) narrow[size] = 0;
  return ParseTrimmed(out, size, value);
}

double NumberAttr(const DOMElement* element, const char* name, double fallback) {
  const XMLCh* raw = RawAttr(element, name);
  return raw == nullptr ? fallback : AttrNumber(element, name, raw);
}

double AttrNumber(const DOMElement* element, const char* name, const XMLCh* raw) {
  double x = 0.0;
  if (!ParseNumber(raw, &x)) {
    throw Fault(element, OVException::kCodeConversion,
                std::string("attribute ") + name + " \"" + Utf8(raw) + "\" is not a number");
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
