// Standard PMML expressions: the table tests/data/pmml/standard_functions.txt,
// one derived field a row, worked out by hand from the PMML text.

#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

const orvane_test::RowFile kTable =
    orvane_test::ReadRows(orvane_test::TestData("pmml/standard_functions.txt"), 4);

// The document of a row: name | dataType | expected | expression.
std::string Document(const orvane_test::RowFile::Row& row) {
  std::string text = kTable.Document(row);
  const std::string& type = row.cells[1];
  for (const auto& key : {std::make_pair(std::string("{optype}"),
                                         type == "string" ? "categorical" : "continuous"),
                          std::make_pair(std::string("{type}"), type.c_str())}) {
    const std::size_t at = text.find(key.first);
    if (at != std::string::npos) text.replace(at, key.first.size(), key.second);
  }
  return text;
}

// The value of derived field f for the case, as text ("missing" for none),
// or "refused <code> <message>".
std::string Derive(const std::string& document, bool standard) {
  std::istringstream in(document);
  ScoreDictionary* data = nullptr;
  PMMLReadOptions options;
  options.standardPMML = standard;
  std::unique_ptr<TransformationDictionary> derived;
  try {
    derived.reset(ModelFactory::GetTransformationDictionaryFromXML(in, data, "", options));
  } catch (const OVException& e) {
    return "refused " + std::to_string(e.GetErrorCode()) + " " + e.GetErrorMessage();
  }
  std::unique_ptr<ScoreDictionary> owned(data);
  CaseRecord record;
  record.Add("x", new NumericValue(2.5));
  record.Add("y", new NumericValue(-2.5));
  record.Add("z", new NumericValue(0.0));
  record.Add("s", new StringValue(" Ab c "));
  record.Add("v", new NumericValue(15.0));
  record.Add("w", new NumericValue(-1.0));
  record.Add("c", new StringValue("z"));
  record.Add("t", new DateTimeValue("2003-04-01T12:34:56", ScoreDictVar::kDATETIME));
  const ScoreValue* v = derived->GetValuesForDeriedVars(&record, data)->Get("f");
  if (v->GetType() == ScoreValue::kSTRING_VALUE) {
    return v->GetString().empty() ? "missing" : v->GetString();
  }
  if (NumericValue::IsSystemMissingValue(v->GetDouble())) return "missing";
  std::ostringstream out;
  out << v->GetDouble();
  return out.str();
}

TEST(StandardFunctions, EveryRowGivesItsValue) {
  ASSERT_LT(100u, kTable.rows.size());
  for (const auto& row : kTable.rows) {
    EXPECT_EQ(row.cells[2], Derive(Document(row), true)) << row.cells[0] << ", " << row.label();
  }
}

// Without the option the same document reads as the library's own dialect:
// "round" of -2.5 goes away from zero, and "rint" is no function.
TEST(StandardFunctions, SameDocumentWithoutTheOption) {
  const auto row = [](const char* expression) {
    return Document({0, {"", "double", "", expression}});
  };
  const std::string round = row("<Apply function=\"round\"><FieldRef field=\"y\"/></Apply>");
  EXPECT_EQ("-3", Derive(round, false));
  EXPECT_EQ("-2", Derive(round, true));
  EXPECT_EQ("refused 5 rint: not Supported function name",
            Derive(row("<Apply function=\"rint\"><FieldRef field=\"x\"/></Apply>"), false));
}

}  // namespace
}  // namespace MCOrvane_600
