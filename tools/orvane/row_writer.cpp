#include "orvane/row_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace orvane_cli {

using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreValue;

std::string FormatNumber(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "Infinity" : "-Infinity";
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
  return std::string(buffer, result.ptr);
}

std::string JsonQuote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string CsvQuote(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

RowWriter::RowWriter(std::ostream& out, Format format, std::vector<std::string> input_names,
                     std::vector<std::string> derived_names, bool with_advice)
    : out_(out),
      format_(format),
      input_names_(std::move(input_names)),
      derived_names_(std::move(derived_names)),
      with_advice_(with_advice) {}

void RowWriter::WriteHeader() {
  if (format_ != Format::kCsv) return;
  size_t i = 0;
  for (const std::string& name : input_names_) Separator(i++, ""), out_ << CsvQuote(name);
  for (const std::string& name : derived_names_) Separator(i++, ""), out_ << CsvQuote(name);
  if (with_advice_) Separator(i++, ""), out_ << "advice";
  out_ << '\n';
}

void RowWriter::Separator(size_t index, const std::string& name) {
  if (format_ == Format::kCsv) {
    if (index > 0) out_ << ',';
    return;
  }
  out_ << (index == 0 ? "{" : ",") << JsonQuote(name) << ':';
}

void RowWriter::WriteText(const std::string& text) {
  out_ << (format_ == Format::kCsv ? CsvQuote(text) : JsonQuote(text));
}

void RowWriter::WriteValue(const ScoreValue* value) {
  if (value == nullptr || value->IsSystemMissingValue()) {
    if (format_ == Format::kJsonLines) out_ << "null";
    return;
  }
  switch (value->GetType()) {
    case ScoreValue::kNUMERIC_VALUE: {
      std::string number = FormatNumber(value->GetDouble());
      // JSON has no infinities or NaN.
      if (format_ == Format::kJsonLines && !std::isfinite(value->GetDouble())) {
        out_ << JsonQuote(number);
      } else {
        out_ << number;
      }
      break;
    }
    default:
      WriteText(value->GetString());
  }
}

void RowWriter::WriteRow(const std::vector<std::string>& cells, const ScoreCaseRecord* derived,
                         const std::vector<std::string>& advice) {
  size_t i = 0;
  for (size_t c = 0; c < input_names_.size(); ++c) {
    Separator(i++, input_names_[c]);
    const std::string cell = c < cells.size() ? cells[c] : std::string();
    if (format_ == Format::kJsonLines && cell.empty()) {
      out_ << "null";
    } else {
      WriteText(cell);
    }
  }
  for (const std::string& name : derived_names_) {
    Separator(i++, name);
    WriteValue(derived != nullptr ? derived->Get(name) : nullptr);
  }
  if (with_advice_) {
    Separator(i++, "advice");
    if (format_ == Format::kCsv) {
      std::string joined;
      for (const std::string& text : advice) joined += (joined.empty() ? "" : "; ") + text;
      WriteText(joined);
    } else {
      out_ << '[';
      for (size_t a = 0; a < advice.size(); ++a) out_ << (a ? "," : "") << JsonQuote(advice[a]);
      out_ << ']';
    }
  }
  if (format_ == Format::kJsonLines) out_ << (i == 0 ? "{}" : "}");
  out_ << '\n';
}

}  // namespace orvane_cli
