// What a transformation dictionary keeps from one case to the next (names
// resolved once, tree layouts, record entries, table indexes) must never show:
// every change to trees, records, dictionaries and variables between cases is
// seen, and the answers equal those of a plain walk.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "transform/tree_builders.h"

namespace MCOrvane_600 {
namespace {

using TD = TransformationDictionary;
using orvane_test::Node;
constexpr double kSysmis = NumericValue::GetSysmisValue();

using orvane_test::Call;
using orvane_test::Num;
using orvane_test::NumericVar;
using orvane_test::Ref;

// Inputs y and z (numeric) and c (text); derived variables are added by each
// test.
class EvaluationReuseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddVar("y", NumericVar("y"));
    data_.AddVar("z", NumericVar("z"));
    data_.AddVar("c", new DictVar("c", ScoreDictVar::kSTRING_VAR));
  }

  TransformVar* Add(const std::string& name, TD::TransExpression kind, const std::string& field,
                    ScoreDictVar::VariableType type = ScoreDictVar::kNUMERIC_VAR) {
    auto* var = new TransformVar(name, type);
    var->AddFieldNameAndTransExpression(field, kind);
    EXPECT_TRUE(derived_.AddVar(name, var));
    derived_.AddDerievedVarName(name);
    return var;
  }

  TransformVar* AddApply(const std::string& name, FunctionTree* root) {
    TransformVar* var = Add(name, TD::kAPPLY, "");
    var->SetRoot(root);
    return var;
  }

  // The value of `name` after computing the case in `record`.
  double Compute(const ScoreCaseRecord& record, const std::string& name,
                 const ScoreDictionary* data = nullptr) {
    const ScoreCaseRecord* out = derived_.GetValuesForDeriedVars(&record, data ? data : &data_);
    const ScoreValue* value = out != nullptr ? out->Get(name) : nullptr;
    return value != nullptr ? value->GetDouble() : -1.0;
  }

  BaseDictionary data_;
  TD derived_;
  CaseRecord record_;
};

TEST_F(EvaluationReuseTest, ANumberResultNeverKeepsThePreviousCaseOnAForeignType) {
  // A date/time value reaching a number variable makes it missing, through a
  // field reference and through an Apply tree alike.
  Add("ref", TD::kFIELDREF, "y");
  FunctionTreeImp* value = Call(TD::kFN_VALUE, {Ref("y")});
  AddApply("app", value);
  derived_.SetUpDerivedCaseRecord();

  record_.Add("y", new NumericValue(5.0));
  EXPECT_EQ(Compute(record_, "ref"), 5.0);
  EXPECT_EQ(Compute(record_, "app"), 5.0);
  record_.Remove("y");
  record_.Add("y", new DateTimeValue(86400.0, DateTimeValue::kDATE_VAL));
  EXPECT_EQ(Compute(record_, "ref"), kSysmis);
  EXPECT_EQ(Compute(record_, "app"), kSysmis);
}

