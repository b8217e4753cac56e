// TreeModel: a decision tree read from its Node elements. A case walks from
// the root to the first child whose predicate is true; what happens when a
// predicate is unknown (a missing value) or no child is true follows the
// model's missingValueStrategy and noTrueChildStrategy.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/predicate.h"
#include "orvane_plugins/xml_reading.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using xercesc::DOMElement;

constexpr int kAdviceMissing = 106;
constexpr int kAdviceDefaultChild = 108;

enum class MissingStrategy { kLastPrediction, kNullPrediction, kDefaultChild,
                             kWeightedConfidence, kAggregateNodes, kNone };

struct Distribution {
  std::string value;
  double count = 0.0;
  double probability = std::numeric_limits<double>::quiet_NaN();
  double confidence = std::numeric_limits<double>::quiet_NaN();
};

struct Node {
  std::string id;
  bool has_score = false;
  std::string score;
  double score_number = 0.0;
  double record_count = std::numeric_limits<double>::quiet_NaN();
  std::unique_ptr<Predicate> predicate;
  int test = -1;  // the predicate in Tree::tests_, when the tree compiled
  // The field a SimplePredicate tests (named in missing-value advice).
  std::string simple_field;
  std::vector<Distribution> distribution;
  std::vector<std::unique_ptr<Node>> children;
  int default_child = -1;

  // The record count that ScoreDistribution counts are shares of.
  double Total() const {
    if (!std::isnan(record_count) && record_count > 0) return record_count;
    double sum = 0.0;
    for (const Distribution& d : distribution) sum += d.count;
    return sum;
  }
  double ProbabilityOf(const Distribution& d) const {
    if (!std::isnan(d.probability)) return d.probability;
    const double total = Total();
    return total > 0 ? d.count / total : std::numeric_limits<double>::quiet_NaN();
  }
  double ConfidenceOf(const Distribution& d) const {
    return std::isnan(d.confidence) ? ProbabilityOf(d) : d.confidence;
  }

  // Classification: what a case that ends here is given, worked out at load.
  std::vector<std::pair<std::string, double>> probabilities;
  const void* order = nullptr;  // Tree::orders_ entry of its texts; null: none
  bool decides = false;  // false: no category (the prediction stays invalid)
  std::string category;
  const std::string* category_text = nullptr;  // lent: the tree's one copy of `category`
  int category_index = -1;  // its place in `probabilities`; -1: none there
  double confidence = 1.0;

  void Settle() {
    const Distribution* best = nullptr;
    double best_p = -1.0;
    probabilities.reserve(distribution.size());
    for (const Distribution& d : distribution) {
      const double p = ProbabilityOf(d);
      probabilities.emplace_back(d.value, p);
      if (p > best_p) best_p = p, best = &d;
    }
    if (has_score) {
      category = score;
      best = nullptr;
      for (const Distribution& d : distribution) {
        if (d.value == score) best = &d;
      }
    } else if (best != nullptr) {
      category = best->value;
    } else {
      return;
    }
    decides = true;
    confidence = best != nullptr ? ConfidenceOf(*best) : 1.0;
    // `probabilities` lists the distribution in its order.
    if (best != nullptr) category_index = static_cast<int>(best - distribution.data());
  }
};

class Tree : public ModelAlgorithm {
 public:
  void Predict(const FieldValues& fields, Prediction* out) const override {
    if (root_->predicate->Evaluate(fields) != Predicate::kTRUE) return;
    const Node* node = root_.get();
    int penalties = 0;
    while (!node->children.empty()) {
      const Node* next = nullptr;
      bool stop = false;
      for (const auto& child : node->children) {
        const Predicate::Truth t = child->predicate->Evaluate(fields);
        if (t == Predicate::kTRUE) {
          next = child.get();
          break;
        }
        if (t == Predicate::kFALSE || missing_ == MissingStrategy::kNone) continue;
        const std::string field = child->simple_field;
        switch (missing_) {
          case MissingStrategy::kLastPrediction:
            out->advice.emplace_back(kAdviceMissing, field);
            ++penalties;
            stop = true;
            break;
          case MissingStrategy::kNullPrediction:
            out->advice.emplace_back(kAdviceMissing, field);
            return;
          case MissingStrategy::kDefaultChild:
            if (node->default_child < 0) {
              out->advice.emplace_back(kAdviceMissing, field);
              return;
            }
            out->advice.emplace_back(kAdviceDefaultChild, field);
            ++penalties;
            next = node->children[node->default_child].get();
            break;
          case MissingStrategy::kWeightedConfidence:
          case MissingStrategy::kAggregateNodes:
            out->advice.emplace_back(kAdviceMissing, field);
            Aggregate(*node, fields, out);
            return;
          case MissingStrategy::kNone:
            break;
        }
        break;
      }
      if (stop) break;
      if (next == nullptr) {
        if (!return_last_) return;
        break;
      }
      node = next;
    }
    FromNode(*node, out);
    if (out->valid && penalties > 0 && !std::isnan(out->confidence)) {
      out->confidence *= std::pow(penalty_, penalties);
    }
  }

