#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/util/NumberFormatException.hpp>

#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

using PMMLDataDictionaryTest = PMMLDocumentTest;

bool IsMissing(const ScoreDictVar* var, double x) {
  const NumericValue value(x);
  return var->IsMissingValue(&value);
}

const char kA[] = "<DataField name='a' optype='continuous'/>";
const char kCat[] = "<DataField name='c' optype='categorical'";

// The refused dictionaries are in tests/data/refusals/data_dictionary.txt.
TEST_F(PMMLDataDictionaryTest, NoDictionaryIsRefused) {
  ExpectOVException([&] { translator_->ParseDictionary(nullptr); }, 1,
                    "<DataDictionary is required !!");
}

TEST_F(PMMLDataDictionaryTest, MalformedIntegersThrowTheXercesException) {
  EXPECT_THROW(translator_->ParseDictionary(Dictionary(kA, " numberOfFields='one'")),
               xercesc::NumberFormatException);
  EXPECT_THROW(Read("<DataField name='a' optype='continuous'><Extension name='format' "
                    "value='2x'/></DataField>"),
               xercesc::NumberFormatException);
}

TEST_F(PMMLDataDictionaryTest, LevelsTypesAndLabels) {
  std::unique_ptr<ScoreDictionary> dictionary(translator_->ParseDictionary(
      Dictionary(std::string(kA) + "<DataField name='o' displayName='Ord' "
                                   "optype='ordinal' dataType='integer'/>"
                                   "<DataField name='s' optype='categorical' "
                                   "x-storageType='string' dataType='double'/>"
                                   "<DataField name='b' optype='categorical' "
                                   "dataType='boolean'/>",
                 " numberOfFields=' 4 '")));
  ASSERT_EQ(4, dictionary->Size());
  const ScoreDictVar* a = dictionary->GetVar("a");
  EXPECT_EQ(ScoreDictVar::kCONTINUOUS, a->GetMLevel());
  EXPECT_EQ(ScoreDictVar::kNUMERIC_VAR, a->GetVarType());
  EXPECT_EQ("a", a->GetLabel());
  EXPECT_EQ(nullptr, a->GetMissingValues());
  EXPECT_EQ(nullptr, a->GetValueLabels());
  EXPECT_EQ(ScoreDictVar::kORDINAL, dictionary->GetVar("o")->GetMLevel());
  EXPECT_EQ("Ord", dictionary->GetVar("o")->GetLabel());
  EXPECT_EQ(ScoreDictVar::kNOMINAL, dictionary->GetVar("s")->GetMLevel());
  EXPECT_EQ(ScoreDictVar::kSTRING_VAR, dictionary->GetVar("s")->GetVarType());
  EXPECT_EQ(ScoreDictVar::kNUMERIC_VAR, dictionary->GetVar("b")->GetVarType());
  EXPECT_EQ(0, dictionary->GetVar("b")->GetNumberOfCats());
}

TEST_F(PMMLDataDictionaryTest, DateTimeTypes) {
  // In the order of their date/time type numbers, from 1.
  std::istringstream names(
      "date time dateTime dateDaysSince[0] dateDaysSince[1960] dateDaysSince[1970] "
      "dateDaysSince[1980] timeSeconds dateTimeSecondsSince[0] dateTimeSecondsSince[1960] "
      "dateTimeSecondsSince[1970] dateTimeSecondsSince[1980]");
  int type = 0;
  for (std::string name; names >> name;) {
    std::unique_ptr<ScoreDictionary> dictionary(
        Read("<DataField name='d' optype='continuous' dataType='" + name +
             "'><Value value='10' property='missing'/></DataField>"));
    const ScoreDictVar* d = dictionary->GetVar("d");
    EXPECT_EQ(ScoreDictVar::kDATETIME_VAR, d->GetVarType()) << name;
    EXPECT_EQ(++type, d->GetDateTimeType());
    const DateTimeValue ten(10, d->GetDateTimeType());
    EXPECT_TRUE(d->IsMissingValue(&ten)) << name;
  }
  EXPECT_EQ(12, type);
  std::unique_ptr<ScoreDictionary> other(
      Read("<DataField name='d' optype='continuous' dataType='Date'/>"));
  EXPECT_EQ(ScoreDictVar::kNO_DATETIME, other->GetVar("d")->GetDateTimeType());
}

