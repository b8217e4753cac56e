#include "orvane/model/result_advice.h"

#include <memory>

#include "gtest/gtest.h"

namespace {

using MCOrvane_600::ResultAdvice;

struct SentenceCase {
  int id;
  const char* info;
  const char* expected;  // empty: an unknown number
};

constexpr SentenceCase kSentences[] = {
    {101, "X1", "Variable X1 has a missing value. Mean substitution is used."},
    {102, "X1", "Scored as SYSMIS due to missing predictor: X1"},
    {103, "X1", "Score is a missing value"},
    {104, "X1",
     "Could not find variable X1 in the case record and it was treated as having missing value."},
    {105, "X1", "Variable X1 has an illegal value which was treated as missing value."},
    {106, "X1", "Variable X1 has a missing value."},
    {106, "", "Variable  has a missing value."},
    {107, "X1", "Surrogate split variable X1 used."},
    {108, "X1", "Biggest child node chosen for split variable X1 due to missing value."},
    {109, "X1", "Variable X1 has an value out of range( >max or <min )"},
    {110, "X1",
     "Variable X1 has an missing value. missing value replacement substitution is used."},
    {111, "X1", "Variable X1 has a new category."},
    {112, "X1", "Case belongs to a cluster that is made up of identical cases"},
    {100, "X1", ""},
    {113, "X1", ""},
    {-107, "X1", ""},
    {1107, "X1", ""},
};

TEST(ResultAdviceTest, EverySentence) {
  for (const SentenceCase& c : kSentences) {
    auto advice = std::make_unique<ResultAdvice>(c.id, c.info);
    std::unique_ptr<ResultAdvice> clone(advice->Clone());
    ResultAdvice assigned(111, "region");
    assigned = *advice;
    advice.reset();
    for (ResultAdvice* copy : {clone.get(), &assigned}) {
      EXPECT_EQ(copy->ToString(), c.expected) << "advice " << c.id;
      EXPECT_EQ(copy->GetID(), c.id);
      EXPECT_EQ(copy->GetInfo(), c.info);
    }
  }
}

}  // namespace
