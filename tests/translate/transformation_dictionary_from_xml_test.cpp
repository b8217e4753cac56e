// Reading the dictionaries of PMML documents through the factory: the derived
// values of hand-worked cases (tests/data/pmml/td), the documents refused
// (tests/data/refusals) and standard PMML expressions
// (tests/data/pmml/standard_functions.txt), each a table read by one runner.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

const double kSysmis = NumericValue::GetSysmisValue();

std::string DataFile(const std::string& name) { return orvane_test::TestData("pmml/td/" + name); }

// The two dictionaries of one document, owned together.
struct Loaded {
  std::unique_ptr<ScoreDictionary> data;
  std::unique_ptr<TransformationDictionary> derived;
};

// From a file, or from a stream over `xml` when `path` is empty; as standard
// PMML when `standard`.
Loaded LoadFile(const std::string& path, const std::string& xml = "", bool standard = false) {
  std::istringstream in(xml);
  ScoreDictionary* data = nullptr;
  PMMLReadOptions options;
  options.standardPMML = standard;
  Loaded loaded;
  loaded.derived.reset(
      path.empty() ? ModelFactory::GetTransformationDictionaryFromXML(in, data, "", options)
                   : ModelFactory::GetTransformationDictionaryFromXML(path, data, "", options));
  loaded.data.reset(data);
  return loaded;
}
Loaded LoadText(const std::string& xml, bool standard = false) {
  return LoadFile("", xml, standard);
}

// A cell in double quotes is the text between them.
std::string Unquoted(const std::string& cell) {
  const bool quoted = cell.size() >= 2 && cell.front() == '"' && cell.back() == '"';
  return quoted ? cell.substr(1, cell.size() - 2) : cell;
}

// The value `cell` gives the input field `var`; null when the cell is empty.
ScoreValue* InputValue(const ScoreDictVar& var, const std::string& cell) {
  if (cell.empty()) return nullptr;
  if (cell == "missing") return new NumericValue(kSysmis);
  if (var.GetVarType() == ScoreDictVar::kSTRING_VAR) return new StringValue(Unquoted(cell));
  char* end = nullptr;
  const double x = std::strtod(cell.c_str(), &end);
  if (var.GetVarType() != ScoreDictVar::kDATETIME_VAR) return new NumericValue(x);
  return *end == '\0' ? new DateTimeValue(x, var.GetDateTimeType())
                      : new DateTimeValue(cell, var.GetDateTimeType());
}

// Numbers written with six or more significant digits agree to half a unit
// of their last digit, others to 1e-12 relative.
double Tolerance(const std::string& text, double expected) {
  int digits = 0;
  int decimals = -1;
  for (char c : text) {
    if (c == 'e' || c == 'E') return 1e-12 * std::max(1.0, std::fabs(expected));
    if (c == '.') decimals = 0;
    if (c >= '0' && c <= '9') {
      if (digits > 0 || c != '0') ++digits;
      if (decimals >= 0) ++decimals;
    }
  }
  if (digits >= 6 && decimals > 0) return 0.5 * std::pow(10.0, -decimals);
  return 1e-12 * std::max(1.0, std::fabs(expected));
}

void ExpectValue(const ScoreValue* value, const std::string& expected) {
  ASSERT_NE(nullptr, value);
  if (value->GetType() == ScoreValue::kSTRING_VALUE) {
    EXPECT_EQ(expected == "missing" ? "" : Unquoted(expected), value->GetString());
  } else if (expected == "missing") {
    EXPECT_TRUE(value->IsSystemMissingValue()) << value->GetDouble();
  } else {
    char* end = nullptr;
    const double x = std::strtod(expected.c_str(), &end);
    ASSERT_TRUE(!expected.empty() && *end == '\0') << "a number was read";
    EXPECT_NEAR(x, value->GetDouble(), Tolerance(expected, x));
  }
}

