#include "orvane/transform/function_tree_imp.h"

#include <string>
#include <utility>

namespace MCOrvane_600 {

namespace {

const FunctionTreeImp* AsImp(const FunctionTree* node) {
  return dynamic_cast<const FunctionTreeImp*>(node);
}

// The rest works through the virtual interface only, so that it walks any
// FunctionTree implementation.

// The slot after the one `parent->GetIndex(child)` finds.
const FunctionTree* ChildAfter(const FunctionTree* parent, const FunctionTree* child) {
  const int index = parent->GetIndex(child);
  return index + 1 < parent->GetChildCount() ? parent->GetChildAt(index + 1) : nullptr;
}

const FunctionTree* ChildBefore(const FunctionTree* parent, const FunctionTree* child) {
  const int index = parent->GetIndex(child);
  return index > 0 ? parent->GetChildAt(index - 1) : nullptr;
}

// The first non-empty slot from `from` on, stepping by `step`.
const FunctionTree* LiveChild(const FunctionTree* node, int from, int step) {
  for (int i = from; i >= 0 && i < node->GetChildCount(); i += step) {
    if (const FunctionTree* child = node->GetChildAt(i)) return child;
  }
  return nullptr;
}

const FunctionTree* FirstLiveChild(const FunctionTree* node) { return LiveChild(node, 0, 1); }

const FunctionTree* LastLiveChild(const FunctionTree* node) {
  return LiveChild(node, node->GetChildCount() - 1, -1);
}

// Navigation locates a node in its parent by identity: node IDs need not be
// unique (default-built nodes all have the empty ID).
int SlotInParent(const FunctionTree* node) {
  const FunctionTree* parent = node->GetParent();
  if (parent == nullptr) return -1;
  for (int i = 0; i < parent->GetChildCount(); ++i) {
    if (parent->GetChildAt(i) == node) return i;
  }
  return -1;
}

const FunctionTree* NextLiveSibling(const FunctionTree* node) {
  const int slot = SlotInParent(node);
  return slot < 0 ? nullptr : LiveChild(node->GetParent(), slot + 1, 1);
}

const FunctionTree* PreviousLiveSibling(const FunctionTree* node) {
  const int slot = SlotInParent(node);
  return slot < 0 ? nullptr : LiveChild(node->GetParent(), slot - 1, -1);
}

const FunctionTree* FirstLeafOf(const FunctionTree* node) {
  while (const FunctionTree* child = FirstLiveChild(node)) node = child;
  return node;
}

const FunctionTree* LastLeafOf(const FunctionTree* node) {
  while (const FunctionTree* child = LastLiveChild(node)) node = child;
  return node;
}

}  // namespace

FunctionTreeImp::FunctionTreeImp(bool allowsChildren)
    : parent_(nullptr), allows_children_(allowsChildren) {}

FunctionTreeImp::~FunctionTreeImp() = default;

bool FunctionTreeImp::operator==(const FunctionTree& other) const {
  return node_stats_.GetNodeID() == other.GetNodeStats().GetNodeID();
}

FunctionTree* FunctionTreeImp::Clone() const {
  std::unique_ptr<FunctionTreeImp> copy(new FunctionTreeImp(allows_children_));
  copy->node_stats_ = node_stats_;
  for (const std::unique_ptr<FunctionTree>& child : children_) {
    if (child == nullptr) continue;
    std::unique_ptr<FunctionTree> child_copy(child->Clone());
    child_copy->SetParent(copy.get());
    copy->children_.push_back(std::move(child_copy));
  }
  return copy.release();
}

void FunctionTreeImp::Insert(FunctionTree* child, int /*index*/) {
  if (!allows_children_ || child == nullptr || IsNodeAncestor(child)) return;
  if (const FunctionTree* old_parent = child->GetParent()) {
    // The former parent must give the child up, which only a node of this
    // class can do without destroying it.
    FunctionTreeImp* owner = dynamic_cast<FunctionTreeImp*>(const_cast<FunctionTree*>(old_parent));
    if (owner == nullptr) return;
    owner->Detach(child);
  }
  child->SetParent(this);
  children_.emplace_back(child);
  Touch();
}

void FunctionTreeImp::Add(FunctionTree* child) {
  if (child != nullptr && child->GetParent() == this) {
    Insert(child, GetChildCount() - 1);
  } else {
    Insert(child, GetChildCount());
  }
}

void FunctionTreeImp::Remove(FunctionTree* child) {
  if (child == nullptr || children_.empty() || child->GetParent() != this) return;
  const int index = GetIndex(child);
  if (index >= 0) Remove(index);
}

void FunctionTreeImp::Remove(int index) {
  const FunctionTree* target = GetChildAt(index);
  if (target == nullptr) return;
  // Copied: the target itself is among the nodes destroyed below.
  const std::string id = target->GetNodeStats().GetNodeID();
  for (std::unique_ptr<FunctionTree>& slot : children_) {
    if (slot != nullptr && slot->GetNodeStats().GetNodeID() == id) slot.reset();
  }
  Touch();
}

void FunctionTreeImp::RemoveFromParent() {
  if (parent_ != nullptr) parent_->Remove(this);
}

void FunctionTreeImp::RemoveAllChildren() {
  for (int i = GetChildCount() - 1; i >= 0; --i) Remove(i);
}

bool FunctionTreeImp::IsLeaf() const { return GetChildCount() == 0; }

void FunctionTreeImp::SetNodeStats(ApplyNodeStats stats) {
  node_stats_ = std::move(stats);
  Touch();
}

void FunctionTreeImp::SetParent(FunctionTree* parent) {
  // Both the tree left and the tree joined change.
  Touch();
  parent_ = parent;
  Touch();
}

void FunctionTreeImp::Touch() {
  MarkChanged();
  for (const FunctionTree* node = parent_; node != nullptr; node = node->GetParent()) {
    // Another class of node cannot be marked: the walk goes past it.
    const FunctionTreeImp* imp = AsImp(node);
    if (imp == nullptr) continue;
    if (imp->changed_) return;
    imp->MarkChanged();
  }
}

void FunctionTreeImp::MarkChanged() const {
  changed_ = true;
  if (watch_ != nullptr) {
    *watch_ = false;
    watch_.reset();
  }
}

ApplyNodeStats FunctionTreeImp::GetNodeStats() const { return node_stats_; }

const FunctionTree* FunctionTreeImp::GetChildAt(int index) const {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  return children_[index].get();
}

int FunctionTreeImp::GetChildCount() const { return static_cast<int>(children_.size()); }

const FunctionTree* FunctionTreeImp::GetParent() const { return parent_; }

int FunctionTreeImp::GetIndex(const FunctionTree* child) const {
  if (child == nullptr) return -1;
  for (int i = 0; i < GetChildCount(); ++i) {
    if (children_[i] != nullptr && *children_[i] == *child) return i;
  }
  return -1;
}

bool FunctionTreeImp::GetAllowsChildren() const { return allows_children_; }

void FunctionTreeImp::Display(std::ostream& out) const {
  out << "Start FunctionTree Display:\n";
  out << "  Node ID = " << node_stats_.GetNodeID() << "\n";
  const TransformationDictionary::TransformFunction function = node_stats_.GetTransformFunction();
  if (function < TransformationDictionary::kFN_NONE) {
    out << "Transformation: ";
    switch (function) {
      case TransformationDictionary::kFN_PLUS:
        out << "+";
        break;
      case TransformationDictionary::kFN_MINUS:
        out << "-";
        break;
      case TransformationDictionary::kFN_MULTIPLY:
        out << "*";
        break;
      case TransformationDictionary::kFN_ABS:
        out << "abs";
        break;
      case TransformationDictionary::kFN_LN:
        out << "ln";
        break;
      case TransformationDictionary::kFN_SQRT:
        out << "sqrt";
        break;
      default:  // the dump names only these few
        break;
    }
  }
  out << "\n";
  const std::string parameter_name = node_stats_.GetParameterName();
  if (!parameter_name.empty()) out << "  Parameter Name: " << parameter_name << "\n";
  for (const std::unique_ptr<FunctionTree>& child : children_) {
    if (child != nullptr) {
      out << "       Child NodeID = " << child->GetNodeStats().GetNodeID() << std::endl;
    }
  }
  out << "  Level = " << GetLevel() << "\n\n";
  out << "End FunctionTree Display. \n\n";
}

std::vector<FunctionTree*> FunctionTreeImp::Children() const {
  std::vector<FunctionTree*> children;
  children.reserve(children_.size());
  for (const std::unique_ptr<FunctionTree>& child : children_) children.push_back(child.get());
  return children;
}

const FunctionTree* FunctionTreeImp::GetRoot() const {
  const FunctionTree* node = this;
  while (node->GetParent() != nullptr) node = node->GetParent();
  return node;
}

bool FunctionTreeImp::IsNodeAncestor(const FunctionTree* other) const {
  if (other == nullptr) return false;
  for (const FunctionTree* node = this; node != nullptr; node = node->GetParent()) {
    if (node == other) return true;
  }
  return false;
}

bool FunctionTreeImp::IsNodeDescendant(const FunctionTreeImp* other) const {
  if (other == nullptr) return false;
  for (const FunctionTree* node = other; node != nullptr; node = node->GetParent()) {
    if (node == this) return true;
  }
  return false;
}

void FunctionTreeImp::SetAllowsChildren(bool allowsChildren) {
  if (allowsChildren == allows_children_) return;
  allows_children_ = allowsChildren;
  if (!allowsChildren) RemoveAllChildren();
}

int FunctionTreeImp::GetLevel() const {
  int level = 0;
  for (const FunctionTree* node = parent_; node != nullptr; node = node->GetParent()) ++level;
  return level;
}

bool FunctionTreeImp::IsRoot() const { return parent_ == nullptr; }

const FunctionTreeImp* FunctionTreeImp::GetNextNode() const {
  if (const FunctionTree* child = FirstLiveChild(this)) return AsImp(child);
  for (const FunctionTree* node = this; node != nullptr; node = node->GetParent()) {
    if (const FunctionTree* sibling = NextLiveSibling(node)) return AsImp(sibling);
  }
  return nullptr;
}

const FunctionTreeImp* FunctionTreeImp::GetPreviousNode() const {
  if (parent_ == nullptr) return nullptr;
  if (const FunctionTree* sibling = PreviousLiveSibling(this)) return AsImp(LastLeafOf(sibling));
  return AsImp(parent_);
}

bool FunctionTreeImp::IsNodeChild(const FunctionTree* other) const {
  return other != nullptr && !children_.empty() && other->GetParent() == this;
}

const FunctionTreeImp* FunctionTreeImp::GetFirstChild() const {
  return children_.empty() ? nullptr : AsImp(children_.front().get());
}

const FunctionTreeImp* FunctionTreeImp::GetLastChild() const {
  return children_.empty() ? nullptr : AsImp(children_.back().get());
}

const FunctionTreeImp* FunctionTreeImp::GetChildAfter(const FunctionTree* child) const {
  return AsImp(ChildAfter(this, child));
}

const FunctionTreeImp* FunctionTreeImp::GetChildBefore(const FunctionTree* child) const {
  return AsImp(ChildBefore(this, child));
}

bool FunctionTreeImp::IsNodeSibling(const FunctionTree* other) const {
  if (other == nullptr) return false;
  if (other == this) return true;
  return parent_ != nullptr && other->GetParent() == parent_;
}

int FunctionTreeImp::GetSiblingCount() const {
  return parent_ == nullptr ? 1 : parent_->GetChildCount();
}

const FunctionTreeImp* FunctionTreeImp::GetNextSibling() const {
  return parent_ == nullptr ? nullptr : AsImp(ChildAfter(parent_, this));
}

const FunctionTreeImp* FunctionTreeImp::GetPreviousSibling() const {
  return parent_ == nullptr ? nullptr : AsImp(ChildBefore(parent_, this));
}

const FunctionTreeImp* FunctionTreeImp::GetFirstLeaf() const { return AsImp(FirstLeafOf(this)); }

const FunctionTreeImp* FunctionTreeImp::GetLastLeaf() const { return AsImp(LastLeafOf(this)); }

const FunctionTreeImp* FunctionTreeImp::GetNextLeaf() const {
  for (const FunctionTree* node = this; node != nullptr; node = node->GetParent()) {
    if (const FunctionTree* sibling = NextLiveSibling(node)) return AsImp(FirstLeafOf(sibling));
  }
  return nullptr;
}

const FunctionTreeImp* FunctionTreeImp::GetPreviousLeaf() const {
  for (const FunctionTree* node = this; node != nullptr; node = node->GetParent()) {
    if (const FunctionTree* sibling = PreviousLiveSibling(node)) {
      return AsImp(LastLeafOf(sibling));
    }
  }
  return nullptr;
}

FunctionTree* FunctionTreeImp::Detach(const FunctionTree* child) {
  for (auto it = children_.begin(); it != children_.end(); ++it) {
    if (it->get() == child) {
      FunctionTree* detached = it->release();
      children_.erase(it);
      Touch();
      return detached;
    }
  }
  return nullptr;
}

}  // namespace MCOrvane_600
