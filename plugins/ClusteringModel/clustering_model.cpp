// The ClusteringModel algorithm (center-based): each cluster's center is
// compared with the case field by field, the comparisons are combined by the
// model's measure into a distance or a similarity, and the nearest (most
// similar) cluster wins. Fields the case lacks are left out and the result is
// scaled up by the MissingValueWeights.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/array_reading.h"
#include "orvane_plugins/comparison_measure.h"
#include "orvane_plugins/element_reading.h"
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

// One center field: how the case's value is compared with a center's.
struct CenterField {
  int input;
  bool numeric;  // the field holds numbers
  CompareFunction compare;
  double weight;
  double scale;  // gaussSim's similarityScale
  // table: the field's categories (DataDictionary order) and the matrix of
  // similarities between them, row-major.
  std::vector<FieldCategory> categories;
  std::vector<double> table;
};

// One coordinate of a center: the number, and the text for a categorical
// field.
struct Coordinate {
  double number;
  std::string text;
  int category;  // table: index into the field's categories, -1 if none
};

struct Cluster {
  std::string id;  // the id attribute, or the 1-based position
  std::string name;
  std::vector<Coordinate> center;
};

class ClusteringAlgorithm : public ModelAlgorithm {
 public:
  ClusteringAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  void ReadField(DOMElement* element, const ReadContext& context);
  void ReadCluster(DOMElement* element, const ReadContext& context);
  double CompareOne(const CenterField& field, const ScoreValue* value,
                    const Coordinate& center) const;
  double Distance(const Cluster& cluster, const std::vector<const ScoreValue*>& values,
                  double adjustment) const;
  double Similarity(const Cluster& cluster, const std::vector<const ScoreValue*>& values) const;

  std::unique_ptr<ComparisonMeasure> measure_;
  ModelInputs inputs_;
  std::vector<CenterField> fields_;
  std::vector<double> missing_weights_;
  std::vector<Cluster> clusters_;
};

ClusteringAlgorithm::ClusteringAlgorithm(DOMElement* model, ReadContext* context) {
  const std::string name = ElementName(model, *context);
  static const char* const kChildren[] = {
      "Extension",         "MiningSchema",     "Output",          "ModelStats",
      "ModelExplanation",  "LocalTransformations", "ComparisonMeasure", "ClusteringField",
      "CenterFields",      "MissingValueWeights",  "Cluster",         "ModelVerification",
      nullptr};
  RefuseUnknownChildren(model, kChildren, *context);
  static const char* const kFunctions[] = {"clustering", nullptr};
  ReadModelFunction(model, kFunctions, *context);
  const std::string model_class = RequiredAttribute(model, "modelClass", *context);
  if (model_class == "distributionBased") {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": modelClass \"distributionBased\" is not supported: PMML "
                             "defines no scoring procedure for it");
  }
  if (model_class != "centerBased") {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": modelClass \"" + model_class + "\" is not supported");
  }
  if (ChildElement(model, "CenterFields") != nullptr) {
    throw OVException(OVException::kCodeUnsupported,
                      "CenterFields in " + name + " is not supported");
  }
  DOMElement* measure = ChildElement(model, "ComparisonMeasure");
  if (measure == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": ComparisonMeasure is absent");
  }
  measure_.reset(new ComparisonMeasure(measure, *context));
  for (DOMElement* field : ChildElements(model, "ClusteringField")) ReadField(field, *context);
  if (fields_.empty()) {
    throw OVException(OVException::kCodeStructure, name + ": no ClusteringField is a center field");
  }
  missing_weights_.assign(fields_.size(), 1.0);
  if (DOMElement* weights = ChildElement(model, "MissingValueWeights")) {
    DOMElement* array = ChildElement(weights, "Array");
    if (array == nullptr) {
      throw OVException(OVException::kCodeStructure, "MissingValueWeights: Array is absent");
    }
    missing_weights_ = ReadNumberArray(array, *context);
    if (missing_weights_.size() != fields_.size()) {
      throw OVException(OVException::kCodeCount,
                        "MissingValueWeights: " + std::to_string(missing_weights_.size()) +
                            " weights for " + std::to_string(fields_.size()) + " center fields");
    }
  }
  for (DOMElement* cluster : ChildElements(model, "Cluster")) ReadCluster(cluster, *context);
  if (clusters_.empty()) {
    throw OVException(OVException::kCodeStructure, name + ": Cluster is absent");
  }
}

