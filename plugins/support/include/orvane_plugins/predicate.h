#ifndef ORVANE_PLUGINS_PREDICATE_H_
#define ORVANE_PLUGINS_PREDICATE_H_

// PMML predicates (SimplePredicate, CompoundPredicate, SimpleSetPredicate,
// True, False) with three-valued logic: a comparison with a missing value is
// unknown, and "and", "or", "xor" and "surrogate" combine unknowns as PMML
// says. Read by the machinery (ReadContext::ReadPredicate) for trees,
// segmentations, rule sets and scorecards alike.

#include <memory>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane_plugins/model_algorithm.h"

namespace orvane_plugins {

// Whether `element` is one of the predicate elements.
bool IsPredicateElement(const xercesc::DOMElement* element);

// Reads the predicate element `element` over the fields of `context`. Throws
// OVException naming the element or attribute that cannot be evaluated (an
// unknown operator, a field that is not in scope, a value its field cannot
// take, an Array that is not closed).
std::unique_ptr<Predicate> ReadPredicateElement(xercesc::DOMElement* element,
                                                const ReadContext& context);

// Reads the one predicate child of `parent` through the machinery; the
// caller owns the result. Code 4 (kCodeAbsent) when `parent` has none, code 1
// (kCodeStructure) when it has more than one.
Predicate* ReadPredicateChild(const xercesc::DOMElement* parent, ReadContext* context);

// True only when the predicate is TRUE for the case: UNKNOWN does not fire.
inline bool Fires(const Predicate& predicate, const FieldValues& fields) {
  return predicate.Evaluate(fields) == Predicate::kTRUE;
}

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_PREDICATE_H_
