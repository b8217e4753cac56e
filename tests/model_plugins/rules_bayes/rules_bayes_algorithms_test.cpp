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

// Two numeric inputs x and y, a text input c and a target t with categories
// a, b, c.
std::string Document(const std::string& model) {
  return R"(<PMML version="4.4"><DataDictionary>
  <DataField name="x" optype="continuous" dataType="double"/>
  <DataField name="y" optype="continuous" dataType="double"/>
  <DataField name="c" optype="categorical" dataType="string"/>
  <DataField name="t" optype="categorical" dataType="string">
    <Value value="a"/><Value value="b"/><Value value="c"/></DataField>
  <DataField name="s" optype="continuous" dataType="double"/>
</DataDictionary>)" + model + "</PMML>";
}

const char kRulesSchema[] =
    R"(<MiningSchema><MiningField name="x"/><MiningField name="y"/><MiningField name="c"/>
<MiningField name="t" usageType="target"/></MiningSchema>)";

std::string RuleSet(const std::string& criterion, const std::string& set_attributes,
                    const std::string& rules) {
  return std::string(R"(<RuleSetModel functionName="classification">)") + kRulesSchema +
         "<RuleSet " + set_attributes + "><RuleSelectionMethod criterion=\"" + criterion +
         "\"/><RuleSelectionMethod criterion=\"weightedMax\"/>" + rules + "</RuleSet></RuleSetModel>";
}

// Three rules: r1 (x > 1, nested under c == "k"), r2 (y > 1) and an
// unnamed third rule (x > 5).
const char kRules[] = R"(
<CompoundRule><SimplePredicate field="c" operator="equal" value="k"/>
  <SimpleRule id="r1" score="b" weight="0.5" confidence="0.7">
    <SimplePredicate field="x" operator="greaterThan" value="1"/>
    <ScoreDistribution value="a" recordCount="1"/><ScoreDistribution value="b" recordCount="3"/>
  </SimpleRule></CompoundRule>
<SimpleRule id="r2" score="a" weight="0.8" confidence="0.6">
  <SimplePredicate field="y" operator="greaterThan" value="1"/>
  <ScoreDistribution value="a" recordCount="9" probability="0.9"/>
  <ScoreDistribution value="c" recordCount="1" probability="0.1"/></SimpleRule>
<SimpleRule score="b" weight="0.4" confidence="0.9">
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
      {"function",
       std::string(R"(<RuleSetModel functionName="regression">)") + kRulesSchema +
           "<RuleSet/></RuleSetModel>",
       5, "RuleSetModel: functionName \"regression\" is not supported"},
      {"no method",
       std::string(R"(<RuleSetModel functionName="classification">)") + kRulesSchema +
           "<RuleSet/></RuleSetModel>",
       1, "RuleSet: RuleSelectionMethod is absent"},
      {"no predicate", RuleSet("firstHit", "", R"(<SimpleRule score="a"/>)"), 4,
       "SimpleRule: predicate is absent"},
      {"no score", RuleSet("firstHit", "", R"(<SimpleRule><True/></SimpleRule>)"), 4,
       "SimpleRule: attribute score is absent"},
      {"empty compound", RuleSet("firstHit", "", R"(<CompoundRule><True/></CompoundRule>)"), 1,
       "CompoundRule: rules are absent"},
      {"no RuleSet",
       std::string(R"(<RuleSetModel functionName="classification">)") + kRulesSchema +
           "</RuleSetModel>",
       1, "RuleSetModel: RuleSet is absent"},
  });
}

const char kScoreSchema[] =
    R"(<MiningSchema><MiningField name="x"/><MiningField name="c"/>
<MiningField name="s" usageType="target"/></MiningSchema>)";