// tests/data/pmml/td: each <name>.cases holds hand-worked cases of
// <name>.pmml, one column a case; a line gives an input field's values or a
// derived field's expected values ("missing": none; empty: not checked).
TEST(TransformationDictionaryFromXmlTest, DocumentsGiveTheirHandWorkedValues) {
  const std::string dir = orvane_test::TestData("pmml/td");
  const std::vector<std::string> tables = orvane_test::FilesIn(dir, ".cases");
  ASSERT_EQ(5u, tables.size());
  for (const std::string& table : tables) {
    const std::string name = table.substr(0, table.size() - 6);
    Loaded loaded = LoadFile(dir + "/" + name + ".pmml");
    ASSERT_NE(nullptr, loaded.derived) << name;
    std::vector<std::vector<std::string>> lines;
    for (const auto& row : orvane_test::ReadRows(dir + "/" + table, 0).rows) {
      lines.push_back(row.cells);
    }
    ASSERT_LT(1u, lines.size()) << table;
    const std::vector<std::string>& labels = lines[0];
    for (std::size_t k = 1; k < labels.size(); ++k) {
      CaseRecord record;
      for (const auto& cells : lines) {
        const ScoreDictVar* var = loaded.data->GetVar(cells[0]);
        if (var == nullptr || k >= cells.size()) continue;
        if (ScoreValue* value = InputValue(*var, cells[k])) record.Add(cells[0], value);
      }
      const ScoreCaseRecord* values =
          loaded.derived->GetValuesForDeriedVars(&record, loaded.data.get());
      ASSERT_NE(nullptr, values) << table << ", " << labels[k];
      for (const auto& cells : lines) {
        if (&cells == &lines[0] || loaded.data->GetVar(cells[0]) != nullptr) continue;
        ASSERT_EQ(labels.size(), cells.size()) << table << ", " << cells[0];
        SCOPED_TRACE(table + ", " + labels[k] + ", " + cells[0]);
        if (!cells[k].empty()) ExpectValue(values->Get(cells[0]), cells[k]);
      }
    }
  }
}

// A host that initialised the platform keeps it, and an encoding may be named.
TEST(TransformationDictionaryFromXmlTest, ReadsFromStreamWithEncoding) {
  orvane_test::ExpectPlatformBalanced([] {
    std::istringstream in(orvane_test::ReadFile(DataFile("expressions.pmml")));
    ScoreDictionary* data = nullptr;
    std::unique_ptr<TransformationDictionary> derived(
        ModelFactory::GetTransformationDictionaryFromXML(in, data, "ISO-8859-1"));
    std::unique_ptr<ScoreDictionary> owned(data);
    ASSERT_NE(nullptr, data);
    EXPECT_NE(nullptr, derived->GetVar("ref_x"));
  });
}

TEST(TransformationDictionaryFromXmlTest, OtherDocumentsGiveNullAndLeaveTheDictionary) {
  for (const std::string& xml :
       {std::string("<qrtz-ml><dictionary/></qrtz-ml>"), std::string("<pmml/>")}) {
    std::istringstream in(xml);
    ScoreDictionary* const sentinel = reinterpret_cast<ScoreDictionary*>(0x10);
    ScoreDictionary* data = sentinel;
    EXPECT_EQ(nullptr, ModelFactory::GetTransformationDictionaryFromXML(in, data, "")) << xml;
    EXPECT_EQ(sentinel, data) << xml;
  }
}

// tests/data/refusals: each table's documents are refused with their code
// and message (an empty message: any). A failure leaves the out-parameter
// alone, keeps nothing alive and leaves the platform as it found it (run under
// the sanitizers). Tables set "standard: reads" hold documents that only the
// library's own dialect refuses: read as standard PMML they load.
TEST(TransformationDictionaryFromXmlTest, RefusedDocuments) {
  const std::string dir = orvane_test::TestData("refusals");
  const std::vector<std::string> tables = orvane_test::FilesIn(dir, ".txt");
  ASSERT_EQ(4u, tables.size());
  for (const std::string& table : tables) {
    const orvane_test::RowFile file = orvane_test::ReadRows(dir + "/" + table, 3);
    for (const auto& row : file.rows) {
      SCOPED_TRACE(table + ", " + row.label());
      const std::string document = file.Document(row);
      orvane_test::ExpectPlatformBalanced([&] {
        std::istringstream in(document);
        ScoreDictionary* data = nullptr;
        orvane_test::ExpectOVException(
            [&] { delete ModelFactory::GetTransformationDictionaryFromXML(in, data, ""); },
            std::stoi(row.cells[0]), row.cells[1]);
        EXPECT_EQ(nullptr, data);
      });
      if (file.Setting("standard") == "reads") {
        EXPECT_NE(nullptr, LoadText(document, true).derived);
      }
    }
  }
}

