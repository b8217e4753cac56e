// The walk of standard PMML nodes (kFN_X_STANDARD). Their arguments are
// read as standard::Values, so that missing and invalid stay apart inside a
// standard expression; a library node among them is evaluated as always and
// its answer read as a value.

#include <cstddef>
#include <string>
#include <vector>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/transform/transform_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/apply_evaluator.h"
#include "transform/engine/builtin_functions.h"
#include "transform/engine/constant_number.h"
#include "transform/engine/eval_case.h"

namespace MCOrvane_600 {

namespace {

using SValue = standard::Value;
using builtin::Kind;
using standard::OrMapped;

constexpr double kSysmis = NumericValue::GetSysmisValue();

}  // namespace

SValue ApplyEvaluator::FromScore(const ScoreValue* value) {
  if (value == nullptr) return SValue::Missing();
  switch (value->GetType()) {
    case ScoreValue::kNUMERIC_VALUE:
    case ScoreValue::kDATETIME_VALUE: {
      const double x = value->GetDouble();
      if (NumericValue::IsSystemMissingValue(x)) return SValue::Missing();
      SValue v = SValue::Number(x);
      if (value->GetType() == ScoreValue::kDATETIME_VALUE && v.present()) v.state = SValue::kDate;
      return v;
    }
    default: {
      // The object model has no missing text: the empty text stands for it.
      std::string text = value->GetString();
      return text.empty() ? SValue::Missing() : SValue::Text(std::move(text));
    }
  }
}

SValue ApplyEvaluator::StandardConstant(const Node& node) {
  if (node.constant == 'S') return SValue::Text(node.name->substr(internal::ConstantTextBegin(*node.name)));
  if (NumericValue::IsSystemMissingValue(node.number)) return SValue::Missing();
  SValue v = SValue::Number(node.number);
  if (node.constant == 'T' && v.present()) v.state = SValue::kDate;
  return v;
}

SValue ApplyEvaluator::StandardField(const Node& node, EvalCase& ec) {
  const int k = node.operand;
  const ScoreValue* v = ec.Value(k, *node.name);
  const ScoreDictVar* var = ec.Var(k, *node.name);
  if (v == nullptr) {
    if (var != nullptr && var->IsDerivedVariable()) {
      const SValue derived = FromScore(DerivedField(k, *node.name, *var, ec));
      // Stored as missing, but invalid when its expression answered so.
      if (derived.state == SValue::kMissing && DerivedInvalid(k, *var, ec)) {
        return SValue::Invalid();
      }
      return derived;
    }
    return SValue::Missing();
  }
  if (var != nullptr && var->IsMissingValue(v)) return SValue::Missing();
  return FromScore(v);
}

bool ApplyEvaluator::DerivedInvalid(int k, const ScoreDictVar& var, EvalCase& ec) const {
  return AnsweredInvalid(ec.AsDerived(k, &var), ec.pass());
}

bool ApplyEvaluator::AnsweredInvalid(const TransformVar* derived, std::uint64_t pass) {
  if (derived == nullptr || derived->GetTransExpression() != TransformationDictionary::kAPPLY) {
    return false;
  }
  const internal::ApplyProgram* program = derived->program_.get();
  return program != nullptr && program->Describes(derived->root_.get()) &&
         program->TopInvalid(pass);
}

SValue ApplyEvaluator::StandardValue(int i, EvalCase& ec) {
  const Node& node = program_->node(i);
  if (node.constant != 0) return StandardConstant(node);
  if (node.kind == Kind::kOperand) return StandardField(node, ec);
  if (node.kind != Kind::kStandard) return FromScore(Evaluate(i, ec));

  const int a = node.first;
  switch (node.op) {
    case standard::kIf: {
      const SValue condition = StandardValue(a, ec);
      if (!condition.present()) return condition;
      const SValue decided = standard::Cast(condition, standard::kBoolean);
      if (!decided.present()) return decided;
      // Only the branch taken is computed.
      if (decided.x != 0.0) return StandardValue(a + 1, ec);
      return node.count > 2 ? StandardValue(a + 2, ec) : SValue::Missing();
    }
    case standard::kIsMissing:
    case standard::kIsNotMissing:
    case standard::kIsValid:
    case standard::kIsNotValid: {
      const SValue v = StandardValue(a, ec);
      switch (node.op) {
        case standard::kIsMissing:
          return SValue::Bool(v.state == SValue::kMissing);
        case standard::kIsNotMissing:
          return SValue::Bool(v.state != SValue::kMissing);
        case standard::kIsValid:
          return SValue::Bool(v.present());
        default:
          return SValue::Bool(v.state == SValue::kInvalid);
      }
    }
    case standard::kGuard: {
      SValue v = StandardValue(a, ec);
      if (v.state == SValue::kInvalid) {
        const SValue fallback = StandardValue(a + 2, ec);
        if (fallback.present()) return fallback;
        if (program_->node(a + 3).number == standard::kTreatAsMissing) v = SValue::Missing();
      }
      return OrMapped(v, StandardValue(a + 1, ec));
    }
    case standard::kMapMissing:
      return OrMapped(StandardValue(a, ec), StandardValue(a + 1, ec));
    case standard::kCast:
      return standard::Cast(StandardValue(a, ec), CodeOf(program_->node(a + 1).number));
    case standard::kNormContinuous:
    case standard::kNormDiscrete:
    case standard::kDiscretize:
    case standard::kMapValues:
      return StandardTable(node, ec);
    case standard::kValidity:
      return StandardValidity(node, ec);
    case standard::kTreatInput: {
      const SValue v = StandardValue(a, ec);
      if (v.state != SValue::kInvalid) return v;
      return program_->node(a + 1).number == standard::kTreatAsIs ? v.AsIs() : SValue::Missing();
    }
    case standard::kNoOp:
      return SValue::Invalid();
    default: {
      std::vector<SValue> args;
      args.reserve(static_cast<std::size_t>(node.count));
      for (int slot = 0; slot < node.count; ++slot) args.push_back(StandardValue(a + slot, ec));
      return standard::Apply(static_cast<standard::Op>(node.op), args.data(), args.size());
    }
  }
}

SValue ApplyEvaluator::StandardTable(const Node& node, EvalCase& ec) {
  const int a = node.first;
  switch (node.op) {
    case standard::kNormDiscrete: {
      const SValue v = StandardValue(a, ec);
      if (!v.present()) return OrMapped(v, StandardValue(a + 2, ec));
      return SValue::Bool(standard::CompareValues(v, StandardValue(a + 1, ec)) == 0);
    }
    case standard::kNormContinuous: {
      const SValue v = StandardValue(a, ec);
      if (!v.present()) return OrMapped(v, StandardValue(a + 2, ec));
      return StandardNorm(*program_, node, v);
    }
    case standard::kDiscretize: {
      const SValue v = StandardValue(a, ec);
      if (!v.present()) return OrMapped(v, StandardValue(a + 1, ec));
      const int chosen = StandardBin(*program_, node, v);
      return chosen < 0 ? SValue::Invalid() : StandardValue(chosen, ec);
    }
    default: {  // kMapValues
      const int columns = MapColumns(*program_, node);
      if (columns < 0) return SValue::Invalid();
      std::vector<SValue> keys;
      keys.reserve(static_cast<std::size_t>(columns));
      for (int c = 0; c < columns; ++c) {
        keys.push_back(StandardValue(a + 1 + c, ec));
        if (!keys.back().present()) return OrMapped(keys.back(), StandardValue(a + 1 + columns, ec));
      }
      return StandardValue(StandardMapRow(*program_, node, keys.data()), ec);
    }
  }
}

int ApplyEvaluator::MapColumns(const internal::ApplyProgram& program, const Node& node) {
  const int columns = CodeOf(program.node(node.first).number);
  return columns >= 0 && 3 + columns <= node.count ? columns : -1;
}

int ApplyEvaluator::StandardMapRow(const internal::ApplyProgram& program, const Node& node,
                                   const SValue* keys) {
  const int a = node.first;
  const int end = a + node.count;
  const int columns = MapColumns(program, node);
  for (int row = a + 3 + columns; row + columns < end; row += columns + 1) {
    bool match = true;
    for (int c = 0; c < columns && match; ++c) {
      const Node& cell = program.node(row + c);
      const SValue& key = keys[c];
      if (cell.constant == 0 || cell.name == nullptr) {
        match = false;  // not a cell the reader makes
      } else if (cell.constant == 'D' && key.state != SValue::kString) {
        match = key.x == cell.number;
      } else if (key.state == SValue::kString) {
        match = cell.name->compare(internal::ConstantTextBegin(*cell.name), std::string::npos,
                                   key.s) == 0;
      } else {
        match = cell.name->compare(internal::ConstantTextBegin(*cell.name), std::string::npos,
                                   standard::ToText(key)) == 0;
      }
    }
    if (match) return row + columns;
  }
  return a + 2 + columns;
}

SValue ApplyEvaluator::StandardNorm(const internal::ApplyProgram& program, const Node& node,
                                    const SValue& v) {
  const int a = node.first;
  const int end = a + node.count;
  auto number = [&program](int i) { return program.node(i).number; };
  double x = 0.0;
  if (!standard::ToNumber(v, &x)) return SValue::Invalid();
  const int first = a + 3;
  const int last = end - 2;  // the last point's orig
  int segment = first;       // the orig of the segment's left point
  if (x < number(first) || x > number(last)) {
    const int outliers = CodeOf(number(a + 1));
    if (outliers == standard::kOutliersAsMissing) return SValue::Missing();
    if (outliers == standard::kOutliersAsExtreme) {
      return SValue::Number(number((x < number(first) ? first : last) + 1));
    }
    segment = x < number(first) ? first : last - 2;
  } else {
    while (segment + 2 < last && x > number(segment + 2)) segment += 2;
  }
  const double a0 = number(segment);
  const double n0 = number(segment + 1);
  const double a1 = number(segment + 2);
  const double n1 = number(segment + 3);
  if (a1 == a0) return SValue::Number(n0);
  return SValue::Number(n0 + (x - a0) * (n1 - n0) / (a1 - a0));
}

int ApplyEvaluator::StandardBin(const internal::ApplyProgram& program, const Node& node,
                                const SValue& v) {
  const int a = node.first;
  const int end = a + node.count;
  auto number = [&program](int i) { return program.node(i).number; };
  double x = 0.0;
  if (!standard::ToNumber(v, &x)) return -1;
  for (int bin = a + 3; bin + 3 < end; bin += 4) {
    if (InInterval(CodeOf(number(bin)), number(bin + 1), number(bin + 2), x)) {
      return bin + 3;
    }
  }
  return a + 2;
}

SValue ApplyEvaluator::StandardValidity(const Node& node, EvalCase& ec) {
  const int a = node.first;
  const Node& source = program_->node(a);
  if (source.kind != Kind::kOperand || source.constant != 0) return StandardValue(a, ec);
  const ScoreValue* value = ec.Value(source.operand, *source.name);
  if (value == nullptr) return StandardField(source, ec);
  const SValue v = FromScore(value);
  if (!v.present()) return v;
  return JudgeValidity(
      *program_, node, v, [this, &ec](int i) { return StandardValue(i, ec); },
      [&ec, &source, value]() {
        const ScoreDictVar* var = ec.Var(source.operand, *source.name);
        return var != nullptr && var->IsMissingValue(value);
      });
}

const ScoreValue* ApplyEvaluator::Standard(const Node& node, EvalCase& ec) {
  const int i = static_cast<int>(&node - &program_->node(0));
  const SValue v = StandardValue(i, ec);
  if (i == 0) program_->NoteTop(v.state == SValue::kInvalid, ec.pass());
  switch (v.state) {
    case SValue::kNumber:
      return Number(v.x);
    case SValue::kDate:
      date_time_->SetDateTimeValue(v.x, DateTimeValue::kDATETIME_VAL);
      return date_time_;
    case SValue::kString:
      text_->SetString(v.s);
      text_->SetLength(static_cast<int>(v.s.size()));
      return text_;
    default:
      break;
  }
  // Missing or invalid: the missing value of what the node answers.
  if (node.op == standard::kCast && node.count > 1 &&
      program_->node(node.first + 1).number == standard::kText) {
    text_->SetString(std::string());
    text_->SetLength(0);
    return text_;
  }
  return Number(kSysmis);
}

}  // namespace MCOrvane_600
