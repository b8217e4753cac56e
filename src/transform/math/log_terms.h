#ifndef ORVANE_SRC_TRANSFORM_MATH_LOG_TERMS_H_
#define ORVANE_SRC_TRANSFORM_MATH_LOG_TERMS_H_

// Logarithms of the power-and-gamma factors that every gamma, beta, binomial
// and hypergeometric routine multiplies by. Written as Stirling remainders and
// deviance terms (after C. Loader, "Fast and accurate computation of binomial
// probabilities", 2000) so that large arguments do not lose digits to the
// cancellation of huge logarithms.

namespace MCMath_600 {
namespace log_terms {

// ln Gamma(z + 1) - [(z + 0.5) ln z - z + ln sqrt(2 pi)] for z > 0.
double StirlingError(double z);

// x ln(x / m) + m - x, for x >= 0 and m > 0.
double Deviance(double x, double m);

// ln[Gamma(n + 1) / (Gamma(k + 1) Gamma(n - k + 1)) p^k q^(n - k)], q = 1 - p,
// for 0 <= k <= n and 0 < p < 1 (k and n need not be integers). Both p and q
// are passed so that the smaller one carries its full precision.
double LogBinomialTerm(double k, double n, double p, double q);

// ln[x^a e^-x / Gamma(a + 1)] for a > 0 and x > 0.
double LogPoissonTerm(double a, double x);

}  // namespace log_terms
}  // namespace MCMath_600

#endif  // ORVANE_SRC_TRANSFORM_MATH_LOG_TERMS_H_
