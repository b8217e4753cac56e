// The table expressions of a derived field: "NormContinuous", "MapValues"
// and "Discretize", with the vendor's recode extensions inside them.

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "orvane/dictionary/range.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transform_var.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
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

// The first element named `tag` below `element`, at any depth; `*count` gets
// how many there are, counted up to `limit` (the reader only asks whether
// there are none, one or enough).
DOMElement* FindDescendants(DOMElement* element, const char* tag, int limit, int* count) {
  if (element == nullptr) xml_internal::ThrowNodeMissing(tag);
  xml_internal::ElementsNamed found(element, tag);
  DOMElement* first = found.Next();
  *count = 0;
  for (DOMElement* next = first; next != nullptr; next = found.Next()) {
    if (++*count == limit) break;
  }
  return first;
}

int CountDescendants(DOMElement* element, const char* tag, int limit) {
  int count = 0;
  FindDescendants(element, tag, limit, &count);
  return count;
}

// A new value of `var`'s storage type from `text`: a number for numeric and
// date/time variables (checked by VerifyDouble), the text otherwise.
ScoreValue* MakeTableValue(const ScoreDictVar* var, const std::string& text) {
  switch (var->GetVarType()) {
    case ScoreDictVar::kNUMERIC_VAR:
      return new NumericValue(BaseTranslator::VerifyDouble(text));
    case ScoreDictVar::kDATETIME_VAR:
      return new DateTimeValue(BaseTranslator::VerifyDouble(text), var->GetDateTimeType());
    default:
      return new StringValue(text);
  }
}

// The text of an element's first child node; empty without one.
std::string ElementText(const BrixTranscoder* transcoder, const DOMElement* element) {
  const DOMNode* content = element->getFirstChild();
  return content == nullptr ? std::string() : transcoder->transcodeTo(content->getNodeValue());
}

// The child element of `row` named `column`, or null.
DOMElement* FindColumn(DOMElement* row, const std::string& column,
                       const BrixTranscoder* transcoder) {
  for (DOMElement* cell = FirstChildElement(row); cell != nullptr; cell = NextElement(cell)) {
    if (transcoder->transcodeTo(cell->getTagName()) == column) return cell;
  }
  return nullptr;
}

// Whether two lines (slope, intercept) are the same within the tolerance of
// numeric equality.
bool SameLine(const std::pair<double, double>& a, const std::pair<double, double>& b) {
  return NumericValue::IsEqual(a.first, b.first) && NumericValue::IsEqual(a.second, b.second);
}

struct Margins {
  double lower;
  double upper;
  bool lower_closed;
  bool upper_closed;
};

Margins MarginsOf(const ScoreValueRange& range) {
  return {range.GetMin()->GetDouble(), range.GetMax()->GetDouble(), range.GetLowEnd(),
          range.GetHighEnd()};
}

// `earlier` and `later` share a value. Touching ends overlap only when both
// touching ends are closed.
bool Overlap(const Margins& earlier, const Margins& later) {
  const double l1 = earlier.lower;
  const double u1 = earlier.upper;
  const double l2 = later.lower;
  const double u2 = later.upper;
  if (l1 == l2 && u1 == u2) return true;
  if (l2 < l1 && l1 < u2) return true;
  if (l1 < l2 && l2 < u1) return true;
  if (l2 < u1 && u1 < u2) return true;
  if (l1 == u2 && later.upper_closed && earlier.lower_closed) return true;
  if (l2 == u1 && later.lower_closed && earlier.upper_closed) return true;
  return false;
}

using Bins = std::vector<std::pair<std::unique_ptr<ScoreValueRange>, std::unique_ptr<ScoreValue>>>;

}  // namespace

