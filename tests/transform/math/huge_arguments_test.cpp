#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "orvane/transform/math/mc_dist_fun.h"
#include "transform/math/relative_error.h"

namespace {

using MCMath_600::MCDistFun;
using orvane_test::RelNear;

constexpr double kBig = 1e300;
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Every distribution function at huge finite arguments: the limit of the
// function there (or of the distribution, for huge parameters), never NaN.
struct LimitCase {
  const char* call;
  std::function<double()> compute;
  double expected;
  double tolerance;  // relative; absolute when expected is 0
};

long err = 0;
int hyper_err = 0;

const LimitCase kCases[] = {
    {"CdfStdNorm(big)", [] { return MCDistFun::CdfStdNorm(kBig); }, 1, 0},
    {"CdfStdNorm(-max)", [] { return MCDistFun::CdfStdNorm(-kMax); }, 0, 0},
    {"CdfNorm(big, 0, 1)", [] { return MCDistFun::CdfNorm(kBig, 0, 1); }, 1, 0},
    {"CdfNorm(-big, 0, 1)", [] { return MCDistFun::CdfNorm(-kBig, 0, 1); }, 0, 0},
    {"CdfNorm(3, big, 1)", [] { return MCDistFun::CdfNorm(3, kBig, 1); }, 0, 0},
    {"CdfNorm(3, -big, 1)", [] { return MCDistFun::CdfNorm(3, -kBig, 1); }, 1, 0},
    {"CdfNorm(3, 0, big)", [] { return MCDistFun::CdfNorm(3, 0, kBig); }, 0.5, 1e-15},
    {"CdfNorm(max, -max, 1)", [] { return MCDistFun::CdfNorm(kMax, -kMax, 1); }, 1, 0},
    {"IdfNorm(0.3, big, 1)", [] { return MCDistFun::IdfNorm(0.3, kBig, 1); }, kBig, 1e-15},
    {"IdfNorm(0.975, 0, big)", [] { return MCDistFun::IdfNorm(0.975, 0, kBig); },
     1.959963984540054e300, 1e-14},
    {"IdfStdNorm(1e-300)", [] { return MCDistFun::IdfStdNorm(1e-300); }, -37.0471, 1e-5},

    {"CdfChi(big, 3)", [] { return MCDistFun::CdfChi(kBig, 3); }, 1, 0},
    {"SigChi(big, 3)", [] { return MCDistFun::SigChi(kBig, 3); }, 0, 0},
    {"CdfChi(max, 0.5)", [] { return MCDistFun::CdfChi(kMax, 0.5); }, 1, 0},
    {"SigChi(max, 0.5)", [] { return MCDistFun::SigChi(kMax, 0.5); }, 0, 0},
    {"CdfChi(1e20, 1e9)", [] { return MCDistFun::CdfChi(1e20, 1e9); }, 1, 0},
    {"CdfChi(-big, 3)", [] { return MCDistFun::CdfChi(-kBig, 3); }, 0, 0},
    {"SigChi(-big, 3)", [] { return MCDistFun::SigChi(-kBig, 3); }, 1, 0},
    {"CdfChi(3, big)", [] { return MCDistFun::CdfChi(3, kBig); }, 0, 0},
    {"SigChi(3, big)", [] { return MCDistFun::SigChi(3, kBig); }, 1, 0},
    {"IdfChi(0.3, big)", [] { return MCDistFun::IdfChi(0.3, kBig); }, kBig, 1e-8},

    {"CdfF(big, 3, 4)", [] { return MCDistFun::CdfF(kBig, 3, 4); }, 1, 0},
    {"SigF(big, 3, 4)", [] { return MCDistFun::SigF(kBig, 3, 4); }, 0, 0},
    {"CdfF(-big, 3, 4)", [] { return MCDistFun::CdfF(-kBig, 3, 4); }, 0, 0},
    {"SigF(-big, 3, 4)", [] { return MCDistFun::SigF(-kBig, 3, 4); }, 1, 0},
    {"CdfF(max, max, max)", [] { return MCDistFun::CdfF(kMax, kMax, kMax); }, 1, 0},
    {"CdfF(3, big, big)", [] { return MCDistFun::CdfF(3, kBig, kBig); }, 1, 0},
    {"SigF(0.5, big, big)", [] { return MCDistFun::SigF(0.5, kBig, kBig); }, 1, 0},
    // F(df1, infinity) is chi-square(df1) / df1.
    {"CdfF(3, 3, big)", [] { return MCDistFun::CdfF(3, 3, kBig); },
     MCDistFun::CdfChi(9, 3), 1e-12},
    {"IdfF(0.3, 3, big)", [] { return MCDistFun::IdfF(0.3, 3, kBig); },
     MCDistFun::IdfChi(0.3, 3) / 3, 1e-12},
    // F(infinity, df2) is df2 / chi-square(df2).
    {"CdfF(3, big, 3)", [] { return MCDistFun::CdfF(3, kBig, 3); }, MCDistFun::SigChi(1, 3),
     1e-12},
    {"IdfF(0.3, big, 3)", [] { return MCDistFun::IdfF(0.3, kBig, 3); },
     3 / MCDistFun::IdfChi(0.7, 3), 1e-12},
    {"IdfF(0.3, max, max)", [] { return MCDistFun::IdfF(0.3, kMax, kMax); }, 1, 0},
    {"IdfF(0.3, 0.5, max)", [] { return MCDistFun::IdfF(0.3, 0.5, kMax); },
     MCDistFun::IdfChi(0.3, 0.5) / 0.5, 1e-12},

    {"CdfT(big, 3)", [] { return MCDistFun::CdfT(kBig, 3); }, 1, 0},
    {"CdfT(-big, 3)", [] { return MCDistFun::CdfT(-kBig, 3); }, 0, 0},
    {"SigT(big, 3)", [] { return MCDistFun::SigT(kBig, 3); }, 0, 0},
    {"SigT(-big, 3)", [] { return MCDistFun::SigT(-kBig, 3); }, 1, 0},
    {"CdfT(max, 1)", [] { return MCDistFun::CdfT(kMax, 1); }, 1, 0},
    {"CdfT(-max, 1)", [] { return MCDistFun::CdfT(-kMax, 1); }, 0, 1e-300},
    // t(infinity) is the standard normal.
    {"CdfT(1.5, big)", [] { return MCDistFun::CdfT(1.5, kBig); }, MCDistFun::CdfStdNorm(1.5),
     1e-12},
    {"IdfT(0.975, big)", [] { return MCDistFun::IdfT(0.975, kBig); }, 1.959963984540054,
     1e-9},

    {"IdfBeta(0.3, big, big)", [] { return MCDistFun::IdfBeta(0.3, kBig, kBig); }, 0.5, 1e-9},
    {"IdfBeta(0.3, 3, big)", [] { return MCDistFun::IdfBeta(0.3, 3, kBig); }, 0, 1e-290},
    {"IdfBeta(0.3, big, 3)", [] { return MCDistFun::IdfBeta(0.3, kBig, 3); }, 1, 1e-12},

    {"PdfBin(big, 10, 0.5)", [] { return MCDistFun::PdfBin(kBig, 10, 0.5, err); }, 0, 0},
    {"CdfBin(big, 10, 0.5)", [] { return MCDistFun::CdfBin(kBig, 10, 0.5, err); }, 1, 0},
    {"CdfBin(-big, 10, 0.5)", [] { return MCDistFun::CdfBin(-kBig, 10, 0.5, err); }, 0, 0},
    {"PdfBin(3, big, 0.5)", [] { return MCDistFun::PdfBin(3, kBig, 0.5, err); }, 0, 0},
    {"PdfBin(3, max, 0.3)", [] { return MCDistFun::PdfBin(3, kMax, 0.3, err); }, 0, 0},
    {"CdfBin(3, big, 0.5)", [] { return MCDistFun::CdfBin(3, kBig, 0.5, err); }, 0, 0},
    {"CdfBin(big / 4, big, 0.25)", [] { return MCDistFun::CdfBin(kBig / 4, kBig, 0.25, err); },
     0.5, 1e-6},
    {"CdfBin(1e20 / 4, 1e20, 0.25)", [] { return MCDistFun::CdfBin(2.5e19, 1e20, 0.25, err); },
     0.5, 1e-6},
    {"IdfBin(0.3, big, 0.5)", [] { return MCDistFun::IdfBin(0.3, kBig, 0.5, err); }, kBig / 2,
     1e-9},
    {"IdfBin(0.5, 1e20, 0.25)", [] { return MCDistFun::IdfBin(0.5, 1e20, 0.25, err); }, 2.5e19,
     1e-9},
    {"CDFHyper(big, 20, 5, 5)", [] { return MCDistFun::CDFHyper(kBig, 20, 5, 5, hyper_err); },
     1, 0},
    {"CDFHyper(-big, 20, 5, 5)", [] { return MCDistFun::CDFHyper(-kBig, 20, 5, 5, hyper_err); },
     0, 0},

    {"dnlgam(big)", [] { return MCDistFun::dnlgam(kBig); }, kBig * (std::log(kBig) - 1), 1e-12},
    {"dnlgam(max)", [] { return MCDistFun::dnlgam(kMax); }, kInf, 0},
    {"gammad(big, 3, lower)", [] { return MCDistFun::gammad(kBig, 3, true, err); }, 1, 0},
    {"gammad(big, 3, upper)", [] { return MCDistFun::gammad(kBig, 3, false, err); }, 0, 0},
    {"cdfbet(0.3, big, big)", [] { return MCDistFun::cdfbet(0.3, kBig, kBig, err); }, 0, 0},
    {"cdfbet(0.7, big, big)", [] { return MCDistFun::cdfbet(0.7, kBig, kBig, err); }, 1, 0},
};

TEST(HugeArgumentsTest, EveryFunctionGivesItsLimit) {
  for (const LimitCase& c : kCases) {
    SCOPED_TRACE(c.call);
    const double actual = c.compute();
    ASSERT_FALSE(std::isnan(actual));
    if (c.tolerance == 0) {
      EXPECT_EQ(actual, c.expected);
    } else if (c.expected == 0) {
      EXPECT_LE(std::fabs(actual), c.tolerance);
    } else {
      EXPECT_TRUE(RelNear(actual, c.expected, c.tolerance));
    }
  }
}

}  // namespace
