// The NearestNeighborModel algorithm: the case is compared with every
// training instance over the KNNInputs (one pass over the instances), the k
// nearest are kept (the earlier instance first among equals), and their
// target values are combined by the model's scoring method. Training
// instances that are not transformed go through the document's and the
// model's DerivedFields once, when the model is read.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/comparison_measure.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/field_reading.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_function.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

constexpr int kAdviceMissingPredictor = 102;
const char kModel[] = "NearestNeighborModel";

// One KNNInput. Instance and case values are numbers; a field of texts is
// compared through codes: the position of the text among the texts the
// training instances hold (a case text none holds gets -1).
struct Input {
  int input;  // number in inputs_
  std::string name;
  bool numeric;
  CompareFunction compare;
  double weight;
  double scale;  // gaussSim's similarityScale
  std::vector<std::string> texts;
};

// A training instance's cells by InstanceField, as the table writes them;
// `present` false for an empty cell.
struct Cell {
  std::string text;
  bool present;
  DOMElement* element;
};

// The values of one training instance as DerivedFields read them: its
// InstanceFields made in their fields' types, and the derived values computed
// so far.
class InstanceValues : public FieldValues {
 public:
  const ScoreValue* Get(const std::string& name) const override {
    const auto found = values_.find(name);
    return found == values_.end() ? nullptr : found->second.get();
  }
  // Takes ownership of `value` (null: missing).
  void Set(const std::string& name, ScoreValue* value) { values_[name].reset(value); }

 private:
  std::map<std::string, std::unique_ptr<ScoreValue>> values_;
};

class NearestNeighborAlgorithm : public ModelAlgorithm {
 public:
  NearestNeighborAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  void ReadInputs(DOMElement* element, const ReadContext& context);
  void ReadInstances(DOMElement* element, ReadContext* context);
  double Measured(const double* instance, const std::vector<double>& x) const;
  double Weight(double measured) const;
  void Combine(const std::vector<size_t>& nearest, Prediction* out) const;

  int k_ = 0;
  std::unique_ptr<ComparisonMeasure> measure_;
  double threshold_ = 0.001;
  std::string continuous_method_ = "average";
  std::string categorical_method_ = "majorityVote";
  ModelInputs inputs_;
  std::vector<Input> knn_;
  // Instances: their ids, their KNNInput values (instance-major, NaN where a
  // cell is missing) and their target values.
  std::vector<std::string> ids_;
  std::vector<double> values_;
  bool has_target_ = false;
  bool continuous_target_ = false;
  std::vector<double> target_numbers_;
  std::vector<int> target_codes_;        // index into categories_
  std::vector<std::string> categories_;  // the target's categories
  std::vector<double> category_counts_;  // instances of each category
};

