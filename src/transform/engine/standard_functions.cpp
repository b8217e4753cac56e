#include "transform/engine/standard_functions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <locale>
#include <regex>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/values/date_time_value.h"
#include "transform/engine/constant_number.h"

namespace MCOrvane_600 {
namespace standard {

const char kGuardName[] = "x:apply";
const char kMapMissingName[] = "x:fieldRef";
const char kCastName[] = "x:cast";
const char kNormContinuousName[] = "x:normContinuous";
const char kNormDiscreteName[] = "x:normDiscrete";
const char kDiscretizeName[] = "x:discretize";
const char kMapValuesName[] = "x:mapValues";
const char kValidityName[] = "x:validity";
const char kTreatInputName[] = "x:input";

namespace {

struct Entry {
  const char* name;
  Op op;
  int min_args;
  int max_args;  // -1: any number
};

const Entry kEntries[] = {
    {"+", kPlus, 2, 2},
    {"-", kMinus, 2, 2},
    {"*", kTimes, 2, 2},
    {"/", kDivide, 2, 2},
    {"min", kMin, 1, -1},
    {"max", kMax, 1, -1},
    {"sum", kSum, 1, -1},
    {"avg", kAvg, 1, -1},
    {"median", kMedian, 1, -1},
    {"product", kProduct, 1, -1},
    {"log10", kLog10, 1, 1},
    {"ln", kLn, 1, 1},
    {"sqrt", kSqrt, 1, 1},
    {"abs", kAbs, 1, 1},
    {"exp", kExp, 1, 1},
    {"pow", kPow, 2, 2},
    {"threshold", kThreshold, 2, 2},
    {"floor", kFloor, 1, 1},
    {"ceil", kCeil, 1, 1},
    {"round", kRound, 1, 1},
    {"rint", kRint, 1, 1},
    {"modulo", kModulo, 2, 2},
    {"expm1", kExpm1, 1, 1},
    {"ln1p", kLn1p, 1, 1},
    {"hypot", kHypot, 2, 2},
    {"sin", kSin, 1, 1},
    {"cos", kCos, 1, 1},
    {"tan", kTan, 1, 1},
    {"asin", kAsin, 1, 1},
    {"acos", kAcos, 1, 1},
    {"atan", kAtan, 1, 1},
    {"atan2", kAtan2, 2, 2},
    {"sinh", kSinh, 1, 1},
    {"cosh", kCosh, 1, 1},
    {"tanh", kTanh, 1, 1},
    {"isMissing", kIsMissing, 1, 1},
    {"isNotMissing", kIsNotMissing, 1, 1},
    {"isValid", kIsValid, 1, 1},
    {"isNotValid", kIsNotValid, 1, 1},
    {"equal", kEqual, 2, 2},
    {"notEqual", kNotEqual, 2, 2},
    {"lessThan", kLessThan, 2, 2},
    {"lessOrEqual", kLessOrEqual, 2, 2},
    {"greaterThan", kGreaterThan, 2, 2},
    {"greaterOrEqual", kGreaterOrEqual, 2, 2},
    {"and", kAnd, 2, -1},
    {"or", kOr, 2, -1},
    {"not", kNot, 1, 1},
    {"isIn", kIsIn, 2, -1},
    {"isNotIn", kIsNotIn, 2, -1},
    {"if", kIf, 2, 3},
    {"uppercase", kUppercase, 1, 1},
    {"lowercase", kLowercase, 1, 1},
    {"substring", kSubstring, 3, 3},
    {"trimBlanks", kTrimBlanks, 1, 1},
    {"concat", kConcat, 1, -1},
    {"replace", kReplace, 3, 3},
    {"matches", kMatches, 2, 2},
    {"formatNumber", kFormatNumber, 2, 2},
    {"formatDatetime", kFormatDatetime, 2, 2},
    {"dateDaysSinceYear", kDateDaysSinceYear, 2, 2},
    {"dateSecondsSinceYear", kDateSecondsSinceYear, 2, 2},
    {"dateSecondsSinceMidnight", kDateSecondsSinceMidnight, 1, 1},
    {"normalCDF", kNormalCDF, 3, 3},
    {"normalPDF", kNormalPDF, 3, 3},
    {"normalIDF", kNormalIDF, 3, 3},
    {"stdNormalCDF", kStdNormalCDF, 1, 1},
    {"stdNormalPDF", kStdNormalPDF, 1, 1},
    {"stdNormalIDF", kStdNormalIDF, 1, 1},
    {"erf", kErf, 1, 1},
    {"stringLength", kStringLength, 1, 1},
    {kGuardName, kGuard, 4, 4},
    {kMapMissingName, kMapMissing, 2, 2},
    {kCastName, kCast, 2, 2},
    {kNormContinuousName, kNormContinuous, 7, -1},
    {kNormDiscreteName, kNormDiscrete, 3, 3},
    {kDiscretizeName, kDiscretize, 3, -1},
    {kMapValuesName, kMapValues, 4, -1},
    {kValidityName, kValidity, 2, -1},
    {kTreatInputName, kTreatInput, 2, 2},
};

const std::unordered_map<std::string, const Entry*>& Table() {
  static const auto* table = [] {
    auto* map = new std::unordered_map<std::string, const Entry*>;
    for (const Entry& entry : kEntries) map->emplace(entry.name, &entry);
    return map;
  }();
  return *table;
}

const Entry* Find(const std::string& name) {
  const auto found = Table().find(name);
  return found != Table().end() ? found->second : nullptr;
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The date/time a value stands for, by its fields.
struct Civil {
  std::int64_t year, month, day, hour, minute, second;
};
Civil CivilOf(double seconds) {
  Civil c{};
  DateTimeValue::ExtractDate(seconds, c.year, c.month, c.day);
  DateTimeValue::ExtractTime(seconds, c.hour, c.minute, c.second);
  return c;
}

bool ToBool(const Value& v, bool* b) {
  if (v.state == Value::kString) {
    if (v.s == "true") {
      *b = true;
      return true;
    }
    if (v.s == "false") {
      *b = false;
      return true;
    }
  }
  double x = 0.0;
  if (!ToNumber(v, &x)) return false;
  *b = x != 0.0;
  return true;
}

// A printf pattern with exactly one conversion of a number; the conversion
// letter, or 0 when the pattern is anything else.
char NumberConversion(const std::string& pattern) {
  char conversion = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    ++i;
    if (i < pattern.size() && pattern[i] == '%') continue;
    while (i < pattern.size() && std::strchr("-+ #0", pattern[i]) != nullptr) ++i;
    std::size_t digits = 0;
    while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i]))) ++i, ++digits;
    if (i < pattern.size() && pattern[i] == '.') {
      ++i;
      while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i]))) {
        ++i, ++digits;
      }
    }
    if (i >= pattern.size() || digits > 4 || conversion != 0) return 0;
    if (std::strchr("dioxXfFeEgGaA", pattern[i]) == nullptr) return 0;
    conversion = pattern[i];
  }
  return conversion;
}

