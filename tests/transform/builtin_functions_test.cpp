#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/apply_evaluator.h"

namespace MCOrvane_600 {
namespace {

using TD = TransformationDictionary;
constexpr double kSysmis = NumericValue::GetSysmisValue();

// Each call takes and empties its vector and the probe.
TEST(BuiltinFunctionsTest, ValueComparisonsTakeAndEmptyTheirVectors) {
  std::vector<ScoreValue*> values{new StringValue("2"), new NumericValue(2.0)};
  EXPECT_EQ(TD::equal(values), 0.0);
  EXPECT_TRUE(values.empty());
  values = {new StringValue("ab  "), new StringValue("ab")};
  EXPECT_EQ(TD::equal(values), 1.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::notEqual(values), 1.0);
  values = {new NumericValue(1.0), new NumericValue(2.0), new NumericValue(3.0)};
  EXPECT_EQ(TD::isIn(values, new NumericValue(2.0)), 1.0);
  EXPECT_TRUE(values.empty());
  values = {new StringValue("2")};
  EXPECT_EQ(TD::isIn(values, new NumericValue(2.0)), 0.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::isNotIn(values, new NumericValue(4.0)), 1.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::isNotIn(values, nullptr), 1.0);
}

StringValue Text(const std::string& text, int length) {
  StringValue value(text);
  value.SetLength(length);
  return value;
}

TEST(BuiltinFunctionsTest, TextFunctionsKeepTheirLengths) {
  int length = -9;
  // A function's text, then the declared length it leaves behind.
  auto got = [&length](const std::string& text) { return text + "|" + std::to_string(length); };
  const StringValue padded = Text(" \t ab  ", 10), blank = Text("   ", 3), empty = Text("", 4);
  EXPECT_EQ(got(TD::Ltrim(&padded, length)), "ab  |7");
  EXPECT_EQ(got(TD::Rtrim(&padded, length)), " \t ab|5");
  EXPECT_EQ(got(TD::Rtrim(&blank, length)), "|0");
  EXPECT_EQ(got(TD::Ltrim(&empty, length)), "|4");
  // A declared length shorter than the blanks removed stops at 0.
  const StringValue constant = Text("  x", 0);
  EXPECT_EQ(got(TD::Ltrim(&constant, length)), "x|0");
  EXPECT_EQ(got(TD::Ltrim(nullptr, length)), "|0");

  // Substrings start at a one-based position.
  const StringValue hello = Text("hello", 5);
  EXPECT_EQ(got(TD::Substring(&hello, 2, length)), "ello|4");
  EXPECT_EQ(got(TD::Substring(&hello, 5, length)), "|0");
  EXPECT_EQ(got(TD::Substring(&hello, 0, length)), "|0");
  EXPECT_EQ(got(TD::Substring(&empty, 1, length)), "|0");

  // Case changes stop at the first NUL.
  TD dictionary;
  const StringValue mixed = Text(std::string("aBc\0dE", 6), 8);
  EXPECT_EQ(got(dictionary.ToUpperCase(&mixed, length)), "ABC|8");
  EXPECT_EQ(got(dictionary.ToLowerCase(&mixed, length)), "abc|8");
  EXPECT_EQ(got(dictionary.ToLowerCase(nullptr, length)), "|0");

  EXPECT_EQ(got(TD::Concat({"ab", "xyz", "ignored"}, {1, -1}, length)), "axyz|4");
  EXPECT_EQ(got(TD::Concat({}, {}, length)), "|0");
}

// An instant that is no date/time value has no fields.
TEST(BuiltinFunctionsTest, DateTimeFunctionsOfOtherValues) {
  const NumericValue number(1236421230.0);
  EXPECT_EQ(ApplyEvaluator::ApplyDateTimeFunction(&number, 0.0, TD::kFN_YEAR_FROM_DATE), kSysmis);
  EXPECT_EQ(ApplyEvaluator::ApplyDateTimeFunction(nullptr, 0.0, TD::kFN_YEAR_FROM_DATE), kSysmis);
}

}  // namespace
}  // namespace MCOrvane_600
