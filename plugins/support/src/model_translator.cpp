#include "orvane_plugins/model_translator.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <typeinfo>

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
#include "orvane/dictionary/case_record_access.h"
#include "orvane/model/base_model.h"
#include "orvane/translate/mcx_input_source.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/field_reading.h"
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

using Entry = ScoreValue* const*;

// Where the host's records keep the top-level scope's fields: for each
// record layout seen, the entry of each field's name, found on first use.
// A layout stamp is never handed out twice, so a row found under a record's
// stamp holds that very record's entries. A host that fills one record case
// after case needs one row; one that cycles over many filled records gets
// more rows (up to kMaxRows) whenever a record comes back whose row was
// pushed out; records used once (a new record a case) never grow the table.
class RecordPlaces {
 public:
  // `width`: the number of fields (slots) a row holds.
  explicit RecordPlaces(size_t width) : width_(width) {}

  // The row of the record with layout `stamp`; its entries are null until
  // found. Null when rows hold no fields.
  Entry* Row(std::uint64_t stamp) {
    if (width_ == 0) return nullptr;
    if (stamps_.empty()) Resize(kFirstRows);
    size_t i = Index(stamp, stamps_.size());
    if (stamps_[i] == stamp) return &entries_[i * width_];
    if (stamps_[i] != 0) {
      if (pushed_out_.empty()) pushed_out_.assign(kMaxRows, 0);
      std::uint64_t& gone = pushed_out_[Index(stamp, kMaxRows)];
      if (gone == stamp && stamps_.size() < kMaxRows) {
        Resize(2 * stamps_.size());
        i = Index(stamp, stamps_.size());
      }
      if (stamps_[i] != 0) pushed_out_[Index(stamps_[i], kMaxRows)] = stamps_[i];
    }
    stamps_[i] = stamp;
    Entry* row = &entries_[i * width_];
    std::fill(row, row + width_, nullptr);
    return row;
  }

 private:
  static constexpr size_t kFirstRows = 8;
  static constexpr size_t kMaxRows = 4096;

  // Fibonacci hashing spreads the stamps of records made one after another;
  // `size` is a power of two.
  static size_t Index(std::uint64_t stamp, size_t size) {
    return static_cast<size_t>((stamp * 0x9E3779B97F4A7C15ull) >> 40) & (size - 1);
  }
  // Rows move to the new table; a row that meets another there is dropped
  // (found again when its record comes back).
  void Resize(size_t count) {
    std::vector<std::uint64_t> stamps(std::move(stamps_));
    std::vector<Entry> entries(std::move(entries_));
    stamps_.assign(count, 0);
    entries_.assign(count * width_, nullptr);
    for (size_t r = 0; r < stamps.size(); ++r) {
      if (stamps[r] == 0) continue;
      const size_t i = Index(stamps[r], count);
      stamps_[i] = stamps[r];
      std::copy(&entries[r * width_], &entries[r * width_] + width_, &entries_[i * width_]);
    }
  }

  size_t width_;
  std::vector<std::uint64_t> stamps_;      // each row's record layout; 0: empty
  std::vector<Entry> entries_;             // row i: entries_[i * width_ ...]
  std::vector<std::uint64_t> pushed_out_;  // stamps whose rows were pushed out, by hash
};

// The place of a name the record does not have: no value.
ScoreValue* const kNoValue = nullptr;

// The host's input record as the top-level scope reads it: slot i is the
// scope's field i. A record of the library's own class is read through its
// entries (`row`), any other by name.
class InputValues : public FieldValues {
 public:
  InputValues(const ScoreCaseRecord* input, const CaseRecord* own, Entry* row, size_t width)
      : input_(input), own_(own), row_(row), width_(width) {
    if (row_ != nullptr) {
      direct_.entries = row_;
      direct_.count = width_;
    }
  }
  const ScoreValue* Get(const std::string& name) const override { return input_->Get(name); }
  const ScoreValue* AtSlot(int slot, const std::string& name) const override {
    if (row_ == nullptr || slot < 0 || static_cast<size_t>(slot) >= width_) return Get(name);
    Entry& entry = row_[slot];
    if (entry == nullptr) {
      entry = MCOrvane_600::internal::CaseRecordAccess::Entry(*own_, name);
      if (entry == nullptr) entry = &kNoValue;
    }
    return *entry;
  }

 private:
  const ScoreCaseRecord* input_;
  const CaseRecord* own_;  // input_ when it is a CaseRecord itself, else null
  Entry* row_;             // null: read by name
  size_t width_;
};

