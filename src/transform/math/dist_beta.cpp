// The incomplete beta ratio, its inverse, and the F and t distributions.

#include <algorithm>
#include <cmath>
#include <limits>

#include "log_terms.h"
#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mc_power.h"
#include "orvane/transform/math/mcmv.h"

namespace MCMath_600 {

using MCCommon_600::MCMV;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxTerms = 10000;
// Degrees of freedom from which the F and t distributions are computed from
// their limits (chi-square, normal), which differ from them by O(1 / df):
// closer than the beta routes come there.
constexpr double kLimitDegreesOfFreedom = 1e10;

// The limits of F(df1, df2) when df1, df2 or both pass the bound, as
// P(F <= x) (`lower`) or P(F > x); false when neither does. For both, ln F
// is nearly normal with mean 1/df2 - 1/df1 and variance 2/df1 + 2/df2.
bool FLimit(double x, double df1, double df2, bool lower, double& value) {
  const bool large1 = df1 > kLimitDegreesOfFreedom;
  const bool large2 = df2 > kLimitDegreesOfFreedom;
  if (large1 && large2) {
    const double z = (std::log(x) + 1.0 / df1 - 1.0 / df2) / std::sqrt(2.0 / df1 + 2.0 / df2);
    value = MCDistFun::CdfStdNorm(lower ? z : -z);
  } else if (large2) {
    // df1 F is chi-square(df1); x df1 may overflow to infinity, whose tail is 0.
    value = lower ? MCDistFun::CdfChi(x * df1, df1) : MCDistFun::SigChi(x * df1, df1);
  } else if (large1) {
    // df2 / F is chi-square(df2).
    value = lower ? MCDistFun::SigChi(df2 / x, df2) : MCDistFun::CdfChi(df2 / x, df2);
  } else {
    return false;
  }
  return true;
}

// phi(t) (t^3 + t) / 4, the 1/df term of the t distribution's CDF below the
// normal one (0 where phi(t) is 0).
double TCorrection(double t) {
  if (std::fabs(t) > 40.0) return 0.0;
  return std::exp(-0.5 * t * t) / std::sqrt(2.0 * kPi) * (t * t * t + t) / 4.0;
}

// v * x^a (1 - x)^b / (a B(a, b)), the factor that turns the series and the
// continued fraction into I_x(a, b); 0 when it underflows.
double ScaleByBetaFactor(double v, double x, double cx, double a, double b) {
  if (!(v > 0.0)) return 0.0;
  const double exponent =
      std::log(v) + std::log(b / (a + b)) + log_terms::LogBinomialTerm(a, a + b, x, cx);
  return exponent < -708.0 ? 0.0 : std::exp(exponent);
}

// Power series of I_x(a, b) / factor; false when it does not settle within
// kMaxTerms terms (x near 1) or overflows (large b with x far from 0).
bool BetaSeries(double x, double a, double b, double& sum) {
  double term = 1.0;
  sum = 1.0;
  for (int i = 0; i < kMaxTerms; ++i) {
    term *= (i + a + b) / (i + a + 1.0) * x;
    sum += term;
    if (std::fabs(term) < 1e-15) return true;
    if (!std::isfinite(sum)) return false;
  }
  return false;
}

// Continued fraction of I_x(a, b) / factor, by the modified Lentz method,
// until two successive values agree by AlmostEqual; false when it has not
// converged after kMaxTerms steps.
bool BetaFraction(double x, double a, double b, double& value) {
  constexpr double kTiny = 1e-300;
  // Ten epsilons whatever a and b: a tolerance that grows with a + b stops
  // early enough to lose five digits at a = b = 1e10.
  constexpr double kFactor = 10.0;
  const auto guard = [](double t) { return std::fabs(t) < kTiny ? kTiny : t; };
  double c = 1.0;
  double d = 1.0 / guard(1.0 - (a + b) * x / (a + 1.0));
  double h = d;
  for (int m = 1; m <= kMaxTerms; ++m) {
    const double previous = h;
    const double m2 = 2.0 * m;
    double step = m * (b - m) * x / ((a - 1.0 + m2) * (a + m2));
    d = 1.0 / guard(1.0 + step * d);
    c = guard(1.0 + step / c);
    h *= d * c;
    step = -(a + m) * (a + b + m) * x / ((a + m2) * (a + 1.0 + m2));
    d = 1.0 / guard(1.0 + step * d);
    c = guard(1.0 + step / c);
    h *= d * c;
    if (MCPower::AlmostEqual(previous, h, kFactor)) {
      value = h;
      return true;
    }
  }
  return false;
}

// Peizer-Pratt normal approximation of I_x(a, b) = P(Y <= b - 1) for Y
// binomial with a + b - 1 trials of probability 1 - x.
double PeizerPrattBeta(double x, double cx, double a, double b, long& err) {
  const double n = a + b - 1.0;
  const double p = cx;
  const double q = x;
  const double d =
      b - 1.0 / 3.0 - (n + 1.0 / 3.0) * p + (q / b - p / a + (q - 0.5) / (n + 1.0)) / 50.0;
  const double g_low = MCDistFun::cbtaux((b - 0.5) / (n * p));
  const double g_high = MCDistFun::cbtaux((a - 0.5) / (n * q));
  const double spread = 1.0 + q * g_low + p * g_high;
  if (MCMV::IsMissing(g_low) || MCMV::IsMissing(g_high) || !(spread > 0.0)) {
    err = 2;
    return MCMV::Missing();
  }
  return MCDistFun::prbnrm(d * std::sqrt(spread / ((n + 1.0 / 6.0) * p * q)));
}

}  // namespace

