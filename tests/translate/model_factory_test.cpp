#include "orvane/translate/model_factory.h"

#include <unistd.h>

#include <cctype>
#include <climits>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_version_info.h"
#include "orvane/model/score_model.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "plugins/plugin_test_env.h"
#include "support/test_support.h"
#include "translate/model_names_file.h"

namespace MCOrvane_600 {
namespace {

const bool kPluginsOnPath = orvane_test::UsePluginDirectory(true);

using Names = std::vector<std::string>;
using ModelPtr = std::unique_ptr<ScoreModel>;

using orvane_test::ReadFile;
using orvane_test::TempPath;

std::string DataFile(const std::string& name) { return orvane_test::TestData("factory/" + name); }

ModelPtr Make(const std::string& text, const Names& names, const std::string& arg = "",
              const std::string& nnArg = "") {
  std::istringstream in(text);
  return ModelPtr(ModelFactory::MakeModelFromXML(in, names, arg, nnArg));
}

std::string Describe(const ScoreModel& model) { return orvane_test::Shown(model); }

using orvane_test::ExpectPlatformBalanced;
using orvane_test::XercesIsUp;

const auto ExpectFailure = orvane_test::ExpectOVException;

std::string NotSupported(const std::string& type) {
  return "Doesn't Support " + type + "  Model: No Required dll or lib available!";
}

TEST(ModelFactoryTest, PluginDirectoryIsOnTheSearchPath) { EXPECT_TRUE(kPluginsOnPath); }

// --- The tree plug-in: a whole model from a PMML document -----------------

struct TreeCase {
  double age;  // kAbsent: not in the case
  const char* colour;
  const char* score;
  std::vector<int> advice;
};

constexpr double kAbsent = -1;

TEST(TreeModelTest, TranslatorFillsTheBaseModelAndScores) {
  ModelPtr model = Make(ReadFile(DataFile("tree.pmml")), {"TreeModel"});
  ASSERT_NE(model, nullptr);
  ASSERT_NE(model->GetTargetVar(), nullptr);
  EXPECT_EQ(model->GetTargetVar()->GetName(), "risk");
  EXPECT_EQ(model->GetVarRole("risk"), ScoreModel::kTARGET);
  EXPECT_EQ(model->GetVersionInfo()->GetVersionInfo(), "4.0");
  // Discrete, scale and derived (age_months) splits; advice on the way.
  const TreeCase cases[] = {{30, "blue", "high", {}},
                            {30, "red", "low", {}},
                            {50, "red", "medium", {}},
                            {70, "red", "high", {}},
                            {kAbsent, "blue", "high", {104, 108}},
                            {NumericValue::GetSysmisValue(), "red", "low", {106, 108}},
                            {30, "green", "", {103}}};
  std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
  for (const TreeCase& c : cases) {
    CaseRecord input;
    input.Add("colour", new StringValue(c.colour));
    if (c.age != kAbsent) input.Add("age", new NumericValue(c.age));
    std::vector<ResultAdvice> advice;
    ASSERT_TRUE(model->Score(&input, result.get(), &advice));
    const ScoreValue* score = result->Get("$R-risk");
    EXPECT_EQ(score == nullptr ? "" : score->GetString(), c.score) << c.age << c.colour;
    std::vector<int> ids;
    for (const ResultAdvice& a : advice) ids.push_back(a.GetID());
    EXPECT_EQ(ids, c.advice) << c.age << c.colour;
  }
}

TEST(ModelFactoryTest, ModelBelongsToTheHostAndTranslatorIsGone) {
  ModelPtr model;
  ExpectPlatformBalanced([&] { model = Make(ReadFile(DataFile("tree.pmml")), {"TreeModel"}); });
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(orvane_test::LiveTranslators("TreeModel600r.so"), 0);
  EXPECT_EQ(orvane_test::LiveModels("TreeModel600r.so"), 1);
  model.reset();
  EXPECT_EQ(orvane_test::LiveModels("TreeModel600r.so"), 0);
  // The plug-in stays loaded after its last model is gone.
  EXPECT_EQ(orvane_test::LiveTranslators("TreeModel600r.so"), 0);
}

// --- Document kinds and refusals ------------------------------------------

// tests/data/factory/documents.txt: the root and the names list choose the
// plug-in; a refusal leaves nothing behind and the platform as it was.
TEST(ModelFactoryTest, DocumentsGiveTheirModelOrRefusal) {
  const orvane_test::RowFile table = orvane_test::ReadRows(DataFile("documents.txt"), 4);
  ASSERT_LT(20u, table.rows.size());
  for (const auto& row : table.rows) {
    SCOPED_TRACE(row.label());
    const std::string& cell = row.cells[3];
    const std::string document = cell[0] == '@' ? ReadFile(DataFile(cell.substr(1))) : cell;
    Names names;
    std::istringstream list(row.cells[0]);
    for (std::string name; std::getline(list, name, ',');) names.push_back(name);
    if (std::isdigit(static_cast<unsigned char>(row.cells[1][0]))) {
      ExpectPlatformBalanced([&] {
        ExpectFailure([&] { Make(document, names); }, std::stoi(row.cells[1]), row.cells[2]);
      });
      continue;
    }
    ModelPtr model = Make(document, names, "third");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->GetModelType(), row.cells[1]);
    EXPECT_NE(Describe(*model).find(row.cells[2]), std::string::npos) << Describe(*model);
  }
}

// The look-ahead answers as a full scan would, whatever the bytes look like:
// here UTF-16 with its byte order mark.
TEST(ModelFactoryTest, NearestNeighborInUtf16) {
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("<PMML><NearestNeighborModel/></PMML>")) utf16 += std::string{c, '\0'};
  ExpectFailure([&] { Make(utf16, {"TreeModel"}); }, 5, NotSupported("NearestNeighborModel"));
}

