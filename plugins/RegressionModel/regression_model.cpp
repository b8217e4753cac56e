// The RegressionModel algorithm: one regression table per target category
// (one for a numeric target), each an intercept plus numeric, categorical and
// product terms, and a normalisation that turns the tables' values into a
// number or into category probabilities.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/link_functions.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_function.h"
#include "orvane_plugins/model_inputs.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

enum class Normalization { kNone, kSimplemax, kSoftmax, kLogit, kProbit, kCloglog, kExp, kLoglog, kCauchit };

Normalization ParseNormalization(const std::string& text, const std::string& element) {
  static const struct {
    const char* name;
    Normalization method;
  } kMethods[] = {
      {"none", Normalization::kNone},       {"simplemax", Normalization::kSimplemax},
      {"softmax", Normalization::kSoftmax}, {"logit", Normalization::kLogit},
      {"probit", Normalization::kProbit},   {"cloglog", Normalization::kCloglog},
      {"exp", Normalization::kExp},         {"loglog", Normalization::kLoglog},
      {"cauchit", Normalization::kCauchit},
  };
  if (text.empty()) return Normalization::kNone;
  for (const auto& entry : kMethods) {
    if (text == entry.name) return entry.method;
  }
  throw OVException(OVException::kCodeUnsupported,
                    element + ": normalizationMethod \"" + text + "\" is not supported");
}

// The distribution function of a method that maps one value to a
// probability; false for none, simplemax, softmax and exp.
bool CdfOf(Normalization method, CdfKind* kind) {
  switch (method) {
    case Normalization::kLogit:
      *kind = CdfKind::kLogit;
      return true;
    case Normalization::kProbit:
      *kind = CdfKind::kProbit;
      return true;
    case Normalization::kCloglog:
      *kind = CdfKind::kCloglog;
      return true;
    case Normalization::kLoglog:
      *kind = CdfKind::kLoglog;
      return true;
    case Normalization::kCauchit:
      *kind = CdfKind::kCauchit;
      return true;
    default:
      return false;
  }
}

// One term of a table: coefficient * product of factors.
struct Factor {
  int input;
  enum Kind { kPower, kCategory } kind;
  double exponent;               // kPower
  int category;                  // kCategory: index into categories_
  bool has_missing_replacement;  // a FieldRef's mapMissingTo
  double missing_replacement;
};

struct Term {
  double coefficient;
  std::vector<Factor> factors;
};

struct Table {
  std::string category;
  double intercept;
  std::vector<Term> terms;
};

class RegressionAlgorithm : public ModelAlgorithm {
 public:
  RegressionAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;
  bool Compile(const PlainLayout& layout) override;
  void PredictPlain(const PlainCase& c, Prediction* out) const override;

 private:
  // The case's inputs as a table reads them: each power factor's number,
  // each category factor's match.
  struct ValuesOfCase {
    const RegressionAlgorithm& model;
    const std::vector<const ScoreValue*>& values;
    double Number(const Factor& factor) const {
      const ScoreValue* value = values[factor.input];
      return value == nullptr ? factor.missing_replacement : value->GetDouble();
    }
    bool Matches(const Factor& factor) const {
      return model.categories_[factor.category].Matches(values[factor.input]);
    }
    double Table(size_t j) const { return model.TableValue(model.tables_[j], *this); }
  };
  struct PlainValues {
    const RegressionAlgorithm& model;
    const PlainCase& c;
    double Number(const Factor& factor) const { return c.numbers[model.slots_[factor.input]]; }
    bool Matches(const Factor& factor) const {
      return model.matches_[factor.category][c.categories[model.slots_[factor.input]]] != 0;
    }
    // A table of plain terms as a sum over slots, in the terms' order (the
    // same operations as TableValue).
    double Table(size_t j) const {
      const Linear& linear = model.linear_[j];
      if (!linear.plain) return model.TableValue(model.tables_[j], *this);
      double sum = linear.intercept;
      for (const auto& term : linear.terms) sum += term.second * c.numbers[term.first];
      return sum;
    }
  };
  // A table whose every term is a coefficient times one number: the slot and
  // coefficient of each.
  struct Linear {
    bool plain = false;
    double intercept = 0.0;
    std::vector<std::pair<int, double>> terms;
  };

