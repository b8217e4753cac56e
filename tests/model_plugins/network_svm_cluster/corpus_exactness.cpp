// Scores every row of the corpus documents whose model is a NeuralNetwork, a
// SupportVectorMachineModel or a ClusteringModel with the plug-in's
// algorithm (and the stand-in host's LocalTransformations), and compares
// every column of the producer's expected file. Exit code 77: corpus absent.

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model_host.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"

namespace {

struct Document {
  const char* name;
  const char* data_set;
  double precision;  // the corpus's agreement for the model kind
};

const Document kDocuments[] = {
    {"knime-NeuralNetworkIris", "Iris", 1e-6},   {"rattle-NeuralNetworkAuto", "Auto", 1e-6},
    {"rattle-NeuralNetworkIris", "Iris", 1e-6},  {"knime-SupportVectorMachineIris", "Iris", 1e-12},
    {"rattle-KernlabSVMIris", "Iris", 1e-12},    {"rattle-LibSVMIris", "Iris", 1e-12},
    {"knime-KMeansIris", "Iris", 1e-12},         {"rattle-KMeansIris", "Iris", 1e-12},
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

double Lookup(const std::vector<std::pair<std::string, double>>& entries, const std::string& key) {
  for (const auto& entry : entries) {
    if (entry.first == key) return entry.second;
  }
  return std::nan("");
}

// What the prediction says for one expected column: a text, or a number.
bool Column(const nsc_test::LoadedModel& model, const orvane_plugins::Prediction& p,
            const std::string& column, std::string* text, double* number) {
  const auto feature = model.output_features().find(column);
  const std::string kind = feature == model.output_features().end()
                               ? (column == model.TargetName() ? "predictedValue" : "")
                               : feature->second;
  const std::string value =
      feature == model.output_features().end() ? "" : model.output_values().at(column);
  const bool clustering = !p.entity_id.empty();
  if (kind == "predictedValue" && clustering) {
    *text = p.entity_id;
  } else if ((kind == "predictedValue" || kind == "predictedDisplayValue") && p.is_category) {
    *text = p.category;
  } else if (kind == "predictedValue") {
    *number = p.value;
  } else if (kind == "probability") {
    *number = Lookup(p.probabilities, value);
  } else if (kind == "clusterAffinity" || kind == "affinity") {
    *number = Lookup(p.affinities, value.empty() ? p.entity_id : value);
  } else {
    return false;
  }
  return true;
}

// Mismatching rows of one document; -1 when it cannot be read.
int Check(const std::string& corpus, const Document& doc) {
  std::unique_ptr<nsc_test::LoadedModel> model;
  try {
    model = nsc_test::LoadedModel::FromFile(corpus + "/pmml/" + doc.name + ".pmml");
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
  nsc_test::CaseValues values;
  for (size_t r = 1; r < inputs.size(); ++r) {
    values.Clear();
    for (size_t c = 0; c < inputs[0].size() && c < inputs[r].size(); ++c) {
      const MCOrvane_600::ScoreDictVar* var = model->dictionary().GetVar(inputs[0][c]);
      const std::string& cell = inputs[r][c];
      double number = 0.0;
      if (var == nullptr || cell.empty() || cell == "NA") continue;
      if (var->GetVarType() == MCOrvane_600::ScoreDictVar::kSTRING_VAR) {
        values.SetText(inputs[0][c], cell);
      } else if (orvane_plugins::ParseNumber(cell, &number)) {
        values.SetNumber(inputs[0][c], number);
      }
    }
    orvane_plugins::Prediction prediction;
    model->Score(values, &prediction);
    bool row_ok = prediction.valid;
    for (size_t c = 0; c < expected[0].size() && row_ok; ++c) {
      const std::string& want = c < expected[r].size() ? expected[r][c] : std::string();
      std::string text;
      double got = std::nan("");
      if (!Column(*model, prediction, expected[0][c], &text, &got)) continue;
      double number = 0.0;
      if (std::isnan(got) && !text.empty()) {
        row_ok = text == want;
      } else {
        row_ok = orvane_plugins::ParseNumber(want, &number) && Agrees(got, number, doc.precision);
        const double scale = std::max(std::fabs(got), std::fabs(number));
        if (scale > 0 && std::isfinite(got)) worst = std::max(worst, std::fabs(got - number) / scale);
      }
      if (!row_ok) {
        std::cout << doc.name << " row " << r << " column " << expected[0][c] << ": expected "
                  << want << ", got " << (text.empty() ? std::to_string(got) : text) << "\n";
      }
    }
    if (!prediction.valid) std::cout << doc.name << " row " << r << ": no prediction\n";
    if (!row_ok) ++mismatches;
  }
  std::cout << doc.name << ": " << inputs.size() - 1 - mismatches << " of " << inputs.size() - 1
            << " rows agree; largest relative difference " << worst << "\n";
  return mismatches;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " SCORING_CORPUS_DIR\n";
    return 2;
  }
  const std::string corpus = argv[1];
  struct stat info;
  if (stat((corpus + "/pmml").c_str(), &info) != 0) {
    std::cout << "skipped: the scoring corpus is absent (" << corpus << ")\n";
    return 77;
  }
  nsc_test::XercesScope xerces;
  int failed = 0;
  for (const Document& doc : kDocuments) {
    if (Check(corpus, doc) != 0) ++failed;
  }
  return failed == 0 ? 0 : 1;
}
