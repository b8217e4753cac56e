#include "orvane/values/date_time_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {
namespace {

using DT = ScoreDictVar;
using Kind = DateTimeValue::DateTimeValType;

const double kSysmis = NumericValue::GetSysmisValue();
constexpr double kMarch7th2009 = 1236384000.0;  // 2009-03-07 00:00:00

TEST(DateTimeValueTest, MissingAndUnknownEncodingsStayMissing) {
  for (int t = 0; t <= 13; ++t) {
    const auto type = static_cast<DT::DateTimeType>(t);
    SCOPED_TRACE(t);
    EXPECT_TRUE(DateTimeValue(kSysmis, type).IsSystemMissingValue());
    std::unique_ptr<ScoreValue> back(
        DateTimeValue(kSysmis, DateTimeValue::kDATE_VAL).GetValue(type));
    EXPECT_TRUE(back->IsSystemMissingValue());
  }
  for (DT::DateTimeType type : {DT::kNO_DATETIME, static_cast<DT::DateTimeType>(13)}) {
    EXPECT_TRUE(DateTimeValue(5.0, type).IsSystemMissingValue());
    EXPECT_TRUE(DateTimeValue("5", type).IsSystemMissingValue());
    std::unique_ptr<ScoreValue> back(DateTimeValue(5.0, DateTimeValue::kDATE_VAL).GetValue(type));
    EXPECT_TRUE(back->IsSystemMissingValue());
    EXPECT_EQ(DateTimeValue(5.0, type).GetDateTimeType(), DateTimeValue::kDATETIME_VAL);
  }
}

TEST(DateTimeValueTest, OtherTypesAcceptAnyTextAndNumbersReadAsNumericValue) {
  EXPECT_TRUE(DateTimeValue::IsValidDateTime("anything", DT::kNO_DATETIME));
  EXPECT_TRUE(DateTimeValue::IsValidDateTime("anything", static_cast<DT::DateTimeType>(13)));
  // The constructor reads the number prefix as NumericValue does.
  EXPECT_EQ(DateTimeValue("10", DT::kDATE_DAYS_SINCE_1970).GetDouble(), 864000);
  EXPECT_EQ(DateTimeValue("1e1", DT::kDATE_DAYS_SINCE_1970).GetDouble(), 864000);
  EXPECT_EQ(DateTimeValue("12abc", DT::kTIME_SECONDS).GetDouble(), 12);
  EXPECT_TRUE(DateTimeValue("abc", DT::kDATE_DAYS_SINCE_1970).IsSystemMissingValue());
}

TEST(DateTimeValueTest, TextEnds) {
  // The lower end again, reached from text (its remainder once overflowed).
  EXPECT_EQ(
      DateTimeValue("-0000000009223372036854775807", DT::kDATETIME_SECONDS_SINCE_1970).GetString(),
      "-292277022657-1-27T8:29:52");
  EXPECT_EQ(DateTimeValue(kMarch7th2009, DateTimeValue::kDATE_VAL).GetNumericString(),
            "1.23638e+09");
  EXPECT_EQ(DateTimeValue().GetNumericString(), "Undefined");
}

TEST(DateTimeValueTest, FieldsOfMissing) {
  DateTimeValue missing;
  EXPECT_EQ(missing.ExtractYear(), kSysmis);
  EXPECT_EQ(missing.ExtractSecond(), kSysmis);
  int64_t y = 9, m = 9, d = 9;
  DateTimeValue::ExtractDate(std::nan(""), y, m, d);
  EXPECT_EQ(y + m + d, 0);
}

// Fields and day numbers agree over twelve millennia either side of 1970,
// well beyond day 0 of the Julian Day Number; from year 0 on, through text.
TEST(DateTimeValueTest, DatesRoundTrip) {
  auto day_number = [](int64_t y, int64_t m, int64_t d) {
    return DateTimeValue::DaysBeforeMonth(y, m) + DateTimeValue::DaysBetweenYear(1970, y) + d - 1;
  };
  for (int64_t days = -4500000; days <= 4500000; days += 997) {
    const double seconds = static_cast<double>(days) * 86400;
    int64_t y = 0, m = 0, d = 0;
    DateTimeValue::ExtractDate(seconds, y, m, d);
    ASSERT_TRUE(DateTimeValue::IsValidDate(y, m, d)) << days;
    ASSERT_EQ(day_number(y, m, d), days);
    // The last second before midnight belongs to the day before.
    DateTimeValue::ExtractDate(seconds - 1, y, m, d);
    ASSERT_EQ(day_number(y, m, d), days - 1);
    if (days >= -719528) {
      DateTimeValue date(seconds, DateTimeValue::kDATE_VAL);
      ASSERT_EQ(DateTimeValue(date.GetString(), DT::kDATE).GetDouble(), seconds) << days;
    }
  }
}

TEST(DateTimeValueTest, StaticCalendar) {
  for (int64_t year : {2000, 0, -4, 1600}) EXPECT_TRUE(DateTimeValue::IsLeapYear(year));
  for (int64_t year : {1900, 2001, -100, -1}) EXPECT_FALSE(DateTimeValue::IsLeapYear(year));
  EXPECT_EQ(DateTimeValue::DaysInMonth(2009, 4) + DateTimeValue::DaysInMonth(2009, 13), 30);
  EXPECT_EQ(DateTimeValue::DaysBeforeMonth(2000, 3) + DateTimeValue::DaysBeforeMonth(2000, 0), 60);
  EXPECT_EQ(DateTimeValue::DaysBetweenYear(0, 1970), 719528);
  EXPECT_EQ(DateTimeValue::NumberOfLeapYear(1980, 1970), 2);  // 1972, 1976
  // The closed forms agree with counting year by year.
  for (int64_t from = -810; from <= 810; from += 27) {
    int64_t days = 0, leaps = 0;
    for (int64_t to = from; to <= from + 820; ++to) {
      ASSERT_EQ(DateTimeValue::DaysBetweenYear(from, to), days) << from << " " << to;
      ASSERT_EQ(DateTimeValue::DaysBetweenYear(to, from), -days) << from << " " << to;
      ASSERT_EQ(DateTimeValue::NumberOfLeapYear(to, from), leaps) << from << " " << to;
      days += DateTimeValue::DaysInYear(to);
      leaps += DateTimeValue::IsLeapYear(to) ? 1 : 0;
    }
  }
  EXPECT_TRUE(DateTimeValue::IsValidTime(23, 59, 59) && DateTimeValue::IsValidDate(-5000, 12, 31));
  EXPECT_FALSE(DateTimeValue::IsValidTime(24, 0, 0) || DateTimeValue::IsValidTime(0, -1, 0) ||
               DateTimeValue::IsValidTime(0, 0, 60) || DateTimeValue::IsValidDate(2009, 4, 0));
}

TEST(DateTimeValueTest, KindMappings) {
  const Kind D = DateTimeValue::kDATE_VAL, T = DateTimeValue::kTIME_VAL,
             X = DateTimeValue::kDATETIME_VAL;
  const Kind kinds[] = {X, D, T, X, D, D, D, D, T, X, X, X, X, X};
  for (int t = 0; t <= 13; ++t) {
    EXPECT_EQ(DateTimeValue::GetValType(static_cast<DT::DateTimeType>(t)), kinds[t]) << t;
  }
  EXPECT_EQ(DateTimeValue::GetDateTimeType(D), DT::kDATE);
  EXPECT_EQ(DateTimeValue::GetDateTimeType(T), DT::kTIME);
  EXPECT_EQ(DateTimeValue::GetDateTimeType(static_cast<Kind>(9)), DT::kDATETIME);
}

TEST(DateTimeValueTest, Durations) {
  DateTimeValue first("2009-3-1", DT::kDATE), last("2009-3-8", DT::kDATE), missing;
  EXPECT_EQ(last.ComputeDurationDays(first), -7);
  EXPECT_EQ(first.ComputeDurationHours(last), 168);
  EXPECT_EQ(first.ComputeDurationMinutes(last), 10080);
  EXPECT_EQ(first.ComputeDurationSeconds(last), 604800);
  EXPECT_DOUBLE_EQ(first.ComputeDurationMonths(last), 7 / 30.4375);
  EXPECT_DOUBLE_EQ(first.ComputeDurationYears(last), 7 / 365.25);
  EXPECT_EQ(first.ComputeDurationDays(missing), kSysmis);
  EXPECT_EQ(missing.ComputeDurationYears(first), kSysmis);
}

TEST(DateTimeValueTest, EqualityAndOrdering) {
  DateTimeValue date(86400.0, DateTimeValue::kDATE_VAL), same_day("1970-1-2", DT::kDATE);
  DateTimeValue date_time(86400.0, DateTimeValue::kDATETIME_VAL);
  NumericValue number(86400.0);
  EXPECT_TRUE(date == same_day && date <= same_day && date >= same_day);
  EXPECT_TRUE(date == DateTimeValue(86400.0 + 1e-10, DateTimeValue::kDATE_VAL));
  // Same number, other kind or class.
  EXPECT_FALSE(date == date_time || date == number || number == date || date <= date_time ||
               date >= number);
  EXPECT_TRUE(NumericValue(0.0) < date && date > NumericValue(0.0));
  EXPECT_TRUE(date_time > DateTimeValue(-1.0, DateTimeValue::kTIME_VAL));
  EXPECT_FALSE(DateTimeValue() < date || date > DateTimeValue());
}

TEST(DateTimeValueTest, SetValueCopyAndClone) {
  DateTimeValue value(10.0, DateTimeValue::kTIME_VAL);
  value.SetValue(&NumericValue::SYSMIS);
  EXPECT_TRUE(value.IsSystemMissingValue());
  NumericValue five(5.0);
  value.SetValue(&five);
  EXPECT_EQ(value.GetDouble(), 5);
  EXPECT_EQ(value.GetDateTimeType(), DateTimeValue::kTIME_VAL);
  DateTimeValue date(86400.0, DateTimeValue::kDATE_VAL);
  value.SetValue(&date);
  EXPECT_TRUE(value == date);
  StringValue text("1970-1-2");
  value.SetValue(&text);
  EXPECT_TRUE(value.IsSystemMissingValue());
  EXPECT_EQ(value.GetDateTimeType(), DateTimeValue::kDATE_VAL);
  value.SetDateTimeValue(1.0, DateTimeValue::kTIME_VAL);
  value.SetValue(nullptr);
  EXPECT_TRUE(value.IsSystemMissingValue());

  value = date;
  value = value;
  ScoreValue* base = &value;
  std::unique_ptr<ScoreValue> clone(base->Clone());
  std::unique_ptr<ScoreValue> copy(base->GetValue());
  for (ScoreValue* made : {clone.get(), copy.get()}) {
    ASSERT_NE(dynamic_cast<DateTimeValue*>(made), nullptr);
    EXPECT_TRUE(*made == date);
  }
  value.SetDateTimeType(DateTimeValue::kDATETIME_VAL);
  EXPECT_EQ(value.GetString(), "1970-1-2T0:0:0");
}

}  // namespace
}  // namespace MCOrvane_600
