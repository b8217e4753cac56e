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

TEST(LogGammaTest, MatchesReference) {
  // mpmath 1.2.1 mp.loggamma, 40 digits.
  const struct {
    double x;
    double expected;
  } cases[] = {
      {1e-300, 6.9077552789821371e+2},   {0.1, 2.2527126517342059},
      {0.6796875, 2.862428123190013e-1}, {0.9, 6.6376239734742954e-2},
      {1.5, -1.2078223763524522e-1},     {2.5, 2.8468287047291916e-1},
      {4.5, 2.4537365708424422},         {7.9, 8.3242658680088096},
      {8.0, 8.5251613610654143},         {30.0, 7.1257038967168009e+1},
      {1e100, 2.2925850929940457e+102},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_TRUE(RelNear(MCDistFun::dnlgam(c.x), c.expected, 2e-15));
    EXPECT_EQ(MCDistFun::qrtzdnlgam(c.x), MCDistFun::dnlgam(c.x));
  }
}

TEST(LogGammaTest, SpecialValues) {
  EXPECT_EQ(MCDistFun::dnlgam(1.0), 0.0);
  EXPECT_EQ(MCDistFun::dnlgam(2.0), 0.0);
  EXPECT_EQ(MCDistFun::dnlgam(0.5), 0.5 * std::log(kPi));
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::dnlgam(0.0)));
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::dnlgam(-1.5)));
}

TEST(LogGammaTest, LogBinomialCoefficient) {
  // mpmath mp.log(mp.binomial(n, k)), 40 digits.
  const struct {
    double n, k, expected;
  } cases[] = {
      {10.0, 3.0, 4.787491742782046},      {33.0, 16.0, 2.0877533461363956e+1},
      {34.0, 17.0, 2.1570680641923901e+1}, {1000.0, 500.0, 6.8946726156785118e+2},
      {1e6, 3e5, 6.1085725568464192e+5},   {10.5, 2.5, 4.4864239714749169},
  };
  long err = -1;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " " << c.k);
    EXPECT_TRUE(RelNear(MCDistFun::dnlbnc(c.n, c.k, err), c.expected, 1e-14));
    EXPECT_EQ(err, 0);
  }
  EXPECT_EQ(MCDistFun::dnlbnc(7.0, 0.0, err), 0.0);
  EXPECT_EQ(MCDistFun::dnlbnc(7.0, 7.0, err), 0.0);
  for (const auto& bad :
       {std::make_pair(0.0, 0.0), std::make_pair(5.0, -1.0), std::make_pair(3.0, 5.0)}) {
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::dnlbnc(bad.first, bad.second, err)));
    EXPECT_EQ(err, 1);
  }
}

// mpmath 1.2.1 regularised gammainc(df/2, 0, x/2) and (df/2, x/2, inf) at 40
// digits (series at 500 digits where mpmath's own routine gives up).
struct ChiCase {
  double x, df, cdf, sig;
};
const ChiCase kChiCases[] = {
    {1e-06, 0.001, 9.9305827897712742e-1, 6.941721022872578e-3},
    {50.0, 0.001, 9.9999999999999973e-1, 2.6795801875860444e-16},
    {0.0001, 0.1, 6.2605084693222306e-1, 3.7394915306777694e-1},
    {1e-20, 1.0, 7.9788456080286533e-11, 9.9999999992021154e-1},
    {3.84, 1.0, 9.499564787512949e-1, 5.0043521248705103e-2},
    {60.0, 1.0, 9.9999999999999051e-1, 9.4857375710738484e-15},
    {2.0, 2.0, 6.3212055882855768e-1, 3.6787944117144232e-1},
    {0.5, 5.0, 7.8767067673704078e-3, 9.9212329323262959e-1},
    {5.0, 5.0, 5.8411981300449208e-1, 4.1588018699550792e-1},
    {1000.0, 5.0, 1.0, 6.0100776879208043e-214},
    {3e-05, 30.0, 3.3485991869001233e-85, 1.0},
    {29.0, 30.0, 4.8240330210410155e-1, 5.1759669789589845e-1},
    {300.0, 30.0, 1.0, 2.6480484856308777e-46},
    {1000.0, 1000.0, 5.0594714617076036e-1, 4.9405285382923964e-1},
    {95000.0, 1e5, 2.9220296226664285e-30, 1.0},
    {108944.27190999917, 1e5, 1.0, 1.9714028175179912e-84},
    {1e6, 1e6, 5.001880631966055e-1, 4.998119368033945e-1},
};

