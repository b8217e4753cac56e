#include "orvane/dictionary/case_record.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/dictionary/dict_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {
namespace {

// Numeric variables named as given, in that order, owned by the fixture.
class CaseRecordTest : public ::testing::Test {
 protected:
  std::vector<ScoreDictVar*> Vars(const std::vector<std::string>& names) {
    std::vector<ScoreDictVar*> vars;
    for (const std::string& name : names) {
      owned_.push_back(std::make_unique<DictVar>(name, ScoreDictVar::kNUMERIC_VAR));
      vars.push_back(owned_.back().get());
    }
    return vars;
  }

 private:
  std::vector<std::unique_ptr<DictVar>> owned_;
};

TEST_F(CaseRecordTest, SetValueFillsOnlyKnownNamesOfItsType) {
  CaseRecord record;
  EXPECT_FALSE(record.SetValue("x", 1.0));
  EXPECT_EQ(record.Size(), 0);

  record.Add("x", nullptr);
  EXPECT_EQ(record.Get("x"), nullptr);
  EXPECT_EQ(record.Size(), 1);
  ASSERT_TRUE(record.SetValue("x", 2.5));
  const ScoreValue* x = record.Get("x");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->GetType(), ScoreValue::kNUMERIC_VALUE);
  EXPECT_TRUE(record.SetValue("x", 3.0));
  EXPECT_EQ(record.Get("x"), x);
  EXPECT_EQ(x->GetDouble(), 3.0);
  EXPECT_FALSE(record.SetValue("x", "text"));
  EXPECT_FALSE(record.SetValue("x", 1.0, ScoreDictVar::kDATE));

  record.Add("s", new StringValue("a"));
  EXPECT_FALSE(record.SetValue("s", 2.5));
  EXPECT_TRUE(record.SetValue("s", "b"));
  EXPECT_EQ(record.Get("s")->GetString(), "b");

  record.Add("d", new DateTimeValue(0.0, ScoreDictVar::kDATE));
  EXPECT_FALSE(record.SetValue("d", "b"));
  EXPECT_FALSE(record.SetValue("d", 1.0));
  const ScoreValue* d = record.Get("d");
  EXPECT_TRUE(record.SetValue("d", 2.0, ScoreDictVar::kDATE_DAYS_SINCE_1970));
  EXPECT_EQ(record.Get("d"), d);
  EXPECT_EQ(d->GetDouble(), 2 * 86400.0);

  record.Add("e", nullptr);
  EXPECT_TRUE(record.SetValue("e", 1.0, ScoreDictVar::kTIME_SECONDS));
  EXPECT_EQ(record.Get("e")->GetType(), ScoreValue::kDATETIME_VALUE);
  record.Add("t", nullptr);
  EXPECT_TRUE(record.SetValue("t", "new"));
  EXPECT_EQ(record.Get("t")->GetString(), "new");
}

TEST_F(CaseRecordTest, IndexSlotsMirrorTheValues) {
  CaseRecord record;
  record.SetUpNameIndexMap({});
  EXPECT_FALSE(record.HasMap());
  record.SetUpNameIndexMap(Vars({"b", "a"}));
  ASSERT_TRUE(record.HasMap());
  record.SetUpNameIndexMap(Vars({"c"}));  // Built once only.
  EXPECT_EQ(record.GetIndex("b"), 0);
  EXPECT_EQ(record.GetIndex("a"), 1);
  EXPECT_EQ(record.GetIndex("c"), -1);

  record.Add("b", nullptr);
  EXPECT_EQ(record.Get(0), nullptr);
  record.SetValue("b", 4.0);
  ASSERT_NE(record.Get(0), nullptr);
  EXPECT_EQ(record.Get(0), record.Get("b"));
  EXPECT_EQ(record.Get(2), nullptr);
  EXPECT_EQ(record.Get(-1), nullptr);

  record.Remove("b");
  record.Remove("unknown");
  EXPECT_EQ(record.Get("b"), nullptr);
  EXPECT_EQ(record.Get(0), nullptr);
  EXPECT_EQ(record.GetIndex("b"), 0);
  record.Add("b", new NumericValue(5.0));
  EXPECT_EQ(record.Get(0), record.Get("b"));

  // Adding a present name replaces (and destroys) its value; the slot follows.
  record.Add("b", new NumericValue(6.0));
  EXPECT_EQ(record.Size(), 1);
  EXPECT_EQ(record.Get("b")->GetDouble(), 6.0);
  EXPECT_EQ(record.Get(0), record.Get("b"));
}

TEST_F(CaseRecordTest, LateIndexMirrorsValuesAlreadyThere) {
  CaseRecord record;
  record.Add("a", new NumericValue(1.0));
  record.SetUpNameIndexMap(Vars({"b", "a"}));
  EXPECT_EQ(record.Get(1), record.Get("a"));
  EXPECT_EQ(record.Get(0), nullptr);
}

TEST_F(CaseRecordTest, CopiesAreDeepAndKeepTheIndex) {
  auto source = std::make_unique<CaseRecord>();
  source->SetUpNameIndexMap(Vars({"b", "a", "c"}));
  source->Add("a", new NumericValue(1.0));
  source->Add("b", nullptr);
  source->Add("z", new StringValue("zz"));

  CaseRecord copy(*source);
  CaseRecord assigned;
  assigned.Add("old", new NumericValue(0.0));
  assigned = *source;
  const CaseRecord& alias = assigned;
  assigned = alias;  // Self-assignment keeps everything.
  for (CaseRecord* record : {&copy, &assigned}) {
    ASSERT_TRUE(record->HasMap());
    EXPECT_EQ(record->GetVarNames(), (std::vector<std::string>{"a", "b", "z"}));
    ASSERT_NE(record->Get("a"), nullptr);
    EXPECT_NE(record->Get("a"), source->Get("a"));
    EXPECT_EQ(record->Get(1), record->Get("a"));
    EXPECT_EQ(record->Get(0), nullptr);
    EXPECT_EQ(record->Get(2), nullptr);
    EXPECT_EQ(record->Get(3), nullptr);
    EXPECT_TRUE(*record->Get("a") == *source->Get("a"));
  }
  copy.SetValue("a", 7.0);
  EXPECT_EQ(source->Get("a")->GetDouble(), 1.0);
  source.reset();
  EXPECT_EQ(copy.Get(1)->GetDouble(), 7.0);
  EXPECT_EQ(assigned.Get("z")->GetString(), "zz");
}

TEST_F(CaseRecordTest, ListsAndDisplaysInByteOrder) {
  CaseRecord record;
  record.Add("y", nullptr);
  record.Add("x", new NumericValue(1.0));
  record.Add("B", nullptr);
  EXPECT_EQ(record.GetVarNames(), (std::vector<std::string>{"B", "x", "y"}));
  record.Remove("B");
  std::ostringstream os;
  record.Display(os);
  EXPECT_EQ(os.str(),
            "Start ScoreCaseRecord Display:\n"
            "Var Name: x; Var Value: 1\n"
            "Var Name: y\n"
            "End of ScoreCaseRecord Display.\n\n");
}

}  // namespace
}  // namespace MCOrvane_600