  // Compiles every node's predicate while laying the tree out level by level,
  // without recursion (trees may be deep).
  bool Compile(const PlainLayout& layout) override {
    root_->test = root_->predicate->Compile(layout, &tests_);
    if (root_->test < 0) return false;
    root_always_ = tests_.Always(root_->test);
    plain_nodes_.assign(1, {root_.get(), 0, 0});
    plain_children_.clear();
    // Each node's children end with one that always holds and leads nowhere,
    // so that a scan needs no end test.
    const PlainTests::Flat last = tests_.Flatten(tests_.Constant(true));
    for (size_t at = 0; at < plain_nodes_.size(); ++at) {
      const Node& node = *plain_nodes_[at].node;
      plain_nodes_[at].first = static_cast<std::uint32_t>(plain_children_.size());
      plain_nodes_[at].count = static_cast<std::uint32_t>(node.children.size());
      for (const auto& child : node.children) {
        child->test = child->predicate->Compile(layout, &tests_);
        if (child->test < 0) return false;
        const auto next = static_cast<std::uint32_t>(plain_nodes_.size());
        plain_children_.push_back({tests_.Flatten(child->test), next});
        plain_nodes_.push_back({child.get(), 0, 0});
      }
      if (!node.children.empty()) plain_children_.push_back({last, kNoChild});
    }
    plain_jumps_.clear();
    for (size_t at = 0; at < plain_nodes_.size(); ++at) Jumps(at);
    return true;
  }

  // A node whose children all test one category slot (or are constant) goes
  // to its child through a table by category: one load in place of a test
  // per child and a mispredicted branch. (A table by two range children's
  // truths was slower: it keeps the next node from being fetched ahead.)
  void Jumps(size_t at) {
    auto* node = &plain_nodes_[at];
    if (node->count < 2) return;
    const PlainChild* children = &plain_children_[node->first];
    const PlainChild* end = children + node->count;
    int slot = -1;
    int count = 0;
    for (const PlainChild* child = children; child != end; ++child) {
      const PlainTests::Flat& f = child->test;
      if (f.kind == PlainTests::Flat::kCategory && (slot < 0 || slot == f.slot)) {
        slot = f.slot;
        count = f.count;
      } else if (f.kind != PlainTests::Flat::kOther || !tests_.IsConstant(f.index)) {
        return;
      }
    }
    if (slot < 0) return;
    node->count |= kByTable;
    node->first = static_cast<std::uint32_t>(plain_jumps_.size());
    plain_jumps_.push_back(static_cast<std::uint32_t>(slot));
    for (int k = 0; k < count; ++k) {
      std::uint32_t next = kNoChild;
      for (const PlainChild* child = children; child != end && next == kNoChild; ++child) {
        const PlainTests::Flat& f = child->test;
        const bool holds = f.kind == PlainTests::Flat::kCategory
                               ? tests_.HoldsCategory(f, static_cast<unsigned>(k))
                               : tests_.Always(f.index);
        if (holds) next = child->next;
      }
      plain_jumps_.push_back(next);
    }
  }

  // Predict's walk where no predicate is unknown, over the laid-out nodes:
  // the first true child, or the noTrueChildStrategy.
  void PredictPlain(const PlainCase& c, Prediction* out) const override {
    if (const PlainNode* node = PlainEnd(c)) FromNode(*node->node, out);
  }

  // A node votes when it decides and names only the given categories (a
  // vote's distribution lists every category a segment names).
  bool CompileVote(const std::vector<std::string>& categories) override {
    if (!classification_) return false;
    const auto number = [&categories](const std::string& text) {
      const auto it = std::find(categories.begin(), categories.end(), text);
      return it != categories.end() ? static_cast<int>(it - categories.begin()) : -1;
    };
    plain_votes_.clear();
    for (const PlainNode& plain : plain_nodes_) {
      const Node& node = *plain.node;
      int vote = node.decides ? number(node.category) : -1;
      for (const auto& entry : node.probabilities) {
        if (number(entry.first) < 0) vote = -1;
      }
      plain_votes_.push_back(vote);
    }
    return true;
  }
  int VotePlain(const PlainCase& c) const override {
    const PlainNode* node = PlainEnd(c);
    return node != nullptr ? plain_votes_[static_cast<size_t>(node - plain_nodes_.data())] : -1;
  }

