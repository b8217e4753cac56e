// Calendar arithmetic of DateTimeValue: the proleptic Gregorian calendar on
// 64-bit day and year counts, and the split of stored seconds into fields.

#include "orvane/values/date_time_value.h"

#include <cstdint>

namespace MCOrvane_600 {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Julian Day Number of 1970-01-01.
constexpr int64_t kJulianDayOfEpoch = 2440588;

// Division and remainder rounding toward minus infinity, so that calendar
// cycles continue unbroken below zero. `b` is a positive constant. The
// remainder is corrected from the truncated one rather than computed as
// a - FloorDiv(a, b) * b, whose product leaves int64_t near INT64_MIN.
int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int64_t FloorMod(int64_t a, int64_t b) {
  const int64_t r = a % b;
  return (r != 0 && ((r < 0) != (b < 0))) ? r + b : r;
}

// Leap years before `year`, counted from an arbitrary fixed origin; only
// differences of it mean anything.
int64_t LeapYearsBefore(int64_t year) {
  const int64_t y = year - 1;
  return FloorDiv(y, 4) - FloorDiv(y, 100) + FloorDiv(y, 400);
}

// Stored seconds as whole seconds truncated toward zero; false when they
// have no 64-bit integer value (NaN, infinities, beyond +-2^63).
bool ToWholeSeconds(double seconds, int64_t& t) {
  if (!(seconds >= -9223372036854775808.0 && seconds < 9223372036854775808.0)) return false;
  t = static_cast<int64_t>(seconds);
  return true;
}

}  // namespace

const int DateTimeValue::fDaysInMonth[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const int DateTimeValue::fDaysBeforeMonth[13] = {0,   0,   31,  59,  90,  120, 151,
                                                 181, 212, 243, 273, 304, 334};

bool DateTimeValue::IsLeapYear(int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int64_t DateTimeValue::DaysInMonth(int64_t year, int64_t month) {
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return fDaysInMonth[month];
}

int64_t DateTimeValue::DaysInYear(int64_t year) { return IsLeapYear(year) ? 366 : 365; }

int64_t DateTimeValue::DaysBeforeMonth(int64_t year, int64_t month) {
  if (month < 1 || month > 12) return 0;
  return fDaysBeforeMonth[month] + ((month > 2 && IsLeapYear(year)) ? 1 : 0);
}

// Closed form of summing 365 or 366 over the years in between, so that far
// away years cost no more than near ones.
int64_t DateTimeValue::DaysBetweenYear(int64_t from_year, int64_t to_year) {
  return 365 * (to_year - from_year) + LeapYearsBefore(to_year) - LeapYearsBefore(from_year);
}

int64_t DateTimeValue::NumberOfLeapYear(int64_t from_year, int64_t to_year) {
  const int64_t count = LeapYearsBefore(to_year) - LeapYearsBefore(from_year);
  return count < 0 ? -count : count;
}

bool DateTimeValue::IsValidDate(int64_t year, int64_t month, int64_t day) {
  return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

bool DateTimeValue::IsValidTime(int64_t hour, int64_t minute, int64_t second) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

// The Gregorian date of the Julian Day Number (Richards' integer algorithm).
// Floored division keeps it right for day numbers below zero as well.
void DateTimeValue::ExtractDate(double seconds, int64_t& year, int64_t& month, int64_t& day) {
  int64_t t = 0;
  if (!ToWholeSeconds(seconds, t)) {
    year = month = day = 0;
    return;
  }
  // Floored, so an instant before 1970 belongs to the day it falls in and
  // agrees with ExtractTime.
  const int64_t j = FloorDiv(t, kSecondsPerDay) + kJulianDayOfEpoch;
  const int64_t f = j + 1363 + FloorDiv(FloorDiv(4 * j + 274277, 146097) * 3, 4);
  const int64_t e = 4 * f + 3;
  const int64_t g = FloorDiv(FloorMod(e, 1461), 4);
  const int64_t h = 5 * g + 2;
  day = FloorDiv(FloorMod(h, 153), 5) + 1;
  month = FloorMod(FloorDiv(h, 153) + 2, 12) + 1;
  year = FloorDiv(e, 1461) - 4716 + FloorDiv(14 - month, 12);
}

void DateTimeValue::ExtractTime(double seconds, int64_t& hour, int64_t& minute, int64_t& second) {
  int64_t t = 0;
  if (!ToWholeSeconds(seconds, t)) {
    hour = minute = second = 0;
    return;
  }
  const int64_t r = FloorMod(t, kSecondsPerDay);
  hour = r / 3600;
  minute = (r - hour * 3600) / 60;
  second = r - (hour * 60 + minute) * 60;
}

}  // namespace MCOrvane_600
