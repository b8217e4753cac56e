// The pieces the readers are built on: the document parse and its platform
// session, the scan for a model element, navigation, attribute and number
// checks, arrays of numbers. The short ways give exactly what the general
// ways give: a number read as a classic-locale stream reads it, VerifyDouble's
// value as NumericValue makes it, ASCII text as the encoding's transcoder
// converts it, names, descendants and attribute values as the DOM gives them.

#include "orvane/translate/base_translator.h"

#include <cstring>
#include <functional>
#include <limits>
#include <locale>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/dictionary/dict_var.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/translate/score_sax2_handlers.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "support/test_support.h"
#include "translate/pmml_document_fixture.h"
#include "translate/xml_document_parse.h"
#include "translate/xml_names.h"
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

// The session and the parse are what every factory test goes through with the
// platform checked before and after; what is left is the parse that gives no
// document.
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

// --- The base translator ----------------------------------------------------

using xercesc::DOMElement;
using xercesc::DOMNode;
using xercesc::XMLString;

class TestTranslator : public BaseTranslator {
 public:
  using BaseTranslator::GetTranscoder;
  using BaseTranslator::ParseFromTree;
  ScoreModel* ParseFromTree(xercesc::DOMDocument*, const std::string&) override { return nullptr; }
};


using BaseTranslatorValueTest = orvane_test::XmlPlatformTest;
using orvane_test::ExpectOVException;

class BaseTranslatorTest : public PMMLDocumentTest {
 protected:
  void SetUp() override {
    PMMLDocumentTest::SetUp();
    root_ = ParseFile(orvane_test::TestData("xml/navigation.xml"));
    ASSERT_NE(nullptr, root_);
  }
  static std::string Name(const DOMNode* node) {
    return xml_internal::NarrowText(node->getNodeName());
  }
  // The lookups take a name of their own, and release it.
  static XMLCh* W(const char* name) { return XMLString::transcode(name); }

  DOMElement* root_ = nullptr;
};

// Only elements, only direct children, names compared exactly.
TEST_F(BaseTranslatorTest, NavigationSkipsOtherNodes) {
  DOMNode* header = BaseTranslator::GetFirstChildElt(root_);
  EXPECT_EQ("Header", Name(header));
  DOMNode* dictionary = BaseTranslator::GetNextSiblingElt(header);
  EXPECT_EQ(dictionary, BaseTranslator::GetChildByTag(root_, "DataDictionary"));
  EXPECT_EQ(dictionary, BaseTranslator::GetChildTagForced(root_, W("DataDictionary")));
  DOMNode* empty = BaseTranslator::GetNextSiblingElt(dictionary);
  EXPECT_EQ("Empty", Name(empty));
  for (DOMNode* none :
       {BaseTranslator::GetNextSiblingElt(empty), BaseTranslator::GetFirstChildElt(empty),
        BaseTranslator::GetFirstChildElt(nullptr), BaseTranslator::GetNextSiblingElt(nullptr),
        BaseTranslator::GetChildByTag(root_, "DataField"),
        BaseTranslator::GetChildByTag(root_, "datadictionary"),
        BaseTranslator::GetChildTag(nullptr, W("PMML"))}) {
    EXPECT_EQ(nullptr, none);
  }
  EXPECT_EQ(2u, BaseTranslator::GetElementsByTagName(root_, "DataField")->getLength());
  EXPECT_EQ(1u, BaseTranslator::GetElementsByTagName(parser_->getDocument(), "Value")->getLength());
  const DOMElement* header_element = static_cast<const DOMElement*>(header);
  EXPECT_EQ(0u, XMLString::stringLen(BaseTranslator::GetAttribute(header_element, "description")));
  EXPECT_EQ(0u,
            XMLString::stringLen(BaseTranslator::GetAttributeForced(header_element, "copyright")));
  EXPECT_EQ(nullptr, BaseTranslator::GetAttribute(nullptr, "version"));
  const XMLCh* optype = BaseTranslator::GetAttribute(
      static_cast<const DOMElement*>(
          BaseTranslator::GetNextSiblingElt(BaseTranslator::GetFirstChildElt(dictionary))),
      "optype");
  EXPECT_TRUE(BaseTranslator::IsEqual(optype, "categorical"));
  EXPECT_FALSE(BaseTranslator::IsEqual(optype, "categorical "));
  TestTranslator translator;
  translator.CreateTranscoder("");
  const XMLCh* name = u"caf\u00e9";
  EXPECT_TRUE(BaseTranslator::IsEqual(translator.GetTranscoder(), name, "caf\xE9"));
  EXPECT_FALSE(BaseTranslator::IsEqual(translator.GetTranscoder(), name, "caf\xC3\xA9"));
}

