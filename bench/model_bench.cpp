// Per-case scoring cost and load cost of real model documents through the
// shipped model plug-ins.
//
//   orvane_model_bench [--corpus=DIR] [--doc=NAME ...] [--iterations=N] [--rows=N]
//                      [benchmark flags]
//
// DIR is a scoring corpus (pmml/NAME.pmml, data/SET.csv where SET is the last
// word of NAME); by default the one this program was built with. Without
// --doc, one or more documents of every model type. Without the corpus, the
// program says so in one line and exits 0.
//
// Benchmarks a document:
//   score/NAME        Score of one case into one result record, cycling over
//                     the data set's rows decoded once into filled case
//                     records (after two untimed passes over them): the time
//                     is the cost of a case. --rows=N: the first N rows only,
//                     so that their records stay in the cache (a host that
//                     fills one record case after case)
//   filled/NAME       Score of records filled just before, over every row:
//                     16 records are filled untimed, then scored timed (the
//                     per_case counter is the cost of a case)
//   load/NAME         MakeModelFromXML(stream, shipped names, "") and the
//                     model's deletion, while the process holds Xerces
//   floor_parse/NAME  the plain DOM parse of the same file and its release
//   load_ratio/NAME   16 loads and 16 plain parses in turn, each run timed; the
//                     time is a run of loads', the counters a load's (load_us),
//                     a parse's (parse_us) and the ratio of the two over all runs
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_run.h"
#include "bench_support.h"
#include "orvane/model/result_advice.h"
#include "orvane/model/score_model.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/ov_exception.h"
#include "orvane_plugins/plugin_directory.h"
#include "xerces_floor.h"

#ifndef ORVANE_BENCH_SCORING_CORPUS
#define ORVANE_BENCH_SCORING_CORPUS ""
#endif

namespace orvane_bench {
namespace {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::ModelFactory;
using MCOrvane_600::OVException;
using MCOrvane_600::ResultAdvice;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreModel;

// Single trees, ensembles, regressions, then one of each other model type.
const char* const kDefaultDocuments[] = {
    "knime-DecisionTreeIris",          "knime-DecisionTreeAudit",
    "rattle-DecisionTreeAuto",         "knime-DecisionTreeEnsembleAudit",
    "rattle-RandomForestIris",         "knime-GBTAuto",
    "rattle-LogisticRegressionIris",   "knime-GeneralRegressionIris",
    "knime-NeuralNetworkIris",         "knime-SupportVectorMachineIris",
    "knime-KMeansIris",                "knime-RuleSetIris",
    "rattle-NaiveBayesIris",
};

std::vector<std::string>& ModelNames() {
  static std::vector<std::string> names;
  return names;
}

struct Document {
  std::string name;
  std::string path;        // the model document
  std::string cases_path;  // its data set
  std::size_t rows = 0;    // score/ cycles over this many rows at most; 0: all
};

ScoreModel* Load(const Document& doc) {
  std::ifstream in(doc.path);
  return ModelFactory::MakeModelFromXML(in, ModelNames(), "");
}

void Fail(benchmark::State& state, const OVException& e) {
  state.SkipWithError(
      ("code " + std::to_string(static_cast<int>(e.GetErrorCode())) + ": " + e.GetErrorMessage())
          .c_str());
}

// The timed loop, a function of its own so that an instruction count can be
// limited to it (valgrind --tool=callgrind --toggle-collect='*ScoreLoop*').
__attribute__((noinline)) void ScoreLoop(benchmark::State& state, ScoreModel* model,
                                         const std::vector<std::unique_ptr<CaseRecord>>& records,
                                         ScoreCaseRecord* result,
                                         std::vector<ResultAdvice>* advice) {
  const std::size_t count = records.size();
  std::size_t row = 0;
  for (auto _ : state) {
    if (!model->Score(records[row].get(), result, advice)) {
      state.SkipWithError("Score refused its arguments");
      break;
    }
    benchmark::ClobberMemory();
    if (++row == count) row = 0;
  }
}

// The document's model; null once `state` says why there is none.
std::unique_ptr<ScoreModel> ScoringModel(benchmark::State& state, const Document& doc) {
  std::unique_ptr<ScoreModel> model;
  try {
    model.reset(Load(doc));
  } catch (const OVException& e) {
    Fail(state, e);
    return nullptr;
  }
  if (model == nullptr || model->GetDictionary() == nullptr) {
    state.SkipWithError("the plug-in built no model that can score");
    return nullptr;
  }
  return model;
}

void BM_Score(benchmark::State& state, const Document* doc) {
  const std::unique_ptr<ScoreModel> model = ScoringModel(state, *doc);
  if (model == nullptr) return;
  const Cases cases = ReadCases(doc->cases_path, *model->GetDictionary());
  std::vector<std::unique_ptr<CaseRecord>> records;
  const std::size_t rows =
      doc->rows > 0 ? std::min(doc->rows, cases.rows.size()) : cases.rows.size();
  records.reserve(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    records.emplace_back(new CaseRecord);
    PrepareRecord(cases, records.back().get());
    FillRecord(cases, i, records.back().get());
  }
  std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
  std::vector<ResultAdvice> advice;
  // Two untimed passes over the data set: what a model keeps from case to
  // case (the places of its inputs in each record) is found before timing.
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& record : records) model->Score(record.get(), result.get(), &advice);
  }
  ScoreLoop(state, model.get(), records, result.get(), &advice);
  state.SetItemsProcessed(state.iterations());
  state.counters["cases"] = static_cast<double>(records.size());
}