double MCDistFun::BetaRatio(double x, double cx, double a, double b, long& err) {
  err = 0;
  if (!(a > 0.0) || !(b > 0.0) || std::isnan(x)) {
    err = 1;
    return MCMV::Missing();
  }
  if (x <= 0.0) return 0.0;
  if (x >= 1.0) return 1.0;
  if (a == 1.0) {
    if (b == 1.0) return x;
    const double exponent = b * (x < 0.5 ? std::log1p(-x) : std::log(cx));
    return exponent < -708.0 ? 1.0 : -std::expm1(exponent);
  }
  if (b == 1.0) {
    const double exponent = a * std::log(x);
    return exponent < -708.0 ? 0.0 : std::exp(exponent);
  }
  double v;
  if (!(a > 1.0 && b > 1.0)) {
    if (BetaSeries(x, a, b, v)) return ScaleByBetaFactor(v, x, cx, a, b);
    // Near x = 1 the series of the mirrored ratio I_(1-x)(b, a) converges
    // instead; its complement is kept unless it would cancel (the fraction
    // below loses digits there when 1 - x is tiny).
    if (BetaSeries(cx, b, a, v)) {
      const double mirrored = ScaleByBetaFactor(v, cx, x, b, a);
      if (mirrored <= 0.999) return 1.0 - mirrored;
    }
  }

  // The fraction converges fast below the mean; above it, use the symmetry
  // I_x(a, b) = 1 - I_(1-x)(b, a).
  const bool swapped = x >= (a + 1.0) / (a + b + 2.0);
  if (swapped) {
    std::swap(a, b);
    std::swap(x, cx);
  }
  double ratio;
  if (BetaFraction(x, a, b, v)) {
    ratio = ScaleByBetaFactor(v, x, cx, a, b);
  } else {
    ratio = PeizerPrattBeta(x, cx, a, b, err);
    if (err != 0) return ratio;
  }
  return swapped ? 1.0 - ratio : ratio;
}

double MCDistFun::cdfbet(double x, double a, double b, long& err) {
  return BetaRatio(x, 1.0 - x, a, b, err);
}

double MCDistFun::cbtaux(double u) {
  static const double large = std::sqrt(std::numeric_limits<double>::max());
  if (u < 0.0) return MCMV::Missing();
  if (u == 0.0) return 1.0;
  if (u == 1.0) return 0.0;
  if (u > large) return 2.0 * std::log(u) / u - 1.0;
  const double e = u - 1.0;
  if (std::fabs(e) < 0.1) {
    // Series in u - 1: the closed form cancels to about e^3 / 3.
    double sum = 0.0;
    double power = 1.0;
    for (int j = 1; j <= 40; ++j) {
      power *= -e;
      const double next = sum + 2.0 * power / ((j + 1.0) * (j + 2.0));
      if (next == sum) break;
      sum = next;
    }
    return sum;
  }
  return (1.0 - u * u + 2.0 * u * std::log(u)) / (e * e);
}

