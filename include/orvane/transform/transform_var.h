#ifndef ORVANE_TRANSFORM_TRANSFORM_VAR_H_
#define ORVANE_TRANSFORM_TRANSFORM_VAR_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "orvane/dictionary/dict_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

class DateTimeValue;
class FunctionTree;
class NumericValue;
class ScoreCaseRecord;
class ScoreDictionary;
class ScoreValue;
class ScoreValueRange;
class StringValue;

namespace internal {
class ApplyProgram;
class EvalCase;
class EvalLane;
class EvalPlan;
}  // namespace internal

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
  // As DictVar's; an evaluation plan relying on the old type is dropped.
  void SetVarType(VariableType type) override;

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
  // Appends a key and its encoded value; takes ownership of both, which must
  // not be changed afterwards.
  void AddEncodingMap(ScoreValue* key, ScoreValue* encoded);
  // Appends a bin; takes ownership of both, which must not be changed
  // afterwards. A null `value` makes the bin answer the input value itself.
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
  struct EncodingKey;
  friend class ApplyEvaluator;
  friend class TransformationDictionary;
  friend class internal::EvalPlan;
  friend class internal::EvalLane;

  // GetTransformedValue's work, for the case `ec` describes.
  const ScoreValue* Evaluate(internal::EvalCase& ec) const;
  // True when the result is a plain number (a NumericValue, not a date/time
  // value); meaningful once Evaluate has run.
  bool HasNumberResult() const { return result_type_ == ScoreValue::kNUMERIC_VALUE; }
  // Evaluate, except that within one pass over a case the result computed
  // earlier in the pass is answered again, since it cannot have changed.
  const ScoreValue* EvaluateAsSource(internal::EvalCase& ec) const;
  // The result takes `value`; a number result that cannot take it (a
  // date/time or text value) becomes the system-missing value, and any
  // result the missing result for a null `value`.
  void TakeValue(const ScoreValue* value) const;
  // The row of the first key equal to `value`; -1 when none is.
  // `trimmed`, when not null, is the text of `value` without its trailing
  // spaces (`value` then being exactly a StringValue).
  int FindEncoding(const ScoreValue& value, const std::string* trimmed) const;
  // The key equal to the text `key` (trailing spaces dropped), in a map of
  // text keys; null when there is none.
  const EncodingKey* FindKey(std::string_view key) const;
  // The result straight from the tables, for a number result from a plain
  // number or text source whose matching entry is a plain number; false
  // (nothing changed) when that does not apply.
  bool SetTableNumber(const ScoreValue& value, internal::EvalCase& ec, int k) const;
  // GetEncodedValue for the value of operand `k` of the case `ec`.
  const ScoreValue* EncodedValue(const ScoreDictVar* source, const ScoreValue* value,
                                 internal::EvalCase& ec, int k) const;
  void BuildEncodingIndex() const;
  // The bin containing `value`; -1 when none does.
  int FindBin(const ScoreValue& value) const;
  void BuildBinBounds() const;
  // Tells an evaluation plan that relies on this variable (what it refers
  // to, its tables, its type) that it no longer may.
  void Unwatch() const;

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
  // The result for each expression kind.
  void SetConstantResult() const;
  void SetSourceResult(internal::EvalCase& ec) const;
  void SetApplyResult(internal::EvalCase& ec) const;
  // A text result cut to the variable's width, which becomes its length.
  void CutToWidth() const;
  // The program of the Apply tree (which must exist), made again when the
  // tree has changed; one that cannot be kept is handed over in `*once`.
  internal::ApplyProgram& CurrentProgram(std::unique_ptr<internal::ApplyProgram>* once) const;
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
  // The value type of result_, which never changes once it is made.
  mutable ScoreValue::ValueType result_type_ = ScoreValue::kNUMERIC_VALUE;
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

  // Kept for evaluation, never copied. The operand of the field name in the
  // evaluation plan stamped `source_stamp_`.
  mutable std::uint64_t source_stamp_ = 0;
  mutable int source_operand_ = -1;
  // The pass over a case in which the result was last computed, when it
  // did not depend on where the evaluation started; 0 for none.
  mutable std::uint64_t memo_pass_ = 0;
  // The Apply tree laid out for evaluation; remade when the tree changes.
  mutable std::unique_ptr<internal::ApplyProgram, internal::EngineDeleter> program_;
  // Shared with the evaluation plan that relies on this variable; turned
  // false when the variable is destroyed or changes what it refers to.
  mutable std::shared_ptr<bool> watch_;
  // The rows of the value map by key text without trailing spaces, first
  // row of each text; used when every key is a text. Large maps are
  // searched by hash (the index views the texts of encoding_keys_).
  enum class Index : char { kUnknown, kBuilt, kNone };
  mutable Index encoding_index_state_ = Index::kUnknown;
  struct EncodingKey {
    std::uint64_t head;  // the first eight characters, zero-padded
    std::size_t size;
    int row;
    // The encoded value is a plain number, `number`.
    bool plain_number;
    double number;
  };
  mutable std::vector<EncodingKey> encoding_keys_;
  // The key texts, parallel to encoding_keys_.
  mutable std::vector<std::string> encoding_texts_;
  // Key text to position in encoding_keys_.
  mutable std::unordered_map<std::string_view, int> encoding_index_;
  // The bins as numbers, when every interval is a Range of two plain
  // numbers (a missing interval never matches).
  struct BinBounds {
    bool present;
    bool low_included;
    bool high_included;
    // The bin value is a plain number, `number`.
    bool plain_number;
    double min;
    double max;
    double number;
  };
  mutable Index bin_bounds_state_ = Index::kUnknown;
  mutable std::vector<BinBounds> bin_bounds_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSFORM_TRANSFORM_VAR_H_
