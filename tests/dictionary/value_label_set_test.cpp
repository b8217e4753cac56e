#include "orvane/dictionary/value_label_set.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "orvane/dictionary/value_lbl.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {
namespace {

ValueLbl* Label(double value, const std::string& text) {
  return new ValueLbl(new NumericValue(value), text);
}

TEST(ValueLblTest, SettersRefuseEmptyTextAndNullValue) {
  ValueLbl label(new NumericValue(1.0), "one");
  NumericValue two(2.0);
  EXPECT_FALSE(label.SetLabel(""));
  EXPECT_FALSE(label.SetValueLabel(&two, ""));  // refused, so not taken
  EXPECT_FALSE(label.SetValueLabel(nullptr, "two"));
  EXPECT_EQ(label.GetLabel(), "one");
  EXPECT_EQ(label.GetValue()->GetDouble(), 1.0);

  const ScoreValue* old_value = label.GetValue();
  EXPECT_TRUE(label.SetValueLabel(new NumericValue(2.0), "two"));
  EXPECT_EQ(label.GetValue()->GetDouble(), 2.0);
  EXPECT_EQ(old_value->GetDouble(), 1.0);  // not destroyed: now ours
  delete old_value;
}

TEST(ValueLblTest, ComparesValuesOnly) {
  const ValueLbl two(new NumericValue(2.0), "two"), deux(new NumericValue(2.0), "deux");
  const ValueLbl three(new NumericValue(3.0), "two"), none;
  EXPECT_TRUE(two == deux && two <= deux && two >= deux);
  EXPECT_FALSE(two == three);
  EXPECT_TRUE(two < three && two <= three && three > two && three >= two);
  EXPECT_FALSE(two == none || none == two || two < none || none > two);
}

TEST(ValueLblTest, AssignedCopyHoldsItsOwnValue) {
  auto source = std::make_unique<ValueLbl>(new StringValue("M"), "male");
  ValueLbl assigned(new StringValue("F"), "female");
  assigned = *source;
  std::unique_ptr<ScoreValueLabel> clone(source->Clone());
  EXPECT_NE(assigned.GetValue(), source->GetValue());
  source.reset();
  EXPECT_EQ(assigned.GetValue()->GetString() + clone->GetValue()->GetString(), "MM");
  EXPECT_EQ(assigned.GetLabel(), "male");
}

TEST(ValueLabelSetTest, RemoveTakesOutTheFirstEqualValueOnly) {
  ValueLabelSet set;
  EXPECT_FALSE(set.Add(nullptr));
  for (auto* label : {Label(1, "one"), Label(2, "two"), Label(3, "three"), Label(2, "zwei")}) {
    EXPECT_TRUE(set.Add(label));
  }
  const ValueLbl probe(new NumericValue(2.0), "whatever"), four(new NumericValue(4.0), "four");
  EXPECT_TRUE(set.Remove(&probe));
  ASSERT_EQ(set.Size(), 3);
  EXPECT_EQ(set.GetAllValueLabels()[1]->GetLabel(), "three");
  EXPECT_EQ(set.GetAllValueLabels()[2]->GetLabel(), "zwei");
  EXPECT_FALSE(set.Remove(&four) || set.Remove(nullptr));
  EXPECT_EQ(set.Size(), 3);
}

TEST(ValueLabelSetTest, GetLabelOfValueGivesTheFirstMatch) {
  ValueLabelSet set;
  set.Add(new ValueLbl());  // a label without a value never matches
  set.Add(Label(1, "first"));
  set.Add(Label(1, "second"));
  const NumericValue one(1.0), two(2.0);
  const StringValue text("1");
  EXPECT_EQ(set.GetLabelOfValue(&one), "first");
  EXPECT_EQ(set.GetLabelOfValue(&two) + set.GetLabelOfValue(&text), "");
  EXPECT_EQ(set.GetLabelOfValue(nullptr), "");
}

TEST(ValueLabelSetTest, CopiesAreDeepAndSurviveTheirSource) {
  auto source = std::make_unique<ValueLabelSet>();
  source->Add(Label(1, "one"));
  source->Add(Label(2, "two"));
  std::unique_ptr<ScoreValueLabelSet> clone(source->Clone());
  ValueLabelSet assigned;
  assigned.Add(Label(9, "nine"));
  assigned = *source;
  EXPECT_NE(clone->GetAllValueLabels()[0], source->GetAllValueLabels()[0]);
  source.reset();
  const NumericValue two(2.0);
  for (const ScoreValueLabelSet* set : {clone.get(), static_cast<ScoreValueLabelSet*>(&assigned)}) {
    ASSERT_EQ(set->Size(), 2);
    EXPECT_EQ(set->GetAllValueLabels()[0]->GetLabel(), "one");
    EXPECT_EQ(set->GetLabelOfValue(&two), "two");
  }
}

TEST(ValueLabelSetTest, Display) {
  ValueLabelSet set;
  set.Add(Label(1, "yes"));
  set.Add(new ValueLbl(new StringValue("n"), "no"));
  set.Add(new ValueLbl());
  std::ostringstream os;
  set.Display(os);
  EXPECT_EQ(os.str(),
            "Start ScoreValueLabelSet Display:\n"
            "Value: 1;  Label: yes\n"
            "Value: n;  Label: no\n"
            "Value: NULL;  Label: \n"
            "End of ScoreValueLabelSet Display.\n\n");
}

}  // namespace
}  // namespace MCOrvane_600
