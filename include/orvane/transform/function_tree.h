#ifndef ORVANE_TRANSFORM_FUNCTION_TREE_H_
#define ORVANE_TRANSFORM_FUNCTION_TREE_H_

#include <ostream>

#include "orvane/transform/apply_node_stats.h"

namespace MCOrvane_600 {

// One node of an Apply expression tree. An inner node calls a built-in
// function on its children, in child order; a leaf is one operand. A node owns
// its children. The declaration order of the virtual operations is part of the
// interface plug-ins are compiled against: append only.
class FunctionTree {
 public:
  FunctionTree() = default;
  FunctionTree(const FunctionTree&) = default;
  FunctionTree& operator=(const FunctionTree&) = default;
  virtual ~FunctionTree() = default;

  // True when the two nodes carry the same node ID.
  virtual bool operator==(const FunctionTree& other) const = 0;
  // A deep copy of this subtree without parent; the caller owns it.
  virtual FunctionTree* Clone() const = 0;
  // Takes ownership of `child` and appends it; `index` is ignored.
  virtual void Insert(FunctionTree* child, int index) = 0;
  // Takes ownership of `child` and appends it.
  virtual void Add(FunctionTree* child) = 0;
  // Destroys `child`, and every other child with its node ID.
  virtual void Remove(FunctionTree* child) = 0;
  // Destroys the child at `index`, and every other child with its node ID.
  virtual void Remove(int index) = 0;
  // Destroys this node through its parent's Remove; a root is left alone.
  virtual void RemoveFromParent() = 0;
  virtual void RemoveAllChildren() = 0;
  virtual bool IsLeaf() const = 0;
  virtual void SetNodeStats(ApplyNodeStats stats) = 0;
  // Sets the parent link only; no child list changes. Does not take ownership.
  virtual void SetParent(FunctionTree* parent) = 0;
  virtual ApplyNodeStats GetNodeStats() const = 0;
  // Lent; null for an emptied slot or an index out of range.
  virtual const FunctionTree* GetChildAt(int index) const = 0;
  // Counts emptied slots too.
  virtual int GetChildCount() const = 0;
  virtual const FunctionTree* GetParent() const = 0;
  virtual int GetIndex(const FunctionTree* child) const = 0;
  virtual bool GetAllowsChildren() const = 0;
  // Describes this node only, not its subtree.
  virtual void Display(std::ostream& out) const = 0;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSFORM_FUNCTION_TREE_H_
