// Evaluation of a derived variable for one case. Everything here writes the
// result and working values in place, so a case costs no allocation beyond
// the first evaluation (text copies aside).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>

#include "orvane/dictionary/range.h"
#include "orvane/dictionary/score_case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/transform_var.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/apply_evaluator.h"
#include "transform/engine/apply_program.h"
#include "transform/engine/eval_case.h"
#include "values/trailing_spaces.h"

namespace MCOrvane_600 {

namespace {

using internal::WithoutTrailingSpaces;

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

// The first eight characters of `text`, zero-padded: texts of up to eight
// characters are equal when their sizes and heads are.
std::uint64_t Head(std::string_view text) {
  std::uint64_t head = 0;
  if (text.size() >= sizeof head) {
    std::memcpy(&head, text.data(), sizeof head);
  } else {
    for (std::size_t i = 0; i < text.size(); ++i) {
      head |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * i);
    }
  }
  return head;
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
  internal::EvalCase ec(record, dataDictionary, transformations);
  return Evaluate(ec);
}

const ScoreValue* TransformVar::EvaluateAsSource(internal::EvalCase& ec) const {
  if (ec.pass() != 0 && memo_pass_ == ec.pass() && !evaluating_) return result_.get();
  return Evaluate(ec);
}

const ScoreValue* TransformVar::Evaluate(internal::EvalCase& ec) const {
  if (result_ == nullptr) {
    result_ = NewResultValue(GetVarType());
    result_type_ = result_->GetType();
  }
  // A variable that needs itself, directly or through others, would recurse
  // without end: the inner call answers the missing result instead.
  if (evaluating_) {
    ec.NoteCycleCut();
    SetMissingResult();
    return result_.get();
  }
  evaluating_ = true;
  const int cuts_before = ec.cycle_cuts();
  switch (trans_expression_) {
    case TransformationDictionary::kCONSTANT:
      SetConstantResult();
      break;
    case TransformationDictionary::kAPPLY:
      SetApplyResult(ec);
      break;
    case TransformationDictionary::kNO_EXPRESSION:
      // The result keeps what it holds.
      break;
    default:
      SetSourceResult(ec);
      break;
  }
  if (result_type_ == ScoreValue::kSTRING_VALUE && GetWidth() >= 0) CutToWidth();
  evaluating_ = false;
  // A result reached without cutting a cycle is the same wherever the
  // evaluation started, so the rest of the pass may reuse it.
  if (ec.pass() != 0 && ec.cycle_cuts() == cuts_before) memo_pass_ = ec.pass();
  return result_.get();
}

void TransformVar::SetConstantResult() const {
  switch (result_type_) {
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
}

void TransformVar::SetSourceResult(internal::EvalCase& ec) const {
  const int k = ec.Resolve(field_name_, &source_stamp_, &source_operand_);
  const ScoreValue* source_value = ec.Value(k, field_name_);
  const ScoreDictVar* source = nullptr;
  // Only the table lookups and an absent value need the variable.
  if (source_value == nullptr || trans_expression_ == TransformationDictionary::kMAPVALUES ||
      trans_expression_ == TransformationDictionary::kDISCRETIZE ||
      trans_expression_ == TransformationDictionary::kNORMDISCRETE) {
    source = ec.Var(k, field_name_);
  }
  // A derived field is not in the case: compute it now, to any depth.
  if (source_value == nullptr && source != nullptr && source->IsDerivedVariable()) {
    if (const TransformVar* derived = ec.AsDerived(k, source)) {
      source_value = derived->EvaluateAsSource(ec);
    }
  }

  switch (trans_expression_) {
    case TransformationDictionary::kFIELDREF:
      TakeValue(source_value);
      return;
    case TransformationDictionary::kNORMCONTINUOUS: {
      const double x =
          source_value != nullptr ? source_value->GetDouble() : NumericValue::GetSysmisValue();
      if (NumericValue::IsSystemMissingValue(x)) {
        SetMissingResult();
      } else if (result_type_ == ScoreValue::kSTRING_VALUE) {
        // A text variable holds the number as text.
        static_cast<StringValue*>(result_.get())
            ->SetString(NumericValue(GetNormValue(x)).GetString());
      } else {
        static_cast<NumericValue*>(result_.get())->SetDoubleValue(GetNormValue(x));
      }
      return;
    }
    case TransformationDictionary::kDISCRETIZE:
      // A bin holding a plain number answers with it, as taking the bin
      // value would.
      if (source_value != nullptr && SetTableNumber(*source_value, ec, k)) return;
      TakeValue(GetBinningValue(source, source_value));
      return;
    default:  // kMAPVALUES, kNORMDISCRETE
      if (source_value != nullptr && SetTableNumber(*source_value, ec, k)) return;
      TakeValue(EncodedValue(source, source_value, ec, k));
      return;
  }
}

void TransformVar::SetApplyResult(internal::EvalCase& ec) const {
  if (root_ == nullptr) {
    SetMissingResult();
    return;
  }
  std::unique_ptr<internal::ApplyProgram> once;
  internal::ApplyProgram& program =
      program_ != nullptr && program_->Describes(root_.get()) ? *program_ : CurrentProgram(&once);
  program.Bind(ec);
  // The evaluator answers through this variable's working values.
  ApplyEvaluator evaluator(working_numeric_.get(), working_string_.get(), working_date_time_.get());
  if (result_type_ == ScoreValue::kNUMERIC_VALUE) {
    // A number for a number: straight into the result.
    double x = 0.0;
    if (evaluator.RunNumber(program, ec, &x)) {
      static_cast<NumericValue*>(result_.get())->SetDoubleValue(x);
      return;
    }
  }
  TakeValue(evaluator.Run(program, ec));
}

void TransformVar::CutToWidth() const {
  auto* text = static_cast<StringValue*>(result_.get());
  const std::string::size_type width = static_cast<std::string::size_type>(GetWidth());
  std::string held = text->GetString();
  if (held.size() > width) {
    held.resize(width);
    text->SetString(held);
  }
  text->SetLength(GetWidth());
}

void TransformVar::TakeValue(const ScoreValue* value) const {
  if (value == nullptr) {
    SetMissingResult();
    return;
  }
  if (result_type_ == ScoreValue::kNUMERIC_VALUE) {
    // A plain number takes only a plain number; anything else would leave
    // the previous case's value behind.
    if (value->GetType() == ScoreValue::kNUMERIC_VALUE) {
      static_cast<NumericValue*>(result_.get())->SetDoubleValue(value->GetDouble());
    } else {
      SetMissingResult();
    }
    return;
  }
  result_->SetValue(value);
}

const ScoreValue* TransformVar::GetEncodedValue(const ScoreDictVar* source,
                                                const ScoreValue* value) const {
  ResetWorkingValue();
  if (value == nullptr) return MissingInputValue(false);
  const int row = FindEncoding(*value, nullptr);
  if (row >= 0) return encodings_[static_cast<std::size_t>(row)].second.get();
  return HandleMissingAndInvalidValue(source, GetVarType(), value);
}

const ScoreValue* TransformVar::EncodedValue(const ScoreDictVar* source, const ScoreValue* value,
                                             internal::EvalCase& ec, int k) const {
  // The key text of a field read by many value maps is trimmed once a case.
  const std::string* key = nullptr;
  if (k >= 0 && value != nullptr && typeid(*value) == typeid(StringValue)) {
    key = ec.TrimmedText(k, *value);
  }
  ResetWorkingValue();
  if (value == nullptr) return MissingInputValue(false);
  const int row = FindEncoding(*value, key);
  if (row >= 0) return encodings_[static_cast<std::size_t>(row)].second.get();
  return HandleMissingAndInvalidValue(source, GetVarType(), value);
}

int TransformVar::FindEncoding(const ScoreValue& value, const std::string* trimmed) const {
  if (encoding_index_state_ == Index::kUnknown) BuildEncodingIndex();
  if (encoding_index_state_ == Index::kBuilt) {
    if (typeid(value) == typeid(StringValue)) {
      std::string text;
      if (trimmed == nullptr) {
        text = value.GetString();
        text.resize(WithoutTrailingSpaces(text).size());
        trimmed = &text;
      }
      const EncodingKey* key = FindKey(*trimmed);
      return key != nullptr ? key->row : -1;
    }
    // No text key equals anything but a text.
    if (dynamic_cast<const StringValue*>(&value) == nullptr) return -1;
  }
  for (std::size_t i = 0; i < encodings_.size(); ++i) {
    const ScoreValue* key = encodings_[i].first.get();
    if (key != nullptr && *key == value) return static_cast<int>(i);
  }
  return -1;
}

const TransformVar::EncodingKey* TransformVar::FindKey(std::string_view key) const {
  if (encoding_index_.empty()) {
    const std::uint64_t head = Head(key);
    for (std::size_t i = 0; i < encoding_keys_.size(); ++i) {
      const EncodingKey& entry = encoding_keys_[i];
      if (entry.head == head && entry.size == key.size() &&
          (key.size() <= sizeof head || std::string_view(encoding_texts_[i]) == key)) {
        return &entry;
      }
    }
    return nullptr;
  }
  const auto found = encoding_index_.find(key);
  return found != encoding_index_.end() ? &encoding_keys_[static_cast<std::size_t>(found->second)]
                                        : nullptr;
}

void TransformVar::BuildEncodingIndex() const {
  // Texts equal one another once trailing spaces are dropped, and never
  // equal anything but a text: a table of texts is searched by that key.
  encoding_index_state_ = Index::kBuilt;
  encoding_keys_.clear();
  encoding_texts_.clear();
  encoding_index_.clear();
  for (std::size_t i = 0; i < encodings_.size(); ++i) {
    const ScoreValue* key = encodings_[i].first.get();
    if (key == nullptr) continue;
    if (typeid(*key) != typeid(StringValue)) {
      encoding_index_state_ = Index::kNone;
      encoding_keys_.clear();
      encoding_texts_.clear();
      return;
    }
    const std::string text = key->GetString();
    const std::string_view trimmed = WithoutTrailingSpaces(text);
    bool seen = false;
    for (const std::string& known : encoding_texts_)
      seen = seen || std::string_view(known) == trimmed;
    // The first row of a key answers for it.
    if (seen) continue;
    const ScoreValue* encoded = encodings_[i].second.get();
    const bool plain = encoded != nullptr && typeid(*encoded) == typeid(NumericValue);
    encoding_keys_.push_back({Head(trimmed), trimmed.size(), static_cast<int>(i), plain,
                              plain ? encoded->GetDouble() : 0.0});
    encoding_texts_.emplace_back(trimmed);
  }
  // A few keys are compared in turn; more are hashed.
  constexpr std::size_t kLinear = 8;
  if (encoding_keys_.size() > kLinear) {
    for (std::size_t i = 0; i < encoding_texts_.size(); ++i) {
      encoding_index_.emplace(encoding_texts_[i], static_cast<int>(i));
    }
  }
}

bool TransformVar::SetTableNumber(const ScoreValue& value, internal::EvalCase& ec, int k) const {
  if (result_type_ != ScoreValue::kNUMERIC_VALUE) return false;
  double number = 0.0;
  if (trans_expression_ == TransformationDictionary::kDISCRETIZE) {
    if (typeid(value) != typeid(NumericValue)) return false;
    const int bin = FindBin(value);
    if (bin < 0 || bin_bounds_state_ != Index::kBuilt ||
        !bin_bounds_[static_cast<std::size_t>(bin)].plain_number) {
      return false;
    }
    number = bin_bounds_[static_cast<std::size_t>(bin)].number;
  } else {
    if (k < 0 || typeid(value) != typeid(StringValue)) return false;
    if (encoding_index_state_ == Index::kUnknown) BuildEncodingIndex();
    if (encoding_index_state_ != Index::kBuilt) return false;
    const std::string* text = ec.TrimmedText(k, value);
    if (text == nullptr) return false;
    const EncodingKey* key = FindKey(*text);
    if (key == nullptr || !key->plain_number) return false;
    number = key->number;
  }
  static_cast<NumericValue*>(result_.get())->SetDoubleValue(number);
  return true;
}

const ScoreValue* TransformVar::GetBinningValue(const ScoreDictVar* source,
                                                const ScoreValue* value) const {
  ResetWorkingValue();
  if (value == nullptr || (value->GetType() != ScoreValue::kNUMERIC_VALUE &&
                           value->GetType() != ScoreValue::kDATETIME_VALUE)) {
    return MissingInputValue(true);
  }
  const int bin = FindBin(*value);
  if (bin >= 0) {
    const ScoreValue* bin_value = bins_[static_cast<std::size_t>(bin)].second.get();
    return bin_value != nullptr ? bin_value : value;
  }
  return HandleMissingAndInvalidValue(source, GetVarType(), value);
}

int TransformVar::FindBin(const ScoreValue& value) const {
  if (bin_bounds_state_ == Index::kUnknown) BuildBinBounds();
  // A plain number against plain-number ends compares as NumericValue's
  // operators do; anything else asks the intervals.
  if (bin_bounds_state_ == Index::kBuilt && typeid(value) == typeid(NumericValue)) {
    const double x = value.GetDouble();
    if (NumericValue::IsSystemMissingValue(x)) return -1;
    for (std::size_t i = 0; i < bin_bounds_.size(); ++i) {
      const BinBounds& bin = bin_bounds_[i];
      if (!bin.present) continue;
      const bool above_min = x > bin.min || (bin.low_included && NumericValue::IsEqual(x, bin.min));
      if (!above_min) continue;
      const bool below_max =
          x < bin.max || (bin.high_included && NumericValue::IsEqual(x, bin.max));
      if (below_max) return static_cast<int>(i);
    }
    return -1;
  }
  for (std::size_t i = 0; i < bins_.size(); ++i) {
    const ScoreValueRange* interval = bins_[i].first.get();
    if (interval != nullptr && interval->IsInRange(&value)) return static_cast<int>(i);
  }
  return -1;
}

void TransformVar::BuildBinBounds() const {
  bin_bounds_state_ = Index::kBuilt;
  bin_bounds_.clear();
  bin_bounds_.reserve(bins_.size());
  for (const Bin& bin : bins_) {
    const ScoreValueRange* interval = bin.first.get();
    if (interval == nullptr) {
      bin_bounds_.push_back({false, false, false, false, 0.0, 0.0, 0.0});
      continue;
    }
    const ScoreValue* min = interval->GetMin();
    const ScoreValue* max = interval->GetMax();
    if (typeid(*interval) != typeid(Range) || min == nullptr || max == nullptr ||
        typeid(*min) != typeid(NumericValue) || typeid(*max) != typeid(NumericValue)) {
      bin_bounds_state_ = Index::kNone;
      bin_bounds_.clear();
      return;
    }
    const double low = min->GetDouble();
    const double high = max->GetDouble();
    // An end at the system-missing value never admits anything.
    const bool present =
        !NumericValue::IsSystemMissingValue(low) && !NumericValue::IsSystemMissingValue(high);
    const ScoreValue* value = bin.second.get();
    const bool plain = value != nullptr && typeid(*value) == typeid(NumericValue);
    bin_bounds_.push_back({present, interval->GetLowEnd(), interval->GetHighEnd(), plain, low, high,
                           plain ? value->GetDouble() : 0.0});
  }
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
  if (result_type_ == ScoreValue::kSTRING_VALUE) {
    static_cast<StringValue*>(result_.get())->SetString(std::string());
  } else {
    static_cast<NumericValue*>(result_.get())->SetDoubleValue(NumericValue::GetSysmisValue());
  }
}

internal::ApplyProgram& TransformVar::CurrentProgram(
    std::unique_ptr<internal::ApplyProgram>* once) const {
  if (program_ != nullptr && program_->Describes(root_.get())) return *program_;
  const FunctionTree* parent = root_->GetParent();
  auto program = std::make_unique<internal::ApplyProgram>(
      *root_, parent != nullptr ? parent->GetNodeStats().GetTransformFunction()
                                : TransformationDictionary::kFN_NONE);
  // A program that cannot tell the tree's changes is not kept.
  if (!program->Describes(root_.get())) {
    *once = std::move(program);
    return **once;
  }
  program_.reset(program.release());
  return *program_;
}

}  // namespace MCOrvane_600
