// The SupportVectorMachineModel algorithm: one or more machines
// f(x) = sum(alpha_i * K(x, x_i)) + b over the support vectors of a shared
// VectorDictionary (or, in the Coefficients representation, a linear function
// of the vector fields), combined into a regression value, a binary decision,
// a one-against-all winner or a one-against-one vote.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/array_reading.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_function.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

enum class Kernel { kLinear, kPolynomial, kRadialBasis, kSigmoid };

struct KernelFunction {
  Kernel kind = Kernel::kLinear;
  double gamma = 1.0;
  double coef0 = 1.0;
  double degree = 1.0;

  double operator()(const std::vector<double>& x, const std::vector<double>& y) const {
    if (kind == Kernel::kRadialBasis) {
      double distance = 0.0;
      for (size_t i = 0; i < x.size(); ++i) distance += (x[i] - y[i]) * (x[i] - y[i]);
      return std::exp(-gamma * distance);
    }
    double dot = 0.0;
    for (size_t i = 0; i < x.size(); ++i) dot += x[i] * y[i];
    switch (kind) {
      case Kernel::kPolynomial:
        return std::pow(gamma * dot + coef0, degree);
      case Kernel::kSigmoid:
        return std::tanh(gamma * dot + coef0);
      default:
        return dot;
    }
  }
};

// One entry of the vectors: a numeric field, or a category of a field that
// gives `coefficient` when the case has it and 0 otherwise.
struct VectorField {
  int input;
  bool categorical;
  int category;  // index into categories_
  double coefficient;
};

struct Machine {
  std::string target;     // targetCategory
  std::string alternate;  // alternateTargetCategory
  double threshold;
  double b;
  std::vector<int> vectors;    // SupportVectors: indices into instances_
  std::vector<double> alphas;  // one per vector, or one per field (Coefficients)
};

enum class Method { kOneAgainstAll, kOneAgainstOne };

class SupportVectorMachineAlgorithm : public ModelAlgorithm {
 public:
  SupportVectorMachineAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  void ReadKernel(DOMElement* model, const ReadContext& context);
  void ReadDictionary(DOMElement* dictionary, const ReadContext& context);
  void ReadMachine(DOMElement* element, double threshold, const ReadContext& context);
  void CheckClassification(const std::string& alternate_binary, const ReadContext& context);
  int CategoryIndex(const std::string& category);
  double Decide(const Machine& machine, const std::vector<double>& x,
                std::vector<double>* kernel_cache) const;

  bool classification_ = false;
  bool coefficients_ = false;  // svmRepresentation="Coefficients"
  bool max_wins_ = false;
  Method method_ = Method::kOneAgainstAll;
  KernelFunction kernel_;
  ModelInputs inputs_;
  std::vector<FieldCategory> field_categories_;
  std::vector<VectorField> fields_;
  std::map<std::string, int> instance_ids_;
  std::vector<std::vector<double>> instances_;
  std::vector<Machine> machines_;
  std::vector<std::string> categories_;  // the model's category order
  // The distribution over categories_ lent to the prediction (one case at a time).
  mutable std::vector<std::pair<std::string, double>> distribution_;
};

