#include "orvane/model/base_model.h"

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_version_info.h"
#include "orvane/transform/transformation_dictionary.h"

namespace MCOrvane_600 {

namespace {

// Stores `replacement` without destroying what `slot` held: the one who
// replaces it keeps that object.
template <typename T>
void ReplaceWithoutDestroying(std::unique_ptr<T>& slot, T* replacement) {
  static_cast<void>(slot.release());
  slot.reset(replacement);
}

}  // namespace

BaseModel::BaseModel() : policy_(kMV_SUBSTITUTE) {}

BaseModel::~BaseModel() {
  // The documented order of destruction; plug-in models may rely on it.
  version_.reset();
  roles_.clear();
  dictionary_.reset();
  transformations_.reset();
}

void BaseModel::SetScoreDictionary(ScoreDictionary* dictionary) {
  ReplaceWithoutDestroying(dictionary_, dictionary);
}

void BaseModel::SetTransformationScoreDictionary(TransformationDictionary* transformations) {
  ReplaceWithoutDestroying(transformations_, transformations);
}

bool BaseModel::SetVarRole(const std::string& name, VarRole role) {
  if (name.empty()) return false;
  const bool in_data = dictionary_ != nullptr && dictionary_->GetVar(name) != nullptr;
  if (!in_data && transformations_ != nullptr && transformations_->GetVar(name) == nullptr) {
    return false;
  }
  if (role == kTARGET) target_name_ = name;
  roles_[name] = role;
  return true;
}

bool BaseModel::SetVarRole(const ScoreDictVar* var, VarRole role) {
  if (var == nullptr) return false;
  return SetVarRole(var->GetName(), role);
}

void BaseModel::SetMissingValuePolicy(MVPolicy policy) { policy_ = policy; }

void BaseModel::SetVersionInfo(ScoreVersionInfo* version) {
  ReplaceWithoutDestroying(version_, version);
}

int BaseModel::GetVarRole(const std::string& name) const {
  if (name.empty()) return -1;
  const auto it = roles_.find(name);
  return it == roles_.end() ? -1 : static_cast<int>(it->second);
}

int BaseModel::GetVarRole(const ScoreDictVar* var) const {
  if (var == nullptr) return -1;
  return GetVarRole(var->GetName());
}

const ScoreVersionInfo* BaseModel::GetVersionInfo() const { return version_.get(); }

const ScoreDictVar* BaseModel::GetTargetVar() const {
  if (dictionary_ == nullptr) return nullptr;
  return dictionary_->GetVar(target_name_);
}

const ScoreDictionary* BaseModel::GetDictionary() const { return dictionary_.get(); }

TransformationDictionary* BaseModel::GetTransformationDictionary() const {
  return transformations_.get();
}

ScoreModel::MVPolicy BaseModel::GetMissingValuePolicy() const { return policy_; }

}  // namespace MCOrvane_600
