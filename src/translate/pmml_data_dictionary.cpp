// The "DataDictionary" reader: one DictVar a "DataField", with its level,
// storage type, categories, missing values, valid interval, display format and
// the vendor's extensions.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/value_label_set.h"
#include "orvane/dictionary/value_lbl.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "translate/xml_names.h"

namespace MCOrvane_600 {

namespace {

using T = PMMLModelTags;
using xercesc::DOMElement;
using xercesc::DOMNode;
using xercesc::XMLString;

// Extension names and values of the vendor that have no tag constant.
const char kNoSpaceTrim[] = "noSpaceTrim";
const char kEmptyStringOk[] = "emptyStringOk";
const char kMeasure[] = "measure";
const char kFalse[] = "false";

// Range-flag sum of the invalid-range extensions.
const int kLowerGiven = 1;
const int kUpperGiven = 10;

typedef std::basic_string<XMLCh> XMLText;

// Attributes count as absent when missing or empty.
bool IsPresent(const XMLCh* text) { return text != nullptr && *text != 0; }

using xml_internal::AsElement;

// The set takes the range, or the range is destroyed (a duplicate is refused).
void AddRange(ScoreMissingValueSet* set, std::unique_ptr<ScoreValue> value) {
  std::unique_ptr<ScoreValueRange> range(new Range(value.release()));
  if (set->Add(range.get())) range.release();
}

bool IsDouble(const XMLCh* text) {
  try {
    BaseTranslator::VerifyDouble(text);
    return true;
  } catch (const OVException&) {
    return false;
  }
}

}  // namespace

// Reads one "DataField" element into a new variable. Everything made on the
// way is held by unique_ptrs until handed on, so a throw destroys it.
class PMMLTranslator::DataFieldReader {
 public:
  DataFieldReader(PMMLTranslator* translator, const ScoreDictionary* dictionary, DOMElement* field)
      : translator_(translator), dictionary_(dictionary), field_(field) {}
  DataFieldReader(const DataFieldReader&) = delete;
  DataFieldReader& operator=(const DataFieldReader&) = delete;

  // The variable read; the caller owns it.
  std::unique_ptr<DictVar> Read() {
    ReadName();
    ReadMeasureLevel();
    const XMLCh* storage = GetAttribute(field_, T::XML_ATT_STORAGETYPE);
    if (IsPresent(storage)) DeclareStorage(storage);
    ReadExtensions();
    ReadStorageType();
    if (var_->GetMLevel() == ScoreDictVar::kCONTINUOUS) {
      ReadContinuous();
    } else {
      ReadCategorical();
    }
    return std::move(var_);
  }

 private:
  std::string Narrow(const XMLCh* text) const {
    return translator_->GetTranscoder()->transcodeTo(text);
  }

  bool IsNumeric() const { return var_->GetVarType() == ScoreDictVar::kNUMERIC_VAR; }

  void ReadName() {
    const XMLCh* name = GetAttributeForced(field_, T::XML_ATT_DATAFIELD_NAME);
    // A name that the code page cannot represent at all is as empty as none.
    const std::string narrow = Narrow(name);
    if (!IsPresent(name) || narrow.empty()) {
      throw OVException(OVException::kCodeStructure, "<DataField>'s name can't be null string !!");
    }
    if (dictionary_->GetVar(narrow) != nullptr) {
      throw OVException(OVException::kCodeVariableName,
                        narrow + ": Invalid Variable Name -- alreay in the dictionary");
    }
    var_.reset(new DictVar(narrow, ScoreDictVar::kNUMERIC_VAR));
    const XMLCh* display = GetAttribute(field_, T::XML_ATT_DATAFIELD_DISPLAYNAME);
    var_->SetLabel(IsPresent(display) ? Narrow(display) : narrow);
  }

  void ReadMeasureLevel() {
    if (translator_->options_.standardPMML) {
      var_->SetMLevel(StandardMeasureLevel(Narrow(GetAttribute(field_, T::XML_ATT_DATAFIELD_OPTYPE)),
                                           Narrow(GetAttribute(field_, T::XML_ATT_DATATYPE))));
      return;
    }
    const XMLCh* optype = GetAttributeForced(field_, T::XML_ATT_DATAFIELD_OPTYPE);
    if (!IsPresent(optype)) {
      throw OVException(OVException::kCodeTypeOrLevel, "opType can't be null!!");
    }
    if (IsEqual(optype, T::XML_VAL_OT_CONTINUOUS)) {
      var_->SetMLevel(ScoreDictVar::kCONTINUOUS);
    } else if (IsEqual(optype, T::XML_VAL_OT_CATEGORICAL)) {
      var_->SetMLevel(ScoreDictVar::kNOMINAL);
    } else if (IsEqual(optype, T::XML_VAL_OT_ORDINAL)) {
      var_->SetMLevel(ScoreDictVar::kORDINAL);
    } else {
      throw OVException(OVException::kCodeTypeOrLevel, Narrow(optype) + ": Invalid Variable Type");
    }
  }

