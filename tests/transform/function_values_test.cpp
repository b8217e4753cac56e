// The numeric functions against reference values: every file of
// tests/data/functions holds rows
//   <name>[,<name>...] <argument>... = <expected> [<tolerance>] [err <code>]
// Each named function, called with the arguments, must give the expected
// value: exactly when no tolerance is given, else within the tolerance
// relative to |expected| (absolute when it is 0). Functions with an error
// code must leave <code> (0 when not given); the functions named in one
// row must agree exactly. Words: "missing" (the
// system-missing value), "max" and "-max" (the largest double), "inf", "nan".
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mc_power.h"
#include "orvane/transform/math/mcmv.h"
#include "orvane/transform/transform_function_names.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/date_time_value.h"
#include "transform/engine/apply_evaluator.h"
#include "transform/math/relative_error.h"
#include "values/row_files.h"

namespace {

using MCMath_600::MCDistFun;
using MCMath_600::MCPower;
using TD = MCOrvane_600::TransformationDictionary;
using Args = std::vector<double>;

struct Function {
  int arity;  // -1: any number of arguments
  std::function<double(const Args&, long&)> call;
  bool has_code = true;
};

template <typename F>
Function Plain(int arity, F f) {
  return {arity, [f](const Args& a, long&) { return f(a); }, false};
}

// GPTile <method> <percent> <n> <x 1..n> <f 1..n> <w...>: the grouped
// percentile, its status the error code.
double GroupedPercentile(const Args& a, long& status) {
  const long n = static_cast<long>(a[2]);
  if (a.size() < 3 + 2 * static_cast<std::size_t>(n)) ADD_FAILURE() << "too few values";
  const auto x = a.begin() + 3, f = x + n;
  double result = 0.0;
  MCDistFun::GPTile(n, a[1], Args(x, f), Args(f, f + n), Args(f + n, a.end()),
                    static_cast<long>(a[0]), result, status);
  return result;
}

// Mednci.<lower|upper|level> <total> <confidence> <want level> <n> <x 1..n>
// <f 1..n>: one of the confidence limits of the median and their level.
double MedianLimit(const Args& a, int which) {
  const long n = static_cast<long>(a[3]);
  if (a.size() != 4 + 2 * static_cast<std::size_t>(n)) ADD_FAILURE() << "not 2n values";
  const auto x = a.begin() + 4, f = x + n;
  double limits[3] = {0.0, 0.0, 0.0};
  MCDistFun::Mednci(n, Args(x, f), Args(f, a.end()), a[0], a[1], a[2] != 0, limits[0], limits[1],
                    limits[2]);
  return limits[which];
}

const std::map<std::string, Function>& Functions() {
  using D = MCDistFun;
  static const std::map<std::string, Function> functions = {
      {"CdfStdNorm", Plain(1, [](const Args& a) { return D::CdfStdNorm(a[0]); })},
      {"prbnrm", Plain(1, [](const Args& a) { return D::prbnrm(a[0]); })},
      {"CdfNorm", Plain(3, [](const Args& a) { return D::CdfNorm(a[0], a[1], a[2]); })},
      {"IdfStdNorm", Plain(1, [](const Args& a) { return D::IdfStdNorm(a[0]); })},
      {"probit", Plain(1, [](const Args& a) { return D::probit(a[0]); })},
      {"IdfNorm", Plain(3, [](const Args& a) { return D::IdfNorm(a[0], a[1], a[2]); })},
      {"derf", Plain(1, [](const Args& a) { return D::derf(a[0]); })},
      {"-derf(-x)", Plain(1, [](const Args& a) { return -D::derf(-a[0]); })},
      {"derfc", Plain(1, [](const Args& a) { return D::derfc(a[0]); })},
      {"CdfChi", Plain(2, [](const Args& a) { return D::CdfChi(a[0], a[1]); })},
      {"SigChi", Plain(2, [](const Args& a) { return D::SigChi(a[0], a[1]); })},
      {"CdfChi+SigChi",
       Plain(2, [](const Args& a) { return D::CdfChi(a[0], a[1]) + D::SigChi(a[0], a[1]); })},
      {"CdfChi.gammad",
       {2, [](const Args& a, long& e) { return D::gammad(a[0] / 2, a[1] / 2, true, e); }}},
      {"IdfChi", Plain(2, [](const Args& a) { return D::IdfChi(a[0], a[1]); })},
      {"idfchb", {2, [](const Args& a, long& e) { return D::idfchb(a[0], a[1], e); }}},
      {"gammad", {3, [](const Args& a, long& e) { return D::gammad(a[0], a[1], a[2] != 0, e); }}},
      {"CdfF", Plain(3, [](const Args& a) { return D::CdfF(a[0], a[1], a[2]); })},
      {"SigF", Plain(3, [](const Args& a) { return D::SigF(a[0], a[1], a[2]); })},
      {"IdfF", Plain(3, [](const Args& a) { return D::IdfF(a[0], a[1], a[2]); })},
      {"CdfT", Plain(2, [](const Args& a) { return D::CdfT(a[0], a[1]); })},
      {"SigT", Plain(2, [](const Args& a) { return D::SigT(a[0], a[1]); })},
      {"IdfT", Plain(2, [](const Args& a) { return D::IdfT(a[0], a[1]); })},
      {"cdfbet", {3, [](const Args& a, long& e) { return D::cdfbet(a[0], a[1], a[2], e); }}},
      {"cbtaux", Plain(1, [](const Args& a) { return D::cbtaux(a[0]); })},
      {"IdfBeta", Plain(3, [](const Args& a) { return D::IdfBeta(a[0], a[1], a[2]); })},
      {"betinv", Plain(3, [](const Args& a) { return D::betinv(a[0], a[1], a[2]); })},
      {"dnlgam", Plain(1, [](const Args& a) { return D::dnlgam(a[0]); })},
      {"qrtzdnlgam", Plain(1, [](const Args& a) { return D::qrtzdnlgam(a[0]); })},
      {"dnlbnc", {2, [](const Args& a, long& e) { return D::dnlbnc(a[0], a[1], e); }}},
      {"PdfBin", {3, [](const Args& a, long& e) { return D::PdfBin(a[0], a[1], a[2], e); }}},
      {"CdfBin", {3, [](const Args& a, long& e) { return D::CdfBin(a[0], a[1], a[2], e); }}},
      {"IdfBin", {3, [](const Args& a, long& e) { return D::IdfBin(a[0], a[1], a[2], e); }}},
      {"CDFHyper", {4, [](const Args& a, long& e) {
                      int err = -1;
                      const double r = D::CDFHyper(a[0], a[1], a[2], a[3], err);
                      e = err;
                      return r;
                    }}},
      {"GPTile", {-1, GroupedPercentile}},
      {"Mednci.lower", Plain(-1, [](const Args& a) { return MedianLimit(a, 0); })},
      {"Mednci.upper", Plain(-1, [](const Args& a) { return MedianLimit(a, 1); })},
      {"Mednci.level", Plain(-1, [](const Args& a) { return MedianLimit(a, 2); })},
      // Exponent limits and powers; a status is the error code.
      {"IsMissing", Plain(1, [](const Args& a) { return MCCommon_600::MCMV::IsMissing(a[0]); })},
      {"MaxInt", Plain(0, [](const Args&) { return MCPower::MaxInt(); })},
      {"MEpsilon", Plain(0, [](const Args&) { return MCPower::MEpsilon(); })},
      {"ExpOverflow", Plain(1, [](const Args& a) { return MCPower::ExpOverflow(a[0]); })},
      {"ExpUnderflow", Plain(1, [](const Args& a) { return MCPower::ExpUnderflow(a[0]); })},
      {"IsInteger", Plain(1, [](const Args& a) { return MCPower::IsInteger(a[0]); })},
      {"IsEvenInteger", Plain(1, [](const Args& a) { return MCPower::IsEvenInteger(a[0]); })},
      {"IsOddInteger", Plain(1, [](const Args& a) { return MCPower::IsOddInteger(a[0]); })},
      {"AlmostEqual",
       Plain(3, [](const Args& a) { return MCPower::AlmostEqual(a[0], a[1], a[2]); })},
      {"IsOneOverOddInteger",
       Plain(2, [](const Args& a) { return MCPower::IsOneOverOddInteger(a[0], a[1]); })},
      {"IsOneOverEvenInteger",
       Plain(2, [](const Args& a) { return MCPower::IsOneOverEvenInteger(a[0], a[1]); })},
      {"Multiply", Plain(2, [](const Args& a) { return MCPower::Multiply(a[0], a[1]); })},
      {"Exponent", {1, [](const Args& a, long& e) {
                      double r = 12345.0;
                      e = MCPower::Exponent(a[0], r);
                      return r;
                    }}},
      {"Power", {2, [](const Args& a, long& e) {
                   double r = 12345.0;
                   e = MCPower::Power(a[0], a[1], r);
                   return r;
                 }}},
      // The functions of derived fields, by their names there.
      {"round", Plain(1, [](const Args& a) { return TD::Rnd(a[0]); })},
      {"trunc", Plain(1, [](const Args& a) { return TD::Trunc(a[0]); })},
      {"exp", Plain(1, [](const Args& a) { return TD::Exp(a[0]); })},
      {"ln", Plain(1, [](const Args& a) { return TD::Ln(a[0]); })},
      {"log10", Plain(1, [](const Args& a) { return TD::Log10(a[0]); })},
      {"sqrt", Plain(1, [](const Args& a) { return TD::Sqrt(a[0]); })},
      {"abs", Plain(1, [](const Args& a) { return TD::Abs(a[0]); })},
      {"cdfnorm", Plain(1, [](const Args& a) { return TD::CdfNorm(a[0]); })},
      {"+", Plain(2, [](const Args& a) { return TD::Plus(a[0], a[1]); })},
      {"mod", Plain(2, [](const Args& a) { return TD::Mod(a[0], a[1]); })},
      {"pow", Plain(2, [](const Args& a) { return TD::Pow(a[0], static_cast<int>(a[1])); })},
      {"sum", Plain(-1, TD::Sum)},
      {"mean", Plain(-1, TD::Mean)},
      {"max", Plain(-1, TD::Max)},
      {"min", Plain(-1, TD::Min)},
      {"sd", Plain(-1, TD::Sd)},
      {"variance", Plain(-1, TD::Variance)},
      {"-", Plain(-1, TD::Minus)},
      {"*", Plain(-1, TD::Multiply)},
      {"/", Plain(-1, TD::Divided)},
      {"pdf.normal", Plain(-1, TD::PdfNormal)},
      {"cdf.normal", Plain(-1, TD::CdfNormal)},
      {"idf.normal", Plain(-1, TD::IdfNormal)},
      {"lessThan", Plain(-1, TD::lessThan)},
      {"lessOrEqual", Plain(-1, TD::lessOrEqual)},
      {"greaterThan", Plain(-1, TD::greaterThan)},
      {"greaterOrEqual", Plain(-1, TD::greaterOrEqual)},
      {"and", Plain(-1, TD::AndOperator)},
      {"or", Plain(-1, TD::OrOperator)},
      {"not", Plain(-1, TD::NotOperator)},
  };
  return functions;
}

// "<entry>:<name>": the evaluator's entry for the derived-field function
// <name> ("none" for none): ApplyTransFunction of two numbers,
// ApplyAccumulateFunction of any number, ApplyDateTimeFunction of an instant
// (seconds) and a number.
Function Dispatched(const std::string& name) {
  using MCOrvane_600::ApplyEvaluator;
  static MCOrvane_600::TransformFunctionMap table;
  MCOrvane_600::FillTransformFunctionMap(&table);
  const std::size_t colon = name.find(':');
  if (colon == std::string::npos) return {};
  const std::string entry = name.substr(0, colon);
  const TD::TransformFunction f =
      MCOrvane_600::FindTransformFunction(table, name.substr(colon + 1));
  if (entry == "ApplyTransFunction") {
    return Plain(2,
                 [f](const Args& a) { return ApplyEvaluator::ApplyTransFunction(a[0], a[1], f); });
  }
  if (entry == "ApplyAccumulateFunction") {
    return Plain(-1, [f](const Args& a) { return ApplyEvaluator::ApplyAccumulateFunction(a, f); });
  }
  if (entry != "ApplyDateTimeFunction") return {};
  return Plain(2, [f](const Args& a) {
    const MCOrvane_600::DateTimeValue first(a[0], MCOrvane_600::DateTimeValue::kDATETIME_VAL);
    return ApplyEvaluator::ApplyDateTimeFunction(&first, a[1], f);
  });
}

double Number(const std::string& word) {
  if (word == "missing") return MCCommon_600::MCMV::Missing();
  if (word == "max") return DBL_MAX;
  if (word == "-max") return -DBL_MAX;
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  if (word.empty() || *end != '\0') ADD_FAILURE() << "not a number: " << word;
  return value;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

// One row; its failures name the file and line.
void CheckRow(const std::string& row) {
  std::istringstream in(row);
  std::string names, word;
  in >> names;
  Args args;
  while (in >> word && word != "=") args.push_back(Number(word));
  ASSERT_EQ(word, "=");
  ASSERT_TRUE(in >> word);
  const double expected = Number(word);
  double tolerance = 0.0;
  long code = 0;
  while (in >> word) {
    if (word == "err") {
      ASSERT_TRUE(in >> code);
    } else {
      tolerance = Number(word);
    }
  }
  std::vector<double> results;  // the names of one row are one function: equal bit for bit
  for (const std::string& name : Split(names, ',')) {
    const auto found = Functions().find(name);
    const Function f = found != Functions().end() ? found->second : Dispatched(name);
    ASSERT_TRUE(f.call) << "no function " << name;
    ASSERT_TRUE(f.arity < 0 || f.arity == static_cast<int>(args.size())) << name;
    long err = -1;
    const double actual = f.call(args, err);
    if (!results.empty()) {
      EXPECT_EQ(actual, results.front()) << name;
    }
    results.push_back(actual);
    if (tolerance == 0.0) {
      EXPECT_EQ(actual, expected) << name;
    } else {
      EXPECT_TRUE(orvane_test::RelNear(actual, expected, tolerance)) << name;
    }
    if (f.has_code || code != 0) {
      EXPECT_EQ(err, code) << name;
    }
  }
}

TEST(FunctionValuesTest, EveryRowOfEveryFile) { orvane_test::ForEachRow("functions", CheckRow); }

// Value vectors shorter than the count given are not read.
TEST(FunctionValuesTest, GroupedPercentileOfTooFewValues) {
  const Args one = {1.0};
  double result = 0.0;
  long status = 99;
  MCDistFun::GPTile(3, 50.0, one, one, one, 0, result, status);
  EXPECT_EQ(status, -1);
  EXPECT_TRUE(MCCommon_600::MCMV::IsMissing(result));
}

// Limits of one distribution that are another: F(df1, infinity) is
// chi-square(df1) / df1, F(infinity, df2) is df2 / chi-square(df2), and
// t(infinity) is the standard normal.
TEST(FunctionValuesTest, LimitsThatAreOtherDistributions) {
  using D = MCDistFun;
  const double big = 1e300;
  const struct {
    const char* call;
    double actual, expected;
  } cases[] = {
      {"CdfF(3, 3, big)", D::CdfF(3, 3, big), D::CdfChi(9, 3)},
      {"IdfF(0.3, 3, big)", D::IdfF(0.3, 3, big), D::IdfChi(0.3, 3) / 3},
      {"CdfF(3, big, 3)", D::CdfF(3, big, 3), D::SigChi(1, 3)},
      {"IdfF(0.3, big, 3)", D::IdfF(0.3, big, 3), 3 / D::IdfChi(0.7, 3)},
      {"IdfF(0.3, 0.5, max)", D::IdfF(0.3, 0.5, DBL_MAX), D::IdfChi(0.3, 0.5) / 0.5},
      {"CdfT(1.5, big)", D::CdfT(1.5, big), D::CdfStdNorm(1.5)},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(orvane_test::RelNear(c.actual, c.expected, 1e-12)) << c.call;
  }
}

}  // namespace
