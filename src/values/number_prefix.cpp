#include "values/number_prefix.h"

#include <cstddef>
#include <locale>
#include <sstream>

namespace MCOrvane_600 {
namespace internal {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The classic locale's white space, which a skipping input stream passes over.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t SkipDigits(const std::string& text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

}  // namespace

bool ReadNumberPrefix(const std::string& text, double* value) {
  *value = 0.0;
  std::size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin])) ++begin;

  std::size_t pos = begin;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  const std::size_t int_begin = pos;
  pos = SkipDigits(text, pos);
  std::size_t digits = pos - int_begin;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t frac_begin = pos + 1;
    const std::size_t frac_end = SkipDigits(text, frac_begin);
    digits += frac_end - frac_begin;
    pos = frac_end;
  }
  if (digits == 0) return false;

  // The exponent belongs to the number only when at least one digit follows.
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exp = pos + 1;
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
    const std::size_t exp_end = SkipDigits(text, exp);
    if (exp_end > exp) pos = exp_end;
  }

  std::istringstream in(text.substr(begin, pos - begin));
  in.imbue(std::locale::classic());
  double read = 0.0;
  in >> read;
  *value = read;
  return !in.fail();
}

}  // namespace internal
}  // namespace MCOrvane_600
