#include "orvane/csv_reader.h"

namespace orvane_cli {

CsvReader::CsvReader(std::istream& in) : in_(in) {}

bool CsvReader::Next(std::vector<std::string>* fields) {
  fields->clear();
  error_.clear();
  row_line_ = line_;
  int c = in_.get();
  if (c == EOF) return false;

  std::string field;
  bool quoted = false;      // inside a quoted field
  bool was_quoted = false;  // the current field had quotes
  for (;; c = in_.get()) {
    if (quoted) {
      if (c == EOF) {
        error_ = "a quoted field is not closed";
        fields->push_back(field);
        return true;
      }
      if (c == '"') {
        if (in_.peek() == '"') {
          in_.get();
          field += '"';
        } else {
          quoted = false;
        }
        continue;
      }
      if (c == '\n') ++line_;
      field += static_cast<char>(c);
      continue;
    }
    if (c == ',' ) {
      fields->push_back(field);
      field.clear();
      was_quoted = false;
      continue;
    }
    if (c == '\r' && in_.peek() == '\n') continue;
    if (c == '\n' || c == EOF) {
      if (c == '\n') ++line_;
      fields->push_back(field);
      return true;
    }
    if (c == '"' && field.empty() && !was_quoted) {
      quoted = was_quoted = true;
      continue;
    }
    if (was_quoted && error_.empty()) error_ = "text after a closing quote";
    field += static_cast<char>(c);
  }
}

}  // namespace orvane_cli