Value FormatNumber(double x, const std::string& pattern) {
  const char conversion = NumberConversion(pattern);
  if (conversion == 0) return Value::Invalid();
  const bool integral = std::strchr("dioxX", conversion) != nullptr;
  if (integral && !(std::fabs(x) < 9.2e18)) return Value::Invalid();
  std::string format = pattern;
  if (integral) {
    // Through long long: the conversion gets the length modifier "ll".
    const std::size_t at = format.find_last_of(conversion);
    format.insert(at, "ll");
  }
  std::vector<char> out(256 + pattern.size());
  const int n = integral ? std::snprintf(out.data(), out.size(), format.c_str(),
                                         static_cast<long long>(std::trunc(x)))
                         : std::snprintf(out.data(), out.size(), format.c_str(), x);
  if (n < 0 || static_cast<std::size_t>(n) >= out.size()) return Value::Invalid();
  return Value::Text(std::string(out.data(), static_cast<std::size_t>(n)));
}

Value FormatDatetime(double seconds, const std::string& pattern) {
  // Only the conversions of the date and time fields themselves.
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (++i >= pattern.size() || std::strchr("%YymdHMSjbBaAeIpT FD", pattern[i]) == nullptr) {
      return Value::Invalid();
    }
  }
  const Civil c = CivilOf(seconds);
  std::tm tm{};
  tm.tm_year = static_cast<int>(c.year - 1900);
  tm.tm_mon = static_cast<int>(c.month - 1);
  tm.tm_mday = static_cast<int>(c.day);
  tm.tm_hour = static_cast<int>(c.hour);
  tm.tm_min = static_cast<int>(c.minute);
  tm.tm_sec = static_cast<int>(c.second);
  const std::int64_t days = DaysFromCivil(c.year, c.month, c.day);
  tm.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  tm.tm_yday = static_cast<int>(days - DaysFromCivil(c.year, 1, 1));
  std::vector<char> out(256 + pattern.size() * 16);
  const std::size_t n = pattern.empty() ? 0 : std::strftime(out.data(), out.size(), pattern.c_str(), &tm);
  return Value::Text(std::string(out.data(), n));
}

