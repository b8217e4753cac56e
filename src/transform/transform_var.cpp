#include "orvane/transform/transform_var.h"

#include <ostream>

#include "dictionary/owning_map.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/transform/function_tree.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {

namespace {

// The node, then every node below it, each before its children.
void DisplaySubtree(const FunctionTree& node, std::ostream& os) {
  node.Display(os);
  for (int i = 0; i < node.GetChildCount(); ++i) {
    if (const FunctionTree* child = node.GetChildAt(i)) DisplaySubtree(*child, os);
  }
}

const char* ExpressionName(TransformationDictionary::TransExpression kind) {
  switch (kind) {
    case TransformationDictionary::kCONSTANT:
      return "Constant\n";
    case TransformationDictionary::kFIELDREF:
      return "FieldRef\n";
    case TransformationDictionary::kNORMCONTINUOUS:
      return "NormContinuous\n";
    case TransformationDictionary::kNORMDISCRETE:
      return "NormDiscrete\n";
    case TransformationDictionary::kDISCRETIZE:
      return "Discretize\n";
    case TransformationDictionary::kMAPVALUES:
      return "MapValues\n";
    case TransformationDictionary::kAPPLY:
      return "Apply\n";
    case TransformationDictionary::kNO_EXPRESSION:
      break;
  }
  return "";
}

}  // namespace

TransformVar::TransformVar(const std::string& name, VariableType type)
    : DictVar(name, type),
      working_numeric_(std::make_unique<NumericValue>()),
      working_string_(std::make_unique<StringValue>()),
      working_date_time_(std::make_unique<DateTimeValue>()),
      const_number_(NumericValue::GetSysmisValue()) {}

TransformVar::TransformVar(const TransformVar& other) : DictVar(other) { CopyFrom(other); }

TransformVar& TransformVar::operator=(const TransformVar& other) {
  if (this != &other) {
    DictVar::operator=(other);
    CopyFrom(other);
  }
  return *this;
}

TransformVar::~TransformVar() { Unwatch(); }

void TransformVar::Unwatch() const {
  if (watch_ == nullptr) return;
  *watch_ = false;
  watch_.reset();
}

void TransformVar::CopyFrom(const TransformVar& other) {
  using internal::CloneOrNull;
  // What evaluation kept belongs to the old contents.
  Unwatch();
  source_stamp_ = 0;
  source_operand_ = -1;
  memo_pass_ = 0;
  program_.reset();
  encoding_index_state_ = Index::kUnknown;
  encoding_index_.clear();
  encoding_keys_.clear();
  encoding_texts_.clear();
  bin_bounds_state_ = Index::kUnknown;
  bin_bounds_.clear();
  field_name_ = other.field_name_;
  trans_expression_ = other.trans_expression_;
  bins_.clear();
  bins_.reserve(other.bins_.size());
  for (const Bin& bin : other.bins_) {
    bins_.emplace_back(CloneOrNull(bin.first.get()), CloneOrNull(bin.second.get()));
  }
  scale_ = other.scale_;
  offset_ = other.offset_;
  encodings_.clear();
  encodings_.reserve(other.encodings_.size());
  for (const Encoding& encoding : other.encodings_) {
    encodings_.emplace_back(CloneOrNull(encoding.first.get()), CloneOrNull(encoding.second.get()));
  }
  const_string_ = other.const_string_;
  root_ = CloneOrNull(other.root_.get());
  result_ = CloneOrNull(other.result_.get());
  result_type_ = result_ != nullptr ? result_->GetType() : ScoreValue::kNUMERIC_VALUE;
  working_numeric_ = std::make_unique<NumericValue>(*other.working_numeric_);
  // Assignment, unlike the copy constructor, keeps the declared length.
  working_string_ = std::make_unique<StringValue>();
  *working_string_ = *other.working_string_;
  working_date_time_ = std::make_unique<DateTimeValue>(*other.working_date_time_);
  map_missing_to_ = CloneOrNull(other.map_missing_to_.get());
  default_value_ = CloneOrNull(other.default_value_.get());
  map_sysmis_to_ = CloneOrNull(other.map_sysmis_to_.get());
  recode_else_copy_ = other.recode_else_copy_;
  recode_missing_copy_ = other.recode_missing_copy_;
  recode_interval_copy_ = CloneOrNull(other.recode_interval_copy_.get());
  const_number_ = other.const_number_;
}

bool TransformVar::IsDerivedVariable() const { return true; }

