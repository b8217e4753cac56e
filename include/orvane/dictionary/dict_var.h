#ifndef ORVANE_DICTIONARY_DICT_VAR_H_
#define ORVANE_DICTIONARY_DICT_VAR_H_

#include <iosfwd>
#include <memory>
#include <string>

#include "orvane/dictionary/score_dict_var.h"

namespace MCOrvane_600 {

// The library's dictionary variable. Owns its missing-value set, label set
// and statistics; copies are deep.
class DictVar : public ScoreDictVar {
 public:
  DictVar(const std::string& name, VariableType type);
  // Gives the copy its own clones of the three attached objects.
  DictVar(const DictVar& other);
  // Destroys the three attached objects held, then copies as above.
  DictVar& operator=(const DictVar& other);
  ~DictVar() override;

  // Returns a new DictVar that the caller owns.
  ScoreDictVar* Clone() const override;
  // Names only: two variables of one name are the same field.
  bool operator==(const ScoreDictVar& other) const override;
  bool IsMissingValue(const ScoreValue* value) const override;
  bool IsValidValue(const ScoreValue* value) const override;
  // Refuses the empty name.
  bool SetName(const std::string& name) override;
  void SetLabel(const std::string& label) override;
  void SetVarType(VariableType type) override;
  void SetMLevel(MeasureLevel level) override;
  void SetFormat(int decimals, int width) override;
  void SetDecimal(int decimals) override;
  void SetWidth(int width) override;
  std::string GetName() const override;
  std::string GetLabel() const override;
  VariableType GetVarType() const override;
  MeasureLevel GetMLevel() const override;
  int GetDecimal() const override;
  int GetWidth() const override;
  // Lent; may be null.
  const ScoreVarStats* GetVarStats() const override;
  // Takes ownership of `stats`. The statistics held before are NOT destroyed:
  // whoever replaces them must have kept them and destroys them.
  void SetVarStats(ScoreVarStats* stats) override;
  // Lent; may be null.
  const ScoreValueLabelSet* GetValueLabels() const override;
  // Empty without a label set or without a label for `value`.
  std::string GetLabelOfValue(const ScoreValue* value) const override;
  // Lent; may be null.
  const ScoreMissingValueSet* GetMissingValues() const override;
  // Takes ownership of `missing`. The set held before is NOT destroyed:
  // whoever replaces it must have kept it and destroys it.
  void SetMissingValues(ScoreMissingValueSet* missing) override;
  // Takes ownership of `labels`. The set held before is NOT destroyed:
  // whoever replaces it must have kept it and destroys it.
  void SetValueLabels(ScoreValueLabelSet* labels) override;
  // Returns a new value that the caller owns; null for date/time and other
  // storage types.
  ScoreValue* ToMyValue(const std::string& text) const override;
  void Display(std::ostream& os) const override;
  int GetNumberOfCats() const override;
  void SetValueIndex(int index) override;
  int GetValueIndex() const override;
  // Taken only by a string variable.
  void SetNoSpaceTrim(bool no_trim) override;
  bool GetNoSpaceTrim() const override;
  // Taken only by a string variable.
  void SetEmptyStringOK(bool ok) override;
  bool GetEmptyStringOK() const override;
  std::string GetXMeasure() const override;
  void SetXMeasure(const std::string& measure) override;
  // Refused (false) on a continuous variable.
  bool SetFlagVariable(bool flag) override;
  bool IsFlagVariable() const override;
  void SetOutlierHandleMethod(OutlierHandleMethod method) override;
  int GetOutlierHandleMethod() const override;
  bool IsDerivedVariable() const override;
  void SetDateTimeType(DateTimeType type) override;
  DateTimeType GetDateTimeType() const override;

  bool IsString() const;

 private:
  void CopyFrom(const DictVar& other);

  std::string name_;
  std::string label_;
  VariableType var_type_;
  DateTimeType date_time_type_ = kNO_DATETIME;
  MeasureLevel measure_level_ = kCONTINUOUS;
  int decimals_ = 0;
  int width_ = -1;
  std::unique_ptr<ScoreMissingValueSet> missing_values_;
  std::unique_ptr<ScoreValueLabelSet> value_labels_;
  std::unique_ptr<ScoreVarStats> var_stats_;
  // A position for the plug-ins; the library never sets it.
  int value_index_ = -1;
  bool no_space_trim_ = false;
  bool empty_string_ok_ = false;
  std::string x_measure_;
  bool flag_variable_ = false;
  OutlierHandleMethod outlier_handle_method_ = kAS_IS;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_DICT_VAR_H_
