// Load and per-case cost of the AssociationModel plug-in on generated
// documents of N rules (the cost of a case should grow linearly in N).
//
//   orvane_association_bench [benchmark flags]
//
// A document of N rules has 50 items; rule i goes from the itemset
// {item i%50, item (7i+3)%50} to {item (13i+5)%50}, with a confidence,
// support and lift of its own. Its Output asks for the three best rules of
// recommendation and exclusiveRecommendation (rule, consequent, confidence)
// and the best rule by lift. A case is a basket of 8 items, cycling over 16.
//
// Benchmarks, for N = 100 and 1000:
//   association_score/N  Score of one case into one result record
//   association_load/N   MakeModelFromXML from the document's text and the
//                        model's deletion, while the process holds Xerces
//   association_parse/N  the plain DOM parse of the document (written to a
//                        temporary file) and its release
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench_run.h"
#include "orvane/orvane.h"
#include "orvane_plugins/plugin_directory.h"
#include "xerces_floor.h"

namespace orvane_bench {
namespace {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::ModelFactory;
using MCOrvane_600::OVException;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreModel;

constexpr int kItems = 50;

std::string Item(int i) { return "i" + std::to_string(i % kItems); }

std::string Document(int rules) {
  std::ostringstream out;
  out << R"(<PMML version="4.4"><DataDictionary>
<DataField name="basket" optype="categorical" dataType="string"/>
<DataField name="item" optype="categorical" dataType="string"/></DataDictionary>
<AssociationModel functionName="associationRules" numberOfTransactions="1000"
 minimumSupport="0" minimumConfidence="0" numberOfItems="50" numberOfItemsets="0"
 numberOfRules="0"><MiningSchema><MiningField name="basket" usageType="group"/>
<MiningField name="item"/></MiningSchema><Output>)";
  for (const char* algorithm : {"recommendation", "exclusiveRecommendation"}) {
    for (int rank = 1; rank <= 3; ++rank) {
      for (const char* feature : {"rule", "consequent", "confidence"}) {
        out << "<OutputField name=\"" << algorithm << feature << rank << "\" feature=\""
            << feature << "\" algorithm=\"" << algorithm << "\" rank=\"" << rank << "\"/>";
      }
    }
  }
  out << R"(<OutputField name="lift" feature="ruleId" algorithm="recommendation" rankBasis="lift"/>)";
  out << "</Output>";
  for (int i = 0; i < kItems; ++i) {
    out << "<Item id=\"" << i << "\" value=\"" << Item(i) << "\"/>";
  }
  for (int i = 0; i < rules; ++i) {
    out << "<Itemset id=\"a" << i << "\"><ItemRef itemRef=\"" << i % kItems
        << "\"/><ItemRef itemRef=\"" << (7 * i + 3) % kItems << "\"/></Itemset>"
        << "<Itemset id=\"c" << i << "\"><ItemRef itemRef=\"" << (13 * i + 5) % kItems
        << "\"/></Itemset>";
  }
  for (int i = 0; i < rules; ++i) {
    out << "<AssociationRule id=\"r" << i << "\" antecedent=\"a" << i << "\" consequent=\"c" << i
        << "\" support=\"" << 0.01 + (i % 17) / 100.0 << "\" confidence=\""
        << 0.3 + (i % 23) / 40.0 << "\" lift=\"" << 1.0 + (i % 11) / 10.0 << "\"/>";
  }
  out << "</AssociationModel></PMML>";
  return out.str();
}

ScoreModel* Load(const std::string& text) {
  std::istringstream in(text);
  return ModelFactory::MakeModelFromXML(in, {"AssociationModel"}, "");
}

void BM_Score(benchmark::State& state) {
  const std::string text = Document(static_cast<int>(state.range(0)));
  std::unique_ptr<ScoreModel> model;
  try {
    model.reset(Load(text));
  } catch (const OVException& e) {
    state.SkipWithError(e.GetErrorMessage().c_str());
    return;
  }
  std::vector<std::unique_ptr<CaseRecord>> baskets;
  for (int b = 0; b < 16; ++b) {
    std::string set = "{";
    for (int k = 0; k < 8; ++k) set += (k == 0 ? "" : ",") + Item(b * 3 + k * 5);
    baskets.emplace_back(new CaseRecord);
    baskets.back()->SetValue("item", set + "}");
  }
  std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
  std::vector<MCOrvane_600::ResultAdvice> advice;
  size_t row = 0;
  for (auto _ : state) {
    model->Score(baskets[row].get(), result.get(), &advice);
    benchmark::ClobberMemory();
    row = (row + 1) % baskets.size();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Load(benchmark::State& state) {
  const std::string text = Document(static_cast<int>(state.range(0)));
  XercesHold hold;
  for (auto _ : state) {
    try {
      std::unique_ptr<ScoreModel> model(Load(text));
      benchmark::DoNotOptimize(model.get());
    } catch (const OVException& e) {
      state.SkipWithError(e.GetErrorMessage().c_str());
      break;
    }
  }
}

void BM_Parse(benchmark::State& state) {
  const std::string path = "/tmp/orvane_association_bench_" +
                           std::to_string(state.range(0)) + ".pmml";
  std::ofstream(path) << Document(static_cast<int>(state.range(0)));
  TimePlainDom(state, path);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace orvane_bench

int main(int argc, char** argv) {
  orvane_plugins::PreloadPlugins({"AssociationModel"});
  orvane_bench::Reported(
      benchmark::RegisterBenchmark("association_score", orvane_bench::BM_Score))
      ->Arg(100)
      ->Arg(1000);
  for (auto* b : {benchmark::RegisterBenchmark("association_load", orvane_bench::BM_Load),
                  benchmark::RegisterBenchmark("association_parse", orvane_bench::BM_Parse)}) {
    orvane_bench::Reported(b)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
  }
  return orvane_bench::RunRegistered(argc, argv);
}
