// The pieces the readers are built on: the document parse and its platform
// session, the scan for a model element, arrays of numbers and tag texts.
#include <memory>
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

#include "orvane/translate/pmml_translator.h"
#include "orvane/translate/score_sax2_handlers.h"
#include "orvane/values/ov_exception.h"
#include "support/test_support.h"
#include "translate/pmml_document_fixture.h"
#include "translate/xml_document_parse.h"

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
