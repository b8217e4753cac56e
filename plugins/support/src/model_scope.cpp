#include "model_scope.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <sstream>
#include <typeinfo>
#include <unordered_map>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/field_reading.h"
#include "orvane_plugins/plugin_directory.h"
#include "orvane_plugins/predicate.h"
#include "orvane_plugins/xml_reading.h"

namespace orvane_plugins {

using MCOrvane_600::BaseDictionary;
using MCOrvane_600::CaseRecord;
using MCOrvane_600::DictVar;
using MCOrvane_600::NumericValue;
using MCOrvane_600::OVException;
using MCOrvane_600::ResultAdvice;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreValue;
using MCOrvane_600::StringValue;
using MCOrvane_600::TransformationDictionary;
using xercesc::DOMElement;

// The text of a result that is a number.
const std::string kNoText;

// Advice numbers of the machinery.
constexpr int kAdviceScoreMissing = 103;
constexpr int kAdviceInvalid = 105;
constexpr int kAdviceMissing = 106;
constexpr int kAdviceOutlier = 109;
constexpr int kAdviceReplaced = 110;

bool OrderedDictionary::AddVar(const std::string& name, ScoreDictVar* var) {
  if (!BaseDictionary::AddVar(name, var)) return false;
  order_.push_back(name);
  return true;
}

bool OrderedDictionary::RemoveVar(const std::string& name) {
  if (!BaseDictionary::RemoveVar(name)) return false;
  order_.erase(std::remove(order_.begin(), order_.end(), name), order_.end());
  return true;
}

std::vector<ScoreDictVar*> OrderedDictionary::GetScoreDictVars() const {
  std::vector<ScoreDictVar*> out;
  for (const std::string& name : order_) {
    out.push_back(const_cast<ScoreDictVar*>(GetVar(name)));
  }
  return out;
}

enum class Invalid { kReturnInvalid, kAsIs, kAsMissing, kAsValue };
// How a field's values are checked: through its variable, or, for a library
// variable without categories, by the value's kind and the variable's
// missing-value ranges read once (what the variable would answer).
// A categorical text variable of the library (kCategories) is checked
// through its variable, except that a text spelling one of its categories
// byte for byte is valid without asking it.
enum class Check { kByVariable, kNumber, kDateTime, kText, kCategories };
enum class Outliers { kAsIs, kAsMissing, kAsExtreme };

struct ModelScope::MiningField {
  std::string name;
  const ScoreDictVar* var = nullptr;  // lent, from the visible fields
  Usage usage = Usage::kActive;
  std::unique_ptr<ScoreValue> missing_replacement;
  bool missing_returns_invalid = false;
  Invalid invalid = Invalid::kReturnInvalid;
  std::unique_ptr<ScoreValue> invalid_replacement;
  Outliers outliers = Outliers::kAsIs;
  double low = 0.0;
  double high = 0.0;
  std::unique_ptr<ScoreValue> low_value;  // what asExtremeValues puts in
  std::unique_ptr<ScoreValue> high_value;
  int slot = -1;  // the field's slot in the scope's values
  Check check = Check::kByVariable;
  std::vector<const MCOrvane_600::ScoreValueRange*> missing_ranges;  // lent by `var`
  // The same ranges as plain numbers, when every one is a library range of
  // two numbers (else empty): what Range::IsInRange answers for a number.
  struct NumberRange {
    double min;
    double max;
    bool min_missing;  // an end that is the system-missing value holds nothing
    bool max_missing;
    bool low_included;
    bool high_included;
  };
  std::vector<NumberRange> number_ranges;
  // kCategories: the texts of the categories that are library texts, in the
  // order read, and their positions there in an open-addressed table (the
  // first of equal texts only). A table entry keeps its text's length and the
  // words that Spell gives, which are the whole text up to 16 bytes: most
  // texts are told apart without reading them.
  std::vector<std::string> categories;
  struct CategoryKey {
    std::uint64_t head;
    std::uint64_t tail;
    std::size_t size;
    int k;  // -1: an empty entry
  };
  std::vector<CategoryKey> category_table;  // a power of two long

  // Two words that hold the `n` bytes at `text` when n <= 16 (the first and
  // the last eight, four, or the bytes one by one), read without passing
  // the end.
  static CategoryKey Spell(const char* text, std::size_t n) {
    auto load = [text](std::size_t at, std::size_t bytes) {
      std::uint64_t w = 0;
      std::memcpy(&w, text + at, bytes);
      return w;
    };
    if (n >= 8) return {load(0, 8), load(n - 8, 8), n, 0};
    if (n >= 4) return {load(0, 4), load(n - 4, 4), n, 0};
    if (n == 0) return {0, 0, 0, 0};
    const auto byte = [text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    return {byte(0) | std::uint64_t{byte(n / 2)} << 8, byte(n - 1), n, 0};
  }
  static std::size_t Slot(const CategoryKey& key, std::size_t mask) {
    const std::uint64_t h = (key.head * 0x9E3779B97F4A7C15ull) ^
                            (key.tail * 0xC2B2AE3D27D4EB4Full) ^ key.size;
    return static_cast<std::size_t>(h ^ (h >> 29)) & mask;
  }
  void AddCategoryText(const std::string& text) {
    const bool repeat = CategoryOf(text) >= 0;  // the first keeps the place
    categories.push_back(text);
    if (repeat) return;
    if (2 * categories.size() > category_table.size()) {
      size_t size = 16;
      while (size < 4 * categories.size()) size *= 2;
      category_table.assign(size, {0, 0, 0, -1});
      for (size_t k = 0; k < categories.size(); ++k) {
        if (CategoryOf(categories[k]) < 0) Place(static_cast<int>(k));
      }
    } else {
      Place(static_cast<int>(categories.size() - 1));
    }
  }
  void Place(int k) {
    CategoryKey key = Spell(categories[k].data(), categories[k].size());
    key.k = k;
    const size_t mask = category_table.size() - 1;
    size_t i = Slot(key, mask);
    while (category_table[i].k >= 0) i = (i + 1) & mask;
    category_table[i] = key;
  }
  // The position of the first category that is `text`, or -1.
  int CategoryOf(const std::string& text) const {
    if (category_table.empty()) return -1;
    const CategoryKey key = Spell(text.data(), text.size());
    const size_t mask = category_table.size() - 1;
    for (size_t i = Slot(key, mask);; i = (i + 1) & mask) {
      const CategoryKey& entry = category_table[i];
      if (entry.k < 0) return -1;
      if (Spells(entry, key, text)) return entry.k;
    }
  }
  // Whether `entry`, a category's entry, is `text`, whose key is `key`.
  bool Spells(const CategoryKey& entry, const CategoryKey& key, const std::string& text) const {
    const size_t n = text.size();
    return entry.head == key.head && entry.tail == key.tail && entry.size == n &&
           (n <= 16 ||
            std::memcmp(categories[entry.k].data() + 8, text.data() + 8, n - 16) == 0);
  }

  // Reads `missing_ranges` as numbers where they are.
  void ReadNumberRanges() {
    for (const auto* range : missing_ranges) {
      if (typeid(*range) != typeid(MCOrvane_600::Range)) return;
      const ScoreValue* min = range->GetMin();
      const ScoreValue* max = range->GetMax();
      if (min == nullptr || max == nullptr || typeid(*min) != typeid(NumericValue) ||
          typeid(*max) != typeid(NumericValue)) {
        return;
      }
    }
    number_ranges.reserve(missing_ranges.size());
    for (const auto* range : missing_ranges) {
      const double min = range->GetMin()->GetDouble();
      const double max = range->GetMax()->GetDouble();
      number_ranges.push_back({min, max, NumericValue::IsSystemMissingValue(min),
                               NumericValue::IsSystemMissingValue(max), range->GetLowEnd(),
                               range->GetHighEnd()});
    }
    FindGap();
  }

  // The widest stretch of numbers between the ranges, ends widened past the
  // equality's tolerance: a number strictly inside is in none of them.
  double gap_low = HUGE_VAL;
  double gap_high = -HUGE_VAL;
  void FindGap() {
    constexpr double kWiden = 1e-12;  // well above the equality's 2.2e-14
    std::vector<std::pair<double, double>> held;
    for (const NumberRange& r : number_ranges) {
      if (r.min_missing || r.max_missing) continue;  // holds nothing
      held.emplace_back(r.min - std::fabs(r.min) * kWiden, r.max + std::fabs(r.max) * kWiden);
    }
    std::sort(held.begin(), held.end());
    double from = -HUGE_VAL;  // where the current gap starts
    auto take = [this](double low, double high) {
      if (low < high && (gap_low > gap_high || high - low > gap_high - gap_low)) {
        gap_low = low;
        gap_high = high;
      }
    };
    for (const auto& h : held) {
      take(from, h.first);
      from = std::max(from, h.second);
    }
    take(from, HUGE_VAL);
  }

  // `x`, a number that is not the system-missing value, in `number_ranges`.
  bool InNumberRanges(double x) const {
    for (const NumberRange& r : number_ranges) {
      const bool above = !r.min_missing &&
                         (x > r.min || (r.low_included && NumericValue::IsEqual(x, r.min)));
      if (!above) continue;
      const bool below = !r.max_missing &&
                         (x < r.max || (r.high_included && NumericValue::IsEqual(x, r.max)));
      if (below) return true;
    }
    return false;
  }

  bool InMissingRange(const ScoreValue* value) const {
    double x = 0.0;
    if (!number_ranges.empty() && NumberOf(value, &x)) {
      return !NumericValue::IsSystemMissingValue(x) && InNumberRanges(x);
    }
    for (const auto* range : missing_ranges) {
      if (range->IsInRange(value)) return true;
    }
    return false;
  }

  // kNumber with a value of the library's number class: IsMissingValue, the
  // value being valid whenever it is not missing.
  bool IsMissingNumber(const ScoreValue* value) const {
    const double x = static_cast<const NumericValue*>(value)->GetNumber();
    if (NumericValue::IsSystemMissingValue(x)) return true;
    if (!number_ranges.empty()) return InNumberRanges(x);
    return InMissingRange(value);
  }

  bool IsMissingValue(const ScoreValue* value) const {
    switch (check) {
      case Check::kNumber:
      case Check::kDateTime:
        return value == nullptr || value->IsSystemMissingValue() || InMissingRange(value);
      case Check::kText:
      case Check::kCategories:
        return IsMissing(value) || InMissingRange(value);
      case Check::kByVariable:
        break;
    }
    return IsMissing(value) || var->IsMissingValue(value);
  }
  // `value` is not missing.
  bool IsValidValue(const ScoreValue* value) const {
    switch (check) {
      case Check::kNumber:
        return IsExactly<NumericValue>(*value) || var->IsValidValue(value);
      case Check::kDateTime:
      case Check::kText:
        return true;
      case Check::kCategories: {
        const std::string* text = TextOf(value);
        if (text != nullptr && CategoryOf(*text) >= 0) return true;
        break;
      }
      case Check::kByVariable:
        break;
    }
    return var->IsValidValue(value);
  }
};

struct ModelScope::PlainField {
  int slot;
  const MiningField* field;  // lent from fields_
  bool number;               // else a category
  bool ranges;               // missing values in number ranges, none of them
  double gap_low;            // strictly between these two
  double gap_high;
  // Numbers outside are outliers the MiningSchema treats (the general way).
  double low;
  double high;
  // Every number from `fast_low` to `fast_high` passes the three checks
  // above; only the others are checked in full.
  double fast_low;
  double fast_high;
  // A category's texts placed by one multiplication each, no two in one
  // entry, when such a multiplier was found at load (a few dozen texts at
  // most); else empty, and the field's own table is asked. An empty entry
  // holds k = -1.
  std::vector<MiningField::CategoryKey> direct = {};
  std::uint64_t multiplier = 0;
  unsigned shift = 0;

