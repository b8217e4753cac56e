// The scoring corpus: every document whose models the shipped plug-ins serve
// is scored with `orvane score` and compared, column by column, with the
// predictions its producer wrote; every other document gives one clear error
// line. One table row a document.

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

enum class Expect {
  kReproduced,     // every column agrees
  kPending,        // the plug-in of its model type is not shipped yet
  kFailsForNow,    // needs standard-PMML transformations the reader lacks for now
  kClearError,     // a model type no shipped plug-in serves
};

struct CorpusCase {
  const char* document;
  Expect expect;
  double precision;
};

constexpr double kPrec = 1e-12;

const CorpusCase kCases[] = {
    {"knime-DecisionTreeAudit", Expect::kReproduced, kPrec},
    {"knime-DecisionTreeAuto", Expect::kReproduced, kPrec},
    {"knime-DecisionTreeIris", Expect::kReproduced, kPrec},
    {"rattle-DecisionTreeAuto", Expect::kReproduced, kPrec},
    {"rattle-DecisionTreeIris", Expect::kReproduced, kPrec},
    {"rattle-DecisionTreeXformAuto", Expect::kReproduced, kPrec},
    {"rattle-DecisionTreeXformIris", Expect::kReproduced, kPrec},
    {"knime-DecisionTreeEnsembleAudit", Expect::kPending, kPrec},
    {"knime-DecisionTreeEnsembleIris", Expect::kPending, kPrec},
    {"knime-GBTAuto", Expect::kPending, 1e-7},
    {"knime-ModelEnsembleAuto", Expect::kPending, kPrec},
    {"knime-RegressionEnsembleAuto", Expect::kPending, kPrec},
    {"rattle-RandomForestIris", Expect::kPending, kPrec},
    {"rattle-RandomForestXformIris", Expect::kFailsForNow, kPrec},
    {"knime-PolynomialRegressionAuto", Expect::kReproduced, kPrec},
    {"rattle-LogisticRegressionIris", Expect::kReproduced, 1e-10},
    {"rattle-RegressionAuto", Expect::kReproduced, kPrec},
    {"rattle-RegressionXformAuto", Expect::kFailsForNow, kPrec},
    {"knime-GeneralRegressionAudit", Expect::kReproduced, 1e-10},
    {"knime-GeneralRegressionAuto", Expect::kReproduced, kPrec},
    {"knime-GeneralRegressionIris", Expect::kReproduced, 1e-10},
    {"rattle-GeneralRegressionAuto", Expect::kReproduced, kPrec},
    {"rattle-GeneralRegressionXformAuto", Expect::kFailsForNow, kPrec},
    {"knime-KMeansEnsembleIris", Expect::kClearError, kPrec},
    {"knime-KMeansIris", Expect::kClearError, kPrec},
    {"knime-ModelEnsembleIris", Expect::kClearError, kPrec},
    {"knime-NeuralNetworkIris", Expect::kClearError, kPrec},
    {"knime-RuleSetAudit", Expect::kClearError, kPrec},
    {"knime-RuleSetIris", Expect::kClearError, kPrec},
    {"knime-SupportVectorMachineIris", Expect::kClearError, kPrec},
    {"rattle-KMeansIris", Expect::kClearError, kPrec},
    {"rattle-KernlabSVMIris", Expect::kClearError, kPrec},
    {"rattle-LibSVMIris", Expect::kClearError, kPrec},
    {"rattle-NaiveBayesIris", Expect::kClearError, kPrec},
    {"rattle-NeuralNetworkAuto", Expect::kClearError, kPrec},
    {"rattle-NeuralNetworkIris", Expect::kClearError, kPrec},
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

TEST(ScoringCorpus, EveryDocumentAsItsRowSays) {
  const std::string root = ORVANE_SCORING_CORPUS;
  for (const CorpusCase& c : kCases) {
    SCOPED_TRACE(c.document);
    const std::string document = root + "/pmml/" + c.document + ".pmml";
    const std::string data = root + "/data/" + DataSetOf(c.document) + ".csv";
    const ToolRun run = Score(document, data, ::testing::TempDir() + "/corpus_" + c.document);
    ASSERT_NE(run.status, -1) << "the tool did not exit normally";
    switch (c.expect) {
      case Expect::kReproduced: {
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Compare(run, data, root + "/expected/" + c.document + ".csv", c.precision), "");
        break;
      }
      case Expect::kPending:
      case Expect::kFailsForNow: {
        // Reported, not judged: either a clear error or a comparison.
        std::string verdict = run.status == 0 ? Compare(run, data, root + "/expected/" +
                                                                        c.document + ".csv",
                                                        c.precision)
                                              : run.err;
        std::cout << "[ " << (c.expect == Expect::kPending ? "pending" : "for now") << " ] "
                  << c.document << ": " << (verdict.empty() ? "reproduced" : verdict) << "\n";
        EXPECT_TRUE(run.status == 0 || run.status == 1) << run.err;
        break;
      }
      case Expect::kClearError:
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("orvane: "), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        break;
    }
  }
}

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