double MCDistFun::BetaQuantile(double p, double a, double b, double& complement) {
  constexpr double kRelativeAccuracy = 1e-10;
  constexpr double kSmallestSquare = 1e-300;
  complement = -1.0;
  if (p == 0.0) {
    complement = 1.0;
    return 0.0;
  }
  if (p == 1.0) {
    complement = 0.0;
    return 1.0;
  }
  if (!(a > 0.0) || !(b > 0.0) || !(p > 0.0 && p < 1.0)) return -1.0;
  if (a == b) {
    if (p == 0.5) {
      complement = 0.5;
      return 0.5;
    }
    if (a == 0.5) {
      // sin^2(pi p / 2); each side from its own small angle.
      const double low = std::sin(kPi * p / 2.0);
      const double high = std::sin(kPi * (1.0 - p) / 2.0);
      complement = high * high;
      return low * low;
    }
  }
  if (a == 1.0) {
    const double exponent = std::log1p(-p) / b;
    if (exponent < -708.0) {
      complement = 0.0;
      return 1.0;
    }
    complement = std::exp(exponent);
    return -std::expm1(exponent);
  }
  if (b == 1.0) {
    const double exponent = std::log(p) / a;
    if (exponent < -708.0) {
      complement = 1.0;
      return 0.0;
    }
    complement = -std::expm1(exponent);
    return std::exp(exponent);
  }
  if (b <= a * 1e-20) {
    complement = 0.0;
    return 1.0;
  }

  // Work on the smaller tail, unless the quantile lies so close to one end
  // that on that tail it would be 1 minus a number within rounding of 1: the
  // leading term of the series at the near end, x^a / (a B(a, b)) at 0 or
  // (1 - x)^b / (b B(a, b)) at 1, then finds it directly.
  const double log_beta = dnlgam(a) + dnlgam(b) - dnlgam(a + b);
  const double near_zero = (std::log(p * a) + log_beta) / a;
  const double near_one = (std::log1p(-p) + std::log(b) + log_beta) / b;
  bool upper = p > 0.5;
  bool leading_term_start = false;
  if (upper && near_zero < -7.0 && b * std::exp(near_zero) < 1e-3) {
    upper = false;
    leading_term_start = true;
  } else if (!upper && near_one < -7.0 && a * std::exp(near_one) < 1e-3) {
    upper = true;
    leading_term_start = true;
  }
  const double tail = upper ? 1.0 - p : p;
  const double pp = upper ? b : a;
  const double qq = upper ? a : b;
  const double y = -probit(tail);
  // x and 1 - x are carried side by side, each exact where it is small.
  const auto finish = [&](double x, double cx) {
    complement = upper ? x : cx;
    return upper ? cx : x;
  };

  // Starting value of AS 109 (Majumder and Bhattacharjee 1973).
  double x;
  double cx;
  double exponent = 0.0;
  if (leading_term_start) {
    exponent = (std::log(tail * pp) + log_beta) / pp;
    x = std::exp(exponent);
    cx = -std::expm1(exponent);
  } else if (pp > 1.0 && qq > 1.0) {
    const double r = (y * y - 3.0) / 6.0;
    const double s = 1.0 / (2.0 * pp - 1.0);
    const double t = 1.0 / (2.0 * qq - 1.0);
    const double h = 2.0 / (s + t);
    const double w = y * std::sqrt(h + r) / h - (t - s) * (r + 5.0 / 6.0 - 2.0 / (3.0 * h));
    exponent = 2.0 * w;
    const double scaled = qq * std::exp(std::min(exponent, 709.0));
    x = pp / (pp + scaled);
    cx = scaled / (pp + scaled);
  } else {
    const double r = 2.0 * qq;
    double t = 1.0 / (9.0 * qq);
    t = r * std::pow(1.0 - t + y * std::sqrt(t), 3.0);
    if (t > 0.0) t = (4.0 * pp + r - 2.0) / t;
    x = 0.0;
    if (t <= 0.0) {
      // Leading term of the series at x = 1.
      exponent = (std::log1p(-tail) + std::log(qq) + log_beta) / qq;
      x = -std::expm1(exponent);
      cx = std::exp(exponent);
    }
    if (t > 1.0) {
      x = (t - 1.0) / (t + 1.0);
      cx = 2.0 / (t + 1.0);
    } else if (!(x > 0.0)) {
      // Leading term of the series at x = 0 (also when the form at 1 gives
      // nothing in (0, 1)).
      exponent = (std::log(tail * pp) + log_beta) / pp;
      x = std::exp(exponent);
      cx = -std::expm1(exponent);
    }
  }
  if (exponent > 709.0) return finish(pp / (pp + qq), qq / (pp + qq));
  // A quantile below the smallest double is 0 (or 1).
  if (!(x > 0.0)) return finish(0.0, 1.0);
  if (!(cx > 0.0)) return finish(1.0, 0.0);

  // Newton steps on I_x - tail, each cut by 3 until it shrinks and stays in
  // (0, 1). The variable stepped is the smaller of x and 1 - x, so that the
  // start needs no clamping away from the ends and both keep their digits.
  // The stopping rule (a squared correction of 1e-20) is taken relative to
  // that variable, and the last correction is kept.
  const bool step_complement = x > 0.5;
  double u = step_complement ? cx : x;
  const double r = 1.0 - pp;
  const double t = 1.0 - qq;
  double previous_y = 0.0;
  double square = 1.0;
  double previous = 1.0;
  for (int step = 0; step < 50; ++step) {
    x = step_complement ? 1.0 - u : u;
    cx = step_complement ? u : 1.0 - u;
    long err;
    const double ratio = BetaRatio(x, cx, pp, qq, err);
    if (err != 0) return -1.0;
    const double log_density = std::min(log_beta + r * std::log(x) + t * std::log(cx), 709.0);
    double yn = (ratio - tail) * std::exp(log_density);
    if (!std::isfinite(yn)) return -1.0;
    if (step_complement) yn = -yn;
    if (yn * previous_y <= 0.0) previous = std::max(square, kSmallestSquare);
    double g = 1.0;
    double next;
    for (;;) {
      const double adjustment = g * yn;
      square = adjustment * adjustment;
      next = u - adjustment;
      if (square < previous && next > 0.0 && next < 1.0) break;
      g /= 3.0;
    }
    const double limit = kRelativeAccuracy * u;
    const bool done = std::sqrt(previous) <= limit || std::fabs(yn) <= limit;
    if (next == u) break;
    u = next;
    previous_y = yn;
    if (done) break;
  }
  return step_complement ? finish(1.0 - u, u) : finish(u, 1.0 - u);
}

