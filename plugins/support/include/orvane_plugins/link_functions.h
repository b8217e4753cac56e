#ifndef ORVANE_PLUGINS_LINK_FUNCTIONS_H_
#define ORVANE_PLUGINS_LINK_FUNCTIONS_H_

// The functions that turn a linear predictor into a probability or a mean:
// the normalisations of regression tables, the cumulative links of ordinal
// models and the inverse link functions of generalised linear models.

#include <string>

namespace orvane_plugins {

// Distribution functions F with F(-inf) = 0 and F(+inf) = 1.
enum class CdfKind { kLogit, kProbit, kCloglog, kLoglog, kCauchit };

// False when `text` names none of them (the names are the document's:
// "logit", "probit", "cloglog", "loglog", "cauchit").
bool ParseCdfKind(const std::string& text, CdfKind* kind);
double Cdf(CdfKind kind, double x);

// Link functions g of a generalised linear model, mean = g^-1(eta).
enum class LinkFunction {
  kIdentity,
  kLog,
  kLogit,
  kProbit,
  kCloglog,
  kLoglog,
  kCauchit,
  kPower,      // eta = mean^a (a != 0), ln(mean) (a = 0)
  kOddspower,  // eta = ((mean / (1 - mean))^a - 1) / a (a != 0), logit (a = 0)
  kNegbin,     // eta = ln(mean / (mean + 1 / c))
  kLogc,       // eta = ln(1 - mean)
};

// False when `text` names no link function.
bool ParseLinkFunction(const std::string& text, LinkFunction* link);
// g^-1(eta). `parameter` is the link's parameter (a of power and oddspower,
// c of negbin); other links ignore it. NaN or an infinity where the inverse
// is undefined at eta.
double InverseLink(LinkFunction link, double eta, double parameter);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_LINK_FUNCTIONS_H_
