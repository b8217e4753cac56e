#ifndef ORVANE_BENCH_BENCH_RUN_H_
#define ORVANE_BENCH_BENCH_RUN_H_

#include <benchmark/benchmark.h>

#include "bench_stats.h"

// How every benchmark program registers and runs its benchmarks; header-only,
// as the floors' harness links nothing of the library.
namespace orvane_bench {

// Wall-clock time, with the minimum and maximum over repetitions beside the
// default aggregates. Returns `b` for further settings.
inline benchmark::internal::Benchmark* Reported(benchmark::internal::Benchmark* b) {
  return b->UseRealTime()->ComputeStatistics("min", Min)->ComputeStatistics("max", Max);
}

// Runs what is registered under the benchmark flags of argv; main's result.
inline int RunRegistered(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace orvane_bench

#endif  // ORVANE_BENCH_BENCH_RUN_H_
