#include <gtest/gtest.h>

#include <cmath>

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mcmv.h"
#include "transform/math/relative_error.h"

namespace {

using MCCommon_600::MCMV;
using MCMath_600::MCDistFun;
using orvane_test::RelNear;

const double kPi = 3.14159265358979323846;

TEST(BetaRatioTest, MatchesReference) {
  // mpmath 1.2.1: the hypergeometric series of I_x(a, b) (or of 1 - I_(1-x)(b, a))
  // summed at 300 digits.
  const struct {
    double x, a, b, expected, tolerance;
  } cases[] = {
      {0.3, 2.0, 3.0, 3.4829999999999998e-1, 1e-14},
      {1e-10, 1.0, 5.0, 4.9999999990000002e-10, 1e-14},
      {0.01, 0.001, 0.001, 4.9770851826329579e-1, 1e-14},
      {0.99, 0.001, 0.001, 5.0229148173670421e-1, 2e-13},
      {1e-05, 0.05, 2.0, 5.9045811027920392e-1, 1e-14},
      {0.999, 2.0, 0.05, 2.5669232368587438e-1, 1e-13},
      {0.7, 50.0, 20.0, 3.8250924838123325e-1, 1e-13},
      // Parameters near 1e4: the fraction's length and the factor's x^a cost
      // up to 100 ulps.
      {0.4974, 1e4, 1e4, 2.310519697471922e-1, 1e-12},
      {0.25, 1e4, 3e4, 5.0076776779773829e-1, 1e-12},
      {0.99993342, 3e4, 0.1, 5.6934024302028055e-3, 1e-12},
      {0.001, 0.5, 3e4, 9.9999999999999066e-1, 1e-14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x " << c.x << " a " << c.a << " b " << c.b);
    long err = -1;
    EXPECT_TRUE(RelNear(MCDistFun::cdfbet(c.x, c.a, c.b, err), c.expected, c.tolerance));
    EXPECT_EQ(err, 0);
  }
}

TEST(BetaRatioTest, ClosedFormsAndErrors) {
  long err = -1;
  EXPECT_EQ(MCDistFun::cdfbet(0.3, 1.0, 1.0, err), 0.3);
  EXPECT_TRUE(RelNear(MCDistFun::cdfbet(0.3, 1.0, 2.5, err), 1.0 - std::pow(0.7, 2.5), 1e-15));
  EXPECT_TRUE(RelNear(MCDistFun::cdfbet(0.3, 2.5, 1.0, err), std::pow(0.3, 2.5), 1e-15));
  EXPECT_EQ(MCDistFun::cdfbet(0.3, 1e6, 1.0, err), 0.0);  // a ln x below -708
  EXPECT_EQ(MCDistFun::cdfbet(0.3, 1.0, 1e6, err), 1.0);
  EXPECT_EQ(MCDistFun::cdfbet(0.0, 2.0, 3.0, err), 0.0);
  EXPECT_EQ(MCDistFun::cdfbet(-1.0, 2.0, 3.0, err), 0.0);
  EXPECT_EQ(MCDistFun::cdfbet(1.0, 2.0, 3.0, err), 1.0);
  EXPECT_EQ(err, 0);
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::cdfbet(0.5, 0.0, 3.0, err)));
  EXPECT_EQ(err, 1);
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::cdfbet(0.5, 2.0, -3.0, err)));
  EXPECT_EQ(err, 1);
}

TEST(BetaRatioTest, PeizerPrattWhenTheFractionDoesNotSettle) {
  long err = -1;
  // At the mean of Beta(1e10, 1e10) the fraction needs more than 10000 steps;
  // the approximation is exact by symmetry.
  EXPECT_EQ(MCDistFun::cdfbet(0.5, 1e10, 1e10, err), 0.5);
  EXPECT_EQ(err, 0);
  // Beta(1e12, 3e12) at its mean: the Edgeworth term 1/2 + phi(0) g / 6, with
  // the skewness g = 2(b - a) sqrt(a + b + 1) / ((a + b + 2) sqrt(a b)).
  const double a = 1e12;
  const double b = 3e12;
  const double skew = 2.0 * (b - a) * std::sqrt(a + b + 1.0) / ((a + b + 2.0) * std::sqrt(a * b));
  EXPECT_NEAR(MCDistFun::cdfbet(0.25, a, b, err), 0.5 + skew / (6.0 * std::sqrt(2.0 * kPi)), 1e-10);
}

