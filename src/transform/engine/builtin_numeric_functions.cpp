// The numeric built-in functions. The array forms do the work; the vector
// forms of TransformationDictionary only forward to them.

#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mcmv.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/numeric_value.h"
#include "transform/engine/builtin_functions.h"

namespace MCOrvane_600 {

namespace {

using TD = TransformationDictionary;
using builtin::Function;

constexpr double kSysmis = NumericValue::GetSysmisValue();
// 1 / sqrt(2 pi).
constexpr double kInvSqrt2Pi = 0.39894228040143267794;

bool Missing(double x) { return x == kSysmis; }

// Size 2 and neither entry missing.
bool ValidPair(const double* v, std::size_t size) {
  return size == 2 && !Missing(v[0]) && !Missing(v[1]);
}

// Size 3 and no entry missing.
bool ValidTriple(const double* v, std::size_t size) {
  return size == 3 && !Missing(v[0]) && !Missing(v[1]) && !Missing(v[2]);
}

double SumOf(const double* v, std::size_t size, std::size_t* count) {
  double sum = 0.0;
  *count = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (Missing(v[i])) continue;
    sum += v[i];
    ++*count;
  }
  return sum;
}

double SumArray(const double* v, std::size_t size) {
  std::size_t count = 0;
  const double sum = SumOf(v, size, &count);
  return count == 0 ? kSysmis : sum;
}

double MeanArray(const double* v, std::size_t size) {
  std::size_t count = 0;
  const double sum = SumOf(v, size, &count);
  return count == 0 ? kSysmis : sum / static_cast<double>(count);
}

double MaxArray(const double* v, std::size_t size) {
  double max = std::numeric_limits<double>::lowest();
  bool any = false;
  for (std::size_t i = 0; i < size; ++i) {
    if (Missing(v[i])) continue;
    any = true;
    if (v[i] > max) max = v[i];
  }
  return any ? max : kSysmis;
}

double MinArray(const double* v, std::size_t size) {
  double min = std::numeric_limits<double>::max();
  bool any = false;
  for (std::size_t i = 0; i < size; ++i) {
    if (Missing(v[i])) continue;
    any = true;
    if (v[i] < min) min = v[i];
  }
  return any ? min : kSysmis;
}

// The squared deviations are summed in scaled form so that large entries do
// not overflow.
double SdArray(const double* v, std::size_t size) {
  const double mean = MeanArray(v, size);
  if (Missing(mean)) return kSysmis;
  double scale = 0.0;
  double ssq = 1.0;
  std::size_t count = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (Missing(v[i])) continue;
    ++count;
    const double d = std::fabs(v[i] - mean);
    if (d == 0.0) continue;
    if (scale < d) {
      ssq = 1.0 + ssq * (scale / d) * (scale / d);
      scale = d;
    } else {
      ssq += (d / scale) * (d / scale);
    }
  }
  if (count <= 1) return kSysmis;
  return scale * std::sqrt(ssq / static_cast<double>(count - 1));
}

double VarianceArray(const double* v, std::size_t size) {
  const double sd = SdArray(v, size);
  return Missing(sd) ? kSysmis : sd * sd;
}

double CdfNormalArray(const double* v, std::size_t size) {
  if (!ValidTriple(v, size)) return kSysmis;
  if (v[2] <= 0.0) return MCCommon_600::MCMV::Missing();
  return MCMath_600::MCDistFun::prbnrm((v[0] - v[1]) / v[2]);
}

double IdfNormalArray(const double* v, std::size_t size) {
  if (!ValidTriple(v, size)) return kSysmis;
  return MCMath_600::MCDistFun::IdfNorm(v[0], v[1], v[2]);
}

double PdfNormalArray(const double* v, std::size_t size) {
  if (!ValidTriple(v, size) || v[2] <= 0.0) return kSysmis;
  const double z = (v[0] - v[1]) / v[2];
  if (z == 0.0) return kInvSqrt2Pi / v[2];
  if (std::fabs(z) > 37.61) return 0.0;
  return std::exp(-z * z / 2.0) * kInvSqrt2Pi / v[2];
}

