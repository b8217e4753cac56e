#ifndef ORVANE_TRANSFORM_APPLY_NODE_STATS_H_
#define ORVANE_TRANSFORM_APPLY_NODE_STATS_H_

#include <string>

#include "orvane/transform/transformation_dictionary.h"

namespace MCOrvane_600 {

// The payload of one expression-tree node, copied by value.
//
// A leaf's parameter name is its operand: a variable name, or a constant
// encoded as "Constant_" + type letter ('D' numeric, 'T' date/time,
// 'S' string) + "_" + the constant's text, so the letter is at position 9 and
// the text starts at position 11.
class ApplyNodeStats {
 public:
  // No function, empty parameter name and node ID, not a constant.
  ApplyNodeStats();
  ApplyNodeStats(const ApplyNodeStats& other);
  ApplyNodeStats& operator=(const ApplyNodeStats& other);
  ~ApplyNodeStats();

  // Nodes are identified by their node ID alone; the other fields are not
  // compared.
  bool operator==(const ApplyNodeStats& other) const;

  void SetTransformFunction(TransformationDictionary::TransformFunction function);
  TransformationDictionary::TransformFunction GetTransformFunction() const;

  void SetParameterName(const std::string& name);
  std::string GetParameterName() const;
  // Lent, without the copy of GetParameterName; valid until the payload
  // changes.
  const std::string& ParameterName() const { return parameter_name_; }

  void SetNodeID(std::string id);
  std::string GetNodeID() const;
  // Lent, as ParameterName.
  const std::string& NodeID() const { return node_id_; }

  void SetConstNode(bool is_const);
  bool IsConstNode() const;

 private:
  TransformationDictionary::TransformFunction transform_function_;
  std::string parameter_name_;  // empty for an inner node
  std::string node_id_;
  bool const_node_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSFORM_APPLY_NODE_STATS_H_
