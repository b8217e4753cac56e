// The regression algorithms on tiny documents, each value worked out by hand
// (y = 0.5 through every normalisation and link: logistic 0.62246, normal
// 0.69146, cloglog 0.80770, loglog 0.54524, cauchit 0.64758, exp 1.64872).

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "algorithm_host.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"

namespace {

using orvane_plugins::Prediction;

const char kDictionary[] = R"(<PMML version="4.4"><DataDictionary>
  <DataField name="x" optype="continuous" dataType="double"/>
  <DataField name="z" optype="continuous" dataType="double"/>
  <DataField name="t" optype="continuous" dataType="double"/>
  <DataField name="c" optype="categorical" dataType="string"><Value value="a"/><Value value="b"/></DataField>
  <DataField name="n" optype="categorical" dataType="integer"><Value value="1"/><Value value="2"/></DataField>
  <DataField name="r" optype="continuous" dataType="double"/>
  <DataField name="k" optype="categorical" dataType="string"><Value value="A"/><Value value="B"/><Value value="C"/></DataField>
  <DataField name="b" optype="categorical" dataType="string"><Value value="no"/><Value value="yes"/></DataField>
  <DataField name="o" optype="ordinal" dataType="string"><Value value="lo"/><Value value="mid"/><Value value="hi"/></DataField>
</DataDictionary>)";

// A model element of `type` with `attributes`, predicting `target`.
std::string Document(const std::string& type, const std::string& target,
                     const std::string& attributes, const std::string& body) {
  return std::string(kDictionary) + "<" + type + " " + attributes +
         "><MiningSchema><MiningField name=\"" + target + "\" usageType=\"target\"/></MiningSchema>" +
         body + "</" + type + "></PMML>";
}

std::string Regression(const std::string& attributes, const std::string& body) {
  return Document("RegressionModel", "r", "functionName=\"regression\" " + attributes, body);
}

std::string Classes(const std::string& target, const std::string& method,
                    const std::string& tables) {
  return Document("RegressionModel", target,
                  "functionName=\"classification\" normalizationMethod=\"" + method + "\"", tables);
}

std::string Table(const char* category, double intercept) {
  return "<RegressionTable targetCategory=\"" + std::string(category) + "\" intercept=\"" +
         std::to_string(intercept) + "\"/>";
}

std::string Binary(const std::string& method) {
  return Classes("b", method, Table("no", 0.5) + Table("yes", 0));
}

// General regressions: parameters p0 (no cells), p1 ... as the body gives.
std::string General(const std::string& target, const std::string& attributes,
                    const std::string& body) {
  return Document("GeneralRegressionModel", target, attributes, body);
}

const char kIntercept[] =
    "<ParameterList><Parameter name=\"p0\"/></ParameterList><PPMatrix/>"
    "<ParamMatrix><PCell parameterName=\"p0\" beta=\"0.5\"/></ParamMatrix>";

std::string Link(const std::string& link) {
  return General("r", "modelType=\"generalizedLinear\" functionName=\"regression\" " + link,
                 kIntercept);
}

// x = 2, z = -1, t = 5, c = "b", n = 2.
void FillCase(orvane_test::CaseValues* values) {
  values->Set("x", new MCOrvane_600::NumericValue(2.0));
  values->Set("z", new MCOrvane_600::NumericValue(-1.0));
  values->Set("t", new MCOrvane_600::NumericValue(5.0));
  values->Set("c", new MCOrvane_600::StringValue("b"));
  values->Set("n", new MCOrvane_600::NumericValue(2.0));
}

struct ScoreCase {
  const char* name;
  std::string document;
  double value;                      // regression
  std::vector<double> probabilities; // classification, in category order
  const char* category;
};

class ScoreTest : public testing::TestWithParam<ScoreCase> {
 protected:
  orvane_test::XercesScope xerces_;
};

TEST_P(ScoreTest, PredictsTheWorkedOutValue) {
  const ScoreCase& c = GetParam();
  std::unique_ptr<orvane_test::LoadedModel> model = orvane_test::LoadedModel::FromText(c.document);
  orvane_test::CaseValues values;
  FillCase(&values);
  Prediction prediction;
  model->algorithm().Predict(values, &prediction);
  ASSERT_TRUE(prediction.valid);
  if (c.probabilities.empty()) {
    EXPECT_FALSE(prediction.is_category);
    EXPECT_NEAR(prediction.value, c.value, 1e-12);
    return;
  }
  EXPECT_TRUE(prediction.is_category);
  EXPECT_EQ(prediction.category, c.category);
  ASSERT_EQ(prediction.probabilities.size(), c.probabilities.size());
  for (size_t j = 0; j < c.probabilities.size(); ++j) {
    EXPECT_NEAR(prediction.probabilities[j].second, c.probabilities[j], 1e-12) << j;
  }
}

