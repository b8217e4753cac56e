#ifndef ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_
#define ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_

// The shipped model plug-ins as a host uses them: a PMML document read by the
// model factory, and a document's top-level model given an Output (first
// among its children) with every feature a test looks at, so that it sees the
// target, probabilities, entity and reason codes through the plug-ins' own
// Output handling.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/orvane.h"
#include "orvane_plugins/plugin_directory.h"
#include "support/test_support.h"

namespace orvane_test {

namespace ov = MCOrvane_600;

// The model of `document`, read by the factory with the shipped plug-ins.
inline std::unique_ptr<ov::ScoreModel> ReadModel(const std::string& document) {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> read =
        orvane_plugins::ReadNamesFile(orvane_plugins::DefaultNamesFile());
    orvane_plugins::PreloadPlugins(read);
    return read;
  }();
  std::istringstream in(document);
  return std::unique_ptr<ov::ScoreModel>(ov::ModelFactory::MakeModelFromXML(in, names, ""));
}

constexpr int kReasonRanks = 4;

// `document` with an Output listing the features for `categories` right
// after its first MiningSchema (the top-level model's).
inline std::string WithOutputs(std::string document, const std::vector<std::string>& categories) {
  std::string out =
      "<Output><OutputField name='~value' feature='predictedValue'/>"
      "<OutputField name='~shown' feature='predictedDisplayValue' dataType='string'/>"
      "<OutputField name='~entity' feature='entityId'/>";
  for (int rank = 1; rank <= kReasonRanks; ++rank) {
    const std::string r = std::to_string(rank);
    out += "<OutputField name='~reason " + r + "' feature='reasonCode' rank='" + r + "'/>";
  }
  for (const std::string& c : categories) {
    out += "<OutputField name='~p " + c + "' feature='probability' value='" + c + "'/>";
  }
  out += "</Output>";
  const std::string empty = "<MiningSchema/>", close = "</MiningSchema>";
  const size_t at = document.find(empty), end = document.find(close);
  if (end != std::string::npos && (at == std::string::npos || end < at)) {
    document.insert(end + close.size(), out);
  } else if (at != std::string::npos) {
    document.insert(at + empty.size(), out);
  }
  return document;
}

// Every Value of the document's fields, once each: the target's categories
// are among them.
inline std::vector<std::string> ValuesIn(const std::string& document) {
  static const std::regex kValue("<Value\\s[^>]*\\bvalue=[\"']([^\"']*)[\"']");
  std::vector<std::string> values;
  for (std::sregex_iterator it(document.begin(), document.end(), kValue), end; it != end; ++it) {
    const std::string value = (*it)[1];
    if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
  }
  return values;
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_