SupportVectorMachineAlgorithm::SupportVectorMachineAlgorithm(DOMElement* model,
                                                             ReadContext* context) {
  const std::string name = ElementName(model, *context);
  static const char* const kChildren[] = {
      "Extension",       "MiningSchema",         "Output",               "ModelStats",
      "ModelExplanation", "Targets",             "LocalTransformations", "LinearKernelType",
      "PolynomialKernelType", "RadialBasisKernelType", "SigmoidKernelType", "VectorDictionary",
      "SupportVectorMachine", "ModelVerification", nullptr};
  RefuseUnknownChildren(model, kChildren, *context);
  static const char* const kFunctions[] = {"classification", "regression", nullptr};
  classification_ = ReadModelFunction(model, kFunctions, *context) == "classification";
  const std::string representation = Attribute(model, "svmRepresentation", *context);
  if (representation == "Coefficients") {
    coefficients_ = true;
  } else if (!representation.empty() && representation != "SupportVectors") {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": svmRepresentation \"" + representation + "\" is not supported");
  }
  const std::string method = Attribute(model, "classificationMethod", *context);
  if (method == "OneAgainstOne") {
    method_ = Method::kOneAgainstOne;
  } else if (!method.empty() && method != "OneAgainstAll") {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": classificationMethod \"" + method + "\" is not supported");
  }
  const std::string max_wins = Attribute(model, "maxWins", *context);
  max_wins_ = max_wins == "true" || max_wins == "1";
  ReadKernel(model, *context);
  if (coefficients_ && kernel_.kind != Kernel::kLinear) {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": svmRepresentation \"Coefficients\" needs a linear kernel");
  }
  DOMElement* dictionary = ChildElement(model, "VectorDictionary");
  if (dictionary == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": VectorDictionary is absent");
  }
  ReadDictionary(dictionary, *context);
  const double threshold = NumberAttribute(model, "threshold", 0.0, *context);
  for (DOMElement* machine : ChildElements(model, "SupportVectorMachine")) {
    ReadMachine(machine, threshold, *context);
  }
  if (machines_.empty()) {
    throw OVException(OVException::kCodeStructure, name + ": SupportVectorMachine is absent");
  }
  if (!classification_) {
    if (machines_.size() != 1) {
      throw OVException(OVException::kCodeStructure,
                        name + ": a regression has exactly one SupportVectorMachine");
    }
    return;
  }
  CheckClassification(Attribute(model, "alternateBinaryTargetCategory", *context), *context);
}

void SupportVectorMachineAlgorithm::ReadKernel(DOMElement* model, const ReadContext& context) {
  static const struct {
    const char* element;
    Kernel kind;
  } kKernels[] = {{"LinearKernelType", Kernel::kLinear},
                  {"PolynomialKernelType", Kernel::kPolynomial},
                  {"RadialBasisKernelType", Kernel::kRadialBasis},
                  {"SigmoidKernelType", Kernel::kSigmoid}};
  int found = 0;
  for (const auto& entry : kKernels) {
    for (DOMElement* element : ChildElements(model, entry.element)) {
      ++found;
      kernel_.kind = entry.kind;
      kernel_.gamma = NumberAttribute(element, "gamma", 1.0, context);
      kernel_.coef0 = NumberAttribute(element, "coef0", 1.0, context);
      kernel_.degree = NumberAttribute(element, "degree", 1.0, context);
    }
  }
  if (found != 1) {
    throw OVException(OVException::kCodeStructure,
                      ElementName(model, context) + ": exactly one kernel type is needed");
  }
}

