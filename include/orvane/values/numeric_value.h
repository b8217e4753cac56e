#ifndef ORVANE_VALUES_NUMERIC_VALUE_H_
#define ORVANE_VALUES_NUMERIC_VALUE_H_

#include <limits>
#include <string>

#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

// A number. The most negative finite double is the system-missing value: it
// never orders against anything, equals only itself and prints as
// "Undefined". Numbers compare equal within a relative tolerance of fEpsilon.
class NumericValue : public ScoreValue {
 public:
  // A value whose number is the system-missing value. Constant-initialised,
  // so it is usable from any other static initialiser.
  static const NumericValue SYSMIS;

  // The system-missing value.
  constexpr NumericValue() : value_(gSysmisValue) {}
  constexpr explicit NumericValue(double value) : value_(value) {}
  // The number parsed from `text` (see FromString); the system-missing value
  // when the text holds no number.
  explicit NumericValue(const std::string& text);
  constexpr NumericValue(const NumericValue& other) = default;
  NumericValue& operator=(const NumericValue& other) = default;

  ~NumericValue() override;
  // Takes the number only from a plain numeric value (GetType() exactly
  // kNUMERIC_VALUE; a date/time value does not qualify). Anything else,
  // null included, leaves this value unchanged.
  void SetValue(const ScoreValue* other) override;
  // A new NumericValue with the same number; the caller owns it.
  ScoreValue* GetValue() const override;
  // A new NumericValue copied from this one; the caller owns it.
  ScoreValue* Clone() const override;
  // Tolerant equality (IsEqual); false unless other.GetType() is exactly
  // kNUMERIC_VALUE.
  bool operator==(const ScoreValue& other) const override;
  // Numbers have no trimming settings: the flags are ignored and the answer
  // is operator==, dispatched on this value's class. False for null.
  bool Equal(const ScoreValue* other, bool no_space_trim, bool empty_string_ok) const override;
  // The strict orders compare with other.GetDouble() whatever other's type;
  // all four are false when either side is system-missing. <= and >= add
  // the tolerant equality of operator== to the strict part.
  bool operator>(const ScoreValue& other) const override;
  bool operator<(const ScoreValue& other) const override;
  bool operator<=(const ScoreValue& other) const override;
  bool operator>=(const ScoreValue& other) const override;
  bool IsSystemMissingValue() const override;
  // Truncates toward zero; saturates at INT_MIN / INT_MAX outside the int
  // range (so the system-missing value gives INT_MIN) and gives 0 for NaN.
  int GetInt() const override;
  double GetDouble() const override;
  // Six significant digits in the default float format of a default output
  // stream; "Undefined" for any number not above the system-missing value
  // (the system-missing value itself, minus infinity, NaN).
  std::string GetString() const override;
  ValueType GetType() const override;

  void SetDoubleValue(double value) { value_ = value; }
  // The number GetDouble gives, read without a call.
  double GetNumber() const { return value_; }

  static constexpr double GetSysmisValue() { return gSysmisValue; }
  static constexpr double GetInfinity() { return gInfinity; }
  // Exact comparison with the system-missing value.
  static bool IsSystemMissingValue(double value) { return value == gSysmisValue; }
  // Tolerant equality: 0 equals -0; the system-missing value equals only
  // itself; otherwise |a - b| < fEpsilon * max(|a|, |b|), so two infinities
  // are never equal.
  static bool IsEqual(double a, double b);

 protected:
  // -1.7976931348623157e308, bit pattern 0xFFEFFFFFFFFFFFFF.
  static constexpr double gSysmisValue = std::numeric_limits<double>::lowest();
  static constexpr double gInfinity = std::numeric_limits<double>::infinity();
  // Relative tolerance of numeric equality; the decimal literal on purpose.
  static constexpr double fEpsilon = 2.22045e-14;

  // Sets the number from `text`: the system-missing value for an empty text;
  // positive infinity when the text overflows to it (as "1e999" does);
  // otherwise the longest number prefix after leading white space, read in
  // the classic locale ("12abc" gives 12, "1,5" gives 1), or the
  // system-missing value when there is none.
  void FromString(const std::string& text);

 private:
  double value_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_VALUES_NUMERIC_VALUE_H_
