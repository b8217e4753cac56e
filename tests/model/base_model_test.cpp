#include "orvane/model/base_model.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/version_info.h"
#include "orvane/model/result_advice.h"
#include "orvane/transform/transformation_dictionary.h"

namespace MCOrvane_600 {
namespace {

// A minimal plug-in model: only the plug-in slots are filled in.
class PlainModel : public BaseModel {
 public:
  bool SetScoringOption(const std::string&, const std::string&) override { return false; }
  std::string GetModelType() const override { return "PlainModel"; }
  const ScoreDictionary* GetResultDictionary() const override { return nullptr; }
  ScoreCaseRecord* CreateResultRecord() const override { return nullptr; }
  bool Score(const ScoreCaseRecord*, ScoreCaseRecord*, std::vector<ResultAdvice>*) override {
    return false;
  }
  void Display(std::ostream&) const override {}
};

// Records which owned object was destroyed, in order.
using Log = std::vector<std::string>;

template <typename Base>
class Logged : public Base {
 public:
  template <typename... Args>
  Logged(Log* log, const char* name, Args... args) : Base(args...), log_(log), name_(name) {}
  ~Logged() override { log_->push_back(name_); }

 private:
  Log* log_;
  const char* name_;
};

BaseDictionary* DictionaryOf(const std::vector<std::string>& names) {
  auto* dictionary = new BaseDictionary();
  for (const std::string& name : names) {
    dictionary->AddVar(name, new DictVar(name, ScoreDictVar::kNUMERIC_VAR));
  }
  return dictionary;
}

const auto kTarget = ScoreModel::kTARGET;
const auto kActive = ScoreModel::kACTIVE;

TEST(BaseModelTest, RolesByNameAndByVariable) {
  PlainModel model;
  EXPECT_EQ(model.GetVarRole("age"), -1);
  EXPECT_EQ(model.GetMissingValuePolicy(), 1);
  // Without a data dictionary any name is recorded, and there is no target variable.
  EXPECT_TRUE(model.SetVarRole("t", kTarget));
  EXPECT_EQ(model.GetTargetVar(), nullptr);

  model.SetScoreDictionary(DictionaryOf({"a", "b"}));
  EXPECT_FALSE(model.SetVarRole(std::string(), kActive));
  EXPECT_FALSE(model.SetVarRole(static_cast<const ScoreDictVar*>(nullptr), kTarget));
  EXPECT_EQ(model.GetVarRole(static_cast<const ScoreDictVar*>(nullptr)), -1);
  // Without a transformation dictionary an unknown name is recorded too.
  EXPECT_TRUE(model.SetVarRole("nowhere", static_cast<ScoreModel::VarRole>(1000)));
  EXPECT_EQ(model.GetVarRole("nowhere"), 1000);

  // The last target wins; the earlier one keeps its role. Names are case-sensitive.
  const ScoreDictVar* a = model.GetDictionary()->GetVar("a");
  const ScoreDictVar* b = model.GetDictionary()->GetVar("b");
  ASSERT_TRUE(model.SetVarRole(a, kTarget));
  ASSERT_TRUE(model.SetVarRole(b, kTarget));
  EXPECT_EQ(model.GetTargetVar(), b);
  EXPECT_EQ(model.GetVarRole(a), kTarget);
  EXPECT_EQ(model.GetVarRole("A"), -1);
  ASSERT_TRUE(model.SetVarRole("a", ScoreModel::kSUPPLEMENTARY));
  EXPECT_EQ(model.GetVarRole("a"), ScoreModel::kSUPPLEMENTARY);

  // With one, a name must be in either dictionary; a derived target is no target variable.
  auto* derived = new TransformationDictionary();
  derived->AddVar("a_z", new DictVar("a_z", ScoreDictVar::kNUMERIC_VAR));
  model.SetTransformationScoreDictionary(derived);
  EXPECT_FALSE(model.SetVarRole("elsewhere", kActive));
  EXPECT_TRUE(model.SetVarRole("a_z", kTarget));
  EXPECT_EQ(model.GetVarRole("a_z"), kTarget);
  EXPECT_EQ(model.GetTargetVar(), nullptr);
}

// The by-variable forms reach an override of the by-name forms.
class RenamingModel : public PlainModel {
 public:
  bool SetVarRole(const std::string& name, VarRole role) override {
    return BaseModel::SetVarRole(name + "_renamed", role);
  }
  int GetVarRole(const std::string& name) const override {
    return name == "probe" ? 42 : BaseModel::GetVarRole(name);
  }
  using BaseModel::GetVarRole;
  using BaseModel::SetVarRole;
};

TEST(BaseModelTest, ByVariableFormsGoThroughByNameForms) {
  RenamingModel model;
  DictVar var("v", ScoreDictVar::kNUMERIC_VAR);
  ASSERT_TRUE(model.SetVarRole(&var, kActive));
  EXPECT_EQ(model.GetVarRole("v_renamed"), kActive);
  DictVar probe("probe", ScoreDictVar::kNUMERIC_VAR);
  EXPECT_EQ(model.GetVarRole(&probe), 42);
}

TEST(BaseModelTest, DestroysWhatItOwnsOnceInOrderButNotWhatSettersReplace) {
  Log log;
  Logged<BaseDictionary> old_dictionary(&log, "old dictionary");
  {
    PlainModel model;
    model.SetTransformationScoreDictionary(
        new Logged<TransformationDictionary>(&log, "transformations"));
    model.SetScoreDictionary(&old_dictionary);
    model.SetScoreDictionary(new Logged<BaseDictionary>(&log, "dictionary"));
    model.SetVersionInfo(new Logged<VersionInfo>(&log, "version", "4.0"));
    EXPECT_EQ(model.GetVersionInfo()->GetVersionInfo(), "4.0");
  }
  EXPECT_EQ(log, (Log{"version", "dictionary", "transformations"}));
}

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
}  // namespace MCOrvane_600
