#include "orvane_plugins/link_functions.h"

#include <cmath>

#include "orvane/transform/math/mc_dist_fun.h"

namespace orvane_plugins {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Named {
  const char* name;
  int value;
};

template <typename Enum, size_t N>
bool ParseNamed(const Named (&table)[N], const std::string& text, Enum* out) {
  for (const Named& entry : table) {
    if (text == entry.name) {
      *out = static_cast<Enum>(entry.value);
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseCdfKind(const std::string& text, CdfKind* kind) {
  static const Named kNames[] = {
      {"logit", static_cast<int>(CdfKind::kLogit)},
      {"probit", static_cast<int>(CdfKind::kProbit)},
      {"cloglog", static_cast<int>(CdfKind::kCloglog)},
      {"loglog", static_cast<int>(CdfKind::kLoglog)},
      {"cauchit", static_cast<int>(CdfKind::kCauchit)},
  };
  return ParseNamed(kNames, text, kind);
}

double Cdf(CdfKind kind, double x) {
  switch (kind) {
    case CdfKind::kLogit:
      return 1.0 / (1.0 + std::exp(-x));
    case CdfKind::kProbit:
      return MCMath_600::MCDistFun::CdfStdNorm(x);
    case CdfKind::kCloglog:
      return 1.0 - std::exp(-std::exp(x));
    case CdfKind::kLoglog:
      return std::exp(-std::exp(-x));
    case CdfKind::kCauchit:
      return 0.5 + std::atan(x) / kPi;
  }
  return std::nan("");
}

bool ParseLinkFunction(const std::string& text, LinkFunction* link) {
  static const Named kNames[] = {
      {"identity", static_cast<int>(LinkFunction::kIdentity)},
      {"log", static_cast<int>(LinkFunction::kLog)},
      {"logit", static_cast<int>(LinkFunction::kLogit)},
      {"probit", static_cast<int>(LinkFunction::kProbit)},
      {"cloglog", static_cast<int>(LinkFunction::kCloglog)},
      {"loglog", static_cast<int>(LinkFunction::kLoglog)},
      {"cauchit", static_cast<int>(LinkFunction::kCauchit)},
      {"power", static_cast<int>(LinkFunction::kPower)},
      {"oddspower", static_cast<int>(LinkFunction::kOddspower)},
      {"negbin", static_cast<int>(LinkFunction::kNegbin)},
      {"logc", static_cast<int>(LinkFunction::kLogc)},
  };
  return ParseNamed(kNames, text, link);
}

double InverseLink(LinkFunction link, double eta, double parameter) {
  switch (link) {
    case LinkFunction::kIdentity:
      return eta;
    case LinkFunction::kLog:
      return std::exp(eta);
    case LinkFunction::kLogit:
      return Cdf(CdfKind::kLogit, eta);
    case LinkFunction::kProbit:
      return Cdf(CdfKind::kProbit, eta);
    case LinkFunction::kCloglog:
      return Cdf(CdfKind::kCloglog, eta);
    case LinkFunction::kLoglog:
      return Cdf(CdfKind::kLoglog, eta);
    case LinkFunction::kCauchit:
      return Cdf(CdfKind::kCauchit, eta);
    case LinkFunction::kPower:
      return parameter == 0.0 ? std::exp(eta) : std::pow(eta, 1.0 / parameter);
    case LinkFunction::kOddspower:
      if (parameter == 0.0) return Cdf(CdfKind::kLogit, eta);
      return 1.0 / (1.0 + std::pow(1.0 + parameter * eta, -1.0 / parameter));
    case LinkFunction::kNegbin:
      return 1.0 / (parameter * (std::exp(-eta) - 1.0));
    case LinkFunction::kLogc:
      return 1.0 - std::exp(eta);
  }
  return std::nan("");
}

}  // namespace orvane_plugins
