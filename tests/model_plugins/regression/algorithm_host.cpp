#include "algorithm_host.h"

#include <dlfcn.h>

#include <cstring>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>

#include "orvane/translate/pmml_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_test {

using MCOrvane_600::OVException;
using orvane_plugins::ChildElement;
using orvane_plugins::ChildElements;

XercesScope::XercesScope() { xercesc::XMLPlatformUtils::Initialize(); }
XercesScope::~XercesScope() { xercesc::XMLPlatformUtils::Terminate(); }

void CaseValues::Set(const std::string& name, MCOrvane_600::ScoreValue* value) {
  values_[name].reset(value);
}

const MCOrvane_600::ScoreValue* CaseValues::Get(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? nullptr : it->second.get();
}

namespace {

std::unique_ptr<xercesc::XercesDOMParser> Parse(const std::string& text, const char* id) {
  auto parser = std::make_unique<xercesc::XercesDOMParser>();
  parser->setDoNamespaces(false);
  parser->setLoadExternalDTD(false);
  xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(text.data()), text.size(),
                                    id);
  parser->parse(source);
  if (parser->getDocument() == nullptr || parser->getDocument()->getDocumentElement() == nullptr) {
    throw OVException(OVException::kCodeOpen, "not a document");
  }
  return parser;
}

orvane_plugins::ReadModelAlgorithmFn Reader(const std::string& type) {
  const std::string path = std::string(ORVANE_MODEL_PLUGIN_DIR) + "/" + type + "600r.so";
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);  // stays loaded
  if (library == nullptr) throw OVException(OVException::kCodeUnsupported, dlerror());
  void* symbol = dlsym(library, orvane_plugins::kReadModelAlgorithmSymbol);
  if (symbol == nullptr) throw OVException(OVException::kCodeUnsupported, path + ": no reader");
  return reinterpret_cast<orvane_plugins::ReadModelAlgorithmFn>(symbol);
}

// A segment's model: its algorithm, and the values of its predictedValue
// OutputFields.
class Nested : public orvane_plugins::NestedModel {
 public:
  Nested(orvane_plugins::ModelAlgorithm* algorithm, std::vector<std::string> outputs)
      : algorithm_(algorithm), output_names_(std::move(outputs)) {}
  void Predict(const orvane_plugins::FieldValues& fields, orvane_plugins::Prediction* out,
               std::vector<std::pair<std::string, const MCOrvane_600::ScoreValue*>>* outputs)
      const override {
    algorithm_->Predict(fields, out);
    if (outputs == nullptr) return;
    values_.clear();
    for (const std::string& name : output_names_) {
      MCOrvane_600::ScoreValue* value = nullptr;
      if (out->valid && out->is_category) {
        value = new MCOrvane_600::StringValue(out->category);
      } else if (out->valid) {
        value = new MCOrvane_600::NumericValue(out->value);
      }
      values_.emplace_back(value);
      outputs->emplace_back(name, value);
    }
  }

 private:
  std::unique_ptr<orvane_plugins::ModelAlgorithm> algorithm_;
  std::vector<std::string> output_names_;
  mutable std::vector<std::unique_ptr<MCOrvane_600::ScoreValue>> values_;
};

// True, False, and SimplePredicate comparing a number or testing for a
// missing value.
class SimplePredicate : public orvane_plugins::Predicate {
 public:
  SimplePredicate(std::string field, std::string op, double value, Truth constant)
      : field_(std::move(field)), op_(std::move(op)), value_(value), constant_(constant) {}
  Truth Evaluate(const orvane_plugins::FieldValues& fields) const override {
    if (field_.empty()) return constant_;
    const MCOrvane_600::ScoreValue* value = fields.Get(field_);
    const bool missing = orvane_plugins::IsMissing(value);
    if (op_ == "isMissing") return missing ? kTRUE : kFALSE;
    if (op_ == "isNotMissing") return missing ? kFALSE : kTRUE;
    if (missing) return kUNKNOWN;
    const double x = value->GetDouble();
    bool result = false;
    if (op_ == "equal") result = x == value_;
    if (op_ == "notEqual") result = x != value_;
    if (op_ == "lessThan") result = x < value_;
    if (op_ == "lessOrEqual") result = x <= value_;
    if (op_ == "greaterThan") result = x > value_;
    if (op_ == "greaterOrEqual") result = x >= value_;
    return result ? kTRUE : kFALSE;
  }

 private:
  std::string field_;  // empty: the constant
  std::string op_;
  double value_;
  Truth constant_;
};

}  // namespace

std::unique_ptr<LoadedModel> LoadedModel::FromText(const std::string& text) {
  std::unique_ptr<LoadedModel> model(new LoadedModel());
  model->parser_ = Parse(text, "inline");
  model->Load();
  return model;
}

