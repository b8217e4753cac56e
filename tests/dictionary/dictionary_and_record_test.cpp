// Dictionaries of variables and the case records that hold a case's values.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

using orvane_test::Shown;
using Names = std::vector<std::string>;

Names NamesOf(const ScoreDictionary& dictionary) {
  Names names;
  for (const ScoreDictVar* var : dictionary.GetScoreDictVars()) names.push_back(var->GetName());
  return names;
}

// Keys the variables by their own names, in the order given.
void AddAll(BaseDictionary* dictionary, const Names& names) {
  for (const std::string& name : names) {
    ASSERT_TRUE(dictionary->AddVar(name, new DictVar(name, ScoreDictVar::kNUMERIC_VAR)));
  }
}

TEST(BaseDictionaryTest, AddLookupAndRemove) {
  BaseDictionary dictionary;
  auto spare = std::make_unique<DictVar>("x", ScoreDictVar::kSTRING_VAR);
  EXPECT_FALSE(dictionary.AddVar("", spare.get()));  // refusals leave it with the caller
  EXPECT_FALSE(dictionary.AddVar("x", nullptr));
  auto* first = new DictVar("own", ScoreDictVar::kNUMERIC_VAR);
  EXPECT_TRUE(dictionary.AddVar("x", first));
  EXPECT_FALSE(dictionary.AddVar("x", spare.get()));
  EXPECT_EQ(dictionary.GetVar("x"), first);  // by key, exactly
  for (const char* other : {"X", "own", "x "}) EXPECT_EQ(dictionary.GetVar(other), nullptr);

  AddAll(&dictionary, {"b", "A", "a"});
  EXPECT_EQ(NamesOf(dictionary), (Names{"A", "a", "b", "own"}));  // byte order of keys
  EXPECT_FALSE(dictionary.RemoveVar(""));
  EXPECT_TRUE(dictionary.RemoveVar("x"));
  EXPECT_FALSE(dictionary.RemoveVar("x"));
  EXPECT_EQ(dictionary.Size(), 3);
}

TEST(BaseDictionaryTest, CopiesAreDeepAndDisplayIsByteExact) {
  const std::string begin = "\n ############ Begin dictionary display ################ \n";
  const std::string end = "End Of ScoreDictionary display.\n\n";
  EXPECT_EQ(Shown(BaseDictionary()), begin + end);

  auto source = std::make_unique<BaseDictionary>();
  AddAll(source.get(), {"b", "A"});
  const std::unique_ptr<ScoreDictionary> clone(source->Clone());
  BaseDictionary assigned;
  AddAll(&assigned, {"old"});
  assigned = *source;
  {
    BaseDictionary copy(*source);
    EXPECT_NE(copy.GetVar("A"), source->GetVar("A"));
  }  // Destroying a copy leaves its source intact.
  EXPECT_EQ(source->GetVar("A")->GetName(), "A");
  source.reset();
  const std::string vars = Shown(DictVar("A", ScoreDictVar::kNUMERIC_VAR)) +
                           Shown(DictVar("b", ScoreDictVar::kNUMERIC_VAR));
  EXPECT_EQ(Shown(*clone), begin + vars + end);
  EXPECT_EQ(Shown(assigned), begin + vars + end);
}

TEST(CaseRecordTest, SetValueFillsOnlyKnownNamesOfItsType) {
  CaseRecord record;
  EXPECT_FALSE(record.SetValue("x", 1.0));
  record.Add("x", nullptr);
  EXPECT_EQ(record.Get("x"), nullptr);
  ASSERT_TRUE(record.SetValue("x", 2.5));
  const ScoreValue* x = record.Get("x");
  EXPECT_EQ(x->GetType(), ScoreValue::kNUMERIC_VALUE);
  EXPECT_TRUE(record.SetValue("x", 3.0));
  EXPECT_EQ(record.Get("x"), x);  // set in place
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

// Numeric variables named as given, in that order, owned by the fixture.
class IndexedRecordTest : public ::testing::Test {
 protected:
  std::vector<ScoreDictVar*> Vars(const Names& names) {
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

TEST_F(IndexedRecordTest, IndexSlotsMirrorTheValues) {
  CaseRecord record;
  record.SetUpNameIndexMap({});
  EXPECT_FALSE(record.HasMap());
  record.Add("a", new NumericValue(1.0));
  record.SetUpNameIndexMap(Vars({"b", "a"}));  // mirrors the values already there
  record.SetUpNameIndexMap(Vars({"c"}));       // built once only
  EXPECT_EQ(record.GetIndex("c"), -1);
  EXPECT_EQ(record.Get(1), record.Get("a"));

  record.Add("b", nullptr);
  EXPECT_EQ(record.Get(0), nullptr);
  record.SetValue("b", 4.0);
  EXPECT_EQ(record.Get(0), record.Get("b"));
  EXPECT_EQ(record.Get(2), nullptr);
  EXPECT_EQ(record.Get(-1), nullptr);

  record.Remove("b");
  record.Remove("unknown");
  EXPECT_EQ(record.Get(0), nullptr);
  EXPECT_EQ(record.GetIndex("b"), 0);
  record.Add("b", new NumericValue(5.0));
  // Adding a present name replaces (and destroys) its value; the slot follows.
  record.Add("b", new NumericValue(6.0));
  EXPECT_EQ(record.Size(), 2);
  EXPECT_EQ(record.Get(0)->GetDouble(), 6.0);
}

TEST_F(IndexedRecordTest, CopiesAreDeepAndKeepTheIndex) {
  auto source = std::make_unique<CaseRecord>();
  source->SetUpNameIndexMap(Vars({"b", "a", "c"}));
  source->Add("a", new NumericValue(1.0));
  source->Add("b", nullptr);
  source->Add("z", new StringValue("zz"));

  CaseRecord copy(*source);
  CaseRecord assigned;
  assigned.Add("old", new NumericValue(0.0));
  assigned = *source;
  for (CaseRecord* record : {&copy, &assigned}) {
    ASSERT_TRUE(record->HasMap());
    EXPECT_EQ(record->GetVarNames(), (Names{"a", "b", "z"}));
    EXPECT_NE(record->Get("a"), source->Get("a"));
    EXPECT_EQ(record->Get(1), record->Get("a"));
    EXPECT_EQ(record->Get(0), nullptr);
    EXPECT_EQ(record->Get(2), nullptr);
  }
  copy.SetValue("a", 7.0);
  EXPECT_EQ(source->Get("a")->GetDouble(), 1.0);
  source.reset();
  EXPECT_EQ(copy.Get(1)->GetDouble(), 7.0);
  EXPECT_EQ(assigned.Get("z")->GetString(), "zz");
  assigned.Remove("a");
  EXPECT_EQ(Shown(assigned),
            "Start ScoreCaseRecord Display:\n"
            "Var Name: b\n"
            "Var Name: z; Var Value: zz\n"
            "End of ScoreCaseRecord Display.\n\n");
}

}  // namespace
}  // namespace MCOrvane_600
