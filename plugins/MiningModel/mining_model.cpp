// The MiningModel algorithm: a Segmentation whose segments are models of any
// type (read through the plug-in that serves each, a nested MiningModel
// through this one), each with a predicate that says whether it applies to a
// case, and a method that combines the predictions of the segments that do.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/model/result_advice.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_function.h"
#include "orvane_plugins/model_inputs.h"
#include "orvane_plugins/predicate.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ResultAdvice;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

constexpr int kAdviceMissingScore = 103;

enum class Method {
  kMajorityVote,
  kWeightedMajorityVote,
  kAverage,
  kWeightedAverage,
  kMedian,
  kWeightedMedian,
  kMax,
  kSum,
  kWeightedSum,
  kSelectFirst,
  kSelectAll,
  kModelChain,
};

enum class MissingTreatment { kReturnMissing, kSkipSegment, kContinue };

struct MethodInfo {
  const char* name;
  Method method;
  bool weighted;
  bool regression;      // applies to a regression
  bool classification;  // applies to a classification
};

const MethodInfo kMethods[] = {
    {"majorityVote", Method::kMajorityVote, false, false, true},
    {"weightedMajorityVote", Method::kWeightedMajorityVote, true, false, true},
    {"average", Method::kAverage, false, true, true},
    {"weightedAverage", Method::kWeightedAverage, true, true, true},
    {"median", Method::kMedian, false, true, true},
    {"weightedMedian", Method::kWeightedMedian, true, true, false},
    {"max", Method::kMax, false, true, true},
    {"sum", Method::kSum, false, true, false},
    {"weightedSum", Method::kWeightedSum, true, true, false},
    {"selectFirst", Method::kSelectFirst, false, true, true},
    {"selectAll", Method::kSelectAll, false, true, true},
    {"modelChain", Method::kModelChain, false, true, true},
};

const MethodInfo& ParseMethod(const std::string& text) {
  for (const MethodInfo& info : kMethods) {
    if (text == info.name) return info;
  }
  throw OVException(OVException::kCodeUnsupported,
                    "Segmentation: multipleModelMethod \"" + text + "\" is not supported");
}

MissingTreatment ParseMissingTreatment(const std::string& text) {
  if (text.empty() || text == "continue") return MissingTreatment::kContinue;
  if (text == "returnMissing") return MissingTreatment::kReturnMissing;
  if (text == "skipSegment") return MissingTreatment::kSkipSegment;
  throw OVException(OVException::kCodeUnsupported,
                    "Segmentation: missingPredictionTreatment \"" + text + "\" is not supported");
}

bool IsPredicate(const std::string& name) {
  return name == "SimplePredicate" || name == "CompoundPredicate" ||
         name == "SimpleSetPredicate" || name == "True" || name == "False";
}

struct Segment {
  std::string id;
  double weight = 1.0;  // the segment's weight in the combination
  std::unique_ptr<Predicate> predicate;  // null: always selected
  int test = -1;  // the predicate in plain cases' tests, when compiled
  std::unique_ptr<NestedModel> model;
};

// A combination's case: read through FieldValues, or a plain case for which
// every segment's predicate and model compiled.
struct FieldsCase {
  const FieldValues& fields;
  bool Selected(const Segment& segment) const {
    return segment.predicate == nullptr ||
           segment.predicate->Evaluate(fields) == Predicate::kTRUE;
  }
  void Score(const Segment& segment, Prediction* out) const {
    segment.model->Predict(fields, out, nullptr);
  }
};
struct CompiledCase {
  const PlainCase& plain;
  const PlainTests& tests;
  bool Selected(const Segment& segment) const {
    return segment.predicate == nullptr || tests.Holds(segment.test, plain);
  }
  void Score(const Segment& segment, Prediction* out) const {
    segment.model->PredictPlain(plain, out);
  }
};

using Outputs = std::vector<std::pair<std::string, const ScoreValue*>>;

// A chain's fields: the OutputFields of the segments scored so far (the
// latest of equal names first), then the enclosing scope's values.
class ChainFields : public FieldValues {
 public:
  explicit ChainFields(const FieldValues& scope) : scope_(scope) {}
  const ScoreValue* Get(const std::string& name) const override {
    for (auto it = outputs_.rbegin(); it != outputs_.rend(); ++it) {
      if (it->first == name) return it->second;
    }
    return scope_.Get(name);
  }
  void Add(const Outputs& outputs) { outputs_.insert(outputs_.end(), outputs.begin(), outputs.end()); }

