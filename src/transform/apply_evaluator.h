#ifndef ORVANE_SRC_TRANSFORM_APPLY_EVALUATOR_H_
#define ORVANE_SRC_TRANSFORM_APPLY_EVALUATOR_H_

#include <string>
#include <vector>

#include "orvane/transform/transformation_dictionary.h"

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

// Walks the Apply tree of one derived variable for one case. Intermediate and
// final values are handed back through the variable's three working values,
// which the evaluator borrows; it keeps no other state, so it costs nothing
// to make one per evaluation.
class ApplyEvaluator {
 public:
  using TransformFunction = TransformationDictionary::TransformFunction;

  // Lends the working values of the derived variable under evaluation; none
  // may be null, and all must outlive the evaluator.
  ApplyEvaluator(NumericValue* numeric, StringValue* text, DateTimeValue* date_time);
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

  // f(a) for the unary functions, f(a, b) for +, pow (b truncated toward
  // zero) and mod; 0.0 for every other function.
  static double ApplyTransFunction(double a, double b, TransformFunction f);
  // The vector functions (-, *, /, the normal distribution, the statistics,
  // the ordering comparisons and the logic); missing for any other function.
  static double ApplyAccumulateFunction(const std::vector<double>& values, TransformFunction f);
  // The date/time functions; missing unless `first` is a DateTimeValue and f
  // one of them. `second` is the stored seconds of the second argument.
  static double ApplyDateTimeFunction(const ScoreValue* first, double second, TransformFunction f);

 private:
  struct Context;

  const ScoreValue* Evaluate(const FunctionTree* node, const ApplyNodeStats& stats,
                             TransformFunction parent, const Context& context);
  const ScoreValue* Child(const FunctionTree* child, TransformFunction parent,
                          const Context& context);
  const ScoreValue* Operand(const ApplyNodeStats& stats, TransformFunction parent,
                            const Context& context);
  const ScoreValue* Constant(const std::string& parameter);
  const ScoreValue* Field(const std::string& name, TransformFunction parent,
                          const Context& context);
  const ScoreValue* DerivedField(const std::string& name, const ScoreDictVar& var,
                                 const Context& context);
  // The working value of `var`'s type set to its missing value.
  const ScoreValue* MissingOf(const ScoreDictVar* var);
  // A text of a text variable goes on with the variable's width as its length.
  const ScoreValue* WithWidth(const ScoreValue* value, const ScoreDictVar& var);

  const ScoreValue* Fold(const FunctionTree* node, TransformFunction f, const Context& context);
  const ScoreValue* Collect(const FunctionTree* node, TransformFunction f, const Context& context);
  const ScoreValue* DateTime(const FunctionTree* node, TransformFunction f, const Context& context);
  const ScoreValue* Text(const FunctionTree* node, TransformFunction f, const Context& context);
  const ScoreValue* FirstOnly(const FunctionTree* node, TransformFunction f,
                              const Context& context);
  const ScoreValue* Value(const FunctionTree* node, TransformFunction f, const Context& context);
  const ScoreValue* IsMissing(const FunctionTree* node, TransformFunction f,
                              const Context& context);
  const ScoreValue* Compare(const FunctionTree* node, TransformFunction f, const Context& context);
  const ScoreValue* Member(const FunctionTree* node, TransformFunction f, const Context& context);
  const ScoreValue* If(const FunctionTree* node, const Context& context);

  const ScoreValue* Number(double x);

  NumericValue* numeric_;
  StringValue* text_;
  DateTimeValue* date_time_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_APPLY_EVALUATOR_H_
