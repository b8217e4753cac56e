#ifndef ORVANE_TRANSFORM_TRANSFORM_VAR_H_
#define ORVANE_TRANSFORM_TRANSFORM_VAR_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "orvane/dictionary/dict_var.h"
#include "orvane/transform/transformation_dictionary.h"

namespace MCOrvane_600 {

class DateTimeValue;
class FunctionTree;
class NumericValue;
class ScoreCaseRecord;
class ScoreDictionary;
class ScoreValue;
class ScoreValueRange;
class StringValue;

// A variable computed from the other fields of a case (one derived field):
// a constant, a field reference, a linear normalisation, a value map, a
// discretisation or an expression tree, with the recode rules for missing
// and unmatched inputs.
//
// Evaluation writes the variable's result and working values, so one
// variable serves one case at a time and must not be evaluated from two
// threads at once, even through a const pointer.
//
// Clone() is DictVar's: through ScoreDictVar it copies the dictionary part
// only. The copy constructor copies everything.
class TransformVar : public DictVar {
 public:
  using TransExpression = TransformationDictionary::TransExpression;

  // A DictVar of that name and type; no expression (kNO_EXPRESSION), no
  // tables, scale 1 and offset 0.
  TransformVar(const std::string& name, VariableType type);
  // Deep: every owned object is cloned, the expression tree included.
  TransformVar(const TransformVar& other);
  // Deep; destroys what this variable owned first.
  TransformVar& operator=(const TransformVar& other);
  ~TransformVar() override;

  // DictVar's display followed by the expression and its tables.
  void Display(std::ostream& os) const override;
  // True.
  bool IsDerivedVariable() const override;

  // Set-up, in the order the document reader calls it.
  void AddFieldNameAndTransExpression(const std::string& fieldName, TransExpression kind);
  std::string GetFieldName() const;
  TransExpression GetTransExpression() const;
  // Takes ownership of `root`, the Apply tree; destroys the tree held before.
  void SetRoot(FunctionTree* root);
  // Lent; null without an Apply tree.
  const FunctionTree* GetRoot() const;
  void SetConstString(const std::string& text);
  std::string GetConstString() const;
  void AddNormInfo(double scale, double offset);
  // scale * x + offset.
  double GetNormValue(double x) const;
  // Appends a key and its encoded value; takes ownership of both.
  void AddEncodingMap(ScoreValue* key, ScoreValue* encoded);
  // Appends a bin; takes ownership of both. A null `value` makes the bin
  // answer the input value itself.
  void AddBinningValue(ScoreValueRange* interval, ScoreValue* value);

  // Each recode value excludes its copy flag: setting one clears the other,
  // so the later call wins. The setters take ownership of their value and
  // destroy the value they replace.
  void SetRecodeMissValueTo(ScoreValue* value);  // mapMissingTo; clears recodeMissingCopy
  // Lent; may be null.
  const ScoreValue* GetRecodeMissValueRep() const;
  void SetRecodeDefaultValue(ScoreValue* value);  // clears recodeElseCopy
  // Lent; may be null.
  const ScoreValue* GetRecodeDefaultValue() const;
  // Destroys the default value.
  void SetRecodeElseCopy(bool copy);
  bool IsRecodeElseCopy() const;
  // Destroys the mapMissingTo value.
  void SetRecodeMissingCopy(bool copy);
  bool IsRecodeMissingCopy() const;
  void SetRecodeSysmisValue(ScoreValue* value);  // mapSysmisTo
  // Lent; may be null.
  const ScoreValue* GetRecodeSysmisValueRep() const;
  // Takes ownership of `interval`. Kept with the variable; evaluation does
  // not consult it.
  void SetRecodeIntervalCopy(ScoreValueRange* interval);