double MCDistFun::betinv(double p, double a, double b) {
  double complement;
  return BetaQuantile(p, a, b, complement);
}

double MCDistFun::IdfBeta(const double& p, const double& a, const double& b) {
  return betinv(p, a, b);
}

double MCDistFun::CdfF(double x, double df1, double df2) {
  if (!(df1 > 0.0) || !(df2 > 0.0)) return MCMV::Missing();
  if (x <= 0.0) return 0.0;
  double value;
  if (FLimit(x, df1, df2, true, value)) return value;
  const double r = df2 / df1;
  long err;
  if (x < 1.0) {
    value = BetaRatio(x / (r + x), r / (r + x), df1 / 2.0, df2 / 2.0, err);
  } else {
    value = 1.0 - BetaRatio(r / (x + r), x / (x + r), df2 / 2.0, df1 / 2.0, err);
  }
  return err != 0 ? MCMV::Missing() : value;
}

double MCDistFun::SigF(double x, double df1, double df2) {
  if (!(df1 > 0.0) || !(df2 > 0.0)) return MCMV::Missing();
  if (x <= 0.0) return 1.0;
  double value;
  if (FLimit(x, df1, df2, false, value)) return value;
  const double r = df2 / df1;
  long err;
  if (x >= 1.0) {
    value = BetaRatio(r / (r + x), x / (r + x), df2 / 2.0, df1 / 2.0, err);
  } else {
    value = 1.0 - BetaRatio(x / (r + x), r / (r + x), df1 / 2.0, df2 / 2.0, err);
  }
  return err != 0 ? MCMV::Missing() : value;
}

