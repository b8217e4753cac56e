#ifndef ORVANE_DICTIONARY_SCORE_VALUE_RANGE_H_
#define ORVANE_DICTIONARY_SCORE_VALUE_RANGE_H_

#include <iosfwd>

namespace MCOrvane_600 {

class ScoreValue;

// An interval of values with an inclusive or exclusive end on each side: a
// user-missing range, a valid-value interval or a discretisation bin. An
// open end is an infinite number. Plug-ins are compiled against the order of
// the virtual operations below.
class ScoreValueRange {
 public:
  virtual ~ScoreValueRange() {}

  virtual bool operator==(const ScoreValueRange& other) const = 0;
  // Returns a new range that the caller owns.
  virtual ScoreValueRange* Clone() const = 0;
  // Takes ownership of `min`; null is ignored. Does not destroy the min held
  // before.
  virtual void SetMin(ScoreValue* min) = 0;
  // Takes ownership of `max`; null is ignored. Does not destroy the max held
  // before.
  virtual void SetMax(ScoreValue* max) = 0;
  virtual bool IsInRange(const ScoreValue* value) const = 0;
  // Lent.
  virtual const ScoreValue* GetMin() const = 0;
  // Lent.
  virtual const ScoreValue* GetMax() const = 0;
  // Whether the max belongs to the range.
  virtual bool GetHighEnd() const = 0;
  // Whether the min belongs to the range.
  virtual bool GetLowEnd() const = 0;
  virtual void Display(std::ostream& os) const = 0;

 protected:
  ScoreValueRange() {}
  ScoreValueRange(const ScoreValueRange&) {}
  ScoreValueRange& operator=(const ScoreValueRange&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_VALUE_RANGE_H_
