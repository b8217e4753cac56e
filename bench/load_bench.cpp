// Load cost of a document through the library's two entry points.
//
//   orvane_load_bench --doc=LABEL,DOCUMENT.xml [--doc=...] [benchmark flags]
//
// Benchmarks a document (one load per iteration; destroying what a load
// returns is not timed):
//   transformations_warm/LABEL  GetTransformationDictionaryFromXML(file name) while the
//                               process keeps Xerces initialised, so the call's own
//                               Initialize/Terminate only count references: compare
//                               with the floor's "parse"
//   transformations_cold/LABEL  the same with nothing else holding Xerces, so every call
//                               pays the platform's start and stop: compare with
//                               "init+parse"
//   model_warm/LABEL/read       MakeModelFromXML(stream, {"RegressionModel"}, "read")
//                               through the bench plug-in, which reads the data and the
//                               transformation dictionary: compare with
//                               "sax2-scan" + "parse"
//   model_warm/LABEL/none       the same, the plug-in reading nothing: the factory's own
//                               share (look-ahead scan, DOM parse, dispatch)
//   floor_parse/LABEL           the floor's "parse" in this harness (same parser settings
//   floor_sax2_scan/LABEL       as the shared xerces_parse_bench, and its "sax2-scan"), so
//                               that CPU times can be compared as well as wall-clock times
#include <dlfcn.h>

#include <benchmark/benchmark.h>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "orvane/model/score_model.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/ov_exception.h"
#include "bench_run.h"
#include "xerces_floor.h"

#ifndef ORVANE_BENCH_PLUGIN_PATH
#error "ORVANE_BENCH_PLUGIN_PATH names the bench plug-in library"
#endif

namespace orvane_bench {
namespace {

using MCOrvane_600::ModelFactory;
using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::ScoreModel;
using MCOrvane_600::TransformationDictionary;

struct Document {
  std::string label;
  std::string path;
};

void Fail(benchmark::State& state, const OVException& e) {
  state.SkipWithError(
      ("code " + std::to_string(static_cast<int>(e.GetErrorCode())) + ": " + e.GetErrorMessage())
          .c_str());
}

void LoadTransformations(benchmark::State& state, const Document* doc) {
  for (auto _ : state) {
    ScoreDictionary* data = nullptr;
    TransformationDictionary* derived = nullptr;
    try {
      derived = ModelFactory::GetTransformationDictionaryFromXML(doc->path, data, "");
    } catch (const OVException& e) {
      Fail(state, e);
      break;
    }
    state.PauseTiming();
    delete derived;
    delete data;
    state.ResumeTiming();
  }
}

void BM_TransformationsWarm(benchmark::State& state, const Document* doc) {
  XercesHold hold;
  LoadTransformations(state, doc);
}

void BM_TransformationsCold(benchmark::State& state, const Document* doc) {
  LoadTransformations(state, doc);
}

void BM_ModelWarm(benchmark::State& state, const Document* doc, const char* arg) {
  XercesHold hold;
  const std::vector<std::string> names = {"RegressionModel"};
  for (auto _ : state) {
    ScoreModel* model = nullptr;
    try {
      std::ifstream in(doc->path);
      model = ModelFactory::MakeModelFromXML(in, names, arg);
    } catch (const OVException& e) {
      Fail(state, e);
      break;
    }
    state.PauseTiming();
    delete model;
    state.ResumeTiming();
  }
}

void BM_FloorParse(benchmark::State& state, const Document* doc) {
  TimePlainDom(state, doc->path);
}

void BM_FloorSax2Scan(benchmark::State& state, const Document* doc) {
  XercesHold hold;
  for (auto _ : state) {
    std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
    reader->setFeature(xercesc::XMLUni::fgSAX2CoreValidation, false);
    reader->setFeature(xercesc::XMLUni::fgSAX2CoreNameSpaces, false);
    reader->setFeature(xercesc::XMLUni::fgXercesSchema, false);
    reader->setFeature(xercesc::XMLUni::fgXercesLoadExternalDTD, false);
    xercesc::DefaultHandler handler;
    reader->setContentHandler(&handler);
    reader->setErrorHandler(&handler);
    try {
      reader->parse(doc->path.c_str());
    } catch (...) {
      state.SkipWithError("scan failed");
      break;
    }
  }
}

}  // namespace
}  // namespace orvane_bench

int main(int argc, char** argv) {
  using orvane_bench::Document;
  // The factory finds the plug-in by its bare file name; once loaded by its
  // full path, the loader hands out the same library for that name.
  if (dlopen(ORVANE_BENCH_PLUGIN_PATH, RTLD_NOW) == nullptr) {
    std::fprintf(stderr, "cannot load the bench plug-in: %s\n", dlerror());
    return 1;
  }
  static std::vector<Document> documents;
  for (const std::string& flag : orvane_bench::Flags(argc, argv, "doc")) {
    Document doc;
    std::istringstream parts(flag);
    std::getline(parts, doc.label, ',');
    std::getline(parts, doc.path, ',');
    if (doc.label.empty() || doc.path.empty()) {
      std::fprintf(stderr, "--doc wants LABEL,DOCUMENT, got \"%s\"\n", flag.c_str());
      return 2;
    }
    documents.push_back(doc);
  }
  if (documents.empty()) {
    std::fprintf(stderr, "usage: %s --doc=LABEL,DOCUMENT.xml ... [benchmark flags]\n", argv[0]);
    return 2;
  }
  for (const Document& doc : documents) {
    for (auto* b : {benchmark::RegisterBenchmark(("transformations_warm/" + doc.label).c_str(),
                                                 orvane_bench::BM_TransformationsWarm, &doc),
                    benchmark::RegisterBenchmark(("transformations_cold/" + doc.label).c_str(),
                                                 orvane_bench::BM_TransformationsCold, &doc),
                    benchmark::RegisterBenchmark(("model_warm/" + doc.label + "/read").c_str(),
                                                 orvane_bench::BM_ModelWarm, &doc, "read"),
                    benchmark::RegisterBenchmark(("model_warm/" + doc.label + "/none").c_str(),
                                                 orvane_bench::BM_ModelWarm, &doc, "none"),
                    benchmark::RegisterBenchmark(("floor_parse/" + doc.label).c_str(),
                                                 orvane_bench::BM_FloorParse, &doc),
                    benchmark::RegisterBenchmark(("floor_sax2_scan/" + doc.label).c_str(),
                                                 orvane_bench::BM_FloorSax2Scan, &doc)}) {
      orvane_bench::Reported(b)->Unit(benchmark::kMillisecond);
    }
  }
  return orvane_bench::RunRegistered(argc, argv);
}