 private:
  const FieldValues& scope_;
  Outputs outputs_;
};

void AddAdvice(const std::vector<ResultAdvice>& advice, Prediction* out) {
  for (const ResultAdvice& note : advice) {
    bool known = false;
    for (const ResultAdvice& have : out->advice) {
      known = known || (have.GetID() == note.GetID() && have.GetInfo() == note.GetInfo());
    }
    if (!known) out->advice.push_back(note);
  }
}

void NoPrediction(Prediction* out) {
  out->valid = false;
  AddAdvice({ResultAdvice(kAdviceMissingScore, "")}, out);
}

// The weighted median: the value where the cumulative weight of the sorted
// values reaches half the total; the mean of the two values around it when it
// falls exactly between them (the plain median for equal weights).
double WeightedMedian(std::vector<std::pair<double, double>> values) {  // (value, weight)
  std::sort(values.begin(), values.end(),
            [](const std::pair<double, double>& a, const std::pair<double, double>& b) {
              return a.first < b.first;
            });
  double total = 0.0;
  for (const auto& entry : values) total += entry.second;
  double cumulative = 0.0;
  for (size_t i = 0; i < values.size(); ++i) {
    cumulative += values[i].second;
    if (cumulative * 2.0 == total && i + 1 < values.size()) {
      return (values[i].first + values[i + 1].first) / 2.0;
    }
    if (cumulative * 2.0 >= total) return values[i].first;
  }
  return values.empty() ? 0.0 : values.back().first;
}

// Numbers kept by an address: the target's number of each lent category
// text met before (a text lent is one read at load: its address keeps its
// text), the place of each known category order. Past a few dozen addresses
// the rest are not kept.
class AddressNumbers {
 public:
  bool Find(const void* address, size_t* k) const {
    for (size_t i = Index(address);; i = (i + 1) % kSize) {
      if (addresses_[i] == address) return *k = numbers_[i], true;
      if (addresses_[i] == nullptr) return false;
    }
  }
  void Add(const void* address, size_t k) {
    if (2 * count_ >= kSize) return;
    size_t i = Index(address);
    while (addresses_[i] != nullptr && addresses_[i] != address) i = (i + 1) % kSize;
    count_ += addresses_[i] == nullptr;
    addresses_[i] = address;
    numbers_[i] = k;
  }

 private:
  static constexpr size_t kSize = 128;  // kept at most half full
  static size_t Index(const void* address) {
    const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address));
    return static_cast<size_t>((bits * 0x9E3779B97F4A7C15ull) >> 57);
  }
  std::array<const void*, kSize> addresses_{};
  std::array<size_t, kSize> numbers_{};
  size_t count_ = 0;
};

// The working lists of one combination, kept from case to case so that a
// case allocates nothing once they have grown. Each segmentation has its own
// (a model scores on one thread at a time).
struct CombineScratch {
  std::vector<Prediction> predictions;
  std::vector<std::string> names;  // clustering: each winner's name
  std::vector<std::pair<const Prediction*, double>> scored;  // valid ones, with weight
  // CombineCategories: categories the target does not list, each
  // probability's category number, the segments' distributions (one row
  // each) and the combined one.
  std::vector<std::string> extra;
  std::vector<size_t> where;
  // Category orders fixed at load (Prediction::category_order) whose every
  // category is one of the target's, with each one's number; a few at most.
  std::vector<std::pair<const void*, std::vector<size_t>>> orders;
  AddressNumbers order_places;  // each order's place in `orders`
  std::vector<double> rows;
  std::vector<double> result;
  std::vector<std::pair<std::string, double>> distribution;  // lent to the prediction
  AddressNumbers lent_numbers;
};

class MiningAlgorithm : public ModelAlgorithm {
 public:
  MiningAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;
  bool Compile(const PlainLayout& layout) override;
  void PredictPlain(const PlainCase& c, Prediction* out) const override;

