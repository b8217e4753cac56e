#include "orvane/values/brix_string.h"

#include <string>

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

namespace MCOrvane_600 {
namespace {

class BrixStringTest : public ::testing::Test {
 protected:
  void SetUp() override { xercesc::XMLPlatformUtils::Initialize(); }
  void TearDown() override { xercesc::XMLPlatformUtils::Terminate(); }
};

std::u16string Text(const BrixString& s) {
  return s.xc_str() == nullptr ? std::u16string() : std::u16string(s.xc_str());
}

TEST_F(BrixStringTest, NullAndEmpty) {
  BrixString null_string(static_cast<const XMLCh*>(nullptr));
  BrixString other;
  EXPECT_TRUE(null_string.empty());
  EXPECT_EQ(nullptr, null_string.xc_str());
  EXPECT_EQ(0u, null_string.length());
  EXPECT_FALSE(null_string.equals(other));
  EXPECT_FALSE(null_string == other);
  EXPECT_TRUE(null_string.equals(u""));
  EXPECT_TRUE(null_string.equals(static_cast<const XMLCh*>(nullptr)));

  BrixString empty(u"");
  EXPECT_TRUE(empty.empty());
  EXPECT_NE(nullptr, empty.xc_str());
  EXPECT_TRUE(empty.equals(BrixString(u"")));
  EXPECT_EQ(0u, BrixString(static_cast<const char*>(nullptr)).length());
}

TEST_F(BrixStringTest, AssignAndAppend) {
  BrixString s("abc");
  EXPECT_EQ(u"abc", Text(s));
  s.append(u"def");
  EXPECT_EQ(u"abcdef", Text(s));
  s.append(u"").append(static_cast<const XMLCh*>(nullptr)).append(XMLCh(0));
  EXPECT_EQ(u"abcdef", Text(s));
  s.append('g').append("hi").append(BrixString(u"j"));
  EXPECT_EQ(u"abcdefghij", Text(s));

  s = s;  // Self-assignment keeps the content.
  s.assign(s.xc_str());
  EXPECT_EQ(u"abcdefghij", Text(s));
  s.assign(s.xc_str() + 3);  // A text inside the own buffer.
  EXPECT_EQ(u"defghij", Text(s));

  BrixString t;
  t.append(u"xy");  // Appending to an empty string assigns.
  EXPECT_EQ(u"xy", Text(t));
  t = u"z";
  EXPECT_EQ(u"z", Text(t));
  t.assign(XMLCh('q'));
  EXPECT_EQ(u"q", Text(t));
  BrixString copy(t);
  EXPECT_TRUE(copy == t);
  EXPECT_EQ(nullptr, t.clear().xc_str());
  EXPECT_EQ(u"q", Text(copy));
}

TEST_F(BrixStringTest, Search) {
  BrixString s(u"abcabc");
  EXPECT_TRUE(s.ContainsString(u"cab"));
  EXPECT_TRUE(s.ContainsString(u"abcabc"));
  EXPECT_FALSE(s.ContainsString(u"abcabca"));
  EXPECT_FALSE(s.ContainsString(u"B"));
  EXPECT_FALSE(s.ContainsString(nullptr));
  EXPECT_FALSE(BrixString().ContainsString(u"a"));
}

TEST_F(BrixStringTest, ReplaceSubstring) {
  struct Case {
    const char16_t* text;
    const char16_t* from;
    const char16_t* to;
    const char16_t* result;
    unsigned int count;
  };
  const Case cases[] = {
      {u"abcabc", u"b", u"X", u"aXcaXc", 2}, {u"aaa", u"aa", u"b", u"ba", 1},
      {u"abc", u"z", u"X", u"abc", 0},       {u"abc", u"abc", u"", u"", 1},
      {u"abc", u"", u"X", u"abc", 0},        {u"abab", u"ab", u"abab", u"abababab", 2},
  };
  for (const Case& c : cases) {
    BrixString s(c.text);
    EXPECT_EQ(c.count, s.replaceSubstring(c.from, c.to)) << std::string(c.text, c.text + 3);
    EXPECT_EQ(std::u16string(c.result), Text(s));
  }
}

TEST_F(BrixStringTest, TruncateString) {
  BrixString s(u"abcde");
  s.truncateString(2);
  EXPECT_EQ(u"abc", Text(s));
  s.truncateString(9);
  EXPECT_TRUE(s.empty());
  BrixString null_string;
  null_string.truncateString(1);
  EXPECT_TRUE(null_string.empty());
}

TEST_F(BrixStringTest, ConvertToInteger) {
  EXPECT_EQ(42u, BrixString(u"0042").convertToInteger());
  EXPECT_EQ(0u, BrixString(u"4a").convertToInteger());
  EXPECT_EQ(0u, BrixString(u"-4").convertToInteger());
  EXPECT_EQ(0u, BrixString().convertToInteger());
  EXPECT_EQ(4294967295u, BrixString(u"4294967295").convertToInteger());
  EXPECT_EQ(0u, BrixString(u"4294967296").convertToInteger());  // Wraps around.
}

TEST_F(BrixStringTest, Utf8) {
  EXPECT_EQ("\xC3\xA9", BrixString(u"\u00E9").toUTF8());
  EXPECT_EQ("", BrixString().toUTF8());
  BrixString s;
  s.assignUTF8("\xC3\xA9");
  EXPECT_EQ(1u, s.length());
  EXPECT_EQ(u"\u00E9", Text(s));
  s.assignUTF8("");
  EXPECT_TRUE(s.empty());

  // Longer than one 1000-unit round, with a character outside the BMP.
  std::string long_text(1500, 'x');
  long_text += "\xF0\x9F\x98\x80\xE2\x82\xAC";
  s.assignUTF8(long_text);
  EXPECT_EQ(1503u, s.length());
  EXPECT_EQ(long_text, s.toUTF8());

  // An invalid byte ends the decoding with what came before.
  s.assignUTF8(std::string(1200, 'y') + "\xFF" + "zz");
  EXPECT_EQ(std::u16string(1200, u'y'), Text(s));
}

}  // namespace
}  // namespace MCOrvane_600
