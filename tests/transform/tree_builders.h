#ifndef ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_
#define ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_

#include <initializer_list>
#include <string>

#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/numeric_value.h"

// Expression-tree nodes and input fields for tests. The caller owns what
// each returns.
namespace orvane_test {

// A node with the given ID; a parameter of the encoded form "Constant_..."
// marks a constant leaf.
inline MCOrvane_600::FunctionTreeImp* MakeNode(
    const std::string& id, MCOrvane_600::TransformationDictionary::TransformFunction function,
    const std::string& parameter = "") {
  using MCOrvane_600::TransformationDictionary;
  auto* node = new MCOrvane_600::FunctionTreeImp(function != TransformationDictionary::kFN_NONE);
  MCOrvane_600::ApplyNodeStats stats;
  stats.SetNodeID(id);
  stats.SetTransformFunction(function);
  stats.SetParameterName(parameter);
  stats.SetConstNode(parameter.rfind("Constant_", 0) == 0);
  node->SetNodeStats(stats);
  return node;
}

// As MakeNode, with a fresh ID and the constant flag given.
inline MCOrvane_600::FunctionTreeImp* Node(
    MCOrvane_600::TransformationDictionary::TransformFunction function,
    const std::string& parameter, bool constant) {
  static int next_id = 0;
  MCOrvane_600::FunctionTreeImp* node =
      MakeNode("n" + std::to_string(++next_id), function, parameter);
  MCOrvane_600::ApplyNodeStats stats = node->GetNodeStats();
  stats.SetConstNode(constant);
  node->SetNodeStats(stats);
  return node;
}

// A function node over `args`, which it takes.
inline MCOrvane_600::FunctionTreeImp* Call(
    MCOrvane_600::TransformationDictionary::TransformFunction function,
    std::initializer_list<MCOrvane_600::FunctionTree*> args) {
  MCOrvane_600::FunctionTreeImp* node = Node(function, "", false);
  for (MCOrvane_600::FunctionTree* arg : args) node->Add(arg);
  return node;
}

// Leaves: a field reference and constants in their encoded forms (a number,
// a text, a date/time in seconds).
inline MCOrvane_600::FunctionTreeImp* Ref(const std::string& name) {
  return Node(MCOrvane_600::TransformationDictionary::kFN_NONE, name, false);
}
inline MCOrvane_600::FunctionTreeImp* Num(const std::string& text) {
  return Node(MCOrvane_600::TransformationDictionary::kFN_NONE, "Constant_D_" + text, true);
}
inline MCOrvane_600::FunctionTreeImp* Str(const std::string& text) {
  return Node(MCOrvane_600::TransformationDictionary::kFN_NONE, "Constant_S_" + text, true);
}
inline MCOrvane_600::FunctionTreeImp* Date(const std::string& seconds) {
  return Node(MCOrvane_600::TransformationDictionary::kFN_NONE, "Constant_T_" + seconds, true);
}

// A numeric input field; `missing`, unless the system-missing value, is its
// one user-missing value.
inline MCOrvane_600::DictVar* NumericVar(
    const std::string& name, double missing = MCOrvane_600::NumericValue::GetSysmisValue()) {
  auto* var = new MCOrvane_600::DictVar(name, MCOrvane_600::ScoreDictVar::kNUMERIC_VAR);
  if (missing != MCOrvane_600::NumericValue::GetSysmisValue()) {
    auto* set = new MCOrvane_600::MissingValueSet();
    set->Add(new MCOrvane_600::Range(new MCOrvane_600::NumericValue(missing)));
    var->SetMissingValues(set);
  }
  return var;
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_
