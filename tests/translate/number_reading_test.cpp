// Numbers and texts of a document read by the short ways give exactly what
// the general ways give: a number read as a classic-locale stream reads it,
// VerifyDouble's value as NumericValue makes it, ASCII text as the encoding's
// transcoder converts it.
#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/translate/base_translator.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/numeric_value.h"
#include "values/number_prefix.h"

namespace MCOrvane_600 {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What a classic-locale input stream makes of the whole of `text`.
bool StreamRead(const std::string& text, double* value) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  *value = 0.0;
  in >> *value;
  return !in.fail();
}

void ExpectReadAsStream(const std::string& text) {
  double expected = 0.0;
  const bool expected_ok = StreamRead(text, &expected);
  double value = 1.0;
  EXPECT_EQ(expected_ok, internal::ReadNumberPrefix(text, &value)) << text;
  EXPECT_TRUE(SameBits(expected, value)) << text << ": " << expected << " vs " << value;
}

TEST(NumberReadingTest, BoundaryNumbersReadAsTheStreamReadsThem) {
  // Separated by blanks.
  std::istringstream texts(
      "0 -0 +0.0 -0.0e5 1 +7 .5 -.5 0.1 0.3 123.456 9007199254740991 9007199254740992 "
      "9007199254740993 18446744073709551615 9999999999999999999 99999999999999999999 "
      "1e22 1e23 1e-22 1e-23 4.9406564584124654e-324 2.4703282292062327e-324 "
      "2.2250738585072011e-308 1.7976931348623157e308 1.7976931348623159e308 1e309 "
      "-1e309 1e-400 -1e-400 1e+0 1E-0 00000000000000000000012.5 "
      "0.000000000000000000001 123456789012345678901234567890e-10 ");
  for (std::string text; texts >> text;) ExpectReadAsStream(text);
}

TEST(NumberReadingTest, GeneratedNumbersReadAsTheStreamReadsThem) {
  std::mt19937_64 random(20261205);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    if (random() % 3 == 0) text += random() % 2 ? "-" : "+";
    const int integer_digits = static_cast<int>(random() % 21);
    for (int d = 0; d < integer_digits; ++d) text += static_cast<char>('0' + random() % 10);
    if (integer_digits == 0 || random() % 2) {
      text += '.';
      const int fraction_digits = 1 + static_cast<int>(random() % 20);
      for (int d = 0; d < fraction_digits; ++d) text += static_cast<char>('0' + random() % 10);
    }
    if (random() % 2) {
      text += random() % 2 ? "e" : "E";
      if (random() % 2) text += random() % 2 ? "-" : "+";
      text += std::to_string(random() % 40);
    }
    ExpectReadAsStream(text);
  }
}

TEST(NumberReadingTest, OnlyTheNumberPrefixIsRead) {
  double value = 0.0;
  EXPECT_TRUE(internal::ReadNumberPrefix(" \t1.5e3x", &value));
  EXPECT_EQ(1500.0, value);
  EXPECT_TRUE(internal::ReadNumberPrefix("2e", &value));
  EXPECT_EQ(2.0, value);
  EXPECT_TRUE(internal::ReadNumberPrefix("-3.e+", &value));
  EXPECT_EQ(-3.0, value);
  EXPECT_FALSE(internal::ReadNumberPrefix("e5", &value));
  EXPECT_EQ(0.0, value);
  EXPECT_FALSE(internal::ReadNumberPrefix("1e400", &value));
  EXPECT_EQ(std::numeric_limits<double>::max(), value);
}

TEST(NumberReadingTest, VerifyDoubleGivesWhatNumericValueMakes) {
  for (const char* text : {"1.5e-3", "-2", "+7", ".5", "-.5", "0.1", "-0", "1E+5",
                           "9007199254740993", "123456789012345678901234", "1e999", "-1e999",
                           "1e-999", "-e5", "+e-5", "2.2250738585072011e-308"}) {
    const double expected = NumericValue(text).GetDouble();
    EXPECT_TRUE(SameBits(expected, BaseTranslator::VerifyDouble(std::string(text)))) << text;
    const std::u16string wide(text, text + std::strlen(text));
    EXPECT_TRUE(SameBits(expected, BaseTranslator::VerifyDouble(wide.c_str()))) << text;
  }
  EXPECT_EQ(NumericValue::GetInfinity(), BaseTranslator::VerifyDouble(u"1e999"));
  EXPECT_EQ(NumericValue::GetSysmisValue(), BaseTranslator::VerifyDouble(u"-1e999"));
  // Long texts take the general way.
  const std::string long_number = "1." + std::string(100, '5');
  const std::u16string wide_long(long_number.begin(), long_number.end());
  EXPECT_TRUE(SameBits(NumericValue(long_number).GetDouble(),
                       BaseTranslator::VerifyDouble(wide_long.c_str())));
}

class TranscoderAsciiTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { xercesc::XMLPlatformUtils::Initialize(); }
  void TearDown() override { xercesc::XMLPlatformUtils::Terminate(); }
};

// A non-ASCII last character sends the text through the encoding's own
// conversion, whose ASCII part must be what the short way gives.
TEST_P(TranscoderAsciiTest, AsciiTextIsWhatTheEncodingMakesOfIt) {
  std::u16string ascii;
  for (char16_t c = 1; c < 0x80; ++c) ascii += c;
  const BrixTranscoder transcoder(GetParam());
  const std::string fast = transcoder.transcodeTo(ascii.c_str());
  const std::string general = transcoder.transcodeTo((ascii + u"\u00e9").c_str());
  ASSERT_EQ(ascii.size(), fast.size());
  EXPECT_EQ(general.substr(0, ascii.size()), fast);
  EXPECT_EQ(std::string(), transcoder.transcodeTo(u""));
}

INSTANTIATE_TEST_SUITE_P(Encodings, TranscoderAsciiTest,
                         ::testing::Values("CP1252", "cp1252", "windows-1252", "UTF-8",
                                           "ISO-8859-1", "US-ASCII", "ISO-8859-15"));

}  // namespace
}  // namespace MCOrvane_600
