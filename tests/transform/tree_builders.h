#ifndef ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_
#define ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_

#include <initializer_list>
#include <string>

#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transformation_dictionary.h"

// Expression-tree nodes for tests. The caller owns the node.
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

}  // namespace orvane_test

#endif  // ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_
