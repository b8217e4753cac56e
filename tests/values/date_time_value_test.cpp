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
constexpr double kYear0 = -62167219200.0;       // 0000-01-01 00:00:00

struct EncodingCase {
  DT::DateTimeType type;
  double written;
  double stored;
  Kind kind;
};

// Every encoding, with the stored seconds of the same instant.
const EncodingCase kEncodings[] = {
    {DT::kDATE, 864000, 864000, DateTimeValue::kDATE_VAL},
    {DT::kTIME, 45015, 45015, DateTimeValue::kTIME_VAL},
    {DT::kDATETIME, 864000, 864000, DateTimeValue::kDATETIME_VAL},
    {DT::kDATE_DAYS_SINCE_0, 719538, 864000, DateTimeValue::kDATE_VAL},
    {DT::kDATE_DAYS_SINCE_1960, 3663, 864000, DateTimeValue::kDATE_VAL},
    {DT::kDATE_DAYS_SINCE_1970, 10, 864000, DateTimeValue::kDATE_VAL},
    {DT::kDATE_DAYS_SINCE_1970, 1.5, 129600, DateTimeValue::kDATE_VAL},
    {DT::kDATE_DAYS_SINCE_1980, -3642, 864000, DateTimeValue::kDATE_VAL},
    {DT::kTIME_SECONDS, 3661, 3661, DateTimeValue::kTIME_VAL},
    {DT::kDATETIME_SECONDS_SINCE_0, 62168083200, 864000, DateTimeValue::kDATETIME_VAL},
    {DT::kDATETIME_SECONDS_SINCE_1960, 316483200, 864000, DateTimeValue::kDATETIME_VAL},
    {DT::kDATETIME_SECONDS_SINCE_1970, -1, -1, DateTimeValue::kDATETIME_VAL},
    {DT::kDATETIME_SECONDS_SINCE_1980, -314668800, 864000, DateTimeValue::kDATETIME_VAL}};

TEST(DateTimeValueTest, EveryEncodingConvertsBothWays) {
  for (const EncodingCase& c : kEncodings) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " x " << c.written);
    DateTimeValue value(c.written, c.type);
    EXPECT_EQ(value.GetDouble(), c.stored);
    EXPECT_EQ(value.GetDateTimeType(), c.kind);
    std::unique_ptr<ScoreValue> back(value.GetValue(c.type));
    EXPECT_EQ(back->GetType(), ScoreValue::kNUMERIC_VALUE);
    EXPECT_EQ(back->GetDouble(), c.written);

    DateTimeValue set;
    set.SetDateTimeValue(c.written, c.type);
    EXPECT_TRUE(set == value);
    // So does the number written as text.
    if (c.type > DT::kDATETIME) {
      EXPECT_EQ(DateTimeValue(std::to_string(c.written), c.type).GetDouble(), c.stored);
      EXPECT_TRUE(DateTimeValue::IsValidDateTime(std::to_string(c.written), c.type));
    }
  }
}

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

struct TextCase {
  const char* text;
  bool valid;
  double stored;  // kSysmis when invalid
};

void CheckTexts(DT::DateTimeType type, const TextCase* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const TextCase& c = cases[i];
    SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
    EXPECT_EQ(DateTimeValue::IsValidDateTime(c.text, type), c.valid);
    DateTimeValue value(c.text, type);
    EXPECT_EQ(value.GetDouble(), c.stored);
    EXPECT_EQ(value.GetDateTimeType(), DateTimeValue::GetValType(type));
  }
}

