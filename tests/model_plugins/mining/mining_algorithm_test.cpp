// The MiningModel algorithm on small documents whose segments are
// intercept-only regressions (a fixed number, or through simplemax a fixed
// distribution over A, B, C), read through the real plug-ins. A segment "of
// x" also reads x, so it has no prediction when x is missing. x is 2 unless
// missing; y is always missing.

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "scored_document.h"

namespace {

using orvane_test::Prediction;

const char kTrue[] = "<True/>";
const char kFalse[] = "<False/>";
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

std::string Simple(const char* field, const char* op, double value) {
  return "<SimplePredicate field='" + std::string(field) + "' operator='" + op + "' value='" +
         std::to_string(value) + "'/>";
}

std::string Segment(const std::string& predicate, const std::string& model, double weight = 1) {
  return "<Segment weight='" + std::to_string(weight) + "'>" + predicate + model + "</Segment>";
}

// A regression: the number `value`, plus 0 * x when `of_x`.
std::string Number(double value, bool of_x = false, const std::string& more = "") {
  return orvane_test::Model(
      "RegressionModel", "functionName='regression'", "", "",
      more + "<RegressionTable intercept='" + std::to_string(value) + "'>" +
          (of_x ? "<NumericPredictor name='x' coefficient='0'/>" : "") + "</RegressionTable>");
}

std::string Distribution(double a, double b, double c, bool of_x = false) {
  std::string tables;
  for (const auto& [category, p] : {std::pair{"A", a}, {"B", b}, {"C", c}}) {
    tables += "<RegressionTable targetCategory='" + std::string(category) + "' intercept='" +
              std::to_string(p) + "'>" +
              (of_x ? "<NumericPredictor name='x' coefficient='0'/>" : "") + "</RegressionTable>";
  }
  return orvane_test::Model("RegressionModel",
                            "functionName='classification' normalizationMethod='simplemax'", "",
                            "", tables);
}

std::string Mining(const std::string& function, const std::string& segmentation,
                   const std::string& segments) {
  return orvane_test::Model("MiningModel", "functionName='" + function + "'", "",
                            function == "regression" ? "r" : "k",
                            "<Segmentation " + segmentation + ">" + segments + "</Segmentation>");
}

std::string Document(const std::string& model) {
  return orvane_test::Pmml("x y s1 r k=A,B,C", model);
}

std::string Method(const char* method, const std::string& more = "") {
  return "multipleModelMethod='" + std::string(method) + "' " + more;
}

std::string Regression(const std::string& segmentation, const std::string& segments) {
  return Document(Mining("regression", segmentation, segments));
}

std::string Classes(const std::string& segmentation, const std::string& segments) {
  return Document(Mining("classification", segmentation, segments));
}

// Three numbers 1, 2, 6 with the given weights.
std::string OneTwoSix(double w1 = 1, double w2 = 1, double w3 = 1) {
  return Segment(kTrue, Number(1), w1) + Segment(kTrue, Number(2), w2) +
         Segment(kTrue, Number(6), w3);
}

// Three segments, the first with weight `w1`.
std::string Three(const std::string& one, const std::string& two, const std::string& three,
                  double w1 = 1) {
  return Segment(kTrue, one, w1) + Segment(kTrue, two) + Segment(kTrue, three);
}

Prediction Score(const std::string& document, bool x_missing) {
  return orvane_test::ScoreDocument(
      document, x_missing ? orvane_test::Inputs() : orvane_test::Inputs{{"x", "2"}});
}

TEST(MiningModel, CombinesNumbers) {
  const std::string chain =
      Segment(kTrue, Number(4, false, "<Output><OutputField name='s1' "
                                      "feature='predictedValue'/></Output>")) +
      Segment(Simple("s1", "greaterThan", 3),
              orvane_test::Model("RegressionModel", "functionName='regression'", "", "",
                                 "<RegressionTable intercept='1'><NumericPredictor name='s1' "
                                 "coefficient='2'/></RegressionTable>")) +
      Segment(kFalse, Number(100));
  const std::string four = Segment(kFalse, Number(1)) +
                           Segment(Simple("y", "lessThan", 1), Number(2)) +
                           Segment(Simple("x", "lessThan", 5), Number(6)) +
                           Segment(kTrue, Number(10));
  const std::string some_of_x = Three(Number(1), Number(2), Number(50, true));
  const std::string skip = "missingPredictionTreatment='skipSegment' ";
  const struct {
    const char* name;
    double value;  // kNone: no prediction
    std::string document;
    bool x_missing = false;
  } kCases[] = {
      {"median", 2, Regression(Method("median"), OneTwoSix())},
      {"medianOfFour", 4, Regression(Method("median"), OneTwoSix() + Segment(kTrue, Number(10)))},
      {"weightedMedian", 6, Regression(Method("weightedMedian"), OneTwoSix(1, 1, 3))},
      {"weightedMedianBetween", 1.5, Regression(Method("weightedMedian"), OneTwoSix(2, 1, 1))},
      {"max", 6, Regression(Method("max"), OneTwoSix())},
      {"weightedSum", 15, Regression(Method("weightedSum"), OneTwoSix(1, 1, 2))},
      {"unweightedIgnoresWeights", 9, Regression(Method("sum"), OneTwoSix(1, 1, 2))},
      // False and unknown (y is missing) select nothing.
      {"average", 8, Regression(Method("average"), four)},
      {"selectFirst", 6, Regression(Method("selectFirst"), four)},
      {"selectFirstNone", kNone, Regression(Method("selectFirst"), Segment(kFalse, Number(1)))},
      {"modelChain", 9, Regression(Method("modelChain"), chain)},
      {"nested", 4.5,
       Regression(Method("average"),
                  Segment(kTrue, Mining("regression", Method("sum"),
                                        Segment(kTrue, Number(1)) + Segment(kTrue, Number(2)))) +
                      Segment(kTrue, Number(6)))},
      {"continueDefault", kNone, Regression(Method("average"), some_of_x), true},
      {"returnMissing", kNone,
       Regression(Method("sum", "missingPredictionTreatment='returnMissing'"), some_of_x), true},
      {"skipSegment", 1.5, Regression(Method("average", skip), some_of_x), true},
      {"skipSegmentBelowThreshold", 3,
       Regression(Method("sum", skip + "missingThreshold='0.5'"), some_of_x), true},
      {"skipSegmentAboveThreshold", kNone,
       Regression(Method("sum", skip + "missingThreshold='0.3'"), some_of_x), true},
      {"skipSegmentAllMissing", kNone,
       Regression(Method("sum", skip), Segment(kTrue, Number(1, true))), true},
      {"nothingSelected", kNone, Regression(Method("sum"), Segment(kFalse, Number(1)))},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Prediction p = Score(c.document, c.x_missing);
    if (std::isnan(c.value)) {
      orvane_test::ExpectNoScore(p);
      continue;
    }
    EXPECT_TRUE(p.valid && !p.is_category);
    orvane_test::ExpectClose(p.value, c.value);
  }
}

TEST(MiningModel, CombinesDistributions) {
  const std::string d631 = Distribution(0.6, 0.3, 0.1);
  const std::string d154 = Distribution(0.1, 0.5, 0.4);
  const std::string d631_of_x = Distribution(0.6, 0.3, 0.1, true);
  const struct {
    const char* name;
    const char* category;               // "": no prediction
    std::vector<double> probabilities;  // A, B, C
    std::string document;
    bool x_missing = false;
  } kCases[] = {
      {"weightedMajorityVote", "A", {0.6, 0.4, 0}, Classes(Method("weightedMajorityVote"),
                                   Three(d631, d154, Distribution(0.2, 0.7, 0.1), 3))},
      {"voteTieGoesToDictionaryOrder", "B", {0, 0.5, 0.5},
       Classes(Method("majorityVote"), Segment(kTrue, Distribution(0.1, 0.1, 0.8)) +
                                           Segment(kTrue, Distribution(0.1, 0.8, 0.1)))},
      {"voteContinueMissingWins", "", {},
       Classes(Method("majorityVote"), Three(d631, d631_of_x, d631_of_x)), true},
      {"voteContinueMissingTakesItsShare", "A", {2.0 / 3, 0, 0},
       Classes(Method("majorityVote"), Three(d631, d631, d631_of_x)), true},
      {"average", "B", {0.35, 0.4, 0.25},
       Classes(Method("average"), Segment(kTrue, d631) + Segment(kTrue, d154))},
      {"weightedAverage", "A", {0.475, 0.35, 0.175},
       Classes(Method("weightedAverage"), Segment(kTrue, d631, 3) + Segment(kTrue, d154))},
      {"median", "C", {0.2, 0.3, 0.4},
       Classes(Method("median"), Three(d631, d154, Distribution(0.2, 0.2, 0.6)))},
      {"maxFirstOfEqualSegments", "C", {0.125, 0.125, 0.75},
       Classes(Method("max"), Three(Distribution(0.5, 0.25, 0.25), Distribution(0.125, 0.125, 0.75),
                                    Distribution(0.75, 0.125, 0.125)))},
      {"maxAveragesTheSegmentsThatGiveIt", "C", {0.15, 0.15, 0.7},
       Classes(Method("max"), Segment(kTrue, Distribution(0.2, 0.1, 0.7)) +
                                  Segment(kTrue, Distribution(0.1, 0.2, 0.7)))},
      {"selectFirstPassesThrough", "B", {0.1, 0.5, 0.4},
       Classes(Method("selectFirst"), Segment(kFalse, d631) + Segment(kTrue, d154))},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Prediction p = Score(c.document, c.x_missing);
    if (*c.category == '\0') {
      orvane_test::ExpectNoScore(p);
      continue;
    }
    EXPECT_TRUE(p.valid && p.is_category);
    EXPECT_EQ(p.category, c.category);
    orvane_test::ExpectDistribution(p.probabilities, c.probabilities, {"A", "B", "C"});
  }
}

TEST(MiningModel, RefusesWhatItCannotScore) {
  const std::string one = Segment(kTrue, Number(1));
  const auto sum = [](const std::string& segments) { return Regression(Method("sum"), segments); };
  orvane_test::ExpectRefusals({
      {"sequences", Document(Mining("sequences", Method("majorityVote"), one)), 5,
       "MiningModel: functionName \"sequences\" is not supported"},
      {"selectAll", Regression(Method("selectAll"), one), 5,
       "Segmentation: multipleModelMethod \"selectAll\" gives no single prediction"},
      {"unknownMethod", Regression(Method("vote"), one), 5,
       "Segmentation: multipleModelMethod \"vote\" is not supported"},
      {"sumOfClasses", Classes(Method("sum"), one), 5,
       "Segmentation: multipleModelMethod \"sum\" does not apply to classification"},
      {"voteOfNumbers", Regression(Method("majorityVote"), one), 5,
       "Segmentation: multipleModelMethod \"majorityVote\" does not apply to regression"},
      {"methodAbsent", Regression("", one), 4,
       "Segmentation: attribute multipleModelMethod is absent"},
      {"treatment", Regression(Method("sum", "missingPredictionTreatment='guess'"), one), 5,
       "Segmentation: missingPredictionTreatment \"guess\" is not supported"},
      {"threshold", Regression(Method("sum", "missingThreshold='1.5'"), one), 6,
       "Segmentation: missingThreshold is not between 0 and 1"},
      {"noSegment", sum(""), 1, "Segmentation: Segment is absent"},
      {"noPredicate", sum("<Segment>" + Number(1) + "</Segment>"), 1,
       "Segment: predicate is absent"},
      {"noModel", sum("<Segment><True/></Segment>"), 1, "Segment: model is absent"},
      {"twoModels", sum("<Segment><True/>" + Number(1) + Number(2) + "</Segment>"), 1,
       "Segment: more than one model (RegressionModel)"},
      {"negativeWeight", Regression(Method("weightedSum"), Segment(kTrue, Number(1), -1)), 6,
       "Segment: weight is negative"},
      {"variableWeight", sum("<Segment><True/><VariableWeight field='x'/>" + Number(1) +
                             "</Segment>"), 5,
       "VariableWeight in Segment is not supported"},
      {"segmentationTransformations", sum("<LocalTransformations/>" + one), 5,
       "LocalTransformations in Segmentation is not supported"},
      {"noSegmentation",
       Document(orvane_test::Model("MiningModel", "functionName='regression'", "", "", "")), 1,
       "MiningModel: Segmentation is absent"},
      {"embeddedRegression",
       Document(orvane_test::Model("MiningModel", "functionName='regression'", "", "",
                                   "<Regression/>")), 5,
       "Regression in MiningModel is not supported"},
      {"segmentFault",
       sum(Segment(kTrue, orvane_test::Model("RegressionModel", "functionName='regression'", "",
                                             "", ""))), 1,
       "RegressionModel: RegressionTable is absent"},
  });
}

}  // namespace
