#ifndef ORVANE_SRC_TRANSFORM_ENGINE_APPLY_EVALUATOR_H_
#define ORVANE_SRC_TRANSFORM_ENGINE_APPLY_EVALUATOR_H_

#include <cstdint>
#include <string>
#include <vector>

#include "orvane/transform/transformation_dictionary.h"
#include "transform/engine/apply_program.h"
#include "transform/engine/standard_functions.h"

namespace MCOrvane_600 {

class ApplyNodeStats;
class DateTimeValue;
class FunctionTree;
class NumericValue;
class ScoreCaseRecord;
class ScoreDictVar;
class ScoreDictionary;
class ScoreValue;
class StringValue;

namespace internal {
class EvalCase;
}  // namespace internal

// Walks the Apply tree of one derived variable for one case. Intermediate and
// final values are handed back through the variable's three working values,
// which the evaluator borrows; it keeps no other state, so it costs nothing
// to make one per evaluation.
//
// The tree is walked as an ApplyProgram: laid out flat, its operands
// resolved through the evaluation plan of the case.
class ApplyEvaluator {
 public:
  using TransformFunction = TransformationDictionary::TransformFunction;

  // Lends the working values of the derived variable under evaluation; none
  // may be null, and all must outlive the evaluator.
  ApplyEvaluator(NumericValue* numeric, StringValue* text, DateTimeValue* date_time)
      : numeric_(numeric), text_(text), date_time_(date_time) {}
  ApplyEvaluator(const ApplyEvaluator&) = delete;
  ApplyEvaluator& operator=(const ApplyEvaluator&) = delete;

  // The value of the subtree at `node` for the case in `record`; never null
  // (the system-missing value for a null node). Fields are looked up in
  // `dataDictionary`, then in `transformations`; derived fields absent from
  // the record are computed on demand. The answer is a working value, a value
  // of `record` or of a derived variable: read it before anything else is
  // evaluated.
  const ScoreValue* TravelSal(const FunctionTree* node, const ScoreCaseRecord* record,
                              const ScoreDictionary* dataDictionary,
                              const ScoreDictionary* transformations);
  // The same for the case `ec` describes.
  const ScoreValue* TravelSal(const FunctionTree* node, internal::EvalCase& ec);

  // f(a) for the unary functions, f(a, b) for +, pow (b truncated toward
  // zero) and mod; 0.0 for every other function.
  static double ApplyTransFunction(double a, double b, TransformFunction f);
  // The vector functions (-, *, /, the normal distribution, the statistics,
  // the ordering comparisons and the logic); missing for any other function.
  static double ApplyAccumulateFunction(const std::vector<double>& values, TransformFunction f);
  // The date/time functions; missing unless `first` is a DateTimeValue and f
  // one of them. `second` is the stored seconds of the second argument.
  static double ApplyDateTimeFunction(const ScoreValue* first, double second, TransformFunction f);

  // The value of `program` (bound to the plan of `ec`) for the case `ec`
  // describes.
  const ScoreValue* Run(const internal::ApplyProgram& program, internal::EvalCase& ec);
  // When the top of `program` always answers a number (in the working
  // number): true, with that number in `*x`, without going through the
  // working value. False, with nothing evaluated, otherwise.
  bool RunNumber(const internal::ApplyProgram& program, internal::EvalCase& ec, double* x);

  // The value of a constant node of a standard expression.
  static standard::Value StandardConstant(const internal::ApplyProgram::Node& node);
  // True when the standard expression of `derived` (null for none) answered
  // an invalid value in pass `pass` (see ApplyProgram::TopInvalid).
  static bool AnsweredInvalid(const TransformVar* derived, std::uint64_t pass);
  // The present value `v` normalized by the points of the kNormContinuous
  // node `node` of `program`.
  static standard::Value StandardNorm(const internal::ApplyProgram& program,
                                      const internal::ApplyProgram::Node& node,
                                      const standard::Value& v);
  // The child of the kDiscretize node `node` of `program` whose value the
  // present value `v` takes (its bin's, or the default); -1 when `v` is no
  // number, which makes the value invalid.
  static int StandardBin(const internal::ApplyProgram& program,
                         const internal::ApplyProgram::Node& node, const standard::Value& v);
  // The column count of the kMapValues node `node` of `program`; -1 when the
  // node cannot hold that many (its value is then invalid).
  static int MapColumns(const internal::ApplyProgram& program,
                        const internal::ApplyProgram::Node& node);
  // The child of the kMapValues node `node` of `program` whose value answers
  // for `keys`, one present value per column: the output of the first row
  // whose cells all equal them, else the defaultValue.
  static int StandardMapRow(const internal::ApplyProgram& program,
                            const internal::ApplyProgram::Node& node,
                            const standard::Value* keys);
  // `v`, a present value of the field of the kValidity node `node` of
  // `program`, as the field's intervals and listed values judge it: `v`,
  // missing, or invalid. `listed(i)` is the value of child node `i`;
  // `user_missing()` tells whether the field's variable calls a value that
  // no listed value matched missing.
  template <typename Listed, typename UserMissing>
  static standard::Value JudgeValidity(const internal::ApplyProgram& program,
                                       const internal::ApplyProgram::Node& node,
                                       const standard::Value& v, Listed&& listed,
                                       UserMissing&& user_missing);
  // A code or count that a constant node holds; -1 for any number that is
  // none (a plug-in may build any tree).
  static int CodeOf(double x) { return x >= 0.0 && x <= 1e6 ? static_cast<int>(x) : -1; }
  // True when `x` lies in the interval of kDiscretize's and kValidity's
  // encoding: `ends` (standard::BinEnds), `left`, `right`.
  static bool InInterval(int ends, double left, double right, double x) {
    if ((ends & standard::kHasLeft) != 0 &&
        ((ends & standard::kLeftClosed) != 0 ? x < left : x <= left)) {
      return false;
    }
    return (ends & standard::kHasRight) == 0 ||
           ((ends & standard::kRightClosed) != 0 ? x <= right : x < right);
  }

