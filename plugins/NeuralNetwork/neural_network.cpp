// The NeuralNetwork algorithm: inputs computed by their own DerivedFields,
// layers of neurons fed forward, each layer's activations optionally
// normalised, and output neurons mapped back to the target: a regression's
// value through the inverse of its DerivedField, a classification's category
// probabilities through one NormDiscrete per category.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_function.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

constexpr double kPi = 3.14159265358979323846;
constexpr int kAdviceMissingPredictor = 102;

enum class Activation {
  kThreshold, kLogistic, kTanh, kIdentity, kExponential, kReciprocal, kSquare,
  kGauss, kSine, kCosine, kElliott, kArctan, kRectifier, kRadialBasis,
};

enum class Normalization { kNone, kSimplemax, kSoftmax };

Activation ParseActivation(const std::string& text, const std::string& element) {
  static const struct {
    const char* name;
    Activation activation;
  } kNames[] = {
      {"threshold", Activation::kThreshold},     {"logistic", Activation::kLogistic},
      {"tanh", Activation::kTanh},               {"identity", Activation::kIdentity},
      {"exponential", Activation::kExponential}, {"reciprocal", Activation::kReciprocal},
      {"square", Activation::kSquare},           {"Gauss", Activation::kGauss},
      {"sine", Activation::kSine},               {"cosine", Activation::kCosine},
      {"Elliott", Activation::kElliott},         {"arctan", Activation::kArctan},
      {"rectifier", Activation::kRectifier},     {"radialBasis", Activation::kRadialBasis},
  };
  for (const auto& entry : kNames) {
    if (text == entry.name) return entry.activation;
  }
  throw OVException(OVException::kCodeUnsupported,
                    element + ": activationFunction \"" + text + "\" is not supported");
}

Normalization ParseNormalization(const std::string& text, const std::string& element) {
  if (text == "none") return Normalization::kNone;
  if (text == "simplemax") return Normalization::kSimplemax;
  if (text == "softmax") return Normalization::kSoftmax;
  throw OVException(OVException::kCodeUnsupported,
                    element + ": normalizationMethod \"" + text + "\" is not supported");
}

// What a layer's neurons share: the network's settings unless the layer
// overrides them.
struct LayerSettings {
  Activation activation = Activation::kLogistic;
  Normalization normalization = Normalization::kNone;
  double threshold = 0.0;
  bool has_width = false;
  double width = 0.0;
  double altitude = 1.0;
};

LayerSettings ReadSettings(const DOMElement* element, const LayerSettings& outer,
                           const ReadContext& context) {
  const std::string name = ElementName(element, context);
  LayerSettings settings = outer;
  if (HasAttribute(element, "activationFunction")) {
    settings.activation = ParseActivation(Attribute(element, "activationFunction", context), name);
  }
  if (HasAttribute(element, "normalizationMethod")) {
    settings.normalization =
        ParseNormalization(Attribute(element, "normalizationMethod", context), name);
  }
  settings.threshold = NumberAttribute(element, "threshold", outer.threshold, context);
  if (HasAttribute(element, "width")) {
    settings.has_width = true;
    settings.width = NumberAttribute(element, "width", 0.0, context);
  }
  settings.altitude = NumberAttribute(element, "altitude", outer.altitude, context);
  return settings;
}

struct Connection {
  int from;  // node number: inputs first, then the neurons in document order
  double weight;
};

struct Neuron {
  double bias;
  double width;     // radialBasis
  double altitude;  // radialBasis
  std::vector<Connection> connections;
};

struct Layer {
  LayerSettings settings;
  int first_node;
  std::vector<Neuron> neurons;
};

// A regression output: the neuron's value mapped back to the target's scale
// through the inverse of a piecewise linear NormContinuous (empty: as is).
struct RegressionOutput {
  int node = -1;
  std::vector<double> orig;
  std::vector<double> norm;
};

class NeuralNetworkAlgorithm : public ModelAlgorithm {
 public:
  NeuralNetworkAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  void ReadInputs(DOMElement* inputs, ReadContext* context);
  void ReadLayer(DOMElement* layer, const LayerSettings& network, const ReadContext& context);
  void ReadOutputs(DOMElement* outputs, const ReadContext& context);
  int Node(const std::string& id, const std::string& element) const;
  double Activate(const Layer& layer, const Neuron& neuron,
                  const std::vector<double>& nodes) const;
  double Unnormalize(double value) const;