double LessThan(const double* v, std::size_t size) {
  return size == 2 && v[0] < v[1] ? 1.0 : 0.0;
}
double LessOrEqual(const double* v, std::size_t size) {
  return size == 2 && v[0] <= v[1] ? 1.0 : 0.0;
}
double GreaterThan(const double* v, std::size_t size) {
  return size == 2 && v[0] > v[1] ? 1.0 : 0.0;
}
double GreaterOrEqual(const double* v, std::size_t size) {
  return size == 2 && v[0] >= v[1] ? 1.0 : 0.0;
}

double MinusPair(const double* v, std::size_t size) {
  return ValidPair(v, size) ? v[0] - v[1] : kSysmis;
}
double MultiplyPair(const double* v, std::size_t size) {
  return ValidPair(v, size) ? v[0] * v[1] : kSysmis;
}
double DividePair(const double* v, std::size_t size) {
  return ValidPair(v, size) && v[1] != 0.0 ? v[0] / v[1] : kSysmis;
}
double NoVector(const double* /*v*/, std::size_t /*size*/) { return kSysmis; }

double PowFold(double a, double b) {
  if (Missing(a) || Missing(b)) return kSysmis;
  const double n = TD::Trunc(b);
  return Missing(n) ? kSysmis : TD::Pow(a, static_cast<int>(n));
}

double AndArray(const double* v, std::size_t size) {
  if (size == 0) return 0.0;
  for (std::size_t i = 0; i < size; ++i) {
    if (v[i] == 0.0) return 0.0;
  }
  return 1.0;
}

double OrArray(const double* v, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (v[i] != 0.0) return 1.0;
  }
  return 0.0;
}

double NotArray(const double* v, std::size_t size) {
  if (size != 1) return 0.0;
  return v[0] == 0.0 ? 1.0 : 0.0;
}

}  // namespace

