// A case whose inputs are all the library's own numbers and texts is scored
// the compiled way; the same case in a host's own value classes (the same
// behaviour, other classes) the general way. Over every hand-worked document
// and, when present, the shared scoring corpus, each case is scored both
// ways, and the results and advice must be identical to the bit. The cases
// are the data sets' rows and variants of them: a number set to one the
// document writes (a split, an interval's end) or its nearest neighbours, a
// text no category has, an empty cell.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/csv_reader.h"
#include "scored_document.h"

namespace {

namespace ov = MCOrvane_600;

class HostNumber : public ov::NumericValue {
 public:
  using ov::NumericValue::NumericValue;
  ov::ScoreValue* Clone() const override { return new HostNumber(GetDouble()); }
};

class HostText : public ov::StringValue {
 public:
  using ov::StringValue::StringValue;
  ov::ScoreValue* Clone() const override { return new HostText(GetString()); }
};

struct Document {
  std::string name;
  std::string pmml;   // path
  std::string cases;  // path
};

void PrintTo(const Document& doc, std::ostream* os) { *os << doc.name; }

std::vector<Document> Documents() {
  std::vector<Document> out;
  const std::string own = ORVANE_TEST_DATA_DIR "/scoring/";
  for (const std::string& file : orvane_test::FilesIn(own, ".pmml")) {
    const std::string name = file.substr(0, file.size() - 5);
    out.push_back({name, own + file, own + name + ".csv"});
  }
  const std::string corpus = ORVANE_SCORING_CORPUS;
  for (const std::string& file : orvane_test::FilesIn(corpus + "/pmml", ".pmml")) {
    const std::string name = file.substr(0, file.size() - 5);
    for (const char* data : {"Iris", "Auto", "Audit"}) {
      const size_t n = std::strlen(data);
      if (name.size() > n && name.compare(name.size() - n, n, data) == 0) {
        out.push_back({name, corpus + "/pmml/" + file, corpus + "/data/" + data + ".csv"});
      }
    }
  }
  return out;
}

// The rows of a CSV file, its header first.
std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(orvane_test::ReadFile(path));
  orvane_cli::CsvReader reader(in);
  for (std::vector<std::string> cells; reader.Next(&cells);) {
    if (cells.size() != 1 || !cells[0].empty()) rows.push_back(cells);
  }
  return rows;
}

bool Number(const std::string& text, double* x) {
  if (text.empty()) return false;
  char* end = nullptr;
  *x = std::strtod(text.c_str(), &end);
  return *end == '\0';
}

// Every number the document writes in an attribute, with its neighbours on
// either side: the nearest doubles and those within and just past the
// tolerance of numeric equality; and the infinities and zeros.
std::vector<double> DocumentNumbers(const std::string& pmml) {
  static const std::regex kAttribute("=\"(-?[0-9][^\"]*)\"");
  std::set<double> found;
  for (std::sregex_iterator it(pmml.begin(), pmml.end(), kAttribute), end; it != end; ++it) {
    double x = 0.0;
    if (Number((*it)[1], &x) && std::isfinite(x)) found.insert(x);
  }
  // The ends of the number line and both zeros, whatever the document writes.
  std::vector<double> out = {-HUGE_VAL, HUGE_VAL, -0.0, 0.0, 5e-324, -5e-324};
  for (const double x : found) {
    for (const double f : {0.0, 1e-14, -1e-14, 3e-14, -3e-14, 1e-12, -1e-12}) {
      out.push_back(x + x * f);
    }
    out.push_back(std::nextafter(x, HUGE_VAL));
    out.push_back(std::nextafter(x, -HUGE_VAL));
  }
  return out;
}

struct Column {
  std::string name;
  bool numeric;
};

// One case in the library's classes (`own`) or the host's.
ov::CaseRecord* Record(const std::vector<Column>& columns, const std::vector<std::string>& row,
                       bool own) {
  auto* record = new ov::CaseRecord;
  for (size_t j = 0; j < columns.size(); ++j) {
    const std::string& cell = j < row.size() ? row[j] : std::string();
    ov::ScoreValue* value = nullptr;
    double x = 0.0;
    if (cell.empty()) {
      value = nullptr;
    } else if (columns[j].numeric && Number(cell, &x)) {
      value = own ? new ov::NumericValue(x) : new HostNumber(x);
    } else {
      value = own ? new ov::StringValue(cell) : new HostText(cell);
    }
    record->Add(columns[j].name, value);
  }
  return record;
}

