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

// tests/data/qrtz/refusals.txt: every fault is reported with its code and
// message, and nothing is left (run under the sanitizers).
TEST_F(QRTZTranslatorTest, EveryFaultIsReportedAndNothingIsLeft) {
  const orvane_test::RowFile table =
      orvane_test::ReadRows(orvane_test::TestData("qrtz/refusals.txt"), 3);
  ASSERT_LT(10u, table.rows.size());
  for (const auto& row : table.rows) {
    SCOPED_TRACE(row.label());
    DOMElement* dictionary = Load(table.Document(row));
    ExpectOVException([&] { delete qrtz_->ParseDictionary(dictionary); },
                      std::stoi(row.cells[0]), row.cells[1]);
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
    EXPECT_THROW(Read(variable), xercesc::NumberFormatException);
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
