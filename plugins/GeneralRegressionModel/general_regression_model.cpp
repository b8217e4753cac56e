// The GeneralRegressionModel algorithm. Each parameter's value in a case is
// the product of its PPMatrix cells (a covariate's power, a factor's
// indicator or contrast entry; 1 with no cell); each equation is the sum of
// its ParamMatrix betas times those values. The model type decides how the
// equations become a prediction: the sum itself, a mean through a link
// function, multinomial or cumulative probabilities, or a cumulative hazard.

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "contrast_matrix.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/link_functions.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

constexpr int kAdviceNewCategory = 111;
constexpr int kAdviceOutOfRange = 109;

enum class ModelType { kRegression, kGeneralLinear, kMultinomial, kOrdinal, kGeneralized, kCox };

OVException Unsupported(const std::string& what) {
  return OVException(OVException::kCodeUnsupported, "GeneralRegressionModel: " + what);
}
OVException Structure(const std::string& what) {
  return OVException(OVException::kCodeStructure, "GeneralRegressionModel: " + what);
}

// A factor's coding through a contrast matrix: the case value's row and the
// cell category's column.
struct Contrast {
  std::vector<FieldCategory> categories;
  std::unique_ptr<DenseMatrix> matrix;
};

struct Predictor {
  int input;
  bool factor;
  const Contrast* contrast;  // null: indicator coding
};

// One PPMatrix cell as a case sees it.
struct Cell {
  int input;
  enum Kind { kPower, kIndicator, kContrast } kind;
  double exponent;     // kPower
  int category;        // kIndicator: index into categories_
  const Contrast* contrast;
  int column;          // kContrast
};

struct Term {
  double beta;
  std::vector<int> cells;  // indexes into cells_; empty: the value 1
};

using Equation = std::vector<Term>;

struct Stratum {
  std::unique_ptr<FieldCategory> value;  // null: the only table
  double max_time;
  std::vector<std::pair<double, double>> cells;  // (time, cumHazard) by time
};

class GeneralRegressionAlgorithm : public ModelAlgorithm {
 public:
  GeneralRegressionAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  void ReadPredictors(DOMElement* model, const ReadContext& context);
  void ReadCells(DOMElement* model, const ReadContext& context);
  void ReadEquations(DOMElement* model, const ReadContext& context);
  void ReadHazards(DOMElement* model, const ReadContext& context);
  int ParameterIndex(const std::string& name, const std::string& element) const;
  Equation BuildEquation(const std::vector<DOMElement*>& pcells, const std::string& category,
                         const ReadContext& context);
  double Evaluate(const Equation& equation, const std::vector<double>& cell_values) const;
  bool CellValues(const std::vector<const ScoreValue*>& values, std::vector<double>* cell_values,
                  Prediction* out) const;
  bool CumulativeHazard(const std::vector<const ScoreValue*>& values, double r,
                        Prediction* out) const;

  ModelType type_ = ModelType::kRegression;
  bool classification_ = false;
  LinkFunction link_ = LinkFunction::kIdentity;
  double link_parameter_ = 0.0;
  CdfKind cumulative_ = CdfKind::kLogit;

  ModelInputs inputs_;
  std::vector<std::string> parameters_;
  std::vector<double> reference_points_;
  std::vector<std::pair<std::string, Predictor>> predictors_;
  std::vector<std::unique_ptr<Contrast>> contrasts_;
  std::vector<FieldCategory> categories_;
  std::vector<Cell> cells_;
  // Per parameter: the PPMatrix cells with their targetCategory ("" for all).
  std::vector<std::vector<std::pair<std::string, int>>> parameter_cells_;

  // Categories in the order of the probabilities; equations_[j] belongs to
  // categories_out_[j] except where noted per model type.
  std::vector<std::string> target_categories_;
  // The distribution over target_categories_ lent to the prediction (one case at a time).
  mutable std::vector<std::pair<std::string, double>> distribution_;
  std::vector<Equation> equations_;
  int reference_ = -1;      // multinomial: the category whose equation is 0
  int event_ = -1;          // binary generalised linear: the category of the mean

  int offset_input_ = -1;
  double offset_value_ = 0.0;
  int trials_input_ = -1;
  double trials_value_ = 1.0;

