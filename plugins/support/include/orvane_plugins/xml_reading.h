#ifndef ORVANE_PLUGINS_XML_READING_H_
#define ORVANE_PLUGINS_XML_READING_H_

// Small reading helpers shared by the support library and the model-type
// plug-ins: element children, attribute texts as UTF-8, and numbers whose
// failures name the element and attribute.

#include <string>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane/values/ov_exception.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
class DOMNode;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

// The one code page of every text the plug-ins take from a document (names,
// categories, predicate constants, ReadContext::Text) and of the values the
// translator makes: cases and results are compared and written in it.
constexpr const char kDocumentCodePage[] = "UTF-8";
// A document text in kDocumentCodePage; empty for null.
std::string Utf8(const XMLCh* text);
std::string TagOf(const xercesc::DOMElement* element);
// The child elements of `parent` in document order (all, or those named `tag`).
std::vector<xercesc::DOMElement*> ChildElements(const xercesc::DOMElement* parent);
std::vector<xercesc::DOMElement*> ChildElements(const xercesc::DOMElement* parent,
                                                const char* tag);
// The first element child of `parent`, and the element after `element`
// among its siblings; null when there is none. Lent.
xercesc::DOMElement* FirstChildElement(const xercesc::DOMElement* parent);
xercesc::DOMElement* NextElement(const xercesc::DOMElement* element);

// The child elements of `parent` in document order, walked in place:
// `for (DOMElement* child : Children(parent))`.
class Children {
 public:
  class Iterator {
   public:
    explicit Iterator(xercesc::DOMElement* at) : at_(at) {}
    xercesc::DOMElement* operator*() const { return at_; }
    Iterator& operator++() {
      at_ = NextElement(at_);
      return *this;
    }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    xercesc::DOMElement* at_;
  };

  explicit Children(const xercesc::DOMElement* parent) : parent_(parent) {}
  Iterator begin() const { return Iterator(FirstChildElement(parent_)); }
  Iterator end() const { return Iterator(nullptr); }

 private:
  const xercesc::DOMElement* parent_;
};

// Whether `element` is named `tag`.
bool HasTag(const xercesc::DOMElement* element, const char* tag);
// The first child element named `tag`, or null.
xercesc::DOMElement* FirstChild(const xercesc::DOMElement* parent, const char* tag);

// The text of `node`'s one child when that child is a text node, lent by the
// document; else null. An attribute's or a simple element's text nearly always
// is, and reading it so spares the DOM's own lookup a checked cast.
const XMLCh* LoneText(const xercesc::DOMNode* node);
// The attribute's own text, lent by the document; null when absent.
const XMLCh* RawAttr(const xercesc::DOMElement* element, const char* name);
bool HasAttr(const xercesc::DOMElement* element, const char* name);
// The attribute's text; `fallback` when the attribute is absent.
std::string Attr(const xercesc::DOMElement* element, const char* name,
                 const std::string& fallback = std::string());
// The attribute as a number (PMML's double syntax, INF and NaN included);
// `fallback` when absent. Throws code 3 naming element and attribute when the
// text is no number.
double NumberAttr(const xercesc::DOMElement* element, const char* name, double fallback);
// The number of the attribute `name` of `element` whose text is `raw` (not
// null); throws as NumberAttr does.
double AttrNumber(const xercesc::DOMElement* element, const char* name, const XMLCh* raw);
// Throws code 4 naming element and attribute when absent.
std::string RequiredAttr(const xercesc::DOMElement* element, const char* name);
// A whole text as a number, or false.
bool ParseNumber(const std::string& text, double* value);
bool ParseNumber(const XMLCh* text, double* value);

// An OVException of code 5 ("<Element>: <what>"): the document holds
// something the plug-ins cannot score.
MCOrvane_600::OVException Unsupported(const xercesc::DOMElement* element, const std::string& what);
// An OVException of `code` whose message starts with the element's name.
MCOrvane_600::OVException Fault(const xercesc::DOMElement* element,
                                MCOrvane_600::OVException::ExceptionCode code,
                                const std::string& what);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_XML_READING_H_
