#include "orvane/translate/model_factory.h"

#include <unistd.h>

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
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_version_info.h"
#include "orvane/model/score_model.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "plugins/plugin_test_env.h"
#include "support/test_support.h"

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

bool XercesIsUp() { return xercesc::XMLPlatformUtils::fgMemoryManager != nullptr; }

// Runs `call` twice: with the platform down it must be down again afterwards
// (terminated), and with the host holding it up it must still be up (not
// terminated twice).
void ExpectPlatformBalanced(const std::function<void()>& call) {
  ASSERT_FALSE(XercesIsUp());
  call();
  EXPECT_FALSE(XercesIsUp()) << "the platform was left initialised";
  xercesc::XMLPlatformUtils::Initialize();
  call();
  EXPECT_TRUE(XercesIsUp()) << "the platform was terminated more than once";
  xercesc::XMLPlatformUtils::Terminate();
  ASSERT_FALSE(XercesIsUp());
}

const auto ExpectFailure = orvane_test::ExpectOVException;

std::string NotSupported(const std::string& type) {
  return "Doesn't Support " + type + "  Model: No Required dll or lib available!";
}

TEST(ModelFactoryTest, PluginDirectoryIsOnTheSearchPath) { EXPECT_TRUE(kPluginsOnPath); }

// --- The tree plug-in: a whole model from a PMML document -----------------

class TreeModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_ = Make(ReadFile(DataFile("tree.pmml")), {"TreeModel"});
    ASSERT_NE(model_, nullptr);
    result_.reset(model_->CreateResultRecord());
  }

  // Scores a case of `age` (absent when null) and `colour`.
  std::string ScoreCase(const double* age, const std::string& colour) {
    CaseRecord input;
    input.Add("colour", nullptr);
    input.SetValue("colour", colour);
    if (age != nullptr) {
      input.Add("age", nullptr);
      input.SetValue("age", *age);
    }
    advice_.clear();
    EXPECT_TRUE(model_->Score(&input, result_.get(), &advice_));
    const ScoreValue* score = result_->Get("$R-risk");
    return score == nullptr ? "(missing)" : score->GetString();
  }

  std::vector<std::string> AdviceTexts() {
    std::vector<std::string> texts;
    for (ResultAdvice& advice : advice_) texts.push_back(advice.ToString());
    return texts;
  }

  ModelPtr model_;
  std::unique_ptr<ScoreCaseRecord> result_;
  std::vector<ResultAdvice> advice_;
};

TEST_F(TreeModelTest, TranslatorFillsTheBaseModel) {
  EXPECT_EQ(model_->GetModelType(), "TreeModel");
  ASSERT_NE(model_->GetTargetVar(), nullptr);
  EXPECT_EQ(model_->GetTargetVar()->GetName(), "risk");
  EXPECT_EQ(model_->GetVarRole("age"), ScoreModel::kACTIVE);
  EXPECT_EQ(model_->GetVarRole("risk"), ScoreModel::kTARGET);
  EXPECT_EQ(model_->GetDictionary()->Size(), 3);
  EXPECT_NE(model_->GetTransformationDictionary(), nullptr);
  ASSERT_NE(model_->GetVersionInfo(), nullptr);
  EXPECT_EQ(model_->GetVersionInfo()->GetVersionInfo(), "4.0");
  EXPECT_NE(model_->GetResultDictionary()->GetVar("$R-risk"), nullptr);
  EXPECT_EQ(Describe(*model_).rfind("TreeModel target=risk\n", 0), 0u);
  EXPECT_TRUE(model_->SetScoringOption("trace", "on"));
  EXPECT_FALSE(model_->SetScoringOption("neighbours", "3"));
}

TEST_F(TreeModelTest, ScoresThroughDiscreteScaleAndDerivedSplits) {
  const double young = 30;
  const double middle = 50;  // 600 months
  const double old = 70;     // 840 months
  EXPECT_EQ(ScoreCase(&young, "blue"), "high");
  EXPECT_EQ(ScoreCase(&young, "red"), "low");
  EXPECT_EQ(ScoreCase(&middle, "red"), "medium");
  EXPECT_EQ(ScoreCase(&old, "red"), "high");
  EXPECT_TRUE(advice_.empty());
}

TEST_F(TreeModelTest, AbsentAndMissingValuesGiveAdvice) {
  EXPECT_EQ(ScoreCase(nullptr, "blue"), "high");
  EXPECT_EQ(AdviceTexts(),
            (std::vector<std::string>{
                "Could not find variable age in the case record and it was treated as having "
                "missing value.",
                "Biggest child node chosen for split variable age due to missing value."}));

  const double sysmis = NumericValue::GetSysmisValue();
  EXPECT_EQ(ScoreCase(&sysmis, "red"), "low");
  EXPECT_EQ(AdviceTexts(),
            (std::vector<std::string>{
                "Variable age has a missing value.",
                "Biggest child node chosen for split variable age due to missing value."}));

  const double young = 30;
  EXPECT_EQ(ScoreCase(&young, "green"), "(missing)");
  ASSERT_EQ(advice_.size(), 1u);
  EXPECT_EQ(advice_[0].ToString(), "Score is a missing value");
}

