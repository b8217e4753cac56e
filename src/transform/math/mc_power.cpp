#include "orvane/transform/math/mc_power.h"

#include <algorithm>
#include <cmath>

#include "orvane/transform/math/mcmv.h"

namespace MCMath_600 {

using MCCommon_600::MCMV;

const double MCPower::gMachineMaxExp = 709.0;
const double MCPower::gMachineMinExp = -708.39;
const int MCPower::gMachineMaxInt = 2147483647;
const double MCPower::gMachineEpsilon = 2.220446049250313e-16;

double MCPower::MaxExp() { return gMachineMaxExp; }

double MCPower::MinExp() { return gMachineMinExp; }

int MCPower::MaxInt() { return gMachineMaxInt; }

double MCPower::MEpsilon() { return gMachineEpsilon; }

bool MCPower::ExpOverflow(double x) { return x > gMachineMaxExp; }

bool MCPower::ExpUnderflow(double x) { return x < gMachineMinExp; }

bool MCPower::IsInteger(double x) { return x <= gMachineMaxInt && std::floor(x) == x; }

bool MCPower::IsEvenInteger(double x) { return IsInteger(x) && std::floor(x / 2.0) == x / 2.0; }

bool MCPower::IsOddInteger(double x) {
  const double half_up = x / 2.0 + 0.5;
  return IsInteger(x) && std::floor(half_up) == half_up;
}

bool MCPower::AlmostEqual(double a, double b, double factor) {
  if (a == 0.0) return b == 0.0;
  if (b == 0.0) return false;
  if ((a < 0.0) != (b < 0.0)) return false;
  const double abs_a = std::fabs(a);
  const double abs_b = std::fabs(b);
  return std::fabs(abs_a - abs_b) / std::max(abs_a, abs_b) <= factor * gMachineEpsilon;
}

bool MCPower::IsOneOverEvenInteger(double x, double factor) {
  if (x == 0.0) return false;
  const double y = 1.0 / x;
  if (y > gMachineMaxInt) return false;
  return AlmostEqual(y / 2.0, std::floor(y / 2.0 + 0.5), factor);
}

bool MCPower::IsOneOverOddInteger(double x, double factor) {
  if (x == 0.0) return false;
  const double y = 1.0 / x;
  if (y > gMachineMaxInt) return false;
  const double w = y / 2.0 + 0.5;
  return AlmostEqual(w, std::floor(w + 0.5), factor);
}

MCPower::PowerStatus MCPower::Exponent(double x, double& result) {
  if (ExpUnderflow(x)) {
    result = 0.0;
    return kPowerUnderflow;
  }
  if (ExpOverflow(x)) {
    result = MCMV::Missing();
    return kPowerOverflow;
  }
  result = std::exp(x);
  return kPowerOK;
}

MCPower::PowerStatus MCPower::Power(double base, double exponent, double& result) {
  result = MCMV::Missing();
  if (base == 0.0) {
    if (exponent == 0.0) {
      result = 1.0;
      return kPowerZeroBaseZeroExp;
    }
    if (exponent < 0.0) return kPowerZeroBaseNegativeExp;
    result = 0.0;
    return kPowerOK;
  }
  if (base > 0.0) {
    if (exponent == 0.0) {
      result = 1.0;
      return kPowerOK;
    }
    return Exponent(exponent * std::log(base), result);
  }
  if (exponent == 0.0) {
    result = 1.0;
    return kPowerNegativeBaseZeroExp;
  }
  if (IsEvenInteger(exponent)) return Exponent(exponent * std::log(-base), result);
  if (IsOddInteger(exponent) || IsOneOverOddInteger(exponent, 32.0)) {
    double magnitude;
    const PowerStatus status = Exponent(exponent * std::log(-base), magnitude);
    if (status == kPowerOverflow) {
      return exponent > 0.0 ? kPowerNegativeOverflow : kPowerOverflow;
    }
    result = magnitude == 0.0 ? 0.0 : -magnitude;  // no negative zero on underflow
    return status;
  }
  return kPowerNegativeBase;
}

double MCPower::Multiply(double a, double b) {
  if (a == 0.0 || b == 0.0) return 0.0;
  double product;
  Exponent(std::log(std::fabs(a)) + std::log(std::fabs(b)), product);
  if (MCMV::IsMissing(product)) return product;
  return (a < 0.0) != (b < 0.0) ? -product : product;
}

}  // namespace MCMath_600