  bool classification_ = true;
  MissingStrategy missing_ = MissingStrategy::kNone;
  bool return_last_ = false;
  double penalty_ = 1.0;
  std::unique_ptr<Node> root_;

  // Gives each node the token of its distribution's category texts, shared
  // by the nodes that list the same texts in the same order (past a few
  // distinct orders the rest go without one), and the text of its category.
  void NameOrders() {
    std::vector<Node*> pending{root_.get()};
    while (!pending.empty()) {
      Node* node = pending.back();
      pending.pop_back();
      for (const auto& child : node->children) pending.push_back(child.get());
      // Nodes of one category lend one text: results keep a value per text.
      for (size_t i = 0; i < texts_.size() && node->category_text == nullptr; ++i) {
        if (*texts_[i] == node->category) node->category_text = texts_[i].get();
      }
      if (node->category_text == nullptr && texts_.size() < kMaxTexts) {
        texts_.push_back(std::make_unique<std::string>(node->category));
        node->category_text = texts_.back().get();
      }
      if (node->category_text == nullptr) node->category_text = &node->category;
      for (const auto& order : orders_) {
        if (std::equal(order->begin(), order->end(), node->probabilities.begin(),
                       node->probabilities.end(),
                       [](const std::string& a, const auto& b) { return a == b.first; })) {
          node->order = order.get();
          break;
        }
      }
      if (node->order != nullptr || orders_.size() >= kMaxOrders) continue;
      auto order = std::make_unique<std::vector<std::string>>();
      for (const auto& entry : node->probabilities) order->push_back(entry.first);
      node->order = order.get();
      orders_.push_back(std::move(order));
    }
  }

 private:
  static constexpr size_t kMaxOrders = 8;
  static constexpr size_t kMaxTexts = 64;
  PlainTests tests_;
  // The compiled walk's nodes, the root first, each one's children side by
  // side in plain_children_.
  struct PlainNode {
    const Node* node;  // lent from the tree
    // Where its children start in plain_children_; with kByTable in count,
    // where its table starts in plain_jumps_: the category slot, then the
    // next node for each category.
    std::uint32_t first;
    std::uint32_t count;  // its children, 0 for a leaf; kByTable: by a table
  };
  static constexpr std::uint32_t kByTable = 0x80000000u;
  static constexpr std::uint32_t kNoChild = 0xFFFFFFFFu;
  struct PlainChild {
    PlainTests::Flat test;
    std::uint32_t next;  // the child's PlainNode
  };
  std::vector<PlainNode> plain_nodes_;
  std::vector<PlainChild> plain_children_;
  std::vector<std::uint32_t> plain_jumps_;  // the nodes' tables: next nodes, or kNoChild
  std::vector<int> plain_votes_;  // by PlainNode: VotePlain's answer for a case ending there
  bool root_always_ = false;  // the root's predicate is True
  std::vector<std::unique_ptr<std::vector<std::string>>> orders_;
  std::vector<std::unique_ptr<std::string>> texts_;  // each node category once

  // The node a plain case ends at; null for none (the root's predicate
  // fails, or no child holds and the tree returns no prediction).
  const PlainNode* PlainEnd(const PlainCase& c) const {
    if (!root_always_ && !tests_.Holds(root_->test, c)) return nullptr;
    return plain_jumps_.empty() ? Walk<false>(c, &plain_nodes_[0])
                                : Walk<true>(c, &plain_nodes_[0]);
  }
  // The node a plain case ends at, from `node`; null for none. Trees without
  // tables walk without asking each node for one.
  template <bool kTables>
  const PlainNode* Walk(const PlainCase& c, const PlainNode* node) const {
    while (node->count != 0) {
      std::uint32_t next;
      if (kTables && (node->count & kByTable) != 0) {
        const std::uint32_t* table = &plain_jumps_[node->first];
        next = table[1 + static_cast<unsigned>(c.categories[table[0]])];
      } else {
        const PlainChild* child = &plain_children_[node->first];
        while (!tests_.Holds(child->test, c)) ++child;
        next = child->next;
      }
      if (next == kNoChild) return return_last_ ? node : nullptr;
      node = &plain_nodes_[next];
    }
    return node;
  }

