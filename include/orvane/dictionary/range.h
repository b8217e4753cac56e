#ifndef ORVANE_DICTIONARY_RANGE_H_
#define ORVANE_DICTIONARY_RANGE_H_

#include <iosfwd>
#include <memory>

#include "orvane/dictionary/score_value_range.h"

namespace MCOrvane_600 {

// The library's value range. Both ends are always present; an open lower end
// is a NumericValue of minus infinity, an open upper end one of plus
// infinity. A numeric system-missing min is turned into minus infinity when it
// is given (constructors and SetMin), so it means "open below".
class Range : public ScoreValueRange {
 public:
  // Takes ownership of `min` and `max`. A null min becomes minus infinity, a
  // null max plus infinity; when both are the same object the max becomes a
  // clone of it, so the range always owns two objects.
  Range(ScoreValue* min, ScoreValue* max, bool lowIncluded, bool highIncluded);
  Range(double min, double max, bool lowIncluded, bool highIncluded);
  // The single value `value` (taking ownership), both ends included; null
  // gives the whole line.
  explicit Range(ScoreValue* value);
  // Clones both ends.
  Range(const Range& other);
  Range& operator=(const Range& other);
  ~Range() override;

  // Equal ends (by the ends' own operator==) and equal flags.
  bool operator==(const ScoreValueRange& other) const override;
  ScoreValueRange* Clone() const override;
  // Takes ownership of `min`; null is ignored. The min held before is NOT
  // destroyed: whoever replaces it must have kept it and destroys it.
  void SetMin(ScoreValue* min) override;
  // Takes ownership of `max`; null is ignored. The max held before is NOT
  // destroyed: whoever replaces it must have kept it and destroys it.
  void SetMax(ScoreValue* max) override;
  // Compares `value` (as the left operand) with the min first; the max only
  // when the min test holds. Null is never in range.
  bool IsInRange(const ScoreValue* value) const override;
  const ScoreValue* GetMin() const override;
  const ScoreValue* GetMax() const override;
  bool GetHighEnd() const override;
  bool GetLowEnd() const override;
  void Display(std::ostream& os) const override;

 private:
  std::unique_ptr<ScoreValue> min_;
  std::unique_ptr<ScoreValue> max_;
  bool high_included_;
  bool low_included_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_RANGE_H_