TEST(DateTimeValueTest, DateTexts) {
  const TextCase cases[] = {{"1970-1-1", true, 0},
                            {"1969-12-31", true, -86400},
                            {"2000-2-29", true, 951782400},
                            {"1600-2-29", true, -11670998400},
                            {"0-1-1", true, kYear0},
                            {" 2009 - 3 - 7 ", true, kMarch7th2009},
                            {"2009-3-7-15", true, kMarch7th2009},
                            {"2009-3-7-", true, kMarch7th2009},
                            {"", true, kSysmis},
                            {"1900-2-29", false, kSysmis},
                            {"2009-13-1", false, kSysmis},

                            {"2009-4-31", false, kSysmis},
                            {"2009-4", false, kSysmis},
                            {"2009-3-", false, kSysmis},
                            {"2009--7", false, kSysmis},
                            {"-2009-3-7", false, kSysmis},
                            {"2009/3/7", false, kSysmis},
                            {"2009-3-7x", false, kSysmis},
                            {"2009-3-7T", false, kSysmis},
                            {"   ", false, kSysmis}};
  CheckTexts(DT::kDATE, cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(DateTimeValueTest, TimeTexts) {
  const TextCase cases[] = {
      {"12:30:15", true, 45015},      {"0:0:0", true, 0},           {"23:59:59", true, 86399},
      {" 9 : 05 : 0 ", true, 32700},  {"12:30:15:99", true, 45015}, {"", true, kSysmis},
      {"24:00:00", false, kSysmis},   {"12:60:00", false, kSysmis}, {"12:30", false, kSysmis},
      {"12:30:15.5", false, kSysmis}, {"12-30-15", false, kSysmis}, {"-1:0:0", false, kSysmis},
      {"T12:30:15", false, kSysmis}};
  CheckTexts(DT::kTIME, cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(DateTimeValueTest, DateTimeTexts) {
  const TextCase cases[] = {{"2009-3-7T12:00:00", true, kMarch7th2009 + 43200},
                            {"2009-3-7T", true, kMarch7th2009},
                            {"1969-12-31T23:59:59", true, -1},

                            {"", true, kSysmis},
                            {"2009-3-7 12:00:00", false, kSysmis},
                            {"2009-3-7t12:00:00", false, kSysmis},
                            {"2009-3-7T24:00:00", false, kSysmis},
                            {"2009-2-29T1:0:0", false, kSysmis},
                            {"2009-3-7T12:00:00T", false, kSysmis},
                            {"2009-3-7", false, kSysmis}};
  CheckTexts(DT::kDATETIME, cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(DateTimeValueTest, NumberCheckOfNumericEncodings) {
  const char* accepted[] = {"1.5e-3", "-2", ".5", "+7", "1e+5", "-1.5E-3", "10", "-1e-5"};
  const char* rejected[] = {"",      "1.",  "e5",    "1e",  "1e5e2", "1e5E2", "--1",
                            "1-",    "-+1", "1.2.3", "1 ",  "1e.5",  "1.e5",  "-e5",
                            "1-e-5", " 1",  "1,5",   "abc", "1e--5", "-"};
  for (int t = DT::kDATE_DAYS_SINCE_0; t <= DT::kDATETIME_SECONDS_SINCE_1980; ++t) {
    const auto type = static_cast<DT::DateTimeType>(t);
    for (const char* text : accepted) {
      EXPECT_TRUE(DateTimeValue::IsValidDateTime(text, type)) << t << " '" << text << "'";
    }
    for (const char* text : rejected) {
      EXPECT_FALSE(DateTimeValue::IsValidDateTime(text, type)) << t << " '" << text << "'";
    }
  }
  EXPECT_TRUE(DateTimeValue::IsValidDateTime("anything", DT::kNO_DATETIME));
  EXPECT_TRUE(DateTimeValue::IsValidDateTime("anything", static_cast<DT::DateTimeType>(13)));
  // The constructor reads the number prefix as NumericValue does.
  EXPECT_EQ(DateTimeValue("10", DT::kDATE_DAYS_SINCE_1970).GetDouble(), 864000);
  EXPECT_EQ(DateTimeValue("1e1", DT::kDATE_DAYS_SINCE_1970).GetDouble(), 864000);
  EXPECT_EQ(DateTimeValue("12abc", DT::kTIME_SECONDS).GetDouble(), 12);
  EXPECT_TRUE(DateTimeValue("abc", DT::kDATE_DAYS_SINCE_1970).IsSystemMissingValue());
}

TEST(DateTimeValueTest, ValueToText) {
  const int D = DateTimeValue::kDATE_VAL, T = DateTimeValue::kTIME_VAL,
            X = DateTimeValue::kDATETIME_VAL;
  const struct {
    double seconds;
    int kind;
    const char* text;
  } cases[] = {{90000, X, "1970-1-2T1:0:0"},
               {kYear0, D, "0-1-1"},
               {kMarch7th2009 + 32700, X, "2009-3-7T9:5:0"},
               {kMarch7th2009 + 32700, D, "2009-3-7"},
               {kMarch7th2009 + 32700, T, "9:5:0"},
               // Before 1970 the fields belong to the day the instant falls in.
               {-1, X, "1969-12-31T23:59:59"},
               {-43200, X, "1969-12-31T12:0:0"},
               {-86400, D, "1969-12-31"},
               {-1, T, "23:59:59"},
               {kYear0 - 86400, D, "-1-12-31"},
               {kSysmis, D, "Undefined"},

               {std::numeric_limits<double>::infinity(), D, "Undefined"},
               // The ends of the calendar: whole seconds at the int64_t limits.
               {-9223372036854775808.0, X, "-292277022657-1-27T8:29:52"},
               {9223372036854774784.0, X, "292277026596-12-4T15:13:4"},
               {864000, 7, "864000"}};
  for (const auto& c : cases) {
    DateTimeValue value(c.seconds, static_cast<Kind>(c.kind));
    EXPECT_EQ(value.GetString(), c.text) << c.seconds << " kind " << c.kind;
    const ScoreValue& base = value;
    EXPECT_EQ(base.GetString(), c.text);
  }
  // The lower end again, reached from text (its remainder once overflowed).
  EXPECT_EQ(
      DateTimeValue("-0000000009223372036854775807", DT::kDATETIME_SECONDS_SINCE_1970).GetString(),
      "-292277022657-1-27T8:29:52");
  EXPECT_EQ(DateTimeValue(kMarch7th2009, DateTimeValue::kDATE_VAL).GetNumericString(),
            "1.23638e+09");
  EXPECT_EQ(DateTimeValue().GetNumericString(), "Undefined");
}

TEST(DateTimeValueTest, CalendarFields) {
  const struct {
    double seconds;
    double year, month, day, hour, minute, second;
  } cases[] = {{0, 1970, 1, 1, 0, 0, 0},
               {kMarch7th2009 + 45015.9, 2009, 3, 7, 12, 30, 15},
               {-1, 1969, 12, 31, 23, 59, 59},

               {-86401, 1969, 12, 30, 23, 59, 59},
               {kYear0, 0, 1, 1, 0, 0, 0},
               {-11670998400 + 3600, 1600, 2, 29, 1, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    DateTimeValue v(c.seconds, DateTimeValue::kDATETIME_VAL);
    EXPECT_EQ((std::vector<double>{v.ExtractYear(), v.ExtractMonth(), v.ExtractDay(),
                                   v.ExtractHour(), v.ExtractMinute(), v.ExtractSecond()}),
              (std::vector<double>{c.year, c.month, c.day, c.hour, c.minute, c.second}));
  }
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