std::unique_ptr<LoadedModel> LoadedModel::FromFile(const std::string& path) {
  std::unique_ptr<LoadedModel> model(new LoadedModel());
  model->parser_ = std::make_unique<xercesc::XercesDOMParser>();
  model->parser_->setLoadExternalDTD(false);
  model->parser_->parse(path.c_str());
  if (model->parser_->getDocument() == nullptr) {
    throw OVException(OVException::kCodeOpen, path + ": not a document");
  }
  model->Load();
  return model;
}

LoadedModel::~LoadedModel() = default;

void LoadedModel::Load() {
  xercesc::DOMElement* root = parser_->getDocument()->getDocumentElement();
  xercesc::DOMElement* data = ChildElement(root, "DataDictionary");
  MCOrvane_600::PMMLTranslator translator;
  MCOrvane_600::PMMLReadOptions options;
  options.standardPMML = true;
  translator.SetReadOptions(options);
  dictionary_.reset(translator.ParseDictionary(data));
  for (xercesc::DOMElement* field : ChildElements(data, "DataField")) {
    std::vector<std::string>& values = categories_[orvane_plugins::Attribute(field, "name", *this)];
    for (xercesc::DOMElement* value : ChildElements(field, "Value")) {
      const std::string property = orvane_plugins::Attribute(value, "property", *this);
      if (property.empty() || property == "valid") {
        values.push_back(orvane_plugins::Attribute(value, "value", *this));
      }
    }
  }
  xercesc::DOMElement* model = nullptr;
  for (const char* type : {"RegressionModel", "GeneralRegressionModel", "MiningModel"}) {
    if (model == nullptr && (model = ChildElement(root, type)) != nullptr) model_type_ = type;
  }
  if (model == nullptr) throw OVException(OVException::kCodeUnsupported, "no model to read");
  for (xercesc::DOMElement* field :
       ChildElements(ChildElement(model, "MiningSchema"), "MiningField")) {
    const std::string usage = orvane_plugins::Attribute(field, "usageType", *this);
    if (usage == "target" || usage == "predicted") {
      target_ = orvane_plugins::Attribute(field, "name", *this);
    }
  }
  if (xercesc::DOMElement* output = ChildElement(model, "Output")) {
    for (xercesc::DOMElement* field : ChildElements(output, "OutputField")) {
      const std::string name = orvane_plugins::Attribute(field, "name", *this);
      const std::string feature = orvane_plugins::Attribute(field, "feature", *this);
      if (feature == "probability") {
        probability_outputs_[name] = orvane_plugins::Attribute(field, "value", *this);
      } else if (feature == "predictedValue") {
        predicted_outputs_.push_back(name);
      }
    }
  }
  algorithm_.reset(Reader(model_type_)(model, this));
}

std::string LoadedModel::Text(const XMLCh* text) const {
  xercesc::TranscodeToStr utf8(text, "UTF-8");
  return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
}

const MCOrvane_600::ScoreDictVar* LoadedModel::Field(const std::string& name) const {
  return dictionary_->GetVar(name);
}

std::vector<std::string> LoadedModel::TargetCategories() const {
  auto it = categories_.find(target_);
  return it == categories_.end() ? std::vector<std::string>() : it->second;
}

orvane_plugins::NestedModel* LoadedModel::ReadNestedModel(xercesc::DOMElement* model) {
  std::vector<std::string> outputs;
  if (xercesc::DOMElement* output = ChildElement(model, "Output")) {
    for (xercesc::DOMElement* field : ChildElements(output, "OutputField")) {
      if (orvane_plugins::Attribute(field, "feature", *this) == "predictedValue") {
        outputs.push_back(orvane_plugins::Attribute(field, "name", *this));
      }
    }
  }
  orvane_plugins::ModelAlgorithm* algorithm =
      Reader(orvane_plugins::ElementName(model, *this))(model, this);
  return new Nested(algorithm, std::move(outputs));
}

orvane_plugins::Predicate* LoadedModel::ReadPredicate(xercesc::DOMElement* predicate) {
  const std::string kind = orvane_plugins::ElementName(predicate, *this);
  if (kind == "True" || kind == "False") {
    return new SimplePredicate("", "", 0.0,
                               kind == "True" ? orvane_plugins::Predicate::kTRUE
                                              : orvane_plugins::Predicate::kFALSE);
  }
  if (kind != "SimplePredicate") throw OVException(OVException::kCodeUnsupported, kind);
  double value = 0.0;
  orvane_plugins::ParseNumber(orvane_plugins::Attribute(predicate, "value", *this), &value);
  return new SimplePredicate(orvane_plugins::RequiredAttribute(predicate, "field", *this),
                             orvane_plugins::RequiredAttribute(predicate, "operator", *this), value,
                             orvane_plugins::Predicate::kUNKNOWN);
}

}  // namespace orvane_test
