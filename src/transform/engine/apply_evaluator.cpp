#include "transform/engine/apply_evaluator.h"

#include <cmath>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "orvane/dictionary/score_case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/transform_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/builtin_functions.h"
#include "transform/engine/constant_number.h"
#include "transform/engine/eval_case.h"

namespace MCOrvane_600 {

namespace {

using TD = TransformationDictionary;
using builtin::Kind;

constexpr double kSysmis = NumericValue::GetSysmisValue();

// Up to eight numbers without touching the heap; more spill into a vector.
class Numbers {
 public:
  void Add(double x) {
    if (size_ < kInline) {
      inline_[size_] = x;
    } else {
      if (size_ == kInline) spilled_.assign(inline_, inline_ + kInline);
      spilled_.push_back(x);
    }
    ++size_;
  }
  const double* data() const { return size_ <= kInline ? inline_ : spilled_.data(); }
  std::size_t size() const { return size_; }

 private:
  static constexpr std::size_t kInline = 8;
  double inline_[kInline];
  std::vector<double> spilled_;
  std::size_t size_ = 0;
};

// A copy of one argument, kept while later arguments overwrite the working
// values. The library's own value classes are copied in place; anything else
// is cloned. Nothing is made until Set.
class ValueCopy {
 public:
  void Set(const ScoreValue& value) {
    const std::type_info& type = typeid(value);
    if (type == typeid(NumericValue)) {
      number_.emplace(value.GetDouble());
      held_ = &*number_;
    } else if (type == typeid(DateTimeValue)) {
      date_time_.emplace(static_cast<const DateTimeValue&>(value));
      held_ = &*date_time_;
    } else if (type == typeid(StringValue)) {
      text_.emplace(value.GetString());
      held_ = &*text_;
    } else {
      other_.reset(value.Clone());
      held_ = other_.get();
    }
  }
  // Null before the first Set.
  const ScoreValue* Get() const { return held_; }

