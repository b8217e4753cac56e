#include "model_host.h"

#include <dlfcn.h>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/array_reading.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_test {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::ScoreValue;
using orvane_plugins::Attribute;
using orvane_plugins::ChildElement;
using orvane_plugins::ChildElements;
using orvane_plugins::ElementName;
using orvane_plugins::FieldValues;
using orvane_plugins::IsMissing;
using orvane_plugins::Predicate;
using orvane_plugins::RequiredAttribute;
using xercesc::DOMElement;

namespace {

const char* const kModelTypes[] = {
    "RegressionModel", "GeneralRegressionModel", "MiningModel", "NeuralNetwork",
    "SupportVectorMachineModel", "ClusteringModel", "RuleSetModel", "Scorecard",
    "NaiveBayesModel", "TreeModel"};

// Values by name, owned, laid over `base` (lent, may be null).
class Values : public FieldValues {
 public:
  explicit Values(const FieldValues* base = nullptr) : base_(base) {}
  void Set(const std::string& name, ScoreValue* value) { values_[name].reset(value); }
  const ScoreValue* Get(const std::string& name) const override {
    auto it = values_.find(name);
    if (it != values_.end()) return it->second.get();
    return base_ == nullptr ? nullptr : base_->Get(name);
  }

 private:
  const FieldValues* base_;
  std::map<std::string, std::unique_ptr<ScoreValue>> values_;
};

// The case's value of every variable of `dictionary`, for the library's
// transformations.
std::unique_ptr<MCOrvane_600::CaseRecord> Record(const ScoreDictionary& dictionary,
                                                 const FieldValues& fields) {
  auto record = std::make_unique<MCOrvane_600::CaseRecord>();
  for (MCOrvane_600::ScoreDictVar* var : dictionary.GetScoreDictVars()) {
    const ScoreValue* value = fields.Get(var->GetName());
    record->Add(var->GetName(), value == nullptr ? nullptr : value->Clone());
  }
  return record;
}

orvane_plugins::ReadModelAlgorithmFn Reader(const std::string& type) {
  const std::string path = std::string(ORVANE_MODEL_PLUGIN_DIR) + "/" + type + "600r.so";
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);  // stays loaded
  if (library == nullptr) throw OVException(OVException::kCodeUnsupported, dlerror());
  void* symbol = dlsym(library, orvane_plugins::kReadModelAlgorithmSymbol);
  if (symbol == nullptr) throw OVException(OVException::kCodeUnsupported, path + ": no reader");
  return reinterpret_cast<orvane_plugins::ReadModelAlgorithmFn>(symbol);
}

// The children named `tag`; none for a null parent.
std::vector<DOMElement*> Children(const DOMElement* parent, const char* tag) {
  return parent == nullptr ? std::vector<DOMElement*>() : ChildElements(parent, tag);
}

// The first element of a shipped model type, depth first.
DOMElement* FindModel(const DOMElement* parent, const orvane_plugins::ReadContext& context) {
  for (DOMElement* child : ChildElements(parent)) {
    for (const char* type : kModelTypes) {
      if (ElementName(child, context) == type) return child;
    }
    if (DOMElement* found = FindModel(child, context)) return found;
  }
  return nullptr;
}

// A segment's model: its algorithm, and its predictedValue OutputFields.
class Nested : public orvane_plugins::NestedModel {
 public:
  Nested(orvane_plugins::ModelAlgorithm* algorithm, std::vector<std::string> outputs)
      : algorithm_(algorithm), names_(std::move(outputs)) {}
  void Predict(const FieldValues& fields, orvane_plugins::Prediction* out,
               std::vector<std::pair<std::string, const ScoreValue*>>* outputs) const override {
    algorithm_->Predict(fields, out);
    if (outputs == nullptr) return;
    values_.clear();
    for (const std::string& name : names_) {
      ScoreValue* value = nullptr;
      if (out->valid && out->is_category) value = new MCOrvane_600::StringValue(out->category);
      if (out->valid && !out->is_category) value = new MCOrvane_600::NumericValue(out->value);
      values_.emplace_back(value);
      outputs->emplace_back(name, value);
    }
  }