  bool classification_ = false;
  std::unique_ptr<DerivedFields> input_fields_;
  std::vector<std::string> input_names_;  // for the advice of a missing input
  std::map<std::string, int> nodes_;      // id -> node number
  int node_count_ = 0;
  std::vector<Layer> layers_;
  RegressionOutput regression_;
  std::vector<std::string> categories_;  // classification: NeuralOutput order
  // The distribution over categories_ lent to the prediction (one case at a time).
  mutable std::vector<std::pair<std::string, double>> distribution_;
  std::vector<int> category_nodes_;
};

NeuralNetworkAlgorithm::NeuralNetworkAlgorithm(DOMElement* model, ReadContext* context) {
  const std::string name = ElementName(model, *context);
  static const char* const kChildren[] = {
      "Extension",         "MiningSchema", "Output",      "ModelStats",   "ModelExplanation",
      "Targets",           "LocalTransformations",        "NeuralInputs", "NeuralLayer",
      "NeuralOutputs",     "ModelVerification",           nullptr};
  RefuseUnknownChildren(model, kChildren, *context);
  static const char* const kFunctions[] = {"classification", "regression", nullptr};
  classification_ = ReadModelFunction(model, kFunctions, *context) == "classification";
  LayerSettings network;
  network.activation =
      ParseActivation(RequiredAttribute(model, "activationFunction", *context), name);
  network = ReadSettings(model, network, *context);

  DOMElement* inputs = ChildElement(model, "NeuralInputs");
  if (inputs == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": NeuralInputs is absent");
  }
  ReadInputs(inputs, context);
  for (DOMElement* layer : ChildElements(model, "NeuralLayer")) ReadLayer(layer, network, *context);
  if (layers_.empty()) {
    throw OVException(OVException::kCodeStructure, name + ": NeuralLayer is absent");
  }
  DOMElement* outputs = ChildElement(model, "NeuralOutputs");
  if (outputs == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": NeuralOutputs is absent");
  }
  ReadOutputs(outputs, *context);
}

void NeuralNetworkAlgorithm::ReadInputs(DOMElement* inputs, ReadContext* context) {
  static const char* const kChildren[] = {"Extension", "NeuralInput", nullptr};
  RefuseUnknownChildren(inputs, kChildren, *context);
  std::vector<DOMElement*> fields;
  for (DOMElement* input : ChildElements(inputs, "NeuralInput")) {
    const std::string id = RequiredAttribute(input, "id", *context);
    DOMElement* field = ChildElement(input, "DerivedField");
    if (field == nullptr) {
      throw OVException(OVException::kCodeStructure,
                        "NeuralInput " + id + ": DerivedField is absent");
    }
    if (!nodes_.emplace(id, node_count_++).second) {
      throw OVException(OVException::kCodeStructure, "NeuralInput: id " + id + " is repeated");
    }
    fields.push_back(field);
    const std::string field_name = Attribute(field, "name", *context);
    input_names_.push_back(field_name.empty() ? "NeuralInput " + id : field_name);
  }
  if (fields.empty()) {
    throw OVException(OVException::kCodeStructure, "NeuralInputs: NeuralInput is absent");
  }
  input_fields_.reset(context->ReadDerivedFields(fields));
}

