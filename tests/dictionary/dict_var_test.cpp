#include "orvane/dictionary/dict_var.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/value_label_set.h"
#include "orvane/dictionary/value_lbl.h"
#include "orvane/dictionary/var_stats.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

using Var = ScoreDictVar;

// Labels 1, 2, 3 for a numeric or date/time variable, 'a', 'b' for a string one.
ValueLabelSet* MakeLabels(Var::VariableType type) {
  auto* labels = new ValueLabelSet;
  if (type == Var::kSTRING_VAR) {
    labels->Add(new ValueLbl(new StringValue("a"), "A"));
    labels->Add(new ValueLbl(new StringValue("b"), "B"));
  } else {
    for (int i = 1; i <= 3; ++i) labels->Add(new ValueLbl(new NumericValue(i), "L"));
  }
  return labels;
}

// 9 of the variable's kind, or 'x' for a string variable.
ScoreValue* MissingSample(Var::VariableType type) {
  if (type == Var::kSTRING_VAR) return new StringValue("x");
  if (type == Var::kDATETIME_VAR) return new DateTimeValue(9.0, DateTimeValue::kDATE_VAL);
  return new NumericValue(9.0);
}

MissingValueSet* MakeMissing(Var::VariableType type) {
  auto* missing = new MissingValueSet;
  missing->Add(new Range(MissingSample(type)));
  return missing;
}

std::unique_ptr<DictVar> MakeVar(Var::VariableType type, Var::MeasureLevel level, bool labels,
                                 bool missing) {
  auto var = std::make_unique<DictVar>("v", type);
  var->SetMLevel(level);
  if (labels) var->SetValueLabels(MakeLabels(type));
  if (missing) var->SetMissingValues(MakeMissing(type));
  return var;
}

enum Kind { kNone, kNumber, kText, kDate };

constexpr Var::VariableType kNum = Var::kNUMERIC_VAR, kStr = Var::kSTRING_VAR,
                            kDT = Var::kDATETIME_VAR;
constexpr Var::MeasureLevel kCont = Var::kCONTINUOUS, kOrd = Var::kORDINAL, kNom = Var::kNOMINAL;
constexpr double kSys = std::numeric_limits<double>::lowest();

struct MissingCase {
  Var::VariableType type;
  Var::MeasureLevel level;
  bool labels;
  bool missing_set;
  Kind kind;
  double number;
  const char* text;
  bool is_missing;
  bool is_valid;
};

// clang-format off
const MissingCase kMissingCases[] = {
    {kNum, kCont, false, false, kNone,   0,    "",    true,  false},
    {kNum, kCont, false, false, kNumber, kSys, "",    true,  false},
    {kNum, kCont, false, false, kNumber, 5,    "",    false, true},
    {kNum, kCont, false, false, kText,   0,    "5",   false, false},  // a text is no number
    {kNum, kOrd,  false, false, kDate,   0,    "",    false, true},   // a date is a number
    {kNum, kCont, false, true,  kNumber, 9,    "",    true,  false},
    {kNum, kCont, false, true,  kNumber, 8,    "",    false, true},
    {kNum, kNom,  true,  false, kNumber, 2,    "",    false, true},
    {kNum, kNom,  true,  false, kNumber, 4,    "",    false, false},
    {kNum, kCont, true,  false, kNumber, 4,    "",    false, true},   // labels are no categories
    {kNum, kCont, true,  false, kText,   0,    "z",   false, true},
    {kStr, kNom,  false, false, kNumber, kSys, "",    false, true},   // no system-missing rule
    {kStr, kNom,  false, false, kText,   0,    "zz",  false, true},
    {kStr, kOrd,  true,  false, kText,   0,    "a  ", false, true},
    {kStr, kNom,  true,  false, kText,   0,    "c",   false, false},
    {kStr, kNom,  false, true,  kText,   0,    "x",   true,  false},
    {kDT,  kCont, false, false, kDate,   kSys, "",    true,  false},
    {kDT,  kCont, false, false, kDate,   0,    "",    false, true},
    {kDT,  kCont, false, false, kText,   0,    "t",   false, true},
    {kDT,  kCont, false, true,  kDate,   9,    "",    true,  false},
};
// clang-format on

ScoreValue* MakeSample(const MissingCase& c) {
  switch (c.kind) {
    case kNumber:
      return new NumericValue(c.number);
    case kText:
      return new StringValue(c.text);
    case kDate:
      return new DateTimeValue(c.number, DateTimeValue::kDATE_VAL);
    default:
      return nullptr;
  }
}

TEST(DictVarTest, MissingAndValidity) {
  for (std::size_t i = 0; i < sizeof(kMissingCases) / sizeof(kMissingCases[0]); ++i) {
    const MissingCase& c = kMissingCases[i];
    SCOPED_TRACE(testing::Message() << "case " << i);
    const auto var = MakeVar(c.type, c.level, c.labels, c.missing_set);
    const std::unique_ptr<ScoreValue> value(MakeSample(c));
    EXPECT_EQ(var->IsMissingValue(value.get()), c.is_missing);
    EXPECT_EQ(var->IsValidValue(value.get()), c.is_valid);
  }
}