void SupportVectorMachineAlgorithm::ReadDictionary(DOMElement* dictionary,
                                                   const ReadContext& context) {
  static const char* const kChildren[] = {"Extension", "VectorFields", "VectorInstance", nullptr};
  RefuseUnknownChildren(dictionary, kChildren, context);
  DOMElement* vector_fields = ChildElement(dictionary, "VectorFields");
  if (vector_fields == nullptr) {
    throw OVException(OVException::kCodeStructure, "VectorDictionary: VectorFields is absent");
  }
  static const char* const kFieldKinds[] = {"Extension", "FieldRef", "CategoricalPredictor",
                                            nullptr};
  RefuseUnknownChildren(vector_fields, kFieldKinds, context);
  for (DOMElement* field : ChildElements(vector_fields)) {
    const std::string kind = ElementName(field, context);
    if (kind == "FieldRef") {
      const int input = inputs_.Add(RequiredAttribute(field, "field", context), true, kind, context);
      inputs_.RequireNumeric(input, kind);
      fields_.push_back({input, false, 0, 1.0});
    } else if (kind == "CategoricalPredictor") {
      const int input = inputs_.Add(RequiredAttribute(field, "name", context), true, kind, context);
      if (!HasAttribute(field, "value")) RequiredAttribute(field, "value", context);
      field_categories_.emplace_back(inputs_.field(input), Attribute(field, "value", context));
      fields_.push_back({input, true, static_cast<int>(field_categories_.size() - 1),
                         NumberAttribute(field, "coefficient", 1.0, context)});
    }
  }
  if (fields_.empty()) {
    throw OVException(OVException::kCodeStructure, "VectorFields: no FieldRef or CategoricalPredictor");
  }
  for (DOMElement* instance : ChildElements(dictionary, "VectorInstance")) {
    const std::string id = RequiredAttribute(instance, "id", context);
    DOMElement* array = nullptr;
    for (DOMElement* child : ChildElements(instance)) {
      if (ElementName(child, context) != "Extension") array = child;
    }
    if (array == nullptr) {
      throw OVException(OVException::kCodeStructure, "VectorInstance " + id + ": array is absent");
    }
    std::vector<double> values = ReadNumberArray(array, context);
    if (values.size() != fields_.size()) {
      throw OVException(OVException::kCodeCount,
                        "VectorInstance " + id + ": " + std::to_string(values.size()) +
                            " entries for " + std::to_string(fields_.size()) + " vector fields");
    }
    if (!instance_ids_.emplace(id, static_cast<int>(instances_.size())).second) {
      throw OVException(OVException::kCodeStructure, "VectorInstance: id " + id + " is repeated");
    }
    instances_.push_back(std::move(values));
  }
}

void SupportVectorMachineAlgorithm::ReadMachine(DOMElement* element, double threshold,
                                                const ReadContext& context) {
  static const char* const kChildren[] = {"Extension", "SupportVectors", "Coefficients", nullptr};
  RefuseUnknownChildren(element, kChildren, context);
  Machine machine;
  machine.target = Attribute(element, "targetCategory", context);
  machine.alternate = Attribute(element, "alternateTargetCategory", context);
  machine.threshold = NumberAttribute(element, "threshold", threshold, context);
  DOMElement* coefficients = ChildElement(element, "Coefficients");
  if (coefficients == nullptr) {
    throw OVException(OVException::kCodeStructure, "SupportVectorMachine: Coefficients is absent");
  }
  machine.b = NumberAttribute(coefficients, "absoluteValue", 0.0, context);
  for (DOMElement* coefficient : ChildElements(coefficients, "Coefficient")) {
    machine.alphas.push_back(NumberAttribute(coefficient, "value", 0.0, context));
  }
  if (coefficients_) {
    if (machine.alphas.size() != fields_.size()) {
      throw OVException(OVException::kCodeCount,
                        "Coefficients: " + std::to_string(machine.alphas.size()) +
                            " coefficients for " + std::to_string(fields_.size()) +
                            " vector fields");
    }
  } else {
    DOMElement* vectors = ChildElement(element, "SupportVectors");
    if (vectors == nullptr) {
      throw OVException(OVException::kCodeStructure,
                        "SupportVectorMachine: SupportVectors is absent");
    }
    for (DOMElement* vector : ChildElements(vectors, "SupportVector")) {
      const std::string id = RequiredAttribute(vector, "vectorId", context);
      auto it = instance_ids_.find(id);
      if (it == instance_ids_.end()) {
        throw OVException(OVException::kCodeStructure,
                          "SupportVector: vectorId " + id + " is not in the VectorDictionary");
      }
      machine.vectors.push_back(it->second);
    }
    if (machine.alphas.size() != machine.vectors.size()) {
      throw OVException(OVException::kCodeCount,
                        "Coefficients: " + std::to_string(machine.alphas.size()) +
                            " coefficients for " + std::to_string(machine.vectors.size()) +
                            " support vectors");
    }
  }
  machines_.push_back(std::move(machine));
}

