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
  // Recodes of derived fields.
  const TransformVar* derived = dynamic_cast<const TransformVar*>(&var);
  if (derived != nullptr && property == "else copy") return yes(derived->IsRecodeElseCopy());
  if (derived != nullptr && property == "missing copy") return yes(derived->IsRecodeMissingCopy());
  if (derived != nullptr && (property == "missing to" || property == "sysmis to")) {
    const ScoreValue* to = property == "missing to" ? derived->GetRecodeMissValueRep()
                                                    : derived->GetRecodeSysmisValueRep();
    if (to == nullptr) return "none";
    return to->GetType() == ScoreValue::kSTRING_VALUE ? to->GetString() : Number(to->GetDouble());
  }
  ADD_FAILURE() << "no property " << property;
  return "";
}

// Each <name>.fields beside a document of tests/data/pmml/dd (PMML) and
// tests/data/qrtz (the dialect) lists what the reader makes of its fields:
// field | property | value; field "*" and property "fields": the names in the
// dictionary's order. "\xHH" in a value is that byte. Fields may be derived
// ones of a PMML TransformationDictionary.
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
      auto* transformations = static_cast<xercesc::DOMElement*>(
          BaseTranslator::GetChildByTag(root, "TransformationDictionary"));
      std::unique_ptr<TransformationDictionary> derived(
          transformations == nullptr
              ? nullptr
              : translator_->HandleTransformationDictionary(transformations, dictionary.get()));
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
        if (var == nullptr && derived != nullptr) var = derived->GetVar(row.cells[0]);
        ASSERT_NE(nullptr, var);
        EXPECT_EQ(expected, Property(*var, row.cells[1], expected));
      }
    }
  }
  EXPECT_EQ(5, tables);
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

}  // namespace
}  // namespace MCOrvane_600
