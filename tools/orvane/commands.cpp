#include "orvane/commands.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include "orvane/case_filler.h"
#include "orvane/csv_reader.h"
#ifdef ORVANE_SHIPPED_PLUGINS
#include "orvane_plugins/plugin_directory.h"
#endif

namespace orvane_cli {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::ModelFactory;
using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::ScoreModel;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::TransformationDictionary;
using MCOrvane_600::TransformVar;

namespace {

// Messages of the library may start with a line break; one line is wanted.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  size_t begin = text.find_first_not_of(' ');
  return begin == std::string::npos ? std::string() : text.substr(begin);
}

void ReportException(std::ostream& err, const std::string& file, const OVException& e) {
  err << "orvane: " << file << ": error " << e.GetErrorCode() << ": "
      << OneLine(e.GetErrorMessage()) << '\n';
}

// The data and transformation dictionaries of one document; owns both.
struct Dictionaries {
  std::unique_ptr<ScoreDictionary> data;
  std::unique_ptr<TransformationDictionary> derived;
};

// The data dictionary alone, for a document without derived fields: read
// with the library's PMML reader over a parse of the tool's own, guarded as
// the library guards its parsers. Null when the document cannot be parsed;
// the reader's OVException passes on.
std::unique_ptr<ScoreDictionary> ReadDataDictionary(const std::string& file) {
  xercesc::XMLPlatformUtils::Initialize();
  struct Terminate {
    ~Terminate() { xercesc::XMLPlatformUtils::Terminate(); }
  } terminate;
  // Everything of Xerces below is gone before the platform terminates.
  xercesc::SecurityManager security;
  security.setEntityExpansionLimit(10000);
  xercesc::HandlerBase stop_on_fatal_error;
  xercesc::XercesDOMParser parser;
  parser.setLoadExternalDTD(false);
  parser.setDisableDefaultEntityResolution(true);
  parser.setSecurityManager(&security);
  parser.setErrorHandler(&stop_on_fatal_error);
  try {
    parser.parse(file.c_str());
  } catch (...) {
    return nullptr;
  }
  xercesc::DOMDocument* document = parser.getDocument();
  xercesc::DOMElement* root = document != nullptr ? document->getDocumentElement() : nullptr;
  if (root == nullptr || !MCOrvane_600::BaseTranslator::IsEqual(root->getTagName(), "PMML")) {
    return nullptr;
  }
  MCOrvane_600::PMMLTranslator translator;
  return std::unique_ptr<ScoreDictionary>(translator.ParseDictionary(
      MCOrvane_600::BaseTranslator::GetChildByTagForced(root, "DataDictionary")));
}

// With `data_alone`, a document whose transformations cannot be read for
// want of an element (code 4) still gives its data dictionary.
bool LoadDictionaries(const std::string& file, Dictionaries* dicts, std::ostream& err,
                      bool standard_pmml, bool data_alone = false) {
  std::ifstream probe(file);
  if (!probe) {
    err << "orvane: " << file << ": cannot open the document\n";
    return false;
  }
  probe.close();
  try {
    ScoreDictionary* data = nullptr;
    MCOrvane_600::PMMLReadOptions read_options;
    read_options.standardPMML = standard_pmml;
    TransformationDictionary* derived =
        ModelFactory::GetTransformationDictionaryFromXML(file, data, "", read_options);
    dicts->data.reset(data);
    dicts->derived.reset(derived);
  } catch (const OVException& e) {
    if (data_alone && e.GetErrorCode() == OVException::kCodeAbsent) {
      try {
        dicts->data = ReadDataDictionary(file);
      } catch (const OVException&) {
        dicts->data.reset();
      }
    }
    if (dicts->data == nullptr) {
      ReportException(err, file, e);
      return false;
    }
  }
  if (dicts->data == nullptr) {
    err << "orvane: " << file << ": not a PMML document with a data dictionary\n";
    return false;
  }
  return true;
}

// Where the cases come from: a file, or standard input for "-".
class CaseSource {
 public:
  bool Open(const std::string& name, std::ostream& err) {
    if (name == "-") return true;
    file_.open(name, std::ios::binary);
    if (!file_) err << "orvane: " << name << ": cannot open the cases\n";
    return static_cast<bool>(file_);
  }
  std::istream& stream() { return file_.is_open() ? file_ : std::cin; }