Value Median(std::vector<double> xs) {
  std::sort(xs.begin(), xs.end());
  const std::size_t n = xs.size();
  return Value::Number(n % 2 == 1 ? xs[n / 2] : (xs[n / 2 - 1] + xs[n / 2]) / 2.0);
}

// The aggregates ignore missing arguments.
Value Aggregate(Op op, const Value* args, std::size_t n) {
  std::vector<double> xs;
  for (std::size_t i = 0; i < n; ++i) {
    if (args[i].state == Value::kMissing) continue;
    double x = 0.0;
    if (!ToNumber(args[i], &x)) return Value::Invalid();
    xs.push_back(x);
  }
  if (xs.empty()) return Value::Missing();
  switch (op) {
    case kMin:
      return Value::Number(*std::min_element(xs.begin(), xs.end()));
    case kMax:
      return Value::Number(*std::max_element(xs.begin(), xs.end()));
    case kMedian:
      return Median(std::move(xs));
    case kProduct: {
      double p = 1.0;
      for (double x : xs) p *= x;
      return Value::Number(p);
    }
    default: {
      double s = 0.0;
      for (double x : xs) s += x;
      return Value::Number(op == kAvg ? s / static_cast<double>(xs.size()) : s);
    }
  }
}

Value Numeric(Op op, const double* v, std::size_t n) {
  const double x = n > 0 ? v[0] : 0.0;
  const double y = n > 1 ? v[1] : 0.0;
  switch (op) {
    case kPlus:
      return Value::Number(x + y);
    case kMinus:
      return Value::Number(x - y);
    case kTimes:
      return Value::Number(x * y);
    case kDivide:
      return y == 0.0 ? Value::Invalid() : Value::Number(x / y);
    case kLog10:
      return x <= 0.0 ? Value::Invalid() : Value::Number(std::log10(x));
    case kLn:
      return x <= 0.0 ? Value::Invalid() : Value::Number(std::log(x));
    case kSqrt:
      return x < 0.0 ? Value::Invalid() : Value::Number(std::sqrt(x));
    case kAbs:
      return Value::Number(std::fabs(x));
    case kExp:
      return Value::Number(std::exp(x));
    case kPow:
      return Value::Number(std::pow(x, y));
    case kThreshold:
      return Value::Bool(x > y);
    case kFloor:
      return Value::Number(std::floor(x));
    case kCeil:
      return Value::Number(std::ceil(x));
    case kRound:
      // Ties toward positive infinity.
      return Value::Number(std::floor(x + 0.5));
    case kRint:
      return Value::Number(std::nearbyint(x));
    case kModulo:
      return y == 0.0 ? Value::Invalid() : Value::Number(x - y * std::floor(x / y));
    case kExpm1:
      return Value::Number(std::expm1(x));
    case kLn1p:
      return x <= -1.0 ? Value::Invalid() : Value::Number(std::log1p(x));
    case kHypot:
      return Value::Number(std::hypot(x, y));
    case kSin:
      return Value::Number(std::sin(x));
    case kCos:
      return Value::Number(std::cos(x));
    case kTan:
      return Value::Number(std::tan(x));
    case kAsin:
      return Value::Number(std::asin(x));
    case kAcos:
      return Value::Number(std::acos(x));
    case kAtan:
      return Value::Number(std::atan(x));
    case kAtan2:
      return Value::Number(std::atan2(x, y));
    case kSinh:
      return Value::Number(std::sinh(x));
    case kCosh:
      return Value::Number(std::cosh(x));
    case kTanh:
      return Value::Number(std::tanh(x));
    case kNormalCDF:
      return v[2] <= 0.0 ? Value::Invalid() : Value::Number(MCMath_600::MCDistFun::prbnrm((x - y) / v[2]));
    case kNormalPDF: {
      if (v[2] <= 0.0) return Value::Invalid();
      const double z = (x - y) / v[2];
      return Value::Number(std::exp(-z * z / 2.0) / std::sqrt(2.0 * M_PI) / v[2]);
    }
    case kNormalIDF:
      if (v[2] <= 0.0 || !(x > 0.0 && x < 1.0)) return Value::Invalid();
      return Value::Number(MCMath_600::MCDistFun::IdfNorm(x, y, v[2]));
    case kStdNormalCDF:
      return Value::Number(MCMath_600::MCDistFun::prbnrm(x));
    case kStdNormalPDF:
      return Value::Number(std::exp(-x * x / 2.0) / std::sqrt(2.0 * M_PI));
    case kStdNormalIDF:
      if (!(x > 0.0 && x < 1.0)) return Value::Invalid();
      return Value::Number(MCMath_600::MCDistFun::IdfNorm(x, 0.0, 1.0));
    case kErf:
      return Value::Number(std::erf(x));
    default:
      return Value::Invalid();
  }
}

