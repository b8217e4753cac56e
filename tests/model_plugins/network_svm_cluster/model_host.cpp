#include "model_host.h"

#include <dlfcn.h>

#include <cmath>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>

#include "orvane/dictionary/dict_var.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/element_reading.h"

namespace nsc_test {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreValue;
using orvane_plugins::Attribute;
using orvane_plugins::ChildElement;
using orvane_plugins::ChildElements;
using orvane_plugins::ElementName;
using orvane_plugins::NumberAttribute;
using orvane_plugins::RequiredAttribute;
using orvane_plugins::RequiredNumberAttribute;

XercesScope::XercesScope() { xercesc::XMLPlatformUtils::Initialize(); }
XercesScope::~XercesScope() { xercesc::XMLPlatformUtils::Terminate(); }

void CaseValues::Set(const std::string& name, ScoreValue* value) { values_[name].reset(value); }
void CaseValues::SetNumber(const std::string& name, double number) {
  Set(name, new MCOrvane_600::NumericValue(number));
}
void CaseValues::SetText(const std::string& name, const std::string& text) {
  Set(name, new MCOrvane_600::StringValue(text));
}

const ScoreValue* CaseValues::Get(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? nullptr : it->second.get();
}

// One expression of a DerivedField, evaluated to a new value (null: missing).
class Expression {
 public:
  Expression(xercesc::DOMElement* element, const orvane_plugins::ReadContext& context) {
    kind_ = ElementName(element, context);
    has_missing_ = orvane_plugins::HasAttribute(element, "mapMissingTo");
    if (has_missing_) missing_ = NumberAttribute(element, "mapMissingTo", 0.0, context);
    if (kind_ == "FieldRef" || kind_ == "NormDiscrete" || kind_ == "NormContinuous") {
      field_ = RequiredAttribute(element, "field", context);
      if (context.Field(field_) == nullptr) {
        throw OVException(OVException::kCodeVariableName, kind_ + ": field " + field_ + " is not defined");
      }
    }
    if (kind_ == "NormDiscrete") {
      value_ = Attribute(element, "value", context);
    } else if (kind_ == "NormContinuous") {
      outliers_ = Attribute(element, "outliers", context);
      for (xercesc::DOMElement* point : ChildElements(element, "LinearNorm")) {
        orig_.push_back(RequiredNumberAttribute(point, "orig", context));
        norm_.push_back(RequiredNumberAttribute(point, "norm", context));
      }
    } else if (kind_ == "Constant") {
      if (!orvane_plugins::ParseNumber(orvane_plugins::ElementText(element, context), &constant_)) {
        throw OVException(OVException::kCodeUnsupported, "Constant: only numbers in this host");
      }
    } else if (kind_ == "Apply") {
      function_ = RequiredAttribute(element, "function", context);
      if (function_ != "+" && function_ != "-" && function_ != "*" && function_ != "/") {
        throw OVException(OVException::kCodeUnsupported,
                          "Apply: function " + function_ + " is not in this host");
      }
      for (xercesc::DOMElement* child : ChildElements(element)) {
        if (ElementName(child, context) != "Extension") args_.emplace_back(new Expression(child, context));
      }
      if (args_.size() != 2) throw OVException(OVException::kCodeSemantic, "Apply: two arguments");
    } else if (kind_ != "FieldRef") {
      throw OVException(OVException::kCodeUnsupported, kind_ + " is not in this host");
    }
  }

  ScoreValue* Evaluate(const orvane_plugins::FieldValues& fields) const {
    ScoreValue* value = EvaluateRaw(fields);
    if (value == nullptr && has_missing_) return new MCOrvane_600::NumericValue(missing_);
    return value;
  }

 private:
  static bool Missing(const ScoreValue* value) {
    return value == nullptr || value->IsSystemMissingValue();
  }

  ScoreValue* EvaluateRaw(const orvane_plugins::FieldValues& fields) const {
    if (kind_ == "Constant") return new MCOrvane_600::NumericValue(constant_);
    if (kind_ == "Apply") {
      std::unique_ptr<ScoreValue> a(args_[0]->Evaluate(fields));
      std::unique_ptr<ScoreValue> b(args_[1]->Evaluate(fields));
      if (Missing(a.get()) || Missing(b.get())) return nullptr;
      const double x = a->GetDouble();
      const double y = b->GetDouble();
      double r = function_ == "+" ? x + y : function_ == "-" ? x - y : function_ == "*" ? x * y : x / y;
      return std::isfinite(r) ? new MCOrvane_600::NumericValue(r) : nullptr;
    }
    const ScoreValue* in = fields.Get(field_);
    if (Missing(in)) return nullptr;
    if (kind_ == "FieldRef") return in->Clone();
    if (kind_ == "NormDiscrete") {
      bool same;
      double number = 0.0;
      if (in->GetType() == ScoreValue::kNUMERIC_VALUE && orvane_plugins::ParseNumber(value_, &number)) {
        same = in->GetDouble() == number;
      } else {
        same = in->GetString() == value_;
      }
      return new MCOrvane_600::NumericValue(same ? 1.0 : 0.0);
    }
    // NormContinuous: piecewise linear through the points.
    const double x = in->GetDouble();
    const size_t n = orig_.size();
    if (x < orig_[0] || x > orig_[n - 1]) {
      if (outliers_ == "asMissingValues") return nullptr;
      if (outliers_ == "asExtremeValues") {
        return new MCOrvane_600::NumericValue(x < orig_[0] ? norm_[0] : norm_[n - 1]);
      }
    }
    size_t i = 1;
    while (i + 1 < n && x > orig_[i]) ++i;
    const double y = norm_[i - 1] + (x - orig_[i - 1]) * (norm_[i] - norm_[i - 1]) / (orig_[i] - orig_[i - 1]);
    return new MCOrvane_600::NumericValue(y);
  }

