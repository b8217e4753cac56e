// Ranges, missing-value sets, value labels and variable statistics.
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/value_label_set.h"
#include "orvane/dictionary/value_lbl.h"
#include "orvane/dictionary/var_stats.h"
#include "orvane/dictionary/version_info.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

using orvane_test::Shown;

const double kInf = std::numeric_limits<double>::infinity();

bool In(const ScoreValueRange& range, double x) {
  const NumericValue value(x);
  return range.IsInRange(&value);
}

TEST(RangeTest, EachEndFollowsItsOwnFlag) {
  for (bool low : {true, false}) {
    for (bool high : {true, false}) {
      const Range range(1.0, 5.0, low, high);
      EXPECT_EQ(In(range, 1.0), low);
      EXPECT_EQ(In(range, 5.0), high);
      EXPECT_TRUE(In(range, 3.0));
      EXPECT_FALSE(In(range, 0.999) || In(range, 5.001));
    }
  }
}

TEST(RangeTest, OpenEndsAndSingleValues) {
  const Range below(nullptr, new NumericValue(5.0), true, true);
  const Range above(new NumericValue(1.0), nullptr, true, true);
  const Range sysmis_value(new NumericValue(), new NumericValue(0.0), false, true);
  EXPECT_EQ(Range(NumericValue::GetSysmisValue(), 0.0, false, true).GetMin()->GetDouble(), -kInf);
  EXPECT_EQ(above.GetMax()->GetDouble(), kInf);
  EXPECT_TRUE(In(below, -1e300) && In(above, 1e300) && In(sysmis_value, -1e307));
  EXPECT_FALSE(In(below, 6.0) || In(above, 0.0));
  // Only a numeric min is normalised: a date/time one and any max stay missing.
  EXPECT_TRUE(Range(new DateTimeValue(), nullptr, true, true).GetMin()->IsSystemMissingValue());
  EXPECT_TRUE(
      Range(0.0, NumericValue::GetSysmisValue(), true, true).GetMax()->IsSystemMissingValue());

  const Range nine(new NumericValue(9.0));
  EXPECT_NE(nine.GetMin(), nine.GetMax());
  EXPECT_TRUE(In(nine, 9.0) && !In(nine, 9.5) && !In(nine, 8.99));
  const Range everything(nullptr);
  const StringValue text("a");
  EXPECT_TRUE(In(everything, -1e300) && In(everything, 1e300));
  // Texts do not order against numbers.
  EXPECT_FALSE(everything.IsInRange(&text) || everything.IsInRange(&NumericValue::SYSMIS) ||
               everything.IsInRange(nullptr));

  // Both ends one object: the max is a clone, taken after normalisation.
  NumericValue* shared = new NumericValue();
  const Range range(shared, shared, true, true);
  EXPECT_NE(range.GetMax(), shared);
  EXPECT_EQ(range.GetMax()->GetDouble(), -kInf);
}

TEST(RangeTest, Equality) {
  const Range a(1.0, 5.0, true, false);
  EXPECT_TRUE(a == Range(1.0, 5.0 + 1e-14, true, false));
  EXPECT_FALSE(a == Range(1.0, 5.0, true, true) || a == Range(1.0, 5.0, false, false) ||
               a == Range(1.0, 6.0, true, false));
  // Infinite ends never compare equal, so open ranges are never equal.
  EXPECT_FALSE(Range(nullptr) == Range(nullptr));
}

TEST(RangeTest, CopiesAreDeepAndSettersKeepTheFormerEnds) {
  auto source = std::make_unique<Range>(new StringValue("a"), new StringValue("z"), true, false);
  std::unique_ptr<ScoreValueRange> clone(source->Clone());
  Range assigned(0.0, 0.0, false, false);
  assigned = *source;
  source.reset();
  for (const ScoreValueRange* r : {clone.get(), static_cast<ScoreValueRange*>(&assigned)}) {
    EXPECT_EQ(r->GetMin()->GetString() + r->GetMax()->GetString(), "az");
    EXPECT_TRUE(r->GetLowEnd() && !r->GetHighEnd());
  }

  Range range(1.0, 5.0, true, true);
  std::unique_ptr<const ScoreValue> old_min(range.GetMin()), old_max(range.GetMax());
  range.SetMin(nullptr);
  EXPECT_EQ(range.GetMin(), old_min.get());
  range.SetMin(new NumericValue());  // normalised
  range.SetMax(new NumericValue());  // kept as it is
  EXPECT_EQ(range.GetMin()->GetDouble(), -kInf);
  EXPECT_TRUE(range.GetMax()->IsSystemMissingValue());
  EXPECT_EQ(old_min->GetDouble() + old_max->GetDouble(), 6.0);  // alive, now ours
}