Value TextFunction(Op op, const Value* args, std::size_t n) {
  const std::string s = ToText(args[0]);
  switch (op) {
    case kUppercase:
    case kLowercase: {
      std::string out = s;
      for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        c = static_cast<char>(op == kUppercase ? std::toupper(u) : std::tolower(u));
      }
      return Value::Text(out);
    }
    case kTrimBlanks: {
      const std::size_t begin = s.find_first_not_of(" \t\r\n");
      if (begin == std::string::npos) return Value::Text(std::string());
      const std::size_t end = s.find_last_not_of(" \t\r\n");
      return Value::Text(s.substr(begin, end - begin + 1));
    }
    case kStringLength:
      return Value::Number(static_cast<double>(s.size()));
    case kSubstring: {
      double start = 0.0;
      double length = 0.0;
      if (!ToNumber(args[1], &start) || !ToNumber(args[2], &length)) return Value::Invalid();
      start = std::floor(start);
      length = std::floor(length);
      if (start < 1.0 || length < 0.0) return Value::Invalid();
      if (start > static_cast<double>(s.size())) return Value::Text(std::string());
      const std::size_t from = static_cast<std::size_t>(start) - 1;
      const std::size_t count =
          static_cast<std::size_t>(std::min(length, static_cast<double>(s.size() - from)));
      return Value::Text(s.substr(from, count));
    }
    case kConcat: {
      std::string out;
      for (std::size_t i = 0; i < n; ++i) out += ToText(args[i]);
      return Value::Text(out);
    }
    case kReplace:
    case kMatches:
      try {
        const std::regex pattern(ToText(args[1]), std::regex::ECMAScript);
        if (op == kMatches) return Value::Bool(std::regex_search(s, pattern));
        return Value::Text(std::regex_replace(s, pattern, ToText(args[2])));
      } catch (const std::exception&) {
        return Value::Invalid();
      }
    default:
      return Value::Invalid();
  }
}

Value DateFunction(Op op, const Value* args) {
  if (args[0].state != Value::kDate) return Value::Invalid();
  const Civil c = CivilOf(args[0].x);
  const double of_day = static_cast<double>(c.hour * 3600 + c.minute * 60 + c.second);
  if (op == kDateSecondsSinceMidnight) return Value::Number(of_day);
  double year = 0.0;
  if (!ToNumber(args[1], &year) || std::fabs(year) > 1e6) return Value::Invalid();
  const double days = static_cast<double>(DaysFromCivil(c.year, c.month, c.day) -
                                          DaysFromCivil(static_cast<std::int64_t>(year), 1, 1));
  if (op == kDateDaysSinceYear) return Value::Number(days);
  return Value::Number(days * 86400.0 + of_day);
}

}  // namespace

Value Value::Number(double x) {
  if (!std::isfinite(x)) return Invalid();
  Value v;
  v.state = kNumber;
  v.x = x;
  return v;
}

Op OpOf(const std::string& name) {
  const Entry* entry = Find(name);
  return entry != nullptr ? entry->op : kNoOp;
}

bool IsBuiltIn(const std::string& name) {
  const Entry* entry = Find(name);
  return entry != nullptr && entry->op <= kLastBuiltIn;
}

bool TakesArguments(Op op, std::size_t count) {
  for (const Entry& entry : kEntries) {
    if (entry.op != op) continue;
    return count >= static_cast<std::size_t>(entry.min_args) &&
           (entry.max_args < 0 || count <= static_cast<std::size_t>(entry.max_args));
  }
  return false;
}

bool ToNumber(const Value& v, double* x) {
  if (v.state == Value::kNumber || v.state == Value::kDate) {
    *x = v.x;
    return true;
  }
  if (v.state != Value::kString) return false;
  std::istringstream in(v.s);
  in.imbue(std::locale::classic());
  double read = 0.0;
  if (!(in >> read)) return false;
  in >> std::ws;
  if (!in.eof() || !std::isfinite(read)) return false;
  *x = read;
  return true;
}

