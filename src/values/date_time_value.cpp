#include "orvane/values/date_time_value.h"

#include <cstdint>
#include <string>

namespace MCOrvane_600 {

namespace {

// Days from 1 January of year 0, of 1960 and of 1980 to 1970-01-01 (the
// last one negative: 1980 comes after).
constexpr double kDaysFrom0 = 719528.0;
constexpr double kDaysFrom1960 = 3653.0;
constexpr double kDaysFrom1980 = -3652.0;
constexpr double kDay = 86400.0;

// How the written number of a date/time type relates to stored seconds:
// seconds = (number - epoch) * unit, number = seconds / unit + epoch.
struct NumberEncoding {
  double unit;
  double epoch;
};

// False for a type that has no number form.
bool FindNumberEncoding(ScoreDictVar::DateTimeType type, NumberEncoding* encoding) {
  switch (type) {
    case ScoreDictVar::kDATE:
    case ScoreDictVar::kTIME:
    case ScoreDictVar::kDATETIME:
    case ScoreDictVar::kTIME_SECONDS:
    case ScoreDictVar::kDATETIME_SECONDS_SINCE_1970:
      *encoding = {1.0, 0.0};
      return true;
    case ScoreDictVar::kDATE_DAYS_SINCE_0:
      *encoding = {kDay, kDaysFrom0};
      return true;
    case ScoreDictVar::kDATE_DAYS_SINCE_1960:
      *encoding = {kDay, kDaysFrom1960};
      return true;
    case ScoreDictVar::kDATE_DAYS_SINCE_1970:
      *encoding = {kDay, 0.0};
      return true;
    case ScoreDictVar::kDATE_DAYS_SINCE_1980:
      *encoding = {kDay, kDaysFrom1980};
      return true;
    case ScoreDictVar::kDATETIME_SECONDS_SINCE_0:
      *encoding = {1.0, kDaysFrom0 * kDay};
      return true;
    case ScoreDictVar::kDATETIME_SECONDS_SINCE_1960:
      *encoding = {1.0, kDaysFrom1960 * kDay};
      return true;
    case ScoreDictVar::kDATETIME_SECONDS_SINCE_1980:
      *encoding = {1.0, kDaysFrom1980 * kDay};
      return true;
    default:
      return false;
  }
}

// Whether stored seconds have a place in the calendar (a 64-bit count of
// seconds); infinities and NaN do not.
bool IsCalendarNumber(double seconds) {
  return seconds >= -9223372036854775808.0 && seconds < 9223372036854775808.0;
}

enum Field { kYear, kMonth, kDayOfMonth, kHour, kMinute, kSecond };

// One calendar field of stored seconds as a double; the system-missing value
// for a missing number or one outside the calendar.
double CalendarField(double seconds, Field field) {
  if (NumericValue::IsSystemMissingValue(seconds) || !IsCalendarNumber(seconds)) {
    return NumericValue::GetSysmisValue();
  }
  int64_t fields[6] = {0, 0, 0, 0, 0, 0};
  DateTimeValue::ExtractDate(seconds, fields[kYear], fields[kMonth], fields[kDayOfMonth]);
  DateTimeValue::ExtractTime(seconds, fields[kHour], fields[kMinute], fields[kSecond]);
  return static_cast<double>(fields[field]);
}

}  // namespace

DateTimeValue::DateTimeValue() : NumericValue(), kind_(kDATETIME_VAL) {}

DateTimeValue::DateTimeValue(const std::string& text, ScoreDictVar::DateTimeType type)
    : NumericValue(), kind_(GetValType(type)) {
  FromString(text, type);
}

DateTimeValue::DateTimeValue(double x, ScoreDictVar::DateTimeType type)
    : NumericValue(), kind_(GetValType(type)) {
  FromNumeric(x, type);
}

DateTimeValue::DateTimeValue(double seconds, DateTimeValType kind)
    : NumericValue(seconds), kind_(kind) {}

DateTimeValue::DateTimeValue(const DateTimeValue& other) = default;

DateTimeValue& DateTimeValue::operator=(const DateTimeValue& other) {
  if (this != &other) {
    NumericValue::operator=(other);
    kind_ = other.kind_;
  }
  return *this;
}

DateTimeValue::~DateTimeValue() = default;

void DateTimeValue::SetValue(const ScoreValue* other) {
  const NumericValue* number = dynamic_cast<const NumericValue*>(other);
  if (number == nullptr) {
    SetDoubleValue(GetSysmisValue());
    return;
  }
  SetDoubleValue(number->GetDouble());
  if (const DateTimeValue* date_time = dynamic_cast<const DateTimeValue*>(other)) {
    kind_ = date_time->kind_;
  }
}

ScoreValue* DateTimeValue::GetValue() const { return new DateTimeValue(*this); }

ScoreValue* DateTimeValue::Clone() const { return new DateTimeValue(*this); }

bool DateTimeValue::operator==(const ScoreValue& other) const {
  const DateTimeValue* date_time = dynamic_cast<const DateTimeValue*>(&other);
  return date_time != nullptr && kind_ == date_time->kind_ &&
         IsEqual(GetDouble(), date_time->GetDouble());
}

std::string DateTimeValue::GetString() const {
  const double seconds = GetDouble();
  if (!(seconds > GetSysmisValue())) return "Undefined";
  if (kind_ != kDATE_VAL && kind_ != kTIME_VAL && kind_ != kDATETIME_VAL) {
    return GetNumericString();
  }
  // Infinity or a number too large for the calendar has no date to show.
  if (!IsCalendarNumber(seconds)) return "Undefined";
  std::string text;
  if (kind_ != kTIME_VAL) {
    int64_t year = 0, month = 0, day = 0;
    ExtractDate(seconds, year, month, day);
    text = std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
  }
  if (kind_ == kDATETIME_VAL) text += "T";
  if (kind_ != kDATE_VAL) {
    int64_t hour = 0, minute = 0, second = 0;
    ExtractTime(seconds, hour, minute, second);
    text += std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second);
  }
  return text;
}