double MCDistFun::IdfF(double p, double df1, double df2) {
  if (!(df1 > 0.0) || !(df2 > 0.0) || !(p >= 0.0 && p < 1.0)) return MCMV::Missing();
  if (p == 0.0) return 0.0;
  // Beyond any double's precision of 1 / df2 the distribution is its limit,
  // chi-square(df1) / df1; the ratio below would multiply 0 by infinity.
  // The limits as in FLimit; the ratio below would multiply 0 by infinity.
  if (df1 > kLimitDegreesOfFreedom && df2 > kLimitDegreesOfFreedom) {
    return std::exp(IdfStdNorm(p) * std::sqrt(2.0 / df1 + 2.0 / df2) - 1.0 / df1 + 1.0 / df2);
  }
  if (df1 > kLimitDegreesOfFreedom || df2 > kLimitDegreesOfFreedom) {
    const bool large2 = df2 > kLimitDegreesOfFreedom;
    const double chi = large2 ? IdfChi(p, df1) : IdfChi(1.0 - p, df2);
    if (MCMV::IsMissing(chi)) return chi;
    return large2 ? chi / df1 : df2 / chi;
  }
  double complement;
  const double q = BetaQuantile(p, df1 / 2.0, df2 / 2.0, complement);
  // 1 - q comes from the quantile routine, so q rounding to 1 is no failure.
  if (!(q >= 0.0) || !(complement > 0.0)) return MCMV::Missing();
  return df2 / df1 * q / complement;
}

double MCDistFun::CdfT(double t, double df) {
  if (!(df > 0.0)) return MCMV::Missing();
  if (t == 0.0) return 0.5;
  if (df == 1.0) {
    // Far in the lower tail the sum cancels; atan(-1/t) is the same number.
    return t < -1e4 ? std::atan(-1.0 / t) / kPi : 0.5 + std::atan(t) / kPi;
  }
  if (df > kLimitDegreesOfFreedom) return CdfStdNorm(t) - TCorrection(t) / df;
  const double t2 = t * t;
  long err;
  double value;
  if (std::fabs(t) <= 1.0) {
    double v = BetaRatio(t2 / (df + t2), df / (df + t2), 0.5, df / 2.0, err);
    if (t < 0.0) v = -v;
    value = 0.5 + 0.5 * v;
  } else {
    const double v = BetaRatio(df / (df + t2), t2 / (df + t2), df / 2.0, 0.5, err) / 2.0;
    value = t > 1.0 ? 1.0 - v : v;
  }
  return err != 0 ? MCMV::Missing() : value;
}

double MCDistFun::SigT(double t, double df) {
  if (!(df > 0.0)) return MCMV::Missing();
  if (t == 0.0) return 0.5;
  if (df == 1.0) {
    return t > 1e4 ? std::atan(1.0 / t) / kPi : 0.5 - std::atan(t) / kPi;
  }
  if (df > kLimitDegreesOfFreedom) return CdfStdNorm(-t) + TCorrection(t) / df;
  const double t2 = t * t;
  long err;
  double value;
  if (std::fabs(t) <= 1.0) {
    const double v = BetaRatio(t2 / (df + t2), df / (df + t2), 0.5, df / 2.0, err);
    value = t > 0.0 ? 0.5 - 0.5 * v : 0.5 + 0.5 * v;
  } else {
    const double v = BetaRatio(df / (df + t2), t2 / (df + t2), df / 2.0, 0.5, err) / 2.0;
    value = t > 1.0 ? v : 1.0 - v;
  }
  return err != 0 ? MCMV::Missing() : value;
}

double MCDistFun::IdfT(double p, double df) {
  if (!(df > 0.0) || !(p > 0.0 && p < 1.0)) return MCMV::Missing();
  if (p == 0.5) return 0.0;
  if (df > kLimitDegreesOfFreedom) {
    // The normal quantile with its 1/df term (Cornish-Fisher).
    const double z = IdfStdNorm(p);
    return z + (z * z * z + z) / (4.0 * df);
  }
  const double y = p < 0.5 ? 2.0 * p : 2.0 - 2.0 * p;
  double complement;
  const double q = BetaQuantile(y, df / 2.0, 0.5, complement);
  if (q == -1.0 || !(q > 0.0)) return MCMV::Missing();
  const double square = complement / q * df;
  if (!(square > 0.0)) return MCMV::Missing();
  const double t = std::sqrt(square);
  return p < 0.5 ? -t : t;
}

}  // namespace MCMath_600