 private:
  // Combine's majority vote of a plain case, when every selected segment's
  // vote is known without its prediction; false, nothing done, otherwise.
  bool VotePlain(const PlainCase& c, Prediction* out) const;
  void ReadSegment(DOMElement* element, ReadContext* context);
  template <class Case>
  void SelectFirst(const Case& c, Prediction* out) const;
  void Chain(const FieldValues& fields, Prediction* out) const;
  template <class Case>
  void Combine(const Case& c, Prediction* out) const;
  void CombineNumbers(const std::vector<std::pair<const Prediction*, double>>& scored,
                      Prediction* out) const;
  void CombineCategories(const std::vector<std::pair<const Prediction*, double>>& scored,
                         double missing_weight, Prediction* out) const;
  // The target's number of each category of `prediction`'s probabilities,
  // in their order, when that order is fixed at load and lists the target's
  // categories only; else null. Lent from the working lists.
  const std::vector<size_t>* KnownOrder(const Prediction& prediction) const;
  // KnownOrder of an order not met yet (out of its way).
  const std::vector<size_t>* LearnOrder(const Prediction& prediction) const;
  // The target's number of `prediction`'s category when it is known without
  // its text (its place in a known order, or a lent text met before); else
  // past the target's categories.
  size_t KnownNumber(const Prediction& prediction) const;
  // A vote whose every segment's category is known by number, counted at
  // once; false, nothing done, when one is not (CombineCategories' general
  // way then also learns the numbers of lent texts).
  bool CountKnownVotes(const std::vector<std::pair<const Prediction*, double>>& scored,
                       double missing_weight, Prediction* out) const;
  // The shares of the votes counted in the working `result`, out of `total`,
  // or no prediction when the votes for none (`missing_weight`) win.
  void FinishVote(double total, double missing_weight, Prediction* out) const;
  // Votes (`result`, out of `total`) as shares; false when the votes for no
  // prediction (`missing_weight`) outnumber every category's.
  static bool VoteShares(std::vector<double>* result, double total, double missing_weight);

  bool classification_ = false;
  bool clustering_ = false;
  Method method_ = Method::kAverage;
  MissingTreatment missing_treatment_ = MissingTreatment::kContinue;
  double missing_threshold_ = 1.0;
  bool weighted_ = false;
  std::vector<std::string> categories_;  // the target's, in dictionary order
  std::vector<Segment> segments_;
  PlainTests tests_;  // the segments' predicates, compiled
  bool plain_votes_ = false;  // every segment compiled VotePlain for the target's categories
  mutable CombineScratch scratch_;
};

MiningAlgorithm::MiningAlgorithm(DOMElement* model, ReadContext* context) {
  const std::string name = ElementName(model, *context);
  static const char* const kChildren[] = {
      "Extension", "MiningSchema",         "Output",       "ModelStats",        "ModelExplanation",
      "Targets",   "LocalTransformations", "Segmentation", "ModelVerification", nullptr};
  RefuseUnknownChildren(model, kChildren, *context);
  static const char* const kFunctions[] = {"classification", "regression", "clustering",
                                           nullptr};
  const std::string function = ReadModelFunction(model, kFunctions, *context);
  // A clustering ensemble votes on its segments' cluster ids.
  clustering_ = function == "clustering";
  classification_ = function != "regression";
  DOMElement* segmentation = ChildElement(model, "Segmentation");
  if (segmentation == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": Segmentation is absent");
  }
  static const char* const kSegmentationChildren[] = {"Extension", "Segment", nullptr};
  RefuseUnknownChildren(segmentation, kSegmentationChildren, *context);

  const std::string method = RequiredAttribute(segmentation, "multipleModelMethod", *context);
  const MethodInfo& info = ParseMethod(method);
  if (info.method == Method::kSelectAll) {
    throw OVException(OVException::kCodeUnsupported,
                      "Segmentation: multipleModelMethod \"selectAll\" gives no single prediction");
  }
  if (!(classification_ ? info.classification : info.regression) ||
      (clustering_ && info.method != Method::kMajorityVote &&
       info.method != Method::kWeightedMajorityVote && info.method != Method::kSelectFirst &&
       info.method != Method::kModelChain)) {
    throw OVException(OVException::kCodeUnsupported,
                      "Segmentation: multipleModelMethod \"" + method + "\" does not apply to " +
                          function);
  }
  method_ = info.method;
  weighted_ = info.weighted;
  missing_treatment_ =
      ParseMissingTreatment(Attribute(segmentation, "missingPredictionTreatment", *context));
  missing_threshold_ = NumberAttribute(segmentation, "missingThreshold", 1.0, *context);
  if (!(missing_threshold_ >= 0.0 && missing_threshold_ <= 1.0)) {
    throw OVException(OVException::kCodeSemantic,
                      "Segmentation: missingThreshold is not between 0 and 1");
  }
  if (classification_) categories_ = context->TargetCategories();

  for (DOMElement* segment : ChildElements(segmentation, "Segment")) ReadSegment(segment, context);
  if (segments_.empty()) {
    throw OVException(OVException::kCodeStructure, "Segmentation: Segment is absent");
  }
}

