#ifndef ORVANE_TRANSLATE_MODEL_NAMES_FILE_H_
#define ORVANE_TRANSLATE_MODEL_NAMES_FILE_H_

#include <string>
#include <vector>

namespace MCOrvane_600 {
namespace model_names_file {

// The longest line read; a longer line is cut here and ends the reading.
constexpr int kMaxLineLength = 32766;
// Names are separated by runs of these characters.
constexpr char kSeparators[] = " ,\t\n";
// Read when the caller names no file.
constexpr char kDefaultFileName[] = "modeldll.txt";

// Appends the names of one line: the pieces between runs of separators, in
// order; empty pieces are skipped.
void AppendNames(const std::string& line, std::vector<std::string>* names);

// Replaces `names` by the names of the file, in file order (duplicates kept).
// Lines end at a line feed, or at a carriage return and line feed. Throws
// OVException code 2 when the file cannot be opened.
void ReadNames(const std::string& fileName, std::vector<std::string>* names);

}  // namespace model_names_file
}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_MODEL_NAMES_FILE_H_
