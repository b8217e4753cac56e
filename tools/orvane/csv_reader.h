#ifndef ORVANE_TOOLS_CSV_READER_H_
#define ORVANE_TOOLS_CSV_READER_H_

#include <istream>
#include <string>
#include <vector>

namespace orvane_cli {

// Reads comma-separated rows: double quotes around a field allow commas,
// line breaks and doubled quotes inside it; CR LF and LF both end a row.
class CsvReader {
 public:
  // Does not take ownership of `in`, which must outlive the reader.
  explicit CsvReader(std::istream& in);

  // Fills `fields` with the next row. False at the end of the input. On a
  // malformed row (a quote left open, text after a closing quote) returns
  // true and sets error().
  bool Next(std::vector<std::string>* fields);

  // The 1-based line on which the last row started.
  long line() const { return row_line_; }
  // Empty unless the last row was malformed.
  const std::string& error() const { return error_; }

 private:
  std::istream& in_;
  long line_ = 1;
  long row_line_ = 0;
  std::string error_;
};

}  // namespace orvane_cli

#endif  // ORVANE_TOOLS_CSV_READER_H_
