#include "orvane/values/numeric_value.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "values/number_prefix.h"

namespace MCOrvane_600 {

// The default constructor is constexpr, so this is constant-initialised.
const NumericValue NumericValue::SYSMIS;

NumericValue::NumericValue(const std::string& text) : value_(gSysmisValue) { FromString(text); }

NumericValue::~NumericValue() = default;

void NumericValue::FromString(const std::string& text) {
  value_ = gSysmisValue;
  if (text.empty()) return;
  // An overflowing literal reads as infinity here, while the stream below
  // would refuse it.
  if (std::strtod(text.c_str(), nullptr) == gInfinity) {
    value_ = gInfinity;
    return;
  }
  double number = 0.0;
  if (internal::ReadNumberPrefix(text, &number)) value_ = number;
}

void NumericValue::SetValue(const ScoreValue* other) {
  if (other != nullptr && other->GetType() == kNUMERIC_VALUE) value_ = other->GetDouble();
}

ScoreValue* NumericValue::GetValue() const { return new NumericValue(value_); }

ScoreValue* NumericValue::Clone() const { return new NumericValue(*this); }

bool NumericValue::IsEqual(double a, double b) {
  if (a == 0.0 && b == 0.0) return true;
  if (a == gSysmisValue) return b == gSysmisValue;
  if (b == gSysmisValue) return false;
  // The tolerance underflows to 0 below about 1e-310, where a number would
  // otherwise differ from itself; infinities stay unequal.
  if (a == b) return std::isfinite(a);
  // Infinities give a NaN difference here, and NaN compares false.
  return std::fabs(a - b) < fEpsilon * std::max(std::fabs(a), std::fabs(b));
}

bool NumericValue::operator==(const ScoreValue& other) const {
  return other.GetType() == kNUMERIC_VALUE && IsEqual(value_, other.GetDouble());
}

bool NumericValue::Equal(const ScoreValue* other, bool /*no_space_trim*/,
                         bool /*empty_string_ok*/) const {
  return other != nullptr && *this == *other;
}

bool NumericValue::operator>(const ScoreValue& other) const {
  if (IsSystemMissingValue(value_) || other.IsSystemMissingValue()) return false;
  return value_ > other.GetDouble();
}

bool NumericValue::operator<(const ScoreValue& other) const {
  if (IsSystemMissingValue(value_) || other.IsSystemMissingValue()) return false;
  return value_ < other.GetDouble();
}

// operator== is dispatched virtually so that a subclass completes the order
// with its own equality.
bool NumericValue::operator<=(const ScoreValue& other) const {
  if (IsSystemMissingValue(value_) || other.IsSystemMissingValue()) return false;
  if (value_ < other.GetDouble()) return true;
  return *this == other;
}

bool NumericValue::operator>=(const ScoreValue& other) const {
  if (IsSystemMissingValue(value_) || other.IsSystemMissingValue()) return false;
  if (value_ > other.GetDouble()) return true;
  return *this == other;
}

bool NumericValue::IsSystemMissingValue() const { return IsSystemMissingValue(value_); }

int NumericValue::GetInt() const {
  if (std::isnan(value_)) return 0;
  // Compared before converting: an out-of-range conversion is undefined.
  if (value_ <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (value_ >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(value_);
}

double NumericValue::GetDouble() const { return value_; }

std::string NumericValue::GetString() const {
  if (!(value_ > gSysmisValue)) return "Undefined";
  std::ostringstream out;
  out << value_;
  return out.str();
}

ScoreValue::ValueType NumericValue::GetType() const { return kNUMERIC_VALUE; }

}  // namespace MCOrvane_600
