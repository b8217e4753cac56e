#ifndef ORVANE_DICTIONARY_SCORE_VALUE_LABEL_SET_H_
#define ORVANE_DICTIONARY_SCORE_VALUE_LABEL_SET_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace MCOrvane_600 {

class ScoreValue;
class ScoreValueLabel;

// The labels of a variable in insertion order; for a categorical variable
// also its list of categories. Plug-ins are compiled against the order of the
// virtual operations below.
class ScoreValueLabelSet {
 public:
  virtual ~ScoreValueLabelSet() {}

  // Returns a new set, with its own labels, that the caller owns.
  virtual ScoreValueLabelSet* Clone() const = 0;
  // Takes ownership of `label` when it returns true (any non-null label).
  virtual bool Add(ScoreValueLabel* label) = 0;
  // Destroys the first held label whose value equals that of `label`;
  // `label` itself stays the caller's.
  virtual bool Remove(const ScoreValueLabel* label) = 0;
  virtual int Size() const = 0;
  // The held list itself; the set keeps ownership of the labels.
  virtual const std::vector<ScoreValueLabel*>& GetAllValueLabels() const = 0;
  // The text of the first label of `value`; empty when there is none.
  virtual std::string GetLabelOfValue(const ScoreValue* value) const = 0;
  virtual void Display(std::ostream& os) const = 0;

 protected:
  ScoreValueLabelSet() {}
  ScoreValueLabelSet(const ScoreValueLabelSet&) {}
  ScoreValueLabelSet& operator=(const ScoreValueLabelSet&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_VALUE_LABEL_SET_H_
