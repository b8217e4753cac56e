#ifndef ORVANE_DICTIONARY_MISSING_VALUE_SET_H_
#define ORVANE_DICTIONARY_MISSING_VALUE_SET_H_

#include <iosfwd>
#include <vector>

#include "orvane/dictionary/score_missing_value_set.h"

namespace MCOrvane_600 {

// The library's missing-value set: ranges in insertion order, no two equal
// when filled through Add. Owns its ranges; copies are deep.
class MissingValueSet : public ScoreMissingValueSet {
 public:
  MissingValueSet();
  // Clones every range of `other`, in order.
  MissingValueSet(const MissingValueSet& other);
  // Destroys the own ranges, then clones those of `other`.
  MissingValueSet& operator=(const MissingValueSet& other);
  ~MissingValueSet() override;

  ScoreMissingValueSet* Clone() const override;
  // Takes ownership of `range` when it returns true; on false (null, or a
  // range equal to one held) the caller keeps it.
  bool Add(ScoreValueRange* range) override;
  // Destroys every held range equal to `range`; `range` stays the caller's.
  bool Remove(const ScoreValueRange* range) override;
  int Size() const override;
  // Equality is the held range's operator== with `range` as operand.
  bool Contains(const ScoreValueRange* range) const override;
  std::vector<const ScoreValueRange*> GetMissingValues() const override;
  void Display(std::ostream& os) const override;

 private:
  // Owned.
  std::vector<ScoreValueRange*> ranges_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_MISSING_VALUE_SET_H_
