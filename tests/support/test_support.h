#ifndef ORVANE_TESTS_SUPPORT_TEST_SUPPORT_H_
#define ORVANE_TESTS_SUPPORT_TEST_SUPPORT_H_

// Helpers every test file may use: files, display texts, expected failures.

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/values/ov_exception.h"

namespace orvane_test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A file of tests/data, by its path below that folder.
inline std::string TestData(const std::string& name) {
  return std::string(ORVANE_TEST_DATA_DIR) + "/" + name;
}

// The names of the files in `dir` ending in `suffix`, sorted; empty when the
// folder is absent.
inline std::vector<std::string> FilesIn(const std::string& dir, const std::string& suffix) {
  std::vector<std::string> files;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return files;
  while (dirent* entry = readdir(d)) {
    const std::string name = entry->d_name;
    if (name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      files.push_back(name);
    }
  }
  closedir(d);
  std::sort(files.begin(), files.end());
  return files;
}

// A scratch file name of the running test's own, so that test processes may
// run in parallel.
inline std::string TempPath(const std::string& name) {
  return testing::TempDir() + "orvane_" + std::to_string(getpid()) + "_" +
         testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
}

// The Display text of `object`.
template <typename T>
std::string Shown(const T& object) {
  std::ostringstream os;
  object.Display(os);
  return os.str();
}

// `call` must throw an OVException with `code` and `message` (any message
// when `message` is empty).
inline void ExpectOVException(const std::function<void()>& call, int code,
                              const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no exception; expected: " << code << " " << message;
  } catch (const MCOrvane_600::OVException& e) {
    EXPECT_EQ(e.GetErrorCode(), code) << e.GetErrorMessage();
    if (!message.empty()) {
      EXPECT_EQ(e.GetErrorMessage(), message);
    }
  }
}

// A table kept in a text file: one row a line, cells separated by " | ".
// Lines "name: value" before the first row set the table's settings (a
// "template" holds the document around each row's last cell, at "{}");
// blank lines and lines starting with "#" are skipped. "\n" in a cell is a
// line break.
struct RowFile {
  struct Row {
    int line;
    std::vector<std::string> cells;
    std::string label() const { return "line " + std::to_string(line); }
  };
  std::map<std::string, std::string> settings;
  std::vector<Row> rows;

  std::string Setting(const std::string& name) const {
    const auto it = settings.find(name);
    return it == settings.end() ? "" : it->second;
  }
  // The document of `row`: its last cell in the template, if there is one,
  // unless the cell is a whole document (starts with the template's root).
  std::string Document(const Row& row) const {
    std::string text = Setting("template");
    const std::size_t at = text.find("{}");
    const std::string& cell = row.cells.back();
    if (at == std::string::npos ||
        cell.compare(0, text.find_first_of(" >"), text, 0, text.find_first_of(" >")) == 0) {
      return cell;
    }
    return text.replace(at, 2, cell);
  }
};

// `cells`: the number of cells a row has (0: any); the last cell takes the
// rest of the line.
inline RowFile ReadRows(const std::string& path, std::size_t cells) {
  RowFile file;
  std::istringstream in(ReadFile(path));
  EXPECT_TRUE(in.rdbuf()->in_avail() > 0) << "no table at " << path;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, " |") == 0) line += ' ';
    const std::size_t colon = line.find(": ");
    if (file.rows.empty() && colon != std::string::npos && line.find(" | ") == std::string::npos) {
      file.settings[line.substr(0, colon)] = line.substr(colon + 2);
      continue;
    }
    RowFile::Row row{number, {}};
    for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 3) {
      bar = row.cells.size() + 1 == cells ? std::string::npos : line.find(" | ", start);
      std::string cell = line.substr(start, bar == std::string::npos ? bar : bar - start);
      for (std::size_t n = cell.find("\\n"); n != std::string::npos; n = cell.find("\\n", n + 1)) {
        cell.replace(n, 2, "\n");
      }
      row.cells.push_back(cell);
    }
    EXPECT_TRUE(cells == 0 || cells == row.cells.size()) << path << ":" << number;
    if (cells == 0 || row.cells.size() == cells) file.rows.push_back(row);
  }
  return file;
}

inline bool XercesIsUp() { return xercesc::XMLPlatformUtils::fgMemoryManager != nullptr; }

// Runs `call` twice: with the platform down it must be down again afterwards
// (terminated), and with the host holding it up it must still be up (not
// terminated twice).
inline void ExpectPlatformBalanced(const std::function<void()>& call) {
  ASSERT_FALSE(XercesIsUp());
  call();
  EXPECT_FALSE(XercesIsUp()) << "the platform was left initialised";
  xercesc::XMLPlatformUtils::Initialize();
  call();
  EXPECT_TRUE(XercesIsUp()) << "the platform was terminated more than once";
  xercesc::XMLPlatformUtils::Terminate();
  ASSERT_FALSE(XercesIsUp());
}

// The XML platform initialised around each test.
class XmlPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { xercesc::XMLPlatformUtils::Initialize(); }
  void TearDown() override { xercesc::XMLPlatformUtils::Terminate(); }
};

// Names a table row by its `label` in test listings instead of dumping its bytes.
template <typename Row>
std::string RowLabel(const testing::TestParamInfo<Row>& info) {
  return info.param.label;
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_SUPPORT_TEST_SUPPORT_H_
