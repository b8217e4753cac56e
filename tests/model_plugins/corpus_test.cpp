// The corpora through the shipped plug-ins. Every document of the scoring
// corpus, and of this project's own hand-worked one (tests/data/scoring), is
// scored with `orvane score` and compared, column by column, with what is
// expected of it; edits of the hand-worked documents are refused with their
// code and message. Every model document of the PMML corpus either scores two
// cases built from its DataDictionary (every field missing; every field at its
// first listed value, its first interval's left margin, or 1) or is refused
// with one error line naming what cannot be scored; some of them are also
// scored on cases worked out by hand from their own numbers. Exit code 77: a
// shared corpus is absent (the hand-worked one always runs).

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "orvane/case_filler.h"
#include "orvane/csv_reader.h"
#include "scored_document.h"

namespace {

const std::string kScoring = ORVANE_SCORING_CORPUS;
const std::string kPmml = ORVANE_PMML_CORPUS;
const std::string kOwn = ORVANE_TEST_DATA_DIR "/scoring";

using orvane_test::ReadFile;

// The documents (names without .pmml) of a folder, in name order.
std::vector<std::string> DocumentsIn(const std::string& folder) {
  std::vector<std::string> names = orvane_test::FilesIn(folder, ".pmml");
  for (std::string& name : names) name.resize(name.size() - 5);
  return names;
}

struct ToolRun {
  int status = -1;  // the exit status; -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

ToolRun Score(const std::string& document, const std::string& cases, const std::string& scratch) {
  const std::string err_file = scratch + "." + std::to_string(getpid()) + ".err";
  const std::string command = std::string("'") + ORVANE_TOOL + "' score '" + document + "' '" +
                              cases + "' 2>'" + err_file + "'";
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.err = ReadFile(err_file);
  std::remove(err_file.c_str());
  return run;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& ch : name) ch = ch == '-' ? '_' : ch;
  return name;
}

// --- The scoring corpus ----------------------------------------------------

// The producer's agreement where it is looser than 1e-12.
const std::map<std::string, double> kPrecision = {
    {"knime-GBTAuto", 1e-7},           {"rattle-LogisticRegressionIris", 1e-10},
    {"knime-GeneralRegressionAudit", 1e-10}, {"knime-GeneralRegressionIris", 1e-10},
    {"knime-NeuralNetworkIris", 1e-6}, {"rattle-NeuralNetworkAuto", 1e-5},
    {"rattle-NeuralNetworkIris", 1e-6},
};

using Table = std::vector<std::vector<std::string>>;

Table ReadCsv(const std::string& text) {
  Table rows;
  std::istringstream in(text);
  orvane_cli::CsvReader reader(in);
  for (std::vector<std::string> cells; reader.Next(&cells);) {
    if (cells.size() != 1 || !cells[0].empty()) rows.push_back(cells);
  }
  return rows;
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

// `advice` ("; "-separated texts) without a text repeated right after itself:
// each enclosing model adds its own "Score is a missing value".
std::string Distinct(const std::string& advice) {
  std::string out, last;
  for (size_t at = 0, end = 0; at < advice.size(); at = end + 2) {
    end = std::min(advice.find("; ", at), advice.size());
    const std::string text = advice.substr(at, end - at);
    if (text != last) out += (out.empty() ? "" : "; ") + text;
    last = text;
  }
  return out;
}

// The mismatches of one document scored on `cases`; empty when every column
// agrees. Result columns follow the input columns and are looked up there
// first, so a result never goes unchecked against an input of its name.
std::string Compare(const std::string& cases, const Table& got, const Table& expected,
                    double prec) {
  if (expected.empty()) return "cannot read the expected results";
  if (got.size() != expected.size()) {
    return std::to_string(got.size()) + " rows where " + std::to_string(expected.size()) +
           " are expected";
  }
  const Table header = ReadCsv(cases.substr(0, cases.find('\n')));
  const size_t inputs = header.empty() ? 0 : std::min(header[0].size(), got[0].size());
  std::ostringstream problems;
  int shown = 0;
  for (size_t column = 0; column < expected[0].size(); ++column) {
    const std::string& name = expected[0][column];
    const auto results = got[0].begin() + inputs;
    auto found = std::find(results, got[0].end(), name);
    if (found == got[0].end()) {
      found = std::find(got[0].begin(), results, name);
      if (found == results) {
        problems << "no column \"" << name << "\"; ";
        continue;
      }
    }
    const size_t at = found - got[0].begin();
    for (size_t row = 1; row < expected.size(); ++row) {
      const std::string value = at < got[row].size() ? got[row][at] : std::string();
      const std::string& want = expected[row][column];
      const bool agree = name == "advice" ? Distinct(value) == want : Agree(value, want, prec);
      if (!agree && shown++ < 5) {
        problems << "row " << row << " column \"" << name << "\": got \"" << value
                 << "\", expected \"" << want << "\"; ";
      }
    }
  }
  return problems.str();
}

// The document text `document` scored on the cases text `cases`: its
// mismatches with the results `scored`, or the tool's error.
std::string ScoreTexts(const std::string& document, const std::string& cases,
                       const std::string& scored) {
  const std::string scratch = ::testing::TempDir() + "/scored_" + std::to_string(getpid());
  std::ofstream(scratch + ".pmml") << document;
  std::ofstream(scratch + ".csv") << cases;
  const ToolRun run = Score(scratch + ".pmml", scratch + ".csv", scratch);
  for (const char* ext : {".pmml", ".csv"}) std::remove((scratch + ext).c_str());
  if (run.status != 0) return "exit " + std::to_string(run.status) + ": " + run.err;
  return Compare(cases, ReadCsv(run.out), ReadCsv(scored), 1e-12);
}

class ScoringCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(ScoringCorpus, Reproduced) {
  const std::string& name = GetParam();
  std::string data_set;  // the name's last word: Iris, Auto or Audit
  for (const std::string set : {"Iris", "Auto", "Audit"}) {
    if (name.size() > set.size() && name.compare(name.size() - set.size(), set.size(), set) == 0) {
      data_set = set;
    }
  }
  const std::string data = kScoring + "/data/" + data_set + ".csv";
  const ToolRun run =
      Score(kScoring + "/pmml/" + name + ".pmml", data, ::testing::TempDir() + "/corpus_" + name);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto prec = kPrecision.find(name);
  EXPECT_EQ(Compare(ReadFile(data), ReadCsv(run.out),
                    ReadCsv(ReadFile(kScoring + "/expected/" + name + ".csv")),
                    prec == kPrecision.end() ? 1e-12 : prec->second),
            "");
}

INSTANTIATE_TEST_SUITE_P(Documents, ScoringCorpus,
                         ::testing::ValuesIn(DocumentsIn(kScoring + "/pmml")), TestName);

// --- The hand-worked corpus ------------------------------------------------

// <name>.pmml scored on <name>.csv reproduces <name>.scored.csv.
class HandScored : public ::testing::TestWithParam<std::string> {};

TEST_P(HandScored, Reproduced) {
  const std::string base = kOwn + "/" + GetParam();
  const ToolRun run =
      Score(base + ".pmml", base + ".csv", ::testing::TempDir() + "/own_" + GetParam());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Compare(ReadFile(base + ".csv"), ReadCsv(run.out),
                    ReadCsv(ReadFile(base + ".scored.csv")), 1e-12),
            "");
}

INSTANTIATE_TEST_SUITE_P(Documents, HandScored, ::testing::ValuesIn(DocumentsIn(kOwn)), TestName);

using Edits = std::vector<std::pair<std::string, std::string>>;

// The document `name` of the hand-worked corpus with the first occurrence of
// each text replaced in turn.
std::string Edited(const std::string& name, const Edits& edits) {
  std::string document = ReadFile(kOwn + "/" + name + ".pmml");
  for (const auto& edit : edits) {
    const size_t at = document.find(edit.first);
    if (at == std::string::npos) ADD_FAILURE() << "no \"" << edit.first << "\" in " << name;
    if (at != std::string::npos) document.replace(at, edit.first.size(), edit.second);
  }
  return document;
}

// The nearest-neighbour document's scoring options, one edit of it a row,
// with the case (1, 1) unless given and the results expected of it.
TEST(HandScored, NearestNeighbourOptions) {
  const std::map<std::string, Edits> kTargets = {
      {"t", {}},
      {"k", {{"\"regression\"", "\"classification\""}, {"\"t\" usage", "\"k\" usage"}}},
      {"",
       {{"\"regression\"", "\"clustering\""},
        {"<MiningField name=\"t\" usageType=\"target\"/>", ""}}},
  };
  const struct {
    const char* target;  // "": none, the neighbours alone
    Edits edits;
    const char* scored;  // the target, n1, n2, n3, a2
    const char* cases = "x,y,c\n1,1,a\n";
  } kRows[] = {
      {"t", {{"\"2\"", "\"3\" continuousScoringMethod=\"median\""}}, "2,i2,i1,i3,2"},
      {"t", {{"\"2\"", "\"2\" continuousScoringMethod=\"median\""}}, "1.5,i2,i1,,2"},
      // 1 / (distance + 0.001) weights the neighbours at 1 and 2.
      {"t",
       {{"\"2\"", "\"2\" continuousScoringMethod=\"weightedAverage\""}},
       "1.6665556295802797,i2,i1,,2"},
      // Ties keep the earlier instance.
      {"t",
       {{"\"2\"", "\"3\""}, {"squaredEuclidean", "chebychev"}},
       "2.3333333333333335,i1,i2,i3,1"},
      {"k", {{"\"2\"", "\"3\""}}, "B,i2,i1,i3,2"},
      {"k", {{"\"2\"", "\"3\""}}, "B,i1,i2,i3,1", "x,y,c\n0,0,a\n"},
      // One vote each: B has more training instances than A.
      {"k", {}, "B,i2,i1,,2"},
      // At (0, 0) A's one vote at distance 0 outweighs B's two at 1 and 4.
      {"k",
       {{"\"2\"", "\"3\" categoricalScoringMethod=\"weightedMajorityVote\""}},
       "A,i1,i2,i3,1",
       "x,y,c\n0,0,a\n"},
      // c by delta with weight 3: squared distances 2, 4, 2, 11.
      {"",
       {{"<KNNInput field=\"y\"/>",
         "<KNNInput field=\"y\"/><KNNInput field=\"c\" "
         "compareFunction=\"delta\" fieldWeight=\"3\"/>"}},
       "i1,i3,,2"},
      // x10 for the instances from their x: 0, 10, 0, 30 against 10.
      {"",
       {{"\"2\"", "\"3\""}, {"field=\"x\"/><KNNInput", "field=\"x10\"/><KNNInput"}},
       "i2,i1,i3,101"},
      // Similarity, the largest nearest: 0, 1/2, 1/2, 1.
      {"",
       {{"kind=\"distance\"><squaredEuclidean/>", "kind=\"similarity\"><jaccard/>"}},
       "i4,i2,,0.5"},
  };
  for (const auto& row : kRows) {
    Edits edits = kTargets.at(row.target);
    edits.insert(edits.end(), row.edits.begin(), row.edits.end());
    const std::string head = *row.target ? std::string(row.target) + "," : "";
    EXPECT_EQ(ScoreTexts(Edited("knn", edits), row.cases, head + "n1,n2,n3,a2\n" + row.scored), "")
        << row.scored;
  }
}

// Every line of refused.txt: an edited document refused with its code and message.
TEST(HandScored, RefusalsNameWhat) {
  std::istringstream lines(ReadFile(kOwn + "/refused.txt"));
  int rows = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '|');) fields.push_back(cell);
    ASSERT_GE(fields.size(), 5u) << line;
    Edits edits;
    for (size_t i = 1; i + 3 < fields.size(); i += 2) edits.emplace_back(fields[i], fields[i + 1]);
    SCOPED_TRACE(line);
    const std::string document = Edited(fields[0], edits);
    orvane_test::ExpectOVException([&document] { orvane_test::ReadModel(document); },
                                   std::stoi(fields[fields.size() - 2]), fields.back());
    ++rows;
  }
  EXPECT_GT(rows, 0);
}

