// The "TransformationDictionary" reader: one TransformVar a "DerivedField",
// with its categories, missing values and recode extensions. The expression
// tables live in pmml_transformation_tables.cpp, the Apply trees in
// pmml_transformation_apply.cpp.

#include <memory>
#include <string>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/dictionary/value_label_set.h"
#include "orvane/dictionary/value_lbl.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "transform/engine/constant_number.h"
#include "translate/pmml_transformation_dom.h"
#include "translate/xml_names.h"

namespace MCOrvane_600 {

namespace {

using pmml_transformation::FirstChildElement;
using pmml_transformation::HasText;
using pmml_transformation::IsNamed;
using pmml_transformation::NextElement;
using T = PMMLModelTags;
using xercesc::DOMElement;
using xercesc::DOMNode;

const int kLowerGiven = 1;
const int kUpperGiven = 10;

// The expression elements of a derived field.
enum class Expression {
  kNone,
  kApply,
  kDiscretize,
  kMapValues,
  kFieldRef,
  kConstant,
  kNormContinuous,
  kNormDiscrete
};

// The expression an element is, named once per child of a field.
Expression ExpressionOf(const DOMElement* element) {
  if (IsNamed(element, T::XML_ELE_APPLY)) return Expression::kApply;
  if (IsNamed(element, T::XML_ELE_DISCRETIZE)) return Expression::kDiscretize;
  if (IsNamed(element, T::XML_ELE_MAPVALUES)) return Expression::kMapValues;
  if (IsNamed(element, T::XML_ELE_FIELDREF)) return Expression::kFieldRef;
  if (IsNamed(element, T::XML_ELE_CONSTANT)) return Expression::kConstant;
  if (IsNamed(element, T::XML_ELE_NORMCONTINUOUS)) return Expression::kNormContinuous;
  if (IsNamed(element, T::XML_ELE_NORMDISCRETE)) return Expression::kNormDiscrete;
  return Expression::kNone;
}

// Hands `set` to `var`, destroying the set it replaces (the setter does not).
void ReplaceMissingValues(ScoreDictVar* var, std::unique_ptr<ScoreMissingValueSet> set) {
  const ScoreMissingValueSet* old = var->GetMissingValues();
  var->SetMissingValues(set.release());
  delete old;
}

}  // namespace

TransformationDictionary* PMMLTranslator::HandleTransformationDictionary(
    DOMElement* transformations, const ScoreDictionary* data) {
  if (options_.standardPMML) return HandleStandardTransformations(transformations, data);
  node_counter_ = 0;
  std::unique_ptr<TransformationDictionary> derived(new TransformationDictionary);
  // The index lives as long as this read, however it ends.
  struct IndexScope {
    ~IndexScope() {
      self->indexed_ = nullptr;
      self->derived_index_.clear();
    }
    PMMLTranslator* self;
  } const index_scope{this};
  derived_index_.clear();
  indexed_ = derived.get();
  InitFunctionMap();
  if (GetTranscoder() == nullptr) CreateTranscoder(encoding_);
  const BrixTranscoder* transcoder = GetTranscoder();

  // The DerivedFields at any depth, in document order, found by one walk of
  // the subtree as the reading goes.
  if (transformations == nullptr) xml_internal::ThrowNodeMissing(T::XML_ELE_DERIVEDFIELD);
  xml_internal::ElementsNamed fields(transformations, T::XML_ELE_DERIVEDFIELD);
  DOMElement* first = fields.Next();
  if (first == nullptr) {
    throw OVException(OVException::kCodeStructure, "<DerivedField> is required!!");
  }

  for (DOMElement* field = first; field != nullptr; field = fields.Next()) {
    const std::string name = transcoder->transcodeTo(GetAttributeForced(field, T::XML_ATT_NAME));
    if (name.empty()) {
      throw OVException(OVException::kCodeStructure, "Variable name can't be empty string!");
    }
    if (FindField(name, data, derived.get()) != nullptr) {
      throw OVException(OVException::kCodeStructure, name + ": Redefinition!");
    }

    std::unique_ptr<TransformVar> var(new TransformVar(name, ScoreDictVar::kNUMERIC_VAR));
    const XMLCh* display = GetAttribute(field, T::XML_ATT_DATAFIELD_DISPLAYNAME);
    var->SetLabel(HasText(display) ? transcoder->transcodeTo(display) : name);

    const XMLCh* optype = GetAttributeForced(field, T::XML_ATT_DATAFIELD_OPTYPE);
    if (!HasText(optype)) throw OVException(OVException::kCodeTypeOrLevel, "opType is required!!");
    if (IsEqual(optype, T::XML_VAL_OT_CONTINUOUS)) {
      var->SetMLevel(ScoreDictVar::kCONTINUOUS);
    } else if (IsEqual(optype, T::XML_VAL_OT_CATEGORICAL)) {
      var->SetMLevel(ScoreDictVar::kNOMINAL);
    } else if (IsEqual(optype, T::XML_VAL_OT_ORDINAL)) {
      var->SetMLevel(ScoreDictVar::kORDINAL);
    } else {
      throw OVException(OVException::kCodeTypeOrLevel,
                        transcoder->transcodeTo(optype) + ": Invalid Variable Type");
    }

    const XMLCh* data_type = GetAttributeForced(field, T::XML_ATT_DATATYPE);
    if (IsEqual(data_type, T::XML_VAL_STRING)) {
      var->SetVarType(ScoreDictVar::kSTRING_VAR);
      if (var->GetMLevel() == ScoreDictVar::kCONTINUOUS) {
        throw OVException(
            OVException::kCodeTypeOrLevel,
            std::string("string") +
                ": Invalid Variable dataType -- string variable can't be continuous!!");
      }
    } else {
      const ScoreDictVar::DateTimeType date_time = ParseDateTimeType(data_type);
      if (date_time != ScoreDictVar::kNO_DATETIME) {
        var->SetVarType(ScoreDictVar::kDATETIME_VAR);
        var->SetDateTimeType(date_time);
      }
    }

    bool has_expression = false;
    bool has_values = false;
    for (DOMElement* child = FirstChildElement(field); child != nullptr;
         child = NextElement(child)) {
      if (IsNamed(child, T::XML_ELE_EXTENSION)) {
        const XMLCh* extension = GetAttribute(child, T::XML_ATT_EXT_NAME);
        if (IsEqual(extension, T::XML_ATT_TRAN_EXT_NAME_MISSINGVALUES)) {
          handleDerivedVarMissingValue(child, var.get());
        } else if (IsEqual(extension, T::XML_ATT_WIDTH) ||
                   IsEqual(extension, T::XML_ATT_TRAN_EXT_NAME_STRINGLENGTH)) {
          const int width = VerifyInt(GetAttributeForced(child, T::XML_ATT_EXT_VALUE));
          if (width > 0) var->SetWidth(width);
        }
        continue;
      }
      if (IsNamed(child, T::XML_ELE_VALUE)) {
        if (has_values) continue;
        has_values = true;
        HandleValueList(field, var.get());
        for (const ScoreValueLabel* label : var->GetValueLabels()->GetAllValueLabels()) {
          if (var->IsMissingValue(label->GetValue())) {
            throw OVException(
                OVException::kCodeStructure,
                name + ": category value is defined as both valid and invalid/missing!!!");
          }
        }
        continue;
      }
      if (has_expression) {
        throw OVException(OVException::kCodeStructure, "Only one EXPRESSION is allowed");
      }
      const Expression expression = ExpressionOf(child);
      if (expression == Expression::kNone) {
        if (has_values) continue;
        throw OVException(OVException::kCodeStructure, "Invalid EXPRESSION");
      }
      has_expression = true;

      switch (expression) {
        case Expression::kApply:
          var->AddFieldNameAndTransExpression(std::string(), TransformationDictionary::kAPPLY);
          var->SetRoot(HandleApply(child, var.get(), nullptr, data, derived.get()));
          break;
        case Expression::kDiscretize:
          var->AddFieldNameAndTransExpression(
              HandleDiscritize(child, var.get(), data, derived.get()),
              TransformationDictionary::kDISCRETIZE);
          break;
        case Expression::kMapValues:
          var->AddFieldNameAndTransExpression(
              HandleMapValues(child, var.get(), data, derived.get()),
              TransformationDictionary::kMAPVALUES);
          break;
        case Expression::kFieldRef:
          var->AddFieldNameAndTransExpression(HandleFieldRef(child, data, derived.get(), var.get()),
                                              TransformationDictionary::kFIELDREF);
          break;
        case Expression::kConstant: {
          double number = 0.0;
          ScoreValue::ValueType type = ScoreValue::kNUMERIC_VALUE;
          const std::string text = HandelConstant(child, number, type);
          var->AddFieldNameAndTransExpression(std::string(), TransformationDictionary::kCONSTANT);
          var->SetConstString(text);
          break;
        }
        case Expression::kNormContinuous:
          var->AddFieldNameAndTransExpression(
              HandleNorContinuous(child, var.get(), data, derived.get()),
              TransformationDictionary::kNORMCONTINUOUS);
          break;
        case Expression::kNormDiscrete:  // accepted as the expression; builds nothing
        case Expression::kNone:
          break;
      }
    }

    if (!derived->AddVar(name, var.get())) {
      throw OVException(OVException::kCodeStructure, name + ": Redefinition!");
    }
    derived_index_.emplace(name, var.get());
    var.release();
    derived->AddDerievedVarName(name);
  }
  return derived.release();
}

const ScoreDictVar* PMMLTranslator::FindField(const std::string& name, const ScoreDictionary* data,
                                              const ScoreDictionary* derived) const {
  if (derived == nullptr || derived != indexed_) {
    return TransformVar::FindVariable(name, data, derived);
  }
  const ScoreDictVar* var = data != nullptr ? data->GetVar(name) : nullptr;
  if (var != nullptr) return var;
  const auto found = derived_index_.find(name);
  return found != derived_index_.end() ? found->second : nullptr;
}

std::string PMMLTranslator::HandleFieldRef(DOMElement* fieldRef, const ScoreDictionary* data,
                                           const ScoreDictionary* derived,
                                           const ScoreDictVar* target) {
  const std::string field =
      GetTranscoder()->transcodeTo(GetAttributeForced(fieldRef, T::XML_ATT_FIELD));
  const ScoreDictVar* var = FindField(field, data, derived);
  if (var == nullptr) throw OVException(OVException::kCodeVariableName, field + ": not predefined");
  if (target != nullptr && var->GetVarType() != target->GetVarType()) {
    throw OVException(OVException::kCodeVariableName,
                      field + ": has to have the same type as " + target->GetName() + "\n");
  }
  return field;
}

std::string PMMLTranslator::HandelConstant(DOMElement* constant, double& number,
                                           ScoreValue::ValueType& type) {
  number = NumericValue::GetSysmisValue();
  const DOMNode* content = constant->getFirstChild();
  if (content == nullptr) {
    throw OVException(OVException::kCodeAbsent, "Constant value is required!");
  }
  const std::string text = GetTranscoder()->transcodeTo(content->getNodeValue());

  const XMLCh* data_type = GetAttribute(constant, T::XML_ATT_DATATYPE);
  if (IsEqual(data_type, T::XML_VAL_STRING)) {
    type = ScoreValue::kSTRING_VALUE;
    return text;
  }
  const ScoreDictVar::DateTimeType date_time = ParseDateTimeType(data_type);
  number = VerifyDouble(text);
  if (date_time != ScoreDictVar::kNO_DATETIME) {
    type = ScoreValue::kDATETIME_VALUE;
    return internal::ExactNumberText(DateTimeValue(number, date_time).GetDouble());
  }
  type = ScoreValue::kNUMERIC_VALUE;
  return text;
}

void PMMLTranslator::HandleValueList(DOMElement* derivedField, TransformVar* var) {
  std::unique_ptr<ValueLabelSet> labels(new ValueLabelSet);
  const BrixTranscoder* transcoder = GetTranscoder();
  for (DOMElement* child = FirstChildElement(derivedField); child != nullptr;
       child = NextElement(child)) {
    if (!IsNamed(child, T::XML_ELE_VALUE)) continue;
    const XMLCh* property = GetAttribute(child, T::XML_ATT_VALUE_PROPERTY);
    if (HasText(property) && !IsEqual(property, T::XML_VAL_PROP_VALID)) {
      throw OVException(OVException::kCodeSemantic, "InValid property value!");
    }
    const XMLCh* text = GetAttributeForced(child, T::XML_ATT_VALUE_VALUE);
    std::unique_ptr<ScoreValue> value(CarefullyMakeVarValue(var, text));
    const XMLCh* display = GetAttribute(child, T::XML_ATT_VALUE_DISPLAYVALUE);
    const std::string label = transcoder->transcodeTo(HasText(display) ? display : text);
    std::unique_ptr<ValueLbl> entry(new ValueLbl(value.release(), label));
    if (labels->Add(entry.get())) entry.release();
  }
  var->SetValueLabels(labels.release());
}

void PMMLTranslator::handleDerivedVarMissingValue(DOMElement* extension, TransformVar* var) {
  std::unique_ptr<ScoreMissingValueSet> set(new MissingValueSet);
  int flags = 0;
  double lower = -NumericValue::GetInfinity();
  double upper = NumericValue::GetInfinity();
  for (DOMElement* child = FirstChildElement(extension); child != nullptr;
       child = NextElement(child)) {
    if (IsNamed(child, T::XML_ELE_VALUE)) {
      std::unique_ptr<ScoreValueRange> range(
          new Range(CarefullyMakeVarValue(var, GetAttributeForced(child, T::XML_ATT_VALUE_VALUE))));
      if (set->Add(range.get())) range.release();
    } else if (IsNamed(child, T::XML_ELE_INTERVAL)) {
      if (var->GetVarType() != ScoreDictVar::kNUMERIC_VAR) {
        throw OVException(OVException::kCodeStructure, "InterVal is not allowed!!");
      }
      handleInterval(var, child, set.get(), 0);
    } else if (IsNamed(child, T::XML_ELE_EXTENSION)) {
      const XMLCh* name = GetAttribute(child, T::XML_ATT_EXT_NAME);
      if (IsEqual(name, T::XML_VAL_NAME_MSLO)) {
        lower = VerifyDouble(GetAttribute(child, T::XML_ATT_EXT_VALUE));
        flags += kLowerGiven;
      } else if (IsEqual(name, T::XML_VAL_NAME_MSUP)) {
        upper = VerifyDouble(GetAttribute(child, T::XML_ATT_EXT_VALUE));
        flags += kUpperGiven;
      }
    }
  }
  if (flags != 0) HandleQRTZMissingInterval(set.get(), flags, lower, upper);
  ReplaceMissingValues(var, std::move(set));
}

void PMMLTranslator::HandleQRTZExtensions(DOMElement* extension, ScoreDictVar* var) {
  TransformVar* target = dynamic_cast<TransformVar*>(var);
  if (target == nullptr) return;
  const XMLCh* name = GetAttribute(extension, T::XML_ATT_EXT_NAME);
  if (IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_ELSECOPY)) {
    if (target->GetRecodeDefaultValue() != nullptr) {
      throw OVException(OVException::kCodeUnsupported, "defaultValue value is defined already!!");
    }
    target->SetRecodeElseCopy(true);
  } else if (IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_MISSINGCOPY)) {
    if (target->GetRecodeMissValueRep() != nullptr) {
      throw OVException(OVException::kCodeUnsupported, "mapMissingTo value is defined already!!");
    }
    target->SetRecodeMissingCopy(true);
  } else if (IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_MAPSYSMISTO)) {
    if (target->GetRecodeSysmisValueRep() != nullptr) {
      throw OVException(OVException::kCodeUnsupported, "mapSysmisTo value is defined already!!");
    }
    target->SetRecodeSysmisValue(
        CarefullyMakeVarValue(target, GetAttributeForced(extension, T::XML_ATT_EXT_VALUE)));
  } else if (IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_RECODEMISSINGSISMIS)) {
    if (target->GetVarType() != ScoreDictVar::kNUMERIC_VAR) {
      throw OVException(OVException::kCodeUnsupported,
                        "Only numeric derived variable is allowed!!");
    }
    if (target->GetRecodeMissValueRep() != nullptr || target->IsRecodeMissingCopy() ||
        target->GetRecodeSysmisValueRep() != nullptr) {
      throw OVException(OVException::kCodeUnsupported,
                        "mapMissing replacement value is defined already!!");
    }
    target->SetRecodeMissValueTo(new NumericValue(NumericValue::GetSysmisValue()));
  }
}

}  // namespace MCOrvane_600
