// Evaluation of a derived variable for one case. Everything here writes the
// result and working values in place, so a case costs no allocation beyond
// the first evaluation (text copies aside).

#include <memory>
#include <string>

#include "orvane/dictionary/score_case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/transform_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "transform/apply_evaluator.h"

namespace MCOrvane_600 {

namespace {

std::unique_ptr<ScoreValue> NewResultValue(ScoreDictVar::VariableType type) {
  switch (type) {
    case ScoreDictVar::kNUMERIC_VAR:
      return std::make_unique<NumericValue>();
    case ScoreDictVar::kDATETIME_VAR:
      return std::make_unique<DateTimeValue>();
    default:
      return std::make_unique<StringValue>();
  }
}

// True, with the number in `x`, when `value` is present and its number is
// not the system-missing value.
bool UsableNumber(const ScoreValue* value, double* x) {
  if (value == nullptr) return false;
  *x = value->GetDouble();
  return !NumericValue::IsSystemMissingValue(*x);
}

// A constant of a date/time variable is read as the variable's date/time
// type says; without one, as a date-time text.
ScoreDictVar::DateTimeType ConstantDateTimeType(ScoreDictVar::DateTimeType type) {
  return type == ScoreDictVar::kNO_DATETIME ? ScoreDictVar::kDATETIME : type;
}

}  // namespace

const ScoreDictVar* TransformVar::FindVariable(const std::string& name,
                                               const ScoreDictionary* dataDictionary,
                                               const ScoreDictionary* transformations) {
  const ScoreDictVar* var = dataDictionary != nullptr ? dataDictionary->GetVar(name) : nullptr;
  if (var == nullptr && transformations != nullptr) var = transformations->GetVar(name);
  return var;
}

const ScoreValue* TransformVar::GetTransformedValue(const ScoreCaseRecord* record,
                                                    const ScoreDictionary* dataDictionary,
                                                    const ScoreDictionary* transformations) const {
  if (result_ == nullptr) result_ = NewResultValue(GetVarType());
  // A variable that needs itself, directly or through others, would recurse
  // without end: the inner call answers the missing result instead.
  if (evaluating_) {
    SetMissingResult();
    return result_.get();
  }
  evaluating_ = true;

  const ScoreValue* source_value = nullptr;
  const ScoreDictVar* source = nullptr;
  if (trans_expression_ != TransformationDictionary::kCONSTANT &&
      trans_expression_ != TransformationDictionary::kAPPLY) {
    if (record != nullptr) source_value = record->Get(field_name_);
    // Only the table lookups and an absent value need the variable; sparing
    // the two name lookups otherwise matters on wide documents.
    if (source_value == nullptr || trans_expression_ == TransformationDictionary::kMAPVALUES ||
        trans_expression_ == TransformationDictionary::kDISCRETIZE ||
        trans_expression_ == TransformationDictionary::kNORMDISCRETE) {
      source = FindVariable(field_name_, dataDictionary, transformations);
    }
    // A derived field is not in the case: compute it now, to any depth.
    if (source_value == nullptr && source != nullptr && source->IsDerivedVariable()) {
      if (const auto* derived = dynamic_cast<const TransformVar*>(source)) {
        source_value = derived->GetTransformedValue(record, dataDictionary, transformations);
      }
    }
  }

  switch (trans_expression_) {
    case TransformationDictionary::kCONSTANT:
      switch (result_->GetType()) {
        case ScoreValue::kNUMERIC_VALUE:
          static_cast<NumericValue*>(result_.get())->SetDoubleValue(const_number_);
          break;
        case ScoreValue::kDATETIME_VALUE: {
          const DateTimeValue constant(const_string_, ConstantDateTimeType(GetDateTimeType()));
          result_->SetValue(&constant);
          break;
        }
        default:
          static_cast<StringValue*>(result_.get())->SetString(const_string_);
          break;
      }
      break;
    case TransformationDictionary::kFIELDREF:
      if (source_value != nullptr) {
        result_->SetValue(source_value);
      } else {
        SetMissingResult();
      }
      break;
    case TransformationDictionary::kNORMCONTINUOUS: {
      const double x =
          source_value != nullptr ? source_value->GetDouble() : NumericValue::GetSysmisValue();
      if (NumericValue::IsSystemMissingValue(x)) {
        SetMissingResult();
      } else if (result_->GetType() == ScoreValue::kSTRING_VALUE) {
        // A text variable holds the number as text.
        static_cast<StringValue*>(result_.get())
            ->SetString(NumericValue(GetNormValue(x)).GetString());
      } else {
        static_cast<NumericValue*>(result_.get())->SetDoubleValue(GetNormValue(x));
      }
      break;
    }
    case TransformationDictionary::kNORMDISCRETE:
    case TransformationDictionary::kMAPVALUES:
    case TransformationDictionary::kDISCRETIZE:
    case TransformationDictionary::kAPPLY: {
      const ScoreValue* value = trans_expression_ == TransformationDictionary::kDISCRETIZE
                                    ? GetBinningValue(source, source_value)
                                : trans_expression_ == TransformationDictionary::kAPPLY
                                    ? EvaluateApply(record, dataDictionary, transformations)
                                    : GetEncodedValue(source, source_value);
      if (value != nullptr) {
        result_->SetValue(value);
      } else {
        SetMissingResult();
      }
      break;
    }
    case TransformationDictionary::kNO_EXPRESSION:
      break;
  }

  if (result_->GetType() == ScoreValue::kSTRING_VALUE && GetWidth() >= 0) {
    auto* text = static_cast<StringValue*>(result_.get());
    const std::string::size_type width = static_cast<std::string::size_type>(GetWidth());
    std::string held = text->GetString();
    if (held.size() > width) {
      held.resize(width);
      text->SetString(held);
    }
    text->SetLength(GetWidth());
  }
  evaluating_ = false;
  return result_.get();
}

const ScoreValue* TransformVar::GetEncodedValue(const ScoreDictVar* source,
                                                const ScoreValue* value) const {
  ResetWorkingValue();
  if (value == nullptr) return MissingInputValue(false);
  for (const Encoding& encoding : encodings_) {
    if (encoding.first != nullptr && *encoding.first == *value) return encoding.second.get();
  }
  return HandleMissingAndInvalidValue(source, GetVarType(), value);
}

const ScoreValue* TransformVar::GetBinningValue(const ScoreDictVar* source,
                                                const ScoreValue* value) const {
  ResetWorkingValue();
  if (value == nullptr || (value->GetType() != ScoreValue::kNUMERIC_VALUE &&
                           value->GetType() != ScoreValue::kDATETIME_VALUE)) {
    return MissingInputValue(true);
  }
  for (const Bin& bin : bins_) {
    if (bin.first != nullptr && bin.first->IsInRange(value)) {
      return bin.second != nullptr ? bin.second.get() : value;
    }
  }
  return HandleMissingAndInvalidValue(source, GetVarType(), value);
}

const ScoreValue* TransformVar::HandleMissingAndInvalidValue(const ScoreDictVar* source,
                                                             VariableType type,
                                                             const ScoreValue* value) const {
  const bool numeric = type == kNUMERIC_VAR;
  const ScoreValue* answer =
      numeric ? static_cast<const ScoreValue*>(working_numeric_.get()) : working_string_.get();
  // A numeric answer takes a recode value's number unless that is the
  // system-missing value; a text answer takes its text.
  auto recode_to = [&](const ScoreValue& recode) {
    double x = 0.0;
    if (!numeric) {
      working_string_->SetString(recode.GetString());
    } else if (UsableNumber(&recode, &x)) {
      working_numeric_->SetDoubleValue(x);
    }
  };
  auto copy_input = [&]() {
    if (numeric) {
      working_numeric_->SetDoubleValue(value->GetDouble());
    } else {
      working_string_->SetString(value->GetString());
    }
  };

  // Without a variable to ask, only the system-missing value is missing.
  const bool missing =
      source != nullptr ? source->IsMissingValue(value) : value->IsSystemMissingValue();
  if (!missing) {
    if (default_value_ != nullptr) {
      recode_to(*default_value_);
    } else if (recode_else_copy_) {
      copy_input();
    }
    return answer;
  }

  const bool numeric_source = source != nullptr ? source->GetVarType() == kNUMERIC_VAR
                                                : value->GetType() == ScoreValue::kNUMERIC_VALUE;
  if (numeric_source && value->IsSystemMissingValue() && map_sysmis_to_ != nullptr) {
    double x = 0.0;
    if (!numeric) {
      working_string_->SetString(map_sysmis_to_->GetString());
      return answer;
    }
    if (UsableNumber(map_sysmis_to_.get(), &x)) {
      working_numeric_->SetDoubleValue(x);
      return answer;
    }
    // A system-missing mapSysmisTo leaves the decision to the rows below.
  }
  if (map_missing_to_ != nullptr) {
    recode_to(*map_missing_to_);
  } else if (recode_missing_copy_ || recode_else_copy_) {
    copy_input();
  }
  return answer;
}

void TransformVar::ResetWorkingValue() const {
  if (GetVarType() == kNUMERIC_VAR) {
    working_numeric_->SetDoubleValue(NumericValue::GetSysmisValue());
  } else {
    working_string_->SetString(std::string());
    working_string_->SetLength(0);
  }
}

const ScoreValue* TransformVar::MissingInputValue(bool useMissingText) const {
  if (GetVarType() == kNUMERIC_VAR) {
    double x = 0.0;
    if (UsableNumber(map_missing_to_.get(), &x)) working_numeric_->SetDoubleValue(x);
    return working_numeric_.get();
  }
  if (useMissingText && map_missing_to_ != nullptr) {
    working_string_->SetString(map_missing_to_->GetString());
  }
  return working_string_.get();
}

void TransformVar::SetMissingResult() const {
  if (result_->GetType() == ScoreValue::kSTRING_VALUE) {
    static_cast<StringValue*>(result_.get())->SetString(std::string());
  } else {
    static_cast<NumericValue*>(result_.get())->SetDoubleValue(NumericValue::GetSysmisValue());
  }
}

const ScoreValue* TransformVar::EvaluateApply(const ScoreCaseRecord* record,
                                              const ScoreDictionary* dataDictionary,
                                              const ScoreDictionary* transformations) const {
  if (root_ == nullptr) return nullptr;
  // The evaluator answers through this variable's working values.
  ApplyEvaluator evaluator(working_numeric_.get(), working_string_.get(), working_date_time_.get());
  return evaluator.TravelSal(root_.get(), record, dataDictionary, transformations);
}

}  // namespace MCOrvane_600
