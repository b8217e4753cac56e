#include "transform/apply_evaluator.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
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
#include "transform/builtin_functions.h"

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
  double inline_[kInline] = {};
  std::vector<double> spilled_;
  std::size_t size_ = 0;
};

// A copy of one argument, kept while later arguments overwrite the working
// values. The library's own value classes are copied in place; anything else
// is cloned.
class ValueCopy {
 public:
  void Set(const ScoreValue& value) {
    const std::type_info& type = typeid(value);
    if (type == typeid(NumericValue)) {
      number_.SetDoubleValue(value.GetDouble());
      held_ = &number_;
    } else if (type == typeid(DateTimeValue)) {
      date_time_ = static_cast<const DateTimeValue&>(value);
      held_ = &date_time_;
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
  NumericValue number_;
  DateTimeValue date_time_;
  std::optional<StringValue> text_;
  std::unique_ptr<ScoreValue> other_;
  const ScoreValue* held_ = nullptr;
};

// The number a constant's text denotes, as NumericValue reads text. Plain
// decimal numbers, by far the most common, are read without a stream.
double ParseNumber(const std::string& text, std::size_t begin) {
  const char* first = text.data() + begin;
  const char* last = text.data() + text.size();
  double x = 0.0;
  const std::from_chars_result read = std::from_chars(first, last, x);
  if (read.ec == std::errc() && read.ptr == last && std::isfinite(x)) return x;
  return NumericValue(text.substr(begin)).GetDouble();
}

const StringValue* AsText(const ScoreValue* value) {
  return value->GetType() == ScoreValue::kSTRING_VALUE ? dynamic_cast<const StringValue*>(value)
                                                       : nullptr;
}

// The declared length of an argument; -1 (its own size) for anything but a
// text.
int DeclaredLength(const ScoreValue* value) {
  const StringValue* text = AsText(value);
  return text != nullptr ? text->GetLength() : -1;
}

int NonNullChildren(const FunctionTree* node) {
  const int count = node->GetChildCount();
  int n = 0;
  for (int i = 0; i < count; ++i) {
    if (node->GetChildAt(i) != nullptr) ++n;
  }
  return n;
}

// The child slots that hold a node, in order.
template <typename Visit>
void ForEachChild(const FunctionTree* node, Visit visit) {
  const int count = node->GetChildCount();
  int slot = 0;
  for (int i = 0; i < count; ++i) {
    const FunctionTree* child = node->GetChildAt(i);
    if (child == nullptr) continue;
    if (!visit(child, slot++)) return;
  }
}

const FunctionTree* NthChild(const FunctionTree* node, int wanted) {
  const FunctionTree* found = nullptr;
  ForEachChild(node, [&](const FunctionTree* child, int slot) {
    if (slot == wanted) found = child;
    return slot < wanted;
  });
  return found;
}

const FunctionTree* LastChild(const FunctionTree* node) {
  for (int i = node->GetChildCount() - 1; i >= 0; --i) {
    if (const FunctionTree* child = node->GetChildAt(i)) return child;
  }
  return nullptr;
}

// A start position truncated toward zero; 0 (no text) when out of range.
int StartPosition(double x) {
  const double t = TD::Trunc(x);
  return NumericValue::IsSystemMissingValue(t) ? 0 : static_cast<int>(t);
}

}  // namespace

struct ApplyEvaluator::Context {
  const ScoreCaseRecord* record;
  const ScoreDictionary* data;
  const ScoreDictionary* transformations;
  // `transformations` when it is a transformation dictionary, else null.
  const TransformationDictionary* derived;

