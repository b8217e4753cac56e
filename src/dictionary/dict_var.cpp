#include "orvane/dictionary/dict_var.h"

#include <ostream>
#include <vector>

#include "dictionary/owning_map.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/dictionary/score_var_stats.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {

DictVar::DictVar(const std::string& name, VariableType type) : name_(name), var_type_(type) {}

DictVar::DictVar(const DictVar& other) : ScoreDictVar(other), var_type_(other.var_type_) {
  CopyFrom(other);
}

DictVar& DictVar::operator=(const DictVar& other) {
  if (this != &other) {
    missing_values_.reset();
    value_labels_.reset();
    var_stats_.reset();
    CopyFrom(other);
  }
  return *this;
}

DictVar::~DictVar() = default;

void DictVar::CopyFrom(const DictVar& other) {
  name_ = other.name_;
  label_ = other.label_;
  var_type_ = other.var_type_;
  date_time_type_ = other.date_time_type_;
  measure_level_ = other.measure_level_;
  decimals_ = other.decimals_;
  width_ = other.width_;
  missing_values_ = internal::CloneOrNull(other.missing_values_.get());
  value_labels_ = internal::CloneOrNull(other.value_labels_.get());
  var_stats_ = internal::CloneOrNull(other.var_stats_.get());
  value_index_ = other.value_index_;
  no_space_trim_ = other.no_space_trim_;
  empty_string_ok_ = other.empty_string_ok_;
  x_measure_ = other.x_measure_;
  flag_variable_ = other.flag_variable_;
  outlier_handle_method_ = other.outlier_handle_method_;
}

ScoreDictVar* DictVar::Clone() const { return new DictVar(*this); }

bool DictVar::operator==(const ScoreDictVar& other) const { return name_ == other.GetName(); }

bool DictVar::IsMissingValue(const ScoreValue* value) const {
  if (value == nullptr) return true;
  // A text is never system-missing for a string variable, whatever it holds.
  if ((var_type_ == kNUMERIC_VAR || var_type_ == kDATETIME_VAR) && value->IsSystemMissingValue()) {
    return true;
  }
  if (missing_values_ == nullptr) return false;
  for (const ScoreValueRange* range : missing_values_->GetMissingValues()) {
    if (range->IsInRange(value)) return true;
  }
  return false;
}

bool DictVar::IsValidValue(const ScoreValue* value) const {
  if (IsMissingValue(value)) return false;
  if (value_labels_ != nullptr && (measure_level_ == kORDINAL || measure_level_ == kNOMINAL)) {
    // The labels of a categorical variable are its categories.
    for (const ScoreValueLabel* label : value_labels_->GetAllValueLabels()) {
      const ScoreValue* category = label->GetValue();
      if (category == nullptr) continue;
      const bool equal = var_type_ == kSTRING_VAR
                             ? category->Equal(value, no_space_trim_, empty_string_ok_)
                             : *value == *category;
      if (equal) return true;
    }
    return false;
  }
  if (var_type_ == kNUMERIC_VAR && value_labels_ == nullptr) {
    return dynamic_cast<const NumericValue*>(value) != nullptr;
  }
  return true;
}

bool DictVar::SetName(const std::string& name) {
  if (name.empty()) return false;
  name_ = name;
  return true;
}

void DictVar::SetLabel(const std::string& label) { label_ = label; }

void DictVar::SetVarType(VariableType type) { var_type_ = type; }

void DictVar::SetMLevel(MeasureLevel level) { measure_level_ = level; }

void DictVar::SetFormat(int decimals, int width) {
  decimals_ = decimals;
  width_ = width;
}

void DictVar::SetDecimal(int decimals) { decimals_ = decimals; }

void DictVar::SetWidth(int width) { width_ = width; }

std::string DictVar::GetName() const { return name_; }

std::string DictVar::GetLabel() const { return label_; }

ScoreDictVar::VariableType DictVar::GetVarType() const { return var_type_; }

ScoreDictVar::MeasureLevel DictVar::GetMLevel() const { return measure_level_; }

int DictVar::GetDecimal() const { return decimals_; }

int DictVar::GetWidth() const { return width_; }

