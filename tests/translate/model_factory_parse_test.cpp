// The document parse and platform session that the model factory's document
// path is built on.

#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/values/ov_exception.h"
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
  try {
    ParseDocument(&parser, UnopenableSource());
    ADD_FAILURE() << "no exception";
  } catch (const OVException& e) {
    EXPECT_EQ(e.GetErrorCode(), 4);
    EXPECT_EQ(e.GetErrorMessage(), "\nInput XML is not parseable into a document");
  }
}

TEST(NarrowTextTest, WritesUtf8) {
  const XMLCh text[] = {'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xD800, 'z', 0};
  EXPECT_EQ(NarrowText(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBDz");
  EXPECT_EQ(NarrowText(nullptr), "");
}

}  // namespace
}  // namespace xml_internal
}  // namespace MCOrvane_600