  void ReadTable(DOMElement* element, const ReadContext& context);
  template <class Values>
  double TableValue(const Table& table, const Values& values) const;
  template <class Values>
  void Finish(const Values& values, Prediction* out) const;
  void Classify(const std::vector<double>& y, Prediction* out) const;

  bool classification_ = false;
  bool ordinal_ = false;
  Normalization normalization_ = Normalization::kNone;
  bool has_cdf_ = false;  // normalization_ maps one value through cdf_
  CdfKind cdf_ = CdfKind::kLogit;
  ModelInputs inputs_;
  std::vector<FieldCategory> categories_;
  std::vector<Table> tables_;
  std::vector<std::string> categories_of_tables_;  // in table order
  // The distribution over categories_of_tables_ lent to the prediction (one case at a time).
  mutable std::vector<std::pair<std::string, double>> distribution_;
  // Working lists kept from case to case (a model scores one case at a
  // time): the inputs, each table's value, the probabilities.
  struct Scratch {
    std::vector<const ScoreValue*> values;
    std::vector<double> y;
    std::vector<double> p;
  };
  mutable Scratch scratch_;
  // Plain cases: each input's slot, and for each category factor whether
  // each category of its slot matches.
  std::vector<int> slots_;
  std::vector<std::vector<char>> matches_;
  std::vector<Linear> linear_;  // by table
};

RegressionAlgorithm::RegressionAlgorithm(DOMElement* model, ReadContext* context) {
  const std::string name = ElementName(model, *context);
  static const char* const kChildren[] = {
      "Extension", "MiningSchema",         "Output",          "ModelStats",
      "ModelExplanation", "Targets",       "LocalTransformations", "RegressionTable",
      "ModelVerification", nullptr};
  RefuseUnknownChildren(model, kChildren, *context);
  classification_ = IsClassification(model, *context);
  normalization_ = ParseNormalization(Attribute(model, "normalizationMethod", *context), name);
  has_cdf_ = CdfOf(normalization_, &cdf_);

  for (DOMElement* table : ChildElements(model, "RegressionTable")) ReadTable(table, *context);
  if (tables_.empty()) {
    throw OVException(OVException::kCodeStructure, name + ": RegressionTable is absent");
  }

  if (!classification_) {
    if (tables_.size() != 1) {
      throw OVException(OVException::kCodeStructure,
                        name + ": a regression has exactly one RegressionTable");
    }
    if (normalization_ == Normalization::kSimplemax) {
      throw OVException(OVException::kCodeUnsupported,
                        name + ": normalizationMethod \"simplemax\" does not apply to regression");
    }
    return;
  }

  if (tables_.size() < 2) {
    throw OVException(OVException::kCodeStructure,
                      name + ": a classification needs a RegressionTable per category");
  }
  for (size_t i = 0; i < tables_.size(); ++i) {
    if (tables_[i].category.empty()) {
      throw OVException(OVException::kCodeAbsent, "RegressionTable: attribute targetCategory is absent");
    }
    for (size_t j = 0; j < i; ++j) {
      if (tables_[j].category == tables_[i].category) {
        throw OVException(OVException::kCodeStructure, "RegressionTable: targetCategory \"" +
                                                           tables_[i].category + "\" is repeated");
      }
    }
  }
  for (const Table& table : tables_) categories_of_tables_.push_back(table.category);
  const ScoreDictVar* target = context->Field(context->TargetName());
  ordinal_ = target != nullptr && target->GetMLevel() == ScoreDictVar::kORDINAL;
  const bool binary = tables_.size() == 2;
  if (normalization_ == Normalization::kExp || (has_cdf_ && !binary && !ordinal_)) {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": this normalizationMethod does not give probabilities of " +
                          std::to_string(tables_.size()) + " unordered categories");
  }
}

