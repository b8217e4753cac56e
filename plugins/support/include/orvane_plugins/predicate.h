#ifndef ORVANE_PLUGINS_PREDICATE_H_
#define ORVANE_PLUGINS_PREDICATE_H_

// PMML predicates (SimplePredicate, CompoundPredicate, SimpleSetPredicate,
// True, False) with three-valued logic: a comparison with a missing value is
// unknown, and "and", "or", "xor" and "surrogate" combine unknowns as PMML
// says. Used by trees, segmentations and rule sets alike.

#include <memory>
#include <string>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane_plugins/model_algorithm.h"

namespace orvane_plugins {

enum class Truth { kFalse, kTrue, kUnknown };

class Predicate {
 public:
  virtual ~Predicate() = default;
  virtual Truth Evaluate(const FieldValues& fields) const = 0;
  // The field a SimplePredicate tests; empty for every other kind.
  virtual std::string SimpleField() const { return std::string(); }
};

// Whether `element` is one of the predicate elements.
bool IsPredicateElement(const xercesc::DOMElement* element);

// Reads the predicate element `element`; the caller owns the result. Throws
// OVException naming the element or attribute that cannot be evaluated (an
// unknown operator, a field that is not in scope, a value its field cannot
// take, an Array that is not closed).
std::unique_ptr<Predicate> ReadPredicate(xercesc::DOMElement* element, ReadContext* context);

// The first predicate child of `parent`; throws OVException naming `what`
// when there is none.
std::unique_ptr<Predicate> ReadChildPredicate(xercesc::DOMElement* parent, ReadContext* context,
                                              const char* what);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_PREDICATE_H_
