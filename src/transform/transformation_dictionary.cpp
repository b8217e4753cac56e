#include "orvane/transform/transformation_dictionary.h"

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/transform/transform_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {

namespace {

// The value a derived variable of `type` holds before its first case.
ScoreValue* NewInitialValue(ScoreDictVar::VariableType type) {
  switch (type) {
    case ScoreDictVar::kNUMERIC_VAR:
      return new NumericValue();
    case ScoreDictVar::kDATETIME_VAR:
      return new DateTimeValue();
    default:
      return new StringValue(std::string());
  }
}

}  // namespace

TransformationDictionary::TransformationDictionary() = default;

TransformationDictionary::TransformationDictionary(const TransformationDictionary& other)
    : BaseDictionary(other) {}

TransformationDictionary& TransformationDictionary::operator=(
    const TransformationDictionary& other) {
  if (this == &other) return *this;
  BaseDictionary::operator=(other);
  derived_names_ = other.derived_names_;
  computed_flags_ = other.computed_flags_;
  set_up_ = other.set_up_;
  derived_record_ =
      other.derived_record_ ? std::make_unique<CaseRecord>(*other.derived_record_) : nullptr;
  initial_record_ =
      other.initial_record_ ? std::make_unique<CaseRecord>(*other.initial_record_) : nullptr;
  // The slots lend this dictionary's own record and flags, never the source's.
  slots_.clear();
  slot_index_.clear();
  if (derived_record_) {
    slots_.reserve(other.slots_.size());
    for (const DerivedSlot& slot : other.slots_) slots_.push_back({slot.name, nullptr, nullptr});
    RebuildSlots();
  }
  cycle_dependent_.clear();
  cycles_data_dictionary_ = nullptr;
  cycles_size_ = -1;
  return *this;
}

TransformationDictionary::~TransformationDictionary() {
  // The slots lend from the records: drop them first.
  slots_.clear();
  derived_record_.reset();
  initial_record_.reset();
}

void TransformationDictionary::AddDerievedVarName(const std::string& name) {
  derived_names_.push_back(name);
}

std::vector<std::string> TransformationDictionary::GetDerivedVarNames() const {
  return derived_names_;
}

void TransformationDictionary::SetUpDerivedCaseRecord() {
  if (set_up_) return;
  derived_record_ = std::make_unique<CaseRecord>();
  initial_record_ = std::make_unique<CaseRecord>();
  slots_.clear();
  slots_.reserve(derived_names_.size());
  for (const std::string& name : derived_names_) {
    slots_.push_back({name, nullptr, nullptr});
    // A repeated name keeps the value and flag of its first occurrence.
    if (computed_flags_.count(name) != 0) continue;
    const ScoreDictVar* var = GetVar(name);
    if (var == nullptr) continue;
    ScoreValue* value = NewInitialValue(var->GetVarType());
    derived_record_->Add(name, value);
    initial_record_->Add(name, value->Clone());
    computed_flags_[name] = false;
  }
  RebuildSlots();
  set_up_ = true;
}

void TransformationDictionary::RebuildSlots() {
  slot_index_.clear();
  for (std::size_t i = 0; i < slots_.size(); ++i) slot_index_.emplace(slots_[i].name, i);
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    DerivedSlot& slot = slots_[i];
    // A repeated name goes by name, so that one value has one lender.
    if (slot_index_[slot.name] != i) {
      slot.computed = nullptr;
      slot.value = nullptr;
      continue;
    }
    const auto flag = computed_flags_.find(slot.name);
    slot.computed = flag != computed_flags_.end() ? &flag->second : nullptr;
    // The record lends const values, but they are this dictionary's own.
    slot.value =
        derived_record_ ? const_cast<ScoreValue*>(derived_record_->Get(slot.name)) : nullptr;
  }
}

const ScoreCaseRecord* TransformationDictionary::GetValuesForDeriedVars(
    const ScoreCaseRecord* record, const ScoreDictionary* dataDictionary) {
  if (record == nullptr) return derived_record_.get();
  Reset();
  for (std::size_t i = 0; i < derived_names_.size(); ++i) {
    const std::string& name = derived_names_[i];
    const ScoreDictVar* var = GetVar(name);
    if (var == nullptr) continue;
    DerivedSlot* slot = i < slots_.size() ? &slots_[i] : nullptr;
    if (slot != nullptr && slot->computed != nullptr) {
      if (*slot->computed) continue;
    } else if (IsVarValueComputed(name)) {
      continue;
    }
    const auto* derived = dynamic_cast<const TransformVar*>(var);
    if (derived == nullptr) continue;

    DerivedSlot by_name{name, nullptr, nullptr};
    DerivedSlot& target = slot != nullptr && slot->computed != nullptr ? *slot : by_name;
    if (DependsOnCycle(var, dataDictionary)) {
      StoreMissingValue(target, var);
      continue;
    }
    StoreValue(target, derived->GetTransformedValue(record, dataDictionary, this));
  }
  return derived_record_.get();
}