void RegressionAlgorithm::ReadTable(DOMElement* element, const ReadContext& context) {
  static const char* const kChildren[] = {"Extension", "NumericPredictor", "CategoricalPredictor",
                                          "PredictorTerm", nullptr};
  RefuseUnknownChildren(element, kChildren, context);
  Table table;
  table.category = Attribute(element, "targetCategory", context);
  table.intercept = RequiredNumberAttribute(element, "intercept", context);
  for (DOMElement* child : Children(element)) {
    const std::string kind = ElementName(child, context);
    if (kind == "Extension") continue;
    Term term;
    term.coefficient = RequiredNumberAttribute(child, "coefficient", context);
    if (kind == "NumericPredictor") {
      const int input = inputs_.Add(RequiredAttribute(child, "name", context), true, kind, context);
      inputs_.RequireNumeric(input, kind);
      term.factors.push_back(
          {input, Factor::kPower, NumberAttribute(child, "exponent", 1.0, context), 0, false, 0.0});
    } else if (kind == "CategoricalPredictor") {
      const int input = inputs_.Add(RequiredAttribute(child, "name", context), true, kind, context);
      if (!HasAttribute(child, "value")) RequiredAttribute(child, "value", context);
      categories_.emplace_back(inputs_.field(input), Attribute(child, "value", context));
      term.factors.push_back({input, Factor::kCategory, 1.0,
                              static_cast<int>(categories_.size() - 1), false, 0.0});
    } else {  // PredictorTerm
      static const char* const kTermChildren[] = {"Extension", "FieldRef", nullptr};
      RefuseUnknownChildren(child, kTermChildren, context);
      for (DOMElement* ref : ChildElements(child, "FieldRef")) {
        const bool replaced = HasAttribute(ref, "mapMissingTo");
        double replacement = 0.0;
        if (replaced && !ParseNumber(Attribute(ref, "mapMissingTo", context), &replacement)) {
          throw OVException(OVException::kCodeConversion,
                            "FieldRef: attribute mapMissingTo is not a number");
        }
        const int input =
            inputs_.Add(RequiredAttribute(ref, "field", context), !replaced, "FieldRef", context);
        inputs_.RequireNumeric(input, "FieldRef");
        term.factors.push_back({input, Factor::kPower, 1.0, 0, replaced, replacement});
      }
      if (term.factors.empty()) {
        throw OVException(OVException::kCodeStructure, "PredictorTerm: FieldRef is absent");
      }
    }
    table.terms.push_back(std::move(term));
  }
  tables_.push_back(std::move(table));
}

template <class Values>
double RegressionAlgorithm::TableValue(const Table& table, const Values& values) const {
  double sum = table.intercept;
  for (const Term& term : table.terms) {
    double product = term.coefficient;
    for (const Factor& factor : term.factors) {
      if (factor.kind == Factor::kCategory) {
        product *= values.Matches(factor) ? 1.0 : 0.0;
        continue;
      }
      const double x = values.Number(factor);
      product *= factor.exponent == 1.0 ? x : std::pow(x, factor.exponent);
    }
    sum += product;
  }
  return sum;
}

void RegressionAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  std::vector<const ScoreValue*>& values = scratch_.values;
  if (!inputs_.Fetch(fields, &values, out)) {
    out->valid = false;
    return;
  }
  Finish(ValuesOfCase{*this, values}, out);
}

