#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "transform/tree_builders.h"

namespace MCOrvane_600 {
namespace {

using TD = TransformationDictionary;
using Tree = std::unique_ptr<FunctionTree>;
constexpr double kSysmis = NumericValue::GetSysmisValue();

using orvane_test::Call;
using orvane_test::Date;
using orvane_test::Num;
using orvane_test::Ref;
using orvane_test::Str;

// Inputs: x numeric with 99 user-missing, y numeric, s text of width 5, a
// and b texts of widths 3 and 2, w a text without width, d a date-time.
// Derived: D is y + 0 by field reference.
class ApplyEvaluatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddVar("x", orvane_test::NumericVar("x", 99.0));
    data_.AddVar("y", new DictVar("y", ScoreDictVar::kNUMERIC_VAR));
    AddText("s", 5);
    AddText("a", 3);
    AddText("b", 2);
    data_.AddVar("w", new DictVar("w", ScoreDictVar::kSTRING_VAR));
    auto* d = new DictVar("d", ScoreDictVar::kDATETIME_VAR);
    d->SetDateTimeType(ScoreDictVar::kDATETIME);
    data_.AddVar("d", d);

    auto* derived = new TransformVar("D", ScoreDictVar::kNUMERIC_VAR);
    derived->AddFieldNameAndTransExpression("y", TD::kFIELDREF);
    derived_.AddVar("D", derived);
    derived_.AddDerievedVarName("D");
  }

  void AddText(const std::string& name, int width) {
    auto* var = new DictVar(name, ScoreDictVar::kSTRING_VAR);
    var->SetWidth(width);
    data_.AddVar(name, var);
  }

  const ScoreValue* Eval(FunctionTree* root) {
    tree_.reset(root);
    return evaluator_.TravelSal(tree_.get(), &record_, &data_, &derived_);
  }

  double EvalNumber(FunctionTree* root) { return Eval(root)->GetDouble(); }

  BaseDictionary data_;
  TransformationDictionary derived_;
  CaseRecord record_;
  NumericValue numeric_;
  StringValue text_;
  DateTimeValue date_time_;
  ApplyEvaluator evaluator_{&numeric_, &text_, &date_time_};
  Tree tree_;
};

TEST_F(ApplyEvaluatorTest, FunctionsFoldOrCollectTheirArguments) {
  record_.Add("y", new NumericValue(2.0));
  EXPECT_EQ(EvalNumber(Call(TD::kFN_PLUS, {Num("1"), Ref("x")})), kSysmis);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_PLUS, {Num("1"), Ref("y"), Num("3")})), 6.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_POW, {Num("2"), Num("3.7")})), 8.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_SQRT, {Call(TD::kFN_ABS, {Num("-16")})})), 4.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_SUM, {Num("1"), Ref("x"), Num("2")})), 3.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_SUM, {})), kSysmis);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_MINUS, {Num("5"), Num("7")})), -2.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_LESS_THAN, {Num("1"), Num("2"), Num("3")})), 0.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_AND, {Num("1"), Call(TD::kFN_NOT, {Num("0")})})), 1.0);
  // More arguments than fit without the heap.
  EXPECT_EQ(EvalNumber(Call(TD::kFN_MAX, {Num("1"), Num("2"), Num("3"), Num("4"), Num("5"),
                                          Num("6"), Num("7"), Num("8"), Num("12"), Num("9")})),
            12.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_CDF_NORMAL, {Num("2"), Num("2"), Num("1")})), 0.5);
}

TEST_F(ApplyEvaluatorTest, UserMissingNumbersBecomeSystemMissingExceptForSysmisAndValue) {
  EXPECT_EQ(EvalNumber(Call(TD::kFN_SYSMIS, {Ref("x")})), 1.0);  // absent
  // Only a field can be asked.
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IS_NOT_MISSING, {Num("1")})), 0.0);
  record_.Add("x", new NumericValue(99.0));
  EXPECT_EQ(EvalNumber(Call(TD::kFN_PLUS, {Ref("x"), Num("1")})), kSysmis);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_VALUE, {Ref("x")})), 99.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_SYSMIS, {Ref("x")})), 0.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_RECAST_TO_SCALE, {Ref("x")})), kSysmis);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IS_MISSING, {Ref("x")})), 1.0);
  // A leaf evaluated on its own still knows its parent's function.
  tree_.reset(Call(TD::kFN_VALUE, {Ref("x")}));
  EXPECT_EQ(evaluator_.TravelSal(tree_->GetChildAt(0), &record_, &data_, &derived_)->GetDouble(),
            99.0);
}

