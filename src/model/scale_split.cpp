#include "orvane/model/scale_split.h"

#include <string>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

ScaleSplit::ScaleSplit(const ScoreDictVar* split_var) : ScoreSplitVar(split_var) {}

ScaleSplit::ScaleSplit(const ScaleSplit& other) : ScoreSplitVar(other) { AppendClonesOf(other); }

ScaleSplit& ScaleSplit::operator=(const ScaleSplit& other) {
  if (this != &other) {
    ScoreSplitVar::operator=(other);
    entries_.clear();
    AppendClonesOf(other);
  }
  return *this;
}

ScaleSplit::~ScaleSplit() = default;

void ScaleSplit::AppendClonesOf(const ScaleSplit& other) {
  entries_.reserve(entries_.size() + other.entries_.size());
  for (const Entry& entry : other.entries_) {
    ScoreValueRange* copy = entry.first != nullptr ? entry.first->Clone() : nullptr;
    entries_.emplace_back(std::unique_ptr<ScoreValueRange>(copy), entry.second);
  }
}

ScoreSplitVar* ScaleSplit::Clone() const { return new ScaleSplit(*this); }

int ScaleSplit::GetSplitChildIndex(const ScoreValue* value) const {
  if (value == nullptr) return GetMissvalMap();
  const ScoreDictVar* var = GetSplitVar();
  if (var != nullptr && var->IsMissingValue(value)) return GetMissvalMap();
  for (const Entry& entry : entries_) {
    if (entry.first != nullptr && entry.first->IsInRange(value)) return entry.second;
  }
  return GetMissvalMap();
}

void ScaleSplit::Display(std::ostream& os) const {
  const ScoreDictVar* var = GetSplitVar();
  os << "SplitVarName = " << (var != nullptr ? var->GetName() : std::string()) << "\n";
  os << "Missing Value index: " << GetMissvalMap() << "\n";
  for (const Entry& entry : entries_) {
    os << "Index = " << entry.second << "\n";
    if (entry.first != nullptr) entry.first->Display(os);
  }
  os << "\n";
}

void ScaleSplit::PutSplit(ScoreValueRange* range, int child_index) {
  entries_.emplace_back(std::unique_ptr<ScoreValueRange>(range), child_index);
}

const ScoreValueRange* ScaleSplit::GetSplitValueRangeForIndex(int child_index) const {
  for (const Entry& entry : entries_) {
    if (entry.second == child_index) return entry.first.get();
  }
  return nullptr;
}

const ScoreValueRange* ScaleSplit::GetSplitValueRangeFirst() const {
  return entries_.empty() ? nullptr : entries_.front().first.get();
}

}  // namespace MCOrvane_600
