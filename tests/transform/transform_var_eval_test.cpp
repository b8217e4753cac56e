#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transform_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "transform/tree_builders.h"

namespace MCOrvane_600 {
namespace {

constexpr double kSysmis = NumericValue::GetSysmisValue();
constexpr double kAbsent = 1.0e300;  // marks "no value for the field in the case"

using TD = TransformationDictionary;
using orvane_test::MakeNode;

// x: numeric with 99 user-missing; s: string.
class TransformVarEvalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* x = new DictVar("x", ScoreDictVar::kNUMERIC_VAR);
    auto* missing = new MissingValueSet();
    missing->Add(new Range(new NumericValue(99.0)));
    x->SetMissingValues(missing);
    data_.AddVar("x", x);
    data_.AddVar("s", new DictVar("s", ScoreDictVar::kSTRING_VAR));
  }

  void SetX(double x) {
    if (x != kAbsent) record_.Add("x", new NumericValue(x));
  }

  const ScoreValue* Eval(const TransformVar& var) {
    return var.GetTransformedValue(&record_, &data_, &derived_);
  }

  BaseDictionary data_;
  BaseDictionary derived_;
  CaseRecord record_;
};

// The recode option of one row. kSysmisTo also gives mapMissingTo 9.
enum Option { kNone, kDefault, kElseCopy, kMissingTo, kMissingCopy, kSysmisTo };

// Recode values are numbers for a numeric target, their text otherwise.
ScoreValue* Make(bool numeric, double v) {
  if (numeric) return new NumericValue(v);
  return new StringValue(NumericValue(v).GetString());
}

// x mapped 1 -> 10 / "one", 2 -> 20 / "two".
std::unique_ptr<TransformVar> MakeMap(bool numeric, Option option, double v) {
  auto var = std::make_unique<TransformVar>(
      "m", numeric ? ScoreDictVar::kNUMERIC_VAR : ScoreDictVar::kSTRING_VAR);
  var->AddFieldNameAndTransExpression("x", TD::kMAPVALUES);
  var->AddEncodingMap(new NumericValue(1.0), numeric ? Make(true, 10) : new StringValue("one"));
  var->AddEncodingMap(new NumericValue(2.0), numeric ? Make(true, 20) : new StringValue("two"));
  switch (option) {
    case kDefault:
      var->SetRecodeDefaultValue(Make(numeric, v));
      break;
    case kElseCopy:
      var->SetRecodeElseCopy(true);
      break;
    case kMissingTo:
      var->SetRecodeMissValueTo(Make(numeric, v));
      break;
    case kMissingCopy:
      var->SetRecodeMissingCopy(true);
      break;
    case kSysmisTo:
      var->SetRecodeSysmisValue(Make(numeric, v));
      var->SetRecodeMissValueTo(Make(numeric, 9));
      break;
    case kNone:
      break;
  }
  return var;
}

struct MapCase {
  const char* name;
  Option option;
  double option_value;
  double input;
  double number;     // expected of a numeric target
  const char* text;  // expected of a text target
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MapCase& c, std::ostream* os) { *os << c.name; }

class MapValuesTest : public TransformVarEvalTest, public ::testing::WithParamInterface<MapCase> {};

TEST_P(MapValuesTest, RecodesNumericAndTextTargets) {
  const MapCase& c = GetParam();
  SetX(c.input);
  auto number = MakeMap(true, c.option, c.option_value);
  auto text = MakeMap(false, c.option, c.option_value);
  const ScoreValue* value = Eval(*number);
  ASSERT_EQ(value->GetType(), ScoreValue::kNUMERIC_VALUE);
  EXPECT_EQ(value->GetDouble(), c.number);
  value = Eval(*text);
  ASSERT_EQ(value->GetType(), ScoreValue::kSTRING_VALUE);
  EXPECT_EQ(value->GetString(), c.text);
}

