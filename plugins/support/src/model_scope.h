#ifndef ORVANE_PLUGINS_SRC_MODEL_SCOPE_H_
#define ORVANE_PLUGINS_SRC_MODEL_SCOPE_H_

// One model element with the machinery every model type shares: its
// MiningSchema (roles and per-case treatment of inputs), LocalTransformations,
// Targets and Output, around the algorithm that its plug-in reads. The
// top-level model and every nested segment model are one ModelScope each.

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/model_algorithm.h"

namespace MCOrvane_600 {
class PMMLTranslator;
class ScoreCaseRecord;
}  // namespace MCOrvane_600

namespace orvane_plugins {

// A dictionary that lists its variables in the order they were added (the
// base class keeps them by name; results are laid out in document order).
class OrderedDictionary : public MCOrvane_600::BaseDictionary {
 public:
  OrderedDictionary() = default;
  OrderedDictionary(const OrderedDictionary& other) = default;
  MCOrvane_600::ScoreDictionary* Clone() const override { return new OrderedDictionary(*this); }
  // Takes ownership of `var`.
  bool AddVar(const std::string& name, MCOrvane_600::ScoreDictVar* var) override;
  bool RemoveVar(const std::string& name) override;
  std::vector<MCOrvane_600::ScoreDictVar*> GetScoreDictVars() const override;

 private:
  std::vector<std::string> order_;
};

enum class Usage { kActive, kTarget, kSupplementary, kGroup, kOrder, kFrequencyWeight,
                   kAnalysisWeight };

class ModelScope : public NestedModel {
 public:
  // Reads `model`. `visible` (lent, must outlive the scope) holds the fields
  // the element may use; `translator` (lent during the call) reads its
  // LocalTransformations; `reader` is the algorithm reader of the element's
  // type, or null to find it by the element's tag. For the top-level model,
  // `global` and `data` (lent, must outlive the scope) are the document's
  // transformations and data dictionary, computed after the inputs are
  // treated. `parent` (lent, must outlive the scope) is the enclosing scope,
  // whose values a nested scope reads by slot; null for the top-level model.
  // Throws OVException naming what cannot be scored.
  static std::unique_ptr<ModelScope> Read(xercesc::DOMElement* model,
                                          const MCOrvane_600::ScoreDictionary* visible,
                                          MCOrvane_600::PMMLTranslator* translator,
                                          ReadModelAlgorithmFn reader,
                                          MCOrvane_600::TransformationDictionary* global,
                                          const MCOrvane_600::ScoreDictionary* data,
                                          const ModelScope* parent);
  ~ModelScope() override;

  // `out` receives the prediction after Targets; the target and output
  // values are kept until the next case (TargetValue, OutputValue). One case
  // at a time.
  void Predict(const FieldValues& fields, Prediction* out,
               std::vector<std::pair<std::string, const MCOrvane_600::ScoreValue*>>* outputs)
      const override;
  bool Compile(const PlainLayout& enclosing) override;
  void PredictPlain(const PlainCase& enclosing, Prediction* out) const override;
  // Targets leave a valid category as it is.
  bool CompileVote(const std::vector<std::string>& categories) override {
    return algorithm_->CompileVote(categories);
  }
  int VotePlain(const PlainCase& enclosing) const override {
    return algorithm_->VotePlain(enclosing);
  }

  const std::string& type() const { return type_; }
  const std::string& target_name() const { return target_name_; }
  // The fields of the model's result: the target (when any) and the output
  // fields, in document order, as new variables the caller owns.
  std::vector<MCOrvane_600::ScoreDictVar*> ResultVars() const;
  // The result values of the last case, in ResultVars order; lent, null for
  // a value the model could not give. A nested scope sets them only when
  // Predict is given `outputs`.
  const std::vector<const MCOrvane_600::ScoreValue*>& ResultValues() const { return results_; }
  // Changes whenever result `i` is given a text or value object other than
  // the one it held (never twice the same number within a scope); a reader
  // that copied the result under this stamp need not copy it again.
  std::uint64_t ResultStamp(size_t i) const { return result_stamps_[i]; }
  // True, with `*x` set, when result `i` of the last case is a number this
  // scope wrote (a plain NumericValue of its own), so that it is read
  // without a call.
  bool ResultNumber(size_t i, double* x) const {
    if (results_[i] != &number_values_[i]) return false;
    *x = numbers_[i];
    return true;
  }
  const std::vector<std::pair<std::string, Usage>>& roles() const { return roles_; }
  // How many fields the scope reads from the values handed to Predict, as
  // slots 0 to visible_count() - 1 of FieldValues::AtSlot (the top-level
  // scope: the host's record).
  size_t visible_count() const { return visible_.size(); }