TEST(RangeTest, Display) {
  EXPECT_EQ(Shown(Range(new StringValue("a b"), nullptr, true, false)),
            "  Start Range Display   \nMinValue: a b;  MaxValue: inf; High End not included; "
            "lower End included\n End of Range Display\n\n");
  // A date/time end is a number: written as its seconds.
  EXPECT_EQ(Shown(Range(new DateTimeValue(3600.5, DateTimeValue::kTIME_VAL))),
            "  Start Range Display   \nMinValue: 3600.5;  MaxValue: 3600.5; High End included; "
            "lower End included\n End of Range Display\n\n");
}

TEST(MissingValueSetTest, AddAndRemoveByTolerantEquality) {
  MissingValueSet set;
  EXPECT_FALSE(set.Add(nullptr));
  EXPECT_TRUE(set.Add(new Range(1.0, 5.0, true, true)));
  Range same(1.0, 5.0, true, true);
  EXPECT_TRUE(set.Contains(&same));
  EXPECT_FALSE(set.Contains(nullptr));
  EXPECT_FALSE(set.Add(&same));  // refused, so not taken
  // Tolerant equality is not transitive: the probe equals both outer ranges,
  // which differ from each other, so both are held and both removed.
  set.Add(new Range(9.0, 9.0, true, true));
  set.Add(new Range(1.0 + 3e-14, 5.0, true, true));
  set.Add(new Range(7.0, 7.0, true, true));
  const Range probe(1.0 + 1.5e-14, 5.0, true, true);
  EXPECT_TRUE(set.Remove(&probe));
  ASSERT_EQ(set.Size(), 2);
  EXPECT_EQ(set.GetMissingValues()[0]->GetMin()->GetDouble(), 9.0);
  EXPECT_EQ(set.GetMissingValues()[1]->GetMin()->GetDouble(), 7.0);
  EXPECT_FALSE(set.Remove(&probe) || set.Remove(nullptr));

  std::unique_ptr<ScoreMissingValueSet> clone(set.Clone());
  MissingValueSet assigned;
  assigned.Add(new Range(0.0, 0.0, true, true));
  assigned = set;
  const Range seven(7.0, 7.0, true, true);
  EXPECT_TRUE(set.Remove(&seven));
  for (const ScoreMissingValueSet* copy :
       {clone.get(), static_cast<ScoreMissingValueSet*>(&assigned)}) {
    ASSERT_EQ(copy->Size(), 2);
    EXPECT_TRUE(*copy->GetMissingValues()[1] == seven);
  }
  EXPECT_EQ(Shown(set),
            " Begin MissingValueSet Display:\n"
            "  Start Range Display   \nMinValue: 9;  MaxValue: 9; High End included; "
            "lower End included\n End of Range Display\n\n"
            "End MissingValueSet Display.\n");
}

ValueLbl* Label(double value, const std::string& text) {
  return new ValueLbl(new NumericValue(value), text);
}

TEST(ValueLblTest, SettersRefuseEmptyTextAndNullValue) {
  ValueLbl label(new NumericValue(1.0), "one");
  NumericValue two(2.0);
  // Refused, so not taken.
  EXPECT_FALSE(label.SetLabel("") || label.SetValueLabel(&two, "") ||
               label.SetValueLabel(nullptr, "two"));
  EXPECT_EQ(label.GetLabel(), "one");
  std::unique_ptr<const ScoreValue> old_value(label.GetValue());
  EXPECT_TRUE(label.SetValueLabel(new NumericValue(2.0), "two"));
  EXPECT_EQ(label.GetValue()->GetDouble(), 2.0);
  EXPECT_EQ(old_value->GetDouble(), 1.0);  // not destroyed: now ours
}

TEST(ValueLblTest, ComparesValuesOnly) {
  const ValueLbl two(new NumericValue(2.0), "two"), deux(new NumericValue(2.0), "deux");
  const ValueLbl three(new NumericValue(3.0), "two"), none;
  EXPECT_TRUE(two == deux && two <= deux && two >= deux);
  EXPECT_FALSE(two == three);
  EXPECT_TRUE(two < three && two <= three && three > two && three >= two);
  EXPECT_FALSE(two == none || none == two || two < none || none > two);
}

