// Wide strings of the XML layer and the transcoders that narrow them.
#include <string>

#include <gtest/gtest.h>

#include "orvane/values/brix_string.h"
#include "orvane/values/brix_transcoder.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

using BrixStringTest = orvane_test::XmlPlatformTest;
using BrixTranscoderTest = orvane_test::XmlPlatformTest;

std::u16string Text(const BrixString& s) {
  return s.xc_str() == nullptr ? std::u16string() : std::u16string(s.xc_str());
}

TEST_F(BrixStringTest, NullAndEmpty) {
  BrixString null_string(static_cast<const XMLCh*>(nullptr));
  EXPECT_TRUE(null_string.empty());
  EXPECT_EQ(nullptr, null_string.xc_str());
  EXPECT_FALSE(null_string.equals(BrixString()));
  EXPECT_FALSE(null_string == BrixString());
  EXPECT_TRUE(null_string.equals(u""));
  EXPECT_TRUE(null_string.equals(static_cast<const XMLCh*>(nullptr)));
  BrixString empty(u"");
  EXPECT_NE(nullptr, empty.xc_str());
  EXPECT_TRUE(empty.equals(BrixString(u"")));
  EXPECT_EQ(0u, BrixString(static_cast<const char*>(nullptr)).length());
}

TEST_F(BrixStringTest, AssignAppendAndSearch) {
  BrixString s("abc");
  s.append(u"def");
  s.append(u"").append(static_cast<const XMLCh*>(nullptr)).append(XMLCh(0));
  s.append('g').append("hi").append(BrixString(u"j"));
  EXPECT_EQ(u"abcdefghij", Text(s));
  const BrixString& alias = s;
  s = alias;  // Self-assignment keeps the content.
  s.assign(s.xc_str());
  s.assign(s.xc_str() + 3);  // A text inside the own buffer.
  EXPECT_EQ(u"defghij", Text(s));

  BrixString t;
  t.append(u"xy");  // Appending to an empty string assigns.
  EXPECT_EQ(u"xy", Text(t));
  t = u"z";
  t.assign(XMLCh('q'));
  BrixString copy(t);
  EXPECT_TRUE(copy == t);
  EXPECT_EQ(nullptr, t.clear().xc_str());
  EXPECT_EQ(u"q", Text(copy));

  BrixString abc(u"abcabc");
  EXPECT_TRUE(abc.ContainsString(u"cab") && abc.ContainsString(u"abcabc"));
  EXPECT_FALSE(abc.ContainsString(u"abcabca") || abc.ContainsString(u"B") ||
               abc.ContainsString(nullptr) || BrixString().ContainsString(u"a"));
}

TEST_F(BrixStringTest, ReplaceTruncateAndConvert) {
  const struct {
    const char16_t* text;
    const char16_t* from;
    const char16_t* to;
    const char16_t* result;
    unsigned int count;
  } cases[] = {
      {u"abcabc", u"b", u"X", u"aXcaXc", 2}, {u"aaa", u"aa", u"b", u"ba", 1},
      {u"abc", u"z", u"X", u"abc", 0},       {u"abc", u"abc", u"", u"", 1},
      {u"abc", u"", u"X", u"abc", 0},        {u"abab", u"ab", u"abab", u"abababab", 2},
  };
  for (const auto& c : cases) {
    BrixString s(c.text);
    EXPECT_EQ(c.count, s.replaceSubstring(c.from, c.to)) << std::string(c.text, c.text + 3);
    EXPECT_EQ(std::u16string(c.result), Text(s));
  }

  BrixString s(u"abcde");
  s.truncateString(2);
  EXPECT_EQ(u"abc", Text(s));
  s.truncateString(9);
  EXPECT_TRUE(s.empty());
  BrixString null_string;
  null_string.truncateString(1);
  EXPECT_TRUE(null_string.empty());

  const struct {
    const char16_t* text;
    unsigned int value;
  } numbers[] = {{u"0042", 42},
                 {u"4a", 0},
                 {u"-4", 0},
                 {u"4294967295", 4294967295u},
                 {u"4294967296", 0}};  // wraps around
  for (const auto& n : numbers) EXPECT_EQ(n.value, BrixString(n.text).convertToInteger());
  EXPECT_EQ(0u, BrixString().convertToInteger());
}

TEST_F(BrixStringTest, Utf8) {
  EXPECT_EQ("\xC3\xA9", BrixString(u"\u00E9").toUTF8());
  EXPECT_EQ("", BrixString().toUTF8());
  BrixString s;
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

const XMLCh kAbc[] = {'a', 'b', 'c', 0};
// "Zoë café €5", all inside the Windows Latin-1 code page.
const XMLCh kLatin[] = {'Z', 'o', 0xEB, ' ', 'c', 'a', 'f', 0xE9, ' ', 0x20AC, '5', 0};
// "né" followed by a CJK ideograph and more text.
const XMLCh kOutside[] = {'n', 0xE9, 0x4E2D, 'x', 'y', 0};

TEST_F(BrixTranscoderTest, ConvertsUpToTheFirstCharacterOutsideTheCodePage) {
  const struct {
    const char* encoding;
    const XMLCh* text;
    std::string expected;
  } cases[] = {
      {"CP1252", kLatin,
       "Zo\xEB caf\xE9 \x80"
       "5"},
      {"cp1252", kOutside, "n\xE9"},
      {"windows-1252", kAbc, "abc"},
      {"UTF-8", kLatin,
       "Zo\xC3\xAB caf\xC3\xA9 \xE2\x82\xAC"
       "5"},
      {"UTF-8", kOutside,
       "n\xC3\xA9\xE4\xB8\xAD"
       "xy"},
      {"CP1252", nullptr, ""},
      {"CP1252", u"", ""},
      {"no-such-encoding", kAbc, ""},
  };
  for (const auto& c : cases) {
    BrixTranscoder transcoder(c.encoding);
    EXPECT_EQ(c.expected, transcoder.transcodeTo(c.text)) << c.encoding;
    // A failure leaves the transcoder usable; copies own their transcoder.
    BrixTranscoder copy(transcoder);
    BrixTranscoder assigned("UTF-8");
    assigned = transcoder;
    const std::string abc = std::string(c.encoding) == "no-such-encoding" ? "" : "abc";
    EXPECT_EQ(abc, transcoder.transcodeTo(kAbc));
    EXPECT_EQ(abc, copy.transcodeTo(kAbc));
    EXPECT_EQ(abc, assigned.transcodeTo(kAbc));
  }
}

TEST_F(BrixTranscoderTest, LongTextsConvertCompletelyOrUpToTheBadCharacter) {
  std::u16string text(2500, u'\u00E9');
  text += u"end";
  BrixTranscoder cp1252("CP1252");
  EXPECT_EQ(std::string(2500, '\xE9') + "end", cp1252.transcodeTo(text.c_str()));
  std::string expected;
  for (int i = 0; i < 2500; ++i) expected += "\xC3\xA9";
  EXPECT_EQ(expected + "end", BrixTranscoder("UTF-8").transcodeTo(text.c_str()));
  text[1700] = u'\u4E2D';  // Past the first 1000-byte round.
  EXPECT_EQ(std::string(1700, '\xE9'), cp1252.transcodeTo(text.c_str()));
}

}  // namespace
}  // namespace MCOrvane_600
