// The pieces the readers are built on: the document parse and its platform
// session, the scan for a model element, arrays of numbers. Numbers and texts
// read by the short ways give exactly what the general ways give: a number
// read as a classic-locale stream reads it, VerifyDouble's value as
// NumericValue makes it, ASCII text as the encoding's transcoder converts it.
#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/translate/base_translator.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/translate/score_sax2_handlers.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "support/test_support.h"
#include "translate/pmml_document_fixture.h"
#include "translate/xml_document_parse.h"
#include "values/number_prefix.h"

namespace MCOrvane_600 {
namespace xml_internal {
namespace {

using orvane_test::XercesIsUp;

// An input the parser cannot open: it has no stream to give.
class UnopenableSource : public xercesc::InputSource {
 public:
  UnopenableSource() : xercesc::InputSource("unopenable") {}
  xercesc::BinInputStream* makeStream() const override { return nullptr; }
};

TEST(XercesPlatformSessionTest, TerminatesOnceWhenLeft) {
  orvane_test::ExpectPlatformBalanced([] {
    const XercesPlatformSession session;
    EXPECT_TRUE(XercesIsUp());
  });
}

TEST(ParseDocumentTest, ReturnsTheParsersDocument) {
  const XercesPlatformSession session;
  xercesc::XercesDOMParser parser;
  const std::string xml = "<PMML version='4.0'/>";
  const xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(xml.data()), xml.size(),
                                          "inline");
  xercesc::DOMDocument* document = ParseDocument(&parser, source);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(NarrowText(document->getDocumentElement()->getTagName()), "PMML");
}

TEST(ParseDocumentTest, NoDocumentIsCodeFour) {
  const XercesPlatformSession session;
  xercesc::XercesDOMParser parser;
  orvane_test::ExpectOVException([&] { ParseDocument(&parser, UnopenableSource()); }, 4,
                                 "\nInput XML is not parseable into a document");
}

TEST(NarrowTextTest, WritesUtf8) {
  const XMLCh text[] = {'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xD800, 'z', 0};
  EXPECT_EQ(NarrowText(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBDz");
  EXPECT_EQ(NarrowText(nullptr), "");
}

const char kTarget[] = "NearestNeighborModel";

TEST(ScanForElementTest, Answers) {
  const struct {
    const char* document;
    bool found;
  } cases[] = {
      {"<PMML><Header/><NearestNeighborModel/></PMML>", true},
      {"<PMML><Header/><TreeModel/></PMML>", false},
      {"<PMML><nearestNeighborModel/></PMML>", false},
      {"<Other><a><NearestNeighborModel x='1'/></a></Other>", true},
      {"<PMML><a></b><NearestNeighborModel/></PMML>", false},  // Fatal error first.
      {"<PMML><x:a/><NearestNeighborModel/></PMML>", false},   // Unbound prefix.
      {"<PMML><a/>", false},
      {"<Other><a/></Other>", false},  // Read to its end.
      {"<PMML><?pi x?>text<NearestNeighborModel/></PMML>", true},
      {"", false},
      {"not xml", false},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.document);
    EXPECT_EQ(c.found, ScanForElement(kTarget, in)) << c.document;
  }
  // A handler made on the library's heap stops at the end of the PMML element.
  std::unique_ptr<ScoreSAX2Handlers> handler(new ScoreSAX2Handlers(nullptr));
  EXPECT_NO_THROW(handler->endElement(u"", u"", u"Other"));
  EXPECT_THROW(handler->endElement(u"", u"", u"PMML"), ScoreSAX2Handlers::HandlerState);
}

TEST(ScanForElementTest, StopsAtTheEndOfPmml) {
  std::string document = "<root><PMML><Header/></PMML><NearestNeighborModel/><!--";
  document += std::string(1 << 20, 'x');
  document += "--></root>";
  std::istringstream in(document);
  EXPECT_FALSE(ScanForElement(kTarget, in));
  // The rest of the document was never read.
  ASSERT_TRUE(in.good());
  EXPECT_LT(in.tellg(), static_cast<std::streamoff>(document.size() / 2));

  in.seekg(0);
  EXPECT_FALSE(ScanForElement("Header2", in));
  in.clear();
  in.seekg(0);
  EXPECT_TRUE(ScanForElement("Header", in));
}

using PMMLTranslatorTest = PMMLDocumentTest;

TEST_F(PMMLTranslatorTest, VerifyDoubleArrayReadsCountedArrays) {
  EXPECT_EQ(std::vector<double>({1, -2.5, 300}),
            translator_->VerifyDoubleArray(Parse("<Array n='3'>1\n\t-2.5  3e2 </Array>"), 0));
  EXPECT_EQ(std::vector<double>({1, 2, 3, 4}),
            translator_->VerifyDoubleArray(Parse("<Array type='real'>1 2 3 4</Array>"), 2));
  EXPECT_EQ(std::vector<double>({7, 8}),
            translator_->VerifyDoubleArray(Parse("<x-BasisRow>7 8</x-BasisRow>"), 2));
  EXPECT_EQ(std::vector<double>({.5}),
            translator_->VerifyDoubleArray(Parse("<X-BasisRow>.5</X-BasisRow>"), 1));
}

TEST_F(PMMLTranslatorTest, VerifyDoubleArrayFailures) {
  struct Case {
    const char* xml;
    int count;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {"<array n='1'>1</array>", 1, 3, "Invalid character -- should be array!"},
      {"<Array n='1'/>", 1, 4, "No Array Element Found!!!"},
      {"<Array n='1'> \n </Array>", 1, 4, "No Elements found in double array!"},
      {"<Array><Array/></Array>", 1, 4, "No Elements found in double array!"},
      {"<Array n='3'>1 2</Array>", 3, 12, "Number Does Not Match in Double array!"},
      {"<x-BasisRow>1 2</x-BasisRow>", 3, 12, "Number Does Not Match in Double array!"},
      {"<Array n='2'>1 x</Array>", 2, 3, "xInvalid double string -- "},
      {"<Array n='two'>1 2</Array>", 2, 3, "twoInvalid integer string -- "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    xercesc::DOMElement* array = Parse(c.xml);
    ASSERT_NE(nullptr, array);
    ExpectOVException([&] { translator_->VerifyDoubleArray(array, c.count); }, c.code, c.message);
  }
  ExpectOVException([&] { translator_->VerifyDoubleArray(nullptr, 1); }, 4,
                    "No Array Element Node Found!!!");
}

}  // namespace
}  // namespace xml_internal
}  // namespace MCOrvane_600

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
