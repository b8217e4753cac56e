#ifndef ORVANE_BENCH_BENCH_STATS_H_
#define ORVANE_BENCH_BENCH_STATS_H_

#include <string>
#include <vector>

// Small helpers shared by every benchmark program, the floors' harness
// included (which links nothing of the library): header-only for that reason.
namespace orvane_bench {

// Statistics over repetitions, for ComputeStatistics.
inline double Min(const std::vector<double>& v) {
  double m = v.empty() ? 0 : v[0];
  for (double x : v) m = x < m ? x : m;
  return m;
}

inline double Max(const std::vector<double>& v) {
  double m = v.empty() ? 0 : v[0];
  for (double x : v) m = x > m ? x : m;
  return m;
}

// The cells of one generator CSV line (the generator never quotes).
inline std::vector<std::string> SplitCsv(const std::string& line) {
  std::vector<std::string> cells(1);
  for (char c : line) {
    if (c == ',') {
      cells.emplace_back();
    } else if (c != '\r') {
      cells.back() += c;
    }
  }
  return cells;
}

}  // namespace orvane_bench

#endif  // ORVANE_BENCH_BENCH_STATS_H_
