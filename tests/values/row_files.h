#ifndef ORVANE_TESTS_VALUES_ROW_FILES_H_
#define ORVANE_TESTS_VALUES_ROW_FILES_H_

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace orvane_test {

// Calls `check` with every row of the files "*.txt" in tests/data/<folder>:
// each line neither empty nor a comment ("#"), its failures traced by file
// and line. A folder without such files fails.
inline void ForEachRow(const std::string& folder,
                       const std::function<void(const std::string&)>& check) {
  const std::string dir = TestData(folder);
  const std::vector<std::string> files = FilesIn(dir, ".txt");
  ASSERT_FALSE(files.empty()) << dir;
  for (const std::string& file : files) {
    std::ifstream in(dir + "/" + file);
    int line_number = 0;
    for (std::string line; std::getline(in, line);) {
      ++line_number;
      if (line.empty() || line[0] == '#') continue;
      SCOPED_TRACE(file + ":" + std::to_string(line_number) + ": " + line);
      check(line);
    }
  }
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_VALUES_ROW_FILES_H_