// After a few cases the common fields are computed from numbers laid out
// once; every change must still show at the next case.
TEST_F(EvaluationReuseTest, ChangesAfterManyCasesShowAtTheNextCase) {
  FunctionTreeImp* plus = Node(TD::kFN_PLUS, "", false);
  FunctionTreeImp* one = Num("1");
  plus->Add(Ref("y"));
  plus->Add(one);
  AddApply("a", plus);
  TransformVar* norm = Add("n", TD::kNORMCONTINUOUS, "a");
  norm->AddNormInfo(2.0, 0.0);
  TransformVar* bins = Add("b", TD::kDISCRETIZE, "y");
  bins->AddBinningValue(new Range(0.0, 10.0, true, false), new NumericValue(1.0));
  derived_.SetUpDerivedCaseRecord();
  auto compute_at = [&](double y) {
    record_.Add("y", new NumericValue(y));
    return Compute(record_, "a");
  };
  for (double y : {1.0, 2.0, 3.0}) EXPECT_EQ(compute_at(y), y + 1);
  EXPECT_EQ(Compute(record_, "n"), 8.0);
  EXPECT_EQ(Compute(record_, "b"), 1.0);

  ApplyNodeStats stats = one->GetNodeStats();
  stats.SetParameterName("Constant_D_2");
  one->SetNodeStats(stats);
  EXPECT_EQ(compute_at(3.0), 5.0);
  EXPECT_EQ(compute_at(3.0), 5.0);
  plus->Add(Num("10"));
  EXPECT_EQ(compute_at(3.0), 15.0);
  EXPECT_EQ(compute_at(4.0), 16.0);
  // A removed argument: "+" folds over what is there.
  plus->Remove(0);
  EXPECT_EQ(Compute(record_, "a"), 12.0);
  // A walk of the same tree from outside does not hide the next change.
  orvane_test::Walker walk;
  plus->Add(Ref("y"));
  EXPECT_EQ(walk.evaluator.TravelSal(plus, &record_, &data_, &derived_)->GetDouble(), 16.0);
  EXPECT_EQ(Compute(record_, "a"), 16.0);

  norm->AddNormInfo(3.0, 1.0);
  EXPECT_EQ(Compute(record_, "n"), 49.0);
  bins->AddBinningValue(new Range(10.0, 20.0, true, false), new NumericValue(2.0));
  EXPECT_EQ(compute_at(12.0), 24.0);
  EXPECT_EQ(Compute(record_, "b"), 2.0);
  bins->SetRecodeDefaultValue(new NumericValue(-3.0));
  EXPECT_EQ(compute_at(25.0), 37.0);
  EXPECT_EQ(Compute(record_, "b"), -3.0);

  // y user-missing from now on: "+" is missing, and so is the norm of it.
  derived_.GetValuesForDeriedVars(&record_, &data_);
  const_cast<ScoreDictVar*>(data_.GetVar("y"))->SetMissingValues([] {
    auto* set = new MissingValueSet();
    set->Add(new Range(new NumericValue(25.0)));
    return set;
  }());
  EXPECT_EQ(compute_at(25.0), kSysmis);
  EXPECT_EQ(Compute(record_, "n"), kSysmis);
}

// Only a field can be asked whether it is missing: anything else answers 0,
// case after case, whichever of the two functions asks.
TEST_F(EvaluationReuseTest, MissingTestsOfANameNoDictionaryHasAnswerZero) {
  FunctionTreeImp* missing = Call(TD::kFN_IS_MISSING, {Ref("nosuch")});
  AddApply("m", missing);
  FunctionTreeImp* present = Call(TD::kFN_IS_NOT_MISSING, {Ref("nosuch")});
  AddApply("p", present);
  FunctionTreeImp* known = Call(TD::kFN_IS_NOT_MISSING, {Ref("y")});
  AddApply("k", known);
  derived_.SetUpDerivedCaseRecord();
  for (double y : {1.0, 2.0, 3.0}) {
    record_.Add("y", new NumericValue(y));
    EXPECT_EQ(Compute(record_, "m"), 0.0);
    EXPECT_EQ(Compute(record_, "p"), 0.0);
    EXPECT_EQ(Compute(record_, "k"), 1.0);
  }
}

// A field defined after the one that reads it is computed on demand.
TEST_F(EvaluationReuseTest, FieldsReadBeforeTheyAreDefined) {
  FunctionTreeImp* plus = Call(TD::kFN_PLUS, {Ref("later"), Num("1")});
  AddApply("first", plus);
  FunctionTreeImp* times = Call(TD::kFN_MULTIPLY, {Ref("y"), Num("2")});
  AddApply("later", times);
  derived_.SetUpDerivedCaseRecord();
  for (double y : {1.0, 2.0, 3.0, 4.0}) {
    record_.Add("y", new NumericValue(y));
    EXPECT_EQ(Compute(record_, "first"), 2 * y + 1);
    EXPECT_EQ(Compute(record_, "later"), 2 * y);
  }
}

TEST_F(EvaluationReuseTest, RecordsMayChangeOrBeReplacedBetweenCases) {
  FunctionTreeImp* plus = Call(TD::kFN_PLUS, {Ref("y"), Num("1")});
  AddApply("a", plus);
  Add("n", TD::kFIELDREF, "y");
  derived_.SetUpDerivedCaseRecord();

  record_.Add("y", new NumericValue(1.0));
  EXPECT_EQ(Compute(record_, "a"), 2.0);
  record_.Remove("y");
  EXPECT_EQ(Compute(record_, "a"), kSysmis);
  EXPECT_EQ(Compute(record_, "n"), kSysmis);
  record_.Add("y", new NumericValue(5.0));
  EXPECT_EQ(Compute(record_, "a"), 6.0);
  record_.Add("y", nullptr);
  EXPECT_EQ(Compute(record_, "n"), kSysmis);
  record_.SetValue("y", 7.0);
  EXPECT_EQ(Compute(record_, "n"), 7.0);

  // A record per case, each at whatever address it gets.
  for (double y : {10.0, 20.0, 30.0}) {
    auto fresh = std::make_unique<CaseRecord>();
    fresh->Add("y", new NumericValue(y));
    EXPECT_EQ(Compute(*fresh, "a"), y + 1);
  }
  CaseRecord other;
  other.Add("y", new NumericValue(40.0));
  record_ = other;
  EXPECT_EQ(Compute(record_, "a"), 41.0);
}

