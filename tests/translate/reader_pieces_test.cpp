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
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/translate/mcx_input_source.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/translate/score_sax2_handlers.h"
#include "orvane/values/ov_exception.h"
#include "support/test_support.h"
#include "translate/pmml_document_fixture.h"
#include "translate/xml_document_parse.h"

namespace MCOrvane_600 {
namespace xml_internal {
namespace {

bool XercesIsUp() { return xercesc::XMLPlatformUtils::fgMemoryManager != nullptr; }

// An input the parser cannot open: it has no stream to give.
class UnopenableSource : public xercesc::InputSource {
 public:
  UnopenableSource() : xercesc::InputSource("unopenable") {}
  xercesc::BinInputStream* makeStream() const override { return nullptr; }
};

TEST(XercesPlatformSessionTest, TerminatesOnceWhenLeft) {
  ASSERT_FALSE(XercesIsUp());
  {
    const XercesPlatformSession session;
    EXPECT_TRUE(XercesIsUp());
  }
  EXPECT_FALSE(XercesIsUp());

  xercesc::XMLPlatformUtils::Initialize();
  { const XercesPlatformSession session; }
  EXPECT_TRUE(XercesIsUp());
  xercesc::XMLPlatformUtils::Terminate();
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

// The handler on its own, driven by a reader the test makes.
TEST(ScoreSAX2HandlersTest, ThrowsItsStates) {
  xercesc::XMLPlatformUtils::Initialize();
  {
    std::unique_ptr<ScoreSAX2Handlers> handler(new ScoreSAX2Handlers("Target"));
    std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
    reader->setContentHandler(handler.get());
    reader->setErrorHandler(handler.get());
    const struct {
      const char* document;
      ScoreSAX2Handlers::HandlerState state;
    } cases[] = {
        {"<PMML><?pi x?>text<Target/></PMML>", ScoreSAX2Handlers::kFOUND},
        {"<PMML></PMML><!-- after -->", ScoreSAX2Handlers::kPMML_END},
        {"<PMML><a></b></PMML>", ScoreSAX2Handlers::kFATAL},
    };
    for (const auto& c : cases) {
      std::istringstream in(c.document);
      MCXML_600::MCXInputSource source(in);
      try {
        reader->parse(source);
        ADD_FAILURE() << "parse ran to its end: " << c.document;
      } catch (ScoreSAX2Handlers::HandlerState state) {
        EXPECT_EQ(c.state, state) << c.document;
      }
    }
    std::istringstream in("<Other><a/></Other>");
    MCXML_600::MCXInputSource source(in);
    EXPECT_NO_THROW(reader->parse(source));
  }
  xercesc::XMLPlatformUtils::Terminate();
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

using T = PMMLModelTags;

// Tag texts whose spelling is easy to get wrong.
TEST(PMMLModelTagsTest, TrickyTexts) {
  const struct {
    const char* constant;
    const char* text;
  } cases[] = {
      {T::XML_ELE_MISCLASSIFICATIONCOST, "X-MisclassificationCost"},
      {T::XML_ELE_MISCLASSIFICATIONCOST_OLD, "X-MisclassificatonCost"},
      {T::XML_ELE_UPERXBASIS, "X-Basis"},
      {T::XML_ELE_XBASIS, "x-Basis"},
      {T::XML_ELE_UPERXBASISROW, "X-BasisRow"},
      {T::XML_ELE_XBASISROW, "x-BasisRow"},
      {T::XML_ELE_XRISK, "X-risk"},
      {T::XML_ELE_XMEASURE, "x-measure"},
      {T::XML_ELE_CLUSTERING_ML, "QRTZ Clustering"},
      {T::XML_ELE_EUCLIDEAN, "euclidean"},
      {T::XML_ELE_SVM_REALSPARSEARRAY, "REAL-SparseArray"},
      {T::XML_ELM_BASELINESTRATUM, "BaselineStratum"},
      {T::XML_ATT_NORMMATHOD, "normalizationMethod"},
      {T::XML_ATT_PCC_TCol, "tCol"},
      {T::XML_ATT_TRAN_EXT_NAME_RECODEMISSINGSISMIS, "recodeMissingSysmis"},
      {T::XML_ATT_LINKFUNCTION, "cumulativeLink"},
      {T::XML_ATT_PARENTNUMBER, "parentsNumber"},
      {T::XML_VAL_NOISE, "True"},
      {T::XML_ATT_EXT_VALUE_VALUE_TRUE, "true"},
      {T::XML_VAL_NAME_STANDARD_DEVIATION, "Standard Deviation"},
      {T::XML_VAL_RM_EXT_VALUE_LINK_CUM_LOGLOG, "cumnloglog"},
      {T::XML_VAL_DATETIMESECONDSSINCE_1980, "dateTimeSecondsSince[1980]"},
      {T::XML_EXT_NAME_COXREG_XBASE_CUMHAZARD_TABLES, "X-BaseCumHazardTables"},
      {T::XML_MSTAT_UNIVARSTAT_DISCRSTATS, "DiscrStats"},
      {T::XML_QRTZ_TRANFUNC_DEVISION, "/"},
      {T::XML_QRTZ_TRANFUNC_CDFNORMAL, "cdf.normal"},
      {T::XML_QRTZ_TRANFUNC_UPCASE, "uppercase"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.text, c.constant);
}

}  // namespace
}  // namespace xml_internal
}  // namespace MCOrvane_600
