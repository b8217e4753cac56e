// The RuleSetModel, Scorecard and NaiveBayesModel algorithms on small
// documents whose predictions are worked out by hand from the PMML text.

#include <cmath>
#include <string>
#include <vector>

#include "scored_document.h"

namespace {

using orvane_test::ExpectNoScore;
using orvane_test::Inputs;
using orvane_test::Prediction;

// Two numeric inputs x and y, a text input c, a target t with categories a,
// b, c, and a numeric target s.
std::string Document(const std::string& model) {
  return orvane_test::Pmml("x y c= t=a,b,c s", model);
}

std::string Rules(const std::string& function, const std::string& body) {
  return orvane_test::Model("RuleSetModel", "functionName='" + function + "'", "x y c", "t", body);
}

std::string RuleSet(const std::string& criterion, const std::string& set_attributes,
                    const std::string& rules) {
  return Rules("classification", "<RuleSet " + set_attributes + "><RuleSelectionMethod "
               "criterion='" + criterion + "'/><RuleSelectionMethod criterion='weightedMax'/>" +
               rules + "</RuleSet>");
}

// Three rules: r1 (x > 1, nested under c == "k"), r2 (y > 1) and an
// unnamed third rule (x > 5).
const char kRules[] = R"(
<CompoundRule><SimplePredicate field="c" operator="equal" value="k"/>
  <SimpleRule id="r1" score="b" weight="0.5" confidence="0.7">
    <SimplePredicate field="x" operator="greaterThan" value="1"/><ScoreDistribution value="a"
    recordCount="1"/><ScoreDistribution value="b" recordCount="3"/></SimpleRule></CompoundRule>
<SimpleRule id="r2" score="a" weight="0.8" confidence="0.6">
  <SimplePredicate field="y" operator="greaterThan" value="1"/><ScoreDistribution value="a"
  recordCount="9" probability="0.9"/><ScoreDistribution value="c" recordCount="1"
  probability="0.1"/></SimpleRule><SimpleRule score="b" weight="0.4" confidence="0.9">
  <SimplePredicate field="x" operator="greaterThan" value="5"/></SimpleRule>)";

struct RuleCase {
  const char* name;
  const char* criterion;
  const char* set_attributes;
  Inputs inputs;
  const char* category;  // "": no prediction
  double confidence;
  const char* entity_id;
  std::vector<double> probabilities;  // in the order a, b, c; empty: none
};

const double kNone = std::nan("");

// The prediction of `model` in the document's dictionary for `inputs`.
Prediction Score(const std::string& model, const Inputs& inputs) {
  return orvane_test::ScoreDocument(Document(model), inputs);
}

TEST(RuleSetModel, SelectsAsTheCriterionSays) {
  const RuleCase kCases[] = {
      // c missing: the CompoundRule's predicate is UNKNOWN, so r1 never fires.
      {"first hit after an unknown gate", "firstHit", "", {{"x", "9"}, {"y", "2"}}, "a", 0.6,
       "r2", {0.9, 0.0, 0.1}},
      {"first hit inside the gate", "firstHit", "", {{"c", "k"}, {"x", "9"}, {"y", "2"}}, "b",
       0.7, "r1", {0.25, 0.75, 0.0}},
      {"an unnamed rule is known by its position", "firstHit", "", {{"x", "9"}}, "b", 0.9, "3",
       {}},
      // b: 0.5 + 0.4 = 0.9 against a: 0.8; confidence 0.9 / 3 firing rules.
      {"weighted sum", "weightedSum", "", {{"c", "k"}, {"x", "9"}, {"y", "2"}}, "b", 0.3, "r1",
       {}},
      {"weighted sum of one rule", "weightedSum", "", {{"y", "2"}}, "a", 0.8, "r2", {}},
      {"weighted max", "weightedMax", "", {{"c", "k"}, {"x", "9"}, {"y", "2"}}, "a", 0.6, "r2",
       {0.9, 0.0, 0.1}},
      {"default when no rule fires", "firstHit",
       R"(defaultScore="c" defaultConfidence="0.25")", {{"x", "0"}}, "c", 0.25, "", {}},
      {"no default: no prediction", "weightedSum", "", {{"x", "0"}}, "", 0, "", {}},
  };
  for (const RuleCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const Prediction p = Score(RuleSet(c.criterion, c.set_attributes, kRules), c.inputs);
    if (*c.category == '\0') {
      ExpectNoScore(p);
      continue;
    }
    EXPECT_TRUE(p.valid && p.is_category);
    EXPECT_EQ(p.category, c.category);
    EXPECT_EQ(p.entity_id, c.entity_id);
    orvane_test::ExpectClose(p.confidence, c.confidence);
    orvane_test::ExpectDistribution(p.probabilities, c.probabilities, {"a", "b", "c"});
  }
}

