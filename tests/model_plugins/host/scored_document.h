#ifndef ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_
#define ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_

// The shipped model plug-ins as a host uses them: a PMML document read by the
// model factory, one case scored, and the result record read back. The
// document's top-level model is given an Output (first among its children)
// with every feature the tests look at, so each test sees the target,
// probabilities, entity, confidence, affinities and reason codes through the
// plug-ins' own Output handling.

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

// A document with a DataDictionary built from `fields`, blank-separated: "x"
// a continuous double, "c=a,b" a categorical string with the values a and b,
// "o<a,b" an ordinal string, "n#1,2" a categorical integer; then `models`.
inline std::string Pmml(const std::string& fields, const std::string& models) {
  std::istringstream in(fields);
  std::string out = "<PMML version='4.4'><DataDictionary>";
  for (std::string f; in >> f;) {
    const size_t at = f.find_first_of("=<#");
    const char kind = at == std::string::npos ? ' ' : f[at];
    out += "<DataField name='" + f.substr(0, at) + "' optype='" +
           (kind == ' ' ? "continuous" : kind == '<' ? "ordinal" : "categorical") +
           "' dataType='" + (kind == ' ' ? "double" : kind == '#' ? "integer" : "string") + "'>";
    std::istringstream values(kind == ' ' ? "" : f.substr(at + 1));
    for (std::string v; std::getline(values, v, ',');) out += "<Value value='" + v + "'/>";
    out += "</DataField>";
  }
  return out + "</DataDictionary>" + models + "</PMML>";
}

// A `type` model element with `attributes`, a MiningSchema of `inputs`
// (blank-separated) and `target` ("": none), then `body`.
inline std::string Model(const std::string& type, const std::string& attributes,
                         const std::string& inputs, const std::string& target,
                         const std::string& body) {
  std::string schema;
  std::istringstream in(inputs);
  for (std::string f; in >> f;) schema += "<MiningField name='" + f + "'/>";
  if (!target.empty()) schema += "<MiningField name='" + target + "' usageType='target'/>";
  return "<" + type + " " + attributes + "><MiningSchema>" + schema + "</MiningSchema>" + body +
         "</" + type + ">";
}

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
  std::vector<std::pair<std::string, double>> affinities;     // of the entities asked for
  std::string entity_id;
  double confidence = std::nan("");
  std::vector<std::string> reason_codes;
  std::vector<ov::ResultAdvice> advice;
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

// `document` with an Output listing the features for `categories` and
// `entities` right after its first MiningSchema (the top-level model's).
inline std::string WithOutputs(std::string document, const std::vector<std::string>& categories,
                               const std::vector<std::string>& entities) {
  std::string out =
      "<Output><OutputField name='~value' feature='predictedValue'/>"
      "<OutputField name='~shown' feature='predictedDisplayValue' dataType='string'/>"
      "<OutputField name='~entity' feature='entityId'/>"
      "<OutputField name='~confidence' feature='confidence'/>";
  for (int rank = 1; rank <= kReasonRanks; ++rank) {
    const std::string r = std::to_string(rank);
    out += "<OutputField name='~reason " + r + "' feature='reasonCode' rank='" + r + "'/>";
  }
  for (const std::string& c : categories) {
    out += "<OutputField name='~p " + c + "' feature='probability' value='" + c + "'/>";
  }
  for (const std::string& e : entities) {
    out += "<OutputField name='~a " + e + "' feature='affinity' value='" + e + "'/>";
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

// Reads `document` (throws what the factory or the plug-ins throw), scores
// `inputs`, and reads back the affinities of `entities`.
inline Prediction ScoreDocument(const std::string& document, const Inputs& inputs,
                                const std::vector<std::string>& entities = {}) {
  const std::unique_ptr<ov::ScoreModel> model =
      ReadModel(WithOutputs(document, ValuesIn(document), entities));
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
  EXPECT_TRUE(model->Score(&input, result.get(), &p.advice));
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
  if (const auto* confidence = get("~confidence")) p.confidence = confidence->GetDouble();
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
  for (const std::string& e : entities) {
    if (const auto* affinity = get("~a " + e)) p.affinities.emplace_back(e, affinity->GetDouble());
  }
  return p;
}

// A document that the plug-ins refuse to read, and the code and message.
struct Refusal {
  const char* name;
  std::string document;
  int code;
  const char* message;
};

inline void ExpectRefusals(const std::vector<Refusal>& refusals) {
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.name);
    ExpectOVException([&r] { ReadModel(r.document); }, r.code, r.message);
  }
}

// Within `tolerance` relative to the larger of 1 and `want`.
inline void ExpectClose(double got, double want, double tolerance = 1e-12) {
  EXPECT_NEAR(got, want, tolerance * std::max(1.0, std::fabs(want)));
}

// The values of `got` in order, and their names unless `names` is empty.
inline void ExpectDistribution(const std::vector<std::pair<std::string, double>>& got,
                               const std::vector<double>& want,
                               const std::vector<std::string>& names = {}) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    ExpectClose(got[i].second, want[i]);
    if (!names.empty()) {
      EXPECT_EQ(got[i].first, names[i]);
    }
  }
}

// No prediction: the last advice is "Score is a missing value" (103); unless
// `id` is 0, before it the advice `id` for each of `infos` (the inputs' own
// advice may come first).
inline void ExpectNoScore(const Prediction& p, int id = 0,
                          const std::vector<std::string>& infos = {}) {
  EXPECT_FALSE(p.valid);
  ASSERT_FALSE(p.advice.empty());
  EXPECT_EQ(p.advice.back().GetID(), 103);
  if (id == 0) return;
  std::vector<std::string> got;
  for (const ov::ResultAdvice& advice : p.advice) {
    if (advice.GetID() == id) got.push_back(advice.GetInfo());
  }
  EXPECT_EQ(got, infos);
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_MODEL_PLUGINS_HOST_SCORED_DOCUMENT_H_