TEST(BetaRatioTest, AuxiliaryFunction) {
  EXPECT_EQ(MCDistFun::cbtaux(0.0), 1.0);
  EXPECT_EQ(MCDistFun::cbtaux(1.0), 0.0);
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::cbtaux(-0.5)));
  EXPECT_TRUE(RelNear(MCDistFun::cbtaux(2.0), -3.0 + 4.0 * std::log(2.0), 1e-15));
  EXPECT_TRUE(RelNear(MCDistFun::cbtaux(0.5), (0.75 + std::log(0.5)) / 0.25, 1e-15));
  // Near 1: g(1 + e) = -e/3 + e^2/6 - ...
  const double u = 1.0 + 1e-8;
  const double e = u - 1.0;
  EXPECT_TRUE(RelNear(MCDistFun::cbtaux(u), -e / 3.0 + e * e / 6.0, 1e-12));
  EXPECT_TRUE(RelNear(MCDistFun::cbtaux(1e200), 2.0 * std::log(1e200) / 1e200 - 1.0, 1e-15));
}

TEST(StudentTTest, CdfMatchesReference) {
  // mpmath 1.2.1: I_y(df/2, 1/2)/2 with y = df/(df + t^2), or 1/2 - I_z(1/2, df/2)/2
  // with z = 1 - y at 700 digits, by their series.
  const struct {
    double t, df, expected, tolerance;
  } cases[] = {
      {-1e10, 0.05, 1.4184810855048841e-1, 1e-14},
      {-1.0, 0.5, 3.0112161084132208e-1, 1e-14},
      {-30.0, 3.0, 4.0676402135819797e-5, 1e-13},
      {-1e10, 5.0, 9.4901672455623608e-50, 1e-13},
      {-2.0, 1e5, 2.2751481728753232e-2, 1e-13},
      {-5.0, 1e6, 2.8669989354453708e-7, 2e-11},
      // Very large df: y = df / (df + t^2) sits within 4e-8 of 1.
      {-2.0, 1e8, 2.2750133297953376e-2, 1e-12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "t " << c.t << " df " << c.df);
    EXPECT_TRUE(RelNear(MCDistFun::CdfT(c.t, c.df), c.expected, c.tolerance));
    EXPECT_TRUE(RelNear(MCDistFun::SigT(-c.t, c.df), c.expected, c.tolerance));
  }
}

TEST(StudentTTest, Edges) {
  for (double df : {0.3, 1.0, 7.0, 1e6}) {
    EXPECT_EQ(MCDistFun::CdfT(0.0, df), 0.5);
    EXPECT_EQ(MCDistFun::SigT(0.0, df), 0.5);
    EXPECT_EQ(MCDistFun::IdfT(0.5, df), 0.0);
  }
  for (double t : {-3.0, -0.5, 0.25, 1.0, 40.0}) {
    EXPECT_EQ(MCDistFun::CdfT(t, 1.0), 0.5 + std::atan(t) / kPi);
    EXPECT_EQ(MCDistFun::SigT(t, 1.0), 0.5 - std::atan(t) / kPi);
  }
  // Far in the lower tail of df = 1 the same number without cancellation.
  EXPECT_TRUE(RelNear(MCDistFun::CdfT(-1e12, 1.0), 3.183098861837907e-13, 1e-15));
  for (double df : {0.0, -2.0}) {
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::CdfT(1.0, df)));
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::SigT(1.0, df)));
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfT(0.3, df)));
  }
  for (double p : {0.0, 1.0, -0.5, 2.0}) EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfT(p, 5.0)));
}