 private:
  std::ifstream file_;
};

// Output to standard output, or to a file that appears only when complete.
class Sink {
 public:
  Sink(const std::string& path, std::ostream& fallback) : path_(path), fallback_(fallback) {
    if (!path_.empty()) file_.open(path_ + ".partial", std::ios::binary | std::ios::trunc);
  }
  ~Sink() {
    if (!committed_ && !path_.empty()) std::remove((path_ + ".partial").c_str());
  }
  bool ok() const { return path_.empty() || static_cast<bool>(file_); }
  std::ostream& stream() { return path_.empty() ? fallback_ : file_; }
  bool Commit() {
    if (path_.empty()) return static_cast<bool>(fallback_.flush());
    file_.close();
    committed_ = file_.good() && std::rename((path_ + ".partial").c_str(), path_.c_str()) == 0;
    return committed_;
  }

 private:
  std::string path_;
  std::ostream& fallback_;
  std::ofstream file_;
  bool committed_ = false;
};

const char* StorageName(int type) {
  switch (type) {
    case ScoreDictVar::kNUMERIC_VAR: return "numeric";
    case ScoreDictVar::kSTRING_VAR: return "string";
    case ScoreDictVar::kDATETIME_VAR: return "date/time";
    default: return "unknown";
  }
}

const char* LevelName(int level) {
  switch (level) {
    case ScoreDictVar::kCONTINUOUS: return "continuous";
    case ScoreDictVar::kORDINAL: return "ordinal";
    case ScoreDictVar::kNOMINAL: return "nominal";
    default: return "unknown";
  }
}

const char* ExpressionName(int kind) {
  static const char* const kNames[] = {"constant", "field reference", "NormContinuous",
                                       "NormDiscrete", "Discretize",     "MapValues",
                                       "Apply",    "derived field"};
  return kind >= 0 && kind < 8 ? kNames[kind] : "unknown";
}

std::string ValueText(const MCOrvane_600::ScoreValue* value) {
  if (value == nullptr) return "(none)";
  if (value->GetType() == MCOrvane_600::ScoreValue::kNUMERIC_VALUE) {
    return value->IsSystemMissingValue() ? "SYSMIS" : FormatNumber(value->GetDouble());
  }
  return "\"" + value->GetString() + "\"";
}

void DescribeField(const ScoreDictVar* var, std::ostream& out) {
  out << "  " << var->GetName() << ": " << StorageName(var->GetVarType()) << ", "
      << LevelName(var->GetMLevel());
  if (var->IsFlagVariable()) out << ", flag";
  out << '\n';
  if (const auto* labels = var->GetValueLabels()) {
    out << "    categories (" << labels->Size() << "):";
    for (const auto* label : labels->GetAllValueLabels()) {
      out << ' ' << ValueText(label->GetValue());
      if (!label->GetLabel().empty()) out << " [" << label->GetLabel() << ']';
    }
    out << '\n';
  }
  if (const auto* missing = var->GetMissingValues()) {
    out << "    missing or invalid values:";
    for (const auto* range : missing->GetMissingValues()) {
      const auto* low = range->GetMin();
      const auto* high = range->GetMax();
      if (low != nullptr && high != nullptr && *low == *high) {
        out << ' ' << ValueText(low);
      } else {
        out << ' ' << (range->GetLowEnd() ? '[' : '(') << ValueText(low) << ", "
            << ValueText(high) << (range->GetHighEnd() ? ']' : ')');
      }
    }
    out << '\n';
  }
}

// Transactional input: consecutive rows with the same value of `group` make
// one case, whose `items` fields each hold the set of the rows' values,
// written "{a,b}" (distinct, in row order). One output row a case: the group
// value, then the values computed.
struct Grouping {
  std::string group;
  std::vector<std::string> items;
};

// The rows gathered into one transactional case.
class Transaction {
 public:
  Transaction(const Grouping& grouping, const std::vector<std::string>& header) {
    for (size_t i = 0; i < header.size(); ++i) {
      if (header[i] == grouping.group) group_ = static_cast<int>(i);
      if (std::find(grouping.items.begin(), grouping.items.end(), header[i]) !=
          grouping.items.end()) {
        items_.emplace_back(i, std::vector<std::string>());
      }
    }
  }
  bool grouping() const { return group_ >= 0; }
  bool empty() const { return first_.empty(); }
  // Whether `cells` continue the gathered rows.
  bool Continues(const std::vector<std::string>& cells) const {
    return !empty() && cells[group_] == first_[group_];
  }
  void Add(const std::vector<std::string>& cells) {
    if (empty()) first_ = cells;
    for (auto& item : items_) {
      const std::string& cell = cells[item.first];
      if (!cell.empty() && std::find(item.second.begin(), item.second.end(), cell) ==
                               item.second.end()) {
        item.second.push_back(cell);
      }
    }
  }
  // The first row's cells with the item columns left empty, for the filler;
  // `Complete` then sets the item sets.
  std::vector<std::string> Cells() const {
    std::vector<std::string> cells = first_;
    for (const auto& item : items_) cells[item.first].clear();
    return cells;
  }
  void Complete(const std::vector<std::string>& header, CaseRecord* record) const {
    for (const auto& item : items_) {
      std::string set = "{";
      for (const std::string& value : item.second) set += (set.size() > 1 ? "," : "") + value;
      record->Add(header[item.first], new MCOrvane_600::StringValue(set + "}"));
    }
  }
  std::vector<std::string> Key() const { return {first_[group_]}; }
  void Clear() {
    first_.clear();
    for (auto& item : items_) item.second.clear();
  }

