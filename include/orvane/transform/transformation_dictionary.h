#ifndef ORVANE_TRANSFORM_TRANSFORMATION_DICTIONARY_H_
#define ORVANE_TRANSFORM_TRANSFORMATION_DICTIONARY_H_

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/values/date_time_value.h"

namespace MCOrvane_600 {

class ApplyEvaluator;
class CaseRecord;
class ScoreCaseRecord;
class ScoreValue;
class StringValue;
class TransformVar;

namespace internal {
class ApplyProgram;
class Engine;
class EvalCase;
class EvalLane;
class EvalPlan;
// Frees what the evaluation engine keeps for a dictionary or a variable;
// defined by the engine, so that these headers need not know its types.
struct EngineDeleter {
  void operator()(EvalPlan* plan) const;
  void operator()(ApplyProgram* program) const;
};
}  // namespace internal

// Holds the derived variables of one model document and computes them for a
// case. It also carries the codes shared by expression trees, derived
// variables and the document reader.
class TransformationDictionary : public BaseDictionary {
 public:
  // The built-in functions an Apply expression may call. The values are
  // stored in expression-tree nodes and seen by plug-ins: never renumber.
  enum TransformFunction {
    kFN_PLUS = 0,
    kFN_MINUS = 1,
    kFN_MULTIPLY = 2,
    kFN_DIVIDE = 3,
    kFN_POW = 4,
    kFN_ABS = 5,
    kFN_EXP = 6,
    kFN_LOG10 = 7,
    kFN_LN = 8,
    kFN_MOD = 9,
    kFN_ROUND = 10,
    kFN_SQRT = 11,
    kFN_TRUNC = 12,
    kFN_CDF_NORMAL = 13,
    kFN_CDFNORM = 14,
    kFN_IDF_NORMAL = 15,
    kFN_PDF_NORMAL = 16,
    kFN_MAX = 17,
    kFN_MEAN = 18,
    kFN_MIN = 19,
    kFN_SD = 20,
    kFN_SUM = 21,
    kFN_VARIANCE = 22,
    kFN_CONCAT = 23,
    kFN_LENGTH = 24,
    kFN_LOWER = 25,
    kFN_LTRIM = 26,
    kFN_RTRIM = 27,
    kFN_SUBSTR = 28,
    kFN_UPPERCASE = 29,
    kFN_SYSMIS = 30,
    kFN_VALUE = 31,
    kFN_DATE_YEARS_DIFFERENCE = 32,
    kFN_DATE_MONTHS_DIFFERENCE = 33,
    kFN_DATE_DAYS_DIFFERENCE = 34,
    kFN_YEAR_FROM_DATE = 35,
    kFN_MONTH_FROM_DATE = 36,
    kFN_DAY_FROM_DATE = 37,
    kFN_TIME_HOURS_DIFFERENCE = 38,
    kFN_TIME_MINUTES_DIFFERENCE = 39,
    kFN_TIME_SECONDS_DIFFERENCE = 40,
    kFN_HOUR_FROM_TIME = 41,
    kFN_MINUTE_FROM_TIME = 42,
    kFN_SECOND_FROM_TIME = 43,
    kFN_RECAST_TO_ORDINAL = 44,
    kFN_RECAST_TO_SCALE = 45,
    kFN_OUTLIER_HANDLE = 46,
    kFN_IS_MISSING = 47,
    kFN_IS_NOT_MISSING = 48,
    kFN_EQUAL = 49,
    kFN_NOT_EQUAL = 50,
    kFN_LESS_THAN = 51,
    kFN_LESS_OR_EQUAL = 52,
    kFN_GREATER_THAN = 53,
    kFN_GREATER_OR_EQUAL = 54,
    kFN_IS_IN = 55,
    kFN_IS_NOT_IN = 56,
    kFN_AND = 57,
    kFN_OR = 58,
    kFN_NOT = 59,
    kFN_IF = 60,
    kFN_NONE = 61,  // no function: every leaf, and every unknown name
    // Read only from standard PMML documents: a function of the PMML 4.4
    // vocabulary, named by its node's parameter name. No document name of
    // the library's own vocabulary selects it.
    kFN_X_STANDARD = 62,
  };

  // The expression kind of a derived variable.
  enum TransExpression {
    kCONSTANT = 0,
    kFIELDREF = 1,
    kNORMCONTINUOUS = 2,
    kNORMDISCRETE = 3,
    kDISCRETIZE = 4,
    kMAPVALUES = 5,
    kAPPLY = 6,
    kNO_EXPRESSION = 7,  // a derived variable not yet given an expression
  };

  // Empty: no derived variables, no records, not set up.
  TransformationDictionary();
  // Copies the variables as BaseDictionary does (each through its Clone, so
  // derived variables arrive as plain DictVar copies). The copy has no
  // derived names, no computed flags and no records, and is not set up.
  TransformationDictionary(const TransformationDictionary& other);
  // Assigns the variables as BaseDictionary does and copies the derived names,
  // the computed flags and the set-up flag. The records are deep copies of
  // the source's (none when it has none), so no record has two owners.
  TransformationDictionary& operator=(const TransformationDictionary& other);
  // Destroys both records, then the variables.
  ~TransformationDictionary() override;

