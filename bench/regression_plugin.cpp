// The bench's "RegressionModel" plug-in (RegressionModel600r.so). Its
// translator reads what every PMML plug-in reads with the library's reader,
// the data dictionary and the transformation dictionary, when the factory's
// argument is "read", and nothing for any other argument, so that the
// factory's own share of a load can be told apart. The model scores the sum
// of the derived values that are not missing.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/model/base_model.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/plugin_library.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/score_value.h"

namespace orvane_bench {
namespace {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::PMMLModelTags;
using MCOrvane_600::ResultAdvice;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::TransformationDictionary;

const char kResultName[] = "$R-score";

class BenchRegressionModel : public MCOrvane_600::BaseModel {
 public:
  BenchRegressionModel() {
    auto* var = new MCOrvane_600::DictVar(kResultName, ScoreDictVar::kNUMERIC_VAR);
    if (!results_.AddVar(kResultName, var)) delete var;
  }

  bool SetScoringOption(const std::string&, const std::string&) override { return false; }
  std::string GetModelType() const override { return "RegressionModel"; }
  const ScoreDictionary* GetResultDictionary() const override { return &results_; }

  ScoreCaseRecord* CreateResultRecord() const override {
    auto* record = new CaseRecord();
    record->Add(kResultName, nullptr);
    return record;
  }

  bool Score(const ScoreCaseRecord* input, ScoreCaseRecord* result,
             std::vector<ResultAdvice>* advice) override {
    if (input == nullptr || result == nullptr) return false;
    if (advice != nullptr) advice->clear();
    double sum = 0;
    TransformationDictionary* derived = GetTransformationDictionary();
    if (derived != nullptr) {
      const ScoreCaseRecord* values = derived->GetValuesForDeriedVars(input, GetDictionary());
      for (int i = 0; values != nullptr && i < values->Size(); ++i) {
        const MCOrvane_600::ScoreValue* value = values->Get(i);
        if (value != nullptr && !value->IsSystemMissingValue()) sum += value->GetDouble();
      }
    }
    return result->SetValue(kResultName, sum);
  }

  void Display(std::ostream& os) const override { os << "RegressionModel (bench plug-in)"; }

 private:
  MCOrvane_600::BaseDictionary results_;
};

class BenchRegressionTranslator : public MCOrvane_600::PMMLTranslator {
 public:
  using MCOrvane_600::PMMLTranslator::ParseFromTree;

  MCOrvane_600::ScoreModel* ParseFromTree(xercesc::DOMDocument* document,
                                          const std::string& arg) override {
    std::unique_ptr<BenchRegressionModel> model(new BenchRegressionModel);
    if (arg != "read") return model.release();
    xercesc::DOMElement* root = document->getDocumentElement();
    ScoreDictionary* data =
        ParseDictionary(GetChildByTagForced(root, PMMLModelTags::XML_ELE_DATADICTIONARY));
    model->SetScoreDictionary(data);
    auto* element = static_cast<xercesc::DOMElement*>(
        GetChildByTag(root, PMMLModelTags::XML_ELE_TRANSFORMATION));
    if (element != nullptr) {
      TransformationDictionary* derived = HandleTransformationDictionary(element, data);
      if (derived != nullptr) derived->SetUpDerivedCaseRecord();
      model->SetTransformationScoreDictionary(derived);
    }
    return model.release();
  }
};

}  // namespace
}  // namespace orvane_bench

ORVANE_PLUGIN_EXPORT MCOrvane_600::ScoreTranslator* GiveMyTranslator() {
  return new orvane_bench::BenchRegressionTranslator();
}