TEST_F(ApplyEvaluatorTest, FieldsAbsentFromTheCase) {
  EXPECT_EQ(Eval(Call(TD::kFN_VALUE, {Ref("nowhere")}))->GetDouble(), kSysmis);
  tree_.reset(Ref("s"));
  EXPECT_EQ(evaluator_.TravelSal(tree_.get(), &record_, &data_, &derived_), &text_);
  EXPECT_EQ(text_.GetString(), "");
  EXPECT_EQ(text_.GetLength(), 5);
  tree_.reset(Ref("d"));
  EXPECT_EQ(evaluator_.TravelSal(tree_.get(), &record_, &data_, &derived_), &date_time_);
  EXPECT_TRUE(date_time_.IsSystemMissingValue());
  // A value no dictionary knows is passed on as it is.
  record_.Add("free", new NumericValue(4.0));
  EXPECT_EQ(EvalNumber(Call(TD::kFN_PLUS, {Ref("free"), Num("1")})), 5.0);
}

TEST_F(ApplyEvaluatorTest, TextFunctionsCarryLengths) {
  record_.Add("a", new StringValue("ab"));
  record_.Add("b", new StringValue("xyz"));
  record_.Add("s", new StringValue("hello"));
  record_.Add("w", new StringValue(" Mixed  "));
  // The text of `root`, then the length it carries.
  auto text = [this](FunctionTree* root) {
    const std::string value = Eval(root)->GetString();
    return value + "|" + std::to_string(text_.GetLength());
  };
  EXPECT_EQ(text(Call(TD::kFN_CONCAT, {Ref("a"), Ref("b")})), "ab xy|5");
  EXPECT_EQ(text(Call(TD::kFN_SUBSTR, {Ref("s"), Num("2")})), "ello|4");
  EXPECT_EQ(text(Call(TD::kFN_SUBSTR, {Ref("s"), Num("5")})), "|0");
  EXPECT_EQ(text(Call(TD::kFN_SUBSTR, {Num("12345"), Num("2")})), "|0");
  EXPECT_EQ(text(Call(TD::kFN_UPPERCASE, {Ref("s")})), "HELLO|5");
  EXPECT_EQ(Eval(Call(TD::kFN_LOWER, {Ref("w")}))->GetString(), " mixed  ");
  EXPECT_EQ(text(Call(TD::kFN_RTRIM, {Ref("w")})), " Mixed|6");
  EXPECT_EQ(text(Call(TD::kFN_LTRIM, {Call(TD::kFN_RTRIM, {Ref("w")})})), "Mixed|5");

  // The declared length: a field's width, a text constant's 0.
  EXPECT_EQ(EvalNumber(Call(TD::kFN_LENGTH, {Ref("s")})), 5.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_LENGTH, {Ref("w")})), 8.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_LENGTH, {Str("abc")})), 0.0);
  // The case's own values keep their lengths.
  EXPECT_EQ(static_cast<const StringValue*>(record_.Get("a"))->GetLength(), 2);
}

TEST_F(ApplyEvaluatorTest, ValueOfTextsAndDates) {
  record_.Add("a", new StringValue("abcdef"));
  record_.Add("d", new DateTimeValue(86400.0, DateTimeValue::kDATE_VAL));
  const ScoreValue* text = Eval(Call(TD::kFN_VALUE, {Ref("a")}));
  EXPECT_EQ(text, &text_);
  EXPECT_EQ(text_.GetString(), "abcdef");
  EXPECT_EQ(text_.GetLength(), 3);
  const ScoreValue* date = Eval(Call(TD::kFN_VALUE, {Ref("d")}));
  EXPECT_EQ(date, &date_time_);
  EXPECT_EQ(date_time_.GetDouble(), 86400.0);
  EXPECT_EQ(date_time_.GetDateTimeType(), DateTimeValue::kDATE_VAL);
}