  // The position of the first category that is `text`, or -1.
  int CategoryOf(const std::string& text) const {
    if (direct.empty()) return field->CategoryOf(text);
    const MiningField::CategoryKey key = MiningField::Spell(text.data(), text.size());
    const MiningField::CategoryKey& entry = direct[Place(key, multiplier, shift)];
    return entry.k >= 0 && field->Spells(entry, key, text) ? entry.k : -1;
  }
  static size_t Place(const MiningField::CategoryKey& key, std::uint64_t multiplier,
                      unsigned shift) {
    const std::uint64_t mixed = key.head ^ ((key.tail << 29) | (key.tail >> 35)) ^ key.size;
    return static_cast<size_t>((mixed * multiplier) >> shift);
  }
  // Looks for a multiplier that places every text of `field` apart.
  void PlaceApart() {
    constexpr size_t kMaxTexts = 64;
    std::vector<MiningField::CategoryKey> keys;
    for (size_t k = 0; k < field->categories.size(); ++k) {
      const std::string& text = field->categories[k];
      if (field->CategoryOf(text) != static_cast<int>(k)) continue;  // a repeat
      keys.push_back(MiningField::Spell(text.data(), text.size()));
      keys.back().k = static_cast<int>(k);
    }
    if (keys.size() > kMaxTexts) return;
    static const std::uint64_t kMultipliers[] = {
        0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
        0xD6E8FEB86659FD93ull, 0xFF51AFD7ED558CCDull, 0xC4CEB9FE1A85EC53ull,
        0x94D049BB133111EBull, 0xBF58476D1CE4E5B9ull};
    unsigned bits = 1;
    while ((size_t{1} << bits) < 2 * keys.size()) ++bits;
    std::vector<MiningField::CategoryKey> entries;
    for (const unsigned last = bits + 3; bits <= last; ++bits) {
      for (const std::uint64_t m : kMultipliers) {
        entries.assign(size_t{1} << bits, {0, 0, 0, -1});
        bool apart = true;
        for (const auto& key : keys) {
          MiningField::CategoryKey& entry = entries[Place(key, m, 64 - bits)];
          apart = apart && entry.k < 0;
          entry = key;
        }
        if (!apart) continue;
        direct = std::move(entries);
        multiplier = m;
        shift = 64 - bits;
        return;
      }
    }
  }