// Score of records filled just before (as the command-line tool and the
// Python package fill one record per row), over every row of the data set:
// kBatch records are filled untimed, then their cases are scored timed.
constexpr std::size_t kBatch = 16;

__attribute__((noinline)) double ScoreBatch(ScoreModel* model, CaseRecord* records,
                                            ScoreCaseRecord* result,
                                            std::vector<ResultAdvice>* advice, bool* refused) {
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < kBatch; ++i) {
    *refused |= !model->Score(&records[i], result, advice);
    benchmark::ClobberMemory();
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Filled(benchmark::State& state, const Document* doc) {
  const std::unique_ptr<ScoreModel> model = ScoringModel(state, *doc);
  if (model == nullptr) return;
  const Cases cases = ReadCases(doc->cases_path, *model->GetDictionary());
  std::vector<CaseRecord> records(kBatch);
  for (CaseRecord& record : records) PrepareRecord(cases, &record);
  std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
  std::vector<ResultAdvice> advice;
  std::size_t row = 0;
  bool refused = false;
  auto fill = [&] {
    for (CaseRecord& record : records) {
      FillRecord(cases, row, &record);
      if (++row == cases.rows.size()) row = 0;
    }
  };
  for (std::size_t n = 0; n < cases.rows.size(); n += kBatch) {
    fill();
    ScoreBatch(model.get(), records.data(), result.get(), &advice, &refused);
  }
  for (auto _ : state) {
    fill();
    state.SetIterationTime(ScoreBatch(model.get(), records.data(), result.get(), &advice,
                                      &refused));
  }
  if (refused) state.SkipWithError("Score refused its arguments");
  state.counters["per_case"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kBatch),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Load(benchmark::State& state, const Document* doc) {
  XercesHold hold;
  for (auto _ : state) {
    try {
      std::unique_ptr<ScoreModel> model(Load(*doc));
      benchmark::DoNotOptimize(model.get());
    } catch (const OVException& e) {
      Fail(state, e);
      break;
    }
  }
}

void BM_FloorParse(benchmark::State& state, const Document* doc) {
  TimePlainDom(state, doc->path);
}

// Loads (with the model's deletion) and plain parses in turn, 16 of each, each
// run timed: both see the same moments of a machine whose speed moves, so
// their ratio holds where two separate benchmarks drift apart. Runs of 16 keep
// what a load leaves for the allocator (its model's release) with the loads,
// as in load/. The time is a run of loads'.
void BM_LoadRatio(benchmark::State& state, const Document* doc) {
  using Clock = std::chrono::steady_clock;
  constexpr int kRun = 16;
  XercesHold hold;
  double load_seconds = 0.0;
  double parse_seconds = 0.0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    try {
      for (int i = 0; i < kRun; ++i) {
        std::unique_ptr<ScoreModel> model(Load(*doc));
        benchmark::DoNotOptimize(model.get());
      }
    } catch (const OVException& e) {
      Fail(state, e);
      break;
    }
    const Clock::time_point loaded = Clock::now();
    for (int i = 0; i < kRun; ++i) {
      if (!ParsePlainDom(doc->path)) {
        state.SkipWithError("parse failed");
        return;
      }
    }
    const std::chrono::duration<double> load = loaded - start;
    const std::chrono::duration<double> parse = Clock::now() - loaded;
    load_seconds += load.count();
    parse_seconds += parse.count();
    state.SetIterationTime(load.count());
  }
  if (state.iterations() == 0 || parse_seconds <= 0.0) return;
  const double loads = static_cast<double>(state.iterations() * kRun);
  state.counters["load_us"] = 1e6 * load_seconds / loads;
  state.counters["parse_us"] = 1e6 * parse_seconds / loads;
  state.counters["ratio"] = load_seconds / parse_seconds;
}

bool Readable(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace
}  // namespace orvane_bench

int main(int argc, char** argv) {
  using orvane_bench::Document;
  const std::string corpus =
      orvane_bench::Flag(argc, argv, "corpus", ORVANE_BENCH_SCORING_CORPUS);
  if (corpus.empty() || !orvane_bench::Readable(corpus + "/README.md")) {
    std::printf("orvane_model_bench: no scoring corpus at \"%s\"; nothing measured\n",
                corpus.c_str());
    return 0;
  }
  std::vector<std::string> names = orvane_bench::Flags(argc, argv, "doc");
  if (names.empty()) {
    names.assign(std::begin(orvane_bench::kDefaultDocuments),
                 std::end(orvane_bench::kDefaultDocuments));
  }
  // Kept alive for the whole run: the benchmarks hold pointers to them.
  static std::vector<Document> documents;
  const long rows = std::atol(orvane_bench::Flag(argc, argv, "rows", "0").c_str());
  documents.reserve(names.size());
  for (const std::string& name : names) {
    // The data set is the last word of the name ("knime-DecisionTreeIris": Iris).
    const std::size_t word = name.find_last_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const std::string set = word == std::string::npos ? name : name.substr(word);
    Document doc{name, corpus + "/pmml/" + name + ".pmml", corpus + "/data/" + set + ".csv",
                 static_cast<std::size_t>(rows > 0 ? rows : 0)};
    if (!orvane_bench::Readable(doc.path) || !orvane_bench::Readable(doc.cases_path)) {
      std::fprintf(stderr, "%s: cannot read %s or %s\n", name.c_str(), doc.path.c_str(),
                   doc.cases_path.c_str());
      return 2;
    }
    documents.push_back(doc);
  }
  orvane_bench::ModelNames() =
      orvane_plugins::ReadNamesFile(orvane_plugins::DefaultNamesFile());
  orvane_plugins::PreloadPlugins(orvane_bench::ModelNames());

  // --iterations=N: every score/ benchmark scores exactly N cases, every
  // filled/ one N batches (instruction counts then compare like with like).
  const long iterations = std::atol(orvane_bench::Flag(argc, argv, "iterations", "0").c_str());
  for (const Document& doc : documents) {
    auto* score = orvane_bench::Reported(
        benchmark::RegisterBenchmark(("score/" + doc.name).c_str(), orvane_bench::BM_Score, &doc));
    if (iterations > 0) score->Iterations(iterations);
    auto* filled =
        benchmark::RegisterBenchmark(("filled/" + doc.name).c_str(), orvane_bench::BM_Filled, &doc)
            ->UseManualTime()
            ->ComputeStatistics("min", orvane_bench::Min)
            ->ComputeStatistics("max", orvane_bench::Max);
    if (iterations > 0) filled->Iterations(iterations);
    for (auto* b : {benchmark::RegisterBenchmark(("load/" + doc.name).c_str(),
                                                 orvane_bench::BM_Load, &doc),
                    benchmark::RegisterBenchmark(("floor_parse/" + doc.name).c_str(),
                                                 orvane_bench::BM_FloorParse, &doc)}) {
      orvane_bench::Reported(b)->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark(("load_ratio/" + doc.name).c_str(), orvane_bench::BM_LoadRatio,
                                 &doc)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
  }
  return orvane_bench::RunRegistered(argc, argv);
}
