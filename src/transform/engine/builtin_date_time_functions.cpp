// The date and time built-in functions. The first argument is a date/time
// value; the second, where there is one, arrives as its stored seconds.

#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "transform/engine/builtin_functions.h"

namespace MCOrvane_600 {
namespace builtin {

double DateTime(const ScoreValue* first, double second, Function f) {
  using TD = TransformationDictionary;
  constexpr double kSysmis = NumericValue::GetSysmisValue();
  const auto* date = dynamic_cast<const DateTimeValue*>(first);
  if (date == nullptr) return kSysmis;

  const DateTimeValue other(second, DateTimeValue::kDATETIME_VAL);
  const double from = date->GetDouble();
  const bool missing =
      NumericValue::IsSystemMissingValue(from) || NumericValue::IsSystemMissingValue(second);
  switch (f) {
    case TD::kFN_DATE_YEARS_DIFFERENCE:
      return date->ComputeDurationYears(other);
    case TD::kFN_DATE_MONTHS_DIFFERENCE:
      return date->ComputeDurationMonths(other);
    case TD::kFN_DATE_DAYS_DIFFERENCE:
      return missing ? kSysmis : (second - from) / 86400.0;
    case TD::kFN_TIME_HOURS_DIFFERENCE:
      return missing ? kSysmis : (second - from) / 3600.0;
    case TD::kFN_TIME_MINUTES_DIFFERENCE:
      return missing ? kSysmis : (second - from) / 60.0;
    case TD::kFN_TIME_SECONDS_DIFFERENCE:
      return missing ? kSysmis : second - from;
    case TD::kFN_YEAR_FROM_DATE:
      return date->ExtractYear();
    case TD::kFN_MONTH_FROM_DATE:
      return date->ExtractMonth();
    case TD::kFN_DAY_FROM_DATE:
      return date->ExtractDay();
    case TD::kFN_HOUR_FROM_TIME:
      return date->ExtractHour();
    case TD::kFN_MINUTE_FROM_TIME:
      return date->ExtractMinute();
    case TD::kFN_SECOND_FROM_TIME:
      return date->ExtractSecond();
    default:
      return kSysmis;
  }
}

}  // namespace builtin
}  // namespace MCOrvane_600