// 99 is user-missing for x.
INSTANTIATE_TEST_SUITE_P(
    Table, MapValuesTest,
    ::testing::Values(
        MapCase{"KeyMatches", kNone, 0, 1, 10, "one"},
        MapCase{"KeyMatchesWithinTolerance", kNone, 0, 2.0 + 1e-15, 20, "two"},
        MapCase{"UnmatchedWithoutRecodes", kNone, 0, 5, kSysmis, ""},
        MapCase{"UnmatchedTakesDefault", kDefault, 7, 5, 7, "7"},
        MapCase{"SysmisDefaultLeavesNumberUnchanged", kDefault, kSysmis, 5, kSysmis, "Undefined"},
        MapCase{"UnmatchedElseCopy", kElseCopy, 0, 5.5, 5.5, "5.5"},
        MapCase{"UserMissingMapMissingTo", kMissingTo, 9, 99, 9, "9"},
        MapCase{"UserMissingMissingCopy", kMissingCopy, 0, 99, 99, "99"},
        MapCase{"UserMissingElseCopy", kElseCopy, 0, 99, 99, "99"},
        MapCase{"UserMissingIgnoresDefault", kDefault, 7, 99, kSysmis, ""},
        MapCase{"SysmisMapSysmisFirst", kSysmisTo, 0, kSysmis, 0, "0"},
        // A system-missing mapSysmisTo passes a number on to mapMissingTo; a
        // text target takes its text.
        MapCase{"SysmisMapSysmisFallsThrough", kSysmisTo, kSysmis, kSysmis, 9, "Undefined"},
        MapCase{"UserMissingIgnoresMapSysmis", kSysmisTo, 0, 99, 9, "9"},
        MapCase{"SysmisMapMissingTo", kMissingTo, 9, kSysmis, 9, "9"},
        // The value map gives an absent input no mapMissingTo text.
        MapCase{"AbsentMapMissingTo", kMissingTo, 9, kAbsent, 9, ""},
        MapCase{"AbsentWithoutRecodes", kNone, 0, kAbsent, kSysmis, ""},
        MapCase{"AbsentMissingCopy", kMissingCopy, 0, kAbsent, kSysmis, ""}),
    [](const ::testing::TestParamInfo<MapCase>& info) { return info.param.name; });

TEST_F(TransformVarEvalTest, MapValuesMatchesTextKeysIgnoringTrailingSpaces) {
  TransformVar var("m", ScoreDictVar::kNUMERIC_VAR);
  var.AddFieldNameAndTransExpression("s", TD::kMAPVALUES);
  var.AddEncodingMap(new StringValue("a"), new NumericValue(1.0));
  var.AddEncodingMap(new StringValue("b"), new NumericValue(2.0));
  record_.Add("s", new StringValue("b  "));
  EXPECT_EQ(Eval(var)->GetDouble(), 2.0);
  record_.Add("s", new StringValue("c"));
  EXPECT_EQ(Eval(var)->GetDouble(), kSysmis);
}

// Bins [0, 10) -> bin value, [10, 20] -> the input itself.
std::unique_ptr<TransformVar> MakeBins(bool numeric, const std::string& field) {
  auto var = std::make_unique<TransformVar>(
      "d", numeric ? ScoreDictVar::kNUMERIC_VAR : ScoreDictVar::kSTRING_VAR);
  var->AddFieldNameAndTransExpression(field, TD::kDISCRETIZE);
  var->AddBinningValue(
      new Range(0.0, 10.0, true, false),
      numeric ? static_cast<ScoreValue*>(new NumericValue(1.0)) : new StringValue("low"));
  var->AddBinningValue(new Range(10.0, 20.0, true, true), nullptr);
  return var;
}

TEST_F(TransformVarEvalTest, DiscretizeNumericTarget) {
  auto var = MakeBins(true, "x");
  SetX(5);
  EXPECT_EQ(Eval(*var)->GetDouble(), 1.0);
  SetX(15);
  EXPECT_EQ(Eval(*var)->GetDouble(), 15.0);  // the bin copies its input
  SetX(10);
  EXPECT_EQ(Eval(*var)->GetDouble(), 10.0);  // first bin excludes its max
  SetX(30);
  EXPECT_EQ(Eval(*var)->GetDouble(), kSysmis);
  var->SetRecodeDefaultValue(new NumericValue(7.0));
  EXPECT_EQ(Eval(*var)->GetDouble(), 7.0);
  var->SetRecodeMissValueTo(new NumericValue(9.0));
  SetX(kSysmis);
  EXPECT_EQ(Eval(*var)->GetDouble(), 9.0);
  record_.Remove("x");
  EXPECT_EQ(Eval(*var)->GetDouble(), 9.0);
}

