// Where the object model hands a case to the engine: the plan of names, the
// fast lane when it can take the case, else the general walk one derived
// name at a time.

#include "transform/engine/engine.h"

#include <cstddef>
#include <vector>

#include "dictionary/stamp.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/numeric_value.h"
#include "transform/engine/apply_program.h"
#include "transform/engine/eval_case.h"
#include "transform/engine/eval_lane.h"

namespace MCOrvane_600 {
namespace internal {

void EngineDeleter::operator()(EvalPlan* plan) const { delete plan; }

void EngineDeleter::operator()(ApplyProgram* program) const { delete program; }

void Engine::DeriveCase(TransformationDictionary& owner, const ScoreCaseRecord& record,
                        const ScoreDictionary* data) {
  EvalPlan& plan = owner.PlanFor(data);
  EvalCase ec(&record, data, &owner, &plan, NewStamp());
  if (ec.ReadsFixedCaseRecord()) {
    // The first pass makes every result, from which the lane is laid out.
    if (plan.lane() == nullptr && plan.general_passes() > 0) plan.MakeLane(owner);
    if (plan.lane() != nullptr) {
      plan.lane()->Run(owner, ec, plan);
      return;
    }
    plan.CountGeneralPass();
  }
  const std::vector<EvalPlan::Step>& steps = plan.steps();
  // Past a few thousand variables their data no longer stays in the cache
  // from case to case, and they lie apart in memory: each is fetched while
  // the one before is computed.
  constexpr std::size_t kCachedVariables = 2048;
  const bool prefetch = steps.size() > kCachedVariables;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (prefetch && i + 2 < steps.size()) {
      TransformationDictionary::Prefetch(steps[i + 2].var, steps[i + 1].var);
    }
    owner.EvaluateStep(i, ec);
  }
}

}  // namespace internal

internal::EvalPlan& TransformationDictionary::PlanFor(const ScoreDictionary* dataDictionary) {
  if (plan_ == nullptr || !plan_->IsFor(*this, dataDictionary)) {
    plan_.reset();
    plan_.reset(new internal::EvalPlan(*this, dataDictionary));
  }
  return *plan_;
}

void TransformationDictionary::Prefetch(const TransformVar* var, const TransformVar* next) {
  if (var != nullptr) {
    // The lines evaluation reads, from the dictionary part to the caches.
    __builtin_prefetch(var);
    __builtin_prefetch(&var->trans_expression_);
    __builtin_prefetch(&var->result_);
    __builtin_prefetch(&var->evaluating_);
    __builtin_prefetch(&var->result_type_);
    __builtin_prefetch(&var->program_);
    __builtin_prefetch(&var->bin_bounds_);
  }
  // The lines of `next` were asked for a turn earlier: where its parts lie
  // can be read now.
  if (next != nullptr) {
    __builtin_prefetch(next->result_.get());
    if (next->program_ != nullptr) __builtin_prefetch(next->program_.get());
  }
}

void TransformationDictionary::EvaluateStep(std::size_t i, internal::EvalCase& ec) {
  const internal::EvalPlan::Step& step = plan_->steps()[i];
  if (step.simple) {
    if (computed_[i]) return;
    const ScoreValue* value = step.var->Evaluate(ec);
    DerivedSlot& slot = slots_[i];
    if (slot.plain_number && step.var->HasNumberResult()) {
      // A number into a number, in place: what StoreValue does, without
      // asking the types again.
      static_cast<NumericValue*>(slot.value)->SetDoubleValue(value->GetDouble());
      computed_[i] = 1;
    } else {
      StoreValue(i, value);
    }
    return;
  }
  if (!step.known) return;
  if (i < slots_.size() && slots_[i].flagged) {
    if (computed_[i]) return;
  } else if (IsVarValueComputed(derived_names_[i])) {
    return;
  }
  if (step.var == nullptr) return;
  if (step.cycle) {
    StoreMissingValue(i, step.var);
    return;
  }
  const ScoreValue* value = step.var->Evaluate(ec);
  if (i < slots_.size() && slots_[i].plain_number && step.var->HasNumberResult()) {
    // A number into a number, in place: what StoreValue does, without
    // asking the types again.
    static_cast<NumericValue*>(slots_[i].value)->SetDoubleValue(value->GetDouble());
    computed_[i] = 1;
    return;
  }
  StoreValue(i, value);
}

}  // namespace MCOrvane_600
