// Expression trees: their nodes, the node records and the function names.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "orvane/transform/transform_function_names.h"
#include "support/test_support.h"
#include "transform/tree_builders.h"

namespace MCOrvane_600 {
namespace {

typedef TransformationDictionary TD;

FunctionTreeImp* MakeNode(const std::string& id, TD::TransformFunction function = TD::kFN_NONE,
                          const std::string& parameter = "") {
  return orvane_test::MakeNode(id, function, parameter);
}

std::string Id(const FunctionTree* node) {
  return node == nullptr ? "null" : node->GetNodeStats().GetNodeID();
}

// r(+) -> a(abs) -> x ; b ; c(sqrt) -> y, z
class FunctionTreeTest : public ::testing::Test {
 protected:
  FunctionTreeTest() : root_(MakeNode("r", TD::kFN_PLUS)) {
    a_ = MakeNode("a", TD::kFN_ABS);
    x_ = MakeNode("x", TD::kFN_NONE, "X");
    b_ = MakeNode("b", TD::kFN_NONE, "Constant_D_2.5");
    c_ = MakeNode("c", TD::kFN_SQRT);
    y_ = MakeNode("y", TD::kFN_NONE, "Y");
    z_ = MakeNode("z", TD::kFN_NONE, "Z");
    root_->Add(a_);
    a_->Add(x_);
    root_->Add(b_);
    root_->Add(c_);
    c_->Add(y_);
    c_->Add(z_);
  }

  // Ids met by repeatedly following `step` from `start`.
  template <typename Step>
  static std::string Walk(const FunctionTreeImp* start, Step step) {
    std::string ids;
    for (const FunctionTreeImp* n = start; n != nullptr; n = step(n)) ids += Id(n);
    return ids;
  }