TEST_F(ApplyEvaluatorTest, EqualityAndMembershipCompareCopies) {
  record_.Add("a", new StringValue("2"));
  EXPECT_EQ(EvalNumber(Call(TD::kFN_EQUAL, {Ref("a"), Num("2")})), 0.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_NOT_EQUAL, {Ref("a"), Num("2")})), 1.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_EQUAL, {Ref("a"), Str("2  ")})), 1.0);
  // Both arguments come back in the same working value: the first is copied.
  EXPECT_EQ(EvalNumber(Call(TD::kFN_EQUAL, {Call(TD::kFN_PLUS, {Num("1"), Num("2")}),
                                            Call(TD::kFN_PLUS, {Num("3"), Num("4")})})),
            0.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_EQUAL, {Num("1"), Num("1"), Num("1")})), 0.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_NOT_EQUAL, {Num("1")})), 1.0);

  EXPECT_EQ(EvalNumber(Call(TD::kFN_IS_IN, {Num("2"), Num("1"), Num("2"), Num("3")})), 1.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IS_IN, {Ref("a"), Num("2")})), 0.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IS_IN, {})), 0.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IS_NOT_IN, {})), 1.0);
}

TEST_F(ApplyEvaluatorTest, DateTimeFunctionsKeepTheFirstArgument) {
  // Both constants come back in the working date/time value.
  EXPECT_EQ(EvalNumber(Call(TD::kFN_DATE_DAYS_DIFFERENCE, {Date("0"), Date("172800")})), 2.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_YEAR_FROM_DATE, {Num("1236421230")})), kSysmis);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_YEAR_FROM_DATE, {Ref("x")})), kSysmis);
}

TEST_F(ApplyEvaluatorTest, OutlierHandle) {
  auto outlier = [&](const std::string& x, const std::string& method) {
    return EvalNumber(Call(TD::kFN_OUTLIER_HANDLE,
                           {Num(x), Str(method), Num("10"), Num("2"), Num("3"), Num("4")}));
  };
  // Bounds 10 -+ 2 * 3 / sqrt(4): [7, 13].
  EXPECT_EQ(outlier("1", "asExtremeValues"), 7.0);
  EXPECT_EQ(outlier("15", "asExtremeValues"), 13.0);
  EXPECT_EQ(outlier("8", "asMissingValues"), 8.0);
  EXPECT_EQ(outlier("15", "asMissingValues"), kSysmis);
  EXPECT_EQ(outlier("15", "asIs"), kSysmis);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_OUTLIER_HANDLE, {Num("1"), Str("asExtremeValues")})), kSysmis);
}

TEST_F(ApplyEvaluatorTest, IfChoosesABranch) {
  record_.Add("y", new NumericValue(0.0));
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IF, {Ref("y"), Num("10"), Num("20")})), 20.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IF, {Ref("x"), Num("10"), Num("20")})), 20.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IF, {Num("-0.5"), Num("10")})), 10.0);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IF, {Num("0"), Num("10")})), kSysmis);
  EXPECT_EQ(EvalNumber(Call(TD::kFN_IF, {})), kSysmis);
  EXPECT_EQ(Eval(Call(TD::kFN_IF, {Num("1"), Str("yes"), Str("no")}))->GetString(), "yes");
}

TEST_F(ApplyEvaluatorTest, DerivedFieldsAreComputedOnDemand) {
  record_.Add("y", new NumericValue(4.0));
  EXPECT_EQ(EvalNumber(Call(TD::kFN_PLUS, {Ref("D"), Num("1")})), 5.0);
  // A value the case holds under a derived name is taken as it is.
  record_.Add("D", new NumericValue(10.0));
  EXPECT_EQ(EvalNumber(Call(TD::kFN_PLUS, {Ref("D"), Num("1")})), 11.0);
}