TEST_F(TransformVarEvalTest, DiscretizeBinWithoutValueReturnsTheInputItself) {
  auto var = MakeBins(true, "x");
  const NumericValue input(12.0);
  EXPECT_EQ(var->GetBinningValue(data_.GetVar("x"), &input), &input);
  const DateTimeValue date_time(15.0, DateTimeValue::kDATETIME_VAL);
  EXPECT_EQ(var->GetBinningValue(nullptr, &date_time), &date_time);
}

TEST_F(TransformVarEvalTest, DiscretizeTextAndAbsentInputsTakeMapMissingTo) {
  auto numeric = MakeBins(true, "s");
  auto text = MakeBins(false, "s");
  record_.Add("s", new StringValue("5"));
  EXPECT_EQ(Eval(*numeric)->GetDouble(), kSysmis);
  EXPECT_EQ(Eval(*text)->GetString(), "");
  numeric->SetRecodeMissValueTo(new NumericValue(9.0));
  text->SetRecodeMissValueTo(new StringValue("miss"));
  EXPECT_EQ(Eval(*numeric)->GetDouble(), 9.0);
  EXPECT_EQ(Eval(*text)->GetString(), "miss");
  record_.Remove("s");
  EXPECT_EQ(Eval(*numeric)->GetDouble(), 9.0);
  EXPECT_EQ(Eval(*text)->GetString(), "miss");
}

TEST_F(TransformVarEvalTest, DiscretizeTextTarget) {
  auto var = MakeBins(false, "x");
  SetX(5);
  EXPECT_EQ(Eval(*var)->GetString(), "low");
  SetX(30);
  var->SetRecodeElseCopy(true);
  EXPECT_EQ(Eval(*var)->GetString(), "30");
}

TEST_F(TransformVarEvalTest, NormContinuous) {
  TransformVar var("n", ScoreDictVar::kNUMERIC_VAR);
  var.AddFieldNameAndTransExpression("x", TD::kNORMCONTINUOUS);
  var.AddNormInfo(2.0, 1.0);
  SetX(3);
  EXPECT_EQ(Eval(var)->GetDouble(), 7.0);
  SetX(kSysmis);
  EXPECT_EQ(Eval(var)->GetDouble(), kSysmis);
  SetX(3);
  Eval(var);
  record_.Remove("x");
  EXPECT_EQ(Eval(var)->GetDouble(), kSysmis);
  // A user-missing number is still a number here.
  SetX(99);
  EXPECT_EQ(Eval(var)->GetDouble(), 199.0);
}

TEST_F(TransformVarEvalTest, FieldRefAndItsAbsentInput) {
  TransformVar number("f", ScoreDictVar::kNUMERIC_VAR);
  number.AddFieldNameAndTransExpression("x", TD::kFIELDREF);
  TransformVar text("t", ScoreDictVar::kSTRING_VAR);
  text.AddFieldNameAndTransExpression("s", TD::kFIELDREF);
  SetX(4);
  record_.Add("s", new StringValue("abc"));
  EXPECT_EQ(Eval(number)->GetDouble(), 4.0);
  EXPECT_EQ(Eval(text)->GetString(), "abc");
  record_.Remove("x");
  record_.Remove("s");
  EXPECT_EQ(Eval(number)->GetDouble(), kSysmis);
  EXPECT_EQ(Eval(text)->GetString(), "");
}

