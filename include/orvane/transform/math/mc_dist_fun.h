#ifndef ORVANE_TRANSFORM_MATH_MC_DIST_FUN_H_
#define ORVANE_TRANSFORM_MATH_MC_DIST_FUN_H_

#include <vector>

namespace MCMath_600 {

// Distribution functions: cumulative probabilities (Cdf), upper-tail
// significances (Sig), quantiles (Idf) and probability masses (Pdf) of the
// normal, chi-square, F, t, beta, binomial and hypergeometric distributions,
// a grouped percentile and confidence limits of the median.
//
// Nothing here throws. A function that cannot produce a value answers
// MCCommon_600::MCMV::Missing(), except IdfBeta(), which answers -1. The
// trailing error code of the discrete functions is 0 on success, 1 for
// invalid arguments, 2 when the computation failed or left its range, and 3
// (CdfBin only) for a non-integer number of trials; whenever it is not 0 the
// result is the missing value.
//
// All functions are pure and may be called from several threads.
class MCDistFun {
 public:
  // Normal distribution. sd <= 0 and p outside (0, 1) give the missing value.
  static double CdfStdNorm(double x);
  static double CdfNorm(double x, double mean, double sd);
  static double IdfStdNorm(double p);
  static double IdfNorm(double p, double mean, double sd);

  // Chi-square distribution; df <= 0 gives the missing value.
  static double CdfChi(double x, double df);
  static double SigChi(double x, double df);
  // p < 0 or p >= 1 gives the missing value.
  static double IdfChi(double p, double df);

  // F distribution; df1 <= 0 or df2 <= 0 gives the missing value.
  static double CdfF(double x, double df1, double df2);
  static double SigF(double x, double df1, double df2);
  static double IdfF(double p, double df1, double df2);

  // Student t distribution; df <= 0 gives the missing value. SigT is one-sided.
  static double CdfT(double t, double df);
  static double SigT(double t, double df);
  static double IdfT(double p, double df);

  // Beta quantile. p = 0 gives 0 and p = 1 gives 1 whatever a and b; other
  // invalid input (a <= 0, b <= 0, p outside [0, 1]) gives -1.
  static double IdfBeta(const double& p, const double& a, const double& b);

  // Binomial distribution with n trials of probability `prob`. PdfBin: err 1
  // for n < 1 or prob outside [0, 1]; 0 (no error) for a k that is not an
  // integer in 0 ... n. CdfBin: err 3 for a non-integer n, 1 for n < 1 or
  // prob outside [0, 1].
  static double PdfBin(double k, double n, double prob, long& err);
  static double CdfBin(double k, double n, double prob, long& err);
  // The largest k in -1 ... n with P(X <= k) <= p; err 1 for a non-integer n,
  // 2 for n < 1 or p or prob outside [0, 1].
  static double IdfBin(double p, double n, double prob, long& err);

  // Hypergeometric P(X <= x) for a population of `population` items of which
  // `a` are marked and a sample of `b` items (symmetric in a and b); err 1 for
  // non-integer counts, a population above 2147483647, min(a, b) < 1 or
  // max(a, b) above the population.
  static double CDFHyper(double x, double population, double a, double b, int& err);

  // Percentile `percent` of `n` grouped values `x` (ascending) with the
  // frequencies `f`. `method` is the number of entries of `w`: 0 or less
  // treats the values as points, 1 makes w[0] the common class width, more
  // makes `w` the class bounds. status: -1 for n <= 1, 0 on success, 1 below
  // the first and 2 above the last point of the point rule.
  static void GPTile(long n, double percent, const std::vector<double>& x,
                     const std::vector<double>& f, const std::vector<double>& w, long method,
                     double& result, long& status);

  // Confidence limits of the median of `total` cases given as `n` distinct
  // values `x` (ascending) with frequencies `f`, at `confidence` percent. The
  // achieved level is computed only when `want_level` is set.
  static void Mednci(long n, const std::vector<double>& x, const std::vector<double>& f,
                     double total, double confidence, bool want_level, double& lower, double& upper,
                     double& level);

  // ln Gamma(x); the missing value for x <= 0.
  static double qrtzdnlgam(const double& x);

  // The building blocks of the functions above, public for the built-in
  // functions of transformations and for model plug-ins. Arguments are not
  // checked beyond what each states.

  // erf and erfc (double-precision approximations of T. Ooura).
  static double derf(double x);
  static double derfc(double x);
  // Standard normal CDF (same as CdfStdNorm) and quantile (AS 241).
  static double prbnrm(double x);
  static double probit(double p);
  // ln Gamma(x) and ln C(n, k); dnlbnc sets err to 1 for n <= 0, k < 0, n < k.
  static double dnlgam(double x);
  static double dnlbnc(double n, double k, long& err);
  // Regularised incomplete gamma P(shape, x) (lower) or Q (upper), AS 239;
  // err 1 for shape <= 0 or a NaN x.
  static double gammad(double x, double shape, bool lower, long& err);
  // Chi-square quantile by bisection; err 1 for p outside [0, 1) or df <= 0.
  static double idfchb(double p, double df, long& err);
  // Regularised incomplete beta I_x(a, b); err 1 for a <= 0, b <= 0 or a NaN
  // x, 2 when no method converges.
  static double cdfbet(double x, double a, double b, long& err);
  // (1 - u^2 + 2 u ln u) / (1 - u)^2, the auxiliary function of the
  // Peizer-Pratt approximation; missing for u < 0.
  static double cbtaux(double u);
  // Beta quantile (AS 109); same answers as IdfBeta().
  static double betinv(double p, double a, double b);

 private:
  // Beta quantile that also reports 1 - result without cancellation.
  static double BetaQuantile(double p, double a, double b, double& complement);
  // I_x(a, b) given x and cx = 1 - x, each exact for the caller.
  static double BetaRatio(double x, double cx, double a, double b, long& err);
  // Chi-square quantile by AS 91 (Best and Roberts 1975).
  static double ChiQuantile(double p, double df, long& err);
};

}  // namespace MCMath_600

#endif  // ORVANE_TRANSFORM_MATH_MC_DIST_FUN_H_
