#include "transform/engine/constant_number.h"

#include <charconv>
#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>
#include <system_error>

#include "orvane/values/numeric_value.h"

namespace MCOrvane_600 {
namespace internal {

double ConstantNumber(const std::string& parameter) {
  const std::size_t begin = ConstantTextBegin(parameter);
  const char* first = parameter.data() + begin;
  const char* last = parameter.data() + parameter.size();
  double x = 0.0;
  const std::from_chars_result read = std::from_chars(first, last, x);
  if (read.ec == std::errc() && read.ptr == last && std::isfinite(x)) return x;
  return NumericValue(parameter.substr(begin)).GetDouble();
}

std::string ExactNumberText(double x) {
  std::string text;
  for (int digits = 6; digits <= 17; ++digits) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::setprecision(digits) << x;
    text = out.str();
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double back = 0.0;
    if (in >> back && back == x) break;
  }
  return text;
}

}  // namespace internal
}  // namespace MCOrvane_600