void TransformationDictionary::StoreValue(DerivedSlot& slot, const ScoreValue* value) {
  if (slot.value != nullptr && value != nullptr && slot.computed != nullptr) {
    // In place, exactly as the record's SetValue would change it.
    const ScoreValue::ValueType type = value->GetType();
    if (type == slot.value->GetType()) {
      switch (type) {
        case ScoreValue::kNUMERIC_VALUE:
          static_cast<NumericValue*>(slot.value)->SetDoubleValue(value->GetDouble());
          *slot.computed = true;
          return;
        case ScoreValue::kDATETIME_VALUE: {
          const auto* date_time = dynamic_cast<const DateTimeValue*>(value);
          auto* held = dynamic_cast<DateTimeValue*>(slot.value);
          if (date_time == nullptr || held == nullptr) break;
          held->SetDateTimeValue(date_time->GetDouble(),
                                 DateTimeValue::GetDateTimeType(date_time->GetDateTimeType()));
          *slot.computed = true;
          return;
        }
        case ScoreValue::kSTRING_VALUE: {
          auto* held = dynamic_cast<StringValue*>(slot.value);
          if (held == nullptr) break;
          held->SetString(value->GetString());
          *slot.computed = true;
          return;
        }
      }
    }
  }
  AddVarCaseValue(slot.name, value);
  if (derived_record_ && slot.computed != nullptr) {
    slot.value = const_cast<ScoreValue*>(derived_record_->Get(slot.name));
  }
}

void TransformationDictionary::StoreMissingValue(DerivedSlot& slot, const ScoreDictVar* var) {
  switch (var->GetVarType()) {
    case ScoreDictVar::kNUMERIC_VAR: {
      const NumericValue missing;
      StoreValue(slot, &missing);
      break;
    }
    case ScoreDictVar::kDATETIME_VAR: {
      const DateTimeValue missing;
      StoreValue(slot, &missing);
      break;
    }
    default: {
      const StringValue missing{std::string()};
      StoreValue(slot, &missing);
      break;
    }
  }
}

const ScoreValue* TransformationDictionary::GetVarValue(const std::string& name) const {
  return derived_record_ ? derived_record_->Get(name) : nullptr;
}

bool TransformationDictionary::FindComputedValue(const std::string& name,
                                                 const ScoreValue** value) const {
  const auto index = slot_index_.find(name);
  if (index != slot_index_.end()) {
    const DerivedSlot& slot = slots_[index->second];
    if (slot.computed == nullptr || !*slot.computed) return false;
    *value = slot.value;
    return true;
  }
  // Not set up: no value can have been stored.
  if (!IsVarValueComputed(name)) return false;
  *value = GetVarValue(name);
  return true;
}

bool TransformationDictionary::IsVarValueComputed(const std::string& name) const {
  const auto flag = computed_flags_.find(name);
  return flag != computed_flags_.end() && flag->second;
}

void TransformationDictionary::Reset() {
  for (auto& flag : computed_flags_) flag.second = false;
}

void TransformationDictionary::AddVarCaseValue(const std::string& name, const ScoreValue* value) {
  if (!derived_record_) return;
  if (value == nullptr) {
    derived_record_->Remove(name);
    derived_record_->Add(name, nullptr);
    return;
  }
  switch (value->GetType()) {
    case ScoreValue::kNUMERIC_VALUE:
      AddVarCaseValue(name, value->GetDouble());
      return;
    case ScoreValue::kDATETIME_VALUE: {
      const auto* date_time = dynamic_cast<const DateTimeValue*>(value);
      AddVarCaseValue(
          name, value->GetDouble(),
          date_time != nullptr ? date_time->GetDateTimeType() : DateTimeValue::kDATETIME_VAL);
      return;
    }
    default:
      AddVarCaseValue(name, value->GetString());
      return;
  }
}

void TransformationDictionary::AddVarCaseValue(const std::string& name, double value) {
  if (derived_record_ && derived_record_->SetValue(name, value)) computed_flags_[name] = true;
}

void TransformationDictionary::AddVarCaseValue(const std::string& name, double value,
                                               DateTimeValue::DateTimeValType kind) {
  // The date, time and date-time types store seconds unconverted, keeping
  // the kind.
  if (derived_record_ &&
      derived_record_->SetValue(name, value, DateTimeValue::GetDateTimeType(kind))) {
    computed_flags_[name] = true;
  }
}

void TransformationDictionary::AddVarCaseValue(const std::string& name, const std::string& text) {
  if (set_up_ && derived_record_ && derived_record_->SetValue(name, text)) {
    computed_flags_[name] = true;
  }
}

}  // namespace MCOrvane_600
