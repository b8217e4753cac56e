#include "orvane/case_filler.h"

#include <cerrno>
#include <cmath>
#include <locale>
#include <sstream>

namespace orvane_cli {

using MCOrvane_600::DateTimeValue;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::ScoreDictVar;

bool ParseNumber(const std::string& text, double* value) {
  size_t begin = text.find_first_not_of(" \t");
  size_t end = text.find_last_not_of(" \t");
  if (begin == std::string::npos) return false;
  std::istringstream in(text.substr(begin, end - begin + 1));
  in.imbue(std::locale::classic());
  double x = 0;
  in >> x;
  if (in.fail() || in.peek() != EOF || !std::isfinite(x)) return false;
  *value = x;
  return true;
}

CaseFiller::CaseFiller(const ScoreDictionary* dictionary, const std::vector<std::string>& header)
    : dictionary_(dictionary) {
  columns_.reserve(header.size());
  for (const std::string& name : header) columns_.push_back({name, dictionary->GetVar(name)});
}

void CaseFiller::Prepare(ScoreCaseRecord* record) const {
  for (const ScoreDictVar* var : dictionary_->GetScoreDictVars()) {
    record->Add(var->GetName(), nullptr);
  }
}

bool CaseFiller::Fill(const std::vector<std::string>& cells, ScoreCaseRecord* record,
                      size_t* column, std::string* why) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    const Column& col = columns_[i];
    if (col.var == nullptr) continue;
    const std::string& cell = i < cells.size() ? cells[i] : std::string();
    bool ok = true;
    if (cell.empty()) {
      record->Add(col.name, nullptr);
      continue;
    }
    switch (col.var->GetVarType()) {
      case ScoreDictVar::kNUMERIC_VAR: {
        double x = 0;
        ok = ParseNumber(cell, &x) && record->SetValue(col.name, x);
        if (!ok) *why = "\"" + cell + "\" is not a number";
        break;
      }
      case ScoreDictVar::kDATETIME_VAR: {
        ScoreDictVar::DateTimeType type = col.var->GetDateTimeType();
        ok = DateTimeValue::IsValidDateTime(cell, type);
        if (ok) {
          record->Add(col.name, new DateTimeValue(cell, type));
        } else {
          *why = "\"" + cell + "\" is not a valid date/time for this field";
        }
        break;
      }
      default:
        ok = record->SetValue(col.name, cell);
        if (!ok) *why = "\"" + cell + "\" cannot be stored as text";
        break;
    }
    if (!ok) {
      *column = i;
      return false;
    }
  }
  return true;
}

}  // namespace orvane_cli
