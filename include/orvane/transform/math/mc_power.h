#ifndef ORVANE_TRANSFORM_MATH_MC_POWER_H_
#define ORVANE_TRANSFORM_MATH_MC_POWER_H_

namespace MCMath_600 {

// Exponentiation guarded against overflow and against the real powers of a
// negative base that do not exist, plus the machine limits and integer tests
// that the distribution functions share.
class MCPower {
 public:
  // The outcome of Exponent() and Power(); the values are fixed.
  enum PowerStatus {
    kPowerOK = 0,                   // valid result
    kPowerUnderflow = 1,            // exp argument below MinExp(); result 0
    kPowerOverflow = 2,             // exp argument above MaxExp(); result missing
    kPowerNegativeOverflow = 3,     // negative result too large; result missing
    kPowerNegativeBase = 4,         // negative base, no real power; result missing
    kPowerNegativeBaseZeroExp = 5,  // negative base, exponent 0; result 1
    kPowerZeroBaseNegativeExp = 6,  // base 0, negative exponent; result missing
    kPowerZeroBaseZeroExp = 7,      // base 0, exponent 0; result 1
  };

  static double MaxExp();
  static double MinExp();
  static int MaxInt();
  static double MEpsilon();

  static bool ExpOverflow(double x);
  static bool ExpUnderflow(double x);

  // Integers up to MaxInt(); there is no lower bound.
  static bool IsInteger(double x);
  static bool IsEvenInteger(double x);
  static bool IsOddInteger(double x);

  // Equality within a relative tolerance of `factor` machine epsilons; a zero
  // equals only zero and numbers of different signs are never equal.
  static bool AlmostEqual(double a, double b, double factor);
  // Whether `x` is (within `factor` epsilons) 1 over an even or odd integer.
  static bool IsOneOverEvenInteger(double x, double factor);
  static bool IsOneOverOddInteger(double x, double factor);

  // result = exp(x) with the status of the range check.
  static PowerStatus Exponent(double x, double& result);
  // result = base ** exponent; a negative base takes integer exponents and
  // reciprocals of odd integers (real odd roots).
  static PowerStatus Power(double base, double exponent, double& result);
  // a * b through logarithms: overflow gives the missing value, underflow 0.
  static double Multiply(double a, double b);

 private:
  static const double gMachineMaxExp;
  static const double gMachineMinExp;
  static const int gMachineMaxInt;
  static const double gMachineEpsilon;
};

}  // namespace MCMath_600

#endif  // ORVANE_TRANSFORM_MATH_MC_POWER_H_