std::string Scorecard(const std::string& attributes, const std::string& characteristics) {
  return std::string(R"(<Scorecard functionName="regression" )") + attributes + ">" +
         kScoreSchema + "<Characteristics>" + characteristics + "</Characteristics></Scorecard>";
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
  <Attribute partialScore="4" reasonCode="K"><SimplePredicate field="c" operator="equal" value="k"/></Attribute>
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
  const std::string one =
      R"(<Characteristic name="n" reasonCode="R" baselineScore="1"><Attribute partialScore="1"><True/></Attribute></Characteristic>)";
  ExpectRefusals({
      {"baseline", Scorecard("", R"(<Characteristic name="n" reasonCode="R"><Attribute partialScore="1"><True/></Attribute></Characteristic>)"),
       4, "Characteristic n: attribute baselineScore is absent"},
      {"reason code", Scorecard("", R"(<Characteristic baselineScore="1"><Attribute partialScore="1"><True/></Attribute></Characteristic>)"),
       4, "Characteristic 1, Attribute 1: reasonCode is absent"},
      {"partial score", Scorecard("", R"(<Characteristic name="n" reasonCode="R" baselineScore="1"><Attribute><True/></Attribute></Characteristic>)"),
       4, "Characteristic n, Attribute 1: partialScore is absent"},
      {"algorithm", Scorecard(R"(reasonCodeAlgorithm="pointsAround")", one), 5,
       "Scorecard: reasonCodeAlgorithm \"pointsAround\" is not supported"},
      {"baseline method", Scorecard(R"(baselineMethod="median")", one), 5,
       "Scorecard: baselineMethod \"median\" is not supported"},
      {"boolean", Scorecard(R"(useReasonCodes="yes")", one), 7,
       "Scorecard: attribute useReasonCodes \"yes\" is not a boolean"},
      {"no attributes", Scorecard("", R"(<Characteristic name="n" reasonCode="R" baselineScore="1"/>)"),
       1, "Characteristic n: Attribute is absent"},
      {"empty expression", Scorecard("", R"(<Characteristic name="n" reasonCode="R" baselineScore="1"><Attribute><True/><ComplexPartialScore/></Attribute></Characteristic>)"),
       4, "Characteristic n, Attribute 1: the expression of ComplexPartialScore is absent"},
      {"no characteristics", Scorecard("", ""), 1, "Characteristics: Characteristic is absent"},
  });
}

const char kBayesSchema[] =
    R"(<MiningSchema><MiningField name="x"/><MiningField name="y"/><MiningField name="c"/>
<MiningField name="t" usageType="target"/></MiningSchema>)";

std::string Bayes(const std::string& threshold, const std::string& inputs,
                  const std::string& priors = R"(<TargetValueCount value="a" count="2"/>
<TargetValueCount value="b" count="1"/><TargetValueCount value="c" count="1"/>)") {
  return std::string(R"(<NaiveBayesModel functionName="classification" )") + threshold + ">" +
         kBayesSchema + "<BayesInputs>" + inputs + "</BayesInputs><BayesOutput fieldName=\"t\">" +
         "<TargetValueCounts>" + priors + "</TargetValueCounts></BayesOutput></NaiveBayesModel>";
}

// c: counts a 3/1, b 0/2, c 1/1 for k/m; x: Poisson means 1, 2, 4; y:
// uniform on [0, 2] for a and b, [0, 4] for c; the x/4 rounded down
// through a DerivedField with pair counts for "0" and "1".
const char kBayesInputs[] = R"(
<BayesInput fieldName="c">
  <PairCounts value="k"><TargetValueCounts><TargetValueCount value="a" count="3"/>
    <TargetValueCount value="b" count="0"/><TargetValueCount value="c" count="1"/></TargetValueCounts></PairCounts>
  <PairCounts value="m"><TargetValueCounts><TargetValueCount value="a" count="1"/>
    <TargetValueCount value="b" count="2"/><TargetValueCount value="c" count="1"/></TargetValueCounts></PairCounts>
</BayesInput>
<BayesInput fieldName="x"><TargetValueStats>
  <TargetValueStat value="a"><PoissonDistribution mean="1"/></TargetValueStat>
  <TargetValueStat value="b"><PoissonDistribution mean="2"/></TargetValueStat>
  <TargetValueStat value="c"><PoissonDistribution mean="4"/></TargetValueStat>
</TargetValueStats></BayesInput>
<BayesInput fieldName="y"><TargetValueStats>
  <TargetValueStat value="a"><UniformDistribution lower="0" upper="2"/></TargetValueStat>
  <TargetValueStat value="b"><UniformDistribution lower="0" upper="2"/></TargetValueStat>
  <TargetValueStat value="c"><UniformDistribution lower="0" upper="4"/></TargetValueStat>