std::string PMMLTranslator::HandleNorContinuous(DOMElement* norm, ScoreDictVar* target,
                                                const ScoreDictionary* data,
                                                const ScoreDictionary* derived) {
  if (CountDescendants(norm, T::XML_ELE_LINEARNORM, 2) < 2) {
    throw OVException(OVException::kCodeStructure, "At least two <LinearNorm>s are required!!");
  }
  const std::string field =
      GetTranscoder()->transcodeTo(GetAttributeForced(norm, T::XML_ATT_FIELD));
  const ScoreDictVar* source = FindField(field, data, derived);
  if (source == nullptr || source->GetMLevel() != ScoreDictVar::kCONTINUOUS) {
    throw OVException(OVException::kCodeStructure, field + ": must predefined as continuous type");
  }

  // (orig, norm) points in document order; a PMML Extension is no point.
  std::vector<std::pair<double, double>> points;
  for (DOMElement* child = FirstChildElement(norm); child != nullptr; child = NextElement(child)) {
    if (IsNamed(child, T::XML_ELE_EXTENSION)) continue;
    const double orig = VerifyDouble(GetAttributeForced(child, T::XML_ATT_ORIG));
    const double normed = VerifyDouble(GetAttributeForced(child, T::XML_ATT_NORM));
    points.emplace_back(orig, normed);
  }

  std::vector<std::pair<double, double>> segments;  // (slope, intercept)
  for (size_t i = 1; i < points.size(); ++i) {
    const double a = points[i - 1].first;
    const double p = points[i - 1].second;
    const double b = points[i].first;
    const double q = points[i].second;
    if (a == b) {
      segments.emplace_back(1.0, 0.0);
    } else {
      segments.emplace_back((q - p) / (b - a), (p * b - q * a) / (b - a));
    }
  }
  // A derived variable holds one line: more points are taken only when they
  // lie on it, since a bent line would silently give wrong values.
  for (size_t i = 1; i < segments.size(); ++i) {
    if (!SameLine(segments[0], segments[i])) {
      throw OVException(OVException::kCodeUnsupported,
                        field + ": only a straight line of <LinearNorm>s is supported!!");
    }
  }
  TransformVar* var = dynamic_cast<TransformVar*>(target);
  if (var != nullptr && !segments.empty()) var->AddNormInfo(segments[0].first, segments[0].second);
  return field;
}

std::string PMMLTranslator::HandleMapValues(DOMElement* mapValues, ScoreDictVar* target,
                                            const ScoreDictionary* data,
                                            const ScoreDictionary* derived) {
  TransformVar* var = dynamic_cast<TransformVar*>(target);
  const BrixTranscoder* transcoder = GetTranscoder();
  const XMLCh* missing = GetAttribute(mapValues, T::XML_ATT_MISSREPVALUE);
  if (var != nullptr && HasText(missing)) {
    var->SetRecodeMissValueTo(CarefullyMakeVarValue(target, missing));
  }
  const XMLCh* fallback = GetAttribute(mapValues, T::XML_ATT_DEFAULTVALUE);
  if (var != nullptr && HasText(fallback)) {
    var->SetRecodeDefaultValue(CarefullyMakeVarValue(target, fallback));
  }
  const std::string output_column =
      transcoder->transcodeTo(GetAttributeForced(mapValues, T::XML_ATT_MAPVALUES_OUTCOLUMN));

  int pairs = 0;
  const DOMElement* pair = FindDescendants(mapValues, T::XML_ELE_FIELDCOLPAIR, 2, &pairs);
  if (pairs != 1) {
    throw OVException(OVException::kCodeUnsupported, "Multi-dimensional case not supported!!");
  }
  const std::string field = transcoder->transcodeTo(GetAttributeForced(pair, T::XML_ATT_FIELD));
  const ScoreDictVar* source = FindField(field, data, derived);
  if (source == nullptr)
    throw OVException(OVException::kCodeStructure, field + ": not predefined!");
  const std::string key_column =
      transcoder->transcodeTo(GetAttributeForced(pair, T::XML_ATT_FIELDCOLPAIR_COLUMN));

  // "recodeTargetSysmis" maps its value to the system-missing value; every
  // other extension is a recode option of the target.
  auto read_extension = [&](DOMElement* extension) {
    if (!IsEqual(GetAttribute(extension, T::XML_ATT_EXT_NAME),
                 T::XML_ATT_TRAN_EXT_NAME_RECODETARGETSYSMIS)) {
      HandleQRTZExtensions(extension, target);
      return;
    }
    if (target->GetVarType() != ScoreDictVar::kNUMERIC_VAR) {
      throw OVException(OVException::kCodeUnsupported,
                        "Only numeric type derived variable is allowed!");
    }
    const std::string text = transcoder->transcodeTo(GetAttribute(extension, T::XML_ATT_EXT_VALUE));
    std::unique_ptr<ScoreValue> key(MakeTableValue(source, text));
    std::unique_ptr<ScoreValue> sysmis(new NumericValue(NumericValue::GetSysmisValue()));
    if (var != nullptr) var->AddEncodingMap(key.release(), sysmis.release());
  };

  bool has_pair = false;
  bool has_table = false;
  for (DOMElement* child = FirstChildElement(mapValues); child != nullptr;
       child = NextElement(child)) {
    if (IsNamed(child, T::XML_ELE_FIELDCOLPAIR)) {
      if (has_pair) {
        throw OVException(OVException::kCodeUnsupported, "Multi-dimensional case not supported!!");
      }
      has_pair = true;
    } else if (IsNamed(child, T::XML_ELE_INLTABLE)) {
      if (!has_pair) {
        throw OVException(OVException::kCodeStructure,
                          "Element <FieldColumnPair> should defined before!");
      }
      if (has_table) {
        throw OVException(OVException::kCodeStructure, "Only one <InlineTable> is allowed!!");
      }
      has_table = true;
      bool leading = true;
      for (DOMElement* row = FirstChildElement(child); row != nullptr; row = NextElement(row)) {
        if (IsNamed(row, T::XML_ELE_EXTENSION)) {
          if (leading) read_extension(row);
          continue;
        }
        if (!IsNamed(row, T::XML_ELE_ROW)) continue;
        leading = false;
        // Cells are found by name, so the columns may come in any order.
        DOMElement* key_cell = FindColumn(row, key_column, transcoder);
        if (key_cell == nullptr) {
          throw OVException(OVException::kCodeStructure,
                            "Child element " + key_column + " is not found in <Row>!");
        }
        DOMElement* output_cell = FindColumn(row, output_column, transcoder);
        if (output_cell == nullptr) {
          throw OVException(OVException::kCodeStructure,
                            "Child element " + output_column + " is not found in <Row>!");
        }
        if (output_cell->getFirstChild() == nullptr) {
          throw OVException(OVException::kCodeStructure,
                            "No Element Found from " + output_column + "!!!");
        }
        std::unique_ptr<ScoreValue> key(MakeTableValue(source, ElementText(transcoder, key_cell)));
        std::unique_ptr<ScoreValue> encoded(
            MakeTableValue(target, ElementText(transcoder, output_cell)));
        if (var != nullptr) var->AddEncodingMap(key.release(), encoded.release());
      }
    } else if (IsNamed(child, T::XML_ELE_EXTENSION)) {
      read_extension(child);
    } else if (!IsNamed(child, T::XML_ELE_TABLELOCATOR)) {
      throw OVException(OVException::kCodeStructure, "Invalid element!");
    }
  }
  return field;
}