  // `x` (not NaN) is not the system-missing value, in no missing range and
  // no outlier: what TreatInputs finds valid and leaves unchanged.
  bool Plain(double x) const {
    return !NumericValue::IsSystemMissingValue(x) &&
           !(ranges && !(x > gap_low && x < gap_high) && field->InNumberRanges(x)) &&
           !(x < low || x > high);
  }
  // Works out [fast_low, fast_high]: the stretch above the system-missing
  // value, between the outlier bounds and inside the gap between missing
  // ranges, whose ends are taken where they pass Plain themselves.
  void FindFastStretch() {
    const double inf = std::numeric_limits<double>::infinity();
    double from = std::max(low, std::nextafter(NumericValue::GetSysmisValue(), inf));
    double to = high;
    if (ranges) {
      from = std::max(from, gap_low);
      to = std::min(to, gap_high);
    }
    if (!(from <= to)) {
      fast_low = inf;
      fast_high = -inf;
      return;
    }
    if (!Plain(from)) from = std::nextafter(from, inf);
    if (!Plain(to)) to = std::nextafter(to, -inf);
    fast_low = from;
    fast_high = to;
  }
};

enum class Feature { kPredictedValue, kPredictedDisplayValue, kProbability, kEntityId, kAffinity,
                     kConfidence, kReasonCode, kExpression, kRule };

struct ModelScope::OutputDef {
  std::string name;
  Feature feature = Feature::kPredictedValue;
  bool has_value = false;
  std::string value;
  int rank = 1;
  ScoreDictVar::VariableType type = ScoreDictVar::kNUMERIC_VAR;
  bool integer = false;
  size_t rule = 0;  // kRule: index among the rule outputs
  mutable size_t hint = 0;  // kProbability, kAffinity: where the value was found last
  // kProbability of `value`: the prediction's category order in which it was
  // last found at `hint` (null: none yet).
  mutable const void* order = nullptr;
};

enum class Cast { kNone, kRound, kCeiling, kFloor };

struct ModelScope::TargetDef {
  double min = -HUGE_VAL;
  double max = HUGE_VAL;
  double factor = 1.0;
  double constant = 0.0;
  Cast cast = Cast::kNone;
  bool has_default = false;
  double default_value = 0.0;
  std::vector<std::pair<std::string, double>> priors;
  std::vector<std::pair<std::string, std::string>> display;  // value, displayValue
};

namespace {

Usage ReadUsage(const DOMElement* field) {
  const std::string usage = Attr(field, "usageType", "active");
  if (usage == "active") return Usage::kActive;
  if (usage == "target" || usage == "predicted") return Usage::kTarget;
  if (usage == "supplementary") return Usage::kSupplementary;
  if (usage == "group") return Usage::kGroup;
  if (usage == "order") return Usage::kOrder;
  if (usage == "frequencyWeight") return Usage::kFrequencyWeight;
  if (usage == "analysisWeight") return Usage::kAnalysisWeight;
  throw Unsupported(field, "usageType \"" + usage + "\" is not supported");
}

bool IsModelElement(const std::string& tag) {
  static const char* const kModels[] = {
      "AnomalyDetectionModel", "AssociationModel", "BayesianNetworkModel", "BaselineModel",
      "ClusteringModel", "GaussianProcessModel", "GeneralRegressionModel", "MiningModel",
      "NaiveBayesModel", "NearestNeighborModel", "NeuralNetwork", "RegressionModel",
      "RuleSetModel", "SequenceModel", "Scorecard", "SupportVectorMachineModel", "TextModel",
      "TimeSeriesModel", "TreeModel"};
  for (const char* m : kModels) {
    if (tag == m) return true;
  }
  return false;
}

std::string NumberText(double x) {
  std::ostringstream out;
  out.precision(17);
  out << x;
  return out.str();
}

// Puts `value` (lent, may be null) into `record` under `name`, changing the
// value there in place when it is of the same kind.
void PutValue(const std::string& name, const ScoreValue* value, CaseRecord* record) {
  if (value == nullptr) {
    if (record->Get(name) != nullptr) record->Add(name, nullptr);
    return;
  }
  if (value->GetType() == ScoreValue::kNUMERIC_VALUE &&
      record->SetValue(name, value->GetDouble())) {
    return;
  }
  record->Add(name, value->Clone());
}

// A DerivedField inside a model element may be nameless or reuse a name of
// the scope (it is reached by position, not by name): such fields are read
// from copies under names of their own.
TransformationDictionary* ReadUnderOwnNames(const std::vector<DOMElement*>& fields,
                                            const ScoreDictionary* scope,
                                            MCOrvane_600::PMMLTranslator* translator) {
  std::vector<DOMElement*> named;
  std::vector<DOMElement*> copies;
  std::vector<std::string> names;
  struct Release {
    std::vector<DOMElement*>* copies;
    ~Release() {
      for (DOMElement* copy : *copies) copy->release();
    }
  } release{&copies};
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string name = Attr(fields[i], "name");
    const bool taken = name.empty() || scope->GetVar(name) != nullptr ||
                       std::find(names.begin(), names.end(), name) != names.end();
    names.push_back(name);
    if (!taken) {
      named.push_back(fields[i]);
      continue;
    }
    auto* copy = static_cast<DOMElement*>(fields[i]->cloneNode(true));
    copies.push_back(copy);
    std::string own = "#" + std::to_string(i + 1);
    while (scope->GetVar(own) != nullptr) own.insert(0, "#");
    XMLCh* wide_name = xercesc::XMLString::transcode("name");
    XMLCh* wide_value = xercesc::XMLString::transcode(own.c_str());
    copy->setAttribute(wide_name, wide_value);
    xercesc::XMLString::release(&wide_name);
    xercesc::XMLString::release(&wide_value);
    named.push_back(copy);
  }
  return translator->HandleDerivedFields(named, scope);
}

// DerivedField elements inside a model element, computed over the fields of
// its scope with the document's expression kinds.
class ComputedFields : public DerivedFields {
 public:
  // `scope` (lent, must outlive this) holds the fields the expressions read.
  ComputedFields(const std::vector<DOMElement*>& fields, const ScoreDictionary* scope,
                 MCOrvane_600::PMMLTranslator* translator)
      : scope_(scope), dict_(ReadUnderOwnNames(fields, scope, translator)) {
    if (dict_ == nullptr) {
      throw OVException(OVException::kCodeUnsupported, "DerivedField: cannot be computed");
    }
    dict_->SetUpDerivedCaseRecord();
    for (const ScoreDictVar* var : scope->GetScoreDictVars()) {
      inputs_.push_back(var->GetName());
      work_.Add(var->GetName(), nullptr);
    }
    names_ = dict_->GetDerivedVarNames();
  }
  void Compute(const FieldValues& fields, std::vector<const ScoreValue*>* values) const override {
    for (const std::string& name : inputs_) {
      const ScoreValue* value = fields.Get(name);
      work_.Add(name, value == nullptr ? nullptr : value->Clone());
    }
    const MCOrvane_600::ScoreCaseRecord* derived = dict_->GetValuesForDeriedVars(&work_, scope_);
    values->resize(names_.size());
    for (size_t i = 0; i < names_.size(); ++i) {
      (*values)[i] = derived == nullptr ? nullptr : derived->Get(names_[i]);
    }
  }

 private:
  const ScoreDictionary* scope_;
  std::unique_ptr<TransformationDictionary> dict_;
  std::vector<std::string> inputs_;
  std::vector<std::string> names_;
  mutable CaseRecord work_;
};

ReadModelAlgorithmFn FindReader(const DOMElement* model) {
  const std::string type = TagOf(model);
  // Plug-ins stay loaded: a type's reader, once found, is asked of no loader
  // again (an ensemble reads one per segment).
  static std::mutex mutex;
  static std::unordered_map<std::string, ReadModelAlgorithmFn> found;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    const auto known = found.find(type);
    if (known != found.end()) return known->second;
  }
  const std::string folder = ShippedPluginDirectory();
  void* handle = folder.empty() ? nullptr
                                : dlopen((folder + "/" + PluginFileName(type)).c_str(), RTLD_NOW);
  void* symbol = handle == nullptr ? nullptr : dlsym(handle, kReadModelAlgorithmSymbol);
  if (symbol == nullptr) throw Unsupported(model, "no shipped plug-in scores this model type");
  const auto reader = reinterpret_cast<ReadModelAlgorithmFn>(symbol);
  const std::lock_guard<std::mutex> lock(mutex);
  found.emplace(type, reader);
  return reader;
}

}  // namespace

// What the algorithm reader may ask while one model element is read.
class ModelScope::Reader : public ReadContext {
 public:
  Reader(ModelScope* scope, MCOrvane_600::PMMLTranslator* translator)
      : scope_(scope), translator_(translator) {}
  // The translator's code page (kDocumentCodePage), as every reader uses.
  std::string Text(const XMLCh* text) const override { return Utf8(text); }
  const ScoreDictVar* Field(const std::string& name) const override {
    return scope_->inner_->GetVar(name);
  }
  int Slot(const std::string& name) const override {
    const auto found = scope_->slot_of_.find(name);
    return found == scope_->slot_of_.end() ? -1 : found->second;
  }
  std::string TargetName() const override { return scope_->target_name_; }
  std::vector<std::string> TargetCategories() const override {
    std::vector<std::string> out;
    const ScoreDictVar* target = scope_->target_var_;
    if (target == nullptr || target->GetMLevel() == ScoreDictVar::kCONTINUOUS) return out;
    if (const auto* labels = target->GetValueLabels()) {
      for (const auto* label : labels->GetAllValueLabels()) {
        if (label->GetValue() != nullptr) out.push_back(label->GetValue()->GetString());
      }
    }
    return out;
  }
  // Each nested model sees the scope's fields and the output fields of the
  // nested models read before it (a model chain passes them on).
  NestedModel* ReadNestedModel(DOMElement* model) override {
    if (scope_->nested_dict_ == nullptr) {
      scope_->nested_dict_.reset(new BaseDictionary());
      for (ScoreDictVar* var : scope_->inner_->GetScoreDictVars()) {
        scope_->nested_dict_->AddVar(var->GetName(), var->Clone());
      }
    }
    std::unique_ptr<ModelScope> nested = ModelScope::Read(
        model, scope_->nested_dict_.get(), translator_, nullptr, nullptr, nullptr, scope_);
    for (const OutputDef& def : nested->outputs_) {
      if (scope_->nested_dict_->GetVar(def.name) != nullptr) continue;
      scope_->nested_dict_->AddVar(def.name, new DictVar(def.name, def.type));
    }
    return nested.release();
  }
  Predicate* ReadPredicate(DOMElement* predicate) override {
    return ReadPredicateElement(predicate, *this).release();
  }
  DerivedFields* ReadDerivedFields(const std::vector<DOMElement*>& fields) override {
    return new ComputedFields(fields, scope_->inner_, translator_);
  }
  std::vector<RuleOutputDef> RuleOutputs() const override { return scope_->rule_outputs_; }

