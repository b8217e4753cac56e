#include "transform/engine/eval_lane.h"

#include <algorithm>
#include <typeinfo>
#include <utility>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/case_record_access.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/apply_evaluator.h"
#include "transform/engine/apply_program.h"
#include "transform/engine/builtin_functions.h"
#include "transform/engine/constant_number.h"
#include "transform/engine/eval_case.h"
#include "values/trailing_spaces.h"

namespace MCOrvane_600 {
namespace internal {

namespace {

using TD = TransformationDictionary;
using SValue = standard::Value;
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
      laid = LayProgram(step, var, i, owner, plan) || LayStandard(step, var, i, owner, plan);
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
  for (std::size_t j = 0; j < inputs_.size(); ++j) {
    if (inputs_[j].step >= 0) {
      steps_[static_cast<std::size_t>(inputs_[j].step)].feeds = static_cast<std::int32_t>(j);
    }
  }
  decoded_.resize(inputs_.size());
  entries_.assign(inputs_.size(), nullptr);
  numbers_.assign(inputs_.size(), kSysmis);
  has_number_.assign(inputs_.size(), 0);
  texts_.resize(inputs_.size());
  judged_.resize(inputs_.size());
  has_judged_.assign(inputs_.size(), 0);
  Link();
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
      input.var = op.var;
      input.derived = op.derived;
      input.plain_var = op.var != nullptr && typeid(*op.var) == typeid(DictVar);
      inputs_.push_back(input);
    }
  }
  // Only a field computed before this step can be read.
  if (known >= 0 &&
      inputs_[static_cast<std::size_t>(known)].step >= static_cast<std::int32_t>(at)) {
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
  const std::size_t first_op = ops_.size();
  const std::size_t first_place = places_.size();
  const std::size_t first_constant = constants_.size();
  const std::size_t first_check = checks_.size();
  auto undo = [&]() {
    ops_.resize(first_op);
    places_.resize(first_place);
    constants_.resize(first_constant);
    checks_.resize(first_check);
    return false;
  };
  // The general evaluation's steps keep a stack of numbers; here the stack
  // holds where each number will be, and every function node becomes one
  // operation reading its arguments from there.
  std::vector<Place> stack;
  for (const PStep& planned : program->number_steps()) {
    switch (planned.kind) {
      case PStep::kConstant:
        stack.push_back({Place::kConstant, static_cast<std::int32_t>(constants_.size())});
        constants_.push_back(planned.number);
        break;
      case PStep::kField: {
        const ApplyProgram::Node& node = program->node(planned.node);
        // "sysmis" and "value" read the stored number itself.
        const int input = node.parent == TD::kFN_SYSMIS || node.parent == TD::kFN_VALUE
                              ? -1
                              : InputOf(plan.Find(*node.name), at, owner, plan);
        if (input < 0) return undo();
        inputs_[static_cast<std::size_t>(input)].needs_number = true;
        checks_.push_back(input);
        stack.push_back({Place::kInput, input});
        break;
      }
      case PStep::kFold:
      case PStep::kCollect: {
        const std::size_t n = static_cast<std::size_t>(planned.count);
        if (n > stack.size()) return undo();
        Op op;
        op.function = static_cast<std::int32_t>(planned.function);
        op.first_arg = static_cast<std::int32_t>(places_.size());
        op.count = planned.count;
        places_.insert(places_.end(), stack.end() - static_cast<std::ptrdiff_t>(n), stack.end());
        stack.resize(stack.size() - n);
        if (planned.kind == PStep::kFold) {
          op.code = Op::kFold;
          op.scalar = builtin::ScalarFunctionOf(planned.function);
        } else {
          op.code = Op::kCollect;
          op.vector = builtin::VectorFunctionOf(planned.function);
          if (gathered_.size() < n) gathered_.resize(n);
        }
        op.out = static_cast<std::int32_t>(ops_.size() - first_op);
        stack.push_back({Place::kStack, op.out});
        ops_.push_back(op);
        break;
      }
      default: {
        Op op;
        if (!LayNode(&op, *program, planned.node, at, owner, plan)) return undo();
        op.out = static_cast<std::int32_t>(ops_.size() - first_op);
        stack.push_back({Place::kStack, op.out});
        ops_.push_back(op);
        break;
      }
    }
  }
  if (stack.size() != 1) return undo();
  step.kind = kProgram;
  step.first = static_cast<std::uint32_t>(first_op);
  step.count = static_cast<std::uint32_t>(ops_.size() - first_op);
  step.checks = static_cast<std::uint32_t>(first_check);
  step.check_count = static_cast<std::uint32_t>(checks_.size() - first_check);
  step.answer = static_cast<std::uint32_t>(places_.size());
  places_.push_back(stack[0]);
  if (stack_.size() < step.count) stack_.resize(step.count);
  // A change anywhere in the tree drops the plan, and the lane with it.
  program->Watch(plan.validity());
  return true;
}

bool EvalLane::LayStandard(Step& step, const TransformVar& var, std::size_t at,
                           const TransformationDictionary& owner, EvalPlan& plan) {
  const ApplyProgram* program = var.program_.get();
  if (var.root_ == nullptr || program == nullptr || !program->Describes(var.root_.get()) ||
      program->node(0).kind != builtin::Kind::kStandard) {
    return false;
  }
  // A text cast answers the empty text for a missing value, never a number.
  const ApplyProgram::Node& top = program->node(0);
  if (top.op == standard::kCast && program->node(top.first + 1).number == standard::kText) {
    return false;
  }
  const std::size_t first_op = standard_ops_.size();
  const std::uint32_t base = static_cast<std::uint32_t>(cells_.size());
  cells_.resize(cells_.size() + program->node_count());
  if (!LayStandardNode(*program, 0, base, at, owner, plan)) {
    standard_ops_.resize(first_op);
    cells_.resize(base);
    // Fields judged by nodes of this program are judged again elsewhere.
    for (Input& input : inputs_) {
      if (input.validity_program != nullptr && input.validity_base >= base) {
        input.validity_program = nullptr;
      }
    }
    return false;
  }
  step.kind = kStandard;
  step.first = static_cast<std::uint32_t>(first_op);
  step.count = static_cast<std::uint32_t>(standard_ops_.size() - first_op);
  step.answer = base;
  step.program = program;
  program->Watch(plan.validity());
  return true;
}

bool EvalLane::LayStandardNode(const ApplyProgram& program, int i, std::uint32_t base,
                               std::size_t at, const TransformationDictionary& owner,
                               EvalPlan& plan) {
  const ApplyProgram::Node& node = program.node(i);
  if (node.constant != 0) {
    cells_[base + static_cast<std::uint32_t>(i)] = ApplyEvaluator::StandardConstant(node);
    return true;
  }
  StandardOp op;
  op.cell = base + static_cast<std::uint32_t>(i);
  op.first = base + static_cast<std::uint32_t>(node.first);
  op.count = node.count;
  if (node.kind == builtin::Kind::kOperand) {
    const int input = InputOf(plan.Find(*node.name), at, owner, plan);
    if (input < 0) return false;
    Input& read = inputs_[static_cast<std::size_t>(input)];
    // A derived field of another dictionary is computed on demand.
    if (read.step < 0 && read.var != nullptr && read.var->IsDerivedVariable()) return false;
    read.needs_number = true;
    read.needs_type = true;
    read.needs_text = true;
    read.needs_missing = true;
    op.what = StandardOp::kField;
    op.input = input;
    standard_ops_.push_back(op);
    return true;
  }
  if (node.kind != builtin::Kind::kStandard || node.op < 0) return false;
  if (node.op == standard::kValidity) {
    op.what = StandardOp::kValid;
    op.input = LayValidity(program, i, base, at, owner, plan);
    if (op.input < 0) return false;
    standard_ops_.push_back(op);
    return true;
  }
  // The children first: every value a node may read is there before it.
  for (int c = 0; c < node.count; ++c) {
    if (!LayStandardNode(program, node.first + c, base, at, owner, plan)) return false;
  }
  // The walk reads these attributes from the nodes' numbers.
  auto number = [&program, &node](int c) { return program.node(node.first + c).number; };
  op.op = node.op;
  switch (node.op) {
    case standard::kIf:
      op.what = StandardOp::kIf;
      break;
    case standard::kIsMissing:
    case standard::kIsNotMissing:
    case standard::kIsValid:
    case standard::kIsNotValid:
      op.what = StandardOp::kTest;
      break;
    case standard::kGuard:
      op.what = StandardOp::kGuard;
      op.code = number(3) == standard::kTreatAsMissing;
      break;
    case standard::kMapMissing:
      op.what = StandardOp::kMapMissing;
      break;
    case standard::kCast:
      op.what = StandardOp::kCast;
      op.code = number(1) >= 0.0 && number(1) <= 1e6 ? static_cast<int>(number(1)) : -1;
      break;
    case standard::kTreatInput:
      op.what = StandardOp::kTreatInput;
      op.code = number(1) == standard::kTreatAsIs;
      break;
    case standard::kNormContinuous:
    case standard::kDiscretize:
      op.what = node.op == standard::kDiscretize ? StandardOp::kBin : StandardOp::kNorm;
      op.node = i;
      op.program = &program;
      break;
    case standard::kMapValues:
      op.what = StandardOp::kMapValues;
      op.code = ApplyEvaluator::MapColumns(program, node);
      if (op.code < 0) return false;
      op.node = i;
      op.program = &program;
      break;
    default: {
      // Numbers, comparisons and logic; texts and dates stay with the walk.
      const int f = node.op;
      const bool number = f <= standard::kTanh ||
                          (f >= standard::kEqual && f <= standard::kIsNotIn) ||
                          (f >= standard::kNormalCDF && f <= standard::kErf);
      if (!number) return false;
      op.what = StandardOp::kFunction;
      break;
    }
  }
  standard_ops_.push_back(op);
  return true;
}

int EvalLane::LayValidity(const ApplyProgram& program, int i, std::uint32_t base, std::size_t at,
                          const TransformationDictionary& owner, EvalPlan& plan) {
  const ApplyProgram::Node& node = program.node(i);
  const ApplyProgram::Node& source = program.node(node.first);
  if (node.count < 2 || source.kind != builtin::Kind::kOperand || source.constant != 0 ||
      source.name == nullptr) {
    return -1;
  }
  // The judge reads its intervals and listed values as constants.
  for (int c = 1; c < node.count; ++c) {
    const ApplyProgram::Node& child = program.node(node.first + c);
    if (child.constant == 0) return -1;
    cells_[base + static_cast<std::uint32_t>(node.first + c)] =
        ApplyEvaluator::StandardConstant(child);
  }
  const int input = InputOf(plan.Find(*source.name), at, owner, plan);
  if (input < 0) return -1;
  Input& read = inputs_[static_cast<std::size_t>(input)];
  // A data field of the record, never one computed here or on demand.
  if (read.var == nullptr || read.step >= 0 || read.var->IsDerivedVariable()) return -1;
  if (read.validity_program == nullptr) {
    read.validity_program = &program;
    read.validity_node = i;
    read.validity_base = base;
  } else {
    // The field is judged once a case: every judge of it must be the same.
    const ApplyProgram& first = *read.validity_program;
    const ApplyProgram::Node& known = first.node(read.validity_node);
    if (known.count != node.count) return -1;
    for (int c = 1; c < node.count; ++c) {
      const ApplyProgram::Node& x = first.node(known.first + c);
      const ApplyProgram::Node& y = program.node(node.first + c);
      const bool same_number =
          x.number == y.number || (x.number != x.number && y.number != y.number);
      const bool same_name = x.name == y.name || (x.name != nullptr && y.name != nullptr &&
                                                  *x.name == *y.name);
      if (x.constant != y.constant || !same_number || !same_name) return -1;
    }
  }
  read.needs_text = true;
  read.needs_missing = true;
  return input;
}

void EvalLane::Link() {
  args_.resize(places_.size());
  for (std::size_t i = 0; i < places_.size(); ++i) {
    const Place& place = places_[i];
    const std::size_t k = static_cast<std::size_t>(place.index);
    switch (place.where) {
      case Place::kInput:
        args_[i] = &numbers_[k];
        break;
      case Place::kConstant:
        args_[i] = &constants_[k];
        break;
      default:
        args_[i] = &stack_[k];
        break;
    }
  }
  places_.clear();
  places_.shrink_to_fit();
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
    op->function = static_cast<std::int32_t>(node.function);
    op->first_arg = input;
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
    constant = WithoutTrailingSpaces(constant);
    Input& read = inputs_[static_cast<std::size_t>(input)];
    read.needs_key = true;
    read.needs_missing = true;
    read.needs_type = true;
    op->code = Op::kTextEqual;
    op->function = static_cast<std::int32_t>(node.function);
    op->first_arg = input;
    op->empty_text = constant.empty();
    op->key = Intern(constant);
    return true;
  }
  return false;
}