  struct MiningField;
  struct OutputDef;
  struct TargetDef;
  struct PlainField;

 private:
  class Reader;
  class Values;
  class OutputValues;
  ModelScope();
  // Targets of a prediction; a category it has is left as it is.
  void ApplyTargets(Prediction* p) const {
    if (p->valid && p->is_category) return;
    if (p->valid && plain_targets_) {
      p->value += 0.0;  // what rescaling by 1 and 0 does: -0 becomes 0
      return;
    }
    TargetsOfOther(p);
  }
  // No prediction: a default value or the priors; a number: rescaled, cast.
  void TargetsOfOther(Prediction* p) const;
  // The case's value in `slot`, read from `outer` on first use in the case.
  const MCOrvane_600::ScoreValue* Fetch(int slot, const FieldValues* outer) const {
    if (filled_[slot] != case_) {
      filled_[slot] = case_;
      values_[slot] =
          outer == nullptr ? nullptr : outer->Read(outer_slots_[slot], visible_[slot].first);
    }
    return values_[slot];
  }
  // Treats the MiningSchema's inputs in their slots; false when the case is
  // invalid.
  bool TreatInputs(const FieldValues* outer, Prediction* out) const;
  // Lays out plain cases when the algorithm compiles for them (the top-level
  // scope without transformations, every input a number or a category).
  void PlanPlainCases();
  // True when every input of the case is plain and in `plain_case_`; false
  // sends the case the general way.
  bool TreatPlain(const FieldValues* outer) const;
  // Runs the document's and the element's transformations over the treated
  // inputs and puts the derived values in their slots.
  void Transform(const FieldValues* outer) const;
  // Result `i` of the case (null: missing) as a typed value kept in place;
  // a number into a numeric result without a call.
  void SetResult(size_t i, MCOrvane_600::ScoreDictVar::VariableType type, bool integer,
                 const std::string& text, bool is_number, double number) const {
    if (is_number && type != MCOrvane_600::ScoreDictVar::kSTRING_VAR) {
      result_texts_[i] = nullptr;
      SetNumber(i, integer ? std::trunc(number) : number);
      return;
    }
    SetOtherResult(i, type, integer, text, is_number, number);
  }
  void SetOtherResult(size_t i, MCOrvane_600::ScoreDictVar::VariableType type, bool integer,
                      const std::string& text, bool is_number, double number) const;
  // SetResult of a prediction's text; a lent text's value is made once (for
  // a few texts a result) and lent again whenever the text comes back.
  void SetText(size_t i, MCOrvane_600::ScoreDictVar::VariableType type, bool integer,
               const PredictionText& text) const {
    // The text of the result's last case, most often (result_texts_[i] is
    // null while last_lent_[i] is not).
    const LentValue* last = last_lent_[i];
    if (last != nullptr && last->text == text.lent()) {
      results_[i] = last->value.get();
      result_stamps_[i] = last->stamp;
      return;
    }
    SetOtherText(i, type, integer, text);
  }
  // SetText for a text other than the one of the result's last case.
  void SetOtherText(size_t i, MCOrvane_600::ScoreDictVar::VariableType type, bool integer,
                    const PredictionText& text) const;
  // Result `i` becomes the number `x` (a plain NumericValue).
  void SetNumber(size_t i, double x) const {
    number_values_[i].SetDoubleValue(x);
    numbers_[i] = x;
    results_[i] = &number_values_[i];
  }
  void SetOutput(size_t i, const OutputDef& def, const Prediction& p) const;

