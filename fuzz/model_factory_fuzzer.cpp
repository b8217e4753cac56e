// The library's entry points over fuzzed documents given as streams:
// ModelFactory::GetTransformationDictionaryFromXML, then MakeModelFromXML with
// the test plug-ins on the loader's path. Whatever comes back is used as a
// host would: derived values and scores of a few synthetic cases.
//
// The platform is not kept initialised here: every call initialises and
// terminates it as it does in a host, so exceptions and objects that outlive
// the platform show up.
//
// The order of the model-names list follows from the document's size and
// last byte, so that the seeds stay documents.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "orvane/dictionary/score_case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/model/result_advice.h"
#include "orvane/model/score_model.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/ov_exception.h"
#include "plugins/plugin_test_env.h"
#include "synthetic_cases.h"

namespace {

using namespace MCOrvane_600;

// Model types served by the test plug-ins, and two that no plug-in serves.
const char* const kModelTypes[] = {"TreeModel",
                                   "MiningModel",
                                   "RegressionModel",
                                   "NeuralNetwork",
                                   "AssociationModel",
                                   "SequenceModel",
                                   "Scorecard",
                                   "AssociationModelLattice",
                                   "NearestNeighborModel",
                                   "GeneralRegressionModel",
                                   "SupportVectorMachineModel",
                                   "NaiveBayesModel"};
constexpr unsigned kModelTypeCount = sizeof kModelTypes / sizeof *kModelTypes;

std::vector<std::string> ModelNames(uint8_t choice) {
  std::vector<std::string> names;
  // A rotation of the list, and sometimes no list at all.
  if (choice % 16 == 15) return names;
  for (unsigned i = 0; i < kModelTypeCount; ++i) {
    names.push_back(kModelTypes[(i + choice) % kModelTypeCount]);
  }
  return names;
}

void UseModel(ScoreModel* model) {
  std::ostringstream sink;
  model->Display(sink);
  (void)model->GetModelType();
  const ScoreDictionary* data = model->GetDictionary();
  if (data == nullptr) return;
  for (int which = 0; which < orvane_fuzz::kSyntheticCaseCount; ++which) {
    std::unique_ptr<CaseRecord> input = orvane_fuzz::MakeSyntheticCase(*data, which);
    std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
    if (result == nullptr) continue;
    std::vector<ResultAdvice> advice;
    model->Score(input.get(), result.get(), &advice);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Runs the fuzzer again with the plug-in directory on the loader's path
  // when it is not there yet.
  orvane_test::UsePluginDirectory(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string document(reinterpret_cast<const char*>(data), size);
  const uint8_t choice = static_cast<uint8_t>(size * 31 + data[size - 1]);

  // One bit of the last byte reads the document as standard PMML.
  PMMLReadOptions options;
  options.standardPMML = (data[size - 1] & 0x40) != 0;
  {
    std::istringstream in(document);
    ScoreDictionary* dictionary = nullptr;
    try {
      std::unique_ptr<TransformationDictionary> derived(
          ModelFactory::GetTransformationDictionaryFromXML(in, dictionary, "", options));
      std::unique_ptr<ScoreDictionary> owned(dictionary);
      if (derived != nullptr && owned != nullptr) {
        orvane_fuzz::ComputeSyntheticCases(derived.get(), *owned);
      }
    } catch (const OVException& e) {
      orvane_fuzz::CheckCode(e);
    }
  }
  {
    std::istringstream in(document);
    try {
      std::unique_ptr<ScoreModel> model(
          ModelFactory::MakeModelFromXML(in, ModelNames(choice), "", ""));
      if (model != nullptr) UseModel(model.get());
    } catch (const OVException& e) {
      orvane_fuzz::CheckCode(e);
    }
  }
  return 0;
}
