#ifndef ORVANE_PLUGINS_PREDICATE_READING_H_
#define ORVANE_PLUGINS_PREDICATE_READING_H_

// The predicate that gates an element (a rule, a scorecard attribute, a
// tree node): its one child among the predicate elements.

#include <xercesc/util/XercesDefs.hpp>

#include "orvane_plugins/model_algorithm.h"

namespace orvane_plugins {

// True when `element` is one of SimplePredicate, CompoundPredicate,
// SimpleSetPredicate, True, False.
bool IsPredicateElement(const xercesc::DOMElement* element, const ReadContext& context);

// Reads the predicate child of `parent` through the machinery; the caller
// owns the result. Code 4 (kCodeAbsent) when `parent` has none, code 1
// (kCodeStructure) when it has more than one.
Predicate* ReadPredicateChild(const xercesc::DOMElement* parent, ReadContext* context);

// True only when the predicate is TRUE for the case: UNKNOWN does not fire.
inline bool Fires(const Predicate& predicate, const FieldValues& fields) {
  return predicate.Evaluate(fields) == Predicate::kTRUE;
}

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_PREDICATE_READING_H_
