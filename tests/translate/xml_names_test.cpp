// The shortcuts of the readers give what the DOM's own operations give: names
// compared without transcoding, descendants found without the DOM's node
// lists, attribute values read without its checked casts.
#include "translate/xml_names.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

#include "orvane/translate/base_translator.h"
#include "orvane/values/ov_exception.h"
#include "support/test_support.h"
#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

using xercesc::DOMElement;
using xercesc::DOMNode;
using xercesc::XMLString;
using xml_internal::ElementsNamed;
using xml_internal::EqualsName;
using xml_internal::SubtreeWalk;

// Matches nested in matches, in entity content and in every other place.
const char kDocument[] =
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
    root_ = Parse(kDocument);
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
    EXPECT_TRUE(XMLString::equals(attribute->getValue(), BaseTranslator::GetAttribute(root_, name)));
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
