// The dictionaries' readers: data dictionaries of PMML and of the dialect,
// and derived fields. Whole documents and what the readers keep of each field
// are in tables beside them (tests/data/pmml/dd, tests/data/qrtz); refused
// documents in tests/data/refusals and tests/data/qrtz/refusals.txt.

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/NumberFormatException.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/dictionary/score_var_stats.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/translate/qrtz_translator.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

using PMMLDataDictionaryTest = PMMLDocumentTest;

const char kA[] = "<DataField name='a' optype='continuous'/>";

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

// The dialect's translators come from plug-ins; this one only reads.
class QRTZReader : public QRTZTranslator {
 public:
  explicit QRTZReader(bool with_transcoder = true) {
    if (with_transcoder) CreateTranscoder("");
  }
  using QRTZTranslator::ParseFromTree;
  ScoreModel* ParseFromTree(xercesc::DOMDocument*, const std::string&) override { return nullptr; }
};

// The values of `list` (blank-separated) that `holds` holds for.
template <typename Holds>
std::string Those(const ScoreDictVar& var, const std::string& list, Holds holds) {
  std::istringstream in(list);
  std::string those;
  for (std::string text; in >> text;) {
    std::unique_ptr<ScoreValue> value;
    if (var.GetVarType() == ScoreDictVar::kSTRING_VAR) {
      value.reset(new StringValue(text));
    } else {
      value.reset(new NumericValue(std::strtod(text.c_str(), nullptr)));
    }
    if (holds(value.get())) those += (those.empty() ? "" : " ") + text;
  }
  return those;
}

std::string Number(double x) {
  if (NumericValue::IsSystemMissingValue(x)) return "missing";
  std::ostringstream out;
  out << x;
  return out.str();
}

// What the reader made of `var`'s `property`, as the tables write it.
std::string Property(const ScoreDictVar& var, const std::string& property,
                     const std::string& expected) {
  const char* const kTypes[] = {"numeric", "string", "", "", "datetime"};
  const char* const kLevels[] = {"continuous", "ordinal", "nominal"};
  auto yes = [](bool b) { return std::string(b ? "yes" : "no"); };
  if (property == "type") return kTypes[var.GetVarType()];
  if (property == "level") return kLevels[var.GetMLevel()];
  if (property == "label") return var.GetLabel();
  if (property == "width") return std::to_string(var.GetWidth());
  if (property == "decimals") return std::to_string(var.GetDecimal());
  if (property == "categories") return std::to_string(var.GetNumberOfCats());
  if (property == "datetime type") return std::to_string(var.GetDateTimeType());
  if (property == "flag") return yes(var.IsFlagVariable());
  if (property == "measure") return var.GetXMeasure();
  if (property == "no space trim") return yes(var.GetNoSpaceTrim());
  if (property == "empty string ok") return yes(var.GetEmptyStringOK());
  if (property == "value labels") {
    return var.GetValueLabels() == nullptr ? "none" : std::to_string(var.GetValueLabels()->Size());
  }
  if (property == "missing values") {
    return var.GetMissingValues() == nullptr ? "none"
                                             : std::to_string(var.GetMissingValues()->Size());
  }
  if (property == "stats") {
    const ScoreVarStats* s = var.GetVarStats();
    if (s == nullptr) return "none";
    return Number(s->GetMin()) + " " + Number(s->GetMax()) + " " + Number(s->GetMean()) + " " +
           Number(s->GetStddev());
  }
  if (property == "missing" || property == "not missing") {
    const bool wanted = property == "missing";
    return Those(var, expected,
                 [&](const ScoreValue* v) { return var.IsMissingValue(v) == wanted; });
  }
  if (property == "valid") {
    return Those(var, expected, [&](const ScoreValue* v) { return var.IsValidValue(v); });
  }
  if (property.compare(0, 9, "label of ") == 0) {
    const StringValue text(property.substr(9));
    const NumericValue number(std::strtod(property.c_str() + 9, nullptr));
    return var.GetLabelOfValue(var.GetVarType() == ScoreDictVar::kSTRING_VAR
                                   ? static_cast<const ScoreValue*>(&text)
                                   : &number);
  }
  ADD_FAILURE() << "no property " << property;
  return "";
}

// Each <name>.fields beside a document of tests/data/pmml/dd (PMML) and
// tests/data/qrtz (the dialect) lists what the reader makes of its fields:
// field | property | value; field "*" and property "fields": the names in the
// dictionary's order. "\xHH" in a value is that byte.
TEST_F(PMMLDataDictionaryTest, DocumentsReadAsTheirTablesSay) {
  QRTZReader qrtz;
  int tables = 0;
  for (const std::string dir : {"pmml/dd", "qrtz"}) {
    const bool pmml = dir == "pmml/dd";
    for (const std::string& table : orvane_test::FilesIn(orvane_test::TestData(dir), ".fields")) {
      ++tables;
      const std::string name = table.substr(0, table.size() - 7);
      xercesc::DOMElement* root =
          ParseFile(orvane_test::TestData(dir + "/" + name + (pmml ? ".pmml" : ".xml")));
      ASSERT_NE(nullptr, root) << name;
      xercesc::DOMNode* node =
          BaseTranslator::GetChildByTag(root, pmml ? "DataDictionary" : "dictionary");
      std::unique_ptr<ScoreDictionary> dictionary(
          pmml ? translator_->ParseDictionary(node)
               : qrtz.ParseDictionary(static_cast<xercesc::DOMElement*>(node)));
      for (const auto& row :
           orvane_test::ReadRows(orvane_test::TestData(dir + "/" + table), 3).rows) {
        SCOPED_TRACE(table + ", " + row.label());
        std::string expected = row.cells[2];
        for (std::size_t at = expected.find("\\x"); at != std::string::npos;
             at = expected.find("\\x", at + 1)) {
          expected.replace(at, 4, 1,
                           static_cast<char>(std::stoi(expected.substr(at + 2, 2), 0, 16)));
        }
        if (row.cells[0] == "*") {
          std::string names;
          for (const ScoreDictVar* var : dictionary->GetScoreDictVars()) {
            names += (names.empty() ? "" : " ") + var->GetName();
          }
          EXPECT_EQ(expected, names);
          continue;
        }
        const ScoreDictVar* var = dictionary->GetVar(row.cells[0]);
        ASSERT_NE(nullptr, var);
        EXPECT_EQ(expected, Property(*var, row.cells[1], expected));
      }
    }
  }
  EXPECT_EQ(4, tables);
}

