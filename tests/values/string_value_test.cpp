#include "orvane/values/string_value.h"

#include <climits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "orvane/values/numeric_value.h"

namespace MCOrvane_600 {
namespace {

struct EqualCase {
  const char* a;
  const char* b;
  bool equal;     // operator==
  bool no_trim;   // Equal with the no-space-trim flag
  bool empty_ok;  // Equal with the empty-string-OK flag
};

TEST(StringValueTest, Equality) {
  const EqualCase cases[] = {
      {"abc", "abc", true, true, true},     {"abc", "abc   ", true, false, true},
      {" abc", "abc", false, false, false}, {"abc\t", "abc", false, false, false},
      {"", "  ", true, false, false},       {"  ", "", true, false, false},
      {" ", "   ", true, false, true},      {"", "", true, true, true},
      {"", "a", false, false, false},       {"  ", "a", false, false, false},
      {"abc", "abd", false, false, false},
  };
  for (const EqualCase& c : cases) {
    const StringValue a(c.a), b(c.b);
    SCOPED_TRACE(std::string("'") + c.a + "' vs '" + c.b + "'");
    EXPECT_EQ(a == b, c.equal);
    EXPECT_EQ(a.Equal(&b, false, false), c.equal);
    EXPECT_EQ(a.Equal(&b, true, false), c.no_trim);
    EXPECT_EQ(a.Equal(&b, false, true), c.empty_ok);
    EXPECT_EQ(a.Equal(&b, true, true), c.no_trim && c.empty_ok);
  }
}

TEST(StringValueTest, NeverEqualsOrOrdersAgainstNonText) {
  const StringValue one("1");
  const NumericValue number(1.0);
  EXPECT_FALSE(one == number);
  EXPECT_FALSE(one.Equal(&number, false, false));
  EXPECT_FALSE(one.Equal(nullptr, false, false));
  EXPECT_FALSE(one < number || one > number || one <= number || one >= number);
  EXPECT_FALSE(one.IsSystemMissingValue());
}

TEST(StringValueTest, Ordering) {
  const StringValue empty(""), a("a"), abc("abc"), abc_sp("abc "), abd("abd"), abcd("abcd");
  EXPECT_TRUE(empty < a);
  EXPECT_FALSE(a < empty);
  EXPECT_TRUE(StringValue("   ") < a);
  EXPECT_TRUE(empty <= StringValue("  ") && empty >= StringValue("  "));
  EXPECT_TRUE(abc_sp <= abd);
  EXPECT_TRUE(abc < abd && abc < abcd && abd > abcd);
  EXPECT_TRUE(abc <= abc_sp && abc >= abc_sp);
  EXPECT_FALSE(abc < abc_sp || abc > abc_sp);
  EXPECT_TRUE(StringValue(" z") < a);    // leading spaces count
  EXPECT_TRUE(StringValue("\xE9") > a);  // byte-wise, unsigned
}

TEST(StringValueTest, Numbers) {
  EXPECT_EQ(StringValue("  42abc").GetInt(), 42);
  EXPECT_EQ(StringValue("-7").GetInt(), -7);
  EXPECT_EQ(StringValue("x1").GetInt(), 0);
  EXPECT_EQ(StringValue("99999999999").GetInt(), INT_MAX);
  EXPECT_EQ(StringValue(" 2.5e1x").GetDouble(), 25.0);
  EXPECT_EQ(StringValue("1,5").GetDouble(), 1.0);
  EXPECT_EQ(StringValue("abc").GetDouble(), 0.0);
  EXPECT_EQ(StringValue("").GetDouble(), 0.0);
}

TEST(StringValueTest, Length) {
  StringValue value("abc");
  EXPECT_EQ(value.GetLength(), 3);
  value.SetLength(10);
  value.SetString("abcdef");
  EXPECT_EQ(value.GetLength(), 10);

  const StringValue copy(value);  // length from the text
  EXPECT_EQ(copy.GetLength(), 6);
  StringValue assigned("x");
  assigned = value;  // length from the source
  EXPECT_EQ(assigned.GetLength(), 10);
  std::unique_ptr<ScoreValue> got(value.GetValue());
  EXPECT_EQ(static_cast<StringValue*>(got.get())->GetLength(), 6);
  std::unique_ptr<ScoreValue> clone(value.Clone());
  EXPECT_EQ(clone->GetString(), "abcdef");
  EXPECT_EQ(clone->GetType(), ScoreValue::kSTRING_VALUE);

  const StringValue blank;
  EXPECT_EQ(blank.GetString(), "");
  EXPECT_EQ(blank.GetLength(), 0);
  EXPECT_EQ(StringValue(static_cast<const char*>(nullptr)).GetString(), "");
}

TEST(StringValueTest, SetValue) {
  StringValue value("abc");
  value.SetLength(8);
  const StringValue other("xyz");
  value.SetValue(&other);
  EXPECT_EQ(value.GetString(), "xyz");
  const NumericValue number(1.0);
  value.SetValue(&number);
  EXPECT_EQ(value.GetString(), "");
  EXPECT_EQ(value.GetLength(), 8);
}

}  // namespace
}  // namespace MCOrvane_600
