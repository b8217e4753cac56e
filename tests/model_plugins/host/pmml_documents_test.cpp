// Documents of the PMML corpus scored on cases worked out by hand from their
// own numbers. Exit code 77: the corpus is absent.

#include <sys/stat.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "scored_document.h"

namespace {

struct DocumentCase {
  const char* document;
  orvane_test::Inputs inputs;
  const char* category;  // a classification's or the cluster's name; "" for a regression
  const char* entity;    // the winning cluster's id, "" when none
  double value;          // a regression's
  std::vector<double> probabilities = {};  // in category order; empty: not checked
  std::vector<std::string> reason_codes = {};
};

const DocumentCase kCases[] = {
    {"dmg-neural-network",
     {{"gender", "    male"}, {"no of claims", "       1"}, {"domicile", "   urban"},
      {"age of car", "3"}},
     "", "", 4462.443437449275},
    {"knime-neural-network-ozone-normcontinuous", {{"temp", "60"}, {"ibh", "2000"}, {"ibt", "150"}},
     "", "", 0.2682737439285199},
    {"rpmml-neural-network-iris",
     {{"sepal length (cm)", "6.3"}, {"sepal width (cm)", "2.9"}, {"petal length (cm)", "5.6"},
      {"petal width (cm)", "1.8"}},
     "virginica", "", 0},
    // f = -0.174 below the threshold 0.
    {"jpmmlr-svm-pima-scaling",
     {{"npreg", "2"}, {"glu", "150"}, {"bp", "70"}, {"skin", "30"}, {"bmi", "35"}, {"ped", "0.5"},
      {"age", "(20,30]"}},
     "No", "", 0},
    // Squared distances 1.254 and 0.526.
    {"dmg-clustering-center-based", {{"marital status", "m"}, {"age", "60"}, {"salary", "40000"}},
     "marital status is m", "2", 0},
    // Squared distances 0.315, 1.878, 21.29.
    {"knime-kmeans-iris",
     {{"Sepal_Length", "6.3"}, {"Sepal_Width", "2.9"}, {"Petal_Length", "5.6"},
      {"Petal_Width", "1.8"}},
     "cluster_0", "1", 0},
    // departmentScore 3 (19 - 3 = 16 below), ageScore 0 (18), incomeScore 26
    // (10 - 26 = -16): the first matching attribute wins.
    {"dmg-scorecard-apply", {{"department", "engineering"}, {"age", "25"}, {"income", "500"}}, "",
     "", 29.0, {}, {"RC2", "RC1", "RC3"}},
    // department missing: -9 (28 below); age 18 (0); income through the
    // ComplexPartialScore 0.01 * 3000 - 18 = 12 (-2).
    {"dmg-scorecard-apply", {{"age", "45"}, {"income", "3000"}}, "", "", 21.0, {},
     {"RC1", "RC2", "RC3"}},
    // income 2000: the bin (1000, 2500] before the expression; department
    // unknown to the bins: the True attribute's 0.
    {"dmg-scorecard-apply", {{"department", "sales"}, {"age", "18"}, {"income", "2000"}}, "", "",
     2.0, {}, {"RC2", "RC1", "RC3"}},
    // Gaussian age, counts, a zero count (5000 with 2 claims) at the
    // threshold 0.001, and the age of car discretized to bin "1".
    {"dmg-naive-bayes-discretize",
     {{"age of individual", "24"}, {"gender", "male"}, {"no of claims", "2"}, {"age of car", "1"}},
     "500", "", 0,
     {0.040432216819369128, 0.35772248075315288, 0.26372180444145993, 0.026700193675882427,
      0.31142330431013565}},
    {"dmg-naive-bayes-discretize",
     {{"age of individual", "32"}, {"gender", "female"}, {"no of claims", "0"},
      {"domicile", "urban"}, {"age of car", "7.5"}},
     "100", "", 0,
     {0.99886650752935102, 0.00033418215185364048, 0.00053354473436826276,
      0.00024761865252540238, 1.8146931901752298e-05}},
    // Every input missing: the priors alone.
    {"dmg-naive-bayes-discretize", {}, "100", "", 0,
     {0.64050223951831997, 0.18775240472868787, 0.112343050150525, 0.052059622586092959,
      0.0073426830163741833}},
};

TEST(PmmlCorpus, ScoresTheWorkedOutCases) {
  for (const DocumentCase& c : kCases) {
    SCOPED_TRACE(c.document);
    std::ifstream in(std::string(ORVANE_PMML_CORPUS) + "/" + c.document + ".pmml");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const orvane_test::Prediction p = orvane_test::ScoreDocument(text, c.inputs);
    EXPECT_TRUE(p.valid);
    EXPECT_EQ(p.category, c.category);
    EXPECT_EQ(p.entity_id, c.entity);
    if (*c.category == '\0') orvane_test::ExpectClose(p.value, c.value, 1e-12);
    EXPECT_EQ(p.reason_codes, c.reason_codes);
    if (!c.probabilities.empty()) orvane_test::ExpectDistribution(p.probabilities, c.probabilities);
  }
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  struct stat info;
  if (stat(ORVANE_PMML_CORPUS, &info) != 0) {
    std::cout << "skipped: the PMML corpus is absent (" << ORVANE_PMML_CORPUS << ")\n";
    return 77;
  }
  return RUN_ALL_TESTS();
}
