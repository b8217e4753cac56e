// The evaluation floor inside the same harness as the library's benchmarks,
// so that CPU times can be compared too (the shared hand_loop_bench reports
// wall-clock time only, which a busy machine inflates at random).
//
//   hand_floor_bench_LABEL --cases=CASES.csv [benchmark flags]
//
// hand_parsed/LABEL: the generated straight-line evaluator (GEN_EVAL, emitted
// by bench/gen_documents.py for the same document) and its regression score,
// one case per iteration, inputs decoded beforehand exactly as the shared
// floor's "parsed" mode decodes them.
#include <cmath>
#include <limits>

#include GEN_EVAL

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>
#include "bench_run.h"
#include "bench_stats.h"

#ifndef FLOOR_LABEL
#error "FLOOR_LABEL names the document"
#endif

namespace {

using orvane_bench::Reported;
using orvane_bench::RunRegistered;
using orvane_bench::SplitCsv;

constexpr int kInputs = gen::kFields + gen::kCats;
constexpr int kLabelCount = sizeof(gen::kLabels[0]) / sizeof(gen::kLabels[0][0]);

// A number, a category's position, -1 for an unknown label, NaN when empty.
double Decode(int column, const std::string& text) {
  if (text.empty()) return std::nan("");
  if (column < gen::kFields) return std::strtod(text.c_str(), nullptr);
  const int j = column - gen::kFields;
  for (int k = 0; k < kLabelCount; ++k) {
    if (text == gen::kLabels[j][k]) return k;
  }
  return -1;
}

std::vector<double> inputs;  // kInputs a case

void BM_HandParsed(benchmark::State& state) {
  const std::size_t count = inputs.size() / kInputs;
  std::vector<double> derived(gen::kDerived);
  std::size_t row = 0;
  double score = 0;
  for (auto _ : state) {
    gen::compute(&inputs[row * kInputs], derived.data());
    score += gen::score(derived.data());
    benchmark::DoNotOptimize(score);
    if (++row == count) row = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["fields"] = gen::kDerived;
  state.counters["s_per_field"] = benchmark::Counter(
      gen::kDerived, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--cases=", 8) == 0) path = argv[i] + 8;
  }
  std::ifstream in(path);
  std::string line;
  if (path.empty() || !std::getline(in, line)) {
    std::fprintf(stderr, "usage: %s --cases=CASES.csv [benchmark flags]\n", argv[0]);
    return 2;
  }
  if (static_cast<int>(SplitCsv(line).size()) != kInputs) {
    std::fprintf(stderr, "%s does not have the %d columns of this evaluator\n", path.c_str(),
                 kInputs);
    return 1;
  }
  while (std::getline(in, line)) {
    const std::vector<std::string> cells = SplitCsv(line);
    if (static_cast<int>(cells.size()) != kInputs) continue;
    for (int i = 0; i < kInputs; ++i) inputs.push_back(Decode(i, cells[i]));
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "no cases in %s\n", path.c_str());
    return 1;
  }
  Reported(benchmark::RegisterBenchmark("hand_parsed/" FLOOR_LABEL, BM_HandParsed));
  return RunRegistered(argc, argv);
}
