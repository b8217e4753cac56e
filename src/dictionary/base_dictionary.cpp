#include "orvane/dictionary/base_dictionary.h"

#include <ostream>

#include "dictionary/owning_container.h"
#include "dictionary/stamp.h"

namespace MCOrvane_600 {

BaseDictionary::BaseDictionary() { NewLayout(); }

BaseDictionary::BaseDictionary(const BaseDictionary& other) : ScoreDictionary(other) {
  internal::CloneAllInto(other.vars_, &vars_);
  NewLayout();
}

BaseDictionary& BaseDictionary::operator=(const BaseDictionary& other) {
  internal::AssignClones(other.vars_, &vars_);
  NewLayout();
  return *this;
}

void BaseDictionary::NewLayout() { layout_ = internal::NewStamp(); }

BaseDictionary::~BaseDictionary() { internal::DestroyAll(&vars_); }

ScoreDictionary* BaseDictionary::Clone() const { return new BaseDictionary(*this); }

bool BaseDictionary::AddVar(const std::string& name, ScoreDictVar* var) {
  if (name.empty() || var == nullptr) return false;
  if (!vars_.emplace(name, var).second) return false;
  NewLayout();
  return true;
}

bool BaseDictionary::RemoveVar(const std::string& name) {
  const auto it = vars_.find(name);
  if (it == vars_.end()) return false;
  internal::DestroyAt(&vars_, it);
  NewLayout();
  return true;
}

const ScoreDictVar* BaseDictionary::GetVar(const std::string& name) const {
  const auto it = vars_.find(name);
  return it != vars_.end() ? it->second : nullptr;
}

int BaseDictionary::Size() const { return static_cast<int>(vars_.size()); }

std::vector<ScoreDictVar*> BaseDictionary::GetScoreDictVars() const {
  std::vector<ScoreDictVar*> vars;
  vars.reserve(vars_.size());
  for (const auto& entry : vars_) vars.push_back(entry.second);
  return vars;
}

void BaseDictionary::Display(std::ostream& out) const {
  out << "\n ############ Begin dictionary display ################ \n";
  for (const auto& entry : vars_) entry.second->Display(out);
  out << "End Of ScoreDictionary display.\n\n";
}

}  // namespace MCOrvane_600
