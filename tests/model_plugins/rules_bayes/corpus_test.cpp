// Scores every row of the scoring-corpus documents whose model is a
// RuleSetModel, Scorecard or NaiveBayesModel with the plug-in's algorithm
// alone and compares the target, predicted-value and probability columns
// with the producer's own predictions; then loads the standard examples of
// these model types and scores a few cases worked out by hand. Exit code
// 77: the corpus is absent.

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model_host.h"
#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"

namespace {

using Row = std::vector<std::string>;

struct ScoringDocument {
  const char* name;
  const char* data_set;
  double precision;  // the corpus's agreement
};

const ScoringDocument kScoring[] = {
    {"knime-RuleSetAudit", "Audit", 1e-12},
    {"knime-RuleSetIris", "Iris", 1e-12},
    {"rattle-NaiveBayesIris", "Iris", 1e-12},
};

// Plain CSV as the corpus writes it: commas, no quoted commas.
std::vector<Row> ReadCsv(const std::string& path) {
  std::ifstream in(path);
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Row row;
    std::stringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) row.push_back(cell);
    if (!line.empty() && line.back() == ',') row.push_back("");
    rows.push_back(row);
  }
  return rows;
}

bool Agrees(double got, double expected, double precision) {
  if (std::fabs(got) < precision && std::fabs(expected) < precision) return true;
  return std::fabs(got - expected) <= precision * std::max(std::fabs(got), std::fabs(expected));
}

double ProbabilityOf(const orvane_plugins::Prediction& prediction, const std::string& category) {
  for (const auto& entry : prediction.probabilities) {
    if (entry.first == category) return entry.second;
  }
  return std::nan("");
}

// Mismatching rows of one document; -1 when it cannot be read.
int CheckScoring(const std::string& corpus, const ScoringDocument& doc) {
  std::unique_ptr<orvane_test::HostedModel> model;
  try {
    model = orvane_test::HostedModel::FromFile(corpus + "/pmml/" + doc.name + ".pmml");
  } catch (const MCOrvane_600::OVException& e) {
    std::cout << doc.name << ": " << e.GetErrorMessage() << "\n";
    return -1;
  }
  const std::vector<Row> inputs = ReadCsv(corpus + "/data/" + doc.data_set + ".csv");
  const std::vector<Row> expected = ReadCsv(corpus + "/expected/" + doc.name + ".csv");
  if (inputs.size() != expected.size() || inputs.empty()) {
    std::cout << doc.name << ": data and expected rows differ in number\n";
    return -1;
  }
  int mismatches = 0;
  orvane_test::CaseValues values;
  for (size_t r = 1; r < inputs.size(); ++r) {
    values.Clear();
    for (size_t c = 0; c < inputs[0].size() && c < inputs[r].size(); ++c) {
      if (inputs[r][c] == "NA") continue;
      values.Set(inputs[0][c], model->Parse(inputs[0][c], inputs[r][c]));
    }
    orvane_plugins::Prediction prediction;
    model->algorithm().Predict(values, &prediction);
    bool row_ok = prediction.valid;
    for (size_t c = 0; c < expected[0].size() && row_ok; ++c) {
      const std::string& column = expected[0][c];
      const std::string& want = c < expected[r].size() ? expected[r][c] : std::string();
      auto output = model->outputs().find(column);
      const std::string feature = column == model->TargetName() ? "predictedValue"
                                  : output == model->outputs().end() ? "" : output->second;
      double number = 0.0;
      if (feature == "predictedValue" && prediction.is_category) {
        row_ok = prediction.category == want;
      } else if (feature == "predictedValue") {
        row_ok = orvane_plugins::ParseNumber(want, &number) &&
                 Agrees(prediction.value, number, doc.precision);
      } else if (feature.rfind("probability:", 0) == 0) {
        row_ok = orvane_plugins::ParseNumber(want, &number) &&
                 Agrees(ProbabilityOf(prediction, feature.substr(12)), number, doc.precision);
      }
      if (!row_ok) {
        std::cout << doc.name << " row " << r << " column " << column << ": expected " << want
                  << "\n";
      }
    }
    if (!row_ok) ++mismatches;
  }
  std::cout << doc.name << ": " << inputs.size() - 1 - mismatches << " of " << inputs.size() - 1
            << " rows agree\n";
  return mismatches;
}

