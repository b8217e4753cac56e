#ifndef ORVANE_TRANSLATE_PMML_TRANSFORMATION_DOM_H_
#define ORVANE_TRANSLATE_PMML_TRANSFORMATION_DOM_H_

// Small DOM helpers shared by the parts of the transformation reader.

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "orvane/translate/base_translator.h"

namespace MCOrvane_600 {
namespace pmml_transformation {

// Both return element nodes only, which the DOM makes DOMElements: the node
// type vouches for the cast, as it does inside the DOM itself.

// The first child element of `node`, or null. Lent.
inline xercesc::DOMElement* FirstChildElement(xercesc::DOMNode* node) {
  return static_cast<xercesc::DOMElement*>(BaseTranslator::GetFirstChildElt(node));
}

// The next sibling element of `node`, or null. Lent.
inline xercesc::DOMElement* NextElement(xercesc::DOMNode* node) {
  return static_cast<xercesc::DOMElement*>(BaseTranslator::GetNextSiblingElt(node));
}

inline bool IsNamed(const xercesc::DOMElement* element, const char* tag) {
  return BaseTranslator::IsEqual(element->getTagName(), tag);
}

// Attributes count as absent when missing or empty.
inline bool HasText(const XMLCh* text) { return text != nullptr && *text != 0; }

}  // namespace pmml_transformation
}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_PMML_TRANSFORMATION_DOM_H_
