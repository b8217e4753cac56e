#ifndef ORVANE_VALUES_STRING_VALUE_H_
#define ORVANE_VALUES_STRING_VALUE_H_

#include <string>

#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

// A narrow text with a declared length kept beside it. Texts have no missing
// value. Comparisons ignore trailing spaces (the space character only) and
// only ever succeed against another StringValue.
class StringValue : public ScoreValue {
 public:
  static constexpr int MAX_STRING = 255;

  // An empty text with room reserved for MAX_STRING characters; length 0.
  StringValue();
  // The text; null gives an empty text. The length is the text's size.
  explicit StringValue(const char* text);
  explicit StringValue(const std::string& text);
  // Copies the text; the length becomes the copied text's size, not the
  // source's length.
  StringValue(const StringValue& other);
  // Copies the text and the source's length.
  StringValue& operator=(const StringValue& other);

  ~StringValue() override;
  // Takes other's text when other->GetType() is kSTRING_VALUE, otherwise the
  // text becomes empty; null changes nothing. The length is never changed.
  void SetValue(const ScoreValue* other) override;
  // A new StringValue of the text (its length is the text's size); the caller
  // owns it.
  ScoreValue* GetValue() const override;
  // A new StringValue made by the copy constructor; the caller owns it.
  ScoreValue* Clone() const override;
  // Equal when other is a StringValue and both texts match once trailing
  // spaces are removed; two blank texts are equal.
  bool operator==(const ScoreValue& other) const override;
  // As operator==, except that with `no_space_trim` only identical texts are
  // equal, and with `empty_string_ok` an empty text does not equal a
  // non-empty blank one. False for null or a non-text.
  bool Equal(const ScoreValue* other, bool no_space_trim, bool empty_string_ok) const override;
  // Byte-wise order of the texts without their trailing spaces, so a blank
  // text comes before every other. False whenever other is not a
  // StringValue.
  bool operator>(const ScoreValue& other) const override;
  bool operator<(const ScoreValue& other) const override;
  bool operator<=(const ScoreValue& other) const override;
  bool operator>=(const ScoreValue& other) const override;
  // Always false.
  bool IsSystemMissingValue() const override;
  // As atoi reads the text (leading white space, optional sign, digits; 0
  // without digits), saturating at INT_MIN / INT_MAX instead of overflowing.
  int GetInt() const override;
  // The leading number of the text read in the classic locale; 0.0 when the
  // text does not start with one.
  double GetDouble() const override;
  std::string GetString() const override;
  ValueType GetType() const override;

  // The text GetString copies, lent until the value changes or goes.
  const std::string& GetText() const { return text_; }
  // Replaces the text; the length is not changed.
  void SetString(const std::string& text) { text_ = text; }
  void SetLength(int length) { length_ = length; }
  int GetLength() const { return length_; }

 private:
  std::string text_;
  int length_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_VALUES_STRING_VALUE_H_