// --- The nearest-neighbour path --------------------------------------------

TEST(ModelFactoryTest, NearestNeighborTranslatorReadsTheStreamFromItsStart) {
  const std::string document = ReadFile(DataFile("nearest_neighbor.pmml"));
  const Names names = {"TreeModel", "NearestNeighborModel"};
  ModelPtr model;
  ExpectPlatformBalanced([&] { model = Make(document, names, "third", "fourth"); });
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(Describe(*model), "bytes=" + std::to_string(document.size()) +
                                  " first-line=<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                                  " arg1= arg2=fourth");
  // The plug-in keeps its translator.
  EXPECT_EQ(orvane_test::LiveTranslators("NearestNeighborModel600r.so"), 1);

  std::istringstream in(document);
  model.reset(ModelFactory::MakeModelFromXML(in, names, "third"));
  ASSERT_NE(model, nullptr);
  EXPECT_NE(Describe(*model).find(" arg1= arg2="), std::string::npos);
}

// --- Failures --------------------------------------------------------------

std::string WriteFile(const std::string& name, const std::string& content) {
  const std::string path = TempPath(name);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

TEST(ModelFactoryTest, FileFormsReportUnopenableFiles) {
  const std::string missing = DataFile("no_such_file.xml");
  ExpectFailure([&] { ModelFactory::MakeModelFromXML(DataFile("tree.pmml"), missing, ""); }, 2,
                "Could not open model names file");
  ExpectFailure([&] { ModelFactory::MakeModelFromXML(missing, missing, "", ""); }, 2,
                "Could not open model names file");
  const std::string names = WriteFile("names.txt", "TreeModel\n");
  ExpectFailure([&] { ModelFactory::MakeModelFromXML(missing, names, ""); }, 2,
                "Could not open model file");
  std::remove(names.c_str());
}

// Serves `text` on the first read through; after the stream has been
// rewound it serves only its first `served` bytes and then fails as `fail`
// says. The stream must have badbit in its exception mask for the failure to
// reach the parser.
class SecondPassFailingBuffer : public std::streambuf {
 public:
  SecondPassFailingBuffer(const std::string& text, std::size_t served, std::function<void()> fail)
      : text_(text), served_(std::min(served, text.size())), fail_(std::move(fail)) {
    setg(&text_[0], &text_[0], &text_[0] + text_.size());
  }

 protected:
  int_type underflow() override {
    if (rewound_) fail_();
    return traits_type::eof();
  }
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
    if (dir == std::ios_base::cur && off == 0) return pos_type(gptr() - eback());
    if (dir != std::ios_base::beg || off != 0) return pos_type(off_type(-1));
    rewound_ = true;
    setg(&text_[0], &text_[0], &text_[0] + served_);
    return pos_type(0);
  }
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
    return seekoff(off_type(pos), std::ios_base::beg, which);
  }

 private:
  std::string text_;
  std::size_t served_;
  std::function<void()> fail_;
  bool rewound_ = false;
};