  // Cox regression.
  int end_time_input_ = -1;
  int strata_input_ = -1;
  double reference_sum_ = 0.0;
  std::vector<Stratum> strata_;
};

GeneralRegressionAlgorithm::GeneralRegressionAlgorithm(DOMElement* model, ReadContext* context) {
  static const char* const kChildren[] = {
      "Extension",  "MiningSchema", "Output",       "ModelStats",      "ModelExplanation",
      "Targets",    "LocalTransformations", "ParameterList", "FactorList", "CovariateList",
      "PPMatrix",   "PCovMatrix",   "ParamMatrix",  "EventValues",     "BaseCumHazardTables",
      "ModelVerification", nullptr};
  RefuseUnknownChildren(model, kChildren, *context);
  static const struct {
    const char* name;
    ModelType type;
  } kTypes[] = {{"regression", ModelType::kRegression},
                {"generalLinear", ModelType::kGeneralLinear},
                {"multinomialLogistic", ModelType::kMultinomial},
                {"ordinalMultinomial", ModelType::kOrdinal},
                {"generalizedLinear", ModelType::kGeneralized},
                {"CoxRegression", ModelType::kCox}};
  const std::string type = RequiredAttribute(model, "modelType", *context);
  bool known = false;
  for (const auto& entry : kTypes) {
    if (type == entry.name) {
      type_ = entry.type;
      known = true;
    }
  }
  if (!known) throw Unsupported("modelType \"" + type + "\" is not supported");
  const std::string function = RequiredAttribute(model, "functionName", *context);
  if (function != "regression" && function != "classification") {
    throw Unsupported("functionName \"" + function + "\" is not supported");
  }
  classification_ = function == "classification";
  const bool must_classify = type_ == ModelType::kMultinomial || type_ == ModelType::kOrdinal;
  const bool may_classify = must_classify || type_ == ModelType::kGeneralized;
  if (classification_ != must_classify && !(classification_ && may_classify)) {
    throw Unsupported("modelType \"" + type + "\" with functionName \"" + function + "\"");
  }

  if (type_ == ModelType::kGeneralized) {
    const std::string link = RequiredAttribute(model, "linkFunction", *context);
    if (!ParseLinkFunction(link, &link_)) {
      throw Unsupported("linkFunction \"" + link + "\" is not supported");
    }
    if (link_ == LinkFunction::kPower || link_ == LinkFunction::kOddspower) {
      link_parameter_ = RequiredNumberAttribute(model, "linkParameter", *context);
    } else if (link_ == LinkFunction::kNegbin) {
      link_parameter_ = RequiredNumberAttribute(model, "distParameter", *context);
    }
  }
  if (type_ == ModelType::kOrdinal) {
    const std::string link = RequiredAttribute(model, "cumulativeLink", *context);
    if (!ParseCdfKind(link, &cumulative_)) {
      throw Unsupported("cumulativeLink \"" + link + "\" is not supported");
    }
  }

  // Offsets shift every linear predictor; trials scale a generalised
  // linear model's mean.
  const bool offset = HasAttribute(model, "offsetVariable") || HasAttribute(model, "offsetValue");
  const bool trials = HasAttribute(model, "trialsVariable") || HasAttribute(model, "trialsValue");
  if (offset && (type_ == ModelType::kMultinomial || type_ == ModelType::kCox)) {
    throw Unsupported("an offset is not supported with modelType \"" + type + "\"");
  }
  if (trials && (type_ != ModelType::kGeneralized || classification_)) {
    throw Unsupported("trials are supported with a generalizedLinear regression only");
  }
  if (HasAttribute(model, "offsetVariable")) {
    offset_input_ = inputs_.Add(Attribute(model, "offsetVariable", *context), true,
                                "GeneralRegressionModel offsetVariable", *context);
    inputs_.RequireNumeric(offset_input_, "GeneralRegressionModel offsetVariable");
  }
  offset_value_ = NumberAttribute(model, "offsetValue", 0.0, *context);
  if (HasAttribute(model, "trialsVariable")) {
    trials_input_ = inputs_.Add(Attribute(model, "trialsVariable", *context), true,
                                "GeneralRegressionModel trialsVariable", *context);
    inputs_.RequireNumeric(trials_input_, "GeneralRegressionModel trialsVariable");
  }
  trials_value_ = NumberAttribute(model, "trialsValue", 1.0, *context);

  ReadPredictors(model, *context);
  ReadCells(model, *context);
  ReadEquations(model, *context);
  if (type_ == ModelType::kCox) ReadHazards(model, *context);
}

