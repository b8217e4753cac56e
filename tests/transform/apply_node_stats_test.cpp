#include "orvane/transform/apply_node_stats.h"

#include <gtest/gtest.h>

namespace MCOrvane_600 {
namespace {

TEST(ApplyNodeStatsTest, DefaultsDescribeAnAnonymousLeaf) {
  ApplyNodeStats stats;
  EXPECT_EQ(TransformationDictionary::kFN_NONE, stats.GetTransformFunction());
  EXPECT_EQ(61, stats.GetTransformFunction());
  EXPECT_EQ("", stats.GetParameterName());
  EXPECT_EQ("", stats.GetNodeID());
  EXPECT_FALSE(stats.IsConstNode());
}

TEST(ApplyNodeStatsTest, EqualityLooksAtTheNodeIdOnly) {
  EXPECT_TRUE(ApplyNodeStats() == ApplyNodeStats());

  ApplyNodeStats a;
  a.SetNodeID("7");
  a.SetTransformFunction(TransformationDictionary::kFN_PLUS);
  ApplyNodeStats b;
  b.SetNodeID("7");
  b.SetParameterName("Constant_D_2.5");
  b.SetConstNode(true);
  EXPECT_TRUE(a == b);

  b.SetNodeID("7 ");
  EXPECT_FALSE(a == b);
}

TEST(ApplyNodeStatsTest, CopiesAreIndependent) {
  ApplyNodeStats source;
  source.SetNodeID("1");
  source.SetParameterName("age");
  source.SetTransformFunction(TransformationDictionary::kFN_LN);
  source.SetConstNode(true);

  ApplyNodeStats copy(source);
  EXPECT_EQ("age", copy.GetParameterName());
  EXPECT_EQ(TransformationDictionary::kFN_LN, copy.GetTransformFunction());
  EXPECT_TRUE(copy.IsConstNode());
  copy.SetParameterName("income");
  EXPECT_EQ("age", source.GetParameterName());

  ApplyNodeStats assigned;
  assigned = source;
  assigned = *&assigned;  // self-assignment keeps the record
  EXPECT_EQ("1", assigned.GetNodeID());
  EXPECT_EQ("age", assigned.GetParameterName());
}

}  // namespace
}  // namespace MCOrvane_600