  void DeclareStorage(const XMLCh* storage) {
    storage_ = storage;
    type_declared_ = true;
  }

  // The vendor's extensions anywhere below the field.
  void ReadExtensions() {
    if (field_ == nullptr) xml_internal::ThrowNodeMissing(T::XML_ELE_EXTENSION);
    xml_internal::ElementsNamed extensions(field_, T::XML_ELE_EXTENSION);
    for (DOMElement* extension = extensions.Next(); extension != nullptr;
         extension = extensions.Next()) {
      const XMLCh* name = GetAttribute(extension, T::XML_ATT_EXT_NAME);
      const XMLCh* value = GetAttribute(extension, T::XML_ATT_EXT_VALUE);
      if (IsEqual(name, kNoSpaceTrim)) {
        ReadSwitch(value, &no_space_trim_);
      } else if (IsEqual(name, kEmptyStringOk)) {
        ReadSwitch(value, &empty_string_ok_);
      } else if (IsEqual(name, T::XML_ELE_XMEASURE) || IsEqual(name, kMeasure)) {
        var_->SetXMeasure(Narrow(value));
        if (IsEqual(value, T::XML_VAL_FLAG)) {
          if (var_->GetMLevel() == ScoreDictVar::kCONTINUOUS) {
            throw OVException(OVException::kCodeTypeOrLevel,
                              "flag type only valid for categorical variables!");
          }
          var_->SetFlagVariable(true);
        }
      } else if (IsEqual(name, T::XML_ATT_STORAGETYPE) && storage_.empty()) {
        DeclareStorage(value);
      }
    }
  }

  // "true" sets a switch and "false" clears it; other texts leave it alone.
  static void ReadSwitch(const XMLCh* value, bool* flag) {
    if (IsEqual(value, T::XML_ATT_EXT_VALUE_VALUE_TRUE)) {
      *flag = true;
    } else if (IsEqual(value, kFalse)) {
      *flag = false;
    }
  }

  void ReadStorageType() {
    if (IsEqual(storage_.c_str(), T::XML_VAL_STRING)) {
      var_->SetVarType(ScoreDictVar::kSTRING_VAR);
    } else {
      const XMLCh* data_type = GetAttribute(field_, T::XML_ATT_DATATYPE);
      if (IsPresent(data_type)) {
        type_declared_ = true;
        if (IsEqual(data_type, T::XML_VAL_STRING)) {
          var_->SetVarType(ScoreDictVar::kSTRING_VAR);
        } else {
          const ScoreDictVar::DateTimeType date_time = translator_->ParseDateTimeType(data_type);
          if (date_time != ScoreDictVar::kNO_DATETIME) {
            var_->SetVarType(ScoreDictVar::kDATETIME_VAR);
            var_->SetDateTimeType(date_time);
          }
        }
      }
    }
    ApplyStringFlags();
    if (var_->GetMLevel() == ScoreDictVar::kCONTINUOUS && var_->IsString()) {
      throw OVException(OVException::kCodeTypeOrLevel, "string variable can't be continuous!!");
    }
  }

  // Taken by string variables only.
  void ApplyStringFlags() {
    var_->SetNoSpaceTrim(no_space_trim_);
    var_->SetEmptyStringOK(empty_string_ok_);
  }

  // An "invalidRangeLower" or "invalidRangeUpper" extension; false for any
  // other name.
  bool ReadInvalidRangeBound(const XMLCh* name, const XMLCh* value) {
    if (IsEqual(name, T::XML_VAL_NAME_MSLO)) {
      range_flags_ += kLowerGiven;
      lower_ = VerifyDouble(value);
      return true;
    }
    if (IsEqual(name, T::XML_VAL_NAME_MSUP)) {
      range_flags_ += kUpperGiven;
      upper_ = VerifyDouble(value);
      return true;
    }
    return false;
  }

