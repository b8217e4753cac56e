#include "orvane_plugins/field_reading.h"

#include <memory>
#include <typeinfo>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/xml_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreValue;

namespace {
bool IsNumberVar(const ScoreDictVar* var) {
  return var != nullptr && var->GetVarType() != ScoreDictVar::kSTRING_VAR;
}
}  // namespace

FieldConstant ReadFieldConstant(const ScoreDictVar* var, const std::string& text,
                                const xercesc::DOMElement* element) {
  FieldConstant constant;
  constant.text = text;
  if (!IsNumberVar(var)) return constant;
  constant.numeric = true;
  if (var->GetVarType() == ScoreDictVar::kDATETIME_VAR) {
    std::unique_ptr<ScoreValue> value(var->ToMyValue(text));
    if (value == nullptr || value->IsSystemMissingValue()) {
      throw Fault(element, OVException::kCodeConversion,
                  "\"" + text + "\" is not a value of field " + var->GetName());
    }
    constant.number = value->GetDouble();
  } else if (!ParseNumber(text, &constant.number)) {
    throw Fault(element, OVException::kCodeConversion,
                "\"" + text + "\" is not a value of numeric field " + var->GetName());
  }
  return constant;
}

bool IsMissingOther(const ScoreValue* value) {
  return value->GetType() != ScoreValue::kSTRING_VALUE && value->IsSystemMissingValue();
}

int CompareText(const std::string& text, const FieldConstant& constant) {
  if (!constant.numeric) {
    const int order = text.compare(constant.text);
    return order < 0 ? -1 : (order == 0 ? 0 : 1);
  }
  double x = 0.0;
  if (!ParseNumber(text, &x)) return kIncomparable;
  return x < constant.number ? -1 : (x == constant.number ? 0 : 1);
}

int Compare(const ScoreValue* value, const FieldConstant& constant) {
  if (const std::string* text = TextOf(value)) return CompareText(*text, constant);
  if (value->GetType() == ScoreValue::kSTRING_VALUE) {
    return CompareText(value->GetString(), constant);
  }
  const double x = value->GetDouble();
  double c = constant.number;
  if (!constant.numeric && !ParseNumber(constant.text, &c)) return kIncomparable;
  if (x < c) return -1;
  return x == c ? 0 : (x > c ? 1 : kIncomparable);
}

ScoreValue* MakeFieldValue(const ScoreDictVar* var, const std::string& text,
                           const xercesc::DOMElement* element) {
  if (!IsNumberVar(var)) return new MCOrvane_600::StringValue(text);
  if (var->GetVarType() == ScoreDictVar::kDATETIME_VAR) {
    ScoreValue* value = var->ToMyValue(text);
    if (value != nullptr && !value->IsSystemMissingValue()) return value;
    delete value;
  } else {
    double x = 0.0;
    if (ParseNumber(text, &x)) return new MCOrvane_600::NumericValue(x);
  }
  throw Fault(element, OVException::kCodeConversion,
              "\"" + text + "\" is not a value of field " + var->GetName());
}

}  // namespace orvane_plugins
