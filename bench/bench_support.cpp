#include "bench_support.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/translate/model_factory.h"
#include "orvane/translate/pmml_read_options.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "bench_stats.h"

namespace orvane_bench {

using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreDictVar;

namespace {

[[noreturn]] void Die(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  std::exit(1);
}

// A field of /proc/self/status in kB, as bytes.
std::size_t StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(status, line)) {
    if (line.compare(0, length, field) == 0) {
      return static_cast<std::size_t>(std::strtoull(line.c_str() + length, nullptr, 10)) * 1024;
    }
  }
  return 0;
}

}  // namespace

Cases ReadCases(const std::string& path, const MCOrvane_600::ScoreDictionary& data) {
  std::ifstream in(path);
  if (!in) Die("cannot read cases " + path);
  std::string line;
  std::getline(in, line);
  const std::vector<std::string> header = SplitCsv(line);
  std::vector<int> kept;  // column index of each kept column
  std::vector<bool> numeric;
  Cases cases;
  for (std::size_t i = 0; i < header.size(); ++i) {
    const ScoreDictVar* var = data.GetVar(header[i]);
    if (var == nullptr) continue;
    kept.push_back(static_cast<int>(i));
    numeric.push_back(var->GetVarType() == ScoreDictVar::kNUMERIC_VAR);
    cases.names.push_back(header[i]);
  }
  while (std::getline(in, line)) {
    const std::vector<std::string> cells = SplitCsv(line);
    if (cells.size() != header.size()) continue;
    std::vector<Cell> row(kept.size());
    for (std::size_t k = 0; k < kept.size(); ++k) {
      const std::string& text = cells[kept[k]];
      if (text.empty()) continue;
      if (numeric[k]) {
        row[k].kind = Cell::kNumber;
        row[k].number = std::strtod(text.c_str(), nullptr);
      } else {
        row[k].kind = Cell::kText;
        row[k].text = text;
      }
    }
    cases.rows.push_back(std::move(row));
  }
  if (cases.rows.empty()) Die("no cases in " + path);
  return cases;
}

void PrepareRecord(const Cases& cases, ScoreCaseRecord* record) {
  for (const std::string& name : cases.names) record->Add(name, nullptr);
}

void FillRecord(const Cases& cases, std::size_t row, ScoreCaseRecord* record) {
  const std::vector<Cell>& cells = cases.rows[row];
  for (std::size_t k = 0; k < cells.size(); ++k) {
    const Cell& cell = cells[k];
    switch (cell.kind) {
      case Cell::kMissing:
        record->Add(cases.names[k], nullptr);
        break;
      case Cell::kNumber:
        record->SetValue(cases.names[k], cell.number);
        break;
      case Cell::kText:
        record->SetValue(cases.names[k], cell.text);
        break;
    }
  }
}

Loaded LoadDocument(const std::string& path, bool standard) {
  Loaded loaded;
  MCOrvane_600::ScoreDictionary* data = nullptr;
  MCOrvane_600::PMMLReadOptions options;
  options.standardPMML = standard;
  try {
    loaded.derived.reset(
        MCOrvane_600::ModelFactory::GetTransformationDictionaryFromXML(path, data, "", options));
  } catch (const MCOrvane_600::OVException& e) {
    Die(path + ": code " + std::to_string(static_cast<int>(e.GetErrorCode())) + ": " +
        e.GetErrorMessage());
  }
  loaded.data.reset(data);
  if (loaded.derived == nullptr || loaded.data == nullptr) Die(path + ": no dictionaries");
  return loaded;
}

double MissingShare(const MCOrvane_600::TransformationDictionary& derived) {
  const std::vector<std::string> names = derived.GetDerivedVarNames();
  if (names.empty()) return 0;
  std::size_t missing = 0;
  for (const std::string& name : names) {
    const MCOrvane_600::ScoreValue* value = derived.GetVarValue(name);
    if (value == nullptr || value->IsSystemMissingValue()) ++missing;
  }
  return static_cast<double>(missing) / static_cast<double>(names.size());
}

std::size_t ResidentBytes() { return StatusBytes("VmRSS:"); }
std::size_t PeakResidentBytes() { return StatusBytes("VmHWM:"); }

std::size_t HeapInUseBytes() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

std::string Flag(int argc, char** argv, const std::string& name, const std::string& fallback) {
  const std::vector<std::string> all = Flags(argc, argv, name);
  return all.empty() ? fallback : all.back();
}

std::vector<std::string> Flags(int argc, char** argv, const std::string& name) {
  const std::string prefix = "--" + name + "=";
  std::vector<std::string> values;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
      values.emplace_back(argv[i] + prefix.size());
    }
  }
  return values;
}

}  // namespace orvane_bench
