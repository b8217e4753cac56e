#ifndef ORVANE_SRC_TRANSFORM_ENGINE_CONSTANT_NUMBER_H_
#define ORVANE_SRC_TRANSFORM_ENGINE_CONSTANT_NUMBER_H_

#include <cstddef>
#include <string>

namespace MCOrvane_600 {
namespace internal {

// A constant leaf's parameter name is "Constant_" + type letter + "_" + text:
// the letter at position 9, the text from position 11.
inline char ConstantType(const std::string& parameter) {
  return parameter.size() > 9 ? parameter[9] : '\0';
}
inline std::size_t ConstantTextBegin(const std::string& parameter) {
  return parameter.size() > 11 ? 11 : parameter.size();
}

// The number the text of a constant leaf denotes, as NumericValue reads
// text. Plain decimal numbers, by far the most common, are read without a
// stream.
double ConstantNumber(const std::string& parameter);

// `x` in the fewest significant digits that read back as `x` (classic
// locale). Stored date/time seconds need more than the six digits of a
// value's usual text: 2020-01-01 is 1577836800 seconds.
std::string ExactNumberText(double x);

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_ENGINE_CONSTANT_NUMBER_H_
