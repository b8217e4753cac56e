#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/model/discrete_split.h"
#include "orvane/model/scale_split.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

using orvane_test::Shown;

const double kInf = NumericValue::GetInfinity();

int Route(const ScoreSplitVar& split, const ScoreValue& value) {
  return split.GetSplitChildIndex(&value);
}
int Route(const ScoreSplitVar& split, double number) { return Route(split, NumericValue(number)); }

// "age": numeric, 99 and everything above 200 declared missing.
class SplitVarTest : public ::testing::Test {
 protected:
  SplitVarTest() : age_("age", ScoreDictVar::kNUMERIC_VAR) {
    age_.SetLabel("Age in years");
    age_.SetMLevel(ScoreDictVar::kNOMINAL);
    auto missing = std::make_unique<MissingValueSet>();
    missing->Add(new Range(new NumericValue(99)));
    missing->Add(new Range(200, kInf, false, true));
    age_.SetMissingValues(missing.release());
  }

  DictVar age_;
};

TEST_F(SplitVarTest, EmptySplitsRouteEverythingToMissingChild) {
  DiscreteSplit discrete(&age_);
  ScaleSplit scale(&age_);
  EXPECT_EQ(discrete.GetSplitLabel(), "Age in years");
  EXPECT_EQ(scale.GetSplitMLevel(), ScoreDictVar::kNOMINAL);
  for (ScoreSplitVar* split : std::vector<ScoreSplitVar*>{&discrete, &scale}) {
    EXPECT_EQ(split->GetSplitChildIndex(nullptr), -1);
    split->SetMissvalMap(2);
    EXPECT_EQ(Route(*split, 30), 2);
  }
  EXPECT_TRUE(discrete.GetSplitValuesFirst().empty());
  EXPECT_EQ(scale.GetSplitValueRangeFirst(), nullptr);
  discrete.SetSplitVar(nullptr);
  EXPECT_EQ(discrete.GetSplitName(), "");
  EXPECT_EQ(discrete.GetSplitType(), -1);
}

TEST_F(SplitVarTest, DiscreteRoutesByFirstMatchingCategory) {
  DiscreteSplit split(&age_);
  split.SetMissvalMap(9);
  split.PutSplit(new NumericValue(1), 0);
  split.PutSplit(new NumericValue(3), 0);
  split.PutSplit(new NumericValue(3), 1);   // never reached
  split.PutSplit(new NumericValue(99), 2);  // a missing code listed as a category

  EXPECT_EQ(Route(split, 1 + 1e-15), 0);  // tolerant equality
  EXPECT_EQ(Route(split, 3), 0);
  EXPECT_EQ(Route(split, 99), 2);
  EXPECT_EQ(Route(split, 4), 9);
  EXPECT_EQ(Route(split, NumericValue()), 9);
  EXPECT_EQ(Route(split, StringValue("1")), 9);  // a text never equals a number

  std::vector<const ScoreValue*> all = split.GetSplitValues();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(split.GetSplitValuesFirst(), std::vector<const ScoreValue*>{all[0]});
  EXPECT_EQ(split.GetSplitValuesForIndex(0), (std::vector<const ScoreValue*>{all[0], all[1]}));
  EXPECT_TRUE(split.GetSplitValuesForIndex(5).empty());
}

TEST(DiscreteSplitStringTest, PassesTheVariableFlagsToEqual) {
  const struct {
    bool no_space_trim, empty_string_ok;
    const char *category, *value;
    bool routed;
  } cases[] = {
      {false, false, "abc", "abc   ", true}, {false, false, "abc", " abc", false},
      {true, false, "abc", "abc ", false},   {false, false, "", "  ", true},
      {false, true, "", "  ", false},        {false, true, " ", "   ", true},
  };
  for (const auto& c : cases) {
    DictVar var("name", ScoreDictVar::kSTRING_VAR);
    var.SetNoSpaceTrim(c.no_space_trim);
    var.SetEmptyStringOK(c.empty_string_ok);
    DiscreteSplit split(&var);
    split.PutSplit(new StringValue(c.category), 0);
    EXPECT_EQ(Route(split, StringValue(c.value)), c.routed ? 0 : -1)
        << "'" << c.category << "' '" << c.value << "' " << c.no_space_trim << c.empty_string_ok;
  }
}

