#include <memory>
#include <sstream>
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

namespace {

using MCOrvane_600::DictVar;
using MCOrvane_600::DiscreteSplit;
using MCOrvane_600::MissingValueSet;
using MCOrvane_600::NumericValue;
using MCOrvane_600::Range;
using MCOrvane_600::ScaleSplit;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreSplitVar;
using MCOrvane_600::ScoreValue;
using MCOrvane_600::StringValue;

const double kInf = NumericValue::GetInfinity();

template <typename T>
std::string DisplayOf(const T& object) {
  std::ostringstream os;
  object.Display(os);
  return os.str();
}

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

TEST_F(SplitVarTest, BaseAccessors) {
  DiscreteSplit split(&age_);
  EXPECT_EQ(split.GetSplitName(), "age");
  EXPECT_EQ(split.GetSplitLabel(), "Age in years");
  EXPECT_EQ(split.GetSplitType(), ScoreDictVar::kNUMERIC_VAR);
  EXPECT_EQ(split.GetSplitMLevel(), ScoreDictVar::kNOMINAL);
  int start = 0, end = 0;
  split.GetStartAndEndIndex(start, end);
  EXPECT_EQ(start + end, -2);

  split.SetSplitVar(nullptr);
  split.SetMissvalMap(3);
  EXPECT_EQ(split.GetSplitName(), "");
  EXPECT_EQ(split.GetSplitType(), -1);
  EXPECT_EQ(split.GetMissvalMap(), 3);
}

TEST_F(SplitVarTest, EmptySplitsRouteEverythingToMissingChild) {
  DiscreteSplit discrete(&age_);
  ScaleSplit scale(&age_);
  for (ScoreSplitVar* split : std::vector<ScoreSplitVar*>{&discrete, &scale}) {
    EXPECT_EQ(split->GetSplitChildIndex(nullptr), -1);
    EXPECT_EQ(Route(*split, 30), -1);
    split->SetMissvalMap(2);
    EXPECT_EQ(split->GetSplitChildIndex(nullptr), 2);
    EXPECT_EQ(Route(*split, 30), 2);
  }
  EXPECT_TRUE(discrete.GetSplitValuesFirst().empty());
  EXPECT_EQ(scale.GetSplitValueRangeFirst(), nullptr);
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

  const std::string discrete_text = DisplayOf(*discrete);
  const std::string scale_text = DisplayOf(*scale);
  EXPECT_NE(static_cast<DiscreteSplit&>(*discrete_clone).GetSplitValues()[0],
            discrete->GetSplitValues()[0]);
  discrete.reset();
  scale.reset();

  for (const ScoreSplitVar* copy : std::vector<const ScoreSplitVar*>{
           discrete_clone.get(), scale_clone.get(), &discrete_assigned, &scale_assigned}) {
    EXPECT_EQ(copy->GetSplitVar(), &age_);
    EXPECT_EQ(Route(*copy, 1), 0);
    EXPECT_EQ(Route(*copy, 2), 4);
  }
  EXPECT_EQ(DisplayOf(*discrete_clone), discrete_text);
  EXPECT_EQ(DisplayOf(discrete_assigned), discrete_text);
  EXPECT_EQ(DisplayOf(*scale_clone), scale_text);
}

TEST_F(SplitVarTest, DiscreteDisplay) {
  DiscreteSplit split(&age_);
  split.SetMissvalMap(2);
  split.SetStartAndEndIndex(0, -1);  // one negative index hides the index line
  split.PutSplit(new NumericValue(1.5), 0);
  EXPECT_EQ(DisplayOf(split),
            "SplitVarName = age; Var type: Categorical\nMissing Value index: 2\n"
            "Value = 1.5; Index = 0\n\n");

  DictVar size("size", ScoreDictVar::kSTRING_VAR);
  size.SetMLevel(ScoreDictVar::kORDINAL);
  DiscreteSplit ordinal(&size);
  ordinal.SetStartAndEndIndex(0, 3);
  ordinal.PutSplit(new StringValue("small"), 0);
  EXPECT_EQ(DisplayOf(ordinal),
            "SplitVarName = size; Var type: Ordinal\nMissing Value index: -1\n"
            "Split value index starts from  0 to 3\nValue = small; Index = 0\n\n");
}

TEST_F(SplitVarTest, ScaleDisplay) {
  ScaleSplit split(&age_);
  split.SetMissvalMap(2);
  split.PutSplit(new Range(0.0, 18, true, false), 0);
  split.PutSplit(new Range(18, 65, true, true), 1);
  EXPECT_EQ(DisplayOf(split), "SplitVarName = age\nMissing Value index: 2\nIndex = 0\n" +
                                  DisplayOf(*split.GetSplitValueRangeForIndex(0)) + "Index = 1\n" +
                                  DisplayOf(*split.GetSplitValueRangeForIndex(1)) + "\n");
  EXPECT_EQ(DisplayOf(*split.GetSplitValueRangeFirst()),
            "  Start Range Display   \nMinValue: 0;  MaxValue: 18; High End not included; "
            "lower End included\n End of Range Display\n\n");
}

}  // namespace
