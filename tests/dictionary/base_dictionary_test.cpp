#include "orvane/dictionary/base_dictionary.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/dictionary/dict_var.h"

namespace MCOrvane_600 {
namespace {

std::vector<std::string> NamesOf(const ScoreDictionary& dictionary) {
  std::vector<std::string> names;
  for (const ScoreDictVar* var : dictionary.GetScoreDictVars()) names.push_back(var->GetName());
  return names;
}

// Keys the variables by their own names, in the order given.
void AddAll(BaseDictionary* dictionary, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    ASSERT_TRUE(dictionary->AddVar(name, new DictVar(name, ScoreDictVar::kNUMERIC_VAR)));
  }
}

TEST(BaseDictionaryTest, AddRefusalsLeaveTheVariableWithTheCaller) {
  BaseDictionary dictionary;
  auto spare = std::make_unique<DictVar>("x", ScoreDictVar::kSTRING_VAR);
  EXPECT_FALSE(dictionary.AddVar("", spare.get()));
  EXPECT_FALSE(dictionary.AddVar("x", nullptr));
  EXPECT_EQ(dictionary.Size(), 0);

  auto* first = new DictVar("x", ScoreDictVar::kNUMERIC_VAR);
  EXPECT_TRUE(dictionary.AddVar("x", first));
  EXPECT_FALSE(dictionary.AddVar("x", spare.get()));
  EXPECT_EQ(dictionary.Size(), 1);
  EXPECT_EQ(dictionary.GetVar("x"), first);
}

TEST(BaseDictionaryTest, LookupIsExactAndByKey) {
  BaseDictionary dictionary;
  dictionary.AddVar("key", new DictVar("own", ScoreDictVar::kNUMERIC_VAR));
  EXPECT_EQ(dictionary.GetVar("key")->GetName(), "own");
  EXPECT_EQ(dictionary.GetVar("Key"), nullptr);
  EXPECT_EQ(dictionary.GetVar("own"), nullptr);
  EXPECT_EQ(dictionary.GetVar("key "), nullptr);
}

TEST(BaseDictionaryTest, ListsInByteOrder) {
  BaseDictionary dictionary;
  AddAll(&dictionary, {"b", "A", "a", "B"});
  EXPECT_EQ(NamesOf(dictionary), (std::vector<std::string>{"A", "B", "a", "b"}));
}

TEST(BaseDictionaryTest, RemoveDestroysOnce) {
  BaseDictionary dictionary;
  AddAll(&dictionary, {"x", "y"});
  EXPECT_FALSE(dictionary.RemoveVar(""));
  EXPECT_TRUE(dictionary.RemoveVar("x"));
  EXPECT_FALSE(dictionary.RemoveVar("x"));
  EXPECT_EQ(NamesOf(dictionary), std::vector<std::string>{"y"});
}

TEST(BaseDictionaryTest, CopiesAreDeep) {
  auto source = std::make_unique<BaseDictionary>();
  AddAll(source.get(), {"b", "a"});
  const std::unique_ptr<ScoreDictionary> clone(source->Clone());
  BaseDictionary assigned;
  AddAll(&assigned, {"old"});
  assigned = *source;
  const BaseDictionary& alias = assigned;
  assigned = alias;  // Self-assignment keeps everything.
  {
    BaseDictionary copy(*source);
    EXPECT_NE(copy.GetVar("a"), source->GetVar("a"));
  }  // Destroying a copy leaves its source intact.
  EXPECT_EQ(source->GetVar("a")->GetName(), "a");
  EXPECT_NE(clone->GetVar("b"), source->GetVar("b"));
  source.reset();
  EXPECT_EQ(NamesOf(*clone), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(NamesOf(assigned), (std::vector<std::string>{"a", "b"}));
}

TEST(BaseDictionaryTest, DisplayIsByteExact) {
  BaseDictionary dictionary;
  std::ostringstream os;
  dictionary.Display(os);
  const std::string begin = "\n ############ Begin dictionary display ################ \n";
  const std::string end = "End Of ScoreDictionary display.\n\n";
  EXPECT_EQ(os.str(), begin + end);

  AddAll(&dictionary, {"b", "A"});
  std::ostringstream vars;
  DictVar("A", ScoreDictVar::kNUMERIC_VAR).Display(vars);
  DictVar("b", ScoreDictVar::kNUMERIC_VAR).Display(vars);
  os.str("");
  dictionary.Display(os);
  EXPECT_EQ(os.str(), begin + vars.str() + end);
}

}  // namespace
}  // namespace MCOrvane_600