 private:
  std::unique_ptr<orvane_plugins::ModelAlgorithm> algorithm_;
  std::vector<std::string> names_;
  mutable std::vector<std::unique_ptr<ScoreValue>> values_;
};

class HostPredicate : public Predicate {
 public:
  HostPredicate(DOMElement* element, const orvane_plugins::ReadContext& context) {
    kind_ = ElementName(element, context);
    if (kind_ == "SimplePredicate" || kind_ == "SimpleSetPredicate") {
      field_ = RequiredAttribute(element, "field", context);
      if (context.Field(field_) == nullptr) {
        throw OVException(OVException::kCodeVariableName,
                          kind_ + ": field " + field_ + " is not defined");
      }
    }
    if (kind_ == "SimplePredicate") {
      operator_ = RequiredAttribute(element, "operator", context);
      value_ = Attribute(element, "value", context);
    } else if (kind_ == "SimpleSetPredicate") {
      operator_ = RequiredAttribute(element, "booleanOperator", context);
      set_ = orvane_plugins::ReadArrayTexts(ChildElement(element, "Array"), context);
    } else if (kind_ == "CompoundPredicate") {
      operator_ = RequiredAttribute(element, "booleanOperator", context);
      for (DOMElement* child : ChildElements(element)) {
        if (ElementName(child, context) != "Extension") {
          children_.emplace_back(new HostPredicate(child, context));
        }
      }
    } else if (kind_ != "True" && kind_ != "False") {
      throw OVException(OVException::kCodeUnsupported, kind_ + " is not a predicate");
    }
  }

  Truth Evaluate(const FieldValues& fields) const override {
    if (kind_ == "True") return kTRUE;
    if (kind_ == "False") return kFALSE;
    if (kind_ == "CompoundPredicate") return Combine(fields);
    const ScoreValue* value = fields.Get(field_);
    const bool missing = IsMissing(value);
    if (operator_ == "isMissing") return missing ? kTRUE : kFALSE;
    if (operator_ == "isNotMissing") return missing ? kFALSE : kTRUE;
    if (missing) return kUNKNOWN;
    if (kind_ == "SimpleSetPredicate") {
      bool in = false;
      for (const std::string& entry : set_) in = in || Order(value, entry) == 0;
      return in == (operator_ == "isIn") ? kTRUE : kFALSE;
    }
    const int order = Order(value, value_);
    const bool result = operator_ == "equal"            ? order == 0
                        : operator_ == "notEqual"       ? order != 0
                        : operator_ == "lessThan"       ? order < 0
                        : operator_ == "lessOrEqual"    ? order <= 0
                        : operator_ == "greaterThan"    ? order > 0
                        : operator_ == "greaterOrEqual" ? order >= 0
                                                        : false;
    return result ? kTRUE : kFALSE;
  }

 private:
  // PMML's and, or, xor and surrogate over TRUE, FALSE and UNKNOWN.
  Truth Combine(const FieldValues& fields) const {
    bool unknown = false;
    int trues = 0;
    for (const auto& child : children_) {
      const Truth truth = child->Evaluate(fields);
      if (operator_ == "surrogate" && truth != kUNKNOWN) return truth;
      if (operator_ == "and" && truth == kFALSE) return kFALSE;
      if (operator_ == "or" && truth == kTRUE) return kTRUE;
      unknown = unknown || truth == kUNKNOWN;
      trues += truth == kTRUE ? 1 : 0;
    }
    if (unknown || operator_ == "surrogate") return kUNKNOWN;
    if (operator_ == "xor") return trues % 2 == 1 ? kTRUE : kFALSE;
    return operator_ == "and" ? kTRUE : kFALSE;
  }

