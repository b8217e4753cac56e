// The RuleSetModel algorithm: rules whose predicates fire on a case (a
// CompoundRule's predicate gates the rules inside it; UNKNOWN never fires),
// one RuleSelectionMethod that turns the firing rules into a category and a
// confidence, and the RuleSet's default when no rule fires.

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_element.h"
#include "orvane_plugins/predicate.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using xercesc::DOMElement;

enum class Criterion { kFirstHit, kWeightedSum, kWeightedMax };

Criterion ParseCriterion(const std::string& text) {
  if (text == "firstHit") return Criterion::kFirstHit;
  if (text == "weightedSum") return Criterion::kWeightedSum;
  if (text == "weightedMax") return Criterion::kWeightedMax;
  throw OVException(OVException::kCodeUnsupported,
                    "RuleSelectionMethod: criterion \"" + text + "\" is not supported");
}

// A SimpleRule, or a CompoundRule with the rules it gates.
struct Rule {
  std::unique_ptr<Predicate> predicate;
  std::vector<Rule> rules;  // a CompoundRule's; empty for a SimpleRule
  bool simple = true;
  std::string id;
  int category = 0;  // index of the score among the model's categories
  double weight = 1.0;
  double confidence = 1.0;
  // By category; empty: no ScoreDistribution. Categories first met after it
  // was read are past its end and have probability 0.
  std::vector<double> probabilities;
};

class RuleSetAlgorithm : public ModelAlgorithm {
 public:
  RuleSetAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  void ReadRules(const DOMElement* parent, ReadContext* context, std::vector<Rule>* rules);
  int Category(const std::string& text);
  std::vector<double> ReadDistribution(const DOMElement* parent, const ReadContext& context);
  // The simple rules that fire, in document order; stops at the first when
  // `first_only`.
  void Collect(const std::vector<Rule>& rules, const FieldValues& fields, bool first_only,
               std::vector<const Rule*>* fired) const;
  void Fill(int category, double confidence, const std::vector<double>& probabilities,
            const std::string* id, Prediction* out) const;  // `id` lent; null: none

  Criterion criterion_ = Criterion::kFirstHit;
  std::vector<std::string> categories_;  // the target's, then new scores in document order
  std::vector<Rule> rules_;
  int rule_count_ = 0;
  bool has_default_ = false;
  int default_category_ = 0;
  double default_confidence_ = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> default_probabilities_;
};

RuleSetAlgorithm::RuleSetAlgorithm(DOMElement* model, ReadContext* context) {
  const std::string name = ElementName(model, *context);
  static const char* const kChildren[] = {
      "Extension", "MiningSchema", "Output", "ModelStats", "ModelExplanation", "Targets",
      "LocalTransformations", "RuleSet", "ModelVerification", nullptr};
  CheckModelElement(model, kChildren, "classification", *context);
  const DOMElement* set = ChildElement(model, "RuleSet");
  if (set == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": RuleSet is absent");
  }
  static const char* const kSetChildren[] = {"Extension", "RuleSelectionMethod",
                                             "ScoreDistribution", "SimpleRule", "CompoundRule",
                                             nullptr};
  RefuseUnknownChildren(set, kSetChildren, *context);
  categories_ = context->TargetCategories();

  // The first method is the one that scores; the others are alternatives a
  // host might choose, read only to refuse what is unknown.
  const std::vector<DOMElement*> methods = ChildElements(set, "RuleSelectionMethod");
  if (methods.empty()) {
    throw OVException(OVException::kCodeStructure, "RuleSet: RuleSelectionMethod is absent");
  }
  for (size_t i = 0; i < methods.size(); ++i) {
    const Criterion criterion = ParseCriterion(RequiredAttribute(methods[i], "criterion", *context));
    if (i == 0) criterion_ = criterion;
  }

  if (HasAttribute(set, "defaultScore")) {
    has_default_ = true;
    default_category_ = Category(RequiredAttribute(set, "defaultScore", *context));
    default_confidence_ = NumberAttribute(set, "defaultConfidence", default_confidence_, *context);
  }
  default_probabilities_ = ReadDistribution(set, *context);
  ReadRules(set, context, &rules_);
}

int RuleSetAlgorithm::Category(const std::string& text) {
  for (size_t j = 0; j < categories_.size(); ++j) {
    if (categories_[j] == text) return static_cast<int>(j);
  }
  categories_.push_back(text);
  return static_cast<int>(categories_.size() - 1);
}

