// The AssociationModel algorithm: the case's item set (from the item field's
// values, and from the columns that Items name by `field`), the rules that
// fire for it under each rule output's algorithm, ranked by its rankBasis.
// Ties keep document order. Item sets are written "{a,b}", in the Itemset's
// order, each item by its mappedValue when it has one; a rule is
// "{a}->{b}"; a rule without id is known by its position, from 1.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_element.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();

struct Item {
  std::string value;
  std::string shown;     // mappedValue, else value
  std::string column;    // `field`: the item is a column's category; empty: an item field's value
  std::string category;  // with `column`; empty: the column holds true
};

struct Itemset {
  std::vector<int> items;  // indices into items_, in document order
  std::string text;
};

struct Rule {
  int antecedent = 0;  // indices into itemsets_
  int consequent = 0;
  double measures[kRankBases];  // by RankBasis; NaN when the document gives none
  std::string id;
  std::string text;
};

// The rule outputs that share an algorithm and an order share one ranking.
struct Ranking {
  RuleSelection selection;
  RankBasis basis;
  bool ascending;
  size_t depth;  // the largest rank asked
};

// The shortest text that reads back to `x`.
std::string NumberText(double x) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
  return std::string(buffer, result.ptr);
}

// A value's text as items are written: numbers in their shortest form.
std::string ValueText(const ScoreValue* value) {
  if (value->GetType() != ScoreValue::kNUMERIC_VALUE) return value->GetString();
  return NumberText(value->GetDouble());
}

bool SameValue(const std::string& a, const std::string& b) {
  if (a == b) return true;
  double x = 0.0;
  double y = 0.0;
  return ParseNumber(a, &x) && ParseNumber(b, &y) && x == y;
}

class AssociationAlgorithm : public ModelAlgorithm {
 public:
  AssociationAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  // Each reads its elements and returns the indices of what it read by id,
  // for the next to resolve.
  std::map<std::string, int> ReadItems(const DOMElement* model,
                                       const std::vector<DOMElement*>& elements,
                                       const ReadContext& context);
  std::map<std::string, int> ReadItemsets(const std::vector<DOMElement*>& elements,
                                          const std::map<std::string, int>& items,
                                          const ReadContext& context);
  void ReadRules(const std::vector<DOMElement*>& elements,
                 const std::map<std::string, int>& itemsets, const ReadContext& context);
  void ReadOutputs(const ReadContext& context);
  // Marks in `present` (by item) the items of the case.
  void CaseItems(const FieldValues& fields, std::vector<char>* present) const;
  // The selected rules of `ranking`, best first, at most its depth.
  std::vector<int> Rank(const Ranking& ranking, const std::vector<char>& antecedent_in,
                        const std::vector<char>& consequent_in) const;
  Prediction::RuleValue Value(const Rule& rule, RuleFeature feature) const;

  std::vector<Item> items_;
  std::unordered_map<std::string, int> item_of_value_;  // item-field items by value
  std::vector<std::string> item_fields_;  // active fields whose values are items
  std::vector<Itemset> itemsets_;
  std::vector<Rule> rules_;
  std::vector<RuleOutputDef> outputs_;
  std::vector<Ranking> rankings_;
  std::vector<size_t> ranking_of_;  // by output
};

AssociationAlgorithm::AssociationAlgorithm(DOMElement* model, ReadContext* context) {
  static const char* const kChildren[] = {
      "Extension", "MiningSchema", "Output", "ModelStats", "LocalTransformations", "Item",
      "Itemset", "AssociationRule", "ModelVerification", nullptr};
  CheckModelElement(model, kChildren, "associationRules", *context);
  // One pass over the children, which may be many: items, itemsets, rules.
  std::vector<DOMElement*> parts[3];
  for (DOMElement* child : ChildElements(model)) {
    const std::string tag = ElementName(child, *context);
    if (tag == "Item") parts[0].push_back(child);
    if (tag == "Itemset") parts[1].push_back(child);
    if (tag == "AssociationRule") parts[2].push_back(child);
  }
  ReadRules(parts[2],
            ReadItemsets(parts[1], ReadItems(model, parts[0], *context), *context), *context);
  ReadOutputs(*context);
}

std::map<std::string, int> AssociationAlgorithm::ReadItems(
    const DOMElement* model, const std::vector<DOMElement*>& elements,
    const ReadContext& context) {
  std::map<std::string, int> ids;
  std::vector<std::string> columns;
  for (const DOMElement* element : elements) {
    Item item;
    const std::string id = RequiredAttribute(element, "id", context);
    item.value = RequiredAttribute(element, "value", context);
    item.shown = HasAttribute(element, "mappedValue") ? Attribute(element, "mappedValue", context)
                                                      : item.value;
    item.column = Attribute(element, "field", context);
    item.category = Attribute(element, "category", context);
    if (!item.column.empty()) {
      if (context.Field(item.column) == nullptr) {
        throw OVException(OVException::kCodeVariableName,
                          "Item: field \"" + item.column + "\" is not defined");
      }
      columns.push_back(item.column);
    } else {
      item_of_value_.emplace(item.value, static_cast<int>(items_.size()));
    }
    if (!ids.emplace(id, static_cast<int>(items_.size())).second) {
      throw OVException(OVException::kCodeStructure, "Item: id \"" + id + "\" is repeated");
    }
    items_.push_back(std::move(item));
  }
  // The item fields: the active fields that no Item names as its column.
  if (const DOMElement* schema = ChildElement(model, "MiningSchema")) {
    for (const DOMElement* field : ChildElements(schema, "MiningField")) {
      const std::string usage = Attribute(field, "usageType", context);
      const std::string name = Attribute(field, "name", context);
      if ((usage.empty() || usage == "active") &&
          std::find(columns.begin(), columns.end(), name) == columns.end()) {
        item_fields_.push_back(name);
      }
    }
  }
  return ids;
}

