// Memory kept by loaded dictionaries, and memory over many evaluated cases.
//
//   orvane_memory_bench --load=DOCUMENT.xml --eval=DOCUMENT.xml,CASES.csv [--cases=1000000]
//
// Load: resident set and heap in use before GetTransformationDictionaryFromXML
// and after it has returned (the parser and its document are gone by then),
// also after malloc_trim gave the freed pages back, and the peak.
// Evaluation: FillRecord + GetValuesForDeriedVars over --cases cases, cycling
// over the CSV, with the heap in use and the resident set at checkpoints.
// Output: one "name value" line per figure (bytes unless named otherwise).
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>

#include "bench_support.h"

namespace orvane_bench {
namespace {

double Mb(double bytes) { return bytes / (1024.0 * 1024.0); }

void Print(const char* name, double bytes) {
  std::printf("%-32s %14.0f  (%.2f MB)\n", name, bytes, Mb(bytes));
}

void MeasureLoad(const std::string& path) {
  const double rss0 = static_cast<double>(ResidentBytes());
  const double heap0 = static_cast<double>(HeapInUseBytes());
  const auto wall0 = std::chrono::steady_clock::now();
  const std::clock_t cpu0 = std::clock();
  Loaded loaded = LoadDocument(path);
  const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
  const double wall_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall0).count();
  const double rss1 = static_cast<double>(ResidentBytes());
  const double heap1 = static_cast<double>(HeapInUseBytes());
  const double peak = static_cast<double>(PeakResidentBytes());
  malloc_trim(0);
  const double rss2 = static_cast<double>(ResidentBytes());
  std::printf("load.document %s\n", path.c_str());
  std::printf("load.derived_fields %zu\n", loaded.derived->GetDerivedVarNames().size());
  std::printf("load.time_ms wall %.1f cpu %.1f (one load, in a fresh process)\n", wall_ms, cpu_ms);
  Print("load.rss_kept", rss1 - rss0);
  Print("load.rss_kept_after_trim", rss2 - rss0);
  Print("load.heap_kept", heap1 - heap0);
  Print("load.peak_rss_above_baseline", peak - rss0);
}

void MeasureEvaluation(const std::string& path, const std::string& cases_path, long total) {
  Loaded loaded = LoadDocument(path);
  const Cases cases = ReadCases(cases_path, *loaded.data);
  MCOrvane_600::CaseRecord record;
  PrepareRecord(cases, &record);
  std::printf("eval.document %s\n", path.c_str());
  double first_heap = -1, first_rss = -1, heap = 0, rss = 0;
  long next = 1000;
  std::size_t row = 0;
  for (long c = 1; c <= total; ++c) {
    FillRecord(cases, row, &record);
    loaded.derived->GetValuesForDeriedVars(&record, loaded.data.get());
    if (++row == cases.rows.size()) row = 0;
    if (c == next || c == total) {
      heap = static_cast<double>(HeapInUseBytes());
      rss = static_cast<double>(ResidentBytes());
      if (first_heap < 0) {
        first_heap = heap;
        first_rss = rss;
      }
      std::printf("eval.checkpoint cases %ld heap %.0f rss %.0f\n", c, heap, rss);
      next *= 10;
    }
  }
  std::printf("eval.cases %ld\n", total);
  Print("eval.heap_growth", heap - first_heap);
  Print("eval.rss_growth", rss - first_rss);
}

}  // namespace
}  // namespace orvane_bench

int main(int argc, char** argv) {
  const std::string load = orvane_bench::Flag(argc, argv, "load", "");
  const std::string eval = orvane_bench::Flag(argc, argv, "eval", "");
  const long cases = std::atol(orvane_bench::Flag(argc, argv, "cases", "1000000").c_str());
  if (load.empty() && eval.empty()) {
    std::fprintf(stderr, "usage: %s --load=DOC.xml --eval=DOC.xml,CASES.csv [--cases=N]\n",
                 argv[0]);
    return 2;
  }
  // The load first, in a process that has done nothing else yet.
  if (!load.empty()) orvane_bench::MeasureLoad(load);
  if (!eval.empty()) {
    std::istringstream parts(eval);
    std::string doc, csv;
    std::getline(parts, doc, ',');
    std::getline(parts, csv, ',');
    orvane_bench::MeasureEvaluation(doc, csv, cases > 0 ? cases : 1);
  }
  return 0;
}