void MiningAlgorithm::ReadSegment(DOMElement* element, ReadContext* context) {
  Segment segment;
  segment.id = Attribute(element, "id", *context);
  segment.weight = NumberAttribute(element, "weight", 1.0, *context);
  if (!(segment.weight >= 0.0)) {
    throw OVException(OVException::kCodeSemantic, "Segment: weight is negative");
  }
  if (!weighted_) segment.weight = 1.0;
  bool has_predicate = false;
  for (DOMElement* child : ChildElements(element)) {
    const std::string kind = ElementName(child, *context);
    if (kind == "Extension") continue;
    if (kind == "VariableWeight") {
      throw OVException(OVException::kCodeUnsupported, "VariableWeight in Segment is not supported");
    }
    if (!has_predicate) {
      if (!IsPredicate(kind)) {
        throw OVException(OVException::kCodeStructure, "Segment: predicate is absent");
      }
      has_predicate = true;
      if (kind != "True") segment.predicate.reset(context->ReadPredicate(child));
      continue;
    }
    if (segment.model != nullptr) {
      throw OVException(OVException::kCodeStructure, "Segment: more than one model (" + kind + ")");
    }
    segment.model.reset(context->ReadNestedModel(child));
  }
  if (!has_predicate) {
    throw OVException(OVException::kCodeStructure, "Segment: predicate is absent");
  }
  if (segment.model == nullptr) {
    throw OVException(OVException::kCodeStructure, "Segment: model is absent");
  }
  segments_.push_back(std::move(segment));
}

void MiningAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  switch (method_) {
    case Method::kSelectFirst:
      SelectFirst(FieldsCase{fields}, out);
      return;
    case Method::kModelChain:
      Chain(fields, out);
      return;
    default:
      Combine(FieldsCase{fields}, out);
      return;
  }
}

// A chain passes outputs on, which plain cases do not keep.
bool MiningAlgorithm::Compile(const PlainLayout& layout) {
  if (method_ == Method::kModelChain) return false;
  for (Segment& segment : segments_) {
    if (segment.predicate != nullptr) {
      segment.test = segment.predicate->Compile(layout, &tests_);
      if (segment.test < 0) return false;
    }
    if (!segment.model->Compile(layout)) return false;
  }
  const bool vote = method_ == Method::kMajorityVote || method_ == Method::kWeightedMajorityVote;
  plain_votes_ = vote && classification_ && !clustering_ && !categories_.empty();
  for (Segment& segment : segments_) {
    plain_votes_ = plain_votes_ && segment.model->CompileVote(categories_);
  }
  return true;
}

// Combine's vote where every selected segment votes for one of the target's
// categories: counted without the segments' predictions.
bool MiningAlgorithm::VotePlain(const PlainCase& c, Prediction* out) const {
  std::vector<double>& result = scratch_.result;
  result.assign(categories_.size(), 0.0);
  double total = 0.0;
  bool any = false;
  for (const Segment& segment : segments_) {
    if (segment.predicate != nullptr && !tests_.Holds(segment.test, c)) continue;
    const int j = segment.model->VotePlain(c);
    if (j < 0) return false;
    result[static_cast<size_t>(j)] += segment.weight;
    total += segment.weight;
    any = true;
  }
  if (!any || 0.0 > missing_threshold_ * total) {
    NoPrediction(out);
  } else {
    out->advice.clear();
    FinishVote(total, 0.0, out);
  }
  return true;
}

void MiningAlgorithm::PredictPlain(const PlainCase& c, Prediction* out) const {
  if (method_ == Method::kSelectFirst) {
    SelectFirst(CompiledCase{c, tests_}, out);
  } else if (plain_votes_ && VotePlain(c, out)) {
    return;
  } else {
    Combine(CompiledCase{c, tests_}, out);
  }
}

template <class Case>
void MiningAlgorithm::SelectFirst(const Case& c, Prediction* out) const {
  for (const Segment& segment : segments_) {
    if (c.Selected(segment)) {
      c.Score(segment, out);
      return;
    }
  }
  NoPrediction(out);
}

