#include <gtest/gtest.h>

#include <memory>

#include "support/test_support.h"
#include "transform/tree_builders.h"

namespace MCOrvane_600 {
namespace {

constexpr double kSysmis = NumericValue::GetSysmisValue();
constexpr double kAbsent = 1.0e300;  // marks "no value for the field in the case"

using TD = TransformationDictionary;
using orvane_test::MakeNode;
using orvane_test::Shown;

// x: numeric with 99 user-missing; s: string.
class TransformVarEvalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddVar("x", orvane_test::NumericVar("x", 99.0));
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

// MapValues: x mapped 1 -> 10 / "one", 2 -> 20 / "two". Discretize: bins
// [0, 10) -> 1 / "low", [10, 20] -> the input itself.
std::unique_ptr<TransformVar> MakeRecode(TD::TransExpression kind, bool numeric,
                                         const std::string& field, Option option, double v) {
  auto var = std::make_unique<TransformVar>(
      "m", numeric ? ScoreDictVar::kNUMERIC_VAR : ScoreDictVar::kSTRING_VAR);
  var->AddFieldNameAndTransExpression(field, kind);
  if (kind == TD::kMAPVALUES) {
    var->AddEncodingMap(new NumericValue(1.0), numeric ? Make(true, 10) : new StringValue("one"));
    var->AddEncodingMap(new NumericValue(2.0), numeric ? Make(true, 20) : new StringValue("two"));
  } else {
    var->AddBinningValue(new Range(0.0, 10.0, true, false),
                         numeric ? Make(true, 1) : new StringValue("low"));
    var->AddBinningValue(new Range(10.0, 20.0, true, true), nullptr);
  }
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

struct RecodeCase {
  const char* label;
  TD::TransExpression kind;
  Option option;
  double option_value;
  double input;            // x, or kAbsent
  const char* text_input;  // when not null: the recode reads s, set to this text
  double number;           // expected of a numeric target
  const char* text;        // expected of a text target
};

class RecodeTest : public TransformVarEvalTest, public ::testing::WithParamInterface<RecodeCase> {};

TEST_P(RecodeTest, RecodesNumericAndTextTargets) {
  const RecodeCase& c = GetParam();
  SetX(c.input);
  if (c.text_input != nullptr) record_.Add("s", new StringValue(c.text_input));
  const std::string field = c.text_input != nullptr ? "s" : "x";
  auto number = MakeRecode(c.kind, true, field, c.option, c.option_value);
  auto text = MakeRecode(c.kind, false, field, c.option, c.option_value);
  const ScoreValue* value = Eval(*number);
  ASSERT_EQ(value->GetType(), ScoreValue::kNUMERIC_VALUE);
  EXPECT_EQ(value->GetDouble(), c.number);
  value = Eval(*text);
  ASSERT_EQ(value->GetType(), ScoreValue::kSTRING_VALUE);
  EXPECT_EQ(value->GetString(), c.text);
}

constexpr TD::TransExpression kMap = TD::kMAPVALUES, kBins = TD::kDISCRETIZE;

// 99 is user-missing for x.
INSTANTIATE_TEST_SUITE_P(
    Table, RecodeTest,
    ::testing::Values(
        RecodeCase{"KeyMatches", kMap, kNone, 0, 1, nullptr, 10, "one"},
        RecodeCase{"KeyMatchesWithinTolerance", kMap, kNone, 0, 2.0 + 1e-15, nullptr, 20, "two"},
        RecodeCase{"UnmatchedWithoutRecodes", kMap, kNone, 0, 5, nullptr, kSysmis, ""},
        RecodeCase{"UnmatchedTakesDefault", kMap, kDefault, 7, 5, nullptr, 7, "7"},
        RecodeCase{"SysmisDefaultLeavesNumberUnchanged", kMap, kDefault, kSysmis, 5, nullptr,
                   kSysmis, "Undefined"},
        RecodeCase{"UnmatchedElseCopy", kMap, kElseCopy, 0, 5.5, nullptr, 5.5, "5.5"},
        RecodeCase{"UserMissingMapMissingTo", kMap, kMissingTo, 9, 99, nullptr, 9, "9"},
        RecodeCase{"UserMissingMissingCopy", kMap, kMissingCopy, 0, 99, nullptr, 99, "99"},
        RecodeCase{"UserMissingElseCopy", kMap, kElseCopy, 0, 99, nullptr, 99, "99"},
        RecodeCase{"UserMissingIgnoresDefault", kMap, kDefault, 7, 99, nullptr, kSysmis, ""},
        RecodeCase{"SysmisMapSysmisFirst", kMap, kSysmisTo, 0, kSysmis, nullptr, 0, "0"},
        // A system-missing mapSysmisTo passes a number on to mapMissingTo; a
        // text target takes its text.
        RecodeCase{"SysmisMapSysmisFallsThrough", kMap, kSysmisTo, kSysmis, kSysmis, nullptr, 9,
                   "Undefined"},
        RecodeCase{"UserMissingIgnoresMapSysmis", kMap, kSysmisTo, 0, 99, nullptr, 9, "9"},
        RecodeCase{"SysmisMapMissingTo", kMap, kMissingTo, 9, kSysmis, nullptr, 9, "9"},
        // The value map gives an absent input no mapMissingTo text.
        RecodeCase{"AbsentMapMissingTo", kMap, kMissingTo, 9, kAbsent, nullptr, 9, ""},
        RecodeCase{"AbsentWithoutRecodes", kMap, kNone, 0, kAbsent, nullptr, kSysmis, ""},
        RecodeCase{"AbsentMissingCopy", kMap, kMissingCopy, 0, kAbsent, nullptr, kSysmis, ""},
        RecodeCase{"BinValue", kBins, kNone, 0, 5, nullptr, 1, "low"},
        // A bin without a value copies the number in; a text target gets no text of it.
        RecodeCase{"BinWithoutValueCopiesInput", kBins, kNone, 0, 15, nullptr, 15, ""},
        RecodeCase{"FirstBinExcludesItsMax", kBins, kNone, 0, 10, nullptr, 10, ""},
        RecodeCase{"NoBin", kBins, kNone, 0, 30, nullptr, kSysmis, ""},
        RecodeCase{"NoBinTakesDefault", kBins, kDefault, 7, 30, nullptr, 7, "7"},
        RecodeCase{"NoBinElseCopy", kBins, kElseCopy, 0, 30, nullptr, 30, "30"},
        RecodeCase{"BinsSysmisMapMissingTo", kBins, kMissingTo, 9, kSysmis, nullptr, 9, "9"},
        RecodeCase{"BinsAbsentMapMissingTo", kBins, kMissingTo, 9, kAbsent, nullptr, 9, "9"},
        RecodeCase{"BinsOfATextAreMissing", kBins, kNone, 0, kAbsent, "5", kSysmis, ""},
        RecodeCase{"BinsOfATextMapMissingTo", kBins, kMissingTo, 9, kAbsent, "5", 9, "9"}),
    orvane_test::RowLabel<RecodeCase>);

TEST_F(TransformVarEvalTest, NormContinuousTakesAUserMissingNumberAsANumber) {
  TransformVar var("n", ScoreDictVar::kNUMERIC_VAR);
  var.AddFieldNameAndTransExpression("x", TD::kNORMCONTINUOUS);
  var.AddNormInfo(2.0, 1.0);
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
  // The text and the length it carries, for each width in turn.
  auto cut_to = [&](int width) {
    var.SetWidth(width);
    const auto* value = static_cast<const StringValue*>(Eval(var));
    return value->GetString() + "|" + std::to_string(value->GetLength());
  };
  EXPECT_EQ(cut_to(3), "abc|3");
  EXPECT_EQ(cut_to(10), "abcdef|10");
  var.SetConstString("abcdefghijkl");
  EXPECT_EQ(cut_to(-1), "abcdefghijkl|10");  // a negative width leaves text and length alone
  EXPECT_EQ(cut_to(0), "|0");
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
  var.SetRoot(orvane_test::Call(TD::kFN_PLUS, {orvane_test::Ref("x"), orvane_test::Num("2.5")}));
  EXPECT_EQ(Eval(var)->GetDouble(), 4.0);
  SetX(99);  // user-missing inside "+"
  EXPECT_EQ(Eval(var)->GetDouble(), kSysmis);
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

// r(+) -> a, [emptied slot], b(sqrt) -> c
FunctionTree* MakeTree() {
  FunctionTreeImp* root = MakeNode("r", TD::kFN_PLUS);
  root->Add(MakeNode("a", TD::kFN_NONE, "X"));
  root->Add(MakeNode("gone", TD::kFN_NONE, "Y"));
  FunctionTreeImp* b = MakeNode("b", TD::kFN_SQRT);
  root->Add(b);
  b->Add(MakeNode("c", TD::kFN_NONE, "Constant_D_4"));
  root->Remove(1);
  return root;
}

const char kNumericHeader[] =
    "Start ScoreDictVar Display:\n"
    "Var Name = v; Var Lable = ; Var Type = kNUMERIC_VAR; Var level =  Continuous; \n"
    "End of ScoreDictVar Display.\n\n"
    "Start Display Parameters: \n\n";

TEST(TransformVarTest, NormValueIsTheInputUntilANormIsGiven) {
  TransformVar var("v", ScoreDictVar::kNUMERIC_VAR);
  EXPECT_EQ(var.GetNormValue(3.5), 3.5);
  EXPECT_TRUE(var.IsDerivedVariable());
  var.AddNormInfo(2.0, -1.0);
  EXPECT_EQ(var.GetNormValue(3.5), 6.0);
  // Cloned through the interface, only the dictionary part is copied.
  std::unique_ptr<ScoreDictVar> clone(static_cast<const ScoreDictVar&>(var).Clone());
  EXPECT_EQ(clone->GetName(), "v");
  EXPECT_FALSE(clone->IsDerivedVariable());
}

TEST(TransformVarTest, ARecodeValueAndItsCopyFlagExcludeEachOther) {
  TransformVar var("v", ScoreDictVar::kNUMERIC_VAR);
  var.SetRecodeElseCopy(true);
  var.SetRecodeDefaultValue(new NumericValue(7.0));
  EXPECT_FALSE(var.IsRecodeElseCopy());
  ASSERT_NE(var.GetRecodeDefaultValue(), nullptr);
  var.SetRecodeElseCopy(true);
  EXPECT_TRUE(var.IsRecodeElseCopy());
  EXPECT_EQ(var.GetRecodeDefaultValue(), nullptr);

  var.SetRecodeMissingCopy(true);
  var.SetRecodeMissValueTo(new NumericValue(9.0));
  EXPECT_FALSE(var.IsRecodeMissingCopy());
  ASSERT_NE(var.GetRecodeMissValueRep(), nullptr);
  var.SetRecodeMissingCopy(true);
  EXPECT_TRUE(var.IsRecodeMissingCopy());
  EXPECT_EQ(var.GetRecodeMissValueRep(), nullptr);

  // The two pairs do not touch each other, nor mapSysmisTo.
  var.SetRecodeSysmisValue(new NumericValue(0.0));
  var.SetRecodeDefaultValue(new NumericValue(7.0));
  EXPECT_TRUE(var.IsRecodeMissingCopy());
  EXPECT_NE(var.GetRecodeSysmisValueRep(), nullptr);
}

TEST(TransformVarTest, DisplayOfAnApplyTreeVisitsEveryNodeInPreorder) {
  TransformVar var("v", ScoreDictVar::kNUMERIC_VAR);
  var.AddFieldNameAndTransExpression("", TD::kAPPLY);
  var.SetRoot(MakeTree());
  // Each node as it shows itself, in preorder; the emptied slot is passed over.
  const FunctionTree* root = var.GetRoot();
  const FunctionTree* b = root->GetChildAt(2);
  EXPECT_EQ(Shown(var), std::string(kNumericHeader) + "EXPRESSION: Apply\n" + Shown(*root) +
                            Shown(*root->GetChildAt(0)) + Shown(*b) + Shown(*b->GetChildAt(0)) +
                            "End one TransformVar display\n\n");
}

TEST(TransformVarTest, DisplayOfBinsAndEncodings) {
  TransformVar var("d", ScoreDictVar::kSTRING_VAR);
  var.AddFieldNameAndTransExpression("x", TD::kDISCRETIZE);
  var.AddBinningValue(new Range(0.0, 10.0, true, false), new StringValue("low"));
  var.AddBinningValue(new Range(10.0, 20.0, true, true), nullptr);
  var.AddEncodingMap(new NumericValue(1.0), new StringValue("one"));
  var.AddEncodingMap(new NumericValue(2.5), new StringValue("two"));
  EXPECT_EQ(Shown(var),
            "Start ScoreDictVar Display:\n"
            "Var Name = d; Var Lable = ; Var Type = STRING_VAR; Var level =  Continuous; \n"
            "End of ScoreDictVar Display.\n\n"
            "Start Display Parameters: \n\n"
            "EXPRESSION: Discretize\n"
            "Bin values\n"
            "  Start Range Display   \n"
            "MinValue: 0;  MaxValue: 10; High End not included; lower End included\n"
            " End of Range Display\n\n"
            "low\n"
            "  Start Range Display   \n"
            "MinValue: 10;  MaxValue: 20; High End included; lower End included\n"
            " End of Range Display\n\n"
            "recodeIntervalCopy\n"
            "Original values and its encoded values\n"
            "1; one\n"
            "2.5; two\n"
            "End one TransformVar display\n\n");
}

TEST(TransformVarTest, DisplayNamesEachExpressionKind) {
  const struct {
    TD::TransExpression kind;
    const char* line;
  } kinds[] = {
      {TD::kCONSTANT, "EXPRESSION: Constant\n"},
      {TD::kFIELDREF, "EXPRESSION: FieldRef\n"},
      {TD::kNORMCONTINUOUS, "EXPRESSION: NormContinuous\n"},
      {TD::kNORMDISCRETE, "EXPRESSION: NormDiscrete\n"},
      {TD::kMAPVALUES, "EXPRESSION: MapValues\n"},
      {TD::kNO_EXPRESSION, "EXPRESSION: "},
  };
  for (const auto& k : kinds) {
    TransformVar var("v", ScoreDictVar::kNUMERIC_VAR);
    var.AddFieldNameAndTransExpression("x", k.kind);
    EXPECT_EQ(Shown(var), std::string(kNumericHeader) + k.line + "End one TransformVar display\n\n")
        << k.kind;
  }
}

// Everything a variable can own, so that a copy must clone all of it.
std::unique_ptr<TransformVar> MakeFull() {
  auto var = std::make_unique<TransformVar>("v", ScoreDictVar::kNUMERIC_VAR);
  var->AddFieldNameAndTransExpression("x", TD::kDISCRETIZE);
  var->SetRoot(MakeTree());
  var->AddBinningValue(new Range(0.0, 10.0, true, false), new NumericValue(1.0));
  var->AddBinningValue(new Range(10.0, 20.0, true, true), nullptr);
  var->AddEncodingMap(new NumericValue(1.0), new NumericValue(10.0));
  var->SetRecodeMissValueTo(new NumericValue(9.0));
  var->SetRecodeDefaultValue(new NumericValue(7.0));
  var->SetRecodeSysmisValue(new NumericValue(0.0));
  var->SetRecodeIntervalCopy(new Range(0.0, 1.0, true, true));
  var->SetConstString("3");
  var->AddNormInfo(2.0, 1.0);
  return var;
}

TEST(TransformVarTest, CopiesAreDeepAndIndependent) {
  auto original = MakeFull();
  const NumericValue five(5.0);
  const ScoreValue* original_result = original->GetTransformedValue(nullptr, nullptr, nullptr);

  TransformVar copy(*original);
  EXPECT_NE(copy.GetRoot(), original->GetRoot());
  copy.SetConstString("4");
  EXPECT_EQ(original->GetConstString(), "3");

  TransformVar assigned("w", ScoreDictVar::kSTRING_VAR);
  assigned.AddEncodingMap(new StringValue("k"), new StringValue("e"));
  assigned.SetRecodeDefaultValue(new StringValue("d"));
  assigned = *original;
  original.reset();

  for (const TransformVar* var : {&copy, &assigned}) {
    EXPECT_EQ(var->GetFieldName(), "x");
    EXPECT_EQ(var->GetNormValue(1.0), 3.0);
    EXPECT_EQ(var->GetRecodeMissValueRep()->GetDouble(), 9.0);
    EXPECT_EQ(var->GetRecodeDefaultValue()->GetDouble(), 7.0);
    EXPECT_EQ(var->GetRecodeSysmisValueRep()->GetDouble(), 0.0);
    EXPECT_EQ(var->GetBinningValue(nullptr, &five)->GetDouble(), 1.0);
    EXPECT_EQ(var->GetEncodedValue(nullptr, &five)->GetDouble(), 7.0);
    const ScoreValue* result = var->GetTransformedValue(nullptr, nullptr, nullptr);
    EXPECT_NE(result, original_result);
    EXPECT_EQ(result->GetDouble(), 9.0);  // absent input, mapMissingTo
  }
  EXPECT_EQ(copy.GetConstString(), "4");
  EXPECT_EQ(assigned.GetConstString(), "3");
  EXPECT_EQ(assigned.GetName(), "v");
}

}  // namespace
}  // namespace MCOrvane_600
