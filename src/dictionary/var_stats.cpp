#include "orvane/dictionary/var_stats.h"

#include "dictionary/owning_map.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

VarStats::VarStats()
    : VarStats(NumericValue::GetSysmisValue(), -NumericValue::GetSysmisValue(), 0.0, 1.0) {}

VarStats::VarStats(double min, double max, double mean, double stddev)
    : min_(min), max_(max), mean_(mean), stddev_(stddev) {}

VarStats::VarStats(const VarStats& other)
    : ScoreVarStats(other),
      min_(other.min_),
      max_(other.max_),
      mean_(other.mean_),
      stddev_(other.stddev_),
      missing_replacement_(internal::CloneOrNull(other.missing_replacement_.get())) {}

VarStats& VarStats::operator=(const VarStats& other) {
  if (this != &other) {
    min_ = other.min_;
    max_ = other.max_;
    mean_ = other.mean_;
    stddev_ = other.stddev_;
    missing_replacement_ = internal::CloneOrNull(other.missing_replacement_.get());
  }
  return *this;
}

VarStats::~VarStats() = default;

ScoreVarStats* VarStats::Clone() const { return new VarStats(*this); }

void VarStats::SetMin(double min) { min_ = min; }

void VarStats::SetMax(double max) { max_ = max; }

void VarStats::SetStddev(double stddev) { stddev_ = stddev; }

void VarStats::SetMean(double mean) { mean_ = mean; }

void VarStats::SetMissingReplacement(const ScoreValue* value) {
  missing_replacement_ = internal::CloneOrNull(value);
}

double VarStats::GetMin() const { return min_; }

double VarStats::GetMax() const { return max_; }

double VarStats::GetStddev() const { return stddev_; }

double VarStats::GetMean() const { return mean_; }

const ScoreValue* VarStats::GetMissingReplacement() const { return missing_replacement_.get(); }

}  // namespace MCOrvane_600
