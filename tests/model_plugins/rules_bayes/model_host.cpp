#include "model_host.h"

#include <dlfcn.h>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_test {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreValue;
using orvane_plugins::Attribute;
using orvane_plugins::ChildElement;
using orvane_plugins::ChildElements;
using orvane_plugins::Predicate;
using xercesc::DOMElement;

XercesScope::XercesScope() { xercesc::XMLPlatformUtils::Initialize(); }
XercesScope::~XercesScope() { xercesc::XMLPlatformUtils::Terminate(); }

void CaseValues::Set(const std::string& name, ScoreValue* value) { values_[name].reset(value); }

const ScoreValue* CaseValues::Get(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? nullptr : it->second.get();
}

namespace {

const char* const kModelTypes[] = {"RuleSetModel", "Scorecard", "NaiveBayesModel"};

orvane_plugins::ReadModelAlgorithmFn Reader(const std::string& type) {
  const std::string path = std::string(ORVANE_MODEL_PLUGIN_DIR) + "/" + type + "600r.so";
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);  // stays loaded
  if (library == nullptr) throw OVException(OVException::kCodeUnsupported, dlerror());
  void* symbol = dlsym(library, orvane_plugins::kReadModelAlgorithmSymbol);
  if (symbol == nullptr) throw OVException(OVException::kCodeUnsupported, path + ": no reader");
  return reinterpret_cast<orvane_plugins::ReadModelAlgorithmFn>(symbol);
}

// PMML's three-valued predicates, enough of them for these model types.
class HostPredicate : public Predicate {
 public:
  HostPredicate(DOMElement* element, const HostedModel& host) {
    kind_ = orvane_plugins::ElementName(element, host);
    if (kind_ == "SimplePredicate" || kind_ == "SimpleSetPredicate") {
      field_ = orvane_plugins::RequiredAttribute(element, "field", host);
      if (host.Field(field_) == nullptr) {
        throw OVException(OVException::kCodeVariableName, kind_ + ": field " + field_ +
                                                              " is not defined");
      }
    }
    if (kind_ == "SimplePredicate") {
      operator_ = orvane_plugins::RequiredAttribute(element, "operator", host);
      value_ = Attribute(element, "value", host);
      is_number_ = orvane_plugins::ParseNumber(value_, &number_);
    } else if (kind_ == "SimpleSetPredicate") {
      operator_ = orvane_plugins::RequiredAttribute(element, "booleanOperator", host);
      ReadArray(orvane_plugins::ElementText(ChildElement(element, "Array"), host));
    } else if (kind_ == "CompoundPredicate") {
      operator_ = orvane_plugins::RequiredAttribute(element, "booleanOperator", host);
      for (DOMElement* child : ChildElements(element)) {
        if (orvane_plugins::ElementName(child, host) == "Extension") continue;
        children_.emplace_back(new HostPredicate(child, host));
      }
    } else if (kind_ != "True" && kind_ != "False") {
      throw OVException(OVException::kCodeUnsupported, kind_ + " is not a predicate");
    }
  }