 private:
  std::optional<NumericValue> number_;
  std::optional<DateTimeValue> date_time_;
  std::optional<StringValue> text_;
  std::unique_ptr<ScoreValue> other_;
  const ScoreValue* held_ = nullptr;
};

const StringValue* AsText(const ScoreValue* value) {
  if (value->GetType() != ScoreValue::kSTRING_VALUE) return nullptr;
  // The exact class needs no search of the class hierarchy.
  if (typeid(*value) == typeid(StringValue)) return static_cast<const StringValue*>(value);
  return dynamic_cast<const StringValue*>(value);
}

// The declared length of an argument; -1 (its own size) for anything but a
// text.
int DeclaredLength(const ScoreValue* value) {
  const StringValue* text = AsText(value);
  return text != nullptr ? text->GetLength() : -1;
}

// A start position truncated toward zero; 0 (no text) when out of range.
int StartPosition(double x) {
  const double t = TD::Trunc(x);
  return NumericValue::IsSystemMissingValue(t) ? 0 : static_cast<int>(t);
}

}  // namespace

double ApplyEvaluator::ApplyTransFunction(double a, double b, TransformFunction f) {
  return builtin::Unary(a, b, f);
}

double ApplyEvaluator::ApplyAccumulateFunction(const std::vector<double>& values,
                                               TransformFunction f) {
  return builtin::Accumulate(values.data(), values.size(), f);
}

double ApplyEvaluator::ApplyDateTimeFunction(const ScoreValue* first, double second,
                                             TransformFunction f) {
  return builtin::DateTime(first, second, f);
}

const ScoreValue* ApplyEvaluator::TravelSal(const FunctionTree* node, const ScoreCaseRecord* record,
                                            const ScoreDictionary* dataDictionary,
                                            const ScoreDictionary* transformations) {
  EvalCase ec(record, dataDictionary, transformations);
  return TravelSal(node, ec);
}

const ScoreValue* ApplyEvaluator::TravelSal(const FunctionTree* node, EvalCase& ec) {
  if (node == nullptr) return Number(kSysmis);
  const FunctionTree* parent = node->GetParent();
  const TransformFunction parent_function =
      parent != nullptr ? parent->GetNodeStats().GetTransformFunction() : TD::kFN_NONE;
  internal::ApplyProgram program(*node, parent_function);
  program.Bind(ec);
  return Run(program, ec);
}

const ScoreValue* ApplyEvaluator::Run(const internal::ApplyProgram& program, EvalCase& ec) {
  const internal::ApplyProgram* outer = program_;
  program_ = &program;
  const ScoreValue* value = Evaluate(0, ec);
  program_ = outer;
  return value;
}

bool ApplyEvaluator::RunNumber(const internal::ApplyProgram& program, EvalCase& ec, double* x) {
  using Step = internal::ApplyProgram::Step;
  const std::vector<Step>& steps = program.number_steps();
  if (steps.empty()) return false;
  const internal::ApplyProgram* outer = program_;
  program_ = &program;
  // The walk of NumberOf, flattened: every number is computed in the same
  // order, and folded as soon as its node's arguments are all there.
  double* stack = program.stack();
  std::size_t top = 0;
  for (const Step& step : steps) {
    switch (step.kind) {
      case Step::kConstant:
        stack[top++] = step.number;
        break;
      case Step::kField: {
        const Node& node = program.node(step.node);
        double number = 0.0;
        if (node.operand < 0 || node.parent == TD::kFN_SYSMIS || node.parent == TD::kFN_VALUE ||
            !ec.RememberedNumber(node.operand, &number)) {
          number = FieldNumber(node, ec);
        }
        stack[top++] = number;
        break;
      }
      case Step::kNode: {
        // Anything else takes the walk; it may run the steps of other
        // variables, never these.
        const double number = Evaluate(step.node, ec)->GetDouble();
        stack[top++] = number;
        break;
      }
      case Step::kFold: {
        const std::size_t n = static_cast<std::size_t>(step.count);
        const double* v = stack + top - n;
        double r = 0.0;
        double p = n > 0 ? v[0] : 0.0;
        for (std::size_t i = 1; i < n; ++i) {
          r = builtin::Unary(p, v[i], step.function);
          p = r;
        }
        // A single argument is applied alone.
        if (n == 1) r = builtin::Unary(p, 0.0, step.function);
        top -= n;
        stack[top++] = r;
        break;
      }
      case Step::kCollect: {
        const std::size_t n = static_cast<std::size_t>(step.count);
        top -= n;
        const double r = builtin::Accumulate(stack + top, n, step.function);
        stack[top++] = r;
        break;
      }
    }
  }
  program_ = outer;
  *x = stack[0];
  return true;
}

const ScoreValue* ApplyEvaluator::Evaluate(int i, EvalCase& ec) {
  const Node& node = program_->node(i);
  if (node.constant != 0) return Constant(node);
  switch (node.kind) {
    case Kind::kOperand:
      return Field(node, ec);
    case Kind::kFold:
      return Fold(node, ec);
    case Kind::kAccumulate:
      return Collect(node, ec);
    case Kind::kDateTime:
      return DateTime(node, ec);
    case Kind::kText:
      return Text(node, ec);
    case Kind::kLength:
    case Kind::kSysmis:
      return FirstOnly(node, ec);
    case Kind::kValue:
      return Value(node, ec);
    case Kind::kOutlier:
      return Outlier(node, ec);
    case Kind::kIsMissing:
      return IsMissing(node, ec);
    case Kind::kCompare:
      return Compare(node, ec);
    case Kind::kMember:
      return Member(node, ec);
    case Kind::kIf:
      return If(node, ec);
    case Kind::kStandard:
      return Standard(node, ec);
  }
  return Number(kSysmis);
}

// outlierHandle(x, method, centre, spread, factor, count).
const ScoreValue* ApplyEvaluator::Outlier(const Node& node, EvalCase& ec) {
  Numbers numbers;
  std::string method;
  for (int slot = 0; slot < node.count; ++slot) {
    const ScoreValue* c = Evaluate(node.first + slot, ec);
    if (slot == 1) {
      method = c->GetString();
    } else {
      numbers.Add(c->GetDouble());
    }
  }
  const double* v = numbers.data();
  return Number(numbers.size() == 5 ? TD::OutlierHandle(v[0], method, v[1], v[2], v[3], v[4])
                                    : kSysmis);
}

// Constant_<type letter>_<text>: the letter at position 9, the text from 11.
const ScoreValue* ApplyEvaluator::Constant(const Node& node) {
  if (node.constant == 'S') {
    text_->SetString(node.name->substr(internal::ConstantTextBegin(*node.name)));
    text_->SetLength(0);
    return text_;
  }
  if (node.constant == 'T') {
    // The text holds stored seconds; the kind it was written in is not kept.
    date_time_->SetDateTimeValue(node.number, DateTimeValue::kDATETIME_VAL);
    return date_time_;
  }
  return Number(node.number);
}

const ScoreValue* ApplyEvaluator::Field(const Node& node, EvalCase& ec) {
  const int k = node.operand;
  const ScoreValue* v = ec.Value(k, *node.name);
  const ScoreDictVar* var = ec.Var(k, *node.name);
  if (v == nullptr) {
    if (var != nullptr && var->IsDerivedVariable()) return DerivedField(k, *node.name, *var, ec);
    return MissingOf(var);
  }
  if (var == nullptr) return v;
  // User-missing numbers become system-missing, except where the function
  // asks about the stored value itself.
  const ScoreDictVar::VariableType type = var->GetVarType();
  if (type == ScoreDictVar::kNUMERIC_VAR) {
    if (node.parent != TD::kFN_SYSMIS && node.parent != TD::kFN_VALUE && var->IsMissingValue(v)) {
      return Number(kSysmis);
    }
    return v;
  }
  if (type != ScoreDictVar::kSTRING_VAR) return v;
  return WithWidth(v, *var);
}

const ScoreValue* ApplyEvaluator::DerivedField(int k, const std::string& name,
                                               const ScoreDictVar& var, EvalCase& ec) {
  const ScoreValue* value = nullptr;
  if (ec.HasDerivedRecord() && ec.FindComputed(k, name, &value)) {
    // Stored for this case already.
  } else if (ec.HasDerivedRecord() && ec.DependsOnCycle(k, &var)) {
    // Computing it would never end: it is missing.
    value = nullptr;
  } else if (const TransformVar* derived = ec.AsDerived(k, &var)) {
    value = derived->EvaluateAsSource(ec);
  }
  if (value == nullptr) return MissingOf(&var);
  return WithWidth(value, var);
}

const ScoreValue* ApplyEvaluator::MissingOf(const ScoreDictVar* var) {
  if (var == nullptr) return Number(kSysmis);
  switch (var->GetVarType()) {
    case ScoreDictVar::kNUMERIC_VAR:
      return Number(kSysmis);
    case ScoreDictVar::kDATETIME_VAR:
      date_time_->SetDateTimeValue(kSysmis, DateTimeValue::GetValType(var->GetDateTimeType()));
      return date_time_;
    default:
      text_->SetString(std::string());
      text_->SetLength(var->GetWidth());
      return text_;
  }
}

const ScoreValue* ApplyEvaluator::WithWidth(const ScoreValue* value, const ScoreDictVar& var) {
  if (var.GetVarType() != ScoreDictVar::kSTRING_VAR || AsText(value) == nullptr) return value;
  // A copy, so that the case's own value keeps its length.
  if (value != text_) text_->SetString(value->GetString());
  text_->SetLength(var.GetWidth());
  return text_;
}

const ScoreValue* ApplyEvaluator::Number(double x) {
  numeric_->SetDoubleValue(x);
  return numeric_;
}

// The number of node i, as Evaluate(i)->GetDouble() reads it. Where the
// number is at hand it is answered without going through a working value:
// the working values only carry a value from a node to its parent.
double ApplyEvaluator::NumberOf(int i, EvalCase& ec) {
  const Node& node = program_->node(i);
  if (node.constant == 'D') return node.number;
  if (node.constant == 0) {
    switch (node.kind) {
      case Kind::kOperand: {
        double x = 0.0;
        if (node.operand >= 0 && node.parent != TD::kFN_SYSMIS && node.parent != TD::kFN_VALUE &&
            ec.RememberedNumber(node.operand, &x)) {
          return x;
        }
        return FieldNumber(node, ec);
      }
      case Kind::kFold:
        return FoldNumber(node, ec);
      case Kind::kAccumulate:
        return CollectNumber(node, ec);
      default:
        break;
    }
  }
  return Evaluate(i, ec)->GetDouble();
}

double ApplyEvaluator::FieldNumber(const Node& node, EvalCase& ec) {
  const int k = node.operand;
  // "sysmis" and "value" read the stored number itself.
  const bool filtered = node.parent != TD::kFN_SYSMIS && node.parent != TD::kFN_VALUE;
  double x = 0.0;
  if (filtered && k >= 0 && ec.RememberedNumber(k, &x)) return x;
  const ScoreValue* v = ec.Value(k, *node.name);
  if (v != nullptr) {
    const ScoreDictVar* var = ec.Var(k, *node.name);
    if (var == nullptr) {
      x = v->GetDouble();
    } else {
      const ScoreDictVar::VariableType type = var->GetVarType();
      if (type == ScoreDictVar::kSTRING_VAR) return Field(node, ec)->GetDouble();
      x = type == ScoreDictVar::kNUMERIC_VAR && filtered && var->IsMissingValue(v) ? kSysmis
                                                                                   : v->GetDouble();
    }
    if (filtered && k >= 0) ec.RememberNumber(k, x);
    return x;
  } else if (ec.HasDerivedRecord()) {
    // A derived field stored for this case already.
    const ScoreValue* stored = nullptr;
    const ScoreDictVar* var = ec.Var(k, *node.name);
    if (var != nullptr && var->IsDerivedVariable() && ec.FindComputed(k, *node.name, &stored) &&
        stored != nullptr && var->GetVarType() != ScoreDictVar::kSTRING_VAR) {
      return stored->GetDouble();
    }
  }
  // Absent values and texts take the whole way.
  return Field(node, ec)->GetDouble();
}

// Unary functions and the left fold of +, pow and mod.
double ApplyEvaluator::FoldNumber(const Node& node, EvalCase& ec) {
  const TransformFunction f = node.function;
  double r = 0.0;
  double p = 0.0;
  for (int slot = 0; slot < node.count; ++slot) {
    const double x = NumberOf(node.first + slot, ec);
    if (slot == 0) {
      p = x;
    } else {
      r = builtin::Unary(p, x, f);
      p = r;
    }
  }
  // A single argument is applied alone.
  if (node.count == 1) r = builtin::Unary(p, 0.0, f);
  return r;
}

double ApplyEvaluator::CollectNumber(const Node& node, EvalCase& ec) {
  constexpr int kOnStack = 8;
  if (node.count <= kOnStack) {
    double numbers[kOnStack];
    for (int slot = 0; slot < node.count; ++slot) numbers[slot] = NumberOf(node.first + slot, ec);
    return builtin::Accumulate(numbers, static_cast<std::size_t>(node.count), node.function);
  }
  std::vector<double> numbers(static_cast<std::size_t>(node.count));
  for (int slot = 0; slot < node.count; ++slot) {
    numbers[static_cast<std::size_t>(slot)] = NumberOf(node.first + slot, ec);
  }
  return builtin::Accumulate(numbers.data(), numbers.size(), node.function);
}

const ScoreValue* ApplyEvaluator::Fold(const Node& node, EvalCase& ec) {
  return Number(FoldNumber(node, ec));
}

const ScoreValue* ApplyEvaluator::Collect(const Node& node, EvalCase& ec) {
  return Number(CollectNumber(node, ec));
}

const ScoreValue* ApplyEvaluator::DateTime(const Node& node, EvalCase& ec) {
  const TransformFunction f = node.function;
  // A copy: evaluating the second argument may overwrite the working values.
  DateTimeValue first;
  bool has_first = false;
  double r = 0.0;
  for (int slot = 0; slot < node.count; ++slot) {
    const ScoreValue* c = Evaluate(node.first + slot, ec);
    if (slot == 0) {
      if (const auto* date = dynamic_cast<const DateTimeValue*>(c)) {
        first = *date;
        has_first = true;
      }
      if (node.count == 1) r = builtin::DateTime(has_first ? &first : nullptr, 0.0, f);
    } else {
      r = builtin::DateTime(has_first ? &first : nullptr, c->GetDouble(), f);
    }
  }
  return Number(r);
}

const ScoreValue* ApplyEvaluator::Text(const Node& node, EvalCase& ec) {
  const TransformFunction f = node.function;
  std::string out;
  int length = 0;
  if (f == TD::kFN_CONCAT) {
    for (int slot = 0; slot < node.count; ++slot) {
      const ScoreValue* c = Evaluate(node.first + slot, ec);
      length += builtin::AppendPiece(c->GetString(), DeclaredLength(c), out);
    }
  } else if (f == TD::kFN_SUBSTR) {
    std::string source;
    int source_length = 0;
    bool has_source = false;
    for (int slot = 0; slot < node.count; ++slot) {
      const ScoreValue* c = Evaluate(node.first + slot, ec);
      if (slot == 0) {
        if (const StringValue* text = AsText(c)) {
          source = text->GetString();
          source_length = text->GetLength();
          has_source = true;
        }
      } else if (has_source) {
        out += builtin::Substring(source, source_length, StartPosition(c->GetDouble()), length);
      }
    }
  } else if (node.count > 0) {
    // lower, ltrim, rtrim, uppercase: one argument; further ones are ignored.
    if (const StringValue* text = AsText(Evaluate(node.first, ec))) {
      switch (f) {
        case TD::kFN_LOWER:
          out = builtin::ChangeCase(text->GetString(), text->GetLength(), false, length);
          break;
        case TD::kFN_UPPERCASE:
          out = builtin::ChangeCase(text->GetString(), text->GetLength(), true, length);
          break;
        case TD::kFN_LTRIM:
          out = builtin::Ltrim(text->GetString(), text->GetLength(), length);
          break;
        default:
          out = builtin::Rtrim(text->GetString(), length);
          break;
      }
    }
  }
  text_->SetString(out);
  text_->SetLength(length);
  return text_;
}

// "length" and "sysmis": the first argument decides; a further one makes
// "sysmis" 0.0 and is ignored by "length".
const ScoreValue* ApplyEvaluator::FirstOnly(const Node& node, EvalCase& ec) {
  if (node.count == 0) return Number(0.0);
  const ScoreValue* c = Evaluate(node.first, ec);
  if (node.function == TD::kFN_SYSMIS) {
    if (node.count > 1) return Number(0.0);
    return Number(c->IsSystemMissingValue() ? 1.0 : 0.0);
  }
  const int declared = DeclaredLength(c);
  return Number(declared >= 0 ? declared : static_cast<double>(c->GetString().size()));
}

// "value", "recast_to_ordinal", "recast_to_scale": the last argument as it is.
const ScoreValue* ApplyEvaluator::Value(const Node& node, EvalCase& ec) {
  if (node.count == 0) return Number(kSysmis);
  const ScoreValue* c = Evaluate(node.first + node.count - 1, ec);
  switch (c->GetType()) {
    case ScoreValue::kNUMERIC_VALUE:
      return Number(c->GetDouble());
    case ScoreValue::kDATETIME_VALUE:
      if (const auto* date = dynamic_cast<const DateTimeValue*>(c)) {
        if (date != date_time_) *date_time_ = *date;
        return date_time_;
      }
      break;
    default:
      break;
  }
  const int declared = DeclaredLength(c);
  if (c != text_) text_->SetString(c->GetString());
  text_->SetLength(declared >= 0 ? declared : static_cast<int>(text_->GetString().size()));
  return text_;
}

const ScoreValue* ApplyEvaluator::IsMissing(const Node& node, EvalCase& ec) {
  if (node.count == 0) return Number(0.0);
  const ScoreValue* c = Evaluate(node.first, ec);
  const Node& child = program_->node(node.first);
  const ScoreDictVar* var = ec.Var(child.operand, *child.name);
  // Only a field can be asked; anything else answers 0.0 either way.
  if (var == nullptr) return Number(0.0);
  const bool missing = var->IsMissingValue(c);
  return Number(missing == (node.function == TD::kFN_IS_MISSING) ? 1.0 : 0.0);
}

const ScoreValue* ApplyEvaluator::Compare(const Node& node, EvalCase& ec) {
  bool equal = false;
  if (node.count == 2) {
    ValueCopy first;
    first.Set(*Evaluate(node.first, ec));
    equal = builtin::Matches(*first.Get(), *Evaluate(node.first + 1, ec));
  }
  if (node.function == TD::kFN_EQUAL) return Number(equal ? 1.0 : 0.0);
  return Number(equal ? 0.0 : 1.0);
}

const ScoreValue* ApplyEvaluator::Member(const Node& node, EvalCase& ec) {
  ValueCopy tested;
  bool found = false;
  for (int slot = 0; slot < node.count && !found; ++slot) {
    const ScoreValue* c = Evaluate(node.first + slot, ec);
    if (slot == 0) {
      tested.Set(*c);
    } else {
      found = builtin::Matches(*c, *tested.Get());
    }
  }
  if (node.function == TD::kFN_IS_IN) return Number(found ? 1.0 : 0.0);
  return Number(found ? 0.0 : 1.0);
}

// if(condition, then, else): the condition is met when it is a number other
// than 0 and not missing. Only the chosen branch is evaluated; a missing
// branch is system-missing.
const ScoreValue* ApplyEvaluator::If(const Node& node, EvalCase& ec) {
  if (node.count == 0) return Number(kSysmis);
  const double x = Evaluate(node.first, ec)->GetDouble();
  const bool met = x != 0.0 && !std::isnan(x) && !NumericValue::IsSystemMissingValue(x);
  const int branch = met ? 1 : 2;
  if (branch >= node.count) return Number(kSysmis);
  return Evaluate(node.first + branch, ec);
}

}  // namespace MCOrvane_600