std::map<std::string, int> AssociationAlgorithm::ReadItemsets(
    const std::vector<DOMElement*>& elements, const std::map<std::string, int>& items,
    const ReadContext& context) {
  std::map<std::string, int> ids;
  for (const DOMElement* element : elements) {
    Itemset set;
    const std::string id = RequiredAttribute(element, "id", context);
    set.text = "{";
    for (const DOMElement* ref : ChildElements(element, "ItemRef")) {
      const std::string item = RequiredAttribute(ref, "itemRef", context);
      const auto found = items.find(item);
      if (found == items.end()) {
        throw OVException(OVException::kCodeSemantic, "ItemRef: itemRef \"" + item +
                                                          "\" of Itemset \"" + id +
                                                          "\" names no Item");
      }
      if (std::find(set.items.begin(), set.items.end(), found->second) != set.items.end()) {
        continue;
      }
      set.text += (set.items.empty() ? "" : ",") + items_[found->second].shown;
      set.items.push_back(found->second);
    }
    set.text += "}";
    if (!ids.emplace(id, static_cast<int>(itemsets_.size())).second) {
      throw OVException(OVException::kCodeStructure, "Itemset: id \"" + id + "\" is repeated");
    }
    itemsets_.push_back(std::move(set));
  }
  return ids;
}

void AssociationAlgorithm::ReadRules(const std::vector<DOMElement*>& elements,
                                     const std::map<std::string, int>& itemsets,
                                     const ReadContext& context) {
  for (const DOMElement* element : elements) {
    Rule rule;
    int* ends[] = {&rule.antecedent, &rule.consequent};
    const char* names[] = {"antecedent", "consequent"};
    for (int k = 0; k < 2; ++k) {
      const std::string id = RequiredAttribute(element, names[k], context);
      const auto found = itemsets.find(id);
      if (found == itemsets.end()) {
        throw OVException(OVException::kCodeSemantic, std::string("AssociationRule: ") +
                                                          names[k] + " \"" + id +
                                                          "\" names no Itemset");
      }
      *ends[k] = found->second;
    }
    rule.measures[static_cast<int>(RankBasis::kConfidence)] =
        RequiredNumberAttribute(element, "confidence", context);
    rule.measures[static_cast<int>(RankBasis::kSupport)] =
        RequiredNumberAttribute(element, "support", context);
    rule.measures[static_cast<int>(RankBasis::kLift)] =
        NumberAttribute(element, "lift", kAbsent, context);
    rule.measures[static_cast<int>(RankBasis::kLeverage)] =
        NumberAttribute(element, "leverage", kAbsent, context);
    rule.measures[static_cast<int>(RankBasis::kAffinity)] =
        NumberAttribute(element, "affinity", kAbsent, context);
    rule.id = HasAttribute(element, "id") ? Attribute(element, "id", context)
                                          : std::to_string(rules_.size() + 1);
    rule.text = itemsets_[rule.antecedent].text + "->" + itemsets_[rule.consequent].text;
    rules_.push_back(std::move(rule));
  }
}

void AssociationAlgorithm::ReadOutputs(const ReadContext& context) {
  outputs_ = context.RuleOutputs();
  for (const RuleOutputDef& def : outputs_) {
    size_t k = 0;
    while (k < rankings_.size() &&
           (rankings_[k].selection != def.selection || rankings_[k].basis != def.basis ||
            rankings_[k].ascending != def.ascending)) {
      ++k;
    }
    if (k == rankings_.size()) rankings_.push_back({def.selection, def.basis, def.ascending, 0});
    rankings_[k].depth = std::max(rankings_[k].depth, static_cast<size_t>(def.rank));
    ranking_of_.push_back(k);
  }
}

