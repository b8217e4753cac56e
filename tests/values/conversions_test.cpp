// Values to and from text, by the rows of the files of tests/data/values.
// A row is a kind and its fields, separated by blanks; texts are quoted and
// may hold \t, \n and \xHH. Numbers: "missing" is the system-missing value,
// "inf" and "nan" as strtod reads them. Date/time types are named by their
// number encodings' names below; value kinds are D, T and X (or a number).
#include <gtest/gtest.h>

#include <cstdlib>
#include <iomanip>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "values/row_files.h"

namespace MCOrvane_600 {
namespace {

using DT = ScoreDictVar;
using Kind = DateTimeValue::DateTimeValType;

// The fields of one row, read in order; a failure to read fails the row.
class Fields {
 public:
  explicit Fields(const std::string& row) : in_(row) {}

  std::string Word() {
    std::string word;
    if (!(in_ >> word)) ADD_FAILURE() << "row too short";
    return word;
  }
  double Number() {
    const std::string word = Word();
    if (word == "missing") return NumericValue::GetSysmisValue();
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (*end != '\0') ADD_FAILURE() << "not a number: " << word;
    return value;
  }
  bool Yes() { return Word() == "yes"; }
  std::string Text() {
    std::string quoted, text;
    if (!(in_ >> std::quoted(quoted, '"', '\x01'))) ADD_FAILURE() << "row too short";
    for (std::size_t i = 0; i < quoted.size(); ++i) {
      if (quoted[i] != '\\' || i + 1 == quoted.size()) {
        text += quoted[i];
      } else if (quoted[++i] == 'x') {
        text += static_cast<char>(std::stoi(quoted.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        text += quoted[i] == 't' ? '\t' : quoted[i] == 'n' ? '\n' : quoted[i];
      }
    }
    return text;
  }
  DT::DateTimeType Type() {
    std::istringstream names(
        "none date time dateTime dateDays0 dateDays1960 dateDays1970 dateDays1980 timeSeconds "
        "dateTimeSeconds0 dateTimeSeconds1960 dateTimeSeconds1970 dateTimeSeconds1980 unknown");
    const std::string word = Word();
    int type = 0;
    for (std::string name; names >> name; ++type) {
      if (name == word) return static_cast<DT::DateTimeType>(type);
    }
    ADD_FAILURE() << "no type " << word;
    return DT::kNO_DATETIME;
  }
  Kind ValueKind() {
    const std::string word = Word();
    if (word == "D") return DateTimeValue::kDATE_VAL;
    if (word == "T") return DateTimeValue::kTIME_VAL;
    if (word == "X") return DateTimeValue::kDATETIME_VAL;
    return static_cast<Kind>(std::stoi(word));
  }

 private:
  std::istringstream in_;
};

using Check = void (*)(Fields&);

const std::map<std::string, Check> kChecks = {
    // number <text> <number>: the number a text reads as.
    {"number",
     [](Fields& f) {
       const std::string text = f.Text();
       EXPECT_EQ(NumericValue(text).GetDouble(), f.Number());
     }},
    // shown <number> <text> <int>: a number's text and integer.
    {"shown",
     [](Fields& f) {
       const NumericValue value(f.Number());
       EXPECT_EQ(value.GetString(), f.Text());
       EXPECT_EQ(value.GetInt(), static_cast<int>(f.Number()));
     }},
    // close <a> <b> <yes|no>: numbers equal within the tolerance.
    {"close",
     [](Fields& f) {
       const double a = f.Number(), b = f.Number();
       EXPECT_EQ(NumericValue::IsEqual(a, b), f.Yes());
     }},
    // string <text> <int> <number>: the numbers of a text.
    {"string",
     [](Fields& f) {
       const StringValue value(f.Text());
       EXPECT_EQ(value.GetInt(), static_cast<int>(f.Number()));
       EXPECT_EQ(value.GetDouble(), f.Number());
     }},
    // texts <a> <b> <==> <no space trim> <empty string OK>: text equality
    // under each flag.
    {"texts",
     [](Fields& f) {
       const StringValue a(f.Text()), b(f.Text());
       const bool equal = f.Yes(), no_trim = f.Yes(), empty_ok = f.Yes();
       EXPECT_EQ(a == b, equal);
       EXPECT_EQ(a.Equal(&b, false, false), equal);
       EXPECT_EQ(a.Equal(&b, true, false), no_trim);
       EXPECT_EQ(a.Equal(&b, false, true), empty_ok);
       EXPECT_EQ(a.Equal(&b, true, true), no_trim && empty_ok);
     }},
    // encoding <type> <written> <stored seconds> <kind>: both ways, and from
    // the number written as text.
    {"encoding",
     [](Fields& f) {
       const DT::DateTimeType type = f.Type();
       const double written = f.Number(), stored = f.Number();
       const DateTimeValue value(written, type);
       EXPECT_EQ(value.GetDouble(), stored);
       EXPECT_EQ(value.GetDateTimeType(), f.ValueKind());
       std::unique_ptr<ScoreValue> back(value.GetValue(type));
       EXPECT_EQ(back->GetType(), ScoreValue::kNUMERIC_VALUE);
       EXPECT_EQ(back->GetDouble(), written);
       DateTimeValue set;
       set.SetDateTimeValue(written, type);
       EXPECT_TRUE(set == value);
       if (type > DT::kDATETIME) {
         EXPECT_EQ(DateTimeValue(std::to_string(written), type).GetDouble(), stored);
         EXPECT_TRUE(DateTimeValue::IsValidDateTime(std::to_string(written), type));
       }
     }},
    // text <type> <text> <valid|invalid> <stored seconds>: a date/time text.
    {"text",
     [](Fields& f) {
       const DT::DateTimeType type = f.Type();
       const std::string text = f.Text();
       EXPECT_EQ(DateTimeValue::IsValidDateTime(text, type), f.Word() == "valid");
       const DateTimeValue value(text, type);
       EXPECT_EQ(value.GetDouble(), f.Number());
       EXPECT_EQ(value.GetDateTimeType(), DateTimeValue::GetValType(type));
     }},
    // number-text <text> <yes|no>: accepted by every number encoding.
    {"number-text",
     [](Fields& f) {
       const std::string text = f.Text();
       const bool accepted = f.Yes();
       for (int t = DT::kDATE_DAYS_SINCE_0; t <= DT::kDATETIME_SECONDS_SINCE_1980; ++t) {
         EXPECT_EQ(DateTimeValue::IsValidDateTime(text, static_cast<DT::DateTimeType>(t)), accepted)
             << t;
       }
     }},
    // as-text <seconds> <kind> <text>: a date/time value's text.
    {"as-text",
     [](Fields& f) {
       const double seconds = f.Number();
       const DateTimeValue value(seconds, f.ValueKind());
       const ScoreValue& base = value;
       EXPECT_EQ(base.GetString(), f.Text());
     }},
    // fields <seconds> <year> <month> <day> <hour> <minute> <second>.
    {"fields",
     [](Fields& f) {
       const DateTimeValue v(f.Number(), DateTimeValue::kDATETIME_VAL);
       for (double field : {v.ExtractYear(), v.ExtractMonth(), v.ExtractDay(), v.ExtractHour(),
                            v.ExtractMinute(), v.ExtractSecond()}) {
         EXPECT_EQ(field, f.Number());
       }
     }},
};

TEST(ConversionsTest, EveryRowOfEveryFile) {
  orvane_test::ForEachRow("values", [](const std::string& row) {
    Fields fields(row);
    const auto check = kChecks.find(fields.Word());
    ASSERT_NE(check, kChecks.end());
    check->second(fields);
  });
}

}  // namespace
}  // namespace MCOrvane_600
