#include "values/number_prefix.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <locale>
#include <sstream>
#include <string>
#include <system_error>

namespace MCOrvane_600 {
namespace internal {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The classic locale's white space, which a skipping input stream passes over.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Powers of ten that a double holds exactly.
const double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
const int kMaxExactPower = 22;
// Digits that always fit an unsigned 64-bit mantissa.
const int kMaxMantissaDigits = 19;
const std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;
// Beyond any exponent a double can use; larger ones are only counted to here.
const long kExponentCap = 100000;

// The digits from `pos` on, added to `*mantissa` while it has room (`*count`
// counts them all); returns the position after them.
std::size_t ReadDigits(std::string_view text, std::size_t pos, std::uint64_t* mantissa,
                       int* count) {
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    if (*count < kMaxMantissaDigits) *mantissa = *mantissa * 10 + (text[pos] - '0');
    ++*count;
  }
  return pos;
}

// What a classic-locale input stream reads from `number`.
bool ReadWithStream(const std::string& number, double* value) {
  std::istringstream in(number);
  in.imbue(std::locale::classic());
  double read = 0.0;
  in >> read;
  *value = read;
  return !in.fail();
}

}  // namespace

bool ReadNumberPrefix(std::string_view text, double* value) {
  *value = 0.0;
  std::size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin])) ++begin;

  std::size_t pos = begin;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  std::uint64_t mantissa = 0;
  int digits = 0;
  pos = ReadDigits(text, pos, &mantissa, &digits);
  int fraction_digits = 0;
  if (pos < text.size() && text[pos] == '.') {
    const int before = digits;
    pos = ReadDigits(text, pos + 1, &mantissa, &digits);
    fraction_digits = digits - before;
  }
  if (digits == 0) return false;

  // The exponent belongs to the number only when at least one digit follows.
  long exponent = 0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exp = pos + 1;
    bool exp_negative = false;
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) {
      exp_negative = text[exp] == '-';
      ++exp;
    }
    std::size_t exp_end = exp;
    for (; exp_end < text.size() && IsDigit(text[exp_end]); ++exp_end) {
      if (exponent < kExponentCap) exponent = exponent * 10 + (text[exp_end] - '0');
    }
    if (exp_end > exp) {
      pos = exp_end;
      if (exp_negative) exponent = -exponent;
    } else {
      exponent = 0;
    }
  }

  // A mantissa and a power of ten that are both exact give the correctly
  // rounded number in one operation, as the stream's strtod does.
  const long power = exponent - fraction_digits;
  if (digits <= kMaxMantissaDigits && mantissa <= kMaxExactMantissa && power >= -kMaxExactPower &&
      power <= kMaxExactPower) {
    double exact = static_cast<double>(mantissa);
    exact = power < 0 ? exact / kExactPowersOfTen[-power] : exact * kExactPowersOfTen[power];
    *value = negative ? -exact : exact;
    return true;
  }

  // from_chars reads exactly what the stream reads (rounded alike), but
  // refuses a '+' and reports range errors its own way: those and anything
  // else it does not read whole go to the stream.
  const char* first = text.data() + begin;
  const char* last = text.data() + pos;
  if (*first == '+') ++first;
  double read = 0.0;
  const std::from_chars_result fast = std::from_chars(first, last, read);
  if (fast.ec == std::errc() && fast.ptr == last) {
    *value = read;
    return true;
  }
  return ReadWithStream(std::string(text.substr(begin, pos - begin)), value);
}

}  // namespace internal
}  // namespace MCOrvane_600