 private:
  int group_ = -1;  // the group's column; -1: one case a row
  std::vector<std::string> first_;
  std::vector<std::pair<size_t, std::vector<std::string>>> items_;  // column, values
};

// Reads the cases of `options`, fills a case record for each against
// `dictionary` and writes the input columns with the values that `compute`
// gives for `names` (and, with `with_advice`, its advice texts). `compute`
// answers false for a case it cannot handle. With `grouping` (its group
// field a column), a case is a transaction of rows.
template <typename Compute>
int ForEachCase(const Options& options, const ScoreDictionary* dictionary,
                const std::vector<std::string>& names, bool with_advice, std::ostream& out,
                std::ostream& err, Compute compute, const Grouping& grouping = Grouping()) {
  CaseSource source;
  if (!source.Open(options.cases, err)) return 1;
  const std::string cases_name = options.cases == "-" ? "<stdin>" : options.cases;

  CsvReader reader(source.stream());
  std::vector<std::string> header;
  if (!reader.Next(&header) || !reader.error().empty()) {
    err << "orvane: " << cases_name << ": no header row of field names\n";
    return 1;
  }
  Sink sink(options.output, out);
  if (!sink.ok()) {
    err << "orvane: " << options.output << ": cannot write\n";
    return 1;
  }
  Transaction transaction(grouping, header);
  RowWriter writer(sink.stream(), options.format,
                   transaction.grouping() ? std::vector<std::string>{grouping.group} : header,
                   names, with_advice);
  writer.WriteHeader();

  CaseFiller filler(dictionary, header);
  CaseRecord record;
  filler.Prepare(&record);
  std::vector<std::string> cells;
  const std::vector<std::string> no_advice;
  long rows = 0;
  long case_line = 0;
  // Scores the case of `row` (its first line `line`) and writes `shown`.
  auto score = [&](const std::vector<std::string>& row, const std::vector<std::string>& shown,
                   long line) {
    size_t column = 0;
    std::string why;
    if (!filler.Fill(row, &record, &column, &why)) {
      err << "orvane: " << cases_name << ": line " << line << ", column " << header[column]
          << ": " << why << '\n';
      return false;
    }
    if (transaction.grouping()) transaction.Complete(header, &record);
    const MCOrvane_600::ScoreCaseRecord* values = nullptr;
    std::vector<std::string>* advice = nullptr;
    if (!compute(static_cast<const MCOrvane_600::ScoreCaseRecord&>(record), &values, &advice)) {
      err << "orvane: " << cases_name << ": line " << line << ": the case was refused\n";
      return false;
    }
    writer.WriteRow(shown, values, advice != nullptr ? *advice : no_advice);
    return true;
  };
  while (reader.Next(&cells)) {
    if (cells.size() == 1 && cells[0].empty()) continue;  // blank line
    if (!reader.error().empty()) {
      err << "orvane: " << cases_name << ": line " << reader.line() << ": " << reader.error()
          << '\n';
      return 1;
    }
    if (cells.size() != header.size()) {
      err << "orvane: " << cases_name << ": line " << reader.line() << ": " << cells.size()
          << " cells where the header has " << header.size() << '\n';
      return 1;
    }
    if (transaction.grouping()) {
      if (!transaction.empty() && !transaction.Continues(cells)) {
        if (!score(transaction.Cells(), transaction.Key(), case_line)) return 1;
        transaction.Clear();
      }
      if (transaction.empty()) case_line = reader.line();
      transaction.Add(cells);
      continue;
    }
    if (!score(cells, cells, reader.line())) return 1;
    if (options.progress && ++rows % 100000 == 0) {
      err << "\rorvane: " << rows << " cases" << std::flush;
    }
  }
  if (!transaction.empty() && !score(transaction.Cells(), transaction.Key(), case_line)) return 1;
  if (options.progress && rows >= 100000) err << "\rorvane: " << rows << " cases\n";
  if (!sink.Commit()) {
    err << "orvane: " << (options.output.empty() ? "<stdout>" : options.output)
        << ": write failed\n";
    return 1;
  }
  return 0;
}

}  // namespace