void GeneralRegressionAlgorithm::ReadPredictors(DOMElement* model, const ReadContext& context) {
  DOMElement* list = ChildElement(model, "ParameterList");
  if (list == nullptr) throw Structure("ParameterList is absent");
  for (DOMElement* parameter : ChildElements(list, "Parameter")) {
    const std::string name = RequiredAttribute(parameter, "name", context);
    if (std::find(parameters_.begin(), parameters_.end(), name) != parameters_.end()) {
      throw OVException(OVException::kCodeStructure, "Parameter: " + name + " is repeated");
    }
    parameters_.push_back(name);
    reference_points_.push_back(NumberAttribute(parameter, "referencePoint", 0.0, context));
  }
  parameter_cells_.resize(parameters_.size());

  for (const char* list_name : {"FactorList", "CovariateList"}) {
    DOMElement* predictors = ChildElement(model, list_name);
    if (predictors == nullptr) continue;
    const bool factor = std::string(list_name) == "FactorList";
    for (DOMElement* element : ChildElements(predictors, "Predictor")) {
      const std::string name = RequiredAttribute(element, "name", context);
      for (const auto& known : predictors_) {
        if (known.first == name) {
          throw OVException(OVException::kCodeStructure, "Predictor: " + name + " is repeated");
        }
      }
      Predictor predictor{inputs_.Add(name, true, "Predictor", context), factor, nullptr};
      if (!factor) inputs_.RequireNumeric(predictor.input, "Predictor");
      DOMElement* matrix = ChildElement(element, "Matrix");
      DOMElement* categories = ChildElement(element, "Categories");
      if (factor && (matrix != nullptr || HasAttribute(element, "contrastMatrixType"))) {
        if (matrix == nullptr || categories == nullptr) {
          throw OVException(OVException::kCodeStructure,
                            "Predictor: " + name + " has a contrast without Categories and Matrix");
        }
        auto contrast = std::make_unique<Contrast>();
        for (DOMElement* category : ChildElements(categories, "Category")) {
          contrast->categories.emplace_back(inputs_.field(predictor.input),
                                            RequiredAttribute(category, "value", context));
        }
        contrast->matrix = std::make_unique<DenseMatrix>(matrix, context);
        if (contrast->matrix->rows() != static_cast<int>(contrast->categories.size())) {
          throw OVException(OVException::kCodeCount,
                            "Predictor: " + name + " has a Matrix row count unlike its Categories");
        }
        predictor.contrast = contrast.get();
        contrasts_.push_back(std::move(contrast));
      }
      predictors_.emplace_back(name, predictor);
    }
  }
}

int GeneralRegressionAlgorithm::ParameterIndex(const std::string& name,
                                               const std::string& element) const {
  for (size_t i = 0; i < parameters_.size(); ++i) {
    if (parameters_[i] == name) return static_cast<int>(i);
  }
  throw OVException(OVException::kCodeStructure,
                    element + ": parameterName " + name + " is not in the ParameterList");
}