std::string ToText(const Value& v) {
  if (v.state == Value::kString) return v.s;
  if (v.state != Value::kNumber && v.state != Value::kDate) return std::string();
  const double x = v.x;
  if (x == std::trunc(x) && std::fabs(x) < 1e15) {
    return std::to_string(static_cast<long long>(x));
  }
  return internal::ExactNumberText(x);
}

int CompareValues(const Value& a, const Value& b) {
  double x = 0.0;
  double y = 0.0;
  if (a.state == Value::kString && b.state == Value::kString) {
    return a.s < b.s ? -1 : (a.s == b.s ? 0 : 1);
  }
  if (ToNumber(a, &x) && ToNumber(b, &y)) return x < y ? -1 : (x == y ? 0 : 1);
  // A text that is no number against a number: by their texts.
  if (!a.present() || !b.present()) return 2;
  const std::string s = ToText(a);
  const std::string t = ToText(b);
  return s == t ? 0 : 2;
}

Value Apply(Op op, const Value* args, std::size_t n) {
  if (op == kMin || op == kMax || op == kSum || op == kAvg || op == kMedian || op == kProduct) {
    return Aggregate(op, args, n);
  }
  // Any other function: a missing argument, a missing result; an invalid one,
  // an invalid result.
  bool invalid = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (args[i].state == Value::kMissing) return Value::Missing();
    if (args[i].state == Value::kInvalid) invalid = true;
  }
  if (invalid) return Value::Invalid();
  switch (op) {
    case kEqual:
    case kNotEqual: {
      const int c = CompareValues(args[0], args[1]);
      return Value::Bool((c == 0) == (op == kEqual));
    }
    case kLessThan:
    case kLessOrEqual:
    case kGreaterThan:
    case kGreaterOrEqual: {
      const int c = CompareValues(args[0], args[1]);
      if (c == 2) return Value::Invalid();
      switch (op) {
        case kLessThan:
          return Value::Bool(c < 0);
        case kLessOrEqual:
          return Value::Bool(c <= 0);
        case kGreaterThan:
          return Value::Bool(c > 0);
        default:
          return Value::Bool(c >= 0);
      }
    }
    case kIsIn:
    case kIsNotIn: {
      bool found = false;
      for (std::size_t i = 1; i < n && !found; ++i) found = CompareValues(args[0], args[i]) == 0;
      return Value::Bool(found == (op == kIsIn));
    }
    case kAnd:
    case kOr:
    case kNot: {
      bool result = op == kAnd;
      for (std::size_t i = 0; i < n; ++i) {
        bool b = false;
        if (!ToBool(args[i], &b)) return Value::Invalid();
        if (op == kNot) return Value::Bool(!b);
        result = op == kAnd ? result && b : result || b;
      }
      return Value::Bool(result);
    }
    case kUppercase:
    case kLowercase:
    case kSubstring:
    case kTrimBlanks:
    case kConcat:
    case kReplace:
    case kMatches:
    case kStringLength:
      return TextFunction(op, args, n);
    case kFormatNumber: {
      double x = 0.0;
      if (!ToNumber(args[0], &x)) return Value::Invalid();
      return FormatNumber(x, ToText(args[1]));
    }
    case kFormatDatetime:
      if (args[0].state != Value::kDate) return Value::Invalid();
      return FormatDatetime(args[0].x, ToText(args[1]));
    case kDateDaysSinceYear:
    case kDateSecondsSinceYear:
    case kDateSecondsSinceMidnight:
      return DateFunction(op, args);
    default:
      break;
  }
  double v[3] = {0.0, 0.0, 0.0};
  for (std::size_t i = 0; i < n && i < 3; ++i) {
    if (!ToNumber(args[i], &v[i])) return Value::Invalid();
  }
  return Numeric(op, v, n);
}

Value Cast(const Value& v, int type) {
  if (!v.present() || type == kAsIs) return v;
  if (type == kText) return Value::Text(ToText(v));
  if (v.state == Value::kDate) return Value::Number(v.x);
  if (type == kBoolean) {
    bool b = false;
    return ToBool(v, &b) ? Value::Bool(b) : Value::Invalid();
  }
  double x = 0.0;
  if (!ToNumber(v, &x)) return Value::Invalid();
  switch (type) {
    case kInteger:
      return Value::Number(std::trunc(x));
    case kFloat:
      return Value::Number(static_cast<double>(static_cast<float>(x)));
    default:
      return Value::Number(x);
  }
}

}  // namespace standard
}  // namespace MCOrvane_600
