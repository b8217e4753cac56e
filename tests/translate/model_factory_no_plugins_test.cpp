// The factory and the plug-in record when the loader finds no plug-in: this
// test runs with the plug-in directory off the loader's search path.

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/model/score_model.h"
#include "orvane/translate/model_factory.h"
#include "orvane/translate/plugin_library.h"
#include "orvane/values/ov_exception.h"
#include "plugins/plugin_test_env.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

const bool kPluginsOffPath = orvane_test::UsePluginDirectory(false);

struct Unloadable {
  const char* label;
  std::string document;
  std::vector<std::string> names;
  const char* reported_type;
};

class UnloadablePluginTest : public ::testing::TestWithParam<Unloadable> {};

TEST_P(UnloadablePluginTest, ReportsTheModelTypeAsFound) {
  ASSERT_TRUE(kPluginsOffPath);
  const Unloadable& c = GetParam();
  std::istringstream in(c.document);
  orvane_test::ExpectOVException(
      [&] { std::unique_ptr<ScoreModel>(ModelFactory::MakeModelFromXML(in, c.names, "")); }, 5,
      std::string("Doesn't Support ") + c.reported_type +
          "  Model: No Required dll or lib available!");
}

// An association lattice's file would be AssociationModel600r.so; the message
// keeps the element's name.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Documents, UnloadablePluginTest, ::testing::Values(
    Unloadable{"Pmml", "<PMML><TreeModel/></PMML>", {"TreeModel"}, "TreeModel"},
    Unloadable{"Lattice", "<PMML><AssociationModelLattice/></PMML>", {"AssociationModelLattice"}, "AssociationModelLattice"},
    Unloadable{"TreeRoot", "<Tree/>", {}, "TreeModel"},
    Unloadable{"QrtzRegression", "<qrtz-ml><regression-model/></qrtz-ml>", {"TreeModel"}, "GeneralRegressionModel"},
    Unloadable{"NearestNeighbor", "<PMML><NearestNeighborModel/></PMML>", {"NearestNeighborModel"}, "NearestNeighborModel"}),
    orvane_test::RowLabel<Unloadable>);
// clang-format on

TEST(PluginLibraryTest, MissingFileRecordsTheLoadersText) {
  PluginLibrary library("TreeModel600r.so");
  EXPECT_NE(library.Load(), 0);
  EXPECT_EQ(library.GetHandle(), nullptr);
  EXPECT_NE(library.GetErrorText().find("TreeModel600r.so"), std::string::npos);
  EXPECT_EQ(library.GetSymbol("GiveMyTranslator"), nullptr);
  EXPECT_FALSE(library.GetErrorText().empty());
}

TEST(PluginLibraryTest, LoadsOnceAndLooksSymbolsUp) {
  PluginLibrary library(std::string(ORVANE_PLUGIN_DIR) + "/NeuralNetwork600r.so");
  ASSERT_EQ(library.Load(), 0) << library.GetErrorText();
  void* handle = library.GetHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(library.GetErrorText().empty());
  EXPECT_EQ(library.Load(), 0);
  EXPECT_EQ(library.GetHandle(), handle);

  EXPECT_EQ(library.GetSymbol("GiveMyTranslator"), nullptr);
  EXPECT_NE(library.GetErrorText().find("GiveMyTranslator"), std::string::npos);
  EXPECT_NE(library.GetSymbol("GiveMyTranslatorMissing"), nullptr);
  EXPECT_TRUE(library.GetErrorText().empty());
}

}  // namespace
}  // namespace MCOrvane_600