TEST_F(EvaluationReuseTest, ChangedOrOtherDataDictionariesAreSeen) {
  FunctionTreeImp* plus = Call(TD::kFN_PLUS, {Ref("y"), Num("1")});
  AddApply("a", plus);
  derived_.SetUpDerivedCaseRecord();
  record_.Add("y", new NumericValue(1.0));
  EXPECT_EQ(Compute(record_, "a"), 2.0);

  // 1 is user-missing here, and missing numbers make "+" missing.
  BaseDictionary other;
  other.AddVar("y", NumericVar("y", 1.0));
  EXPECT_EQ(Compute(record_, "a", &other), kSysmis);
  // The same dictionary with its variable replaced, same size.
  other.RemoveVar("y");
  other.AddVar("y", NumericVar("y"));
  EXPECT_EQ(Compute(record_, "a", &other), 2.0);
  EXPECT_EQ(Compute(record_, "a"), 2.0);
}

TEST_F(EvaluationReuseTest, ReplacedOrChangedDerivedVariablesAreSeen) {
  Add("b", TD::kFIELDREF, "y");
  TransformVar* norm = Add("n", TD::kNORMCONTINUOUS, "b");
  norm->AddNormInfo(2.0, 0.0);
  derived_.SetUpDerivedCaseRecord();
  record_.Add("y", new NumericValue(3.0));
  record_.Add("z", new NumericValue(7.0));
  EXPECT_EQ(Compute(record_, "n"), 6.0);

  // "b" now copies z: same name, same dictionary size.
  derived_.RemoveVar("b");
  auto* b = new TransformVar("b", ScoreDictVar::kNUMERIC_VAR);
  b->AddFieldNameAndTransExpression("z", TD::kFIELDREF);
  derived_.AddVar("b", b);
  EXPECT_EQ(Compute(record_, "n"), 14.0);
  // And back to y, through the variable itself.
  b->AddFieldNameAndTransExpression("y", TD::kFIELDREF);
  EXPECT_EQ(Compute(record_, "n"), 6.0);
}

TEST_F(EvaluationReuseTest, NumberTreesAnswerAsTheWalkDoes) {
  // +(if(y, y, 0), sqrt(max(z, 4)), value(y), -(z, 1)): numbers computed
  // in line next to nodes that take the walk.
  FunctionTreeImp* condition = Call(TD::kFN_IF, {Ref("y"), Ref("y"), Num("0")});
  FunctionTreeImp* max = Call(TD::kFN_MAX, {Ref("z"), Num("4")});
  FunctionTreeImp* root = Call(TD::kFN_SQRT, {max});
  FunctionTreeImp* value = Call(TD::kFN_VALUE, {Ref("y")});
  FunctionTreeImp* minus = Call(TD::kFN_MINUS, {Ref("z"), Num("1")});
  FunctionTreeImp* plus = Node(TD::kFN_PLUS, "", false);
  for (FunctionTreeImp* argument : {condition, root, value, minus}) plus->Add(argument);
  AddApply("a", plus);
  derived_.SetUpDerivedCaseRecord();

  orvane_test::Walker walk;
  for (double y : {0.0, 2.0, kSysmis}) {
    for (double z : {1.0, 9.0, kSysmis}) {
      CaseRecord record;
      record.Add("y", new NumericValue(y));
      record.Add("z", new NumericValue(z));
      const double walked = walk.evaluator.TravelSal(plus, &record, &data_, &derived_)->GetDouble();
      EXPECT_EQ(Compute(record, "a"), walked) << y << " " << z;
      if (y == 2.0 && z == 9.0) {
        EXPECT_EQ(walked, 2.0 + 3.0 + 2.0 + 8.0);
      }
    }
  }
}

