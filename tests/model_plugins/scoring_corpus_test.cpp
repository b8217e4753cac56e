// The scoring corpus: every document is scored with `orvane score` and
// compared, column by column, with the predictions its producer wrote. One
// table row a document.

#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/case_filler.h"
#include "orvane/csv_reader.h"

namespace {

struct CorpusCase {
  const char* document;
  double precision;  // the producer's agreement for its model type
};

constexpr double kPrec = 1e-12;

const CorpusCase kCases[] = {
    {"knime-DecisionTreeAudit", kPrec},
    {"knime-DecisionTreeAuto", kPrec},
    {"knime-DecisionTreeIris", kPrec},
    {"rattle-DecisionTreeAuto", kPrec},
    {"rattle-DecisionTreeIris", kPrec},
    {"rattle-DecisionTreeXformAuto", kPrec},
    {"rattle-DecisionTreeXformIris", kPrec},
    {"knime-DecisionTreeEnsembleAudit", kPrec},
    {"knime-DecisionTreeEnsembleIris", kPrec},
    {"knime-GBTAuto", 1e-7},
    {"knime-ModelEnsembleAuto", kPrec},
    {"knime-RegressionEnsembleAuto", kPrec},
    {"rattle-RandomForestIris", kPrec},
    {"rattle-RandomForestXformIris", kPrec},
    {"knime-PolynomialRegressionAuto", kPrec},
    {"rattle-LogisticRegressionIris", 1e-10},
    {"rattle-RegressionAuto", kPrec},
    {"rattle-RegressionXformAuto", kPrec},
    {"knime-GeneralRegressionAudit", 1e-10},
    {"knime-GeneralRegressionAuto", kPrec},
    {"knime-GeneralRegressionIris", 1e-10},
    {"rattle-GeneralRegressionAuto", kPrec},
    {"rattle-GeneralRegressionXformAuto", kPrec},
    {"knime-KMeansEnsembleIris", kPrec},
    {"knime-KMeansIris", kPrec},
    {"knime-ModelEnsembleIris", kPrec},
    {"knime-NeuralNetworkIris", 1e-6},
    {"knime-RuleSetAudit", kPrec},
    {"knime-RuleSetIris", kPrec},
    {"knime-SupportVectorMachineIris", kPrec},
    {"rattle-KMeansIris", kPrec},
    {"rattle-KernlabSVMIris", kPrec},
    {"rattle-LibSVMIris", kPrec},
    {"rattle-NaiveBayesIris", kPrec},
    {"rattle-NeuralNetworkAuto", 1e-5},
    {"rattle-NeuralNetworkIris", 1e-6},
};

using Table = std::vector<std::vector<std::string>>;

Table ReadCsv(std::istream& in) {
  Table rows;
  orvane_cli::CsvReader reader(in);
  std::vector<std::string> cells;
  while (reader.Next(&cells)) {
    if (cells.size() == 1 && cells[0].empty()) continue;
    rows.push_back(cells);
  }
  return rows;
}

struct ToolRun {
  int status = -1;  // the exit status; -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

ToolRun Score(const std::string& document, const std::string& cases, const std::string& scratch) {
  const std::string err_file = scratch + ".err";
  const std::string command = std::string("'") + ORVANE_TOOL + "' score '" + document + "' '" +
                              cases + "' 2>'" + err_file + "'";
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream err(err_file);
  std::stringstream text;
  text << err.rdbuf();
  run.err = text.str();
  std::remove(err_file.c_str());
  return run;
}

bool Agree(const std::string& got, const std::string& expected, double prec) {
  const bool expected_none = expected.empty() || expected == "NA";
  if (expected_none || got.empty()) return expected_none && got.empty();
  double g = 0.0;
  double e = 0.0;
  if (orvane_cli::ParseNumber(got, &g) && orvane_cli::ParseNumber(expected, &e)) {
    if (std::fabs(g) < prec && std::fabs(e) < prec) return true;
    return std::fabs(g - e) <= prec * std::max(std::fabs(g), std::fabs(e));
  }
  return got == expected;
}

// The mismatches of one document; empty when every column agrees.
std::string Compare(const ToolRun& run, const std::string& data_file, const std::string& expected_file,
                    double prec) {
  std::ifstream data_in(data_file);
  std::ifstream expected_in(expected_file);
  std::istringstream got_in(run.out);
  const Table data = ReadCsv(data_in);
  const Table expected = ReadCsv(expected_in);
  const Table got = ReadCsv(got_in);
  if (data.empty() || expected.empty()) return "cannot read " + data_file + " or " + expected_file;
  if (got.size() != expected.size()) {
    return std::to_string(got.size()) + " rows where " + std::to_string(expected.size()) +
           " are expected";
  }
  // The result columns follow the input columns.
  const size_t inputs = data[0].size();
  std::ostringstream problems;
  int shown = 0;
  for (size_t column = 0; column < expected[0].size(); ++column) {
    const std::string& name = expected[0][column];
    size_t at = got[0].size();
    for (size_t c = inputs; c < got[0].size(); ++c) {
      if (got[0][c] == name) {
        at = c;
        break;
      }
    }
    if (at == got[0].size()) {
      problems << "no column \"" << name << "\"; ";
      continue;
    }
    for (size_t row = 1; row < expected.size(); ++row) {
      const std::string value = at < got[row].size() ? got[row][at] : std::string();
      if (!Agree(value, expected[row][column], prec) && shown++ < 5) {
        problems << "row " << row << " column \"" << name << "\": got \"" << value
                 << "\", expected \"" << expected[row][column] << "\"; ";
      }
    }
  }
  return problems.str();
}

std::string DataSetOf(const std::string& document) {
  for (const char* name : {"Iris", "Auto", "Audit"}) {
    const std::string suffix = name;
    if (document.size() > suffix.size() &&
        document.compare(document.size() - suffix.size(), suffix.size(), suffix) == 0) {
      return suffix;
    }
  }
  return std::string();
}

class ScoringCorpus : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(ScoringCorpus, Reproduced) {
  const CorpusCase& c = GetParam();
  const std::string root = ORVANE_SCORING_CORPUS;
  const std::string document = root + "/pmml/" + c.document + ".pmml";
  const std::string data = root + "/data/" + DataSetOf(c.document) + ".csv";
  const ToolRun run = Score(document, data, ::testing::TempDir() + "/corpus_" + c.document);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Compare(run, data, root + "/expected/" + c.document + ".csv", c.precision), "");
}

INSTANTIATE_TEST_SUITE_P(Documents, ScoringCorpus, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CorpusCase>& info) {
                           std::string name = info.param.document;
                           for (char& ch : name) {
                             if (ch == '-') ch = '_';
                           }
                           return name;
                         });

}  // namespace

int main(int argc, char** argv) {
  struct stat info;
  if (stat((std::string(ORVANE_SCORING_CORPUS) + "/pmml").c_str(), &info) != 0) {
    std::cout << "skipped: no scoring corpus at " << ORVANE_SCORING_CORPUS << "\n";
    return 77;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
