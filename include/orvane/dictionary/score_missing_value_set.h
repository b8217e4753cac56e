#ifndef ORVANE_DICTIONARY_SCORE_MISSING_VALUE_SET_H_
#define ORVANE_DICTIONARY_SCORE_MISSING_VALUE_SET_H_

#include <iosfwd>
#include <vector>

namespace MCOrvane_600 {

class ScoreValueRange;

// The user-missing values of a variable: an owning list of ranges. A value is
// missing when it falls into any of them. Plug-ins are compiled against the
// order of the virtual operations below.
class ScoreMissingValueSet {
 public:
  virtual ~ScoreMissingValueSet() {}

  // Returns a new set, with its own ranges, that the caller owns.
  virtual ScoreMissingValueSet* Clone() const = 0;
  // Takes ownership of `range` when it returns true; on false (null, or a
  // range equal to one held) the caller keeps it.
  virtual bool Add(ScoreValueRange* range) = 0;
  // Destroys every held range equal to `range`; `range` itself stays the
  // caller's.
  virtual bool Remove(const ScoreValueRange* range) = 0;
  virtual int Size() const = 0;
  virtual bool Contains(const ScoreValueRange* range) const = 0;
  // The held ranges in order, lent.
  virtual std::vector<const ScoreValueRange*> GetMissingValues() const = 0;
  virtual void Display(std::ostream& os) const = 0;

 protected:
  ScoreMissingValueSet() {}
  ScoreMissingValueSet(const ScoreMissingValueSet&) {}
  ScoreMissingValueSet& operator=(const ScoreMissingValueSet&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_MISSING_VALUE_SET_H_