namespace builtin {

Kind KindOf(Function f) {
  switch (f) {
    case TD::kFN_MINUS:
    case TD::kFN_MULTIPLY:
    case TD::kFN_DIVIDE:
    case TD::kFN_CDF_NORMAL:
    case TD::kFN_IDF_NORMAL:
    case TD::kFN_PDF_NORMAL:
    case TD::kFN_MAX:
    case TD::kFN_MEAN:
    case TD::kFN_MIN:
    case TD::kFN_SD:
    case TD::kFN_SUM:
    case TD::kFN_VARIANCE:
    case TD::kFN_LESS_THAN:
    case TD::kFN_LESS_OR_EQUAL:
    case TD::kFN_GREATER_THAN:
    case TD::kFN_GREATER_OR_EQUAL:
    case TD::kFN_AND:
    case TD::kFN_OR:
    case TD::kFN_NOT:
      return Kind::kAccumulate;
    case TD::kFN_CONCAT:
    case TD::kFN_LOWER:
    case TD::kFN_LTRIM:
    case TD::kFN_RTRIM:
    case TD::kFN_SUBSTR:
    case TD::kFN_UPPERCASE:
      return Kind::kText;
    case TD::kFN_LENGTH:
      return Kind::kLength;
    case TD::kFN_SYSMIS:
      return Kind::kSysmis;
    case TD::kFN_VALUE:
    case TD::kFN_RECAST_TO_ORDINAL:
    case TD::kFN_RECAST_TO_SCALE:
      return Kind::kValue;
    case TD::kFN_DATE_YEARS_DIFFERENCE:
    case TD::kFN_DATE_MONTHS_DIFFERENCE:
    case TD::kFN_DATE_DAYS_DIFFERENCE:
    case TD::kFN_YEAR_FROM_DATE:
    case TD::kFN_MONTH_FROM_DATE:
    case TD::kFN_DAY_FROM_DATE:
    case TD::kFN_TIME_HOURS_DIFFERENCE:
    case TD::kFN_TIME_MINUTES_DIFFERENCE:
    case TD::kFN_TIME_SECONDS_DIFFERENCE:
    case TD::kFN_HOUR_FROM_TIME:
    case TD::kFN_MINUTE_FROM_TIME:
    case TD::kFN_SECOND_FROM_TIME:
      return Kind::kDateTime;
    case TD::kFN_OUTLIER_HANDLE:
      return Kind::kOutlier;
    case TD::kFN_IS_MISSING:
    case TD::kFN_IS_NOT_MISSING:
      return Kind::kIsMissing;
    case TD::kFN_EQUAL:
    case TD::kFN_NOT_EQUAL:
      return Kind::kCompare;
    case TD::kFN_IS_IN:
    case TD::kFN_IS_NOT_IN:
      return Kind::kMember;
    case TD::kFN_IF:
      return Kind::kIf;
    case TD::kFN_NONE:
      return Kind::kOperand;
    case TD::kFN_X_STANDARD:
      return Kind::kStandard;
    default:
      // The unary functions, the folded ones, and codes that name no
      // function (which fold to 0.0).
      return Kind::kFold;
  }
}

ScalarFunction ScalarFunctionOf(Function f) {
  switch (f) {
    case TD::kFN_PLUS:
      return TD::Plus;
    case TD::kFN_POW:
      return PowFold;
    case TD::kFN_ABS:
      return [](double a, double) { return TD::Abs(a); };
    case TD::kFN_EXP:
      return [](double a, double) { return TD::Exp(a); };
    case TD::kFN_LOG10:
      return [](double a, double) { return TD::Log10(a); };
    case TD::kFN_LN:
      return [](double a, double) { return TD::Ln(a); };
    case TD::kFN_MOD:
      return TD::Mod;
    case TD::kFN_ROUND:
      return [](double a, double) { return TD::Rnd(a); };
    case TD::kFN_SQRT:
      return [](double a, double) { return TD::Sqrt(a); };
    case TD::kFN_TRUNC:
      return [](double a, double) { return TD::Trunc(a); };
    case TD::kFN_CDFNORM:
      return [](double a, double) { return TD::CdfNorm(a); };
    default:
      return [](double, double) { return 0.0; };
  }
}

double Unary(double a, double b, Function f) { return ScalarFunctionOf(f)(a, b); }

VectorFunction VectorFunctionOf(Function f) {
  switch (f) {
    case TD::kFN_MINUS:
      return MinusPair;
    case TD::kFN_MULTIPLY:
      return MultiplyPair;
    case TD::kFN_DIVIDE:
      return DividePair;
    case TD::kFN_CDF_NORMAL:
      return CdfNormalArray;
    case TD::kFN_IDF_NORMAL:
      return IdfNormalArray;
    case TD::kFN_PDF_NORMAL:
      return PdfNormalArray;
    case TD::kFN_MAX:
      return MaxArray;
    case TD::kFN_MEAN:
      return MeanArray;
    case TD::kFN_MIN:
      return MinArray;
    case TD::kFN_SD:
      return SdArray;
    case TD::kFN_SUM:
      return SumArray;
    case TD::kFN_VARIANCE:
      return VarianceArray;
    case TD::kFN_LESS_THAN:
      return LessThan;
    case TD::kFN_LESS_OR_EQUAL:
      return LessOrEqual;
    case TD::kFN_GREATER_THAN:
      return GreaterThan;
    case TD::kFN_GREATER_OR_EQUAL:
      return GreaterOrEqual;
    case TD::kFN_AND:
      return AndArray;
    case TD::kFN_OR:
      return OrArray;
    case TD::kFN_NOT:
      return NotArray;
    default:
      return NoVector;
  }
}

double Accumulate(const double* v, std::size_t size, Function f) {
  return VectorFunctionOf(f)(v, size);
}

}  // namespace builtin

double TransformationDictionary::Plus(double a, double b) {
  return Missing(a) || Missing(b) ? kSysmis : a + b;
}

double TransformationDictionary::Minus(const std::vector<double>& values) {
  return builtin::Accumulate(values.data(), values.size(), kFN_MINUS);
}

double TransformationDictionary::Multiply(const std::vector<double>& values) {
  return builtin::Accumulate(values.data(), values.size(), kFN_MULTIPLY);
}

double TransformationDictionary::Divided(const std::vector<double>& values) {
  return builtin::Accumulate(values.data(), values.size(), kFN_DIVIDE);
}

double TransformationDictionary::Pow(double x, int n) {
  if (Missing(x)) return kSysmis;
  // The magnitude of INT_MIN does not fit an int.
  unsigned long long e = n < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(n))
                               : static_cast<unsigned long long>(n);
  double result = 1.0;
  double base = x;
  while (e != 0) {
    if (e & 1ULL) result *= base;
    e >>= 1;
    if (e != 0) base *= base;
  }
  if (n < 0) result = 1.0 / result;
  return std::isfinite(result) ? result : kSysmis;
}

