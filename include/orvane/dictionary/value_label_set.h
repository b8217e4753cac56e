#ifndef ORVANE_DICTIONARY_VALUE_LABEL_SET_H_
#define ORVANE_DICTIONARY_VALUE_LABEL_SET_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "orvane/dictionary/score_value_label_set.h"

namespace MCOrvane_600 {

// The library's label set: labels in insertion order. Duplicates are not
// refused here; the document readers report them. Owns its labels; copies
// are deep.
class ValueLabelSet : public ScoreValueLabelSet {
 public:
  ValueLabelSet();
  // Clones every label of `other`, in order.
  ValueLabelSet(const ValueLabelSet& other);
  // Destroys the own labels, then clones those of `other`.
  ValueLabelSet& operator=(const ValueLabelSet& other);
  ~ValueLabelSet() override;

  ScoreValueLabelSet* Clone() const override;
  // Takes ownership of `label` when it returns true (any non-null label).
  bool Add(ScoreValueLabel* label) override;
  // Destroys the first held label equal to `label` (equal values);
  // `label` stays the caller's.
  bool Remove(const ScoreValueLabel* label) override;
  int Size() const override;
  const std::vector<ScoreValueLabel*>& GetAllValueLabels() const override;
  std::string GetLabelOfValue(const ScoreValue* value) const override;
  void Display(std::ostream& os) const override;

 private:
  // Owned.
  std::vector<ScoreValueLabel*> labels_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_VALUE_LABEL_SET_H_