TEST_F(BaseTranslatorTest, MissingNodesThrow) {
  const struct {
    std::function<void()> call;
    const char* message;
  } cases[] = {
      {[this] { BaseTranslator::GetChildTagForced(root_, W("MiningSchema")); },
       "MiningSchemaNode is missing --- "},
      {[this] { BaseTranslator::GetChildByTagForced(root_, "MiningSchema"); },
       "Node is missing --- MiningSchema ---"},
      {[] { BaseTranslator::GetElementsByTagName(static_cast<const DOMElement*>(nullptr), "F"); },
       "Node is missing --- F ---"},
      {[] {
         BaseTranslator::GetElementsByTagName(static_cast<xercesc::DOMDocument*>(nullptr), "V");
       },
       "Node is missing --- V ---"},
      {[this] { BaseTranslator::GetAttributeForced(root_, "description"); },
       "Attribute description is missing from Node \"PMML\""},
      {[] { BaseTranslator::GetAttributeForced(nullptr, std::string("absent")); },
       "Attribute absent is missing from Node \"\""},
  };
  for (const auto& c : cases) ExpectOVException(c.call, 4, c.message);
}

TEST_F(BaseTranslatorValueTest, VerifyDoubleRejectsMalformedText) {
  for (const char* text : {"1e",   "e5",    "1.e5", "5.", "1-2",  "+-1",   "--1",   "1e5E2",
                           "0x1A", "",      "1e5E", "3.", "1e5-", "1e-+5", "1.2.3", " 1",
                           "1e.5", "1e5.0", "-",    "+",  ".",    "1+2e5", "1e--5"}) {
    ExpectOVException([text] { BaseTranslator::VerifyDouble(std::string(text)); }, 3,
                      std::string(text) + "Invalid double string -- ");
  }
  ExpectOVException([] { BaseTranslator::VerifyDouble(static_cast<const XMLCh*>(nullptr)); }, 3,
                    "Invalid double string -- ");
}

TEST_F(BaseTranslatorValueTest, VerifyInt) {
  EXPECT_EQ(-12, BaseTranslator::VerifyInt("-12"));
  EXPECT_EQ(7, BaseTranslator::VerifyInt("+7"));
  EXPECT_EQ(42, BaseTranslator::VerifyInt(u"0042"));
  for (const char* text : {"1.0", "-", "+", "", "1-", "--1", "+-1", "1 ", "12a", "1e3"}) {
    ExpectOVException([text] { BaseTranslator::VerifyInt(std::string(text)); }, 3,
                      std::string(text) + "Invalid integer string -- ");
  }
}

TEST_F(BaseTranslatorValueTest, VerifyDateTime) {
  EXPECT_EQ(86400, BaseTranslator::VerifyDateTime("1970-01-02", ScoreDictVar::kDATE));
  EXPECT_EQ(45015, BaseTranslator::VerifyDateTime(u"12:30:15", ScoreDictVar::kTIME));
  EXPECT_EQ(864000, BaseTranslator::VerifyDateTime("10", ScoreDictVar::kDATE_DAYS_SINCE_1970));
  ExpectOVException([] { BaseTranslator::VerifyDateTime("2009-13-1", ScoreDictVar::kDATE); }, 3,
                    "2009-13-1 Invalid date time string -- ");
  ExpectOVException([] { BaseTranslator::VerifyDateTime(u"1e", ScoreDictVar::kTIME_SECONDS); }, 3,
                    "1e Invalid date time string -- ");
}

