#include "orvane/dictionary/value_label_set.h"

#include <ostream>

#include "dictionary/owning_container.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

ValueLabelSet::ValueLabelSet() = default;

ValueLabelSet::ValueLabelSet(const ValueLabelSet& other) : ScoreValueLabelSet(other) {
  internal::CloneAllInto(other.labels_, &labels_);
}

ValueLabelSet& ValueLabelSet::operator=(const ValueLabelSet& other) {
  internal::AssignClones(other.labels_, &labels_);
  return *this;
}

ValueLabelSet::~ValueLabelSet() { internal::DestroyAll(&labels_); }

ScoreValueLabelSet* ValueLabelSet::Clone() const { return new ValueLabelSet(*this); }

bool ValueLabelSet::Add(ScoreValueLabel* label) {
  if (label == nullptr) return false;
  labels_.push_back(label);
  return true;
}

bool ValueLabelSet::Remove(const ScoreValueLabel* label) {
  if (label == nullptr) return false;
  const auto equal = [label](const ScoreValueLabel& held) { return held == *label; };
  return internal::DestroyMatching(&labels_, equal, /*first_only=*/true) > 0;
}

int ValueLabelSet::Size() const { return static_cast<int>(labels_.size()); }

const std::vector<ScoreValueLabel*>& ValueLabelSet::GetAllValueLabels() const { return labels_; }

std::string ValueLabelSet::GetLabelOfValue(const ScoreValue* value) const {
  if (value == nullptr) return std::string();
  const ScoreValueLabel* found =
      internal::FindMatching(labels_, [value](const ScoreValueLabel& held) {
        const ScoreValue* held_value = held.GetValue();
        return held_value != nullptr && *held_value == *value;
      });
  return found != nullptr ? found->GetLabel() : std::string();
}

void ValueLabelSet::Display(std::ostream& os) const {
  os << "Start ScoreValueLabelSet Display:\n";
  for (const ScoreValueLabel* label : labels_) label->Display(os);
  os << "End of ScoreValueLabelSet Display.\n\n";
}

}  // namespace MCOrvane_600