void GeneralRegressionAlgorithm::ReadCells(DOMElement* model, const ReadContext& context) {
  DOMElement* matrix = ChildElement(model, "PPMatrix");
  if (matrix == nullptr) throw Structure("PPMatrix is absent");
  for (DOMElement* element : ChildElements(matrix, "PPCell")) {
    const std::string name = RequiredAttribute(element, "predictorName", context);
    const Predictor* predictor = nullptr;
    for (const auto& known : predictors_) {
      if (known.first == name) predictor = &known.second;
    }
    if (predictor == nullptr) {
      throw OVException(OVException::kCodeStructure,
                        "PPCell: predictorName " + name + " is in no FactorList or CovariateList");
    }
    const int parameter =
        ParameterIndex(RequiredAttribute(element, "parameterName", context), "PPCell");
    if (!HasAttribute(element, "value")) RequiredAttribute(element, "value", context);
    const std::string value = Attribute(element, "value", context);
    Cell cell{predictor->input, Cell::kPower, 1.0, 0, nullptr, 0};
    if (!predictor->factor) {
      cell.exponent = NumberAttribute(element, "value", 1.0, context);
    } else if (predictor->contrast == nullptr) {
      cell.kind = Cell::kIndicator;
      categories_.emplace_back(inputs_.field(predictor->input), value);
      cell.category = static_cast<int>(categories_.size() - 1);
    } else {
      cell.kind = Cell::kContrast;
      cell.contrast = predictor->contrast;
      const std::vector<FieldCategory>& known = predictor->contrast->categories;
      cell.column = -1;
      for (size_t i = 0; i < known.size(); ++i) {
        if (known[i].text() == value) cell.column = static_cast<int>(i);
      }
      if (cell.column < 0 || cell.column >= predictor->contrast->matrix->columns()) {
        throw OVException(OVException::kCodeStructure,
                          "PPCell: value " + value + " has no column in the Matrix of " + name);
      }
    }
    cells_.push_back(cell);
    parameter_cells_[parameter].emplace_back(Attribute(element, "targetCategory", context),
                                             static_cast<int>(cells_.size() - 1));
  }
}

Equation GeneralRegressionAlgorithm::BuildEquation(const std::vector<DOMElement*>& pcells,
                                                   const std::string& category,
                                                   const ReadContext& context) {
  Equation equation;
  for (DOMElement* pcell : pcells) {
    const std::string target = Attribute(pcell, "targetCategory", context);
    if (!target.empty() && target != category) continue;
    const int parameter =
        ParameterIndex(RequiredAttribute(pcell, "parameterName", context), "PCell");
    Term term{RequiredNumberAttribute(pcell, "beta", context), {}};
    for (const auto& cell : parameter_cells_[parameter]) {
      if (cell.first.empty() || cell.first == category) term.cells.push_back(cell.second);
    }
    if (type_ == ModelType::kCox) reference_sum_ += term.beta * reference_points_[parameter];
    equation.push_back(std::move(term));
  }
  return equation;
}

void GeneralRegressionAlgorithm::ReadEquations(DOMElement* model, const ReadContext& context) {
  DOMElement* matrix = ChildElement(model, "ParamMatrix");
  if (matrix == nullptr) throw Structure("ParamMatrix is absent");
  const std::vector<DOMElement*> pcells = ChildElements(matrix, "PCell");
  if (!classification_) {
    equations_.push_back(BuildEquation(pcells, std::string(), context));
    return;
  }

  // The categories: the target's, else those the cells name in order.
  target_categories_ = context.TargetCategories();
  std::vector<std::string> named;
  for (DOMElement* pcell : pcells) {
    const std::string category = Attribute(pcell, "targetCategory", context);
    if (!category.empty() && std::find(named.begin(), named.end(), category) == named.end()) {
      named.push_back(category);
    }
  }
  const std::string reference = Attribute(model, "targetReferenceCategory", context);
  if (target_categories_.empty()) {
    target_categories_ = named;
    if (!reference.empty() &&
        std::find(named.begin(), named.end(), reference) == named.end()) {
      target_categories_.push_back(reference);
    }
  }
  for (const std::string& category : named) {
    if (std::find(target_categories_.begin(), target_categories_.end(), category) ==
        target_categories_.end()) {
      throw OVException(OVException::kCodeStructure,
                        "PCell: targetCategory " + category + " is no category of the target");
    }
  }
  const int count = static_cast<int>(target_categories_.size());
  auto index_of = [this](const std::string& category) {
    auto it = std::find(target_categories_.begin(), target_categories_.end(), category);
    return it == target_categories_.end() ? -1 : static_cast<int>(it - target_categories_.begin());
  };

  if (type_ == ModelType::kOrdinal) {
    if (count < 2) throw Structure("an ordinal target needs two categories or more");
    for (int j = 0; j + 1 < count; ++j) {
      equations_.push_back(BuildEquation(pcells, target_categories_[j], context));
    }
    return;
  }

  // Multinomial and binary generalised linear: one category is the
  // reference, given or the one without cells.
  if (!reference.empty()) {
    reference_ = index_of(reference);
    if (reference_ < 0) {
      throw Structure("targetReferenceCategory " + reference + " is no category of the target");
    }
  } else {
    for (int j = 0; j < count; ++j) {
      if (std::find(named.begin(), named.end(), target_categories_[j]) != named.end()) continue;
      if (reference_ >= 0) throw Structure("targetReferenceCategory is absent and ambiguous");
      reference_ = j;
    }
    if (reference_ < 0) throw Structure("targetReferenceCategory is absent");
  }
  if (type_ == ModelType::kMultinomial) {
    if (count < 2) throw Structure("a classification needs two categories or more");
    for (int j = 0; j < count; ++j) {
      equations_.push_back(j == reference_ ? Equation()
                                           : BuildEquation(pcells, target_categories_[j], context));
    }
    return;
  }
  // generalizedLinear classification: the mean is the probability of the
  // category other than the reference.
  if (count != 2) throw Unsupported("a generalizedLinear classification needs two categories");
  event_ = 1 - reference_;
  equations_.push_back(BuildEquation(pcells, target_categories_[event_], context));
}