  const ScoreDictVar* Find(const std::string& name) const {
    const ScoreDictVar* var = data != nullptr ? data->GetVar(name) : nullptr;
    if (var == nullptr && transformations != nullptr) var = transformations->GetVar(name);
    return var;
  }
};

ApplyEvaluator::ApplyEvaluator(NumericValue* numeric, StringValue* text, DateTimeValue* date_time)
    : numeric_(numeric), text_(text), date_time_(date_time) {}

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
  if (node == nullptr) return Number(kSysmis);
  const Context context{record, dataDictionary, transformations,
                        dynamic_cast<const TransformationDictionary*>(transformations)};
  const FunctionTree* parent = node->GetParent();
  const TransformFunction parent_function =
      parent != nullptr ? parent->GetNodeStats().GetTransformFunction() : TD::kFN_NONE;
  return Evaluate(node, node->GetNodeStats(), parent_function, context);
}

const ScoreValue* ApplyEvaluator::Child(const FunctionTree* child, TransformFunction parent,
                                        const Context& context) {
  return Evaluate(child, child->GetNodeStats(), parent, context);
}

const ScoreValue* ApplyEvaluator::Evaluate(const FunctionTree* node, const ApplyNodeStats& stats,
                                           TransformFunction parent, const Context& context) {
  const TransformFunction f = stats.GetTransformFunction();
  if (stats.IsConstNode()) return Constant(stats.GetParameterName());
  switch (builtin::KindOf(f)) {
    case Kind::kOperand:
      return Operand(stats, parent, context);
    case Kind::kFold:
      return Fold(node, f, context);
    case Kind::kAccumulate:
      return Collect(node, f, context);
    case Kind::kDateTime:
      return DateTime(node, f, context);
    case Kind::kText:
      return Text(node, f, context);
    case Kind::kLength:
    case Kind::kSysmis:
      return FirstOnly(node, f, context);
    case Kind::kValue:
      return Value(node, f, context);
    case Kind::kOutlier:
      break;
    case Kind::kIsMissing:
      return IsMissing(node, f, context);
    case Kind::kCompare:
      return Compare(node, f, context);
    case Kind::kMember:
      return Member(node, f, context);
    case Kind::kIf:
      return If(node, context);
  }

  // outlierHandle(x, method, centre, spread, factor, count).
  Numbers numbers;
  std::string method;
  ForEachChild(node, [&](const FunctionTree* child, int slot) {
    const ScoreValue* c = Child(child, f, context);
    if (slot == 1) {
      method = c->GetString();
    } else {
      numbers.Add(c->GetDouble());
    }
    return true;
  });
  const double* v = numbers.data();
  return Number(numbers.size() == 5 ? TD::OutlierHandle(v[0], method, v[1], v[2], v[3], v[4])
                                    : kSysmis);
}

const ScoreValue* ApplyEvaluator::Operand(const ApplyNodeStats& stats, TransformFunction parent,
                                          const Context& context) {
  return Field(stats.GetParameterName(), parent, context);
}

// Constant_<type letter>_<text>: the letter at position 9, the text from 11.
const ScoreValue* ApplyEvaluator::Constant(const std::string& parameter) {
  const char type = parameter.size() > 9 ? parameter[9] : '\0';
  const std::size_t begin = parameter.size() > 11 ? 11 : parameter.size();
  if (type == 'S') {
    text_->SetString(parameter.substr(begin));
    text_->SetLength(0);
    return text_;
  }
  const double x = ParseNumber(parameter, begin);
  if (type == 'T') {
    // The text holds stored seconds; the kind it was written in is not kept.
    date_time_->SetDateTimeValue(x, DateTimeValue::kDATETIME_VAL);
    return date_time_;
  }
  return Number(x);
}

const ScoreValue* ApplyEvaluator::Field(const std::string& name, TransformFunction parent,
                                        const Context& context) {
  const ScoreValue* v = context.record != nullptr ? context.record->Get(name) : nullptr;
  const ScoreDictVar* var = context.Find(name);
  if (v == nullptr) {
    if (var != nullptr && var->IsDerivedVariable()) return DerivedField(name, *var, context);
    return MissingOf(var);
  }
  if (var == nullptr) return v;
  // User-missing numbers become system-missing, except where the function
  // asks about the stored value itself.
  if (parent != TD::kFN_SYSMIS && parent != TD::kFN_VALUE &&
      var->GetVarType() == ScoreDictVar::kNUMERIC_VAR && var->IsMissingValue(v)) {
    return Number(kSysmis);
  }
  return WithWidth(v, *var);
}