 private:
  ModelScope* scope_;
  MCOrvane_600::PMMLTranslator* translator_;
};

ModelScope::ModelScope() = default;
ModelScope::~ModelScope() = default;

std::unique_ptr<ModelScope> ModelScope::Read(DOMElement* model, const ScoreDictionary* visible,
                                             MCOrvane_600::PMMLTranslator* translator,
                                             ReadModelAlgorithmFn reader,
                                             TransformationDictionary* global,
                                             const ScoreDictionary* data,
                                             const ModelScope* parent) {
  std::unique_ptr<ModelScope> scope(new ModelScope());
  scope->type_ = TagOf(model);
  if (!IsModelElement(scope->type_)) throw Unsupported(model, "is not a model element");
  scope->clustering_ = Attr(model, "functionName") == "clustering";
  const bool association = Attr(model, "functionName") == "associationRules";
  if (Attr(model, "isScorable", "true") == "false") {
    throw Unsupported(model, "isScorable=\"false\": the model is not meant to be scored");
  }
  scope->visible_dict_ = visible;
  scope->parent_ = parent;
  scope->global_ = global;
  scope->data_ = data;
  for (ScoreDictVar* var : visible->GetScoreDictVars()) {
    scope->slot_of_[var->GetName()] = static_cast<int>(scope->visible_.size());
    // The top-level scope asks the host's record for field i as slot i.
    int outer_slot = static_cast<int>(scope->visible_.size());
    if (parent != nullptr) {
      const auto found = parent->slot_of_.find(var->GetName());
      outer_slot = found != parent->slot_of_.end() ? found->second : -1;
    }
    scope->outer_slots_.push_back(outer_slot);
    scope->visible_.emplace_back(var->GetName(), var);
  }

  // MiningSchema.
  DOMElement* schema = FirstChild(model, "MiningSchema");
  if (schema == nullptr) throw Fault(model, OVException::kCodeAbsent, "no MiningSchema");
  for (DOMElement* element : ChildElements(schema, "MiningField")) {
    MiningField field;
    field.name = RequiredAttr(element, "name");
    field.var = visible->GetVar(field.name);
    if (field.var == nullptr) {
      throw Fault(element, OVException::kCodeVariableName,
                  "field \"" + field.name + "\" is not defined");
    }
    field.slot = scope->slot_of_.count(field.name) != 0 ? scope->slot_of_[field.name] : -1;
    const auto* labels = field.var->GetValueLabels();
    const ScoreDictVar::MeasureLevel level = field.var->GetMLevel();
    const bool categories =
        labels != nullptr && field.var->GetVarType() == ScoreDictVar::kSTRING_VAR &&
        (level == ScoreDictVar::kNOMINAL || level == ScoreDictVar::kORDINAL);
    if (typeid(*field.var) == typeid(DictVar) && (labels == nullptr || categories)) {
      if (const auto* missing = field.var->GetMissingValues()) {
        field.missing_ranges = missing->GetMissingValues();
        field.ReadNumberRanges();
      }
      switch (field.var->GetVarType()) {
        case ScoreDictVar::kNUMERIC_VAR: field.check = Check::kNumber; break;
        case ScoreDictVar::kDATETIME_VAR: field.check = Check::kDateTime; break;
        case ScoreDictVar::kSTRING_VAR: field.check = Check::kText; break;
        default: break;
      }
      if (categories) {
        field.check = Check::kCategories;
        field.categories.reserve(labels->GetAllValueLabels().size());
        for (const auto* label : labels->GetAllValueLabels()) {
          if (const std::string* text = TextOf(label->GetValue())) {
            field.AddCategoryText(*text);
          }
        }
      }
    }
    field.usage = ReadUsage(element);
    scope->roles_.emplace_back(field.name, field.usage);
    if (field.usage == Usage::kTarget) {
      if (scope->target_name_.empty()) {
        scope->target_name_ = field.name;
        scope->target_var_ = field.var;
        scope->target_type_ = field.var->GetVarType() == ScoreDictVar::kSTRING_VAR
                                  ? ScoreDictVar::kSTRING_VAR
                                  : ScoreDictVar::kNUMERIC_VAR;
      }
      continue;
    }
    if (HasAttr(element, "missingValueReplacement")) {
      field.missing_replacement.reset(
          MakeFieldValue(field.var, Attr(element, "missingValueReplacement"), element));
    }
    const std::string missing = Attr(element, "missingValueTreatment", "asIs");
    if (missing == "returnInvalid") {
      field.missing_returns_invalid = true;
    } else if (missing != "asIs" && missing != "asMean" && missing != "asMode" &&
               missing != "asMedian" && missing != "asValue") {
      throw Unsupported(element, "missingValueTreatment \"" + missing + "\" is not supported");
    }
    // An association model's item field holds item sets, which no category
    // of the field matches: taken as they come unless the document says.
    const std::string invalid = Attr(element, "invalidValueTreatment",
                                     association ? "asIs" : "returnInvalid");
    if (invalid == "returnInvalid") {
      field.invalid = Invalid::kReturnInvalid;
    } else if (invalid == "asIs") {
      field.invalid = Invalid::kAsIs;
    } else if (invalid == "asMissing") {
      field.invalid = Invalid::kAsMissing;
    } else if (invalid == "asValue") {
      field.invalid = Invalid::kAsValue;
      field.invalid_replacement.reset(
          MakeFieldValue(field.var, RequiredAttr(element, "invalidValueReplacement"), element));
    } else {
      throw Unsupported(element, "invalidValueTreatment \"" + invalid + "\" is not supported");
    }
    const std::string outliers = Attr(element, "outliers", "asIs");
    if (outliers == "asMissingValues" || outliers == "asExtremeValues") {
      field.outliers = outliers == "asMissingValues" ? Outliers::kAsMissing : Outliers::kAsExtreme;
      field.low = NumberAttr(element, "lowValue", -HUGE_VAL);
      field.high = NumberAttr(element, "highValue", HUGE_VAL);
      field.low_value.reset(new NumericValue(field.low));
      field.high_value.reset(new NumericValue(field.high));
      if (!HasAttr(element, "lowValue") && !HasAttr(element, "highValue")) {
        throw Fault(element, OVException::kCodeAbsent,
                    "outliers=\"" + outliers + "\" needs lowValue or highValue");
      }
    } else if (outliers != "asIs") {
      throw Unsupported(element, "outliers \"" + outliers + "\" is not supported");
    }
    scope->fields_.push_back(std::move(field));
  }

  for (const MiningField& field : scope->fields_) {
    if (field.usage == Usage::kTarget || field.slot < 0) continue;
    ++scope->treated_;
    const int above = scope->outer_slots_[field.slot];
    if (parent != nullptr && above >= 0 && field.outliers == Outliers::kAsIs) {
      scope->inherited_.emplace_back(field.slot, above);
    }
  }

  // LocalTransformations: read over the visible fields; the element's own
  // scope is the visible fields and its derived fields.
  scope->inner_ = visible;
  if (DOMElement* local = FirstChild(model, "LocalTransformations")) {
    if (!ChildElements(local, "DerivedField").empty()) {
      scope->local_.reset(translator->HandleTransformationDictionary(local, visible));
      if (scope->local_ != nullptr) {
        scope->local_->SetUpDerivedCaseRecord();
        scope->inner_dict_.reset(new BaseDictionary());
        for (ScoreDictVar* var : visible->GetScoreDictVars()) {
          scope->inner_dict_->AddVar(var->GetName(), var->Clone());
        }
        scope->inner_ = scope->inner_dict_.get();
        for (const std::string& name : scope->local_->GetDerivedVarNames()) {
          if (const ScoreDictVar* var = scope->local_->GetVar(name)) {
            scope->inner_dict_->AddVar(name, var->Clone());
          }
          scope->slot_of_[name] =
              static_cast<int>(scope->visible_.size() + scope->local_names_.size());
          scope->local_names_.push_back(name);
        }
      }
    }
  }

  // Targets.
  scope->target_.reset(new TargetDef());
  if (DOMElement* targets = FirstChild(model, "Targets")) {
    for (DOMElement* target : ChildElements(targets, "Target")) {
      const std::string field = Attr(target, "field");
      if (!field.empty() && field != scope->target_name_) continue;
      TargetDef& def = *scope->target_;
      def.min = NumberAttr(target, "min", -HUGE_VAL);
      def.max = NumberAttr(target, "max", HUGE_VAL);
      def.factor = NumberAttr(target, "rescaleFactor", 1.0);
      def.constant = NumberAttr(target, "rescaleConstant", 0.0);
      const std::string cast = Attr(target, "castInteger");
      if (cast == "round") {
        def.cast = Cast::kRound;
      } else if (cast == "ceiling") {
        def.cast = Cast::kCeiling;
      } else if (cast == "floor") {
        def.cast = Cast::kFloor;
      } else if (!cast.empty()) {
        throw Unsupported(target, "castInteger \"" + cast + "\" is not supported");
      }
      for (DOMElement* value : ChildElements(target, "TargetValue")) {
        if (HasAttr(value, "defaultValue")) {
          def.has_default = true;
          def.default_value = NumberAttr(value, "defaultValue", 0.0);
        }
        if (HasAttr(value, "priorProbability")) {
          def.priors.emplace_back(RequiredAttr(value, "value"),
                                   NumberAttr(value, "priorProbability", 0.0));
        }
        if (HasAttr(value, "displayValue") && HasAttr(value, "value")) {
          def.display.emplace_back(Attr(value, "value"), Attr(value, "displayValue"));
        }
      }
      scope->plain_targets_ = def.min == -HUGE_VAL && def.max == HUGE_VAL && def.factor == 1.0 &&
                              def.constant == 0.0 && def.cast == Cast::kNone;
      break;
    }
  }

  // Output.
  std::vector<DOMElement*> expressions;
  if (DOMElement* output = FirstChild(model, "Output")) {
    for (DOMElement* element : ChildElements(output, "OutputField")) {
      OutputDef def;
      def.name = RequiredAttr(element, "name");
      const std::string feature = Attr(element, "feature", "predictedValue");
      static const struct {
        const char* name;
        Feature feature;
      } kFeatures[] = {{"predictedValue", Feature::kPredictedValue},
                       {"predictedDisplayValue", Feature::kPredictedDisplayValue},
                       {"probability", Feature::kProbability},
                       {"entityId", Feature::kEntityId},
                       {"clusterId", Feature::kEntityId},
                       {"affinity", Feature::kAffinity},
                       {"clusterAffinity", Feature::kAffinity},
                       {"entityAffinity", Feature::kAffinity},
                       {"transformedValue", Feature::kExpression},
                       {"decision", Feature::kExpression},
                       {"confidence", Feature::kConfidence},
                       {"reasonCode", Feature::kReasonCode}};
      RuleOutputDef rule;
      const bool rule_output = association && ReadRuleOutput(element, &rule);
      if (rule_output) {
        def.feature = Feature::kRule;
        def.rule = scope->rule_outputs_.size();
        scope->rule_outputs_.push_back(rule);
      }
      bool known = rule_output;
      for (const auto& f : kFeatures) {
        if (rule_output) break;
        if (feature == f.name) {
          def.feature = f.feature;
          known = true;
        }
      }
      if (!known) {
        throw Unsupported(element, "feature \"" + feature + "\" of OutputField \"" + def.name +
                                       "\" is not supported");
      }
      if (HasAttr(element, "segmentId")) {
        throw Unsupported(element, "segmentId of OutputField \"" + def.name +
                                       "\" is not supported");
      }
      const std::string target_field = Attr(element, "targetField");
      if (!target_field.empty() && target_field != scope->target_name_) {
        throw Unsupported(element, "targetField \"" + target_field + "\" of OutputField \"" +
                                       def.name + "\" is not the model's target");
      }
      def.has_value = HasAttr(element, "value");
      def.value = Attr(element, "value");
      const double rank = NumberAttr(element, "rank", 1.0);
      if (rank < 1 || rank != std::floor(rank) || rank > 1e6) {
        throw Fault(element, OVException::kCodeSemantic, "rank must be a positive integer");
      }
      def.rank = static_cast<int>(rank);
      if (def.rank != 1 && def.feature != Feature::kReasonCode && def.feature != Feature::kRule &&
          !(scope->type_ == "NearestNeighborModel" &&
            (def.feature == Feature::kEntityId || def.feature == Feature::kAffinity))) {
        throw Unsupported(element, "rank " + Attr(element, "rank") + " of OutputField \"" +
                                       def.name + "\" is not supported");
      }
      const std::string data_type = Attr(element, "dataType");
      if (data_type.empty()) {
        const bool text = def.feature == Feature::kPredictedDisplayValue ||
                          def.feature == Feature::kEntityId ||
                          def.feature == Feature::kReasonCode ||
                        (def.feature == Feature::kRule && rule.IsText()) ||
                          (def.feature == Feature::kPredictedValue &&
                           scope->target_var_ != nullptr &&
                           scope->target_var_->GetVarType() == ScoreDictVar::kSTRING_VAR);
        def.type = text ? ScoreDictVar::kSTRING_VAR : ScoreDictVar::kNUMERIC_VAR;
      } else if (data_type == "string") {
        def.type = ScoreDictVar::kSTRING_VAR;
      } else {
        def.integer = data_type == "integer";
        def.type = ScoreDictVar::kNUMERIC_VAR;
      }
      if (def.feature == Feature::kExpression) expressions.push_back(element);
      scope->outputs_.push_back(std::move(def));
    }
  }

  // Output expressions read over the scope's fields and the other outputs.
  if (!expressions.empty()) {
    scope->output_dict_.reset(new BaseDictionary());
    for (ScoreDictVar* var : scope->inner_->GetScoreDictVars()) {
      scope->output_dict_->AddVar(var->GetName(), var->Clone());
    }
    for (size_t i = 0; i < scope->outputs_.size(); ++i) {
      const OutputDef& def = scope->outputs_[i];
      if (def.feature == Feature::kExpression) continue;
      std::unique_ptr<ScoreDictVar> var(new DictVar(def.name, def.type));
      if (scope->output_dict_->AddVar(def.name, var.get())) var.release();
      scope->output_slots_.emplace_back(def.name, i);
    }
    scope->expressions_.reset(
        new ComputedFields(expressions, scope->output_dict_.get(), translator));
  }

  // The algorithm.
  Reader context(scope.get(), translator);
  if (reader == nullptr) reader = FindReader(model);
  scope->algorithm_.reset(reader(model, &context));
  if (scope->algorithm_ == nullptr) throw Unsupported(model, "its plug-in read no model");
  const size_t results = scope->outputs_.size() + (scope->target_name_.empty() ? 0 : 1);
  scope->result_store_.resize(results);
  scope->results_.assign(results, nullptr);
  scope->number_values_.resize(results);
  scope->numbers_.assign(results, 0.0);
  scope->result_texts_.assign(results, nullptr);
  scope->result_stamps_.assign(results, 0);
  scope->lent_values_.resize(results);
  scope->last_lent_.assign(results, nullptr);
  const size_t slots = scope->visible_.size() + scope->local_names_.size();
  scope->values_.assign(slots, nullptr);
  scope->filled_.assign(slots, 0);
  scope->checked_.assign(slots, 0);
  if (global != nullptr || scope->local_ != nullptr) {
    for (const auto& entry : scope->visible_) scope->work_.Add(entry.first, nullptr);
  }
  scope->PlanPlainCases();
  if (global != nullptr) {
    scope->global_names_ = global->GetDerivedVarNames();
    for (const std::string& name : scope->global_names_) {
      int slot = -1;
      for (size_t i = 0; i < scope->visible_.size() && slot < 0; ++i) {
        if (scope->visible_[i].first == name) slot = static_cast<int>(i);
      }
      scope->global_slots_.push_back(slot);
    }
  }
  return scope;
}

