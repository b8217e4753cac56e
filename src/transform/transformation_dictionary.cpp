#include "orvane/transform/transformation_dictionary.h"

#include <algorithm>
#include <typeinfo>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/transform/transform_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/engine.h"

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
  plan_.reset();
  BaseDictionary::operator=(other);
  derived_names_ = other.derived_names_;
  set_up_ = other.set_up_;
  derived_record_ =
      other.derived_record_ ? std::make_unique<CaseRecord>(*other.derived_record_) : nullptr;
  initial_record_ =
      other.initial_record_ ? std::make_unique<CaseRecord>(*other.initial_record_) : nullptr;
  // The slots lend this dictionary's own record, never the source's; the
  // flags come along.
  slots_ = other.slots_;
  computed_ = other.computed_;
  RebuildSlots();
  cycle_dependent_.clear();
  cycles_data_dictionary_ = nullptr;
  cycles_size_ = -1;
  return *this;
}

TransformationDictionary::~TransformationDictionary() {
  // The slots lend from the records: drop them first.
  plan_.reset();
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
  plan_.reset();
  derived_record_ = std::make_unique<CaseRecord>();
  initial_record_ = std::make_unique<CaseRecord>();
  slots_.clear();
  slots_.reserve(derived_names_.size());
  for (const std::string& name : derived_names_) {
    slots_.push_back({name, nullptr, false, false});
    // A repeated name keeps the value and flag of its first occurrence.
    if (derived_record_->Get(name) != nullptr) continue;
    const ScoreDictVar* var = GetVar(name);
    if (var == nullptr) continue;
    ScoreValue* value = NewInitialValue(var->GetVarType());
    derived_record_->Add(name, value);
    initial_record_->Add(name, value->Clone());
    slots_.back().flagged = true;
  }
  computed_.assign(slots_.size(), 0);
  RebuildSlots();
  set_up_ = true;
}

void TransformationDictionary::RebuildSlots() {
  slot_index_.clear();
  for (std::size_t i = 0; i < slots_.size(); ++i) slot_index_.emplace(slots_[i].name, i);
  for (DerivedSlot& slot : slots_) {
    // The record lends const values, but they are this dictionary's own.
    SetSlotValue(slot, slot.flagged && derived_record_
                           ? const_cast<ScoreValue*>(derived_record_->Get(slot.name))
                           : nullptr);
  }
}

void TransformationDictionary::SetSlotValue(DerivedSlot& slot, ScoreValue* value) {
  slot.value = value;
  slot.plain_number = value != nullptr && typeid(*value) == typeid(NumericValue);
}

const ScoreCaseRecord* TransformationDictionary::GetValuesForDeriedVars(
    const ScoreCaseRecord* record, const ScoreDictionary* dataDictionary) {
  if (record == nullptr) return derived_record_.get();
  Reset();
  internal::Engine::DeriveCase(*this, *record, dataDictionary);
  return derived_record_.get();
}

void TransformationDictionary::StoreValue(std::size_t i, const ScoreValue* value) {
  DerivedSlot* slot = i < slots_.size() && slots_[i].flagged ? &slots_[i] : nullptr;
  if (slot != nullptr && slot->value != nullptr && value != nullptr) {
    // In place, exactly as the record's SetValue would change it.
    const ScoreValue::ValueType type = value->GetType();
    if (type == slot->value->GetType()) {
      switch (type) {
        case ScoreValue::kNUMERIC_VALUE:
          static_cast<NumericValue*>(slot->value)->SetDoubleValue(value->GetDouble());
          computed_[i] = 1;
          return;
        case ScoreValue::kDATETIME_VALUE: {
          const auto* date_time = dynamic_cast<const DateTimeValue*>(value);
          auto* held = dynamic_cast<DateTimeValue*>(slot->value);
          if (date_time == nullptr || held == nullptr) break;
          held->SetDateTimeValue(date_time->GetDouble(),
                                 DateTimeValue::GetDateTimeType(date_time->GetDateTimeType()));
          computed_[i] = 1;
          return;
        }
        case ScoreValue::kSTRING_VALUE: {
          auto* held = dynamic_cast<StringValue*>(slot->value);
          if (held == nullptr) break;
          held->SetString(value->GetString());
          computed_[i] = 1;
          return;
        }
      }
    }
  }
  const std::string& name = i < slots_.size() ? slots_[i].name : derived_names_[i];
  AddVarCaseValue(name, value);
  if (slot != nullptr && derived_record_) {
    SetSlotValue(*slot, const_cast<ScoreValue*>(derived_record_->Get(slot->name)));
  }
}

void TransformationDictionary::StoreMissingValue(std::size_t i, const ScoreDictVar* var) {
  switch (var->GetVarType()) {
    case ScoreDictVar::kNUMERIC_VAR: {
      const NumericValue missing;
      StoreValue(i, &missing);
      break;
    }
    case ScoreDictVar::kDATETIME_VAR: {
      const DateTimeValue missing;
      StoreValue(i, &missing);
      break;
    }
    default: {
      const StringValue missing{std::string()};
      StoreValue(i, &missing);
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
  return index != slot_index_.end() && FindComputedSlot(index->second, value);
}

bool TransformationDictionary::FindComputedSlot(std::size_t slot, const ScoreValue** value) const {
  if (!slots_[slot].flagged || !computed_[slot]) return false;
  *value = slots_[slot].value;
  return true;
}

bool TransformationDictionary::IsVarValueComputed(const std::string& name) const {
  const auto index = slot_index_.find(name);
  return index != slot_index_.end() && slots_[index->second].flagged && computed_[index->second];
}

void TransformationDictionary::Reset() { std::fill(computed_.begin(), computed_.end(), 0); }

void TransformationDictionary::MarkComputed(const std::string& name) {
  const auto index = slot_index_.find(name);
  if (index != slot_index_.end() && slots_[index->second].flagged) computed_[index->second] = 1;
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
  if (derived_record_ && derived_record_->SetValue(name, value)) MarkComputed(name);
}

void TransformationDictionary::AddVarCaseValue(const std::string& name, double value,
                                               DateTimeValue::DateTimeValType kind) {
  // The date, time and date-time types store seconds unconverted, keeping
  // the kind.
  if (derived_record_ &&
      derived_record_->SetValue(name, value, DateTimeValue::GetDateTimeType(kind))) {
    MarkComputed(name);
  }
}

void TransformationDictionary::AddVarCaseValue(const std::string& name, const std::string& text) {
  if (set_up_ && derived_record_ && derived_record_->SetValue(name, text)) MarkComputed(name);
}

}  // namespace MCOrvane_600
