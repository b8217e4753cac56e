#include "orvane/dictionary/missing_value_set.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "orvane/dictionary/range.h"
#include "orvane/values/numeric_value.h"

namespace MCOrvane_600 {
namespace {

TEST(MissingValueSetTest, AddRefusesNullAndEqualRanges) {
  MissingValueSet set;
  EXPECT_FALSE(set.Add(nullptr));
  EXPECT_TRUE(set.Add(new Range(1.0, 2.0, true, true)));
  Range same(1.0, 2.0, true, true);
  EXPECT_TRUE(set.Contains(&same));
  EXPECT_FALSE(set.Add(&same));  // refused, so not taken
  EXPECT_TRUE(set.Add(new Range(1.0, 2.0, true, false)));
  EXPECT_EQ(set.Size(), 2);
  EXPECT_FALSE(set.Contains(nullptr));
}

TEST(MissingValueSetTest, RemoveTakesOutEveryEqualRangeInOrder) {
  MissingValueSet set;
  // Tolerant equality is not transitive: the probe equals both outer ranges,
  // which differ from each other, so both are held and both removed.
  set.Add(new Range(1.0, 5.0, true, true));
  set.Add(new Range(9.0, 9.0, true, true));
  set.Add(new Range(1.0 + 3e-14, 5.0, true, true));
  set.Add(new Range(7.0, 7.0, true, true));
  const Range probe(1.0 + 1.5e-14, 5.0, true, true);
  EXPECT_TRUE(set.Remove(&probe));
  ASSERT_EQ(set.Size(), 2);
  EXPECT_EQ(set.GetMissingValues()[0]->GetMin()->GetDouble(), 9.0);
  EXPECT_EQ(set.GetMissingValues()[1]->GetMin()->GetDouble(), 7.0);
  EXPECT_FALSE(set.Remove(&probe));
  EXPECT_FALSE(set.Remove(nullptr));
  const Range nine(9.0, 9.0, true, true), seven(7.0, 7.0, true, true);
  EXPECT_TRUE(set.Remove(&nine) && set.Remove(&seven));
  EXPECT_EQ(set.Size(), 0);
}

TEST(MissingValueSetTest, CopiesAreDeepAndSurviveTheirSource) {
  auto source = std::make_unique<MissingValueSet>();
  source->Add(new Range(1.0, 2.0, true, false));
  source->Add(new Range(7.0, 8.0, false, true));
  std::unique_ptr<ScoreMissingValueSet> clone(source->Clone());
  MissingValueSet assigned;
  assigned.Add(new Range(0.0, 0.0, true, true));
  assigned = *source;
  EXPECT_NE(clone->GetMissingValues()[0], source->GetMissingValues()[0]);
  source.reset();
  const Range first(1.0, 2.0, true, false), second(7.0, 8.0, false, true);
  for (const ScoreMissingValueSet* set :
       {clone.get(), static_cast<ScoreMissingValueSet*>(&assigned)}) {
    ASSERT_EQ(set->Size(), 2);
    EXPECT_TRUE(*set->GetMissingValues()[0] == first && *set->GetMissingValues()[1] == second);
  }
}

TEST(MissingValueSetTest, Display) {
  MissingValueSet set;
  set.Add(new Range(-1.0, -1.0, true, true));
  std::ostringstream os;
  set.Display(os);
  EXPECT_EQ(os.str(),
            " Begin MissingValueSet Display:\n"
            "  Start Range Display   \nMinValue: -1;  MaxValue: -1; High End included; "
            "lower End included\n End of Range Display\n\n"
            "End MissingValueSet Display.\n");
}

}  // namespace
}  // namespace MCOrvane_600
