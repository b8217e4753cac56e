#include "orvane/translate/base_translator.h"

#include <cstddef>
#include <cstdlib>
#include <limits>
#include <string_view>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "translate/xml_names.h"
#include "values/number_prefix.h"

namespace MCOrvane_600 {

namespace {

using xercesc::DOMNode;
using xercesc::XMLString;
using xml_internal::WideName;

const char kDefaultEncoding[] = "CP1252";

// A string from XMLString::transcode, released when it goes out of scope.
class Transcoded {
 public:
  explicit Transcoded(XMLCh* adopted) : wide_(adopted) {}
  ~Transcoded() { XMLString::release(&wide_); }
  Transcoded(const Transcoded&) = delete;
  Transcoded& operator=(const Transcoded&) = delete;

  const XMLCh* get() const { return wide_; }

 private:
  XMLCh* wide_;
};

// The text in the local code page; empty for null. ASCII text, the usual
// case, is narrowed without a round trip through the platform.
std::string Narrow(const XMLCh* text) {
  std::string result;
  if (text == nullptr) return result;
  for (const XMLCh* c = text; *c != 0; ++c) {
    if (*c >= 0x80) {
      char* narrow = XMLString::transcode(text);
      result = narrow == nullptr ? std::string() : std::string(narrow);
      XMLString::release(&narrow);
      return result;
    }
    result += static_cast<char>(*c);
  }
  return result;
}

// The longest text NarrowShortAscii takes; numbers are far shorter.
const std::size_t kShortText = 64;

// `text` (not null, ASCII, at most kShortText long) as Narrow makes it, into
// `buffer` (kShortText chars); false for any other text.
bool NarrowShortAscii(const XMLCh* text, char* buffer, std::size_t* length) {
  if (text == nullptr) return false;
  std::size_t i = 0;
  for (; text[i] != 0; ++i) {
    if (i == kShortText || text[i] >= 0x80) return false;
    buffer[i] = static_cast<char>(text[i]);
  }
  *length = i;
  return true;
}

// The first element child of `parent` whose node name is `tag`.
DOMNode* FindChild(DOMNode* parent, const XMLCh* tag) {
  for (DOMNode* child = BaseTranslator::GetFirstChildElt(parent); child != nullptr;
       child = BaseTranslator::GetNextSiblingElt(child)) {
    if (XMLString::compareString(child->getNodeName(), tag) == 0) return child;
  }
  return nullptr;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Positions of one character in a text, -1 where absent.
struct Occurrences {
  Occurrences() = default;
  Occurrences(const std::string& text, char c) {
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == c) Add(static_cast<long>(i));
    }
  }
  void Add(long at) {
    if (count == 0) first = at;
    last = at;
    ++count;
  }
  long first = -1;
  long last = -1;
  int count = 0;
};

// Sign rules of a double: without an exponent one sign at the front at
// most; with one, any sign after the front must follow the exponent letter.
bool ValidSign(const Occurrences& at, long n, long exponent) {
  if (at.count == 0) return true;
  if (exponent < 0 && (at.count > 1 || at.first != 0)) return false;
  if (at.last == n - 1) return false;
  // Every sign after the front stands right after the exponent letter: one
  // at most, and it is the last.
  const int after_front = at.count - (at.first == 0 ? 1 : 0);
  if (after_front > 1) return false;
  return after_front == 0 || at.last == exponent + 1;
}

// One pass gathers what every rule needs.
bool IsDoubleText(std::string_view text) {
  const long n = static_cast<long>(text.size());
  if (n == 0) return false;
  Occurrences e, upper_e, minus, plus, dot;
  for (long i = 0; i < n; ++i) {
    switch (text[i]) {
      case 'e':
        e.Add(i);
        break;
      case 'E':
        upper_e.Add(i);
        break;
      case '-':
        minus.Add(i);
        break;
      case '+':
        plus.Add(i);
        break;
      case '.':
        dot.Add(i);
        break;
      default:
        if (!IsDigit(text[i])) return false;
    }
  }
  if (e.count > 1 || e.first == 0 || e.last == n - 1) return false;
  if (upper_e.count > 1 || upper_e.first == 0 || upper_e.last == n - 1) return false;
  if (e.count > 0 && upper_e.count > 0) return false;
  const long exponent = e.count > 0 ? e.first : upper_e.first;
  if (!ValidSign(minus, n, exponent) || !ValidSign(plus, n, exponent)) return false;
  if (exponent < 0 && minus.count > 0 && plus.count > 0) return false;
  if (dot.count > 1 || dot.last == n - 1) return false;
  if (exponent >= 0 && dot.count == 1 && dot.first >= exponent - 1) return false;
  return true;
}

bool IsIntText(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c) && c != '-' && c != '+') return false;
  }
  const Occurrences minus(text, '-');
  const Occurrences plus(text, '+');
  if (minus.count > 1 || minus.first > 0) return false;
  if (plus.count > 1 || plus.first > 0) return false;
  return !(text.size() == 1 && minus.count + plus.count == 1);
}