TEST(DictVarTest, SettersRefuseWhatTheVariableCannotTake) {
  DictVar var("Age", Var::kNUMERIC_VAR);
  EXPECT_FALSE(var.SetName(""));
  EXPECT_EQ(var.GetName(), "Age");
  EXPECT_FALSE(var.SetFlagVariable(true));  // continuous
  var.SetNoSpaceTrim(true);                 // numeric
  var.SetEmptyStringOK(true);
  EXPECT_FALSE(var.IsFlagVariable() || var.GetNoSpaceTrim() || var.GetEmptyStringOK());
  var.SetMLevel(Var::kORDINAL);
  EXPECT_TRUE(var.SetFlagVariable(true));
  // Equality is by exact name only.
  EXPECT_TRUE(var == DictVar("Age", Var::kSTRING_VAR));
  EXPECT_FALSE(var == DictVar("age", Var::kNUMERIC_VAR));

  const auto text = MakeVar(Var::kSTRING_VAR, Var::kNOMINAL, true, false);
  const StringValue padded("a ");
  EXPECT_TRUE(text->IsValidValue(&padded));
  text->SetNoSpaceTrim(true);
  EXPECT_FALSE(text->IsValidValue(&padded));
}

TEST(DictVarTest, CategoriesLabelsAndValuesOfText) {
  const auto nominal = MakeVar(Var::kNUMERIC_VAR, Var::kNOMINAL, false, false);
  EXPECT_EQ(nominal->GetNumberOfCats(), 0);
  nominal->SetValueLabels(MakeLabels(Var::kNUMERIC_VAR));
  EXPECT_EQ(nominal->GetNumberOfCats(), 3);
  EXPECT_EQ(MakeVar(Var::kNUMERIC_VAR, Var::kCONTINUOUS, true, false)->GetNumberOfCats(), 1);
  const NumericValue two(2.0);
  const NumericValue four(4.0);
  EXPECT_EQ(nominal->GetLabelOfValue(&two), "L");
  EXPECT_EQ(nominal->GetLabelOfValue(&four), "");
  EXPECT_EQ(DictVar("x", Var::kNUMERIC_VAR).GetLabelOfValue(&two), "");

  const std::unique_ptr<ScoreValue> number(nominal->ToMyValue("2.5"));
  EXPECT_TRUE(number != nullptr && *number == NumericValue(2.5));
  const std::unique_ptr<ScoreValue> text(DictVar("s", Var::kSTRING_VAR).ToMyValue("2.5"));
  EXPECT_TRUE(text != nullptr && *text == StringValue("2.5"));
  EXPECT_EQ(DictVar("d", Var::kDATETIME_VAR).ToMyValue("2009-3-7"), nullptr);
}

TEST(DictVarTest, CopiesAreDeepAndSettersLeaveTheReplacedObjectToItsKeeper) {
  auto source = MakeVar(Var::kNUMERIC_VAR, Var::kNOMINAL, true, false);
  std::unique_ptr<ScoreMissingValueSet> first(MakeMissing(Var::kNUMERIC_VAR));
  source->SetMissingValues(first.get());
  source->SetMissingValues(MakeMissing(Var::kNUMERIC_VAR));
  EXPECT_EQ(first->Size(), 1);  // still alive; the test destroys it
  std::unique_ptr<ScoreVarStats> stats(new VarStats);
  source->SetVarStats(stats.get());
  source->SetVarStats(new VarStats(0, 10, 5, 1));
  source->SetXMeasure("m");

  const std::unique_ptr<ScoreDictVar> clone(source->Clone());
  DictVar copy(*source);
  DictVar assigned("other", Var::kSTRING_VAR);
  assigned.SetValueLabels(MakeLabels(Var::kSTRING_VAR));
  assigned = *source;
  EXPECT_NE(clone->GetValueLabels(), source->GetValueLabels());
  EXPECT_NE(copy.GetMissingValues(), source->GetMissingValues());
  EXPECT_NE(assigned.GetVarStats(), source->GetVarStats());
  source.reset();

  const NumericValue nine(9.0);
  const NumericValue two(2.0);
  for (const ScoreDictVar* var :
       {clone.get(), static_cast<ScoreDictVar*>(&copy), static_cast<ScoreDictVar*>(&assigned)}) {
    EXPECT_EQ(var->GetName(), "v");
    EXPECT_EQ(var->GetXMeasure(), "m");
    EXPECT_TRUE(var->IsMissingValue(&nine));
    EXPECT_TRUE(var->IsValidValue(&two));
    EXPECT_EQ(var->GetVarStats()->GetMean(), 5);
  }
}

TEST(DictVarTest, DisplayIsByteExact) {
  DictVar date("when", Var::kDATETIME_VAR);
  date.SetLabel("When");
  date.SetMLevel(static_cast<Var::MeasureLevel>(3));
  EXPECT_EQ(orvane_test::Shown(date),
            "Start ScoreDictVar Display:\n"
            "Var Name = when; Var Lable = When; Var level = unknown;\n"
            "End of ScoreDictVar Display.\n\n");

  auto text = MakeVar(Var::kSTRING_VAR, Var::kORDINAL, true, true);
  text->SetXMeasure("ratio");
  EXPECT_EQ(orvane_test::Shown(*text),
            "Start ScoreDictVar Display:\n"
            "Var Name = v; Var Lable = ; Var Type = STRING_VAR; Var level =  Ordinal; \n"
            "Start ScoreValueLabelSet Display:\n"
            "Value: a;  Label: A\n"
            "Value: b;  Label: B\n"
            "End of ScoreValueLabelSet Display.\n\n"
            " Begin MissingValueSet Display:\n"
            "  Start Range Display   \n"
            "MinValue: x;  MaxValue: x; High End included; lower End included\n"
            " End of Range Display\n\n"
            "End MissingValueSet Display.\n"
            "x-Measure: ratio\n"
            "End of ScoreDictVar Display.\n\n");
}

}  // namespace
}  // namespace MCOrvane_600