TEST_F(TransformVarEvalTest, Constants) {
  TransformVar number("c", ScoreDictVar::kNUMERIC_VAR);
  number.AddFieldNameAndTransExpression("", TD::kCONSTANT);
  number.SetConstString("2.5");
  EXPECT_EQ(Eval(number)->GetDouble(), 2.5);
  number.SetConstString("abc");
  EXPECT_EQ(Eval(number)->GetDouble(), kSysmis);

  TransformVar text("c", ScoreDictVar::kSTRING_VAR);
  text.AddFieldNameAndTransExpression("", TD::kCONSTANT);
  text.SetConstString("2.5");
  EXPECT_EQ(Eval(text)->GetString(), "2.5");

  TransformVar date("c", ScoreDictVar::kDATETIME_VAR);
  date.SetDateTimeType(ScoreDictVar::kDATE);
  date.AddFieldNameAndTransExpression("", TD::kCONSTANT);
  date.SetConstString("2009-03-07");
  const ScoreValue* value = Eval(date);
  ASSERT_EQ(value->GetType(), ScoreValue::kDATETIME_VALUE);
  EXPECT_TRUE(*value == DateTimeValue("2009-03-07", ScoreDictVar::kDATE));
}

TEST_F(TransformVarEvalTest, TextResultIsCutToTheWidth) {
  TransformVar var("c", ScoreDictVar::kSTRING_VAR);
  var.AddFieldNameAndTransExpression("", TD::kCONSTANT);
  var.SetConstString("abcdef");
  var.SetWidth(3);
  const auto* value = static_cast<const StringValue*>(Eval(var));
  EXPECT_EQ(value->GetString(), "abc");
  EXPECT_EQ(value->GetLength(), 3);

  var.SetWidth(10);
  EXPECT_EQ(value->GetString(), "abc");  // unchanged until evaluated
  Eval(var);
  EXPECT_EQ(value->GetString(), "abcdef");
  EXPECT_EQ(value->GetLength(), 10);

  var.SetWidth(-1);  // a negative width leaves text and length alone
  var.SetConstString("abcdefghijkl");
  Eval(var);
  EXPECT_EQ(value->GetString(), "abcdefghijkl");
  EXPECT_EQ(value->GetLength(), 10);

  var.SetWidth(0);
  Eval(var);
  EXPECT_EQ(value->GetString(), "");
  EXPECT_EQ(value->GetLength(), 0);
}

TEST_F(TransformVarEvalTest, DerivedVariablesBuildOnDerivedVariables) {
  // a = x, b = 2a, c = map(b); c is asked, and computes b and a on demand.
  auto* a = new TransformVar("a", ScoreDictVar::kNUMERIC_VAR);
  a->AddFieldNameAndTransExpression("x", TD::kFIELDREF);
  auto* b = new TransformVar("b", ScoreDictVar::kNUMERIC_VAR);
  b->AddFieldNameAndTransExpression("a", TD::kNORMCONTINUOUS);
  b->AddNormInfo(2.0, 0.0);
  auto* c = new TransformVar("c", ScoreDictVar::kSTRING_VAR);
  c->AddFieldNameAndTransExpression("b", TD::kMAPVALUES);
  c->AddEncodingMap(new NumericValue(6.0), new StringValue("six"));
  c->SetRecodeElseCopy(true);
  derived_.AddVar("a", a);
  derived_.AddVar("b", b);
  derived_.AddVar("c", c);

  SetX(3);
  EXPECT_EQ(Eval(*c)->GetString(), "six");
  EXPECT_EQ(b->GetTransformedValue(&record_, &data_, &derived_)->GetDouble(), 6.0);
  SetX(4);
  EXPECT_EQ(Eval(*c)->GetString(), "8");
  // A value in the case wins over computing the derived field.
  record_.Add("b", new NumericValue(6.0));
  EXPECT_EQ(Eval(*c)->GetString(), "six");
}

TEST_F(TransformVarEvalTest, ACycleOfDerivedVariablesEndsInTheMissingResult) {
  auto* a = new TransformVar("a", ScoreDictVar::kNUMERIC_VAR);
  a->AddFieldNameAndTransExpression("b", TD::kNORMCONTINUOUS);
  a->AddNormInfo(1.0, 1.0);
  auto* b = new TransformVar("b", ScoreDictVar::kNUMERIC_VAR);
  b->AddFieldNameAndTransExpression("a", TD::kFIELDREF);
  derived_.AddVar("a", a);
  derived_.AddVar("b", b);
  EXPECT_EQ(Eval(*a)->GetDouble(), kSysmis);
  EXPECT_EQ(Eval(*b)->GetDouble(), kSysmis);
}

