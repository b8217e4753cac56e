#include "orvane_plugins/predicate.h"

#include <cmath>
#include <limits>
#include <typeinfo>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/array_reading.h"
#include "orvane_plugins/field_reading.h"
#include "orvane_plugins/xml_reading.h"

namespace orvane_plugins {

using MCOrvane_600::NumericValue;
using MCOrvane_600::OVException;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

namespace {

// One field's value, for asking a predicate what it makes of each category.
class OneValue : public FieldValues {
 public:
  OneValue(int slot, const std::string& name, const ScoreValue* value)
      : slot_(slot), name_(name), value_(value) {}
  const ScoreValue* Get(const std::string& name) const override {
    return name == name_ ? value_ : nullptr;
  }
  const ScoreValue* AtSlot(int slot, const std::string& name) const override {
    return slot == slot_ ? value_ : Get(name);
  }

 private:
  int slot_;
  const std::string& name_;
  const ScoreValue* value_;
};

// A number slot: the leaf compiles its own test (CompileLeaf).
constexpr int kNumberSlot = -2;

// `predicate`, a test of field `name` in `slot`, as a test of plain cases:
// -1 for a slot plain cases do not hold; over a category slot, what it
// answers for each category, found by asking it; kNumberSlot for a number.
int CompileLeaf(const Predicate& predicate, int slot, const std::string& name,
                const PlainLayout& layout, PlainTests* tests) {
  if (slot < 0 || static_cast<size_t>(slot) >= layout.kinds.size()) return -1;
  if (layout.kinds[slot] == PlainLayout::kNone) return -1;
  if (layout.kinds[slot] == PlainLayout::kNumber) return kNumberSlot;
  const std::vector<std::string>& categories = layout.categories[slot];
  std::vector<bool> holds(categories.size());
  for (size_t k = 0; k < categories.size(); ++k) {
    const MCOrvane_600::StringValue text(categories[k]);
    holds[k] = predicate.Evaluate(OneValue(slot, name, &text)) == Predicate::kTRUE;
  }
  return tests->Categories(layout.Place(slot), holds);
}

class Constant : public Predicate {
 public:
  explicit Constant(bool value) : value_(value) {}
  Predicate::Truth Evaluate(const FieldValues&) const override {
    return value_ ? Predicate::kTRUE : Predicate::kFALSE;
  }
  int Compile(const PlainLayout&, PlainTests* tests) const override {
    return tests->Constant(value_);
  }

 private:
  bool value_;
};

enum class Op { kEqual, kNotEqual, kLess, kLessOrEqual, kGreater, kGreaterOrEqual, kMissing,
                kNotMissing };

class Simple : public Predicate {
 public:
  Simple(std::string field, int slot, Op op, FieldConstant constant)
      : field_(std::move(field)), slot_(slot), op_(op), constant_(std::move(constant)) {}

  Predicate::Truth Evaluate(const FieldValues& fields) const override {
    const ScoreValue* value = fields.Read(slot_, field_);
    // The common case, a number against a number, without the general
    // comparison's calls.
    double x = 0.0;
    if (constant_.numeric && NumberOf(value, &x)) {
      if (!NumericValue::IsSystemMissingValue(x)) {
        const double c = constant_.number;
        return Decide(x < c ? -1 : (x == c ? 0 : (x > c ? 1 : kIncomparable)));
      }
    }
    // A library text against a text: never missing, compared byte for byte.
    if (!constant_.numeric) {
      if (const std::string* text = TextOf(value)) {
        if (op_ == Op::kMissing) return Predicate::kFALSE;
        if (op_ == Op::kNotMissing) return Predicate::kTRUE;
        // Equality first looks at the lengths, which mostly differ.
        if (op_ == Op::kEqual || op_ == Op::kNotEqual) {
          return (*text == constant_.text) == (op_ == Op::kEqual) ? Predicate::kTRUE
                                                                  : Predicate::kFALSE;
        }
        const int order = text->compare(constant_.text);
        return Decide(order < 0 ? -1 : (order == 0 ? 0 : 1));
      }
    }
    const bool missing = IsMissing(value);
    if (op_ == Op::kMissing) return missing ? Predicate::kTRUE : Predicate::kFALSE;
    if (op_ == Op::kNotMissing) return missing ? Predicate::kFALSE : Predicate::kTRUE;
    if (missing) return Predicate::kUNKNOWN;
    return Decide(Compare(value, constant_));
  }