// A case of a standard example and what the PMML text makes of it.
struct ExampleCase {
  const char* document;
  std::map<std::string, std::string> inputs;
  bool valid;
  double value;                        // a regression's
  std::vector<double> probabilities;   // a classification's, in category order
  std::vector<std::string> reason_codes;
};

const ExampleCase kExamples[] = {
    // departmentScore 3 (19 - 3 = 16 below), ageScore 0 (18), incomeScore 26
    // (10 - 26 = -16): the first matching attribute wins.
    {"dmg-scorecard-apply", {{"department", "engineering"}, {"age", "25"}, {"income", "500"}},
     true, 29.0, {}, {"RC2", "RC1", "RC3"}},
    // department missing: -9 (28 below); age 18 (0); income through the
    // ComplexPartialScore 0.01 * 3000 - 18 = 12 (-2).
    {"dmg-scorecard-apply", {{"age", "45"}, {"income", "3000"}}, true, 21.0, {},
     {"RC1", "RC2", "RC3"}},
    // income 2000: the bin (1000, 2500] before the expression; department
    // unknown to the bins: the True attribute's 0.
    {"dmg-scorecard-apply", {{"department", "sales"}, {"age", "18"}, {"income", "2000"}}, true,
     2.0, {}, {"RC2", "RC1", "RC3"}},
    // Gaussian age, counts, a zero count (5000 with 2 claims) at the
    // threshold 0.001, and the age of car discretized to bin "1".
    {"dmg-naive-bayes-discretize",
     {{"age of individual", "24"}, {"gender", "male"}, {"no of claims", "2"}, {"age of car", "1"}},
     true, 0.0,
     {0.040432216819369128, 0.35772248075315288, 0.26372180444145993, 0.026700193675882427,
      0.31142330431013565},
     {}},
    {"dmg-naive-bayes-discretize",
     {{"age of individual", "32"}, {"gender", "female"}, {"no of claims", "0"},
      {"domicile", "urban"}, {"age of car", "7.5"}},
     true, 0.0,
     {0.99886650752935102, 0.00033418215185364048, 0.00053354473436826276,
      0.00024761865252540238, 1.8146931901752298e-05},
     {}},
    // Every input missing: the priors alone.
    {"dmg-naive-bayes-discretize", {}, true, 0.0,
     {0.64050223951831997, 0.18775240472868787, 0.112343050150525, 0.052059622586092959,
      0.0073426830163741833},
     {}},
};

int CheckExample(const std::string& corpus, const ExampleCase& example) {
  std::unique_ptr<orvane_test::HostedModel> model;
  try {
    model = orvane_test::HostedModel::FromFile(corpus + "/" + example.document + ".pmml");
  } catch (const MCOrvane_600::OVException& e) {
    std::cout << example.document << ": " << e.GetErrorMessage() << "\n";
    return 1;
  }
  orvane_test::CaseValues values;
  for (const auto& input : example.inputs) {
    values.Set(input.first, model->Parse(input.first, input.second));
  }
  orvane_plugins::Prediction prediction;
  model->algorithm().Predict(values, &prediction);
  bool ok = prediction.valid == example.valid;
  if (ok && example.probabilities.empty()) {
    ok = Agrees(prediction.value, example.value, 1e-12) &&
         prediction.reason_codes == example.reason_codes;
  } else if (ok) {
    ok = prediction.probabilities.size() == example.probabilities.size();
    for (size_t j = 0; ok && j < example.probabilities.size(); ++j) {
      ok = Agrees(prediction.probabilities[j].second, example.probabilities[j], 1e-12);
    }
  }
  std::cout << example.document << ": case " << (ok ? "agrees" : "DIFFERS") << "\n";
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " CORPUS_DIR\n";
    return 2;
  }
  const std::string corpus = argv[1];
  struct stat info;
  if (stat((corpus + "/scoring/pmml").c_str(), &info) != 0 ||
      stat((corpus + "/pmml").c_str(), &info) != 0) {
    std::cout << "skipped: the shared corpus is absent (" << corpus << ")\n";
    return 77;
  }
  orvane_test::XercesScope xerces;
  int failed = 0;
  for (const ScoringDocument& doc : kScoring) {
    if (CheckScoring(corpus + "/scoring", doc) != 0) ++failed;
  }
  for (const ExampleCase& example : kExamples) failed += CheckExample(corpus + "/pmml", example);
  return failed == 0 ? 0 : 1;
}