  Truth Evaluate(const orvane_plugins::FieldValues& fields) const override {
    if (kind_ == "True") return kTRUE;
    if (kind_ == "False") return kFALSE;
    if (kind_ == "CompoundPredicate") return Combine(fields);
    const ScoreValue* value = fields.Get(field_);
    const bool missing = orvane_plugins::IsMissing(value);
    if (operator_ == "isMissing") return missing ? kTRUE : kFALSE;
    if (operator_ == "isNotMissing") return missing ? kFALSE : kTRUE;
    if (missing) return kUNKNOWN;
    if (kind_ == "SimpleSetPredicate") {
      bool in = false;
      for (const std::string& entry : set_) in = in || Equal(value, entry);
      return (in == (operator_ == "isIn")) ? kTRUE : kFALSE;
    }
    int order = 0;
    if (value->GetType() == ScoreValue::kNUMERIC_VALUE && is_number_) {
      const double x = value->GetDouble();
      order = x < number_ ? -1 : (x > number_ ? 1 : 0);
    } else {
      order = value->GetString().compare(value_);
      order = order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    bool result = false;
    if (operator_ == "equal") result = order == 0;
    else if (operator_ == "notEqual") result = order != 0;
    else if (operator_ == "lessThan") result = order < 0;
    else if (operator_ == "lessOrEqual") result = order <= 0;
    else if (operator_ == "greaterThan") result = order > 0;
    else if (operator_ == "greaterOrEqual") result = order >= 0;
    return result ? kTRUE : kFALSE;
  }

 private:
  Truth Combine(const orvane_plugins::FieldValues& fields) const {
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

  static bool Equal(const ScoreValue* value, const std::string& text) {
    double number = 0.0;
    if (value->GetType() == ScoreValue::kNUMERIC_VALUE &&
        orvane_plugins::ParseNumber(text, &number)) {
      return value->GetDouble() == number;
    }
    return value->GetString() == text;
  }

  // Blank-separated entries, each maybe in double quotes.
  void ReadArray(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size()) {
      while (pos < text.size() && text[pos] == ' ') ++pos;
      if (pos == text.size()) break;
      std::string entry;
      if (text[pos] == '"') {
        size_t end = text.find('"', pos + 1);
        if (end == std::string::npos) end = text.size();
        entry = text.substr(pos + 1, end - pos - 1);
        pos = end + 1;
      } else {
        size_t end = text.find(' ', pos);
        if (end == std::string::npos) end = text.size();
        entry = text.substr(pos, end - pos);
        pos = end;
      }
      set_.push_back(entry);
    }
  }

  std::string kind_;
  std::string field_;
  std::string operator_;
  std::string value_;
  double number_ = 0.0;
  bool is_number_ = false;
  std::vector<std::string> set_;
  std::vector<std::unique_ptr<HostPredicate>> children_;
};

// DerivedFields read by the library's transformation reader as a
// TransformationDictionary of their own over the data dictionary.
class HostDerivedFields : public orvane_plugins::DerivedFields {
 public:
  HostDerivedFields(MCOrvane_600::TransformationDictionary* transformations,
                    std::vector<std::string> names, const MCOrvane_600::ScoreDictionary* data)
      : transformations_(transformations), names_(std::move(names)), data_(data) {
    transformations_->SetUpDerivedCaseRecord();
  }

  void Compute(const orvane_plugins::FieldValues& fields,
               std::vector<const ScoreValue*>* values) const override {
    record_ = std::make_unique<MCOrvane_600::CaseRecord>();
    for (MCOrvane_600::ScoreDictVar* var : data_->GetScoreDictVars()) {
      const ScoreValue* value = fields.Get(var->GetName());
      if (value != nullptr) record_->Add(var->GetName(), value->Clone());
    }
    transformations_->GetValuesForDeriedVars(record_.get(), data_);
    values->clear();
    for (const std::string& name : names_) {
      const ScoreValue* value = transformations_->GetVarValue(name);
      values->push_back(orvane_plugins::IsMissing(value) ? nullptr : value);
    }
  }

