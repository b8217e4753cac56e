// The Scorecard algorithm: each Characteristic awards the partial score of
// its first Attribute whose predicate is TRUE (a number, or a
// ComplexPartialScore expression computed for the case); the score is the
// initial score plus the awards. Reason codes rank each awarded attribute's
// distance from its characteristic's baseline, summed per code.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_element.h"
#include "orvane_plugins/model_inputs.h"
#include "orvane_plugins/predicate.h"

namespace orvane_plugins {
namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;

struct ScoredAttribute {
  std::unique_ptr<Predicate> predicate;
  double partial_score = 0.0;
  std::unique_ptr<DerivedFields> complex;  // null: partial_score holds
  int reason_code = -1;                    // index into reason_codes_; -1 without codes
};

struct Characteristic {
  std::vector<ScoredAttribute> attributes;
  double baseline = 0.0;
};

// An XMLCh copy of a text, released on scope exit.
class XText {
 public:
  explicit XText(const std::string& text) : text_(xercesc::XMLString::transcode(text.c_str())) {}
  ~XText() { xercesc::XMLString::release(&text_); }
  XText(const XText&) = delete;
  XText& operator=(const XText&) = delete;
  const XMLCh* get() const { return text_; }

 private:
  XMLCh* text_;
};

bool ParseBoolean(const std::string& text, bool fallback, const std::string& what) {
  if (text.empty()) return fallback;
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  throw OVException(OVException::kCodeEmptyOrInvalid,
                    what + " \"" + text + "\" is not a boolean");
}

class ScorecardAlgorithm : public ModelAlgorithm {
 public:
  ScorecardAlgorithm(DOMElement* model, ReadContext* context);
  void Predict(const FieldValues& fields, Prediction* out) const override;

 private:
  void ReadCharacteristic(const DOMElement* element, bool has_baseline, double baseline,
                          ReadContext* context);
  DerivedFields* ReadComplexPartialScore(const DOMElement* element, const std::string& name,
                                         ReadContext* context);
  int ReasonCode(const std::string& code);

  double initial_score_ = 0.0;
  bool use_reason_codes_ = true;
  bool points_above_ = false;  // pointsAbove: partial - baseline; pointsBelow: baseline - partial
  std::vector<Characteristic> characteristics_;
  std::vector<std::string> reason_codes_;  // distinct, in document order
};

ScorecardAlgorithm::ScorecardAlgorithm(DOMElement* model, ReadContext* context) {
  const std::string name = ElementName(model, *context);
  static const char* const kChildren[] = {
      "Extension", "MiningSchema", "Output", "ModelStats", "ModelExplanation", "Targets",
      "LocalTransformations", "Characteristics", "ModelVerification", nullptr};
  CheckModelElement(model, kChildren, "regression", *context);
  initial_score_ = NumberAttribute(model, "initialScore", 0.0, *context);
  use_reason_codes_ = ParseBoolean(Attribute(model, "useReasonCodes", *context), true,
                                   name + ": attribute useReasonCodes");
  const std::string algorithm = Attribute(model, "reasonCodeAlgorithm", *context);
  if (algorithm == "pointsAbove") {
    points_above_ = true;
  } else if (!algorithm.empty() && algorithm != "pointsBelow") {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": reasonCodeAlgorithm \"" + algorithm + "\" is not supported");
  }
  // How the baselines were found at design time; scoring uses the scores.
  const std::string method = Attribute(model, "baselineMethod", *context);
  static const char* const kMethods[] = {"max", "min", "mean", "neutral", "other"};
  if (!method.empty() &&
      std::none_of(std::begin(kMethods), std::end(kMethods),
                   [&method](const char* known) { return method == known; })) {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": baselineMethod \"" + method + "\" is not supported");
  }
  const bool has_baseline = HasAttribute(model, "baselineScore");
  const double baseline = NumberAttribute(model, "baselineScore", 0.0, *context);

  const DOMElement* list = ChildElement(model, "Characteristics");
  if (list == nullptr) {
    throw OVException(OVException::kCodeStructure, name + ": Characteristics is absent");
  }
  static const char* const kListChildren[] = {"Extension", "Characteristic", nullptr};
  RefuseUnknownChildren(list, kListChildren, *context);
  for (const DOMElement* element : ChildElements(list, "Characteristic")) {
    ReadCharacteristic(element, has_baseline, baseline, context);
  }
  if (characteristics_.empty()) {
    throw OVException(OVException::kCodeStructure, "Characteristics: Characteristic is absent");
  }
}

int ScorecardAlgorithm::ReasonCode(const std::string& code) {
  for (size_t i = 0; i < reason_codes_.size(); ++i) {
    if (reason_codes_[i] == code) return static_cast<int>(i);
  }
  reason_codes_.push_back(code);
  return static_cast<int>(reason_codes_.size() - 1);
}