void AssociationAlgorithm::CaseItems(const FieldValues& fields, std::vector<char>* present) const {
  present->assign(items_.size(), 0);
  // An item field holds one item, or a set of them written "{a,b}".
  for (const std::string& name : item_fields_) {
    const ScoreValue* value = fields.Get(name);
    if (value == nullptr || value->IsSystemMissingValue()) continue;
    const std::string text = ValueText(value);
    const bool is_set = text.size() >= 2 && text.front() == '{' && text.back() == '}';
    const std::string inner = is_set ? text.substr(1, text.size() - 2) : text;
    size_t begin = 0;
    while (begin <= inner.size()) {
      size_t end = is_set ? inner.find(',', begin) : std::string::npos;
      if (end == std::string::npos) end = inner.size();
      const auto found = item_of_value_.find(inner.substr(begin, end - begin));
      if (found != item_of_value_.end()) (*present)[found->second] = 1;
      begin = end + 1;
    }
  }
  for (size_t i = 0; i < items_.size(); ++i) {
    const Item& item = items_[i];
    if (item.column.empty()) continue;
    const ScoreValue* value = fields.Get(item.column);
    if (value == nullptr || value->IsSystemMissingValue()) continue;
    const std::string text = ValueText(value);
    (*present)[i] = item.category.empty() ? (text == "true" || SameValue(text, "1"))
                                          : SameValue(text, item.category);
  }
}

std::vector<int> AssociationAlgorithm::Rank(const Ranking& ranking,
                                            const std::vector<char>& antecedent_in,
                                            const std::vector<char>& consequent_in) const {
  std::vector<int> selected;
  for (size_t r = 0; r < rules_.size(); ++r) {
    if (!antecedent_in[r]) continue;
    if (ranking.selection == RuleSelection::kExclusiveRecommendation && consequent_in[r]) continue;
    if (ranking.selection == RuleSelection::kRuleAssociation && !consequent_in[r]) continue;
    selected.push_back(static_cast<int>(r));
  }
  const int basis = static_cast<int>(ranking.basis);
  // Better first; a rule without the measure after those with it; then
  // document order.
  auto better = [&](int a, int b) {
    const double x = rules_[a].measures[basis];
    const double y = rules_[b].measures[basis];
    if (std::isnan(x) || std::isnan(y)) {
      if (std::isnan(x) != std::isnan(y)) return std::isnan(y);
    } else if (x != y) {
      return ranking.ascending ? x < y : x > y;
    }
    return a < b;
  };
  const size_t depth = std::min(ranking.depth, selected.size());
  std::partial_sort(selected.begin(), selected.begin() + depth, selected.end(), better);
  selected.resize(depth);
  return selected;
}

Prediction::RuleValue AssociationAlgorithm::Value(const Rule& rule, RuleFeature feature) const {
  Prediction::RuleValue value;
  value.present = true;
  switch (feature) {
    case RuleFeature::kAntecedent: value.text = itemsets_[rule.antecedent].text; break;
    case RuleFeature::kConsequent: value.text = itemsets_[rule.consequent].text; break;
    case RuleFeature::kRule: value.text = rule.text; break;
    case RuleFeature::kRuleId: value.text = rule.id; break;
    case RuleFeature::kConfidence:
    case RuleFeature::kSupport:
    case RuleFeature::kLift:
    case RuleFeature::kLeverage:
    case RuleFeature::kAffinity: {
      const int basis = static_cast<int>(feature) - static_cast<int>(RuleFeature::kConfidence);
      value.number = rule.measures[basis];
      value.is_number = true;
      value.present = !std::isnan(value.number);
      break;
    }
  }
  return value;
}

void AssociationAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  // Rules predict no value: only the rule outputs have one.
  out->valid = true;
  out->is_category = true;
  std::vector<char> present;
  CaseItems(fields, &present);
  std::vector<char> set_in(itemsets_.size());
  for (size_t s = 0; s < itemsets_.size(); ++s) {
    set_in[s] = std::all_of(itemsets_[s].items.begin(), itemsets_[s].items.end(),
                            [&present](int i) { return present[i] != 0; });
  }
  std::vector<char> antecedent_in(rules_.size());
  std::vector<char> consequent_in(rules_.size());
  for (size_t r = 0; r < rules_.size(); ++r) {
    antecedent_in[r] = set_in[rules_[r].antecedent];
    consequent_in[r] = set_in[rules_[r].consequent];
  }
  std::vector<std::vector<int>> ranked;
  for (const Ranking& ranking : rankings_) {
    ranked.push_back(Rank(ranking, antecedent_in, consequent_in));
  }
  out->rule_values.assign(outputs_.size(), Prediction::RuleValue());
  for (size_t k = 0; k < outputs_.size(); ++k) {
    const RuleOutputDef& def = outputs_[k];
    const std::vector<int>& rules = ranked[ranking_of_[k]];
    Prediction::RuleValue& value = out->rule_values[k];
    if (!def.multi_valued) {
      if (static_cast<size_t>(def.rank) <= rules.size()) {
        value = Value(rules_[rules[def.rank - 1]], def.feature);
      }
      continue;
    }
    // The features of ranks 1 to `rank`, as texts joined by commas.
    for (size_t i = 0; i < rules.size() && i < static_cast<size_t>(def.rank); ++i) {
      const Prediction::RuleValue one = Value(rules_[rules[i]], def.feature);
      if (!one.present) continue;
      value.text += (value.present ? "," : "") + (one.is_number ? NumberText(one.number) : one.text);
      value.present = true;
    }
  }
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::AssociationAlgorithm(model, context);
}
