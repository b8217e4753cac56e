// The regression algorithms on tiny documents, each value worked out by hand
// (y = 0.5 through every normalisation and link: logistic 0.62246, normal
// 0.69146, cloglog 0.80770, loglog 0.54524, cauchit 0.64758, exp 1.64872).
// Every case scores x = 2, z = -1, t = 5, c = "b", n = 2.

#include <string>
#include <vector>

#include "scored_document.h"

namespace {

using orvane_test::Prediction;

const orvane_test::Inputs kCase = {{"x", "2"}, {"z", "-1"}, {"t", "5"}, {"c", "b"}, {"n", "2"}};

std::string Document(const std::string& type, const std::string& target,
                     const std::string& attributes, const std::string& body) {
  return orvane_test::Pmml("x z t c=a,b n#1,2 r k=A,B,C b=no,yes o<lo,mid,hi",
                           orvane_test::Model(type, attributes, "", target, body));
}

std::string Regression(const std::string& attributes, const std::string& body) {
  return Document("RegressionModel", "r", "functionName='regression' " + attributes, body);
}

std::string Table(const std::string& category, double intercept, const std::string& body = "") {
  return "<RegressionTable targetCategory='" + category + "' intercept='" +
         std::to_string(intercept) + "'>" + body + "</RegressionTable>";
}

std::string Normalized(const std::string& method) {
  return Regression("normalizationMethod='" + method + "'", Table("", 0.5));
}

std::string Classes(const std::string& target, const std::string& method,
                    const std::string& tables) {
  return Document("RegressionModel", target,
                  "functionName='classification' normalizationMethod='" + method + "'", tables);
}

std::string Abc(const std::string& method, double a, double b, double c) {
  return Classes("k", method, Table("A", a) + Table("B", b) + Table("C", c));
}

// General regressions: parameters p0 (no cells), p1 ... as the body gives.
std::string General(const std::string& target, const std::string& attributes,
                    const std::string& body) {
  return Document("GeneralRegressionModel", target, attributes, body);
}

const char kIntercept[] =
    "<ParameterList><Parameter name='p0'/></ParameterList><PPMatrix/>"
    "<ParamMatrix><PCell parameterName='p0' beta='0.5'/></ParamMatrix>";

std::string Link(const std::string& link) {
  return General("r", "modelType='generalizedLinear' functionName='regression' " + link,
                 kIntercept);
}

std::string Cox(const std::string& attributes, const std::string& tables) {
  return General("r", "modelType='CoxRegression' functionName='regression' " + attributes,
                 "<ParameterList><Parameter name='p1' referencePoint='1'/></ParameterList>"
                 "<CovariateList><Predictor name='x'/></CovariateList><PPMatrix>"
                 "<PPCell value='1' predictorName='x' parameterName='p1'/></PPMatrix>"
                 "<ParamMatrix><PCell parameterName='p1' beta='0.5'/></ParamMatrix>" + tables);
}

std::string Baseline(const char* max, const std::string& cells) {
  return "<BaseCumHazardTables maxTime='" + std::string(max) + "'>" + cells +
         "</BaseCumHazardTables>";
}

std::string Cell(const char* time, const char* hazard) {
  return "<BaselineCell time='" + std::string(time) + "' cumHazard='" + hazard + "'/>";
}

struct ScoreCase {
  const char* name;
  std::string document;
  double value;                            // regression
  std::vector<double> probabilities = {};  // classification, in category order
  const char* category = "";
};

TEST(RegressionAlgorithms, PredictTheWorkedOutValues) {
  const ScoreCase kCases[] = {
      {"NumericPower", Regression("", Table("", 1, "<NumericPredictor name='x' exponent='2' "
                                                   "coefficient='2'/>")), 9.0},
      {"Categorical", Regression("", Table("", 0.5,
           "<CategoricalPredictor name='c' value='a' coefficient='5'/><CategoricalPredictor "
           "name='c' value='b' coefficient='3'/><CategoricalPredictor name='n' value='2' "
           "coefficient='4'/>")), 7.5},
      {"PredictorTerm", Regression("", Table("", 0, "<PredictorTerm coefficient='2'><FieldRef "
                                                    "field='x'/><FieldRef field='z'/>"
                                                    "</PredictorTerm>")), -4.0},
      {"Softmax", Normalized("softmax"), 0.6224593312018546},
      {"Logit", Normalized("logit"), 0.6224593312018546},
      {"Exp", Normalized("exp"), 1.6487212707001282},
      {"Probit", Normalized("probit"), 0.6914624612740131},
      {"Cloglog", Normalized("cloglog"), 0.807704354452035},
      {"Loglog", Normalized("loglog"), 0.545239211892605},
      {"Cauchit", Normalized("cauchit"), 0.6475836176504333},
      {"ClassSimplemax", Abc("simplemax", 1, 0.5, 0.5), 0, {0.5, 0.25, 0.25}, "A"},
      {"ClassNoneLastTakesTheRest", Abc("none", 0.2, 0.3, 7), 0, {0.2, 0.3, 0.5}, "C"},
      {"BinaryCloglog", Classes("b", "cloglog", Table("no", 0.5) + Table("yes", 0)), 0,
       {0.807704354452035, 0.1922956455479649}, "no"},
      {"OrdinalCumulative",
       Classes("o", "logit", Table("lo", -1) + Table("mid", 1) + Table("hi", 0)), 0,
       {0.2689414213699951, 0.4621171572600098, 0.2689414213699951}, "mid"},
      {"GeneralLinearCells",
       General("r", "modelType='generalLinear' functionName='regression'",
               "<ParameterList><Parameter name='p0'/><Parameter name='p1'/><Parameter name='p2'/>"
               "<Parameter name='p3'/></ParameterList><FactorList><Predictor name='c'/>"
               "</FactorList><CovariateList><Predictor name='x'/></CovariateList><PPMatrix>"
               "<PPCell value='2' predictorName='x' parameterName='p1'/>"
               "<PPCell value='b' predictorName='c' parameterName='p2'/>"
               "<PPCell value='1' predictorName='x' parameterName='p3'/>"
               "<PPCell value='b' predictorName='c' parameterName='p3'/></PPMatrix><ParamMatrix>"
               "<PCell parameterName='p0' beta='1'/><PCell parameterName='p1' beta='2'/>"
               "<PCell parameterName='p2' beta='3'/><PCell parameterName='p3' beta='4'/>"
               "</ParamMatrix>"), 20.0},
      {"ContrastMatrix",
       General("r", "modelType='regression' functionName='regression'",
               "<ParameterList><Parameter name='p0'/><Parameter name='p1'/></ParameterList>"
               "<FactorList><Predictor name='c' contrastMatrixType='deviation'><Categories>"
               "<Category value='a'/><Category value='b'/></Categories><Matrix nbRows='2' "
               "nbCols='1'><Array type='real'>-1</Array><Array type='real'>1</Array></Matrix>"
               "</Predictor></FactorList><PPMatrix><PPCell value='a' predictorName='c' "
               "parameterName='p1'/></PPMatrix><ParamMatrix><PCell parameterName='p0' beta='1'/>"
               "<PCell parameterName='p1' beta='2'/></ParamMatrix>"), 3.0},
      {"LogWithTrials", Link("linkFunction='log' trialsValue='10'"), 16.487212707001284},
      // eta = 0.5 - 1
      {"LogitWithOffset", Link("linkFunction='logit' offsetVariable='z'"), 0.3775406687981454},
      {"LinkProbit", Link("linkFunction='probit'"), 0.6914624612740131},
      {"LinkCloglog", Link("linkFunction='cloglog'"), 0.807704354452035},
      {"LinkLoglog", Link("linkFunction='loglog'"), 0.545239211892605},
      {"LinkCauchit", Link("linkFunction='cauchit'"), 0.6475836176504333},
      {"Power", Link("linkFunction='power' linkParameter='2'"), 0.7071067811865476},
      {"PowerZero", Link("linkFunction='power' linkParameter='0'"), 1.6487212707001282},
      {"Oddspower", Link("linkFunction='oddspower' linkParameter='0.5'"), 0.6097560975609756},
      {"Negbin", Link("linkFunction='negbin' distParameter='2'"), -1.2707470412683992},
      {"Logc", Link("linkFunction='logc'"), -0.6487212707001282},
      {"GeneralOrdinal",
       General("o", "modelType='ordinalMultinomial' functionName='classification' "
                    "cumulativeLink='logit'",
               "<ParameterList><Parameter name='p0'/><Parameter name='p1'/></ParameterList>"
               "<CovariateList><Predictor name='x'/></CovariateList><PPMatrix><PPCell value='1' "
               "predictorName='x' parameterName='p1'/></PPMatrix><ParamMatrix><PCell "
               "targetCategory='lo' parameterName='p0' beta='-1.5'/><PCell targetCategory='mid' "
               "parameterName='p0' beta='0.5'/><PCell parameterName='p1' beta='0.25'/>"
               "</ParamMatrix>"),
       0, {0.2689414213699951, 0.4621171572600098, 0.2689414213699951}, "mid"},
      {"GeneralBinary",
       General("b", "modelType='generalizedLinear' functionName='classification' "
                    "linkFunction='logit' targetReferenceCategory='no'", kIntercept),
       0, {0.3775406687981454, 0.6224593312018546}, "yes"},
      {"CoxBaselineBeforeTime",
       Cox("endTimeVariable='t'", Baseline("10", Cell("1", "0.1") + Cell("6", "0.6") +
                                                     Cell("4", "0.3"))), 0.4946163812100384},
      {"CoxStrata",
       Cox("endTimeVariable='t' baselineStrataVariable='c'",
           "<BaseCumHazardTables><BaselineStratum value='a' maxTime='10'>" + Cell("1", "9") +
               "</BaselineStratum><BaselineStratum value='b' maxTime='10'>" + Cell("4", "0.3") +
               "</BaselineStratum></BaseCumHazardTables>"), 0.4946163812100384},
  };
  for (const ScoreCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const Prediction p = orvane_test::ScoreDocument(c.document, kCase);
    EXPECT_TRUE(p.valid);
    EXPECT_EQ(p.is_category, !c.probabilities.empty());
    if (c.probabilities.empty()) orvane_test::ExpectClose(p.value, c.value);
    EXPECT_EQ(p.category, c.category);
    orvane_test::ExpectDistribution(p.probabilities, c.probabilities);
  }
}

TEST(RegressionAlgorithms, NoPredictionGivesAdvice) {
  const struct {
    const char* name;
    std::string document;
    const char* drop;  // the input left out of the case, or ""
    int advice;
    const char* info;
  } kCases[] = {
      {"RegressionMissingPredictor",
       Regression("", Table("", 1, "<NumericPredictor name='x' coefficient='2'/>")), "x", 102, "x"},
      {"GeneralMissingOffset", Link("linkFunction='identity' offsetVariable='z'"), "z", 102, "z"},
      {"CoxAfterMaxTime", Cox("endTimeVariable='t'", Baseline("4", Cell("1", "0.1"))), "", 109,
       "t"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    orvane_test::Inputs inputs = kCase;
    inputs.erase(c.drop);
    orvane_test::ExpectNoScore(orvane_test::ScoreDocument(c.document, inputs), c.advice, {c.info});
  }
}

TEST(RegressionAlgorithms, RefusesWhatTheyCannotScore) {
  const std::string regression = "modelType='regression' functionName='regression'";
  orvane_test::ExpectRefusals({
      {"UnknownNormalization", Normalized("odd"), 5,
       "RegressionModel: normalizationMethod \"odd\" is not supported"},
      {"SimplemaxRegression", Normalized("simplemax"), 5,
       "RegressionModel: normalizationMethod \"simplemax\" does not apply to regression"},
      {"LogitOfThreeNominal", Abc("logit", 1, 0.5, 0), 5,
       "RegressionModel: this normalizationMethod does not give probabilities of 3 unordered "
       "categories"},
      {"UnknownTableChild", Regression("", Table("", 0, "<Spline/>")), 5,
       "Spline in RegressionTable is not supported"},
      {"UndefinedField", Regression("", Table("", 0, "<NumericPredictor name='q' "
                                                     "coefficient='1'/>")), 8,
       "NumericPredictor: field q is not defined"},
      {"InterceptNotANumber", Regression("", "<RegressionTable intercept='one'/>"), 3,
       "RegressionTable: attribute intercept \"one\" is not a number"},
      {"UnknownModelType", General("r", "modelType='spline' functionName='regression'",
                                   kIntercept), 5,
       "GeneralRegressionModel: modelType \"spline\" is not supported"},
      {"UnknownLink", Link("linkFunction='sqrt'"), 5,
       "GeneralRegressionModel: linkFunction \"sqrt\" is not supported"},
      {"PowerWithoutParameter", Link("linkFunction='power'"), 4,
       "GeneralRegressionModel: attribute linkParameter is absent"},
      {"UnlistedPredictor",
       General("r", regression, "<ParameterList><Parameter name='p0'/></ParameterList><PPMatrix>"
               "<PPCell value='1' predictorName='x' parameterName='p0'/></PPMatrix><ParamMatrix/>"),
       1, "PPCell: predictorName x is in no FactorList or CovariateList"},
      {"UnknownParameter",
       General("r", regression, "<ParameterList/><PPMatrix/><ParamMatrix><PCell "
                                "parameterName='p9' beta='1'/></ParamMatrix>"),
       1, "PCell: parameterName p9 is not in the ParameterList"},
      {"CoxWithoutEndTime", Cox("", ""), 4,
       "GeneralRegressionModel: attribute endTimeVariable is absent"},
  });
}

}  // namespace