  void AddInvalidRange(ScoreMissingValueSet* missing) {
    if (range_flags_ != 0) {
      translator_->HandleQRTZMissingInterval(missing, range_flags_, lower_, upper_);
    }
  }

  // Missing and invalid values of a continuous field are numbers (date/time
  // values written as numbers).
  std::unique_ptr<ScoreValue> MakeNumber(const XMLCh* text) const {
    double number = 0;
    try {
      number = VerifyDouble(text);
    } catch (const OVException&) {
      throw OVException(OVException::kCodeConversion, Narrow(text) + ": Invalid Double String!");
    }
    if (var_->GetVarType() == ScoreDictVar::kDATETIME_VAR) {
      return std::unique_ptr<ScoreValue>(new DateTimeValue(number, var_->GetDateTimeType()));
    }
    return std::unique_ptr<ScoreValue>(new NumericValue(number));
  }

  static bool IsMissingProperty(const XMLCh* property) {
    return IsEqual(property, T::XML_VAL_PROP_INVALID) || IsEqual(property, T::XML_VAL_PROP_MISSING);
  }

  void ReadContinuous() {
    std::unique_ptr<ScoreMissingValueSet> missing(new MissingValueSet);
    bool interval_seen = false;
    // Standard PMML: the valid values are the union of every Interval.
    std::vector<DOMElement*> intervals;
    const bool standard = translator_->options_.standardPMML;
    for (DOMNode* child = GetFirstChildElt(field_); child != nullptr;
         child = GetNextSiblingElt(child)) {
      DOMElement* element = AsElement(child);
      const XMLCh* tag = element->getTagName();
      if (IsEqual(tag, T::XML_ELE_VALUE)) {
        if (IsMissingProperty(GetAttribute(element, T::XML_ATT_VALUE_PROPERTY))) {
          AddRange(missing.get(), MakeNumber(GetAttributeForced(element, T::XML_ATT_VALUE_VALUE)));
        }
      } else if (IsEqual(tag, T::XML_ELE_INTERVAL) && standard) {
        intervals.push_back(element);
      } else if (IsEqual(tag, T::XML_ELE_INTERVAL)) {
        if (interval_seen) {
          throw OVException(OVException::kCodeUnsupported,
                            "Only One InterVal Element allowed here!");
        }
        interval_seen = true;
        handleInterval(var_.get(), child, missing.get(), 0);
      } else if (IsEqual(tag, T::XML_ELE_EXTENSION)) {
        ReadContinuousExtension(element, missing.get());
      }
    }
    if (!intervals.empty()) handleIntervalUnion(intervals, missing.get());
    AddInvalidRange(missing.get());
    if (missing->Size() > 0) var_->SetMissingValues(missing.release());
  }

  void ReadContinuousExtension(DOMElement* extension, ScoreMissingValueSet* missing) {
    const XMLCh* name = GetAttribute(extension, T::XML_ATT_EXT_NAME);
    const XMLCh* value = GetAttribute(extension, T::XML_ATT_EXT_VALUE);
    if (IsEqual(name, T::XML_VAL_NAME_FORMAT)) {
      // Checked only; a malformed format passes Xerces' own exception on.
      static_cast<void>(XMLString::parseInt(value));
    } else if (IsEqual(name, T::XML_VAL_NAME_WIDTH) ||
               IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_STRINGLENGTH)) {
      var_->SetWidth(VerifyInt(value));
    } else if (IsEqual(name, T::XML_VAL_NAME_DECIMAL)) {
      var_->SetDecimal(VerifyInt(value));
    } else if (!ReadInvalidRangeBound(name, value)) {
      DOMNode* first = GetFirstChildElt(extension);
      if (first != nullptr && IsEqual(first->getNodeName(), T::XML_ELE_XDATAFIELD)) {
        handleTreeInterval(GetFirstChildElt(first), missing);
      }
    }
  }

  void ReadCategorical() {
    std::unique_ptr<ScoreValueLabelSet> labels(new ValueLabelSet);
    std::unique_ptr<ScoreMissingValueSet> missing(new MissingValueSet);
    for (DOMNode* child = GetFirstChildElt(field_); child != nullptr;
         child = GetNextSiblingElt(child)) {
      DOMElement* element = AsElement(child);
      const XMLCh* tag = element->getTagName();
      if (IsEqual(tag, T::XML_ELE_VALUE)) {
        ReadCategoricalValue(element, labels.get(), missing.get());
      } else if (IsEqual(tag, T::XML_ELE_EXTENSION)) {
        ReadCategoricalExtension(element);
      } else {
        throw OVException(OVException::kCodeStructure, Narrow(tag) + ": Invalid element!");
      }
    }
    AddInvalidRange(missing.get());
    CheckValidAgainstMissing();
    if (labels->Size() > 0) {
      var_->SetValueLabels(labels.release());
      CheckCategories();
      CheckCategoriesNotMissing(missing.get());
    }
    if (missing->Size() > 0) var_->SetMissingValues(missing.release());
  }

