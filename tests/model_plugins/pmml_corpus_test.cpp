// The PMML corpus: every model document either scores two cases built from
// its DataDictionary (every field missing; every field at its first listed
// value, its first interval's left margin, or 1) through `orvane score`, or
// is refused with one error line naming what cannot be scored. One table row
// a document pins which.

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct PmmlCase {
  const char* document;
  const char* refusal;  // null: the document scores
};

const PmmlCase kCases[] = {
    {"bll-glm-linear-regression", "MiningField: field \"linear_regression_outcome\" is not defined"},
    {"bll-integration-custom-function", "Unsupported Model found!"},
    {"bll-recode-interaction-multiply", "Unsupported Model found!"},
    {"bll-recode-mapvalues-definefunction", "Unsupported Model found!"},
    {"bll-recode-rcs-custom-function", "Unsupported Model found!"},
    {"bll-recode-valid-invalid-missing", "Unsupported Model found!"},
    {"dmg-anomaly-cluster-normcontinuous",
     "AnomalyDetectionModel: no shipped plug-in scores this model type"},
    {"dmg-association-rules", nullptr},
    {"dmg-clustering-center-based", nullptr},
    {"dmg-general-regression-multinomial", nullptr},
    {"dmg-knn-categorical", nullptr},
    {"dmg-mining-model-chain", nullptr},
    {"dmg-naive-bayes-discretize", nullptr},
    {"dmg-neural-network", nullptr},
    {"dmg-scorecard-apply", nullptr},
    {"dmg-tree-missing-value-strategies", nullptr},
    {"jpmml-evaluation-context-discretize-mapvalues", "Unsupported Model found!"},
    {"jpmml-knn-local-normdiscrete-if", nullptr},
    {"jpmml-mining-discretize", nullptr},
    {"jpmml-mining-field-scope", nullptr},
    {"jpmml-model-apply-extension-function", "Unsupported Model found!"},
    {"jpmml-model-chain-string-functions",
     "OutputField: segmentId of OutputField \"Class Node\" is not supported"},
    {"jpmml-model-chained-segmentation-definefunction",
     "RegressionTable: attribute intercept is absent"},
    {"jpmml-model-inline-table-namespaced-columns", "Unsupported Model found!"},
    {"jpmml-model-nested-segmentation-product", "RegressionTable: attribute intercept is absent"},
    {"jpmml-regression-output-round-if", nullptr},
    {"jpmml-transformation-dictionary-definefunction", "POW: recursive function is not supported"},
    {"jpmmlr-svm-pima-scaling", nullptr},
    {"knime-general-regression-iris", nullptr},
    {"knime-kmeans-iris", nullptr},
    {"knime-neural-network-ozone-normcontinuous", nullptr},
    {"rattle-cox-regression-lung", nullptr},
    {"rattle-iris-multinom-pmml40", nullptr},
    {"rattle-iris-tree-pmml32", nullptr},
    {"rattle-tree-xform-iris-normcontinuous", nullptr},
    {"rpmml-neural-network-iris", nullptr},
    {"sklearn-housing-linreg-pca", nullptr},
    {"sklearn-isotonic-normcontinuous-outliers", nullptr},
    {"sklearn-xgb-preprocessed-mapvalues", nullptr},
    {"sklearn-xgboost-sentiment-textindex", "tf(lowercase(Sentence)): not Supported function name"},
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string CsvCell(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// The header and the two cases of a document, from its DataDictionary text.
std::string CasesOf(const std::string& document) {
  const size_t begin = document.find("<DataDictionary");
  const size_t end = document.find("</DataDictionary>");
  const std::string dictionary = document.substr(begin, end - begin);
  static const std::regex kName("\\bname=\"([^\"]*)\"");
  static const std::regex kValue("<Value\\b[^>]*\\bvalue=\"([^\"]*)\"");
  static const std::regex kMargin("<Interval\\b[^>]*\\bleftMargin=\"([^\"]*)\"");
  std::string names;
  std::string missing;
  std::string values;
  size_t at = dictionary.find("<DataField");
  while (at != std::string::npos) {
    const size_t next = dictionary.find("<DataField", at + 1);
    const std::string field = dictionary.substr(at, next == std::string::npos ? next : next - at);
    std::smatch m;
    std::string value = "1";
    if (std::regex_search(field, m, kValue) || std::regex_search(field, m, kMargin)) value = m[1];
    if (std::regex_search(field, m, kName)) {
      const bool first = names.empty();
      names += (first ? "" : ",") + CsvCell(m[1]);
      missing += first ? "" : ",";
      values += (first ? "" : ",") + CsvCell(value);
    }
    at = next;
  }
  return names + "\n" + missing + "\n" + values + "\n";
}

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

ToolRun Score(const std::string& document, const std::string& cases) {
  const std::string err_file = cases + ".err";
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
  run.err = ReadFile(err_file);
  std::remove(err_file.c_str());
  return run;
}

class PmmlCorpus : public ::testing::TestWithParam<PmmlCase> {};

TEST_P(PmmlCorpus, ScoresOrIsRefusedClearly) {
  const PmmlCase& c = GetParam();
  const std::string document = std::string(ORVANE_PMML_CORPUS) + "/" + c.document + ".pmml";
  const std::string cases = ::testing::TempDir() + "/pmml_" + c.document + ".csv";
  {
    std::ofstream out(cases, std::ios::binary);
    out << CasesOf(ReadFile(document));
  }
  const ToolRun run = Score(document, cases);
  std::remove(cases.c_str());
  if (c.refusal == nullptr) {
    ASSERT_EQ(run.status, 0) << run.err;
    int lines = 0;
    for (char ch : run.out) lines += ch == '\n';
    EXPECT_GE(lines, 2) << run.out;  // the header and the cases (a blank one-field case is none)
  } else {
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.refusal), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Documents, PmmlCorpus, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PmmlCase>& info) {
                           std::string name = info.param.document;
                           for (char& ch : name) {
                             if (ch == '-') ch = '_';
                           }
                           return name;
                         });

}  // namespace

int main(int argc, char** argv) {
  struct stat info;
  if (stat(ORVANE_PMML_CORPUS, &info) != 0) {
    std::printf("skipped: no PMML corpus at %s\n", ORVANE_PMML_CORPUS);
    return 77;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
