#include "orvane/values/numeric_value.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "orvane/values/string_value.h"

namespace MCOrvane_600 {
namespace {

const double kSysmis = NumericValue::GetSysmisValue();
const double kInf = NumericValue::GetInfinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Reaches the protected constants.
struct Constants : NumericValue {
  static double Epsilon() { return fEpsilon; }
};

uint64_t Bits(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

TEST(NumericValueTest, Constants) {
  EXPECT_EQ(Bits(kSysmis), 0xFFEFFFFFFFFFFFFFu);
  EXPECT_EQ(Bits(kInf), 0x7FF0000000000000u);
  EXPECT_EQ(Constants::Epsilon(), 2.22045e-14);
  EXPECT_TRUE(NumericValue::SYSMIS.IsSystemMissingValue());
  EXPECT_TRUE(NumericValue().IsSystemMissingValue());
  EXPECT_EQ(NumericValue().GetString(), "Undefined");
  EXPECT_TRUE(NumericValue::IsSystemMissingValue(-1.7976931348623157e308));
  EXPECT_FALSE(NumericValue::IsSystemMissingValue(-kInf));
}

struct ParseCase {
  const char* text;
  double expected;
};

TEST(NumericValueTest, TextToNumber) {
  const ParseCase cases[] = {
      {"", kSysmis}, {"abc", kSysmis}, {" 2.5", 2.5}, {"\t\n-3", -3},      {"12abc", 12},
      {"1,5", 1},    {"1e999", kInf},  {"inf", kInf}, {"-1e999", kSysmis}, {"nan", kSysmis},
      {"1e", 1},     {"1e+x", 1},      {"2E3", 2000}, {"-4.5e2xyz", -450}, {".5", 0.5},
      {"5.", 5},     {".", kSysmis},   {"+7", 7},     {"-", kSysmis},      {"- 5", kSysmis},
      {"0x10", 0},   {"1.2.3", 1.2},   {"1e-999", 0}, {"  ", kSysmis},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(NumericValue(std::string(c.text)).GetDouble(), c.expected) << "'" << c.text << "'";
  }
}

TEST(NumericValueTest, NumberToText) {
  const struct {
    double number;
    const char* text;
  } cases[] = {
      {0, "0"},
      {-0.0, "-0"},
      {2.5, "2.5"},
      {-3, "-3"},
      {100000, "100000"},
      {1234567, "1.23457e+06"},
      {1.0 / 3, "0.333333"},
      {1e-5, "1e-05"},
      {kInf, "inf"},
      {-kInf, "Undefined"},
      {kNaN, "Undefined"},
      {kSysmis, "Undefined"},
      {std::nextafter(kSysmis, 0.0), "-1.79769e+308"},
  };
  for (const auto& c : cases) EXPECT_EQ(NumericValue(c.number).GetString(), c.text) << c.number;
}

TEST(NumericValueTest, IsEqual) {
  EXPECT_TRUE(NumericValue::IsEqual(1.0, 1.0 + 1e-15));
  EXPECT_TRUE(NumericValue::IsEqual(123456789012345.0, 123456789012346.0));
  EXPECT_FALSE(NumericValue::IsEqual(1.0, 1.0 + 1e-13));
  EXPECT_TRUE(NumericValue::IsEqual(0.0, -0.0));
  EXPECT_FALSE(NumericValue::IsEqual(0.0, 1e-300));
  EXPECT_FALSE(NumericValue::IsEqual(1e-300, 0.0));
  EXPECT_FALSE(NumericValue::IsEqual(kInf, kInf));
  EXPECT_FALSE(NumericValue::IsEqual(kNaN, kNaN));
  EXPECT_TRUE(NumericValue::IsEqual(kSysmis, kSysmis));
  EXPECT_FALSE(NumericValue::IsEqual(kSysmis, 0.0));
  EXPECT_FALSE(NumericValue::IsEqual(0.0, kSysmis));
  // Within the tolerance of the system-missing value, but not it.
  EXPECT_FALSE(NumericValue::IsEqual(kSysmis, std::nextafter(kSysmis, 0.0)));
  EXPECT_FALSE(NumericValue::IsEqual(std::nextafter(kSysmis, 0.0), kSysmis));
  // A subnormal number equals itself although the tolerance underflows.
  EXPECT_TRUE(NumericValue::IsEqual(99e-319, 99e-319));
  EXPECT_FALSE(NumericValue::IsEqual(99e-319, 98e-319));
  EXPECT_FALSE(NumericValue::IsEqual(-kInf, -kInf));
}

TEST(NumericValueTest, EqualityNeedsPlainNumber) {
  const NumericValue one(1.0);
  EXPECT_TRUE(one == NumericValue(1.0 + 1e-15));
  EXPECT_FALSE(one == StringValue("1"));
  EXPECT_FALSE(NumericValue::SYSMIS == one);
  EXPECT_TRUE(NumericValue::SYSMIS == NumericValue());
  EXPECT_TRUE(one.Equal(&one, true, true));
  EXPECT_FALSE(one.Equal(nullptr, false, false));
}

TEST(NumericValueTest, Ordering) {
  const NumericValue half(0.5), one(1.0), near_one(1.0 + 1e-15);
  const StringValue text_one("1");
  EXPECT_TRUE(half < text_one);
  EXPECT_TRUE(half <= text_one);
  EXPECT_FALSE(one <= text_one);  // the equality part demands a number
  EXPECT_TRUE(one < NumericValue(2.0));
  EXPECT_TRUE(NumericValue(2.0) > one);
  EXPECT_TRUE(one <= near_one && one >= near_one && near_one <= one && near_one >= one);
  EXPECT_TRUE(one < near_one);  // the strict part is exact

  const NumericValue sysmis;
  const ScoreValue* others[] = {&one, &sysmis};
  for (const ScoreValue* other : others) {
    EXPECT_FALSE(sysmis < *other);
    EXPECT_FALSE(sysmis > *other);
    EXPECT_FALSE(sysmis <= *other);
    EXPECT_FALSE(sysmis >= *other);
    EXPECT_FALSE(*other < sysmis);
    EXPECT_FALSE(*other > sysmis);
    EXPECT_FALSE(*other <= sysmis);
    EXPECT_FALSE(*other >= sysmis);
  }
}

TEST(NumericValueTest, SetValueTakesPlainNumbersOnly) {
  NumericValue value(3.0);
  value.SetValue(&NumericValue::SYSMIS);
  EXPECT_TRUE(value.IsSystemMissingValue());
  value.SetDoubleValue(3.0);
  const StringValue text("7");
  value.SetValue(&text);
  value.SetValue(nullptr);
  EXPECT_EQ(value.GetDouble(), 3.0);
}

TEST(NumericValueTest, CopiesAreOwnedAndEqual) {
  const NumericValue value(4.25);
  std::unique_ptr<ScoreValue> got(value.GetValue());
  std::unique_ptr<ScoreValue> clone(value.Clone());
  EXPECT_EQ(got->GetType(), ScoreValue::kNUMERIC_VALUE);
  EXPECT_EQ(got->GetDouble(), 4.25);
  EXPECT_EQ(clone->GetDouble(), 4.25);
  NumericValue assigned;
  assigned = value;
  assigned = assigned;
  EXPECT_EQ(assigned.GetDouble(), 4.25);
}

TEST(NumericValueTest, GetIntTruncatesAndSaturates) {
  EXPECT_EQ(NumericValue(2.9).GetInt(), 2);
  EXPECT_EQ(NumericValue(-2.9).GetInt(), -2);
  EXPECT_EQ(NumericValue(1e12).GetInt(), INT_MAX);
  EXPECT_EQ(NumericValue().GetInt(), INT_MIN);
  EXPECT_EQ(NumericValue(kInf).GetInt(), INT_MAX);
  EXPECT_EQ(NumericValue(kNaN).GetInt(), 0);
}

}  // namespace
}  // namespace MCOrvane_600
