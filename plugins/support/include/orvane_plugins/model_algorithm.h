#ifndef ORVANE_PLUGINS_MODEL_ALGORITHM_H_
#define ORVANE_PLUGINS_MODEL_ALGORITHM_H_

// The seam between the shared plug-in machinery and one model type's
// algorithm. The machinery (MiningSchema, LocalTransformations, Targets,
// Output, the translator and the BaseModel subclass) is written once in the
// support library; each model-type plug-in supplies only a reader that turns
// its model element into a ModelAlgorithm. A MiningModel reads its segments'
// model elements through ReadContext::ReadNestedModel, which finds the
// plug-in that serves each segment's model type.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane/model/result_advice.h"
#include "orvane_plugins/rule_output.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {
class ScoreDictVar;
class ScoreValue;
}  // namespace MCOrvane_600

namespace orvane_plugins {

// The values of one case as a model element sees them: its inputs after the
// MiningSchema's treatment, and every derived field in its scope.
class FieldValues {
 public:
  virtual ~FieldValues() = default;
  // Lent, valid until the next case; null when the field has no value.
  virtual const MCOrvane_600::ScoreValue* Get(const std::string& name) const = 0;
  // The same value through `slot`, the number ReadContext::Slot gave for
  // `name` while the element that asks was read (-1: none). Values that keep
  // their fields by number answer without a name lookup; any other answers
  // by name.
  virtual const MCOrvane_600::ScoreValue* AtSlot(int slot, const std::string& name) const {
    (void)slot;
    return Get(name);
  }
  // AtSlot without a call where the values lend the slot's value directly
  // (already read for the case); what predicates and inputs use.
  const MCOrvane_600::ScoreValue* Read(int slot, const std::string& name) const {
    if (static_cast<size_t>(slot) < direct_.count) {
      if (direct_.entries != nullptr) {
        if (direct_.entries[slot] != nullptr) return *direct_.entries[slot];
      } else if (direct_.filled[slot] == *direct_.current) {
        return direct_.values[slot];
      }
    }
    return AtSlot(slot, name);
  }
  // Where the host's record keeps each of slots 0 to `count` - 1 (an entry
  // per slot; null: not found yet, asked through Read), when the values lend
  // them; else null.
  MCOrvane_600::ScoreValue* const* const* Entries(size_t count) const {
    return direct_.count >= count ? direct_.entries : nullptr;
  }

 protected:
  // Set by values that keep their fields by slot in arrays (lent, stable
  // during a case): slot i holds values[i] once filled[i] equals *current.
  struct Direct {
    const MCOrvane_600::ScoreValue* const* values = nullptr;
    const std::uint64_t* filled = nullptr;
    const std::uint64_t* current = nullptr;
    // Or, in place of the three above, where each slot's value is kept (an
    // entry of the host's record; null: not found yet, asked through AtSlot).
    MCOrvane_600::ScoreValue* const* const* entries = nullptr;
    size_t count = 0;  // 0: none lent
  };
  Direct direct_;
};

// A text of a prediction: the prediction's own, or lent by the algorithm
// from what it read at load (no copy a case).
class PredictionText {
 public:
  const std::string& get() const { return lent_ != nullptr ? *lent_ : own_; }
  bool empty() const { return get().empty(); }
  // The text the algorithm lends, or null when the text is the prediction's
  // own: two equal non-null pointers hold the same text.
  const std::string* lent() const { return lent_; }
  // `text` (lent) must outlive the case. `index`: where the prediction's
  // Probabilities() list the text, when the algorithm lends both (-1: not
  // said).
  void Lend(const std::string* text, int index = -1) {
    lent_ = text;
    index_ = index;
  }
  void Set(const std::string& text) {
    own_ = text;
    lent_ = nullptr;
    index_ = -1;
  }
  void Clear() {
    own_.clear();
    lent_ = nullptr;
    index_ = -1;
  }
  // The position Lend was given, until the text or the probabilities change.
  int index() const { return index_; }
  void ForgetIndex() { index_ = -1; }