  // Appends `name` to the evaluation order (document order). The variable
  // itself is added with AddVar.
  void AddDerievedVarName(const std::string& name);
  std::vector<std::string> GetDerivedVarNames() const;
  // Builds the derived record, one initial value per derived name, and the
  // computed flags. Only the first call has an effect.
  void SetUpDerivedCaseRecord();
  // Computes every derived variable for the case in `record`, in document
  // order, and returns the derived record (lent; null before set-up). The
  // values stay valid until the next call. A null `record` computes nothing.
  // A variable that needs itself, directly or through other derived
  // variables, or needs one that does, is not computed: it is stored as
  // system-missing (an empty text for a text variable).
  //
  // Names are resolved once for the data dictionary given, and again when it
  // or this dictionary gains, loses or replaces a variable, or a derived
  // variable changes what it refers to; a CaseRecord is read by entry while
  // its names stay the same. Every other change is seen at the next call.
  const ScoreCaseRecord* GetValuesForDeriedVars(const ScoreCaseRecord* record,
                                                const ScoreDictionary* dataDictionary);
  // The stored value of `name` for the current case; lent, null without a
  // derived record.
  const ScoreValue* GetVarValue(const std::string& name) const;
  // True when the value of `name` has been stored for the current case.
  bool IsVarValueComputed(const std::string& name) const;

  // The built-in functions. Numbers equal to the system-missing value are
  // missing: unless a function says otherwise, a missing argument gives the
  // system-missing value, as does every failure (no function throws).

  static double Plus(double a, double b);
  // Two entries each.
  static double Minus(const std::vector<double>& values);
  static double Multiply(const std::vector<double>& values);
  // Division by 0 is missing.
  static double Divided(const std::vector<double>& values);
  // `x` to the integer power `n` by repeated squaring; x^0 is 1. A result
  // that is not finite (0 to a negative power, overflow) is missing.
  static double Pow(double x, int n);
  // The remainder of a / b truncated toward zero: the sign follows `a`.
  static double Mod(double a, double b);
  static double Abs(double x);
  static double Sqrt(double x);
  static double Ln(double x);
  static double Log10(double x);
  // Missing above 709, 0 at -708 and below.
  static double Exp(double x);
  // Missing outside the open int range (-2147483648, 2147483647).
  static double Trunc(double x);
  // Halves round away from zero.
  static double Rnd(double x);

  // Over the entries that are not missing; missing when none is.
  static double Sum(const std::vector<double>& values);
  static double Max(const std::vector<double>& values);
  static double Min(const std::vector<double>& values);
  static double Mean(const std::vector<double>& values);
  // Sample standard deviation and variance (divisor n - 1); missing for fewer
  // than two valid entries.
  static double Sd(const std::vector<double>& values);
  static double Variance(const std::vector<double>& values);

  // (x, mean, sd). CdfNormal answers the distribution library's missing value
  // for sd <= 0.
  static double CdfNormal(const std::vector<double>& values);
  static double CdfNorm(double z);
  // (p, mean, sd).
  static double IdfNormal(const std::vector<double>& values);
  // (x, mean, sd).
  static double PdfNormal(const std::vector<double>& values);
  // Clips `x` to centre +- spread * factor / sqrt(count) when `method` is
  // "asExtremeValues"; any other method makes an outlier missing.
  static double OutlierHandle(double x, const std::string& method, double centre, double spread,
                              double factor, double count);

  // 1.0 or 0.0. These four take ownership of every value in `values` (and of
  // `tested`), destroy them and leave `values` empty. Two values match when
  // they have the same value type and compare equal.
  static double equal(std::vector<ScoreValue*>& values);
  static double notEqual(std::vector<ScoreValue*>& values);
  static double isIn(std::vector<ScoreValue*>& values, ScoreValue* tested);
  static double isNotIn(std::vector<ScoreValue*>& values, ScoreValue* tested);

  // 1.0 or 0.0; missing numbers compare as numbers and count as non-zero.
  static double lessThan(const std::vector<double>& values);
  static double lessOrEqual(const std::vector<double>& values);
  static double greaterThan(const std::vector<double>& values);
  static double greaterOrEqual(const std::vector<double>& values);
  static double AndOperator(const std::vector<double>& values);
  static double OrOperator(const std::vector<double>& values);
  static double NotOperator(const std::vector<double>& values);