// --- The PMML corpus -------------------------------------------------------

// The documents refused, and the error each names; every other one scores.
const std::map<std::string, std::string> kRefusals = {
    {"bll-glm-linear-regression",
     "MiningField: field \"linear_regression_outcome\" is not defined"},
    {"bll-integration-custom-function", "Unsupported Model found!"},
    {"bll-recode-interaction-multiply", "Unsupported Model found!"},
    {"bll-recode-mapvalues-definefunction", "Unsupported Model found!"},
    {"bll-recode-rcs-custom-function", "Unsupported Model found!"},
    {"bll-recode-valid-invalid-missing", "Unsupported Model found!"},
    {"dmg-anomaly-cluster-normcontinuous",
     "AnomalyDetectionModel: no shipped plug-in scores this model type"},
    {"jpmml-evaluation-context-discretize-mapvalues", "Unsupported Model found!"},
    {"jpmml-model-apply-extension-function", "Unsupported Model found!"},
    {"jpmml-model-chain-string-functions",
     "OutputField: segmentId of OutputField \"Class Node\" is not supported"},
    {"jpmml-model-chained-segmentation-definefunction",
     "RegressionTable: attribute intercept is absent"},
    {"jpmml-model-inline-table-namespaced-columns", "Unsupported Model found!"},
    {"jpmml-model-nested-segmentation-product", "RegressionTable: attribute intercept is absent"},
    {"jpmml-transformation-dictionary-definefunction", "POW: recursive function is not supported"},
    {"sklearn-xgboost-sentiment-textindex", "tf(lowercase(Sentence)): not Supported function name"},
};

