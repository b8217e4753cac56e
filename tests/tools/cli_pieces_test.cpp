#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "orvane/case_filler.h"
#include "orvane/csv_reader.h"
#include "orvane/row_writer.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(CsvReaderTest, RowsAndTheFirstError) {
  const struct {
    const char* text;
    Rows rows;
    const char* error;
  } cases[] = {
      {"a,b,c\r\n\"x,1\",\"say \"\"hi\"\"\",\n\"two\nlines\",,z",
       {{"a", "b", "c"}, {"x,1", "say \"hi\"", ""}, {"two\nlines", "", "z"}},
       ""},
      {"a,\"open\n", {}, "a quoted field is not closed"},
      {"\"a\"b,c\n", {}, "text after a closing quote"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    orvane_cli::CsvReader reader(in);
    Rows rows;
    std::string error;
    for (std::vector<std::string> row; reader.Next(&row);) {
      if (error.empty()) error = reader.error();
      rows.push_back(row);
    }
    EXPECT_EQ(c.error, error) << c.text;
    // After an error the rows are what the reader could make of the rest.
    if (!c.rows.empty()) {
      EXPECT_EQ(c.rows, rows) << c.text;
    }
  }
}

TEST(CsvReaderTest, LinesCountAcrossQuotedBreaks) {
  std::istringstream in("h\n\"1\n2\"\nx\n");
  orvane_cli::CsvReader reader(in);
  std::vector<std::string> row;
  for (int line : {1, 2, 4}) {
    reader.Next(&row);
    EXPECT_EQ(reader.line(), line);
  }
}

TEST(ParseNumberTest, WholeTextOnly) {
  const struct {
    const char* text;
    bool ok;
    double value;
  } cases[] = {{"1.5", true, 1.5}, {" -2e3 ", true, -2000}, {"1.5x", false, 0}, {"", false, 0},
               {"abc", false, 0},  {"1e999", false, 0},     {"nan", false, 0}};
  for (const auto& c : cases) {
    double x = 0;
    EXPECT_EQ(orvane_cli::ParseNumber(c.text, &x), c.ok) << c.text;
    EXPECT_EQ(c.ok ? c.value : x, x) << c.text;
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
