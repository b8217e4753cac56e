// The binomial and hypergeometric distributions.

#include <algorithm>
#include <cmath>

#include "log_terms.h"
#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mc_power.h"
#include "orvane/transform/math/mcmv.h"

namespace MCMath_600 {

using MCCommon_600::MCMV;

namespace {

// Peizer-Pratt normal approximation of P(X <= j) for X binomial(n, p),
// 0 < j < n.
double PeizerPrattBinomial(double j, double n, double p) {
  const double q = 1.0 - p;
  const double s = j + 0.5;
  const double t = n - j - 0.5;
  const double difference = s - n * p;
  if (difference == 0.0) return 0.5;
  // s ln(s / np) + t ln(t / nq), as two deviances (s + t = n).
  const double log_term = log_terms::Deviance(s, n * p) + log_terms::Deviance(t, n * q);
  if (!(log_term > 0.0)) return 0.5;
  const double d = j + 2.0 / 3.0 - (n + 1.0 / 3.0) * p +
                   (q / (j + 1.0) - p / (n - j) + (q - 0.5) / (n + 1.0)) / 50.0;
  const double z = d / std::fabs(difference) * std::sqrt(2.0 * log_term / (1.0 + 1.0 / (6.0 * n)));
  return MCDistFun::prbnrm(z);
}

// ln of the hypergeometric probability of k marked items in a sample of b
// from a population of n with a marked, through binomial terms at the
// sampling fraction (they cancel exactly, their large logarithms do not
// enter).
double LogHyperTerm(double k, double n, double a, double b) {
  const double p = b / n;
  const double q = 1.0 - p;
  return log_terms::LogBinomialTerm(k, a, p, q) + log_terms::LogBinomialTerm(b - k, n - a, p, q) -
         log_terms::LogBinomialTerm(b, n, p, q);
}

// Whether counts up to n are exact doubles and the terms around the mode,
// about 40 standard deviations of them, few enough to walk one by one.
bool SumsTermByTerm(double n, double p, double q) {
  return n <= 4503599627370496.0 && n * p * q <= 1e8;
}

}  // namespace

double MCDistFun::PdfBin(double k, double n, double prob, long& err) {
  err = 0;
  if (!(prob >= 0.0 && prob <= 1.0) || !(n >= 1.0)) {
    err = 1;
    return MCMV::Missing();
  }
  if (std::floor(k + 0.5) != k || k < 0.0 || k > n) return 0.0;
  if (prob == 0.0) return k == 0.0 ? 1.0 : 0.0;
  if (prob == 1.0) return k == n ? 1.0 : 0.0;
  if (k == n) return std::pow(prob, n);
  if (k == 0.0) return std::exp(n * std::log1p(-prob));
  const double exponent = log_terms::LogBinomialTerm(k, n, prob, 1.0 - prob);
  if (exponent > 709.0) {
    err = 2;
    return MCMV::Missing();
  }
  return exponent <= -708.0 ? 0.0 : std::exp(exponent);
}

double MCDistFun::CdfBin(double k, double n, double prob, long& err) {
  err = 0;
  if (std::floor(n) != n) {
    err = 3;
    return MCMV::Missing();
  }
  if (n < 1.0 || !(prob >= 0.0 && prob <= 1.0) || std::isnan(k)) {
    err = 1;
    return MCMV::Missing();
  }
  const double j = std::floor(k);
  if (prob == 0.0) return j < 0.0 ? 0.0 : 1.0;
  if (prob == 1.0) return j >= n ? 1.0 : 0.0;
  if (j < 0.0) return 0.0;
  const double q = 1.0 - prob;
  if (j == 0.0) {
    const double exponent = n * std::log1p(-prob);
    return exponent < -708.0 ? 0.0 : std::exp(exponent);
  }
  if (j >= n) return 1.0;

  // Summing term by term needs exact consecutive counts and a bounded number
  // of terms (about 40 spreads): beyond that the beta form answers instead.
  if (k != j || !SumsTermByTerm(n, prob, q)) {
    // P(X <= j) = I_q(n - j, j + 1).
    long beta_err;
    const double value = BetaRatio(q, prob, n - j, j + 1.0, beta_err);
    return beta_err == 0 ? value : PeizerPrattBinomial(j, n, prob);
  }

  // Sum the probabilities outward from the term at m, the mode or k when k
  // lies below it; the terms fall away from the mode in both directions.
  const double m = std::min(k, std::floor((n + 1.0) * prob));
  const double log_term = log_terms::LogBinomialTerm(m, n, prob, q);
  if (log_term <= -708.0) return PeizerPrattBinomial(j, n, prob);
  const double start = std::exp(log_term);
  double sum = start;
  double term = start;
  for (double i = m - 1.0; i >= 0.0; i -= 1.0) {
    term *= (i + 1.0) / (n - i) * (q / prob);
    const double next = sum + term;
    if (next == sum) break;
    sum = next;
  }
  term = start;
  for (double i = m + 1.0; i <= k; i += 1.0) {
    term *= (n + 1.0 - i) / i * (prob / q);
    const double next = sum + term;
    if (next == sum) break;
    sum = next;
  }
  return std::min(sum, 1.0);
}

double MCDistFun::IdfBin(double p, double n, double prob, long& err) {
  err = 0;
  if (std::floor(n) != n) {
    err = 1;
    return MCMV::Missing();
  }
  if (n < 1.0 || !(prob >= 0.0 && prob <= 1.0) || !(p >= 0.0 && p <= 1.0)) {
    err = 2;
    return MCMV::Missing();
  }
  if (p == 0.0) return prob >= 1.0 ? n - 1.0 : -1.0;
  if (p == 1.0) return prob <= 0.0 ? 0.0 : n;
  // Degenerate distributions: P(X <= k) steps from 0 to 1 at 0 or at n.
  if (prob == 0.0) return -1.0;
  if (prob == 1.0) return n - 1.0;

  const double q = 1.0 - prob;
  long e;
  if (!SumsTermByTerm(n, prob, q)) {
    // Bisection over the counts, CdfBin(low) <= p < CdfBin(high); each step
    // halves the interval, so at most about 1100 steps even for n near 1e308.
    double low = -1.0, high = n;
    for (;;) {
      const double middle = std::floor(low + (high - low) / 2.0);
      if (!(middle > low && middle < high)) return low;
      (CdfBin(middle, n, prob, e) <= p ? low : high) = middle;
    }
  }
  const double spread = std::sqrt(n * prob * q);
  double k = std::floor(spread * probit(p) + n * prob - 0.5);
  k = std::min(std::max(k, 0.0), n);
  double c = CdfBin(k, n, prob, e);
  if (std::fabs(c - p) < 128.0 * MCPower::MEpsilon()) return k;
  double f = PdfBin(k, n, prob, e);
  if (c > p) {
    // Walk down: c becomes P(X <= k - 1).
    for (;;) {
      c -= f;
      if (c <= p || k - 1.0 < 0.0) return k - 1.0;
      f *= k / (n - k + 1.0) * (q / prob);
      k -= 1.0;
    }
  }
  // Walk up: c becomes P(X <= k + 1).
  while (k < n) {
    f *= (n - k) / (k + 1.0) * (prob / q);
    c += f;
    if (c > p) return k;
    k += 1.0;
  }
  return n;
}

double MCDistFun::CDFHyper(double x, double population, double a, double b, int& err) {
  err = 0;
  const double n = population;
  if (!(n <= 2147483647.0) || std::floor(n) != n || std::floor(a) != a || std::floor(b) != b ||
      std::min(a, b) < 1.0 || std::max(a, b) > n || std::isnan(x)) {
    err = 1;
    return MCMV::Missing();
  }
  const double k = std::trunc(x);
  if (k < std::max(0.0, a + b - n)) return 0.0;
  if (k >= std::min(a, b)) return 1.0;

  // Large populations with a sample that is not small against the marked
  // fraction: normal approximation with continuity correction (AS 152).
  const double ratio = a / (n - a);
  if (n > 10000.0 && std::min(b, n - b) > 16.0 * std::max(ratio, 1.0 / ratio)) {
    const double mean = a * b / n;
    const double sigma = std::sqrt(mean * ((n - a) / n) * ((n - b) / (n - 1.0)));
    return prbnrm((k + 0.5 - mean) / sigma);
  }

  // Exact: sum the shorter tail away from the mode, relative to the term at
  // k, and scale by that term at the end so that no term underflows.
  const double mode = std::floor((a + 1.0) * (b + 1.0) / (n + 2.0));
  const double log_term = LogHyperTerm(k, n, a, b);
  const double rest = n - a - b;
  double sum;
  if (k < mode) {
    const double low = std::max(0.0, a + b - n);
    sum = 1.0;
    double term = 1.0;
    for (double i = k; i > low; i -= 1.0) {
      term *= i * (rest + i) / ((a - i + 1.0) * (b - i + 1.0));
      const double next = sum + term;
      if (next == sum) break;
      sum = next;
    }
  } else {
    const double high = std::min(a, b);
    sum = 0.0;
    double term = 1.0;
    for (double i = k; i < high; i += 1.0) {
      term *= (a - i) * (b - i) / ((i + 1.0) * (rest + i + 1.0));
      const double next = sum + term;
      if (next == sum) break;
      sum = next;
    }
  }
  const double exponent = log_term + std::log(sum);
  const double tail = sum == 0.0 || exponent < -708.0 ? 0.0 : std::exp(exponent);
  return k < mode ? std::min(tail, 1.0) : std::max(1.0 - tail, 0.0);
}

}  // namespace MCMath_600
