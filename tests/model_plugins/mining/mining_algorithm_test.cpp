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
  struct Case {
    const char* name;
    std::string document;
    bool x_missing;
    double value;  // kNone: no prediction
  };
  const std::string chain =
      Segment(kTrue, Number(4, false, "<Output><OutputField name='s1' "
                                      "feature='predictedValue'/></Output>")) +
      Segment(Simple("s1", "greaterThan", 3),
              orvane_test::Model("RegressionModel", "functionName='regression'", "", "",
                                 "<RegressionTable intercept='1'><NumericPredictor name='s1' "
                                 "coefficient='2'/></RegressionTable>")) +
      Segment(kFalse, Number(100));
  const std::string some_of_x = Three(Number(1), Number(2), Number(50, true));
  const std::string skip = "missingPredictionTreatment='skipSegment' ";
  const Case kCases[] = {
      {"median", Regression(Method("median"), OneTwoSix()), false, 2},
      {"medianOfFour", Regression(Method("median"), OneTwoSix() + Segment(kTrue, Number(10))),
       false, 4},
      {"weightedMedian", Regression(Method("weightedMedian"), OneTwoSix(1, 1, 3)), false, 6},
      {"weightedMedianBetween", Regression(Method("weightedMedian"), OneTwoSix(2, 1, 1)), false,
       1.5},
      {"max", Regression(Method("max"), OneTwoSix()), false, 6},
      {"weightedSum", Regression(Method("weightedSum"), OneTwoSix(1, 1, 2)), false, 15},
      {"unweightedIgnoresWeights", Regression(Method("sum"), OneTwoSix(1, 1, 2)), false, 9},
      {"falseAndUnknownSelectNothing",
       Regression(Method("average"), Segment(kFalse, Number(1)) +
                                         Segment(Simple("y", "lessThan", 1), Number(2)) +
                                         Segment(Simple("x", "lessThan", 5), Number(6)) +
                                         Segment(kTrue, Number(10))),
       false, 8},
      {"selectFirst",
       Regression(Method("selectFirst"), Segment(kFalse, Number(1)) +
                                             Segment(Simple("y", "greaterThan", 0), Number(2)) +
                                             Segment(Simple("x", "lessThan", 5), Number(6)) +
                                             Segment(kTrue, Number(10))),
       false, 6},
      {"selectFirstNone", Regression(Method("selectFirst"), Segment(kFalse, Number(1))), false,
       kNone},
      {"modelChain", Regression(Method("modelChain"), chain), false, 9},
      {"nested",
       Regression(Method("average"),
                  Segment(kTrue, Mining("regression", Method("sum"),
                                        Segment(kTrue, Number(1)) + Segment(kTrue, Number(2)))) +
                      Segment(kTrue, Number(6))),
       false, 4.5},
      {"continueDefault", Regression(Method("average"), some_of_x), true, kNone},
      {"returnMissing",
       Regression(Method("sum", "missingPredictionTreatment='returnMissing'"), some_of_x), true,
       kNone},
      {"skipSegment", Regression(Method("average", skip), some_of_x), true, 1.5},
      {"skipSegmentBelowThreshold",
       Regression(Method("sum", skip + "missingThreshold='0.5'"), some_of_x), true, 3},
      {"skipSegmentAboveThreshold",
       Regression(Method("sum", skip + "missingThreshold='0.3'"), some_of_x), true, kNone},
      {"skipSegmentAllMissing",
       Regression(Method("sum", skip), Segment(kTrue, Number(1, true))), true, kNone},
      {"nothingSelected", Regression(Method("sum"), Segment(kFalse, Number(1))), false, kNone},
  };
  for (const Case& c : kCases) {
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
  struct Case {
    const char* name;
    std::string document;
    bool x_missing;
    std::vector<double> probabilities;  // A, B, C
    const char* category;               // "": no prediction
  };
  const std::string d631 = Distribution(0.6, 0.3, 0.1);
  const std::string d154 = Distribution(0.1, 0.5, 0.4);
  const std::string d271 = Distribution(0.2, 0.7, 0.1);
  const std::string d631_of_x = Distribution(0.6, 0.3, 0.1, true);
  const Case kCases[] = {
      {"weightedMajorityVote", Classes(Method("weightedMajorityVote"), Three(d631, d154, d271, 3)),
       false, {0.6, 0.4, 0}, "A"},
      {"voteTieGoesToDictionaryOrder",
       Classes(Method("majorityVote"), Segment(kTrue, Distribution(0.1, 0.1, 0.8)) +
                                           Segment(kTrue, Distribution(0.1, 0.8, 0.1))),
       false, {0, 0.5, 0.5}, "B"},
      {"voteContinueMissingWins",
       Classes(Method("majorityVote"), Three(d631, d631_of_x, d631_of_x)), true, {}, ""},
      {"voteContinueMissingTakesItsShare",
       Classes(Method("majorityVote"), Three(d631, d631, d631_of_x)), true, {2.0 / 3, 0, 0}, "A"},
      {"average", Classes(Method("average"), Segment(kTrue, d631) + Segment(kTrue, d154)), false,
       {0.35, 0.4, 0.25}, "B"},
      {"weightedAverage",
       Classes(Method("weightedAverage"), Segment(kTrue, d631, 3) + Segment(kTrue, d154)), false,
       {0.475, 0.35, 0.175}, "A"},
      {"median", Classes(Method("median"), Three(d631, d154, Distribution(0.2, 0.2, 0.6))), false,
       {0.2, 0.3, 0.4}, "C"},
      {"maxFirstOfEqualSegments",
       Classes(Method("max"), Three(Distribution(0.5, 0.25, 0.25), Distribution(0.125, 0.125, 0.75),
                                    Distribution(0.75, 0.125, 0.125))),
       false, {0.125, 0.125, 0.75}, "C"},
      {"maxAveragesTheSegmentsThatGiveIt",
       Classes(Method("max"), Segment(kTrue, Distribution(0.2, 0.1, 0.7)) +
                                  Segment(kTrue, Distribution(0.1, 0.2, 0.7))),
       false, {0.15, 0.15, 0.7}, "C"},
      {"selectFirstPassesThrough",
       Classes(Method("selectFirst"), Segment(kFalse, d631) + Segment(kTrue, d154)), false,
       {0.1, 0.5, 0.4}, "B"},
  };
  for (const Case& c : kCases) {
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