std::vector<ScoreDictVar*> ModelScope::ResultVars() const {
  std::vector<ScoreDictVar*> out;
  if (target_var_ != nullptr) out.push_back(target_var_->Clone());
  for (const OutputDef& def : outputs_) out.push_back(new DictVar(def.name, def.type));
  return out;
}

void ModelScope::TargetsOfOther(Prediction* p) const {
  const TargetDef& t = *target_;
  if (!p->valid) {
    if (t.has_default) {
      p->valid = true;
      p->is_category = false;
      p->value = t.default_value;
    } else if (!t.priors.empty()) {
      p->valid = true;
      p->is_category = true;
      p->ClearProbabilities();
      p->probabilities = t.priors;
      auto best = std::max_element(
          t.priors.begin(), t.priors.end(),
          [](const auto& a, const auto& b) { return a.second < b.second; });
      p->category.Set(best->first);
    }
    return;
  }
  if (p->is_category) return;
  double x = std::min(std::max(p->value, t.min), t.max);
  x = x * t.factor + t.constant;
  switch (t.cast) {
    case Cast::kRound: x = std::floor(x + 0.5); break;
    case Cast::kCeiling: x = std::ceil(x); break;
    case Cast::kFloor: x = std::floor(x); break;
    case Cast::kNone: break;
  }
  p->value = x;
}

