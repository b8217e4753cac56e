// The MiningModel algorithm on small documents whose segments are
// intercept-only regressions (a fixed number, or through simplemax a fixed
// distribution over A, B, C), read through the real plug-ins. A segment "of
// x" also reads x, so it has no prediction when x is missing.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../regression/algorithm_host.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"

namespace {

using orvane_plugins::Prediction;

const char kDictionary[] = R"(<PMML version="4.4"><DataDictionary>
  <DataField name="x" optype="continuous" dataType="double"/>
  <DataField name="y" optype="continuous" dataType="double"/>
  <DataField name="s1" optype="continuous" dataType="double"/>
  <DataField name="r" optype="continuous" dataType="double"/>
  <DataField name="k" optype="categorical" dataType="string"><Value value="A"/><Value value="B"/><Value value="C"/></DataField>
</DataDictionary>)";

const char kTrue[] = "<True/>";
const char kFalse[] = "<False/>";

std::string Simple(const char* field, const char* op, double value) {
  return "<SimplePredicate field=\"" + std::string(field) + "\" operator=\"" + op +
         "\" value=\"" + std::to_string(value) + "\"/>";
}

std::string Segment(const std::string& predicate, const std::string& model, double weight = 1.0) {
  return "<Segment weight=\"" + std::to_string(weight) + "\">" + predicate + model + "</Segment>";
}

std::string Number(double value, const std::string& more = "") {
  return "<RegressionModel functionName=\"regression\"><MiningSchema/>" + more +
         "<RegressionTable intercept=\"" + std::to_string(value) + "\"/></RegressionModel>";
}

std::string NumberOfX(double value) {
  return "<RegressionModel functionName=\"regression\"><MiningSchema/><RegressionTable intercept=\"" +
         std::to_string(value) +
         "\"><NumericPredictor name=\"x\" coefficient=\"0\"/></RegressionTable></RegressionModel>";
}

std::string Distribution(double a, double b, double c, bool of_x = false) {
  const std::string x = of_x ? "<NumericPredictor name=\"x\" coefficient=\"0\"/>" : "";
  auto table = [&x](const char* category, double p) {
    return "<RegressionTable targetCategory=\"" + std::string(category) + "\" intercept=\"" +
           std::to_string(p) + "\">" + x + "</RegressionTable>";
  };
  return "<RegressionModel functionName=\"classification\" normalizationMethod=\"simplemax\">"
         "<MiningSchema/>" +
         table("A", a) + table("B", b) + table("C", c) + "</RegressionModel>";
}

std::string Model(const char* function, const std::string& segmentation_attributes,
                  const std::string& segments) {
  return std::string("<MiningModel functionName=\"") + function +
         "\"><MiningSchema><MiningField name=\"" + (std::string(function) == "regression" ? "r" : "k") +
         "\" usageType=\"target\"/></MiningSchema><Segmentation " + segmentation_attributes + ">" +
         segments + "</Segmentation></MiningModel>";
}

std::string Regression(const std::string& attributes, const std::string& segments) {
  return std::string(kDictionary) + Model("regression", attributes, segments) + "</PMML>";
}

std::string Classes(const std::string& attributes, const std::string& segments) {
  return std::string(kDictionary) + Model("classification", attributes, segments) + "</PMML>";
}

std::string Method(const char* method, const char* more = "") {
  return "multipleModelMethod=\"" + std::string(method) + "\" " + more;
}

// Three numbers 1, 2, 6 with the given weights.
std::string OneTwoSix(double w1 = 1, double w2 = 1, double w3 = 1) {
  return Segment(kTrue, Number(1), w1) + Segment(kTrue, Number(2), w2) +
         Segment(kTrue, Number(6), w3);
}

struct ScoreCase {
  const char* name;
  std::string document;
  bool x_missing;
  bool valid;
  double value;                        // regression
  std::vector<double> probabilities;   // classification: A, B, C
  const char* category;
};

class ScoreTest : public testing::TestWithParam<ScoreCase> {
 protected:
  orvane_test::XercesScope xerces_;
};

