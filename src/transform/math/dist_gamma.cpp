// Log-gamma, the incomplete gamma ratio and the chi-square distribution.

#include <algorithm>
#include <cmath>
#include <limits>

#include "log_terms.h"
#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mcmv.h"

namespace MCMath_600 {

using MCCommon_600::MCMV;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Rational approximations of ln Gamma of W. J. Cody and L. Stoltz (as in the
// Argonne special-function package): (0, 1.5] around 1, (1.5, 4] around 2,
// (4, 12] around 4. Coefficients highest power first.
constexpr double kD1 = -5.772156649015328605195174e-1;
constexpr double kP1[8] = {4.945235359296727046734888e0, 2.018112620856775083915565e2,
                           2.290838373831346393026739e3, 1.131967205903380828685045e4,
                           2.855724635671635335736389e4, 3.848496228443793359990269e4,
                           2.637748787624195437963534e4, 7.225813979700288197698961e3};
constexpr double kQ1[8] = {6.748212550303777196073036e1, 1.113332393857199323513008e3,
                           7.738757056935398733233834e3, 2.763987074403340708898585e4,
                           5.499310206226157329794414e4, 6.161122180066002127833352e4,
                           3.635127591501940507276287e4, 8.785536302431013170870835e3};
constexpr double kD2 = 4.227843350984671393993777e-1;
constexpr double kP2[8] = {4.974607845568932035012064e0, 5.424138599891070494101986e2,
                           1.550693864978364947665077e4, 1.847932904445632425417223e5,
                           1.088204769468828767498470e6, 3.338152967987029735917223e6,
                           5.106661678927352456275255e6, 3.074109054850539556250927e6};
constexpr double kQ2[8] = {1.830328399370592604055942e2, 7.765049321445005871323047e3,
                           1.331903827966074194402448e5, 1.136705821321969608938755e6,
                           5.267964117437946917577538e6, 1.346701454311101692290052e7,
                           1.782736530353274213975932e7, 9.533095591844353613395747e6};
constexpr double kD4 = 1.791759469228055000094023e0;
constexpr double kP4[8] = {1.474502166059939948905062e4,  2.426813369486704502836312e6,
                           1.214755574045093227939592e8,  2.663432449630976949898078e9,
                           2.940378956634553899906876e10, 1.702665737765398868392998e11,
                           4.926125793377430887588120e11, 5.606251856223951465078242e11};
constexpr double kQ4[8] = {2.690530175870899333379843e3,  6.393885654300092398984238e5,
                           4.135599930241388052042842e7,  1.120872109616147941376570e9,
                           1.488613728678813811542398e10, 1.016803586272438228077304e11,
                           3.417476345507377132798597e11, 4.463158187419713286462081e11};

// num/den with den's leading term `den0` (1 or -1).
double RatioOf(const double (&p)[8], const double (&q)[8], double den0, double t) {
  double num = 0.0;
  double den = den0;
  for (int i = 0; i < 8; ++i) {
    num = num * t + p[i];
    den = den * t + q[i];
  }
  return num / den;
}

// Cody and Stoltz's ln Gamma for 0 < x <= 8.
double LogGammaSmall(double x) {
  if (x <= std::numeric_limits<double>::epsilon()) return -std::log(x);
  if (x <= 1.5) {
    double correction = 0.0;
    double xm1;
    if (x < 0.6796875) {
      correction = -std::log(x);
      xm1 = x;
    } else {
      xm1 = (x - 0.5) - 0.5;
    }
    if (x <= 0.5 || x >= 0.6796875)
      return correction + xm1 * (kD1 + xm1 * RatioOf(kP1, kQ1, 1.0, xm1));
    const double xm2 = (x - 0.5) - 0.5;
    return correction + xm2 * (kD2 + xm2 * RatioOf(kP2, kQ2, 1.0, xm2));
  }
  if (x <= 4.0) {
    const double xm2 = x - 2.0;
    return xm2 * (kD2 + xm2 * RatioOf(kP2, kQ2, 1.0, xm2));
  }
  const double xm4 = x - 4.0;
  return kD4 + xm4 * RatioOf(kP4, kQ4, -1.0, xm4);
}

// C(n, k) by products, exact for the small integers dnlbnc gives it.
double ExactBinomial(double n, double k) {
  const double m = std::min(k, n - k);
  double c = 1.0;
  for (double i = 1.0; i <= m; i += 1.0) c = c * (n - m + i) / i;
  return c;
}

// Wilson-Hilferty normal approximation of P(shape, x) for very large shapes.
double GammaNormalApprox(double x, double shape, bool lower) {
  const double z = 3.0 * std::sqrt(shape) * (std::cbrt(x / shape) + 1.0 / (9.0 * shape) - 1.0);
  return MCDistFun::prbnrm(lower ? z : -z);
}

// Shapes above this take the normal approximation: the series and the
// continued fraction need on the order of sqrt(shape) terms.
constexpr double kGammaNormalShape = 1e10;

}  // namespace

double MCDistFun::dnlgam(double x) {
  if (x > 8.0) {
    return (x - 0.5) * std::log(x) - x + 0.9189385332046728 + log_terms::StirlingError(x);
  }
  if (x == 1.0 || x == 2.0) return 0.0;
  if (x == 0.5) return 0.5 * std::log(kPi);
  if (!(x > 0.0)) return MCMV::Missing();
  return LogGammaSmall(x);
}

double MCDistFun::qrtzdnlgam(const double& x) { return dnlgam(x); }

double MCDistFun::dnlbnc(double n, double k, long& err) {
  err = 0;
  if (n <= 0.0 || k < 0.0 || n < k) {
    err = 1;
    return MCMV::Missing();
  }
  if (k == 0.0 || k == n) return 0.0;
  if (n <= 33.0 && std::floor(n) == n && std::floor(k) == k) return std::log(ExactBinomial(n, k));
  const double value = dnlgam(n + 1.0) - dnlgam(k + 1.0) - dnlgam(n - k + 1.0);
  return value < 0.0 ? 0.0 : value;
}

double MCDistFun::gammad(double x, double shape, bool lower, long& err) {
  static const double overflow_bound = std::sqrt(std::numeric_limits<double>::max());
  constexpr double kTolerance = 1e-14;
  err = 0;
  if (!(shape > 0.0) || std::isnan(x)) {
    err = 1;
    return MCMV::Missing();
  }
  if (!(x > 0.0)) return lower ? 0.0 : 1.0;
  if (std::isinf(x)) return lower ? 1.0 : 0.0;
  if (shape == 1.0) {
    if (lower) return -std::expm1(-x);
    return -x < -708.0 ? 0.0 : std::exp(-x);
  }
  if (shape > kGammaNormalShape) return GammaNormalApprox(x, shape, lower);

  if (x <= 1.0 || x <= shape) {
    // Pearson's series for the lower tail.
    double term = 1.0;
    double sum = 1.0;
    double a = shape;
    do {
      a += 1.0;
      term *= x / a;
      sum += term;
    } while (term > kTolerance);
    const double arg = log_terms::LogPoissonTerm(shape, x) + std::log(sum);
    const double tail = arg < -708.0 ? 0.0 : std::exp(arg);
    return lower ? tail : 1.0 - tail;
  }

  // The fraction's value is below 1 here, so when the factor before it
  // underflows the upper tail is 0; far out, the fraction's terms would
  // overflow first.
  const double log_factor = std::log(shape) + log_terms::LogPoissonTerm(shape, x);
  if (log_factor < -708.0) return lower ? 1.0 : 0.0;

  // Legendre's continued fraction for the upper tail.
  double a = 1.0 - shape;
  double b = a + x + 1.0;
  double c = 0.0;
  double pn1 = 1.0;
  double pn2 = x;
  double pn3 = x + 1.0;
  double pn4 = x * b;
  double value = pn3 / pn4;
  // It converges in O(sqrt(shape)) steps; the bound only guards against a
  // loop without end.
  for (long step = 0; step < 100000000L; ++step) {
    a += 1.0;
    b += 2.0;
    c += 1.0;
    const double an = a * c;
    const double pn5 = b * pn3 - an * pn1;
    const double pn6 = b * pn4 - an * pn2;
    if (pn6 != 0.0) {
      const double rn = pn5 / pn6;
      const bool settled = std::fabs(value - rn) <= std::min(kTolerance, kTolerance * rn);
      value = rn;
      if (settled) break;
    }
    pn1 = pn3;
    pn2 = pn4;
    pn3 = pn5;
    pn4 = pn6;
    if (std::fabs(pn5) >= overflow_bound) {
      pn1 /= overflow_bound;
      pn2 /= overflow_bound;
      pn3 /= overflow_bound;
      pn4 /= overflow_bound;
    }
  }
  const double arg = log_factor + std::log(value);
  const double tail = arg < -708.0 ? 0.0 : std::exp(arg);
  return lower ? 1.0 - tail : tail;
}

double MCDistFun::CdfChi(double x, double df) {
  if (!(df > 0.0)) return MCMV::Missing();
  if (x <= 0.0) return 0.0;
  long err;
  const double p = gammad(x / 2.0, df / 2.0, true, err);
  return err != 0 ? MCMV::Missing() : p;
}

double MCDistFun::SigChi(double x, double df) {
  if (!(df > 0.0)) return MCMV::Missing();
  if (x <= 0.0) return 1.0;
  long err;
  const double q = gammad(x / 2.0, df / 2.0, false, err);
  return err != 0 ? MCMV::Missing() : q;
}

double MCDistFun::ChiQuantile(double p, double df, long& err) {
  constexpr double kLn2 = 0.6931471805599453;
  constexpr double kTolerance = 5e-7;
  constexpr int kMaxIterations = 20;
  err = 0;
  const double xx = 0.5 * df;
  const double c = xx - 1.0;
  const double g = dnlgam(xx);
  double ch;

  if (df < -1.24 * std::log(p)) {
    // Small chi-square: invert the leading term of the series.
    ch = std::pow(p * xx * std::exp(g + xx * kLn2), 1.0 / xx);
    if (ch < kTolerance) return ch;
  } else if (df <= 0.32) {
    // Small df: Newton steps on a rational approximation.
    ch = 0.4;
    const double a = std::log1p(-p);
    double q;
    int steps = 0;
    do {
      q = ch;
      const double p1 = 1.0 + ch * (4.67 + ch);
      const double p2 = ch * (6.73 + ch * (6.66 + ch));
      const double t = -0.5 + (4.67 + 2.0 * ch) / p1 - (6.73 + ch * (13.32 + 3.0 * ch)) / p2;
      ch -= (1.0 - std::exp(a + g + 0.5 * ch + c * kLn2) * p2 / p1) / t;
      if (++steps > 100 || !(ch > 0.0) || !std::isfinite(ch)) {
        err = 2;
        return MCMV::Missing();
      }
    } while (std::fabs(q / ch - 1.0) > 0.01);
  } else {
    // Wilson and Hilferty, or the large-p form.
    const double x = probit(p);
    const double p1 = 0.222222 / df;
    ch = df * std::pow(x * std::sqrt(p1) + 1.0 - p1, 3.0);
    if (ch > 2.2 * df + 6.0) ch = -2.0 * (std::log1p(-p) - c * std::log(0.5 * ch) + g);
  }

  // Seven-term Taylor series steps. The difference from p is taken on the
  // smaller tail so that p near 1 keeps its digits.
  for (int i = 0; i < kMaxIterations; ++i) {
    const double q = ch;
    const double p1 = 0.5 * ch;
    long gamma_err;
    const double p2 = p > 0.5 ? gammad(p1, xx, false, gamma_err) - (1.0 - p)
                              : p - gammad(p1, xx, true, gamma_err);
    if (gamma_err != 0) {
      err = 2;
      return MCMV::Missing();
    }
    const double exponent = xx * kLn2 + g + p1 - c * std::log(ch);
    if (exponent > 141.8) {
      err = 2;
      return MCMV::Missing();
    }
    const double t = p2 * std::exp(exponent);
    const double b = t / ch;
    const double a = 0.5 * t - b * c;
    const double s1 =
        (210.0 + a * (140.0 + a * (105.0 + a * (84.0 + a * (70.0 + 60.0 * a))))) / 420.0;
    const double s2 = (420.0 + a * (735.0 + a * (966.0 + a * (1141.0 + 1278.0 * a)))) / 2520.0;
    const double s3 = (210.0 + a * (462.0 + a * (707.0 + 932.0 * a))) / 2520.0;
    const double s4 =
        (252.0 + a * (672.0 + 1182.0 * a) + c * (294.0 + a * (889.0 + 1740.0 * a))) / 5040.0;
    const double s5 = (84.0 + 264.0 * a + c * (175.0 + 606.0 * a)) / 2520.0;
    const double s6 = (120.0 + c * (346.0 + 127.0 * c)) / 5040.0;
    ch += t *
          (1.0 + 0.5 * t * s1 - b * c * (s1 - b * (s2 - b * (s3 - b * (s4 - b * (s5 - b * s6))))));
    if (!std::isfinite(ch) || ch <= 0.0) {
      err = 2;
      return MCMV::Missing();
    }
    if (std::fabs(q / ch - 1.0) <= kTolerance) break;
  }
  return ch;
}

double MCDistFun::idfchb(double p, double df, long& err) {
  err = 0;
  if (!(df > 0.0) || !(p >= 0.0 && p < 1.0)) {
    err = 1;
    return MCMV::Missing();
  }
  if (p == 0.0) return 0.0;
  const double shape = df / 2.0;
  long gamma_err = 0;
  // Whether P(X <= x) < p, judged on the smaller tail so that p near 1
  // keeps its digits.
  const auto below = [&](double x) {
    return p > 0.5 ? gammad(x / 2.0, shape, false, gamma_err) > 1.0 - p
                   : gammad(x / 2.0, shape, true, gamma_err) < p;
  };
  // Bracket the quantile within a factor of 2 around the mean, then halve
  // the bracket.
  double low = df;
  double high = df;
  if (!below(df)) {
    do {
      high = low;
      low /= 2.0;
    } while (low > 0.0 && !below(low));
  } else {
    do {
      low = high;
      high *= 2.0;
    } while (std::isfinite(high) && below(high));
  }
  double mid = 0.5 * (low + high);
  for (int i = 0; i < 40 && std::isfinite(mid) && high - low >= 1e-8 * mid; ++i) {
    if (below(mid)) {
      low = mid;
    } else {
      high = mid;
    }
    mid = 0.5 * (low + high);
  }
  if (gamma_err != 0 || !std::isfinite(mid)) {
    err = 2;
    return MCMV::Missing();
  }
  return mid;
}

double MCDistFun::IdfChi(double p, double df) {
  if (!(df > 0.0) || !(p >= 0.0 && p < 1.0)) return MCMV::Missing();
  if (p == 0.0) return 0.0;
  long err;
  const double ch = ChiQuantile(p, df, err);
  if (err == 0) return ch;
  // The bisection inverse is slower but cannot diverge.
  const double bisected = idfchb(p, df, err);
  return err != 0 ? MCMV::Missing() : bisected;
}

}  // namespace MCMath_600
