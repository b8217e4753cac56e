#include "orvane/dictionary/case_record.h"

#include <ostream>
#include <typeinfo>

#include "dictionary/owning_container.h"
#include "dictionary/stamp.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {

namespace {

// `value` as a T; null when it is not one. The exact class, by far the most
// common, needs no search of the class hierarchy.
template <typename T>
T* As(ScoreValue* value) {
  if (typeid(*value) == typeid(T)) return static_cast<T*>(value);
  return dynamic_cast<T*>(value);
}

// FNV-1a of the name's bytes.
std::uint32_t NameHash(const std::string& name) {
  std::uint32_t h = 2166136261u;
  for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h ^ (h >> 16);
}

}  // namespace

CaseRecord::CaseRecord() { NewLayout(); }

CaseRecord::Entries::value_type*& CaseRecord::FoundSlot(const std::string& name) {
  if (found_ == nullptr || 2 * values_.size() > found_slots_) {
    // Two to four slots a name keep collisions rare; the table doubles as
    // names come.
    found_slots_ = 64;
    while (found_slots_ < 4 * values_.size()) found_slots_ *= 2;
    found_.reset(new Entries::value_type*[found_slots_]());
  }
  return found_[NameHash(name) & (found_slots_ - 1)];
}

CaseRecord::Entries::value_type* CaseRecord::FindEntry(const std::string& name) {
  Entries::value_type*& hit = FoundSlot(name);
  if (hit != nullptr && hit->first == name) return hit;
  const auto it = values_.find(name);
  if (it == values_.end()) return nullptr;
  hit = &*it;
  return hit;
}

CaseRecord::CaseRecord(const CaseRecord& other)
    : ScoreCaseRecord(other), name_index_(other.name_index_), has_map_(other.has_map_) {
  internal::CloneAllInto(other.values_, &values_);
  MirrorAll(other.slots_.size());
  NewLayout();
}

CaseRecord& CaseRecord::operator=(const CaseRecord& other) {
  if (this != &other) {
    slots_.clear();
    name_index_.clear();
    found_.reset();
    internal::AssignClones(other.values_, &values_);
    name_index_ = other.name_index_;
    has_map_ = other.has_map_;
    MirrorAll(other.slots_.size());
    NewLayout();
  }
  return *this;
}

CaseRecord::~CaseRecord() { internal::DestroyAll(&values_); }

void CaseRecord::Add(const std::string& name, ScoreValue* value) {
  Entries::value_type*& hit = FoundSlot(name);
  if (hit == nullptr || hit->first != name) {
    // One search finds the name or places it.
    const auto placed = values_.try_emplace(name, nullptr);
    if (placed.second) NewLayout();
    hit = &*placed.first;
  }
  ScoreValue*& entry = hit->second;
  if (entry != value) {
    delete entry;
    entry = value;
  }
  Mirror(name, value);
}

template <typename Make, typename Change>
bool CaseRecord::Fill(const std::string& name, ScoreValue::ValueType type, Make make,
                      Change change) {
  Entries::value_type* found = FindEntry(name);
  if (found == nullptr) return false;
  ScoreValue*& entry = found->second;
  if (entry == nullptr) {
    entry = make();
    Mirror(name, entry);
    return true;
  }
  return entry->GetType() == type && change(entry);
}

bool CaseRecord::SetValue(const std::string& name, const std::string& text) {
  return Fill(
      name, ScoreValue::kSTRING_VALUE, [&text] { return new StringValue(text); },
      [&text](ScoreValue* value) {
        auto* string_value = As<StringValue>(value);
        if (string_value == nullptr) return false;
        string_value->SetString(text);
        return true;
      });
}

bool CaseRecord::SetValue(const std::string& name, double x, ScoreDictVar::DateTimeType type) {
  return Fill(
      name, ScoreValue::kDATETIME_VALUE, [x, type] { return new DateTimeValue(x, type); },
      [x, type](ScoreValue* value) {
        auto* date_time = As<DateTimeValue>(value);
        if (date_time == nullptr) return false;
        date_time->SetDateTimeValue(x, type);
        return true;
      });
}

bool CaseRecord::SetValue(const std::string& name, double x) {
  return Fill(
      name, ScoreValue::kNUMERIC_VALUE, [x] { return new NumericValue(x); },
      [x](ScoreValue* value) {
        auto* number = As<NumericValue>(value);
        if (number == nullptr) return false;
        number->SetDoubleValue(x);
        return true;
      });
}

void CaseRecord::Remove(const std::string& name) {
  const auto it = values_.find(name);
  if (it == values_.end()) return;
  if (found_ != nullptr) {
    // An erased entry must not be found again.
    Entries::value_type*& hit = found_[NameHash(name) & (found_slots_ - 1)];
    if (hit == &*it) hit = nullptr;
  }
  internal::DestroyAt(&values_, it);
  NewLayout();
  Mirror(name, nullptr);
}

const ScoreValue* CaseRecord::Get(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) return nullptr;
  return slots_[index];
}

const ScoreValue* CaseRecord::Get(const std::string& name) const {
  const auto it = values_.find(name);
  return it != values_.end() ? it->second : nullptr;
}

void CaseRecord::SetUpNameIndexMap(const std::vector<ScoreDictVar*>& vars) {
  if (has_map_ || vars.empty()) return;
  for (std::size_t i = 0; i < vars.size(); ++i) {
    if (vars[i] != nullptr) name_index_[vars[i]->GetName()] = static_cast<int>(i);
  }
  has_map_ = true;
  MirrorAll(vars.size());
}

bool CaseRecord::HasMap() const { return has_map_; }

int CaseRecord::GetIndex(const std::string& name) const {
  const auto it = name_index_.find(name);
  return it != name_index_.end() ? it->second : -1;
}

int CaseRecord::Size() const { return static_cast<int>(values_.size()); }

std::vector<std::string> CaseRecord::GetVarNames() const {
  std::vector<std::string> names;
  names.reserve(values_.size());
  for (const auto& entry : values_) names.push_back(entry.first);
  return names;
}

void CaseRecord::Display(std::ostream& out) const {
  out << "Start ScoreCaseRecord Display:\n";
  for (const auto& entry : values_) {
    out << "Var Name: " << entry.first;
    if (entry.second != nullptr) out << "; Var Value: " << entry.second->GetString();
    out << "\n";
  }
  out << "End of ScoreCaseRecord Display.\n\n";
}

void CaseRecord::NewLayout() { layout_ = internal::NewStamp(); }

void CaseRecord::Mirror(const std::string& name, ScoreValue* value) {
  const auto it = name_index_.find(name);
  if (it != name_index_.end()) slots_[it->second] = value;
}

void CaseRecord::MirrorAll(std::size_t slot_count) {
  slots_.assign(slot_count, nullptr);
  for (const auto& entry : name_index_) {
    const auto value = values_.find(entry.first);
    if (value != values_.end()) slots_[entry.second] = value->second;
  }
}

}  // namespace MCOrvane_600
