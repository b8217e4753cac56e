#ifndef ORVANE_TOOLS_ROW_WRITER_H_
#define ORVANE_TOOLS_ROW_WRITER_H_

#include <ostream>
#include <string>
#include <vector>

#include "orvane/orvane.h"

namespace orvane_cli {

enum class Format { kCsv, kJsonLines };

// Writes one output row: the input cells as they came, then the values of
// the derived fields. A system-missing or absent value is an empty CSV cell
// or a JSON null; numbers are written with the shortest text that reads back
// to the same double.
class RowWriter {
 public:
  // Lends `out`, which must outlive the writer. With `with_advice` every row
  // ends with an "advice" column: the texts joined by "; " (CSV) or a list.
  RowWriter(std::ostream& out, Format format, std::vector<std::string> input_names,
            std::vector<std::string> derived_names, bool with_advice = false);

  // The CSV header line; nothing for JSON Lines.
  void WriteHeader();
  // `derived` may be null (no derived record): every derived value is absent.
  void WriteRow(const std::vector<std::string>& cells,
                const MCOrvane_600::ScoreCaseRecord* derived,
                const std::vector<std::string>& advice = {});

 private:
  void WriteText(const std::string& text);
  void WriteValue(const MCOrvane_600::ScoreValue* value);
  void Separator(size_t index, const std::string& name);

  std::ostream& out_;
  Format format_;
  std::vector<std::string> input_names_;
  std::vector<std::string> derived_names_;
  bool with_advice_;
};

// The shortest text that reads back to `x`.
std::string FormatNumber(double x);
// `text` as a JSON string literal, quotes included.
std::string JsonQuote(const std::string& text);
// `text` as a CSV cell, quoted when it holds a comma, quote or line break.
std::string CsvQuote(const std::string& text);

}  // namespace orvane_cli

#endif  // ORVANE_TOOLS_ROW_WRITER_H_