namespace {

// `*hint`: where the key was found last time, tried first (algorithms list
// their categories in the same order case after case); updated.
const double* FindProbability(const std::vector<std::pair<std::string, double>>& table,
                              const std::string& key, size_t* hint) {
  if (*hint < table.size() && table[*hint].first == key) return &table[*hint].second;
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].first == key) {
      *hint = i;
      return &table[i].second;
    }
  }
  double k = 0.0;
  if (!ParseNumber(key, &k)) return nullptr;
  for (const auto& entry : table) {
    double e = 0.0;
    if (ParseNumber(entry.first, &e) && e == k) return &entry.second;
  }
  return nullptr;
}

// The text of a result: a number as its shortest exact text, or `text`.
const std::string& ResultText(const std::string& text, bool is_number, double number,
                              std::string* scratch) {
  if (!is_number) return text;
  *scratch = NumberText(number);
  return *scratch;
}

}  // namespace

void ModelScope::SetOtherResult(size_t i, ScoreDictVar::VariableType type, bool integer,
                                const std::string& text, bool is_number,
                                double number) const {
  std::unique_ptr<ScoreValue>& kept = result_store_[i];
  result_texts_[i] = nullptr;
  if (type == ScoreDictVar::kSTRING_VAR) {
    result_stamps_[i] = ++stamp_;
    std::string scratch;
    const std::string& s = ResultText(text, is_number, number, &scratch);
    if (kept != nullptr && IsExactly<StringValue>(*kept)) {
      auto* value = static_cast<StringValue*>(kept.get());
      value->SetString(s);
      value->SetLength(static_cast<int>(s.size()));
    } else {
      kept.reset(new StringValue(s));
    }
    results_[i] = kept.get();
    return;
  }
  // A number into a number result went SetResult's own way: this is a text.
  double x = 0.0;
  if (!ParseNumber(text, &x)) {
    results_[i] = nullptr;
    return;
  }
  if (integer) x = std::trunc(x);
  SetNumber(i, x);
}

void ModelScope::SetOtherText(size_t i, ScoreDictVar::VariableType type, bool integer,
                              const PredictionText& text) const {
  const std::string* lent = text.lent();
  last_lent_[i] = nullptr;
  if (lent != nullptr && type == ScoreDictVar::kSTRING_VAR) {
    // Up to kMaxLent values, room made once: last_lent_ points into it.
    constexpr size_t kMaxLent = 16;
    std::vector<LentValue>& known = lent_values_[i];
    const LentValue* v = known.data();
    const LentValue* end = v + known.size();
    while (v != end && v->text != lent) ++v;
    if (v == end && known.size() < kMaxLent) {
      known.reserve(kMaxLent);
      known.push_back({lent, std::make_unique<StringValue>(*lent), ++stamp_});
      v = &known.back();
      end = v + 1;
    }
    if (v != end) {
      last_lent_[i] = v;
      results_[i] = v->value.get();
      result_stamps_[i] = v->stamp;
      result_texts_[i] = nullptr;  // result_store_ and its stamp are not the result now
      return;
    }
  }
  // A lent text kept here since an earlier case is there already.
  if (lent != nullptr && lent == result_texts_[i]) {
    results_[i] = result_store_[i].get();
    return;
  }
  SetResult(i, type, integer, text.get(), false, 0.0);
  if (type == ScoreDictVar::kSTRING_VAR) result_texts_[i] = lent;
}

// The values an output expression reads: the outputs computed before it,
// then the scope's fields.
class ModelScope::OutputValues : public FieldValues {
 public:
  OutputValues(const ModelScope* scope, size_t first, const FieldValues* inner)
      : scope_(scope), first_(first), inner_(inner) {}
  const ScoreValue* Get(const std::string& name) const override {
    for (const auto& slot : scope_->output_slots_) {
      if (slot.first == name) return scope_->results_[first_ + slot.second];
    }
    return inner_->Get(name);
  }

 private:
  const ModelScope* scope_;
  size_t first_;
  const FieldValues* inner_;
};

// The values of one scope for its algorithm, by slot: the treated inputs,
// the derived fields, and the enclosing scope's fields read on first use.
class ModelScope::Values : public FieldValues {
 public:
  Values(const ModelScope* scope, const FieldValues* outer) : scope_(scope), outer_(outer) {
    direct_ = {scope->values_.data(), scope->filled_.data(), &scope->case_, nullptr,
               scope->values_.size()};
  }
  const ScoreValue* Get(const std::string& name) const override {
    const auto found = scope_->slot_of_.find(name);
    if (found != scope_->slot_of_.end()) return scope_->Fetch(found->second, outer_);
    return outer_ != nullptr ? outer_->Get(name) : nullptr;
  }
  const ScoreValue* AtSlot(int slot, const std::string& name) const override {
    if (slot < 0 || static_cast<size_t>(slot) >= scope_->values_.size()) return Get(name);
    return scope_->Fetch(slot, outer_);
  }
  const ModelScope* scope() const { return scope_; }

 private:
  const ModelScope* scope_;
  const FieldValues* outer_;
};

