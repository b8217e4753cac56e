// Finds the derived variables whose computation would never end because they
// depend, directly or through others, on a variable that needs itself. A
// document error, but one that must not exhaust the stack of the host.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"

namespace MCOrvane_600 {

namespace {

// The field names that computing `var` may evaluate: its source field, or
// every field operand of its Apply tree.
std::vector<std::string> ReferencedNames(const TransformVar& var) {
  std::vector<std::string> names;
  switch (var.GetTransExpression()) {
    case TransformationDictionary::kCONSTANT:
      break;
    case TransformationDictionary::kAPPLY: {
      std::vector<const FunctionTree*> pending;
      if (var.GetRoot() != nullptr) pending.push_back(var.GetRoot());
      while (!pending.empty()) {
        const FunctionTree* node = pending.back();
        pending.pop_back();
        const ApplyNodeStats stats = node->GetNodeStats();
        if (stats.IsConstNode()) continue;
        if (stats.GetTransformFunction() == TransformationDictionary::kFN_NONE) {
          names.push_back(stats.GetParameterName());
          continue;
        }
        for (int i = 0; i < node->GetChildCount(); ++i) {
          if (const FunctionTree* child = node->GetChildAt(i)) pending.push_back(child);
        }
      }
      break;
    }
    default:
      names.push_back(var.GetFieldName());
      break;
  }
  return names;
}

}  // namespace

bool TransformationDictionary::DependsOnCycle(const ScoreDictVar* var,
                                              const ScoreDictionary* dataDictionary) const {
  const int data_size = dataDictionary != nullptr ? dataDictionary->Size() : -1;
  if (dataDictionary != cycles_data_dictionary_ || data_size != cycles_data_size_ ||
      Size() != cycles_size_ || derived_names_.size() != cycles_names_) {
    RefreshCycles(dataDictionary);
  }
  return !cycle_dependent_.empty() && cycle_dependent_.count(var) != 0;
}

void TransformationDictionary::RefreshCycles(const ScoreDictionary* dataDictionary) const {
  FindCycleDependentVars(dataDictionary);
  cycles_data_dictionary_ = dataDictionary;
  cycles_data_size_ = dataDictionary != nullptr ? dataDictionary->Size() : -1;
  cycles_size_ = Size();
  cycles_names_ = derived_names_.size();
}

void TransformationDictionary::FindCycleDependentVars(const ScoreDictionary* dataDictionary) const {
  cycle_dependent_.clear();
  const std::vector<ScoreDictVar*> vars = GetScoreDictVars();
  std::unordered_map<const ScoreDictVar*, std::size_t> index;
  for (std::size_t i = 0; i < vars.size(); ++i) index[vars[i]] = i;

  // Edges to the derived variables each one may evaluate. A name that the
  // data dictionary knows is an input, as in evaluation.
  std::vector<std::vector<std::size_t>> needs(vars.size());
  for (std::size_t i = 0; i < vars.size(); ++i) {
    const auto* derived = dynamic_cast<const TransformVar*>(vars[i]);
    if (derived == nullptr) continue;
    for (const std::string& name : ReferencedNames(*derived)) {
      if (dataDictionary != nullptr && dataDictionary->GetVar(name) != nullptr) continue;
      const ScoreDictVar* target = GetVar(name);
      if (target == nullptr || dynamic_cast<const TransformVar*>(target) == nullptr) continue;
      needs[i].push_back(index[target]);
    }
  }

  // Depth-first search without recursion (chains of derived variables may be
  // long). A back edge closes a cycle; whatever reaches one is marked too.
  enum Colour : char { kNew, kOpen, kDone };
  std::vector<Colour> colour(vars.size(), kNew);
  std::vector<char> bad(vars.size(), 0);
  std::vector<std::pair<std::size_t, std::size_t>> stack;  // (variable, next edge)
  for (std::size_t start = 0; start < vars.size(); ++start) {
    if (colour[start] != kNew) continue;
    colour[start] = kOpen;
    stack.emplace_back(start, 0);
    while (!stack.empty()) {
      const std::size_t v = stack.back().first;
      if (stack.back().second < needs[v].size()) {
        const std::size_t w = needs[v][stack.back().second++];
        if (colour[w] == kOpen) {
          bad[v] = 1;
        } else if (colour[w] == kNew) {
          colour[w] = kOpen;
          stack.emplace_back(w, 0);
        } else if (bad[w]) {
          bad[v] = 1;
        }
        continue;
      }
      colour[v] = kDone;
      stack.pop_back();
      if (!stack.empty() && bad[v]) bad[stack.back().first] = 1;
    }
  }
  for (std::size_t i = 0; i < vars.size(); ++i) {
    if (bad[i]) cycle_dependent_.insert(vars[i]);
  }
}

}  // namespace MCOrvane_600