TEST(TransformationDictionaryFromXmlTest, MissingFileIsReported) {
  ScoreDictionary* data = nullptr;
  orvane_test::ExpectOVException(
      [&] {
        ModelFactory::GetTransformationDictionaryFromXML(DataFile("no-such-file.pmml"), data, "");
      },
      OVException::kCodeOpen, "Could not open model file");
  EXPECT_EQ(nullptr, data);
}

// Whitespace between tags is layout; whitespace that is an element's text,
// however written, is kept: layout.pmml is layout_tight.pmml laid out and
// written with entities and CDATA.
TEST(TransformationDictionaryFromXmlTest, LayoutWhitespaceNeverChangesWhatIsRead) {
  auto shown = [](const Loaded& loaded) {
    std::ostringstream out;
    loaded.derived->Display(out);
    for (const std::string& name : loaded.derived->GetDerivedVarNames()) {
      loaded.derived->GetVar(name)->Display(out);
    }
    return out.str();
  };
  const Loaded a = LoadFile(DataFile("layout.pmml"));
  const Loaded b = LoadFile(DataFile("layout_tight.pmml"));
  ASSERT_NE(nullptr, a.derived);
  ASSERT_NE(nullptr, b.derived);
  EXPECT_EQ(shown(a), shown(b));
  EXPECT_NE(std::string::npos, shown(a).find("Constant_S_  \n"));
  EXPECT_NE(std::string::npos, shown(a).find("Constant_S_a  b"));
}

TEST(TransformationDictionaryFromXmlTest, FindsTableCellsByColumnName) {
  const std::string path =
      std::string(ORVANE_SHARED_CORPUS_DIR) + "/jpmml-model-inline-table-namespaced-columns.pmml";
  if (!std::ifstream(path).good()) GTEST_SKIP() << "no corpus document " << path;
  Loaded loaded = LoadFile(path);
  ASSERT_NE(nullptr, loaded.derived);
  CaseRecord record;
  record.Add("x", new NumericValue(0));
  ExpectValue(loaded.derived->GetValuesForDeriedVars(&record, loaded.data.get())->Get("text(x)"),
              "zero");
}

// --- Standard PMML expressions: tests/data/pmml/standard_functions.txt, one
// derived field a row, worked out by hand from the PMML text.

const orvane_test::RowFile kStandardTable =
    orvane_test::ReadRows(orvane_test::TestData("pmml/standard_functions.txt"), 4);

// The document of a row: name | dataType | expected | expression.
std::string Document(const orvane_test::RowFile::Row& row) {
  std::string text = kStandardTable.Document(row);
  const std::string& type = row.cells[1];
  for (const auto& key :
       {std::make_pair(std::string("{optype}"), type == "string" ? "categorical" : "continuous"),
        std::make_pair(std::string("{type}"), type.c_str())}) {
    const std::size_t at = text.find(key.first);
    if (at != std::string::npos) text.replace(at, key.first.size(), key.second);
  }
  return text;
}

// The value of derived field f for the case, as text ("missing" for none),
// or "refused <code> <message>".
std::string Derive(const std::string& document, bool standard) {
  Loaded loaded;
  try {
    loaded = LoadText(document, standard);
  } catch (const OVException& e) {
    return "refused " + std::to_string(e.GetErrorCode()) + " " + e.GetErrorMessage();
  }
  CaseRecord record;
  record.Add("x", new NumericValue(2.5));
  record.Add("y", new NumericValue(-2.5));
  record.Add("z", new NumericValue(0.0));
  record.Add("s", new StringValue(" Ab c "));
  record.Add("v", new NumericValue(15.0));
  record.Add("w", new NumericValue(-1.0));
  record.Add("c", new StringValue("z"));
  record.Add("t", new DateTimeValue("2003-04-01T12:34:56", ScoreDictVar::kDATETIME));
  const ScoreValue* v =
      loaded.derived->GetValuesForDeriedVars(&record, loaded.data.get())->Get("f");
  if (v->GetType() == ScoreValue::kSTRING_VALUE) {
    return v->GetString().empty() ? "missing" : v->GetString();
  }
  if (NumericValue::IsSystemMissingValue(v->GetDouble())) return "missing";
  std::ostringstream out;
  out << v->GetDouble();
  return out.str();
}

TEST(StandardFunctions, EveryRowGivesItsValue) {
  ASSERT_LT(100u, kStandardTable.rows.size());
  for (const auto& row : kStandardTable.rows) {
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
