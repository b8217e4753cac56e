#include "orvane/model/base_model.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/version_info.h"
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

class LoggedDictionary : public BaseDictionary {
 public:
  explicit LoggedDictionary(Log* log) : log_(log) {}
  ~LoggedDictionary() override { log_->push_back("dictionary"); }

 private:
  Log* log_;
};

class LoggedTransformations : public TransformationDictionary {
 public:
  explicit LoggedTransformations(Log* log) : log_(log) {}
  ~LoggedTransformations() override { log_->push_back("transformations"); }

 private:
  Log* log_;
};

class LoggedVersion : public VersionInfo {
 public:
  explicit LoggedVersion(Log* log) : VersionInfo("4.0"), log_(log) {}
  ~LoggedVersion() override { log_->push_back("version"); }

 private:
  Log* log_;
};

BaseDictionary* DictionaryOf(const std::vector<std::string>& names) {
  auto* dictionary = new BaseDictionary();
  for (const std::string& name : names) {
    dictionary->AddVar(name, new DictVar(name, ScoreDictVar::kNUMERIC_VAR));
  }
  return dictionary;
}

TEST(BaseModelTest, NewModelIsEmpty) {
  PlainModel model;
  EXPECT_EQ(model.GetVarRole("age"), -1);
  EXPECT_EQ(model.GetTargetVar(), nullptr);
  EXPECT_EQ(model.GetMissingValuePolicy(), 1);
  EXPECT_EQ(model.GetDictionary(), nullptr);
  EXPECT_EQ(model.GetTransformationDictionary(), nullptr);
  EXPECT_EQ(model.GetVersionInfo(), nullptr);
}

TEST(BaseModelTest, EmptyNameAndNullVariableAreRefused) {
  PlainModel model;
  model.SetScoreDictionary(DictionaryOf({"age"}));
  EXPECT_FALSE(model.SetVarRole(std::string(), ScoreModel::kTARGET));
  EXPECT_FALSE(model.SetVarRole(std::string(), ScoreModel::kACTIVE));
  EXPECT_FALSE(model.SetVarRole(static_cast<const ScoreDictVar*>(nullptr), ScoreModel::kTARGET));
  ASSERT_TRUE(model.SetVarRole("age", ScoreModel::kACTIVE));
  EXPECT_EQ(model.GetVarRole(std::string()), -1);
  EXPECT_EQ(model.GetVarRole(static_cast<const ScoreDictVar*>(nullptr)), -1);
}

TEST(BaseModelTest, NameUnknownToEveryDictionaryDependsOnTransformations) {
  PlainModel model;
  model.SetScoreDictionary(DictionaryOf({"age"}));
  // Without a transformation dictionary any name is recorded.
  EXPECT_TRUE(model.SetVarRole("nowhere", static_cast<ScoreModel::VarRole>(2)));
  EXPECT_EQ(model.GetVarRole("nowhere"), 2);

  model.SetTransformationScoreDictionary(new TransformationDictionary());
  EXPECT_FALSE(model.SetVarRole("elsewhere", ScoreModel::kACTIVE));
  EXPECT_EQ(model.GetVarRole("elsewhere"), -1);
}

TEST(BaseModelTest, DerivedTargetIsAcceptedButNotReturnedAsTargetVar) {
  PlainModel model;
  model.SetScoreDictionary(DictionaryOf({"age"}));
  auto* derived = new TransformationDictionary();
  derived->AddVar("age_z", new DictVar("age_z", ScoreDictVar::kNUMERIC_VAR));
  model.SetTransformationScoreDictionary(derived);

  EXPECT_TRUE(model.SetVarRole("age_z", ScoreModel::kTARGET));
  EXPECT_EQ(model.GetVarRole("age_z"), ScoreModel::kTARGET);
  EXPECT_EQ(model.GetTargetVar(), nullptr);
}

