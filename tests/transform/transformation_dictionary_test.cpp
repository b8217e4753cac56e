#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "transform/tree_builders.h"

namespace MCOrvane_600 {
namespace {

using TD = TransformationDictionary;
constexpr double kSysmis = NumericValue::GetSysmisValue();

using orvane_test::Call;
using orvane_test::Num;
using orvane_test::Ref;

// Inputs y (numeric), s (text) and d (date-time).
class TransformationDictionaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddVar("y", new DictVar("y", ScoreDictVar::kNUMERIC_VAR));
    data_.AddVar("s", new DictVar("s", ScoreDictVar::kSTRING_VAR));
    auto* d = new DictVar("d", ScoreDictVar::kDATETIME_VAR);
    d->SetDateTimeType(ScoreDictVar::kDATE);
    data_.AddVar("d", d);
  }

  // A derived variable that copies `field`, added in document order.
  void AddRef(TD& dictionary, const std::string& name, const std::string& field,
              ScoreDictVar::VariableType type = ScoreDictVar::kNUMERIC_VAR) {
    auto* var = new TransformVar(name, type);
    var->AddFieldNameAndTransExpression(field, TD::kFIELDREF);
    ASSERT_TRUE(dictionary.AddVar(name, var));
    dictionary.AddDerievedVarName(name);
  }

  // A derived variable computing `root`, added in document order.
  void AddApply(TD& dictionary, const std::string& name, FunctionTree* root,
                ScoreDictVar::VariableType type = ScoreDictVar::kNUMERIC_VAR) {
    auto* var = new TransformVar(name, type);
    var->AddFieldNameAndTransExpression("", TD::kAPPLY);
    var->SetRoot(root);
    ASSERT_TRUE(dictionary.AddVar(name, var));
    dictionary.AddDerievedVarName(name);
  }

  double Number(const TD& dictionary, const std::string& name) {
    const ScoreValue* value = dictionary.GetVarValue(name);
    return value != nullptr ? value->GetDouble() : -1.0;
  }

  BaseDictionary data_;
  CaseRecord record_;
  TD derived_;
};

TEST_F(TransformationDictionaryTest, SetUpMakesOneInitialValuePerDerivedName) {
  AddRef(derived_, "n", "y");
  AddRef(derived_, "t", "s", ScoreDictVar::kSTRING_VAR);
  EXPECT_EQ(derived_.GetVarValue("n"), nullptr);
  derived_.SetUpDerivedCaseRecord();
  EXPECT_TRUE(derived_.GetVarValue("n")->IsSystemMissingValue());
  EXPECT_EQ(derived_.GetVarValue("t")->GetType(), ScoreValue::kSTRING_VALUE);
  EXPECT_FALSE(derived_.IsVarValueComputed("n") || derived_.IsVarValueComputed("unknown"));
  // Only the first set-up counts, even after more variables were added.
  AddRef(derived_, "late", "y");
  derived_.SetUpDerivedCaseRecord();
  EXPECT_EQ(derived_.GetVarValue("late"), nullptr);
}

TEST_F(TransformationDictionaryTest, ComputesEveryDerivedVariableInDocumentOrder) {
  // "a" needs "b", which comes later: "b" is computed on demand first.
  AddRef(derived_, "a", "b");
  AddRef(derived_, "b", "y");
  AddRef(derived_, "t", "s", ScoreDictVar::kSTRING_VAR);
  AddRef(derived_, "day", "d", ScoreDictVar::kDATETIME_VAR);
  derived_.SetUpDerivedCaseRecord();
  record_.Add("y", new NumericValue(3.0));
  record_.Add("s", new StringValue("abc"));
  record_.Add("d", new DateTimeValue(86400.0, DateTimeValue::kDATE_VAL));

  const ScoreCaseRecord* values = derived_.GetValuesForDeriedVars(&record_, &data_);
  ASSERT_NE(values, nullptr);
  const ScoreValue* stored = values->Get("a");
  EXPECT_EQ(Number(derived_, "a"), 3.0);
  EXPECT_EQ(Number(derived_, "b"), 3.0);
  EXPECT_EQ(values->Get("t")->GetString(), "abc");
  const auto* day = dynamic_cast<const DateTimeValue*>(values->Get("day"));
  ASSERT_NE(day, nullptr);
  EXPECT_EQ(day->GetDouble(), 86400.0);
  EXPECT_EQ(day->GetDateTimeType(), DateTimeValue::kDATE_VAL);
  for (const char* name : {"a", "b", "t", "day"}) EXPECT_TRUE(derived_.IsVarValueComputed(name));

  // The next case is stored in the same values.
  record_.SetValue("y", 5.0);
  record_.SetValue("s", "xy");
  EXPECT_EQ(derived_.GetValuesForDeriedVars(&record_, &data_), values);
  EXPECT_EQ(values->Get("a"), stored);
  EXPECT_EQ(Number(derived_, "a"), 5.0);
  EXPECT_EQ(values->Get("t")->GetString(), "xy");
  EXPECT_TRUE(derived_.IsVarValueComputed("t"));
}

TEST_F(TransformationDictionaryTest, WithoutSetUpOrRecordNothingIsStored) {
  AddRef(derived_, "a", "y");
  record_.Add("y", new NumericValue(3.0));
  EXPECT_EQ(derived_.GetValuesForDeriedVars(&record_, &data_), nullptr);
  EXPECT_FALSE(derived_.IsVarValueComputed("a"));

  derived_.SetUpDerivedCaseRecord();
  const ScoreCaseRecord* values = derived_.GetValuesForDeriedVars(&record_, &data_);
  record_.SetValue("y", 7.0);
  EXPECT_EQ(derived_.GetValuesForDeriedVars(nullptr, &data_), values);
  EXPECT_TRUE(derived_.IsVarValueComputed("a"));
  EXPECT_EQ(Number(derived_, "a"), 3.0);
}