</TargetValueStats></BayesInput>
<BayesInput fieldName="x">
  <DerivedField optype="categorical" dataType="string"><Discretize field="x">
    <DiscretizeBin binValue="0"><Interval closure="closedOpen" leftMargin="0" rightMargin="4"/></DiscretizeBin>
    <DiscretizeBin binValue="1"><Interval closure="closedOpen" leftMargin="4" rightMargin="8"/></DiscretizeBin>
  </Discretize></DerivedField>
  <PairCounts value="0"><TargetValueCounts><TargetValueCount value="a" count="1"/>
    <TargetValueCount value="b" count="1"/><TargetValueCount value="c" count="1"/></TargetValueCounts></PairCounts>
  <PairCounts value="1"><TargetValueCounts><TargetValueCount value="a" count="1"/>
    <TargetValueCount value="b" count="3"/><TargetValueCount value="c" count="1"/></TargetValueCounts></PairCounts>
</BayesInput>)";

struct BayesCase {
  const char* name;
  const char* threshold;
  Inputs inputs;
  std::vector<double> likelihoods;  // unnormalised, in the order a, b, c
};

TEST(NaiveBayesModel, MultipliesPriorsByEachInputsEvidence) {
  const double e = std::exp(1.0);
  const BayesCase kCases[] = {
      {"priors alone", R"(threshold="0.01")", {}, {2, 1, 1}},
      // c = k: a 3/4, b zero count → threshold, c 1/2.
      {"zero count takes the threshold", R"(threshold="0.01")", {{"c", "k"}},
       {2 * 0.75, 1 * 0.01, 1 * 0.5}},
      {"an unseen value says nothing", R"(threshold="0.01")", {{"c", "q"}}, {2, 1, 1}},
      // x = 2: Poisson 1^2 e^-1 / 2, 2^2 e^-2 / 2, 4^2 e^-4 / 2; bin "0":
      // 1/2, 1/4, 1/2.
      {"Poisson and a discretized input", R"(threshold="0")", {{"x", "2"}},
       {2 * 0.5 / e * 0.5, 1 * 2 / (e * e) * 0.25, 1 * 8 / (e * e * e * e) * 0.5}},
      // y = 3: outside a's and b's range → the threshold; c 1/4.
      {"uniform outside its range", R"(threshold="0.001")", {{"y", "3"}},
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
  ExpectNoScore(Score(Bayes(R"(threshold="0")", R"(<BayesInput fieldName="c">
  <PairCounts value="k"><TargetValueCounts><TargetValueCount value="a" count="0"/></TargetValueCounts></PairCounts>
  <PairCounts value="m"><TargetValueCounts><TargetValueCount value="a" count="1"/></TargetValueCounts></PairCounts>
  </BayesInput>)"), {{"c", "k"}}));
}

TEST(NaiveBayesModel, RefusesWhatItCannotScore) {
  auto stat = [](const std::string& distribution) {
    return "<BayesInput fieldName=\"x\"><TargetValueStats><TargetValueStat value=\"a\">" +
           distribution + "</TargetValueStat></TargetValueStats></BayesInput>";
  };
  ExpectRefusals({
      {"threshold", Bayes("", ""), 4, "NaiveBayesModel: attribute threshold is absent"},
      {"any distribution", Bayes(R"(threshold="0")", stat(R"(<AnyDistribution mean="0" variance="1"/>)")),
       5, "TargetValueStat: AnyDistribution gives no density"},
      {"variance", Bayes(R"(threshold="0")", stat(R"(<GaussianDistribution mean="0" variance="0"/>)")),
       7, "GaussianDistribution: attribute variance is not positive"},
      {"no distribution", Bayes(R"(threshold="0")", stat("")), 4,
       "TargetValueStat: the distribution of \"a\" is absent"},
      {"category", Bayes(R"(threshold="0")", "", R"(<TargetValueCount value="a" count="-1"/>)"), 7,
       "TargetValueCount: attribute count of \"a\" is negative"},
      {"unknown input category",
       Bayes(R"(threshold="0")", R"(<BayesInput fieldName="c"><PairCounts value="k"><TargetValueCounts>
       <TargetValueCount value="z" count="1"/></TargetValueCounts></PairCounts></BayesInput>)"),
       7, "TargetValueCount: value \"z\" is no target category"},
      {"text input with statistics",
       Bayes(R"(threshold="0")", R"(<BayesInput fieldName="c"><TargetValueStats/></BayesInput>)"),
       11, "BayesInput: field c does not hold numbers"},
      {"neither", Bayes(R"(threshold="0")", R"(<BayesInput fieldName="x"/>)"), 1,
       "BayesInput x: needs either TargetValueStats or PairCounts"},
      {"undefined field", Bayes(R"(threshold="0")", R"(<BayesInput fieldName="w"/>)"), 8,
       "BayesInput: field w is not defined"},
  });
}

}  // namespace