std::int32_t EvalLane::Intern(std::string_view text) {
  return keys_.emplace(std::string(text), static_cast<std::int32_t>(keys_.size())).first->second;
}

std::int32_t EvalLane::KeyOf(const std::string& text) const {
  const auto found = keys_.find(text);
  return found != keys_.end() ? found->second : -1;
}

void EvalLane::Decode(EvalCase& ec, EvalPlan& plan) {
  std::fill(has_judged_.begin(), has_judged_.end(), 0);
  const CaseRecord& record = *ec.case_record();
  const std::uint64_t layout = CaseRecordAccess::Layout(record);
  if (layout != layout_) {
    // Stamps are never reused: an equal one is the same record, laid out
    // the same.
    for (std::size_t j = 0; j < inputs_.size(); ++j) {
      entries_[j] = CaseRecordAccess::Entry(record, plan.operand(inputs_[j].operand).name);
    }
    layout_ = layout;
  }
  for (std::size_t j = 0; j < inputs_.size(); ++j) {
    const Input& input = inputs_[j];
    Decoded& d = decoded_[j];
    const ScoreValue* v = entries_[j] != nullptr ? *entries_[j] : nullptr;
    const ScoreDictVar* var = input.var;
    // The library's own variable answers without a virtual call.
    const DictVar* plain = input.plain_var ? static_cast<const DictVar*>(var) : nullptr;
    auto var_type = [var, plain]() {
      return plain != nullptr ? plain->DictVar::GetVarType() : var->GetVarType();
    };
    auto var_missing = [var, plain](const ScoreValue* value) {
      return plain != nullptr ? plain->DictVar::IsMissingValue(value) : var->IsMissingValue(value);
    };
    d.has_var = var != nullptr;
    // A derived field's number comes when its step has stored it.
    has_number_[j] = 0;
    d.missing = false;
    d.missing_answer = -1;
    d.key = -1;
    // A name without a variable reads as a number.
    ScoreDictVar::VariableType type = ScoreDictVar::kNUMERIC_VAR;
    if (var != nullptr && (input.needs_number || input.needs_type || input.needs_missing_answer)) {
      type = var_type();
    }
    d.type = static_cast<std::int8_t>(type);
    const bool numeric = type == ScoreDictVar::kNUMERIC_VAR;
    if (v == nullptr) {
      d.state = input.step >= 0 ? kDerived : kAbsent;
      d.raw = kSysmis;
      if (d.state == kDerived) continue;
      // An absent field is the missing value of its variable's type.
      if (input.needs_number) {
        numbers_[j] = kSysmis;
        has_number_[j] = numeric;
      }
      if (input.needs_missing_answer && var != nullptr && numeric) {
        d.missing_answer = var_missing(&NumericValue::SYSMIS) ? 1 : 0;
      }
      continue;
    }
    d.state = kPresent;
    d.exact_number = typeid(*v) == typeid(NumericValue);
    d.exact_text = !d.exact_number && typeid(*v) == typeid(StringValue);
    if (input.needs_number || input.needs_raw || (input.needs_text && d.exact_number)) {
      d.raw = d.exact_number ? static_cast<const NumericValue*>(v)->NumericValue::GetDouble()
                             : v->GetDouble();
    }
    const bool asks_var =
        input.needs_missing || input.needs_missing_answer || (input.needs_number && numeric);
    const bool missing_here = var != nullptr && asks_var && var_missing(v);
    if (input.needs_missing) d.missing = var != nullptr ? missing_here : v->IsSystemMissingValue();
    if (input.needs_number && (var == nullptr || type != ScoreDictVar::kSTRING_VAR)) {
      // User-missing numbers of a number variable become system-missing.
      numbers_[j] = var != nullptr && numeric && missing_here ? kSysmis : d.raw;
      has_number_[j] = 1;
    }
    if (input.needs_missing_answer && var != nullptr && numeric) {
      // The field of a number variable is its value, or the system-missing
      // value where the variable calls the value missing.
      d.missing_answer = missing_here && var_missing(&NumericValue::SYSMIS) ? 1 : 0;
    }
    if (input.needs_text && d.exact_text) {
      // The object model has no missing text: the empty text stands for it.
      SValue& text = texts_[j];
      text.s = v->GetString();
      text.state = text.s.empty() ? SValue::kMissing : SValue::kString;
    }
    if (input.needs_key && d.exact_text) {
      std::string text = v->GetString();
      text.resize(WithoutTrailingSpaces(text).size());
      d.key = KeyOf(text);
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
      // Handed on by its own step once stored.
      const std::size_t input = static_cast<std::size_t>(step.input);
      if (!has_number_[input]) return false;
      *x = numbers_[input];
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
  const std::int32_t* check = checks_.data() + step.checks;
  for (const std::int32_t* end = check + step.check_count; check != end; ++check) {
    if (!has_number_[static_cast<std::size_t>(*check)]) return false;
  }
  double* stack = stack_.data();
  const Op* op = ops_.data() + step.first;
  // As the general evaluation computes them: each node once its arguments
  // are all there, arguments left to right.
  for (const Op* end = op + step.count; op != end; ++op) {
    const double* const* args = args_.data() + op->first_arg;
    double r = 0.0;
    switch (op->code) {
      case Op::kFold: {
        const builtin::ScalarFunction f = op->scalar;
        const std::int32_t n = op->count;
        double p = n > 0 ? *args[0] : 0.0;
        for (std::int32_t i = 1; i < n; ++i) {
          r = f(p, *args[i]);
          p = r;
        }
        // A single argument is applied alone.
        if (n == 1) r = f(p, 0.0);
        break;
      }
      case Op::kCollect: {
        double* v = gathered_.data();
        const std::int32_t n = op->count;
        for (std::int32_t i = 0; i < n; ++i) v[i] = *args[i];
        r = op->vector(v, static_cast<std::size_t>(n));
        break;
      }
      case Op::kIsMissing:
        if (!IsMissingNumber(*op, &r)) return false;
        break;
      case Op::kTextEqual:
        if (!TextEqualNumber(*op, &r)) return false;
        break;
    }
    stack[op->out] = r;
  }
  *x = *args_[step.answer];
  return true;
}

bool EvalLane::StandardField(std::size_t j, const EvalCase& ec, SValue* v) const {
  const Decoded& d = decoded_[j];
  double x = kSysmis;
  switch (d.state) {
    case kPresent:
      // A text of a text variable.
      if (d.exact_text && d.type == ScoreDictVar::kSTRING_VAR && inputs_[j].needs_text) {
        *v = d.missing ? SValue::Missing() : texts_[j];
        return true;
      }
      // A number of a number variable (or of a name without one), its
      // missing values already system-missing.
      if (!d.exact_number || !has_number_[j] || d.type != ScoreDictVar::kNUMERIC_VAR) return false;
      x = numbers_[j];
      break;
    case kAbsent:
      *v = SValue::Missing();
      return true;
    default:
      if (!has_number_[j]) return false;
      x = numbers_[j];
      if (NumericValue::IsSystemMissingValue(x) &&
          ApplyEvaluator::AnsweredInvalid(inputs_[j].derived, ec.pass())) {
        *v = SValue::Invalid();
        return true;
      }
      break;
  }
  *v = NumericValue::IsSystemMissingValue(x) ? SValue::Missing() : SValue::Number(x);
  return true;
}

const SValue* EvalLane::JudgedField(std::size_t j) {
  if (has_judged_[j]) return &judged_[j];
  const Decoded& d = decoded_[j];
  const Input& input = inputs_[j];
  if (input.validity_program == nullptr) return nullptr;
  SValue& v = judged_[j];
  switch (d.state) {
    case kAbsent:
      v = SValue::Missing();
      break;
    case kPresent:
      if (d.exact_number) {
        v = NumericValue::IsSystemMissingValue(d.raw) ? SValue::Missing() : SValue::Number(d.raw);
      } else if (d.exact_text) {
        v = texts_[j];
      } else {
        return nullptr;
      }
      if (v.present()) {
        const SValue* constants = cells_.data() + input.validity_base;
        v = ApplyEvaluator::JudgeValidity(
            *input.validity_program, input.validity_program->node(input.validity_node), v,
            [constants](int i) -> const SValue& { return constants[i]; },
            [&d]() { return d.missing; });
      }
      break;
    default:
      return nullptr;
  }
  has_judged_[j] = 1;
  return &v;
}

bool EvalLane::ComputeStandard(const Step& step, const EvalCase& ec, double* x) {
  SValue* cells = cells_.data();
  const StandardOp* op = standard_ops_.data() + step.first;
  // Every node is computed, both branches of an "if" included: the
  // functions have no effects, and the walk computes the same values.
  for (const StandardOp* end = op + step.count; op != end; ++op) {
    SValue& out = cells[op->cell];
    const SValue* a = cells + op->first;
    switch (op->what) {
      case StandardOp::kField:
        if (!StandardField(static_cast<std::size_t>(op->input), ec, &out)) return false;
        break;
      case StandardOp::kFunction:
        out = standard::Apply(static_cast<standard::Op>(op->op), a,
                              static_cast<std::size_t>(op->count));
        break;
      case StandardOp::kIf: {
        if (!a[0].present()) {
          out = a[0];
          break;
        }
        const SValue decided = standard::Cast(a[0], standard::kBoolean);
        if (!decided.present()) {
          out = decided;
        } else if (decided.x != 0.0) {
          out = a[1];
        } else {
          out = op->count > 2 ? a[2] : SValue::Missing();
        }
        break;
      }
      case StandardOp::kTest: {
        const SValue::State state = a[0].state;
        switch (op->op) {
          case standard::kIsMissing:
            out = SValue::Bool(state == SValue::kMissing);
            break;
          case standard::kIsNotMissing:
            out = SValue::Bool(state != SValue::kMissing);
            break;
          case standard::kIsValid:
            out = SValue::Bool(a[0].present());
            break;
          default:
            out = SValue::Bool(state == SValue::kInvalid);
            break;
        }
        break;
      }
      case StandardOp::kGuard: {
        const SValue* v = a;
        const SValue missing;
        if (a[0].state == SValue::kInvalid) {
          if (a[2].present()) {
            out = a[2];
            break;
          }
          if (op->code != 0) v = &missing;
        }
        out = standard::OrMapped(*v, a[1]);
        break;
      }
      case StandardOp::kMapMissing:
        out = standard::OrMapped(a[0], a[1]);
        break;
      case StandardOp::kCast:
        out = standard::Cast(a[0], op->code);
        break;
      case StandardOp::kNorm:
        if (!a[0].present()) {
          out = standard::OrMapped(a[0], a[2]);
        } else {
          out = ApplyEvaluator::StandardNorm(*op->program, op->program->node(op->node), a[0]);
        }
        break;
      case StandardOp::kBin:
        if (!a[0].present()) {
          out = standard::OrMapped(a[0], a[1]);
        } else {
          const ApplyProgram::Node& node = op->program->node(op->node);
          const int chosen = ApplyEvaluator::StandardBin(*op->program, node, a[0]);
          out = chosen < 0 ? SValue::Invalid() : a[chosen - node.first];
        }
        break;
      case StandardOp::kValid: {
        const SValue* judged = JudgedField(static_cast<std::size_t>(op->input));
        if (judged == nullptr) return false;
        out = *judged;
        break;
      }
      case StandardOp::kMapValues: {
        // The first key that is not present answers, or the mapMissingTo.
        const int columns = op->code;
        const SValue* keys = a + 1;
        int c = 0;
        while (c < columns && keys[c].present()) ++c;
        if (c < columns) {
          out = standard::OrMapped(keys[c], keys[columns]);
          break;
        }
        const ApplyProgram::Node& node = op->program->node(op->node);
        const std::uint32_t base = op->cell - static_cast<std::uint32_t>(op->node);
        out = cells[base + static_cast<std::uint32_t>(
                               ApplyEvaluator::StandardMapRow(*op->program, node, keys))];
        break;
      }
      case StandardOp::kTreatInput:
        if (a[0].state != SValue::kInvalid) {
          out = a[0];
        } else {
          out = op->code != 0 ? a[0].AsIs() : SValue::Missing();
        }
        break;
    }
  }
  const SValue& top = cells[step.answer];
  switch (top.state) {
    case SValue::kNumber:
      *x = top.x;
      break;
    case SValue::kMissing:
    case SValue::kInvalid:
      *x = kSysmis;
      break;
    default:
      return false;
  }
  step.program->NoteTop(top.state == SValue::kInvalid, ec.pass());
  return true;
}

bool EvalLane::IsMissingNumber(const Op& op, double* x) const {
  const Decoded& d = decoded_[static_cast<std::size_t>(op.first_arg)];
  if (d.state == kDerived) return false;
  // A name no dictionary has is not a field that can be asked: 0 either way.
  if (!d.has_var) {
    *x = 0.0;
    return true;
  }
  if (d.missing_answer < 0) return false;
  const bool missing = d.missing_answer == 1;
  *x = missing == (op.function == TD::kFN_IS_MISSING) ? 1.0 : 0.0;
  return true;
}

bool EvalLane::TextEqualNumber(const Op& op, double* x) const {
  const Decoded& d = decoded_[static_cast<std::size_t>(op.first_arg)];
  bool equal = false;
  switch (d.state) {
    case kPresent:
      if (d.exact_text) {
        // A user-missing text of a number variable is the system-missing
        // number, which no text equals.
        const bool as_number = d.has_var && d.type == ScoreDictVar::kNUMERIC_VAR && d.missing;
        equal = !as_number && d.key >= 0 && d.key == op.key;
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

void EvalLane::Run(TransformationDictionary& owner, EvalCase& ec, EvalPlan& plan) {
  Decode(ec, plan);
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
        case kStandard:
          done = ComputeStandard(step, ec, &x);
          break;
        default:
          break;
      }
      if (done) {
        step.out->SetDoubleValue(x);
        owner.computed_[i] = 1;
        Feed(step, x);
        continue;
      }
    }
    owner.EvaluateStep(i, ec);
    if (step.feeds >= 0 && owner.computed_[i] && owner.slots_[i].plain_number &&
        owner.slots_[i].value != nullptr) {
      Feed(step, owner.slots_[i].value->GetDouble());
    }
  }
}

}  // namespace internal
}  // namespace MCOrvane_600