std::string Describe(const ov::ScoreValue* value) {
  if (value == nullptr) return "(none)";
  if (value->GetType() == ov::ScoreValue::kNUMERIC_VALUE) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", value->GetDouble());
    return text;
  }
  return "\"" + value->GetString() + "\"";
}

std::string Advice(const std::vector<ov::ResultAdvice>& advice) {
  std::string out;
  for (const auto& a : advice) out += std::to_string(a.GetID()) + " " + a.GetInfo() + "; ";
  return out;
}

class TwoWays : public ::testing::TestWithParam<Document> {};

TEST_P(TwoWays, Agree) {
  const Document& doc = GetParam();
  const std::string pmml = orvane_test::ReadFile(doc.pmml);
  std::unique_ptr<ov::ScoreModel> model;
  try {
    model = orvane_test::ReadModel(pmml);
  } catch (const ov::OVException& e) {
    GTEST_SKIP() << "refused at load: " << e.GetErrorMessage();
  }
  ASSERT_NE(model, nullptr);
  std::vector<std::vector<std::string>> rows = ReadCsv(doc.cases);
  ASSERT_FALSE(rows.empty()) << doc.cases;
  std::vector<Column> columns;
  for (const std::string& name : rows[0]) {
    const ov::ScoreDictVar* var =
        model->GetDictionary() != nullptr ? model->GetDictionary()->GetVar(name) : nullptr;
    const bool numeric = var == nullptr || var->GetVarType() == ov::ScoreDictVar::kNUMERIC_VAR;
    columns.push_back({name, numeric});
  }
  rows.erase(rows.begin());
  if (rows.size() > 400) rows.resize(400);
  const std::vector<double> numbers = DocumentNumbers(pmml);
  std::vector<std::vector<std::string>> cases;
  size_t k = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    cases.push_back(rows[i]);
    const size_t j = i % columns.size();
    std::vector<std::string> varied = rows[i];
    varied.resize(columns.size());
    if (columns[j].numeric && !numbers.empty()) {
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", numbers[k++ % numbers.size()]);
      varied[j] = text;
    } else {
      varied[j] = "zz" + varied[j];
    }
    cases.push_back(varied);
    varied = rows[i];
    varied.resize(columns.size());
    varied[(i * 7 + 3) % columns.size()].clear();
    cases.push_back(varied);
  }
  // The document's numbers in every numeric column of the first row.
  for (size_t n = 0; n < numbers.size() && !rows.empty(); ++n) {
    std::vector<std::string> varied = rows[n % rows.size()];
    varied.resize(columns.size());
    for (size_t j = 0; j < columns.size(); ++j) {
      if (!columns[j].numeric) continue;
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", numbers[(n + j) % numbers.size()]);
      varied[j] = text;
    }
    cases.push_back(varied);
  }

  std::unique_ptr<ov::ScoreCaseRecord> own_result(model->CreateResultRecord());
  std::unique_ptr<ov::ScoreCaseRecord> host_result(model->CreateResultRecord());
  const std::vector<ov::ScoreDictVar*> results = model->GetResultDictionary()->GetScoreDictVars();
  int reported = 0;
  for (size_t c = 0; c < cases.size() && reported < 5; ++c) {
    std::unique_ptr<ov::CaseRecord> own(Record(columns, cases[c], true));
    std::unique_ptr<ov::CaseRecord> host(Record(columns, cases[c], false));
    std::vector<ov::ResultAdvice> own_advice, host_advice;
    ASSERT_TRUE(model->Score(own.get(), own_result.get(), &own_advice));
    ASSERT_TRUE(model->Score(host.get(), host_result.get(), &host_advice));
    std::string differ;
    for (const ov::ScoreDictVar* var : results) {
      const std::string a = Describe(own_result->Get(var->GetName()));
      const std::string b = Describe(host_result->Get(var->GetName()));
      if (a != b) differ += " " + var->GetName() + ": " + a + " / " + b;
    }
    if (Advice(own_advice) != Advice(host_advice)) {
      differ += " advice: " + Advice(own_advice) + " / " + Advice(host_advice);
    }
    if (!differ.empty()) {
      ++reported;
      std::string row;
      for (const std::string& cell : cases[c]) row += cell + ",";
      ADD_FAILURE() << doc.name << " case " << c << " [" << row << "]:" << differ;
    }
  }
}

std::string TestName(const ::testing::TestParamInfo<Document>& info) {
  std::string name = info.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Documents, TwoWays, ::testing::ValuesIn(Documents()), TestName);

}  // namespace
