#ifndef ORVANE_DICTIONARY_VALUE_LBL_H_
#define ORVANE_DICTIONARY_VALUE_LBL_H_

#include <iosfwd>
#include <memory>
#include <string>

#include "orvane/dictionary/score_value_label.h"

namespace MCOrvane_600 {

// The library's value label. Owns its value; copies are deep. A label
// without a value compares unequal, and neither less nor greater, to any.
class ValueLbl : public ScoreValueLabel {
 public:
  // No value and an empty text.
  ValueLbl();
  // Takes ownership of `value`.
  ValueLbl(ScoreValue* value, const std::string& label);
  // Clones the value.
  ValueLbl(const ValueLbl& other);
  // Destroys the own value, then clones that of `other`.
  ValueLbl& operator=(const ValueLbl& other);
  ~ValueLbl() override;

  // Refuses a null value or an empty label. Takes ownership of `value` when
  // it returns true. The value held before is NOT destroyed: whoever replaces
  // it must have kept it and destroys it.
  bool SetValueLabel(ScoreValue* value, const std::string& label) override;
  bool SetLabel(const std::string& label) override;
  ScoreValueLabel* Clone() const override;
  // The comparisons apply the values' own operators; texts do not count.
  bool operator==(const ScoreValueLabel& other) const override;
  bool operator>(const ScoreValueLabel& other) const override;
  bool operator<(const ScoreValueLabel& other) const override;
  bool operator<=(const ScoreValueLabel& other) const override;
  bool operator>=(const ScoreValueLabel& other) const override;
  std::string GetLabel() const override;
  const ScoreValue* GetValue() const override;
  void Display(std::ostream& os) const override;

 private:
  using ValueComparison = bool (ScoreValue::*)(const ScoreValue&) const;

  // `compare` applied to the two values; false when either label has none.
  bool CompareValues(const ScoreValueLabel& other, ValueComparison compare) const;

  std::unique_ptr<ScoreValue> value_;
  std::string label_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_VALUE_LBL_H_