TEST(ModelFactoryTest, ModelBelongsToTheHostAndTranslatorIsGone) {
  ModelPtr model = Make(ReadFile(DataFile("tree.pmml")), {"TreeModel"});
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(orvane_test::LiveTranslators("TreeModel600r.so"), 0);
  EXPECT_EQ(orvane_test::LiveModels("TreeModel600r.so"), 1);
  model.reset();
  EXPECT_EQ(orvane_test::LiveModels("TreeModel600r.so"), 0);
  // The plug-in stays loaded after its last model is gone.
  EXPECT_EQ(orvane_test::LiveTranslators("TreeModel600r.so"), 0);
}

TEST(ModelFactoryTest, DocumentPathTerminatesThePlatformOnce) {
  ExpectPlatformBalanced(
      [] { EXPECT_NE(Make(ReadFile(DataFile("tree.pmml")), {"TreeModel"}), nullptr); });
}

// --- Document kinds --------------------------------------------------------

struct RootCase {
  const char* label;
  std::string document;
  Names names;
  const char* model_type;   // the type of the model built
  const char* description;  // a part of its Display text
};

const char kDeclaration[] = "<?xml version='1.0'?>";

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RootCase& c, std::ostream* os) { *os << c.label; }

class DocumentKindTest : public ::testing::TestWithParam<RootCase> {};

TEST_P(DocumentKindTest, RootChoosesThePlugin) {
  const RootCase& c = GetParam();
  ModelPtr model = Make(c.document, c.names, "third");
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->GetModelType(), c.model_type);
  EXPECT_NE(Describe(*model).find(c.description), std::string::npos) << Describe(*model);
}

INSTANTIATE_TEST_SUITE_P(
    Roots, DocumentKindTest,
    ::testing::Values(
        RootCase{"Pmml",
                 ReadFile(DataFile("tree.pmml")),
                 {"MiningModel", "TreeModel"},
                 "TreeModel",
                 "target=risk"},
        RootCase{"QrtzWithRegression",
                 ReadFile(DataFile("qrtz_regression.xml")),
                 {},
                 "GeneralRegressionModel",
                 "root=qrtz-ml arg=third variables=2"},
        RootCase{"QrtzSearchesNames",
                 std::string(kDeclaration) + "<qrtz-ml><models><MiningModel/></models></qrtz-ml>",
                 {"TreeModel", "MiningModel"},
                 "MiningModel",
                 "root=qrtz-ml arg=third"},
        RootCase{"TreeWithEmptyNames",
                 ReadFile(DataFile("tree_root.xml")),
                 {},
                 "TreeModel",
                 "target=band"},
        RootCase{
            "AssocLattice",
            std::string(kDeclaration) + "<AssocLattice><AssociationModelLattice/></AssocLattice>",
            {"AssociationModelLattice"},
            "AssociationModel",
            "root=AssocLattice"},
        // The order of the names list decides, not the document's.
        RootCase{"NamesListOrderTree",
                 ReadFile(DataFile("mining_and_tree.pmml")),
                 {"TreeModel", "MiningModel"},
                 "TreeModel",
                 "TreeModel"},
        RootCase{"NamesListOrderMining",
                 ReadFile(DataFile("mining_and_tree.pmml")),
                 {"MiningModel", "TreeModel"},
                 "MiningModel",
                 "type=MiningModel"},
        RootCase{"RootIsNoModelElement",
                 "<PMML><Header/><MiningModel/></PMML>",
                 {"PMML", "MiningModel"},
                 "MiningModel",
                 "root=PMML"},
        RootCase{"LatticeInPmmlServedByAssociationPlugin",
                 "<PMML><AssociationModelLattice/></PMML>",
                 {"NeuralNetwork", "AssociationModelLattice"},
                 "AssociationModel",
                 "root=PMML"},
        RootCase{"SequentialAssociationLattice",
                 std::string(kDeclaration) + "<SequentialAssociationLattice><SequenceModel/>"
                                             "</SequentialAssociationLattice>",
                 {"SequenceModel"},
                 "SequenceModel",
                 "root=SequentialAssociationLattice"}),
    orvane_test::RowLabel<RootCase>);

TEST(ModelFactoryTest, PassModelNamesReceivesTheListBeforeTheParse) {
  ModelPtr with = Make("<PMML><MiningModel/></PMML>", {"MiningModel", "TreeModel", "MiningModel"});
  ASSERT_NE(with, nullptr);
  EXPECT_NE(Describe(*with).find(" names=MiningModel,TreeModel,MiningModel"), std::string::npos);

  ModelPtr without = Make("<PMML><AssociationModel/></PMML>", {"AssociationModel"});
  ASSERT_NE(without, nullptr);
  EXPECT_NE(Describe(*without).find(" names-not-passed"), std::string::npos);
}

