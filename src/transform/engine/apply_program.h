#ifndef ORVANE_SRC_TRANSFORM_ENGINE_APPLY_PROGRAM_H_
#define ORVANE_SRC_TRANSFORM_ENGINE_APPLY_PROGRAM_H_

// An Apply tree laid out flat for evaluation: what the walk needs of every
// node, read once from the tree instead of on every case. A derived
// variable keeps the program of its tree for as long as the tree's version
// says the tree is unchanged.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transformation_dictionary.h"
#include "transform/engine/builtin_functions.h"

namespace MCOrvane_600 {

namespace internal {

class EvalCase;

class ApplyProgram {
 public:
  using TransformFunction = TransformationDictionary::TransformFunction;

  struct Node {
    TransformFunction function;
    // The function of the parent node; kFN_NONE for the top.
    TransformFunction parent;
    builtin::Kind kind;
    // The children that are there (emptied slots left out), in slot order:
    // nodes first .. first + count - 1.
    int first;
    int count;
    // The plan operand of the name; -1 for a lookup by name.
    int operand;
    // kFN_X_STANDARD: the standard::Op its name selects; -1 otherwise.
    int op;
    // 0, or the type letter of a constant leaf ('S', 'T', 'D' for any other).
    char constant;
    // The number of a numeric or date/time constant.
    double number;
    // The parameter name: a field name, or an encoded constant. Kept apart,
    // since a case rarely needs it.
    const std::string* name;
  };

  // The numbers of a tree, in the order the walk computes them: each step
  // pushes a number on a stack or folds the numbers of a node's arguments,
  // on top of the stack, into one.
  struct Step {
    enum Kind : char {
      kConstant,  // pushes `number`
      kField,     // pushes the number of the field operand `node`
      kNode,      // pushes the number the walk gives node `node`
      kFold,      // +, pow, mod and the unary functions over `count` numbers
      kCollect,   // the vector functions over `count` numbers
    };
    Kind kind;
    TransformFunction function;
    int node;
    int count;
    double number;
  };

  // The subtree at `top`, whose parent (if any) calls `parent`.
  ApplyProgram(const FunctionTree& top, TransformFunction parent);
  ApplyProgram(const ApplyProgram&) = delete;
  ApplyProgram& operator=(const ApplyProgram&) = delete;

  // True when this is the program of the tree at `root` as the tree is now.
  // Only a tree made of the library's own nodes, under no parent, can tell;
  // for any other the program is made afresh each time. Only the latest
  // program made of a tree describes it.
  bool Describes(const FunctionTree* root) const {
    return root_ != nullptr && root == root_ && !root_->changed_ && root_->layout_ == layout_;
  }
  // Resolves the operands for the plan of `ec` (if any).
  void Bind(const EvalCase& ec) {
    if (PlanStamp(ec) != plan_stamp_) Rebind(ec);
  }
  const Node& node(int i) const { return nodes_[static_cast<std::size_t>(i)]; }
  std::size_t node_count() const { return nodes_.size(); }
  // Has the root turn `flag` false at the tree's first change; only for a
  // program that Describes its tree.
  void Watch(const std::shared_ptr<bool>& flag) const { root_->watch_ = flag; }
  // The steps computing node 0 as a number; empty when node 0 does not
  // always answer a number. `stack` has room for what the steps push.
  const std::vector<Step>& number_steps() const { return number_steps_; }
  double* stack() const { return stack_.data(); }
  // Whether the top of the program answered an invalid value when last run,
  // and in which pass over a case: a derived field stores an invalid result
  // as missing, and the standard expressions that read the field tell the
  // two apart by this.
  void NoteTop(bool invalid, std::uint64_t pass) const {
    top_invalid_ = invalid;
    top_pass_ = pass;
  }
  // True when the last run answered an invalid value, in pass `pass` (any
  // pass for 0, an evaluation outside a pass).
  bool TopInvalid(std::uint64_t pass) const {
    return top_invalid_ && (pass == 0 || top_pass_ == pass);
  }

 private:
  static std::uint64_t PlanStamp(const EvalCase& ec);
  void Rebind(const EvalCase& ec);
  void Compile(const FunctionTree& tree, int at, TransformFunction parent);
  // Appends the steps of node i; answers the stack depth they need.
  int AddNumberSteps(int i);

  std::vector<Node> nodes_;
  std::vector<Step> number_steps_;
  mutable std::vector<double> stack_;
  // The parameter names, parallel to nodes_.
  std::vector<std::string> names_;
  // The root, when its mark tells the tree's changes; else null.
  const FunctionTreeImp* root_ = nullptr;
  // The root's layout stamp when this program was made.
  std::uint64_t layout_ = 0;
  // The plan the operands were resolved for; 0 for none (by name).
  std::uint64_t plan_stamp_ = 0;
  mutable bool top_invalid_ = false;
  mutable std::uint64_t top_pass_ = 0;
};

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_ENGINE_APPLY_PROGRAM_H_