TEST_F(TransformVarEvalTest, VariablesAreLookedUpInTheDataDictionaryFirst) {
  auto* shadow = new TransformVar("x", ScoreDictVar::kNUMERIC_VAR);
  derived_.AddVar("x", shadow);
  derived_.AddVar("y", new DictVar("y", ScoreDictVar::kNUMERIC_VAR));
  EXPECT_EQ(TransformVar::FindVariable("x", &data_, &derived_), data_.GetVar("x"));
  EXPECT_EQ(TransformVar::FindVariable("y", &data_, &derived_), derived_.GetVar("y"));
  EXPECT_EQ(TransformVar::FindVariable("y", nullptr, &derived_), derived_.GetVar("y"));
  EXPECT_EQ(TransformVar::FindVariable("z", &data_, &derived_), nullptr);
  EXPECT_EQ(TransformVar::FindVariable("x", nullptr, nullptr), nullptr);
}

TEST_F(TransformVarEvalTest, ApplyTakesTheTreesValue) {
  TransformVar var("p", ScoreDictVar::kNUMERIC_VAR);
  var.AddFieldNameAndTransExpression("", TD::kAPPLY);
  SetX(1.5);
  EXPECT_EQ(Eval(var)->GetDouble(), kSysmis);  // no tree yet
  FunctionTreeImp* plus = MakeNode("1", TD::kFN_PLUS);
  plus->Add(MakeNode("2", TD::kFN_NONE, "x"));
  plus->Add(MakeNode("3", TD::kFN_NONE, "Constant_D_2.5"));
  var.SetRoot(plus);
  EXPECT_EQ(Eval(var)->GetDouble(), 4.0);
  SetX(99);  // user-missing inside "+"
  EXPECT_EQ(Eval(var)->GetDouble(), kSysmis);
}

TEST_F(TransformVarEvalTest, ResultIsMadeOnceByTheVariableType) {
  TransformVar date("t", ScoreDictVar::kDATETIME_VAR);
  date.AddFieldNameAndTransExpression("x", TD::kFIELDREF);
  SetX(86400);
  const ScoreValue* first = Eval(date);
  ASSERT_NE(dynamic_cast<const DateTimeValue*>(first), nullptr);
  EXPECT_EQ(first->GetDouble(), 86400.0);
  SetX(60);
  EXPECT_EQ(Eval(date), first);
  EXPECT_EQ(first->GetDouble(), 60.0);
}

TEST_F(TransformVarEvalTest, WithoutExpressionTheResultKeepsWhatItHolds) {
  TransformVar number("n", ScoreDictVar::kNUMERIC_VAR);
  TransformVar text("t", ScoreDictVar::kSTRING_VAR);
  EXPECT_EQ(Eval(number)->GetDouble(), kSysmis);
  EXPECT_EQ(Eval(text)->GetString(), "");
  EXPECT_EQ(number.GetTransformedValue(nullptr, nullptr, nullptr)->GetDouble(), kSysmis);
}

TEST_F(TransformVarEvalTest, UnknownSourceCountsOnlySysmisAsMissing) {
  TransformVar var("m", ScoreDictVar::kNUMERIC_VAR);
  var.AddFieldNameAndTransExpression("unknown", TD::kMAPVALUES);
  var.SetRecodeMissValueTo(new NumericValue(9.0));
  var.SetRecodeDefaultValue(new NumericValue(7.0));
  record_.Add("unknown", new NumericValue(99.0));
  EXPECT_EQ(Eval(var)->GetDouble(), 7.0);
  record_.Add("unknown", new NumericValue(kSysmis));
  EXPECT_EQ(Eval(var)->GetDouble(), 9.0);
}

}  // namespace
}  // namespace MCOrvane_600
