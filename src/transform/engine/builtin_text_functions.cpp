// The text built-in functions and the value comparisons. A text travels with
// its declared length (StringValue::GetLength), which the functions carry on
// to their answers.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/builtin_functions.h"

namespace MCOrvane_600 {

namespace {

// Destroys every value of `values` and `tested`, and empties `values`.
void DestroyAll(std::vector<ScoreValue*>& values, ScoreValue* tested = nullptr) {
  for (ScoreValue* value : values) delete value;
  values.clear();
  delete tested;
}

// Exactly two non-null values of one type: 1 when they are equal, 0 when
// not; -1 for anything else.
int PairEquality(const std::vector<ScoreValue*>& values) {
  if (values.size() != 2 || values[0] == nullptr || values[1] == nullptr) return -1;
  if (values[0]->GetType() != values[1]->GetType()) return -1;
  return *values[0] == *values[1] ? 1 : 0;
}

bool Contains(const std::vector<ScoreValue*>& values, const ScoreValue& tested) {
  for (const ScoreValue* value : values) {
    if (value != nullptr && builtin::Matches(*value, tested)) return true;
  }
  return false;
}

}  // namespace

namespace builtin {

bool Matches(const ScoreValue& a, const ScoreValue& b) {
  return a.GetType() == b.GetType() && a == b;
}

std::string Ltrim(const std::string& text, int declared, int& length) {
  length = std::max(declared, 0);
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) {
    length = std::max(length - static_cast<int>(text.size()), 0);
    return std::string();
  }
  // Never below 0, even when the declared length was shorter than the text.
  length = std::max(length - static_cast<int>(first), 0);
  return text.substr(first);
}

std::string Rtrim(const std::string& text, int& length) {
  const std::size_t last = text.find_last_not_of(' ');
  if (last == std::string::npos) {
    length = 0;
    return std::string();
  }
  length = static_cast<int>(last + 1);
  return text.substr(0, last + 1);
}

std::string Substring(const std::string& text, int declared, int start, int& length) {
  length = std::max(declared, 0);
  if (text.empty()) {
    length = 0;
    return std::string();
  }
  if (start >= 1 && static_cast<std::size_t>(start) < text.size()) {
    std::string part = text.substr(static_cast<std::size_t>(start) - 1);
    length = static_cast<int>(part.size());
    return part;
  }
  length = 0;
  return std::string();
}

std::string ChangeCase(const std::string& text, int declared, bool upper, int& length) {
  length = declared;
  std::string out(text, 0, std::min(text.find('\0'), text.size()));
  for (char& c : out) {
    const int code = static_cast<unsigned char>(c);
    c = static_cast<char>(upper ? std::toupper(code) : std::tolower(code));
  }
  return out;
}

int AppendPiece(const std::string& text, int declared, std::string& out) {
  if (declared < 0) {
    out += text;
    return static_cast<int>(text.size());
  }
  const std::size_t size = static_cast<std::size_t>(declared);
  if (text.size() >= size) {
    out.append(text, 0, size);
  } else {
    out += text;
    out.append(size - text.size(), ' ');
  }
  return declared;
}

}  // namespace builtin

double TransformationDictionary::equal(std::vector<ScoreValue*>& values) {
  const int equality = PairEquality(values);
  DestroyAll(values);
  return equality == 1 ? 1.0 : 0.0;
}

double TransformationDictionary::notEqual(std::vector<ScoreValue*>& values) {
  const int equality = PairEquality(values);
  DestroyAll(values);
  return equality == 1 ? 0.0 : 1.0;
}

double TransformationDictionary::isIn(std::vector<ScoreValue*>& values, ScoreValue* tested) {
  const bool found = tested != nullptr && Contains(values, *tested);
  DestroyAll(values, tested);
  return found ? 1.0 : 0.0;
}

double TransformationDictionary::isNotIn(std::vector<ScoreValue*>& values, ScoreValue* tested) {
  const bool found = tested != nullptr && Contains(values, *tested);
  DestroyAll(values, tested);
  return found ? 0.0 : 1.0;
}

std::string TransformationDictionary::Ltrim(const StringValue* s, int& length) {
  if (s == nullptr) {
    length = 0;
    return std::string();
  }
  return builtin::Ltrim(s->GetString(), s->GetLength(), length);
}

std::string TransformationDictionary::Rtrim(const StringValue* s, int& length) {
  if (s == nullptr) {
    length = 0;
    return std::string();
  }
  return builtin::Rtrim(s->GetString(), length);
}

std::string TransformationDictionary::Substring(const StringValue* s, int start, int& length) {
  if (s == nullptr) {
    length = 0;
    return std::string();
  }
  return builtin::Substring(s->GetString(), s->GetLength(), start, length);
}

std::string TransformationDictionary::Concat(const std::vector<std::string>& texts,
                                             const std::vector<int>& lengths, int& length) {
  std::string out;
  length = 0;
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    if (i < texts.size()) {
      length += builtin::AppendPiece(texts[i], lengths[i], out);
    } else if (lengths[i] > 0) {
      length += lengths[i];
    }
  }
  return out;
}

std::string TransformationDictionary::ToLowerCase(const StringValue* s, int& length) const {
  if (s == nullptr) {
    length = 0;
    return std::string();
  }
  return builtin::ChangeCase(s->GetString(), s->GetLength(), false, length);
}

std::string TransformationDictionary::ToUpperCase(const StringValue* s, int& length) const {
  if (s == nullptr) {
    length = 0;
    return std::string();
  }
  return builtin::ChangeCase(s->GetString(), s->GetLength(), true, length);
}

}  // namespace MCOrvane_600
