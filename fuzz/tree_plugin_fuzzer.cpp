// Mutated tree documents through the shipped TreeModel plug-in (and the
// support library's MiningSchema, Targets, Output and predicates): loaded
// with the model factory, then a few synthetic cases scored. Every document
// fault must be an OVException with a known code.

#include <dlfcn.h>

#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "orvane/dictionary/score_case_record.h"
#include "orvane/model/score_model.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/ov_exception.h"
#include "orvane_plugins/plugin_directory.h"
#include "synthetic_cases.h"

namespace {

using namespace MCOrvane_600;

const std::vector<std::string>& Names() {
  static const std::vector<std::string> names = {"TreeModel"};
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The shipped plug-in by its full path, before anything on the loader's
  // path: the factory's load by file name then finds it by its soname.
  const std::string path = orvane_plugins::ShippedPluginDirectory() + "/" +
                           orvane_plugins::PluginFileName("TreeModel");
  if (dlopen(path.c_str(), RTLD_NOW) == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  try {
    std::unique_ptr<ScoreModel> model(ModelFactory::MakeModelFromXML(in, Names(), "", ""));
    if (model == nullptr || model->GetDictionary() == nullptr) return 0;
    std::ostringstream sink;
    model->Display(sink);
    for (int which = 0; which < orvane_fuzz::kSyntheticCaseCount; ++which) {
      std::unique_ptr<CaseRecord> input =
          orvane_fuzz::MakeSyntheticCase(*model->GetDictionary(), which);
      std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
      std::vector<ResultAdvice> advice;
      model->Score(input.get(), result.get(), &advice);
    }
  } catch (const OVException& e) {
    orvane_fuzz::CheckCode(e);
  }
  return 0;
}