TEST_F(PMMLDataDictionaryTest, CategoriesAndTypeInference) {
  std::unique_ptr<ScoreDictionary> dictionary(
      Read(std::string(kCat) +
           "><Value value='A' displayValue='Alpha'/><Value value='1'/>"
           "<Value value='b' property='invalid'/><Extension name='width' value='0'/></DataField>"
           "<DataField name='n' optype='ordinal'><Value value='9' property='missing'/>"
           "<Value value='1'/><Value value='2.5'/><Extension name='decimals' value='2'/>"
           "<Extension name='stringLength' value='12'/></DataField>"));
  const ScoreDictVar* c = dictionary->GetVar("c");
  EXPECT_EQ(ScoreDictVar::kSTRING_VAR, c->GetVarType());
  EXPECT_TRUE(c->GetEmptyStringOK());
  EXPECT_FALSE(c->GetNoSpaceTrim());
  EXPECT_EQ(-1, c->GetWidth());
  ASSERT_EQ(2, c->GetNumberOfCats());
  const StringValue a("A"), b("b"), one("1");
  EXPECT_EQ("Alpha", c->GetLabelOfValue(&a));
  EXPECT_EQ("1", c->GetLabelOfValue(&one));
  EXPECT_TRUE(c->IsValidValue(&a));
  EXPECT_TRUE(c->IsMissingValue(&b));
  const ScoreDictVar* n = dictionary->GetVar("n");
  EXPECT_EQ(ScoreDictVar::kNUMERIC_VAR, n->GetVarType());
  EXPECT_EQ(2, n->GetDecimal());
  EXPECT_EQ(12, n->GetWidth());
  EXPECT_TRUE(IsMissing(n, 9));
  const NumericValue two_and_a_half(2.5);
  EXPECT_TRUE(n->IsValidValue(&two_and_a_half));
}

TEST_F(PMMLDataDictionaryTest, StringFlagsAndMeasure) {
  std::unique_ptr<ScoreDictionary> dictionary(
      Read(std::string(kCat) +
           " dataType='string'><Extension name='noSpaceTrim' value='true'/>"
           "<Value value='a'/><Value value='a '/><Value value=''/></DataField>"
           "<DataField name='f' optype='categorical'><Value value='1'/>"
           "<Extension name='measure' value='flag'/></DataField>"
           "<DataField name='g' optype='ordinal'><Value value='y'/><Value value='n'>"
           "<Extension name='x-measure' value='flag'/></Value></DataField>"
           "<DataField name='m' optype='categorical'><Extension name='x-measure' "
           "value='typeless'/></DataField>"));
  const ScoreDictVar* c = dictionary->GetVar("c");
  EXPECT_TRUE(c->GetNoSpaceTrim());
  EXPECT_TRUE(c->GetEmptyStringOK());
  EXPECT_EQ(3, c->GetNumberOfCats());
  EXPECT_TRUE(dictionary->GetVar("f")->IsFlagVariable());
  EXPECT_EQ("flag", dictionary->GetVar("f")->GetXMeasure());
  EXPECT_TRUE(dictionary->GetVar("g")->IsFlagVariable());
  EXPECT_EQ("typeless", dictionary->GetVar("m")->GetXMeasure());
  EXPECT_FALSE(dictionary->GetVar("m")->IsFlagVariable());
}

