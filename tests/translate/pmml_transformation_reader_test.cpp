// What the reader keeps of a derived field beyond its values (which
// tests/data/pmml/td checks): types, levels, widths, categories, missing
// values and recode settings. Refused fields: tests/data/refusals.

#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

std::string Field(const std::string& name, const std::string& optype, const std::string& type,
                  const std::string& body) {
  return "<DerivedField name='" + name + "' optype='" + optype + "' dataType='" + type + "'>" +
         body + "</DerivedField>";
}

std::string Extension(const std::string& name, const std::string& value = "1") {
  return "<Extension name='" + name + "' value='" + value + "'/>";
}

const char kPair[] = "<FieldColumnPair field='s' column='in'/>";

class TransformationReaderTest : public PMMLDocumentTest {
 protected:
  // Reads `derived` (the TransformationDictionary's content) after a data
  // dictionary of x (double) and s (string).
  void Read(const std::string& derived) {
    xercesc::DOMElement* root = Parse(
        "<PMML><DataDictionary><DataField name='x' optype='continuous' dataType='double'/>"
        "<DataField name='s' optype='categorical' dataType='string'/></DataDictionary>"
        "<TransformationDictionary>" + derived + "</TransformationDictionary></PMML>");
    data_.reset(
        translator_->ParseDictionary(BaseTranslator::GetChildByTagForced(root, "DataDictionary")));
    derived_.reset(translator_->HandleTransformationDictionary(
        dynamic_cast<xercesc::DOMElement*>(
            BaseTranslator::GetChildByTagForced(root, "TransformationDictionary")),
        data_.get()));
  }
  const TransformVar* Var(const std::string& name) {
    return dynamic_cast<const TransformVar*>(derived_->GetVar(name));
  }

  std::unique_ptr<ScoreDictionary> data_;
  std::unique_ptr<TransformationDictionary> derived_;
};

TEST_F(TransformationReaderTest, ReadsTypesLevelsAndWidth) {
  Read(Field("o", "ordinal", "integer", "<FieldRef field='x'/>") +
       Field("t", "categorical", "string", Extension("stringLength", "4") + "<FieldRef field='s'/>") +
       Field("u", "categorical", "string", Extension("width", "0") + "<FieldRef field='s'/>"));
  EXPECT_EQ(ScoreDictVar::kORDINAL, Var("o")->GetMLevel());
  EXPECT_EQ(ScoreDictVar::kNUMERIC_VAR, Var("o")->GetVarType());
  EXPECT_EQ(ScoreDictVar::kSTRING_VAR, Var("t")->GetVarType());
  EXPECT_EQ(ScoreDictVar::kNOMINAL, Var("t")->GetMLevel());
  EXPECT_EQ(4, Var("t")->GetWidth());
  EXPECT_EQ(-1, Var("u")->GetWidth());
}

TEST_F(TransformationReaderTest, ReadsCategoriesAndMissingValues) {
  Read("<DerivedField name='a' optype='categorical' dataType='double'>"
       "<Extension name='MissingValues'><Value value='9'/>"
       "<Interval closure='closedClosed' leftMargin='0' rightMargin='100'/>" +
       Extension("invalidRangeLower", "50") + Extension("invalidRangeUpper", "60") +
       "</Extension><Value value='1' displayValue='one' property='valid'/><Value value='2'/>"
       "<Foo/><FieldRef field='x'/></DerivedField>");
  const TransformVar* a = Var("a");
  const ScoreValueLabelSet* labels = a->GetValueLabels();
  ASSERT_NE(nullptr, labels);
  ASSERT_EQ(2, labels->Size());
  const NumericValue one(1.0);
  const NumericValue two(2.0);
  EXPECT_EQ("one", labels->GetLabelOfValue(&one));
  EXPECT_EQ("2", labels->GetLabelOfValue(&two));
  for (double x : {9.0, -1.0, 101.0, 50.0, 55.0, 60.0, 0.0, 49.0, 61.0, 100.0}) {
    const NumericValue value(x);
    EXPECT_EQ(x == 9 || x < 0 || x > 100 || (x >= 50 && x <= 60), a->IsMissingValue(&value)) << x;
  }
}

TEST_F(TransformationReaderTest, ReadsRecodeExtensions) {
  Read(Field("a", "continuous", "double",
             "<MapValues outputColumn='out'>" + std::string(kPair) + Extension("recodeElseCopy") +
                 Extension("recodeMissingSysmis") + Extension("other") + "</MapValues>") +
       Field("b", "categorical", "string",
             "<MapValues outputColumn='out'>" + std::string(kPair) +
                 Extension("mapSysmisTo", "none") + Extension("recodeMissingCopy") +
                 "</MapValues>"));
  const TransformVar* a = Var("a");
  EXPECT_TRUE(a->IsRecodeElseCopy());
  ASSERT_NE(nullptr, a->GetRecodeMissValueRep());
  EXPECT_TRUE(a->GetRecodeMissValueRep()->IsSystemMissingValue());
  EXPECT_FALSE(a->IsRecodeMissingCopy());
  const TransformVar* b = Var("b");
  ASSERT_NE(nullptr, b->GetRecodeSysmisValueRep());
  EXPECT_EQ("none", b->GetRecodeSysmisValueRep()->GetString());
  EXPECT_TRUE(b->IsRecodeMissingCopy());
}

}  // namespace
}  // namespace MCOrvane_600
