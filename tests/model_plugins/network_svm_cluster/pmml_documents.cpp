// Loads each neural network, support vector machine and clustering document
// of the PMML corpus and scores a case built for it; the expected results
// were worked out from the documents' own numbers. Exit code 77: corpus
// absent.

#include <sys/stat.h>

#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "model_host.h"
#include "orvane/values/ov_exception.h"

namespace {

struct Input {
  const char* name;
  const char* text;  // null: the number below
  double number;
};

struct DocumentCase {
  const char* document;
  std::vector<Input> inputs;
  const char* category;  // classification or cluster name, "" for a regression
  const char* entity;    // the winning cluster's id, "" when none
  double value;          // regression value
};

const DocumentCase kCases[] = {
    {"dmg-neural-network",
     {{"gender", "    male", 0}, {"no of claims", "       1", 0}, {"domicile", "   urban", 0},
      {"age of car", nullptr, 3.0}},
     "", "", 4462.443437449275},
    {"knime-neural-network-ozone-normcontinuous",
     {{"temp", nullptr, 60}, {"ibh", nullptr, 2000}, {"ibt", nullptr, 150}},
     "", "", 0.2682737439285199},
    {"rpmml-neural-network-iris",
     {{"sepal length (cm)", nullptr, 6.3}, {"sepal width (cm)", nullptr, 2.9},
      {"petal length (cm)", nullptr, 5.6}, {"petal width (cm)", nullptr, 1.8}},
     "virginica", "", 0},
    {"jpmmlr-svm-pima-scaling",  // f = -0.174 below the threshold 0
     {{"npreg", nullptr, 2}, {"glu", nullptr, 150}, {"bp", nullptr, 70}, {"skin", nullptr, 30},
      {"bmi", nullptr, 35}, {"ped", nullptr, 0.5}, {"age", "(20,30]", 0}},
     "No", "", 0},
    {"dmg-clustering-center-based",  // squared distances 1.254 and 0.526
     {{"marital status", "m", 0}, {"age", nullptr, 60}, {"salary", nullptr, 40000}},
     "marital status is m", "2", 0},
    {"knime-kmeans-iris",  // squared distances 0.315, 1.878, 21.29
     {{"Sepal_Length", nullptr, 6.3}, {"Sepal_Width", nullptr, 2.9}, {"Petal_Length", nullptr, 5.6},
      {"Petal_Width", nullptr, 1.8}},
     "cluster_0", "1", 0},
    {"dmg-anomaly-cluster-normcontinuous",  // the ClusteringModel inside; distances 0.021, 1.18, 0.80
     {{"sepal_length", nullptr, 5.0}, {"sepal_width", nullptr, 3.4}, {"petal_length", nullptr, 1.5},
      {"petal_width", nullptr, 0.2}},
     "1", "1", 0},
};

bool Run(const std::string& folder, const DocumentCase& c) {
  std::unique_ptr<nsc_test::LoadedModel> model;
  try {
    model = nsc_test::LoadedModel::FromFile(folder + "/" + c.document + ".pmml");
  } catch (const MCOrvane_600::OVException& e) {
    std::cout << c.document << ": refused: " << e.GetErrorMessage() << "\n";
    return false;
  }
  nsc_test::CaseValues values;
  for (const Input& input : c.inputs) {
    if (input.text != nullptr) {
      values.SetText(input.name, input.text);
    } else {
      values.SetNumber(input.name, input.number);
    }
  }
  orvane_plugins::Prediction p;
  model->Score(values, &p);
  bool ok = p.valid && p.category == c.category && p.entity_id == c.entity;
  if (*c.category == '\0') ok = ok && std::fabs(p.value - c.value) <= 1e-9 * std::fabs(c.value);
  std::cout << c.document << ": " << (ok ? "as expected" : "differs") << " (" << p.category << " "
            << p.entity_id << " " << p.value << ")\n";
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " PMML_CORPUS_DIR\n";
    return 2;
  }
  struct stat info;
  if (stat(argv[1], &info) != 0) {
    std::cout << "skipped: the PMML corpus is absent (" << argv[1] << ")\n";
    return 77;
  }
  nsc_test::XercesScope xerces;
  int failed = 0;
  for (const DocumentCase& c : kCases) {
    if (!Run(argv[1], c)) ++failed;
  }
  return failed == 0 ? 0 : 1;
}
