// A model's result record is scored case after case, in place; whatever the
// host does to it between cases, each case leaves exactly its own results.

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/dictionary/case_record.h"
#include "orvane/model/score_model.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/plugin_directory.h"

namespace {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::NumericValue;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreValue;
using MCOrvane_600::StringValue;

// x <= 3 gives "a" (p(a) 0.8), above it "bb" (p(a) 0.1); a missing x gives
// no prediction.
const char kTree[] = R"(<PMML version="4.4">
  <DataDictionary>
    <DataField name="x" optype="continuous" dataType="double"/>
    <DataField name="y" optype="categorical" dataType="string">
      <Value value="a"/><Value value="bb"/>
    </DataField>
  </DataDictionary>
  <TreeModel functionName="classification">
    <MiningSchema><MiningField name="x"/><MiningField name="y" usageType="target"/></MiningSchema>
    <Output><OutputField name="p_a" feature="probability" value="a"/></Output>
    <Node><True/>
      <Node score="a"><SimplePredicate field="x" operator="lessOrEqual" value="3"/>
        <ScoreDistribution value="a" recordCount="8"/><ScoreDistribution value="bb" recordCount="2"/>
      </Node>
      <Node score="bb"><SimplePredicate field="x" operator="greaterThan" value="3"/>
        <ScoreDistribution value="a" recordCount="1"/><ScoreDistribution value="bb" recordCount="9"/>
      </Node>
    </Node>
  </TreeModel>
</PMML>)";

enum class HostStep { kNothing, kNumberAsTarget, kRemoveTarget, kTextAsProbability };

struct RecordCase {
  const char* what;
  HostStep before;  // what the host does to the record before the case
  double x;         // NaN: missing
  const char* y;    // null: missing
  double p_a;       // NaN: missing
};

const double kNone = std::numeric_limits<double>::quiet_NaN();

// One run, in order, over one record.
const RecordCase kSteps[] = {
    {"first case", HostStep::kNothing, 1, "a", 0.8},
    {"a longer category", HostStep::kNothing, 5, "bb", 0.1},
    {"host put a number as the target", HostStep::kNumberAsTarget, 1, "a", 0.8},
    {"no prediction", HostStep::kNothing, kNone, nullptr, kNone},
    {"after no prediction", HostStep::kNothing, 5, "bb", 0.1},
    {"host removed the target", HostStep::kRemoveTarget, 2, "a", 0.8},
    {"host put a text as a number", HostStep::kTextAsProbability, 4, "bb", 0.1},
};

class ResultRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<std::string> names = {"TreeModel"};
    orvane_plugins::PreloadPlugins(names);
    std::istringstream in(kTree);
    model_.reset(MCOrvane_600::ModelFactory::MakeModelFromXML(in, names, ""));
    ASSERT_NE(model_, nullptr);
  }

  void Check(const RecordCase& c, ScoreCaseRecord* result) {
    SCOPED_TRACE(c.what);
    CaseRecord input;
    input.Add("x", std::isnan(c.x) ? nullptr : new NumericValue(c.x));
    ASSERT_TRUE(model_->Score(&input, result, nullptr));
    const ScoreValue* y = result->Get("y");
    if (c.y == nullptr) {
      EXPECT_EQ(y, nullptr);
    } else {
      ASSERT_NE(y, nullptr);
      ASSERT_EQ(y->GetType(), ScoreValue::kSTRING_VALUE);
      EXPECT_EQ(y->GetString(), c.y);
      EXPECT_EQ(static_cast<const StringValue*>(y)->GetLength(), static_cast<int>(strlen(c.y)));
    }
    const ScoreValue* p = result->Get("p_a");
    if (std::isnan(c.p_a)) {
      EXPECT_EQ(p, nullptr);
    } else {
      ASSERT_NE(p, nullptr);
      ASSERT_EQ(p->GetType(), ScoreValue::kNUMERIC_VALUE);
      EXPECT_DOUBLE_EQ(p->GetDouble(), c.p_a);
    }
  }

  std::unique_ptr<MCOrvane_600::ScoreModel> model_;
};

TEST_F(ResultRecordTest, OwnRecordHoldsEachCaseWhateverTheHostDid) {
  std::unique_ptr<ScoreCaseRecord> result(model_->CreateResultRecord());
  for (const RecordCase& c : kSteps) {
    switch (c.before) {
      case HostStep::kNothing: break;
      case HostStep::kNumberAsTarget: result->Add("y", new NumericValue(7)); break;
      case HostStep::kRemoveTarget: result->Remove("y"); break;
      case HostStep::kTextAsProbability: result->Add("p_a", new StringValue("0.5")); break;
    }
    Check(c, result.get());
  }
}

TEST_F(ResultRecordTest, HostsOwnRecordHoldsEachCase) {
  CaseRecord result;
  for (const RecordCase& c : kSteps) {
    if (c.before == HostStep::kNothing) Check(c, &result);
  }
}

}  // namespace