  // Text functions. `length` receives the declared length of the answer; a
  // null `s` is an empty text of length 0.
  static std::string Ltrim(const StringValue* s, int& length);
  static std::string Rtrim(const StringValue* s, int& length);
  // From character `start` (counting from 1) to the end when 1 <= start <
  // number of characters, else empty; `length` becomes the answer's size.
  static std::string Substring(const StringValue* s, int start, int& length);
  // Each text cut or padded with spaces to its length, then joined; `length`
  // becomes the sum of the lengths. A negative length stands for the text's
  // own size. Texts beyond the number of lengths are ignored.
  static std::string Concat(const std::vector<std::string>& texts, const std::vector<int>& lengths,
                            int& length);
  std::string ToLowerCase(const StringValue* s, int& length) const;
  std::string ToUpperCase(const StringValue* s, int& length) const;

 private:
  friend class ApplyEvaluator;
  friend class internal::Engine;
  friend class internal::EvalCase;
  friend class internal::EvalPlan;
  friend class internal::EvalLane;

  // One derived name of the record, with the place where its value lives,
  // so that a case costs no name lookups there. The computed flag of slot i
  // is computed_[i].
  struct DerivedSlot {
    std::string name;
    ScoreValue* value;  // lent from the derived record; null without a value
    bool flagged;       // the name has a computed flag (first occurrence, set up)
    bool plain_number;  // `value` is exactly a NumericValue
  };

  // Sets every computed flag to false.
  void Reset();
  // Computes and stores the i-th derived name of the current plan for the
  // case `ec`, unless it is stored already.
  void EvaluateStep(std::size_t i, internal::EvalCase& ec);
  // Stores `value` (not taken) for `name`; null leaves the name without a
  // value.
  void AddVarCaseValue(const std::string& name, const ScoreValue* value);
  void AddVarCaseValue(const std::string& name, double value);
  void AddVarCaseValue(const std::string& name, double value, DateTimeValue::DateTimeValType kind);
  void AddVarCaseValue(const std::string& name, const std::string& text);
  // Stores `value` for the i-th derived name: in place through its slot
  // when the types allow it, else by name.
  void StoreValue(std::size_t i, const ScoreValue* value);
  // Stores the missing value of `var`'s type for the i-th derived name.
  void StoreMissingValue(std::size_t i, const ScoreDictVar* var);
  void RebuildSlots();
  static void SetSlotValue(DerivedSlot& slot, ScoreValue* value);
  // Sets the computed flag of `name`, when it has one.
  void MarkComputed(const std::string& name);
  // When `name` has been computed for this case: true, with its stored value
  // (possibly null) in `value`. As IsVarValueComputed and GetVarValue.
  bool FindComputedValue(const std::string& name, const ScoreValue** value) const;
  // The same for the name of slot `slot`.
  bool FindComputedSlot(std::size_t slot, const ScoreValue** value) const;
  // True when computing `var` would never end: it needs itself, directly or
  // through other derived variables, or needs a variable that does. Names are
  // resolved against `dataDictionary` first, as evaluation does. The answer
  // is cached until either dictionary or the derived names change in number.
  bool DependsOnCycle(const ScoreDictVar* var, const ScoreDictionary* dataDictionary) const;
  // Looks for cycles again, whatever the cache says.
  void RefreshCycles(const ScoreDictionary* dataDictionary) const;
  void FindCycleDependentVars(const ScoreDictionary* dataDictionary) const;
  // Asks the processor to fetch the parts of `var` that evaluating it reads,
  // and the objects that `next` points to. Either may be null.
  static void Prefetch(const TransformVar* var, const TransformVar* next);
  // The evaluation plan for `dataDictionary`, built or rebuilt as needed.
  internal::EvalPlan& PlanFor(const ScoreDictionary* dataDictionary);

  // Owning; null until set-up.
  std::unique_ptr<CaseRecord> derived_record_;
  // Owning; the values as set-up made them. Not read afterwards.
  std::unique_ptr<CaseRecord> initial_record_;
  // Document order, which is the evaluation order.
  std::vector<std::string> derived_names_;
  bool set_up_ = false;
  // Parallel to the names set up, in order; rebuilt whenever the records are.
  std::vector<DerivedSlot> slots_;
  // The computed flags, parallel to slots_; meaningful where flagged.
  std::vector<char> computed_;
  // The first slot of each name.
  std::unordered_map<std::string, std::size_t> slot_index_;
  // Owning; names resolved for the data dictionary last given. Dropped
  // whenever the slots change.
  std::unique_ptr<internal::EvalPlan, internal::EngineDeleter> plan_;

  // The variables for which DependsOnCycle is true, and what they were found
  // for.
  mutable std::unordered_set<const ScoreDictVar*> cycle_dependent_;
  mutable const ScoreDictionary* cycles_data_dictionary_ = nullptr;
  mutable int cycles_data_size_ = -1;
  mutable int cycles_size_ = -1;
  mutable std::size_t cycles_names_ = 0;
};

// Plug-ins are compiled against 32-bit codes.
static_assert(sizeof(TransformationDictionary::TransformFunction) == 4,
              "TransformFunction must be a 32-bit enumeration");

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSFORM_TRANSFORMATION_DICTIONARY_H_
