#include "orvane/model/discrete_split.h"

#include <string>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

DiscreteSplit::DiscreteSplit(const ScoreDictVar* split_var)
    : ScoreSplitVar(split_var), start_index_(-1), end_index_(-1) {}

DiscreteSplit::DiscreteSplit(const DiscreteSplit& other)
    : ScoreSplitVar(other), start_index_(other.start_index_), end_index_(other.end_index_) {
  AppendClonesOf(other);
}

DiscreteSplit& DiscreteSplit::operator=(const DiscreteSplit& other) {
  if (this != &other) {
    ScoreSplitVar::operator=(other);
    start_index_ = other.start_index_;
    end_index_ = other.end_index_;
    entries_.clear();
    AppendClonesOf(other);
  }
  return *this;
}

DiscreteSplit::~DiscreteSplit() = default;

void DiscreteSplit::AppendClonesOf(const DiscreteSplit& other) {
  entries_.reserve(entries_.size() + other.entries_.size());
  for (const Entry& entry : other.entries_) {
    ScoreValue* copy = entry.first != nullptr ? entry.first->Clone() : nullptr;
    entries_.emplace_back(std::unique_ptr<ScoreValue>(copy), entry.second);
  }
}

ScoreSplitVar* DiscreteSplit::Clone() const { return new DiscreteSplit(*this); }

int DiscreteSplit::GetSplitChildIndex(const ScoreValue* value) const {
  if (value == nullptr) return GetMissvalMap();
  const ScoreDictVar* var = GetSplitVar();
  const bool is_string = var != nullptr && var->GetVarType() == ScoreDictVar::kSTRING_VAR;
  const bool no_space_trim = is_string && var->GetNoSpaceTrim();
  const bool empty_string_ok = is_string && var->GetEmptyStringOK();
  for (const Entry& entry : entries_) {
    if (entry.first == nullptr) continue;
    const bool match = is_string ? entry.first->Equal(value, no_space_trim, empty_string_ok)
                                 : *entry.first == *value;
    if (match) return entry.second;
  }
  return GetMissvalMap();
}

void DiscreteSplit::Display(std::ostream& os) const {
  const ScoreDictVar* var = GetSplitVar();
  os << "SplitVarName = " << (var != nullptr ? var->GetName() : std::string());
  if (var != nullptr && var->GetMLevel() == ScoreDictVar::kNOMINAL) {
    os << "; Var type: Categorical\n";
  } else {
    os << "; Var type: Ordinal\n";
  }
  os << "Missing Value index: " << GetMissvalMap() << "\n";
  if (start_index_ >= 0 && end_index_ >= 0) {
    os << "Split value index starts from  " << start_index_ << " to " << end_index_ << "\n";
  }
  for (const Entry& entry : entries_) {
    os << "Value = " << (entry.first != nullptr ? entry.first->GetString() : std::string()) << "; "
       << "Index = " << entry.second << "\n";
  }
  os << "\n";
}

void DiscreteSplit::PutSplit(ScoreValue* value, int child_index) {
  entries_.emplace_back(std::unique_ptr<ScoreValue>(value), child_index);
}

std::vector<const ScoreValue*> DiscreteSplit::GetSplitValues() const {
  std::vector<const ScoreValue*> values;
  values.reserve(entries_.size());
  for (const Entry& entry : entries_) values.push_back(entry.first.get());
  return values;
}

std::vector<const ScoreValue*> DiscreteSplit::GetSplitValuesFirst() const {
  std::vector<const ScoreValue*> values;
  if (!entries_.empty()) values.push_back(entries_.front().first.get());
  return values;
}

std::vector<const ScoreValue*> DiscreteSplit::GetSplitValuesForIndex(int child_index) const {
  std::vector<const ScoreValue*> values;
  for (const Entry& entry : entries_) {
    if (entry.second == child_index) values.push_back(entry.first.get());
  }
  return values;
}

void DiscreteSplit::SetStartAndEndIndex(int start, int end) {
  start_index_ = start;
  end_index_ = end;
}

void DiscreteSplit::GetStartAndEndIndex(int& start, int& end) const {
  start = start_index_;
  end = end_index_;
}

}  // namespace MCOrvane_600
