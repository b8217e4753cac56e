#ifndef ORVANE_PLUGINS_COMPARISON_MEASURE_H_
#define ORVANE_PLUGINS_COMPARISON_MEASURE_H_

// PMML's ComparisonMeasure, shared by the models that measure how near a
// case is to a point (cluster centers, training instances): its kind, the
// measure that combines the per-field comparisons, and the compare functions.

#include <algorithm>
#include <cmath>
#include <string>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

class ReadContext;

enum class CompareFunction { kAbsDiff, kGaussSim, kDelta, kEqual, kTable };

// The compareFunction `text`; code 5 naming `element` for another text.
CompareFunction ParseCompareFunction(const std::string& text, const std::string& element);

class ComparisonMeasure {
 public:
  enum class Measure {
    kEuclidean,
    kSquaredEuclidean,
    kChebychev,
    kCityBlock,
    kMinkowski,
    kSimpleMatching,
    kJaccard,
    kTanimoto,
    kBinarySimilarity
  };

  // Reads `element` (lent during the call). Code 5 for an unknown kind,
  // measure or compare function, code 1 without a measure, codes 4, 3 and 6
  // for its absent, non-numeric or out-of-range parameters.
  ComparisonMeasure(const xercesc::DOMElement* element, const ReadContext& context);

  // kind="similarity": the largest value is the nearest.
  bool similarity() const { return similarity_; }
  // One of the binary similarities, computed from counts (FromCounts).
  bool binary() const { return measure_ >= Measure::kSimpleMatching; }
  // The compare function of fields that name none (absDiff unless given).
  CompareFunction compare() const { return compare_; }

  // A distance measure is accumulated over the fields into `inner` (from 0)
  // with each field's weight and comparison, then finished. Inline: they run
  // once per field and point compared.
  void Add(double weight, double comparison, double* inner) const {
    switch (measure_) {
      case Measure::kCityBlock: *inner += weight * comparison; break;
      case Measure::kChebychev: *inner = std::max(*inner, weight * comparison); break;
      case Measure::kMinkowski: *inner += weight * std::pow(comparison, p_); break;
      default: *inner += weight * comparison * comparison; break;
    }
  }
  double Finish(double inner) const {
    if (measure_ == Measure::kEuclidean) return std::sqrt(inner);
    if (measure_ == Measure::kMinkowski) return std::pow(inner, 1.0 / p_);
    return inner;
  }
  // A binary similarity from the counts of the (case, point) value pairs
  // 00, 01, 10 and 11.
  double FromCounts(const double counts[4]) const;

 private:
  bool similarity_ = false;
  Measure measure_ = Measure::kSquaredEuclidean;
  CompareFunction compare_ = CompareFunction::kAbsDiff;
  double p_ = 2.0;                                    // minkowski
  double c_[4] = {0, 0, 0, 0}, d_[4] = {0, 0, 0, 0};  // binarySimilarity
};

// absDiff, gaussSim (with `scale`, its similarityScale), delta and equal
// between two numbers; 0 for table, which needs the field's matrix.
inline double CompareNumbers(CompareFunction function, double x, double y, double scale) {
  switch (function) {
    case CompareFunction::kAbsDiff: return std::fabs(x - y);
    case CompareFunction::kGaussSim:
      return std::exp(-std::log(2.0) * (x - y) * (x - y) / (scale * scale));
    case CompareFunction::kDelta: return x == y ? 0.0 : 1.0;
    case CompareFunction::kEqual: return x == y ? 1.0 : 0.0;
    case CompareFunction::kTable: break;
  }
  return 0.0;
}

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_COMPARISON_MEASURE_H_