TEST(StudentTTest, QuantileMatchesReference) {
  // Roots of the mpmath t tail above (findroot to 1e-30), started from
  // scipy 1.10.1 stats.t.ppf; scipy itself is off by up to 5e-9 in places.
  const struct {
    double p, df, expected, tolerance;
  } cases[] = {
      {1e-12, 1.0, -318309886183.79065, 1e-14},   {0.975, 3.0, 3.1824463052837086, 1e-14},
      {1e-12, 5.0, -393.95695957760375, 1e-14},   {0.3, 10.0, -0.5415280387550157, 1e-14},
      {0.001, 1000.0, -3.098402163912923, 1e-13}, {1e-06, 1e5, -4.753704716391288, 1e-12},
      {0.999999, 1e6, 4.7534523482738695, 1e-12}, {0.025, 1e12, -1.9599639845424264, 1e-13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "p " << c.p << " df " << c.df);
    EXPECT_TRUE(RelNear(MCDistFun::IdfT(c.p, c.df), c.expected, c.tolerance));
  }
}

TEST(FDistTest, CdfAndSignificanceMatchReference) {
  // mpmath 1.2.1: I_y(df1/2, df2/2) with y = df1 x / (df1 x + df2) and its
  // complement from the mirrored series, 40 (700 where they cancel) digits.
  const struct {
    double x, df1, df2, cdf, sig;
  } cases[] = {
      {0.5, 1.0, 1.0, 3.9182655203060727e-1, 6.0817344796939273e-1},
      {1e-08, 2.0, 5.0, 9.9999999300000006e-9, 9.9999999000000007e-1},
      {0.3, 5.0, 2.0, 1.2024251094636314e-1, 8.7975748905363686e-1},
      {30.0, 30.0, 5.0, 9.9936542367052534e-1, 6.3457632947466394e-4},
      {30.0, 1.0, 1000.0, 9.9999994534017268e-1, 5.4659827322531374e-8},
      {0.01, 0.1, 1e5, 7.0242521970504072e-1, 2.9757478029495928e-1},
      {5.0, 2.0, 0.1, 2.0606685842195687e-1, 7.9393314157804313e-1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x " << c.x << " df " << c.df1 << ", " << c.df2);
    EXPECT_TRUE(RelNear(MCDistFun::CdfF(c.x, c.df1, c.df2), c.cdf, 1e-12));
    EXPECT_TRUE(RelNear(MCDistFun::SigF(c.x, c.df1, c.df2), c.sig, 1e-12));
  }
}

TEST(FDistTest, QuantileMatchesReference) {
  // Roots of the mpmath F distribution above (findroot to 1e-30), started
  // from scipy 1.10.1 stats.f.ppf.
  const struct {
    double p, df1, df2, expected;
  } cases[] = {
      {0.5, 1.0, 1.0, 1.0},
      {0.999999999999, 1.0, 1.0, 4.0530266635530715e+23},
      {1e-06, 30.0, 5.0, 0.07774136491692797},
      {0.5, 1e5, 1.0, 2.1980933478064753},
      {0.7, 0.1, 1e5, 0.009331362389229408},
      {0.95, 1000.0, 1000.0, 1.1096882902429865},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "p " << c.p << " df " << c.df1 << ", " << c.df2);
    EXPECT_TRUE(RelNear(MCDistFun::IdfF(c.p, c.df1, c.df2), c.expected, 1e-13));
  }
}

