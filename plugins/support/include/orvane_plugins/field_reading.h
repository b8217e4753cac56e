#ifndef ORVANE_PLUGINS_FIELD_READING_H_
#define ORVANE_PLUGINS_FIELD_READING_H_

// Values of fields as models compare and make them: document constants read
// for a field's storage type, exact comparisons (numbers as doubles, texts
// byte for byte).

#include <string>
#include <typeinfo>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {
class ScoreDictVar;
}  // namespace MCOrvane_600

namespace orvane_plugins {

// A document constant in the form its field compares: a number for numeric
// and date/time fields, a text otherwise.
struct FieldConstant {
  bool numeric = false;
  double number = 0.0;
  std::string text;
};

// `text` read for `var`; throws code 3 naming `element` when a numeric field
// is given a text that is no number.
FieldConstant ReadFieldConstant(const MCOrvane_600::ScoreDictVar* var, const std::string& text,
                                const xercesc::DOMElement* element);

// IsMissing of a value of any class (a non-text that is system-missing).
bool IsMissingOther(const MCOrvane_600::ScoreValue* value);

// True when `object` is exactly of class T, by the address of the class's
// type record: one record in the process for the library's classes, so this
// costs a comparison; were there a second copy, a value would only take the
// general way, never a wrong one. Only for choosing a faster way.
template <class T, class Base>
bool IsExactly(const Base& object) {
  return &typeid(object) == &typeid(T);
}

// The text of `value` when it is of the library's text class, lent; null for
// any other value (whose GetString may be what it likes).
inline const std::string* TextOf(const MCOrvane_600::ScoreValue* value) {
  if (value == nullptr || !IsExactly<MCOrvane_600::StringValue>(*value)) return nullptr;
  return &static_cast<const MCOrvane_600::StringValue*>(value)->GetText();
}

// The same for the library's number class: `*x` set, true; false for any
// other value.
inline bool NumberOf(const MCOrvane_600::ScoreValue* value, double* x) {
  if (value == nullptr || !IsExactly<MCOrvane_600::NumericValue>(*value)) return false;
  *x = static_cast<const MCOrvane_600::NumericValue*>(value)->GetNumber();
  return true;
}

// Null, a system-missing number; the library's texts and numbers answered
// without a call.
inline bool IsMissing(const MCOrvane_600::ScoreValue* value) {
  if (value == nullptr) return true;
  if (IsExactly<MCOrvane_600::StringValue>(*value)) return false;
  double x = 0.0;
  if (NumberOf(value, &x)) return MCOrvane_600::NumericValue::IsSystemMissingValue(x);
  return IsMissingOther(value);
}

constexpr int kIncomparable = 2;
// -1, 0 or 1 as `value` is below, equal to or above `constant`; kIncomparable
// when a text meets a number that it does not spell.
int Compare(const MCOrvane_600::ScoreValue* value, const FieldConstant& constant);
// The same for a text value's text.
int CompareText(const std::string& text, const FieldConstant& constant);

// A new value of `var`'s storage type for `text` (the caller owns it); throws
// code 3 naming `element` when the text does not fit.
MCOrvane_600::ScoreValue* MakeFieldValue(const MCOrvane_600::ScoreDictVar* var,
                                         const std::string& text,
                                         const xercesc::DOMElement* element);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_FIELD_READING_H_
