// Scores every row of the corpus documents whose model is a RegressionModel
// or a GeneralRegressionModel (and that need no LocalTransformations) with
// the plug-in's algorithm alone, and compares the target and probability
// columns with the producer's own predictions. Documents named on the command
// line (NAME:DATA_SET:PRECISION) replace the built-in list. Exit code 77:
// corpus absent.

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "algorithm_host.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/element_reading.h"

namespace {

struct Document {
  std::string name;
  std::string data_set;
  double precision;  // the corpus's agreement for the model kind
};

const Document kDocuments[] = {
    {"knime-GeneralRegressionAudit", "Audit", 1e-10},
    {"knime-GeneralRegressionAuto", "Auto", 1e-12},
    {"knime-GeneralRegressionIris", "Iris", 1e-10},
    {"knime-PolynomialRegressionAuto", "Auto", 1e-12},
    {"rattle-GeneralRegressionAuto", "Auto", 1e-12},
    {"rattle-LogisticRegressionIris", "Iris", 1e-10},
    {"rattle-RegressionAuto", "Auto", 1e-12},
};

using Row = std::vector<std::string>;

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

// Mismatching rows of one document; -1 when it cannot be read.
int Check(const std::string& corpus, const Document& doc) {
  std::unique_ptr<orvane_test::LoadedModel> model;
  try {
    model = orvane_test::LoadedModel::FromFile(corpus + "/pmml/" + doc.name + ".pmml");
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
  double worst = 0.0;
  orvane_test::CaseValues values;
  for (size_t r = 1; r < inputs.size(); ++r) {
    values.Clear();
    for (size_t c = 0; c < inputs[0].size() && c < inputs[r].size(); ++c) {
      const MCOrvane_600::ScoreDictVar* var = model->dictionary().GetVar(inputs[0][c]);
      const std::string& cell = inputs[r][c];
      if (var == nullptr || cell.empty() || cell == "NA") continue;
      if (var->GetVarType() == MCOrvane_600::ScoreDictVar::kSTRING_VAR) {
        values.Set(inputs[0][c], new MCOrvane_600::StringValue(cell));
      } else {
        double number = 0.0;
        if (orvane_plugins::ParseNumber(cell, &number)) {
          values.Set(inputs[0][c], new MCOrvane_600::NumericValue(number));
        }
      }
    }
    orvane_plugins::Prediction prediction;
    model->algorithm().Predict(values, &prediction);
    bool row_ok = prediction.valid;
    for (size_t c = 0; c < expected[0].size() && row_ok; ++c) {
      const std::string& column = expected[0][c];
      const std::string& want = c < expected[r].size() ? expected[r][c] : std::string();
      const bool predicted = column == model->TargetName() ||
                             std::find(model->predicted_outputs().begin(),
                                       model->predicted_outputs().end(),
                                       column) != model->predicted_outputs().end();
      auto probability = model->probability_outputs().find(column);
      if (predicted && prediction.is_category) {
        row_ok = prediction.category == want;
      } else if (predicted || probability != model->probability_outputs().end()) {
        double got = prediction.value;
        if (!predicted) {
          got = std::nan("");
          for (const auto& entry : prediction.probabilities) {
            if (entry.first == probability->second) got = entry.second;
          }
        }
        double number = 0.0;
        row_ok = orvane_plugins::ParseNumber(want, &number) &&
                 Agrees(got, number, doc.precision);
        const double scale = std::max(std::fabs(got), std::fabs(number));
        if (scale > 0 && std::isfinite(got)) worst = std::max(worst, std::fabs(got - number) / scale);
      }
      if (!row_ok) {
        std::cout << doc.name << " row " << r << " column " << column << ": expected " << want
                  << "\n";
      }
    }
    if (!row_ok) ++mismatches;
  }
  std::cout << doc.name << ": " << inputs.size() - 1 - mismatches << " of " << inputs.size() - 1
            << " rows agree; largest relative difference " << worst << "\n";
  return mismatches;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " SCORING_CORPUS_DIR [NAME:DATA_SET:PRECISION...]\n";
    return 2;
  }
  const std::string corpus = argv[1];
  struct stat info;
  if (stat((corpus + "/pmml").c_str(), &info) != 0) {
    std::cout << "skipped: the scoring corpus is absent (" << corpus << ")\n";
    return 77;
  }
  std::vector<Document> documents(std::begin(kDocuments), std::end(kDocuments));
  if (argc > 2) documents.clear();
  for (int i = 2; i < argc; ++i) {
    std::stringstream parts(argv[i]);
    Document doc;
    std::string precision;
    std::getline(parts, doc.name, ':');
    std::getline(parts, doc.data_set, ':');
    std::getline(parts, precision);
    if (!orvane_plugins::ParseNumber(precision, &doc.precision)) {
      std::cerr << argv[i] << ": not NAME:DATA_SET:PRECISION\n";
      return 2;
    }
    documents.push_back(doc);
  }
  orvane_test::XercesScope xerces;
  int failed = 0;
  for (const Document& doc : documents) {
    if (Check(corpus, doc) != 0) ++failed;
  }
  return failed == 0 ? 0 : 1;
}
