#ifndef ORVANE_MODEL_DISCRETE_SPLIT_H_
#define ORVANE_MODEL_DISCRETE_SPLIT_H_

#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "orvane/model/score_split_var.h"

namespace MCOrvane_600 {

class ScoreDictVar;
class ScoreValue;

// A split on a categorical or ordinal variable: a list of category values,
// each assigned to a child. Several values may lead to one child; when a
// value is listed twice the first entry wins.
//
// Routing does not consult the variable's missing values: a missing-value
// code listed as a category is routed like any other category.
class DiscreteSplit : public ScoreSplitVar {
 public:
  // Does not take ownership of `split_var`.
  explicit DiscreteSplit(const ScoreDictVar* split_var);
  // Deep copy: every category value is cloned.
  DiscreteSplit(const DiscreteSplit& other);
  // Replaces this split's entries by clones of `other`'s.
  DiscreteSplit& operator=(const DiscreteSplit& other);
  ~DiscreteSplit() override;

  ScoreSplitVar* Clone() const override;

  // Absent values and values that match no category go to the
  // missing-value child. String variables compare with the variable's
  // no-space-trim and empty-string settings; other types with ==.
  int GetSplitChildIndex(const ScoreValue* value) const override;

  void Display(std::ostream& os) const override;

  // Takes ownership of `value`. A null value is kept but matches nothing.
  void PutSplit(ScoreValue* value, int child_index);

  // The returned pointers stay owned by the split.
  std::vector<const ScoreValue*> GetSplitValues() const;
  std::vector<const ScoreValue*> GetSplitValuesFirst() const;
  std::vector<const ScoreValue*> GetSplitValuesForIndex(int child_index) const;

  // A range of split value indexes that the plug-in assigns to this split;
  // only stored and displayed. Both are -1 until set.
  void SetStartAndEndIndex(int start, int end);
  void GetStartAndEndIndex(int& start, int& end) const;

 private:
  using Entry = std::pair<std::unique_ptr<ScoreValue>, int>;

  void AppendClonesOf(const DiscreteSplit& other);

  std::vector<Entry> entries_;  // in insertion order; values owned
  int start_index_;
  int end_index_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_MODEL_DISCRETE_SPLIT_H_