TEST(ValueLabelSetTest, FirstMatchWinsAndCopiesAreDeep) {
  auto set = std::make_unique<ValueLabelSet>();
  EXPECT_FALSE(set->Add(nullptr));
  set->Add(new ValueLbl());  // a label without a value never matches
  for (auto* label : {Label(1, "one"), Label(2, "two"), Label(3, "three"), Label(2, "zwei")}) {
    EXPECT_TRUE(set->Add(label));
  }
  const NumericValue two(2.0);
  const StringValue text("1");
  EXPECT_EQ(set->GetLabelOfValue(&two), "two");
  EXPECT_EQ(set->GetLabelOfValue(&text) + set->GetLabelOfValue(nullptr), "");
  const ValueLbl probe(new NumericValue(2.0), "whatever"), four(new NumericValue(4.0), "four");
  EXPECT_TRUE(set->Remove(&probe));  // the first equal value only
  EXPECT_FALSE(set->Remove(&four) || set->Remove(nullptr));
  EXPECT_EQ(set->GetLabelOfValue(&two), "zwei");

  std::unique_ptr<ScoreValueLabelSet> clone(set->Clone());
  ValueLabelSet assigned;
  assigned.Add(Label(9, "nine"));
  assigned = *set;
  auto label = std::make_unique<ValueLbl>(new StringValue("n"), "no");
  std::unique_ptr<ScoreValueLabel> label_clone(label->Clone());
  ValueLbl label_assigned(new StringValue("F"), "female");
  label_assigned = *label;
  set.reset();
  label.reset();
  EXPECT_EQ(clone->GetLabelOfValue(&two), "zwei");
  assigned.Add(label_clone.release());
  assigned.Add(new ValueLbl(label_assigned));
  EXPECT_EQ(Shown(assigned),
            "Start ScoreValueLabelSet Display:\n"
            "Value: NULL;  Label: \n"
            "Value: 1;  Label: one\n"
            "Value: 3;  Label: three\n"
            "Value: 2;  Label: zwei\n"
            "Value: n;  Label: no\n"
            "Value: n;  Label: no\n"
            "End of ScoreValueLabelSet Display.\n\n");
}

TEST(VarStatsTest, DefaultsAndTheReplacementIsAlwaysItsOwnCopy) {
  VarStats defaults;
  EXPECT_EQ(defaults.GetMin(), NumericValue::GetSysmisValue());
  EXPECT_EQ(defaults.GetMax(), -NumericValue::GetSysmisValue());
  EXPECT_EQ(defaults.GetMean() + defaults.GetStddev(), 1.0);

  auto source = std::make_unique<VarStats>(1.0, 2.0, 3.0, 4.0);
  const NumericValue seven(7.0);
  source->SetMissingReplacement(&seven);
  EXPECT_NE(source->GetMissingReplacement(), &seven);
  std::unique_ptr<ScoreVarStats> clone(source->Clone());
  VarStats assigned;
  assigned.SetMissingReplacement(&seven);
  assigned = *source;
  source.reset();
  for (const ScoreVarStats* stats : {clone.get(), static_cast<ScoreVarStats*>(&assigned)}) {
    EXPECT_EQ(stats->GetMin() + stats->GetMax() + stats->GetMean() + stats->GetStddev(), 10.0);
    EXPECT_EQ(stats->GetMissingReplacement()->GetDouble(), 7.0);
  }
  assigned.SetMissingReplacement(nullptr);
  EXPECT_EQ(assigned.GetMissingReplacement(), nullptr);
}

// Another implementation with the same text.
class OtherVersionInfo : public ScoreVersionInfo {
 public:
  void SetVersionInfo(const std::string&) override {}
  ScoreVersionInfo* Clone() const override { return new OtherVersionInfo; }
  bool operator==(const ScoreVersionInfo&) const override { return true; }
  std::string GetVersionInfo() const override { return "2.1"; }
};

TEST(VersionInfoTest, EqualOnlyToAVersionInfoOfTheSameText) {
  VersionInfo info;
  EXPECT_EQ(info.GetVersionInfo(), "2.1");
  EXPECT_FALSE(info == OtherVersionInfo());
  EXPECT_FALSE(info == VersionInfo("2.1 "));
  info.SetVersionInfo("4.0");
  std::unique_ptr<ScoreVersionInfo> clone(info.Clone());
  EXPECT_TRUE(*clone == VersionInfo("4.0"));
}

}  // namespace
}  // namespace MCOrvane_600
