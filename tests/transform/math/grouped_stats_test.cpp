#include <gtest/gtest.h>

#include <vector>

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mcmv.h"

namespace {

using MCCommon_600::MCMV;
using MCMath_600::MCDistFun;

struct TileCase {
  double percent;
  double result;  // missing where the status says so
  long status;
};

void ExpectTiles(const std::vector<double>& x, const std::vector<double>& f,
                 const std::vector<double>& w, long method, const std::vector<TileCase>& cases) {
  for (const TileCase& c : cases) {
    SCOPED_TRACE(c.percent);
    double result = 0.0;
    long status = 99;
    MCDistFun::GPTile(static_cast<long>(x.size()), c.percent, x, f, w, method, result, status);
    EXPECT_EQ(status, c.status);
    if (MCMV::IsMissing(c.result)) {
      EXPECT_TRUE(MCMV::IsMissing(result));
    } else {
      EXPECT_NEAR(result, c.result, 1e-12);
    }
  }
}

const double kMissing = MCMV::Missing();

TEST(GroupedPercentileTest, ValuesAsPoints) {
  // Cumulative midpoints 0.5, 1.5, 2.5, 3.5 of four unit frequencies.
  ExpectTiles({1.0, 2.0, 3.0, 4.0}, {1.0, 1.0, 1.0, 1.0}, {}, 0,
              {{50.0, 2.5, 0},
               {25.0, 1.5, 0},
               {12.5, 1.0, 0},
               {87.5, 4.0, 0},
               {10.0, kMissing, 1},
               {90.0, kMissing, 2}});
}

TEST(GroupedPercentileTest, EqualWidthClasses) {
  // Classes [9, 11], [19, 21], [29, 31] with cumulative counts 2, 5, 10.
  ExpectTiles({10.0, 20.0, 30.0}, {2.0, 3.0, 5.0}, {2.0}, 1,
              {{0.0, 9.0, 0}, {30.0, 19.0 + 2.0 / 3.0, 0}, {50.0, 29.0, 0}, {100.0, 31.0, 0}});
}

TEST(GroupedPercentileTest, ClassBounds) {
  // Classes [0, 10], [10, 20] and [20, 2 * 25 - 20]; cumulative counts 4, 8, 10.
  ExpectTiles({5.0, 15.0, 25.0}, {4.0, 4.0, 2.0}, {0.0, 10.0, 20.0}, 3,
              {{20.0, 5.0, 0}, {50.0, 12.5, 0}, {100.0, 30.0, 0}});
  // A value on a bound belongs to the class above it.
  ExpectTiles({10.0, 15.0, 25.0}, {4.0, 4.0, 2.0}, {0.0, 10.0, 20.0}, 3, {{50.0, 16.25, 0}});
  // Nothing below the target: the first bound.
  ExpectTiles({5.0, 15.0, 25.0}, {0.0, 4.0, 2.0}, {0.0, 10.0, 20.0}, 3, {{0.0, 0.0, 0}});
}

TEST(GroupedPercentileTest, TooFewValues) {
  const std::vector<double> one = {1.0};
  double result = 0.0;
  long status = 99;
  MCDistFun::GPTile(1, 50.0, one, one, one, 0, result, status);
  EXPECT_EQ(status, -1);
  EXPECT_TRUE(MCMV::IsMissing(result));
  // Vectors shorter than the count are not read.
  MCDistFun::GPTile(3, 50.0, one, one, one, 0, result, status);
  EXPECT_EQ(status, -1);
  EXPECT_TRUE(MCMV::IsMissing(result));
}

struct MedianLimits {
  double lower, upper, level;
};

MedianLimits Limits(const std::vector<double>& x, const std::vector<double>& f, double total,
                    double confidence, bool want_level) {
  MedianLimits m{0.0, 0.0, 0.0};
  MCDistFun::Mednci(static_cast<long>(x.size()), x, f, total, confidence, want_level, m.lower,
                    m.upper, m.level);
  return m;
}

TEST(MedianConfidenceTest, OrderStatistics) {
  // k = IdfBin(0.025, 20, 0.5) = 5: the 6th and 15th smallest of 20 cases;
  // level = (1 - P(X <= 5) - 0.5) * 200 with P(X <= 5) = 21700 / 2^20.
  std::vector<double> x;
  for (int i = 1; i <= 20; ++i) x.push_back(i);
  const std::vector<double> ones(20, 1.0);
  MedianLimits m = Limits(x, ones, 20.0, 95.0, true);
  EXPECT_EQ(m.lower, 6.0);
  EXPECT_EQ(m.upper, 15.0);
  EXPECT_NEAR(m.level, (0.5 - 21700.0 / 1048576.0) * 200.0, 1e-12);
  m = Limits(x, ones, 20.0, 95.0, false);
  EXPECT_TRUE(MCMV::IsMissing(m.level));

  m = Limits({1.0, 2.0, 3.0, 4.0}, {5.0, 5.0, 5.0, 5.0}, 20.0, 95.0, false);
  EXPECT_EQ(m.lower, 2.0);
  EXPECT_EQ(m.upper, 3.0);
}

TEST(MedianConfidenceTest, SmallTotals) {
  MedianLimits m = Limits({3.0, 7.0}, {1.0, 1.0}, 2.0, 95.0, false);
  EXPECT_EQ(m.lower, 3.0);
  EXPECT_EQ(m.upper, 7.0);
  EXPECT_EQ(m.level, 100.0);
  // P(X <= 0) = 1/32 > 0.025: k = -1, the whole range.
  m = Limits({1.0, 2.0, 3.0, 4.0, 5.0}, {1.0, 1.0, 1.0, 1.0, 1.0}, 5.0, 95.0, true);
  EXPECT_EQ(m.lower, 1.0);
  EXPECT_EQ(m.upper, 5.0);
  EXPECT_EQ(m.level, 100.0);
  m = Limits({1.0}, {1.0}, 1.0, 95.0, true);
  EXPECT_TRUE(MCMV::IsMissing(m.lower));
  EXPECT_TRUE(MCMV::IsMissing(m.upper));
  EXPECT_TRUE(MCMV::IsMissing(m.level));
  // A confidence that makes the binomial quantile fail leaves all missing.
  m = Limits({1.0, 2.0, 3.0}, {1.0, 1.0, 1.0}, 3.0, 300.0, true);
  EXPECT_TRUE(MCMV::IsMissing(m.lower));
  EXPECT_TRUE(MCMV::IsMissing(m.level));
}

}  // namespace
