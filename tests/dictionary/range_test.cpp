#include "orvane/dictionary/range.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {
namespace {

const double kInf = std::numeric_limits<double>::infinity();

bool In(const ScoreValueRange& range, double x) {
  const NumericValue value(x);
  return range.IsInRange(&value);
}

std::string DisplayOf(const ScoreValueRange& range) {
  std::ostringstream os;
  range.Display(os);
  return os.str();
}

TEST(RangeTest, EachEndFollowsItsOwnFlag) {
  for (bool low : {true, false}) {
    for (bool high : {true, false}) {
      const Range range(1.0, 5.0, low, high);
      EXPECT_EQ(range.GetLowEnd(), low);
      EXPECT_EQ(range.GetHighEnd(), high);
      EXPECT_EQ(In(range, 1.0), low);
      EXPECT_EQ(In(range, 5.0), high);
      EXPECT_TRUE(In(range, 3.0));
      EXPECT_FALSE(In(range, 0.999) || In(range, 5.001));
    }
  }
}

TEST(RangeTest, OpenEnds) {
  const Range below(nullptr, new NumericValue(5.0), true, true);
  const Range above(new NumericValue(1.0), nullptr, true, true);
  const Range sysmis_double(NumericValue::GetSysmisValue(), 0.0, false, true);
  const Range sysmis_value(new NumericValue(), new NumericValue(0.0), false, true);
  EXPECT_EQ(below.GetMin()->GetDouble(), -kInf);
  EXPECT_EQ(above.GetMax()->GetDouble(), kInf);
  EXPECT_EQ(sysmis_double.GetMin()->GetDouble(), -kInf);
  EXPECT_EQ(sysmis_value.GetMin()->GetDouble(), -kInf);
  EXPECT_TRUE(In(below, -1e300) && In(above, 1e300) && In(sysmis_value, -1e307));
  EXPECT_FALSE(In(below, 6.0) || In(above, 0.0));
  // Only a numeric min is normalised: a date/time one and any max stay missing.
  EXPECT_TRUE(Range(new DateTimeValue(), nullptr, true, true).GetMin()->IsSystemMissingValue());
  EXPECT_TRUE(
      Range(0.0, NumericValue::GetSysmisValue(), true, true).GetMax()->IsSystemMissingValue());
}

TEST(RangeTest, SingleValue) {
  const Range nine(new NumericValue(9.0));
  EXPECT_NE(nine.GetMin(), nine.GetMax());
  EXPECT_TRUE(In(nine, 9.0));
  EXPECT_FALSE(In(nine, 9.5) || In(nine, 8.99));

  const Range everything(nullptr);
  EXPECT_TRUE(In(everything, -1e300) && In(everything, 1e300));
  const StringValue text("a");
  EXPECT_FALSE(everything.IsInRange(&text));  // texts do not order against numbers
  EXPECT_FALSE(everything.IsInRange(&NumericValue::SYSMIS));
  EXPECT_FALSE(everything.IsInRange(nullptr));

  // Both ends one object: the max is a clone, taken after normalisation.
  NumericValue* shared = new NumericValue();
  const Range range(shared, shared, true, true);
  EXPECT_NE(range.GetMax(), shared);
  EXPECT_EQ(range.GetMax()->GetDouble(), -kInf);
}

TEST(RangeTest, Equality) {
  const Range a(1.0, 5.0, true, false);
  EXPECT_TRUE(a == Range(1.0, 5.0 + 1e-14, true, false));
  EXPECT_FALSE(a == Range(1.0, 5.0, true, true));
  EXPECT_FALSE(a == Range(1.0, 5.0, false, false));
  EXPECT_FALSE(a == Range(1.0, 6.0, true, false));
  // Infinite ends never compare equal, so open ranges are never equal.
  EXPECT_FALSE(Range(nullptr) == Range(nullptr));
}

TEST(RangeTest, CopiesAreDeepAndSurviveTheirSource) {
  auto source = std::make_unique<Range>(new StringValue("a"), new StringValue("z"), true, false);
  std::unique_ptr<ScoreValueRange> clone(source->Clone());
  Range assigned(0.0, 0.0, false, false);
  assigned = *source;
  EXPECT_NE(clone->GetMin(), source->GetMin());
  source.reset();
  for (const ScoreValueRange* r : {clone.get(), static_cast<ScoreValueRange*>(&assigned)}) {
    EXPECT_EQ(r->GetMin()->GetString() + r->GetMax()->GetString(), "az");
    EXPECT_TRUE(r->GetLowEnd() && !r->GetHighEnd());
  }
}

TEST(RangeTest, SettersDoNotDestroyTheFormerEnds) {
  Range range(1.0, 5.0, true, true);
  const ScoreValue* old_min = range.GetMin();
  const ScoreValue* old_max = range.GetMax();
  range.SetMin(nullptr);
  EXPECT_EQ(range.GetMin(), old_min);
  range.SetMin(new NumericValue());  // normalised
  range.SetMax(new NumericValue());  // kept as it is
  EXPECT_EQ(range.GetMin()->GetDouble(), -kInf);
  EXPECT_TRUE(range.GetMax()->IsSystemMissingValue());
  EXPECT_EQ(old_min->GetDouble() + old_max->GetDouble(), 6.0);  // alive, now ours
  delete old_min;
  delete old_max;
}

TEST(RangeTest, Display) {
  EXPECT_EQ(DisplayOf(Range(1.0, 5.0, false, true)),
            "  Start Range Display   \nMinValue: 1;  MaxValue: 5; High End included; "
            "lower End not included\n End of Range Display\n\n");
  EXPECT_EQ(DisplayOf(Range(new StringValue("a b"), nullptr, true, false)),
            "  Start Range Display   \nMinValue: a b;  MaxValue: inf; High End not included; "
            "lower End included\n End of Range Display\n\n");
  // A date/time end is a number: written as its seconds.
  EXPECT_EQ(DisplayOf(Range(new DateTimeValue(3600.5, DateTimeValue::kTIME_VAL))),
            "  Start Range Display   \nMinValue: 3600.5;  MaxValue: 3600.5; High End included; "
            "lower End included\n End of Range Display\n\n");
}

}  // namespace
}  // namespace MCOrvane_600