 private:
  using EvalCase = internal::EvalCase;
  using Node = internal::ApplyProgram::Node;

  const ScoreValue* Evaluate(int i, EvalCase& ec);
  const ScoreValue* Constant(const Node& node);
  const ScoreValue* Field(const Node& node, EvalCase& ec);
  const ScoreValue* DerivedField(int k, const std::string& name, const ScoreDictVar& var,
                                 EvalCase& ec);
  // The working value of `var`'s type set to its missing value.
  const ScoreValue* MissingOf(const ScoreDictVar* var);
  // A text of a text variable goes on with the variable's width as its length.
  const ScoreValue* WithWidth(const ScoreValue* value, const ScoreDictVar& var);

  double NumberOf(int i, EvalCase& ec);
  double FieldNumber(const Node& node, EvalCase& ec);
  double FoldNumber(const Node& node, EvalCase& ec);
  double CollectNumber(const Node& node, EvalCase& ec);
  const ScoreValue* Fold(const Node& node, EvalCase& ec);
  const ScoreValue* Collect(const Node& node, EvalCase& ec);
  const ScoreValue* Outlier(const Node& node, EvalCase& ec);
  const ScoreValue* DateTime(const Node& node, EvalCase& ec);
  const ScoreValue* Text(const Node& node, EvalCase& ec);
  const ScoreValue* FirstOnly(const Node& node, EvalCase& ec);
  const ScoreValue* Value(const Node& node, EvalCase& ec);
  const ScoreValue* IsMissing(const Node& node, EvalCase& ec);
  const ScoreValue* Compare(const Node& node, EvalCase& ec);
  const ScoreValue* Member(const Node& node, EvalCase& ec);
  const ScoreValue* If(const Node& node, EvalCase& ec);

  // Standard PMML nodes (kFN_X_STANDARD): the value of node `i` with
  // missing and invalid kept apart, and that value as a working value.
  const ScoreValue* Standard(const Node& node, EvalCase& ec);
  standard::Value StandardValue(int i, EvalCase& ec);
  standard::Value StandardField(const Node& node, EvalCase& ec);
  standard::Value StandardTable(const Node& node, EvalCase& ec);
  // A data field's value as its DataField judges it (kValidity).
  standard::Value StandardValidity(const Node& node, EvalCase& ec);
  static standard::Value FromScore(const ScoreValue* value);
  // True when the derived field `var` (operand `k`), read as missing, holds
  // the invalid answer of its standard expression for this case.
  bool DerivedInvalid(int k, const ScoreDictVar& var, EvalCase& ec) const;

  const ScoreValue* Number(double x);

  NumericValue* numeric_;
  StringValue* text_;
  DateTimeValue* date_time_;
  // The program being run.
  const internal::ApplyProgram* program_ = nullptr;
};

template <typename Listed, typename UserMissing>
standard::Value ApplyEvaluator::JudgeValidity(const internal::ApplyProgram& program,
                                              const internal::ApplyProgram::Node& node,
                                              const standard::Value& v, Listed&& listed,
                                              UserMissing&& user_missing) {
  using SValue = standard::Value;
  const int a = node.first;
  const int end = a + node.count;
  auto number = [&program](int i) { return program.node(i).number; };
  const int intervals = CodeOf(number(a + 1));
  if (intervals < 0 || a + 2 + 3 * intervals > end) return SValue::Invalid();
  const int first_listed = a + 2 + 3 * intervals;
  // Valid values are those listed as valid and those in an interval; with
  // neither, every value that is not missing.
  bool restricted = intervals > 0;
  for (int i = first_listed; i + 1 < end; i += 2) {
    const int property = CodeOf(number(i));
    const SValue& value = listed(i + 1);
    if (standard::CompareValues(v, value) == 0) {
      if (property == standard::kMissingValue) return SValue::Missing();
      if (property == standard::kInvalidValue) return SValue::InvalidInput(v);
      return v;
    }
    restricted = restricted || property == standard::kValidValue;
  }
  bool valid = !restricted;
  double x = 0.0;
  if (intervals > 0 && standard::ToNumber(v, &x)) {
    for (int i = a + 2; i < first_listed && !valid; i += 3) {
      valid = InInterval(CodeOf(number(i)), number(i + 1), number(i + 2), x);
    }
  }
  if (!valid) return SValue::InvalidInput(v);
  return user_missing() ? SValue::Missing() : v;
}

}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_ENGINE_APPLY_EVALUATOR_H_