TEST_F(BaseTranslatorTest, CarefullyMakeVarValue) {
  TestTranslator translator;
  DictVar text_var("s", ScoreDictVar::kSTRING_VAR);
  DictVar number_var("n", ScoreDictVar::kNUMERIC_VAR);
  DictVar time_var("t", ScoreDictVar::kDATETIME_VAR);
  time_var.SetDateTimeType(ScoreDictVar::kDATETIME_SECONDS_SINCE_1970);

  // Without a transcoder the default code page is used.
  std::unique_ptr<ScoreValue> value(translator.CarefullyMakeVarValue(&text_var, u"caf\u00E9"));
  EXPECT_EQ("caf\xE9", value->GetString());
  translator.CreateTranscoder("UTF-8");
  value.reset(translator.CarefullyMakeVarValue(&text_var, u"caf\u00E9"));
  EXPECT_EQ("caf\xC3\xA9", value->GetString());
  value.reset(translator.CarefullyMakeVarValue(&number_var, u"2.5"));
  EXPECT_EQ(2.5, value->GetDouble());
  value.reset(translator.CarefullyMakeVarValue(&time_var, u"12345"));
  ASSERT_EQ(ScoreValue::kDATETIME_VALUE, value->GetType());
  EXPECT_EQ(DateTimeValue::kDATETIME_VAL,
            static_cast<DateTimeValue*>(value.get())->GetDateTimeType());
  time_var.SetDateTimeType(ScoreDictVar::kDATE_DAYS_SINCE_1970);
  value.reset(translator.CarefullyMakeVarValue(&time_var, u"10"));
  EXPECT_EQ(864000, value->GetDouble());
  ExpectOVException([&] { translator.CarefullyMakeVarValue(&time_var, u"2001-01-01"); }, 3,
                    "2001-01-01Invalid double string -- ");
  ExpectOVException([&] { translator.CarefullyMakeVarValue(&number_var, u"abc"); }, 3,
                    "abcInvalid double string -- ");
  EXPECT_EQ(nullptr, translator.CarefullyMakeVarValue(nullptr, u"1"));
}

TEST_F(BaseTranslatorTest, CopiesOwnTheirTranscoder) {
  std::unique_ptr<TestTranslator> original(new TestTranslator);
  original->CreateTranscoder("");
  TestTranslator copy(*original);
  TestTranslator assigned;
  assigned = *original;
  original.reset();
  ASSERT_NE(nullptr, copy.GetTranscoder());
  EXPECT_EQ("\xE9", copy.GetTranscoder()->transcodeTo(u"\u00E9"));
  EXPECT_EQ("\xE9", assigned.GetTranscoder()->transcodeTo(u"\u00E9"));
  TestTranslator empty;
  assigned = empty;
  EXPECT_EQ(nullptr, assigned.GetTranscoder());
}

TEST_F(BaseTranslatorTest, BaseParseFormsBuildNoModel) {
  TestTranslator translator;
  std::istringstream in("<PMML/>");
  EXPECT_EQ(nullptr, translator.ParseFromTree(std::string("file.xml"), std::string()));
  EXPECT_EQ(nullptr, translator.ParseFromTree(in, std::string()));
  EXPECT_EQ(nullptr, translator.ParseFromTree(in, std::string(), std::string()));
}

// --- The readers' shortcuts give what the DOM's own operations give: names
// compared without transcoding, descendants found without the DOM's node
// lists, attribute values read without its checked casts.

using xml_internal::ElementsNamed;
using xml_internal::EqualsName;
using xml_internal::SubtreeWalk;


class XmlNamesTest : public PMMLDocumentTest {
 protected:
  void SetUp() override {
    PMMLDocumentTest::SetUp();
    // Matches nested in matches, in entity content and in every other place.
    root_ = ParseFile(orvane_test::TestData("xml/names.xml"));
    ASSERT_NE(nullptr, root_);
  }

  // What the DOM's node list holds, in its order.
  static std::vector<DOMNode*> DomList(DOMElement* root, const char* tag) {
    XMLCh* wide = XMLString::transcode(tag);
    xercesc::DOMNodeList* list = root->getElementsByTagName(wide);
    XMLString::release(&wide);
    std::vector<DOMNode*> nodes;
    for (XMLSize_t i = 0; i < list->getLength(); ++i) nodes.push_back(list->item(i));
    return nodes;
  }