ScoreValue::ValueType DateTimeValue::GetType() const { return kDATETIME_VALUE; }

void DateTimeValue::SetDateTimeType(DateTimeValType kind) { kind_ = kind; }

DateTimeValue::DateTimeValType DateTimeValue::GetDateTimeType() const { return kind_; }

void DateTimeValue::SetDateTimeValue(double x, ScoreDictVar::DateTimeType type) {
  kind_ = GetValType(type);
  FromNumeric(x, type);
}

void DateTimeValue::SetDateTimeValue(double seconds, DateTimeValType kind) {
  SetDoubleValue(seconds);
  kind_ = kind;
}

ScoreValue* DateTimeValue::GetValue(ScoreDictVar::DateTimeType type) const {
  NumberEncoding encoding;
  if (IsSystemMissingValue() || !FindNumberEncoding(type, &encoding)) return new NumericValue();
  return new NumericValue(GetDouble() / encoding.unit + encoding.epoch);
}

std::string DateTimeValue::GetNumericString() const { return NumericValue::GetString(); }

double DateTimeValue::ExtractYear() const { return CalendarField(GetDouble(), kYear); }

double DateTimeValue::ExtractMonth() const { return CalendarField(GetDouble(), kMonth); }

double DateTimeValue::ExtractDay() const { return CalendarField(GetDouble(), kDayOfMonth); }

double DateTimeValue::ExtractHour() const { return CalendarField(GetDouble(), kHour); }

double DateTimeValue::ExtractMinute() const { return CalendarField(GetDouble(), kMinute); }

double DateTimeValue::ExtractSecond() const { return CalendarField(GetDouble(), kSecond); }

