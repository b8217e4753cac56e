#include <gtest/gtest.h>

#include <cmath>

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mcmv.h"
#include "transform/math/relative_error.h"

namespace {

using MCCommon_600::MCMV;
using MCMath_600::MCDistFun;
using orvane_test::RelNear;

struct Point {
  double x;
  double expected;
};

// Reference values: mpmath 1.2.1 (mp.ncdf, mp.erf, mp.erfc and
// sqrt(2) * mp.erfinv(2p - 1)) at 400 significant digits.

TEST(NormalDistTest, CdfMatchesReference) {
  const Point cases[] = {
      {-37.0, 5.7255712225245768e-300}, {-30.0, 4.9067139271481871e-198},
      {-10.0, 7.6198530241605261e-24},  {-5.0, 2.8665157187919391e-7},
      {-1.5, 6.6807201268858066e-2},    {-1e-08, 4.999999960105772e-1},
      {0.5, 6.914624612740131e-1},      {1.96, 9.7500210485177956e-1},
      {5.0, 9.9999971334842812e-1},     {8.0, 9.9999999999999938e-1},
  };
  for (const Point& c : cases) {
    SCOPED_TRACE(c.x);
    // The body to 1e-14; the far lower tail carries the rounding of x^2 / 2
    // in exp(), about 450 ulps at x = -30.
    const double tolerance = std::fabs(c.x) <= 5.0 ? 1e-14 : 2e-13;
    EXPECT_TRUE(RelNear(MCDistFun::CdfStdNorm(c.x), c.expected, tolerance));
    EXPECT_EQ(MCDistFun::prbnrm(c.x), MCDistFun::CdfStdNorm(c.x));
  }
}

TEST(NormalDistTest, CdfEdges) {
  EXPECT_EQ(MCDistFun::CdfStdNorm(0.0), 0.5);
  EXPECT_EQ(MCDistFun::CdfStdNorm(-40.0), 0.0);  // exp(-x^2) below e^-708 is 0
  EXPECT_EQ(MCDistFun::CdfStdNorm(40.0), 1.0);
  EXPECT_EQ(MCDistFun::CdfNorm(115.0, 100.0, 15.0), MCDistFun::CdfStdNorm(1.0));
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::CdfNorm(1.0, 0.0, 0.0)));
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::CdfNorm(1.0, 0.0, -1.0)));
}

TEST(NormalDistTest, ErrorFunctions) {
  const Point erf_cases[] = {
      {1e-10, 1.1283791670955126e-10}, {1.0, 8.4270079294971487e-1}, {2.1, 9.9702053334366702e-1},
      {3.5, 9.9999925690162766e-1},    {6.0, 9.9999999999999998e-1}, {6.89, 1.0},
  };
  for (const Point& c : erf_cases) {
    SCOPED_TRACE(c.x);
    EXPECT_TRUE(RelNear(MCDistFun::derf(c.x), c.expected, 4e-16));
    EXPECT_EQ(MCDistFun::derf(-c.x), -MCDistFun::derf(c.x));
  }
  EXPECT_EQ(MCDistFun::derf(0.0), 0.0);
  EXPECT_EQ(MCDistFun::derf(7.0), 1.0);

  const Point erfc_cases[] = {
      {-1.0, 1.8427007929497149},     {0.5, 4.7950012218695346e-1},    {3.0, 2.2090496998585441e-5},
      {10.0, 2.0884875837625448e-45}, {26.0, 5.6631924088561428e-296},
  };
  for (const Point& c : erfc_cases) {
    SCOPED_TRACE(c.x);
    EXPECT_TRUE(RelNear(MCDistFun::derfc(c.x), c.expected, 2e-14));
  }
  EXPECT_EQ(MCDistFun::derfc(27.0), 0.0);  // -x^2 below -708
}

TEST(NormalDistTest, QuantileMatchesReference) {
  const Point cases[] = {
      {1e-300, -3.7047096299361199e+1},     {1e-12, -7.0344838253011319},
      {0.001, -3.0902323061678135},         {0.025, -1.9599639845400542},
      {0.3, -5.2440051270804082e-1},        {0.45, -1.2566134685507401e-1},
      {0.55, 1.2566134685507415e-1},        {0.975, 1.9599639845400539},
      {0.999999999999, 7.0344869100478352},
  };
  for (const Point& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_TRUE(RelNear(MCDistFun::IdfStdNorm(c.x), c.expected, 2e-15));
    EXPECT_EQ(MCDistFun::probit(c.x), MCDistFun::IdfStdNorm(c.x));
  }
}

TEST(NormalDistTest, QuantileEdges) {
  EXPECT_EQ(MCDistFun::IdfStdNorm(0.5), 0.0);
  for (double p : {0.0, 1.0, -0.1, 1.5, std::nan("")}) {
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfStdNorm(p))) << p;
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfNorm(p, 1.0, 2.0))) << p;
  }
  for (double sd : {1e-300, 1.0, 1e300}) EXPECT_EQ(MCDistFun::IdfNorm(0.5, 7.25, sd), 7.25);
  EXPECT_TRUE(
      RelNear(MCDistFun::IdfNorm(0.975, 100.0, 15.0), 100.0 + 15.0 * 1.9599639845400539, 1e-15));
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfNorm(0.3, 1.0, 0.0)));
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfNorm(0.3, 1.0, -2.0)));
}

}  // namespace
