#include "transform/engine/apply_program.h"

#include <algorithm>
#include <memory>
#include <typeinfo>

#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/function_tree_imp.h"
#include "transform/engine/constant_number.h"
#include "transform/engine/eval_case.h"
#include "transform/engine/standard_functions.h"
#include "dictionary/stamp.h"

namespace MCOrvane_600 {
namespace internal {

namespace {

const FunctionTreeImp* AsImp(const FunctionTree* node) {
  return typeid(*node) == typeid(FunctionTreeImp) ? static_cast<const FunctionTreeImp*>(node)
                                                  : nullptr;
}

}  // namespace

ApplyProgram::ApplyProgram(const FunctionTree& top, TransformFunction parent) {
  nodes_.emplace_back();
  names_.emplace_back();
  Compile(top, 0, parent);
  for (std::size_t i = 0; i < nodes_.size(); ++i) nodes_[i].name = &names_[i];
  // Only a top that always answers a number is computed by steps.
  const Node& first = nodes_[0];
  const bool number_top = first.constant != 0 ? first.constant == 'D'
                                              : first.kind != builtin::Kind::kOperand &&
                                                    first.kind != builtin::Kind::kText &&
                                                    first.kind != builtin::Kind::kValue &&
                                                    first.kind != builtin::Kind::kIf &&
                                                    first.kind != builtin::Kind::kStandard;
  if (number_top) stack_.resize(static_cast<std::size_t>(AddNumberSteps(0)));
  // Only the library's nodes report their changes to the root, and only to
  // the topmost one.
  const FunctionTreeImp* root = AsImp(&top);
  if (root == nullptr || top.GetParent() != nullptr) return;
  std::vector<const FunctionTreeImp*> nodes;
  std::vector<const FunctionTree*> pending{&top};
  while (!pending.empty()) {
    const FunctionTreeImp* node = AsImp(pending.back());
    pending.pop_back();
    if (node == nullptr) return;
    nodes.push_back(node);
    for (const std::unique_ptr<FunctionTree>& child : node->children_) {
      if (child != nullptr) pending.push_back(child.get());
    }
  }
  // From here on a change anywhere marks the root again.
  for (const FunctionTreeImp* node : nodes) node->changed_ = false;
  root->layout_ = NewStamp();
  root_ = root;
  layout_ = root->layout_;
}

int ApplyProgram::AddNumberSteps(int i) {
  const Node& node = nodes_[static_cast<std::size_t>(i)];
  Step step{Step::kNode, node.function, i, 0, 0.0};
  if (node.constant == 'D') {
    step.kind = Step::kConstant;
    step.number = node.number;
  } else if (node.constant == 0 && node.kind == builtin::Kind::kOperand) {
    step.kind = Step::kField;
  } else if (node.constant == 0 &&
             (node.kind == builtin::Kind::kFold || node.kind == builtin::Kind::kAccumulate)) {
    // The arguments first, left to right, each leaving its number.
    int depth = 1;
    for (int slot = 0; slot < node.count; ++slot) {
      depth = std::max(depth, slot + AddNumberSteps(node.first + slot));
    }
    step.kind = node.kind == builtin::Kind::kFold ? Step::kFold : Step::kCollect;
    step.count = node.count;
    number_steps_.push_back(step);
    return depth;
  }
  number_steps_.push_back(step);
  return 1;
}

void ApplyProgram::Compile(const FunctionTree& tree, int at, TransformFunction parent) {
  const ApplyNodeStats stats = tree.GetNodeStats();
  std::vector<const FunctionTree*> children;
  for (int i = 0; i < tree.GetChildCount(); ++i) {
    if (const FunctionTree* child = tree.GetChildAt(i)) children.push_back(child);
  }
  const int first = static_cast<int>(nodes_.size());
  nodes_.resize(nodes_.size() + children.size());
  names_.resize(nodes_.size());
  {
    Node& node = nodes_[static_cast<std::size_t>(at)];
    node.function = stats.GetTransformFunction();
    node.parent = parent;
    node.kind = builtin::KindOf(node.function);
    node.constant = 0;
    node.number = 0.0;
    const std::string& name = names_[static_cast<std::size_t>(at)] = stats.GetParameterName();
    if (stats.IsConstNode()) {
      const char type = ConstantType(name);
      // Any letter but 'S' and 'T' reads as a number; 0 marks "none".
      node.constant = type == 'S' || type == 'T' ? type : 'D';
      if (type != 'S') node.number = ConstantNumber(name);
    }
    node.first = first;
    node.count = static_cast<int>(children.size());
    node.operand = -1;
    // A standard node with the wrong number of arguments (a plug-in may
    // build one) is no operation, whose value is invalid.
    const standard::Op op = node.function == TransformationDictionary::kFN_X_STANDARD
                                ? standard::OpOf(name)
                                : standard::kNoOp;
    node.op = standard::TakesArguments(op, children.size()) ? static_cast<int>(op) : -1;
    node.name = nullptr;
  }
  const TransformFunction function = stats.GetTransformFunction();
  for (std::size_t i = 0; i < children.size(); ++i) {
    Compile(*children[i], first + static_cast<int>(i), function);
  }
}

std::uint64_t ApplyProgram::PlanStamp(const EvalCase& ec) { return ec.plan_stamp(); }

void ApplyProgram::Rebind(const EvalCase& ec) {
  plan_stamp_ = ec.plan_stamp();
  for (Node& node : nodes_) node.operand = ec.Find(*node.name);
}

}  // namespace internal
}  // namespace MCOrvane_600