struct KeyCase {
  const char* name;
  std::vector<std::string> keys;  // rows in order; encoded value = row + 1
  const char* input;
  double expected;  // 0 for no match (the default value)
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class TextKeyTest : public EvaluationReuseTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(TextKeyTest, FindsTheFirstRowWhoseKeyEqualsTheInput) {
  const KeyCase& c = GetParam();
  TransformVar* map = Add("m", TD::kMAPVALUES, "c");
  for (std::size_t i = 0; i < c.keys.size(); ++i) {
    map->AddEncodingMap(new StringValue(c.keys[i]), new NumericValue(i + 1.0));
  }
  map->SetRecodeDefaultValue(new NumericValue(0.0));
  derived_.SetUpDerivedCaseRecord();
  record_.Add("c", new StringValue(c.input));
  EXPECT_EQ(Compute(record_, "m"), c.expected);
  // The public lookup agrees with the pass.
  const StringValue input(c.input);
  EXPECT_EQ(map->GetEncodedValue(data_.GetVar("c"), &input)->GetDouble(), c.expected);
}

const std::vector<std::string> kManyKeys{"k0", "k1", "k2", "k3",  "k4", "k5",
                                         "k6", "k7", "k8", "k9 ", "k9", "k10"};

INSTANTIATE_TEST_SUITE_P(
    Table, TextKeyTest,
    ::testing::Values(
        KeyCase{"Plain", {"a", "b"}, "b", 2},
        KeyCase{"TrailingSpacesIgnored", {"a", "b  "}, "b ", 2},
        KeyCase{"FirstOfEqualKeysWins", {"b ", "a", "b"}, "b", 1},
        KeyCase{"LeadingSpaceCounts", {"a"}, " a", 0},
        KeyCase{"LongKeysDifferLate", {"category_one", "category_two"}, "category_two", 2},
        KeyCase{"EmptyMatchesBlank", {"x", "   "}, "", 2},
        KeyCase{"ManyKeysHashed", kManyKeys, "k9", 10},
        KeyCase{"ManyKeysNoMatch", kManyKeys, "k11", 0}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(EvaluationReuseTest, MixedKeyTypesMatchByTheirOwnEquality) {
  TransformVar* map = Add("m", TD::kMAPVALUES, "y");
  map->AddEncodingMap(new StringValue("2"), new NumericValue(1.0));
  map->AddEncodingMap(new NumericValue(2.0), new NumericValue(2.0));
  derived_.SetUpDerivedCaseRecord();
  record_.Add("y", new NumericValue(2.0));
  EXPECT_EQ(Compute(record_, "m"), 2.0);
}

TEST_F(EvaluationReuseTest, BinsAnswerAsTheirIntervalsDo) {
  // Touching intervals of every closure, one open below; the bins answer
  // their index.
  std::vector<Range*> ranges{new Range(-1.0, 0.0, false, false), new Range(0.0, 1.0, true, false),
                             new Range(1.0, 2.0, true, true), new Range(2.0, 3.0, false, true),
                             new Range(nullptr, new NumericValue(-1.0), true, true)};
  TransformVar* bins = Add("b", TD::kDISCRETIZE, "y");
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    bins->AddBinningValue(ranges[i], new NumericValue(static_cast<double>(i)));
  }
  bins->SetRecodeDefaultValue(new NumericValue(-9.0));
  derived_.SetUpDerivedCaseRecord();
  for (double y : {-2.0, -1.0, -0.5, 0.0, 1e-300, 1.0 - 1e-15, 1.0, 1.0 + 1e-15, 2.0, 2.0 + 1e-15,
                   3.0, 3.0 + 1e-13, kSysmis}) {
    const NumericValue input(y);
    double expected = -9.0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      if (ranges[i]->IsInRange(&input)) {
        expected = static_cast<double>(i);
        break;
      }
    }
    // System-missing is in no bin and, being missing, takes no default.
    if (y == kSysmis) expected = kSysmis;
    record_.Remove("y");
    record_.Add("y", new NumericValue(y));
    EXPECT_EQ(Compute(record_, "b"), expected) << y;
  }
  // A date/time input is compared by its intervals, through its own class.
  record_.Remove("y");
  record_.Add("y", new DateTimeValue(1.5, DateTimeValue::kDATETIME_VAL));
  EXPECT_EQ(Compute(record_, "b"), 2.0);
}

}  // namespace
}  // namespace MCOrvane_600
