#include "translate/xml_names.h"

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "orvane/values/ov_exception.h"

namespace MCOrvane_600 {
namespace xml_internal {

namespace {

using xercesc::DOMNode;
using xercesc::XMLString;

bool IsAscii(const char* name) {
  for (const char* c = name; *c != 0; ++c) {
    if (static_cast<unsigned char>(*c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

WideName::WideName(const char* name) : wide_(inline_) {
  int length = 0;
  while (length < kInlineSize && name[length] != 0) {
    const unsigned char c = static_cast<unsigned char>(name[length]);
    if (c >= 0x80) break;
    inline_[length] = c;
    ++length;
  }
  if (length < kInlineSize && name[length] == 0) {
    inline_[length] = 0;
    return;
  }
  transcoded_ = XMLString::transcode(name);
  wide_ = transcoded_;
}

WideName::~WideName() {
  if (transcoded_ != nullptr) XMLString::release(&transcoded_);
}

bool EqualsName(const XMLCh* text, const char* name) {
  if (text != nullptr && *text != 0) {
    // While the name is ASCII its transcoding is the same code units (or the
    // transcoding fails, and a failed one equals only an empty text), so the
    // first difference decides.
    for (size_t i = 0;; ++i) {
      const unsigned char c = static_cast<unsigned char>(name[i]);
      if (c >= 0x80) break;
      if (text[i] != c) return false;
      if (c == 0) return true;
    }
  } else if (IsAscii(name)) {
    return *name == 0;
  }
  const WideName wide(name);
  return XMLString::equals(wide.get(), text);
}

void ThrowNodeMissing(const std::string& name) {
  throw OVException(OVException::kCodeAbsent, "Node is missing --- " + name + " ---");
}

xercesc::DOMElement* AsElement(xercesc::DOMNode* node) {
  const bool element = node != nullptr && node->getNodeType() == xercesc::DOMNode::ELEMENT_NODE;
  return element ? static_cast<xercesc::DOMElement*>(node) : nullptr;
}

const xercesc::DOMElement* AsElement(const xercesc::DOMNode* node) {
  return AsElement(const_cast<xercesc::DOMNode*>(node));
}

const XMLCh* AttributeValue(const xercesc::DOMAttr* attribute) {
  const DOMNode* first = attribute->getFirstChild();
  if (first == nullptr) return xercesc::XMLUni::fgZeroLenString;
  if (first->getNextSibling() == nullptr && first->getNodeType() == DOMNode::TEXT_NODE) {
    return first->getNodeValue();
  }
  return attribute->getValue();
}

void SubtreeWalk::Push(DOMNode* parent) {
  if (depth_ < kInlineDepth) {
    parents_[depth_] = parent;
  } else {
    deep_parents_.push_back(parent);
  }
  ++depth_;
}

DOMNode* SubtreeWalk::Pop() {
  --depth_;
  if (depth_ < kInlineDepth) return parents_[depth_];
  DOMNode* parent = deep_parents_.back();
  deep_parents_.pop_back();
  return parent;
}

DOMNode* SubtreeWalk::Next() {
  if (node_ == nullptr) return nullptr;
  DOMNode* child = node_->getFirstChild();
  if (child != nullptr) {
    Push(node_);
    node_ = child;
    return node_;
  }
  while (node_ != root_) {
    DOMNode* sibling = node_->getNextSibling();
    if (sibling != nullptr) {
      node_ = sibling;
      return node_;
    }
    node_ = Pop();
  }
  node_ = nullptr;
  return nullptr;
}

xercesc::DOMElement* ElementsNamed::Next() {
  for (DOMNode* node = walk_.Next(); node != nullptr; node = walk_.Next()) {
    if (node->getNodeType() != DOMNode::ELEMENT_NODE) continue;
    // The node type vouches for the cast, as it does inside the DOM itself.
    xercesc::DOMElement* element = static_cast<xercesc::DOMElement*>(node);
    if (XMLString::equals(element->getTagName(), tag_.get())) return element;
  }
  return nullptr;
}

}  // namespace xml_internal
}  // namespace MCOrvane_600
