#ifndef ORVANE_PLUGINS_PREDICATE_H_
#define ORVANE_PLUGINS_PREDICATE_H_

// PMML predicates (SimplePredicate, CompoundPredicate, SimpleSetPredicate,
// True, False) with three-valued logic: a comparison with a missing value is
// unknown, and "and", "or", "xor" and "surrogate" combine unknowns as PMML
// says. Read by the machinery (ReadContext::ReadPredicate) for trees,
// segmentations, rule sets and scorecards alike.

#include <cstdint>
#include <memory>
#include <vector>

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

// Predicates compiled for plain cases (PlainLayout): no value is missing
// there, so every test is true or false, over a number or a category's
// position.
class PlainTests {
 public:
  enum class Op : std::uint8_t { kTrue, kFalse, kLess, kLessOrEqual, kGreater, kGreaterOrEqual,
                                 kEqual, kNotEqual, kNumberIn, kNumberNotIn, kCategoryIn, kAnd,
                                 kOr, kXor, kFirst };
  // Each adds a test and gives its number.
  int Constant(bool value) { return Add({value ? Op::kTrue : Op::kFalse, 0, 0.0, 0, 0}); }
  // `op` from kLess to kNotEqual: the slot's number against `number`.
  int Compare(Op op, int slot, double number) { return Add({op, slot, number, 0, 0}); }
  int Numbers(bool is_in, int slot, const std::vector<double>& set);
  // True for the slot's category k when `holds[k]`.
  int Categories(int slot, const std::vector<bool>& holds);
  // `op` kAnd, kOr, kXor, or kFirst (the first part's truth: a surrogate's,
  // as none is unknown).
  int Combine(Op op, const std::vector<int>& parts);

  // True for every case (a True predicate).
  bool Always(int test) const { return tests_[test].op == Op::kTrue; }
  // True or false for every case (a True or False predicate).
  bool IsConstant(int test) const {
    return tests_[test].op == Op::kTrue || tests_[test].op == Op::kFalse;
  }

  // A test as a compiled tree keeps it beside its node's other tests: a
  // number's comparison as the closed range [lo, hi] (a strict end moved to
  // the next double), a category's membership as its bits, any other test
  // by its number.
  struct Flat {
    enum Kind : std::uint8_t { kRange, kCategory, kOther };
    Kind kind;
    int slot;
    int index;  // kCategory: where its bits start; kOther: the test
    int count;  // kCategory: how many categories its slot has
    double lo;
    double hi;
  };
  Flat Flatten(int test) const;
  // A kCategory test's answer for category `k` of its slot (k < count).
  bool HoldsCategory(const Flat& f, unsigned k) const { return Bit(f.index, k); }
  bool Holds(const Flat& f, const PlainCase& c) const {
    if (f.kind == Flat::kRange) {
      const double x = c.numbers[f.slot];
      return (x >= f.lo) & (x <= f.hi);
    }
    if (f.kind == Flat::kCategory) {
      return HoldsCategory(f, static_cast<unsigned>(c.categories[f.slot]));
    }
    return Holds(f.index, c);
  }
  bool Holds(int test, const PlainCase& c) const {
    const Test& t = tests_[test];
    switch (t.op) {
      case Op::kTrue: return true;
      case Op::kFalse: return false;
      case Op::kLess: return c.numbers[t.slot] < t.number;
      case Op::kLessOrEqual: return c.numbers[t.slot] <= t.number;
      case Op::kGreater: return c.numbers[t.slot] > t.number;
      case Op::kGreaterOrEqual: return c.numbers[t.slot] >= t.number;
      case Op::kEqual: return c.numbers[t.slot] == t.number;
      case Op::kNotEqual: return !(c.numbers[t.slot] == t.number);
      case Op::kNumberIn:
      case Op::kNumberNotIn: {
        const double x = c.numbers[t.slot];
        bool found = false;
        for (int i = 0; i < t.count && !found; ++i) found = numbers_[t.first + i] == x;
        return found == (t.op == Op::kNumberIn);
      }
      case Op::kCategoryIn: return Bit(t.first, static_cast<unsigned>(c.categories[t.slot]));
      case Op::kAnd:
        for (int i = 0; i < t.count; ++i) {
          if (!Holds(parts_[t.first + i], c)) return false;
        }
        return true;
      case Op::kOr:
        for (int i = 0; i < t.count; ++i) {
          if (Holds(parts_[t.first + i], c)) return true;
        }
        return false;
      case Op::kXor: {
        bool odd = false;
        for (int i = 0; i < t.count; ++i) odd ^= Holds(parts_[t.first + i], c);
        return odd;
      }
      case Op::kFirst: return Holds(parts_[t.first], c);
    }
    return false;
  }

 private:
  struct Test {
    Op op;
    int slot;
    double number;
    int first;  // where its parts, numbers or bits start
    int count;
  };
  // Bit `k` of the bits that start at `first`.
  bool Bit(int first, unsigned k) const { return (bits_[first + (k >> 6)] >> (k & 63)) & 1; }
  int Parts(const std::vector<int>& parts);  // where `parts` start in parts_
  int Add(const Test& test) {
    tests_.push_back(test);
    return static_cast<int>(tests_.size() - 1);
  }
  std::vector<Test> tests_;
  std::vector<int> parts_;
  std::vector<double> numbers_;
  std::vector<std::uint64_t> bits_;
};

// True only when the predicate is TRUE for the case: UNKNOWN does not fire.
inline bool Fires(const Predicate& predicate, const FieldValues& fields) {
  return predicate.Evaluate(fields) == Predicate::kTRUE;
}

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_PREDICATE_H_