void ModelScope::SetOutput(size_t i, const OutputDef& def, const Prediction& p) const {
  results_[i] = nullptr;
  if (!p.valid) return;
  switch (def.feature) {
    case Feature::kPredictedValue:
      if (clustering_) return SetText(i, def.type, def.integer, p.entity_id);
      if (!p.is_category) return SetResult(i, def.type, def.integer, kNoText, true, p.value);
      return SetText(i, def.type, def.integer, p.category);
    case Feature::kPredictedDisplayValue: {
      if (!p.is_category) return SetResult(i, def.type, false, kNoText, true, p.value);
      const PredictionText* text = &p.category;
      if (clustering_ && p.category.empty()) {
        text = &p.entity_id;
      } else {
        for (const auto& entry : target_->display) {
          if (entry.first == p.category.get()) {
            return SetResult(i, ScoreDictVar::kSTRING_VAR, false, entry.second, false, 0.0);
          }
        }
      }
      return SetText(i, ScoreDictVar::kSTRING_VAR, false, *text);
    }
    case Feature::kProbability: {
      if (!p.is_category) return;
      const auto& table = p.Probabilities();
      // (Where the category's place in this order is known, Predict read it.)
      const double* found =
          FindProbability(table, def.has_value ? def.value : p.category.get(), &def.hint);
      // Found by its text where the hint now points: the same place in every
      // distribution of this order.
      if (def.has_value && found != nullptr && def.hint < table.size() &&
          found == &table[def.hint].second) {
        def.order = p.category_order;
      }
      if (found == nullptr) {
        // A category of the target that the model gives no probability has 0.
        if (!def.has_value || target_var_ == nullptr) return;
        std::unique_ptr<ScoreValue> probe(target_var_->ToMyValue(def.value));
        if (probe == nullptr || !target_var_->IsValidValue(probe.get())) return;
        return SetResult(i, ScoreDictVar::kNUMERIC_VAR, false, kNoText, true, 0.0);
      }
      return SetResult(i, ScoreDictVar::kNUMERIC_VAR, false, kNoText, true, *found);
    }
    case Feature::kEntityId:
      if (!p.neighbors.empty()) {
        if (static_cast<size_t>(def.rank) > p.neighbors.size()) return;
        return SetResult(i, def.type, def.integer, p.neighbors[def.rank - 1].first, false, 0.0);
      }
      if (p.entity_id.empty()) return;
      return SetText(i, def.type, def.integer, p.entity_id);
    case Feature::kAffinity: {
      if (!p.neighbors.empty() && !def.has_value) {
        if (static_cast<size_t>(def.rank) > p.neighbors.size()) return;
        return SetResult(i, ScoreDictVar::kNUMERIC_VAR, false, kNoText, true,
                         p.neighbors[def.rank - 1].second);
      }
      const double* found = FindProbability(
          p.affinities, def.has_value ? def.value : p.entity_id.get(), &def.hint);
      if (found != nullptr) SetResult(i, ScoreDictVar::kNUMERIC_VAR, false, kNoText, true, *found);
      return;
    }
    case Feature::kConfidence:
      if (!std::isnan(p.confidence)) {
        SetResult(i, ScoreDictVar::kNUMERIC_VAR, false, kNoText, true, p.confidence);
      }
      return;
    case Feature::kReasonCode:
      if (static_cast<size_t>(def.rank) > p.reason_codes.size()) return;
      return SetResult(i, def.type, false, p.reason_codes[def.rank - 1], false, 0.0);
    case Feature::kRule: {
      if (def.rule >= p.rule_values.size() || !p.rule_values[def.rule].present) return;
      const Prediction::RuleValue& v = p.rule_values[def.rule];
      return SetResult(i, def.type, def.integer, v.text, v.is_number, v.number);
    }
    case Feature::kExpression:
      return;  // computed after the other outputs
  }
}

bool ModelScope::TreatInputs(const FieldValues* outer, Prediction* out) const {
  bool invalid = false;
  // Handed the enclosing scope's own values (not a model chain's view of
  // them), a value the enclosing scope found valid is taken from its slot.
  const bool inherit = parent_ != nullptr && outer != nullptr &&
                       IsExactly<Values>(*outer) &&
                       static_cast<const Values*>(outer)->scope() == parent_;
  if (inherit) {
    size_t taken = 0;
    // Read through locals: the stores below could otherwise alias them.
    const std::uint64_t now = case_;
    const std::uint64_t above_now = parent_->case_;
    const std::uint64_t* above_checked = parent_->checked_.data();
    const ScoreValue* const* above_values = parent_->values_.data();
    const ScoreValue** values = values_.data();
    std::uint64_t* filled = filled_.data();
    std::uint64_t* checked = checked_.data();
    for (const auto& inherited : inherited_) {
      const ScoreValue* value = above_values[inherited.second];
      if (above_checked[inherited.second] != above_now || value == nullptr) continue;
      values[inherited.first] = value;
      filled[inherited.first] = now;
      checked[inherited.first] = now;
      ++taken;
    }
    if (taken == treated_) return true;  // nothing left to treat
  }
  for (const MiningField& field : fields_) {
    if (field.usage == Usage::kTarget || field.slot < 0) continue;
    // Taken from the enclosing scope above.
    if (inherit && field.outliers == Outliers::kAsIs && checked_[field.slot] == case_) continue;
    const ScoreValue* value = Fetch(field.slot, outer);
    const ScoreValue*& slot = values_[field.slot];
    // The enclosing scope found this very value valid for a field of the
    // same definition.
    const int above = outer_slots_[field.slot];
    const bool checked = parent_ != nullptr && above >= 0 && value != nullptr &&
                         parent_->checked_[above] == parent_->case_ &&
                         parent_->values_[above] == value;
    if (checked && field.outliers == Outliers::kAsIs) {
      checked_[field.slot] = case_;
      continue;
    }
    const bool plain_number = !checked && field.check == Check::kNumber && value != nullptr &&
                              IsExactly<NumericValue>(*value);
    bool missing = plain_number ? field.IsMissingNumber(value)
                                : !checked && field.IsMissingValue(value);
    const bool valid =
        checked || (!missing && (plain_number || field.IsValidValue(value)));
    if (!missing && !valid) {
      switch (field.invalid) {
        case Invalid::kReturnInvalid:
          invalid = true;
          out->advice.emplace_back(kAdviceInvalid, field.name);
          break;
        case Invalid::kAsIs:
          break;
        case Invalid::kAsMissing:
          out->advice.emplace_back(kAdviceInvalid, field.name);
          missing = true;
          slot = nullptr;
          break;
        case Invalid::kAsValue:
          slot = field.invalid_replacement.get();
          break;
      }
    }
    if (!missing && field.outliers != Outliers::kAsIs &&
        value->GetType() != ScoreValue::kSTRING_VALUE) {
      const double x = slot->GetDouble();
      if (x < field.low || x > field.high) {
        out->advice.emplace_back(kAdviceOutlier, field.name);
        if (field.outliers == Outliers::kAsMissing) {
          missing = true;
          slot = nullptr;
        } else {
          slot = x < field.low ? field.low_value.get() : field.high_value.get();
        }
      }
    }
    if (valid && !missing && slot == value) checked_[field.slot] = case_;
    if (missing) {
      if (field.missing_replacement != nullptr) {
        slot = field.missing_replacement.get();
        out->advice.emplace_back(kAdviceReplaced, field.name);
      } else {
        slot = nullptr;
        if (field.usage == Usage::kActive) out->advice.emplace_back(kAdviceMissing, field.name);
        if (field.missing_returns_invalid) invalid = true;
      }
    }
  }
  return !invalid;
}

