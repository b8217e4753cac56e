// The threading contract for hosts: a loaded model and its data dictionary
// are read by several threads at once, while each thread computes derived
// values with a transformation dictionary of its own. Run under
// ThreadSanitizer by the test script.
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "orvane/orvane.h"
#include "plugins/plugin_test_env.h"

namespace MCOrvane_600 {
namespace {

const bool kPluginsOnPath = orvane_test::UsePluginDirectory(true);

const std::string kDocument = std::string(ORVANE_TEST_DATA_DIR) + "/factory/tree.pmml";

// Factory calls initialise and terminate the parser library, so the host
// serialises them; everything else below runs unguarded.
std::mutex factory_mutex;

struct ThreadResult {
  int wrong = 0;
  bool loaded = false;
};

void ComputeCases(const ScoreModel& model, int seed, ThreadResult* result) {
  std::unique_ptr<TransformationDictionary> derived;
  std::unique_ptr<ScoreDictionary> own_data;
  {
    std::lock_guard<std::mutex> lock(factory_mutex);
    ScoreDictionary* data = nullptr;
    derived.reset(ModelFactory::GetTransformationDictionaryFromXML(kDocument, data, ""));
    own_data.reset(data);
  }
  result->loaded = derived != nullptr;
  if (!result->loaded) return;

  // Shared, read only: the model's data dictionary and the model itself.
  const ScoreDictionary* shared = model.GetDictionary();
  const StringValue red("red");
  const StringValue purple("purple");
  CaseRecord record;
  for (int i = 0; i < 300; ++i) {
    const double age = seed * 1000 + i;
    record.Add("age", new NumericValue(age));
    const ScoreCaseRecord* values = derived->GetValuesForDeriedVars(&record, shared);
    if (values == nullptr || values->Get("age_months") == nullptr ||
        values->Get("age_months")->GetDouble() != age * 12) {
      ++result->wrong;
    }
    const ScoreDictVar* colour = shared->GetVar("colour");
    if (colour == nullptr || !colour->IsValidValue(&red) || colour->IsValidValue(&purple)) {
      ++result->wrong;
    }
    if (model.GetTargetVar() == nullptr || model.GetVarRole("risk") != ScoreModel::kTARGET) {
      ++result->wrong;
    }
  }
}

TEST(ConcurrentUseTest, SharedModelWithTransformationsPerThread) {
  ASSERT_TRUE(kPluginsOnPath);
  std::unique_ptr<ScoreModel> model;
  try {
    std::ifstream in(kDocument);
    model.reset(ModelFactory::MakeModelFromXML(in, {"TreeModel"}, ""));
  } catch (const OVException& e) {
    FAIL() << e.GetErrorCode() << ": " << e.GetErrorMessage();
  }
  ASSERT_NE(nullptr, model);

  const int kThreads = 4;
  std::vector<ThreadResult> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back(ComputeCases, std::cref(*model), t, &results[t]);
  }
  for (std::thread& thread : threads) thread.join();
  for (const ThreadResult& result : results) {
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(0, result.wrong);
  }
}

}  // namespace
}  // namespace MCOrvane_600
