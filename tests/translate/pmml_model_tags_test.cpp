#include "orvane/translate/pmml_model_tags.h"

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace MCOrvane_600 {
namespace {

using T = PMMLModelTags;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern, size_t* count) {
  std::set<std::string> names;
  *count = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
    names.insert((*it)[1]);
    ++*count;
  }
  return names;
}

// Every declared constant is defined once, and there are 545 of them.
TEST(PMMLModelTagsTest, DeclaredAndDefinedOnce) {
  const std::string root = std::string(ORVANE_TEST_DATA_DIR) + "/../../";
  const std::string header = ReadFile(root + "include/orvane/translate/pmml_model_tags.h");
  const std::string source = ReadFile(root + "src/translate/pmml_model_tags.cpp");
  ASSERT_FALSE(header.empty());
  ASSERT_FALSE(source.empty());
  size_t declared_count = 0;
  size_t defined_count = 0;
  const std::set<std::string> declared = Matches(
      header, std::regex("static const char\\* const (XML_[A-Za-z0-9_]+);"), &declared_count);
  const std::set<std::string> defined = Matches(
      source, std::regex("PMMLModelTags::(XML_[A-Za-z0-9_]+) =\\s*\"[^\"]+\";"), &defined_count);
  EXPECT_EQ(545u, declared_count);
  EXPECT_EQ(545u, declared.size());
  EXPECT_EQ(545u, defined_count);
  EXPECT_EQ(declared, defined);
}

TEST(PMMLModelTagsTest, TrickyTexts) {
  const struct {
    const char* constant;
    const char* text;
  } cases[] = {
      {T::XML_ELE_MISCLASSIFICATIONCOST, "X-MisclassificationCost"},
      {T::XML_ELE_MISCLASSIFICATIONCOST_OLD, "X-MisclassificatonCost"},
      {T::XML_ELE_UPERXBASIS, "X-Basis"},
      {T::XML_ELE_XBASIS, "x-Basis"},
      {T::XML_ELE_UPERXBASISROW, "X-BasisRow"},
      {T::XML_ELE_XBASISROW, "x-BasisRow"},
      {T::XML_ELE_XRISK, "X-risk"},
      {T::XML_ELE_XMEASURE, "x-measure"},
      {T::XML_ELE_CLUSTERING_ML, "QRTZ Clustering"},
      {T::XML_ELE_EUCLIDEAN, "euclidean"},
      {T::XML_ELE_SVM_REALSPARSEARRAY, "REAL-SparseArray"},
      {T::XML_ELM_BASELINESTRATUM, "BaselineStratum"},
      {T::XML_ATT_NORMMATHOD, "normalizationMethod"},
      {T::XML_ATT_PCC_TCol, "tCol"},
      {T::XML_ATT_TRAN_EXT_NAME_RECODEMISSINGSISMIS, "recodeMissingSysmis"},
      {T::XML_ATT_LINKFUNCTION, "cumulativeLink"},
      {T::XML_ATT_PARENTNUMBER, "parentsNumber"},
      {T::XML_VAL_NOISE, "True"},
      {T::XML_ATT_EXT_VALUE_VALUE_TRUE, "true"},
      {T::XML_VAL_NAME_STANDARD_DEVIATION, "Standard Deviation"},
      {T::XML_VAL_RM_EXT_VALUE_LINK_CUM_LOGLOG, "cumnloglog"},
      {T::XML_VAL_DATETIMESECONDSSINCE_1980, "dateTimeSecondsSince[1980]"},
      {T::XML_EXT_NAME_COXREG_XBASE_CUMHAZARD_TABLES, "X-BaseCumHazardTables"},
      {T::XML_MSTAT_UNIVARSTAT_DISCRSTATS, "DiscrStats"},
      {T::XML_QRTZ_TRANFUNC_DEVISION, "/"},
      {T::XML_QRTZ_TRANFUNC_CDFNORMAL, "cdf.normal"},
      {T::XML_QRTZ_TRANFUNC_UPCASE, "uppercase"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.text, c.constant);
}

TEST(PMMLModelTagsTest, SharedTextsAreSeparateConstants) {
  EXPECT_STREQ(T::XML_ATT_NAME, T::XML_ATT_DATAFIELD_NAME);
  EXPECT_STREQ(T::XML_VAL_MINING_REGRESSION, T::XML_VAL_SVM_REGRESSION);
  EXPECT_STRNE(T::XML_VAL_NOISE, T::XML_ATT_EXT_VALUE_VALUE_TRUE);
  EXPECT_STREQ("QRTZ", T::XML_VAL_EXTENSION_EXTENDER);
  EXPECT_STREQ("extender", T::XML_ATT_EXTENSION_EXTENDER);
}

}  // namespace
}  // namespace MCOrvane_600