// A missing side would otherwise yield a huge but plausible-looking number.
double DateTimeValue::ComputeDurationSeconds(const DateTimeValue& other) const {
  if (IsSystemMissingValue() || other.IsSystemMissingValue()) return GetSysmisValue();
  return other.GetDouble() - GetDouble();
}

double DateTimeValue::ComputeDurationMinutes(const DateTimeValue& other) const {
  const double d = ComputeDurationSeconds(other);
  return IsSystemMissingValue(d) ? d : d / 60;
}

double DateTimeValue::ComputeDurationHours(const DateTimeValue& other) const {
  const double d = ComputeDurationSeconds(other);
  return IsSystemMissingValue(d) ? d : d / 3600;
}

double DateTimeValue::ComputeDurationDays(const DateTimeValue& other) const {
  const double d = ComputeDurationSeconds(other);
  return IsSystemMissingValue(d) ? d : d / kDay;
}

// Months and years of average length: 30.4375 and 365.25 days.
double DateTimeValue::ComputeDurationMonths(const DateTimeValue& other) const {
  const double d = ComputeDurationSeconds(other);
  return IsSystemMissingValue(d) ? d : d / kDay / 30.4375;
}

double DateTimeValue::ComputeDurationYears(const DateTimeValue& other) const {
  const double d = ComputeDurationSeconds(other);
  return IsSystemMissingValue(d) ? d : d / kDay / 365.25;
}

DateTimeValue::DateTimeValType DateTimeValue::GetValType(ScoreDictVar::DateTimeType type) {
  switch (type) {
    case ScoreDictVar::kDATE:
    case ScoreDictVar::kDATE_DAYS_SINCE_0:
    case ScoreDictVar::kDATE_DAYS_SINCE_1960:
    case ScoreDictVar::kDATE_DAYS_SINCE_1970:
    case ScoreDictVar::kDATE_DAYS_SINCE_1980:
      return kDATE_VAL;
    case ScoreDictVar::kTIME:
    case ScoreDictVar::kTIME_SECONDS:
      return kTIME_VAL;
    default:
      return kDATETIME_VAL;
  }
}

ScoreDictVar::DateTimeType DateTimeValue::GetDateTimeType(DateTimeValType kind) {
  switch (kind) {
    case kDATE_VAL:
      return ScoreDictVar::kDATE;
    case kTIME_VAL:
      return ScoreDictVar::kTIME;
    default:
      return ScoreDictVar::kDATETIME;
  }
}

// An empty text is a valid date, time or date-time text (it passes
// IsValidDateTime) but names no instant, so it stays system-missing.
void DateTimeValue::FromString(const std::string& text, ScoreDictVar::DateTimeType type) {
  SetDoubleValue(GetSysmisValue());
  int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  switch (type) {
    case ScoreDictVar::kDATE:
      if (text.empty() || !ParseDate(text, year, month, day)) return;
      break;
    case ScoreDictVar::kTIME:
      if (text.empty() || !ParseTime(text, hour, minute, second)) return;
      SetDoubleValue(static_cast<double>((hour * 60 + minute) * 60 + second));
      return;
    case ScoreDictVar::kDATETIME:
      if (text.empty() || !ParseDateTime(text, year, month, day, hour, minute, second)) return;
      break;
    case ScoreDictVar::kNO_DATETIME:
      return;
    default:
      FromNumeric(NumericValue(text).GetDouble(), type);
      return;
  }
  const int64_t days = DaysBeforeMonth(year, month) + DaysBetweenYear(1970, year) + day - 1;
  SetDoubleValue(static_cast<double>((((days * 24 + hour) * 60 + minute) * 60) + second));
}

void DateTimeValue::FromNumeric(double x, ScoreDictVar::DateTimeType type) {
  SetDoubleValue(GetSysmisValue());
  NumberEncoding encoding;
  if (IsSystemMissingValue(x) || !FindNumberEncoding(type, &encoding)) return;
  SetDoubleValue((x - encoding.epoch) * encoding.unit);
}

}  // namespace MCOrvane_600
