#include "orvane/values/brix_transcoder.h"

#include <string>

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

namespace MCOrvane_600 {
namespace {

class BrixTranscoderTest : public ::testing::Test {
 protected:
  void SetUp() override { xercesc::XMLPlatformUtils::Initialize(); }
  void TearDown() override { xercesc::XMLPlatformUtils::Terminate(); }
};

const XMLCh kAbc[] = {'a', 'b', 'c', 0};
// "Zoë café €5", all inside the Windows Latin-1 code page.
const XMLCh kLatin[] = {'Z', 'o', 0xEB, ' ', 'c', 'a', 'f', 0xE9, ' ', 0x20AC, '5', 0};
// "né" followed by a CJK ideograph and more text.
const XMLCh kEAcute[] = {0xE9, 0};
const XMLCh kOutside[] = {'n', 0xE9, 0x4E2D, 'x', 'y', 0};

TEST_F(BrixTranscoderTest, Cp1252ConvertsToSingleBytes) {
  for (const char* name : {"CP1252", "cp1252", "windows-1252"}) {
    SCOPED_TRACE(name);
    BrixTranscoder transcoder(name);
    EXPECT_EQ("abc", transcoder.transcodeTo(kAbc));
    EXPECT_EQ(
        "Zo\xEB caf\xE9 \x80"
        "5",
        transcoder.transcodeTo(kLatin));
    EXPECT_EQ("n\xE9", transcoder.transcodeTo(kOutside));
    // The failure leaves the transcoder usable.
    EXPECT_EQ("abc", transcoder.transcodeTo(kAbc));
  }
}

TEST_F(BrixTranscoderTest, Utf8EncodingName) {
  BrixTranscoder transcoder("UTF-8");
  EXPECT_EQ(
      "Zo\xC3\xAB caf\xC3\xA9 \xE2\x82\xAC"
      "5",
      transcoder.transcodeTo(kLatin));
  EXPECT_EQ(
      "n\xC3\xA9\xE4\xB8\xAD"
      "xy",
      transcoder.transcodeTo(kOutside));
}

TEST_F(BrixTranscoderTest, NullEmptyAndUnknownEncoding) {
  BrixTranscoder transcoder("CP1252");
  const XMLCh empty[] = {0};
  EXPECT_EQ("", transcoder.transcodeTo(nullptr));
  EXPECT_EQ("", transcoder.transcodeTo(empty));
  BrixTranscoder unknown("no-such-encoding");
  EXPECT_EQ("", unknown.transcodeTo(kAbc));
}

TEST_F(BrixTranscoderTest, LongTextsConvertCompletelyOrUpToTheBadCharacter) {
  std::u16string text(2500, u'\u00E9');
  text += u"end";
  const XMLCh* source = text.c_str();
  BrixTranscoder cp1252("CP1252");
  EXPECT_EQ(std::string(2500, '\xE9') + "end", cp1252.transcodeTo(source));
  BrixTranscoder utf8("UTF-8");
  std::string expected;
  for (int i = 0; i < 2500; ++i) expected += "\xC3\xA9";
  EXPECT_EQ(expected + "end", utf8.transcodeTo(source));

  text[1700] = u'\u4E2D';  // Past the first 1000-byte round.
  EXPECT_EQ(std::string(1700, '\xE9'), cp1252.transcodeTo(source));
}

TEST_F(BrixTranscoderTest, CopiesOwnTheirTranscoder) {
  BrixTranscoder original("CP1252");
  BrixTranscoder copy(original);
  BrixTranscoder assigned("UTF-8");
  assigned = original;
  EXPECT_EQ("\xE9", copy.transcodeTo(kEAcute));
  EXPECT_EQ("\xE9", assigned.transcodeTo(kEAcute));
  BrixTranscoder none("no-such-encoding");
  BrixTranscoder none_copy(none);
  EXPECT_EQ("", none_copy.transcodeTo(kAbc));
}

}  // namespace
}  // namespace MCOrvane_600