TEST_F(TransformationDictionaryTest, ComputedValuesAreReadFromTheDerivedRecord) {
  AddRef(derived_, "a", "y");
  derived_.SetUpDerivedCaseRecord();
  record_.Add("y", new NumericValue(3.0));
  derived_.GetValuesForDeriedVars(&record_, &data_);
  record_.SetValue("y", 8.0);

  // Until the next case the stored 3 answers for "a", not a new computation.
  orvane_test::Walker walk;
  std::unique_ptr<FunctionTree> root(Call(TD::kFN_VALUE, {Ref("a")}));
  EXPECT_EQ(walk.evaluator.TravelSal(root.get(), &record_, &data_, &derived_)->GetDouble(), 3.0);
}

TEST_F(TransformationDictionaryTest, CopiesOwnTheirRecords) {
  AddRef(derived_, "a", "y");
  derived_.SetUpDerivedCaseRecord();
  record_.Add("y", new NumericValue(3.0));
  derived_.GetValuesForDeriedVars(&record_, &data_);

  const TD copy(derived_);
  EXPECT_NE(copy.GetVar("a"), nullptr);
  EXPECT_TRUE(copy.GetDerivedVarNames().empty());
  EXPECT_EQ(copy.GetVarValue("a"), nullptr);
  EXPECT_FALSE(copy.IsVarValueComputed("a"));

  auto source = std::make_unique<TD>();
  AddRef(*source, "b", "y");
  source->SetUpDerivedCaseRecord();
  source->GetValuesForDeriedVars(&record_, &data_);
  TD target;
  target = *source;
  EXPECT_EQ(target.GetDerivedVarNames(), std::vector<std::string>{"b"});
  EXPECT_TRUE(target.IsVarValueComputed("b"));
  ASSERT_NE(target.GetVarValue("b"), nullptr);
  EXPECT_NE(target.GetVarValue("b"), source->GetVarValue("b"));
  source.reset();
  EXPECT_EQ(Number(target, "b"), 3.0);

  target = target;
  EXPECT_EQ(Number(target, "b"), 3.0);
  // The assigned variables are plain copies: nothing is computed into them.
  target.SetUpDerivedCaseRecord();
  EXPECT_NE(target.GetValuesForDeriedVars(&record_, &data_), nullptr);
  EXPECT_FALSE(target.IsVarValueComputed("b"));
  EXPECT_EQ(Number(target, "b"), 3.0);

  // Assigning a dictionary that was never set up drops the records.
  target = TD();
  EXPECT_EQ(target.GetVarValue("b"), nullptr);
  EXPECT_TRUE(target.GetDerivedVarNames().empty());
}

TEST_F(TransformationDictionaryTest, VariablesThatNeedThemselvesAreMissing) {
  // a <-> b is a cycle; c needs it; e does not; t is a text in a cycle.
  AddRef(derived_, "a", "b");
  AddRef(derived_, "b", "a");
  AddRef(derived_, "c", "a");
  AddRef(derived_, "e", "y");
  AddRef(derived_, "t", "t", ScoreDictVar::kSTRING_VAR);
  // "y" is an input, so this is no cycle; p and q are Apply trees in a cycle.
  AddRef(derived_, "f", "y");
  AddApply(derived_, "p", Call(TD::kFN_PLUS, {Ref("q"), Num("1")}));
  AddApply(derived_, "q", Call(TD::kFN_PLUS, {Ref("p"), Num("1")}));
  derived_.SetUpDerivedCaseRecord();
  record_.Add("y", new NumericValue(3.0));

  derived_.GetValuesForDeriedVars(&record_, &data_);
  EXPECT_EQ(Number(derived_, "a"), kSysmis);
  EXPECT_EQ(Number(derived_, "b"), kSysmis);
  EXPECT_EQ(Number(derived_, "c"), kSysmis);
  EXPECT_EQ(Number(derived_, "e"), 3.0);
  EXPECT_EQ(Number(derived_, "f"), 3.0);
  EXPECT_EQ(Number(derived_, "p"), kSysmis);
  EXPECT_EQ(Number(derived_, "q"), kSysmis);
  EXPECT_EQ(derived_.GetVarValue("t")->GetString(), "");
  EXPECT_TRUE(derived_.IsVarValueComputed("a"));

  // An Apply tree reaching the cycle stops there too.
  orvane_test::Walker walk;
  std::unique_ptr<FunctionTree> leaf(Ref("c"));
  CaseRecord empty;
  EXPECT_EQ(walk.evaluator.TravelSal(leaf.get(), &empty, &data_, &derived_)->GetDouble(), kSysmis);
}

TEST_F(TransformationDictionaryTest, LongChainsAreNoCycle) {
  AddRef(derived_, "v0", "y");
  for (int i = 1; i < 2000; ++i) {
    AddRef(derived_, "v" + std::to_string(i), "v" + std::to_string(i - 1));
  }
  derived_.SetUpDerivedCaseRecord();
  record_.Add("y", new NumericValue(3.0));
  derived_.GetValuesForDeriedVars(&record_, &data_);
  EXPECT_EQ(Number(derived_, "v1999"), 3.0);
}

}  // namespace
}  // namespace MCOrvane_600