TEST_P(ScoreTest, CombinesTheSegments) {
  const ScoreCase& c = GetParam();
  std::unique_ptr<orvane_test::LoadedModel> model = orvane_test::LoadedModel::FromText(c.document);
  orvane_test::CaseValues values;
  if (!c.x_missing) values.Set("x", new MCOrvane_600::NumericValue(2.0));
  Prediction prediction;
  model->algorithm().Predict(values, &prediction);  // y is missing in every case
  ASSERT_EQ(prediction.valid, c.valid);
  if (!c.valid) {
    ASSERT_FALSE(prediction.advice.empty());
    EXPECT_EQ(prediction.advice.back().GetID(), 103);
    return;
  }
  if (c.probabilities.empty()) {
    EXPECT_FALSE(prediction.is_category);
    EXPECT_NEAR(prediction.value, c.value, 1e-12);
    return;
  }
  EXPECT_TRUE(prediction.is_category);
  EXPECT_EQ(prediction.category, c.category);
  ASSERT_EQ(prediction.probabilities.size(), c.probabilities.size());
  const char* order[] = {"A", "B", "C"};
  for (size_t j = 0; j < c.probabilities.size(); ++j) {
    EXPECT_EQ(prediction.probabilities[j].first, order[j]);
    EXPECT_NEAR(prediction.probabilities[j].second, c.probabilities[j], 1e-12) << j;
  }
}

const std::string kChain =
    Segment(kTrue, Number(4, "<Output><OutputField name=\"s1\" feature=\"predictedValue\"/></Output>")) +
    Segment(Simple("s1", "greaterThan", 3),
            "<RegressionModel functionName=\"regression\"><MiningSchema/><RegressionTable "
            "intercept=\"1\"><NumericPredictor name=\"s1\" coefficient=\"2\"/></RegressionTable>"
            "</RegressionModel>") +
    Segment(kFalse, Number(100));

const std::string kOneMissing = Segment(kTrue, Number(1)) + Segment(kTrue, Number(2)) +
                                Segment(kTrue, NumberOfX(50));

