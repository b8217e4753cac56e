// Per-case cost of derived values: the host fills a case record from decoded
// inputs and asks the transformation dictionary for every derived value.
//
//   orvane_eval_bench --doc=LABEL,DOCUMENT.xml,CASES.csv[,standard] [--doc=...] [flags]
//
// A fourth part "standard" reads the document as standard PMML.
// Three benchmarks a document, one case per iteration, cycling over the cases:
//   evaluate/LABEL       FillRecord + GetValuesForDeriedVars (what a host pays)
//   evaluate_only/LABEL  GetValuesForDeriedVars on records filled beforehand
//   fill/LABEL           FillRecord alone
// Counter s_per_field: seconds per derived field per case (time / (iterations
// x derived fields)); missing_share: share of derived values missing in the
// last case computed, a check that the work really happens.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench_run.h"
#include "bench_support.h"

namespace orvane_bench {
namespace {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::ScoreCaseRecord;

struct Document {
  std::string label;
  std::string path;
  std::string cases_path;
  bool standard = false;
  // Made on first use, so that a filtered run loads only what it needs.
  bool ready = false;
  Loaded loaded;
  Cases cases;
  std::size_t fields = 0;

  void Prepare() {
    if (ready) return;
    loaded = LoadDocument(path, standard);
    cases = ReadCases(cases_path, *loaded.data);
    fields = loaded.derived->GetDerivedVarNames().size();
    ready = true;
  }
};

void SetCounters(benchmark::State& state, const Document& doc) {
  state.SetItemsProcessed(state.iterations());
  state.counters["fields"] = static_cast<double>(doc.fields);
  state.counters["s_per_field"] = benchmark::Counter(
      static_cast<double>(doc.fields),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["missing_share"] = MissingShare(*doc.loaded.derived);
}

void BM_Evaluate(benchmark::State& state, Document* doc) {
  doc->Prepare();
  CaseRecord record;
  PrepareRecord(doc->cases, &record);
  const std::size_t count = doc->cases.rows.size();
  std::size_t row = 0;
  for (auto _ : state) {
    FillRecord(doc->cases, row, &record);
    const ScoreCaseRecord* out =
        doc->loaded.derived->GetValuesForDeriedVars(&record, doc->loaded.data.get());
    benchmark::DoNotOptimize(out);
    if (++row == count) row = 0;
  }
  SetCounters(state, *doc);
}

void BM_EvaluateOnly(benchmark::State& state, Document* doc) {
  doc->Prepare();
  const std::size_t count = doc->cases.rows.size();
  std::vector<std::unique_ptr<CaseRecord>> records;
  records.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    records.emplace_back(new CaseRecord);
    PrepareRecord(doc->cases, records.back().get());
    FillRecord(doc->cases, i, records.back().get());
  }
  std::size_t row = 0;
  for (auto _ : state) {
    const ScoreCaseRecord* out =
        doc->loaded.derived->GetValuesForDeriedVars(records[row].get(), doc->loaded.data.get());
    benchmark::DoNotOptimize(out);
    if (++row == count) row = 0;
  }
  SetCounters(state, *doc);
}

void BM_Fill(benchmark::State& state, Document* doc) {
  doc->Prepare();
  CaseRecord record;
  PrepareRecord(doc->cases, &record);
  const std::size_t count = doc->cases.rows.size();
  std::size_t row = 0;
  for (auto _ : state) {
    FillRecord(doc->cases, row, &record);
    benchmark::ClobberMemory();
    if (++row == count) row = 0;
  }
  SetCounters(state, *doc);
}

}  // namespace
}  // namespace orvane_bench

int main(int argc, char** argv) {
  using orvane_bench::Document;
  // Kept alive for the whole run: the benchmarks hold pointers to them.
  static std::vector<std::unique_ptr<Document>> documents;
  for (const std::string& flag : orvane_bench::Flags(argc, argv, "doc")) {
    std::unique_ptr<Document> doc(new Document);
    std::istringstream parts(flag);
    std::getline(parts, doc->label, ',');
    std::getline(parts, doc->path, ',');
    std::getline(parts, doc->cases_path, ',');
    std::string mode;
    std::getline(parts, mode, ',');
    doc->standard = mode == "standard";
    if (doc->label.empty() || doc->path.empty() || doc->cases_path.empty() ||
        !(mode.empty() || doc->standard)) {
      std::fprintf(stderr, "--doc wants LABEL,DOCUMENT,CASES[,standard], got \"%s\"\n",
                   flag.c_str());
      return 2;
    }
    documents.push_back(std::move(doc));
  }
  if (documents.empty()) {
    std::fprintf(stderr, "usage: %s --doc=LABEL,DOCUMENT.xml,CASES.csv ... [benchmark flags]\n",
                 argv[0]);
    return 2;
  }
  for (const auto& doc : documents) {
    for (auto* b : {benchmark::RegisterBenchmark(("evaluate/" + doc->label).c_str(),
                                                 orvane_bench::BM_Evaluate, doc.get()),
                    benchmark::RegisterBenchmark(("evaluate_only/" + doc->label).c_str(),
                                                 orvane_bench::BM_EvaluateOnly, doc.get()),
                    benchmark::RegisterBenchmark(("fill/" + doc->label).c_str(),
                                                 orvane_bench::BM_Fill, doc.get())}) {
      orvane_bench::Reported(b);
    }
  }
  return orvane_bench::RunRegistered(argc, argv);
}
