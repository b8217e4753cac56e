#include "orvane/transform/apply_node_stats.h"

#include <utility>

namespace MCOrvane_600 {

ApplyNodeStats::ApplyNodeStats()
    : transform_function_(TransformationDictionary::kFN_NONE), const_node_(false) {}

ApplyNodeStats::ApplyNodeStats(const ApplyNodeStats& other) = default;

ApplyNodeStats& ApplyNodeStats::operator=(const ApplyNodeStats& other) = default;

ApplyNodeStats::~ApplyNodeStats() = default;

bool ApplyNodeStats::operator==(const ApplyNodeStats& other) const {
  return node_id_ == other.node_id_;
}

void ApplyNodeStats::SetTransformFunction(TransformationDictionary::TransformFunction function) {
  transform_function_ = function;
}

TransformationDictionary::TransformFunction ApplyNodeStats::GetTransformFunction() const {
  return transform_function_;
}

void ApplyNodeStats::SetParameterName(const std::string& name) { parameter_name_ = name; }

std::string ApplyNodeStats::GetParameterName() const { return parameter_name_; }

void ApplyNodeStats::SetNodeID(std::string id) { node_id_ = std::move(id); }

std::string ApplyNodeStats::GetNodeID() const { return node_id_; }

void ApplyNodeStats::SetConstNode(bool is_const) { const_node_ = is_const; }

bool ApplyNodeStats::IsConstNode() const { return const_node_; }

}  // namespace MCOrvane_600
