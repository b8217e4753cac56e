#include "orvane_plugins/model_translator.h"

#include <cxxabi.h>

#include <memory>
#include <ostream>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMException.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/validators/DTD/DTDEntityDecl.hpp>

#include "model_scope.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/model/base_model.h"
#include "orvane/translate/mcx_input_source.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/ov_exception.h"
#include "orvane_plugins/xml_reading.h"

namespace orvane_plugins {

using MCOrvane_600::BaseDictionary;
using MCOrvane_600::CaseRecord;
using MCOrvane_600::OVException;
using MCOrvane_600::ResultAdvice;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreModel;
using MCOrvane_600::ScoreValue;
using MCOrvane_600::TransformationDictionary;
using xercesc::DOMElement;

namespace {

// The host's input record as the top-level scope reads it.
class InputValues : public FieldValues {
 public:
  explicit InputValues(const ScoreCaseRecord* input) : input_(input) {}
  const ScoreValue* Get(const std::string& name) const override { return input_->Get(name); }

 private:
  const ScoreCaseRecord* input_;
};

ScoreModel::VarRole RoleOf(Usage usage) {
  switch (usage) {
    case Usage::kActive: return ScoreModel::kACTIVE;
    case Usage::kTarget: return ScoreModel::kTARGET;
    case Usage::kSupplementary: return ScoreModel::kSUPPLEMENTARY;
    case Usage::kGroup: return ScoreModel::kGROUP;
    case Usage::kOrder: return ScoreModel::kORDER;
    case Usage::kFrequencyWeight: return ScoreModel::kFREQUENCY_WEIGHT;
    case Usage::kAnalysisWeight: return ScoreModel::kANALYSIS_WEIGHT;
  }
  return ScoreModel::kACTIVE;
}

// The model of every shipped plug-in: the document's dictionaries (held by
// BaseModel) and the top-level model element's scope.
class PluginModel : public MCOrvane_600::BaseModel {
 public:
  // Takes ownership of `visible`, the fields the scope reads.
  explicit PluginModel(std::unique_ptr<BaseDictionary> visible) : visible_(std::move(visible)) {}

  // Takes ownership of `scope`; lays out the result dictionary.
  void SetScope(std::unique_ptr<ModelScope> scope) {
    scope_ = std::move(scope);
    // A result field whose name an earlier one took (an output field named as
    // the target) is left out: the earlier one keeps the name.
    const std::vector<ScoreDictVar*> vars = scope_->ResultVars();
    for (size_t i = 0; i < vars.size(); ++i) {
      std::unique_ptr<ScoreDictVar> var(vars[i]);
      if (!result_dict_.AddVar(var->GetName(), var.get())) continue;
      result_names_.push_back(var.release()->GetName());
      result_slots_.push_back(i);
    }
  }

  bool SetScoringOption(const std::string&, const std::string&) override { return false; }
  std::string GetModelType() const override { return scope_->type(); }
  const ScoreDictionary* GetResultDictionary() const override { return &result_dict_; }

  ScoreCaseRecord* CreateResultRecord() const override {
    auto* record = new CaseRecord();
    for (const std::string& name : result_names_) record->Add(name, nullptr);
    return record;
  }

  bool Score(const ScoreCaseRecord* input, ScoreCaseRecord* result,
             std::vector<ResultAdvice>* advice) override {
    if (input == nullptr || result == nullptr) return false;
    InputValues values(input);
    Prediction prediction;
    scope_->Predict(values, &prediction, nullptr);
    const auto& results = scope_->ResultValues();
    for (size_t i = 0; i < result_names_.size(); ++i) {
      const ScoreValue* value = results[result_slots_[i]].get();
      result->Add(result_names_[i], value == nullptr ? nullptr : value->Clone());
    }
    if (advice != nullptr) *advice = std::move(prediction.advice);
    return true;
  }

  void Display(std::ostream& os) const override {
    os << "Model type: " << scope_->type() << "\n";
    os << "Target: " << (scope_->target_name().empty() ? "(none)" : scope_->target_name())
       << "\n";
    os << "Result fields:";
    for (const std::string& name : result_names_) os << " " << name;
    os << "\n";
  }

