#include "log_terms.h"

#include <cmath>

#include "orvane/transform/math/mc_dist_fun.h"

namespace MCMath_600 {
namespace log_terms {

namespace {
constexpr double kLnSqrt2Pi = 0.9189385332046728;
constexpr double kLn2Pi = 1.8378770664093453;
}  // namespace

double StirlingError(double z) {
  if (z > 8.0) {
    // The series part of the Stirling form of the log-gamma routine.
    const double w = 1.0 / (z * z);
    return (0.08333333333333309 +
            w * (-0.0027777777773546303 +
                 w * (0.0007936505750541542 +
                      w * (-0.0005951894757572819 +
                           w * (0.0008364453370338596 - 0.0016331235920050082 * w))))) /
           z;
  }
  return MCDistFun::dnlgam(z + 1.0) - (z + 0.5) * std::log(z) + z - kLnSqrt2Pi;
}

double Deviance(double x, double m) {
  if (x == 0.0) return m;
  const double diff = x - m;
  // Half the sum, so that arguments near the largest double do not overflow.
  const double half_sum = 0.5 * x + 0.5 * m;
  if (std::fabs(diff) < 0.2 * half_sum) {
    // Series in v = (x - m) / (x + m), free of the cancellation of the
    // closed form when x is close to m.
    double v = 0.5 * diff / half_sum;
    double sum = diff * v;
    double term = x * (2.0 * v);
    v *= v;
    for (int j = 1; j < 1000; ++j) {
      term *= v;
      const double next = sum + term / (2 * j + 1);
      if (next == sum) break;
      sum = next;
    }
    return sum;
  }
  return x * std::log(x / m) + m - x;
}

double LogBinomialTerm(double k, double n, double p, double q) {
  if (k == 0.0) return n * (p < 0.5 ? std::log1p(-p) : std::log(q));
  if (k == n) return n * (q < 0.5 ? std::log1p(-q) : std::log(p));
  const double rest = n - k;
  // n p and n q from the smaller of p and q, the one the caller has exactly.
  const double np = p <= q ? n * p : n - n * q;
  const double nq = p <= q ? n - n * p : n * q;
  const double lc = StirlingError(n) - StirlingError(k) - StirlingError(rest) - Deviance(k, np) -
                    Deviance(rest, nq);
  return lc - 0.5 * (kLn2Pi + std::log(k) + std::log(rest / n));
}

double LogPoissonTerm(double a, double x) {
  return -StirlingError(a) - Deviance(a, x) - 0.5 * (kLn2Pi + std::log(a));
}

}  // namespace log_terms
}  // namespace MCMath_600