  void FromNode(const Node& node, Prediction* out) const {
    out->entity_id.Lend(&node.id);
    if (!classification_) {
      if (!node.has_score) return;
      out->valid = true;
      out->value = node.score_number;
      return;
    }
    out->is_category = true;
    out->lent_probabilities = &node.probabilities;
    out->category_order = node.order;
    if (!node.decides) return;
    out->valid = true;
    out->category.Lend(node.category_text, node.category_index);
    out->confidence = node.confidence;
  }

  // Follows every branch that is not false from `node` (the strategies that
  // combine the nodes a case may reach).
  void Collect(const Node& node, const FieldValues& fields, double weight,
               std::vector<std::pair<std::string, double>>* acc) const {
    const Node* first_true = nullptr;
    bool unknown = false;
    for (const auto& child : node.children) {
      const Predicate::Truth t = child->predicate->Evaluate(fields);
      if (t == Predicate::kFALSE) continue;
      if (t == Predicate::kTRUE) first_true = child.get();
      unknown = t == Predicate::kUNKNOWN;
      break;
    }
    if (!unknown) {
      if (first_true != nullptr) {
        Collect(*first_true, fields, weight, acc);
      } else if (node.children.empty() || return_last_) {
        Add(node, weight, acc);
      }
      return;
    }
    for (const auto& child : node.children) {
      if (child->predicate->Evaluate(fields) == Predicate::kFALSE) continue;
      double w = weight;
      if (missing_ == MissingStrategy::kWeightedConfidence) {
        w = weight * child->record_count / node.record_count;
      }
      Collect(*child, fields, w, acc);
    }
  }

  void Add(const Node& node, double weight, std::vector<std::pair<std::string, double>>* acc) const {
    for (const Distribution& d : node.distribution) {
      const double x = missing_ == MissingStrategy::kWeightedConfidence
                           ? weight * node.ConfidenceOf(d)
                           : d.count;
      bool found = false;
      for (auto& entry : *acc) {
        if (entry.first == d.value) entry.second += x, found = true;
      }
      if (!found) acc->emplace_back(d.value, x);
    }
  }

  void Aggregate(const Node& node, const FieldValues& fields, Prediction* out) const {
    std::vector<std::pair<std::string, double>> acc;
    Collect(node, fields, 1.0, &acc);
    if (acc.empty()) return;
    double sum = 0.0;
    for (const auto& entry : acc) sum += entry.second;
    if (missing_ == MissingStrategy::kAggregateNodes) {
      if (!(sum > 0)) return;
      for (auto& entry : acc) entry.second /= sum;
    }
    const std::pair<std::string, double>* best = &acc[0];
    for (const auto& entry : acc) {
      if (entry.second > best->second) best = &entry;
    }
    out->valid = true;
    out->is_category = true;
    out->category.Set(best->first);
    out->confidence = best->second;
    out->ClearProbabilities();
    out->probabilities = acc;
  }
};

std::unique_ptr<Node> ReadNode(DOMElement* element, ReadContext* context, bool classification,
                               int depth) {
  if (depth > 10000) throw Unsupported(element, "the tree is nested too deeply");
  auto node = std::make_unique<Node>();
  node->id = Attr(element, "id");
  const XMLCh* score = RawAttr(element, "score");
  node->has_score = score != nullptr;
  node->score = Utf8(score);
  if (node->has_score && !classification && !ParseNumber(node->score, &node->score_number)) {
    throw Fault(element, OVException::kCodeConversion,
                "score \"" + node->score + "\" of a regression tree is not a number");
  }
  node->record_count = NumberAttr(element, "recordCount", std::numeric_limits<double>::quiet_NaN());
  bool has_predicate = false;
  // Sized once: a node's lists are read into place without regrowing.
  size_t distributions = 0;
  size_t children = 0;
  for (DOMElement* child : Children(element)) {
    distributions += HasTag(child, "ScoreDistribution");
    children += HasTag(child, "Node");
  }
  node->distribution.reserve(distributions);
  node->children.reserve(children);
  for (DOMElement* child : Children(element)) {
    // The commonest children first: each test reads the tag again.
    if (HasTag(child, "Node")) {
      node->children.push_back(ReadNode(child, context, classification, depth + 1));
    } else if (HasTag(child, "Extension")) {
      continue;
    } else if (IsPredicateElement(child)) {
      if (has_predicate) throw Fault(child, OVException::kCodeStructure, "a second predicate");
      node->predicate.reset(context->ReadPredicate(child));
      if (HasTag(child, "SimplePredicate")) node->simple_field = Attr(child, "field");
      has_predicate = true;
    } else if (HasTag(child, "ScoreDistribution")) {
      Distribution d;
      d.value = RequiredAttr(child, "value");
      d.count = NumberAttr(child, "recordCount", 0.0);
      d.probability = NumberAttr(child, "probability", std::numeric_limits<double>::quiet_NaN());
      d.confidence = NumberAttr(child, "confidence", std::numeric_limits<double>::quiet_NaN());
      node->distribution.push_back(d);
    } else if (!HasTag(child, "Partition")) {
      throw Unsupported(child, "is not supported inside a Node");
    }
  }
  if (!has_predicate) throw Fault(element, OVException::kCodeAbsent, "Node without a predicate");
  if (classification) node->Settle();
  if (const XMLCh* default_child = RawAttr(element, "defaultChild")) {
    const std::string wanted = Utf8(default_child);
    for (size_t i = 0; i < node->children.size(); ++i) {
      if (node->children[i]->id == wanted) {
        node->default_child = static_cast<int>(i);
        break;
      }
    }
    if (node->default_child < 0 && !node->children.empty()) {
      throw Fault(element, OVException::kCodeSemantic,
                  "defaultChild \"" + wanted + "\" is not a child of the Node");
    }
  }
  return node;
}