std::string PMMLTranslator::HandleDiscritize(DOMElement* discretize, ScoreDictVar* target,
                                             const ScoreDictionary* data,
                                             const ScoreDictionary* derived) {
  TransformVar* var = dynamic_cast<TransformVar*>(target);
  const std::string field =
      GetTranscoder()->transcodeTo(GetAttributeForced(discretize, T::XML_ATT_FIELD));
  if (FindField(field, data, derived) == nullptr) {
    throw OVException(OVException::kCodeStructure, field + ": not predefined!");
  }
  const XMLCh* missing = GetAttribute(discretize, T::XML_ATT_MISSREPVALUE);
  if (var != nullptr && HasText(missing)) {
    var->SetRecodeMissValueTo(CarefullyMakeVarValue(target, missing));
  }
  const XMLCh* fallback = GetAttribute(discretize, T::XML_ATT_DEFAULTVALUE);
  if (var != nullptr && HasText(fallback)) {
    var->SetRecodeDefaultValue(CarefullyMakeVarValue(target, fallback));
  }
  if (CountDescendants(discretize, T::XML_ELE_DISCRETIZEBIN, 1) == 0) {
    throw OVException(OVException::kCodeStructure, "<DiscretizeBin> is required");
  }

  Bins bins;
  bins.reserve(8);  // a handful of bins is usual: one allocation
  auto sysmis = [] { return std::unique_ptr<ScoreValue>(new NumericValue()); };
  for (DOMElement* child = FirstChildElement(discretize); child != nullptr;
       child = NextElement(child)) {
    if (IsNamed(child, T::XML_ELE_DISCRETIZEBIN)) {
      const XMLCh* bin_value = GetAttributeForced(child, T::XML_ATT_BINVALUE);
      DOMElement* interval = nullptr;
      bool skip_interval = false;
      bool target_sysmis = false;
      bool copy_input = false;
      for (DOMElement* part = FirstChildElement(child); part != nullptr; part = NextElement(part)) {
        if (IsNamed(part, T::XML_ELE_INTERVAL)) {
          if (interval != nullptr) {
            throw OVException(OVException::kCodeStructure, "ONLY one <Interval> is allowed.");
          }
          interval = part;
        } else if (IsNamed(part, T::XML_ELE_EXTENSION)) {
          const XMLCh* name = GetAttribute(part, T::XML_ATT_EXT_NAME);
          if (IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_MAPSYSMISTO) ||
              IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_MISSINGCOPY)) {
            HandleQRTZExtensions(part, target);
            if (interval == nullptr) skip_interval = true;
          } else if (IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_RECODETARGETSYSMIS)) {
            target_sysmis = true;
          } else if (IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_INTERVALCOPY) ||
                     IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_ELSECOPY)) {
            copy_input = true;
          }
        } else {
          throw OVException(OVException::kCodeStructure,
                            "Only <Extension> and <Interval> are allowed!");
        }
      }
      // A bin that carries a recode option for missing input has no range.
      if (skip_interval) continue;
      if (interval == nullptr) {
        throw OVException(OVException::kCodeStructure, "Element Interval is required");
      }
      std::unique_ptr<ScoreValueRange> range(
          HandleDiscretizeBinInterVal(interval, static_cast<int>(bins.size())));
      std::unique_ptr<ScoreValue> value;
      if (target_sysmis) {
        value = sysmis();
      } else if (!copy_input) {
        value.reset(MakeTableValue(target, GetTranscoder()->transcodeTo(bin_value)));
      }
      bins.emplace_back(std::move(range), std::move(value));
    } else if (IsNamed(child, T::XML_ELE_EXTENSION)) {
      const XMLCh* name = GetAttribute(child, T::XML_ATT_EXT_NAME);
      const bool target_sysmis = IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_RECODETARGETSYSMIS);
      if (!target_sysmis && !IsEqual(name, T::XML_ATT_TRAN_EXT_NAME_INTERVALCOPY)) {
        HandleQRTZExtensions(child, target);
        continue;
      }
      DOMElement* interval = FirstChildElement(child);
      if (interval == nullptr) {
        throw OVException(OVException::kCodeStructure, "Element Interval is required");
      }
      std::unique_ptr<ScoreValueRange> range(
          HandleDiscretizeBinInterVal(interval, static_cast<int>(bins.size())));
      bins.emplace_back(std::move(range), target_sysmis ? sysmis() : nullptr);
    } else {
      throw OVException(OVException::kCodeStructure,
                        "Only <Extension> and <DisCretizeBin> are allowed!");
    }
  }

  for (size_t i = 0; i < bins.size(); ++i) {
    for (size_t j = i + 1; j < bins.size(); ++j) {
      if (Overlap(MarginsOf(*bins[i].first), MarginsOf(*bins[j].first))) {
        throw OVException(OVException::kCodeStructure, "Only disjoint value range is allowed");
      }
    }
  }
  if (var != nullptr) {
    for (auto& bin : bins) var->AddBinningValue(bin.first.release(), bin.second.release());
  }
  return field;
}

