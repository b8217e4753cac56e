#include "orvane/translate/score_sax2_handlers.h"

#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/translate/mcx_input_source.h"

namespace MCOrvane_600 {
namespace {

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

TEST(ScanForElementTest, RunsInsideAnInitialisedPlatform) {
  xercesc::XMLPlatformUtils::Initialize();
  std::istringstream in("<PMML><NearestNeighborModel/></PMML>");
  EXPECT_TRUE(ScanForElement(kTarget, in));
  xercesc::XMLPlatformUtils::Terminate();
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

}  // namespace
}  // namespace MCOrvane_600
