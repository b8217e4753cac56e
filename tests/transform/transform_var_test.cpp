#include "orvane/transform/transform_var.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "orvane/dictionary/range.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "support/test_support.h"
#include "transform/tree_builders.h"

namespace MCOrvane_600 {
namespace {

using TD = TransformationDictionary;
using orvane_test::MakeNode;
using orvane_test::Shown;

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
