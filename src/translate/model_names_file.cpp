#include "translate/model_names_file.h"

#include <fstream>
#include <vector>

#include "orvane/values/ov_exception.h"

namespace MCOrvane_600 {
namespace model_names_file {

void AppendNames(const std::string& line, std::vector<std::string>* names) {
  std::string::size_type start = line.find_first_not_of(kSeparators);
  while (start != std::string::npos) {
    const std::string::size_type end = line.find_first_of(kSeparators, start);
    names->push_back(line.substr(start, end == std::string::npos ? end : end - start));
    start = end == std::string::npos ? end : line.find_first_not_of(kSeparators, end);
  }
}

void ReadNames(const std::string& fileName, std::vector<std::string>* names) {
  names->clear();
  std::ifstream in(fileName);
  if (!in.is_open()) {
    throw OVException(OVException::kCodeOpen, "Could not open model names file");
  }
  std::vector<char> buffer(kMaxLineLength + 1);
  // A line longer than the buffer sets failbit, which ends the loop after
  // its first part has been used.
  while (in.good()) {
    in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize consumed = in.gcount();
    if (consumed == 0) continue;
    std::string line(buffer.data());
    // The file is a text file: a carriage return before the line feed is
    // part of the line end, whatever system wrote the file.
    const bool ended_by_line_feed = in.good();
    if (ended_by_line_feed && !line.empty() && line.back() == '\r') line.pop_back();
    AppendNames(line, names);
  }
}

}  // namespace model_names_file
}  // namespace MCOrvane_600