double TransformationDictionary::Mod(double a, double b) {
  if (Missing(a) || Missing(b) || b == 0.0) return kSysmis;
  const double t = Trunc(a / b);
  return Missing(t) ? kSysmis : a - t * b;
}

double TransformationDictionary::Abs(double x) { return Missing(x) ? kSysmis : std::fabs(x); }

double TransformationDictionary::Sqrt(double x) { return x < 0.0 ? kSysmis : std::sqrt(x); }

double TransformationDictionary::Ln(double x) { return x <= 0.0 ? kSysmis : std::log(x); }

double TransformationDictionary::Log10(double x) { return x <= 0.0 ? kSysmis : std::log10(x); }

double TransformationDictionary::Exp(double x) {
  if (Missing(x) || x > 709.0) return kSysmis;
  if (x <= -708.0) return 0.0;
  return std::exp(x);
}

double TransformationDictionary::Trunc(double x) {
  // Written so that NaN fails too.
  if (!(x > -2147483648.0 && x < 2147483647.0)) return kSysmis;
  return static_cast<double>(static_cast<int>(x));
}

double TransformationDictionary::Rnd(double x) {
  const double t = Trunc(x);
  if (Missing(t)) return kSysmis;
  const double d = std::fabs(x) - std::fabs(t);
  if (x > 0.0) return d >= 0.5 ? t + 1.0 : t;
  if (x < 0.0) return d >= 0.5 ? t - 1.0 : t;
  return 0.0;
}

double TransformationDictionary::Sum(const std::vector<double>& values) {
  return SumArray(values.data(), values.size());
}

double TransformationDictionary::Max(const std::vector<double>& values) {
  return MaxArray(values.data(), values.size());
}

double TransformationDictionary::Min(const std::vector<double>& values) {
  return MinArray(values.data(), values.size());
}

double TransformationDictionary::Mean(const std::vector<double>& values) {
  return MeanArray(values.data(), values.size());
}

double TransformationDictionary::Sd(const std::vector<double>& values) {
  return SdArray(values.data(), values.size());
}

double TransformationDictionary::Variance(const std::vector<double>& values) {
  return VarianceArray(values.data(), values.size());
}

double TransformationDictionary::CdfNormal(const std::vector<double>& values) {
  return CdfNormalArray(values.data(), values.size());
}

double TransformationDictionary::CdfNorm(double z) {
  return Missing(z) ? kSysmis : MCMath_600::MCDistFun::prbnrm(z);
}

double TransformationDictionary::IdfNormal(const std::vector<double>& values) {
  return IdfNormalArray(values.data(), values.size());
}

double TransformationDictionary::PdfNormal(const std::vector<double>& values) {
  return PdfNormalArray(values.data(), values.size());
}

double TransformationDictionary::OutlierHandle(double x, const std::string& method, double centre,
                                               double spread, double factor, double count) {
  const double t = spread * factor / std::sqrt(count);
  const double low = centre - t;
  const double high = centre + t;
  const bool extreme = method == "asExtremeValues";
  if (x < low) return extreme ? low : kSysmis;
  if (x > high) return extreme ? high : kSysmis;
  return x;
}

double TransformationDictionary::lessThan(const std::vector<double>& values) {
  return LessThan(values.data(), values.size());
}

double TransformationDictionary::lessOrEqual(const std::vector<double>& values) {
  return LessOrEqual(values.data(), values.size());
}

double TransformationDictionary::greaterThan(const std::vector<double>& values) {
  return GreaterThan(values.data(), values.size());
}

double TransformationDictionary::greaterOrEqual(const std::vector<double>& values) {
  return GreaterOrEqual(values.data(), values.size());
}

double TransformationDictionary::AndOperator(const std::vector<double>& values) {
  return AndArray(values.data(), values.size());
}

double TransformationDictionary::OrOperator(const std::vector<double>& values) {
  return OrArray(values.data(), values.size());
}

double TransformationDictionary::NotOperator(const std::vector<double>& values) {
  return NotArray(values.data(), values.size());
}

}  // namespace MCOrvane_600