const ScoreCase kCases[] = {
    {"average", Regression(Method("average"), OneTwoSix()), false, true, 3, {}, ""},
    {"weightedAverage", Regression(Method("weightedAverage"), OneTwoSix(1, 1, 2)), false, true, 3.75, {}, ""},
    {"median", Regression(Method("median"), OneTwoSix()), false, true, 2, {}, ""},
    {"medianOfFour", Regression(Method("median"), OneTwoSix() + Segment(kTrue, Number(10))), false, true, 4, {}, ""},
    {"weightedMedian", Regression(Method("weightedMedian"), OneTwoSix(1, 1, 3)), false, true, 6, {}, ""},
    {"weightedMedianBetween", Regression(Method("weightedMedian"), OneTwoSix(2, 1, 1)), false, true, 1.5, {}, ""},
    {"max", Regression(Method("max"), OneTwoSix()), false, true, 6, {}, ""},
    {"sum", Regression(Method("sum"), OneTwoSix()), false, true, 9, {}, ""},
    {"weightedSum", Regression(Method("weightedSum"), OneTwoSix(1, 1, 2)), false, true, 15, {}, ""},
    {"unweightedIgnoresWeights", Regression(Method("sum"), OneTwoSix(1, 1, 2)), false, true, 9, {}, ""},
    {"falseAndUnknownSelectNothing",
     Regression(Method("average"), Segment(kFalse, Number(1)) + Segment(Simple("y", "lessThan", 1), Number(2)) +
                                       Segment(Simple("x", "lessThan", 5), Number(6)) + Segment(kTrue, Number(10))),
     false, true, 8, {}, ""},
    {"selectFirst",
     Regression(Method("selectFirst"), Segment(kFalse, Number(1)) + Segment(Simple("y", "greaterThan", 0), Number(2)) +
                                           Segment(Simple("x", "lessThan", 5), Number(6)) + Segment(kTrue, Number(10))),
     false, true, 6, {}, ""},
    {"selectFirstNone", Regression(Method("selectFirst"), Segment(kFalse, Number(1))), false, false, 0, {}, ""},
    {"modelChain", Regression(Method("modelChain"), kChain), false, true, 9, {}, ""},
    {"nested",
     Regression(Method("average"),
                Segment(kTrue, Model("regression", Method("sum"), Segment(kTrue, Number(1)) + Segment(kTrue, Number(2)))) +
                    Segment(kTrue, Number(6))),
     false, true, 4.5, {}, ""},
    {"continueDefault", Regression(Method("average"), kOneMissing), true, false, 0, {}, ""},
    {"returnMissing", Regression(Method("sum", "missingPredictionTreatment=\"returnMissing\""), kOneMissing), true, false, 0, {}, ""},
    {"skipSegment", Regression(Method("average", "missingPredictionTreatment=\"skipSegment\""), kOneMissing), true, true, 1.5, {}, ""},
    {"skipSegmentBelowThreshold",
     Regression(Method("sum", "missingPredictionTreatment=\"skipSegment\" missingThreshold=\"0.5\""), kOneMissing), true,
     true, 3, {}, ""},
    {"skipSegmentAboveThreshold",
     Regression(Method("sum", "missingPredictionTreatment=\"skipSegment\" missingThreshold=\"0.3\""), kOneMissing), true,
     false, 0, {}, ""},
    {"skipSegmentAllMissing",
     Regression(Method("sum", "missingPredictionTreatment=\"skipSegment\""), Segment(kTrue, NumberOfX(1))), true, false, 0,
     {}, ""},
    {"nothingSelected", Regression(Method("sum"), Segment(kFalse, Number(1))), false, false, 0, {}, ""},

    {"majorityVote",
     Classes(Method("majorityVote"), Segment(kTrue, Distribution(0.6, 0.3, 0.1)) + Segment(kTrue, Distribution(0.1, 0.5, 0.4)) +
                                         Segment(kTrue, Distribution(0.2, 0.7, 0.1))),
     false, true, 0, {1.0 / 3, 2.0 / 3, 0}, "B"},
    {"weightedMajorityVote",
     Classes(Method("weightedMajorityVote"), Segment(kTrue, Distribution(0.6, 0.3, 0.1), 3) +
                                                 Segment(kTrue, Distribution(0.1, 0.5, 0.4)) +
                                                 Segment(kTrue, Distribution(0.2, 0.7, 0.1))),
     false, true, 0, {0.6, 0.4, 0}, "A"},
    {"voteTieGoesToDictionaryOrder",
     Classes(Method("majorityVote"), Segment(kTrue, Distribution(0.1, 0.1, 0.8)) + Segment(kTrue, Distribution(0.1, 0.8, 0.1))),
     false, true, 0, {0, 0.5, 0.5}, "B"},
    {"voteContinueMissingWins",
     Classes(Method("majorityVote"), Segment(kTrue, Distribution(0.6, 0.3, 0.1)) +
                                         Segment(kTrue, Distribution(0.6, 0.3, 0.1, true)) +
                                         Segment(kTrue, Distribution(0.6, 0.3, 0.1, true))),
     true, false, 0, {}, ""},
    {"voteContinueMissingTakesItsShare",
     Classes(Method("majorityVote"), Segment(kTrue, Distribution(0.6, 0.3, 0.1)) +
                                         Segment(kTrue, Distribution(0.6, 0.3, 0.1)) +
                                         Segment(kTrue, Distribution(0.6, 0.3, 0.1, true))),
     true, true, 0, {2.0 / 3, 0, 0}, "A"},
    {"classes_average",
     Classes(Method("average"), Segment(kTrue, Distribution(0.6, 0.3, 0.1)) + Segment(kTrue, Distribution(0.1, 0.5, 0.4))),
     false, true, 0, {0.35, 0.4, 0.25}, "B"},
    {"classes_weightedAverage",
     Classes(Method("weightedAverage"),
             Segment(kTrue, Distribution(0.6, 0.3, 0.1), 3) + Segment(kTrue, Distribution(0.1, 0.5, 0.4))),
     false, true, 0, {0.475, 0.35, 0.175}, "A"},
    {"classes_median",
     Classes(Method("median"), Segment(kTrue, Distribution(0.6, 0.3, 0.1)) + Segment(kTrue, Distribution(0.1, 0.5, 0.4)) +
                                   Segment(kTrue, Distribution(0.2, 0.2, 0.6))),
     false, true, 0, {0.2, 0.3, 0.4}, "C"},
    {"maxFirstOfEqualSegments",
     Classes(Method("max"), Segment(kTrue, Distribution(0.5, 0.25, 0.25)) +
                                Segment(kTrue, Distribution(0.125, 0.125, 0.75)) +
                                Segment(kTrue, Distribution(0.75, 0.125, 0.125))),
     false, true, 0, {0.125, 0.125, 0.75}, "C"},
    {"maxAveragesTheSegmentsThatGiveIt",
     Classes(Method("max"), Segment(kTrue, Distribution(0.2, 0.1, 0.7)) + Segment(kTrue, Distribution(0.1, 0.2, 0.7))),
     false, true, 0, {0.15, 0.15, 0.7}, "C"},
    {"selectFirstPassesThrough",
     Classes(Method("selectFirst"), Segment(kFalse, Distribution(0.6, 0.3, 0.1)) +
                                        Segment(kTrue, Distribution(0.1, 0.5, 0.4))),
     false, true, 0, {0.1, 0.5, 0.4}, "B"},
};

