#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "orvane/case_filler.h"
#include "orvane/csv_reader.h"
#include "orvane/row_writer.h"

namespace {

using orvane_cli::CsvReader;

std::vector<std::vector<std::string>> ReadAll(const std::string& text, std::string* error) {
  std::istringstream in(text);
  CsvReader reader(in);
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  while (reader.Next(&row)) {
    if (!reader.error().empty() && error->empty()) *error = reader.error();
    rows.push_back(row);
  }
  return rows;
}

TEST(CsvReaderTest, QuotesCommasAndLineEnds) {
  std::string error;
  auto rows = ReadAll("a,b,c\r\n\"x,1\",\"say \"\"hi\"\"\",\n\"two\nlines\",,z", &error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"x,1", "say \"hi\"", ""}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"two\nlines", "", "z"}));
}

TEST(CsvReaderTest, MalformedRowsAreReported) {
  std::string error;
  ReadAll("a,\"open\n", &error);
  EXPECT_EQ(error, "a quoted field is not closed");
  error.clear();
  ReadAll("\"a\"b,c\n", &error);
  EXPECT_EQ(error, "text after a closing quote");
}

TEST(CsvReaderTest, LinesCountAcrossQuotedBreaks) {
  std::istringstream in("h\n\"1\n2\"\nx\n");
  CsvReader reader(in);
  std::vector<std::string> row;
  reader.Next(&row);
  reader.Next(&row);
  EXPECT_EQ(reader.line(), 2);
  reader.Next(&row);
  EXPECT_EQ(reader.line(), 4);
}

TEST(ParseNumberTest, WholeTextOnly) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {{"1.5", true, 1.5}, {" -2e3 ", true, -2000}, {"1.5x", false, 0},
               {"", false, 0},     {"abc", false, 0},       {"1e999", false, 0},
               {"nan", false, 0}};
  for (const Case& c : cases) {
    double x = 0;
    EXPECT_EQ(orvane_cli::ParseNumber(c.text, &x), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(x, c.value) << c.text;
    }
  }
}

TEST(RowWriterTest, QuotingAndNumbers) {
  EXPECT_EQ(orvane_cli::CsvQuote("plain"), "plain");
  EXPECT_EQ(orvane_cli::CsvQuote("a,b"), "\"a,b\"");
  EXPECT_EQ(orvane_cli::CsvQuote("q\""), "\"q\"\"\"");
  EXPECT_EQ(orvane_cli::JsonQuote("a\"\\\n\x01"), "\"a\\\"\\\\\\n\\u0001\"");
  EXPECT_EQ(orvane_cli::FormatNumber(0.1), "0.1");
  EXPECT_EQ(orvane_cli::FormatNumber(1e21), "1e+21");
  EXPECT_EQ(orvane_cli::FormatNumber(-2), "-2");
}

}  // namespace