// Every selected segment is scored in order, its OutputFields visible to the
// segments after it; the last selected segment predicts.
void MiningAlgorithm::Chain(const FieldValues& fields, Prediction* out) const {
  ChainFields chain(fields);
  Outputs outputs;
  bool any = false;
  for (const Segment& segment : segments_) {
    if (!FieldsCase{chain}.Selected(segment)) continue;
    *out = Prediction();
    outputs.clear();
    segment.model->Predict(chain, out, &outputs);
    chain.Add(outputs);
    any = true;
  }
  if (!any) NoPrediction(out);
}

template <class Case>
void MiningAlgorithm::Combine(const Case& c, Prediction* out) const {
  std::vector<Prediction>& predictions = scratch_.predictions;
  std::vector<std::string>& names = scratch_.names;
  std::vector<std::pair<const Prediction*, double>>& scored = scratch_.scored;
  predictions.resize(segments_.size());
  if (clustering_) {  // the winners' names
    names.resize(segments_.size());
    for (std::string& name : names) name.clear();
  }
  scored.clear();
  double selected_weight = 0.0;
  double missing_weight = 0.0;
  for (size_t i = 0; i < segments_.size(); ++i) {
    const Segment& segment = segments_[i];
    Prediction& prediction = predictions[i];
    if (!c.Selected(segment)) {
      prediction.Clear();  // a segment's Predict clears its own
      continue;
    }
    c.Score(segment, &prediction);
    if (clustering_) {
      names[i] = prediction.category.get();
      prediction.category = prediction.entity_id;
      prediction.ClearProbabilities();
    }
    selected_weight += segment.weight;
    // A classification counts a number as no prediction.
    if (prediction.valid && prediction.is_category == classification_) {
      scored.emplace_back(&prediction, segment.weight);
      continue;
    }
    missing_weight += segment.weight;
    AddAdvice(prediction.advice, out);
    if (missing_treatment_ == MissingTreatment::kReturnMissing) return NoPrediction(out);
  }
  if (scored.empty() || missing_weight > missing_threshold_ * selected_weight) {
    return NoPrediction(out);
  }
  if (missing_weight > 0.0 && missing_treatment_ == MissingTreatment::kContinue &&
      method_ != Method::kMajorityVote && method_ != Method::kWeightedMajorityVote) {
    return NoPrediction(out);  // a missing number leaves the combination undefined
  }
  if (missing_treatment_ == MissingTreatment::kSkipSegment) missing_weight = 0.0;
  out->advice.clear();
  if (clustering_) {
    CombineCategories(scored, missing_weight, out);
    if (!out->valid) return;
    // The winning cluster id, named as the first segment that chose it.
    out->entity_id = out->category;
    out->ClearProbabilities();
    for (size_t i = 0; i < segments_.size(); ++i) {
      if (predictions[i].valid && predictions[i].entity_id.get() == out->entity_id.get()) {
        out->category.Set(names[i]);
        break;
      }
    }
  } else if (classification_) {
    CombineCategories(scored, missing_weight, out);
  } else {
    CombineNumbers(scored, out);
  }
}

void MiningAlgorithm::CombineNumbers(const std::vector<std::pair<const Prediction*, double>>& scored,
                                     Prediction* out) const {
  double sum = 0.0;
  double weights = 0.0;
  double top = scored[0].first->value;
  for (const auto& entry : scored) {
    const double value = entry.first->value;
    sum += entry.second * value;
    weights += entry.second;
    top = std::max(top, value);
  }
  switch (method_) {
    case Method::kAverage:
    case Method::kWeightedAverage:
      out->value = sum / weights;
      break;
    case Method::kMedian:
    case Method::kWeightedMedian: {
      std::vector<std::pair<double, double>> values;
      for (const auto& entry : scored) values.emplace_back(entry.first->value, entry.second);
      out->value = WeightedMedian(std::move(values));
      break;
    }
    case Method::kMax:
      out->value = top;
      break;
    default:  // sum, weightedSum
      out->value = sum;
      break;
  }
  out->is_category = false;
  out->valid = true;
}

const std::vector<size_t>* MiningAlgorithm::KnownOrder(const Prediction& prediction) const {
  const void* order = prediction.category_order;
  if (order == nullptr) return nullptr;
  size_t at = 0;
  if (scratch_.order_places.Find(order, &at)) return &scratch_.orders[at].second;
  return LearnOrder(prediction);
}