  static std::vector<DOMNode*> Walked(DOMElement* root, const char* tag) {
    std::vector<DOMNode*> nodes;
    ElementsNamed found(root, tag);
    for (DOMNode* node = found.Next(); node != nullptr; node = found.Next()) nodes.push_back(node);
    EXPECT_EQ(nullptr, found.Next());
    return nodes;
  }

  // Every node below `node` in document order, by recursion.
  static void Preorder(DOMNode* node, std::vector<DOMNode*>* nodes) {
    for (DOMNode* child = node->getFirstChild(); child != nullptr;
         child = child->getNextSibling()) {
      nodes->push_back(child);
      Preorder(child, nodes);
    }
  }

  DOMElement* root_ = nullptr;
};

TEST_F(XmlNamesTest, ElementsNamedFindsWhatTheDomListHolds) {
  for (const char* tag : {"a", "b", "c", "A", "r", "none"}) {
    EXPECT_EQ(DomList(root_, tag), Walked(root_, tag)) << tag;
  }
  EXPECT_EQ(6u, Walked(root_, "a").size());
  for (DOMNode* a : DomList(root_, "a")) {
    EXPECT_EQ(DomList(static_cast<DOMElement*>(a), "a"), Walked(static_cast<DOMElement*>(a), "a"));
  }
}

TEST_F(XmlNamesTest, SubtreeWalkVisitsEveryNodeInDocumentOrder) {
  std::vector<DOMNode*> expected;
  Preorder(root_, &expected);
  std::vector<DOMNode*> walked;
  SubtreeWalk walk(root_);
  for (DOMNode* node = walk.Next(); node != nullptr; node = walk.Next()) walked.push_back(node);
  EXPECT_EQ(expected, walked);
  EXPECT_EQ(nullptr, walk.Next());
}

TEST_F(XmlNamesTest, AttributeValueIsTheDomValue) {
  for (const char* name : {"x", "empty", "amp", "ref"}) {
    XMLCh* wide = XMLString::transcode(name);
    const xercesc::DOMAttr* attribute = root_->getAttributeNode(wide);
    XMLString::release(&wide);
    EXPECT_TRUE(XMLString::equals(attribute->getValue(), xml_internal::AttributeValue(attribute)));
    EXPECT_TRUE(
        XMLString::equals(attribute->getValue(), BaseTranslator::GetAttribute(root_, name)));
  }
  // An attribute built of several nodes reads as the DOM joins them.
  xercesc::DOMDocument* document = parser_->getDocument();
  xercesc::DOMAttr* built = document->createAttribute(u"built");
  built->appendChild(document->createTextNode(u"ab"));
  built->appendChild(document->createTextNode(u"cd"));
  EXPECT_TRUE(XMLString::equals(u"abcd", xml_internal::AttributeValue(built)));
  built->release();
}

TEST_F(XmlNamesTest, EqualsNameAgreesWithTheTranscodedComparison) {
  const XMLCh* texts[] = {
      nullptr,   u"",          u"a",    u"ab",           u"abc",           u"Ab",
      u"\u00e9", u"caf\u00e9", u"cafe", u"DerivedField", u"DerivedFields", u"Derived"};
  const char* names[] = {"",        "a",    "ab",           "abc",     "aB",   "caf",
                         "caf\xE9", "\xE9", "DerivedField", "Derived", "cafe", "caf\xC3\xA9"};
  for (const XMLCh* text : texts) {
    for (const char* name : names) {
      XMLCh* wide = XMLString::transcode(name);
      const bool expected = XMLString::equals(wide, text);
      XMLString::release(&wide);
      EXPECT_EQ(expected, EqualsName(text, name)) << name;
      EXPECT_EQ(expected, BaseTranslator::IsEqual(text, name)) << name;
      EXPECT_EQ(expected, BaseTranslator::IsEqual(text, std::string(name))) << name;
    }
  }
}

}  // namespace
}  // namespace MCOrvane_600
