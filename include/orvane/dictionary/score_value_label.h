#ifndef ORVANE_DICTIONARY_SCORE_VALUE_LABEL_H_
#define ORVANE_DICTIONARY_SCORE_VALUE_LABEL_H_

#include <iosfwd>
#include <string>

namespace MCOrvane_600 {

class ScoreValue;

// One value of a variable with its display text. Labels compare by their
// values only, never by their texts. Plug-ins are compiled against the order
// of the virtual operations below.
class ScoreValueLabel {
 public:
  virtual ~ScoreValueLabel() {}

  // Refuses a null value or an empty label. Takes ownership of `value` when
  // it returns true; does not destroy the value held before.
  virtual bool SetValueLabel(ScoreValue* value, const std::string& label) = 0;
  // Refuses an empty label.
  virtual bool SetLabel(const std::string& label) = 0;
  // Returns a new label that the caller owns.
  virtual ScoreValueLabel* Clone() const = 0;
  virtual bool operator==(const ScoreValueLabel& other) const = 0;
  virtual bool operator>(const ScoreValueLabel& other) const = 0;
  virtual bool operator<(const ScoreValueLabel& other) const = 0;
  virtual bool operator<=(const ScoreValueLabel& other) const = 0;
  virtual bool operator>=(const ScoreValueLabel& other) const = 0;
  virtual std::string GetLabel() const = 0;
  // Lent; may be null.
  virtual const ScoreValue* GetValue() const = 0;
  virtual void Display(std::ostream& os) const = 0;

 protected:
  ScoreValueLabel() {}
  ScoreValueLabel(const ScoreValueLabel&) {}
  ScoreValueLabel& operator=(const ScoreValueLabel&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_VALUE_LABEL_H_
