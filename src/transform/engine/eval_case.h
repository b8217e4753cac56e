#ifndef ORVANE_SRC_TRANSFORM_ENGINE_EVAL_CASE_H_
#define ORVANE_SRC_TRANSFORM_ENGINE_EVAL_CASE_H_

// What the evaluation of derived variables sees of one case: the record, the
// data dictionary and the transformation dictionary. Names are resolved
// either at each use, exactly as asked (a variable evaluated on its own), or
// through an evaluation plan that a transformation dictionary keeps for the
// data dictionary it was last given: each name then becomes an operand once
// per plan, and each operand's value is looked up once per record layout.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "orvane/dictionary/case_record_access.h"
#include "dictionary/stamp.h"

namespace MCOrvane_600 {

class ScoreCaseRecord;
class ScoreDictVar;
class ScoreDictionary;
class ScoreValue;
class TransformVar;
class TransformationDictionary;

namespace internal {

class EvalLane;

// The names a transformation dictionary's derived variables use, resolved
// against one data dictionary and the transformation dictionary itself.
// Built on the first pass with a data dictionary and rebuilt when either
// dictionary changes in size, when a derived variable of the transformation
// dictionary changes what it refers to or is destroyed, and when the data
// dictionary's variables are no longer the ones it was built with.
class EvalPlan {
 public:
  // What every case reads comes first, so that it shares a cache line.
  struct Operand {
    // The variable the name denotes: the data dictionary's, else the
    // transformation dictionary's. Null when neither has one, or when it
    // must be looked up at each use (`live`).
    const ScoreDictVar* var = nullptr;
    // The record entry of the name under the record layout `layout`.
    std::uint64_t layout = 0;
    ScoreValue* const* entry = nullptr;
    // What a field operand of a numeric function reads for the name in the
    // record of pass `number_pass`: the number, or the system-missing value
    // where the variable calls it missing.
    std::uint64_t number_pass = 0;
    double number = 0.0;
    // The computed flag and the stored value of the name in the derived
    // record; null when it has none.
    const char* flag = nullptr;
    ScoreValue* const* stored = nullptr;
    // A plain variable of the transformation dictionary: nothing tells
    // when it is destroyed, so it is never kept.
    bool live = false;
    // Computing `var` would never end.
    bool cycle = false;
    // `var` as a derived variable that can be evaluated; null otherwise.
    const TransformVar* derived = nullptr;
    // The value of the name in the record of pass `fetched`, for records
    // that are not CaseRecords.
    std::uint64_t fetched = 0;
    const ScoreValue* value = nullptr;
    // The text of the name's value without trailing spaces, in the record of
    // pass `text_pass`.
    std::uint64_t text_pass = 0;
    std::string text;
    std::string name;
  };
  // One derived name, in evaluation order.
  struct Step {
    const TransformVar* var = nullptr;  // null unless it is a derived variable
    bool known = false;                 // the dictionary has a variable of that name
    bool cycle = false;
    // A derived variable off any cycle whose value has a slot of its own.
    bool simple = false;
  };

  EvalPlan(const TransformationDictionary& owner, const ScoreDictionary* data);
  ~EvalPlan();
  EvalPlan(const EvalPlan&) = delete;
  EvalPlan& operator=(const EvalPlan&) = delete;

  // True while the plan still answers for `owner` (the dictionary that built
  // it) with `data`.
  bool IsFor(const TransformationDictionary& owner, const ScoreDictionary* data) const;

  std::uint64_t stamp() const { return stamp_; }
  // Turned false when the plan no longer holds; handed to whatever the
  // plan relies on.
  const std::shared_ptr<bool>& validity() const { return valid_; }
  std::size_t operand_count() const { return operands_.size(); }
  // The lane of the plan; null until made, after one pass over a case by
  // the general evaluation has made every result.
  EvalLane* lane() const { return lane_.get(); }
  void MakeLane(const TransformationDictionary& owner);
  // Counts the passes made without the lane.
  int general_passes() const { return general_passes_; }
  void CountGeneralPass() { ++general_passes_; }
  // The operand of `name`; -1 when the plan has none.
  int Find(const std::string& name) const;
  Operand& operand(int k) { return operands_[k]; }
  const std::vector<Step>& steps() const { return steps_; }

 private:
  int Add(const std::string& name, const TransformationDictionary& owner,
          const ScoreDictionary* data);
  void Watch(const TransformVar* var);

  std::uint64_t stamp_;
  const ScoreDictionary* data_;
  int data_size_;
  // The stamp of `data_` when it tells its changes by one; 0 otherwise.
  std::uint64_t data_layout_;
  // The variables of `data_`, when it has no stamp.
  std::vector<const ScoreDictVar*> data_vars_;
  int owner_size_;
  std::size_t owner_names_;
  // Turned false when a watched derived variable is destroyed or changes
  // what it refers to.
  std::shared_ptr<bool> valid_;
  std::vector<Operand> operands_;
  std::unordered_map<std::string, int> index_;
  std::vector<Step> steps_;
  int general_passes_ = 0;
  // Owning; null until MakeLane.
  std::unique_ptr<EvalLane> lane_;
};

class EvalCase {
 public:
  // Resolves every name at each use.
  EvalCase(const ScoreCaseRecord* record, const ScoreDictionary* data,
           const ScoreDictionary* transformations);
  // Resolves through `plan`, built by `owner` for `data`; `record` is not
  // null. `pass` is a fresh stamp.
  EvalCase(const ScoreCaseRecord* record, const ScoreDictionary* data,
           const TransformationDictionary* owner, EvalPlan* plan, std::uint64_t pass);
  EvalCase(const EvalCase&) = delete;
  EvalCase& operator=(const EvalCase&) = delete;