__attribute__((noinline)) const std::vector<size_t>* MiningAlgorithm::LearnOrder(
    const Prediction& prediction) const {
  auto& orders = scratch_.orders;
  constexpr size_t kMaxOrders = 16;  // all kept in order_places
  if (orders.size() >= kMaxOrders) return nullptr;
  std::vector<size_t> numbers;
  for (const auto& probability : prediction.Probabilities()) {
    auto it = std::find(categories_.begin(), categories_.end(), probability.first);
    if (it == categories_.end()) return nullptr;
    numbers.push_back(static_cast<size_t>(it - categories_.begin()));
  }
  scratch_.order_places.Add(prediction.category_order, orders.size());
  orders.emplace_back(prediction.category_order, std::move(numbers));
  return &orders.back().second;
}

size_t MiningAlgorithm::KnownNumber(const Prediction& prediction) const {
  const size_t none = categories_.size();
  if (prediction.Probabilities().empty()) {
    const std::string* lent = prediction.category.lent();
    size_t k = none;
    return lent != nullptr && scratch_.lent_numbers.Find(lent, &k) ? k : none;
  }
  const auto at = static_cast<size_t>(prediction.category.index());
  const std::vector<size_t>* numbers = KnownOrder(prediction);
  return numbers != nullptr && at < numbers->size() ? (*numbers)[at] : none;
}

bool MiningAlgorithm::CountKnownVotes(
    const std::vector<std::pair<const Prediction*, double>>& scored, double missing_weight,
    Prediction* out) const {
  std::vector<double>& result = scratch_.result;
  if (categories_.empty()) return false;
  result.assign(categories_.size(), 0.0);
  double total = missing_weight;
  for (const auto& entry : scored) {
    const size_t j = KnownNumber(*entry.first);
    if (j >= result.size()) return false;
    result[j] += entry.second;
    total += entry.second;
  }
  FinishVote(total, missing_weight, out);
  return true;
}

void MiningAlgorithm::FinishVote(double total, double missing_weight, Prediction* out) const {
  std::vector<double>& result = scratch_.result;
  if (!VoteShares(&result, total, missing_weight)) {
    NoPrediction(out);
  } else {
    SetDistribution(categories_, result, out, &scratch_.distribution);
  }
}

bool MiningAlgorithm::VoteShares(std::vector<double>* result, double total,
                                 double missing_weight) {
  if (missing_weight > *std::max_element(result->begin(), result->end())) return false;
  for (double& share : *result) share /= total;
  return true;
}

