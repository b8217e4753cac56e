#include "orvane/model/score_split_var.h"

#include "orvane/dictionary/score_dict_var.h"

namespace MCOrvane_600 {

ScoreSplitVar::ScoreSplitVar() : split_var_(nullptr), missval_map_(-1) {}

ScoreSplitVar::ScoreSplitVar(const ScoreDictVar* split_var)
    : split_var_(split_var), missval_map_(-1) {}

ScoreSplitVar::ScoreSplitVar(const ScoreSplitVar& other) = default;

ScoreSplitVar& ScoreSplitVar::operator=(const ScoreSplitVar& other) = default;

ScoreSplitVar::~ScoreSplitVar() = default;

void ScoreSplitVar::SetSplitVar(const ScoreDictVar* split_var) { split_var_ = split_var; }

void ScoreSplitVar::SetMissvalMap(int child_index) { missval_map_ = child_index; }

const ScoreDictVar* ScoreSplitVar::GetSplitVar() const { return split_var_; }

std::string ScoreSplitVar::GetSplitName() const {
  return split_var_ != nullptr ? split_var_->GetName() : std::string();
}

std::string ScoreSplitVar::GetSplitLabel() const {
  return split_var_ != nullptr ? split_var_->GetLabel() : std::string();
}

int ScoreSplitVar::GetSplitType() const {
  return split_var_ != nullptr ? static_cast<int>(split_var_->GetVarType()) : -1;
}

int ScoreSplitVar::GetSplitMLevel() const {
  return split_var_ != nullptr ? static_cast<int>(split_var_->GetMLevel()) : -1;
}

int ScoreSplitVar::GetMissvalMap() const { return missval_map_; }

}  // namespace MCOrvane_600