  std::string kind_;
  std::string field_;
  std::string value_;
  std::string outliers_;
  std::string function_;
  bool has_missing_ = false;
  double missing_ = 0.0;
  double constant_ = 0.0;
  std::vector<double> orig_;
  std::vector<double> norm_;
  std::vector<std::unique_ptr<Expression>> args_;
};

namespace {

std::unique_ptr<Expression> ReadDerivedField(xercesc::DOMElement* field,
                                             const orvane_plugins::ReadContext& context) {
  for (xercesc::DOMElement* child : ChildElements(field)) {
    if (ElementName(child, context) != "Extension") {
      return std::unique_ptr<Expression>(new Expression(child, context));
    }
  }
  throw OVException(OVException::kCodeStructure, "DerivedField: expression is absent");
}

class HostDerivedFields : public orvane_plugins::DerivedFields {
 public:
  explicit HostDerivedFields(std::vector<std::unique_ptr<Expression>> expressions)
      : expressions_(std::move(expressions)), values_(expressions_.size()) {}
  void Compute(const orvane_plugins::FieldValues& fields,
               std::vector<const ScoreValue*>* values) const override {
    values->resize(expressions_.size());
    for (size_t i = 0; i < expressions_.size(); ++i) {
      values_[i].reset(expressions_[i]->Evaluate(fields));
      (*values)[i] = values_[i].get();
    }
  }

 private:
  std::vector<std::unique_ptr<Expression>> expressions_;
  mutable std::vector<std::unique_ptr<ScoreValue>> values_;
};

// The case's values with the local derived fields laid over them.
class ScopeValues : public orvane_plugins::FieldValues {
 public:
  explicit ScopeValues(const orvane_plugins::FieldValues& base) : base_(base) {}
  void Set(const std::string& name, ScoreValue* value) { local_[name].reset(value); }
  const ScoreValue* Get(const std::string& name) const override {
    auto it = local_.find(name);
    return it != local_.end() ? it->second.get() : base_.Get(name);
  }

 private:
  const orvane_plugins::FieldValues& base_;
  std::map<std::string, std::unique_ptr<ScoreValue>> local_;
};

orvane_plugins::ReadModelAlgorithmFn Reader(const std::string& type) {
  const std::string path = std::string(ORVANE_MODEL_PLUGIN_DIR) + "/" + type + "600r.so";
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);  // stays loaded
  if (library == nullptr) throw OVException(OVException::kCodeUnsupported, dlerror());
  void* symbol = dlsym(library, orvane_plugins::kReadModelAlgorithmSymbol);
  if (symbol == nullptr) throw OVException(OVException::kCodeUnsupported, path + ": no reader");
  return reinterpret_cast<orvane_plugins::ReadModelAlgorithmFn>(symbol);
}

// The first element of one of the served model types, depth first.
xercesc::DOMElement* FindModel(xercesc::DOMElement* element, const orvane_plugins::ReadContext& context) {
  for (xercesc::DOMElement* child : ChildElements(element)) {
    const std::string name = ElementName(child, context);
    if (name == "NeuralNetwork" || name == "SupportVectorMachineModel" || name == "ClusteringModel") {
      return child;
    }
    if (xercesc::DOMElement* found = FindModel(child, context)) return found;
  }
  return nullptr;
}

}  // namespace

LoadedModel::LoadedModel() = default;
LoadedModel::~LoadedModel() = default;

std::unique_ptr<LoadedModel> LoadedModel::FromText(const std::string& text) {
  std::unique_ptr<LoadedModel> model(new LoadedModel());
  model->parser_ = std::make_unique<xercesc::XercesDOMParser>();
  model->parser_->setLoadExternalDTD(false);
  xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(text.data()), text.size(),
                                    "inline");
  model->parser_->parse(source);
  model->Load();
  return model;
}