// The attribute node named `name`, or null. Each attribute's name is
// compared in place, as the element's own lookup compares them, without
// widening `name` first.
const xercesc::DOMAttr* FindAttribute(const xercesc::DOMElement* elt, const char* name) {
  const xercesc::DOMNamedNodeMap* attributes = elt->getAttributes();
  const XMLSize_t count = attributes == nullptr ? 0 : attributes->getLength();
  for (XMLSize_t i = 0; i < count; ++i) {
    const DOMNode* attribute = attributes->item(i);
    // An element's attribute map holds attributes only.
    if (xml_internal::EqualsName(attribute->getNodeName(), name)) {
      return static_cast<const xercesc::DOMAttr*>(attribute);
    }
  }
  return nullptr;
}

[[noreturn]] void ThrowAttributeMissing(const xercesc::DOMElement* elt, const std::string& name) {
  const std::string tag = elt == nullptr ? std::string() : Narrow(elt->getTagName());
  throw OVException(OVException::kCodeAbsent,
                    "Attribute " + name + " is missing from Node \"" + tag + "\"");
}

// NumericValue(text).GetDouble() for a text that IsDoubleText accepts, read
// once. Such a text holds only digits, signs, '.', 'e' and 'E', so the number
// that NumericValue reads is the prefix that ReadNumberPrefix reads; that
// fails only when it holds no digit or overflows, and only a positive
// overflow leaves DBL_MAX. NumericValue makes that one infinity and every
// other failure system-missing.
double ValueOfDoubleText(std::string_view text) {
  double number = 0.0;
  if (internal::ReadNumberPrefix(text, &number)) return number;
  return number == std::numeric_limits<double>::max() ? NumericValue::GetInfinity()
                                                      : NumericValue::GetSysmisValue();
}

}  // namespace

BaseTranslator::BaseTranslator() = default;

BaseTranslator::BaseTranslator(const BaseTranslator& other)
    : ScoreTranslator(other),
      transcoder_(other.transcoder_ ? new BrixTranscoder(*other.transcoder_) : nullptr) {}

BaseTranslator& BaseTranslator::operator=(const BaseTranslator& other) {
  if (this != &other) {
    transcoder_.reset(other.transcoder_ ? new BrixTranscoder(*other.transcoder_) : nullptr);
  }
  return *this;
}

BaseTranslator::~BaseTranslator() = default;

ScoreModel* BaseTranslator::ParseFromTree(const std::string&, const std::string&) {
  return nullptr;
}

ScoreModel* BaseTranslator::ParseFromTree(std::istream&, const std::string&) { return nullptr; }

ScoreModel* BaseTranslator::ParseFromTree(std::istream&, const std::string&, const std::string&) {
  return nullptr;
}

DOMNode* BaseTranslator::GetFirstChildElt(DOMNode* node) {
  if (node == nullptr) return nullptr;
  DOMNode* child = node->getFirstChild();
  while (child != nullptr && child->getNodeType() != DOMNode::ELEMENT_NODE) {
    child = child->getNextSibling();
  }
  return child;
}

DOMNode* BaseTranslator::GetNextSiblingElt(DOMNode* node) {
  if (node == nullptr) return nullptr;
  DOMNode* sibling = node->getNextSibling();
  while (sibling != nullptr && sibling->getNodeType() != DOMNode::ELEMENT_NODE) {
    sibling = sibling->getNextSibling();
  }
  return sibling;
}

DOMNode* BaseTranslator::GetChildTag(DOMNode* parent, XMLCh* tag) {
  const Transcoded owned_tag(tag);
  return FindChild(parent, tag);
}

DOMNode* BaseTranslator::GetChildTagForced(DOMNode* parent, XMLCh* tag) {
  const std::string name = Narrow(tag);
  DOMNode* child = GetChildTag(parent, tag);
  if (child == nullptr) throw OVException(OVException::kCodeAbsent, name + "Node is missing --- ");
  return child;
}

DOMNode* BaseTranslator::GetChildByTag(DOMNode* parent, const std::string& name) {
  const WideName tag(name.c_str());
  return FindChild(parent, tag.get());
}

DOMNode* BaseTranslator::GetChildByTagForced(DOMNode* parent, const std::string& name) {
  DOMNode* child = GetChildByTag(parent, name);
  if (child == nullptr) xml_internal::ThrowNodeMissing(name);
  return child;
}

xercesc::DOMNodeList* BaseTranslator::GetElementsByTagName(const xercesc::DOMElement* elt,
                                                           const std::string& name) {
  if (elt == nullptr) xml_internal::ThrowNodeMissing(name);
  const WideName tag(name.c_str());
  return elt->getElementsByTagName(tag.get());
}