void ScorecardAlgorithm::ReadCharacteristic(const DOMElement* element, bool has_baseline,
                                            double baseline, ReadContext* context) {
  static const char* const kChildren[] = {"Extension", "Attribute", nullptr};
  RefuseUnknownChildren(element, kChildren, *context);
  const std::string name = Attribute(element, "name", *context);
  const std::string label =
      "Characteristic " + (name.empty() ? std::to_string(characteristics_.size() + 1) : name);
  Characteristic characteristic;
  if (use_reason_codes_) {
    if (!HasAttribute(element, "baselineScore") && !has_baseline) {
      throw OVException(OVException::kCodeAbsent, label + ": attribute baselineScore is absent");
    }
    characteristic.baseline = NumberAttribute(element, "baselineScore", baseline, *context);
  }
  const std::string code = Attribute(element, "reasonCode", *context);
  for (const DOMElement* child : ChildElements(element, "Attribute")) {
    ScoredAttribute attribute;
    const std::string where =
        label + ", Attribute " + std::to_string(characteristic.attributes.size() + 1);
    static const char* const kAttributeChildren[] = {
        "Extension", "SimplePredicate", "CompoundPredicate", "SimpleSetPredicate", "True",
        "False", "ComplexPartialScore", nullptr};
    RefuseUnknownChildren(child, kAttributeChildren, *context);
    attribute.predicate.reset(ReadPredicateChild(child, context));
    // A ComplexPartialScore takes precedence over the partialScore attribute.
    if (const DOMElement* complex = ChildElement(child, "ComplexPartialScore")) {
      attribute.complex.reset(ReadComplexPartialScore(complex, where, context));
    } else if (HasAttribute(child, "partialScore")) {
      attribute.partial_score = NumberAttribute(child, "partialScore", 0.0, *context);
    } else {
      throw OVException(OVException::kCodeAbsent, where + ": partialScore is absent");
    }
    if (use_reason_codes_) {
      const std::string own = Attribute(child, "reasonCode", *context);
      if (own.empty() && code.empty()) {
        throw OVException(OVException::kCodeAbsent, where + ": reasonCode is absent");
      }
      attribute.reason_code = ReasonCode(own.empty() ? code : own);
    }
    characteristic.attributes.push_back(std::move(attribute));
  }
  if (characteristic.attributes.empty()) {
    throw OVException(OVException::kCodeStructure, label + ": Attribute is absent");
  }
  characteristics_.push_back(std::move(characteristic));
}

// The expression is read as the one DerivedField of its own, so that every
// expression kind the transformations know computes it.
DerivedFields* ScorecardAlgorithm::ReadComplexPartialScore(const DOMElement* element,
                                                           const std::string& name,
                                                           ReadContext* context) {
  const DOMElement* expression = nullptr;
  for (const DOMElement* child : ChildElements(element)) {
    if (ElementName(child, *context) == "Extension") continue;
    if (expression != nullptr) {
      throw OVException(OVException::kCodeStructure,
                        name + ": ComplexPartialScore has more than one expression");
    }
    expression = child;
  }
  if (expression == nullptr) {
    throw OVException(OVException::kCodeAbsent,
                      name + ": the expression of ComplexPartialScore is absent");
  }
  xercesc::DOMDocument* document = element->getOwnerDocument();
  // A DerivedField in the document's own namespace and prefix; it stays an
  // orphan of the document, which owns and frees it.
  std::string tag = "DerivedField";
  if (element->getPrefix() != nullptr) tag = context->Text(element->getPrefix()) + ":" + tag;
  const XText qualified(tag);
  DOMElement* field = document->createElementNS(element->getNamespaceURI(), qualified.get());
  const XText name_key("name"), optype_key("optype"), type_key("dataType");
  const XText field_name("ComplexPartialScore of " + name), optype("continuous"), type("double");
  field->setAttribute(name_key.get(), field_name.get());
  field->setAttribute(optype_key.get(), optype.get());
  field->setAttribute(type_key.get(), type.get());
  field->appendChild(expression->cloneNode(true));
  return context->ReadDerivedFields({field});
}

void ScorecardAlgorithm::Predict(const FieldValues& fields, Prediction* out) const {
  double score = initial_score_;
  std::vector<double> points(reason_codes_.size(), 0.0);
  std::vector<int> met;  // reason codes in the order the characteristics award them
  std::vector<const ScoreValue*> computed;
  for (const Characteristic& characteristic : characteristics_) {
    // The first TRUE attribute awards; an UNKNOWN one first, or none TRUE,
    // leaves the score missing.
    const ScoredAttribute* awarded = nullptr;
    for (const ScoredAttribute& attribute : characteristic.attributes) {
      const Predicate::Truth truth = attribute.predicate->Evaluate(fields);
      if (truth == Predicate::kFALSE) continue;
      if (truth == Predicate::kTRUE) awarded = &attribute;
      break;
    }
    double partial = awarded == nullptr ? 0.0 : awarded->partial_score;
    if (awarded != nullptr && awarded->complex != nullptr) {
      awarded->complex->Compute(fields, &computed);
      const ScoreValue* value = computed.empty() ? nullptr : computed[0];
      if (IsMissing(value)) {
        awarded = nullptr;
      } else {
        partial = value->GetDouble();
      }
    }
    if (awarded == nullptr || !std::isfinite(partial)) {
      out->valid = false;
      out->advice.emplace_back(kAdviceMissingScore, std::string());
      return;
    }
    score += partial;
    if (awarded->reason_code >= 0) {
      const int code = awarded->reason_code;
      if (std::find(met.begin(), met.end(), code) == met.end()) met.push_back(code);
      points[code] += points_above_ ? partial - characteristic.baseline
                                    : characteristic.baseline - partial;
    }
  }
  out->valid = true;
  out->is_category = false;
  out->value = score;
  std::stable_sort(met.begin(), met.end(),
                   [&points](int a, int b) { return points[a] > points[b]; });
  out->reason_codes.clear();
  for (int code : met) out->reason_codes.push_back(reason_codes_[code]);
}

}  // namespace
}  // namespace orvane_plugins

extern "C" __attribute__((visibility("default"))) orvane_plugins::ModelAlgorithm*
OrvaneReadModelAlgorithm(xercesc::DOMElement* model, orvane_plugins::ReadContext* context) {
  return new orvane_plugins::ScorecardAlgorithm(model, context);
}
