// The NaiveBayesModel algorithm. The likelihood of target category T is
// count(T) times, for each input with a value, P(input value | T): the pair
// count over the input's total count for T (a discrete input, or a
// continuous one discretized by its DerivedField), or the density of T's
// distribution at the value (a continuous input with TargetValueStats). The
// model's threshold stands in for a zero count and bounds a density from
// below; the likelihoods normalised give the probabilities. Computed with
// logarithms so that many small factors do not underflow.

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_element.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;
constexpr double kNegativeInfinity = -std::numeric_limits<double>::infinity();
const double kLogSqrtTwoPi = 0.5 * std::log(2.0 * 3.14159265358979323846);

// One target category's distribution of a continuous input.
struct Distribution {
  enum Kind { kNone, kGaussian, kPoisson, kUniform } kind = kNone;  // kNone: no statistics
  double first = 0.0;   // mean; lower bound
  double second = 0.0;  // variance; upper bound

  // ln of the density at x; -inf where it is 0.
  double LogDensity(double x) const {
    switch (kind) {
      case kGaussian: {
        const double d = x - first;
        return -kLogSqrtTwoPi - 0.5 * std::log(second) - d * d / (2.0 * second);
      }
      case kPoisson:
        // The factorial through the gamma function, so that a value between
        // whole numbers has the interpolated mass.
        if (x < 0.0) return kNegativeInfinity;
        return x * std::log(first) - first - std::lgamma(x + 1.0);
      case kUniform:
        return x >= first && x <= second ? -std::log(second - first) : kNegativeInfinity;
      default:
        return kNegativeInfinity;
    }
  }
};

struct BayesInput {
  int input = 0;                          // the field, in inputs_
  std::unique_ptr<DerivedFields> derived;  // null: the field's own value
  bool continuous = false;
  std::vector<Distribution> distributions;   // continuous: by category
  std::vector<FieldCategory> values;          // discrete: the PairCounts' values
  std::vector<std::vector<double>> counts;    // discrete: [value][category]
  std::vector<double> totals;                 // discrete: by category, over the values
};

bool SameCategory(const std::string& a, const std::string& b) {
  if (a == b) return true;
  double x = 0.0, y = 0.0;
  return ParseNumber(a, &x) && ParseNumber(b, &y) && x == y;
}

class NaiveBayesAlgorithm : public ModelAlgorithm {
 public:
  NaiveBayesAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  int Category(const std::string& text, bool add);
  // Counts by category of a TargetValueCounts element.
  std::vector<double> ReadCounts(const DOMElement* parent, bool add, const ReadContext& context);
  void ReadInput(DOMElement* element, ReadContext* context);
  void ReadStats(const DOMElement* stats, BayesInput* input, const ReadContext& context);
  // ln P(value | category) for each category, added to `log_likelihoods`;
  // false (nothing added) when the input says nothing of this value.
  bool AddEvidence(const BayesInput& input, const ScoreValue* value,
                   std::vector<double>* log_likelihoods) const;

  double log_threshold_ = 0.0;
  ModelInputs inputs_;
  std::vector<std::string> categories_;
  // The distribution over categories_ lent to the prediction (one case at a time).
  mutable std::vector<std::pair<std::string, double>> distribution_;
  std::vector<double> priors_;  // target counts by category
  std::vector<BayesInput> bayes_inputs_;
};

NaiveBayesAlgorithm::NaiveBayesAlgorithm(DOMElement* model, ReadContext* context) {
  const std::string name = ElementName(model, *context);
  static const char* const kChildren[] = {
      "Extension", "MiningSchema", "Output", "ModelStats", "ModelExplanation", "Targets",
      "LocalTransformations", "BayesInputs", "BayesOutput", "ModelVerification", nullptr};
  CheckModelElement(model, kChildren, "classification", *context);
  const double threshold = RequiredNumberAttribute(model, "threshold", *context);
  if (!(threshold >= 0.0 && threshold <= 1.0)) {
    throw OVException(OVException::kCodeEmptyOrInvalid,
                      name + ": attribute threshold is not a probability");
  }
  log_threshold_ = std::log(threshold);

  const DOMElement* output = ChildElement(model, "BayesOutput");
  if (output == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": BayesOutput is absent");
  }
  static const char* const kOutputChildren[] = {"Extension", "TargetValueCounts", nullptr};
  RefuseUnknownChildren(output, kOutputChildren, *context);
  categories_ = context->TargetCategories();
  const DOMElement* priors = ChildElement(output, "TargetValueCounts");
  if (priors == nullptr) {
    throw OVException(OVException::kCodeStructure, "BayesOutput: TargetValueCounts is absent");
  }
  priors_ = ReadCounts(priors, true, *context);

  const DOMElement* inputs = ChildElement(model, "BayesInputs");
  if (inputs == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": BayesInputs is absent");
  }
  static const char* const kInputsChildren[] = {"Extension", "BayesInput", nullptr};
  RefuseUnknownChildren(inputs, kInputsChildren, *context);
  for (DOMElement* element : ChildElements(inputs, "BayesInput")) ReadInput(element, context);
}