 private:
  std::unique_ptr<BaseDictionary> visible_;
  std::unique_ptr<ModelScope> scope_;
  OrderedDictionary result_dict_;
  std::vector<std::string> result_names_;
  std::vector<size_t> result_slots_;  // each result name's index in the scope's results
};

bool IsDocumentPart(const std::string& tag) {
  return tag == "Header" || tag == "MiningBuildTask" || tag == "DataDictionary" ||
         tag == "TransformationDictionary" || tag == "Extension";
}

class ModelTranslator : public MCOrvane_600::PMMLTranslator {
 public:
  ModelTranslator(std::string type, ReadModelAlgorithmFn reader)
      : PMMLTranslator(kDocumentCodePage), type_(std::move(type)), reader_(reader) {
    MCOrvane_600::PMMLReadOptions options;
    options.standardPMML = true;
    SetReadOptions(options);
  }

  using PMMLTranslator::ParseFromTree;
  ScoreModel* ParseFromTree(xercesc::DOMDocument* document, const std::string&) override {
    DOMElement* root = document == nullptr ? nullptr : document->getDocumentElement();
    if (root == nullptr || TagOf(root) != "PMML") {
      throw OVException(OVException::kCodeUnsupported,
                        type_ + ": only PMML documents are read by the shipped plug-ins");
    }
    DOMElement* model_element = nullptr;
    for (DOMElement* child : ChildElements(root)) {
      if (!IsDocumentPart(TagOf(child))) {
        model_element = child;
        break;
      }
    }
    if (model_element == nullptr) {
      throw OVException(OVException::kCodeAbsent, "PMML: no model element");
    }
    std::unique_ptr<ScoreDictionary> data(ParseDictionary(FirstChild(root, "DataDictionary")));
    if (data == nullptr) throw OVException(OVException::kCodeAbsent, "PMML: no DataDictionary");
    std::unique_ptr<TransformationDictionary> global;
    DOMElement* transformations = FirstChild(root, "TransformationDictionary");
    if (transformations != nullptr && !ChildElements(transformations, "DerivedField").empty()) {
      global.reset(HandleTransformationDictionary(transformations, data.get()));
      if (global != nullptr) global->SetUpDerivedCaseRecord();
    }
    // The fields the model element sees: the data fields, then the derived.
    auto visible = std::make_unique<BaseDictionary>();
    for (ScoreDictVar* var : data->GetScoreDictVars()) {
      visible->AddVar(var->GetName(), var->Clone());
    }
    if (global != nullptr) {
      for (const std::string& name : global->GetDerivedVarNames()) {
        if (const ScoreDictVar* var = global->GetVar(name)) visible->AddVar(name, var->Clone());
      }
    }
    const ScoreDictionary* visible_view = visible.get();
    auto model = std::make_unique<PluginModel>(std::move(visible));
    ScoreDictionary* data_view = data.get();
    TransformationDictionary* global_view = global.get();
    model->SetScoreDictionary(data.release());
    if (global_view != nullptr) model->SetTransformationScoreDictionary(global.release());
    std::unique_ptr<ModelScope> scope =
        ModelScope::Read(model_element, visible_view, this,
                         TagOf(model_element) == type_ ? reader_ : nullptr, global_view, data_view);
    for (const auto& role : scope->roles()) model->SetVarRole(role.first, RoleOf(role.second));
    model->SetScope(std::move(scope));
    return model.release();
  }

 private:
  std::string type_;
  ReadModelAlgorithmFn reader_;
};

// A document parser that reads nothing outside the document and stops at the
// first fatal error or at an entity whose text or expansions run away: the
// same bounds as the library's own parsers.
class GuardedParser : public xercesc::XercesDOMParser {
 public:
  struct EntityTooLong {};
  static constexpr XMLSize_t kEntityExpansionLimit = 10000;
  static constexpr XMLSize_t kEntityLengthLimit = 4096;