  const ScoreCaseRecord* record() const { return record_; }
  // True when the inputs are read from a CaseRecord, by entry, and stay as
  // they are during the pass: what a lane needs.
  bool ReadsFixedCaseRecord() const { return case_record_ != nullptr && remember_inputs_; }
  // The record as the library's own; null when it is not exactly one or
  // there is no plan.
  const CaseRecord* case_record() const { return case_record_; }
  const ScoreDictionary* data() const { return data_; }
  const ScoreDictionary* transformations() const { return transformations_; }
  // The stamp of this pass over a whole case; 0 when there is no plan, so
  // nothing computed may be reused.
  std::uint64_t pass() const { return pass_; }

  // The stamp of the plan names are resolved through; 0 for none.
  std::uint64_t plan_stamp() const { return plan_ != nullptr ? plan_->stamp() : 0; }
  // The operand of `name`; -1 (by name) without a plan or when the plan has
  // none.
  int Find(const std::string& name) const { return plan_ != nullptr ? plan_->Find(name) : -1; }

  // The operand of `name`, remembered in `*stamp` and `*operand` by whoever
  // asks for the same name on every case; -1 means by name.
  int Resolve(const std::string& name, std::uint64_t* stamp, int* operand) const {
    if (plan_ == nullptr) return -1;
    if (*stamp != plan_->stamp()) {
      *operand = plan_->Find(name);
      *stamp = plan_->stamp();
    }
    return *operand;
  }

  // The record's value of operand `k` (of `name` when k is -1); null when
  // there is no record or it has no value.
  const ScoreValue* Value(int k, const std::string& name) {
    if (k < 0) return ValueByName(name);
    EvalPlan::Operand& op = plan_->operand(k);
    if (case_record_ != nullptr) {
      const std::uint64_t layout = CaseRecordAccess::Layout(*case_record_);
      if (op.layout != layout) {
        op.entry = CaseRecordAccess::Entry(*case_record_, op.name);
        op.layout = layout;
      }
      return op.entry != nullptr ? *op.entry : nullptr;
    }
    if (op.fetched != pass_) {
      op.value = ValueByName(op.name);
      op.fetched = pass_;
    }
    return op.value;
  }
  // The variable: the data dictionary's first, then the transformation
  // dictionary's.
  const ScoreDictVar* Var(int k, const std::string& name) const {
    if (k >= 0 && !plan_->operand(k).live) return plan_->operand(k).var;
    return VarByName(name);
  }
  // `var`, the variable of operand `k`, as a derived variable.
  const TransformVar* AsDerived(int k, const ScoreDictVar* var) const {
    if (k >= 0 && !plan_->operand(k).live) return plan_->operand(k).derived;
    return AsDerivedVar(var);
  }
  // True when the transformation dictionary is one whose derived record can
  // be read.
  bool HasDerivedRecord() const { return owner_ != nullptr; }
  // When the derived variable of operand `k` (or `name`) has been stored for
  // this case: true, with its stored value (possibly null) in `*value`.
  bool FindComputed(int k, const std::string& name, const ScoreValue** value) const {
    if (owner_ == nullptr) return false;
    if (k < 0) return FindComputedByName(name, value);
    const EvalPlan::Operand& op = plan_->operand(k);
    if (op.flag == nullptr || *op.flag == 0) return false;
    *value = *op.stored;
    return true;
  }
  // True when computing `var`, the variable of operand `k`, would never end.
  bool DependsOnCycle(int k, const ScoreDictVar* var) const;

  // The number remembered for operand `k` (not -1) in this pass, if any: the
  // record's values do not change during a pass, nor does what a variable
  // says about them.
  bool RememberedNumber(int k, double* x) const {
    const EvalPlan::Operand& op = plan_->operand(k);
    if (!remember_inputs_ || op.number_pass != pass_) return false;
    *x = op.number;
    return true;
  }
  void RememberNumber(int k, double x) {
    if (!remember_inputs_) return;
    EvalPlan::Operand& op = plan_->operand(k);
    op.number = x;
    op.number_pass = pass_;
  }

  // The text of `value`, the value of operand `k` (not -1) and exactly a
  // StringValue, without its trailing spaces; null when it is not kept (the
  // caller then trims it itself).
  const std::string* TrimmedText(int k, const ScoreValue& value);

  // Counts the places where a variable asked for itself and got the missing
  // result: an evaluation during which that happened depends on where it
  // was started, so its result is not reused.
  void NoteCycleCut() { ++cycle_cuts_; }
  int cycle_cuts() const { return cycle_cuts_; }

 private:
  const ScoreValue* ValueByName(const std::string& name) const;
  const ScoreDictVar* VarByName(const std::string& name) const;
  static const TransformVar* AsDerivedVar(const ScoreDictVar* var);
  bool FindComputedByName(const std::string& name, const ScoreValue** value) const;

  const ScoreCaseRecord* record_;
  // `record_` when it is exactly a CaseRecord and there is a plan.
  const CaseRecord* case_record_ = nullptr;
  const ScoreDictionary* data_;
  const ScoreDictionary* transformations_;
  // `transformations_` as a transformation dictionary; null otherwise.
  const TransformationDictionary* owner_;
  EvalPlan* plan_ = nullptr;
  std::uint64_t pass_ = 0;
  // False without a pass, and when the record is the derived record itself,
  // whose values do change during the pass.
  bool remember_inputs_ = false;
  int cycle_cuts_ = 0;
};

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_ENGINE_EVAL_CASE_H_
