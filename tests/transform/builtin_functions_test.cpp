#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/apply_evaluator.h"

namespace MCOrvane_600 {
namespace {

using TD = TransformationDictionary;
constexpr double kSysmis = NumericValue::GetSysmisValue();

struct UnaryCase {
  const char* name;
  double (*function)(double);
  double x;
  double expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const UnaryCase& c, std::ostream* os) { *os << c.name; }

class UnaryTest : public ::testing::TestWithParam<UnaryCase> {};

TEST_P(UnaryTest, Computes) {
  const UnaryCase& c = GetParam();
  EXPECT_DOUBLE_EQ(c.function(c.x), c.expected) << c.name << "(" << c.x << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, UnaryTest,
    ::testing::Values(
        UnaryCase{"round", TD::Rnd, 2.5, 3.0}, UnaryCase{"round", TD::Rnd, -2.5, -3.0},
        UnaryCase{"round", TD::Rnd, 2.4999, 2.0}, UnaryCase{"round", TD::Rnd, 0.0, 0.0},
        UnaryCase{"round", TD::Rnd, kSysmis, kSysmis}, UnaryCase{"trunc", TD::Trunc, -2.7, -2.0},
        UnaryCase{"trunc", TD::Trunc, 2147483647.0, kSysmis},
        UnaryCase{"trunc", TD::Trunc, -2147483648.0, kSysmis},
        UnaryCase{"trunc", TD::Trunc, 2147483646.5, 2147483646.0},
        UnaryCase{"exp", TD::Exp, 709.0, std::exp(709.0)},
        UnaryCase{"exp", TD::Exp, 709.5, kSysmis}, UnaryCase{"exp", TD::Exp, -708.0, 0.0},
        UnaryCase{"exp", TD::Exp, kSysmis, kSysmis}, UnaryCase{"ln", TD::Ln, 0.0, kSysmis},
        UnaryCase{"ln", TD::Ln, std::exp(2.0), 2.0}, UnaryCase{"log10", TD::Log10, -1.0, kSysmis},
        UnaryCase{"log10", TD::Log10, 1000.0, 3.0}, UnaryCase{"sqrt", TD::Sqrt, -1.0, kSysmis},
        UnaryCase{"sqrt", TD::Sqrt, 9.0, 3.0}, UnaryCase{"abs", TD::Abs, -4.0, 4.0},
        UnaryCase{"abs", TD::Abs, kSysmis, kSysmis}, UnaryCase{"cdfnorm", TD::CdfNorm, 0.0, 0.5},
        UnaryCase{"cdfnorm", TD::CdfNorm, kSysmis, kSysmis}));

TEST(BuiltinFunctionsTest, BinaryFunctions) {
  EXPECT_EQ(TD::Plus(1.0, kSysmis), kSysmis);
  EXPECT_DOUBLE_EQ(TD::Plus(1.0, 2.0), 3.0);
  EXPECT_DOUBLE_EQ(TD::Mod(-7.0, 3.0), -1.0);
  EXPECT_DOUBLE_EQ(TD::Mod(7.0, -3.0), 1.0);
  EXPECT_EQ(TD::Mod(7.0, 0.0), kSysmis);
  EXPECT_EQ(TD::Mod(kSysmis, 3.0), kSysmis);
  EXPECT_DOUBLE_EQ(TD::Pow(2.0, 10), 1024.0);
  EXPECT_DOUBLE_EQ(TD::Pow(2.0, -2), 0.25);
  EXPECT_DOUBLE_EQ(TD::Pow(-3.0, 3), -27.0);
  EXPECT_DOUBLE_EQ(TD::Pow(5.0, 0), 1.0);
  EXPECT_EQ(TD::Pow(0.0, -1), kSysmis);
  EXPECT_EQ(TD::Pow(10.0, 400), kSysmis);
  EXPECT_EQ(TD::Pow(kSysmis, 2), kSysmis);
  EXPECT_DOUBLE_EQ(TD::Pow(1.0, -2147483647 - 1), 1.0);
}

struct VectorCase {
  const char* name;
  double (*function)(const std::vector<double>&);
  std::vector<double> values;
  double expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const VectorCase& c, std::ostream* os) { *os << c.name; }

class VectorTest : public ::testing::TestWithParam<VectorCase> {};

TEST_P(VectorTest, Computes) {
  const VectorCase& c = GetParam();
  const double got = c.function(c.values);
  if (c.expected == kSysmis || c.expected == 0.0 || c.expected == 1.0) {
    EXPECT_EQ(got, c.expected) << c.name;
  } else {
    EXPECT_NEAR(got, c.expected, 1e-12 * std::fabs(c.expected)) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Statistics, VectorTest,
    ::testing::Values(VectorCase{"sum", TD::Sum, {1.0, kSysmis, 2.0}, 3.0},
                      VectorCase{"sum", TD::Sum, {kSysmis}, kSysmis},
                      VectorCase{"sum", TD::Sum, {}, kSysmis},
                      VectorCase{"mean", TD::Mean, {1.0, kSysmis, 2.0}, 1.5},
                      VectorCase{"max", TD::Max, {-5.0, kSysmis, -7.0}, -5.0},
                      VectorCase{"max", TD::Max, {kSysmis}, kSysmis},
                      VectorCase{"min", TD::Min, {3.0, kSysmis, 2.0}, 2.0},
                      VectorCase{"sd", TD::Sd, {2, 4, 4, 4, 5, 5, 7, 9}, 2.1380899352993950},
                      VectorCase{"sd", TD::Sd, {4.0, kSysmis}, kSysmis},
                      VectorCase{"sd", TD::Sd, {3.0, 3.0}, 0.0},
                      VectorCase{"sd", TD::Sd, {1e300, -1e300}, std::sqrt(2.0) * 1e300},
                      VectorCase{"variance", TD::Variance, {2, 4, 4, 4, 5, 5, 7, 9}, 32.0 / 7.0},
                      VectorCase{"-", TD::Minus, {5.0, 3.0}, 2.0},
                      VectorCase{"-", TD::Minus, {5.0}, kSysmis},
                      VectorCase{"-", TD::Minus, {5.0, kSysmis}, kSysmis},
                      VectorCase{"*", TD::Multiply, {2.0, 3.0}, 6.0},
                      VectorCase{"*", TD::Multiply, {2.0, 3.0, 4.0}, kSysmis},
                      VectorCase{"/", TD::Divided, {1.0, 4.0}, 0.25},
                      VectorCase{"/", TD::Divided, {1.0, 0.0}, kSysmis},
                      VectorCase{"/", TD::Divided, {kSysmis, 2.0}, kSysmis}));

INSTANTIATE_TEST_SUITE_P(
    Normal, VectorTest,
    ::testing::Values(VectorCase{"pdf.normal", TD::PdfNormal, {0.0, 0.0, 1.0}, 0.3989422804014327},
                      VectorCase{"pdf.normal", TD::PdfNormal, {40.0, 0.0, 1.0}, 0.0},
                      VectorCase{"pdf.normal", TD::PdfNormal, {3.0, 1.0, 2.0}, 0.12098536225957168},
                      VectorCase{"pdf.normal", TD::PdfNormal, {0.0, 0.0, 0.0}, kSysmis},
                      VectorCase{"cdf.normal", TD::CdfNormal, {1.0, 1.0, 3.0}, 0.5},
                      VectorCase{
                          "cdf.normal", TD::CdfNormal, {2.0, 1.0, 0.0}, -1.7976931348623157e308},
                      VectorCase{"cdf.normal", TD::CdfNormal, {2.0, 1.0}, kSysmis},
                      VectorCase{"idf.normal", TD::IdfNormal, {0.5, 7.0, 2.0}, 7.0},
                      VectorCase{"idf.normal", TD::IdfNormal, {0.5, kSysmis, 2.0}, kSysmis}));

INSTANTIATE_TEST_SUITE_P(
    Logic, VectorTest,
    ::testing::Values(VectorCase{"lessThan", TD::lessThan, {1.0, 2.0}, 1.0},
                      VectorCase{"lessThan", TD::lessThan, {1.0, 2.0, 3.0}, 0.0},
                      VectorCase{"lessThan", TD::lessThan, {kSysmis, 2.0}, 1.0},
                      VectorCase{"lessOrEqual", TD::lessOrEqual, {2.0, 2.0}, 1.0},
                      VectorCase{"greaterThan", TD::greaterThan, {2.0, 2.0}, 0.0},
                      VectorCase{"greaterOrEqual", TD::greaterOrEqual, {2.0, 2.0}, 1.0},
                      VectorCase{"and", TD::AndOperator, {}, 0.0},
                      VectorCase{"and", TD::AndOperator, {1.0, kSysmis}, 1.0},
                      VectorCase{"and", TD::AndOperator, {1.0, 0.0}, 0.0},
                      VectorCase{"or", TD::OrOperator, {}, 0.0},
                      VectorCase{"or", TD::OrOperator, {0.0, 2.0}, 1.0},
                      VectorCase{"not", TD::NotOperator, {0.0}, 1.0},
                      VectorCase{"not", TD::NotOperator, {kSysmis}, 0.0},
                      VectorCase{"not", TD::NotOperator, {0.0, 0.0}, 0.0}));

TEST(BuiltinFunctionsTest, OutlierHandleClipsOrDropsOutliers) {
  // Bounds 10 -+ 2 * 3 / sqrt(4): [7, 13].
  EXPECT_EQ(TD::OutlierHandle(5.0, "asExtremeValues", 10, 2, 3, 4), 7.0);
  EXPECT_EQ(TD::OutlierHandle(20.0, "asExtremeValues", 10, 2, 3, 4), 13.0);
  EXPECT_EQ(TD::OutlierHandle(12.0, "asExtremeValues", 10, 2, 3, 4), 12.0);
  EXPECT_EQ(TD::OutlierHandle(5.0, "asMissingValues", 10, 2, 3, 4), kSysmis);
  EXPECT_EQ(TD::OutlierHandle(20.0, "asIs", 10, 2, 3, 4), kSysmis);
}

TEST(BuiltinFunctionsTest, ValueComparisonsTakeAndEmptyTheirVectors) {
  std::vector<ScoreValue*> values{new StringValue("2"), new NumericValue(2.0)};
  EXPECT_EQ(TD::equal(values), 0.0);
  EXPECT_TRUE(values.empty());
  values = {new StringValue("2"), new NumericValue(2.0)};
  EXPECT_EQ(TD::notEqual(values), 1.0);
  values = {new StringValue("ab  "), new StringValue("ab")};
  EXPECT_EQ(TD::equal(values), 1.0);
  values = {new NumericValue(1.0), new NumericValue(1.0), new NumericValue(1.0)};
  EXPECT_EQ(TD::equal(values), 0.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::notEqual(values), 1.0);

  values = {new NumericValue(1.0), new NumericValue(2.0), new NumericValue(3.0)};
  EXPECT_EQ(TD::isIn(values, new NumericValue(2.0)), 1.0);
  EXPECT_TRUE(values.empty());
  values = {new NumericValue(1.0), new NumericValue(2.0), new NumericValue(3.0)};
  EXPECT_EQ(TD::isNotIn(values, new NumericValue(4.0)), 1.0);
  values = {new StringValue("2")};
  EXPECT_EQ(TD::isIn(values, new NumericValue(2.0)), 0.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::isIn(values, nullptr), 0.0);
  values = {new NumericValue(1.0)};
  EXPECT_EQ(TD::isNotIn(values, nullptr), 1.0);
}

StringValue Text(const std::string& text, int length) {
  StringValue value(text);
  value.SetLength(length);
  return value;
}

TEST(BuiltinFunctionsTest, TrimsKeepTheirLengths) {
  int length = -9;
  const StringValue padded = Text(" \t ab  ", 10);
  EXPECT_EQ(TD::Ltrim(&padded, length), "ab  ");
  EXPECT_EQ(length, 7);
  EXPECT_EQ(TD::Rtrim(&padded, length), " \t ab");
  EXPECT_EQ(length, 5);
  const StringValue blank = Text("   ", 3);
  EXPECT_EQ(TD::Rtrim(&blank, length), "");
  EXPECT_EQ(length, 0);
  EXPECT_EQ(TD::Ltrim(&blank, length), "");
  EXPECT_EQ(length, 0);
  const StringValue empty = Text("", 4);
  EXPECT_EQ(TD::Ltrim(&empty, length), "");
  EXPECT_EQ(length, 4);
  // A declared length shorter than the blanks removed stops at 0.
  const StringValue constant = Text("  x", 0);
  EXPECT_EQ(TD::Ltrim(&constant, length), "x");
  EXPECT_EQ(length, 0);
  EXPECT_EQ(TD::Ltrim(nullptr, length), "");
  EXPECT_EQ(length, 0);
}

TEST(BuiltinFunctionsTest, SubstringStartsAtAOneBasedPosition) {
  int length = -9;
  const StringValue hello = Text("hello", 5);
  EXPECT_EQ(TD::Substring(&hello, 2, length), "ello");
  EXPECT_EQ(length, 4);
  EXPECT_EQ(TD::Substring(&hello, 1, length), "hello");
  EXPECT_EQ(TD::Substring(&hello, 5, length), "");
  EXPECT_EQ(length, 0);
  EXPECT_EQ(TD::Substring(&hello, 0, length), "");
  const StringValue empty = Text("", 3);
  EXPECT_EQ(TD::Substring(&empty, 1, length), "");
  EXPECT_EQ(length, 0);
}

TEST(BuiltinFunctionsTest, ConcatCutsAndPadsToTheLengths) {
  int length = 0;
  EXPECT_EQ(TD::Concat({"ab", "xyz"}, {3, 2}, length), "ab xy");
  EXPECT_EQ(length, 5);
  EXPECT_EQ(TD::Concat({"ab", "xyz", "ignored"}, {1, -1}, length), "axyz");
  EXPECT_EQ(length, 4);
  EXPECT_EQ(TD::Concat({}, {}, length), "");
  EXPECT_EQ(length, 0);
}

TEST(BuiltinFunctionsTest, CaseChangesStopAtTheFirstNul) {
  TD dictionary;
  int length = 0;
  const StringValue mixed = Text(std::string("aBc\0dE", 6), 8);
  EXPECT_EQ(dictionary.ToUpperCase(&mixed, length), "ABC");
  EXPECT_EQ(length, 8);
  EXPECT_EQ(dictionary.ToLowerCase(&mixed, length), "abc");
  EXPECT_EQ(dictionary.ToLowerCase(nullptr, length), "");
  EXPECT_EQ(length, 0);
}

TEST(BuiltinFunctionsTest, ApplyTransFunctionServesUnaryAndFoldedFunctions) {
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(1.0, 2.0, TD::kFN_PLUS), 3.0);
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(2.0, 3.9, TD::kFN_POW), 8.0);
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(2.0, -1.9, TD::kFN_POW), 0.5);
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(2.0, kSysmis, TD::kFN_POW), kSysmis);
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(2.0, 1e10, TD::kFN_POW), kSysmis);
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(-2.0, 0.0, TD::kFN_ABS), 2.0);
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(7.0, 4.0, TD::kFN_MOD), 3.0);
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(7.0, 4.0, TD::kFN_SUM), 0.0);
  EXPECT_EQ(ApplyEvaluator::ApplyTransFunction(7.0, 4.0, TD::kFN_NONE), 0.0);
}