  // The value of this variable for the case in `record`. Fields are looked
  // up in `dataDictionary` first, then in `transformations`, the dictionary
  // holding this variable; derived fields are evaluated on demand. Any of the
  // three may be null. A variable that needs itself, directly or through
  // other derived variables, gets the missing result (system-missing, or an
  // empty text) where the cycle closes. The answer is owned by this variable and stays valid,
  // and unchanged, until the next evaluation of this variable.
  const ScoreValue* GetTransformedValue(const ScoreCaseRecord* record,
                                        const ScoreDictionary* dataDictionary,
                                        const ScoreDictionary* transformations) const;
  // The value-map lookup of `value` from the field `source` (either may be
  // null). The answer is an encoded value of the map or one of this
  // variable's working values: it is lent and valid until the next
  // evaluation of this variable.
  const ScoreValue* GetEncodedValue(const ScoreDictVar* source, const ScoreValue* value) const;
  // The discretisation of `value` from the field `source` (either may be
  // null). The answer is a bin value, `value` itself (a bin that copies its
  // input) or one of this variable's working values: lent, and valid until
  // the next evaluation of this variable (or as long as `value` for a copying
  // bin).
  const ScoreValue* GetBinningValue(const ScoreDictVar* source, const ScoreValue* value) const;

  // The variable named `name`: asked of `dataDictionary` first, then of
  // `transformations`; null when neither (either may be null) has it. Lent.
  static const ScoreDictVar* FindVariable(const std::string& name,
                                          const ScoreDictionary* dataDictionary,
                                          const ScoreDictionary* transformations);

 private:
  // The answer for an input that no table entry matched; `value` is
  // non-null. Tries the recode rules top down; the working value of `type`
  // must have been reset by the caller.
  const ScoreValue* HandleMissingAndInvalidValue(const ScoreDictVar* source, VariableType type,
                                                 const ScoreValue* value) const;
  // Clears the working value that answers for this variable's type: the
  // working number (system-missing) for a numeric variable, the working text
  // (empty) otherwise.
  void ResetWorkingValue() const;
  // The answer for a null input: the working value of this variable's type,
  // set to mapMissingTo where that applies.
  const ScoreValue* MissingInputValue(bool useMissingText) const;
  // Sets the result to the system-missing value, or the empty text for a
  // text result.
  void SetMissingResult() const;
  // The value of the Apply tree for the case; null when there is no tree.
  const ScoreValue* EvaluateApply(const ScoreCaseRecord* record,
                                  const ScoreDictionary* dataDictionary,
                                  const ScoreDictionary* transformations) const;
  void CopyFrom(const TransformVar& other);

  using Bin = std::pair<std::unique_ptr<ScoreValueRange>, std::unique_ptr<ScoreValue>>;
  using Encoding = std::pair<std::unique_ptr<ScoreValue>, std::unique_ptr<ScoreValue>>;

  // Empty for Constant and Apply.
  std::string field_name_;
  TransExpression trans_expression_ = TransformationDictionary::kNO_EXPRESSION;
  // Owning; in document order. A null bin value copies the input.
  std::vector<Bin> bins_;
  double scale_ = 1.0;
  double offset_ = 0.0;
  // Owning (key, encoded value) pairs; in document order.
  std::vector<Encoding> encodings_;
  std::string const_string_;
  // Owning; the Apply tree.
  std::unique_ptr<FunctionTree> root_;

  // The result and the working values are handed out by address: what they
  // hold is valid until the next evaluation on this variable, which
  // overwrites them in place. Evaluation is logically const, hence mutable.
  //
  // Owning; made at the first evaluation, by the variable type, then reused.
  mutable std::unique_ptr<ScoreValue> result_;
  // Owning; the system-missing value until an evaluation writes it.
  mutable std::unique_ptr<NumericValue> working_numeric_;
  // Owning; the empty text until an evaluation writes it.
  mutable std::unique_ptr<StringValue> working_string_;
  // Owning; default-constructed until an evaluation writes it.
  mutable std::unique_ptr<DateTimeValue> working_date_time_;
  // Set while this variable is being evaluated; never copied.
  mutable bool evaluating_ = false;

  // Owning; each null when not given.
  std::unique_ptr<ScoreValue> map_missing_to_;
  std::unique_ptr<ScoreValue> default_value_;
  std::unique_ptr<ScoreValue> map_sysmis_to_;
  bool recode_else_copy_ = false;
  bool recode_missing_copy_ = false;
  // Owning; stored only.
  std::unique_ptr<ScoreValueRange> recode_interval_copy_;
  // The constant text read as a number, so that evaluation does not parse.
  double const_number_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSFORM_TRANSFORM_VAR_H_