// A document larger than the parser's first read, so that a failure after
// `served` bytes strikes while the document is being scanned.
const std::string& LargeDocument() {
  static const std::string text =
      "<PMML><TreeModel/><!--" + std::string(200000, '.') + "--></PMML>";
  return text;
}

void ExpectParseFailure(std::size_t served, const std::function<void()>& fail, int code,
                        const std::string& message) {
  ExpectPlatformBalanced([&] {
    SecondPassFailingBuffer buffer(LargeDocument(), served, fail);
    std::istream in(&buffer);
    in.exceptions(std::ios::badbit);
    ExpectFailure([&] { ModelFactory::MakeModelFromXML(in, {"TreeModel"}, ""); }, code, message);
  });
}

constexpr std::size_t kMidDocument = 150000;

TEST(ModelFactoryTest, DomExceptionWhileParsingGivesCodeSixWithItsText) {
  ExpectParseFailure(
      kMidDocument,
      [] {
        throw xercesc::DOMException(xercesc::DOMException::INVALID_STATE_ERR, 0,
                                    xercesc::XMLPlatformUtils::fgMemoryManager);
      },
      6, "attempt is made to use an object that is not or is no longer usable");
}

TEST(ModelFactoryTest, OtherExceptionWhileParsingGivesInvalidXmlFile) {
  ExpectParseFailure(
      kMidDocument, [] { throw std::runtime_error("disk on fire"); }, 6, "Invalid XML file!!");
}

// --- Failures inside the plug-in's translator -------------------------------

class TranslatorFailureTest : public ::testing::Test {
 protected:
  static constexpr const char* kPlugin = "RegressionModel600r.so";

  static ModelPtr MakeRegression(const std::string& arg) {
    return Make("<PMML><RegressionModel/></PMML>", {"RegressionModel"}, arg);
  }

  void TearDown() override {
    EXPECT_EQ(orvane_test::LiveTranslators(kPlugin), 0);
    EXPECT_EQ(orvane_test::LiveModels(kPlugin), 0);
    EXPECT_FALSE(XercesIsUp());
  }
};

// What the plug-in's translator throws passes unchanged, but Xerces' own
// exceptions, which cannot outlive the platform the factory terminates,
// become code 6; a null model is returned as null.
TEST_F(TranslatorFailureTest, ExceptionsAndNullModels) {
  ExpectPlatformBalanced([] {
    ExpectFailure([] { MakeRegression("ov"); }, 7, "RegressionTable: intercept is empty");
  });
  EXPECT_THROW(MakeRegression("std"), std::runtime_error);
  for (const char* arg : {"xerces", "dom"}) {
    try {
      MakeRegression(arg);
      ADD_FAILURE() << arg << ": no exception";
    } catch (const OVException& e) {
      EXPECT_EQ(e.GetErrorCode(), 6) << arg;
      EXPECT_FALSE(e.GetErrorMessage().empty()) << arg;
    }
  }
  EXPECT_EQ(MakeRegression("null"), nullptr);
  ModelPtr model = MakeRegression("");
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->GetModelType(), "RegressionModel");
}

// --- The model-names file -------------------------------------------------

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

TEST(ModelFactoryNamesTest, FileFormPassesTheFileNamesToThePlugin) {
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