void ClusteringAlgorithm::ReadField(DOMElement* element, const ReadContext& context) {
  static const char* const kChildren[] = {"Extension", "Comparisons", nullptr};
  RefuseUnknownChildren(element, kChildren, context);
  if (Attribute(element, "isCenterField", context) == "false") return;
  const std::string name = RequiredAttribute(element, "field", context);
  CenterField field;
  field.input = inputs_.Add(name, false, "ClusteringField", context);
  field.numeric = inputs_.field(field.input)->GetVarType() != ScoreDictVar::kSTRING_VAR;
  field.compare = measure_->compare();
  if (HasAttribute(element, "compareFunction")) {
    field.compare = ParseCompareFunction(Attribute(element, "compareFunction", context), "ClusteringField " + name);
  }
  field.weight = NumberAttribute(element, "fieldWeight", 1.0, context);
  field.scale = NumberAttribute(element, "similarityScale", 0.0, context);
  if (field.compare == CompareFunction::kGaussSim && !(field.scale > 0.0)) {
    throw OVException(OVException::kCodeAbsent,
                      "ClusteringField " + name + ": gaussSim needs a positive similarityScale");
  }
  if ((field.compare == CompareFunction::kAbsDiff || field.compare == CompareFunction::kGaussSim) &&
      !field.numeric) {
    throw OVException(OVException::kCodeTypeOrLevel,
                      "ClusteringField " + name + ": this compareFunction needs numbers");
  }
  if (field.compare == CompareFunction::kTable) {
    DOMElement* comparisons = ChildElement(element, "Comparisons");
    DOMElement* matrix = comparisons == nullptr ? nullptr : ChildElement(comparisons, "Matrix");
    if (matrix == nullptr) {
      throw OVException(OVException::kCodeStructure,
                        "ClusteringField " + name + ": table needs Comparisons with a Matrix");
    }
    const ScoreDictVar* var = inputs_.field(field.input);
    if (var->GetValueLabels() != nullptr) {
      for (const auto* label : var->GetValueLabels()->GetAllValueLabels()) {
        field.categories.emplace_back(var, label->GetValue() == nullptr
                                               ? std::string()
                                               : label->GetValue()->GetString());
      }
    }
    const size_t n = field.categories.size();
    for (DOMElement* row : ChildElements(matrix, "Array")) {
      for (double v : ReadNumberArray(row, context)) field.table.push_back(v);
    }
    if (n == 0 || field.table.size() != n * n) {
      throw OVException(OVException::kCodeCount,
                        "ClusteringField " + name + ": the Comparisons Matrix is not " +
                            std::to_string(n) + " by " + std::to_string(n) +
                            " (one row and column per category of the field)");
    }
  }
  fields_.push_back(std::move(field));
}

void ClusteringAlgorithm::ReadCluster(DOMElement* element, const ReadContext& context) {
  Cluster cluster;
  cluster.id = Attribute(element, "id", context);
  if (cluster.id.empty()) cluster.id = std::to_string(clusters_.size() + 1);
  cluster.name = Attribute(element, "name", context);
  if (cluster.name.empty()) cluster.name = cluster.id;
  DOMElement* array = ChildElement(element, "Array");
  if (array == nullptr) {
    throw OVException(OVException::kCodeStructure,
                      "Cluster " + cluster.name + ": the center Array is absent");
  }
  const std::vector<std::string> texts = ReadArrayTexts(array, context);
  if (texts.size() != fields_.size()) {
    throw OVException(OVException::kCodeCount,
                      "Cluster " + cluster.name + ": " + std::to_string(texts.size()) +
                          " coordinates for " + std::to_string(fields_.size()) + " center fields");
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    Coordinate coordinate{0.0, texts[i], -1};
    const CenterField& field = fields_[i];
    if (!ParseNumber(texts[i], &coordinate.number) && field.numeric) {
      throw OVException(OVException::kCodeConversion,
                        "Cluster " + cluster.name + ": coordinate \"" + texts[i] +
                            "\" is not a number");
    }
    for (size_t k = 0; k < field.categories.size(); ++k) {
      if (field.categories[k].text() == texts[i]) coordinate.category = static_cast<int>(k);
    }
    if (field.compare == CompareFunction::kTable && coordinate.category < 0) {
      throw OVException(OVException::kCodeSemantic,
                        "Cluster " + cluster.name + ": coordinate \"" + texts[i] +
                            "\" is no category of " + inputs_.name(field.input));
    }
    cluster.center.push_back(std::move(coordinate));
  }
  clusters_.push_back(std::move(cluster));
}

