#include "orvane/dictionary/var_stats.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "orvane/dictionary/version_info.h"
#include "orvane/values/numeric_value.h"

namespace MCOrvane_600 {
namespace {

TEST(VarStatsTest, DefaultsAndSetters) {
  VarStats stats;
  EXPECT_EQ(stats.GetMin(), NumericValue::GetSysmisValue());
  EXPECT_EQ(stats.GetMax(), -NumericValue::GetSysmisValue());
  EXPECT_EQ(stats.GetMean(), 0.0);
  EXPECT_EQ(stats.GetStddev(), 1.0);
  EXPECT_EQ(stats.GetMissingReplacement(), nullptr);
  stats.SetMin(-1.0);
  stats.SetMax(1.0);
  stats.SetMean(0.5);
  stats.SetStddev(0.25);
  EXPECT_EQ(stats.GetMin() + 10 * stats.GetMax() + 100 * stats.GetMean(), 59.0);
  EXPECT_EQ(stats.GetStddev(), 0.25);
}

TEST(VarStatsTest, ReplacementIsAlwaysItsOwnCopy) {
  auto source = std::make_unique<VarStats>(1.0, 2.0, 3.0, 4.0);
  const NumericValue seven(7.0);
  source->SetMissingReplacement(&seven);
  EXPECT_NE(source->GetMissingReplacement(), &seven);
  std::unique_ptr<ScoreVarStats> clone(source->Clone());
  VarStats assigned;
  assigned.SetMissingReplacement(&seven);
  assigned = *source;
  EXPECT_NE(clone->GetMissingReplacement(), source->GetMissingReplacement());
  source.reset();
  for (const ScoreVarStats* stats : {clone.get(), static_cast<ScoreVarStats*>(&assigned)}) {
    EXPECT_EQ(stats->GetMin() + stats->GetMax() + stats->GetMean() + stats->GetStddev(), 10.0);
    EXPECT_EQ(stats->GetMissingReplacement()->GetDouble(), 7.0);
  }
  assigned.SetMissingReplacement(nullptr);
  EXPECT_EQ(assigned.GetMissingReplacement(), nullptr);
}

// Another implementation with the same text.
class OtherVersionInfo : public ScoreVersionInfo {
 public:
  void SetVersionInfo(const std::string&) override {}
  ScoreVersionInfo* Clone() const override { return new OtherVersionInfo; }
  bool operator==(const ScoreVersionInfo&) const override { return true; }
  std::string GetVersionInfo() const override { return "2.1"; }
};

TEST(VersionInfoTest, EqualOnlyToAVersionInfoOfTheSameText) {
  VersionInfo info;
  EXPECT_EQ(info.GetVersionInfo(), "2.1");
  EXPECT_FALSE(info == OtherVersionInfo());
  EXPECT_FALSE(info == VersionInfo("2.1 "));
  info.SetVersionInfo("4.0");
  std::unique_ptr<ScoreVersionInfo> clone(info.Clone());
  EXPECT_TRUE(*clone == VersionInfo("4.0"));
}

}  // namespace
}  // namespace MCOrvane_600
