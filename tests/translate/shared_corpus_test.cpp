// Every document of the shared PMML corpus, read three ways: its data
// dictionary alone, its dictionaries in the library's own dialect and as
// standard PMML. Each way ends in its expected outcome, listed in
// tests/data/shared_corpus.txt with the cause of each refusal; a document
// that loads computes a few built cases without fault.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/util/XMLException.hpp>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/model_factory.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "support/test_support.h"
#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

const std::string kCorpus = std::string(ORVANE_SHARED_CORPUS_DIR) + "/";

// The data dictionary alone: "reads", or why not.
std::string DictionaryOutcome(PMMLTranslator* translator, xercesc::DOMElement* root) {
  try {
    std::unique_ptr<ScoreDictionary> dictionary(translator->ParseDictionary(
        BaseTranslator::GetElementsByTagName(root, "DataDictionary")->item(0)));
    return dictionary->Size() > 0 ? "reads" : "reads nothing";
  } catch (const OVException& e) {
    return "refused " + e.GetErrorMessage();
  } catch (const xercesc::XMLException&) {
    return "refused by the number parse";
  }
}

// Case `k` of a dictionary: category k of each categorical field, 1 + 2k for
// the others; case 2 leaves every field out.
void BuildCase(const ScoreDictionary& data, int k, CaseRecord* record) {
  if (k == 2) return;
  for (const ScoreDictVar* var : data.GetScoreDictVars()) {
    const ScoreValueLabelSet* labels = var->GetValueLabels();
    if (labels != nullptr && !labels->GetAllValueLabels().empty()) {
      const auto& all = labels->GetAllValueLabels();
      record->Add(var->GetName(),
                  all[static_cast<std::size_t>(k) % all.size()]->GetValue()->Clone());
    } else if (var->GetVarType() == ScoreDictVar::kSTRING_VAR) {
      record->Add(var->GetName(), new StringValue(k == 0 ? "a" : "b"));
    } else if (var->GetVarType() == ScoreDictVar::kNUMERIC_VAR) {
      record->Add(var->GetName(), new NumericValue(1.0 + 2.0 * k));
    }
  }
}

// Both dictionaries: "derives N a/b/c" (of the N derived fields, how many
// have a value in cases 0, 1 and the empty case 2), or why not.
std::string DerivedOutcome(const std::string& path, bool standard) {
  ScoreDictionary* data = nullptr;
  std::unique_ptr<TransformationDictionary> derived;
  PMMLReadOptions options;
  options.standardPMML = standard;
  try {
    derived.reset(ModelFactory::GetTransformationDictionaryFromXML(path, data, "UTF-8", options));
  } catch (const OVException& e) {
    return "refused " + std::to_string(e.GetErrorCode()) + " " + e.GetErrorMessage();
  }
  std::unique_ptr<ScoreDictionary> owned(data);
  if (derived == nullptr) return "not PMML";
  std::string outcome = "derives " + std::to_string(derived->GetDerivedVarNames().size());
  for (int k = 0; k < 3; ++k) {
    CaseRecord record;
    BuildCase(*data, k, &record);
    const ScoreCaseRecord* values = derived->GetValuesForDeriedVars(&record, data);
    int present = 0;
    for (const std::string& name : derived->GetDerivedVarNames()) {
      const ScoreValue* v = values != nullptr ? values->Get(name) : nullptr;
      if (v == nullptr) continue;
      const bool missing = v->GetType() == ScoreValue::kSTRING_VALUE
                               ? v->GetString().empty()
                               : NumericValue::IsSystemMissingValue(v->GetDouble());
      if (!missing) ++present;
    }
    outcome += (k == 0 ? " " : "/") + std::to_string(present);
  }
  return outcome;
}

using SharedCorpusTest = PMMLDocumentTest;

TEST_F(SharedCorpusTest, EveryDocumentHasItsOutcomes) {
  const std::vector<std::string> files = orvane_test::FilesIn(kCorpus, ".pmml");
  if (files.empty()) GTEST_SKIP() << "no corpus at " << kCorpus;
  const orvane_test::RowFile table =
      orvane_test::ReadRows(orvane_test::TestData("shared_corpus.txt"), 4);
  std::map<std::string, std::vector<std::string>> expected;
  for (const auto& row : table.rows) expected[row.cells[0]] = row.cells;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const std::vector<std::string> got = {
        file, DictionaryOutcome(translator_.get(), ParseFile(kCorpus + file)),
        DerivedOutcome(kCorpus + file, false), DerivedOutcome(kCorpus + file, true)};
    std::cout << "[ corpus ] " << got[0] << " | " << got[1] << " | " << got[2] << " | " << got[3]
              << "\n";
    const auto it = expected.find(file);
    if (it == expected.end()) {
      ADD_FAILURE() << "no expected outcome";
    } else {
      EXPECT_EQ(it->second, got);
    }
  }
  EXPECT_EQ(files.size(), expected.size());
}

}  // namespace
}  // namespace MCOrvane_600