std::string CsvCell(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// The header and the two cases of a document, from its DataDictionary text.
std::string CasesOf(const std::string& document) {
  const size_t begin = document.find("<DataDictionary");
  const std::string dictionary = document.substr(begin, document.find("</DataDictionary>") - begin);
  static const std::regex kName("\\bname=\"([^\"]*)\"");
  static const std::regex kValue("<Value\\b[^>]*\\bvalue=\"([^\"]*)\"");
  static const std::regex kMargin("<Interval\\b[^>]*\\bleftMargin=\"([^\"]*)\"");
  std::string names, missing, values;
  for (size_t at = dictionary.find("<DataField"), next; at != std::string::npos; at = next) {
    next = dictionary.find("<DataField", at + 1);
    const std::string field = dictionary.substr(at, next == std::string::npos ? next : next - at);
    std::smatch m;
    std::string value = "1";
    if (std::regex_search(field, m, kValue) || std::regex_search(field, m, kMargin)) value = m[1];
    if (std::regex_search(field, m, kName)) {
      const char* comma = names.empty() ? "" : ",";
      names += comma + CsvCell(m[1]);
      missing += comma;
      values += comma + CsvCell(value);
    }
  }
  return names + "\n" + missing + "\n" + values + "\n";
}

class PmmlCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(PmmlCorpus, ScoresOrIsRefusedClearly) {
  const std::string document = kPmml + "/" + GetParam() + ".pmml";
  const std::string cases =
      ::testing::TempDir() + "/pmml_" + GetParam() + "_" + std::to_string(getpid()) + ".csv";
  std::ofstream(cases, std::ios::binary) << CasesOf(ReadFile(document));
  const ToolRun run = Score(document, cases, cases);
  std::remove(cases.c_str());
  const auto refusal = kRefusals.find(GetParam());
  if (refusal == kRefusals.end()) {
    ASSERT_EQ(run.status, 0) << run.err;
    // The header and the cases (a blank one-field case is none).
    EXPECT_GE(std::count(run.out.begin(), run.out.end(), '\n'), 2) << run.out;
  } else {
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(refusal->second), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Documents, PmmlCorpus, ::testing::ValuesIn(DocumentsIn(kPmml)), TestName);

// Documents of the PMML corpus, given an Output of every feature the rows look
// at (~value, ~shown, ~entity, ~reason <rank>, ~p <category>), scored on cases
// worked out by hand from their own numbers.
TEST(PmmlCorpusDocuments, ScoreTheWorkedOutCases) {
  const char kBayesCase[] = "age of individual,gender,no of claims,domicile,age of car\n";
  const char kBayes[] = "~shown,~p 100,~p 500,~p 1000,~p 5000,~p 10000\n";
  const struct {
    const char* document;
    std::string cases;
    std::string scored;
  } kRows[] = {
      {"dmg-neural-network",
       "gender,no of claims,domicile,age of car\n    male,       1,   urban,3\n",
       "~value\n4462.443437449275\n"},
      {"knime-neural-network-ozone-normcontinuous", "temp,ibh,ibt\n60,2000,150\n",
       "~value\n0.2682737439285199\n"},
      // f = -0.174 below the threshold 0.
      {"jpmmlr-svm-pima-scaling", "npreg,glu,bp,skin,bmi,ped,age\n2,150,70,30,35,0.5,\"(20,30]\"\n",
       "~shown\nNo\n"},
      // Squared distances 1.254 and 0.526.
      {"dmg-clustering-center-based", "marital status,age,salary\nm,60,40000\n",
       "~shown,~entity\nmarital status is m,2\n"},
      // departmentScore 3 (19 - 3 = 16 below), ageScore 0 (18), incomeScore 26
      // (10 - 26 = -16): the first matching attribute wins. Department
      // missing: -9 (28 below); age 18 (0); income through the
      // ComplexPartialScore 0.01 * 3000 - 18 = 12 (-2). Income 2000: the bin
      // (1000, 2500] before the expression; department unknown to the bins:
      // the True attribute's 0.
      {"dmg-scorecard-apply",
       "department,age,income\nengineering,25,500\n,45,3000\nsales,18,2000\n",
       "~value,~reason 1,~reason 2,~reason 3,~reason 4\n29,RC2,RC1,RC3,\n21,RC1,RC2,RC3,\n"
       "2,RC2,RC1,RC3,\n"},
      // Gaussian age, counts, a zero count (5000 with 2 claims) at the
      // threshold 0.001, and the age of car discretized to bin "1"; then
      // every input missing: the priors alone.
      {"dmg-naive-bayes-discretize",
       kBayesCase + std::string("24,male,2,,1\n32,female,0,urban,7.5\n,,,,\n"),
       kBayes + std::string("500,0.040432216819369128,0.35772248075315288,0.26372180444145993,"
                            "0.026700193675882427,0.31142330431013565\n"
                            "100,0.99886650752935102,0.00033418215185364048,"
                            "0.00053354473436826276,0.00024761865252540238,"
                            "1.8146931901752298e-05\n"
                            "100,0.64050223951831997,0.18775240472868787,0.112343050150525,"
                            "0.052059622586092959,0.0073426830163741833\n")},
  };
  for (const auto& row : kRows) {
    const std::string document = ReadFile(kPmml + "/" + row.document + ".pmml");
    EXPECT_EQ(ScoreTexts(orvane_test::WithOutputs(document, orvane_test::ValuesIn(document)),
                         row.cases, row.scored),
              "")
        << row.document;
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(filter).find("HandScored") == std::string::npos) {
    for (const std::string& folder : {kScoring + "/pmml", kPmml}) {
      struct stat info;
      if (stat(folder.c_str(), &info) != 0) {
        std::cout << "skipped: no corpus at " << folder << "\n";
        return 77;
      }
    }
  }
  return RUN_ALL_TESTS();
}
