// Percentiles of grouped data and confidence limits of the median.

#include <cstddef>

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mcmv.h"

namespace MCMath_600 {

using MCCommon_600::MCMV;

namespace {

// Linear interpolation from `a` to `b` as `target` runs over [low, high].
double Interpolate(double a, double b, double low, double high, double target) {
  if (high == low) return MCMV::Missing();
  const double r = (target - low) / (high - low);
  return r == 0.0 ? a : (1.0 - r) * a + r * b;
}

// Values as points at the midpoints of their cumulative frequencies.
void PointRule(long n, const std::vector<double>& x, const std::vector<double>& f, double target,
               double& result, long& status) {
  double cumulative = 0.0;
  double previous_mid = 0.0;
  for (long i = 0; i < n; ++i) {
    const double mid = cumulative + f[i] / 2.0;
    cumulative += f[i];
    if (i == 0) {
      if (target < mid) {
        status = 1;
        return;
      }
    } else if (previous_mid <= target && target < mid) {
      result = Interpolate(x[i - 1], x[i], previous_mid, mid, target);
      return;
    }
    previous_mid = mid;
  }
  if (target == previous_mid) {
    result = x[n - 1];
  } else if (target > previous_mid) {
    status = 2;
  }
}

// Classes of one width centred on the values.
void EqualWidthRule(long n, const std::vector<double>& x, const std::vector<double>& f,
                    double width, double target, double& result) {
  double cumulative = 0.0;
  for (long i = 0; i < n; ++i) {
    const double before = cumulative;
    cumulative += f[i];
    if (before <= target && target < cumulative) {
      result = Interpolate(x[i] - width / 2.0, x[i] + width / 2.0, before, cumulative, target);
      return;
    }
  }
  if (target == cumulative) result = x[n - 1] + width / 2.0;
}

// Classes between the given bounds; a value on a bound belongs to the class
// above it.
void BoundsRule(long n, const std::vector<double>& x, const std::vector<double>& f,
                const std::vector<double>& bounds, long m, double target, double& result) {
  // The last class is as wide above its lower bound as its first value lies.
  double last_upper = bounds[m - 1];
  for (long i = 0; i < n; ++i) {
    if (x[i] > bounds[m - 1]) {
      last_upper = 2.0 * x[i] - bounds[m - 1];
      break;
    }
  }
  double previous = 0.0;
  double cumulative = 0.0;
  for (long k = 0; k < m; ++k) {
    const double upper = k + 1 < m ? bounds[k + 1] : last_upper;
    cumulative = 0.0;
    for (long i = 0; i < n; ++i) {
      if (x[i] < upper) cumulative += f[i];
    }
    if (target == 0.0 && cumulative == 0.0) {
      result = bounds[0];
      return;
    }
    if (previous <= target && target < cumulative) {
      result = Interpolate(bounds[k], upper, previous, cumulative, target);
      return;
    }
    previous = cumulative;
  }
  if (target == cumulative) result = last_upper;
}

}  // namespace

void MCDistFun::GPTile(long n, double percent, const std::vector<double>& x,
                       const std::vector<double>& f, const std::vector<double>& w, long method,
                       double& result, long& status) {
  result = MCMV::Missing();
  status = -1;
  if (n <= 1) return;
  const std::size_t count = static_cast<std::size_t>(n);
  if (x.size() < count || f.size() < count) return;
  if (method > 0 && w.size() < static_cast<std::size_t>(method)) return;
  status = 0;
  double total = 0.0;
  for (long i = 0; i < n; ++i) total += f[i];
  const double target = total * percent / 100.0;
  if (method <= 0) {
    PointRule(n, x, f, target, result, status);
  } else if (method == 1) {
    EqualWidthRule(n, x, f, w[0], target, result);
  } else {
    BoundsRule(n, x, f, w, method, target, result);
  }
}

void MCDistFun::Mednci(long n, const std::vector<double>& x, const std::vector<double>& f,
                       double total, double confidence, bool want_level, double& lower,
                       double& upper, double& level) {
  lower = MCMV::Missing();
  upper = MCMV::Missing();
  level = MCMV::Missing();
  if (n < 1) return;
  const std::size_t count = static_cast<std::size_t>(n);
  if (x.size() < count || f.size() < count) return;
  if (total == 2.0) {
    lower = x[0];
    upper = x[n - 1];
    level = 100.0;
    return;
  }
  if (!(total > 2.0)) return;
  long err;
  const double k = IdfBin(0.5 - confidence / 200.0, total, 0.5, err);
  if (err != 0) return;
  if (k < 0.0) {
    lower = x[0];
    upper = x[n - 1];
    level = 100.0;
    return;
  }

  // The (k + 1)-th smallest case.
  if (total <= k + 1.0) {
    lower = x[n - 1];
  } else {
    double cumulative = 0.0;
    for (long i = 0; i < n; ++i) {
      cumulative += f[i];
      if (cumulative >= k + 1.0) {
        lower = x[i];
        break;
      }
    }
  }
  // The (total - k)-th smallest case, counted down from the top.
  if (total - k <= 1.0) {
    upper = x[0];
  } else {
    double remainder = total;
    for (long i = n - 1; i >= 0; --i) {
      remainder -= f[i];
      if (remainder < total - k) {
        upper = x[i];
        break;
      }
    }
  }
  if (want_level) {
    long beta_err;
    const double coverage = cdfbet(0.5, k + 1.0, total - k, beta_err);
    if (beta_err == 0) {
      level = (coverage - 0.5) * 200.0;
      if (level < 0.0) level = 0.0;
    }
  }
}

}  // namespace MCMath_600