// Puts `value` (lent; null: missing) into the host's `record` under `name`.
// A value there of the same kind is changed in place, so that a record
// scored case after case allocates nothing; otherwise the record gets a copy.
void PutResult(const std::string& name, const ScoreValue* value, ScoreCaseRecord* record) {
  if (value == nullptr) {
    record->Add(name, nullptr);
    return;
  }
  if (value->GetType() == ScoreValue::kNUMERIC_VALUE) {
    if (record->SetValue(name, value->GetDouble())) return;
  } else if (value->GetType() == ScoreValue::kSTRING_VALUE) {
    // In place only where the kept length stays the text's own.
    const int length = static_cast<const MCOrvane_600::StringValue*>(value)->GetLength();
    const ScoreValue* old = record->Get(name);
    if (old != nullptr && old->GetType() == ScoreValue::kSTRING_VALUE &&
        static_cast<const MCOrvane_600::StringValue*>(old)->GetLength() == length) {
      const std::string text = value->GetString();
      if (length == static_cast<int>(text.size()) && record->SetValue(name, text)) return;
    }
  }
  record->Add(name, value->Clone());
}

// The result record a plug-in model hands out. It remembers the values it
// got from the model's last case, so that the next case changes them in
// place without looking names up; anything else that changes the record
// makes it forget them. Not to be assigned to as a CaseRecord.
class ResultRecord final : public CaseRecord {
 public:
  // `model` (lent) is the model whose results `names` are.
  ResultRecord(const void* model, const std::vector<std::string>& names)
      : model_(model),
        kept_(names.size(), nullptr),
        kept_numbers_(names.size(), nullptr),
        stamps_(names.size(), 0) {
    for (const std::string& name : names) CaseRecord::Add(name, nullptr);
  }
  ResultRecord(const ResultRecord&) = delete;
  ResultRecord& operator=(const ResultRecord&) = delete;

  void Add(const std::string& name, ScoreValue* value) override {
    known_ = false;
    CaseRecord::Add(name, value);
  }
  bool SetValue(const std::string& name, const std::string& text) override {
    known_ = false;
    return CaseRecord::SetValue(name, text);
  }
  bool SetValue(const std::string& name, double x, ScoreDictVar::DateTimeType type) override {
    known_ = false;
    return CaseRecord::SetValue(name, x, type);
  }
  bool SetValue(const std::string& name, double x) override {
    known_ = false;
    return CaseRecord::SetValue(name, x);
  }
  void Remove(const std::string& name) override {
    known_ = false;
    CaseRecord::Remove(name);
  }

  bool IsOf(const void* model) const { return model == model_; }
  // False once anything but Put changed the record.
  bool known() const { return known_; }

  // Result `i`, named `name`, becomes `value` (lent; null: missing). The
  // value kept for it, a number or a text this record made, changes in place;
  // a text copied under the model's same `stamp` (ModelScope::ResultStamp)
  // is not copied again.
  void Put(size_t i, const std::string& name, const ScoreValue* value,
           std::uint64_t stamp = 0) {
    ScoreValue*& kept = kept_[i];
    if (value == nullptr) {
      if (kept != nullptr) CaseRecord::Add(name, nullptr);
      Keep(i, nullptr);
      return;
    }
    // A stamp is kept only with a text of this record's, copied under it.
    if (stamp != 0 && stamps_[i] == stamp) return;
    const auto* text = IsExactly<MCOrvane_600::StringValue>(*value)
                           ? static_cast<const MCOrvane_600::StringValue*>(value)
                           : nullptr;
    if (text != nullptr && kept != nullptr && IsExactly<MCOrvane_600::StringValue>(*kept)) {
      // The library's text into the record's own: copied without a call.
      stamps_[i] = stamp;
      auto* own = static_cast<MCOrvane_600::StringValue*>(kept);
      own->SetString(text->GetText());
      own->SetLength(text->GetLength());
      return;
    }
    const ScoreValue::ValueType type = value->GetType();
    if (kept != nullptr && kept->GetType() == type) {
      if (type == ScoreValue::kNUMERIC_VALUE) {
        static_cast<MCOrvane_600::NumericValue*>(kept)->SetDoubleValue(value->GetDouble());
        return;
      }
      if (type == ScoreValue::kSTRING_VALUE) {
        stamps_[i] = stamp;
        const auto* text = static_cast<const MCOrvane_600::StringValue*>(value);
        auto* own = static_cast<MCOrvane_600::StringValue*>(kept);
        const std::string* lent = TextOf(text);
        own->SetString(lent != nullptr ? *lent : text->GetString());
        own->SetLength(text->GetLength());
        return;
      }
    }
    Keep(i, value->Clone());
    if (type == ScoreValue::kSTRING_VALUE) stamps_[i] = stamp;
    CaseRecord::Add(name, kept);
  }
  // Result `i`, named `name`, becomes the number `x`, which `value` (lent)
  // holds as a plain NumericValue; changed in place without a call when the
  // value kept for it is one too.
  void PutNumber(size_t i, const std::string& name, const ScoreValue* value, double x) {
    if (kept_numbers_[i] != nullptr) {
      kept_numbers_[i]->SetDoubleValue(x);
      return;
    }
    Put(i, name, value);
  }