std::vector<double> RuleSetAlgorithm::ReadDistribution(const DOMElement* parent,
                                                       const ReadContext& context) {
  const std::vector<DOMElement*> entries = ChildElements(parent, "ScoreDistribution");
  if (entries.empty()) return {};
  // Probabilities as the document states them, else record counts relative
  // to their sum.
  bool stated = true;
  for (const DOMElement* entry : entries) stated = stated && HasAttribute(entry, "probability");
  std::vector<std::pair<int, double>> shares;
  double total = 0.0;
  for (const DOMElement* entry : entries) {
    const int category = Category(RequiredAttribute(entry, "value", context));
    const double share = stated ? RequiredNumberAttribute(entry, "probability", context)
                                : RequiredNumberAttribute(entry, "recordCount", context);
    if (share < 0.0 || !std::isfinite(share)) {
      throw OVException(OVException::kCodeEmptyOrInvalid,
                        std::string("ScoreDistribution: attribute ") +
                            (stated ? "probability" : "recordCount") + " is negative");
    }
    total += share;
    shares.emplace_back(category, share);
  }
  std::vector<double> probabilities;
  for (const auto& share : shares) {
    if (static_cast<size_t>(share.first) >= probabilities.size()) {
      probabilities.resize(share.first + 1, 0.0);
    }
    probabilities[share.first] += stated ? share.second : (total > 0.0 ? share.second / total : 0.0);
  }
  return probabilities;
}

void RuleSetAlgorithm::ReadRules(const DOMElement* parent, ReadContext* context,
                                 std::vector<Rule>* rules) {
  for (DOMElement* element : ChildElements(parent)) {
    const std::string kind = ElementName(element, *context);
    if (kind != "SimpleRule" && kind != "CompoundRule") continue;
    Rule rule;
    rule.predicate.reset(ReadPredicateChild(element, context));
    if (kind == "CompoundRule") {
      rule.simple = false;
      ReadRules(element, context, &rule.rules);
      if (rule.rules.empty()) {
        throw OVException(OVException::kCodeStructure, "CompoundRule: rules are absent");
      }
    } else {
      ++rule_count_;
      // A rule without an id is known by its position among the simple
      // rules, counted from 1 in document order.
      rule.id = HasAttribute(element, "id") ? Attribute(element, "id", *context)
                                            : std::to_string(rule_count_);
      rule.category = Category(RequiredAttribute(element, "score", *context));
      rule.weight = NumberAttribute(element, "weight", 1.0, *context);
      rule.confidence = NumberAttribute(element, "confidence", 1.0, *context);
      rule.probabilities = ReadDistribution(element, *context);
    }
    rules->push_back(std::move(rule));
  }
}

void RuleSetAlgorithm::Collect(const std::vector<Rule>& rules, const FieldValues& fields,
                               bool first_only, std::vector<const Rule*>* fired) const {
  for (const Rule& rule : rules) {
    if (first_only && !fired->empty()) return;
    if (!Fires(*rule.predicate, fields)) continue;
    if (rule.simple) {
      fired->push_back(&rule);
    } else {
      Collect(rule.rules, fields, first_only, fired);
    }
  }
}

void RuleSetAlgorithm::Fill(int category, double confidence,
                            const std::vector<double>& probabilities, const std::string* id,
                            Prediction* out) const {
  out->valid = true;
  out->is_category = true;
  out->category.Lend(&categories_[category]);
  out->confidence = confidence;
  if (id != nullptr) {
    out->entity_id.Lend(id);
  } else {
    out->entity_id.Clear();
  }
  out->ClearProbabilities();
  if (probabilities.empty()) return;
  for (size_t j = 0; j < categories_.size(); ++j) {
    out->probabilities.emplace_back(categories_[j],
                                    j < probabilities.size() ? probabilities[j] : 0.0);
  }
}

void RuleSetAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  std::vector<const Rule*> fired;
  Collect(rules_, fields, criterion_ == Criterion::kFirstHit, &fired);
  if (fired.empty()) {
    if (!has_default_) {
      out->valid = false;
      out->advice.emplace_back(kAdviceMissingScore, std::string());
      return;
    }
    Fill(default_category_, default_confidence_, default_probabilities_, nullptr, out);
    return;
  }
  if (criterion_ != Criterion::kWeightedSum) {
    // firstHit found one rule; weightedMax takes the heaviest, the first of
    // equals.
    const Rule* best = fired[0];
    for (const Rule* rule : fired) {
      if (rule->weight > best->weight) best = rule;
    }
    Fill(best->category, best->confidence, best->probabilities, &best->id, out);
    return;
  }
  // weightedSum: the category with the largest total weight (the first in
  // category order among equals); its confidence is that total over the
  // number of firing rules. The decisive rule is its first firing rule.
  std::vector<double> totals(categories_.size(), 0.0);
  std::vector<const Rule*> first(categories_.size(), nullptr);
  for (const Rule* rule : fired) {
    totals[rule->category] += rule->weight;
    if (first[rule->category] == nullptr) first[rule->category] = rule;
  }
  int best = -1;
  for (size_t j = 0; j < totals.size(); ++j) {
    if (first[j] != nullptr && (best < 0 || totals[j] > totals[best])) best = static_cast<int>(j);
  }
  Fill(best, totals[best] / static_cast<double>(fired.size()), std::vector<double>(),
       &first[best]->id, out);
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::RuleSetAlgorithm(model, context);
}