// Whether the case value equals the center coordinate.
bool Same(const ScoreValue* value, const Coordinate& center) {
  if (value->GetType() == ScoreValue::kNUMERIC_VALUE) {
    double number = 0.0;
    return ParseNumber(center.text, &number) && value->GetDouble() == number;
  }
  return value->GetString() == center.text;
}

double ClusteringAlgorithm::CompareOne(const CenterField& field, const ScoreValue* value,
                                       const Coordinate& center) const {
  switch (field.compare) {
    case CompareFunction::kAbsDiff:
    case CompareFunction::kGaussSim:
      return CompareNumbers(field.compare, value->GetDouble(), center.number, field.scale);
    case CompareFunction::kDelta:
      return Same(value, center) ? 0.0 : 1.0;
    case CompareFunction::kEqual:
      return Same(value, center) ? 1.0 : 0.0;
    case CompareFunction::kTable: {
      const size_t n = field.categories.size();
      for (size_t k = 0; k < n; ++k) {
        if (field.categories[k].Matches(value)) return field.table[k * n + center.category];
      }
      return std::nan("");  // a value outside the field's categories
    }
  }
  return std::nan("");
}

double ClusteringAlgorithm::Distance(const Cluster& cluster,
                                     const std::vector<const ScoreValue*>& values,
                                     double adjustment) const {
  double inner = 0.0;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const CenterField& field = fields_[i];
    const ScoreValue* value = values[field.input];
    if (value == nullptr) continue;
    measure_->Add(field.weight, CompareOne(field, value, cluster.center[i]), &inner);
  }
  return measure_->Finish(inner * adjustment);
}

double ClusteringAlgorithm::Similarity(const Cluster& cluster,
                                       const std::vector<const ScoreValue*>& values) const {
  // Counts of the (case, center) pairs 00, 01, 10 and 11 over binary fields.
  double a[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < fields_.size(); ++i) {
    const ScoreValue* value = values[fields_[i].input];
    if (value == nullptr) continue;
    const int x = value->GetDouble() != 0.0 ? 1 : 0;
    const int y = cluster.center[i].number != 0.0 ? 1 : 0;
    a[x * 2 + y] += 1.0;
  }
  return measure_->FromCounts(a);
}

void ClusteringAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  std::vector<const ScoreValue*> values;
  inputs_.Fetch(fields, &values, out);
  const bool binary = measure_->binary();
  double all = 0.0;
  double present = 0.0;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const ScoreValue* value = values[fields_[i].input];
    if (value != nullptr && (binary || fields_[i].numeric) &&
        value->GetType() != ScoreValue::kNUMERIC_VALUE) {
      values[fields_[i].input] = value = nullptr;  // no number where one is needed
    }
    all += missing_weights_[i];
    if (value != nullptr) present += missing_weights_[i];
  }
  if (present == 0.0) {
    for (size_t i = 0; i < inputs_.size(); ++i) {
      out->advice.emplace_back(kAdviceMissingPredictor, inputs_.name(static_cast<int>(i)));
    }
    out->valid = false;
    return;
  }
  const double adjustment = all / present;
  const bool largest_wins = measure_->similarity();
  size_t best = 0;
  out->affinities.clear();
  for (size_t k = 0; k < clusters_.size(); ++k) {
    const double v = binary ? Similarity(clusters_[k], values)
                            : Distance(clusters_[k], values, adjustment);
    out->affinities.emplace_back(clusters_[k].id, v);
    const double top = out->affinities[best].second;
    if (k > 0 && (largest_wins ? v > top : v < top)) best = k;
  }
  // The winner: its id (or position) is the entity and the predicted value,
  // its name the display value.
  out->entity_id.Lend(&clusters_[best].id);
  out->is_category = true;
  out->category.Lend(&clusters_[best].name);
  out->valid = true;
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::ClusteringAlgorithm(model, context);
}
