#include "orvane/translate/qrtz_translator.h"

#include <memory>
#include <string>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/value_label_set.h"
#include "orvane/dictionary/value_lbl.h"
#include "orvane/dictionary/var_stats.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "translate/xml_names.h"

namespace MCOrvane_600 {

namespace {

using xercesc::DOMElement;
using xercesc::DOMNode;
using xercesc::XMLString;

const char kDefaultEncoding[] = "CP1252";

bool IsEmpty(const XMLCh* text) { return text == nullptr || *text == 0; }

bool IsNamed(const DOMNode* node, const std::string& name) {
  return BaseTranslator::IsEqual(node->getNodeName(), name);
}

using xml_internal::AsElement;

// Reads the "variable" elements of one dictionary. Everything it builds is
// held by a unique_ptr until it is handed on, so a throw from any check, from
// a value conversion or from Xerces releases it.
class DictionaryReader {
 public:
  DictionaryReader(QRTZTranslator* translator, BrixTranscoder* transcoder)
      : translator_(translator), transcoder_(transcoder) {}

  std::unique_ptr<ScoreDictVar> ReadVariable(DOMElement* element,
                                             const ScoreDictionary& dictionary) const;

 private:
  std::string Narrow(const XMLCh* text) const { return transcoder_->transcodeTo(text); }
  std::string NameOf(const DOMNode* node) const { return Narrow(node->getNodeName()); }

  void ReadMeasurementLevel(const DOMElement* element, ScoreDictVar* var) const;
  std::unique_ptr<ScoreValueLabelSet> ReadCategories(DOMElement* element,
                                                     const ScoreDictVar* var) const;
  std::unique_ptr<ScoreMissingValueSet> ReadMissingValues(DOMElement* element,
                                                          const ScoreDictVar* var) const;
  std::unique_ptr<ScoreValueRange> ReadMissingRange(DOMElement* element,
                                                    const ScoreDictVar* var) const;
  std::unique_ptr<ScoreValue> ReadRangeEnd(const DOMElement* element,
                                           const ScoreDictVar* var) const;
  static std::unique_ptr<ScoreVarStats> ReadVarStats(const DOMElement* element);
  static void ReadFormatSpec(const DOMElement* element, ScoreDictVar* var);
  static void CheckCategoriesAgainstMissing(const ScoreDictVar& var);

  std::unique_ptr<ScoreValue> MakeValue(const ScoreDictVar* var, const XMLCh* text) const {
    return std::unique_ptr<ScoreValue>(translator_->CarefullyMakeVarValue(var, text));
  }

