#include "transform/engine/eval_case.h"

#include <memory>

#include <typeinfo>

#include "dictionary/dictionary_access.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "transform/engine/eval_lane.h"
#include "values/trailing_spaces.h"

namespace MCOrvane_600 {
namespace internal {

namespace {

int DataSize(const ScoreDictionary* data) { return data != nullptr ? data->Size() : -1; }

std::vector<const ScoreDictVar*> DataVars(const ScoreDictionary* data) {
  std::vector<const ScoreDictVar*> vars;
  if (data == nullptr) return vars;
  for (const ScoreDictVar* var : data->GetScoreDictVars()) vars.push_back(var);
  return vars;
}

bool SameVars(const ScoreDictionary* data, const std::vector<const ScoreDictVar*>& vars) {
  if (data == nullptr) return vars.empty();
  const std::vector<ScoreDictVar*> now = data->GetScoreDictVars();
  if (now.size() != vars.size()) return false;
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (now[i] != vars[i]) return false;
  }
  return true;
}

// The names evaluating `var` may look up: its source field, or the field
// operands of its Apply tree and the arguments "isMissing" asks about.
void AddReferencedNames(const TransformVar& var, std::vector<std::string>* names) {
  switch (var.GetTransExpression()) {
    case TransformationDictionary::kCONSTANT:
      return;
    case TransformationDictionary::kAPPLY:
      break;
    default:
      names->push_back(var.GetFieldName());
      return;
  }
  std::vector<const FunctionTree*> pending;
  if (var.GetRoot() != nullptr) pending.push_back(var.GetRoot());
  while (!pending.empty()) {
    const FunctionTree* node = pending.back();
    pending.pop_back();
    const ApplyNodeStats stats = node->GetNodeStats();
    const TransformationDictionary::TransformFunction f = stats.GetTransformFunction();
    if (!stats.IsConstNode() && f == TransformationDictionary::kFN_NONE) {
      names->push_back(stats.GetParameterName());
    }
    bool first = true;
    for (int i = 0; i < node->GetChildCount(); ++i) {
      const FunctionTree* child = node->GetChildAt(i);
      if (child == nullptr) continue;
      if (first && (f == TransformationDictionary::kFN_IS_MISSING ||
                    f == TransformationDictionary::kFN_IS_NOT_MISSING)) {
        names->push_back(child->GetNodeStats().GetParameterName());
      }
      first = false;
      pending.push_back(child);
    }
  }
}

}  // namespace

EvalPlan::EvalPlan(const TransformationDictionary& owner, const ScoreDictionary* data)
    : stamp_(NewStamp()),
      data_(data),
      data_size_(DataSize(data)),
      data_layout_(DictionaryAccess::Layout(data)),
      data_vars_(data_layout_ != 0 ? std::vector<const ScoreDictVar*>() : DataVars(data)),
      owner_size_(owner.Size()),
      owner_names_(owner.derived_names_.size()),
      valid_(std::make_shared<bool>(true)) {
  // Cycles are looked for afresh: the variables may have changed what they
  // refer to since the last search.
  owner.RefreshCycles(data);

  std::vector<std::string> names;
  std::vector<const TransformVar*> reached;
  steps_.reserve(owner.derived_names_.size());
  for (const std::string& name : owner.derived_names_) {
    Step step;
    const ScoreDictVar* var = owner.GetVar(name);
    step.known = var != nullptr;
    step.var = dynamic_cast<const TransformVar*>(var);
    if (step.var != nullptr) {
      step.cycle = owner.DependsOnCycle(var, data);
      Watch(step.var);
      reached.push_back(step.var);
    }
    const std::size_t i = steps_.size();
    step.simple =
        step.var != nullptr && !step.cycle && i < owner.slots_.size() && owner.slots_[i].flagged;
    steps_.push_back(step);
  }
  // Every name that an evaluation may reach, derived variables of the data
  // dictionary included.
  std::unordered_map<const TransformVar*, bool> seen;
  for (const TransformVar* var : reached) seen.emplace(var, true);
  while (!reached.empty()) {
    const TransformVar* var = reached.back();
    reached.pop_back();
    names.clear();
    AddReferencedNames(*var, &names);
    for (const std::string& name : names) {
      const int k = Add(name, owner, data);
      const TransformVar* derived = operands_[k].derived;
      if (derived != nullptr && seen.emplace(derived, true).second) reached.push_back(derived);
    }
  }
}

EvalPlan::~EvalPlan() = default;

void EvalPlan::MakeLane(const TransformationDictionary& owner) {
  lane_ = std::make_unique<EvalLane>(owner, *this);
}

int EvalPlan::Add(const std::string& name, const TransformationDictionary& owner,
                  const ScoreDictionary* data) {
  const auto found = index_.find(name);
  if (found != index_.end()) return found->second;
  Operand op;
  op.name = name;
  const ScoreDictVar* var = data != nullptr ? data->GetVar(name) : nullptr;
  if (var == nullptr) {
    var = owner.GetVar(name);
    if (var != nullptr) {
      if (const auto* derived = dynamic_cast<const TransformVar*>(var)) {
        Watch(derived);
      } else {
        op.live = true;
      }
    }
  }
  if (!op.live && var != nullptr) {
    op.var = var;
    op.derived = dynamic_cast<const TransformVar*>(var);
    op.cycle = owner.DependsOnCycle(var, data);
  }
  const auto slot = owner.slot_index_.find(name);
  if (slot != owner.slot_index_.end() && owner.slots_[slot->second].flagged) {
    // Both stay where they are until the slots are rebuilt, which drops the
    // plan.
    op.flag = &owner.computed_[slot->second];
    op.stored = &owner.slots_[slot->second].value;
  }
  const int k = static_cast<int>(operands_.size());
  operands_.push_back(std::move(op));
  index_.emplace(name, k);
  return k;
}

void EvalPlan::Watch(const TransformVar* var) { var->watch_ = valid_; }

bool EvalPlan::IsFor(const TransformationDictionary& owner, const ScoreDictionary* data) const {
  if (!*valid_ || data != data_ || owner.Size() != owner_size_ ||
      owner.derived_names_.size() != owner_names_) {
    return false;
  }
  // The library's dictionary tells by its stamp; any other is listed.
  if (data_layout_ != 0) return DictionaryAccess::Layout(data) == data_layout_;
  return DataSize(data) == data_size_ && SameVars(data, data_vars_);
}

int EvalPlan::Find(const std::string& name) const {
  const auto found = index_.find(name);
  return found != index_.end() ? found->second : -1;
}

EvalCase::EvalCase(const ScoreCaseRecord* record, const ScoreDictionary* data,
                   const ScoreDictionary* transformations)
    : record_(record),
      data_(data),
      transformations_(transformations),
      owner_(dynamic_cast<const TransformationDictionary*>(transformations)) {}

EvalCase::EvalCase(const ScoreCaseRecord* record, const ScoreDictionary* data,
                   const TransformationDictionary* owner, EvalPlan* plan, std::uint64_t pass)
    : record_(record),
      data_(data),
      transformations_(owner),
      owner_(owner),
      plan_(plan),
      pass_(pass) {
  // Only the library's own record, not a subclass, is read by entry.
  if (record != nullptr && typeid(*record) == typeid(CaseRecord)) {
    case_record_ = static_cast<const CaseRecord*>(record);
  }
  remember_inputs_ = pass != 0 && record != owner->derived_record_.get();
}

const ScoreValue* EvalCase::ValueByName(const std::string& name) const {
  return record_ != nullptr ? record_->Get(name) : nullptr;
}

const ScoreDictVar* EvalCase::VarByName(const std::string& name) const {
  return TransformVar::FindVariable(name, data_, transformations_);
}

const TransformVar* EvalCase::AsDerivedVar(const ScoreDictVar* var) {
  return dynamic_cast<const TransformVar*>(var);
}

bool EvalCase::FindComputedByName(const std::string& name, const ScoreValue** value) const {
  return owner_->FindComputedValue(name, value);
}

const std::string* EvalCase::TrimmedText(int k, const ScoreValue& value) {
  if (!remember_inputs_) return nullptr;
  EvalPlan::Operand& op = plan_->operand(k);
  if (op.text_pass != pass_) {
    op.text = value.GetString();
    op.text.resize(WithoutTrailingSpaces(op.text).size());
    op.text_pass = pass_;
  }
  return &op.text;
}

bool EvalCase::DependsOnCycle(int k, const ScoreDictVar* var) const {
  if (owner_ == nullptr) return false;
  if (k >= 0 && !plan_->operand(k).live) return plan_->operand(k).cycle;
  return owner_->DependsOnCycle(var, data_);
}

}  // namespace internal
}  // namespace MCOrvane_600