TEST(BaseModelTest, LastTargetWinsAndEarlierKeepsItsRole) {
  PlainModel model;
  model.SetScoreDictionary(DictionaryOf({"a", "b"}));
  const ScoreDictVar* a = model.GetDictionary()->GetVar("a");
  const ScoreDictVar* b = model.GetDictionary()->GetVar("b");
  ASSERT_TRUE(model.SetVarRole(a, ScoreModel::kTARGET));
  EXPECT_EQ(model.GetTargetVar(), a);
  ASSERT_TRUE(model.SetVarRole(b, ScoreModel::kTARGET));
  EXPECT_EQ(model.GetTargetVar(), b);
  EXPECT_EQ(model.GetVarRole(a), ScoreModel::kTARGET);
}

TEST(BaseModelTest, SecondRoleReplacesFirstAndNamesAreCaseSensitive) {
  PlainModel model;
  model.SetScoreDictionary(DictionaryOf({"x"}));
  ASSERT_TRUE(model.SetVarRole("x", ScoreModel::kACTIVE));
  ASSERT_TRUE(model.SetVarRole("x", ScoreModel::kSUPPLEMENTARY));
  EXPECT_EQ(model.GetVarRole("x"), ScoreModel::kSUPPLEMENTARY);
  EXPECT_EQ(model.GetVarRole("X"), -1);
}

TEST(BaseModelTest, RolesOutsideTheEnumerationAreKept) {
  PlainModel model;
  model.SetScoreDictionary(DictionaryOf({"x"}));
  ASSERT_TRUE(model.SetVarRole("x", static_cast<ScoreModel::VarRole>(1000)));
  EXPECT_EQ(model.GetVarRole("x"), 1000);
  model.SetMissingValuePolicy(static_cast<ScoreModel::MVPolicy>(7));
  EXPECT_EQ(model.GetMissingValuePolicy(), 7);
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
  ASSERT_TRUE(model.SetVarRole(&var, ScoreModel::kACTIVE));
  EXPECT_EQ(model.GetVarRole("v_renamed"), ScoreModel::kACTIVE);
  DictVar probe("probe", ScoreDictVar::kNUMERIC_VAR);
  EXPECT_EQ(model.GetVarRole(&probe), 42);
}

TEST(BaseModelTest, WithoutDataDictionaryTargetVarIsNull) {
  PlainModel model;
  EXPECT_TRUE(model.SetVarRole("t", ScoreModel::kTARGET));
  EXPECT_EQ(model.GetTargetVar(), nullptr);
}

TEST(BaseModelTest, DestroysOwnedObjectsOnceInOrder) {
  Log log;
  {
    PlainModel model;
    model.SetTransformationScoreDictionary(new LoggedTransformations(&log));
    model.SetScoreDictionary(new LoggedDictionary(&log));
    model.SetVersionInfo(new LoggedVersion(&log));
    EXPECT_EQ(model.GetVersionInfo()->GetVersionInfo(), "4.0");
  }
  EXPECT_EQ(log, (Log{"version", "dictionary", "transformations"}));
}

TEST(BaseModelTest, SettersDoNotDestroyWhatTheyReplace) {
  Log log;
  std::unique_ptr<LoggedDictionary> old_dictionary(new LoggedDictionary(&log));
  std::unique_ptr<LoggedTransformations> old_transformations(new LoggedTransformations(&log));
  std::unique_ptr<LoggedVersion> old_version(new LoggedVersion(&log));
  {
    PlainModel model;
    model.SetScoreDictionary(old_dictionary.get());
    model.SetTransformationScoreDictionary(old_transformations.get());
    model.SetVersionInfo(old_version.get());
    model.SetScoreDictionary(new BaseDictionary());
    model.SetTransformationScoreDictionary(nullptr);
    model.SetVersionInfo(new VersionInfo("4.1"));
    EXPECT_TRUE(log.empty());
  }
  EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace MCOrvane_600