  void ReadCategoricalValue(DOMElement* element, ScoreValueLabelSet* labels,
                            ScoreMissingValueSet* missing) {
    const XMLCh* text = GetAttributeForced(element, T::XML_ATT_VALUE_VALUE);
    const XMLCh* property = GetAttribute(element, T::XML_ATT_VALUE_PROPERTY);
    if (IsMissingProperty(property)) {
      if (IsNumeric() && !IsPresent(text)) {
        throw OVException(OVException::kCodeConversion,
                          Narrow(text) + ": Invalid Numeric Categorical Value!");
      }
      missing_texts_.push_back(text);
      AddRange(missing,
               std::unique_ptr<ScoreValue>(translator_->CarefullyMakeVarValue(var_.get(), text)));
    } else if (!IsPresent(property) || IsEqual(property, T::XML_VAL_PROP_VALID)) {
      ReadCategory(element, text, labels);
    } else {
      throw OVException(OVException::kCodeSemantic, "InValid property value!");
    }
  }

  // A valid value: one category. The first one decides the storage type of a
  // field that declares none.
  void ReadCategory(DOMElement* element, const XMLCh* text, ScoreValueLabelSet* labels) {
    const bool empty = !IsPresent(text);
    if (empty && ((IsNumeric() && type_declared_) || (var_->IsString() && !empty_string_ok_))) {
      throw OVException(OVException::kCodeEmptyOrInvalid, Narrow(text) + ": invalid value!");
    }
    if (IsNumeric()) {
      if (!type_declared_) {
        type_declared_ = true;
        if (!IsDouble(text)) {
          var_->SetVarType(ScoreDictVar::kSTRING_VAR);
          ApplyStringFlags();
          if (empty && !empty_string_ok_) {
            throw OVException(OVException::kCodeEmptyOrInvalid,
                              "Attribute value's value is missing!");
          }
        }
      } else {
        VerifyDouble(text);
      }
    }
    valid_texts_.push_back(text);
    std::unique_ptr<ScoreValue> value(translator_->CarefullyMakeVarValue(var_.get(), text));
    const XMLCh* display = GetAttribute(element, T::XML_ATT_VALUE_DISPLAYVALUE);
    std::unique_ptr<ScoreValueLabel> label(
        new ValueLbl(value.release(), Narrow(IsPresent(display) ? display : text)));
    if (labels->Add(label.get())) label.release();
  }

