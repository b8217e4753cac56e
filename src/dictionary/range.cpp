#include "orvane/dictionary/range.h"

#include <ostream>

#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

namespace {

// A numeric system-missing lower end means "open below": its number becomes
// minus infinity. Date/time values (type 5) are left alone.
ScoreValue* NormaliseMin(ScoreValue* min) {
  if (min->IsSystemMissingValue() && min->GetType() == ScoreValue::kNUMERIC_VALUE) {
    const NumericValue minus_infinity(-NumericValue::GetInfinity());
    min->SetValue(&minus_infinity);
  }
  return min;
}

ScoreValue* OpenLow() { return new NumericValue(-NumericValue::GetInfinity()); }

// The max of a range whose min, already normalised, is `min`: one object
// given for both ends is cloned so that the range owns two.
ScoreValue* OwnMax(const ScoreValue* min, ScoreValue* max) {
  if (max == nullptr) return new NumericValue(NumericValue::GetInfinity());
  return max == min ? min->Clone() : max;
}

void WriteEnd(std::ostream& os, const ScoreValue& end) {
  if (const auto* number = dynamic_cast<const NumericValue*>(&end)) {
    os << number->GetDouble();
  } else {
    os << end.GetString();
  }
}

}  // namespace

Range::Range(ScoreValue* min, ScoreValue* max, bool low_included, bool high_included)
    : min_(min != nullptr ? NormaliseMin(min) : OpenLow()),
      max_(OwnMax(min, max)),
      high_included_(high_included),
      low_included_(low_included) {}

Range::Range(double min, double max, bool low_included, bool high_included)
    : min_(NumericValue::IsSystemMissingValue(min) ? OpenLow() : new NumericValue(min)),
      max_(new NumericValue(max)),
      high_included_(high_included),
      low_included_(low_included) {}

Range::Range(ScoreValue* value) : Range(value, value, true, true) {}

Range::Range(const Range& other)
    : ScoreValueRange(other),
      min_(other.min_->Clone()),
      max_(other.max_->Clone()),
      high_included_(other.high_included_),
      low_included_(other.low_included_) {}

Range& Range::operator=(const Range& other) {
  if (this != &other) {
    min_.reset(other.min_->Clone());
    max_.reset(other.max_->Clone());
    high_included_ = other.high_included_;
    low_included_ = other.low_included_;
  }
  return *this;
}

Range::~Range() = default;

bool Range::operator==(const ScoreValueRange& other) const {
  const ScoreValue* other_min = other.GetMin();
  const ScoreValue* other_max = other.GetMax();
  return other_min != nullptr && other_max != nullptr && *min_ == *other_min &&
         *max_ == *other_max && high_included_ == other.GetHighEnd() &&
         low_included_ == other.GetLowEnd();
}

ScoreValueRange* Range::Clone() const { return new Range(*this); }

void Range::SetMin(ScoreValue* min) {
  if (min == nullptr) return;
  // The former min is deliberately not destroyed (see the declaration).
  static_cast<void>(min_.release());
  min_.reset(NormaliseMin(min));
}

void Range::SetMax(ScoreValue* max) {
  if (max == nullptr) return;
  // The former max is deliberately not destroyed (see the declaration).
  static_cast<void>(max_.release());
  max_.reset(max);
}

bool Range::IsInRange(const ScoreValue* value) const {
  if (value == nullptr) return false;
  const bool above_min = low_included_ ? *value >= *min_ : *value > *min_;
  if (!above_min) return false;
  return high_included_ ? *value <= *max_ : *value < *max_;
}

const ScoreValue* Range::GetMin() const { return min_.get(); }

const ScoreValue* Range::GetMax() const { return max_.get(); }

bool Range::GetHighEnd() const { return high_included_; }

bool Range::GetLowEnd() const { return low_included_; }

void Range::Display(std::ostream& os) const {
  os << "  Start Range Display   \n"
     << "MinValue: ";
  WriteEnd(os, *min_);
  os << ";  MaxValue: ";
  WriteEnd(os, *max_);
  os << (high_included_ ? "; High End included" : "; High End not included")
     << (low_included_ ? "; lower End included" : "; lower End not included")
     << "\n End of Range Display\n\n";
}

}  // namespace MCOrvane_600