void TransformVar::SetVarType(VariableType type) {
  Unwatch();
  DictVar::SetVarType(type);
}

void TransformVar::AddFieldNameAndTransExpression(const std::string& fieldName,
                                                  TransExpression kind) {
  Unwatch();
  field_name_ = fieldName;
  trans_expression_ = kind;
  source_stamp_ = 0;
  source_operand_ = -1;
}

std::string TransformVar::GetFieldName() const { return field_name_; }

TransformVar::TransExpression TransformVar::GetTransExpression() const { return trans_expression_; }

void TransformVar::SetRoot(FunctionTree* root) {
  Unwatch();
  program_.reset();
  root_.reset(root);
}

const FunctionTree* TransformVar::GetRoot() const { return root_.get(); }

void TransformVar::SetConstString(const std::string& text) {
  Unwatch();
  const_string_ = text;
  const_number_ = NumericValue(text).GetDouble();
}

std::string TransformVar::GetConstString() const { return const_string_; }

void TransformVar::AddNormInfo(double scale, double offset) {
  Unwatch();
  scale_ = scale;
  offset_ = offset;
}

double TransformVar::GetNormValue(double x) const { return scale_ * x + offset_; }

void TransformVar::AddEncodingMap(ScoreValue* key, ScoreValue* encoded) {
  Unwatch();
  encodings_.emplace_back(std::unique_ptr<ScoreValue>(key), std::unique_ptr<ScoreValue>(encoded));
  encoding_index_state_ = Index::kUnknown;
  encoding_index_.clear();
  encoding_keys_.clear();
  encoding_texts_.clear();
}

void TransformVar::AddBinningValue(ScoreValueRange* interval, ScoreValue* value) {
  Unwatch();
  bins_.emplace_back(std::unique_ptr<ScoreValueRange>(interval),
                     std::unique_ptr<ScoreValue>(value));
  bin_bounds_state_ = Index::kUnknown;
  bin_bounds_.clear();
}

void TransformVar::SetRecodeMissValueTo(ScoreValue* value) {
  Unwatch();
  map_missing_to_.reset(value);
  recode_missing_copy_ = false;
}

const ScoreValue* TransformVar::GetRecodeMissValueRep() const { return map_missing_to_.get(); }

void TransformVar::SetRecodeDefaultValue(ScoreValue* value) {
  Unwatch();
  default_value_.reset(value);
  recode_else_copy_ = false;
}

const ScoreValue* TransformVar::GetRecodeDefaultValue() const { return default_value_.get(); }

void TransformVar::SetRecodeElseCopy(bool copy) {
  Unwatch();
  recode_else_copy_ = copy;
  default_value_.reset();
}

bool TransformVar::IsRecodeElseCopy() const { return recode_else_copy_; }

void TransformVar::SetRecodeMissingCopy(bool copy) {
  Unwatch();
  recode_missing_copy_ = copy;
  map_missing_to_.reset();
}

bool TransformVar::IsRecodeMissingCopy() const { return recode_missing_copy_; }

void TransformVar::SetRecodeSysmisValue(ScoreValue* value) {
  Unwatch();
  map_sysmis_to_.reset(value);
}

const ScoreValue* TransformVar::GetRecodeSysmisValueRep() const { return map_sysmis_to_.get(); }

void TransformVar::SetRecodeIntervalCopy(ScoreValueRange* interval) {
  recode_interval_copy_.reset(interval);
}

void TransformVar::Display(std::ostream& os) const {
  DictVar::Display(os);
  os << "Start Display Parameters: \n\n";
  os << "EXPRESSION: " << ExpressionName(trans_expression_);
  if (root_ != nullptr) DisplaySubtree(*root_, os);
  if (!bins_.empty()) {
    os << "Bin values\n";
    for (const Bin& bin : bins_) {
      if (bin.first != nullptr) bin.first->Display(os);
      if (bin.second != nullptr) {
        os << bin.second->GetString() << "\n";
      } else {
        os << "recodeIntervalCopy"
           << "\n";
      }
    }
  }
  if (!encodings_.empty()) {
    os << "Original values and its encoded values\n";
    for (const Encoding& encoding : encodings_) {
      if (encoding.first != nullptr) os << encoding.first->GetString();
      os << "; ";
      if (encoding.second != nullptr) os << encoding.second->GetString();
      os << "\n";
    }
  }
  os << "End one TransformVar display\n\n";
}

}  // namespace MCOrvane_600
