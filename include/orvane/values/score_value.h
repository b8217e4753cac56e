#ifndef ORVANE_VALUES_SCORE_VALUE_H_
#define ORVANE_VALUES_SCORE_VALUE_H_

#include <string>

namespace MCOrvane_600 {

// One value of one variable in one case: a field, a category, a range bound,
// a label's value, a split value or a derived result. Always handled through
// a pointer; values made by GetValue() and Clone() belong to the caller.
//
// The virtual operations are declared in slot order; plug-ins are compiled
// against that order, so never reorder them or insert one in between.
class ScoreValue {
 public:
  // What GetType() answers. 2, 3 and 4 belong to no class; test a type
  // against these three values only.
  enum ValueType {
    kNUMERIC_VALUE = 0,
    kSTRING_VALUE = 1,
    kDATETIME_VALUE = 5,
  };

  virtual ~ScoreValue();

  // Takes the value of `other` where the types allow it (see each class);
  // does not take ownership of `other`.
  virtual void SetValue(const ScoreValue* other) = 0;
  // A new value holding the same value; the caller owns it.
  virtual ScoreValue* GetValue() const = 0;
  // A new copy of this value; the caller owns it.
  virtual ScoreValue* Clone() const = 0;
  virtual bool operator==(const ScoreValue& other) const = 0;
  // Equality under a string variable's settings: its no-space-trim flag and
  // its empty-string-OK flag.
  virtual bool Equal(const ScoreValue* other, bool noSpaceTrim, bool emptyStringOK) const = 0;
  virtual bool operator>(const ScoreValue& other) const = 0;
  virtual bool operator<(const ScoreValue& other) const = 0;
  virtual bool operator<=(const ScoreValue& other) const = 0;
  virtual bool operator>=(const ScoreValue& other) const = 0;
  virtual bool IsSystemMissingValue() const = 0;
  virtual int GetInt() const = 0;
  virtual double GetDouble() const = 0;
  virtual std::string GetString() const = 0;
  virtual ValueType GetType() const = 0;

 protected:
  // Values are copied through their concrete classes only; protected so that
  // assigning through a ScoreValue& cannot slice.
  constexpr ScoreValue() = default;
  constexpr ScoreValue(const ScoreValue&) = default;
  ScoreValue& operator=(const ScoreValue&) = default;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_VALUES_SCORE_VALUE_H_
