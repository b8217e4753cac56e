#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/util/NumberFormatException.hpp>

#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/dictionary/score_var_stats.h"
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

// The dialect's dictionaries have no reader of their own in the library.
class QRTZReader : public QRTZTranslator {
 public:
  QRTZReader() { CreateTranscoder(""); }
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
    return var.GetValueLabels() == nullptr ? "none"
                                           : std::to_string(var.GetValueLabels()->Size());
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
    return Those(var, expected, [&](const ScoreValue* v) { return var.IsMissingValue(v) == wanted; });
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

// Each <name>.txt beside a document of tests/data/pmml/dd (PMML) and
// tests/data/qrtz (the dialect) lists what the reader makes of its fields:
// field | property | value; field "*" and property "fields": the names in the
// dictionary's order. "\xHH" in a value is that byte.
TEST_F(PMMLDataDictionaryTest, DocumentsReadAsTheirTablesSay) {
  QRTZReader qrtz;
  int tables = 0;
  for (const std::string dir : {"pmml/dd", "qrtz"}) {
    const bool pmml = dir == "pmml/dd";
    for (const std::string& table : orvane_test::FilesIn(orvane_test::TestData(dir), ".txt")) {
      ++tables;
      const std::string name = table.substr(0, table.size() - 4);
      xercesc::DOMElement* root =
          ParseFile(orvane_test::TestData(dir + "/" + name + (pmml ? ".pmml" : ".xml")));
      ASSERT_NE(nullptr, root) << name;
      xercesc::DOMNode* node =
          BaseTranslator::GetChildByTag(root, pmml ? "DataDictionary" : "dictionary");
      std::unique_ptr<ScoreDictionary> dictionary(pmml ? translator_->ParseDictionary(node)
                                                       : qrtz.ParseDictionary(static_cast<xercesc::DOMElement*>(node)));
      for (const auto& row :
           orvane_test::ReadRows(orvane_test::TestData(dir + "/" + table), 3).rows) {
        SCOPED_TRACE(table + ", " + row.label());
        std::string expected = row.cells[2];
        for (std::size_t at = expected.find("\\x"); at != std::string::npos;
             at = expected.find("\\x", at + 1)) {
          expected.replace(at, 4, 1, static_cast<char>(std::stoi(expected.substr(at + 2, 2), 0, 16)));
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

}  // namespace
}  // namespace MCOrvane_600