// `model`s in the document's dictionary, refused.
void ExpectRefusals(std::vector<orvane_test::Refusal> refusals) {
  for (orvane_test::Refusal& r : refusals) r.document = Document(r.document);
  orvane_test::ExpectRefusals(refusals);
}

TEST(RuleSetModel, RefusesWhatItCannotScore) {
  ExpectRefusals({
      {"criterion", RuleSet("bestHit", "", kRules), 5,
       "RuleSelectionMethod: criterion \"bestHit\" is not supported"},
      {"function", Rules("regression", "<RuleSet/>"), 5,
       "RuleSetModel: functionName \"regression\" is not supported"},
      {"no method", Rules("classification", "<RuleSet/>"), 1,
       "RuleSet: RuleSelectionMethod is absent"},
      {"no predicate", RuleSet("firstHit", "", R"(<SimpleRule score="a"/>)"), 4,
       "SimpleRule: predicate is absent"},
      {"no score", RuleSet("firstHit", "", R"(<SimpleRule><True/></SimpleRule>)"), 4,
       "SimpleRule: attribute score is absent"},
      {"empty compound", RuleSet("firstHit", "", R"(<CompoundRule><True/></CompoundRule>)"), 1,
       "CompoundRule: rules are absent"},
      {"no RuleSet", Rules("classification", ""), 1, "RuleSetModel: RuleSet is absent"},
  });
}

std::string Scorecard(const std::string& attributes, const std::string& characteristics) {
  return orvane_test::Model("Scorecard", "functionName='regression' " + attributes, "x c", "s",
                            "<Characteristics>" + characteristics + "</Characteristics>");
}

// cx: x below 0, an expression 2x below 10, else 30; cc: k with its own
// reason code, m with the characteristic's, nothing else.
const char kCharacteristics[] = R"(
<Characteristic name="cx" reasonCode="X" baselineScore="10">
  <Attribute partialScore="1"><SimplePredicate field="x" operator="lessThan" value="0"/></Attribute>
  <Attribute><SimplePredicate field="x" operator="lessThan" value="10"/>
    <ComplexPartialScore><Apply function="*"><Constant>2</Constant><FieldRef field="x"/></Apply>
    </ComplexPartialScore></Attribute>
  <Attribute partialScore="30"><True/></Attribute>
</Characteristic>
<Characteristic name="cc" reasonCode="C">
  <Attribute partialScore="4" reasonCode="K">
    <SimplePredicate field="c" operator="equal" value="k"/></Attribute>
  <Attribute partialScore="7"><SimplePredicate field="c" operator="equal" value="m"/></Attribute>
</Characteristic>)";

struct ScoreCase {
  const char* name;
  const char* attributes;
  Inputs inputs;
  double value;  // kNone: no prediction
  std::vector<std::string> reason_codes;
};

TEST(Scorecard, SumsPartialScoresAndRanksReasonCodes) {
  const ScoreCase kCases[] = {
      // cx: 2 * 3 = 6 (10 - 6 = 4 below), cc: K 4 (5 - 4 = 1 below).
      {"points below", R"(initialScore="100" baselineScore="5")", {{"x", "3"}, {"c", "k"}},
       110.0, {"X", "K"}},
      // Above: cx 6 - 10 = -4, cc C 7 - 5 = 2.
      {"points above", R"(baselineScore="5" reasonCodeAlgorithm="pointsAbove")",
       {{"x", "3"}, {"c", "m"}}, 13.0, {"C", "X"}},
      // cx 2 * 5 = 10 (10 - 10 = 0), cc C 7 (7 - 7 = 0): equal points keep
      // their order.
      {"ties keep document order", R"(baselineScore="7")", {{"x", "5"}, {"c", "m"}}, 17.0,
       {"X", "C"}},
      {"no reason codes", R"(useReasonCodes="false")", {{"x", "20"}, {"c", "k"}}, 34.0, {}},
      {"unknown predicate: missing score", R"(baselineScore="5")", {{"c", "k"}}, kNone, {}},
      {"no attribute matches: missing score", R"(baselineScore="5")", {{"x", "3"}, {"c", "z"}},
       kNone, {}},
  };
  for (const ScoreCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const Prediction p = Score(Scorecard(c.attributes, kCharacteristics), c.inputs);
    if (std::isnan(c.value)) {
      ExpectNoScore(p);
      continue;
    }
    EXPECT_TRUE(p.valid && !p.is_category);
    EXPECT_DOUBLE_EQ(p.value, c.value);
    EXPECT_EQ(p.reason_codes, c.reason_codes);
  }
}