void GeneralRegressionAlgorithm::ReadHazards(DOMElement* model, const ReadContext& context) {
  end_time_input_ = inputs_.Add(RequiredAttribute(model, "endTimeVariable", context), true,
                                "GeneralRegressionModel endTimeVariable", context);
  inputs_.RequireNumeric(end_time_input_, "GeneralRegressionModel endTimeVariable");
  DOMElement* tables = ChildElement(model, "BaseCumHazardTables");
  if (tables == nullptr) throw Structure("BaseCumHazardTables is absent");
  static const char* const kChildren[] = {"Extension", "BaselineStratum", "BaselineCell", nullptr};
  RefuseUnknownChildren(tables, kChildren, context);
  auto read_cells = [&context](DOMElement* parent, Stratum* stratum) {
    for (DOMElement* cell : ChildElements(parent, "BaselineCell")) {
      stratum->cells.emplace_back(RequiredNumberAttribute(cell, "time", context),
                                  RequiredNumberAttribute(cell, "cumHazard", context));
    }
    std::stable_sort(stratum->cells.begin(), stratum->cells.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  };
  const std::string strata = Attribute(model, "baselineStrataVariable", context);
  if (strata.empty()) {
    if (ChildElement(tables, "BaselineStratum") != nullptr) {
      throw Structure("BaselineStratum without baselineStrataVariable");
    }
    Stratum stratum{nullptr, RequiredNumberAttribute(tables, "maxTime", context), {}};
    read_cells(tables, &stratum);
    strata_.push_back(std::move(stratum));
    return;
  }
  strata_input_ = inputs_.Add(strata, true, "GeneralRegressionModel baselineStrataVariable", context);
  if (ChildElement(tables, "BaselineCell") != nullptr) {
    throw Structure("BaselineCell outside a BaselineStratum with baselineStrataVariable");
  }
  for (DOMElement* element : ChildElements(tables, "BaselineStratum")) {
    if (!HasAttribute(element, "value")) RequiredAttribute(element, "value", context);
    Stratum stratum{std::make_unique<FieldCategory>(inputs_.field(strata_input_),
                                                    Attribute(element, "value", context)),
                    RequiredNumberAttribute(element, "maxTime", context),
                    {}};
    read_cells(element, &stratum);
    strata_.push_back(std::move(stratum));
  }
}

bool GeneralRegressionAlgorithm::CellValues(const std::vector<const ScoreValue*>& values,
                                            std::vector<double>* cell_values,
                                            Prediction* out) const {
  cell_values->resize(cells_.size());
  for (size_t i = 0; i < cells_.size(); ++i) {
    const Cell& cell = cells_[i];
    const ScoreValue* value = values[cell.input];
    double x = 0.0;
    switch (cell.kind) {
      case Cell::kPower:
        x = value->GetDouble();
        if (cell.exponent != 1.0) x = std::pow(x, cell.exponent);
        break;
      case Cell::kIndicator:
        x = categories_[cell.category].Matches(value) ? 1.0 : 0.0;
        break;
      case Cell::kContrast: {
        const std::vector<FieldCategory>& known = cell.contrast->categories;
        int row = -1;
        for (size_t r = 0; r < known.size() && row < 0; ++r) {
          if (known[r].Matches(value)) row = static_cast<int>(r);
        }
        if (row < 0) {
          out->advice.emplace_back(kAdviceNewCategory, inputs_.name(cell.input));
          return false;
        }
        x = cell.contrast->matrix->at(row, cell.column);
        break;
      }
    }
    (*cell_values)[i] = x;
  }
  return true;
}

double GeneralRegressionAlgorithm::Evaluate(const Equation& equation,
                                            const std::vector<double>& cell_values) const {
  double sum = 0.0;
  for (const Term& term : equation) {
    double product = term.beta;
    for (int cell : term.cells) product *= cell_values[cell];
    sum += product;
  }
  return sum;
}

bool GeneralRegressionAlgorithm::CumulativeHazard(const std::vector<const ScoreValue*>& values,
                                                  double r, Prediction* out) const {
  const Stratum* stratum = nullptr;
  for (const Stratum& candidate : strata_) {
    if (candidate.value == nullptr || candidate.value->Matches(values[strata_input_])) {
      stratum = &candidate;
      break;
    }
  }
  if (stratum == nullptr) {
    out->advice.emplace_back(kAdviceNewCategory, inputs_.name(strata_input_));
    return false;
  }
  const double time = values[end_time_input_]->GetDouble();
  if (time > stratum->max_time) {
    out->advice.emplace_back(kAdviceOutOfRange, inputs_.name(end_time_input_));
    return false;
  }
  // The baseline of the latest time not after the case's; 0 before the first.
  double baseline = 0.0;
  for (const auto& cell : stratum->cells) {
    if (cell.first > time) break;
    baseline = cell.second;
  }
  out->value = baseline * std::exp(r - reference_sum_);
  out->valid = true;
  return true;
}

void GeneralRegressionAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  std::vector<const ScoreValue*> values;
  std::vector<double> cell_values;
  if (!inputs_.Fetch(fields, &values, out) || !CellValues(values, &cell_values, out)) {
    out->valid = false;
    return;
  }
  const double offset =
      offset_input_ >= 0 ? values[offset_input_]->GetDouble() : offset_value_;

  switch (type_) {
    case ModelType::kRegression:
    case ModelType::kGeneralLinear:
      out->value = Evaluate(equations_[0], cell_values) + offset;
      out->valid = true;
      return;
    case ModelType::kGeneralized: {
      const double mean =
          InverseLink(link_, Evaluate(equations_[0], cell_values) + offset, link_parameter_);
      if (!classification_) {
        const double trials =
            trials_input_ >= 0 ? values[trials_input_]->GetDouble() : trials_value_;
        out->value = mean * trials;
        out->valid = true;
        return;
      }
      std::vector<double> probabilities(2);
      probabilities[event_] = mean;
      probabilities[reference_] = 1.0 - mean;
      SetDistribution(target_categories_, probabilities, out, &distribution_);
      return;
    }
    case ModelType::kMultinomial: {
      std::vector<double> eta(equations_.size());
      double top = 0.0;  // the reference's 0
      for (size_t j = 0; j < eta.size(); ++j) {
        eta[j] = Evaluate(equations_[j], cell_values);
        top = std::max(top, eta[j]);
      }
      double sum = 0.0;
      for (double& v : eta) sum += v = std::exp(v - top);
      for (double& v : eta) v /= sum;
      SetDistribution(target_categories_, eta, out, &distribution_);
      return;
    }
    case ModelType::kOrdinal: {
      std::vector<double> probabilities(equations_.size() + 1);
      double previous = 0.0;
      for (size_t j = 0; j < equations_.size(); ++j) {
        const double f = Cdf(cumulative_, Evaluate(equations_[j], cell_values) + offset);
        probabilities[j] = f - previous;
        previous = f;
      }
      probabilities.back() = 1.0 - previous;
      SetDistribution(target_categories_, probabilities, out, &distribution_);
      return;
    }
    case ModelType::kCox:
      if (!CumulativeHazard(values, Evaluate(equations_[0], cell_values), out)) out->valid = false;
      return;
  }
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::GeneralRegressionAlgorithm(model, context);
}