  int Compile(const PlainLayout& layout, PlainTests* tests) const override {
    const int leaf = CompileLeaf(*this, slot_, field_, layout, tests);
    if (leaf != kNumberSlot) return leaf;
    // A number that is not missing, compared as Evaluate does.
    if (op_ == Op::kMissing || op_ == Op::kNotMissing) {
      return tests->Constant(op_ == Op::kNotMissing);
    }
    if (!constant_.numeric) return -1;
    static const PlainTests::Op kPlain[] = {
        PlainTests::Op::kEqual, PlainTests::Op::kNotEqual, PlainTests::Op::kLess,
        PlainTests::Op::kLessOrEqual, PlainTests::Op::kGreater, PlainTests::Op::kGreaterOrEqual};
    return tests->Compare(kPlain[static_cast<int>(op_)], layout.Place(slot_), constant_.number);
  }

 private:
  // The truth of the operator for a comparison's outcome.
  Predicate::Truth Decide(int order) const {
    if (order == kIncomparable) return op_ == Op::kNotEqual ? Predicate::kTRUE : Predicate::kFALSE;
    bool result = false;
    switch (op_) {
      case Op::kEqual: result = order == 0; break;
      case Op::kNotEqual: result = order != 0; break;
      case Op::kLess: result = order < 0; break;
      case Op::kLessOrEqual: result = order <= 0; break;
      case Op::kGreater: result = order > 0; break;
      case Op::kGreaterOrEqual: result = order >= 0; break;
      default: break;
    }
    return result ? Predicate::kTRUE : Predicate::kFALSE;
  }

  std::string field_;
  int slot_;
  Op op_;
  FieldConstant constant_;
};

class SetPredicate : public Predicate {
 public:
  SetPredicate(std::string field, int slot, bool is_in, std::vector<FieldConstant> set)
      : field_(std::move(field)), slot_(slot), is_in_(is_in), set_(std::move(set)) {}
  Predicate::Truth Evaluate(const FieldValues& fields) const override {
    const ScoreValue* value = fields.Read(slot_, field_);
    if (IsMissing(value)) return Predicate::kUNKNOWN;
    bool found = false;
    if (value->GetType() == ScoreValue::kSTRING_VALUE) {
      std::string copy;
      const std::string* text = TextOf(value);
      if (text == nullptr) text = &(copy = value->GetString());
      for (const FieldConstant& c : set_) {
        if (c.numeric ? CompareText(*text, c) == 0 : *text == c.text) {
          found = true;
          break;
        }
      }
    } else {
      for (const FieldConstant& c : set_) {
        if (Compare(value, c) == 0) {
          found = true;
          break;
        }
      }
    }
    return found == is_in_ ? Predicate::kTRUE : Predicate::kFALSE;
  }

  int Compile(const PlainLayout& layout, PlainTests* tests) const override {
    const int leaf = CompileLeaf(*this, slot_, field_, layout, tests);
    if (leaf != kNumberSlot) return leaf;
    std::vector<double> numbers;
    for (const FieldConstant& c : set_) {
      if (!c.numeric) return -1;
      numbers.push_back(c.number);
    }
    return tests->Numbers(is_in_, layout.Place(slot_), numbers);
  }

 private:
  std::string field_;
  int slot_;
  bool is_in_;
  std::vector<FieldConstant> set_;
};

enum class Combine { kAnd, kOr, kXor, kSurrogate };

class Compound : public Predicate {
 public:
  Compound(Combine how, std::vector<std::unique_ptr<Predicate>> parts)
      : how_(how), parts_(std::move(parts)) {}
  Predicate::Truth Evaluate(const FieldValues& fields) const override {
    switch (how_) {
      case Combine::kAnd: {
        Predicate::Truth result = Predicate::kTRUE;
        for (const auto& p : parts_) {
          Predicate::Truth t = p->Evaluate(fields);
          if (t == Predicate::kFALSE) return Predicate::kFALSE;
          if (t == Predicate::kUNKNOWN) result = Predicate::kUNKNOWN;
        }
        return result;
      }
      case Combine::kOr: {
        Predicate::Truth result = Predicate::kFALSE;
        for (const auto& p : parts_) {
          Predicate::Truth t = p->Evaluate(fields);
          if (t == Predicate::kTRUE) return Predicate::kTRUE;
          if (t == Predicate::kUNKNOWN) result = Predicate::kUNKNOWN;
        }
        return result;
      }
      case Combine::kXor: {
        bool odd = false;
        for (const auto& p : parts_) {
          Predicate::Truth t = p->Evaluate(fields);
          if (t == Predicate::kUNKNOWN) return Predicate::kUNKNOWN;
          odd ^= t == Predicate::kTRUE;
        }
        return odd ? Predicate::kTRUE : Predicate::kFALSE;
      }
      case Combine::kSurrogate:
        for (const auto& p : parts_) {
          Predicate::Truth t = p->Evaluate(fields);
          if (t != Predicate::kUNKNOWN) return t;
        }
        return Predicate::kUNKNOWN;
    }
    return Predicate::kUNKNOWN;
  }

