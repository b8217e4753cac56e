// Reads the DataDictionary of whole documents: the project's own under
// tests/data/pmml/dd and the documents of other tools in the shared corpus.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/util/XMLException.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/translate/pmml_translator.h"
#include "support/test_support.h"
#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

using PMMLCorpusDictionaryTest = PMMLDocumentTest;

std::vector<std::string> PMMLFiles(const std::string& directory) {
  return orvane_test::FilesIn(directory, ".pmml");
}

std::string DataDir() { return std::string(ORVANE_TEST_DATA_DIR) + "/pmml/dd/"; }

// The one dictionary element of a document.
xercesc::DOMNode* DataDictionaryOf(xercesc::DOMElement* root) {
  if (root == nullptr) return nullptr;
  return BaseTranslator::GetElementsByTagName(root, "DataDictionary")->item(0);
}

TEST_F(PMMLCorpusDictionaryTest, VendorDocumentReads) {
  std::unique_ptr<ScoreDictionary> dictionary(translator_->ParseDictionary(
      DataDictionaryOf(ParseFile(DataDir() + "vendor_extensions.pmml"))));
  ASSERT_EQ(4, dictionary->Size());
  const ScoreDictVar* age = dictionary->GetVar("age");
  EXPECT_EQ(3, age->GetWidth());
  EXPECT_EQ(1, age->GetDecimal());
  EXPECT_EQ(3, age->GetMissingValues()->Size());  // below, above, invalid range
  const ScoreDictVar* region = dictionary->GetVar("region");
  EXPECT_EQ(ScoreDictVar::kSTRING_VAR, region->GetVarType());
  EXPECT_TRUE(region->GetNoSpaceTrim());
  EXPECT_EQ(3, region->GetNumberOfCats());
  EXPECT_EQ(1, region->GetMissingValues()->Size());
  EXPECT_TRUE(dictionary->GetVar("churn")->IsFlagVariable());
  EXPECT_EQ(ScoreDictVar::kDATE_DAYS_SINCE_1970, dictionary->GetVar("joined")->GetDateTimeType());
}

// What the reader makes of documents written by other tools: those that keep
// to the accepted structure read; the others fail with an OVException, never
// anything worse.
TEST_F(PMMLCorpusDictionaryTest, SharedCorpus) {
  const std::string directory = std::string(ORVANE_SHARED_CORPUS_DIR) + "/";
  const std::vector<std::string> files = PMMLFiles(directory);
  if (files.empty()) GTEST_SKIP() << "no corpus at " << directory;
  // Document -> the message it is refused with. The first five give a field
  // several valid intervals; the last declares seven fields and holds eight.
  const std::string intervals = "Only One InterVal Element allowed here!";
  const std::map<std::string, std::string> refused = {
      {"bll-glm-linear-regression.pmml", intervals},
      {"bll-integration-custom-function.pmml", intervals},
      {"bll-recode-interaction-multiply.pmml", intervals},
      {"bll-recode-rcs-custom-function.pmml", intervals},
      {"bll-recode-valid-invalid-missing.pmml", intervals},
      {"jpmml-model-chain-string-functions.pmml",
       "Number of Variables in the Dictionary does not match with numberOfFields!"},
  };
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    xercesc::DOMNode* node = DataDictionaryOf(ParseFile(directory + file));
    ASSERT_NE(nullptr, node);
    std::string failure;
    try {
      std::unique_ptr<ScoreDictionary> dictionary(translator_->ParseDictionary(node));
      EXPECT_LT(0, dictionary->Size());
    } catch (const OVException& e) {
      failure = e.GetErrorMessage();
    } catch (const xercesc::XMLException&) {
      failure = "Xerces number format";
    }
    const auto expected = refused.find(file);
    EXPECT_EQ(expected == refused.end() ? "" : expected->second, failure);
  }
}

}  // namespace
}  // namespace MCOrvane_600