  // -1, 0 or 1: as numbers when both are, else as texts.
  static int Order(const ScoreValue* value, const std::string& text) {
    double number = 0.0;
    if (value->GetType() == ScoreValue::kNUMERIC_VALUE &&
        orvane_plugins::ParseNumber(text, &number)) {
      return value->GetDouble() < number ? -1 : value->GetDouble() > number ? 1 : 0;
    }
    const int order = value->GetString().compare(text);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
  }

  std::string kind_;
  std::string field_;
  std::string operator_;
  std::string value_;
  std::vector<std::string> set_;
  std::vector<std::unique_ptr<HostPredicate>> children_;
};

// DerivedFields read and computed by the library over the model's scope.
class HostDerivedFields : public orvane_plugins::DerivedFields {
 public:
  HostDerivedFields(MCOrvane_600::TransformationDictionary* fields,
                    std::vector<std::string> names, const ScoreDictionary* scope)
      : fields_(fields), names_(std::move(names)), scope_(scope) {
    fields_->SetUpDerivedCaseRecord();
  }
  void Compute(const FieldValues& fields, std::vector<const ScoreValue*>* values) const override {
    record_ = Record(*scope_, fields);
    fields_->GetValuesForDeriedVars(record_.get(), scope_);
    values->clear();
    for (const std::string& name : names_) {
      const ScoreValue* value = fields_->GetVarValue(name);
      values->push_back(IsMissing(value) ? nullptr : value);
    }
  }

 private:
  std::unique_ptr<MCOrvane_600::TransformationDictionary> fields_;
  std::vector<std::string> names_;
  const ScoreDictionary* scope_;  // lent
  mutable std::unique_ptr<MCOrvane_600::CaseRecord> record_;
};

class XText {
 public:
  explicit XText(const std::string& text) : text_(xercesc::XMLString::transcode(text.c_str())) {}
  ~XText() { xercesc::XMLString::release(&text_); }
  const XMLCh* get() const { return text_; }

 private:
  XMLCh* text_;
};

}  // namespace

HostedModel::XercesScope::XercesScope() { xercesc::XMLPlatformUtils::Initialize(); }
HostedModel::XercesScope::~XercesScope() { xercesc::XMLPlatformUtils::Terminate(); }

HostedModel::HostedModel() : parser_(new xercesc::XercesDOMParser()) {
  parser_->setLoadExternalDTD(false);
  MCOrvane_600::PMMLReadOptions options;
  options.standardPMML = true;
  translator_.SetReadOptions(options);
}

HostedModel::~HostedModel() = default;

std::unique_ptr<HostedModel> HostedModel::FromText(const std::string& text) {
  std::unique_ptr<HostedModel> model(new HostedModel());
  xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(text.data()), text.size(),
                                    "inline");
  model->parser_->parse(source);
  model->Load();
  return model;
}

std::unique_ptr<HostedModel> HostedModel::FromFile(const std::string& path) {
  std::unique_ptr<HostedModel> model(new HostedModel());
  model->parser_->parse(path.c_str());
  model->Load();
  return model;
}