void ModelScope::PlanPlainCases() {
  if (parent_ != nullptr || global_ != nullptr || local_ != nullptr) return;
  PlainLayout layout;
  layout.kinds.assign(values_.size(), PlainLayout::kNone);
  layout.categories.resize(values_.size());
  std::vector<PlainField> plain;
  for (const MiningField& field : fields_) {
    if (field.usage == Usage::kTarget || field.slot < 0) continue;
    PlainLayout::Kind& kind = layout.kinds[field.slot];
    if (kind != PlainLayout::kNone) return;  // a field named twice
    // Missing values a number does not tell by itself are the general way's.
    if (field.check == Check::kNumber &&
        (field.missing_ranges.empty() || !field.number_ranges.empty())) {
      kind = PlainLayout::kNumber;
      const bool as_is = field.outliers == Outliers::kAsIs;
      const double inf = std::numeric_limits<double>::infinity();
      plain.push_back({field.slot, &field, true, !field.number_ranges.empty(), field.gap_low,
                       field.gap_high, as_is ? -inf : field.low, as_is ? inf : field.high, 0.0,
                       0.0});
      plain.back().FindFastStretch();
    } else if (field.check == Check::kCategories && field.missing_ranges.empty()) {
      kind = PlainLayout::kCategory;
      layout.categories[field.slot] = field.categories;
      plain.push_back({field.slot, &field, false, false, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
      plain.back().PlaceApart();
    } else {
      return;
    }
  }
  if (!algorithm_->Compile(layout)) return;
  plain_numbers_.assign(values_.size(), 0.0);
  plain_categories_.assign(values_.size(), -1);
  plain_case_.numbers = plain_numbers_.data();
  plain_case_.categories = plain_categories_.data();
  // Numbers first, then categories: each treated by a loop of its own.
  const auto numbers_end = std::stable_partition(
      plain.begin(), plain.end(), [](const PlainField& f) { return f.number; });
  plain_number_count_ = static_cast<size_t>(numbers_end - plain.begin());
  plain_fields_ = std::move(plain);
  plain_ = true;
}

bool ModelScope::Compile(const PlainLayout& enclosing) {
  if (parent_ == nullptr || local_ != nullptr || inherited_.size() != treated_) return false;
  PlainLayout layout;
  layout.kinds.assign(values_.size(), PlainLayout::kNone);
  layout.categories.resize(values_.size());
  layout.places.assign(values_.size(), -1);
  // Every input is one the enclosing scope found plain, which this scope's
  // MiningSchema (no outliers of its own) takes unchanged: the algorithm
  // reads it where the enclosing scope's case keeps it.
  for (const auto& inherited : inherited_) {
    const size_t above = static_cast<size_t>(inherited.second);
    if (above >= enclosing.kinds.size() || enclosing.kinds[above] == PlainLayout::kNone) {
      return false;
    }
    layout.kinds[inherited.first] = enclosing.kinds[above];
    layout.categories[inherited.first] = enclosing.categories[above];
    layout.places[inherited.first] = enclosing.Place(inherited.second);
  }
  return algorithm_->Compile(layout);
}

void ModelScope::PredictPlain(const PlainCase& enclosing, Prediction* out) const {
  out->Clear();
  ++case_;
  algorithm_->PredictPlain(enclosing, out);
  ApplyTargets(out);
  if (!out->valid) out->advice.emplace_back(kAdviceScoreMissing, "");
}

// The values are read from `outer` as they are (the top-level scope's slots
// are the record's): a case that goes the general way reads them again.
bool ModelScope::TreatPlain(const FieldValues* outer) const {
  double* numbers = plain_numbers_.data();
  int* categories = plain_categories_.data();
  const PlainField* plain = plain_fields_.data();
  const PlainField* const first_category = plain + plain_number_count_;
  const PlainField* const end = plain + plain_fields_.size();
  // The host record's entries, when the values lend every slot's.
  ScoreValue* const* const* entries = outer->Entries(values_.size());
  const auto read = [entries, outer](const PlainField& p) -> const ScoreValue* {
    if (entries != nullptr && entries[p.slot] != nullptr) return *entries[p.slot];
    return outer->Read(p.slot, p.field->name);
  };
  for (; plain != first_category; ++plain) {
    double x = 0.0;
    if (!NumberOf(read(*plain), &x)) return false;
    if (!(x >= plain->fast_low && x <= plain->fast_high) && !plain->Plain(x)) return false;
    numbers[plain->slot] = x;
  }
  for (; plain != end; ++plain) {
    const std::string* text = TextOf(read(*plain));
    const int k = text == nullptr ? -1 : plain->CategoryOf(*text);
    if (k < 0) return false;
    categories[plain->slot] = k;
  }
  return true;
}

void ModelScope::Transform(const FieldValues* outer) const {
  for (size_t i = 0; i < visible_.size(); ++i) {
    PutValue(visible_[i].first, Fetch(static_cast<int>(i), outer), &work_);
  }
  if (global_ != nullptr) {
    const auto* derived = global_->GetValuesForDeriedVars(&work_, data_);
    for (size_t i = 0; i < global_names_.size(); ++i) {
      const std::string& name = global_names_[i];
      const ScoreValue* value = derived != nullptr ? derived->Get(name) : nullptr;
      PutValue(name, value, &work_);
      if (global_slots_[i] >= 0) values_[global_slots_[i]] = work_.Get(name);
    }
  }
  if (local_ == nullptr) return;
  const MCOrvane_600::ScoreCaseRecord* local =
      local_->GetValuesForDeriedVars(&work_, visible_dict_);
  for (size_t i = 0; i < local_names_.size(); ++i) {
    const size_t slot = visible_.size() + i;
    filled_[slot] = case_;
    values_[slot] = local != nullptr ? local->Get(local_names_[i]) : nullptr;
  }
}

void ModelScope::Predict(const FieldValues& fields, Prediction* out,
                         std::vector<std::pair<std::string, const ScoreValue*>>* outputs) const {
  out->Clear();
  ++case_;
  // The top-level scope with the document's transformations reads the host's
  // record for the data fields only: the derived ones are computed.
  const FieldValues* outer = &fields;
  if (plain_ && TreatPlain(outer)) {
    // No treatment, so no advice of its own.
    algorithm_->PredictPlain(plain_case_, out);
    ApplyTargets(out);
  } else {
    const bool valid = TreatInputs(outer, out);
    if (global_ != nullptr || local_ != nullptr) Transform(outer);
    if (global_ != nullptr) outer = nullptr;
    // The treatment's advice comes first, whatever the algorithm does to `out`.
    treatment_.clear();
    treatment_.swap(out->advice);
    if (valid) {
      algorithm_->Predict(Values(this, outer), out);
      ApplyTargets(out);
    }
    treatment_.insert(treatment_.end(), out->advice.begin(), out->advice.end());
    out->advice.swap(treatment_);
  }
  if (!out->valid) out->advice.emplace_back(kAdviceScoreMissing, "");
  // A segment's results are read only by a model chain (`outputs`).
  if (parent_ != nullptr && outputs == nullptr) return;
  // Results: the target, then the output fields.
  size_t slot = 0;
  if (target_var_ != nullptr) {
    results_[slot] = nullptr;
    if (out->valid) {
      if (out->is_category) {
        SetText(slot, target_type_, false, out->category);
      } else {
        SetResult(slot, target_type_, false, kNoText, true, out->value);
      }
    }
    ++slot;
  }
  const size_t first_output = slot;
  // The usual output, a category's probability where it was found before in
  // a distribution of this category order, read there without a search.
  const void* order = out->valid && out->is_category ? out->category_order : nullptr;
  const auto& table = out->Probabilities();
  // A predicted number into a numeric output, as SetOutput writes it.
  const bool number = out->valid && !out->is_category && !clustering_;
  for (const OutputDef& def : outputs_) {
    if (order != nullptr && def.order == order && def.hint < table.size()) {
      SetNumber(slot++, table[def.hint].second);
      continue;
    }
    if (number && def.feature == Feature::kPredictedValue) {
      SetResult(slot++, def.type, def.integer, kNoText, true, out->value);
      continue;
    }
    SetOutput(slot++, def, *out);
  }
  if (expressions_ != nullptr) {
    const Values values(this, outer);
    const OutputValues output_values(this, first_output, &values);
    expressions_->Compute(output_values, &computed_);
    size_t next = 0;
    for (size_t i = 0; i < outputs_.size() && next < computed_.size(); ++i) {
      if (outputs_[i].feature != Feature::kExpression) continue;
      const ScoreValue* value = computed_[next++];
      std::unique_ptr<ScoreValue>& kept = result_store_[first_output + i];
      kept.reset(IsMissing(value) ? nullptr : value->Clone());
      result_texts_[first_output + i] = nullptr;
      result_stamps_[first_output + i] = ++stamp_;
      results_[first_output + i] = kept.get();
    }
  }
  if (outputs != nullptr) {
    for (size_t i = 0; i < outputs_.size(); ++i) {
      outputs->emplace_back(outputs_[i].name, results_[first_output + i]);
    }
  }
}

}  // namespace orvane_plugins
