#ifndef ORVANE_SRC_TRANSFORM_ENGINE_BUILTIN_FUNCTIONS_H_
#define ORVANE_SRC_TRANSFORM_ENGINE_BUILTIN_FUNCTIONS_H_

// The built-in functions on plain arrays and texts, shared by the public
// static functions of TransformationDictionary and by the tree evaluator,
// which collects its arguments without allocating.

#include <cstddef>
#include <string>

#include "orvane/transform/transformation_dictionary.h"

namespace MCOrvane_600 {

class ScoreValue;

namespace builtin {

using Function = TransformationDictionary::TransformFunction;

// How the tree evaluator treats the arguments of a function.
enum class Kind {
  kFold,        // unary functions, and +, pow and mod folded left
  kAccumulate,  // numbers collected, then one vector function
  kText,        // concat, lower, ltrim, rtrim, substr, uppercase
  kLength,
  kSysmis,
  kValue,  // value, recast_to_ordinal, recast_to_scale
  kDateTime,
  kOutlier,
  kIsMissing,
  kCompare,  // equal, notEqual
  kMember,   // isIn, isNotIn
  kIf,
  kOperand,   // kFN_NONE: a leaf
  kStandard,  // kFN_X_STANDARD: a standard PMML function (standard_functions.h)
};

Kind KindOf(Function f);

// The numeric functions of ApplyTransFunction: f(a) or f(a, b); 0.0 for a
// function that is neither unary nor folded.
double Unary(double a, double b, Function f);
// The vector functions of ApplyAccumulateFunction; missing for any other f.
double Accumulate(const double* values, std::size_t size, Function f);
// The same functions, for callers that pick one once and call it often.
using ScalarFunction = double (*)(double a, double b);
using VectorFunction = double (*)(const double* values, std::size_t size);
ScalarFunction ScalarFunctionOf(Function f);
VectorFunction VectorFunctionOf(Function f);
// The date/time functions of ApplyDateTimeFunction.
double DateTime(const ScoreValue* first, double second, Function f);

// True when `a` and `b` have the same value type and `a` equals `b`.
bool Matches(const ScoreValue& a, const ScoreValue& b);

// The text functions on a text and its declared length.
std::string Ltrim(const std::string& text, int declared, int& length);
std::string Rtrim(const std::string& text, int& length);
std::string Substring(const std::string& text, int declared, int start, int& length);
std::string ChangeCase(const std::string& text, int declared, bool upper, int& length);
// Appends `text` cut or padded with spaces to `declared` characters (its own
// size when `declared` is negative); answers the characters appended.
int AppendPiece(const std::string& text, int declared, std::string& out);

}  // namespace builtin
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_ENGINE_BUILTIN_FUNCTIONS_H_