// Numbers for power factors; a category factor over a category slot, its
// match worked out for each category.
bool RegressionAlgorithm::Compile(const PlainLayout& layout) {
  std::vector<int> slots;
  for (size_t i = 0; i < inputs_.size(); ++i) {
    const int slot = inputs_.slot(static_cast<int>(i));
    if (slot < 0 || static_cast<size_t>(slot) >= layout.kinds.size() ||
        layout.kinds[slot] == PlainLayout::kNone) {
      return false;
    }
    slots.push_back(slot);
  }
  std::vector<std::vector<char>> matches(categories_.size());
  for (const Table& table : tables_) {
    for (const Term& term : table.terms) {
      for (const Factor& factor : term.factors) {
        const int slot = slots[factor.input];
        const bool number = layout.kinds[slot] == PlainLayout::kNumber;
        if (factor.kind == Factor::kPower) {
          if (!number) return false;
          continue;
        }
        if (number) return false;
        std::vector<char>& match = matches[factor.category];
        match.clear();
        for (const std::string& text : layout.categories[slot]) {
          const MCOrvane_600::StringValue value(text);
          match.push_back(categories_[factor.category].Matches(&value) ? 1 : 0);
        }
      }
    }
  }
  std::vector<Linear> linear(tables_.size());
  for (size_t j = 0; j < tables_.size(); ++j) {
    linear[j].plain = true;
    linear[j].intercept = tables_[j].intercept;
    for (const Term& term : tables_[j].terms) {
      const Factor& factor = term.factors[0];
      if (term.factors.size() != 1 || factor.kind != Factor::kPower || factor.exponent != 1.0) {
        linear[j].plain = false;
        break;
      }
      linear[j].terms.emplace_back(layout.Place(slots[factor.input]), term.coefficient);
    }
  }
  for (int& slot : slots) slot = layout.Place(slot);
  slots_ = std::move(slots);
  matches_ = std::move(matches);
  linear_ = std::move(linear);
  return true;
}

void RegressionAlgorithm::PredictPlain(const PlainCase& c, Prediction* out) const {
  Finish(PlainValues{*this, c}, out);
}

template <class Values>
void RegressionAlgorithm::Finish(const Values& values, Prediction* out) const {
  if (!classification_) {
    const double y = values.Table(0);
    if (has_cdf_) {
      out->value = Cdf(cdf_, y);
    } else if (normalization_ == Normalization::kSoftmax) {
      out->value = Cdf(CdfKind::kLogit, y);
    } else if (normalization_ == Normalization::kExp) {
      out->value = std::exp(y);
    } else {
      out->value = y;
    }
    out->valid = true;
    return;
  }
  std::vector<double>& y = scratch_.y;
  y.resize(tables_.size());
  for (size_t j = 0; j < tables_.size(); ++j) y[j] = values.Table(j);
  Classify(y, out);
}

void RegressionAlgorithm::Classify(const std::vector<double>& y, Prediction* out) const {
  const size_t n = y.size();
  std::vector<double>& p = scratch_.p;
  p.assign(n, 0.0);
  if (normalization_ == Normalization::kSoftmax) {
    double top = y[0];
    for (double v : y) top = std::max(top, v);
    double sum = 0.0;
    for (size_t j = 0; j < n; ++j) sum += p[j] = std::exp(y[j] - top);
    for (double& v : p) v /= sum;
  } else if (normalization_ == Normalization::kSimplemax) {
    double sum = 0.0;
    for (double v : y) sum += v;
    for (size_t j = 0; j < n; ++j) p[j] = y[j] / sum;
  } else {
    // none and the distribution functions: the first n - 1 tables give
    // probabilities (cumulative ones for an ordered target), the last
    // category takes the rest.
    double previous = 0.0;
    double sum = 0.0;
    for (size_t j = 0; j + 1 < n; ++j) {
      const double f = has_cdf_ ? Cdf(cdf_, y[j]) : y[j];
      if (ordinal_) {
        p[j] = f - previous;
        previous = f;
      } else {
        p[j] = f;
        sum += f;
      }
    }
    p[n - 1] = ordinal_ ? 1.0 - previous : 1.0 - sum;
  }
  SetDistribution(categories_of_tables_, p, out, &distribution_);
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::RegressionAlgorithm(model, context);
}