  int Compile(const PlainLayout& layout, PlainTests* tests) const override {
    std::vector<int> parts;
    for (const auto& p : parts_) {
      parts.push_back(p->Compile(layout, tests));
      if (parts.back() < 0) return -1;
    }
    static const PlainTests::Op kPlain[] = {PlainTests::Op::kAnd, PlainTests::Op::kOr,
                                            PlainTests::Op::kXor, PlainTests::Op::kFirst};
    return tests->Combine(kPlain[static_cast<int>(how_)], parts);
  }

 private:
  Combine how_;
  std::vector<std::unique_ptr<Predicate>> parts_;
};

Op ReadOperator(const DOMElement* element) {
  const std::string op = RequiredAttr(element, "operator");
  static const struct {
    const char* name;
    Op op;
  } kOps[] = {{"equal", Op::kEqual},
              {"notEqual", Op::kNotEqual},
              {"lessThan", Op::kLess},
              {"lessOrEqual", Op::kLessOrEqual},
              {"greaterThan", Op::kGreater},
              {"greaterOrEqual", Op::kGreaterOrEqual},
              {"isMissing", Op::kMissing},
              {"isNotMissing", Op::kNotMissing}};
  for (const auto& entry : kOps) {
    if (op == entry.name) return entry.op;
  }
  throw Unsupported(element, "operator \"" + op + "\" is not supported");
}

const MCOrvane_600::ScoreDictVar* ReadField(const DOMElement* element, const ReadContext& context,
                                            std::string* name) {
  *name = RequiredAttr(element, "field");
  const MCOrvane_600::ScoreDictVar* var = context.Field(*name);
  if (var == nullptr) {
    throw Fault(element, OVException::kCodeVariableName,
                "field \"" + *name + "\" is not in the model's scope");
  }
  return var;
}

}  // namespace

int PlainTests::Numbers(bool is_in, int slot, const std::vector<double>& set) {
  const int first = static_cast<int>(numbers_.size());
  numbers_.insert(numbers_.end(), set.begin(), set.end());
  return Add({is_in ? Op::kNumberIn : Op::kNumberNotIn, slot, 0.0, first,
              static_cast<int>(set.size())});
}

PlainTests::Flat PlainTests::Flatten(int test) const {
  const Test& t = tests_[test];
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const Flat none{Flat::kRange, t.slot, 0, 0, kInf, -kInf};  // holds for no number
  switch (t.op) {
    case Op::kLess:
      if (t.number == -kInf) return none;
      return {Flat::kRange, t.slot, 0, 0, -kInf, std::nextafter(t.number, -kInf)};
    case Op::kLessOrEqual: return {Flat::kRange, t.slot, 0, 0, -kInf, t.number};
    case Op::kGreater:
      if (t.number == kInf) return none;
      return {Flat::kRange, t.slot, 0, 0, std::nextafter(t.number, kInf), kInf};
    case Op::kGreaterOrEqual: return {Flat::kRange, t.slot, 0, 0, t.number, kInf};
    case Op::kEqual: return {Flat::kRange, t.slot, 0, 0, t.number, t.number};
    case Op::kCategoryIn: return {Flat::kCategory, t.slot, t.first, t.count, 0.0, 0.0};
    default: return {Flat::kOther, t.slot, test, 0, 0.0, 0.0};
  }
}

int PlainTests::Categories(int slot, const std::vector<bool>& holds) {
  const int first = static_cast<int>(bits_.size());
  bits_.resize(bits_.size() + (holds.size() + 63) / 64, 0);
  for (size_t k = 0; k < holds.size(); ++k) {
    if (holds[k]) bits_[first + k / 64] |= std::uint64_t{1} << (k % 64);
  }
  return Add({Op::kCategoryIn, slot, 0.0, first, static_cast<int>(holds.size())});
}

int PlainTests::Combine(Op op, const std::vector<int>& parts) {
  // Constant parts fold away (a plain case's "isMissing" is false): an "or"
  // of a comparison and a missing test becomes the comparison. A surrogate
  // is its first part, never unknown here.
  if (op == Op::kFirst && !parts.empty()) return parts[0];
  if (op == Op::kAnd || op == Op::kOr) {
    const Op absorbing = op == Op::kAnd ? Op::kFalse : Op::kTrue;
    std::vector<int> kept;
    for (const int part : parts) {
      if (tests_[part].op == absorbing) return part;
      if (!IsConstant(part)) kept.push_back(part);
    }
    if (kept.empty()) return Constant(op == Op::kAnd);
    if (kept.size() == 1) return kept[0];
    return Add({op, 0, 0.0, Parts(kept), static_cast<int>(kept.size())});
  }
  return Add({op, 0, 0.0, Parts(parts), static_cast<int>(parts.size())});
}

int PlainTests::Parts(const std::vector<int>& parts) {
  const int first = static_cast<int>(parts_.size());
  parts_.insert(parts_.end(), parts.begin(), parts.end());
  return first;
}

bool IsPredicateElement(const DOMElement* element) {
  return HasTag(element, "SimplePredicate") || HasTag(element, "CompoundPredicate") ||
         HasTag(element, "SimpleSetPredicate") || HasTag(element, "True") ||
         HasTag(element, "False");
}

std::unique_ptr<Predicate> ReadPredicateElement(DOMElement* element, const ReadContext& context) {
  // The commonest kinds first: each test reads the tag again.
  if (HasTag(element, "SimplePredicate")) {
    std::string field;
    const auto* var = ReadField(element, context, &field);
    const Op op = ReadOperator(element);
    FieldConstant constant;
    if (op != Op::kMissing && op != Op::kNotMissing) {
      constant = ReadFieldConstant(var, RequiredAttr(element, "value"), element);
    }
    return std::make_unique<Simple>(field, context.Slot(field), op, std::move(constant));
  }
  if (HasTag(element, "SimpleSetPredicate")) {
    std::string field;
    const auto* var = ReadField(element, context, &field);
    const std::string how = RequiredAttr(element, "booleanOperator");
    if (how != "isIn" && how != "isNotIn") {
      throw Unsupported(element, "booleanOperator \"" + how + "\" is not supported");
    }
    DOMElement* array = FirstChild(element, "Array");
    if (array == nullptr) throw Fault(element, OVException::kCodeAbsent, "no Array");
    const std::vector<std::string> texts = ReadArrayTexts(array, context);
    std::vector<FieldConstant> set;
    set.reserve(texts.size());
    for (const std::string& text : texts) set.push_back(ReadFieldConstant(var, text, array));
    return std::make_unique<SetPredicate>(field, context.Slot(field), how == "isIn",
                                          std::move(set));
  }
  if (HasTag(element, "CompoundPredicate")) {
    const std::string how = RequiredAttr(element, "booleanOperator");
    Combine combine;
    if (how == "and") {
      combine = Combine::kAnd;
    } else if (how == "or") {
      combine = Combine::kOr;
    } else if (how == "xor") {
      combine = Combine::kXor;
    } else if (how == "surrogate") {
      combine = Combine::kSurrogate;
    } else {
      throw Unsupported(element, "booleanOperator \"" + how + "\" is not supported");
    }
    std::vector<std::unique_ptr<Predicate>> parts;
    for (DOMElement* child : Children(element)) {
      if (IsPredicateElement(child)) parts.push_back(ReadPredicateElement(child, context));
    }
    if (parts.size() < 2) {
      throw Fault(element, OVException::kCodeCount, "needs at least two predicates");
    }
    return std::make_unique<Compound>(combine, std::move(parts));
  }
  if (HasTag(element, "True")) return std::make_unique<Constant>(true);
  if (HasTag(element, "False")) return std::make_unique<Constant>(false);
  throw Unsupported(element, "is not a predicate");
}

Predicate* ReadPredicateChild(const DOMElement* parent, ReadContext* context) {
  DOMElement* found = nullptr;
  for (DOMElement* child : Children(parent)) {
    if (!IsPredicateElement(child)) continue;
    if (found != nullptr) {
      throw OVException(OVException::kCodeStructure, TagOf(parent) + ": more than one predicate");
    }
    found = child;
  }
  if (found == nullptr) {
    throw OVException(OVException::kCodeAbsent, TagOf(parent) + ": predicate is absent");
  }
  return context->ReadPredicate(found);
}

}  // namespace orvane_plugins
