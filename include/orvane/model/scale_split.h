#ifndef ORVANE_MODEL_SCALE_SPLIT_H_
#define ORVANE_MODEL_SCALE_SPLIT_H_

#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "orvane/model/score_split_var.h"

namespace MCOrvane_600 {

class ScoreDictVar;
class ScoreValue;
class ScoreValueRange;

// A split on a continuous variable: a list of value ranges, each assigned to
// a child. Ranges may overlap; the first range that holds a value wins.
//
// Unlike DiscreteSplit, a value that the split variable declares missing
// always goes to the missing-value child, even when a range holds it.
class ScaleSplit : public ScoreSplitVar {
 public:
  // Does not take ownership of `split_var`.
  explicit ScaleSplit(const ScoreDictVar* split_var);
  // Deep copy: every range is cloned.
  ScaleSplit(const ScaleSplit& other);
  // Replaces this split's entries by clones of `other`'s.
  ScaleSplit& operator=(const ScaleSplit& other);
  ~ScaleSplit() override;

  ScoreSplitVar* Clone() const override;

  // Absent values, values missing for the split variable and values that no
  // range holds go to the missing-value child.
  int GetSplitChildIndex(const ScoreValue* value) const override;

  void Display(std::ostream& os) const override;

  // Takes ownership of `range`. A null range is kept but holds nothing.
  void PutSplit(ScoreValueRange* range, int child_index);

  // The range of the first entry for `child_index`, or null. Owned by the split.
  const ScoreValueRange* GetSplitValueRangeForIndex(int child_index) const;
  // The first entry's range, or null when there is none. Owned by the split.
  const ScoreValueRange* GetSplitValueRangeFirst() const;

 private:
  using Entry = std::pair<std::unique_ptr<ScoreValueRange>, int>;

  void AppendClonesOf(const ScaleSplit& other);

  std::vector<Entry> entries_;  // in insertion order; ranges owned
};

}  // namespace MCOrvane_600

#endif  // ORVANE_MODEL_SCALE_SPLIT_H_
