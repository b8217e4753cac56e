#ifndef ORVANE_VALUES_DATE_TIME_VALUE_H_
#define ORVANE_VALUES_DATE_TIME_VALUE_H_

#include <cstdint>
#include <string>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/numeric_value.h"

namespace MCOrvane_600 {

// A date, a time of day or a date-time. Dates and date-times are held as
// seconds since 1970-01-01 00:00:00, times of day as seconds since midnight,
// in the proleptic Gregorian calendar without time zones or leap seconds.
// The DateTimeType of a variable only says how a number is written outside;
// inside, every value is stored seconds plus a kind.
//
// Calendar fields of instants before 1970 are taken from the floored day
// number, so -1 second is 1969-12-31 23:59:59.
class DateTimeValue : public NumericValue {
 public:
  // Int-based, so that a kind outside the three named ones is still a value
  // (GetString writes such a value as a plain number).
  enum DateTimeValType : int {
    kDATE_VAL = 0,
    kTIME_VAL = 1,
    kDATETIME_VAL = 2,
  };

  // System-missing, kind kDATETIME_VAL.
  DateTimeValue();
  // Parses `text` as `type` prescribes; system-missing when it does not parse
  // or is empty.
  DateTimeValue(const std::string& text, ScoreDictVar::DateTimeType type);
  // Converts the number `x`, written in `type`, to stored seconds.
  DateTimeValue(double x, ScoreDictVar::DateTimeType type);
  // Stores `seconds` and `kind` as they are, without conversion.
  DateTimeValue(double seconds, DateTimeValType kind);
  DateTimeValue(const DateTimeValue& other);
  DateTimeValue& operator=(const DateTimeValue& other);

  // Virtual operations in slot order: the ScoreValue slots overridden here
  // (the others come from NumericValue), then two new ones. Plug-ins are
  // compiled against this order.
  ~DateTimeValue() override;
  // Takes the number of any NumericValue and the kind of a DateTimeValue;
  // anything else (a text, null) makes this value system-missing.
  void SetValue(const ScoreValue* other) override;
  // Returns a new DateTimeValue that the caller owns.
  ScoreValue* GetValue() const override;
  // Returns a new DateTimeValue that the caller owns.
  ScoreValue* Clone() const override;
  // Only another DateTimeValue of the same kind and a tolerantly equal number.
  bool operator==(const ScoreValue& other) const override;
  // The date text (2009-3-7), time text (9:5:0) or both joined by "T".
  std::string GetString() const override;
  ValueType GetType() const override;
  virtual void SetDateTimeType(DateTimeValType kind);
  virtual DateTimeValType GetDateTimeType() const;

  void SetDateTimeValue(double x, ScoreDictVar::DateTimeType type);
  void SetDateTimeValue(double seconds, DateTimeValType kind);

  // Returns a new NumericValue, owned by the caller, with the stored number
  // written in `type`; system-missing for a missing value or a type out of
  // 1 to 12. Day counts keep their fraction.
  ScoreValue* GetValue(ScoreDictVar::DateTimeType type) const;
  // The stored number as NumericValue writes it.
  std::string GetNumericString() const;

  // Calendar fields; the system-missing value when this value is missing or
  // too large to place in the calendar.
  double ExtractYear() const;
  double ExtractMonth() const;
  double ExtractDay() const;
  double ExtractHour() const;
  double ExtractMinute() const;
  double ExtractSecond() const;

  // Signed, fractional time from this value to `other` (other minus this),
  // one operation per unit (Years, Months, Days, Hours, Minutes, Seconds);
  // system-missing when either side is missing.
  double ComputeDurationYears(const DateTimeValue& other) const;
  double ComputeDurationMonths(const DateTimeValue& other) const;
  double ComputeDurationDays(const DateTimeValue& other) const;
  double ComputeDurationHours(const DateTimeValue& other) const;
  double ComputeDurationMinutes(const DateTimeValue& other) const;
  double ComputeDurationSeconds(const DateTimeValue& other) const;

  // Types 1, 4-7 are dates, 2 and 8 times, everything else date-times.
  static DateTimeValType GetValType(ScoreDictVar::DateTimeType type);
  // kDATE, kTIME, or kDATETIME for any other kind.
  static ScoreDictVar::DateTimeType GetDateTimeType(DateTimeValType kind);
  // Whether `text` converts under `type`: a date, time or date-time text for
  // types 1-3 (an empty text passes), a plain number for 4-12, anything
  // otherwise.
  static bool IsValidDateTime(const std::string& text, ScoreDictVar::DateTimeType type);

  // Calendar arithmetic on years of any sign. Results are exact while they
  // fit in 64 bits (years within about +-10^16).
  static bool IsLeapYear(int64_t year);
  // 0 for a month outside 1 to 12.
  static int64_t DaysInMonth(int64_t year, int64_t month);
  static int64_t DaysInYear(int64_t year);
  // Days from 1 January to the first of `month`; 0 for a month outside 1 to 12.
  static int64_t DaysBeforeMonth(int64_t year, int64_t month);
  // Days from 1 January `fromYear` to 1 January `toYear`; negative when
  // `toYear` comes first.
  static int64_t DaysBetweenYear(int64_t fromYear, int64_t toYear);
  // Leap years in [min, max) of the two years, whatever their order.
  static int64_t NumberOfLeapYear(int64_t from_year, int64_t to_year);
  static bool IsValidDate(int64_t year, int64_t month, int64_t day);
  static bool IsValidTime(int64_t hour, int64_t minute, int64_t second);
  // Fields of stored seconds. Seconds that are not finite or beyond the
  // 64-bit range give all fields 0.
  static void ExtractDate(double seconds, int64_t& year, int64_t& month, int64_t& day);
  static void ExtractTime(double seconds, int64_t& hour, int64_t& minute, int64_t& second);

 private:
  void FromString(const std::string& text, ScoreDictVar::DateTimeType type);
  void FromNumeric(double x, ScoreDictVar::DateTimeType type);

  // Each parser succeeds on an empty text without touching its outputs.
  static bool ParseDate(const std::string& text, int64_t& year, int64_t& month, int64_t& day);
  static bool ParseTime(const std::string& text, int64_t& hour, int64_t& minute, int64_t& second);
  static bool ParseDateTime(const std::string& text, int64_t& year, int64_t& month, int64_t& day,
                            int64_t& hour, int64_t& minute, int64_t& second);
  // Accepts only a plain decimal number, optionally with an exponent.
  static bool ParseDouble(const std::string& text, double& result);
  static std::string TrimString(const std::string& text, char character);

  static const int fDaysInMonth[13];
  static const int fDaysBeforeMonth[13];

  DateTimeValType kind_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_VALUES_DATE_TIME_VALUE_H_
