#ifndef ORVANE_DICTIONARY_SCORE_DICT_VAR_H_
#define ORVANE_DICTIONARY_SCORE_DICT_VAR_H_

#include <iosfwd>
#include <string>

// Kept free of value headers: DateTimeValue uses ScoreDictVar::DateTimeType,
// so including it here would close a cycle.

namespace MCOrvane_600 {

class ScoreValue;
class ScoreMissingValueSet;
class ScoreValueLabelSet;
class ScoreVarStats;

// One field of a case: name, storage type, measurement level, format and the
// attached missing values, labels (the categories) and statistics.
// Plug-ins are compiled against the order of the virtual operations below.
class ScoreDictVar {
 public:
  // Storage type; 2 and 3 are never produced by the library.
  enum VariableType : int {
    kNUMERIC_VAR = 0,
    kSTRING_VAR = 1,
    kDATETIME_VAR = 4,
  };

  enum MeasureLevel : int {
    kCONTINUOUS = 0,
    kORDINAL = 1,
    kNOMINAL = 2,
  };

  // How a written number of a date/time variable maps to stored seconds.
  enum DateTimeType : int {
    kNO_DATETIME = 0,
    kDATE = 1,
    kTIME = 2,
    kDATETIME = 3,
    kDATE_DAYS_SINCE_0 = 4,
    kDATE_DAYS_SINCE_1960 = 5,
    kDATE_DAYS_SINCE_1970 = 6,
    kDATE_DAYS_SINCE_1980 = 7,
    kTIME_SECONDS = 8,
    kDATETIME_SECONDS_SINCE_0 = 9,
    kDATETIME_SECONDS_SINCE_1960 = 10,
    kDATETIME_SECONDS_SINCE_1970 = 11,
    kDATETIME_SECONDS_SINCE_1980 = 12,
  };

  // Stored and returned for the plug-ins; the library never acts on it.
  enum OutlierHandleMethod : int {
    kAS_IS = 0,
    kAS_MISSING_VALUES = 1,
    kAS_EXTREME_VALUES = 2,
  };

  virtual ~ScoreDictVar() {}

  // Returns a new variable that the caller owns.
  virtual ScoreDictVar* Clone() const = 0;
  virtual bool operator==(const ScoreDictVar& other) const = 0;
  virtual bool IsMissingValue(const ScoreValue* value) const = 0;
  virtual bool IsValidValue(const ScoreValue* value) const = 0;
  virtual bool SetName(const std::string& name) = 0;
  virtual void SetLabel(const std::string& label) = 0;
  virtual void SetVarType(VariableType type) = 0;
  virtual void SetMLevel(MeasureLevel level) = 0;
  virtual void SetFormat(int decimals, int width) = 0;
  virtual void SetDecimal(int decimals) = 0;
  virtual void SetWidth(int width) = 0;
  virtual std::string GetName() const = 0;
  virtual std::string GetLabel() const = 0;
  virtual VariableType GetVarType() const = 0;
  virtual MeasureLevel GetMLevel() const = 0;
  virtual int GetDecimal() const = 0;
  virtual int GetWidth() const = 0;
  // Lent; may be null.
  virtual const ScoreVarStats* GetVarStats() const = 0;
  // Takes ownership of `stats`; does not destroy the statistics held before.
  virtual void SetVarStats(ScoreVarStats* stats) = 0;
  // Lent; may be null.
  virtual const ScoreValueLabelSet* GetValueLabels() const = 0;
  virtual std::string GetLabelOfValue(const ScoreValue* value) const = 0;
  // Lent; may be null.
  virtual const ScoreMissingValueSet* GetMissingValues() const = 0;
  // Takes ownership of `missing`; does not destroy the set held before.
  virtual void SetMissingValues(ScoreMissingValueSet* missing) = 0;
  // Takes ownership of `labels`; does not destroy the set held before.
  virtual void SetValueLabels(ScoreValueLabelSet* labels) = 0;
  // Returns a new value that the caller owns, or null.
  virtual ScoreValue* ToMyValue(const std::string& text) const = 0;
  virtual void Display(std::ostream& os) const = 0;
  virtual int GetNumberOfCats() const = 0;
  virtual void SetValueIndex(int index) = 0;
  virtual int GetValueIndex() const = 0;
  virtual void SetNoSpaceTrim(bool no_trim) = 0;
  virtual bool GetNoSpaceTrim() const = 0;
  virtual void SetEmptyStringOK(bool ok) = 0;
  virtual bool GetEmptyStringOK() const = 0;
  virtual std::string GetXMeasure() const = 0;
  virtual void SetXMeasure(const std::string& measure) = 0;
  virtual bool SetFlagVariable(bool flag) = 0;
  virtual bool IsFlagVariable() const = 0;
  virtual void SetOutlierHandleMethod(OutlierHandleMethod method) = 0;
  virtual int GetOutlierHandleMethod() const = 0;
  virtual bool IsDerivedVariable() const = 0;
  virtual void SetDateTimeType(DateTimeType type) = 0;
  virtual DateTimeType GetDateTimeType() const = 0;

 protected:
  ScoreDictVar() {}
  ScoreDictVar(const ScoreDictVar&) {}
  ScoreDictVar& operator=(const ScoreDictVar&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_DICT_VAR_H_
