#include "transform/eval_lane.h"

#include <algorithm>
#include <typeinfo>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "transform/apply_program.h"
#include "transform/builtin_functions.h"
#include "transform/constant_number.h"
#include "transform/eval_case.h"

namespace MCOrvane_600 {
namespace internal {

namespace {

using TD = TransformationDictionary;
constexpr double kSysmis = NumericValue::GetSysmisValue();

// The number a recode value gives a number result: its own unless that is
// missing, when the result stays system-missing.
double RecodeNumber(const ScoreValue* recode) {
  if (recode == nullptr) return kSysmis;
  const double x = recode->GetDouble();
  return NumericValue::IsSystemMissingValue(x) ? kSysmis : x;
}

}  // namespace

EvalLane::EvalLane(const TransformationDictionary& owner, EvalPlan& plan) {
  const std::vector<EvalPlan::Step>& steps = plan.steps();
  steps_.resize(steps.size());
  results_.assign(steps.size(), 0.0);
  known_.assign(steps.size(), 0);
  operand_input_.assign(plan.operand_count(), -2);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const EvalPlan::Step& planned = steps[i];
    if (!planned.simple) continue;
    const TransformationDictionary::DerivedSlot& slot = owner.slots_[i];
    const TransformVar& var = *planned.var;
    if (!slot.plain_number || slot.value == nullptr || var.result_ == nullptr ||
        var.result_type_ != ScoreValue::kNUMERIC_VALUE) {
      continue;
    }
    Step step;
    bool laid = false;
    const TD::TransExpression kind = var.trans_expression_;
    if (kind == TD::kAPPLY) {
      laid = LayProgram(step, var, i, owner, plan);
    } else if (kind == TD::kNORMCONTINUOUS || kind == TD::kDISCRETIZE || kind == TD::kMAPVALUES) {
      const int input = InputOf(plan.Find(var.field_name_), i, owner, plan);
      if (input >= 0) {
        if (kind == TD::kNORMCONTINUOUS) laid = LayNorm(step, var, input);
        if (kind == TD::kDISCRETIZE) laid = LayBins(step, var, input);
        if (kind == TD::kMAPVALUES) laid = LayMap(step, var, input);
      }
    }
    if (!laid) continue;
    step.out = static_cast<NumericValue*>(slot.value);
    steps_[i] = step;
  }
  decoded_.resize(inputs_.size());
}

int EvalLane::InputOf(int k, std::size_t at, const TransformationDictionary& owner,
                      EvalPlan& plan) {
  if (k < 0) return -1;
  int& known = operand_input_[static_cast<std::size_t>(k)];
  if (known == -2) {
    known = -1;
    const EvalPlan::Operand& op = plan.operand(k);
    std::int32_t step = -1;
    bool readable = !op.live && !op.cycle;
    if (readable && op.derived != nullptr) {
      // A derived field is read where its own step stored it.
      readable = false;
      if (op.flag != nullptr && !owner.computed_.empty()) {
        const std::size_t j = static_cast<std::size_t>(op.flag - owner.computed_.data());
        if (j < plan.steps().size() && plan.steps()[j].simple &&
            plan.steps()[j].var == op.derived && owner.slots_[j].plain_number) {
          step = static_cast<std::int32_t>(j);
          readable = true;
        }
      }
    }
    if (readable) {
      known = static_cast<int>(inputs_.size());
      Input input;
      input.operand = k;
      input.step = step;
      inputs_.push_back(input);
    }
  }
  // Only a field computed before this step can be read.
  if (known >= 0 && inputs_[static_cast<std::size_t>(known)].step >= static_cast<std::int32_t>(at)) {
    return -1;
  }
  return known;
}

bool EvalLane::LayNorm(Step& step, const TransformVar& var, int input) {
  step.kind = kNorm;
  step.input = input;
  step.a = var.scale_;
  step.b = var.offset_;
  inputs_[static_cast<std::size_t>(input)].needs_raw = true;
  return true;
}

// The answers for an absent input and for an unmatched one that is not
// missing, as the recode rules give them to a number result.
void EvalLane::LayRecodes(Step& step, const TransformVar& var) {
  step.a = RecodeNumber(var.map_missing_to_.get());
  if (var.default_value_ != nullptr) {
    step.b = RecodeNumber(var.default_value_.get());
    step.unmatched_known = true;
  } else if (!var.recode_else_copy_) {
    step.b = kSysmis;
    step.unmatched_known = true;
  }
}

bool EvalLane::LayBins(Step& step, const TransformVar& var, int input) {
  if (var.GetVarType() != ScoreDictVar::kNUMERIC_VAR) return false;
  if (var.bin_bounds_state_ == TransformVar::Index::kUnknown) var.BuildBinBounds();
  if (var.bin_bounds_state_ != TransformVar::Index::kBuilt) return false;
  step.kind = kBins;
  step.input = input;
  step.first = static_cast<std::uint32_t>(bins_.size());
  for (const TransformVar::BinBounds& bounds : var.bin_bounds_) {
    // A bin without both ends never holds anything.
    if (!bounds.present) continue;
    bins_.push_back({bounds.low_included, bounds.high_included, bounds.plain_number, bounds.min,
                     bounds.max, bounds.number});
  }
  step.count = static_cast<std::uint32_t>(bins_.size()) - step.first;
  LayRecodes(step, var);
  Input& read = inputs_[static_cast<std::size_t>(input)];
  read.needs_raw = true;
  read.needs_missing = true;
  return true;
}

bool EvalLane::LayMap(Step& step, const TransformVar& var, int input) {
  if (var.GetVarType() != ScoreDictVar::kNUMERIC_VAR) return false;
  if (var.encoding_index_state_ == TransformVar::Index::kUnknown) var.BuildEncodingIndex();
  if (var.encoding_index_state_ != TransformVar::Index::kBuilt) return false;
  step.kind = kMap;
  step.input = input;
  step.first = static_cast<std::uint32_t>(rows_.size());
  for (std::size_t r = 0; r < var.encoding_keys_.size(); ++r) {
    const TransformVar::EncodingKey& key = var.encoding_keys_[r];
    rows_.push_back({Intern(var.encoding_texts_[r]), key.plain_number, key.number});
  }
  step.count = static_cast<std::uint32_t>(rows_.size()) - step.first;
  LayRecodes(step, var);
  Input& read = inputs_[static_cast<std::size_t>(input)];
  read.needs_key = true;
  read.needs_missing = true;
  return true;
}

bool EvalLane::LayProgram(Step& step, const TransformVar& var, std::size_t at,
                          const TransformationDictionary& owner, EvalPlan& plan) {
  using PStep = ApplyProgram::Step;
  const ApplyProgram* program = var.program_.get();
  if (var.root_ == nullptr || program == nullptr || !program->Describes(var.root_.get()) ||
      program->number_steps().empty()) {
    return false;
  }
  const std::uint32_t first = static_cast<std::uint32_t>(ops_.size());
  for (const PStep& planned : program->number_steps()) {
    Op op{Op::kConstant, false, static_cast<std::int32_t>(planned.function), planned.count,
          planned.number};
    switch (planned.kind) {
      case PStep::kConstant:
        break;
      case PStep::kField: {
        const ApplyProgram::Node& node = program->node(planned.node);
        // "sysmis" and "value" read the stored number itself.
        const int input = node.parent == TD::kFN_SYSMIS || node.parent == TD::kFN_VALUE
                              ? -1
                              : InputOf(plan.Find(*node.name), at, owner, plan);
        if (input < 0) {
          ops_.resize(first);
          return false;
        }
        inputs_[static_cast<std::size_t>(input)].needs_number = true;
        op.code = Op::kField;
        op.arg = input;
        break;
      }
      case PStep::kFold:
        op.code = Op::kFold;
        op.scalar = builtin::ScalarFunctionOf(planned.function);
        break;
      case PStep::kCollect:
        op.code = Op::kCollect;
        op.vector = builtin::VectorFunctionOf(planned.function);
        break;
      default:
        if (!LayNode(&op, *program, planned.node, at, owner, plan)) {
          ops_.resize(first);
          return false;
        }
        break;
    }
    ops_.push_back(op);
  }
  step.kind = kProgram;
  step.first = first;
  step.count = static_cast<std::uint32_t>(ops_.size()) - first;
  if (stack_.size() < step.count) stack_.resize(step.count);
  // A change anywhere in the tree drops the plan, and the lane with it.
  program->Watch(plan.validity());
  return true;
}

bool EvalLane::LayNode(Op* op, const ApplyProgram& program, int i, std::size_t at,
                       const TransformationDictionary& owner, EvalPlan& plan) {
  using Kind = builtin::Kind;
  const ApplyProgram::Node& node = program.node(i);
  if (node.constant != 0) return false;
  auto is_field = [&program](int child) {
    const ApplyProgram::Node& leaf = program.node(child);
    return leaf.constant == 0 && leaf.kind == Kind::kOperand;
  };
  if (node.kind == Kind::kIsMissing && node.count >= 1 && is_field(node.first)) {
    const int input = InputOf(plan.Find(*program.node(node.first).name), at, owner, plan);
    if (input < 0) return false;
    inputs_[static_cast<std::size_t>(input)].needs_missing_answer = true;
    op->code = Op::kIsMissing;
    op->arg = input;
    return true;
  }
  if (node.kind == Kind::kCompare && node.count == 2) {
    int field = node.first;
    int text = node.first + 1;
    if (!is_field(field)) std::swap(field, text);
    if (!is_field(field) || program.node(text).constant != 'S') return false;
    const int input = InputOf(plan.Find(*program.node(field).name), at, owner, plan);
    if (input < 0) return false;
    const std::string& parameter = *program.node(text).name;
    std::string_view constant(parameter);
    constant.remove_prefix(ConstantTextBegin(parameter));
    while (!constant.empty() && constant.back() == ' ') constant.remove_suffix(1);
    Input& read = inputs_[static_cast<std::size_t>(input)];
    read.needs_key = true;
    read.needs_missing = true;
    read.needs_type = true;
    op->code = Op::kTextEqual;
    op->arg = input;
    op->empty_text = constant.empty();
    op->number = Intern(constant);
    return true;
  }
  return false;
}

std::int32_t EvalLane::Intern(std::string_view text) {
  return keys_.emplace(std::string(text), static_cast<std::int32_t>(keys_.size())).first->second;
}

std::int32_t EvalLane::KeyOf(std::string_view text) const {
  const auto found = keys_.find(std::string(text));
  return found != keys_.end() ? found->second : -1;
}

void EvalLane::Decode(EvalCase& ec) {
  static const std::string kUnnamed;
  for (std::size_t j = 0; j < inputs_.size(); ++j) {
    const Input& input = inputs_[j];
    Decoded& d = decoded_[j];
    const ScoreValue* v = ec.Value(input.operand, kUnnamed);
    const ScoreDictVar* var = ec.Var(input.operand, kUnnamed);
    d.has_var = var != nullptr;
    d.number_known = false;
    d.missing = false;
    d.missing_answer = -1;
    d.key = -1;
    // A name without a variable reads as a number.
    ScoreDictVar::VariableType type = ScoreDictVar::kNUMERIC_VAR;
    if (var != nullptr && (input.needs_number || input.needs_type || input.needs_missing_answer)) {
      type = var->GetVarType();
    }
    d.type = static_cast<std::int8_t>(type);
    const bool numeric = type == ScoreDictVar::kNUMERIC_VAR;
    if (v == nullptr) {
      d.state = input.step >= 0 ? kDerived : kAbsent;
      d.raw = kSysmis;
      if (d.state == kDerived) continue;
      // An absent field is the missing value of its variable's type.
      if (input.needs_number) {
        d.number = kSysmis;
        d.number_known = numeric;
      }
      if (input.needs_missing_answer) {
        if (var == nullptr) {
          d.missing_answer = 0;
        } else if (numeric) {
          d.missing_answer = var->IsMissingValue(&NumericValue::SYSMIS) ? 1 : 0;
        }
      }
      continue;
    }
    d.state = kPresent;
    d.exact_number = typeid(*v) == typeid(NumericValue);
    d.exact_text = !d.exact_number && typeid(*v) == typeid(StringValue);
    if (input.needs_number || input.needs_raw) {
      d.raw = d.exact_number ? static_cast<const NumericValue*>(v)->NumericValue::GetDouble()
                             : v->GetDouble();
    }
    const bool asks_var = input.needs_missing || input.needs_missing_answer ||
                          (input.needs_number && numeric);
    const bool var_missing = var != nullptr && asks_var && var->IsMissingValue(v);
    if (input.needs_missing) d.missing = var != nullptr ? var_missing : v->IsSystemMissingValue();
    if (input.needs_number && (var == nullptr || type != ScoreDictVar::kSTRING_VAR)) {
      // User-missing numbers of a number variable become system-missing.
      d.number = var != nullptr && numeric && var_missing ? kSysmis : d.raw;
      d.number_known = true;
    }
    if (input.needs_missing_answer) {
      // The field of a number variable is its value, or the system-missing
      // value where the variable calls the value missing.
      if (var == nullptr) {
        d.missing_answer = 0;
      } else if (numeric) {
        d.missing_answer = var_missing && var->IsMissingValue(&NumericValue::SYSMIS) ? 1 : 0;
      }
    }
    if (input.needs_key && d.exact_text) {
      // Texts match without their trailing spaces.
      const std::string text = v->GetString();
      std::size_t size = text.size();
      while (size > 0 && text[size - 1] == ' ') --size;
      d.key = KeyOf(std::string_view(text.data(), size));
    }
  }
}

bool EvalLane::SourceNumber(const Step& step, double* x) const {
  const Decoded& d = decoded_[static_cast<std::size_t>(step.input)];
  switch (d.state) {
    case kPresent:
      *x = d.raw;
      return true;
    case kAbsent:
      *x = kSysmis;
      return true;
    default: {
      const std::size_t j = static_cast<std::size_t>(inputs_[static_cast<std::size_t>(step.input)].step);
      if (!known_[j]) return false;
      *x = results_[j];
      return true;
    }
  }
}

bool EvalLane::ComputeBins(const Step& step, double* x) const {
  const Decoded& d = decoded_[static_cast<std::size_t>(step.input)];
  if (d.state == kAbsent) {
    *x = step.a;
    return true;
  }
  if (d.state == kPresent && !d.exact_number) return false;
  double v = 0.0;
  if (!SourceNumber(step, &v)) return false;
  if (!NumericValue::IsSystemMissingValue(v)) {
    const Bin* bin = bins_.data() + step.first;
    const Bin* end = bin + step.count;
    for (; bin != end; ++bin) {
      if (!(v > bin->low || (bin->low_included && NumericValue::IsEqual(v, bin->low)))) continue;
      if (!(v < bin->high || (bin->high_included && NumericValue::IsEqual(v, bin->high)))) continue;
      if (!bin->plain) return false;
      *x = bin->number;
      return true;
    }
  }
  // No bin: the recode rules, for a value its variable does not call
  // missing.
  if (d.state != kPresent || d.missing || !step.unmatched_known) return false;
  *x = step.b;
  return true;
}

bool EvalLane::ComputeMap(const Step& step, double* x) const {
  const Decoded& d = decoded_[static_cast<std::size_t>(step.input)];
  if (d.state == kAbsent) {
    *x = step.a;
    return true;
  }
  if (d.state != kPresent || !d.exact_text) return false;
  if (d.key >= 0) {
    const Row* row = rows_.data() + step.first;
    const Row* end = row + step.count;
    for (; row != end; ++row) {
      if (row->key != d.key) continue;
      if (!row->plain) return false;
      *x = row->number;
      return true;
    }
  }
  if (d.missing || !step.unmatched_known) return false;
  *x = step.b;
  return true;
}

bool EvalLane::ComputeProgram(const Step& step, double* x) {
  double* stack = stack_.data();
  std::size_t top = 0;
  const Op* op = ops_.data() + step.first;
  const Op* end = op + step.count;
  // As the general evaluation's steps: arguments pushed left to right, each
  // node folded once its arguments are all there.
  for (; op != end; ++op) {
    switch (op->code) {
      case Op::kConstant:
        stack[top++] = op->number;
        break;
      case Op::kField: {
        const std::size_t input = static_cast<std::size_t>(op->arg);
        const Decoded& d = decoded_[input];
        if (d.state == kDerived) {
          const std::size_t j = static_cast<std::size_t>(inputs_[input].step);
          if (!known_[j]) return false;
          stack[top++] = results_[j];
        } else {
          if (!d.number_known) return false;
          stack[top++] = d.number;
        }
        break;
      }
      case Op::kIsMissing:
      case Op::kTextEqual: {
        double r = 0.0;
        const bool known = op->code == Op::kIsMissing ? IsMissingNumber(*op, &r)
                                                        : TextEqualNumber(*op, &r);
        if (!known) return false;
        stack[top++] = r;
        break;
      }
      case Op::kFold: {
        const builtin::ScalarFunction f = op->scalar;
        const std::size_t n = static_cast<std::size_t>(op->arg);
        const double* v = stack + top - n;
        double r = 0.0;
        double p = n > 0 ? v[0] : 0.0;
        for (std::size_t i = 1; i < n; ++i) {
          r = f(p, v[i]);
          p = r;
        }
        // A single argument is applied alone.
        if (n == 1) r = f(p, 0.0);
        top -= n;
        stack[top++] = r;
        break;
      }
      case Op::kCollect: {
        const std::size_t n = static_cast<std::size_t>(op->arg);
        top -= n;
        const double r = op->vector(stack + top, n);
        stack[top++] = r;
        break;
      }
    }
  }
  *x = stack[0];
  return true;
}

bool EvalLane::IsMissingNumber(const Op& op, double* x) const {
  const Decoded& d = decoded_[static_cast<std::size_t>(op.arg)];
  if (d.state == kDerived || d.missing_answer < 0) return false;
  const bool missing = d.missing_answer == 1;
  *x = missing == (op.function == TD::kFN_IS_MISSING) ? 1.0 : 0.0;
  return true;
}

bool EvalLane::TextEqualNumber(const Op& op, double* x) const {
  const Decoded& d = decoded_[static_cast<std::size_t>(op.arg)];
  bool equal = false;
  switch (d.state) {
    case kPresent:
      if (d.exact_text) {
        // A user-missing text of a number variable is the system-missing
        // number, which no text equals.
        const bool as_number = d.has_var && d.type == ScoreDictVar::kNUMERIC_VAR && d.missing;
        equal = !as_number && d.key >= 0 && d.key == static_cast<std::int32_t>(op.number);
      } else if (!d.exact_number) {
        return false;
      }
      break;
    case kAbsent:
      // Only a text variable's missing value, the empty text, is a text.
      equal = d.has_var && d.type == ScoreDictVar::kSTRING_VAR && op.empty_text;
      break;
    default:
      return false;
  }
  *x = equal == (op.function == TD::kFN_EQUAL) ? 1.0 : 0.0;
  return true;
}

void EvalLane::Run(TransformationDictionary& owner, EvalCase& ec) {
  Decode(ec);
  std::fill(known_.begin(), known_.end(), 0);
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    const Step& step = steps_[i];
    if (step.kind != kGeneral && !owner.computed_[i]) {
      double x = 0.0;
      bool done = false;
      switch (step.kind) {
        case kNorm:
          done = SourceNumber(step, &x);
          if (done && !NumericValue::IsSystemMissingValue(x)) x = step.a * x + step.b;
          break;
        case kBins:
          done = ComputeBins(step, &x);
          break;
        case kMap:
          done = ComputeMap(step, &x);
          break;
        case kProgram:
          done = ComputeProgram(step, &x);
          break;
        default:
          break;
      }
      if (done) {
        step.out->SetDoubleValue(x);
        owner.computed_[i] = 1;
        results_[i] = x;
        known_[i] = 1;
        continue;
      }
    }
    owner.EvaluateStep(i, ec);
    if (i < owner.slots_.size() && owner.computed_[i] && owner.slots_[i].plain_number &&
        owner.slots_[i].value != nullptr) {
      results_[i] = owner.slots_[i].value->GetDouble();
      known_[i] = 1;
    }
  }
}

}  // namespace internal
}  // namespace MCOrvane_600