const ScoreVarStats* DictVar::GetVarStats() const { return var_stats_.get(); }

// The three setters below hand the object held before back to whoever kept
// it, as plug-ins compiled against this interface expect.
void DictVar::SetVarStats(ScoreVarStats* stats) {
  static_cast<void>(var_stats_.release());
  var_stats_.reset(stats);
}

const ScoreValueLabelSet* DictVar::GetValueLabels() const { return value_labels_.get(); }

std::string DictVar::GetLabelOfValue(const ScoreValue* value) const {
  return value_labels_ != nullptr ? value_labels_->GetLabelOfValue(value) : std::string();
}

const ScoreMissingValueSet* DictVar::GetMissingValues() const { return missing_values_.get(); }

void DictVar::SetMissingValues(ScoreMissingValueSet* missing) {
  static_cast<void>(missing_values_.release());
  missing_values_.reset(missing);
}

void DictVar::SetValueLabels(ScoreValueLabelSet* labels) {
  static_cast<void>(value_labels_.release());
  value_labels_.reset(labels);
}

ScoreValue* DictVar::ToMyValue(const std::string& text) const {
  switch (var_type_) {
    case kNUMERIC_VAR:
      return new NumericValue(text);
    case kSTRING_VAR:
      return new StringValue(text);
    default:
      return nullptr;
  }
}

void DictVar::Display(std::ostream& os) const {
  os << "Start ScoreDictVar Display:\n"
     << "Var Name = " << name_ << "; "
     << "Var Lable = " << label_ << "; ";
  if (var_type_ == kSTRING_VAR) {
    os << "Var Type = STRING_VAR; ";
  } else if (var_type_ == kNUMERIC_VAR) {
    os << "Var Type = kNUMERIC_VAR; ";
  }
  switch (measure_level_) {
    case kCONTINUOUS:
      os << "Var level =  Continuous; ";
      break;
    case kORDINAL:
      os << "Var level =  Ordinal; ";
      break;
    case kNOMINAL:
      os << "Var level =  Nominal; ";
      break;
    default:
      os << "Var level = unknown;";
      break;
  }
  os << "\n";
  if (value_labels_ != nullptr) value_labels_->Display(os);
  if (missing_values_ != nullptr) missing_values_->Display(os);
  if (!x_measure_.empty()) os << "x-Measure: " << x_measure_ << "\n";
  os << "End of ScoreDictVar Display.\n\n";
}

int DictVar::GetNumberOfCats() const {
  if (measure_level_ == kCONTINUOUS) return 1;
  return value_labels_ != nullptr ? value_labels_->Size() : 0;
}

void DictVar::SetValueIndex(int index) { value_index_ = index; }

int DictVar::GetValueIndex() const { return value_index_; }

void DictVar::SetNoSpaceTrim(bool no_trim) {
  if (IsString()) no_space_trim_ = no_trim;
}

bool DictVar::GetNoSpaceTrim() const { return no_space_trim_; }

void DictVar::SetEmptyStringOK(bool ok) {
  if (IsString()) empty_string_ok_ = ok;
}

bool DictVar::GetEmptyStringOK() const { return empty_string_ok_; }

std::string DictVar::GetXMeasure() const { return x_measure_; }

void DictVar::SetXMeasure(const std::string& measure) { x_measure_ = measure; }

bool DictVar::SetFlagVariable(bool flag) {
  if (measure_level_ != kORDINAL && measure_level_ != kNOMINAL) return false;
  flag_variable_ = flag;
  return true;
}

bool DictVar::IsFlagVariable() const { return flag_variable_; }

void DictVar::SetOutlierHandleMethod(OutlierHandleMethod method) {
  outlier_handle_method_ = method;
}

int DictVar::GetOutlierHandleMethod() const { return outlier_handle_method_; }

bool DictVar::IsDerivedVariable() const { return false; }

void DictVar::SetDateTimeType(DateTimeType type) { date_time_type_ = type; }

ScoreDictVar::DateTimeType DictVar::GetDateTimeType() const { return date_time_type_; }

bool DictVar::IsString() const { return var_type_ == kSTRING_VAR; }

}  // namespace MCOrvane_600