void NeuralNetworkAlgorithm::ReadLayer(DOMElement* element, const LayerSettings& network,
                                       const ReadContext& context) {
  static const char* const kChildren[] = {"Extension", "Neuron", nullptr};
  RefuseUnknownChildren(element, kChildren, context);
  Layer layer;
  layer.settings = ReadSettings(element, network, context);
  layer.first_node = node_count_;
  // Connections may come only from inputs and earlier layers: a network
  // without cycles by construction.
  std::vector<std::string> ids;
  for (DOMElement* neuron_element : ChildElements(element, "Neuron")) {
    static const char* const kNeuronChildren[] = {"Extension", "Con", nullptr};
    RefuseUnknownChildren(neuron_element, kNeuronChildren, context);
    const std::string id = RequiredAttribute(neuron_element, "id", context);
    Neuron neuron;
    neuron.bias = NumberAttribute(neuron_element, "bias", 0.0, context);
    neuron.altitude = NumberAttribute(neuron_element, "altitude", layer.settings.altitude, context);
    neuron.width = NumberAttribute(neuron_element, "width", layer.settings.width, context);
    if (layer.settings.activation == Activation::kRadialBasis && !layer.settings.has_width &&
        !HasAttribute(neuron_element, "width")) {
      throw OVException(OVException::kCodeAbsent,
                        "Neuron " + id + ": attribute width is absent (radialBasis)");
    }
    if (layer.settings.activation == Activation::kRadialBasis && !(neuron.width > 0.0)) {
      throw OVException(OVException::kCodeSemantic,
                        "Neuron " + id + ": width must be positive (radialBasis)");
    }
    for (DOMElement* con : ChildElements(neuron_element, "Con")) {
      neuron.connections.push_back({Node(RequiredAttribute(con, "from", context), "Con"),
                                    RequiredNumberAttribute(con, "weight", context)});
    }
    layer.neurons.push_back(std::move(neuron));
    ids.push_back(id);
  }
  if (layer.neurons.empty()) {
    throw OVException(OVException::kCodeStructure, "NeuralLayer: Neuron is absent");
  }
  for (const std::string& id : ids) {
    if (!nodes_.emplace(id, node_count_++).second) {
      throw OVException(OVException::kCodeStructure, "Neuron: id " + id + " is repeated");
    }
  }
  layers_.push_back(std::move(layer));
}

int NeuralNetworkAlgorithm::Node(const std::string& id, const std::string& element) const {
  auto it = nodes_.find(id);
  if (it == nodes_.end()) {
    throw OVException(OVException::kCodeStructure,
                      element + ": " + id + " is no input or neuron of an earlier layer");
  }
  return it->second;
}

void NeuralNetworkAlgorithm::ReadOutputs(DOMElement* outputs, const ReadContext& context) {
  static const char* const kChildren[] = {"Extension", "NeuralOutput", nullptr};
  RefuseUnknownChildren(outputs, kChildren, context);
  const std::string target = context.TargetName();
  for (DOMElement* output : ChildElements(outputs, "NeuralOutput")) {
    const std::string neuron = RequiredAttribute(output, "outputNeuron", context);
    const int node = Node(neuron, "NeuralOutput");
    DOMElement* field = ChildElement(output, "DerivedField");
    if (field == nullptr) {
      throw OVException(OVException::kCodeStructure,
                        "NeuralOutput " + neuron + ": DerivedField is absent");
    }
    DOMElement* expression = nullptr;
    for (DOMElement* child : ChildElements(field)) {
      if (ElementName(child, context) != "Extension") expression = child;
    }
    const std::string kind = expression == nullptr ? "" : ElementName(expression, context);
    if (classification_ && kind == "NormDiscrete") {
      categories_.push_back(RequiredAttribute(expression, "value", context));
      category_nodes_.push_back(node);
      continue;
    }
    if (!classification_ && (kind == "FieldRef" || kind == "NormContinuous")) {
      const std::string ref = RequiredAttribute(expression, "field", context);
      // Several outputs (several targets): the one of this model's target.
      if (regression_.node >= 0 && ref != target) continue;
      regression_ = RegressionOutput();
      regression_.node = node;
      if (kind == "NormContinuous") {
        for (DOMElement* point : ChildElements(expression, "LinearNorm")) {
          regression_.orig.push_back(RequiredNumberAttribute(point, "orig", context));
          regression_.norm.push_back(RequiredNumberAttribute(point, "norm", context));
        }
        if (regression_.orig.size() < 2) {
          throw OVException(OVException::kCodeStructure,
                            "NormContinuous: at least two LinearNorm are needed");
        }
        for (size_t i = 1; i < regression_.norm.size(); ++i) {
          if (!(regression_.norm[i] > regression_.norm[i - 1])) {
            throw OVException(OVException::kCodeSemantic,
                              "NormContinuous: norm values do not increase, so the output "
                              "cannot be mapped back");
          }
        }
      }
      continue;
    }
    throw OVException(OVException::kCodeUnsupported,
                      "NeuralOutput " + neuron + ": " + (kind.empty() ? "an empty DerivedField" : kind) +
                          " does not map the output of a " +
                          (classification_ ? "classification" : "regression"));
  }
  if (classification_ ? categories_.empty() : regression_.node < 0) {
    throw OVException(OVException::kCodeStructure, "NeuralOutputs: NeuralOutput is absent");
  }
}

