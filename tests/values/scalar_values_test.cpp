// Numbers, texts, statuses and the readers' exception.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "orvane/values/mc_status.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {
namespace {

const double kSysmis = NumericValue::GetSysmisValue();
const double kInf = NumericValue::GetInfinity();

TEST(NumericValueTest, Constants) {
  uint64_t bits;
  std::memcpy(&bits, &kSysmis, sizeof bits);
  EXPECT_EQ(bits, 0xFFEFFFFFFFFFFFFFu);
  EXPECT_EQ(kInf, std::numeric_limits<double>::infinity());
  EXPECT_TRUE(NumericValue::SYSMIS.IsSystemMissingValue() && NumericValue().IsSystemMissingValue());
  EXPECT_FALSE(NumericValue::IsSystemMissingValue(-kInf));
}

TEST(NumericValueTest, EqualityAndOrdering) {
  const NumericValue half(0.5), one(1.0), near_one(1.0 + 1e-15), sysmis;
  const StringValue text_one("1");
  EXPECT_TRUE(one == near_one && NumericValue::SYSMIS == sysmis && one.Equal(&one, true, true));
  EXPECT_FALSE(one == text_one || NumericValue::SYSMIS == one || one.Equal(nullptr, false, false));
  EXPECT_TRUE(half < text_one && half <= text_one);
  EXPECT_FALSE(one <= text_one);  // the equality part demands a number
  EXPECT_TRUE(one < NumericValue(2.0) && NumericValue(2.0) > one);
  EXPECT_TRUE(one <= near_one && one >= near_one && near_one <= one && near_one >= one);
  EXPECT_TRUE(one < near_one);  // the strict part is exact
  const ScoreValue* others[] = {&one, &sysmis};
  for (const ScoreValue* other : others) {
    EXPECT_FALSE(sysmis < *other || sysmis > *other || sysmis <= *other || sysmis >= *other);
    EXPECT_FALSE(*other < sysmis || *other > sysmis || *other <= sysmis || *other >= sysmis);
  }
}

TEST(NumericValueTest, SetValueTakesPlainNumbersOnlyAndCopiesAreOwned) {
  NumericValue value(3.0);
  value.SetValue(&NumericValue::SYSMIS);
  EXPECT_TRUE(value.IsSystemMissingValue());
  value.SetDoubleValue(4.25);
  const StringValue text("7");
  value.SetValue(&text);
  value.SetValue(nullptr);
  std::unique_ptr<ScoreValue> got(value.GetValue());
  std::unique_ptr<ScoreValue> clone(value.Clone());
  NumericValue assigned;
  assigned = value;
  for (const ScoreValue* copy : {got.get(), clone.get(), static_cast<ScoreValue*>(&assigned)}) {
    EXPECT_EQ(copy->GetType(), ScoreValue::kNUMERIC_VALUE);
    EXPECT_EQ(copy->GetDouble(), 4.25);
  }
}

TEST(StringValueTest, NeverEqualToANumber) {
  const StringValue one("1");
  const NumericValue number(1.0);
  EXPECT_FALSE(one == number || one.Equal(&number, false, false) ||
               one.Equal(nullptr, false, false));
  EXPECT_FALSE(one < number || one > number || one <= number || one >= number);
  EXPECT_FALSE(one.IsSystemMissingValue());
}

TEST(StringValueTest, Ordering) {
  const StringValue empty(""), a("a"), abc("abc"), abc_sp("abc "), abd("abd"), abcd("abcd");
  EXPECT_TRUE(empty < a && !(a < empty) && StringValue("   ") < a);
  EXPECT_TRUE(empty <= StringValue("  ") && empty >= StringValue("  "));
  EXPECT_TRUE(abc_sp <= abd && abc < abd && abc < abcd && abd > abcd);
  EXPECT_TRUE(abc <= abc_sp && abc >= abc_sp);
  EXPECT_FALSE(abc < abc_sp || abc > abc_sp);
  EXPECT_TRUE(StringValue(" z") < a);    // leading spaces count
  EXPECT_TRUE(StringValue("\xE9") > a);  // byte-wise, unsigned
}

TEST(StringValueTest, LengthAndSetValue) {
  StringValue value("abc");
  EXPECT_EQ(value.GetLength(), 3);
  value.SetLength(10);
  value.SetString("abcdef");
  EXPECT_EQ(value.GetLength(), 10);
  EXPECT_EQ(StringValue(value).GetLength(), 6);  // a copy's length from the text
  StringValue assigned("x");
  assigned = value;  // length from the source
  EXPECT_EQ(assigned.GetLength(), 10);
  std::unique_ptr<ScoreValue> got(value.GetValue());
  EXPECT_EQ(static_cast<StringValue*>(got.get())->GetLength(), 6);
  std::unique_ptr<ScoreValue> clone(value.Clone());
  EXPECT_EQ(clone->GetString(), "abcdef");
  EXPECT_EQ(StringValue().GetLength() + StringValue(static_cast<const char*>(nullptr)).GetLength(),
            0);

  const StringValue other("xyz");
  value.SetValue(&other);
  EXPECT_EQ(value.GetString(), "xyz");
  const NumericValue number(1.0);
  value.SetValue(&number);
  EXPECT_EQ(value.GetString(), "");
  EXPECT_EQ(value.GetLength(), 10);
}

using MCScore::MCStatus;

TEST(OVExceptionTest, DefaultAndCopies) {
  OVException none;
  EXPECT_EQ(none.GetErrorCode(), 0);
  EXPECT_EQ(none.GetErrorMessage(), "");
  const OVException first(OVException::kCodeCount, "twelve");
  OVException copy(first);
  none = copy;
  EXPECT_EQ(none.GetErrorCode(), 12);
  EXPECT_EQ(none.GetErrorMessage(), "twelve");
}

TEST(MCStatusTest, SeveritiesAndEquality) {
  EXPECT_TRUE(MCStatus().IsOK() && !MCStatus().IsError() && !MCStatus().IsWarning());
  EXPECT_TRUE(MCStatus(5, true).IsWarning());
  EXPECT_EQ(MCStatus(5, true).GetErrorCode(), 5);
  // A status made from a code is never OK, even with code 0.
  EXPECT_TRUE(MCStatus(0, false).IsError() && !MCStatus(0, false).IsOK());
  EXPECT_TRUE(MCStatus() == MCStatus());
  EXPECT_FALSE(MCStatus() == MCStatus(0, true));

  MCStatus a, b;
  a.SetDiscreteDatum(1, 7);
  b.SetDiscreteDatum(1, 7);
  EXPECT_TRUE(a == b);
  b.SetScaleDatum(2, 0.5);
  EXPECT_FALSE(a == b);
  a = b;
  EXPECT_TRUE(a == b);
  EXPECT_EQ(a.GetScaleDatum(2) + a.GetDiscreteDatum(1), 7.5);
  a.SetScaleDatum(0, std::nan(""));
  EXPECT_FALSE(a == a);
}

}  // namespace
}  // namespace MCOrvane_600