void HostedModel::Load() {
  xercesc::DOMDocument* document = parser_->getDocument();
  if (document == nullptr || document->getDocumentElement() == nullptr) {
    throw OVException(OVException::kCodeOpen, "not a document");
  }
  DOMElement* root = document->getDocumentElement();
  DOMElement* data = ChildElement(root, "DataDictionary");
  data_.reset(translator_.ParseDictionary(data));
  for (DOMElement* field : Children(data, "DataField")) {
    std::vector<std::string>& values = categories_[Attribute(field, "name", *this)];
    for (DOMElement* value : ChildElements(field, "Value")) {
      const std::string property = Attribute(value, "property", *this);
      if (property.empty() || property == "valid") values.push_back(Attribute(value, "value", *this));
    }
  }
  DOMElement* global = ChildElement(root, "TransformationDictionary");
  if (global != nullptr && !ChildElements(global).empty()) {
    throw OVException(OVException::kCodeUnsupported, "TransformationDictionary is not in this host");
  }
  DOMElement* model = FindModel(root, *this);
  if (model == nullptr) throw OVException(OVException::kCodeUnsupported, "no model to read");
  for (DOMElement* field : Children(ChildElement(model, "MiningSchema"), "MiningField")) {
    const std::string usage = Attribute(field, "usageType", *this);
    if (usage == "target" || usage == "predicted") target_ = Attribute(field, "name", *this);
  }
  scope_.reset(data_->Clone());
  if (DOMElement* local = ChildElement(model, "LocalTransformations")) {
    local_.reset(translator_.HandleTransformationDictionary(local, data_.get()));
    local_->SetUpDerivedCaseRecord();
    for (const std::string& name : local_->GetDerivedVarNames()) {
      scope_->AddVar(name, local_->GetVar(name)->Clone());
    }
  }
  algorithm_.reset(Reader(ElementName(model, *this))(model, this));
}

orvane_plugins::Prediction HostedModel::Score(const Inputs& inputs) const {
  Values values;
  for (const auto& input : inputs) {
    const MCOrvane_600::ScoreDictVar* var = data_->GetVar(input.first);
    if (var == nullptr) {
      throw OVException(OVException::kCodeVariableName, input.first + " is not a data field");
    }
    if (!input.second.empty()) values.Set(input.first, var->ToMyValue(input.second));
  }
  Values scope(&values);
  if (local_ != nullptr) {
    const std::unique_ptr<MCOrvane_600::CaseRecord> record = Record(*data_, values);
    local_->GetValuesForDeriedVars(record.get(), data_.get());
    for (const std::string& name : local_->GetDerivedVarNames()) {
      const ScoreValue* value = local_->GetVarValue(name);
      scope.Set(name, IsMissing(value) ? nullptr : value->Clone());
    }
  }
  orvane_plugins::Prediction prediction;
  algorithm_->Predict(scope, &prediction);
  return prediction;
}

std::string HostedModel::Text(const XMLCh* text) const { return orvane_plugins::Utf8(text); }

const MCOrvane_600::ScoreDictVar* HostedModel::Field(const std::string& name) const {
  return scope_->GetVar(name);
}

std::vector<std::string> HostedModel::TargetCategories() const {
  auto it = categories_.find(target_);
  return it == categories_.end() ? std::vector<std::string>() : it->second;
}

orvane_plugins::NestedModel* HostedModel::ReadNestedModel(DOMElement* model) {
  std::vector<std::string> outputs;
  for (DOMElement* field : Children(ChildElement(model, "Output"), "OutputField")) {
    if (Attribute(field, "feature", *this) == "predictedValue") {
      outputs.push_back(Attribute(field, "name", *this));
    }
  }
  return new Nested(Reader(ElementName(model, *this))(model, this), std::move(outputs));
}

Predicate* HostedModel::ReadPredicate(DOMElement* predicate) {
  return new HostPredicate(predicate, *this);
}

orvane_plugins::DerivedFields* HostedModel::ReadDerivedFields(
    const std::vector<DOMElement*>& fields) {
  std::vector<DOMElement*> named;
  std::vector<std::string> names;
  for (DOMElement* field : fields) {
    std::string name = Attribute(field, "name", *this);
    if (name.empty()) {  // the library reads named fields only
      name = "derived " + std::to_string(++unnamed_);
      field = static_cast<DOMElement*>(field->cloneNode(true));
      field->setAttribute(XText("name").get(), XText(name).get());
    }
    named.push_back(field);
    names.push_back(name);
  }
  return new HostDerivedFields(translator_.HandleDerivedFields(named, scope_.get()),
                               std::move(names), scope_.get());
}

}  // namespace orvane_test