TEST_F(PMMLDataDictionaryTest, IntervalComplement) {
  struct Case {
    const char* interval;
    std::vector<double> missing;
    std::vector<double> valid;
  };
  const Case cases[] = {
      {"closure='closedOpen' leftMargin='0' rightMargin='10'", {-1, 10}, {0, 9.5}},
      {"closure='openClosed' leftMargin='0' rightMargin='10'", {0, 10.5}, {0.5, 10}},
      {"closure='closedClosed' leftMargin='0'", {-0.5, -1e300}, {0, 1e300}},
      {"closure='openClosed' leftMargin='0'", {0, -0.5}, {0.5, 1e300}},
      {"closure='closedOpen' rightMargin='10'", {10, 1e300}, {9, -1e300}},
      // Without margins only plus infinity itself, which equals nothing.
      {"closure='openOpen'", {}, {0, 1e300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.interval);
    std::unique_ptr<ScoreDictionary> dictionary(
        Read(std::string("<DataField name='a' optype='continuous'><Interval ") + c.interval +
             "/></DataField>"));
    const ScoreDictVar* a = dictionary->GetVar("a");
    ASSERT_NE(nullptr, a->GetMissingValues());
    for (double x : c.missing) EXPECT_TRUE(IsMissing(a, x)) << x;
    for (double x : c.valid) EXPECT_FALSE(IsMissing(a, x)) << x;
  }
}

TEST_F(PMMLDataDictionaryTest, MissingValuesTreeIntervalsAndInvalidRanges) {
  std::unique_ptr<ScoreDictionary> dictionary(Read(
      "<DataField name='a' optype='continuous'><Value value='99' property='missing'/>"
      "<Value value='99.0' property='invalid'/><Value value='98' property='valid'/><Value "
      "value='97'/>"
      "<Extension name='invalidRangeLower' value='0'/><Extension name='invalidRangeUpper' "
      "value='9'/><Extension name='decimals' value='0'/></DataField>"
      "<DataField name='t' optype='continuous'><Extension name='node'><X-DataField>"
      "<Interval closure='closedOpen' leftMargin='1' rightMargin='2'/></X-DataField></Extension>"
      "<Extension name='other'><Interval closure='closedOpen' leftMargin='5'/></Extension>"
      "<Extension name='invalidRangeUpper' value='-5'/></DataField>"));
  const ScoreDictVar* a = dictionary->GetVar("a");
  EXPECT_EQ(2, a->GetMissingValues()->Size());
  EXPECT_EQ(0, a->GetDecimal());
  for (double x : {99.0, 0.0, 4.5, 9.0}) EXPECT_TRUE(IsMissing(a, x)) << x;
  for (double x : {98.0, 97.0, -0.1, 9.1}) EXPECT_FALSE(IsMissing(a, x)) << x;
  const ScoreDictVar* t = dictionary->GetVar("t");
  for (double x : {1.0, 1.5, -5.0, -1e300}) EXPECT_TRUE(IsMissing(t, x)) << x;
  for (double x : {2.0, 0.5, 5.0, -4.9}) EXPECT_FALSE(IsMissing(t, x)) << x;
}

TEST_F(PMMLDataDictionaryTest, NamesAndLabelsUseTheEncoding) {
  const std::string fields =
      "<DataField name='caf\xC3\xA9' optype='categorical'><Value value='\xC3\xA9t\xC3\xA9'/>"
      "</DataField>";
  std::unique_ptr<ScoreDictionary> cp1252(Read(fields));
  ASSERT_NE(nullptr, cp1252->GetVar("caf\xE9"));
  const StringValue summer("\xE9t\xE9");
  EXPECT_TRUE(cp1252->GetVar("caf\xE9")->IsValidValue(&summer));
  translator_.reset(new PMMLTranslator("UTF-8"));
  std::unique_ptr<ScoreDictionary> utf8(Read(fields));
  EXPECT_NE(nullptr, utf8->GetVar("caf\xC3\xA9"));
}

TEST_F(PMMLDataDictionaryTest, CopiesReadAlike) {
  PMMLTranslator copy(*translator_);
  std::unique_ptr<ScoreDictionary> first(copy.ParseDictionary(Dictionary(kA)));
  PMMLTranslator assigned("UTF-8");
  assigned = copy;
  std::unique_ptr<ScoreDictionary> second(assigned.ParseDictionary(Dictionary(kA)));
  EXPECT_EQ(1, second->Size());
  EXPECT_EQ(nullptr, copy.ParseFromTree(static_cast<xercesc::DOMDocument*>(nullptr), ""));
}

// A whole document of the dialect's extensions.
TEST_F(PMMLDataDictionaryTest, VendorDocumentReads) {
  std::unique_ptr<ScoreDictionary> dictionary(translator_->ParseDictionary(
      BaseTranslator::GetChildByTag(
      ParseFile(orvane_test::TestData("pmml/dd/vendor_extensions.pmml")), "DataDictionary")));
  ASSERT_EQ(4, dictionary->Size());
  const ScoreDictVar* age = dictionary->GetVar("age");
  EXPECT_EQ(3, age->GetWidth());
  EXPECT_EQ(1, age->GetDecimal());
  EXPECT_EQ(3, age->GetMissingValues()->Size());  // below, above, invalid range
  const ScoreDictVar* region = dictionary->GetVar("region");
  EXPECT_EQ(ScoreDictVar::kSTRING_VAR, region->GetVarType());
  EXPECT_TRUE(region->GetNoSpaceTrim());
  EXPECT_EQ(3, region->GetNumberOfCats());
  EXPECT_EQ(1, region->GetMissingValues()->Size());
  EXPECT_TRUE(dictionary->GetVar("churn")->IsFlagVariable());
  EXPECT_EQ(ScoreDictVar::kDATE_DAYS_SINCE_1970, dictionary->GetVar("joined")->GetDateTimeType());
}

}  // namespace
}  // namespace MCOrvane_600
