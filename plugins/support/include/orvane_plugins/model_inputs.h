#ifndef ORVANE_PLUGINS_MODEL_INPUTS_H_
#define ORVANE_PLUGINS_MODEL_INPUTS_H_

// The fields that one model element's algorithm reads, and the texts with
// which its document names their categories.

#include <memory>
#include <string>
#include <vector>

#include "orvane_plugins/field_reading.h"
#include "orvane_plugins/model_algorithm.h"

namespace orvane_plugins {

// The distinct fields an algorithm reads, numbered in the order they were
// first named.
class ModelInputs {
 public:
  ModelInputs() = default;
  ModelInputs(const ModelInputs&) = delete;
  ModelInputs& operator=(const ModelInputs&) = delete;

  // The number of field `name`, which `element` (for the message) names.
  // `required`: a case in which the field has no value gets no prediction.
  // Code 8 (kCodeVariableName) when the scope has no such field.
  int Add(const std::string& name, bool required, const std::string& element,
          const ReadContext& context);
  // Code 11 (kCodeTypeOrLevel) unless field `index` holds numbers.
  void RequireNumeric(int index, const std::string& element) const;

  size_t size() const { return names_.size(); }
  const std::string& name(int index) const { return names_[index]; }
  // Lent by the read context.
  const MCOrvane_600::ScoreDictVar* field(int index) const { return fields_[index]; }
  // The field's slot in the scope's values (-1: read by name).
  int slot(int index) const { return slots_[index]; }

  // Each field's value in this case by number (null when it has none); lent
  // until the next case. False, with advice 102 in `out` for every required
  // field that has no value, when the case cannot be scored.
  bool Fetch(const FieldValues& fields, std::vector<const MCOrvane_600::ScoreValue*>* values,
             Prediction* out) const;

 private:
  std::vector<std::string> names_;
  std::vector<const MCOrvane_600::ScoreDictVar*> fields_;
  std::vector<int> slots_;  // each field's slot in the scope's values
  std::vector<bool> required_;
};

// Fills a classification's prediction: each category's probability in the
// given order and the most probable category (the first of equals).
// `kept`, when not null: `categories` (lent) stays as it is while the model
// lives and names the order of the prediction's categories, and `kept` is
// the algorithm's own list for them (texts written once, numbers each case),
// lent to the prediction until the algorithm's next case.
void SetDistribution(const std::vector<std::string>& categories,
                     const std::vector<double>& probabilities, Prediction* out,
                     std::vector<std::pair<std::string, double>>* kept = nullptr);


// A category of one field as the document writes it, held in the field's own
// type so that case values compare with it as the field's values compare.
class FieldCategory {
 public:
  // `field` is lent and may be null (the text is then compared as a text).
  FieldCategory(const MCOrvane_600::ScoreDictVar* field, const std::string& text);
  FieldCategory(FieldCategory&&) = default;
  FieldCategory& operator=(FieldCategory&&) = default;
  ~FieldCategory();

  const std::string& text() const { return text_; }
  // False for a missing value.
  bool Matches(const MCOrvane_600::ScoreValue* value) const;

 private:
  std::string text_;
  std::unique_ptr<MCOrvane_600::ScoreValue> value_;  // null when the type has no parse
  double number_ = 0.0;
  bool is_number_ = false;
};

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_MODEL_INPUTS_H_
