// The model-names file: how it is split into names, and how the file forms of
// the factory use it.

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/model/score_model.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/ov_exception.h"
#include "plugins/plugin_test_env.h"
#include "support/test_support.h"
#include "translate/model_names_file.h"

namespace MCOrvane_600 {
namespace {

const bool kPluginsOnPath = orvane_test::UsePluginDirectory(true);

using Names = std::vector<std::string>;

using orvane_test::TempPath;

std::string WriteFile(const std::string& name, const std::string& content) {
  const std::string path = TempPath(name);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

Names NamesOfLine(const std::string& line) {
  Names names;
  model_names_file::AppendNames(line, &names);
  return names;
}

Names NamesOfFile(const std::string& content) {
  const std::string path = WriteFile("names.txt", content);
  Names names = {"left over"};
  model_names_file::ReadNames(path, &names);
  std::remove(path.c_str());
  return names;
}

TEST(ModelNamesFileTest, LinesSplitAtRunsOfSeparatorsAndFilesGiveNamesInOrder) {
  const int max = model_names_file::kMaxLineLength;
  const struct {
    std::string text;
    Names line;  // the names of `text` as one line
    Names file;  // the names of `text` as a file
  } cases[] = {
      // clang-format off
      {"TreeModel, RegressionModel\nNeuralNetwork\n", {"TreeModel", "RegressionModel", "NeuralNetwork"}, {"TreeModel", "RegressionModel", "NeuralNetwork"}},
      {",, \t TreeModel\t\t,NeuralNetwork ,\n", {"TreeModel", "NeuralNetwork"}, {"TreeModel", "NeuralNetwork"}},
      {"", {}, {}},
      {" ,\t\n", {}, {}},
      // No comments and no quoting: every other character belongs to a name.
      {"#TreeModel \"Mining;Model\"", {"#TreeModel", "\"Mining;Model\""}, {"#TreeModel", "\"Mining;Model\""}},
      {"\n\n   \nTreeModel\n\nTreeModel", {"TreeModel", "TreeModel"}, {"TreeModel", "TreeModel"}},
      {"TreeModel\r\nMiningModel\r\n", {"TreeModel\r", "MiningModel\r"}, {"TreeModel", "MiningModel"}},
      // An overlong line is cut and ends the reading.
      {std::string(max, 'x') + "\nB\n", {std::string(max, 'x'), "B"}, {std::string(max, 'x'), "B"}},
      {"A\nB " + std::string(max, 'y') + "\nC\n", {"A", "B", std::string(max, 'y'), "C"}, {"A", "B", std::string(max - 2, 'y')}},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamesOfLine(c.text), c.line) << c.text.substr(0, 40);
    EXPECT_EQ(NamesOfFile(c.text), c.file) << c.text.substr(0, 40);
  }
}

TEST(ModelNamesFileTest, MissingFileIsCodeTwoAndLeavesNoNames) {
  Names names = {"left over"};
  orvane_test::ExpectOVException(
      [&] { model_names_file::ReadNames(TempPath("absent.txt"), &names); }, 2,
      "Could not open model names file");
  EXPECT_TRUE(names.empty());
}

std::string Describe(const ScoreModel& model) { return orvane_test::Shown(model); }

TEST(ModelFactoryNamesTest, FileFormPassesTheFileNamesToThePlugin) {
  ASSERT_TRUE(kPluginsOnPath);
  const std::string names = WriteFile("list.txt", "TreeModel, MiningModel\n\nMiningModel\n");
  const std::string model = WriteFile("model.pmml", "<PMML><MiningModel/></PMML>");
  std::unique_ptr<ScoreModel> built(ModelFactory::MakeModelFromXML(model, names, "a", "b"));
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(Describe(*built),
            "type=MiningModel root=PMML arg=a names=TreeModel,MiningModel,MiningModel");
  std::remove(names.c_str());
  std::remove(model.c_str());
}

TEST(ModelFactoryNamesTest, FileFormRewindsTheFileForTheNearestNeighbourPlugin) {
  const std::string names = WriteFile("nn.txt", "NearestNeighborModel\n");
  const std::string model = std::string(ORVANE_TEST_DATA_DIR) + "/factory/nearest_neighbor.pmml";
  std::unique_ptr<ScoreModel> built(ModelFactory::MakeModelFromXML(model, names, "a", "b"));
  ASSERT_NE(built, nullptr);
  EXPECT_NE(
      Describe(*built).find(" first-line=<?xml version=\"1.0\" encoding=\"UTF-8\"?> arg1= arg2=b"),
      std::string::npos);
  std::remove(names.c_str());
}

// Runs in a scratch directory, the process's current directory, and goes
// back afterwards.
class CurrentDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[PATH_MAX];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    previous_ = buffer;
    std::string pattern = TempPath("cwdXXXXXX");
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    scratch_ = pattern;
    ASSERT_EQ(chdir(scratch_.c_str()), 0);
  }
  void TearDown() override {
    std::remove("modeldll.txt");
    EXPECT_EQ(chdir(previous_.c_str()), 0);
    rmdir(scratch_.c_str());
  }

  std::string previous_;
  std::string scratch_;
};

TEST_F(CurrentDirectoryTest, EmptyNamesFileArgumentReadsModeldllTxt) {
  const std::string model = WriteFile("default.pmml", "<PMML><MiningModel/></PMML>");
  std::ofstream("modeldll.txt") << "MiningModel TreeModel\n";
  std::unique_ptr<ScoreModel> built(ModelFactory::MakeModelFromXML(model, "", ""));
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(Describe(*built), "type=MiningModel root=PMML arg= names=MiningModel,TreeModel");
  std::remove(model.c_str());
}

TEST_F(CurrentDirectoryTest, MissingModeldllTxtFailsBeforeTheModelFileIsOpened) {
  orvane_test::ExpectOVException(
      [] { ModelFactory::MakeModelFromXML(TempPath("absent.pmml"), "", ""); }, 2,
      "Could not open model names file");
}

}  // namespace
}  // namespace MCOrvane_600