TEST_F(ApplyEvaluatorTest, NullTreeIsSystemMissing) {
  EXPECT_EQ(evaluator_.TravelSal(nullptr, &record_, &data_, &derived_), &numeric_);
  EXPECT_EQ(numeric_.GetDouble(), kSysmis);
  tree_.reset(Call(TD::kFN_PLUS, {Num("1"), Num("2")}));
  EXPECT_EQ(evaluator_.TravelSal(tree_.get(), nullptr, nullptr, nullptr)->GetDouble(), 3.0);
}

// Each call takes and empties its vector and the probe.
TEST(BuiltinFunctionsTest, ValueComparisonsTakeAndEmptyTheirVectors) {
  std::vector<ScoreValue*> values{new StringValue("2"), new NumericValue(2.0)};
  EXPECT_EQ(TD::equal(values), 0.0);
  EXPECT_TRUE(values.empty());
  values = {new StringValue("ab  "), new StringValue("ab")};
  EXPECT_EQ(TD::equal(values), 1.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::notEqual(values), 1.0);
  values = {new NumericValue(1.0), new NumericValue(2.0), new NumericValue(3.0)};
  EXPECT_EQ(TD::isIn(values, new NumericValue(2.0)), 1.0);
  EXPECT_TRUE(values.empty());
  values = {new StringValue("2")};
  EXPECT_EQ(TD::isIn(values, new NumericValue(2.0)), 0.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::isNotIn(values, new NumericValue(4.0)), 1.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::isNotIn(values, nullptr), 1.0);
}

StringValue Text(const std::string& text, int length) {
  StringValue value(text);
  value.SetLength(length);
  return value;
}

TEST(BuiltinFunctionsTest, TextFunctionsKeepTheirLengths) {
  int length = -9;
  // A function's text, then the declared length it leaves behind.
  auto got = [&length](const std::string& text) { return text + "|" + std::to_string(length); };
  const StringValue padded = Text(" \t ab  ", 10), blank = Text("   ", 3), empty = Text("", 4);
  EXPECT_EQ(got(TD::Ltrim(&padded, length)), "ab  |7");
  EXPECT_EQ(got(TD::Rtrim(&padded, length)), " \t ab|5");
  EXPECT_EQ(got(TD::Rtrim(&blank, length)), "|0");
  EXPECT_EQ(got(TD::Ltrim(&empty, length)), "|4");
  // A declared length shorter than the blanks removed stops at 0.
  const StringValue constant = Text("  x", 0);
  EXPECT_EQ(got(TD::Ltrim(&constant, length)), "x|0");
  EXPECT_EQ(got(TD::Ltrim(nullptr, length)), "|0");

  // Substrings start at a one-based position.
  const StringValue hello = Text("hello", 5);
  EXPECT_EQ(got(TD::Substring(&hello, 2, length)), "ello|4");
  EXPECT_EQ(got(TD::Substring(&hello, 5, length)), "|0");
  EXPECT_EQ(got(TD::Substring(&hello, 0, length)), "|0");
  EXPECT_EQ(got(TD::Substring(&empty, 1, length)), "|0");

  // Case changes stop at the first NUL.
  TD dictionary;
  const StringValue mixed = Text(std::string("aBc\0dE", 6), 8);
  EXPECT_EQ(got(dictionary.ToUpperCase(&mixed, length)), "ABC|8");
  EXPECT_EQ(got(dictionary.ToLowerCase(&mixed, length)), "abc|8");
  EXPECT_EQ(got(dictionary.ToLowerCase(nullptr, length)), "|0");

  EXPECT_EQ(got(TD::Concat({"ab", "xyz", "ignored"}, {1, -1}, length)), "axyz|4");
  EXPECT_EQ(got(TD::Concat({}, {}, length)), "|0");
}

// An instant that is no date/time value has no fields.
TEST(BuiltinFunctionsTest, DateTimeFunctionsOfOtherValues) {
  const NumericValue number(1236421230.0);
  EXPECT_EQ(ApplyEvaluator::ApplyDateTimeFunction(&number, 0.0, TD::kFN_YEAR_FROM_DATE), kSysmis);
  EXPECT_EQ(ApplyEvaluator::ApplyDateTimeFunction(nullptr, 0.0, TD::kFN_YEAR_FROM_DATE), kSysmis);
}

}  // namespace
}  // namespace MCOrvane_600
