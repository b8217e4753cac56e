#ifndef ORVANE_PLUGINS_RULE_OUTPUT_H_
#define ORVANE_PLUGINS_RULE_OUTPUT_H_

// The OutputFields of an association-rules model that report rules: which
// rules a field looks at (its algorithm), in which order (rankBasis,
// rankOrder), the how-manieth (rank) and what of that rule (the feature).
// The machinery reads them with the other OutputFields; the model's
// algorithm fills their values per case (Prediction::rule_values).

#include <string>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

enum class RuleFeature { kAntecedent, kConsequent, kRule, kRuleId, kConfidence, kSupport,
                         kLift, kLeverage, kAffinity };
// Which rules fire for an item set: the antecedent is in it (recommendation);
// and the consequent is not wholly in it (exclusiveRecommendation); and the
// consequent is wholly in it too (ruleAssociation).
enum class RuleSelection { kRecommendation, kExclusiveRecommendation, kRuleAssociation };
// The measures a rule carries, in the order of RankBasis.
enum class RankBasis { kConfidence, kSupport, kLift, kLeverage, kAffinity };
constexpr int kRankBases = 5;

struct RuleOutputDef {
  RuleFeature feature = RuleFeature::kConsequent;
  RuleSelection selection = RuleSelection::kExclusiveRecommendation;
  RankBasis basis = RankBasis::kConfidence;
  bool ascending = false;
  int rank = 1;
  bool multi_valued = false;  // the features of ranks 1 to `rank`, joined by commas

  // Item sets, rules and ids are texts; the measures are numbers.
  bool IsText() const;
};

// Reads `field`, an OutputField of a model whose functionName is
// "associationRules": true with `def` filled when it reports a rule (feature
// "ruleValue" with its ruleFeature, or one of the rule features directly;
// "entityId" is the rule's id), false for the other features. Throws
// OVException code 5 naming the attribute whose value is unknown, code 6 for
// a rank that is not a positive integer.
bool ReadRuleOutput(const xercesc::DOMElement* field, RuleOutputDef* def);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_RULE_OUTPUT_H_