 private:
  std::string own_;
  const std::string* lent_ = nullptr;  // null: own_
  int index_ = -1;
};

// What a model element predicts for one case. `valid` false: no prediction
// (the result fields are missing and `advice` says why).
struct Prediction {
  bool valid = false;
  // Regression: the predicted number (before Targets rescaling).
  double value = 0.0;
  // Classification: the winning category as the document writes it, and the
  // probability of each category in the model's category order.
  bool is_category = false;
  PredictionText category;
  std::vector<std::pair<std::string, double>> probabilities;
  // Lent in place of `probabilities` by an algorithm whose distributions are
  // fixed once read (a tree's nodes); null when `probabilities` holds them.
  // Readers use Probabilities(), writers ClearProbabilities() first.
  const std::vector<std::pair<std::string, double>>* lent_probabilities = nullptr;
  // Null, or a token of the order of the categories in Probabilities(), set
  // by algorithms whose orders are fixed at load: distributions with the same
  // token list the same category texts in the same positions.
  const void* category_order = nullptr;
  // The node, rule, cluster or segment that decided, when the model has one.
  PredictionText entity_id;
  // Confidence of the prediction (trees, rule sets); NaN when none.
  double confidence = std::numeric_limits<double>::quiet_NaN();
  // Per-entity affinities (clustering, nearest neighbours), in model order.
  std::vector<std::pair<std::string, double>> affinities;
  // Nearest neighbours: each one's id and distance (or similarity), nearest
  // first. The entityId and affinity outputs of rank r read entry r - 1.
  std::vector<std::pair<std::string, double>> neighbors;
  std::vector<std::string> reason_codes;
  // Association rules: one value per rule output (ReadContext::RuleOutputs
  // order); `present` false when fewer rules were selected than its rank.
  struct RuleValue {
    bool present = false;
    bool is_number = false;
    std::string text;
    double number = 0.0;
  };
  std::vector<RuleValue> rule_values;
  std::vector<MCOrvane_600::ResultAdvice> advice;

  // The probabilities of each category, wherever they are.
  const std::vector<std::pair<std::string, double>>& Probabilities() const {
    return lent_probabilities != nullptr ? *lent_probabilities : probabilities;
  }
  void ClearProbabilities() {
    probabilities.clear();
    lent_probabilities = nullptr;
    category_order = nullptr;
    category.ForgetIndex();
  }