  std::string type_;
  std::string target_name_;
  const MCOrvane_600::ScoreDictVar* target_var_ = nullptr;  // lent; null without a target
  // The target result's type: a text for a text target, else a number.
  MCOrvane_600::ScoreDictVar::VariableType target_type_ = MCOrvane_600::ScoreDictVar::kNUMERIC_VAR;
  std::vector<std::pair<std::string, Usage>> roles_;
  std::vector<MiningField> fields_;
  // The inputs a nested scope may take from its enclosing scope's slots when
  // that scope found their values valid (no outliers of their own): each
  // one's slot here and there.
  std::vector<std::pair<int, int>> inherited_;
  size_t treated_ = 0;  // the MiningSchema's inputs that have a slot (no target)
  // Every visible field; slot i of a case holds visible_[i]'s value, the
  // slots after them the local derived fields' (local_names_).
  std::vector<std::pair<std::string, const MCOrvane_600::ScoreDictVar*>> visible_;
  std::vector<std::string> local_names_;
  std::vector<std::string> global_names_;  // the document's derived fields
  std::vector<int> global_slots_;          // their slots, -1 when not visible
  std::unordered_map<std::string, int> slot_of_;  // a local name wins over a visible one
  const ModelScope* parent_ = nullptr;  // lent; null for the top-level model
  // Each visible slot's slot in the enclosing scope (-1: none); the
  // top-level scope's are its own.
  std::vector<int> outer_slots_;
  // The values of the case by slot; lent from the enclosing scope, from the
  // treatment's values or from the transformations' records.
  mutable std::vector<const MCOrvane_600::ScoreValue*> values_;
  mutable std::vector<std::uint64_t> filled_;  // the case in which each slot was read
  // The case in which each slot's value passed the MiningSchema's checks
  // unchanged: a nested scope's field of the same value need not check again.
  mutable std::vector<std::uint64_t> checked_;
  mutable std::uint64_t case_ = 0;
  const MCOrvane_600::ScoreDictionary* visible_dict_ = nullptr;  // lent
  // The element's own fields: the visible ones, and the local derived ones
  // when it has any (then held in `inner_dict_`); lent.
  const MCOrvane_600::ScoreDictionary* inner_ = nullptr;
  std::unique_ptr<MCOrvane_600::BaseDictionary> inner_dict_;
  std::unique_ptr<MCOrvane_600::TransformationDictionary> local_;
  MCOrvane_600::TransformationDictionary* global_ = nullptr;  // lent
  const MCOrvane_600::ScoreDictionary* data_ = nullptr;       // lent
  std::unique_ptr<TargetDef> target_;
  // Targets that leave a number as it is: no bounds, rescaling or cast.
  bool plain_targets_ = true;
  std::vector<OutputDef> outputs_;
  std::vector<RuleOutputDef> rule_outputs_;  // an association model's, in document order
  // The transformedValue and decision outputs, read over `output_dict_`
  // (the scope's fields and the other outputs); null without any.
  std::unique_ptr<MCOrvane_600::BaseDictionary> output_dict_;
  std::unique_ptr<DerivedFields> expressions_;
  std::vector<std::pair<std::string, size_t>> output_slots_;  // name, index in outputs_
  bool clustering_ = false;  // functionName "clustering": the prediction is a cluster id
  // The fields nested models see (declared before the algorithm, which
  // holds them and must go first); null without nested models.
  std::unique_ptr<MCOrvane_600::BaseDictionary> nested_dict_;
  std::unique_ptr<ModelAlgorithm> algorithm_;
  // The inputs of the transformations; only used with transformations.
  mutable MCOrvane_600::CaseRecord work_;
  // Owned result values, reused from case to case; results_ lends them, null
  // for a value the case has not.
  mutable std::vector<std::unique_ptr<MCOrvane_600::ScoreValue>> result_store_;
  mutable std::vector<const MCOrvane_600::ScoreValue*> results_;
  // The numeric results, each in its place, and their numbers (sized once).
  mutable std::vector<MCOrvane_600::NumericValue> number_values_;
  mutable std::vector<double> numbers_;
  // The lent text each result's kept StringValue holds (null: none known),
  // and each result's stamp (ResultStamp), the last given in stamp_.
  mutable std::vector<const std::string*> result_texts_;
  mutable std::vector<std::uint64_t> result_stamps_;
  mutable std::uint64_t stamp_ = 0;
  // By result: a value made once for each lent text met there (a few at
  // most), with its own stamp, so that a text met again is copied neither
  // here nor into a host's record that holds it already.
  struct LentValue {
    const std::string* text;  // lent by the algorithm
    std::unique_ptr<MCOrvane_600::StringValue> value;
    std::uint64_t stamp;
  };
  mutable std::vector<std::vector<LentValue>> lent_values_;
  mutable std::vector<const LentValue*> last_lent_;  // lent from lent_values_; null: none
  // Plain cases (PlanPlainCases): the inputs, and the case's values by slot.
  std::vector<PlainField> plain_fields_;
  size_t plain_number_count_ = 0;  // plain_fields_ begins with its numbers
  bool plain_ = false;
  mutable std::vector<double> plain_numbers_;
  mutable std::vector<int> plain_categories_;
  PlainCase plain_case_;  // lends the two above
  mutable std::vector<const MCOrvane_600::ScoreValue*> computed_;  // output expressions
  mutable std::vector<MCOrvane_600::ResultAdvice> treatment_;  // the case's treatment advice
};

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_SRC_MODEL_SCOPE_H_
