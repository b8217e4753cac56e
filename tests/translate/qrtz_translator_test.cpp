#include "orvane/translate/qrtz_translator.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/NumberFormatException.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/dictionary/score_var_stats.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

using xercesc::DOMElement;

// The dialect's translators come from plug-ins; this one only reads.
class TestTranslator : public QRTZTranslator {
 public:
  explicit TestTranslator(bool with_transcoder = true) {
    if (with_transcoder) CreateTranscoder("");
  }
  using QRTZTranslator::ParseFromTree;
  ScoreModel* ParseFromTree(xercesc::DOMDocument*, const std::string&) override { return nullptr; }
};

// A variable that reads cleanly, so that failures happen with a half-built
// dictionary.
const char kGood[] = R"(<variable name="good" storage-type="NUMERIC" measurement-level="NOMINAL">
  <categories><category value="1"/></categories></variable>)";

// The translator's transcoder comes from the platform, which the base
// fixture initialises around each test.
class QRTZTranslatorTest : public PMMLDocumentTest {
 protected:
  void SetUp() override {
    PMMLDocumentTest::SetUp();
    qrtz_.reset(new TestTranslator);
  }
  void TearDown() override {
    qrtz_.reset();
    PMMLDocumentTest::TearDown();
  }

  // The "dictionary" element of a parsed document; null when it has none.
  DOMElement* Load(const std::string& document) {
    DOMElement* root = Parse(document);
    EXPECT_NE(nullptr, root) << document;
    return static_cast<DOMElement*>(BaseTranslator::GetChildByTag(root, QRTZTags::gDictionary));
  }
  DOMElement* LoadVariables(const std::string& variables) {
    return Load("<qrtz-ml><dictionary>" + variables + "</dictionary></qrtz-ml>");
  }
  std::unique_ptr<ScoreDictionary> Read(const std::string& variables) {
    return std::unique_ptr<ScoreDictionary>(qrtz_->ParseDictionary(LoadVariables(variables)));
  }

  std::unique_ptr<TestTranslator> qrtz_;
};

struct FailureCase {
  const char* what;
  const char* variables;  // Null: the document has no "dictionary".
  int code;
  const char* message;
};

// clang-format off
const FailureCase kFailures[] = {
    {"no dictionary", nullptr, 1, "<DataDictionary is required !!"},
    {"not a variable", R"(<field name="f"/>)", 1, "field: should be variable"},
    {"empty name", R"(<variable name="" storage-type="NUMERIC" measurement-level="NOMINAL"/>)", 7, "Varname or storage type can't be null!!"},
    {"empty storage type", R"(<variable name="v" storage-type="" measurement-level="NOMINAL"/>)", 7, "Varname or storage type can't be null!!"},
    {"duplicate", R"(<variable name="good" storage-type="STRING" measurement-level="NOMINAL"/>)", 8, "good is duplicated!!!"},
    {"empty level", R"(<variable name="v" storage-type="NUMERIC" measurement-level=""/>)", 7, "Measurement-level can't be null!!"},
    {"continuous string", R"(<variable name="v" storage-type="STRING" measurement-level="CONTINUOUS"/>)", 11, "QRTZTranslator::parseDictionary():Continuous variable should be numeric!!"},
    {"level in lower case", R"(<variable name="v" storage-type="NUMERIC" measurement-level="nominal"/>)", 11, "Invalid measurement-level attribute!!"},
    {"not a category", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><categories><category value="1"/><value value="2"/></categories></variable>)", 1, "value: should be category"},
    {"empty missing category", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><missing-values><category value=""/></missing-values></variable>)", 7, "category value is null!!"},
    {"range without children", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><missing-values><range> text </range></missing-values></variable>)", 4, "category is required in range element node!!"},
    {"range with one child", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><missing-values><range><category value="1"/></range></missing-values></variable>)", 4, "category is required in range element node!!"},
    {"empty low end", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><missing-values><range><category value=""/><category value="5"/></range></missing-values></variable>)", 7, "category value is required!!"},
    {"empty high end", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><missing-values><range><category value="1"/><category value=""/></range></missing-values></variable>)", 7, "category value is required!!"},
    {"other child of variable", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><categories/><labels/></variable>)", 1, "labels"},
    {"empty categories with missing values", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><categories/><missing-values><category value="9"/></missing-values></variable>)", 6, "category values are required!!!"},
    {"category is a missing category", R"(<variable name="v" storage-type="STRING" measurement-level="NOMINAL"><categories><category value="a"/><category value="b"/></categories><missing-values><category value="b"/></missing-values></variable>)", 6, "Missing Value and Valid value intersect"},
    {"category inside a missing range", R"(<variable name="v" storage-type="NUMERIC" measurement-level="ORDINAL"><missing-values><range><a value="1"/><b value="5"/></range></missing-values><categories><category value="0"/><category value="3"/></categories></variable>)", 6, "Missing Value and Valid value intersect"},
    // Faults that the attribute and value checks report.
    {"no name", R"(<variable storage-type="NUMERIC" measurement-level="NOMINAL"/>)", 4, "Attribute name is missing from Node \"variable\""},
    {"bad category number", R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL"><categories><category value="1x"/></categories></variable>)", 3, "1xInvalid double string -- "},
};
// clang-format on

TEST_F(QRTZTranslatorTest, EveryFaultIsReportedAndNothingIsLeft) {
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(c.what);
    DOMElement* dictionary = c.variables == nullptr
                                 ? Load("<qrtz-ml/>")
                                 : LoadVariables(std::string(kGood) + c.variables);
    ExpectOVException([&] { delete qrtz_->ParseDictionary(dictionary); }, c.code, c.message);
  }
}

TEST_F(QRTZTranslatorTest, DictionaryWithoutVariablesIsRefused) {
  for (const char* body : {"", " <!-- none --> text "}) {
    ExpectOVException([&] { Read(body); }, 6, "Dicitonary is empty!!");
  }
}

TEST_F(QRTZTranslatorTest, BadFormatNumbersFailThroughXerces) {
  for (const char* attributes : {R"(decimals="2" width="8")", R"(format="5" decimals="2" width="")",
                                 R"(format="5" decimals="two" width="8")"}) {
    SCOPED_TRACE(attributes);
    const std::string variable =
        std::string(R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL">)") +
        "<format-spec " + attributes + "/></variable>";
    EXPECT_THROW(Read(kGood + variable), xercesc::NumberFormatException);
  }
}

// Whole documents: tests/data/qrtz, read by the data-dictionary tests.
TEST_F(QRTZTranslatorTest, WithoutATranscoderTheDefaultCodePageIsUsed) {
  TestTranslator bare(false);
  std::unique_ptr<ScoreDictionary> dictionary(bare.ParseDictionary(
      LoadVariables("<variable name=\"caf\xC3\xA9\" storage-type=\"STRING\" "
                    "measurement-level=\"NOMINAL\"><categories>"
                    "<category value=\"\xC3\xA9t\xC3\xA9\"/></categories></variable>")));
  const ScoreDictVar* var = dictionary->GetVar("caf\xE9");
  ASSERT_NE(nullptr, var);
  const StringValue summer("\xE9t\xE9");
  EXPECT_EQ("\xE9t\xE9", var->GetLabelOfValue(&summer));
}

}  // namespace
}  // namespace MCOrvane_600