int NaiveBayesAlgorithm::Category(const std::string& text, bool add) {
  for (size_t j = 0; j < categories_.size(); ++j) {
    if (SameCategory(categories_[j], text)) return static_cast<int>(j);
  }
  if (!add) return -1;
  categories_.push_back(text);
  return static_cast<int>(categories_.size() - 1);
}

std::vector<double> NaiveBayesAlgorithm::ReadCounts(const DOMElement* parent, bool add,
                                                    const ReadContext& context) {
  static const char* const kChildren[] = {"Extension", "TargetValueCount", nullptr};
  RefuseUnknownChildren(parent, kChildren, context);
  std::vector<std::pair<int, double>> entries;
  for (const DOMElement* entry : ChildElements(parent, "TargetValueCount")) {
    const std::string value = RequiredAttribute(entry, "value", context);
    const double count = RequiredNumberAttribute(entry, "count", context);
    if (!(count >= 0.0) || !std::isfinite(count)) {
      throw OVException(OVException::kCodeEmptyOrInvalid,
                        "TargetValueCount: attribute count of \"" + value + "\" is negative");
    }
    const int category = Category(value, add);
    if (category < 0) {
      throw OVException(OVException::kCodeEmptyOrInvalid,
                        "TargetValueCount: value \"" + value + "\" is no target category");
    }
    entries.emplace_back(category, count);
  }
  std::vector<double> counts(categories_.size(), 0.0);
  for (const auto& entry : entries) counts[entry.first] += entry.second;
  return counts;
}

void NaiveBayesAlgorithm::ReadInput(DOMElement* element, ReadContext* context) {
  static const char* const kChildren[] = {"Extension", "TargetValueStats", "DerivedField",
                                          "PairCounts", nullptr};
  RefuseUnknownChildren(element, kChildren, *context);
  const std::string field = RequiredAttribute(element, "fieldName", *context);
  BayesInput input;
  input.input = inputs_.Add(field, false, "BayesInput", *context);
  const std::vector<DOMElement*> derived = ChildElements(element, "DerivedField");
  if (derived.size() > 1) {
    throw OVException(OVException::kCodeStructure,
                      "BayesInput " + field + ": more than one DerivedField");
  }
  if (!derived.empty()) input.derived.reset(context->ReadDerivedFields(derived));

  const DOMElement* stats = ChildElement(element, "TargetValueStats");
  const std::vector<DOMElement*> pairs = ChildElements(element, "PairCounts");
  if ((stats == nullptr) == pairs.empty()) {
    throw OVException(OVException::kCodeStructure,
                      "BayesInput " + field + ": needs either TargetValueStats or PairCounts");
  }
  if (stats != nullptr) {
    if (input.derived == nullptr) inputs_.RequireNumeric(input.input, "BayesInput");
    ReadStats(stats, &input, *context);
  } else {
    for (const DOMElement* pair : pairs) {
      static const char* const kPairChildren[] = {"Extension", "TargetValueCounts", nullptr};
      RefuseUnknownChildren(pair, kPairChildren, *context);
      const DOMElement* counts = ChildElement(pair, "TargetValueCounts");
      if (counts == nullptr) {
        throw OVException(OVException::kCodeStructure,
                          "PairCounts: TargetValueCounts is absent");
      }
      // A derived value is compared by its text or number, not as the field's.
      input.values.emplace_back(input.derived == nullptr ? inputs_.field(input.input) : nullptr,
                                RequiredAttribute(pair, "value", *context));
      input.counts.push_back(ReadCounts(counts, false, *context));
    }
    input.totals.assign(categories_.size(), 0.0);
    for (const std::vector<double>& counts : input.counts) {
      for (size_t j = 0; j < counts.size(); ++j) input.totals[j] += counts[j];
    }
  }
  bayes_inputs_.push_back(std::move(input));
}

