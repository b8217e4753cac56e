#include "orvane/dictionary/value_lbl.h"

#include <ostream>

#include "dictionary/owning_map.h"
#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

ValueLbl::ValueLbl() = default;

ValueLbl::ValueLbl(ScoreValue* value, const std::string& label) : value_(value), label_(label) {}

ValueLbl::ValueLbl(const ValueLbl& other)
    : ScoreValueLabel(other),
      value_(internal::CloneOrNull(other.value_.get())),
      label_(other.label_) {}

ValueLbl& ValueLbl::operator=(const ValueLbl& other) {
  if (this != &other) {
    value_ = internal::CloneOrNull(other.value_.get());
    label_ = other.label_;
  }
  return *this;
}

ValueLbl::~ValueLbl() = default;

bool ValueLbl::SetValueLabel(ScoreValue* value, const std::string& label) {
  if (value == nullptr || label.empty()) return false;
  // The former value is deliberately not destroyed (see the declaration).
  static_cast<void>(value_.release());
  value_.reset(value);
  label_ = label;
  return true;
}

bool ValueLbl::SetLabel(const std::string& label) {
  if (label.empty()) return false;
  label_ = label;
  return true;
}

ScoreValueLabel* ValueLbl::Clone() const { return new ValueLbl(*this); }

bool ValueLbl::operator==(const ScoreValueLabel& other) const {
  return CompareValues(other, &ScoreValue::operator==);
}

bool ValueLbl::operator>(const ScoreValueLabel& other) const {
  return CompareValues(other, &ScoreValue::operator>);
}

bool ValueLbl::operator<(const ScoreValueLabel& other) const {
  return CompareValues(other, &ScoreValue::operator<);
}

bool ValueLbl::operator<=(const ScoreValueLabel& other) const {
  return CompareValues(other, &ScoreValue::operator<=);
}

bool ValueLbl::operator>=(const ScoreValueLabel& other) const {
  return CompareValues(other, &ScoreValue::operator>=);
}

std::string ValueLbl::GetLabel() const { return label_; }

const ScoreValue* ValueLbl::GetValue() const { return value_.get(); }

bool ValueLbl::CompareValues(const ScoreValueLabel& other, ValueComparison compare) const {
  const ScoreValue* other_value = other.GetValue();
  return value_ != nullptr && other_value != nullptr && (value_.get()->*compare)(*other_value);
}

void ValueLbl::Display(std::ostream& os) const {
  os << "Value: " << (value_ != nullptr ? value_->GetString() : "NULL") << ";  "
     << "Label: " << label_ << "\n";
}

}  // namespace MCOrvane_600
