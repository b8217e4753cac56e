#ifndef ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_
#define ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_

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

}  // namespace orvane_test

#endif  // ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_
