// Text checks and parsers of DateTimeValue: dates as year-month-day, times as
// hour:minute:second, date-times as both joined by 'T', and the plain-number
// check of the encodings that are written as numbers.

#include "orvane/values/date_time_value.h"

#include <climits>
#include <cstddef>
#include <string>
#include <vector>

namespace MCOrvane_600 {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSign(char c) { return c == '-' || c == '+'; }

// Cuts `text` at every `separator`, so an empty piece stands for an empty
// field. False when a character other than a separator, a digit or a space
// occurs.
bool SplitFields(const std::string& text, char separator, std::vector<std::string>* tokens) {
  std::string token;
  for (char c : text) {
    if (c == separator) {
      tokens->push_back(token);
      token.clear();
    } else if (IsDigit(c) || c == ' ') {
      token += c;
    } else {
      return false;
    }
  }
  tokens->push_back(token);
  return true;
}

// The leading decimal digits of a field after any spaces, as atoi reads them
// (0 when there are none), but saturating at INT_MAX instead of wrapping.
int64_t FieldToInt(const std::string& field) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  int64_t value = 0;
  for (; i < field.size() && IsDigit(field[i]); ++i) {
    value = value * 10 + (field[i] - '0');
    if (value > INT_MAX) return INT_MAX;
  }
  return value;
}

// Fills up to three fields from the pieces of `text`; pieces beyond the
// third are ignored, fields without a piece keep their value.
bool ParseFields(const std::string& text, char separator, int64_t* fields[3],
                 std::string (*trim)(const std::string&, char)) {
  std::vector<std::string> tokens;
  if (!SplitFields(text, separator, &tokens)) return false;
  for (std::size_t i = 0; i < tokens.size() && i < 3; ++i) {
    *fields[i] = FieldToInt(trim(tokens[i], ' '));
  }
  return true;
}

}  // namespace

bool DateTimeValue::IsValidDateTime(const std::string& text, ScoreDictVar::DateTimeType type) {
  int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  double number = 0.0;
  switch (type) {
    case ScoreDictVar::kDATE:
      return ParseDate(text, year, month, day);
    case ScoreDictVar::kTIME:
      return ParseTime(text, hour, minute, second);
    case ScoreDictVar::kDATETIME:
      return ParseDateTime(text, year, month, day, hour, minute, second);
    case ScoreDictVar::kDATE_DAYS_SINCE_0:
    case ScoreDictVar::kDATE_DAYS_SINCE_1960:
    case ScoreDictVar::kDATE_DAYS_SINCE_1970:
    case ScoreDictVar::kDATE_DAYS_SINCE_1980:
    case ScoreDictVar::kTIME_SECONDS:
    case ScoreDictVar::kDATETIME_SECONDS_SINCE_0:
    case ScoreDictVar::kDATETIME_SECONDS_SINCE_1960:
    case ScoreDictVar::kDATETIME_SECONDS_SINCE_1970:
    case ScoreDictVar::kDATETIME_SECONDS_SINCE_1980:
      return ParseDouble(text, number);
    default:
      return true;
  }
}

bool DateTimeValue::ParseDate(const std::string& text, int64_t& year, int64_t& month,
                              int64_t& day) {
  if (text.empty()) return true;
  year = month = day = -1;
  int64_t* fields[3] = {&year, &month, &day};
  return ParseFields(text, '-', fields, &TrimString) && IsValidDate(year, month, day);
}

bool DateTimeValue::ParseTime(const std::string& text, int64_t& hour, int64_t& minute,
                              int64_t& second) {
  if (text.empty()) return true;
  hour = minute = second = -1;
  int64_t* fields[3] = {&hour, &minute, &second};
  return ParseFields(text, ':', fields, &TrimString) && IsValidTime(hour, minute, second);
}

// An empty part on either side of the 'T' passes, leaving its fields 0:
// "2009-3-7T" is midnight of that day.
bool DateTimeValue::ParseDateTime(const std::string& text, int64_t& year, int64_t& month,
                                  int64_t& day, int64_t& hour, int64_t& minute, int64_t& second) {
  if (text.empty()) return true;
  year = month = day = hour = minute = second = 0;
  const std::size_t t = text.find('T');
  if (t == std::string::npos) return false;
  return ParseDate(text.substr(0, t), year, month, day) &&
         ParseTime(text.substr(t + 1), hour, minute, second);
}

// Stricter than the number prefix that NumericValue reads: the whole text
// must be one decimal number, no spaces, so that "12abc" or "1 " is refused.
bool DateTimeValue::ParseDouble(const std::string& text, double& result) {
  if (text.empty()) return false;
  std::size_t exponent = std::string::npos;
  std::size_t dot = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == 'e' || c == 'E') {
      if (exponent != std::string::npos) return false;  // "1e5e2", "1e5E2"
      exponent = i;
    } else if (c == '.') {
      if (dot != std::string::npos) return false;  // "1.2.3"
      dot = i;
    } else if (!IsDigit(c) && !IsSign(c)) {
      return false;
    }
  }
  const std::size_t last = text.size() - 1;
  if (exponent == 0 || exponent == last) return false;  // "e5", "1e"
  // A sign only leads the number or its exponent: "--1", "-+1", "1-".
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsSign(text[i])) continue;
    if (i != 0 && (exponent == std::string::npos || i != exponent + 1)) return false;
    if (i == last) return false;
  }
  if (dot != std::string::npos) {
    if (dot == last) return false;  // "1."
    if (exponent != std::string::npos && (dot > exponent || dot + 1 == exponent)) return false;
  }
  // The part before the exponent needs a digit: "-e5" is no number.
  bool mantissa_digit = false;
  for (std::size_t i = 0; i < text.size() && i != exponent; ++i) {
    if (IsDigit(text[i])) mantissa_digit = true;
  }
  if (!mantissa_digit) return false;
  result = NumericValue(text).GetDouble();
  return true;
}

std::string DateTimeValue::TrimString(const std::string& text, char character) {
  const std::size_t first = text.find_first_not_of(character);
  if (first == std::string::npos) return text;
  const std::size_t last = text.find_last_not_of(character);
  return text.substr(first, last - first + 1);
}

}  // namespace MCOrvane_600
