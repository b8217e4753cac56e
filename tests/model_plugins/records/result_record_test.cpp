// A model's result record is scored case after case, in place; whatever the
// host does to it between cases, each case leaves exactly its own results.

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "scored_document.h"

namespace {

using MCOrvane_600::NumericValue;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreValue;
using MCOrvane_600::StringValue;

// The hand-worked tree: x <= 3 gives "a" (p(a) 0.8), above it "bb" (p(a)
// 0.1); a missing x gives no prediction.
const std::string kTree = orvane_test::ReadFile(ORVANE_TEST_DATA_DIR "/scoring/tree.pmml");

enum class HostStep { kNothing, kNumberAsTarget, kRemoveTarget, kTextAsProbability, kTextAsTarget };

// One run, in order, over one record.
const struct RecordCase {
  const char* what;
  HostStep before;  // what the host does to the record before the case
  double x;         // NaN: missing
  const char* y;    // null: missing
  double p_a;       // NaN: missing
} kSteps[] = {
    {"first case", HostStep::kNothing, 1, "a", 0.8},
    {"a longer category", HostStep::kNothing, 5, "bb", 0.1},
    {"host put a number as the target", HostStep::kNumberAsTarget, 1, "a", 0.8},
    {"no prediction", HostStep::kNothing, NAN, nullptr, NAN},
    {"after no prediction", HostStep::kNothing, 5, "bb", 0.1},
    {"host removed the target", HostStep::kRemoveTarget, 2, "a", 0.8},
    {"the same category again", HostStep::kNothing, 1, "a", 0.8},
    {"host changed the target's text, same category", HostStep::kTextAsTarget, 1, "a", 0.8},
    {"host put a text as a number", HostStep::kTextAsProbability, 4, "bb", 0.1},
};

void Check(MCOrvane_600::ScoreModel& model, const RecordCase& c, ScoreCaseRecord* result) {
  SCOPED_TRACE(c.what);
  MCOrvane_600::CaseRecord input;
  input.Add("x", std::isnan(c.x) ? nullptr : new NumericValue(c.x));
  ASSERT_TRUE(model.Score(&input, result, nullptr));
  const ScoreValue* y = result->Get("y");
  ASSERT_EQ(y == nullptr, c.y == nullptr);
  if (y != nullptr) {
    ASSERT_EQ(y->GetType(), ScoreValue::kSTRING_VALUE);
    EXPECT_EQ(y->GetString(), c.y);
    EXPECT_EQ(static_cast<const StringValue*>(y)->GetLength(), static_cast<int>(strlen(c.y)));
  }
  const ScoreValue* p = result->Get("p_a");
  ASSERT_EQ(p == nullptr, std::isnan(c.p_a));
  if (p != nullptr) {
    ASSERT_EQ(p->GetType(), ScoreValue::kNUMERIC_VALUE);
    EXPECT_DOUBLE_EQ(p->GetDouble(), c.p_a);
  }
}

TEST(ResultRecord, OwnRecordHoldsEachCaseWhateverTheHostDid) {
  const std::unique_ptr<MCOrvane_600::ScoreModel> model = orvane_test::ReadModel(kTree);
  std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
  for (const RecordCase& c : kSteps) {
    switch (c.before) {
      case HostStep::kNothing:
        break;
      case HostStep::kNumberAsTarget:
        result->Add("y", new NumericValue(7));
        break;
      case HostStep::kRemoveTarget:
        result->Remove("y");
        break;
      case HostStep::kTextAsProbability:
        result->Add("p_a", new StringValue("0.5"));
        break;
      case HostStep::kTextAsTarget:
        result->SetValue("y", std::string("z"));
        break;
    }
    Check(*model, c, result.get());
  }
}

// Two result records of one model, each case scored into both in turn:
// the second gets the same results as the first, the first the next case's.
TEST(ResultRecord, RecordsTakenInTurnHoldTheirCases) {
  const std::unique_ptr<MCOrvane_600::ScoreModel> model = orvane_test::ReadModel(kTree);
  std::unique_ptr<ScoreCaseRecord> first(model->CreateResultRecord());
  std::unique_ptr<ScoreCaseRecord> second(model->CreateResultRecord());
  for (const RecordCase& c : kSteps) {
    if (c.before != HostStep::kNothing) continue;
    Check(*model, c, first.get());
    Check(*model, c, second.get());
  }
}

TEST(ResultRecord, HostsOwnRecordHoldsEachCase) {
  const std::unique_ptr<MCOrvane_600::ScoreModel> model = orvane_test::ReadModel(kTree);
  MCOrvane_600::CaseRecord result;
  for (const RecordCase& c : kSteps) {
    if (c.before == HostStep::kNothing) Check(*model, c, &result);
  }
}

// One input record, its layout changed by the host between cases: the model
// reads each case's x wherever the record now holds it.
TEST(ResultRecord, InputRecordChangedBetweenCases) {
  const std::unique_ptr<MCOrvane_600::ScoreModel> model = orvane_test::ReadModel(kTree);
  std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
  MCOrvane_600::CaseRecord input;
  const struct {
    const char* what;
    void (*change)(MCOrvane_600::CaseRecord&);
    const char* y;  // null: missing
  } kChanges[] = {
      {"x 1", [](MCOrvane_600::CaseRecord& r) { r.Add("x", new NumericValue(1)); }, "a"},
      {"x removed", [](MCOrvane_600::CaseRecord& r) { r.Remove("x"); }, nullptr},
      {"x back as 5", [](MCOrvane_600::CaseRecord& r) { r.Add("x", new NumericValue(5)); }, "bb"},
      {"a name before x, x 2",
       [](MCOrvane_600::CaseRecord& r) {
         r.Add("a", new NumericValue(9));
         r.Add("x", new NumericValue(2));
       },
       "a"},
      {"assigned a record with x 4",
       [](MCOrvane_600::CaseRecord& r) {
         MCOrvane_600::CaseRecord other;
         other.Add("x", new NumericValue(4));
         r = other;
       },
       "bb"},
      {"same layout, x 3", [](MCOrvane_600::CaseRecord& r) { r.SetValue("x", 3.0); }, "a"},
  };
  for (const auto& c : kChanges) {
    SCOPED_TRACE(c.what);
    c.change(input);
    ASSERT_TRUE(model->Score(&input, result.get(), nullptr));
    const ScoreValue* y = result->Get("y");
    ASSERT_EQ(y == nullptr, c.y == nullptr);
    if (y != nullptr) {
      EXPECT_EQ(y->GetString(), c.y);
    }
  }
}

}  // namespace