TEST(FDistTest, Edges) {
  EXPECT_EQ(MCDistFun::CdfF(0.0, 3.0, 4.0), 0.0);
  EXPECT_EQ(MCDistFun::SigF(0.0, 3.0, 4.0), 1.0);
  EXPECT_EQ(MCDistFun::CdfF(-1.0, 3.0, 4.0), 0.0);
  EXPECT_EQ(MCDistFun::SigF(-1.0, 3.0, 4.0), 1.0);
  EXPECT_EQ(MCDistFun::IdfF(0.0, 3.0, 4.0), 0.0);
  for (const auto& df : {std::make_pair(0.0, 4.0), std::make_pair(3.0, -1.0)}) {
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::CdfF(1.0, df.first, df.second)));
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::SigF(1.0, df.first, df.second)));
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfF(0.5, df.first, df.second)));
  }
  for (double p : {-0.1, 1.0, 1.5}) EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfF(p, 3.0, 4.0)));
}

TEST(BetaQuantileTest, MatchesReference) {
  // Roots of the mpmath beta ratio (findroot to 1e-34) started from scipy
  // 1.10.1 special.betaincinv; for a = b = 0.001 the leading term
  // (p a B(a, b))^(1/a), exact to far below double precision there.
  const struct {
    double p, a, b, expected, tolerance;
  } cases[] = {
      {0.3, 2.0, 3.0, 0.27238394207510536, 1e-14},
      {1e-12, 2.0, 3.0, 4.082484015750327e-07, 1e-13},
      {1e-12, 0.5, 2.0, 4.444444444444444e-25, 1e-13},
      {0.999, 5.0, 0.5, 0.9999998348802498, 1e-15},
      {0.05, 1e4, 3e4, 0.24644594607001877, 1e-12},
      {0.3, 0.05, 0.9, 4.1373991935183315e-11, 1e-12},
      {0.3, 0.001, 0.001, 1.4142853421408436e-222, 1e-12},
      {0.95, 0.05, 1e4, 2.6594139836763825e-05, 1e-12},
      {0.999999999999, 0.9, 2.0, 0.9999989185358602, 1e-15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "p " << c.p << " a " << c.a << " b " << c.b);
    EXPECT_TRUE(RelNear(MCDistFun::IdfBeta(c.p, c.a, c.b), c.expected, c.tolerance));
    EXPECT_EQ(MCDistFun::betinv(c.p, c.a, c.b), MCDistFun::IdfBeta(c.p, c.a, c.b));
  }
}

TEST(BetaQuantileTest, Edges) {
  // p = 0 and p = 1 come before any other test.
  EXPECT_EQ(MCDistFun::IdfBeta(0.0, -1.0, 2.0), 0.0);
  EXPECT_EQ(MCDistFun::IdfBeta(1.0, 2.0, 0.0), 1.0);
  EXPECT_EQ(MCDistFun::IdfBeta(0.3, -1.0, 2.0), -1.0);
  EXPECT_EQ(MCDistFun::IdfBeta(0.3, 2.0, 0.0), -1.0);
  EXPECT_EQ(MCDistFun::IdfBeta(-0.1, 2.0, 3.0), -1.0);
  EXPECT_EQ(MCDistFun::IdfBeta(1.1, 2.0, 3.0), -1.0);
  EXPECT_EQ(MCDistFun::IdfBeta(0.5, 1e4, 1e4), 0.5);
  const double s = std::sin(kPi * 0.3 / 2.0);
  EXPECT_EQ(MCDistFun::IdfBeta(0.3, 0.5, 0.5), s * s);
  EXPECT_TRUE(RelNear(MCDistFun::IdfBeta(0.3, 1.0, 4.0), 1.0 - std::pow(0.7, 0.25), 1e-15));
  EXPECT_TRUE(RelNear(MCDistFun::IdfBeta(0.3, 4.0, 1.0), std::pow(0.3, 0.25), 1e-15));
  EXPECT_EQ(MCDistFun::IdfBeta(0.3, 1.0, 1e-6), 1.0);  // (1 - p)^(1/b) below e^-708
  EXPECT_EQ(MCDistFun::IdfBeta(0.3, 1e-6, 1.0), 0.0);
  EXPECT_EQ(MCDistFun::IdfBeta(0.3, 5.0, 1e-21), 1.0);  // b <= a * 1e-20
}

}  // namespace