const char kCox[] =
    "<ParameterList><Parameter name=\"p1\" referencePoint=\"1\"/></ParameterList>"
    "<CovariateList><Predictor name=\"x\"/></CovariateList>"
    "<PPMatrix><PPCell value=\"1\" predictorName=\"x\" parameterName=\"p1\"/></PPMatrix>"
    "<ParamMatrix><PCell parameterName=\"p1\" beta=\"0.5\"/></ParamMatrix>";

INSTANTIATE_TEST_SUITE_P(
    Regression, ScoreTest,
    testing::Values(
        ScoreCase{"NumericPower",
                  Regression("", "<RegressionTable intercept=\"1\"><NumericPredictor name=\"x\" "
                                 "exponent=\"2\" coefficient=\"2\"/></RegressionTable>"),
                  9.0, {}, ""},
        ScoreCase{"Categorical",
                  Regression("", "<RegressionTable intercept=\"0.5\">"
                                 "<CategoricalPredictor name=\"c\" value=\"a\" coefficient=\"5\"/>"
                                 "<CategoricalPredictor name=\"c\" value=\"b\" coefficient=\"3\"/>"
                                 "<CategoricalPredictor name=\"n\" value=\"2\" coefficient=\"4\"/>"
                                 "</RegressionTable>"),
                  7.5, {}, ""},
        ScoreCase{"PredictorTerm",
                  Regression("", "<RegressionTable intercept=\"0\"><PredictorTerm coefficient=\"2\">"
                                 "<FieldRef field=\"x\"/><FieldRef field=\"z\"/></PredictorTerm>"
                                 "</RegressionTable>"),
                  -4.0, {}, ""},
        ScoreCase{"Softmax", Regression("normalizationMethod=\"softmax\"", Table("", 0.5)),
                  0.6224593312018546, {}, ""},
        ScoreCase{"Logit", Regression("normalizationMethod=\"logit\"", Table("", 0.5)),
                  0.6224593312018546, {}, ""},
        ScoreCase{"Exp", Regression("normalizationMethod=\"exp\"", Table("", 0.5)),
                  1.6487212707001282, {}, ""},
        ScoreCase{"Probit", Regression("normalizationMethod=\"probit\"", Table("", 0.5)),
                  0.6914624612740131, {}, ""},
        ScoreCase{"Cloglog", Regression("normalizationMethod=\"cloglog\"", Table("", 0.5)),
                  0.807704354452035, {}, ""},
        ScoreCase{"Loglog", Regression("normalizationMethod=\"loglog\"", Table("", 0.5)),
                  0.545239211892605, {}, ""},
        ScoreCase{"Cauchit", Regression("normalizationMethod=\"cauchit\"", Table("", 0.5)),
                  0.6475836176504333, {}, ""},
        ScoreCase{"ClassSoftmax",
                  Classes("k", "softmax", Table("A", 1) + Table("B", 0.5) + Table("C", 0)), 0,
                  {0.506480391055654, 0.3071958857184984, 0.18632372322584756}, "A"},
        ScoreCase{"ClassSimplemax",
                  Classes("k", "simplemax", Table("A", 1) + Table("B", 0.5) + Table("C", 0.5)), 0,
                  {0.5, 0.25, 0.25}, "A"},
        ScoreCase{"ClassNoneLastTakesTheRest",
                  Classes("k", "none", Table("A", 0.2) + Table("B", 0.3) + Table("C", 7)), 0,
                  {0.2, 0.3, 0.5}, "C"},
        ScoreCase{"BinaryLogit", Binary("logit"), 0, {0.6224593312018546, 0.3775406687981454}, "no"},
        ScoreCase{"BinaryProbit", Binary("probit"), 0, {0.6914624612740131, 0.3085375387259869}, "no"},
        ScoreCase{"BinaryCloglog", Binary("cloglog"), 0, {0.807704354452035, 0.1922956455479649}, "no"},
        ScoreCase{"BinaryLoglog", Binary("loglog"), 0, {0.545239211892605, 0.45476078810739495}, "no"},
        ScoreCase{"BinaryCauchit", Binary("cauchit"), 0, {0.6475836176504333, 0.35241638234956674}, "no"},
        ScoreCase{"OrdinalCumulative",
                  Classes("o", "logit", Table("lo", -1) + Table("mid", 1) + Table("hi", 0)), 0,
                  {0.2689414213699951, 0.4621171572600098, 0.2689414213699951}, "mid"}),
    [](const testing::TestParamInfo<ScoreCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    GeneralRegression, ScoreTest,
    testing::Values(
        ScoreCase{"GeneralLinearCells",
                  General("r", "modelType=\"generalLinear\" functionName=\"regression\"",
                          "<ParameterList><Parameter name=\"p0\"/><Parameter name=\"p1\"/>"
                          "<Parameter name=\"p2\"/><Parameter name=\"p3\"/></ParameterList>"
                          "<FactorList><Predictor name=\"c\"/></FactorList>"
                          "<CovariateList><Predictor name=\"x\"/></CovariateList><PPMatrix>"
                          "<PPCell value=\"2\" predictorName=\"x\" parameterName=\"p1\"/>"
                          "<PPCell value=\"b\" predictorName=\"c\" parameterName=\"p2\"/>"
                          "<PPCell value=\"1\" predictorName=\"x\" parameterName=\"p3\"/>"
                          "<PPCell value=\"b\" predictorName=\"c\" parameterName=\"p3\"/>"
                          "</PPMatrix><ParamMatrix><PCell parameterName=\"p0\" beta=\"1\"/>"
                          "<PCell parameterName=\"p1\" beta=\"2\"/><PCell parameterName=\"p2\" beta=\"3\"/>"
                          "<PCell parameterName=\"p3\" beta=\"4\"/></ParamMatrix>"),
                  20.0, {}, ""},
        ScoreCase{"ContrastMatrix",
                  General("r", "modelType=\"regression\" functionName=\"regression\"",
                          "<ParameterList><Parameter name=\"p0\"/><Parameter name=\"p1\"/></ParameterList>"
                          "<FactorList><Predictor name=\"c\" contrastMatrixType=\"deviation\">"
                          "<Categories><Category value=\"a\"/><Category value=\"b\"/></Categories>"
                          "<Matrix nbRows=\"2\" nbCols=\"1\"><Array type=\"real\">-1</Array>"
                          "<Array type=\"real\">1</Array></Matrix></Predictor></FactorList><PPMatrix>"
                          "<PPCell value=\"a\" predictorName=\"c\" parameterName=\"p1\"/></PPMatrix>"
                          "<ParamMatrix><PCell parameterName=\"p0\" beta=\"1\"/>"
                          "<PCell parameterName=\"p1\" beta=\"2\"/></ParamMatrix>"),
                  3.0, {}, ""},
        ScoreCase{"Identity", Link("linkFunction=\"identity\""), 0.5, {}, ""},
        ScoreCase{"LogWithTrials", Link("linkFunction=\"log\" trialsValue=\"10\""),
                  16.487212707001284, {}, ""},
        ScoreCase{"LogitWithOffset",
                  Link("linkFunction=\"logit\" offsetVariable=\"z\""),  // eta = 0.5 - 1
                  0.3775406687981454, {}, ""},
        ScoreCase{"LinkProbit", Link("linkFunction=\"probit\""), 0.6914624612740131, {}, ""},
        ScoreCase{"LinkCloglog", Link("linkFunction=\"cloglog\""), 0.807704354452035, {}, ""},
        ScoreCase{"LinkLoglog", Link("linkFunction=\"loglog\""), 0.545239211892605, {}, ""},
        ScoreCase{"LinkCauchit", Link("linkFunction=\"cauchit\""), 0.6475836176504333, {}, ""},
        ScoreCase{"Power", Link("linkFunction=\"power\" linkParameter=\"2\""), 0.7071067811865476, {}, ""},
        ScoreCase{"PowerZero", Link("linkFunction=\"power\" linkParameter=\"0\""), 1.6487212707001282, {}, ""},
        ScoreCase{"Oddspower", Link("linkFunction=\"oddspower\" linkParameter=\"0.5\""),
                  0.6097560975609756, {}, ""},
        ScoreCase{"Negbin", Link("linkFunction=\"negbin\" distParameter=\"2\""), -1.2707470412683992, {}, ""},
        ScoreCase{"Logc", Link("linkFunction=\"logc\""), -0.6487212707001282, {}, ""},
        ScoreCase{"Multinomial",
                  General("k", "modelType=\"multinomialLogistic\" functionName=\"classification\"",
                          "<ParameterList><Parameter name=\"p0\"/></ParameterList><PPMatrix/><ParamMatrix>"
                          "<PCell targetCategory=\"A\" parameterName=\"p0\" beta=\"1\"/>"
                          "<PCell targetCategory=\"B\" parameterName=\"p0\" beta=\"0.5\"/></ParamMatrix>"),
                  0, {0.506480391055654, 0.3071958857184984, 0.18632372322584756}, "A"},
        ScoreCase{"Ordinal",
                  General("o", "modelType=\"ordinalMultinomial\" functionName=\"classification\" "
                               "cumulativeLink=\"logit\"",
                          "<ParameterList><Parameter name=\"p0\"/><Parameter name=\"p1\"/></ParameterList>"
                          "<CovariateList><Predictor name=\"x\"/></CovariateList><PPMatrix>"
                          "<PPCell value=\"1\" predictorName=\"x\" parameterName=\"p1\"/></PPMatrix><ParamMatrix>"
                          "<PCell targetCategory=\"lo\" parameterName=\"p0\" beta=\"-1.5\"/>"
                          "<PCell targetCategory=\"mid\" parameterName=\"p0\" beta=\"0.5\"/>"
                          "<PCell parameterName=\"p1\" beta=\"0.25\"/></ParamMatrix>"),
                  0, {0.2689414213699951, 0.4621171572600098, 0.2689414213699951}, "mid"},
        ScoreCase{"BinaryGeneralized",
                  General("b", "modelType=\"generalizedLinear\" functionName=\"classification\" "
                               "linkFunction=\"logit\" targetReferenceCategory=\"no\"",
                          kIntercept),
                  0, {0.3775406687981454, 0.6224593312018546}, "yes"},
        ScoreCase{"CoxBaselineBeforeTime",
                  General("r", "modelType=\"CoxRegression\" functionName=\"regression\" "
                               "endTimeVariable=\"t\"",
                          std::string(kCox) + "<BaseCumHazardTables maxTime=\"10\">"
                          "<BaselineCell time=\"1\" cumHazard=\"0.1\"/><BaselineCell time=\"6\" cumHazard=\"0.6\"/>"
                          "<BaselineCell time=\"4\" cumHazard=\"0.3\"/></BaseCumHazardTables>"),
                  0.4946163812100384, {}, ""},
        ScoreCase{"CoxStrata",
                  General("r", "modelType=\"CoxRegression\" functionName=\"regression\" "
                               "endTimeVariable=\"t\" baselineStrataVariable=\"c\"",
                          std::string(kCox) + "<BaseCumHazardTables>"
                          "<BaselineStratum value=\"a\" maxTime=\"10\"><BaselineCell time=\"1\" cumHazard=\"9\"/></BaselineStratum>"
                          "<BaselineStratum value=\"b\" maxTime=\"10\"><BaselineCell time=\"4\" cumHazard=\"0.3\"/></BaselineStratum>"
                          "</BaseCumHazardTables>"),
                  0.4946163812100384, {}, ""}),
    [](const testing::TestParamInfo<ScoreCase>& info) { return std::string(info.param.name); });

// Cases that get no prediction, and the advice that says why.
struct NoPredictionCase {
  const char* name;
  std::string document;
  const char* drop;  // the input left out of the case, or ""
  int advice;
  const char* info;
};

class NoPredictionTest : public testing::TestWithParam<NoPredictionCase> {
 protected:
  orvane_test::XercesScope xerces_;
};

TEST_P(NoPredictionTest, GivesAdvice) {
  const NoPredictionCase& c = GetParam();
  std::unique_ptr<orvane_test::LoadedModel> model = orvane_test::LoadedModel::FromText(c.document);
  orvane_test::CaseValues values;
  FillCase(&values);
  if (*c.drop != '\0') values.Set(c.drop, new MCOrvane_600::NumericValue());
  Prediction prediction;
  model->algorithm().Predict(values, &prediction);
  EXPECT_FALSE(prediction.valid);
  ASSERT_EQ(prediction.advice.size(), 1u);
  EXPECT_EQ(prediction.advice[0].GetID(), c.advice);
  EXPECT_EQ(prediction.advice[0].GetInfo(), c.info);
}

INSTANTIATE_TEST_SUITE_P(
    All, NoPredictionTest,
    testing::Values(
        NoPredictionCase{"RegressionMissingPredictor",
                         Regression("", "<RegressionTable intercept=\"1\"><NumericPredictor "
                                        "name=\"x\" coefficient=\"2\"/></RegressionTable>"),
                         "x", 102, "x"},
        NoPredictionCase{"GeneralMissingOffset",
                         Link("linkFunction=\"identity\" offsetVariable=\"z\""), "z", 102, "z"},
        NoPredictionCase{"CoxAfterMaxTime",
                         General("r", "modelType=\"CoxRegression\" functionName=\"regression\" "
                                      "endTimeVariable=\"t\"",
                                 std::string(kCox) + "<BaseCumHazardTables maxTime=\"4\">"
                                 "<BaselineCell time=\"1\" cumHazard=\"0.1\"/></BaseCumHazardTables>"),
                         "", 109, "t"}),
    [](const testing::TestParamInfo<NoPredictionCase>& info) { return std::string(info.param.name); });

// Documents refused at read time.
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

INSTANTIATE_TEST_SUITE_P(
    All, RefusalTest,
    testing::Values(
        RefusalCase{"UnknownNormalization", Regression("normalizationMethod=\"odd\"", Table("", 0)),
                    5, "RegressionModel: normalizationMethod \"odd\" is not supported"},
        RefusalCase{"SimplemaxRegression", Regression("normalizationMethod=\"simplemax\"", Table("", 0)),
                    5, "RegressionModel: normalizationMethod \"simplemax\" does not apply to regression"},
        RefusalCase{"LogitOfThreeNominal",
                    Classes("k", "logit", Table("A", 1) + Table("B", 0.5) + Table("C", 0)), 5,
                    "RegressionModel: this normalizationMethod does not give probabilities of 3 "
                    "unordered categories"},
        RefusalCase{"UnknownTableChild",
                    Regression("", "<RegressionTable intercept=\"0\"><Spline/></RegressionTable>"), 5,
                    "Spline in RegressionTable is not supported"},
        RefusalCase{"UndefinedField",
                    Regression("", "<RegressionTable intercept=\"0\"><NumericPredictor name=\"q\" "
                                   "coefficient=\"1\"/></RegressionTable>"),
                    8, "NumericPredictor: field q is not defined"},
        RefusalCase{"InterceptNotANumber", Regression("", "<RegressionTable intercept=\"one\"/>"), 3,
                    "RegressionTable: attribute intercept \"one\" is not a number"},
        RefusalCase{"UnknownModelType",
                    General("r", "modelType=\"spline\" functionName=\"regression\"", kIntercept), 5,
                    "GeneralRegressionModel: modelType \"spline\" is not supported"},
        RefusalCase{"UnknownLink", Link("linkFunction=\"sqrt\""), 5,
                    "GeneralRegressionModel: linkFunction \"sqrt\" is not supported"},
        RefusalCase{"PowerWithoutParameter", Link("linkFunction=\"power\""), 4,
                    "GeneralRegressionModel: attribute linkParameter is absent"},
        RefusalCase{"UnlistedPredictor",
                    General("r", "modelType=\"regression\" functionName=\"regression\"",
                            "<ParameterList><Parameter name=\"p0\"/></ParameterList><PPMatrix>"
                            "<PPCell value=\"1\" predictorName=\"x\" parameterName=\"p0\"/></PPMatrix>"
                            "<ParamMatrix/>"),
                    1, "PPCell: predictorName x is in no FactorList or CovariateList"},
        RefusalCase{"UnknownParameter",
                    General("r", "modelType=\"regression\" functionName=\"regression\"",
                            "<ParameterList/><PPMatrix/><ParamMatrix>"
                            "<PCell parameterName=\"p9\" beta=\"1\"/></ParamMatrix>"),
                    1, "PCell: parameterName p9 is not in the ParameterList"},
        RefusalCase{"CoxWithoutEndTime",
                    General("r", "modelType=\"CoxRegression\" functionName=\"regression\"", kCox), 4,
                    "GeneralRegressionModel: attribute endTimeVariable is absent"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

}  // namespace