NearestNeighborAlgorithm::NearestNeighborAlgorithm(DOMElement* model, ReadContext* context) {
  static const char* const kChildren[] = {"Extension",
                                          "MiningSchema",
                                          "Output",
                                          "ModelStats",
                                          "ModelExplanation",
                                          "Targets",
                                          "LocalTransformations",
                                          "TrainingInstances",
                                          "ComparisonMeasure",
                                          "KNNInputs",
                                          "ModelVerification",
                                          nullptr};
  RefuseUnknownChildren(model, kChildren, *context);
  static const char* const kFunctions[] = {"classification", "regression", "clustering", nullptr};
  ReadModelFunction(model, kFunctions, *context);
  const double k = RequiredNumberAttribute(model, "numberOfNeighbors", *context);
  if (!(k >= 1.0) || k != std::floor(k) || k > 1e9) {
    throw OVException(OVException::kCodeSemantic,
                      std::string(kModel) + ": numberOfNeighbors must be a positive integer");
  }
  k_ = static_cast<int>(k);
  threshold_ = NumberAttribute(model, "threshold", 0.001, *context);
  if (HasAttribute(model, "continuousScoringMethod")) {
    continuous_method_ = Attribute(model, "continuousScoringMethod", *context);
  }
  if (HasAttribute(model, "categoricalScoringMethod")) {
    categorical_method_ = Attribute(model, "categoricalScoringMethod", *context);
  }
  if (continuous_method_ != "average" && continuous_method_ != "median" &&
      continuous_method_ != "weightedAverage") {
    throw OVException(OVException::kCodeUnsupported,
                      std::string(kModel) + ": continuousScoringMethod \"" + continuous_method_ +
                          "\" is not supported");
  }
  if (categorical_method_ != "majorityVote" && categorical_method_ != "weightedMajorityVote") {
    throw OVException(OVException::kCodeUnsupported,
                      std::string(kModel) + ": categoricalScoringMethod \"" + categorical_method_ +
                          "\" is not supported");
  }
  DOMElement* measure = ChildElement(model, "ComparisonMeasure");
  if (measure == nullptr) {
    throw OVException(OVException::kCodeStructure,
                      std::string(kModel) + ": ComparisonMeasure is absent");
  }
  measure_.reset(new ComparisonMeasure(measure, *context));
  DOMElement* inputs = ChildElement(model, "KNNInputs");
  if (inputs == nullptr) {
    throw OVException(OVException::kCodeStructure, std::string(kModel) + ": KNNInputs is absent");
  }
  ReadInputs(inputs, *context);
  DOMElement* instances = ChildElement(model, "TrainingInstances");
  if (instances == nullptr) {
    throw OVException(OVException::kCodeStructure,
                      std::string(kModel) + ": TrainingInstances is absent");
  }
  ReadInstances(instances, context);
  if (static_cast<size_t>(k_) > ids_.size()) {
    throw OVException(OVException::kCodeCount, std::string(kModel) + ": numberOfNeighbors " +
                                                   std::to_string(k_) + " is more than the " +
                                                   std::to_string(ids_.size()) +
                                                   " training instances");
  }
  const bool weighted = (has_target_ && continuous_target_)
                            ? continuous_method_ == "weightedAverage"
                            : has_target_ && categorical_method_ == "weightedMajorityVote";
  if (weighted && measure_->similarity()) {
    throw OVException(OVException::kCodeUnsupported,
                      std::string(kModel) +
                          ": a weighted scoring method needs a distance, not "
                          "a similarity ComparisonMeasure");
  }
}

void NearestNeighborAlgorithm::ReadInputs(DOMElement* element, const ReadContext& context) {
  const bool binary = measure_->binary();
  for (DOMElement* child : ChildElements(element, "KNNInput")) {
    Input in;
    in.name = RequiredAttribute(child, "field", context);
    const std::string where = "KNNInput " + in.name;
    in.input = inputs_.Add(in.name, true, "KNNInput", context);
    in.numeric = inputs_.field(in.input)->GetVarType() != ScoreDictVar::kSTRING_VAR;
    in.compare = measure_->compare();
    if (HasAttribute(child, "compareFunction")) {
      in.compare = ParseCompareFunction(Attribute(child, "compareFunction", context), where);
    }
    if (in.compare == CompareFunction::kTable) {
      throw OVException(OVException::kCodeUnsupported,
                        where +
                            ": compareFunction \"table\" is not supported: a KNNInput has "
                            "no comparison table");
    }
    in.weight = NumberAttribute(child, "fieldWeight", 1.0, context);
    if (!(in.weight > 0.0)) {
      throw OVException(OVException::kCodeSemantic, where + ": fieldWeight must be positive");
    }
    in.scale = NumberAttribute(child, "similarityScale", 0.0, context);
    if (in.compare == CompareFunction::kGaussSim && !(in.scale > 0.0)) {
      throw OVException(OVException::kCodeAbsent,
                        where + ": gaussSim needs a positive similarityScale");
    }
    if ((binary || in.compare == CompareFunction::kAbsDiff ||
         in.compare == CompareFunction::kGaussSim) &&
        !in.numeric) {
      throw OVException(OVException::kCodeTypeOrLevel, where + ": this comparison needs numbers");
    }
    knn_.push_back(std::move(in));
  }
  if (knn_.empty()) throw OVException(OVException::kCodeStructure, "KNNInputs: KNNInput is absent");
}

// The cell of `row` for `column`: the child element of that name, a prefixed
// one (data:column) also found by the name after its prefix.
DOMElement* FindCell(DOMElement* row, const std::string& column) {
  for (DOMElement* cell : ChildElements(row)) {
    const std::string tag = TagOf(cell);
    if (tag == column) return cell;
    const size_t colon = tag.find(':');
    if (colon != std::string::npos && column.find(':') == std::string::npos &&
        tag.compare(colon + 1, std::string::npos, column) == 0) {
      return cell;
    }
  }
  return nullptr;
}

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

