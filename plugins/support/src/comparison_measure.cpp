#include "orvane_plugins/comparison_measure.h"

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;

CompareFunction ParseCompareFunction(const std::string& text, const std::string& element) {
  static const struct {
    const char* name;
    CompareFunction function;
  } kNames[] = {{"absDiff", CompareFunction::kAbsDiff},
                {"gaussSim", CompareFunction::kGaussSim},
                {"delta", CompareFunction::kDelta},
                {"equal", CompareFunction::kEqual},
                {"table", CompareFunction::kTable}};
  for (const auto& entry : kNames) {
    if (text == entry.name) return entry.function;
  }
  throw OVException(OVException::kCodeUnsupported,
                    element + ": compareFunction \"" + text + "\" is not supported");
}

ComparisonMeasure::ComparisonMeasure(const xercesc::DOMElement* element,
                                     const ReadContext& context) {
  const std::string kind = RequiredAttribute(element, "kind", context);
  if (kind == "similarity") {
    similarity_ = true;
  } else if (kind != "distance") {
    throw OVException(OVException::kCodeUnsupported,
                      "ComparisonMeasure: kind \"" + kind + "\" is not supported");
  }
  if (HasAttribute(element, "compareFunction")) {
    compare_ =
        ParseCompareFunction(Attribute(element, "compareFunction", context), "ComparisonMeasure");
  }
  static const struct {
    const char* name;
    Measure measure;
  } kMeasures[] = {
      {"euclidean", Measure::kEuclidean},
      {"squaredEuclidean", Measure::kSquaredEuclidean},
      {"chebychev", Measure::kChebychev},
      {"cityBlock", Measure::kCityBlock},
      {"minkowski", Measure::kMinkowski},
      {"simpleMatching", Measure::kSimpleMatching},
      {"jaccard", Measure::kJaccard},
      {"tanimoto", Measure::kTanimoto},
      {"binarySimilarity", Measure::kBinarySimilarity},
  };
  const xercesc::DOMElement* found = nullptr;
  for (const xercesc::DOMElement* child : ChildElements(element)) {
    const std::string name = ElementName(child, context);
    if (name == "Extension") continue;
    bool known = false;
    for (const auto& entry : kMeasures) {
      if (name == entry.name) {
        measure_ = entry.measure;
        known = true;
      }
    }
    if (!known || found != nullptr) {
      throw OVException(OVException::kCodeUnsupported,
                        name + " in ComparisonMeasure is not supported");
    }
    found = child;
  }
  if (found == nullptr) {
    throw OVException(OVException::kCodeStructure, "ComparisonMeasure: the measure is absent");
  }
  if (measure_ == Measure::kMinkowski) {
    p_ = RequiredNumberAttribute(found, "p-parameter", context);
    if (!(p_ > 0.0)) {
      throw OVException(OVException::kCodeSemantic, "minkowski: p-parameter must be positive");
    }
  } else if (measure_ == Measure::kBinarySimilarity) {
    static const char* const kC[] = {"c00-parameter", "c01-parameter", "c10-parameter",
                                     "c11-parameter"};
    static const char* const kD[] = {"d00-parameter", "d01-parameter", "d10-parameter",
                                     "d11-parameter"};
    for (int i = 0; i < 4; ++i) {
      c_[i] = RequiredNumberAttribute(found, kC[i], context);
      d_[i] = RequiredNumberAttribute(found, kD[i], context);
    }
  }
}

double ComparisonMeasure::FromCounts(const double a[4]) const {
  switch (measure_) {
    case Measure::kSimpleMatching:
      return (a[3] + a[0]) / (a[0] + a[1] + a[2] + a[3]);
    case Measure::kJaccard:
      return a[3] / (a[3] + a[1] + a[2]);
    case Measure::kTanimoto:
      return (a[3] + a[0]) / (a[3] + 2.0 * (a[1] + a[2]) + a[0]);
    default: {
      double top = 0.0;
      double bottom = 0.0;
      for (int k = 0; k < 4; ++k) {
        top += c_[k] * a[k];
        bottom += d_[k] * a[k];
      }
      return top / bottom;
    }
  }
}

}  // namespace orvane_plugins