// --- The dialect's dictionaries ---------------------------------------------

// The translator's transcoder comes from the platform, which the base
// fixture initialises around each test.
class QRTZTranslatorTest : public PMMLDocumentTest {
 protected:
  void SetUp() override {
    PMMLDocumentTest::SetUp();
    qrtz_.reset(new QRTZReader);
  }
  void TearDown() override {
    qrtz_.reset();
    PMMLDocumentTest::TearDown();
  }

  // The "dictionary" element of a parsed document; null when it has none.
  xercesc::DOMElement* Load(const std::string& document) {
    xercesc::DOMElement* root = Parse(document);
    EXPECT_NE(nullptr, root) << document;
    return static_cast<xercesc::DOMElement*>(
        BaseTranslator::GetChildByTag(root, QRTZTags::gDictionary));
  }
  xercesc::DOMElement* LoadVariables(const std::string& variables) {
    return Load("<qrtz-ml><dictionary>" + variables + "</dictionary></qrtz-ml>");
  }
  std::unique_ptr<ScoreDictionary> Read(const std::string& variables) {
    return std::unique_ptr<ScoreDictionary>(qrtz_->ParseDictionary(LoadVariables(variables)));
  }

  std::unique_ptr<QRTZReader> qrtz_;
};

// tests/data/qrtz/refusals.txt: every fault is reported with its code and
// message, and nothing is left (run under the sanitizers).
TEST_F(QRTZTranslatorTest, EveryFaultIsReportedAndNothingIsLeft) {
  const orvane_test::RowFile table =
      orvane_test::ReadRows(orvane_test::TestData("qrtz/refusals.txt"), 3);
  ASSERT_LT(10u, table.rows.size());
  for (const auto& row : table.rows) {
    SCOPED_TRACE(row.label());
    xercesc::DOMElement* dictionary = Load(table.Document(row));
    ExpectOVException([&] { delete qrtz_->ParseDictionary(dictionary); }, std::stoi(row.cells[0]),
                      row.cells[1]);
  }
}

TEST_F(QRTZTranslatorTest, BadFormatNumbersFailThroughXerces) {
  for (const char* attributes : {R"(decimals="2" width="8")", R"(format="5" decimals="2" width="")",
                                 R"(format="5" decimals="two" width="8")"}) {
    SCOPED_TRACE(attributes);
    const std::string variable =
        std::string(R"(<variable name="v" storage-type="NUMERIC" measurement-level="NOMINAL">)") +
        "<format-spec " + attributes + "/></variable>";
    EXPECT_THROW(Read(variable), xercesc::NumberFormatException);
  }
}

// Whole documents: tests/data/qrtz, read by the data-dictionary tests.
TEST_F(QRTZTranslatorTest, WithoutATranscoderTheDefaultCodePageIsUsed) {
  QRTZReader bare(false);
  std::unique_ptr<ScoreDictionary> dictionary(bare.ParseDictionary(
      LoadVariables("<variable name=\"caf\xC3\xA9\" storage-type=\"STRING\" "
                    "measurement-level=\"NOMINAL\"><categories>"
                    "<category value=\"\xC3\xA9t\xC3\xA9\"/></categories></variable>")));
  const ScoreDictVar* var = dictionary->GetVar("caf\xE9");
  ASSERT_NE(nullptr, var);
  const StringValue summer("\xE9t\xE9");
  EXPECT_EQ("\xE9t\xE9", var->GetLabelOfValue(&summer));
}

// --- Derived fields: what the reader keeps beyond their values -----------------
// (tests/data/pmml/td checks the values; tests/data/refusals the refusals).

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
        "<TransformationDictionary>" +
        derived + "</TransformationDictionary></PMML>");
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
       Field("t", "categorical", "string",
             Extension("stringLength", "4") + "<FieldRef field='s'/>") +
       Field("u", "categorical", "string", Extension("width", "0") + "<FieldRef field='s'/>"));
  EXPECT_EQ(ScoreDictVar::kORDINAL, Var("o")->GetMLevel());
  EXPECT_EQ(ScoreDictVar::kNUMERIC_VAR, Var("o")->GetVarType());
  EXPECT_EQ(ScoreDictVar::kSTRING_VAR, Var("t")->GetVarType());
  EXPECT_EQ(ScoreDictVar::kNOMINAL, Var("t")->GetMLevel());
  EXPECT_EQ(4, Var("t")->GetWidth());
  EXPECT_EQ(-1, Var("u")->GetWidth());
}

TEST_F(TransformationReaderTest, ReadsCategoriesAndMissingValues) {
  Read(
      "<DerivedField name='a' optype='categorical' dataType='double'>"
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