  // After the record was changed by others: takes its values as they are,
  // keeping only the numbers and texts of the library's own classes.
  void Relearn(const std::vector<std::string>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
      ScoreValue* value = const_cast<ScoreValue*>(CaseRecord::Get(names[i]));
      const bool own = value != nullptr && (typeid(*value) == typeid(MCOrvane_600::NumericValue) ||
                                            typeid(*value) == typeid(MCOrvane_600::StringValue));
      Keep(i, own ? value : nullptr);
      if (value != nullptr && !own) CaseRecord::Add(names[i], nullptr);
    }
    known_ = true;
  }

 private:
  void Keep(size_t i, ScoreValue* value) {
    kept_[i] = value;
    stamps_[i] = 0;
    kept_numbers_[i] = value != nullptr && typeid(*value) == typeid(MCOrvane_600::NumericValue)
                           ? static_cast<MCOrvane_600::NumericValue*>(value)
                           : nullptr;
  }

  const void* model_;
  std::vector<ScoreValue*> kept_;  // lent from the record's own values
  // kept_[i] (lent likewise) when it is a plain NumericValue, else null.
  std::vector<MCOrvane_600::NumericValue*> kept_numbers_;
  std::vector<std::uint64_t> stamps_;  // the stamp each kept text was copied under; 0: none
  bool known_ = true;
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
  // Takes ownership of `visible`, the fields the scope reads (null when they
  // are the data dictionary's).
  explicit PluginModel(std::unique_ptr<BaseDictionary> visible) : visible_(std::move(visible)) {}

  // Takes ownership of `scope`; lays out the result dictionary.
  void SetScope(std::unique_ptr<ModelScope> scope) {
    scope_ = std::move(scope);
    places_.reset(new RecordPlaces(scope_->visible_count()));
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
    return new ResultRecord(this, result_names_);
  }

  bool Score(const ScoreCaseRecord* input, ScoreCaseRecord* result,
             std::vector<ResultAdvice>* advice) override {
    if (input == nullptr || result == nullptr) return false;
    // Only the library's own class keeps its values where its entries say: a
    // subclass may answer Get differently.
    const CaseRecord* own_input =
        IsExactly<CaseRecord>(*input) ? static_cast<const CaseRecord*>(input) : nullptr;
    Entry* row = own_input == nullptr
                     ? nullptr
                     : places_->Row(MCOrvane_600::internal::CaseRecordAccess::Layout(*own_input));
    InputValues values(input, own_input, row, scope_->visible_count());
    scope_->Predict(values, &prediction_, nullptr);
    const auto& results = scope_->ResultValues();
    // The record's class is final here: a comparison of types finds it.
    auto* own = IsExactly<ResultRecord>(*result) ? static_cast<ResultRecord*>(result)
                                                        : nullptr;
    if (own != nullptr && own->IsOf(this)) {
      if (!own->known()) own->Relearn(result_names_);
      const ModelScope& scope = *scope_;
      const size_t* slots = result_slots_.data();
      const size_t count = result_slots_.size();
      for (size_t i = 0; i < count; ++i) {
        const size_t slot = slots[i];
        double x = 0.0;
        if (scope.ResultNumber(slot, &x)) {
          own->PutNumber(i, result_names_[i], results[slot], x);
        } else {
          own->Put(i, result_names_[i], results[slot], scope.ResultStamp(slot));
        }
      }
    } else {
      for (size_t i = 0; i < result_names_.size(); ++i) {
        PutResult(result_names_[i], results[result_slots_[i]], result);
      }
    }
    // Most cases have no advice, and the caller's list holds none from before.
    if (advice != nullptr && !(advice->empty() && prediction_.advice.empty())) {
      advice->assign(prediction_.advice.begin(), prediction_.advice.end());
    }
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
  Prediction prediction_;  // the last case's; kept for the room of its lists
  std::unique_ptr<RecordPlaces> places_;  // of the host's records, found while scoring
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
    // Without derived fields, the data dictionary itself: the global ones are
    // computed over it already, so the model relies on it either way.
    std::unique_ptr<BaseDictionary> visible;
    if (global != nullptr) {
      visible = std::make_unique<BaseDictionary>();
      for (ScoreDictVar* var : data->GetScoreDictVars()) {
        visible->AddVar(var->GetName(), var->Clone());
      }
      for (const std::string& name : global->GetDerivedVarNames()) {
        if (const ScoreDictVar* var = global->GetVar(name)) visible->AddVar(name, var->Clone());
      }
    }
    const ScoreDictionary* visible_view = visible != nullptr ? visible.get() : data.get();
    auto model = std::make_unique<PluginModel>(std::move(visible));
    ScoreDictionary* data_view = data.get();
    TransformationDictionary* global_view = global.get();
    model->SetScoreDictionary(data.release());
    if (global_view != nullptr) model->SetTransformationScoreDictionary(global.release());
    std::unique_ptr<ModelScope> scope =
        ModelScope::Read(model_element, visible_view, this,
                         TagOf(model_element) == type_ ? reader_ : nullptr, global_view, data_view,
                         nullptr);
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