  void ReadCategoricalExtension(DOMElement* extension) {
    const XMLCh* name = GetAttribute(extension, T::XML_ATT_EXT_NAME);
    const XMLCh* value = GetAttribute(extension, T::XML_ATT_EXT_VALUE);
    if (IsEqual(name, T::XML_VAL_NAME_FORMAT)) {
      VerifyInt(value);
    } else if (IsEqual(name, T::XML_VAL_NAME_WIDTH) ||
               IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_STRINGLENGTH)) {
      const int width = VerifyInt(value);
      if (width > 0) var_->SetWidth(width);
    } else if (IsEqual(name, T::XML_VAL_NAME_DECIMAL)) {
      const int decimals = VerifyInt(value);
      if (decimals > 0) var_->SetDecimal(decimals);
    } else {
      ReadInvalidRangeBound(name, value);
    }
  }

  // A text listed as valid and as invalid or missing, in any case.
  void CheckValidAgainstMissing() const {
    for (const XMLCh* missing : missing_texts_) {
      for (const XMLCh* valid : valid_texts_) {
        if (XMLString::compareIString(missing, valid) == 0) {
          throw OVException(OVException::kCodeStructure,
                            "\"" + Narrow(valid) + "\": defined as both Valid and Invalid value!");
        }
      }
    }
  }

  // The categories, once given to the variable: a flag has at most two, and
  // no two are equal under the variable's own comparison.
  void CheckCategories() const {
    const std::vector<ScoreValueLabel*>& categories = var_->GetValueLabels()->GetAllValueLabels();
    if (var_->IsFlagVariable() && categories.size() > 2) {
      throw OVException(OVException::kCodeCount, "Flag variable has to have two categories!");
    }
    const bool text = var_->IsString();
    const bool no_space_trim = var_->GetNoSpaceTrim();
    const bool empty_string_ok = var_->GetEmptyStringOK();
    for (size_t i = 0; i < categories.size(); ++i) {
      const ScoreValue* value = categories[i]->GetValue();
      for (size_t j = i + 1; j < categories.size(); ++j) {
        const bool same = text ? value->Equal(categories[j]->GetValue(), no_space_trim,
                                              empty_string_ok)
                               : *categories[i] == *categories[j];
        if (same) {
          throw OVException(OVException::kCodeStructure,
                            "\"" + value->GetString() + "\": Duplicated Category Value!");
        }
      }
    }
  }

  // A category that is missing anyway (system-missing, or inside a missing
  // value or invalid range of the field) could never be valid.
  void CheckCategoriesNotMissing(const ScoreMissingValueSet* missing) const {
    const std::vector<const ScoreValueRange*> ranges = missing->GetMissingValues();
    for (const ScoreValueLabel* category : var_->GetValueLabels()->GetAllValueLabels()) {
      bool is_missing = var_->IsMissingValue(category->GetValue());
      for (size_t i = 0; !is_missing && i < ranges.size(); ++i) {
        is_missing = ranges[i]->IsInRange(category->GetValue());
      }
      if (is_missing) {
        throw OVException(
            OVException::kCodeCount,
            var_->GetName() + ": category value is defined as both valid and invalid/missing");
      }
    }
  }

  PMMLTranslator* translator_;
  const ScoreDictionary* dictionary_;
  DOMElement* field_;
  std::unique_ptr<DictVar> var_;
  // The storage text from "x-storageType"; empty when none was given.
  XMLText storage_;
  // Whether the document fixed the storage type (storage text or "dataType",
  // or the first category of a field that has neither).
  bool type_declared_ = false;
  bool no_space_trim_ = false;
  bool empty_string_ok_ = true;
  int range_flags_ = 0;
  double lower_ = -NumericValue::GetInfinity();
  double upper_ = NumericValue::GetInfinity();
  // Value texts of the categorical reading, lent by the document.
  std::vector<const XMLCh*> valid_texts_;
  std::vector<const XMLCh*> missing_texts_;
};

ScoreDictionary* PMMLTranslator::ParseDictionary(DOMNode* dataDictionary) {
  if (dataDictionary == nullptr) {
    throw OVException(OVException::kCodeStructure, "<DataDictionary is required !!");
  }
  if (GetTranscoder() == nullptr) CreateTranscoder(encoding_);
  std::unique_ptr<BaseDictionary> dictionary(new BaseDictionary);
  data_fields_.clear();
  int count = 0;
  for (DOMNode* child = GetFirstChildElt(dataDictionary); child != nullptr;
       child = GetNextSiblingElt(child)) {
    if (!IsEqual(child->getNodeName(), T::XML_ELE_DATAFIELD)) {
      throw OVException(OVException::kCodeStructure, "<DataField> is required here!!");
    }
    std::unique_ptr<DictVar> var = DataFieldReader(this, dictionary.get(), AsElement(child)).Read();
    ++count;
    const std::string name = var->GetName();
    if (options_.standardPMML) data_fields_[name] = AsElement(child);
    if (dictionary->AddVar(name, var.get())) var.release();
  }
  if (dictionary->Size() == 0) {
    throw OVException(OVException::kCodeStructure, "<DataDictionary is EMPTY!!");
  }

  // Standard PMML: "numberOfFields" only informs.
  const DOMElement* element = options_.standardPMML ? nullptr : AsElement(dataDictionary);
  const xml_internal::WideName number_of_fields(T::XML_ATT_DATADICT_NUMBEROFFIELDS);
  if (element != nullptr && element->getAttributeNode(number_of_fields.get()) != nullptr) {
    const XMLCh* declared = element->getAttribute(number_of_fields.get());
    if (!IsPresent(declared)) {
      throw OVException(OVException::kCodeCount,
                        "Attribute \"numberOfFields\": Null string is an invalid integer string!");
    }
    if (XMLString::parseInt(declared) != count) {
      throw OVException(OVException::kCodeCount,
                        "Number of Variables in the Dictionary does not match with "
                        "numberOfFields!");
    }
  }
  return dictionary.release();
}

}  // namespace MCOrvane_600
