#include "orvane_plugins/rule_output.h"

#include <cmath>

#include "orvane_plugins/xml_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;

namespace {

struct Named {
  const char* name;
  int value;
};

// The entry of `table` (null-terminated) named `text`, or -1.
int Find(const Named* table, const std::string& text) {
  for (const Named* entry = table; entry->name != nullptr; ++entry) {
    if (text == entry->name) return entry->value;
  }
  return -1;
}

const Named kFeatures[] = {{"antecedent", static_cast<int>(RuleFeature::kAntecedent)},
                           {"consequent", static_cast<int>(RuleFeature::kConsequent)},
                           {"rule", static_cast<int>(RuleFeature::kRule)},
                           {"ruleId", static_cast<int>(RuleFeature::kRuleId)},
                           {"entityId", static_cast<int>(RuleFeature::kRuleId)},
                           {"confidence", static_cast<int>(RuleFeature::kConfidence)},
                           {"support", static_cast<int>(RuleFeature::kSupport)},
                           {"lift", static_cast<int>(RuleFeature::kLift)},
                           {"leverage", static_cast<int>(RuleFeature::kLeverage)},
                           {"affinity", static_cast<int>(RuleFeature::kAffinity)},
                           {"entityAffinity", static_cast<int>(RuleFeature::kAffinity)},
                           {nullptr, 0}};

// The attribute `name` of `field` looked up in `table`; `fallback` when absent.
int Choice(const xercesc::DOMElement* field, const char* name, const char* fallback,
           const Named* table) {
  const std::string text = Attr(field, name, fallback);
  const int value = Find(table, text);
  if (value < 0) throw Unsupported(field, std::string(name) + " \"" + text + "\" is not supported");
  return value;
}

}  // namespace

bool RuleOutputDef::IsText() const {
  return multi_valued || feature == RuleFeature::kAntecedent ||
         feature == RuleFeature::kConsequent || feature == RuleFeature::kRule ||
         feature == RuleFeature::kRuleId;
}

bool ReadRuleOutput(const xercesc::DOMElement* field, RuleOutputDef* def) {
  const std::string feature = Attr(field, "feature", "predictedValue");
  if (feature == "ruleValue") {
    def->feature = static_cast<RuleFeature>(Choice(field, "ruleFeature", "consequent", kFeatures));
  } else if (Find(kFeatures, feature) >= 0) {
    def->feature = static_cast<RuleFeature>(Find(kFeatures, feature));
  } else {
    return false;
  }
  static const Named kSelections[] = {
      {"recommendation", static_cast<int>(RuleSelection::kRecommendation)},
      {"exclusiveRecommendation", static_cast<int>(RuleSelection::kExclusiveRecommendation)},
      {"ruleAssociation", static_cast<int>(RuleSelection::kRuleAssociation)},
      {nullptr, 0}};
  static const Named kBases[] = {{"confidence", static_cast<int>(RankBasis::kConfidence)},
                                 {"support", static_cast<int>(RankBasis::kSupport)},
                                 {"lift", static_cast<int>(RankBasis::kLift)},
                                 {"leverage", static_cast<int>(RankBasis::kLeverage)},
                                 {"affinity", static_cast<int>(RankBasis::kAffinity)},
                                 {nullptr, 0}};
  static const Named kOrders[] = {{"descending", 0}, {"ascending", 1}, {nullptr, 0}};
  static const Named kFlags[] = {{"0", 0}, {"false", 0}, {"1", 1}, {"true", 1}, {nullptr, 0}};
  def->selection =
      static_cast<RuleSelection>(Choice(field, "algorithm", "exclusiveRecommendation", kSelections));
  def->basis = static_cast<RankBasis>(Choice(field, "rankBasis", "confidence", kBases));
  def->ascending = Choice(field, "rankOrder", "descending", kOrders) == 1;
  def->multi_valued = Choice(field, "isMultiValued", "0", kFlags) == 1;
  const double rank = NumberAttr(field, "rank", 1.0);
  if (rank < 1 || rank != std::floor(rank) || rank > 1e6) {
    throw Fault(field, OVException::kCodeSemantic, "rank must be a positive integer");
  }
  def->rank = static_cast<int>(rank);
  return true;
}

}  // namespace orvane_plugins
