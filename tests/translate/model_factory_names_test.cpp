// The model-names file: how it is split into names, and how the file forms of
// the factory use it.

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/model/score_model.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/ov_exception.h"
#include "plugins/plugin_test_env.h"
#include "translate/model_names_file.h"

namespace MCOrvane_600 {
namespace {

const bool kPluginsOnPath = orvane_test::UsePluginDirectory(true);

using Names = std::vector<std::string>;

// A scratch file name of its own for each test, so that tests may run in
// parallel processes.
std::string TempPath(const std::string& name) {
  return testing::TempDir() + "orvane_" + std::to_string(getpid()) + "_" +
         testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
}

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

TEST(ModelNamesFileTest, LinesSplitAtRunsOfSeparators) {
  EXPECT_EQ(NamesOfLine("TreeModel, RegressionModel"), (Names{"TreeModel", "RegressionModel"}));
  EXPECT_EQ(NamesOfLine(",, \t TreeModel\t\t,NeuralNetwork ,\n"),
            (Names{"TreeModel", "NeuralNetwork"}));
  EXPECT_EQ(NamesOfLine(""), Names{});
  EXPECT_EQ(NamesOfLine(" ,\t\n"), Names{});
  // No comments and no quoting: every other character belongs to a name.
  EXPECT_EQ(NamesOfLine("#TreeModel \"Mining;Model\""), (Names{"#TreeModel", "\"Mining;Model\""}));
}

TEST(ModelNamesFileTest, FileGivesNamesInOrderWithDuplicates) {
  EXPECT_EQ(NamesOfFile("TreeModel, RegressionModel\nNeuralNetwork\n"),
            (Names{"TreeModel", "RegressionModel", "NeuralNetwork"}));
  EXPECT_EQ(NamesOfFile("\n\n   \nTreeModel\n\nTreeModel"), (Names{"TreeModel", "TreeModel"}));
  EXPECT_EQ(NamesOfFile(""), Names{});
  EXPECT_EQ(NamesOfFile("TreeModel\r\nMiningModel\r\n"), (Names{"TreeModel", "MiningModel"}));
}

TEST(ModelNamesFileTest, OverlongLineIsCutAndEndsTheReading) {
  const int max = model_names_file::kMaxLineLength;
  const std::string full(max, 'x');
  EXPECT_EQ(NamesOfFile(full + "\nB\n"), (Names{full, "B"}));
  EXPECT_EQ(NamesOfFile("A\nB " + std::string(max, 'y') + "\nC\n"),
            (Names{"A", "B", std::string(max - 2, 'y')}));
}

TEST(ModelNamesFileTest, MissingFileIsCodeTwoAndLeavesNoNames) {
  Names names = {"left over"};
  try {
    model_names_file::ReadNames(TempPath("absent.txt"), &names);
    ADD_FAILURE() << "no exception";
  } catch (const OVException& e) {
    EXPECT_EQ(e.GetErrorCode(), 2);
    EXPECT_EQ(e.GetErrorMessage(), "Could not open model names file");
  }
  EXPECT_TRUE(names.empty());
}

std::string Describe(const ScoreModel& model) {
  std::ostringstream os;
  model.Display(os);
  return os.str();
}

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
  try {
    ModelFactory::MakeModelFromXML(TempPath("absent.pmml"), "", "");
    ADD_FAILURE() << "no exception";
  } catch (const OVException& e) {
    EXPECT_EQ(e.GetErrorCode(), 2);
    EXPECT_EQ(e.GetErrorMessage(), "Could not open model names file");
  }
}

}  // namespace
}  // namespace MCOrvane_600
