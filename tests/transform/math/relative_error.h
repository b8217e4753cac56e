#ifndef ORVANE_TESTS_TRANSFORM_MATH_RELATIVE_ERROR_H_
#define ORVANE_TESTS_TRANSFORM_MATH_RELATIVE_ERROR_H_

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>

namespace orvane_test {

// Passes when `actual` lies within `tolerance` of `expected`, relative to
// |expected| (absolute when expected is 0).
inline ::testing::AssertionResult RelNear(double actual, double expected, double tolerance) {
  const double scale = expected == 0.0 ? 1.0 : std::fabs(expected);
  const double error = std::fabs(actual - expected) / scale;
  if (error <= tolerance) return ::testing::AssertionSuccess();
  std::ostringstream out;
  out << std::setprecision(17) << "actual " << actual << " expected " << expected
      << " relative error " << error << " > " << tolerance;
  return ::testing::AssertionFailure() << out.str();
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_TRANSFORM_MATH_RELATIVE_ERROR_H_