void NearestNeighborAlgorithm::ReadInstances(DOMElement* element, ReadContext* context) {
  static const char* const kChildren[] = {"Extension", "InstanceFields", "InlineTable",
                                          "TableLocator", nullptr};
  RefuseUnknownChildren(element, kChildren, *context);
  if (ChildElement(element, "TableLocator") != nullptr) {
    throw OVException(OVException::kCodeUnsupported,
                      "TrainingInstances: TableLocator is not supported");
  }
  const bool transformed = Attribute(element, "isTransformed", *context) == "true";
  DOMElement* fields = ChildElement(element, "InstanceFields");
  DOMElement* table = ChildElement(element, "InlineTable");
  if (fields == nullptr || table == nullptr) {
    throw OVException(OVException::kCodeStructure,
                      std::string("TrainingInstances: ") +
                          (fields == nullptr ? "InstanceFields" : "InlineTable") + " is absent");
  }
  std::vector<std::string> names;
  std::vector<std::string> columns;
  for (DOMElement* field : ChildElements(fields, "InstanceField")) {
    names.push_back(RequiredAttribute(field, "field", *context));
    columns.push_back(RequiredAttribute(field, "column", *context));
  }
  auto position = [&names](const std::string& name) {
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  };
  const int none = static_cast<int>(names.size());
  DOMElement* model = static_cast<DOMElement*>(element->getParentNode());
  const std::string id_name = Attribute(model, "instanceIdVariable", *context);
  const int id_at = id_name.empty() ? none : position(id_name);
  if (!id_name.empty() && id_at == none) {
    throw OVException(OVException::kCodeVariableName, std::string(kModel) +
                                                          ": instanceIdVariable \"" + id_name +
                                                          "\" is not among the InstanceFields");
  }
  const std::string target = context->TargetName();
  int target_at = none;
  if (!target.empty()) {
    target_at = position(target);
    if (target_at == none) {
      throw OVException(
          OVException::kCodeVariableName,
          std::string(kModel) + ": target \"" + target + "\" is not among the InstanceFields");
    }
    has_target_ = true;
    const ScoreDictVar* var = context->Field(target);
    continuous_target_ = var != nullptr && var->GetMLevel() == ScoreDictVar::kCONTINUOUS;
    if (!continuous_target_) categories_ = context->TargetCategories();
  }

  // Each KNNInput's InstanceField, or the DerivedField computed from them.
  std::vector<int> input_at;
  bool derived = false;
  for (const Input& in : knn_) {
    input_at.push_back(position(in.name));
    if (input_at.back() != none) continue;
    if (transformed) {
      throw OVException(OVException::kCodeVariableName,
                        "KNNInput " + in.name + ": the field is not among the InstanceFields");
    }
    derived = true;
  }
  // The DerivedFields in scope, in the order they are defined: the
  // document's, then the model's own.
  std::vector<std::string> derived_names;
  std::vector<std::unique_ptr<DerivedFields>> computed;
  if (derived) {
    std::vector<DOMElement*> elements;
    DOMElement* root = model->getOwnerDocument()->getDocumentElement();
    for (DOMElement* holder : {ChildElement(root, "TransformationDictionary"),
                               ChildElement(model, "LocalTransformations")}) {
      if (holder == nullptr) continue;
      for (DOMElement* field : ChildElements(holder, "DerivedField")) elements.push_back(field);
    }
    for (DOMElement* field : elements) {
      derived_names.push_back(Attribute(field, "name", *context));
      computed.emplace_back(context->ReadDerivedFields({field}));
    }
    for (size_t i = 0; i < knn_.size(); ++i) {
      if (input_at[i] == none && std::find(derived_names.begin(), derived_names.end(),
                                           knn_[i].name) == derived_names.end()) {
        throw OVException(OVException::kCodeVariableName,
                          "KNNInput " + knn_[i].name +
                              ": the field is neither an InstanceField nor derived from them");
      }
    }
  }

  std::vector<Cell> cells(names.size());
  std::vector<const ScoreValue*> one;
  for (DOMElement* row : ChildElements(table, "row")) {
    const std::string where = "InlineTable: row " + std::to_string(ids_.size() + 1);
    for (size_t f = 0; f < names.size(); ++f) {
      DOMElement* cell = FindCell(row, columns[f]);
      if (cell == nullptr) {
        throw OVException(OVException::kCodeStructure,
                          where + " has no column \"" + columns[f] + "\"");
      }
      cells[f].text = Trimmed(ElementText(cell, *context));
      cells[f].present = !cells[f].text.empty();
      cells[f].element = cell;
    }
    ids_.push_back(id_at == none ? std::to_string(ids_.size() + 1) : cells[id_at].text);
    InstanceValues row_values;
    if (derived) {
      for (size_t f = 0; f < names.size(); ++f) {
        const ScoreDictVar* var = context->Field(names[f]);
        if (var == nullptr || !cells[f].present) continue;
        row_values.Set(names[f], MakeFieldValue(var, cells[f].text, cells[f].element));
      }
      for (size_t d = 0; d < computed.size(); ++d) {
        computed[d]->Compute(row_values, &one);
        const ScoreValue* value = one.empty() ? nullptr : one[0];
        row_values.Set(derived_names[d], IsMissing(value) ? nullptr : value->Clone());
      }
    }
    for (size_t i = 0; i < knn_.size(); ++i) {
      Input& in = knn_[i];
      std::string text;
      bool present = false;
      double number = std::nan("");
      if (input_at[i] != none) {
        present = cells[input_at[i]].present;
        text = cells[input_at[i]].text;
        if (present && in.numeric && !ParseNumber(text, &number)) {
          throw OVException(OVException::kCodeConversion, where + ", column \"" +
                                                              columns[input_at[i]] + "\": \"" +
                                                              text + "\" is not a number");
        }
      } else if (const ScoreValue* value = row_values.Get(in.name)) {
        present = true;
        if (in.numeric) {
          number =
              value->GetType() == ScoreValue::kNUMERIC_VALUE ? value->GetDouble() : std::nan("");
        } else {
          text = value->GetString();
        }
      }
      if (present && !in.numeric) {
        const auto found = std::find(in.texts.begin(), in.texts.end(), text);
        number = static_cast<double>(found - in.texts.begin());
        if (found == in.texts.end()) in.texts.push_back(text);
      }
      values_.push_back(number);
    }
    if (has_target_) {
      const Cell& cell = cells[target_at];
      if (!cell.present) {
        throw OVException(OVException::kCodeAbsent,
                          where + ": the target " + target + " has no value");
      }
      if (continuous_target_) {
        double number = 0.0;
        if (!ParseNumber(cell.text, &number)) {
          throw OVException(OVException::kCodeConversion, where + ", column \"" +
                                                              columns[target_at] + "\": \"" +
                                                              cell.text + "\" is not a number");
        }
        target_numbers_.push_back(number);
      } else {
        const auto found = std::find(categories_.begin(), categories_.end(), cell.text);
        target_codes_.push_back(static_cast<int>(found - categories_.begin()));
        if (found == categories_.end()) categories_.push_back(cell.text);
        category_counts_.resize(categories_.size(), 0.0);
        category_counts_[target_codes_.back()] += 1.0;
      }
    }
  }
}

