#include <gtest/gtest.h>

#include <cmath>

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mcmv.h"
#include "transform/math/relative_error.h"

namespace {

using MCCommon_600::MCMV;
using MCMath_600::MCDistFun;
using orvane_test::RelNear;

TEST(BinomialTest, MatchesReference) {
  // mpmath 1.2.1: the probability from mp.loggamma at 40 digits, the
  // cumulative probability as I_(1-p)(n - k, k + 1) by its series at 120 digits.
  const struct {
    double k, n, prob, pdf, cdf;
  } cases[] = {
      {0.0, 1.0, 0.3, 7.0000000000000001e-1, 7.0000000000000001e-1},
      {3.0, 10.0, 0.3, 2.66827932e-1, 6.4961071840000003e-1},
      {10.0, 10.0, 0.999, 9.900448802097482e-1, 1.0},
      {17.0, 33.0, 0.5, 1.3583375955931842e-1, 6.3583375955931842e-1},
      {500.0, 1000.0, 0.5, 2.5225018178360802e-2, 5.126125090891804e-1},
      {1.0, 1000.0, 0.5, 9.3326361850321888e-299, 9.341968821217221e-299},
      {8760.0, 1e4, 0.9, 1.1706862738368193e-15, 5.3647468283116249e-15},
      {300000.0, 1e6, 0.3, 8.7056315463668078e-4, 5.0049331906667927e-1},
      {500000.0, 1e6, 0.5, 7.9788436133175009e-4, 5.0039894218066588e-1},
      {3.0, 1e6, 1e-6, 6.1313209538546197e-2, 9.8101190443709661e-1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "k " << c.k << " n " << c.n << " p " << c.prob);
    long err = -1;
    EXPECT_TRUE(RelNear(MCDistFun::PdfBin(c.k, c.n, c.prob, err), c.pdf, 1e-12));
    EXPECT_EQ(err, 0);
    EXPECT_TRUE(RelNear(MCDistFun::CdfBin(c.k, c.n, c.prob, err), c.cdf, 1e-12));
    EXPECT_EQ(err, 0);
  }
}

TEST(BinomialTest, NonIntegerPoints) {
  long err = -1;
  EXPECT_EQ(MCDistFun::PdfBin(2.5, 10.0, 0.3, err), 0.0);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(MCDistFun::PdfBin(-1.0, 10.0, 0.3, err), 0.0);
  EXPECT_EQ(MCDistFun::PdfBin(11.0, 10.0, 0.3, err), 0.0);
  // P(X <= 3.7) = P(X <= 3) through the beta ratio.
  EXPECT_TRUE(RelNear(MCDistFun::CdfBin(3.7, 10.0, 0.3, err), 6.4961071840000003e-1, 1e-14));
  EXPECT_EQ(err, 0);
  EXPECT_EQ(MCDistFun::CdfBin(-0.5, 10.0, 0.3, err), 0.0);
  EXPECT_EQ(MCDistFun::CdfBin(10.5, 10.0, 0.3, err), 1.0);
}

TEST(BinomialTest, DegenerateProbabilities) {
  long err = -1;
  EXPECT_EQ(MCDistFun::PdfBin(0.0, 5.0, 0.0, err), 1.0);
  EXPECT_EQ(MCDistFun::PdfBin(1.0, 5.0, 0.0, err), 0.0);
  EXPECT_EQ(MCDistFun::PdfBin(5.0, 5.0, 1.0, err), 1.0);
  EXPECT_EQ(MCDistFun::PdfBin(4.0, 5.0, 1.0, err), 0.0);
  EXPECT_EQ(MCDistFun::CdfBin(-1.0, 5.0, 0.0, err), 0.0);
  EXPECT_EQ(MCDistFun::CdfBin(0.0, 5.0, 0.0, err), 1.0);
  EXPECT_EQ(MCDistFun::CdfBin(4.0, 5.0, 1.0, err), 0.0);
  EXPECT_EQ(MCDistFun::CdfBin(5.0, 5.0, 1.0, err), 1.0);
  EXPECT_EQ(MCDistFun::PdfBin(1.0, 1e6, 0.5, err), 0.0);  // below e^-708
  EXPECT_EQ(err, 0);
}

// The error code a call leaves with its missing result; -99 when the result is not missing.
template <typename Call>
long ErrorOf(Call call) {
  long err = -1;
  const double result = call(err);
  return MCMV::IsMissing(result) ? err : -99;
}

TEST(BinomialTest, ErrorCodes) {
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::PdfBin(1.0, 10.0, 1.5, e); }), 1);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::PdfBin(0.0, 0.5, 0.5, e); }), 1);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::PdfBin(0.0, std::nan(""), 0.5, e); }), 1);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::CdfBin(3.0, 10.5, 0.3, e); }), 3);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::CdfBin(3.0, 0.0, 0.3, e); }), 1);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::CdfBin(3.0, 10.0, -0.1, e); }), 1);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::IdfBin(0.5, 10.5, 0.3, e); }), 1);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::IdfBin(0.5, 0.0, 0.3, e); }), 2);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::IdfBin(1.5, 10.0, 0.3, e); }), 2);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::IdfBin(-0.5, 10.0, 0.3, e); }), 2);
  EXPECT_EQ(ErrorOf([](long& e) { return MCDistFun::IdfBin(0.5, 10.0, 1.3, e); }), 2);
}