int RunDescribe(const Options& options, std::ostream& out, std::ostream& err) {
  Dictionaries dicts;
  if (!LoadDictionaries(options.document, &dicts, err, options.standard_pmml, true)) return 1;
  if (options.raw) {
    dicts.data->Display(out);
    if (dicts.derived != nullptr) dicts.derived->Display(out);
    return out.flush() ? 0 : 1;
  }
  out << "Data dictionary: " << dicts.data->Size() << " fields\n";
  for (const ScoreDictVar* var : dicts.data->GetScoreDictVars()) DescribeField(var, out);
  if (dicts.derived == nullptr) {
    out << "No derived fields (no TransformationDictionary)\n";
    return out.flush() ? 0 : 1;
  }
  std::vector<std::string> names = dicts.derived->GetDerivedVarNames();
  out << "Derived fields (in evaluation order): " << names.size() << '\n';
  for (const std::string& name : names) {
    const auto* var = dynamic_cast<const TransformVar*>(dicts.derived->GetVar(name));
    if (var == nullptr) continue;
    out << "  " << name << " = " << ExpressionName(var->GetTransExpression());
    if (!var->GetFieldName().empty()) out << " of " << var->GetFieldName();
    out << " -> " << StorageName(var->GetVarType()) << ", " << LevelName(var->GetMLevel())
        << '\n';
  }
  return out.flush() ? 0 : 1;
}

int RunDerive(const Options& options, std::ostream& out, std::ostream& err) {
  Dictionaries dicts;
  if (!LoadDictionaries(options.document, &dicts, err, options.standard_pmml)) return 1;
  std::vector<std::string> derived_names;
  if (dicts.derived != nullptr) derived_names = dicts.derived->GetDerivedVarNames();
  return ForEachCase(options, dicts.data.get(), derived_names, false, out, err,
                     [&](const MCOrvane_600::ScoreCaseRecord& record,
                         const MCOrvane_600::ScoreCaseRecord** values, std::vector<std::string>**) {
                       *values = dicts.derived != nullptr
                                     ? dicts.derived->GetValuesForDeriedVars(&record,
                                                                             dicts.data.get())
                                     : nullptr;
                       return true;
                     });
}

int RunScore(const Options& options, std::ostream& out, std::ostream& err) {
  std::unique_ptr<ScoreModel> model;
  {
    std::ifstream probe(options.document);
    if (!probe) {
      err << "orvane: " << options.document << ": cannot open the document\n";
      return 1;
    }
  }
  std::string names_file = options.models_file;
#ifdef ORVANE_SHIPPED_PLUGINS
  // The shipped plug-ins serve every name the system loader cannot.
  if (names_file.empty()) names_file = orvane_plugins::DefaultNamesFile();
  orvane_plugins::PreloadPlugins(orvane_plugins::ReadNamesFile(names_file));
#endif
  if (names_file.empty()) {
    err << "orvane: score: no shipped plug-ins; name a names file with --models\n";
    return 2;
  }
  try {
    model.reset(ModelFactory::MakeModelFromXML(options.document, names_file, ""));
  } catch (const OVException& e) {
    ReportException(err, options.document, e);
    return 1;
  }
  if (model == nullptr || model->GetDictionary() == nullptr ||
      model->GetResultDictionary() == nullptr) {
    err << "orvane: " << options.document << ": the plug-in built no model that can score\n";
    return 1;
  }
  std::vector<std::string> result_names;
  for (const ScoreDictVar* var : model->GetResultDictionary()->GetScoreDictVars()) {
    result_names.push_back(var->GetName());
  }
  // A model with a group field scores transactions of rows: its active
  // fields gather the rows' items.
  Grouping grouping;
  for (const ScoreDictVar* var : model->GetDictionary()->GetScoreDictVars()) {
    const int role = model->GetVarRole(var->GetName());
    if (role == ScoreModel::kGROUP && grouping.group.empty()) grouping.group = var->GetName();
    if (role == ScoreModel::kACTIVE) grouping.items.push_back(var->GetName());
  }
  if (grouping.group.empty()) grouping.items.clear();
  std::unique_ptr<MCOrvane_600::ScoreCaseRecord> result(model->CreateResultRecord());
  std::vector<MCOrvane_600::ResultAdvice> advice;
  std::vector<std::string> advice_texts;
  return ForEachCase(
      options, model->GetDictionary(), result_names, true, out, err,
      [&](const MCOrvane_600::ScoreCaseRecord& record,
          const MCOrvane_600::ScoreCaseRecord** values, std::vector<std::string>** texts) {
        advice_texts.clear();
        if (result == nullptr || !model->Score(&record, result.get(), &advice)) return false;
        for (MCOrvane_600::ResultAdvice& note : advice) advice_texts.push_back(note.ToString());
        *values = result.get();
        *texts = &advice_texts;
        return true;
      },
      grouping);
}

}  // namespace orvane_cli