TEST(ModelFactoryTest, ThirdArgumentReachesTheDocumentTranslatorOnly) {
  ModelPtr model = Make("<PMML><MiningModel/></PMML>", {"MiningModel"}, "host-arg", "nn-arg");
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(Describe(*model), "type=MiningModel root=PMML arg=host-arg names=MiningModel");
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

struct FailureCase {
  const char* label;
  std::string document;
  Names names;
  int code;
  std::string message;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.label; }

class FactoryFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FactoryFailureTest, ThrowsAndLeavesNothingBehind) {
  const FailureCase& c = GetParam();
  ExpectPlatformBalanced(
      [&c] { ExpectFailure([&c] { Make(c.document, c.names); }, c.code, c.message); });
}

const char kUnsupported[] = "Unsupported Model found!";

INSTANTIATE_TEST_SUITE_P(
    Table, FactoryFailureTest,
    ::testing::Values(
        // The parse stops at the first fatal error, so input that is not a
        // document never reaches the root checks.
        FailureCase{"NotXml", "this is not XML", {"TreeModel"}, 6, "Invalid XML file!!"},
        FailureCase{"EmptyInput", "", {"TreeModel"}, 6, "Invalid XML file!!"},
        FailureCase{"LowerCasePmml", "<pmml><TreeModel/></pmml>", {"TreeModel"}, 5, kUnsupported},
        FailureCase{"OtherRoot", "<Model><TreeModel/></Model>", {"TreeModel"}, 5, kUnsupported},
        FailureCase{"NameNotInList", "<PMML><TreeModel/></PMML>", {"MiningModel"}, 5, kUnsupported},
        FailureCase{"EmptyList", "<PMML><TreeModel/></PMML>", {}, 5, kUnsupported},
        FailureCase{"RootItselfIsNoMatch", "<PMML/>", {"PMML"}, 5, kUnsupported},
        FailureCase{
            "QrtzWithoutModel", "<qrtz-ml><dictionary/></qrtz-ml>", {"TreeModel"}, 5, kUnsupported},
        FailureCase{"NearestNeighborNotInList",
                    "<PMML><NearestNeighborModel/></PMML>",
                    {"TreeModel"},
                    5,
                    NotSupported("NearestNeighborModel")},
        FailureCase{"NoPluginFile",
                    "<PMML><SupportVectorMachineModel/></PMML>",
                    {"SupportVectorMachineModel"},
                    5,
                    NotSupported("SupportVectorMachineModel")},
        FailureCase{"NoGiveMyTranslator",
                    "<PMML><NeuralNetwork/></PMML>",
                    {"NeuralNetwork"},
                    5,
                    NotSupported("NeuralNetwork")},
        FailureCase{"NullTranslator",
                    "<PMML><Scorecard/></PMML>",
                    {"Scorecard"},
                    5,
                    NotSupported("Scorecard")},
        FailureCase{"TreeDocumentWithoutDictionary",
                    "<PMML><TreeModel/></PMML>",
                    {"TreeModel"},
                    4,
                    "Node is missing --- DataDictionary ---"}),
    orvane_test::RowLabel<FailureCase>);

TEST(ModelFactoryTest, FileFormsReportUnopenableFiles) {
  const std::string missing = DataFile("no_such_file.xml");
  ExpectFailure([&] { ModelFactory::MakeModelFromXML(DataFile("tree.pmml"), missing, ""); }, 2,
                "Could not open model names file");
  ExpectFailure([&] { ModelFactory::MakeModelFromXML(missing, missing, "", ""); }, 2,
                "Could not open model names file");
  const std::string names = TempPath("names.txt");
  std::ofstream(names) << "TreeModel\n";
  ExpectFailure([&] { ModelFactory::MakeModelFromXML(missing, names, ""); }, 2,
                "Could not open model file");
  ModelPtr model(ModelFactory::MakeModelFromXML(DataFile("tree.pmml"), names, ""));
  EXPECT_NE(model, nullptr);
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

TEST_F(TranslatorFailureTest, OVExceptionPassesUnchanged) {
  ExpectPlatformBalanced([] {
    ExpectFailure([] { MakeRegression("ov"); }, 7, "RegressionTable: intercept is empty");
  });
}

TEST_F(TranslatorFailureTest, OtherExceptionsPassUnchanged) {
  EXPECT_THROW(MakeRegression("std"), std::runtime_error);
}

TEST_F(TranslatorFailureTest, XercesExceptionsBecomeCodeSix) {
  // They cannot outlive the platform that the factory terminates.
  for (const char* arg : {"xerces", "dom"}) {
    try {
      MakeRegression(arg);
      ADD_FAILURE() << arg << ": no exception";
    } catch (const OVException& e) {
      EXPECT_EQ(e.GetErrorCode(), 6) << arg;
      EXPECT_FALSE(e.GetErrorMessage().empty()) << arg;
    }
  }
}

TEST_F(TranslatorFailureTest, NullModelIsReturnedAsNull) {
  EXPECT_EQ(MakeRegression("null"), nullptr);
}

TEST_F(TranslatorFailureTest, OtherwiseTheModelIsReturned) {
  ModelPtr model = MakeRegression("");
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->GetModelType(), "RegressionModel");
}

}  // namespace
}  // namespace MCOrvane_600
