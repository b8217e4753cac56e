#include "orvane/translate/pmml_translator.h"

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLStringTokenizer.hpp>

#include "orvane/translate/pmml_model_tags.h"
#include "orvane/values/ov_exception.h"

namespace MCOrvane_600 {

namespace {

using T = PMMLModelTags;

struct DateTimeName {
  const char* const* name;
  ScoreDictVar::DateTimeType type;
};

const DateTimeName kDateTimeNames[] = {
    {&T::XML_VAL_DATE, ScoreDictVar::kDATE},
    {&T::XML_VAL_TIME, ScoreDictVar::kTIME},
    {&T::XML_VAL_DATETIME, ScoreDictVar::kDATETIME},
    {&T::XML_VAL_DATEDAYSSINCE_0, ScoreDictVar::kDATE_DAYS_SINCE_0},
    {&T::XML_VAL_DATEDAYSSINCE_1960, ScoreDictVar::kDATE_DAYS_SINCE_1960},
    {&T::XML_VAL_DATEDAYSSINCE_1970, ScoreDictVar::kDATE_DAYS_SINCE_1970},
    {&T::XML_VAL_DATEDAYSSINCE_1980, ScoreDictVar::kDATE_DAYS_SINCE_1980},
    {&T::XML_VAL_TIMESECONDS, ScoreDictVar::kTIME_SECONDS},
    {&T::XML_VAL_DATETIMESECONDSSINCE_0, ScoreDictVar::kDATETIME_SECONDS_SINCE_0},
    {&T::XML_VAL_DATETIMESECONDSSINCE_1960, ScoreDictVar::kDATETIME_SECONDS_SINCE_1960},
    {&T::XML_VAL_DATETIMESECONDSSINCE_1970, ScoreDictVar::kDATETIME_SECONDS_SINCE_1970},
    {&T::XML_VAL_DATETIMESECONDSSINCE_1980, ScoreDictVar::kDATETIME_SECONDS_SINCE_1980},
};

const size_t kNotAscii = static_cast<size_t>(-1);

// The length of an ASCII name, which its transcoding keeps; kNotAscii for
// any other name.
size_t AsciiLength(const char* name) {
  size_t length = 0;
  for (; name[length] != 0; ++length) {
    if (static_cast<unsigned char>(name[length]) >= 0x80) return kNotAscii;
  }
  return length;
}

}  // namespace

PMMLTranslator::PMMLTranslator() = default;

PMMLTranslator::PMMLTranslator(const std::string& encoding) : encoding_(encoding) {}

PMMLTranslator::PMMLTranslator(const PMMLTranslator& other)
    : BaseTranslator(other),
      function_map_(other.function_map_),
      encoding_(other.encoding_),
      options_(other.options_),
      node_counter_(other.node_counter_) {}

PMMLTranslator& PMMLTranslator::operator=(const PMMLTranslator& other) {
  if (this != &other) {
    BaseTranslator::operator=(other);
    function_map_ = other.function_map_;
    encoding_ = other.encoding_;
    options_ = other.options_;
    node_counter_ = other.node_counter_;
  }
  return *this;
}

PMMLTranslator::~PMMLTranslator() = default;

ScoreModel* PMMLTranslator::ParseFromTree(xercesc::DOMDocument*, const std::string&) {
  return nullptr;
}

ScoreDictVar::DateTimeType PMMLTranslator::ParseDateTimeType(const XMLCh* dataType) {
  // Most data types ("double", "string", "integer") are no date/time name at
  // all: a text compares only with the names of its length.
  static const std::vector<size_t> name_lengths = [] {
    std::vector<size_t> lengths;
    for (const DateTimeName& entry : kDateTimeNames) lengths.push_back(AsciiLength(*entry.name));
    return lengths;
  }();
  const XMLSize_t length = xercesc::XMLString::stringLen(dataType);
  for (size_t i = 0; i < name_lengths.size(); ++i) {
    if (name_lengths[i] != kNotAscii && name_lengths[i] != length) continue;
    if (IsEqual(dataType, *kDateTimeNames[i].name)) return kDateTimeNames[i].type;
  }
  return ScoreDictVar::kNO_DATETIME;
}

std::vector<double> PMMLTranslator::VerifyDoubleArray(xercesc::DOMElement* array, int count) {
  if (array == nullptr) {
    throw OVException(OVException::kCodeAbsent, "No Array Element Node Found!!!");
  }
  const XMLCh* tag = array->getTagName();
  bool counted = true;
  int expected = count;
  if (!IsEqual(tag, T::XML_ELE_XBASISROW) && !IsEqual(tag, T::XML_ELE_UPERXBASISROW)) {
    if (!IsEqual(tag, T::XML_ELE_ARRAY)) {
      throw OVException(OVException::kCodeConversion, "Invalid character -- should be array!");
    }
    const XMLCh* n = GetAttribute(array, T::XML_ATT_ARRAY_N);
    counted = n != nullptr && *n != 0;
    if (counted) expected = VerifyInt(n);
  }

  const xercesc::DOMNode* text = array->getFirstChild();
  if (text == nullptr) throw OVException(OVException::kCodeAbsent, "No Array Element Found!!!");
  const XMLCh* content = text->getNodeValue();
  static const XMLCh kEmpty[] = {0};
  xercesc::XMLStringTokenizer tokens(content != nullptr ? content : kEmpty);
  const int found = static_cast<int>(tokens.countTokens());
  if (found == 0) throw OVException(OVException::kCodeAbsent, "No Elements found in double array!");
  if (counted && found != expected) {
    throw OVException(OVException::kCodeCount, "Number Does Not Match in Double array!");
  }

  std::vector<double> numbers;
  numbers.reserve(found);
  while (tokens.hasMoreTokens()) numbers.push_back(VerifyDouble(tokens.nextToken()));
  return numbers;
}

}  // namespace MCOrvane_600