  std::unique_ptr<FunctionTreeImp> root_;
  FunctionTreeImp *a_, *x_, *b_, *c_, *y_, *z_;
};

TEST_F(FunctionTreeTest, ChildAccessAndRelations) {
  EXPECT_EQ(3, root_->GetChildCount());
  EXPECT_EQ(nullptr, root_->GetChildAt(-1));
  EXPECT_EQ(nullptr, root_->GetChildAt(3));
  EXPECT_EQ(1, root_->GetIndex(b_));
  EXPECT_EQ(-1, root_->GetIndex(y_));
  EXPECT_EQ((std::vector<FunctionTree*>{a_, b_, c_}), root_->Children());
  EXPECT_EQ((std::vector<const FunctionTree*>{a_, c_, c_, nullptr, a_, nullptr}),
            (std::vector<const FunctionTree*>{
                root_->GetFirstChild(), root_->GetLastChild(), root_->GetChildAfter(b_),
                root_->GetChildAfter(c_), root_->GetChildBefore(b_), root_->GetChildBefore(a_)}));
  EXPECT_TRUE(x_->IsLeaf() && !a_->IsLeaf() && !x_->GetAllowsChildren());

  EXPECT_TRUE(root_->IsRoot());
  EXPECT_EQ((std::vector<int>{0, 1, 2}),
            (std::vector<int>{root_->GetLevel(), c_->GetLevel(), z_->GetLevel()}));
  EXPECT_EQ(root_.get(), z_->GetRoot());
  EXPECT_TRUE(z_->IsNodeAncestor(z_) && z_->IsNodeAncestor(root_.get()));
  EXPECT_FALSE(z_->IsNodeAncestor(a_) || root_->IsNodeAncestor(z_));
  EXPECT_TRUE(root_->IsNodeDescendant(z_) && z_->IsNodeDescendant(z_));
  EXPECT_FALSE(z_->IsNodeDescendant(root_.get()));
  EXPECT_TRUE(c_->IsNodeChild(y_) && !root_->IsNodeChild(y_));
  EXPECT_TRUE(a_->IsNodeSibling(c_) && root_->IsNodeSibling(root_.get()));
  EXPECT_FALSE(a_->IsNodeSibling(y_));
  EXPECT_EQ(1, root_->GetSiblingCount());
  EXPECT_EQ(3, b_->GetSiblingCount());
  EXPECT_EQ((std::vector<const FunctionTree*>{c_, a_, nullptr, nullptr}),
            (std::vector<const FunctionTree*>{b_->GetNextSibling(), b_->GetPreviousSibling(),
                                              c_->GetNextSibling(), a_->GetPreviousSibling()}));
}

TEST_F(FunctionTreeTest, PreorderAndLeafOrder) {
  EXPECT_EQ("raxbcyz",
            Walk(root_.get(), [](const FunctionTreeImp* n) { return n->GetNextNode(); }));
  EXPECT_EQ("zycbxar", Walk(z_, [](const FunctionTreeImp* n) { return n->GetPreviousNode(); }));
  EXPECT_EQ(x_, root_->GetFirstLeaf());
  EXPECT_EQ(z_, root_->GetLastLeaf());
  EXPECT_EQ(b_, b_->GetFirstLeaf());
  EXPECT_EQ("xbyz", Walk(x_, [](const FunctionTreeImp* n) { return n->GetNextLeaf(); }));
  EXPECT_EQ("zybx", Walk(z_, [](const FunctionTreeImp* n) { return n->GetPreviousLeaf(); }));
  EXPECT_EQ(nullptr, root_->GetPreviousNode());
}

TEST_F(FunctionTreeTest, NavigationPassesOverEmptiedSlots) {
  root_->Remove(b_);
  EXPECT_EQ("raxcyz", Walk(root_.get(), [](const FunctionTreeImp* n) { return n->GetNextNode(); }));
  EXPECT_EQ("zycxar", Walk(z_, [](const FunctionTreeImp* n) { return n->GetPreviousNode(); }));
  EXPECT_EQ("xyz", Walk(x_, [](const FunctionTreeImp* n) { return n->GetNextLeaf(); }));
}

TEST_F(FunctionTreeTest, RefusedInsertionsChangeNothing) {
  c_->Insert(root_.get(), 0);  // into its own descendant
  c_->Insert(c_, 0);           // into itself
  x_->Add(y_);                 // into a leaf
  c_->Insert(nullptr, 0);
  EXPECT_EQ(nullptr, root_->GetParent());
  EXPECT_EQ(c_, y_->GetParent());
  EXPECT_EQ(0, x_->GetChildCount());
  EXPECT_EQ("raxbcyz",
            Walk(root_.get(), [](const FunctionTreeImp* n) { return n->GetNextNode(); }));

  // A refused node stays with the caller.
  std::unique_ptr<FunctionTreeImp> orphan(MakeNode("o"));
  x_->Insert(orphan.get(), 0);
  EXPECT_EQ(nullptr, orphan->GetParent());
}

TEST_F(FunctionTreeTest, InsertAppendsAndMoves) {
  FunctionTreeImp* w = MakeNode("w");
  c_->Insert(w, 0);
  EXPECT_EQ(2, c_->GetIndex(w));

  root_->Insert(y_, 0);  // moved from c to the end of r
  EXPECT_EQ((std::vector<FunctionTree*>{z_, w}), c_->Children());
  EXPECT_EQ(root_.get(), y_->GetParent());

  root_->Add(a_);  // already a child: goes last
  EXPECT_EQ((std::vector<FunctionTree*>{b_, c_, y_, a_}), root_->Children());
}

TEST_F(FunctionTreeTest, RemoveLeavesEmptySlots) {
  c_->Remove(0);
  c_->Remove(0);   // already empty
  c_->Remove(a_);  // not a child of c
  EXPECT_EQ((std::vector<FunctionTree*>{nullptr, z_}), c_->Children());
  EXPECT_FALSE(c_->IsLeaf());
  EXPECT_EQ(0, root_->GetIndex(a_));

  z_->RemoveFromParent();  // destroys z
  EXPECT_EQ(nullptr, c_->GetChildAt(1));

  root_->SetAllowsChildren(false);
  EXPECT_EQ(3, root_->GetChildCount());
  EXPECT_EQ(nullptr, root_->GetFirstChild());
  EXPECT_EQ(root_.get(), root_->GetFirstLeaf());
}

TEST_F(FunctionTreeTest, RemoveDestroysEveryChildWithTheSameNodeId) {
  ApplyNodeStats stats = a_->GetNodeStats();
  stats.SetNodeID("c");
  a_->SetNodeStats(stats);
  EXPECT_TRUE(*a_ == *c_);
  EXPECT_EQ(0, root_->GetIndex(c_));  // the first slot with that node ID

  root_->Remove(c_);
  EXPECT_EQ((std::vector<FunctionTree*>{nullptr, b_, nullptr}), root_->Children());
}

TEST_F(FunctionTreeTest, CloneIsDeepAndDropsEmptySlots) {
  root_->Remove(b_);
  std::unique_ptr<FunctionTree> copy(root_->Clone());
  const FunctionTreeImp* imp = dynamic_cast<const FunctionTreeImp*>(copy.get());
  ASSERT_NE(nullptr, imp);
  EXPECT_EQ(nullptr, copy->GetParent());
  EXPECT_TRUE(*copy == *root_);
  EXPECT_EQ(2, copy->GetChildCount());
  EXPECT_EQ("raxcyz", Walk(imp, [](const FunctionTreeImp* n) { return n->GetNextNode(); }));

  const FunctionTree* c_copy = copy->GetChildAt(1);
  EXPECT_NE(c_, c_copy);
  EXPECT_EQ(copy.get(), c_copy->GetParent());
  EXPECT_EQ(TD::kFN_SQRT, c_copy->GetNodeStats().GetTransformFunction());
  EXPECT_EQ("Z", c_copy->GetChildAt(1)->GetNodeStats().GetParameterName());
  EXPECT_FALSE(c_copy->GetChildAt(1)->GetAllowsChildren());

  // A subtree clone has no parent either.
  std::unique_ptr<FunctionTree> sub(c_->Clone());
  EXPECT_EQ(nullptr, sub->GetParent());
  EXPECT_EQ(2, sub->GetChildCount());
}

TEST_F(FunctionTreeTest, DisplayDescribesOneNode) {
  const struct {
    const FunctionTree* node;
    const char* text;
  } cases[] = {
      {root_.get(),
       "Start FunctionTree Display:\n"
       "  Node ID = r\n"
       "Transformation: +\n"
       "       Child NodeID = a\n"
       "       Child NodeID = b\n"
       "       Child NodeID = c\n"
       "  Level = 0\n\n"
       "End FunctionTree Display. \n\n"},
      {b_,
       "Start FunctionTree Display:\n"
       "  Node ID = b\n"
       "\n"
       "  Parameter Name: Constant_D_2.5\n"
       "  Level = 1\n\n"
       "End FunctionTree Display. \n\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, orvane_test::Shown(*c.node));

  // Only a few functions have a symbol in the dump; emptied slots are not listed.
  ApplyNodeStats stats = c_->GetNodeStats();
  stats.SetTransformFunction(TD::kFN_MEAN);
  c_->SetNodeStats(stats);
  c_->Remove(y_);
  EXPECT_EQ(
      "Start FunctionTree Display:\n"
      "  Node ID = c\n"
      "Transformation: \n"
      "       Child NodeID = z\n"
      "  Level = 1\n\n"
      "End FunctionTree Display. \n\n",
      orvane_test::Shown(*c_));
}

// Nodes are equal by ID alone: the function, parameter and constant flag
// do not count.
TEST(ApplyNodeStatsTest, EqualityByNodeIdOnly) {
  ApplyNodeStats a, b;
  EXPECT_EQ(TD::kFN_NONE, a.GetTransformFunction());
  a.SetNodeID("7");
  a.SetTransformFunction(TD::kFN_PLUS);
  b.SetNodeID("7");
  b.SetParameterName("Constant_D_2.5");
  b.SetConstNode(true);
  EXPECT_TRUE(a == b);
  b.SetNodeID("7 ");
  EXPECT_FALSE(a == b);
}

TEST(TransformFunctionNamesTest, EveryCodeRoundTripsThroughItsName) {
  TransformFunctionMap table;
  FillTransformFunctionMap(&table);
  ASSERT_EQ(64u, table.size());
  for (int code = 0; code < TD::kFN_NONE; ++code) {
    const TD::TransformFunction function = static_cast<TD::TransformFunction>(code);
    const std::string name = GetTransformFunctionName(function);
    ASSERT_FALSE(name.empty()) << code;
    EXPECT_EQ(function, FindTransformFunction(table, name)) << name;
  }
  EXPECT_EQ("", GetTransformFunctionName(TD::kFN_NONE));
  EXPECT_EQ("log10", GetTransformFunctionName(TD::kFN_LOG10));
  EXPECT_EQ("mean", GetTransformFunctionName(TD::kFN_MEAN));

  const struct {
    const char* name;
    TD::TransformFunction function;
  } cases[] = {
      {"lg10", TD::kFN_LOG10},         {"avg", TD::kFN_MEAN},   {"trimend", TD::kFN_RTRIM},
      {"Mean", TD::kFN_NONE},          {"mean ", TD::kFN_NONE}, {"", TD::kFN_NONE},
      {"outlierhandle", TD::kFN_NONE},  // exact match only
  };
  for (const auto& c : cases) EXPECT_EQ(c.function, FindTransformFunction(table, c.name)) << c.name;

  // Filling a filled table changes nothing.
  TransformFunctionMap mine;
  mine["mine"] = TD::kFN_SUM;
  FillTransformFunctionMap(&mine);
  EXPECT_EQ(1u, mine.size());
  FillTransformFunctionMap(nullptr);
}

}  // namespace
}  // namespace MCOrvane_600
