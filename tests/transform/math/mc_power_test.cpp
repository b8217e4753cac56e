#include "orvane/transform/math/mc_power.h"

#include <gtest/gtest.h>

#include <cmath>

#include "orvane/transform/math/mcmv.h"

namespace {

using MCCommon_600::MCMV;
using MCMath_600::MCPower;

const double kMissing = -1.7976931348623157e308;
const double kUlp = std::ldexp(1.0, -52);

TEST(MCPowerTest, MissingMarkerAndExponentLimits) {
  EXPECT_EQ(MCMV::Missing(), kMissing);
  EXPECT_FALSE(MCMV::IsMissing(std::nextafter(kMissing, 0.0)));
  EXPECT_EQ(MCPower::MaxInt(), 2147483647);
  EXPECT_EQ(MCPower::MEpsilon(), kUlp);
  EXPECT_FALSE(MCPower::ExpOverflow(MCPower::MaxExp()) || MCPower::ExpUnderflow(MCPower::MinExp()));
  EXPECT_TRUE(MCPower::ExpOverflow(709.0000001) && MCPower::ExpUnderflow(-708.3900001));
}

// Each row: x, then IsInteger, IsEvenInteger, IsOddInteger.
TEST(MCPowerTest, IntegerTests) {
  const struct {
    double x;
    bool integer, even, odd;
  } cases[] = {{3.0, true, false, true},
               {-2.0, true, true, false},
               {-4e12, true, true, false},
               {2147483647.0, true, false, true},
               {2147483648.0, false, false, false},
               {2.5, false, false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(MCPower::IsInteger(c.x), c.integer) << c.x;
    EXPECT_EQ(MCPower::IsEvenInteger(c.x), c.even) << c.x;
    EXPECT_EQ(MCPower::IsOddInteger(c.x), c.odd) << c.x;
  }
}

TEST(MCPowerTest, AlmostEqualAndReciprocals) {
  EXPECT_TRUE(MCPower::AlmostEqual(-1.0, -1.0 - kUlp, 1.0) && MCPower::AlmostEqual(0.0, 0.0, 1.0));
  EXPECT_FALSE(MCPower::AlmostEqual(1.0, 1.0 + 4 * kUlp, 1.0));
  EXPECT_TRUE(MCPower::AlmostEqual(1.0, 1.0 + 4 * kUlp, 4.0));
  EXPECT_FALSE(MCPower::AlmostEqual(1.0, -1.0, 1000.0) || MCPower::AlmostEqual(0.0, 1e-300, 1e10) ||
               MCPower::AlmostEqual(1e-300, 0.0, 1e10));
  EXPECT_TRUE(MCPower::IsOneOverOddInteger(-1.0 / 5.0, 32.0) &&
              MCPower::IsOneOverEvenInteger(0.25, 1.0));
  EXPECT_FALSE(MCPower::IsOneOverOddInteger(0.5, 32.0) || MCPower::IsOneOverOddInteger(0.0, 32.0) ||
               MCPower::IsOneOverOddInteger(1e-10, 32.0));  // 1/x beyond MaxInt()
  EXPECT_FALSE(MCPower::IsOneOverEvenInteger(1.0 / 3.0, 32.0) ||
               MCPower::IsOneOverEvenInteger(0.0, 32.0) ||
               MCPower::IsOneOverEvenInteger(1e-10, 32.0));
}

TEST(MCPowerTest, Exponent) {
  double r = 0.0;
  EXPECT_EQ(MCPower::Exponent(710.0, r), MCPower::kPowerOverflow);
  EXPECT_EQ(r, kMissing);
  EXPECT_EQ(MCPower::Exponent(-709.0, r), MCPower::kPowerUnderflow);
  EXPECT_EQ(r, 0.0);
  EXPECT_EQ(MCPower::Exponent(1.0, r), MCPower::kPowerOK);
  EXPECT_EQ(r, std::exp(1.0));
}

struct PowerCase {
  double base;
  double exponent;
  MCPower::PowerStatus status;
  double result;  // kMissing where the status leaves it missing
};

TEST(MCPowerTest, PowerStatuses) {
  const PowerCase cases[] = {
      {-8.0, 1.0 / 3.0, MCPower::kPowerOK, -2.0},
      {-8.0, -1.0 / 3.0, MCPower::kPowerOK, -0.5},
      {-2.0, 2.0, MCPower::kPowerOK, 4.0},
      {-2.0, 3.0, MCPower::kPowerOK, -8.0},
      {2.0, 0.5, MCPower::kPowerOK, std::sqrt(2.0)},
      {2.0, 0.0, MCPower::kPowerOK, 1.0},
      {0.0, 2.0, MCPower::kPowerOK, 0.0},
      {2.0, -2000.0, MCPower::kPowerUnderflow, 0.0},
      {-10.0, -401.0, MCPower::kPowerUnderflow, 0.0},
      {2.0, 2000.0, MCPower::kPowerOverflow, kMissing},
      {-10.0, 400.0, MCPower::kPowerOverflow, kMissing},
      {-1e-300, -3.0, MCPower::kPowerOverflow, kMissing},  // odd, negative exponent
      {-10.0, 401.0, MCPower::kPowerNegativeOverflow, kMissing},
      {-8.0, 0.5, MCPower::kPowerNegativeBase, kMissing},
      {-8.0, 0.3, MCPower::kPowerNegativeBase, kMissing},
      {-2.0, 0.0, MCPower::kPowerNegativeBaseZeroExp, 1.0},
      {0.0, -1.0, MCPower::kPowerZeroBaseNegativeExp, kMissing},
      {0.0, 0.0, MCPower::kPowerZeroBaseZeroExp, 1.0}};
  for (const PowerCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << " ** " << c.exponent);
    double r = 12345.0;
    EXPECT_EQ(MCPower::Power(c.base, c.exponent, r), c.status);
    if (c.result == kMissing || c.result == 0.0) {
      EXPECT_EQ(r, c.result);
    } else {
      EXPECT_NEAR(r, c.result, 4e-15 * std::fabs(c.result));
    }
  }
}

TEST(MCPowerTest, Multiply) {
  EXPECT_EQ(MCPower::Multiply(0.0, 5.0) + MCPower::Multiply(5.0, 0.0), 0.0);
  EXPECT_NEAR(MCPower::Multiply(-3.0, -4.0), 12.0, 1e-14);
  EXPECT_NEAR(MCPower::Multiply(3.0, -4.0), -12.0, 1e-14);
  EXPECT_EQ(MCPower::Multiply(1e-200, 1e-200), 0.0);
  EXPECT_EQ(MCPower::Multiply(-1e200, 1e200), kMissing);  // no sign applied to missing
}

}  // namespace
