#include "orvane/translate/base_translator.h"

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/dictionary/dict_var.h"
#include "orvane/translate/mcx_input_source.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "support/test_support.h"
#include "translate/pmml_document_fixture.h"
#include "translate/xml_names.h"

namespace MCOrvane_600 {
namespace {

using xercesc::DOMElement;
using xercesc::DOMNode;
using xercesc::XMLString;

class TestTranslator : public BaseTranslator {
 public:
  using BaseTranslator::GetTranscoder;
  using BaseTranslator::ParseFromTree;
  ScoreModel* ParseFromTree(xercesc::DOMDocument*, const std::string&) override { return nullptr; }
};

const char kDocument[] =
    "<?xml version=\"1.0\"?>\n"
    "<PMML version=\"4.2\">\n"
    "  <!-- comment -->\n"
    "  <Header copyright=\"\"><Application name=\"x\"/></Header>\n"
    "  <?pi data?>\n"
    "  <DataDictionary numberOfFields=\"2\">\n"
    "    <DataField name=\"a\" optype=\"continuous\" dataType=\"double\"/>\n"
    "    <DataField name=\"caf\xC3\xA9\" optype=\"categorical\" dataType=\"string\">"
    "<Value value=\"x\"/></DataField>\n"
    "  </DataDictionary>\n"
    "  <Empty> text <!-- only --> more </Empty>\n"
    "</PMML>\n";

using XercesTest = orvane_test::XmlPlatformTest;
using BaseTranslatorValueTest = XercesTest;
using orvane_test::ExpectOVException;

class BaseTranslatorTest : public XercesTest {
 protected:
  void SetUp() override {
    XercesTest::SetUp();
    parser_.reset(new xercesc::XercesDOMParser);
    std::istringstream in(kDocument);
    MCXML_600::MCXInputSource source(in);
    parser_->parse(source);
    ASSERT_EQ(0u, parser_->getErrorCount());
    root_ = parser_->getDocument()->getDocumentElement();
  }
  void TearDown() override {
    parser_.reset();
    XercesTest::TearDown();
  }

  static std::string Name(const DOMNode* node) {
    char* name = XMLString::transcode(node->getNodeName());
    std::string result(name);
    XMLString::release(&name);
    return result;
  }

  // The lookups take a name of their own, and release it.
  static XMLCh* W(const char* name) { return XMLString::transcode(name); }

  std::unique_ptr<xercesc::XercesDOMParser> parser_;
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
  std::istringstream in(kDocument);
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

// Matches nested in matches, in entity content and in every other place.
const char kNamesDocument[] =
    "<?xml version='1.0'?>\n"
    "<!DOCTYPE r [<!ENTITY e \"<a id='5'/><b/>\">]>\n"
    "<r x='1' empty='' amp='a&amp;b' ref='&#233;t&#xE9;'>\n"
    "  <a id='1'><a id='2'><c><a id='3'/></c></a></a><!-- <a id='no'/> -->\n"
    "  <b><a id='4'/>&e;</b><A id='case'/><?a pi?>text<a id='6'/>\n"
    "</r>\n";

class XmlNamesTest : public PMMLDocumentTest {
 protected:
  void SetUp() override {
    PMMLDocumentTest::SetUp();
    root_ = Parse(kNamesDocument);
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
