#include "orvane_plugins/model_inputs.h"

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/model/result_advice.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/element_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreValue;

namespace {
constexpr int kAdviceMissingPredictor = 102;
}  // namespace

int ModelInputs::Add(const std::string& name, bool required, const std::string& element,
                     const ReadContext& context) {
  for (size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) {
      if (required) required_[i] = true;
      return static_cast<int>(i);
    }
  }
  const ScoreDictVar* field = context.Field(name);
  if (field == nullptr) {
    throw OVException(OVException::kCodeVariableName,
                      element + ": field " + name + " is not defined");
  }
  names_.push_back(name);
  fields_.push_back(field);
  slots_.push_back(context.Slot(name));
  required_.push_back(required);
  return static_cast<int>(names_.size() - 1);
}

void ModelInputs::RequireNumeric(int index, const std::string& element) const {
  if (fields_[index]->GetVarType() == ScoreDictVar::kSTRING_VAR) {
    throw OVException(OVException::kCodeTypeOrLevel,
                      element + ": field " + names_[index] + " does not hold numbers");
  }
}

bool ModelInputs::Fetch(const FieldValues& fields, std::vector<const ScoreValue*>* values,
                        Prediction* out) const {
  values->resize(names_.size());
  bool complete = true;
  for (size_t i = 0; i < names_.size(); ++i) {
    const ScoreValue* value = fields.Read(slots_[i], names_[i]);
    if (IsMissing(value)) {
      value = nullptr;
      if (required_[i]) {
        complete = false;
        out->advice.emplace_back(kAdviceMissingPredictor, names_[i]);
      }
    }
    (*values)[i] = value;
  }
  return complete;
}

void SetDistribution(const std::vector<std::string>& categories,
                     const std::vector<double>& probabilities, Prediction* out,
                     std::vector<std::pair<std::string, double>>* kept) {
  size_t best = 0;
  for (size_t j = 0; j < probabilities.size(); ++j) {
    if (probabilities[j] > probabilities[best]) best = j;
  }
  out->ClearProbabilities();
  out->is_category = true;
  out->valid = true;
  if (kept == nullptr) {
    for (size_t j = 0; j < probabilities.size(); ++j) {
      out->probabilities.emplace_back(categories[j], probabilities[j]);
    }
    out->category.Set(categories[best]);
    return;
  }
  if (kept->size() != probabilities.size()) {
    kept->clear();
    for (size_t j = 0; j < probabilities.size(); ++j) kept->emplace_back(categories[j], 0.0);
  }
  for (size_t j = 0; j < probabilities.size(); ++j) (*kept)[j].second = probabilities[j];
  out->lent_probabilities = kept;
  out->category_order = &categories;
  out->category.Lend(&categories[best], static_cast<int>(best));
}

FieldCategory::FieldCategory(const ScoreDictVar* field, const std::string& text) : text_(text) {
  if (field != nullptr) value_.reset(field->ToMyValue(text));
  is_number_ = ParseNumber(text, &number_);
}

FieldCategory::~FieldCategory() = default;

bool FieldCategory::Matches(const ScoreValue* value) const {
  if (IsMissing(value)) return false;
  if (value_ != nullptr && value->GetType() == value_->GetType()) {
    return value_->Equal(value, false, false);
  }
  // A value of another type than the field's (a derived field, a date): a
  // number against a number, anything else by its text.
  if (value->GetType() == ScoreValue::kNUMERIC_VALUE) {
    return is_number_ && value->GetDouble() == number_;
  }
  return value->GetString() == text_;
}

}  // namespace orvane_plugins