// The measure between the case `x` and one instance; inputs that the
// instance lacks are left out.
double NearestNeighborAlgorithm::Measured(const double* instance,
                                          const std::vector<double>& x) const {
  if (measure_->binary()) {
    double counts[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < knn_.size(); ++i) {
      if (std::isnan(instance[i])) continue;
      counts[(x[i] != 0.0 ? 2 : 0) + (instance[i] != 0.0 ? 1 : 0)] += 1.0;
    }
    return measure_->FromCounts(counts);
  }
  double inner = 0.0;
  for (size_t i = 0; i < knn_.size(); ++i) {
    if (std::isnan(instance[i])) continue;
    const Input& in = knn_[i];
    measure_->Add(in.weight, CompareNumbers(in.compare, x[i], instance[i], in.scale), &inner);
  }
  return measure_->Finish(inner);
}

double NearestNeighborAlgorithm::Weight(double measured) const {
  return 1.0 / (measured + threshold_);
}

void NearestNeighborAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  std::vector<const ScoreValue*> values;
  if (!inputs_.Fetch(fields, &values, out)) {
    out->valid = false;
    return;
  }
  std::vector<double> x(knn_.size());
  for (size_t i = 0; i < knn_.size(); ++i) {
    const Input& in = knn_[i];
    const ScoreValue* value = values[in.input];
    if (in.numeric) {
      if (value->GetType() != ScoreValue::kNUMERIC_VALUE) {
        out->advice.emplace_back(kAdviceMissingPredictor,
                                 in.name);  // no number where one is needed
        out->valid = false;
        return;
      }
      x[i] = value->GetDouble();
    } else {
      const auto found = std::find(in.texts.begin(), in.texts.end(), value->GetString());
      x[i] = found == in.texts.end() ? -1.0 : static_cast<double>(found - in.texts.begin());
    }
  }
  // One pass over the instances, keeping the k nearest in order; an instance
  // displaces another only when strictly nearer, so the earlier stays first.
  const size_t k = static_cast<size_t>(k_);
  std::vector<std::pair<double, size_t>> nearest;
  nearest.reserve(k + 1);
  const size_t width = knn_.size();
  for (size_t n = 0; n < ids_.size(); ++n) {
    double m = Measured(&values_[n * width], x);
    if (std::isnan(m)) m = measure_->similarity() ? -HUGE_VAL : HUGE_VAL;
    if (nearest.size() == k &&
        !(measure_->similarity() ? m > nearest.back().first : m < nearest.back().first)) {
      continue;
    }
    auto at = nearest.end();
    while (at != nearest.begin() &&
           (measure_->similarity() ? m > (at - 1)->first : m < (at - 1)->first)) {
      --at;
    }
    nearest.insert(at, {m, n});
    if (nearest.size() > k) nearest.pop_back();
  }
  std::vector<size_t> order;
  out->neighbors.clear();
  for (const auto& entry : nearest) {
    order.push_back(entry.second);
    out->neighbors.emplace_back(ids_[entry.second], entry.first);
  }
  out->entity_id.Lend(&ids_[order.front()]);
  Combine(order, out);
  out->valid = true;
}

