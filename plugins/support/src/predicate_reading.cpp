#include "orvane_plugins/predicate_reading.h"

#include <string>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;

namespace {

const char* const kPredicateNames[] = {"SimplePredicate", "CompoundPredicate",
                                       "SimpleSetPredicate", "True", "False"};

}  // namespace

bool IsPredicateElement(const xercesc::DOMElement* element, const ReadContext& context) {
  const std::string name = ElementName(element, context);
  for (const char* known : kPredicateNames) {
    if (name == known) return true;
  }
  return false;
}

Predicate* ReadPredicateChild(const xercesc::DOMElement* parent, ReadContext* context) {
  xercesc::DOMElement* found = nullptr;
  for (xercesc::DOMElement* child : ChildElements(parent)) {
    if (!IsPredicateElement(child, *context)) continue;
    if (found != nullptr) {
      throw OVException(OVException::kCodeStructure,
                        ElementName(parent, *context) + ": more than one predicate");
    }
    found = child;
  }
  if (found == nullptr) {
    throw OVException(OVException::kCodeAbsent,
                      ElementName(parent, *context) + ": predicate is absent");
  }
  return context->ReadPredicate(found);
}

}  // namespace orvane_plugins