  // Back to no prediction, keeping the room of the texts and lists for the
  // next case.
  void Clear() {
    valid = false;
    value = 0.0;
    is_category = false;
    category.Clear();
    ClearProbabilities();
    entity_id.Clear();
    confidence = std::numeric_limits<double>::quiet_NaN();
    affinities.clear();
    reason_codes.clear();
    advice.clear();
  }
};

// Where a case whose every input is a plain value keeps each slot's value:
// the common case, which compiled algorithms score without FieldValues.
struct PlainLayout {
  enum Kind { kNone, kNumber, kCategory };
  // By slot: kNone, a slot plain cases do not hold; kNumber, a number that
  // is not the system-missing value; kCategory, the position of the case's
  // text among `categories[slot]`.
  std::vector<Kind> kinds;
  std::vector<std::vector<std::string>> categories;
  // By slot: where the PlainCase keeps its value (a nested model's slots are
  // places of its enclosing scope's case); empty: at the slot itself.
  std::vector<int> places;
  int Place(int slot) const { return places.empty() ? slot : places[slot]; }
};

// A case laid out as a PlainLayout says (arrays lent by slot).
struct PlainCase {
  const double* numbers = nullptr;
  const int* categories = nullptr;
};

// One model type's algorithm, read from its model element. Const: scoring
// writes only into `out`, so a read algorithm may score on several threads.
class ModelAlgorithm {
 public:
  virtual ~ModelAlgorithm() = default;
  virtual void Predict(const FieldValues& fields, Prediction* out) const = 0;
  // Readies PredictPlain for cases laid out as `layout` says; false when the
  // algorithm has no such path, or not for this layout (then PredictPlain is
  // never called). Called once, after the algorithm is read.
  virtual bool Compile(const PlainLayout& /*layout*/) { return false; }
  // What Predict gives for the same case when every input is plain.
  virtual void PredictPlain(const PlainCase& /*c*/, Prediction* /*out*/) const {}
  // Readies VotePlain, after Compile readied PredictPlain, for a vote over
  // `categories`; false when the algorithm has no such path.
  virtual bool CompileVote(const std::vector<std::string>& /*categories*/) { return false; }
  // Where among those categories is the category PredictPlain predicts for
  // `c`, when its prediction is a valid category among them; else -1 (then
  // the caller asks PredictPlain).
  virtual int VotePlain(const PlainCase& /*c*/) const { return -1; }
};

// A model element read together with its own machinery (a MiningModel's
// segment): scores a case from the values of the enclosing scope.
class NestedModel {
 public:
  virtual ~NestedModel() = default;
  // `fields` are the enclosing scope's values; the nested model applies its
  // own MiningSchema and LocalTransformations. `outputs`, when not null,
  // receives the values of the nested model's OutputFields by name (a model
  // chain passes them on); lent until the next case.
  virtual void Predict(const FieldValues& fields, Prediction* out,
                       std::vector<std::pair<std::string, const MCOrvane_600::ScoreValue*>>*
                           outputs) const = 0;
  // Readies PredictPlain for plain cases of the enclosing scope (laid out as
  // `enclosing` says); false when the nested model cannot score them so.
  virtual bool Compile(const PlainLayout& /*enclosing*/) { return false; }
  // What Predict gives, without outputs, for a plain case of the enclosing
  // scope.
  virtual void PredictPlain(const PlainCase& /*enclosing*/, Prediction* /*out*/) const {}
  // As ModelAlgorithm's, for plain cases of the enclosing scope.
  virtual bool CompileVote(const std::vector<std::string>& /*categories*/) { return false; }
  virtual int VotePlain(const PlainCase& /*enclosing*/) const { return -1; }
};

// A PMML predicate (SimplePredicate, CompoundPredicate, SimpleSetPredicate,
// True, False) read by the machinery, evaluated with PMML's three-valued
// logic.
class PlainTests;
class Predicate {
 public:
  enum Truth : int { kFALSE = 0, kTRUE = 1, kUNKNOWN = 2 };
  virtual ~Predicate() = default;
  virtual Truth Evaluate(const FieldValues& fields) const = 0;
  // Adds the predicate to `tests` as a test of plain cases (`layout`) and
  // gives its number; -1 when it has none (a field plain cases do not hold).
  virtual int Compile(const PlainLayout& /*layout*/, PlainTests* /*tests*/) const { return -1; }
};

// DerivedField elements inside a model element (a NeuralInput's, a
// BayesInput's) read by the machinery with every expression kind of the
// document's transformations. Not thread-safe: computing writes working
// values, so it follows the one-case-at-a-time rule of a model's Score.
class DerivedFields {
 public:
  virtual ~DerivedFields() = default;
  // Computes each field for the case, in read order, into `values` (resized
  // to the number of fields; null = missing; lent until the next call).
  virtual void Compute(const FieldValues& fields,
                       std::vector<const MCOrvane_600::ScoreValue*>* values) const = 0;
};

// What a reader may ask of the machinery while it reads its model element.
// Every failure is an OVException whose message names the element or
// attribute that cannot be scored.
class ReadContext {
 public:
  virtual ~ReadContext() = default;
  // A document text in the translator's code page.
  virtual std::string Text(const XMLCh* text) const = 0;
  // A field in the model element's scope (data, derived or an earlier
  // segment's output); null when none has that name. Lent.
  virtual const MCOrvane_600::ScoreDictVar* Field(const std::string& name) const = 0;
  // The number under which the scope's values keep field `name` during a
  // case (FieldValues::AtSlot), or -1 when they keep it by name only.
  virtual int Slot(const std::string& name) const {
    (void)name;
    return -1;
  }
  // The name of the model element's target field (MiningSchema usageType
  // "target"/"predicted"), empty when it has none.
  virtual std::string TargetName() const = 0;
  // The target's categories in DataDictionary order; empty for a continuous
  // target.
  virtual std::vector<std::string> TargetCategories() const = 0;
  // Reads a nested model element (a segment's model) through the plug-in
  // that serves its type. The caller owns the result.
  virtual NestedModel* ReadNestedModel(xercesc::DOMElement* model) = 0;
  // Reads a predicate element over the fields in scope. The caller owns the
  // result.
  virtual Predicate* ReadPredicate(xercesc::DOMElement* predicate) = 0;
  // Reads DerivedField elements over the fields in scope. The caller owns
  // the result.
  virtual DerivedFields* ReadDerivedFields(const std::vector<xercesc::DOMElement*>& fields) = 0;
  // The OutputFields of an association-rules model that report rules, in
  // document order; Prediction::rule_values answers them.
  virtual std::vector<RuleOutputDef> RuleOutputs() const { return {}; }
};

// Each model-type plug-in exports this reader under the name
// "OrvaneReadModelAlgorithm": the algorithm of `model` (an element of the
// plug-in's model type), owned by the caller. Throws OVException.
using ReadModelAlgorithmFn = ModelAlgorithm* (*)(xercesc::DOMElement* model, ReadContext* context);
constexpr const char* kReadModelAlgorithmSymbol = "OrvaneReadModelAlgorithm";

}  // namespace orvane_plugins

// The one definition in each model-type plug-in (its "GiveMyTranslator" is
// generated by the build from this reader and the plug-in's model type).
extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context);

#endif  // ORVANE_PLUGINS_MODEL_ALGORITHM_H_