TEST(ChiSquareTest, CdfAndSignificanceMatchReference) {
  for (const ChiCase& c : kChiCases) {
    SCOPED_TRACE(testing::Message() << "x " << c.x << " df " << c.df);
    // Series, continued fraction and their complements: within 2e-12 (the
    // complement of a tail near 1 for tiny df costs about 500 ulps).
    EXPECT_TRUE(RelNear(MCDistFun::CdfChi(c.x, c.df), c.cdf, 2e-12));
    EXPECT_TRUE(RelNear(MCDistFun::SigChi(c.x, c.df), c.sig, 2e-12));
    long err = -1;
    EXPECT_EQ(MCDistFun::gammad(c.x / 2.0, c.df / 2.0, true, err), MCDistFun::CdfChi(c.x, c.df));
    EXPECT_EQ(err, 0);
  }
}

TEST(ChiSquareTest, VeryLargeDfUsesNormalApproximation) {
  // scipy 1.10.1 special.gammainc / gammaincc at shape 2e10.
  EXPECT_TRUE(RelNear(MCDistFun::CdfChi(4e10, 4e10), 0.5000009403159725, 1e-9));
  EXPECT_TRUE(RelNear(MCDistFun::CdfChi(4.0000565685e10, 4e10), 0.9772494051616413, 1e-9));
  EXPECT_TRUE(RelNear(MCDistFun::SigChi(4.0000565685e10, 4e10), 0.02275059483835872, 1e-9));
}

TEST(ChiSquareTest, Edges) {
  for (double df : {0.5, 3.0, 100.0}) {
    EXPECT_EQ(MCDistFun::CdfChi(0.0, df), 0.0);
    EXPECT_EQ(MCDistFun::SigChi(0.0, df), 1.0);
    EXPECT_EQ(MCDistFun::CdfChi(-2.0, df), 0.0);
    EXPECT_EQ(MCDistFun::SigChi(-2.0, df), 1.0);
    for (double x : {0.1, df, 4.0 * df}) {
      EXPECT_NEAR(MCDistFun::CdfChi(x, df) + MCDistFun::SigChi(x, df), 1.0, 2e-16);
    }
  }
  for (double df : {0.0, -1.0}) {
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::CdfChi(1.0, df)));
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::SigChi(1.0, df)));
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfChi(0.5, df)));
  }
  long err = -1;
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::gammad(1.0, 0.0, true, err)));
  EXPECT_EQ(err, 1);
  EXPECT_EQ(MCDistFun::gammad(0.0, 2.0, false, err), 1.0);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(MCDistFun::gammad(3.0, 1.0, false, err), std::exp(-3.0));
  EXPECT_EQ(MCDistFun::gammad(800.0, 1.0, false, err), 0.0);
}

TEST(ChiSquareTest, QuantileMatchesReference) {
  // scipy 1.10.1 stats.chi2.ppf (isf for p > 0.5); their residuals checked in
  // mpmath. AS 91 stops at a relative change of 5e-7, its published accuracy.
  const struct {
    double p, df, expected;
  } cases[] = {
      {1e-12, 1.0, 1.5707963267948931e-24},     {0.95, 1.0, 3.841458820694124},
      {0.999999999999, 1.0, 50.84417133244917}, {0.5, 0.1, 1.1147756881492586e-06},
      {0.3, 0.5, 0.010982604948550948},         {0.99, 2.0, 9.21034037197618},
      {1e-12, 5.0, 5.124643496830541e-05},      {0.5, 5.0, 4.351460191095526},
      {0.975, 30.0, 46.97924224367115},         {1e-100, 30.0, 2.767770061339184e-06},
      {0.05, 1000.0, 927.594363020979},         {1e-06, 1e5, 97888.58221843735},
      {0.999999, 1e6, 1006736.7596362823},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "p " << c.p << " df " << c.df);
    EXPECT_TRUE(RelNear(MCDistFun::IdfChi(c.p, c.df), c.expected, 5e-7));
    // Bisection: brackets narrower than 1e-8 of their midpoint.
    long err = -1;
    EXPECT_TRUE(RelNear(MCDistFun::idfchb(c.p, c.df, err), c.expected, 2e-8));
    EXPECT_EQ(err, 0);
  }
}

TEST(ChiSquareTest, QuantileEdges) {
  EXPECT_EQ(MCDistFun::IdfChi(0.0, 3.0), 0.0);
  EXPECT_EQ(MCDistFun::IdfChi(0.5, 0.001), 0.0);  // below the smallest double
  for (double p : {-0.1, 1.0, 1.5}) EXPECT_TRUE(MCMV::IsMissing(MCDistFun::IdfChi(p, 3.0)));
  long err = -1;
  EXPECT_EQ(MCDistFun::idfchb(0.0, 3.0, err), 0.0);
  EXPECT_EQ(err, 0);
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::idfchb(1.0, 3.0, err)));
  EXPECT_EQ(err, 1);
  EXPECT_TRUE(MCMV::IsMissing(MCDistFun::idfchb(0.5, 0.0, err)));
  EXPECT_EQ(err, 1);
}

}  // namespace