TEST(BuiltinFunctionsTest, ApplyAccumulateFunctionServesVectorFunctions) {
  EXPECT_EQ(ApplyEvaluator::ApplyAccumulateFunction({4.0, 1.0}, TD::kFN_MINUS), 3.0);
  EXPECT_EQ(ApplyEvaluator::ApplyAccumulateFunction({4.0, 1.0}, TD::kFN_MAX), 4.0);
  EXPECT_EQ(ApplyEvaluator::ApplyAccumulateFunction({4.0, 1.0}, TD::kFN_GREATER_THAN), 1.0);
  EXPECT_EQ(ApplyEvaluator::ApplyAccumulateFunction({4.0, 1.0}, TD::kFN_PLUS), kSysmis);
}

TEST(BuiltinFunctionsTest, DateTimeFunctions) {
  // 2009-03-07 10:20:30 and 2009-03-09 10:20:30, as seconds since 1970.
  const double first_seconds = 1236421230.0;
  const DateTimeValue first(first_seconds, DateTimeValue::kDATETIME_VAL);
  const double later = first_seconds + 2 * 86400.0;
  auto apply = [&](double second, TD::TransformFunction f) {
    return ApplyEvaluator::ApplyDateTimeFunction(&first, second, f);
  };
  EXPECT_EQ(apply(0.0, TD::kFN_YEAR_FROM_DATE), 2009.0);
  EXPECT_EQ(apply(0.0, TD::kFN_MONTH_FROM_DATE), 3.0);
  EXPECT_EQ(apply(0.0, TD::kFN_DAY_FROM_DATE), 7.0);
  EXPECT_EQ(apply(0.0, TD::kFN_HOUR_FROM_TIME), 10.0);
  EXPECT_EQ(apply(0.0, TD::kFN_MINUTE_FROM_TIME), 20.0);
  EXPECT_EQ(apply(0.0, TD::kFN_SECOND_FROM_TIME), 30.0);
  EXPECT_EQ(apply(later, TD::kFN_DATE_DAYS_DIFFERENCE), 2.0);
  EXPECT_EQ(apply(later, TD::kFN_TIME_HOURS_DIFFERENCE), 48.0);
  EXPECT_EQ(apply(later, TD::kFN_TIME_MINUTES_DIFFERENCE), 2880.0);
  EXPECT_EQ(apply(later, TD::kFN_TIME_SECONDS_DIFFERENCE), 172800.0);
  EXPECT_EQ(apply(later, TD::kFN_DATE_YEARS_DIFFERENCE),
            first.ComputeDurationYears(DateTimeValue(later, DateTimeValue::kDATETIME_VAL)));
  EXPECT_EQ(apply(later, TD::kFN_DATE_MONTHS_DIFFERENCE),
            first.ComputeDurationMonths(DateTimeValue(later, DateTimeValue::kDATETIME_VAL)));
  EXPECT_EQ(apply(kSysmis, TD::kFN_DATE_DAYS_DIFFERENCE), kSysmis);
  EXPECT_EQ(apply(later, TD::kFN_PLUS), kSysmis);

  const NumericValue number(first_seconds);
  EXPECT_EQ(ApplyEvaluator::ApplyDateTimeFunction(&number, 0.0, TD::kFN_YEAR_FROM_DATE), kSysmis);
  EXPECT_EQ(ApplyEvaluator::ApplyDateTimeFunction(nullptr, 0.0, TD::kFN_YEAR_FROM_DATE), kSysmis);
}

}  // namespace
}  // namespace MCOrvane_600