  QRTZTranslator* translator_;  // Lent.
  BrixTranscoder* transcoder_;  // Lent; never null.
};

std::unique_ptr<ScoreDictVar> DictionaryReader::ReadVariable(
    DOMElement* element, const ScoreDictionary& dictionary) const {
  if (!IsNamed(element, QRTZTags::gVariable)) {
    throw OVException(OVException::kCodeStructure,
                      NameOf(element) + ": should be " + QRTZTags::gVariable);
  }
  const XMLCh* name_text = BaseTranslator::GetAttributeForced(element, QRTZTags::gName);
  const XMLCh* storage_type = BaseTranslator::GetAttributeForced(element, QRTZTags::gStorageType);
  // A name whose first character the code page cannot hold converts to
  // nothing; it is as unusable as an empty one.
  const std::string name = Narrow(name_text);
  if (name.empty() || IsEmpty(storage_type)) {
    throw OVException(OVException::kCodeEmptyOrInvalid, "Varname or storage type can't be null!!");
  }
  const ScoreDictVar::VariableType type = BaseTranslator::IsEqual(storage_type, QRTZTags::gSTRING)
                                              ? ScoreDictVar::kSTRING_VAR
                                              : ScoreDictVar::kNUMERIC_VAR;
  std::unique_ptr<ScoreDictVar> var(new DictVar(name, type));
  if (dictionary.GetVar(name) != nullptr) {
    throw OVException(OVException::kCodeVariableName, name + " is duplicated!!!");
  }

  const XMLCh* label = BaseTranslator::GetAttribute(element, QRTZTags::gLabel);
  var->SetLabel(IsEmpty(label) ? name : Narrow(label));
  ReadMeasurementLevel(element, var.get());

  // The attached objects stay here until every child has been read. A
  // repeated element replaces what the earlier one built.
  std::unique_ptr<ScoreValueLabelSet> labels;
  std::unique_ptr<ScoreMissingValueSet> missing;
  std::unique_ptr<ScoreVarStats> stats;
  for (DOMNode* child = BaseTranslator::GetFirstChildElt(element); child != nullptr;
       child = BaseTranslator::GetNextSiblingElt(child)) {
    DOMElement* child_element = AsElement(child);
    if (IsNamed(child, QRTZTags::gCategories)) {
      labels = ReadCategories(child_element, var.get());
    } else if (IsNamed(child, QRTZTags::gMissingValues)) {
      missing = ReadMissingValues(child_element, var.get());
    } else if (IsNamed(child, QRTZTags::gVarStats)) {
      stats = ReadVarStats(child_element);
    } else if (IsNamed(child, QRTZTags::gFormatSpec)) {
      ReadFormatSpec(child_element, var.get());
    } else {
      throw OVException(OVException::kCodeStructure, NameOf(child));
    }
  }
  const bool check_categories = labels != nullptr && missing != nullptr;
  if (labels != nullptr) var->SetValueLabels(labels.release());
  if (missing != nullptr) var->SetMissingValues(missing.release());
  if (stats != nullptr) var->SetVarStats(stats.release());
  if (check_categories) CheckCategoriesAgainstMissing(*var);
  return var;
}

void DictionaryReader::ReadMeasurementLevel(const DOMElement* element, ScoreDictVar* var) const {
  const XMLCh* level = BaseTranslator::GetAttributeForced(element, QRTZTags::gMeasurementLevel);
  if (IsEmpty(level)) {
    throw OVException(OVException::kCodeEmptyOrInvalid, "Measurement-level can't be null!!");
  }
  if (BaseTranslator::IsEqual(level, QRTZTags::gCONTINUOUS)) {
    if (var->GetVarType() == ScoreDictVar::kSTRING_VAR) {
      throw OVException(
          OVException::kCodeTypeOrLevel,
          "QRTZTranslator::parseDictionary():Continuous variable should be numeric!!");
    }
    var->SetMLevel(ScoreDictVar::kCONTINUOUS);
  } else if (BaseTranslator::IsEqual(level, QRTZTags::gNOMINAL)) {
    var->SetMLevel(ScoreDictVar::kNOMINAL);
  } else if (BaseTranslator::IsEqual(level, QRTZTags::gORDINAL)) {
    var->SetMLevel(ScoreDictVar::kORDINAL);
  } else {
    throw OVException(OVException::kCodeTypeOrLevel, "Invalid measurement-level attribute!!");
  }
}

std::unique_ptr<ScoreValueLabelSet> DictionaryReader::ReadCategories(
    DOMElement* element, const ScoreDictVar* var) const {
  std::unique_ptr<ScoreValueLabelSet> labels(new ValueLabelSet);
  for (DOMNode* child = BaseTranslator::GetFirstChildElt(element); child != nullptr;
       child = BaseTranslator::GetNextSiblingElt(child)) {
    if (!IsNamed(child, QRTZTags::gCategory)) {
      throw OVException(OVException::kCodeStructure,
                        NameOf(child) + ": should be " + QRTZTags::gCategory);
    }
    const DOMElement* category = AsElement(child);
    const XMLCh* text = BaseTranslator::GetAttributeForced(category, QRTZTags::gValue);
    std::unique_ptr<ScoreValue> value = MakeValue(var, text);
    const XMLCh* display = BaseTranslator::GetAttribute(category, QRTZTags::gDisplayValue);
    std::unique_ptr<ScoreValueLabel> label(
        new ValueLbl(value.get(), Narrow(IsEmpty(display) ? text : display)));
    value.release();  // Now the label's.
    if (labels->Add(label.get())) label.release();
  }
  return labels;
}

std::unique_ptr<ScoreMissingValueSet> DictionaryReader::ReadMissingValues(
    DOMElement* element, const ScoreDictVar* var) const {
  std::unique_ptr<ScoreMissingValueSet> missing(new MissingValueSet);
  for (DOMNode* child = BaseTranslator::GetFirstChildElt(element); child != nullptr;
       child = BaseTranslator::GetNextSiblingElt(child)) {
    std::unique_ptr<ScoreValueRange> range;
    if (IsNamed(child, QRTZTags::gCategory)) {
      const XMLCh* text = BaseTranslator::GetAttributeForced(AsElement(child), QRTZTags::gValue);
      if (IsEmpty(text)) {
        throw OVException(OVException::kCodeEmptyOrInvalid, "category value is null!!");
      }
      std::unique_ptr<ScoreValue> value = MakeValue(var, text);
      range.reset(new Range(value.get()));
      value.release();  // Now the range's.
    } else if (IsNamed(child, QRTZTags::gRange)) {
      range = ReadMissingRange(AsElement(child), var);
    } else {
      continue;
    }
    // A repeated missing value is dropped; the set keeps the first.
    if (missing->Add(range.get())) range.release();
  }
  return missing;
}

std::unique_ptr<ScoreValueRange> DictionaryReader::ReadMissingRange(DOMElement* element,
                                                                    const ScoreDictVar* var) const {
  DOMNode* low_node = BaseTranslator::GetFirstChildElt(element);
  DOMNode* high_node = BaseTranslator::GetNextSiblingElt(low_node);
  if (high_node == nullptr) {
    throw OVException(OVException::kCodeAbsent, "category is required in range element node!!");
  }
  std::unique_ptr<ScoreValue> low = ReadRangeEnd(AsElement(low_node), var);
  std::unique_ptr<ScoreValue> high = ReadRangeEnd(AsElement(high_node), var);
  std::unique_ptr<ScoreValueRange> range(new Range(low.get(), high.get(), true, true));
  low.release();  // Both ends are now the range's.
  high.release();
  return range;
}

std::unique_ptr<ScoreValue> DictionaryReader::ReadRangeEnd(const DOMElement* element,
                                                           const ScoreDictVar* var) const {
  const XMLCh* text = BaseTranslator::GetAttributeForced(element, QRTZTags::gValue);
  if (IsEmpty(text)) {
    throw OVException(OVException::kCodeEmptyOrInvalid, "category value is required!!");
  }
  return MakeValue(var, text);
}

// Statistics are advisory: an absent or malformed number becomes the
// system-missing value rather than failing the dictionary.
std::unique_ptr<ScoreVarStats> DictionaryReader::ReadVarStats(const DOMElement* element) {
  const auto read = [element](const std::string& attribute) {
    const XMLCh* text = BaseTranslator::GetAttribute(element, attribute);
    if (IsEmpty(text)) return NumericValue::GetSysmisValue();
    try {
      return BaseTranslator::VerifyDouble(text);
    } catch (const OVException&) {
      return NumericValue::GetSysmisValue();
    }
  };
  const double minimum = read(QRTZTags::gMinimum);
  const double maximum = read(QRTZTags::gMaximum);
  const double mean = read(QRTZTags::gMean);
  const double standard_deviation = read(QRTZTags::gStandardDeviation);
  return std::unique_ptr<ScoreVarStats>(new VarStats(minimum, maximum, mean, standard_deviation));
}

// All three numbers are required integers: XMLString::parseInt throws its
// NumberFormatException for an absent or malformed one. The format code is
// checked but has no use in the object model.
void DictionaryReader::ReadFormatSpec(const DOMElement* element, ScoreDictVar* var) {
  XMLString::parseInt(BaseTranslator::GetAttribute(element, QRTZTags::gFormat));
  var->SetDecimal(XMLString::parseInt(BaseTranslator::GetAttribute(element, QRTZTags::gDecimals)));
  var->SetWidth(XMLString::parseInt(BaseTranslator::GetAttribute(element, QRTZTags::gWidth)));
}

// A category must be a valid value, so it may not also be a missing one. The
// check only applies when the variable has both sets.
void DictionaryReader::CheckCategoriesAgainstMissing(const ScoreDictVar& var) {
  const ScoreValueLabelSet* labels = var.GetValueLabels();
  if (labels->Size() == 0) {
    throw OVException(OVException::kCodeSemantic, "category values are required!!!");
  }
  for (const ScoreValueLabel* label : labels->GetAllValueLabels()) {
    if (var.IsMissingValue(label->GetValue())) {
      throw OVException(OVException::kCodeSemantic, "Missing Value and Valid value intersect");
    }
  }
}

}  // namespace

QRTZTranslator::QRTZTranslator() = default;

QRTZTranslator::QRTZTranslator(const QRTZTranslator& other) = default;

QRTZTranslator& QRTZTranslator::operator=(const QRTZTranslator& other) = default;

QRTZTranslator::~QRTZTranslator() = default;

ScoreDictionary* QRTZTranslator::ParseDictionary(DOMElement* dictionary) {
  if (dictionary == nullptr) {
    throw OVException(OVException::kCodeStructure, "<DataDictionary is required !!");
  }
  std::unique_ptr<BrixTranscoder> default_transcoder;
  BrixTranscoder* transcoder = GetTranscoder();
  if (transcoder == nullptr) {
    default_transcoder.reset(new BrixTranscoder(kDefaultEncoding));
    transcoder = default_transcoder.get();
  }
  const DictionaryReader reader(this, transcoder);

  std::unique_ptr<ScoreDictionary> result(new BaseDictionary);
  for (DOMNode* child = GetFirstChildElt(dictionary); child != nullptr;
       child = GetNextSiblingElt(child)) {
    std::unique_ptr<ScoreDictVar> var = reader.ReadVariable(AsElement(child), *result);
    const std::string name = var->GetName();
    // The reader has refused empty and repeated names, so this holds.
    if (!result->AddVar(name, var.get())) {
      throw OVException(OVException::kCodeVariableName, name + " is duplicated!!!");
    }
    var.release();  // Now the dictionary's.
  }
  if (result->Size() == 0) {
    throw OVException(OVException::kCodeSemantic, "Dicitonary is empty!!");
  }
  return result.release();
}

}  // namespace MCOrvane_600
