// The regression algorithms on tiny documents, each value worked out by hand
// (y = 0.5 through every normalisation and link: logistic 0.62246, normal
// 0.69146, cloglog 0.80770, loglog 0.54524, cauchit 0.64758, exp 1.64872).
// Every case scores x = 2, z = -1, t = 5, c = "b", n = 2.

#include <string>
#include <vector>

#include "scored_document.h"

namespace {

using orvane_test::ExpectRefusals;
using orvane_test::Prediction;

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

const orvane_test::Inputs kCase = {{"x", "2"}, {"z", "-1"}, {"t", "5"}, {"c", "b"}, {"n", "2"}};

// A model element of `type` with `attributes`, predicting `target`.
std::string Document(const std::string& type, const std::string& target,
                     const std::string& attributes, const std::string& body) {
  return std::string(kDictionary) + "<" + type + " " + attributes +
         "><MiningSchema><MiningField name=\"" + target +
         "\" usageType=\"target\"/></MiningSchema>" + body + "</" + type + "></PMML>";
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

const char kCox[] =
    "<ParameterList><Parameter name=\"p1\" referencePoint=\"1\"/></ParameterList>"
    "<CovariateList><Predictor name=\"x\"/></CovariateList>"
    "<PPMatrix><PPCell value=\"1\" predictorName=\"x\" parameterName=\"p1\"/></PPMatrix>"
    "<ParamMatrix><PCell parameterName=\"p1\" beta=\"0.5\"/></ParamMatrix>";

std::string Cox(const std::string& attributes, const std::string& tables) {
  return General("r", "modelType=\"CoxRegression\" functionName=\"regression\" " + attributes,
                 kCox + tables);
}

struct ScoreCase {
  const char* name;
  std::string document;
  double value;                            // regression
  std::vector<double> probabilities = {};  // classification, in category order
  const char* category = "";
};

void ExpectScores(const std::vector<ScoreCase>& cases) {
  for (const ScoreCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Prediction p = orvane_test::ScoreDocument(c.document, kCase);
    EXPECT_TRUE(p.valid);
    EXPECT_EQ(p.is_category, !c.probabilities.empty());
    if (c.probabilities.empty()) orvane_test::ExpectClose(p.value, c.value);
    EXPECT_EQ(p.category, c.category);
    orvane_test::ExpectDistribution(p.probabilities, c.probabilities);
  }
}

TEST(RegressionModel, PredictsTheWorkedOutValues) {
  ExpectScores({
      {"NumericPower", Regression("", "<RegressionTable intercept=\"1\"><NumericPredictor "
                                      "name=\"x\" exponent=\"2\" coefficient=\"2\"/></RegressionTable>"),
       9.0},
      {"Categorical",
       Regression("", "<RegressionTable intercept=\"0.5\">"
                      "<CategoricalPredictor name=\"c\" value=\"a\" coefficient=\"5\"/>"
                      "<CategoricalPredictor name=\"c\" value=\"b\" coefficient=\"3\"/>"
                      "<CategoricalPredictor name=\"n\" value=\"2\" coefficient=\"4\"/>"
                      "</RegressionTable>"),
       7.5},
      {"PredictorTerm",
       Regression("", "<RegressionTable intercept=\"0\"><PredictorTerm coefficient=\"2\">"
                      "<FieldRef field=\"x\"/><FieldRef field=\"z\"/></PredictorTerm>"
                      "</RegressionTable>"),
       -4.0},
      {"Softmax", Regression("normalizationMethod=\"softmax\"", Table("", 0.5)), 0.6224593312018546},
      {"Logit", Regression("normalizationMethod=\"logit\"", Table("", 0.5)), 0.6224593312018546},
      {"Exp", Regression("normalizationMethod=\"exp\"", Table("", 0.5)), 1.6487212707001282},
      {"Probit", Regression("normalizationMethod=\"probit\"", Table("", 0.5)), 0.6914624612740131},
      {"Cloglog", Regression("normalizationMethod=\"cloglog\"", Table("", 0.5)), 0.807704354452035},
      {"Loglog", Regression("normalizationMethod=\"loglog\"", Table("", 0.5)), 0.545239211892605},
      {"Cauchit", Regression("normalizationMethod=\"cauchit\"", Table("", 0.5)), 0.6475836176504333},
      {"ClassSoftmax", Classes("k", "softmax", Table("A", 1) + Table("B", 0.5) + Table("C", 0)), 0,
       {0.506480391055654, 0.3071958857184984, 0.18632372322584756}, "A"},
      {"ClassSimplemax", Classes("k", "simplemax", Table("A", 1) + Table("B", 0.5) + Table("C", 0.5)),
       0, {0.5, 0.25, 0.25}, "A"},
      {"ClassNoneLastTakesTheRest",
       Classes("k", "none", Table("A", 0.2) + Table("B", 0.3) + Table("C", 7)), 0, {0.2, 0.3, 0.5},
       "C"},
      {"BinaryLogit", Binary("logit"), 0, {0.6224593312018546, 0.3775406687981454}, "no"},
      {"BinaryProbit", Binary("probit"), 0, {0.6914624612740131, 0.3085375387259869}, "no"},
      {"BinaryCloglog", Binary("cloglog"), 0, {0.807704354452035, 0.1922956455479649}, "no"},
      {"BinaryLoglog", Binary("loglog"), 0, {0.545239211892605, 0.45476078810739495}, "no"},
      {"BinaryCauchit", Binary("cauchit"), 0, {0.6475836176504333, 0.35241638234956674}, "no"},
      {"OrdinalCumulative", Classes("o", "logit", Table("lo", -1) + Table("mid", 1) + Table("hi", 0)),
       0, {0.2689414213699951, 0.4621171572600098, 0.2689414213699951}, "mid"},
  });
}

TEST(GeneralRegressionModel, PredictsTheWorkedOutValues) {
  ExpectScores({
      {"GeneralLinearCells",
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
       20.0},
      {"ContrastMatrix",
       General("r", "modelType=\"regression\" functionName=\"regression\"",
               "<ParameterList><Parameter name=\"p0\"/><Parameter name=\"p1\"/></ParameterList>"
               "<FactorList><Predictor name=\"c\" contrastMatrixType=\"deviation\">"
               "<Categories><Category value=\"a\"/><Category value=\"b\"/></Categories>"
               "<Matrix nbRows=\"2\" nbCols=\"1\"><Array type=\"real\">-1</Array>"
               "<Array type=\"real\">1</Array></Matrix></Predictor></FactorList><PPMatrix>"
               "<PPCell value=\"a\" predictorName=\"c\" parameterName=\"p1\"/></PPMatrix>"
               "<ParamMatrix><PCell parameterName=\"p0\" beta=\"1\"/>"
               "<PCell parameterName=\"p1\" beta=\"2\"/></ParamMatrix>"),
       3.0},
      {"Identity", Link("linkFunction=\"identity\""), 0.5},
      {"LogWithTrials", Link("linkFunction=\"log\" trialsValue=\"10\""), 16.487212707001284},
      // eta = 0.5 - 1
      {"LogitWithOffset", Link("linkFunction=\"logit\" offsetVariable=\"z\""), 0.3775406687981454},
      {"LinkProbit", Link("linkFunction=\"probit\""), 0.6914624612740131},
      {"LinkCloglog", Link("linkFunction=\"cloglog\""), 0.807704354452035},
      {"LinkLoglog", Link("linkFunction=\"loglog\""), 0.545239211892605},
      {"LinkCauchit", Link("linkFunction=\"cauchit\""), 0.6475836176504333},
      {"Power", Link("linkFunction=\"power\" linkParameter=\"2\""), 0.7071067811865476},
      {"PowerZero", Link("linkFunction=\"power\" linkParameter=\"0\""), 1.6487212707001282},
      {"Oddspower", Link("linkFunction=\"oddspower\" linkParameter=\"0.5\""), 0.6097560975609756},
      {"Negbin", Link("linkFunction=\"negbin\" distParameter=\"2\""), -1.2707470412683992},
      {"Logc", Link("linkFunction=\"logc\""), -0.6487212707001282},
      {"Multinomial",
       General("k", "modelType=\"multinomialLogistic\" functionName=\"classification\"",
               "<ParameterList><Parameter name=\"p0\"/></ParameterList><PPMatrix/><ParamMatrix>"
               "<PCell targetCategory=\"A\" parameterName=\"p0\" beta=\"1\"/>"
               "<PCell targetCategory=\"B\" parameterName=\"p0\" beta=\"0.5\"/></ParamMatrix>"),
       0, {0.506480391055654, 0.3071958857184984, 0.18632372322584756}, "A"},
      {"Ordinal",
       General("o", "modelType=\"ordinalMultinomial\" functionName=\"classification\" "
                    "cumulativeLink=\"logit\"",
               "<ParameterList><Parameter name=\"p0\"/><Parameter name=\"p1\"/></ParameterList>"
               "<CovariateList><Predictor name=\"x\"/></CovariateList><PPMatrix>"
               "<PPCell value=\"1\" predictorName=\"x\" parameterName=\"p1\"/></PPMatrix>"
               "<ParamMatrix><PCell targetCategory=\"lo\" parameterName=\"p0\" beta=\"-1.5\"/>"
               "<PCell targetCategory=\"mid\" parameterName=\"p0\" beta=\"0.5\"/>"
               "<PCell parameterName=\"p1\" beta=\"0.25\"/></ParamMatrix>"),
       0, {0.2689414213699951, 0.4621171572600098, 0.2689414213699951}, "mid"},
      {"BinaryGeneralized",
       General("b", "modelType=\"generalizedLinear\" functionName=\"classification\" "
                    "linkFunction=\"logit\" targetReferenceCategory=\"no\"",
               kIntercept),
       0, {0.3775406687981454, 0.6224593312018546}, "yes"},
      {"CoxBaselineBeforeTime",
       Cox("endTimeVariable=\"t\"",
           "<BaseCumHazardTables maxTime=\"10\"><BaselineCell time=\"1\" cumHazard=\"0.1\"/>"
           "<BaselineCell time=\"6\" cumHazard=\"0.6\"/><BaselineCell time=\"4\" cumHazard=\"0.3\"/>"
           "</BaseCumHazardTables>"),
       0.4946163812100384},
      {"CoxStrata",
       Cox("endTimeVariable=\"t\" baselineStrataVariable=\"c\"",
           "<BaseCumHazardTables><BaselineStratum value=\"a\" maxTime=\"10\">"
           "<BaselineCell time=\"1\" cumHazard=\"9\"/></BaselineStratum>"
           "<BaselineStratum value=\"b\" maxTime=\"10\"><BaselineCell time=\"4\" cumHazard=\"0.3\"/>"
           "</BaselineStratum></BaseCumHazardTables>"),
       0.4946163812100384},
  });
}

TEST(RegressionAlgorithms, NoPredictionGivesAdvice) {
  struct Case {
    const char* name;
    std::string document;
    const char* drop;  // the input left out of the case, or ""
    int advice;
    const char* info;
  };
  const Case kCases[] = {
      {"RegressionMissingPredictor",
       Regression("", "<RegressionTable intercept=\"1\"><NumericPredictor "
                      "name=\"x\" coefficient=\"2\"/></RegressionTable>"),
       "x", 102, "x"},
      {"GeneralMissingOffset", Link("linkFunction=\"identity\" offsetVariable=\"z\""), "z", 102, "z"},
      {"CoxAfterMaxTime",
       Cox("endTimeVariable=\"t\"", "<BaseCumHazardTables maxTime=\"4\">"
                                    "<BaselineCell time=\"1\" cumHazard=\"0.1\"/></BaseCumHazardTables>"),
       "", 109, "t"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    orvane_test::Inputs inputs = kCase;
    inputs.erase(c.drop);
    orvane_test::ExpectNoPrediction(orvane_test::ScoreDocument(c.document, inputs), c.advice,
                                    {c.info});
  }
}

TEST(RegressionAlgorithms, RefusesWhatTheyCannotScore) {
  ExpectRefusals({
      {"UnknownNormalization", Regression("normalizationMethod=\"odd\"", Table("", 0)), 5,
       "RegressionModel: normalizationMethod \"odd\" is not supported"},
      {"SimplemaxRegression", Regression("normalizationMethod=\"simplemax\"", Table("", 0)), 5,
       "RegressionModel: normalizationMethod \"simplemax\" does not apply to regression"},
      {"LogitOfThreeNominal", Classes("k", "logit", Table("A", 1) + Table("B", 0.5) + Table("C", 0)),
       5,
       "RegressionModel: this normalizationMethod does not give probabilities of 3 unordered "
       "categories"},
      {"UnknownTableChild",
       Regression("", "<RegressionTable intercept=\"0\"><Spline/></RegressionTable>"), 5,
       "Spline in RegressionTable is not supported"},
      {"UndefinedField",
       Regression("", "<RegressionTable intercept=\"0\"><NumericPredictor name=\"q\" "
                      "coefficient=\"1\"/></RegressionTable>"),
       8, "NumericPredictor: field q is not defined"},
      {"InterceptNotANumber", Regression("", "<RegressionTable intercept=\"one\"/>"), 3,
       "RegressionTable: attribute intercept \"one\" is not a number"},
      {"UnknownModelType",
       General("r", "modelType=\"spline\" functionName=\"regression\"", kIntercept), 5,
       "GeneralRegressionModel: modelType \"spline\" is not supported"},
      {"UnknownLink", Link("linkFunction=\"sqrt\""), 5,
       "GeneralRegressionModel: linkFunction \"sqrt\" is not supported"},
      {"PowerWithoutParameter", Link("linkFunction=\"power\""), 4,
       "GeneralRegressionModel: attribute linkParameter is absent"},
      {"UnlistedPredictor",
       General("r", "modelType=\"regression\" functionName=\"regression\"",
               "<ParameterList><Parameter name=\"p0\"/></ParameterList><PPMatrix>"
               "<PPCell value=\"1\" predictorName=\"x\" parameterName=\"p0\"/></PPMatrix>"
               "<ParamMatrix/>"),
       1, "PPCell: predictorName x is in no FactorList or CovariateList"},
      {"UnknownParameter",
       General("r", "modelType=\"regression\" functionName=\"regression\"",
               "<ParameterList/><PPMatrix/><ParamMatrix>"
               "<PCell parameterName=\"p9\" beta=\"1\"/></ParamMatrix>"),
       1, "PCell: parameterName p9 is not in the ParameterList"},
      {"CoxWithoutEndTime", Cox("", ""), 4,
       "GeneralRegressionModel: attribute endTimeVariable is absent"},
  });
}

}  // namespace