int SupportVectorMachineAlgorithm::CategoryIndex(const std::string& category) {
  auto it = std::find(categories_.begin(), categories_.end(), category);
  if (it != categories_.end()) return static_cast<int>(it - categories_.begin());
  categories_.push_back(category);
  return static_cast<int>(categories_.size() - 1);
}

void SupportVectorMachineAlgorithm::CheckClassification(const std::string& alternate_binary,
                                                        const ReadContext& context) {
  const bool binary = machines_.size() == 1;
  if (binary && machines_[0].alternate.empty()) machines_[0].alternate = alternate_binary;
  // The target's categories first, so that ties go to the earlier category
  // of the DataDictionary; then any other category the machines name.
  categories_ = context.TargetCategories();
  for (Machine& machine : machines_) {
    if (machine.target.empty()) {
      throw OVException(OVException::kCodeAbsent,
                        "SupportVectorMachine: attribute targetCategory is absent");
    }
    CategoryIndex(machine.target);
    if (binary || method_ == Method::kOneAgainstOne) {
      if (machine.alternate.empty()) {
        throw OVException(OVException::kCodeAbsent,
                          "SupportVectorMachine: attribute alternateTargetCategory is absent");
      }
      CategoryIndex(machine.alternate);
    }
  }
}

double SupportVectorMachineAlgorithm::Decide(const Machine& machine, const std::vector<double>& x,
                                             std::vector<double>* kernel_cache) const {
  double f = machine.b;
  if (coefficients_) {
    for (size_t i = 0; i < x.size(); ++i) f += machine.alphas[i] * x[i];
    return f;
  }
  for (size_t i = 0; i < machine.vectors.size(); ++i) {
    double& k = (*kernel_cache)[machine.vectors[i]];
    if (std::isnan(k)) k = kernel_(x, instances_[machine.vectors[i]]);
    f += machine.alphas[i] * k;
  }
  return f;
}

void SupportVectorMachineAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  std::vector<const ScoreValue*> values;
  if (!inputs_.Fetch(fields, &values, out)) {
    out->valid = false;
    return;
  }
  std::vector<double> x(fields_.size());
  for (size_t i = 0; i < fields_.size(); ++i) {
    const VectorField& field = fields_[i];
    const ScoreValue* value = values[field.input];
    x[i] = field.categorical
               ? (field_categories_[field.category].Matches(value) ? field.coefficient : 0.0)
               : value->GetDouble();
  }
  // Machines of one model share support vectors: each kernel value once.
  std::vector<double> kernel_cache(instances_.size(), std::nan(""));
  if (!classification_) {
    out->value = Decide(machines_[0], x, &kernel_cache);
    out->valid = true;
    return;
  }
  const bool binary = machines_.size() == 1;
  if (binary || method_ == Method::kOneAgainstOne) {
    std::vector<double> votes(categories_.size(), 0.0);
    for (const Machine& machine : machines_) {
      const double f = Decide(machine, x, &kernel_cache);
      const bool target = max_wins_ ? f > machine.threshold : f < machine.threshold;
      const std::string& winner = target ? machine.target : machine.alternate;
      votes[std::find(categories_.begin(), categories_.end(), winner) - categories_.begin()] += 1.0;
    }
    for (double& v : votes) v /= static_cast<double>(machines_.size());
    SetDistribution(categories_, votes, out, &distribution_);  // a tie goes to the earlier category
    return;
  }
  // One against all: the machine with the smallest value (largest with
  // maxWins) names the category.
  size_t best = 0;
  double best_f = 0.0;
  for (size_t m = 0; m < machines_.size(); ++m) {
    const double f = Decide(machines_[m], x, &kernel_cache);
    if (m == 0 || (max_wins_ ? f > best_f : f < best_f)) {
      best = m;
      best_f = f;
    }
  }
  out->is_category = true;
  out->category.Lend(&machines_[best].target);
  out->valid = true;
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::SupportVectorMachineAlgorithm(model, context);
}
