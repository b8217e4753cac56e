#ifndef ORVANE_TRANSLATE_XML_NAMES_H_
#define ORVANE_TRANSLATE_XML_NAMES_H_

// Element and attribute names of the library as Xerces text, without a trip
// through the platform's transcoder for the usual ASCII names, and walks of a
// document tree in document order.

#include <cstddef>
#include <string>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMAttr;
class DOMElement;
class DOMNode;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {
namespace xml_internal {

// `name` (up to its first NUL) as XMLString::transcode makes it. An ASCII
// name that fits is widened into the object itself; any other goes through
// the transcoder, as before, and may then be null.
class WideName {
 public:
  explicit WideName(const char* name);
  ~WideName();
  WideName(const WideName&) = delete;
  WideName& operator=(const WideName&) = delete;

  // Lent; lives as long as the object.
  const XMLCh* get() const { return wide_; }

 private:
  static constexpr int kInlineSize = 64;

  XMLCh inline_[kInlineSize];
  XMLCh* wide_;
  // The transcoder's string, released with the object; null when inline.
  XMLCh* transcoded_ = nullptr;
};

// Whether `text` equals `name` transcoded, as XMLString::equals judges (a null
// text equals only an empty name). ASCII names are compared code unit by
// byte; any other is transcoded.
bool EqualsName(const XMLCh* text, const char* name);

// Throws code 4 "Node is missing --- " + name + " ---", the readers' word for
// an absent element.
[[noreturn]] void ThrowNodeMissing(const std::string& name);

// `node` as an element, or null when it is none (or null). Told by the
// node's type: a checked cast compares class names inside the runtime.
xercesc::DOMElement* AsElement(xercesc::DOMNode* node);
const xercesc::DOMElement* AsElement(const xercesc::DOMNode* node);

// The value getAttribute gives for a present attribute, read without the
// DOM's checked casts in the usual case of one text child.
const XMLCh* AttributeValue(const xercesc::DOMAttr* attribute);

// The nodes below `root` in document order, `root` itself excluded. Keeps
// the path from `root` down, so that climbing back needs no parent lookup
// (a checked cast inside the DOM). The tree must not change during the walk.
class SubtreeWalk {
 public:
  explicit SubtreeWalk(xercesc::DOMNode* root) : root_(root), node_(root) {}
  SubtreeWalk(const SubtreeWalk&) = delete;
  SubtreeWalk& operator=(const SubtreeWalk&) = delete;

  // The next node, or null past the last one.
  xercesc::DOMNode* Next();

 private:
  static constexpr size_t kInlineDepth = 32;

  void Push(xercesc::DOMNode* parent);
  xercesc::DOMNode* Pop();

  xercesc::DOMNode* const root_;
  // The node last returned; null once the walk is over.
  xercesc::DOMNode* node_;
  // The ancestors of `node_`, from `root_` down: the first kInlineDepth in
  // the object, deeper ones in `deep_parents_`.
  size_t depth_ = 0;
  xercesc::DOMNode* parents_[kInlineDepth];
  std::vector<xercesc::DOMNode*> deep_parents_;
};

// The elements named `tag` below `root`: the elements and the order of the
// DOM's getElementsByTagName on `root`, without its document-wide list cache.
class ElementsNamed {
 public:
  ElementsNamed(xercesc::DOMNode* root, const char* tag) : walk_(root), tag_(tag) {}
  ElementsNamed(const ElementsNamed&) = delete;
  ElementsNamed& operator=(const ElementsNamed&) = delete;

  // The next such element, or null past the last one.
  xercesc::DOMElement* Next();

 private:
  SubtreeWalk walk_;
  const WideName tag_;
};

}  // namespace xml_internal
}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_XML_NAMES_H_