void NaiveBayesAlgorithm::ReadStats(const DOMElement* stats, BayesInput* input,
                                    const ReadContext& context) {
  static const char* const kChildren[] = {"Extension", "TargetValueStat", nullptr};
  RefuseUnknownChildren(stats, kChildren, context);
  input->continuous = true;
  input->distributions.assign(categories_.size(), Distribution());
  for (const DOMElement* stat : ChildElements(stats, "TargetValueStat")) {
    const std::string value = RequiredAttribute(stat, "value", context);
    const int category = Category(value, false);
    if (category < 0) {
      throw OVException(OVException::kCodeEmptyOrInvalid,
                        "TargetValueStat: value \"" + value + "\" is no target category");
    }
    static const char* const kStatChildren[] = {"Extension", "GaussianDistribution",
                                                "PoissonDistribution", "UniformDistribution",
                                                nullptr};
    for (const DOMElement* child : ChildElements(stat)) {
      const std::string kind = ElementName(child, context);
      if (kind == "AnyDistribution") {
        throw OVException(OVException::kCodeUnsupported,
                          "TargetValueStat: AnyDistribution gives no density");
      }
    }
    RefuseUnknownChildren(stat, kStatChildren, context);
    Distribution distribution;
    if (const DOMElement* gauss = ChildElement(stat, "GaussianDistribution")) {
      distribution.kind = Distribution::kGaussian;
      distribution.first = RequiredNumberAttribute(gauss, "mean", context);
      distribution.second = RequiredNumberAttribute(gauss, "variance", context);
      if (!(distribution.second > 0.0)) {
        throw OVException(OVException::kCodeEmptyOrInvalid,
                          "GaussianDistribution: attribute variance is not positive");
      }
    } else if (const DOMElement* poisson = ChildElement(stat, "PoissonDistribution")) {
      distribution.kind = Distribution::kPoisson;
      distribution.first = RequiredNumberAttribute(poisson, "mean", context);
      if (!(distribution.first > 0.0)) {
        throw OVException(OVException::kCodeEmptyOrInvalid,
                          "PoissonDistribution: attribute mean is not positive");
      }
    } else if (const DOMElement* uniform = ChildElement(stat, "UniformDistribution")) {
      distribution.kind = Distribution::kUniform;
      distribution.first = RequiredNumberAttribute(uniform, "lower", context);
      distribution.second = RequiredNumberAttribute(uniform, "upper", context);
      if (!(distribution.first < distribution.second)) {
        throw OVException(OVException::kCodeEmptyOrInvalid,
                          "UniformDistribution: attribute lower is not below upper");
      }
    } else {
      throw OVException(OVException::kCodeAbsent,
                        "TargetValueStat: the distribution of \"" + value + "\" is absent");
    }
    input->distributions[category] = distribution;
  }
}

bool NaiveBayesAlgorithm::AddEvidence(const BayesInput& input, const ScoreValue* value,
                                      std::vector<double>* log_likelihoods) const {
  const size_t n = categories_.size();
  if (input.continuous) {
    if (value->GetType() != ScoreValue::kNUMERIC_VALUE) return false;
    const double x = value->GetDouble();
    for (size_t j = 0; j < n; ++j) {
      (*log_likelihoods)[j] += std::max(input.distributions[j].LogDensity(x), log_threshold_);
    }
    return true;
  }
  // A value no PairCounts names would give every category the threshold:
  // it says nothing, so the input is passed over.
  for (size_t v = 0; v < input.values.size(); ++v) {
    if (!input.values[v].Matches(value)) continue;
    for (size_t j = 0; j < n; ++j) {
      const double count = input.counts[v][j];
      (*log_likelihoods)[j] += count > 0.0 && input.totals[j] > 0.0
                                   ? std::log(count / input.totals[j])
                                   : log_threshold_;
    }
    return true;
  }
  return false;
}

void NaiveBayesAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  std::vector<const ScoreValue*> values;
  inputs_.Fetch(fields, &values, out);  // no input is required: missing ones are skipped
  const size_t n = categories_.size();
  std::vector<double> log_likelihoods(n);
  for (size_t j = 0; j < n; ++j) {
    log_likelihoods[j] = priors_[j] > 0.0 ? std::log(priors_[j]) : kNegativeInfinity;
  }
  std::vector<const ScoreValue*> derived;
  for (const BayesInput& input : bayes_inputs_) {
    const ScoreValue* value = values[input.input];
    if (input.derived != nullptr) {
      input.derived->Compute(fields, &derived);
      value = derived.empty() ? nullptr : derived[0];
    }
    if (IsMissing(value)) continue;
    AddEvidence(input, value, &log_likelihoods);
  }
  double top = kNegativeInfinity;
  for (double l : log_likelihoods) top = std::max(top, l);
  if (top == kNegativeInfinity || std::isnan(top)) {
    out->valid = false;
    out->advice.emplace_back(kAdviceMissingScore, std::string());
    return;
  }
  std::vector<double> probabilities(n);
  double sum = 0.0;
  for (size_t j = 0; j < n; ++j) sum += probabilities[j] = std::exp(log_likelihoods[j] - top);
  for (double& p : probabilities) p /= sum;
  SetDistribution(categories_, probabilities, out, &distribution_);
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::NaiveBayesAlgorithm(model, context);
}