const ScoreValue* ApplyEvaluator::DerivedField(const std::string& name, const ScoreDictVar& var,
                                               const Context& context) {
  const ScoreValue* value = nullptr;
  if (context.derived != nullptr && context.derived->FindComputedValue(name, &value)) {
    // Stored for this case already.
  } else if (context.derived != nullptr && context.derived->DependsOnCycle(&var, context.data)) {
    // Computing it would never end: it is missing.
    value = nullptr;
  } else if (const auto* derived = dynamic_cast<const TransformVar*>(&var)) {
    value = derived->GetTransformedValue(context.record, context.data, context.transformations);
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

// Unary functions and the left fold of +, pow and mod.
const ScoreValue* ApplyEvaluator::Fold(const FunctionTree* node, TransformFunction f,
                                       const Context& context) {
  double r = 0.0;
  double p = 0.0;
  int n = 0;
  ForEachChild(node, [&](const FunctionTree* child, int slot) {
    const double x = Child(child, f, context)->GetDouble();
    if (slot == 0) {
      p = x;
    } else {
      r = builtin::Unary(p, x, f);
      p = r;
    }
    ++n;
    return true;
  });
  // A single argument is applied alone.
  if (n == 1) r = builtin::Unary(p, 0.0, f);
  return Number(r);
}

const ScoreValue* ApplyEvaluator::Collect(const FunctionTree* node, TransformFunction f,
                                          const Context& context) {
  Numbers numbers;
  ForEachChild(node, [&](const FunctionTree* child, int) {
    numbers.Add(Child(child, f, context)->GetDouble());
    return true;
  });
  return Number(builtin::Accumulate(numbers.data(), numbers.size(), f));
}

const ScoreValue* ApplyEvaluator::DateTime(const FunctionTree* node, TransformFunction f,
                                           const Context& context) {
  const int n = NonNullChildren(node);
  // A copy: evaluating the second argument may overwrite the working values.
  DateTimeValue first;
  bool has_first = false;
  double r = 0.0;
  ForEachChild(node, [&](const FunctionTree* child, int slot) {
    const ScoreValue* c = Child(child, f, context);
    if (slot == 0) {
      if (const auto* date = dynamic_cast<const DateTimeValue*>(c)) {
        first = *date;
        has_first = true;
      }
      if (n == 1) r = builtin::DateTime(has_first ? &first : nullptr, 0.0, f);
    } else {
      r = builtin::DateTime(has_first ? &first : nullptr, c->GetDouble(), f);
    }
    return true;
  });
  return Number(r);
}

const ScoreValue* ApplyEvaluator::Text(const FunctionTree* node, TransformFunction f,
                                       const Context& context) {
  std::string out;
  int length = 0;
  if (f == TD::kFN_CONCAT) {
    ForEachChild(node, [&](const FunctionTree* child, int) {
      const ScoreValue* c = Child(child, f, context);
      length += builtin::AppendPiece(c->GetString(), DeclaredLength(c), out);
      return true;
    });
  } else if (f == TD::kFN_SUBSTR) {
    std::string source;
    int source_length = 0;
    bool has_source = false;
    ForEachChild(node, [&](const FunctionTree* child, int slot) {
      const ScoreValue* c = Child(child, f, context);
      if (slot == 0) {
        if (const StringValue* text = AsText(c)) {
          source = text->GetString();
          source_length = text->GetLength();
          has_source = true;
        }
      } else if (has_source) {
        out += builtin::Substring(source, source_length, StartPosition(c->GetDouble()), length);
      }
      return true;
    });
  } else if (const FunctionTree* child = NthChild(node, 0)) {
    // lower, ltrim, rtrim, uppercase: one argument; further ones are ignored.
    if (const StringValue* text = AsText(Child(child, f, context))) {
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
const ScoreValue* ApplyEvaluator::FirstOnly(const FunctionTree* node, TransformFunction f,
                                            const Context& context) {
  const FunctionTree* child = NthChild(node, 0);
  if (child == nullptr) return Number(0.0);
  const ScoreValue* c = Child(child, f, context);
  if (f == TD::kFN_SYSMIS) {
    if (NonNullChildren(node) > 1) return Number(0.0);
    return Number(c->IsSystemMissingValue() ? 1.0 : 0.0);
  }
  const int declared = DeclaredLength(c);
  return Number(declared >= 0 ? declared : static_cast<double>(c->GetString().size()));
}

// "value", "recast_to_ordinal", "recast_to_scale": the last argument as it is.
const ScoreValue* ApplyEvaluator::Value(const FunctionTree* node, TransformFunction f,
                                        const Context& context) {
  const FunctionTree* child = LastChild(node);
  if (child == nullptr) return Number(kSysmis);
  const ScoreValue* c = Child(child, f, context);
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

const ScoreValue* ApplyEvaluator::IsMissing(const FunctionTree* node, TransformFunction f,
                                            const Context& context) {
  const FunctionTree* child = NthChild(node, 0);
  if (child == nullptr) return Number(0.0);
  const ApplyNodeStats stats = child->GetNodeStats();
  const ScoreValue* c = Evaluate(child, stats, f, context);
  const ScoreDictVar* var = context.Find(stats.GetParameterName());
  // Only a field can be asked; anything else answers 0.0 either way.
  if (var == nullptr) return Number(0.0);
  const bool missing = var->IsMissingValue(c);
  return Number(missing == (f == TD::kFN_IS_MISSING) ? 1.0 : 0.0);
}

const ScoreValue* ApplyEvaluator::Compare(const FunctionTree* node, TransformFunction f,
                                          const Context& context) {
  bool equal = false;
  if (NonNullChildren(node) == 2) {
    ValueCopy first;
    ForEachChild(node, [&](const FunctionTree* child, int slot) {
      const ScoreValue* c = Child(child, f, context);
      if (slot == 0) {
        first.Set(*c);
      } else {
        equal = builtin::Matches(*first.Get(), *c);
      }
      return true;
    });
  }
  if (f == TD::kFN_EQUAL) return Number(equal ? 1.0 : 0.0);
  return Number(equal ? 0.0 : 1.0);
}

const ScoreValue* ApplyEvaluator::Member(const FunctionTree* node, TransformFunction f,
                                         const Context& context) {
  ValueCopy tested;
  bool found = false;
  ForEachChild(node, [&](const FunctionTree* child, int slot) {
    const ScoreValue* c = Child(child, f, context);
    if (slot == 0) {
      tested.Set(*c);
    } else {
      found = builtin::Matches(*c, *tested.Get());
    }
    return !found;
  });
  if (f == TD::kFN_IS_IN) return Number(found ? 1.0 : 0.0);
  return Number(found ? 0.0 : 1.0);
}

// if(condition, then, else): the condition is met when it is a number other
// than 0 and not missing. Only the chosen branch is evaluated; a missing
// branch is system-missing.
const ScoreValue* ApplyEvaluator::If(const FunctionTree* node, const Context& context) {
  const FunctionTree* condition = NthChild(node, 0);
  if (condition == nullptr) return Number(kSysmis);
  const double x = Child(condition, TD::kFN_IF, context)->GetDouble();
  const bool met = x != 0.0 && !std::isnan(x) && !NumericValue::IsSystemMissingValue(x);
  const FunctionTree* branch = NthChild(node, met ? 1 : 2);
  if (branch == nullptr) return Number(kSysmis);
  return Child(branch, TD::kFN_IF, context);
}

}  // namespace MCOrvane_600
