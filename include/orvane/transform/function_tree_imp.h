#ifndef ORVANE_TRANSFORM_FUNCTION_TREE_IMP_H_
#define ORVANE_TRANSFORM_FUNCTION_TREE_IMP_H_

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree.h"

namespace MCOrvane_600 {

namespace internal {
class ApplyProgram;
}  // namespace internal

// The expression-tree node. Children are kept in argument order; a removal
// leaves an empty (null) slot behind, so child indexes stay stable. Node
// relations compare by node ID where the operation says so (GetIndex, Remove)
// and by identity everywhere else.
//
// The non-virtual navigation answers FunctionTreeImp nodes; a child of any
// other FunctionTree implementation is answered as null.
class FunctionTreeImp : public FunctionTree {
 public:
  // Inner nodes allow children, leaves do not.
  explicit FunctionTreeImp(bool allowsChildren);
  // Copying would share children: use Clone().
  FunctionTreeImp(const FunctionTreeImp&) = delete;
  FunctionTreeImp& operator=(const FunctionTreeImp&) = delete;
  // Destroys every child.
  ~FunctionTreeImp() override;

  bool operator==(const FunctionTree& other) const override;
  // Emptied slots are not copied.
  FunctionTree* Clone() const override;
  // Takes ownership of `child` and appends it whatever `index` says, moving it
  // from its former parent (which does not destroy it). Refused, leaving the
  // caller owning `child`, when this node allows no children, `child` is null,
  // or `child` is this node or one of its ancestors.
  void Insert(FunctionTree* child, int index) override;
  // Same as Insert: `child` ends up last.
  void Add(FunctionTree* child) override;
  // Only when `child`'s parent is this node; see Remove(int).
  void Remove(FunctionTree* child) override;
  // Destroys every child whose node ID equals that of the child at `index` and
  // empties their slots; the child count does not change.
  void Remove(int index) override;
  // Destroys this node (the parent's Remove): do not use it afterwards.
  void RemoveFromParent() override;
  // Destroys every child; the emptied slots stay.
  void RemoveAllChildren() override;
  // True when there are no slots at all, empty or not.
  bool IsLeaf() const override;
  void SetNodeStats(ApplyNodeStats stats) override;
  void SetParent(FunctionTree* parent) override;
  ApplyNodeStats GetNodeStats() const override;
  const FunctionTree* GetChildAt(int index) const override;
  int GetChildCount() const override;
  const FunctionTree* GetParent() const override;
  // The first slot whose node has `child`'s node ID; -1 for null or none.
  int GetIndex(const FunctionTree* child) const override;
  bool GetAllowsChildren() const override;
  void Display(std::ostream& out) const override;
  // A copy of the slots, emptied ones included; the nodes stay owned here.
  virtual std::vector<FunctionTree*> Children() const;
  // The topmost ancestor; this node when it has no parent.
  virtual const FunctionTree* GetRoot() const;

  // True when `other` is this node or one of its ancestors.
  bool IsNodeAncestor(const FunctionTree* other) const;
  // True when this node is `other` or one of `other`'s ancestors.
  bool IsNodeDescendant(const FunctionTreeImp* other) const;
  // Switching children off destroys the present ones.
  void SetAllowsChildren(bool allowsChildren);
  // The number of ancestors.
  int GetLevel() const;
  bool IsRoot() const;

  // Preorder successor and predecessor; emptied slots are passed over.
  const FunctionTreeImp* GetNextNode() const;
  const FunctionTreeImp* GetPreviousNode() const;

  bool IsNodeChild(const FunctionTree* other) const;
  // Slot 0 and the last slot; null for an emptied slot.
  const FunctionTreeImp* GetFirstChild() const;
  const FunctionTreeImp* GetLastChild() const;
  // The slot after or before the one GetIndex(child) finds; null past the
  // ends. A `child` that is not found counts as index -1, so GetChildAfter
  // then answers slot 0.
  const FunctionTreeImp* GetChildAfter(const FunctionTree* child) const;
  const FunctionTreeImp* GetChildBefore(const FunctionTree* child) const;

  bool IsNodeSibling(const FunctionTree* other) const;
  // 1 for a root, else the parent's child count.
  int GetSiblingCount() const;
  // The parent's GetChildAfter(this) / GetChildBefore(this).
  const FunctionTreeImp* GetNextSibling() const;
  const FunctionTreeImp* GetPreviousSibling() const;

  // A leaf here is a node with no child left in its slots.
  const FunctionTreeImp* GetFirstLeaf() const;
  const FunctionTreeImp* GetLastLeaf() const;
  const FunctionTreeImp* GetNextLeaf() const;
  const FunctionTreeImp* GetPreviousLeaf() const;

 private:
  // Reads the payload and the slots without copies, and the version.
  friend class internal::ApplyProgram;

  // Takes `child` out of the slot list (the slot goes too) and hands it back
  // to the caller; null when it is not here.
  FunctionTree* Detach(const FunctionTree* child);
  // Marks this node and its ancestors changed: what was laid out from the
  // tree before no longer describes it. Stops at the first ancestor already
  // marked, whose own ancestors then are too, so building a tree costs no
  // walk to its root per node.
  void Touch();
  // Marks this node changed, telling a plan that watches it.
  void MarkChanged() const;

  FunctionTree* parent_;                                 // not owned; null for a root
  std::vector<std::unique_ptr<FunctionTree>> children_;  // null for an emptied slot
  bool allows_children_;
  ApplyNodeStats node_stats_;
  // Set by every change in this node's subtree (payloads, slots, parent
  // links) since the whole tree was last laid out; a marked node's ancestors
  // are all marked.
  mutable bool changed_ = true;
  // On a root: names the latest layout of the tree, so that an older one
  // is never taken for it.
  mutable std::uint64_t layout_ = 0;
  // On a root: shared with the evaluation plan that relies on the tree as
  // it is; turned false at the root's first change.
  mutable std::shared_ptr<bool> watch_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSFORM_FUNCTION_TREE_IMP_H_
