#include "orvane/model/result_advice.h"

#include <memory>
#include <string>

#include "gtest/gtest.h"

namespace {

using MCOrvane_600::ResultAdvice;

struct SentenceCase {
  int id;
  const char* expected;
};

// Every sentence with the information "X1".
constexpr SentenceCase kSentences[] = {
    {101, "Variable X1 has a missing value. Mean substitution is used."},
    {102, "Scored as SYSMIS due to missing predictor: X1"},
    {103, "Score is a missing value"},
    {104,
     "Could not find variable X1 in the case record and it was treated as having missing value."},
    {105, "Variable X1 has an illegal value which was treated as missing value."},
    {106, "Variable X1 has a missing value."},
    {107, "Surrogate split variable X1 used."},
    {108, "Biggest child node chosen for split variable X1 due to missing value."},
    {109, "Variable X1 has an value out of range( >max or <min )"},
    {110, "Variable X1 has an missing value. missing value replacement substitution is used."},
    {111, "Variable X1 has a new category."},
    {112, "Case belongs to a cluster that is made up of identical cases"},
};

TEST(ResultAdviceTest, EverySentence) {
  for (const SentenceCase& c : kSentences) {
    ResultAdvice advice(c.id, "X1");
    EXPECT_EQ(advice.ToString(), c.expected) << "advice " << c.id;
    EXPECT_EQ(advice.GetID(), c.id);
    EXPECT_EQ(advice.GetInfo(), "X1");
  }
}

TEST(ResultAdviceTest, InformationIsUnusedOrInsertedUnchanged) {
  EXPECT_EQ(ResultAdvice(106, "").ToString(), "Variable  has a missing value.");
  EXPECT_EQ(ResultAdvice(103, "x").ToString(), "Score is a missing value");
  EXPECT_EQ(ResultAdvice(112, "x").ToString(),
            "Case belongs to a cluster that is made up of identical cases");
}

TEST(ResultAdviceTest, UnknownNumbersGiveEmptyText) {
  for (int id : {100, 113, 0, -1, -107, 1107}) {
    EXPECT_EQ(ResultAdvice(id, "X1").ToString(), "") << "advice " << id;
  }
}

TEST(ResultAdviceTest, ClonesAndCopiesKeepNumberAndInformation) {
  auto source = std::make_unique<ResultAdvice>(108, "age");
  std::unique_ptr<ResultAdvice> clone(source->Clone());
  ResultAdvice assigned(111, "region");
  assigned = *source;
  source.reset();
  for (const ResultAdvice* copy : {clone.get(), &assigned}) {
    EXPECT_EQ(copy->GetID(), 108);
    EXPECT_EQ(copy->GetInfo(), "age");
  }
}

}  // namespace