std::unique_ptr<LoadedModel> LoadedModel::FromFile(const std::string& path) {
  std::unique_ptr<LoadedModel> model(new LoadedModel());
  model->parser_ = std::make_unique<xercesc::XercesDOMParser>();
  model->parser_->setLoadExternalDTD(false);
  model->parser_->parse(path.c_str());
  model->Load();
  return model;
}

void LoadedModel::Load() {
  if (parser_->getDocument() == nullptr || parser_->getDocument()->getDocumentElement() == nullptr) {
    throw OVException(OVException::kCodeOpen, "not a document");
  }
  xercesc::DOMElement* root = parser_->getDocument()->getDocumentElement();
  xercesc::DOMElement* data = ChildElement(root, "DataDictionary");
  MCOrvane_600::PMMLTranslator translator;
  MCOrvane_600::PMMLReadOptions options;
  options.standardPMML = true;
  translator.SetReadOptions(options);
  dictionary_.reset(translator.ParseDictionary(data));
  for (xercesc::DOMElement* field : ChildElements(data, "DataField")) {
    std::vector<std::string>& values = categories_[Attribute(field, "name", *this)];
    for (xercesc::DOMElement* value : ChildElements(field, "Value")) {
      const std::string property = Attribute(value, "property", *this);
      if (property.empty() || property == "valid") values.push_back(Attribute(value, "value", *this));
    }
  }
  if (xercesc::DOMElement* transformations = ChildElement(root, "TransformationDictionary")) {
    if (!ChildElements(transformations).empty()) {
      throw OVException(OVException::kCodeUnsupported, "TransformationDictionary is not in this host");
    }
  }
  xercesc::DOMElement* model = FindModel(root, *this);
  if (model == nullptr) throw OVException(OVException::kCodeUnsupported, "no model of these types");
  xercesc::DOMElement* schema = ChildElement(model, "MiningSchema");
  if (schema == nullptr) throw OVException(OVException::kCodeStructure, "MiningSchema is absent");
  for (xercesc::DOMElement* field : ChildElements(schema, "MiningField")) {
    const std::string usage = Attribute(field, "usageType", *this);
    if (usage == "target" || usage == "predicted") target_ = Attribute(field, "name", *this);
  }
  if (xercesc::DOMElement* output = ChildElement(model, "Output")) {
    for (xercesc::DOMElement* field : ChildElements(output, "OutputField")) {
      const std::string name = Attribute(field, "name", *this);
      output_features_[name] = Attribute(field, "feature", *this);
      output_values_[name] = Attribute(field, "value", *this);
    }
  }
  if (xercesc::DOMElement* local = ChildElement(model, "LocalTransformations")) {
    for (xercesc::DOMElement* field : ChildElements(local, "DerivedField")) {
      const std::string name = RequiredAttribute(field, "name", *this);
      local_.emplace_back(name, ReadDerivedField(field, *this));
      const bool text = Attribute(field, "dataType", *this) == "string";
      local_fields_[name].reset(new MCOrvane_600::DictVar(
          name, text ? MCOrvane_600::ScoreDictVar::kSTRING_VAR : MCOrvane_600::ScoreDictVar::kNUMERIC_VAR));
    }
  }
  algorithm_.reset(Reader(ElementName(model, *this))(model, this));
}

void LoadedModel::Score(const orvane_plugins::FieldValues& fields,
                        orvane_plugins::Prediction* out) const {
  ScopeValues scope(fields);
  for (const auto& entry : local_) scope.Set(entry.first, entry.second->Evaluate(scope));
  algorithm_->Predict(scope, out);
}

std::string LoadedModel::Text(const XMLCh* text) const {
  xercesc::TranscodeToStr utf8(text, "UTF-8");
  return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
}

const MCOrvane_600::ScoreDictVar* LoadedModel::Field(const std::string& name) const {
  auto it = local_fields_.find(name);
  return it != local_fields_.end() ? it->second.get() : dictionary_->GetVar(name);
}

std::vector<std::string> LoadedModel::TargetCategories() const {
  auto it = categories_.find(target_);
  return it == categories_.end() ? std::vector<std::string>() : it->second;
}

orvane_plugins::NestedModel* LoadedModel::ReadNestedModel(xercesc::DOMElement*) {
  throw OVException(OVException::kCodeUnsupported, "no nested models in this host");
}

orvane_plugins::Predicate* LoadedModel::ReadPredicate(xercesc::DOMElement*) {
  throw OVException(OVException::kCodeUnsupported, "no predicates in this host");
}

orvane_plugins::DerivedFields* LoadedModel::ReadDerivedFields(
    const std::vector<xercesc::DOMElement*>& fields) {
  std::vector<std::unique_ptr<Expression>> expressions;
  for (xercesc::DOMElement* field : fields) expressions.push_back(ReadDerivedField(field, *this));
  return new HostDerivedFields(std::move(expressions));
}

}  // namespace nsc_test