  GuardedParser() {
    security_.setEntityExpansionLimit(kEntityExpansionLimit);
    setLoadExternalDTD(false);
    setValidationScheme(Val_Never);
    setDisableDefaultEntityResolution(true);
    setCreateEntityReferenceNodes(false);
    setSecurityManager(&security_);
    setErrorHandler(&stop_on_fatal_error_);
  }
  void entityDecl(const xercesc::DTDEntityDecl& decl, const bool is_pe, const bool ignored) override {
    if (decl.getValueLen() > kEntityLengthLimit) throw EntityTooLong();
    XercesDOMParser::entityDecl(decl, is_pe, ignored);
  }

 private:
  xercesc::SecurityManager security_;
  xercesc::HandlerBase stop_on_fatal_error_;
};

// The translator of a model type whose documents the factory hands over as a
// stream, without the parser library initialised and without destroying the
// translator afterwards. It holds nothing of Xerces: each read initialises the
// platform, parses, reads the tree with a ModelTranslator of its own and
// terminates the platform again, every Xerces object gone first.
class StreamTranslator : public MCOrvane_600::BaseTranslator {
 public:
  StreamTranslator(std::string type, ReadModelAlgorithmFn reader)
      : type_(std::move(type)), reader_(reader) {}

  using BaseTranslator::ParseFromTree;
  ScoreModel* ParseFromTree(xercesc::DOMDocument* document, const std::string& arg) override {
    ModelTranslator translator(type_, reader_);
    return translator.ParseFromTree(document, arg);
  }
  ScoreModel* ParseFromTree(std::istream& in, const std::string& arg) override {
    return ParseFromTree(in, arg, std::string());
  }
  ScoreModel* ParseFromTree(std::istream& in, const std::string& arg,
                            const std::string&) override {
    Platform platform;
    // A Xerces exception's text lives in the platform: copied out here, and
    // the OVException thrown once every Xerces object is gone.
    std::string failure;
    try {
      GuardedParser parser;
      try {
        const MCXML_600::MCXInputSource source(in);
        parser.parse(source);
      } catch (const xercesc::XMLException& e) {
        throw OVException(OVException::kCodeSemantic, Utf8(e.getMessage()));
      } catch (const xercesc::DOMException& e) {
        throw OVException(OVException::kCodeSemantic, Utf8(e.getMessage()));
      } catch (abi::__forced_unwind&) {
        throw;  // thread cancellation must go on unwinding
      } catch (...) {
        throw OVException(OVException::kCodeSemantic, "Invalid XML file!!");
      }
      xercesc::DOMDocument* document = parser.getDocument();
      if (document == nullptr || document->getDocumentElement() == nullptr) {
        throw OVException(OVException::kCodeOpen,
                          "\nInvalid XML document or no dtd file avaible in current directory");
      }
      return ParseFromTree(document, arg);
    } catch (const xercesc::XMLException& e) {
      failure = Utf8(e.getMessage());
    } catch (const xercesc::DOMException& e) {
      failure = Utf8(e.getMessage());
    } catch (const xercesc::SAXException& e) {
      failure = Utf8(e.getMessage());
    }
    throw OVException(OVException::kCodeSemantic, failure);
  }

 private:
  // Initialises the Xerces platform for one read.
  struct Platform {
    Platform() { xercesc::XMLPlatformUtils::Initialize(); }
    ~Platform() { xercesc::XMLPlatformUtils::Terminate(); }
  };

  std::string type_;
  ReadModelAlgorithmFn reader_;
};

}  // namespace

MCOrvane_600::ScoreTranslator* NewStreamModelTranslator(const std::string& model_type,
                                                        ReadModelAlgorithmFn reader) {
  return new StreamTranslator(model_type, reader);
}

MCOrvane_600::ScoreTranslator* NewModelTranslator(const std::string& model_type,
                                                  ReadModelAlgorithmFn reader) {
  return new ModelTranslator(model_type, reader);
}

}  // namespace orvane_plugins