TEST(Scorecard, RefusesWhatItCannotScore) {
  const auto characteristic = [](const std::string& attributes, const std::string& inner) {
    return Scorecard("", "<Characteristic " + attributes + ">" + inner + "</Characteristic>");
  };
  const std::string named = "name='n' reasonCode='R' baselineScore='1'";
  const std::string scored = "<Attribute partialScore='1'><True/></Attribute>";
  const std::string one = "<Characteristic " + named + ">" + scored + "</Characteristic>";
  ExpectRefusals({
      {"baseline", characteristic("name='n' reasonCode='R'", scored), 4,
       "Characteristic n: attribute baselineScore is absent"},
      {"reason code", characteristic("baselineScore='1'", scored), 4,
       "Characteristic 1, Attribute 1: reasonCode is absent"},
      {"partial score", characteristic(named, "<Attribute><True/></Attribute>"), 4,
       "Characteristic n, Attribute 1: partialScore is absent"},
      {"algorithm", Scorecard("reasonCodeAlgorithm='pointsAround'", one), 5,
       "Scorecard: reasonCodeAlgorithm \"pointsAround\" is not supported"},
      {"baseline method", Scorecard("baselineMethod='median'", one), 5,
       "Scorecard: baselineMethod \"median\" is not supported"},
      {"boolean", Scorecard("useReasonCodes='yes'", one), 7,
       "Scorecard: attribute useReasonCodes \"yes\" is not a boolean"},
      {"no attributes", characteristic(named, ""), 1, "Characteristic n: Attribute is absent"},
      {"empty expression",
       characteristic(named, "<Attribute><True/><ComplexPartialScore/></Attribute>"), 4,
       "Characteristic n, Attribute 1: the expression of ComplexPartialScore is absent"},
      {"no characteristics", Scorecard("", ""), 1, "Characteristics: Characteristic is absent"},
  });
}

// Counts of a, b and c ("" leaves c out).
std::string Counts(const char* a, const char* b, const char* c = "") {
  std::string counts = "<TargetValueCounts>";
  for (const auto& [value, count] : {std::pair{"a", a}, {"b", b}, {"c", c}}) {
    if (*count) {
      counts += "<TargetValueCount value='" + std::string(value) + "' count='" + count + "'/>";
    }
  }
  return counts + "</TargetValueCounts>";
}

std::string Bayes(const std::string& threshold, const std::string& inputs,
                  const std::string& priors = Counts("2", "1", "1")) {
  return orvane_test::Model("NaiveBayesModel", "functionName='classification' " + threshold,
                            "x y c", "t", "<BayesInputs>" + inputs + "</BayesInputs>"
                            "<BayesOutput fieldName='t'>" + priors + "</BayesOutput>");
}

std::string Pairs(const char* value, const std::string& counts) {
  return "<PairCounts value='" + std::string(value) + "'>" + counts + "</PairCounts>";
}

// c: counts a 3/1, b 0/2, c 1/1 for k/m; x: Poisson means 1, 2, 4; y:
// uniform on [0, 2] for a and b, [0, 4] for c; the x/4 rounded down
// through a DerivedField with pair counts for "0" and "1".
std::string Stats(const char* field, const char* kind, const std::vector<const char*>& params) {
  std::string stats = "<BayesInput fieldName='" + std::string(field) + "'><TargetValueStats>";
  for (size_t i = 0; i < 3; ++i) {
    stats += "<TargetValueStat value='" + std::string(1, static_cast<char>('a' + i)) + "'><" +
             kind + " " + params[i] + "/></TargetValueStat>";
  }
  return stats + "</TargetValueStats></BayesInput>";
}

const std::string kBayesInputs =
    "<BayesInput fieldName='c'>" + Pairs("k", Counts("3", "0", "1")) +
    Pairs("m", Counts("1", "2", "1")) + "</BayesInput>" +
    Stats("x", "PoissonDistribution", {"mean='1'", "mean='2'", "mean='4'"}) +
    Stats("y", "UniformDistribution", {"lower='0' upper='2'", "lower='0' upper='2'",
                                       "lower='0' upper='4'"}) +
    "<BayesInput fieldName='x'><DerivedField optype='categorical' dataType='string'><Discretize "
    "field='x'><DiscretizeBin binValue='0'><Interval closure='closedOpen' leftMargin='0' "
    "rightMargin='4'/></DiscretizeBin><DiscretizeBin binValue='1'><Interval closure='closedOpen' "
    "leftMargin='4' rightMargin='8'/></DiscretizeBin></Discretize></DerivedField>" +
    Pairs("0", Counts("1", "1", "1")) + Pairs("1", Counts("1", "3", "1")) + "</BayesInput>";