ScoreValueRange* PMMLTranslator::HandleDiscretizeBinInterVal(DOMElement* interval, int binsSoFar) {
  const XMLCh* closure = GetAttributeForced(interval, T::XML_ATT_INTERVAL_CLOSURE);
  bool left_closed = false;
  bool right_closed = false;
  if (IsEqual(closure, T::XML_VAL_CLOSURE_CLOSEDCLOSED)) {
    left_closed = right_closed = true;
  } else if (IsEqual(closure, T::XML_VAL_CLOSURE_CLOSEDOPEN)) {
    left_closed = true;
  } else if (IsEqual(closure, T::XML_VAL_CLOSURE_OPENCLOSED)) {
    right_closed = true;
  } else if (!IsEqual(closure, T::XML_VAL_CLOSURE_OPENOPEN)) {
    throw OVException(OVException::kCodeStructure, "In valid closure value in <InterVal>.");
  }
  const XMLCh* left = GetAttribute(interval, T::XML_ATT_INTERVAL_LEFTMARGIN);
  const XMLCh* right = GetAttribute(interval, T::XML_ATT_INTERVAL_RIGHTMARGIN);
  if (!HasText(left) && !HasText(right) && binsSoFar > 1) {
    throw OVException(OVException::kCodeCount, "At least one margin must be defined.");
  }
  const double lower = HasText(left) ? VerifyDouble(left) : -NumericValue::GetInfinity();
  const double upper = HasText(right) ? VerifyDouble(right) : NumericValue::GetInfinity();
  return new Range(lower, upper, left_closed, right_closed);
}

}  // namespace MCOrvane_600
