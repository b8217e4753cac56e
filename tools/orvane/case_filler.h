#ifndef ORVANE_TOOLS_CASE_FILLER_H_
#define ORVANE_TOOLS_CASE_FILLER_H_

#include <string>
#include <vector>

#include "orvane/orvane.h"

namespace orvane_cli {

// Turns the cells of one CSV row into the values of a case record, by the
// storage type of each column's field in the data dictionary. Columns that
// the dictionary does not know are carried along but not put in the record;
// fields without a column have no value.
class CaseFiller {
 public:
  // Lends `dictionary`, which must outlive the filler.
  CaseFiller(const MCOrvane_600::ScoreDictionary* dictionary,
             const std::vector<std::string>& header);

  // Fills `record` from `cells` (one per header column; an empty cell is no
  // value). On a cell that its field's type cannot take, returns false and
  // sets `column` (0-based) and `why`.
  bool Fill(const std::vector<std::string>& cells, MCOrvane_600::ScoreCaseRecord* record,
            size_t* column, std::string* why) const;

  // Adds every field of the dictionary, without a value, to `record`.
  void Prepare(MCOrvane_600::ScoreCaseRecord* record) const;

 private:
  struct Column {
    std::string name;
    const MCOrvane_600::ScoreDictVar* var;  // null for a column the dictionary lacks
  };

  const MCOrvane_600::ScoreDictionary* dictionary_;
  std::vector<Column> columns_;
};

// Parses the whole of `text` as a number in the classic locale.
bool ParseNumber(const std::string& text, double* value);

}  // namespace orvane_cli

#endif  // ORVANE_TOOLS_CASE_FILLER_H_