void NearestNeighborAlgorithm::Combine(const std::vector<size_t>& nearest, Prediction* out) const {
  if (!has_target_) {
    out->is_category = true;
    out->category = out->entity_id;
    return;
  }
  const bool weighted = continuous_target_ ? continuous_method_ == "weightedAverage"
                                           : categorical_method_ == "weightedMajorityVote";
  std::vector<double> weights;
  for (size_t i = 0; i < nearest.size(); ++i) {
    weights.push_back(weighted ? Weight(out->neighbors[i].second) : 1.0);
  }
  if (continuous_target_) {
    out->is_category = false;
    if (continuous_method_ == "median") {
      std::vector<double> y;
      for (size_t n : nearest) y.push_back(target_numbers_[n]);
      std::sort(y.begin(), y.end());
      const size_t half = y.size() / 2;
      out->value = y.size() % 2 == 1 ? y[half] : (y[half - 1] + y[half]) / 2.0;
      return;
    }
    double sum = 0.0;
    double total = 0.0;
    for (size_t i = 0; i < nearest.size(); ++i) {
      sum += weights[i] * target_numbers_[nearest[i]];
      total += weights[i];
    }
    out->value = sum / total;
    return;
  }
  std::vector<double> votes(categories_.size(), 0.0);
  double total = 0.0;
  for (size_t i = 0; i < nearest.size(); ++i) {
    votes[target_codes_[nearest[i]]] += weights[i];
    total += weights[i];
  }
  // The most votes; among equals the category with more training instances,
  // then the smaller text.
  size_t best = 0;
  for (size_t c = 1; c < votes.size(); ++c) {
    const bool better =
        votes[c] > votes[best] ||
        (votes[c] == votes[best] &&
         (category_counts_[c] > category_counts_[best] ||
          (category_counts_[c] == category_counts_[best] && categories_[c] < categories_[best])));
    if (better) best = c;
  }
  out->is_category = true;
  out->category.Lend(&categories_[best]);
  out->ClearProbabilities();
  for (size_t c = 0; c < votes.size(); ++c) {
    out->probabilities.emplace_back(categories_[c], votes[c] / total);
  }
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::NearestNeighborAlgorithm(model, context);
}