 private:
  std::unique_ptr<MCOrvane_600::TransformationDictionary> transformations_;
  std::vector<std::string> names_;
  const MCOrvane_600::ScoreDictionary* data_;
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

std::unique_ptr<HostedModel> HostedModel::FromText(const std::string& text) {
  std::unique_ptr<HostedModel> model(new HostedModel());
  model->parser_ = std::make_unique<xercesc::XercesDOMParser>();
  model->parser_->setLoadExternalDTD(false);
  xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(text.data()), text.size(),
                                    "inline");
  model->parser_->parse(source);
  model->Load();
  return model;
}

std::unique_ptr<HostedModel> HostedModel::FromFile(const std::string& path) {
  std::unique_ptr<HostedModel> model(new HostedModel());
  model->parser_ = std::make_unique<xercesc::XercesDOMParser>();
  model->parser_->setLoadExternalDTD(false);
  model->parser_->parse(path.c_str());
  model->Load();
  return model;
}

HostedModel::~HostedModel() = default;

void HostedModel::Load() {
  if (parser_->getDocument() == nullptr || parser_->getDocument()->getDocumentElement() == nullptr) {
    throw OVException(OVException::kCodeOpen, "not a document");
  }
  DOMElement* root = parser_->getDocument()->getDocumentElement();
  DOMElement* data = ChildElement(root, "DataDictionary");
  MCOrvane_600::PMMLTranslator translator;
  MCOrvane_600::PMMLReadOptions options;
  options.standardPMML = true;
  translator.SetReadOptions(options);
  dictionary_.reset(translator.ParseDictionary(data));
  for (DOMElement* field : ChildElements(data, "DataField")) {
    std::vector<std::string>& values = categories_[Attribute(field, "name", *this)];
    for (DOMElement* value : ChildElements(field, "Value")) {
      const std::string property = Attribute(value, "property", *this);
      if (property.empty() || property == "valid") values.push_back(Attribute(value, "value", *this));
    }
  }
  DOMElement* model = nullptr;
  std::string type;
  for (const char* known : kModelTypes) {
    if (model == nullptr && (model = ChildElement(root, known)) != nullptr) type = known;
  }
  if (model == nullptr) throw OVException(OVException::kCodeUnsupported, "no model of these types");
  for (DOMElement* field : ChildElements(ChildElement(model, "MiningSchema"), "MiningField")) {
    const std::string usage = Attribute(field, "usageType", *this);
    if (usage == "target" || usage == "predicted") target_ = Attribute(field, "name", *this);
  }
  if (DOMElement* output = ChildElement(model, "Output")) {
    for (DOMElement* field : ChildElements(output, "OutputField")) {
      std::string feature = Attribute(field, "feature", *this);
      if (feature == "probability") feature += ":" + Attribute(field, "value", *this);
      outputs_[Attribute(field, "name", *this)] = feature;
    }
  }
  algorithm_.reset(Reader(type)(model, this));
}

ScoreValue* HostedModel::Parse(const std::string& field, const std::string& text) const {
  const MCOrvane_600::ScoreDictVar* var = Field(field);
  if (var == nullptr || text.empty()) return nullptr;
  return var->ToMyValue(text);
}

std::string HostedModel::Text(const XMLCh* text) const {
  xercesc::TranscodeToStr utf8(text, "UTF-8");
  return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
}

const MCOrvane_600::ScoreDictVar* HostedModel::Field(const std::string& name) const {
  return dictionary_->GetVar(name);
}

std::vector<std::string> HostedModel::TargetCategories() const {
  auto it = categories_.find(target_);
  return it == categories_.end() ? std::vector<std::string>() : it->second;
}

orvane_plugins::NestedModel* HostedModel::ReadNestedModel(DOMElement*) {
  throw OVException(OVException::kCodeUnsupported, "no nested models here");
}

Predicate* HostedModel::ReadPredicate(DOMElement* predicate) {
  return new HostPredicate(predicate, *this);
}

orvane_plugins::DerivedFields* HostedModel::ReadDerivedFields(
    const std::vector<DOMElement*>& fields) {
  xercesc::DOMDocument* document = parser_->getDocument();
  DOMElement* holder = document->createElement(XText("TransformationDictionary").get());
  std::vector<std::string> names;
  for (DOMElement* field : fields) {
    auto* copy = static_cast<DOMElement*>(field->cloneNode(true));
    std::string name = Attribute(copy, "name", *this);
    if (name.empty()) {
      name = "derived " + std::to_string(++derived_count_);
      copy->setAttribute(XText("name").get(), XText(name).get());
    }
    names.push_back(name);
    holder->appendChild(copy);
  }
  MCOrvane_600::PMMLTranslator translator;
  MCOrvane_600::PMMLReadOptions options;
  options.standardPMML = true;
  translator.SetReadOptions(options);
  return new HostDerivedFields(translator.HandleTransformationDictionary(holder, dictionary_.get()),
                               std::move(names), dictionary_.get());
}

}  // namespace orvane_test
