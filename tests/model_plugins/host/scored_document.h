#ifndef ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_
#define ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_

// The shipped model plug-ins as a host uses them: a PMML document read by the
// model factory, one case scored, and the result record read back. The
// document's top-level model is given an Output (first among its children)
// with every feature the tests look at, so each test sees the target,
// probabilities, entity and reason codes through the plug-ins' own Output
// handling.

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

// A case: field name -> its value as text (parsed as the field's type); a
// field left out is missing.
using Inputs = std::map<std::string, std::string>;

// What one case scored to.
struct Prediction {
  bool valid = false;  // the model predicted
  bool is_category = false;
  double value = 0.0;    // a regression's
  std::string category;  // a classification's, or the cluster's name
  std::vector<std::pair<std::string, double>> probabilities;  // in the target's category order
  std::string entity_id;
  std::vector<std::string> reason_codes;
};

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

// Reads `document` (throws what the factory or the plug-ins throw) and
// scores `inputs`.
inline Prediction ScoreDocument(const std::string& document, const Inputs& inputs) {
  const std::unique_ptr<ov::ScoreModel> model =
      ReadModel(WithOutputs(document, ValuesIn(document)));
  ov::CaseRecord input;
  for (const auto& entry : inputs) {
    const ov::ScoreDictVar* var = model->GetDictionary()->GetVar(entry.first);
    if (var == nullptr) ADD_FAILURE() << entry.first << " is not a data field";
    if (var != nullptr && !entry.second.empty()) {
      input.Add(entry.first, var->ToMyValue(entry.second));
    }
  }
  std::unique_ptr<ov::ScoreCaseRecord> result(model->CreateResultRecord());
  Prediction p;
  std::vector<ov::ResultAdvice> advice;
  EXPECT_TRUE(model->Score(&input, result.get(), &advice));
  auto get = [&result](const std::string& name) -> const ov::ScoreValue* {
    const ov::ScoreValue* v = result->Get(name);
    return v == nullptr || v->IsSystemMissingValue() ? nullptr : v;
  };
  // Without a continuous target the prediction is a category or a cluster,
  // known by its shown text (a cluster's id need not be a number).
  const ov::ScoreValue* value = get("~value");
  const ov::ScoreValue* shown = get("~shown");
  const ov::ScoreDictVar* target = model->GetTargetVar();
  p.is_category = target == nullptr || target->GetMLevel() != ov::ScoreDictVar::kCONTINUOUS;
  p.valid = p.is_category ? shown != nullptr : value != nullptr;
  if (p.valid && p.is_category) p.category = shown->GetString();
  if (p.valid && !p.is_category) p.value = value->GetDouble();
  if (const auto* entity = get("~entity")) p.entity_id = entity->GetString();
  for (int rank = 1; rank <= kReasonRanks; ++rank) {
    if (const auto* code = get("~reason " + std::to_string(rank))) {
      p.reason_codes.push_back(code->GetString());
    }
  }
  // The target's categories in the plug-ins' order; a category the model
  // gives no probability shows as 0: all 0 is none.
  static const std::vector<ov::ScoreValueLabel*> kNone;
  const ov::ScoreValueLabelSet* labels =
      p.is_category && target != nullptr ? target->GetValueLabels() : nullptr;
  bool any = false;
  for (const ov::ScoreValueLabel* label : labels ? labels->GetAllValueLabels() : kNone) {
    const std::string c = label->GetValue() ? label->GetValue()->GetString() : std::string();
    if (const auto* probability = label->GetValue() ? get("~p " + c) : nullptr) {
      p.probabilities.emplace_back(c, probability->GetDouble());
      any = any || probability->GetDouble() != 0.0;
    }
  }
  if (!any) p.probabilities.clear();
  return p;
}

// Within `tolerance` relative to the larger of 1 and `want`.
inline void ExpectClose(double got, double want, double tolerance = 1e-12) {
  EXPECT_NEAR(got, want, tolerance * std::max(1.0, std::fabs(want)));
}

// The values of `got` in order.
inline void ExpectDistribution(const std::vector<std::pair<std::string, double>>& got,
                               const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) ExpectClose(got[i].second, want[i]);
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_