// Votes, or each category's average, median or maximum probability, in the
// target's category order (categories the target does not list follow in
// the order the segments name them). `missing_weight`: votes for no
// prediction, which take their share and win when they outnumber every
// category.
void MiningAlgorithm::CombineCategories(
    const std::vector<std::pair<const Prediction*, double>>& scored, double missing_weight,
    Prediction* out) const {
  const bool vote = method_ == Method::kMajorityVote || method_ == Method::kWeightedMajorityVote;
  if (vote && CountKnownVotes(scored, missing_weight, out)) return;
  std::vector<double>& result = scratch_.result;
  // The target's categories, then any other that a segment names (`extra`).
  std::vector<std::string>& extra = scratch_.extra;
  extra.clear();
  // `hint`: where the category most likely is (segments list theirs in the
  // target's order, mostly).
  auto index_of = [this, &extra](const std::string& category, size_t hint) {
    if (hint < categories_.size() && categories_[hint] == category) return hint;
    auto it = std::find(categories_.begin(), categories_.end(), category);
    if (it != categories_.end()) return static_cast<size_t>(it - categories_.begin());
    auto other = std::find(extra.begin(), extra.end(), category);
    if (other == extra.end()) other = extra.insert(extra.end(), category);
    return categories_.size() + static_cast<size_t>(other - extra.begin());
  };
  // A prediction's category: a lent text found by its address once known.
  auto number_of = [this, &index_of](const PredictionText& category) {
    const std::string* lent = category.lent();
    size_t k = 0;
    if (lent != nullptr && scratch_.lent_numbers.Find(lent, &k)) return k;
    k = index_of(category.get(), 0);
    if (lent != nullptr && k < categories_.size()) scratch_.lent_numbers.Add(lent, k);
    return k;
  };
  // Each segment's distribution over the categories, as one row of
  // `distributions`; a segment that gives no probabilities is sure of its
  // category. The categories are numbered first, so that rows have their
  // final width.
  // A vote needs the categories only.
  constexpr size_t kUnknown = static_cast<size_t>(-1);
  std::vector<size_t>& where = scratch_.where;
  where.clear();
  for (const auto& entry : scored) {
    const Prediction& prediction = *entry.first;
    const auto& probabilities = prediction.Probabilities();
    // A vote keeps one number a segment: its category's, when known here.
    if (probabilities.empty()) {
      where.push_back(number_of(prediction.category));
      continue;
    }
    if (vote) where.push_back(kUnknown);
    if (const std::vector<size_t>* numbers = KnownOrder(prediction)) {
      if (!vote) where.insert(where.end(), numbers->begin(), numbers->end());
      continue;
    }
    for (size_t k = 0; k < probabilities.size(); ++k) {
      const size_t j = index_of(probabilities[k].first, k);
      if (!vote) where.push_back(j);
    }
  }
  const size_t n = categories_.size() + extra.size();
  std::vector<double>& rows = scratch_.rows;
  rows.assign(vote ? 0 : scored.size() * n, 0.0);
  size_t next = 0;
  for (size_t s = 0; s < scored.size() && !vote; ++s) {
    const auto& probabilities = scored[s].first->Probabilities();
    double* p = &rows[s * n];
    if (probabilities.empty()) {
      p[where[next++]] = 1.0;
      continue;
    }
    for (const auto& probability : probabilities) p[where[next++]] = probability.second;
  }
  struct Row {
    const double* p;
    double operator[](size_t j) const { return p[j]; }
  };
  struct Rows {
    const std::vector<double>* rows;
    size_t n;
    Row operator[](size_t s) const { return Row{rows->data() + s * n}; }
  };
  const Rows distributions{&rows, n};

  result.assign(n, 0.0);
  std::string winner;
  switch (method_) {
    case Method::kMajorityVote:
    case Method::kWeightedMajorityVote: {
      double total = missing_weight;
      for (size_t s = 0; s < scored.size(); ++s) {
        const size_t j =
            where[s] != kUnknown ? where[s] : number_of(scored[s].first->category);
        if (j >= result.size()) result.resize(j + 1, 0.0);
        result[j] += scored[s].second;
        total += scored[s].second;
      }
      if (!VoteShares(&result, total, missing_weight)) return NoPrediction(out);
      break;
    }
    case Method::kAverage:
    case Method::kWeightedAverage: {
      double weights = 0.0;
      for (size_t s = 0; s < scored.size(); ++s) {
        weights += scored[s].second;
        for (size_t j = 0; j < n; ++j) result[j] += scored[s].second * distributions[s][j];
      }
      for (double& value : result) value /= weights;
      break;
    }
    case Method::kMedian: {
      for (size_t j = 0; j < n; ++j) {
        std::vector<std::pair<double, double>> values;
        for (size_t s = 0; s < scored.size(); ++s) values.emplace_back(distributions[s][j], 1.0);
        result[j] = WeightedMedian(std::move(values));
      }
      break;
    }
    default: {
      // max: the category of the highest probability any segment gives (the
      // first such segment's), with the mean distribution of the segments
      // that give that category that probability.
      size_t best = 0;
      double top = -1.0;
      for (size_t s = 0; s < scored.size(); ++s) {
        const Row p = distributions[s];
        for (size_t j = 0; j < n; ++j) {
          if (p[j] > top) {
            top = p[j];
            best = j;
          }
        }
      }
      double count = 0.0;
      for (size_t s = 0; s < scored.size(); ++s) {
        const Row p = distributions[s];
        if (p[best] != top) continue;
        count += 1.0;
        for (size_t j = 0; j < n; ++j) result[j] += p[j];
      }
      for (double& value : result) value /= count;
      winner = best < categories_.size() ? categories_[best] : extra[best - categories_.size()];
      break;
    }
  }
  if (extra.empty()) {
    SetDistribution(categories_, result, out, &scratch_.distribution);
  } else {
    std::vector<std::string> categories = categories_;
    categories.insert(categories.end(), extra.begin(), extra.end());
    SetDistribution(categories, result, out);
  }
  if (!winner.empty()) out->category.Set(winner);
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::MiningAlgorithm(model, context);
}