TEST_F(SplitVarTest, ScaleRoutesByFirstRangeUnlessMissing) {
  ScaleSplit split(&age_);
  split.SetMissvalMap(7);
  split.PutSplit(new Range(-kInf, 18, true, false), 0);
  split.PutSplit(new Range(18, kInf, true, true), 1);
  split.PutSplit(new Range(0.0, 100, true, true), 2);  // overlaps: never wins

  const struct {
    double value;
    int child;
  } cases[] = {{-5, 0}, {18, 1}, {150, 1}, {99, 7}, {250, 7}, {NumericValue::GetSysmisValue(), 7}};
  for (const auto& c : cases) EXPECT_EQ(Route(split, c.value), c.child) << c.value;

  EXPECT_EQ(split.GetSplitValueRangeFirst()->GetMax()->GetDouble(), 18);
  EXPECT_EQ(split.GetSplitValueRangeForIndex(2)->GetMax()->GetDouble(), 100);
  EXPECT_EQ(split.GetSplitValueRangeForIndex(5), nullptr);

  ScaleSplit gap(&age_);
  gap.PutSplit(new Range(0.0, 10, true, true), 0);
  EXPECT_EQ(Route(gap, 11), -1);
}

TEST_F(SplitVarTest, ClonesAndAssignmentsAreDeepAndIndependent) {
  auto discrete = std::make_unique<DiscreteSplit>(&age_);
  discrete->SetMissvalMap(4);
  discrete->SetStartAndEndIndex(2, 5);
  discrete->PutSplit(new NumericValue(1), 0);
  auto scale = std::make_unique<ScaleSplit>(&age_);
  scale->SetMissvalMap(4);
  scale->PutSplit(new Range(0.0, 1, true, true), 0);

  std::unique_ptr<ScoreSplitVar> discrete_clone(discrete->Clone());
  std::unique_ptr<ScoreSplitVar> scale_clone(scale->Clone());
  DiscreteSplit discrete_assigned(nullptr);
  discrete_assigned.PutSplit(new NumericValue(2), 1);
  discrete_assigned = *discrete;
  ScaleSplit scale_assigned(nullptr);
  scale_assigned = *scale;
  discrete.reset();
  scale.reset();

  for (const ScoreSplitVar* copy : std::vector<const ScoreSplitVar*>{
           discrete_clone.get(), scale_clone.get(), &discrete_assigned, &scale_assigned}) {
    EXPECT_EQ(copy->GetSplitVar(), &age_);
    EXPECT_EQ(Route(*copy, 1), 0);
    EXPECT_EQ(Route(*copy, 2), 4);
    EXPECT_EQ(copy->GetMissvalMap(), 4);
  }
  int start = 0, end = 0;
  discrete_assigned.GetStartAndEndIndex(start, end);
  EXPECT_EQ(start * 10 + end, 25);
}

TEST_F(SplitVarTest, Display) {
  DiscreteSplit split(&age_);
  split.SetMissvalMap(2);
  split.SetStartAndEndIndex(0, -1);  // one negative index hides the index line
  split.PutSplit(new NumericValue(1.5), 0);
  EXPECT_EQ(Shown(split),
            "SplitVarName = age; Var type: Categorical\nMissing Value index: 2\n"
            "Value = 1.5; Index = 0\n\n");

  DictVar size("size", ScoreDictVar::kSTRING_VAR);
  size.SetMLevel(ScoreDictVar::kORDINAL);
  DiscreteSplit ordinal(&size);
  ordinal.SetStartAndEndIndex(0, 3);
  ordinal.PutSplit(new StringValue("small"), 0);
  EXPECT_EQ(Shown(ordinal),
            "SplitVarName = size; Var type: Ordinal\nMissing Value index: -1\n"
            "Split value index starts from  0 to 3\nValue = small; Index = 0\n\n");

  ScaleSplit scale(&age_);
  scale.SetMissvalMap(2);
  scale.PutSplit(new Range(0.0, 18, true, false), 0);
  EXPECT_EQ(Shown(scale),
            "SplitVarName = age\nMissing Value index: 2\nIndex = 0\n"
            "  Start Range Display   \nMinValue: 0;  MaxValue: 18; High End not included; "
            "lower End included\n End of Range Display\n\n\n");
}

}  // namespace
}  // namespace MCOrvane_600
