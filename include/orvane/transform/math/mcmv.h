#ifndef ORVANE_TRANSFORM_MATH_MCMV_H_
#define ORVANE_TRANSFORM_MATH_MCMV_H_

namespace MCCommon_600 {

// The numeric missing-value marker of the distribution functions: every one
// of them that cannot produce a value answers it. It is the same number as the
// system-missing value of the score values.
class MCMV {
 public:
  static double Missing();
  // True exactly when `x` is the marker (no tolerance).
  static bool IsMissing(double x);

 private:
  static const double gMissingValue;
};

}  // namespace MCCommon_600

#endif  // ORVANE_TRANSFORM_MATH_MCMV_H_