// Weights are shares of record counts: every node needs one.
void CheckRecordCounts(const Node& node, const DOMElement* model) {
  if (std::isnan(node.record_count) || (!node.children.empty() && !(node.record_count > 0))) {
    throw Fault(model, OVException::kCodeAbsent,
                "missingValueStrategy \"weightedConfidence\" needs a recordCount on Node \"" +
                    node.id + "\"");
  }
  for (const auto& child : node.children) CheckRecordCounts(*child, model);
}

}  // namespace
}  // namespace orvane_plugins

orvane_plugins::ModelAlgorithm* OrvaneReadModelAlgorithm(xercesc::DOMElement* model,
                                                         orvane_plugins::ReadContext* context) {
  using namespace orvane_plugins;
  auto tree = std::make_unique<Tree>();
  const std::string function = RequiredAttr(model, "functionName");
  if (function != "classification" && function != "regression") {
    throw Unsupported(model, "functionName \"" + function + "\" is not supported");
  }
  tree->classification_ = function == "classification";
  const std::string missing = Attr(model, "missingValueStrategy", "none");
  static const struct {
    const char* name;
    MissingStrategy strategy;
  } kStrategies[] = {{"lastPrediction", MissingStrategy::kLastPrediction},
                     {"nullPrediction", MissingStrategy::kNullPrediction},
                     {"defaultChild", MissingStrategy::kDefaultChild},
                     {"weightedConfidence", MissingStrategy::kWeightedConfidence},
                     {"aggregateNodes", MissingStrategy::kAggregateNodes},
                     {"none", MissingStrategy::kNone}};
  bool known = false;
  for (const auto& s : kStrategies) {
    if (missing == s.name) tree->missing_ = s.strategy, known = true;
  }
  if (!known) throw Unsupported(model, "missingValueStrategy \"" + missing + "\" is not supported");
  if (!tree->classification_ && (tree->missing_ == MissingStrategy::kWeightedConfidence ||
                                 tree->missing_ == MissingStrategy::kAggregateNodes)) {
    throw Unsupported(model, "missingValueStrategy \"" + missing +
                                 "\" is not supported for a regression tree");
  }
  const std::string no_true = Attr(model, "noTrueChildStrategy", "returnNullPrediction");
  if (no_true != "returnNullPrediction" && no_true != "returnLastPrediction") {
    throw Unsupported(model, "noTrueChildStrategy \"" + no_true + "\" is not supported");
  }
  tree->return_last_ = no_true == "returnLastPrediction";
  const std::string split = Attr(model, "splitCharacteristic", "multiSplit");
  if (split != "binarySplit" && split != "multiSplit") {
    throw Unsupported(model, "splitCharacteristic \"" + split + "\" is not supported");
  }
  tree->penalty_ = NumberAttr(model, "missingValuePenalty", 1.0);
  DOMElement* root = FirstChild(model, "Node");
  if (root == nullptr) throw Fault(model, MCOrvane_600::OVException::kCodeAbsent, "no Node");
  tree->root_ = ReadNode(root, context, tree->classification_, 0);
  if (tree->classification_) tree->NameOrders();
  if (tree->missing_ == MissingStrategy::kWeightedConfidence) {
    // Weights are shares of record counts: every node needs one.
    CheckRecordCounts(*tree->root_, model);
  }
  return tree.release();
}