TEST(BinomialTest, QuantileIsLargestKAtOrBelowP) {
  // k with P(X <= k) <= p < P(X <= k + 1), the probabilities from the mpmath
  // cumulative probability above (scipy 1.10.1 stats.binom.ppf as a start).
  const struct {
    double p, n, prob, expected;
  } cases[] = {
      {0.5, 10.0, 0.5, 4.0},       {0.025, 20.0, 0.5, 5.0},   {0.975, 100.0, 0.3, 38.0},
      {1e-12, 1000.0, 0.5, 388.0}, {0.3, 1e6, 0.3, 299759.0}, {0.999999, 1e6, 1e-6, 8.0},
      {0.7, 7.0, 0.9, 6.0},        {0.001, 50.0, 0.02, -1.0}, {0.4, 1.0, 0.5, -1.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "p " << c.p << " n " << c.n << " prob " << c.prob);
    long err = -1;
    EXPECT_EQ(MCDistFun::IdfBin(c.p, c.n, c.prob, err), c.expected);
    EXPECT_EQ(err, 0);
  }
  long err = -1;
  EXPECT_EQ(MCDistFun::IdfBin(0.0, 8.0, 0.5, err), -1.0);
  EXPECT_EQ(MCDistFun::IdfBin(0.0, 8.0, 1.0, err), 7.0);
  EXPECT_EQ(MCDistFun::IdfBin(1.0, 8.0, 0.5, err), 8.0);
  EXPECT_EQ(MCDistFun::IdfBin(1.0, 8.0, 0.0, err), 0.0);
  EXPECT_EQ(MCDistFun::IdfBin(0.5, 8.0, 0.0, err), -1.0);
  EXPECT_EQ(MCDistFun::IdfBin(0.5, 8.0, 1.0, err), 7.0);
}

TEST(HypergeometricTest, ExactSumsMatchReference) {
  // mpmath 1.2.1: sums of mp.binomial ratios at 40 digits.
  const struct {
    double k, population, a, b, expected;
  } cases[] = {
      {0.0, 10.0, 3.0, 4.0, 1.6666666666666667e-1},
      {5.0, 1000.0, 100.0, 50.0, 6.1663565639269599e-1},
      {1428.0, 1e4, 5000.0, 3000.0, 9.0144588876580724e-4},
      {1308.0, 1e4, 5000.0, 3000.0, 2.9742436892973922e-17},
      {3.0, 1e4, 10.0, 9000.0, 8.9663799482078274e-6},
      {1.0, 1e5, 50.0, 300.0, 9.9000659520642628e-1},
      {0.0, 1e7, 30.0, 1000.0, 9.9700434160532791e-1},
      {1.0, 1e7, 10.0, 10.0, 9.9999999995950017e-1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "k " << c.k << " N " << c.population << " a " << c.a << " b " << c.b);
    int err = -1;
    EXPECT_TRUE(RelNear(MCDistFun::CDFHyper(c.k, c.population, c.a, c.b, err), c.expected, 1e-13));
    EXPECT_EQ(err, 0);
    // The sample and the marked items play symmetric roles.
    EXPECT_TRUE(
        RelNear(MCDistFun::CDFHyper(c.k + 0.9, c.population, c.b, c.a, err), c.expected, 1e-13));
  }
}

TEST(HypergeometricTest, LargePopulationsUseNormalApproximation) {
  // Exact values as above; the continuity-corrected normal approximation of
  // large populations is good to a few 1e-3.
  const struct {
    double k, population, a, b, expected;
  } cases[] = {
      {25.0, 1e7, 5e6, 50.0, 5.5613772667409362e-1},  {20.0, 1e7, 5e6, 50.0, 1.0131881043279475e-1},
      {1000.0, 1e7, 1e5, 1e5, 5.0841021663725079e-1}, {967.0, 1e7, 1e5, 1e5, 1.4950351409989201e-1},
      {500.0, 1e5, 5e4, 1e3, 5.1267604825982459e-1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "k " << c.k << " N " << c.population);
    int err = -1;
    EXPECT_NEAR(MCDistFun::CDFHyper(c.k, c.population, c.a, c.b, err), c.expected, 5e-3);
    EXPECT_EQ(err, 0);
  }
}

TEST(HypergeometricTest, SupportAndErrors) {
  int err = -1;
  EXPECT_EQ(MCDistFun::CDFHyper(1.0, 10.0, 8.0, 5.0, err), 0.0);  // below a + b - N = 3
  EXPECT_EQ(MCDistFun::CDFHyper(5.0, 10.0, 8.0, 5.0, err), 1.0);  // min(a, b)
  EXPECT_EQ(MCDistFun::CDFHyper(-0.5, 10.0, 3.0, 4.0, err),
            MCDistFun::CDFHyper(0.0, 10.0, 3.0, 4.0, err));
  EXPECT_EQ(err, 0);
  const double bad[][3] = {{1e10, 5.0, 5.0}, {10.5, 3.0, 4.0}, {10.0, 3.5, 4.0},
                           {10.0, 3.0, 4.5}, {10.0, 0.0, 4.0}, {10.0, 11.0, 4.0}};
  for (const auto& b : bad) {
    err = -1;
    EXPECT_TRUE(MCMV::IsMissing(MCDistFun::CDFHyper(1.0, b[0], b[1], b[2], err)));
    EXPECT_EQ(err, 1);
  }
}

}  // namespace