double Apply(Activation activation, double z, double threshold) {
  switch (activation) {
    case Activation::kThreshold:
      return z > threshold ? 1.0 : 0.0;
    case Activation::kLogistic:
      return 1.0 / (1.0 + std::exp(-z));
    case Activation::kTanh:
      return std::tanh(z);
    case Activation::kIdentity:
      return z;
    case Activation::kExponential:
      return std::exp(z);
    case Activation::kReciprocal:
      return 1.0 / z;
    case Activation::kSquare:
      return z * z;
    case Activation::kGauss:
      return std::exp(-(z * z));
    case Activation::kSine:
      return std::sin(z);
    case Activation::kCosine:
      return std::cos(z);
    case Activation::kElliott:
      return z / (1.0 + std::fabs(z));
    case Activation::kArctan:
      return 2.0 * std::atan(z) / kPi;
    case Activation::kRectifier:
      return std::max(0.0, z);
    case Activation::kRadialBasis:
      break;  // computed by Activate
  }
  return std::nan("");
}

double NeuralNetworkAlgorithm::Activate(const Layer& layer, const Neuron& neuron,
                                        const std::vector<double>& nodes) const {
  if (layer.settings.activation == Activation::kRadialBasis) {
    // The distance of the inputs to the weights, scaled by the width; the
    // bias plays no part, the altitude counts once per incoming connection.
    double z = 0.0;
    for (const Connection& c : neuron.connections) {
      const double d = nodes[c.from] - c.weight;
      z += d * d;
    }
    z /= 2.0 * neuron.width * neuron.width;
    const double fan_in = static_cast<double>(neuron.connections.size());
    return std::exp(fan_in * std::log(neuron.altitude) - z);
  }
  double z = neuron.bias;
  for (const Connection& c : neuron.connections) z += c.weight * nodes[c.from];
  return Apply(layer.settings.activation, z, layer.settings.threshold);
}

double NeuralNetworkAlgorithm::Unnormalize(double value) const {
  const std::vector<double>& norm = regression_.norm;
  if (norm.empty()) return value;
  // The segment that holds the value, the first or last one beyond the ends.
  size_t i = 1;
  while (i + 1 < norm.size() && value > norm[i]) ++i;
  const double o0 = regression_.orig[i - 1];
  const double o1 = regression_.orig[i];
  return o0 + (value - norm[i - 1]) * (o1 - o0) / (norm[i] - norm[i - 1]);
}

void NeuralNetworkAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  std::vector<const ScoreValue*> inputs;
  input_fields_->Compute(fields, &inputs);
  std::vector<double> nodes(node_count_);
  bool complete = true;
  for (size_t i = 0; i < input_names_.size(); ++i) {
    const ScoreValue* value = i < inputs.size() ? inputs[i] : nullptr;
    if (IsMissing(value) || value->GetType() != ScoreValue::kNUMERIC_VALUE) {
      complete = false;
      out->advice.emplace_back(kAdviceMissingPredictor, input_names_[i]);
      continue;
    }
    nodes[i] = value->GetDouble();
  }
  if (!complete) {
    out->valid = false;
    return;
  }
  for (const Layer& layer : layers_) {
    double* y = nodes.data() + layer.first_node;
    const size_t n = layer.neurons.size();
    for (size_t j = 0; j < n; ++j) y[j] = Activate(layer, layer.neurons[j], nodes);
    if (layer.settings.normalization == Normalization::kSoftmax) {
      const double top = *std::max_element(y, y + n);
      double sum = 0.0;
      for (size_t j = 0; j < n; ++j) sum += y[j] = std::exp(y[j] - top);
      for (size_t j = 0; j < n; ++j) y[j] /= sum;
    } else if (layer.settings.normalization == Normalization::kSimplemax) {
      double sum = 0.0;
      for (size_t j = 0; j < n; ++j) sum += y[j];
      for (size_t j = 0; j < n; ++j) y[j] /= sum;
    }
  }
  if (!classification_) {
    out->value = Unnormalize(nodes[regression_.node]);
    out->valid = std::isfinite(out->value);
    return;
  }
  std::vector<double> probabilities;
  for (int node : category_nodes_) probabilities.push_back(nodes[node]);
  SetDistribution(categories_, probabilities, out, &distribution_);
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::NeuralNetworkAlgorithm(model, context);
}