xercesc::DOMNodeList* BaseTranslator::GetElementsByTagName(const xercesc::DOMDocument* doc,
                                                           const std::string& name) {
  if (doc == nullptr) xml_internal::ThrowNodeMissing(name);
  const WideName tag(name.c_str());
  return doc->getElementsByTagName(tag.get());
}

const XMLCh* BaseTranslator::GetAttribute(const xercesc::DOMElement* elt, const std::string& name) {
  return GetAttribute(elt, name.c_str());
}

const XMLCh* BaseTranslator::GetAttribute(const xercesc::DOMElement* elt, const char* name) {
  if (elt == nullptr) return nullptr;
  const xercesc::DOMAttr* node = FindAttribute(elt, name);
  return node == nullptr ? xercesc::XMLUni::fgZeroLenString : xml_internal::AttributeValue(node);
}

const XMLCh* BaseTranslator::GetAttributeForced(const xercesc::DOMElement* elt,
                                                const std::string& name) {
  const xercesc::DOMAttr* node = elt == nullptr ? nullptr : FindAttribute(elt, name.c_str());
  if (node == nullptr) ThrowAttributeMissing(elt, name);
  return xml_internal::AttributeValue(node);
}

const XMLCh* BaseTranslator::GetAttributeForced(const xercesc::DOMElement* elt, const char* name) {
  const xercesc::DOMAttr* node = elt == nullptr ? nullptr : FindAttribute(elt, name);
  if (node == nullptr) ThrowAttributeMissing(elt, name);
  return xml_internal::AttributeValue(node);
}

bool BaseTranslator::IsEqual(const XMLCh* text, const std::string& s) {
  return IsEqual(nullptr, text, s);
}

bool BaseTranslator::IsEqual(const XMLCh* text, const char* s) {
  return xml_internal::EqualsName(text, s);
}

bool BaseTranslator::IsEqual(BrixTranscoder* transcoder, const XMLCh* text, const std::string& s) {
  if (transcoder != nullptr) return transcoder->transcodeTo(text) == s;
  return xml_internal::EqualsName(text, s.c_str());
}

double BaseTranslator::VerifyDouble(const std::string& text) {
  if (!IsDoubleText(text)) {
    throw OVException(OVException::kCodeConversion, text + "Invalid double string -- ");
  }
  return ValueOfDoubleText(text);
}

double BaseTranslator::VerifyDouble(const XMLCh* text) {
  // Numbers are short ASCII texts, read here without a std::string; any
  // other text takes the string form, which also words the refusal.
  char buffer[kShortText];
  std::size_t length = 0;
  if (NarrowShortAscii(text, buffer, &length)) {
    const std::string_view narrow(buffer, length);
    if (IsDoubleText(narrow)) return ValueOfDoubleText(narrow);
  }
  return VerifyDouble(Narrow(text));
}

int BaseTranslator::VerifyInt(const std::string& text) {
  if (!IsIntText(text)) {
    throw OVException(OVException::kCodeConversion, text + "Invalid integer string -- ");
  }
  return std::atoi(text.c_str());
}

int BaseTranslator::VerifyInt(const XMLCh* text) { return VerifyInt(Narrow(text)); }

double BaseTranslator::VerifyDateTime(const std::string& text, ScoreDictVar::DateTimeType type) {
  if (!DateTimeValue::IsValidDateTime(text, type)) {
    throw OVException(OVException::kCodeConversion, text + " Invalid date time string -- ");
  }
  return DateTimeValue(text, type).GetDouble();
}

double BaseTranslator::VerifyDateTime(const XMLCh* text, ScoreDictVar::DateTimeType type) {
  return VerifyDateTime(Narrow(text), type);
}

void BaseTranslator::CreateTranscoder(const std::string& encoding) {
  transcoder_.reset(new BrixTranscoder(encoding.empty() ? kDefaultEncoding : encoding));
}

ScoreValue* BaseTranslator::CarefullyMakeVarValue(const ScoreDictVar* var, const XMLCh* text) {
  if (var == nullptr) return nullptr;
  switch (var->GetVarType()) {
    case ScoreDictVar::kSTRING_VAR:
      if (transcoder_ != nullptr) return new StringValue(transcoder_->transcodeTo(text));
      return new StringValue(BrixTranscoder(kDefaultEncoding).transcodeTo(text));
    case ScoreDictVar::kNUMERIC_VAR:
      return new NumericValue(VerifyDouble(text));
    case ScoreDictVar::kDATETIME_VAR:
      return new DateTimeValue(VerifyDouble(text), var->GetDateTimeType());
  }
  return nullptr;
}

BrixTranscoder* BaseTranslator::GetTranscoder() const { return transcoder_.get(); }

}  // namespace MCOrvane_600
