// Date and time texts: parsing in every encoding, formatting, calendar fields
// and durations. The first byte picks the encoding (0 and 13 lie outside the
// valid range on purpose); the rest is the text.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"

using MCOrvane_600::DateTimeValue;
using MCOrvane_600::NumericValue;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreValue;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& text, int type) {
  std::cerr << what << ": type " << type << ", text '" << text << "'\n";
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int type_number = data[0] % 14;
  const auto type = static_cast<ScoreDictVar::DateTimeType>(type_number);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  const bool valid = DateTimeValue::IsValidDateTime(text, type);
  const DateTimeValue value(text, type);

  // Everything a host may ask of any value must answer without fault.
  const std::string shown = value.GetString();
  (void)value.GetNumericString();
  (void)value.ExtractYear();
  (void)value.ExtractMonth();
  (void)value.ExtractDay();
  (void)value.ExtractHour();
  (void)value.ExtractMinute();
  (void)value.ExtractSecond();
  const DateTimeValue later(86400.0 * 31 + 3661, DateTimeValue::kDATETIME_VAL);
  (void)value.ComputeDurationYears(later);
  (void)value.ComputeDurationMonths(later);
  (void)value.ComputeDurationDays(later);
  (void)value.ComputeDurationSeconds(later);
  for (int other = 0; other < 14; ++other) {
    std::unique_ptr<ScoreValue> written(
        value.GetValue(static_cast<ScoreDictVar::DateTimeType>(other)));
    if (written != nullptr) (void)written->GetString();
  }
  // Equality is relative, so numbers whose tolerance underflows (below about
  // 1e-310) and infinities are left out.
  std::unique_ptr<ScoreValue> copy(value.Clone());
  if (std::isnormal(value.GetDouble()) && !value.IsSystemMissingValue() && !(*copy == value)) {
    Fail("clone differs", text, type_number);
  }

  // The text forms: a text the check refuses never yields a value, and a
  // text it accepts yields one.
  if (type_number >= 1 && type_number <= 3) {
    if (!valid && !value.IsSystemMissingValue()) {
      Fail("invalid text has a value", text, type_number);
    }
    if (valid && !text.empty() && value.IsSystemMissingValue()) {
      Fail("valid text has no value", text, type_number);
    }
    // What a value prints reads back as the same value (years before 0 print
    // with a leading '-' that no date text can hold).
    if (valid && !value.IsSystemMissingValue() && value.ExtractYear() >= 0) {
      const DateTimeValue again(shown, type);
      if (!(again == value)) Fail("printed form does not read back", text, type_number);
    }
  }
  // The number forms: the number check agrees with the numeric parse.
  if (type_number >= 4 && type_number <= 12 && valid) {
    const NumericValue number(text);
    const DateTimeValue from_number(number.GetDouble(), type);
    const double a = from_number.GetDouble();
    const double b = value.GetDouble();
    if (!(a == b || (std::isnan(a) && std::isnan(b)))) {
      Fail("number forms differ", text, type_number);
    }
  }
  return 0;
}
