#ifndef ORVANE_SRC_TRANSFORM_ENGINE_STANDARD_FUNCTIONS_H_
#define ORVANE_SRC_TRANSFORM_ENGINE_STANDARD_FUNCTIONS_H_

// The functions of standard PMML 4.4 documents, as the tree evaluator runs
// them for nodes of kFN_X_STANDARD. Values here know "missing" and
// "invalid" (an undefined result such as a division by zero) apart from
// every number, which the library's numbers cannot: the evaluator turns both
// into the system-missing value (or the empty text) only when a value
// leaves a standard node for anything else.

#include <cstddef>
#include <string>

namespace MCOrvane_600 {
namespace standard {

// Built-in functions first, in the order of the PMML 4.4.1 list; then the
// expression kinds and attributes that the reader lays out as nodes.
enum Op : int {
  kPlus, kMinus, kTimes, kDivide,
  kMin, kMax, kSum, kAvg, kMedian, kProduct,
  kLog10, kLn, kSqrt, kAbs, kExp, kPow, kThreshold, kFloor, kCeil, kRound, kRint, kModulo,
  kExpm1, kLn1p, kHypot, kSin, kCos, kTan, kAsin, kAcos, kAtan, kAtan2, kSinh, kCosh, kTanh,
  kIsMissing, kIsNotMissing, kIsValid, kIsNotValid,
  kEqual, kNotEqual, kLessThan, kLessOrEqual, kGreaterThan, kGreaterOrEqual,
  kAnd, kOr, kNot, kIsIn, kIsNotIn, kIf,
  kUppercase, kLowercase, kSubstring, kTrimBlanks, kConcat, kReplace, kMatches,
  kFormatNumber, kFormatDatetime, kDateDaysSinceYear, kDateSecondsSinceYear,
  kDateSecondsSinceMidnight,
  kNormalCDF, kNormalPDF, kNormalIDF, kStdNormalCDF, kStdNormalPDF, kStdNormalIDF, kErf,
  kStringLength,
  kLastBuiltIn = kStringLength,
  // (inner, mapMissingTo, defaultValue, treatment): an Apply's attributes.
  kGuard,
  // (inner, mapMissingTo): a FieldRef's mapMissingTo.
  kMapMissing,
  // (inner, type code): the value as a derived field's dataType wants it.
  kCast,
  // (source, outliers, mapMissingTo, orig1, norm1, orig2, norm2, ...).
  kNormContinuous,
  // (source, value, mapMissingTo).
  kNormDiscrete,
  // (source, mapMissingTo, defaultValue, then per bin: ends, left, right,
  // bin value).
  kDiscretize,
  // (column count k, k sources, mapMissingTo, defaultValue, then per row: k
  // keys, output).
  kMapValues,
  // (source, interval count k, k times (ends, left, right), then per listed
  // value: property, value): a data field's value as its DataField judges
  // it (missing, invalid or valid).
  kValidity,
  // (argument, treatment): an argument of an Apply whose
  // invalidValueTreatment is asIs or asMissing.
  kTreatInput,
  kNoOp = -1,
};

// The document names of the internal operations (never PMML names).
extern const char kGuardName[];
extern const char kMapMissingName[];
extern const char kCastName[];
extern const char kNormContinuousName[];
extern const char kNormDiscreteName[];
extern const char kDiscretizeName[];
extern const char kMapValuesName[];
extern const char kValidityName[];
extern const char kTreatInputName[];

// The operation a node's name selects; kNoOp for any other name.
Op OpOf(const std::string& name);
// True when a PMML built-in function of that name exists.
bool IsBuiltIn(const std::string& name);
// True when `op` takes `count` arguments.
bool TakesArguments(Op op, std::size_t count);

// kCast type codes.
enum CastType : int { kAsIs = 0, kInteger = 1, kFloat = 2, kDouble = 3, kBoolean = 4, kText = 5 };
// kNormContinuous outliers codes.
enum Outliers : int { kOutliersAsIs = 0, kOutliersAsMissing = 1, kOutliersAsExtreme = 2 };
// kGuard invalidValueTreatment codes.
enum Treatment : int { kReturnInvalid = 0, kTreatAsIs = 1, kTreatAsMissing = 2 };
// kDiscretize bin ends: bit 0 left closed, bit 1 right closed, bit 2 left
// margin given, bit 3 right margin given.
enum BinEnds : int { kLeftClosed = 1, kRightClosed = 2, kHasLeft = 4, kHasRight = 8 };
// kValidity value properties, as the DataField's "Value"s give them.
enum Property : int { kValidValue = 0, kInvalidValue = 1, kMissingValue = 2 };

struct Value {
  enum State : char { kMissing, kInvalid, kNumber, kString, kDate };
  State state = kMissing;
  // Of an invalid input value: the state it had before it was judged
  // invalid (kMissing for an undefined result, which has no value).
  State raw = kMissing;
  // The number; the stored seconds of a date/time.
  double x = 0.0;
  std::string s;

  static Value Missing() { return Value(); }
  static Value Invalid() {
    Value v;
    v.state = kInvalid;
    return v;
  }
  // A number; not a finite number is invalid.
  static Value Number(double x);
  static Value Text(std::string s) {
    Value v;
    v.state = kString;
    v.s = std::move(s);
    return v;
  }
  static Value Bool(bool b) { return Number(b ? 1.0 : 0.0); }
  // `v`, a present value, judged invalid; its value is kept for asIs.
  static Value InvalidInput(Value v) {
    v.raw = v.state;
    v.state = kInvalid;
    return v;
  }
  // An invalid input value as it was; anything else unchanged.
  Value AsIs() const {
    Value v = *this;
    if (state == kInvalid && raw != kMissing) v.state = raw;
    return v;
  }
  bool present() const { return state >= kNumber; }
};

// `v`, or `mapped` (a mapMissingTo value) in place of a missing `v` when
// `mapped` is present.
inline const Value& OrMapped(const Value& v, const Value& mapped) {
  return v.state == Value::kMissing && mapped.present() ? mapped : v;
}

// The number `v` stands for: its number, the number its text reads as. False
// when it has none.
bool ToNumber(const Value& v, double* x);
// The text of a value: numbers in their shortest exact form, integers without
// a fraction.
std::string ToText(const Value& v);
// Equality and order of two present values: numbers (and texts that read
// as numbers) by number, texts by text. Answers -1, 0 or 1; 2 when they
// cannot be compared.
int CompareValues(const Value& a, const Value& b);

// f over `n` values evaluated beforehand, for every built-in function except
// "if" and the missing/valid tests, which the evaluator decides itself.
Value Apply(Op op, const Value* args, std::size_t n);
// The value `v` as the cast type wants it.
Value Cast(const Value& v, int type);

}  // namespace standard
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_ENGINE_STANDARD_FUNCTIONS_H_
