#include "orvane/values/string_value.h"

#include <climits>
#include <cstdlib>
#include <string_view>
#include <typeinfo>

#include "values/number_prefix.h"
#include "values/trailing_spaces.h"

namespace MCOrvane_600 {
namespace {

using internal::WithoutTrailingSpaces;

// `value` as a text; null for anything else. The exact class is the common
// case and needs no search of the class hierarchy.
const StringValue* AsText(const ScoreValue* value) {
  if (value == nullptr) return nullptr;
  if (typeid(*value) == typeid(StringValue)) return static_cast<const StringValue*>(value);
  return dynamic_cast<const StringValue*>(value);
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Byte-wise three-way order of the trimmed texts; a blank text trims to the
// empty text and so comes first.
int Compare(const std::string& a, const std::string& b) {
  return WithoutTrailingSpaces(a).compare(WithoutTrailingSpaces(b));
}

}  // namespace

StringValue::StringValue() : length_(0) { text_.reserve(MAX_STRING); }

StringValue::StringValue(const char* text)
    : text_(text != nullptr ? text : ""), length_(static_cast<int>(text_.size())) {}

StringValue::StringValue(const std::string& text)
    : text_(text), length_(static_cast<int>(text_.size())) {}

StringValue::StringValue(const StringValue& other)
    : ScoreValue(other), text_(other.text_), length_(static_cast<int>(text_.size())) {}

StringValue& StringValue::operator=(const StringValue& other) {
  if (this != &other) {
    text_ = other.text_;
    length_ = other.length_;
  }
  return *this;
}

StringValue::~StringValue() = default;

void StringValue::SetValue(const ScoreValue* other) {
  if (other == nullptr) return;
  if (other->GetType() == kSTRING_VALUE) {
    text_ = other->GetString();
  } else {
    text_.clear();
  }
}

ScoreValue* StringValue::GetValue() const { return new StringValue(text_); }

ScoreValue* StringValue::Clone() const { return new StringValue(*this); }

bool StringValue::operator==(const ScoreValue& other) const {
  const StringValue* text = AsText(&other);
  if (text == nullptr) return false;
  if (text_ == text->text_) return true;
  return Compare(text_, text->text_) == 0;
}

bool StringValue::Equal(const ScoreValue* other, bool no_space_trim, bool empty_string_ok) const {
  const StringValue* text = AsText(other);
  if (text == nullptr) return false;
  if (text_ == text->text_) return true;
  if (no_space_trim) return false;
  // Here the texts differ, so two blank ones differ in length; with the
  // flag, the empty text stands apart from one made of spaces.
  if (empty_string_ok && IsBlank(text_) && IsBlank(text->text_) &&
      (text_.empty() || text->text_.empty())) {
    return false;
  }
  return Compare(text_, text->text_) == 0;
}

bool StringValue::operator>(const ScoreValue& other) const {
  const StringValue* text = AsText(&other);
  return text != nullptr && Compare(text_, text->text_) > 0;
}

bool StringValue::operator<(const ScoreValue& other) const {
  const StringValue* text = AsText(&other);
  return text != nullptr && Compare(text_, text->text_) < 0;
}

bool StringValue::operator<=(const ScoreValue& other) const {
  const StringValue* text = AsText(&other);
  return text != nullptr && Compare(text_, text->text_) <= 0;
}

bool StringValue::operator>=(const ScoreValue& other) const {
  const StringValue* text = AsText(&other);
  return text != nullptr && Compare(text_, text->text_) >= 0;
}

bool StringValue::IsSystemMissingValue() const { return false; }

int StringValue::GetInt() const {
  const long number = std::strtol(text_.c_str(), nullptr, 10);
  if (number < INT_MIN) return INT_MIN;
  if (number > INT_MAX) return INT_MAX;
  return static_cast<int>(number);
}

double StringValue::GetDouble() const {
  double number = 0.0;
  internal::ReadNumberPrefix(text_, &number);
  return number;
}

std::string StringValue::GetString() const { return text_; }

ScoreValue::ValueType StringValue::GetType() const { return kSTRING_VALUE; }

}  // namespace MCOrvane_600
