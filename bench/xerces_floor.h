#ifndef ORVANE_BENCH_XERCES_FLOOR_H_
#define ORVANE_BENCH_XERCES_FLOOR_H_

#include <benchmark/benchmark.h>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <string>

// The plain DOM parse that document loads are measured against, shared by
// the benchmark programs that compare a load with it.
namespace orvane_bench {

// Holds Xerces initialised for as long as it lives.
class XercesHold {
 public:
  XercesHold() { xercesc::XMLPlatformUtils::Initialize(); }
  ~XercesHold() { xercesc::XMLPlatformUtils::Terminate(); }
  XercesHold(const XercesHold&) = delete;
  XercesHold& operator=(const XercesHold&) = delete;
};

// Parses the file at `path` into a DOM and releases it: no validation, no
// namespaces, no schema, no external DTD (the shared floor's settings).
// Needs Xerces initialised. False when the parse fails.
inline bool ParsePlainDom(const std::string& path) {
  xercesc::XercesDOMParser parser;
  parser.setValidationScheme(xercesc::XercesDOMParser::Val_Never);
  parser.setDoNamespaces(false);
  parser.setDoSchema(false);
  parser.setLoadExternalDTD(false);
  xercesc::HandlerBase errors;
  parser.setErrorHandler(&errors);
  try {
    parser.parse(path.c_str());
  } catch (...) {
    return false;
  }
  return parser.getErrorCount() == 0 && parser.getDocument() != nullptr;
}

// The floor as a benchmark body: one plain parse of `path` per iteration,
// Xerces held for the whole run.
inline void TimePlainDom(benchmark::State& state, const std::string& path) {
  XercesHold hold;
  for (auto _ : state) {
    if (!ParsePlainDom(path)) {
      state.SkipWithError("parse failed");
      break;
    }
  }
}

}  // namespace orvane_bench

#endif  // ORVANE_BENCH_XERCES_FLOOR_H_
