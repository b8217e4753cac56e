// The missing-value ranges that intervals and the vendor's invalid-range
// extensions give a field: shared by the data and the transformation readers.

#include <algorithm>
#include <memory>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "orvane/dictionary/range.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "translate/xml_names.h"

namespace MCOrvane_600 {

namespace {

using T = PMMLModelTags;

const int kLowerGiven = 1;
const int kUpperGiven = 10;

// The set takes the range, or the range is destroyed (a duplicate is refused).
void AddRange(ScoreMissingValueSet* set, ScoreValueRange* range) {
  std::unique_ptr<ScoreValueRange> owned(range);
  if (set->Add(owned.get())) owned.release();
}

// A margin attribute as a number; `absent` when missing or empty.
double Margin(const xercesc::DOMElement* interval, const char* name, double absent) {
  const XMLCh* text = BaseTranslator::GetAttribute(interval, name);
  if (text == nullptr || *text == 0) return absent;
  return BaseTranslator::VerifyDouble(text);
}

struct Margins {
  explicit Margins(const xercesc::DOMElement* interval)
      : has_left(HasAttribute(interval, T::XML_ATT_INTERVAL_LEFTMARGIN)),
        has_right(HasAttribute(interval, T::XML_ATT_INTERVAL_RIGHTMARGIN)),
        left(Margin(interval, T::XML_ATT_INTERVAL_LEFTMARGIN, -NumericValue::GetInfinity())),
        right(Margin(interval, T::XML_ATT_INTERVAL_RIGHTMARGIN, NumericValue::GetInfinity())),
        closure(BaseTranslator::GetAttribute(interval, T::XML_ATT_INTERVAL_CLOSURE)) {}

  static bool HasAttribute(const xercesc::DOMElement* interval, const char* name) {
    const XMLCh* text = BaseTranslator::GetAttribute(interval, name);
    return text != nullptr && *text != 0;
  }

  bool ClosureIs(const char* value) const { return BaseTranslator::IsEqual(closure, value); }

  bool has_left;
  bool has_right;
  double left;
  double right;
  const XMLCh* closure;
};

using xml_internal::AsElement;

}  // namespace

bool PMMLTranslator::HandleQRTZMissingInterval(ScoreMissingValueSet* set, int flags, double lower,
                                               double upper) {
  if (flags == 0) return false;
  if (flags != kLowerGiven && flags != kUpperGiven && flags != kLowerGiven + kUpperGiven) {
    throw OVException(OVException::kCodeUnsupported,
                      "Only one \"invalidRangeLower\" or \"invalidRangeUpper\" is allowed!");
  }
  AddRange(set, new Range(lower, upper, true, true));
  return true;
}

void PMMLTranslator::handleInterval(ScoreDictVar*, xercesc::DOMNode* interval,
                                    ScoreMissingValueSet* set, int) {
  const xercesc::DOMElement* element = AsElement(interval);
  if (element == nullptr || set == nullptr) return;
  const Margins margins(element);
  const bool left_closed = margins.ClosureIs(T::XML_VAL_CLOSURE_CLOSEDCLOSED) ||
                           margins.ClosureIs(T::XML_VAL_CLOSURE_CLOSEDOPEN);
  const bool right_closed = margins.ClosureIs(T::XML_VAL_CLOSURE_CLOSEDCLOSED) ||
                            margins.ClosureIs(T::XML_VAL_CLOSURE_OPENCLOSED);
  const double infinity = NumericValue::GetInfinity();
  // Below the valid interval: the left margin itself is missing when open.
  if (margins.has_left) AddRange(set, new Range(-infinity, margins.left, true, !left_closed));
  // Above it; without any margin this is the empty stretch at plus infinity.
  if (!margins.has_left || margins.has_right) {
    AddRange(set, new Range(margins.right, infinity, !right_closed, true));
  }
}

void PMMLTranslator::handleIntervalUnion(const std::vector<xercesc::DOMElement*>& intervals,
                                         ScoreMissingValueSet* set) {
  struct Span {
    double low, high;
    bool low_closed, high_closed;
  };
  const double infinity = NumericValue::GetInfinity();
  std::vector<Span> spans;
  for (const xercesc::DOMElement* element : intervals) {
    const Margins m(element);
    const bool low_closed = m.ClosureIs(T::XML_VAL_CLOSURE_CLOSEDCLOSED) ||
                            m.ClosureIs(T::XML_VAL_CLOSURE_CLOSEDOPEN) || !m.has_left;
    const bool high_closed = m.ClosureIs(T::XML_VAL_CLOSURE_CLOSEDCLOSED) ||
                             m.ClosureIs(T::XML_VAL_CLOSURE_OPENCLOSED) || !m.has_right;
    spans.push_back({m.left, m.right, low_closed, high_closed});
  }
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
    return a.low < b.low || (a.low == b.low && a.low_closed && !b.low_closed);
  });
  // Everything up to `reach` is valid (`reach` itself when `reached`).
  double reach = -infinity;
  bool reached = false;
  bool started = false;
  for (const Span& span : spans) {
    if (span.low > reach) {
      // The gap before this interval; nothing is valid before the first.
      AddRange(set, new Range(reach, span.low, !started || !reached, !span.low_closed));
    } else if (span.low == reach && !reached && !span.low_closed && started) {
      AddRange(set, new Range(reach, reach, true, true));
    }
    if (!started || span.high > reach) {
      reach = span.high;
      reached = span.high_closed;
    } else if (span.high == reach) {
      reached = reached || span.high_closed;
    }
    started = true;
  }
  if (reach < infinity || !reached) AddRange(set, new Range(reach, infinity, !reached, true));
}

void PMMLTranslator::handleTreeInterval(xercesc::DOMNode* interval, ScoreMissingValueSet* set) {
  const xercesc::DOMElement* element = AsElement(interval);
  if (element == nullptr || set == nullptr) return;
  const Margins margins(element);
  bool low = false;
  bool high = false;
  if (margins.ClosureIs(T::XML_VAL_CLOSURE_CLOSEDCLOSED)) {
    low = high = true;
  } else if (margins.ClosureIs(T::XML_VAL_CLOSURE_CLOSEDOPEN)) {
    low = true;
  } else if (margins.ClosureIs(T::XML_VAL_CLOSURE_OPENCLOSED)) {
    high = true;
  }
  AddRange(set, new Range(margins.left, margins.right, low, high));
}

}  // namespace MCOrvane_600