struct BayesCase {
  const char* name;
  const char* threshold;
  Inputs inputs;
  std::vector<double> likelihoods;  // unnormalised, in the order a, b, c
};

TEST(NaiveBayesModel, MultipliesPriorsByEachInputsEvidence) {
  const double e = std::exp(1.0);
  const BayesCase kCases[] = {
      // c = k: a 3/4, b zero count → threshold, c 1/2.
      {"zero count takes the threshold", "threshold='0.01'", {{"c", "k"}},
       {2 * 0.75, 1 * 0.01, 1 * 0.5}},
      {"an unseen value says nothing", "threshold='0.01'", {{"c", "q"}}, {2, 1, 1}},
      // x = 2: Poisson 1^2 e^-1 / 2, 2^2 e^-2 / 2, 4^2 e^-4 / 2; bin "0":
      // 1/2, 1/4, 1/2.
      {"Poisson and a discretized input", "threshold='0'", {{"x", "2"}},
       {2 * 0.5 / e * 0.5, 1 * 2 / (e * e) * 0.25, 1 * 8 / (e * e * e * e) * 0.5}},
      // y = 3: outside a's and b's range → the threshold; c 1/4.
      {"uniform outside its range", "threshold='0.001'", {{"y", "3"}},
       {2 * 0.001, 1 * 0.001, 1 * 0.25}},
  };
  for (const BayesCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const Prediction p = Score(Bayes(c.threshold, kBayesInputs), c.inputs);
    ASSERT_TRUE(p.valid);
    double sum = 0.0;
    for (double l : c.likelihoods) sum += l;
    ASSERT_EQ(p.probabilities.size(), 3u);
    size_t best = 0;
    for (size_t j = 0; j < 3; ++j) {
      EXPECT_EQ(p.probabilities[j].first, std::string(1, static_cast<char>('a' + j)));
      EXPECT_NEAR(p.probabilities[j].second, c.likelihoods[j] / sum, 1e-14);
      if (c.likelihoods[j] > c.likelihoods[best]) best = j;
    }
    EXPECT_EQ(p.category, std::string(1, static_cast<char>('a' + best)));
  }
}

TEST(NaiveBayesModel, NoCategoryWithLikelihoodGivesNoPrediction) {
  // Threshold 0 and zero counts for every category of the value.
  ExpectNoScore(Score(Bayes("threshold='0'", "<BayesInput fieldName='c'>" +
                                                  Pairs("k", Counts("0", "")) +
                                                  Pairs("m", Counts("1", "")) + "</BayesInput>"),
                      {{"c", "k"}}));
}

TEST(NaiveBayesModel, RefusesWhatItCannotScore) {
  const auto bayes = [](const std::string& inputs) { return Bayes("threshold='0'", inputs); };
  const auto stat = [](const std::string& distribution) {
    return "<BayesInput fieldName='x'><TargetValueStats><TargetValueStat value='a'>" +
           distribution + "</TargetValueStat></TargetValueStats></BayesInput>";
  };
  ExpectRefusals({
      {"threshold", Bayes("", ""), 4, "NaiveBayesModel: attribute threshold is absent"},
      {"any distribution", bayes(stat("<AnyDistribution mean='0' variance='1'/>")), 5,
       "TargetValueStat: AnyDistribution gives no density"},
      {"variance", bayes(stat("<GaussianDistribution mean='0' variance='0'/>")), 7,
       "GaussianDistribution: attribute variance is not positive"},
      {"no distribution", bayes(stat("")), 4,
       "TargetValueStat: the distribution of \"a\" is absent"},
      {"category", Bayes("threshold='0'", "", Counts("-1", "")), 7,
       "TargetValueCount: attribute count of \"a\" is negative"},
      {"unknown input category",
       bayes("<BayesInput fieldName='c'>" + Pairs("k", "<TargetValueCounts><TargetValueCount "
             "value='z' count='1'/></TargetValueCounts>") + "</BayesInput>"),
       7, "TargetValueCount: value \"z\" is no target category"},
      {"text input with statistics",
       bayes("<BayesInput fieldName='c'><TargetValueStats/></BayesInput>"),
       11, "BayesInput: field c does not hold numbers"},
      {"neither", bayes("<BayesInput fieldName='x'/>"), 1,
       "BayesInput x: needs either TargetValueStats or PairCounts"},
      {"undefined field", bayes("<BayesInput fieldName='w'/>"), 8,
       "BayesInput: field w is not defined"},
  });
}

}  // namespace