INSTANTIATE_TEST_SUITE_P(Mining, ScoreTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ScoreCase>& info) { return std::string(info.param.name); });

struct RefusalCase {
  const char* name;
  std::string document;
  int code;
  const char* message;
};

class RefusalTest : public testing::TestWithParam<RefusalCase> {
 protected:
  orvane_test::XercesScope xerces_;
};

TEST_P(RefusalTest, NamesTheElement) {
  const RefusalCase& c = GetParam();
  try {
    orvane_test::LoadedModel::FromText(c.document);
    FAIL() << "read";
  } catch (const MCOrvane_600::OVException& e) {
    EXPECT_EQ(e.GetErrorCode(), c.code);
    EXPECT_EQ(e.GetErrorMessage(), c.message);
  }
}

const std::string kOne = Segment(kTrue, Number(1));

const RefusalCase kRefusals[] = {
    {"clustering",
     std::string(kDictionary) + "<MiningModel functionName=\"clustering\"><MiningSchema/><Segmentation " +
         Method("majorityVote") + ">" + kOne + "</Segmentation></MiningModel></PMML>",
     5, "MiningModel: functionName \"clustering\" is not supported"},
    {"selectAll", Regression(Method("selectAll"), kOne), 5,
     "Segmentation: multipleModelMethod \"selectAll\" gives no single prediction"},
    {"unknownMethod", Regression(Method("vote"), kOne), 5,
     "Segmentation: multipleModelMethod \"vote\" is not supported"},
    {"sumOfClasses", Classes(Method("sum"), kOne), 5,
     "Segmentation: multipleModelMethod \"sum\" does not apply to classification"},
    {"voteOfNumbers", Regression(Method("majorityVote"), kOne), 5,
     "Segmentation: multipleModelMethod \"majorityVote\" does not apply to regression"},
    {"methodAbsent", Regression("", kOne), 4, "Segmentation: attribute multipleModelMethod is absent"},
    {"treatment", Regression(Method("sum", "missingPredictionTreatment=\"guess\""), kOne), 5,
     "Segmentation: missingPredictionTreatment \"guess\" is not supported"},
    {"threshold", Regression(Method("sum", "missingThreshold=\"1.5\""), kOne), 6,
     "Segmentation: missingThreshold is not between 0 and 1"},
    {"noSegment", Regression(Method("sum"), ""), 1, "Segmentation: Segment is absent"},
    {"noPredicate", Regression(Method("sum"), "<Segment>" + Number(1) + "</Segment>"), 1,
     "Segment: predicate is absent"},
    {"noModel", Regression(Method("sum"), "<Segment><True/></Segment>"), 1, "Segment: model is absent"},
    {"twoModels", Regression(Method("sum"), "<Segment><True/>" + Number(1) + Number(2) + "</Segment>"), 1,
     "Segment: more than one model (RegressionModel)"},
    {"negativeWeight", Regression(Method("weightedSum"), Segment(kTrue, Number(1), -1)), 6,
     "Segment: weight is negative"},
    {"variableWeight",
     Regression(Method("sum"), "<Segment><True/><VariableWeight field=\"x\"/>" + Number(1) + "</Segment>"), 5,
     "VariableWeight in Segment is not supported"},
    {"segmentationTransformations", Regression(Method("sum"), "<LocalTransformations/>" + kOne), 5,
     "LocalTransformations in Segmentation is not supported"},
    {"noSegmentation",
     std::string(kDictionary) + "<MiningModel functionName=\"regression\"><MiningSchema/></MiningModel></PMML>", 1,
     "MiningModel: Segmentation is absent"},
    {"embeddedRegression",
     std::string(kDictionary) + "<MiningModel functionName=\"regression\"><MiningSchema/><Regression/>"
                                "</MiningModel></PMML>",
     5, "Regression in MiningModel is not supported"},
    {"segmentFault", Regression(Method("sum"), Segment(kTrue, "<RegressionModel functionName=\"regression\"/>")), 1,
     "RegressionModel: RegressionTable is absent"},
};

INSTANTIATE_TEST_SUITE_P(Mining, RefusalTest, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

}  // namespace
