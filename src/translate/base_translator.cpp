#include "orvane/translate/base_translator.h"

#include <cstdlib>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {

namespace {

using xercesc::DOMNode;
using xercesc::XMLString;

const char kDefaultEncoding[] = "CP1252";

// A string from XMLString::transcode, released when it goes out of scope.
class Transcoded {
 public:
  explicit Transcoded(const std::string& text) : wide_(XMLString::transcode(text.c_str())) {}
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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Positions of one character in a text, -1 where absent.
struct Occurrences {
  Occurrences(const std::string& text, char c) {
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] != c) continue;
      if (count == 0) first = static_cast<long>(i);
      last = static_cast<long>(i);
      ++count;
    }
  }
  long first = -1;
  long last = -1;
  int count = 0;
};

// Sign rules of a double: without an exponent one sign at the front at
// most; with one, any sign after the front must follow the exponent letter.
bool ValidSign(const std::string& text, char sign, long exponent) {
  const Occurrences at(text, sign);
  const long n = static_cast<long>(text.size());
  if (at.count == 0) return true;
  if (exponent < 0 && (at.count > 1 || at.first != 0)) return false;
  if (at.last == n - 1) return false;
  for (long i = 1; i < n; ++i) {
    if (text[i] == sign && i != exponent + 1) return false;
  }
  return true;
}

bool IsDoubleText(const std::string& text) {
  const long n = static_cast<long>(text.size());
  if (n == 0) return false;
  for (char c : text) {
    if (!IsDigit(c) && c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+') return false;
  }
  const Occurrences e(text, 'e');
  const Occurrences upper_e(text, 'E');
  if (e.count > 1 || e.first == 0 || e.last == n - 1) return false;
  if (upper_e.count > 1 || upper_e.first == 0 || upper_e.last == n - 1) return false;
  if (e.count > 0 && upper_e.count > 0) return false;
  const long exponent = e.count > 0 ? e.first : upper_e.first;
  if (!ValidSign(text, '-', exponent) || !ValidSign(text, '+', exponent)) return false;
  if (exponent < 0 && Occurrences(text, '-').count > 0 && Occurrences(text, '+').count > 0) {
    return false;
  }
  const Occurrences dot(text, '.');
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
  for (DOMNode* child = GetFirstChildElt(parent); child != nullptr;
       child = GetNextSiblingElt(child)) {
    if (XMLString::compareString(child->getNodeName(), tag) == 0) return child;
  }
  return nullptr;
}

DOMNode* BaseTranslator::GetChildTagForced(DOMNode* parent, XMLCh* tag) {
  const std::string name = Narrow(tag);
  DOMNode* child = GetChildTag(parent, tag);
  if (child == nullptr) throw OVException(OVException::kCodeAbsent, name + "Node is missing --- ");
  return child;
}

DOMNode* BaseTranslator::GetChildByTag(DOMNode* parent, const std::string& name) {
  return GetChildTag(parent, XMLString::transcode(name.c_str()));
}

DOMNode* BaseTranslator::GetChildByTagForced(DOMNode* parent, const std::string& name) {
  DOMNode* child = GetChildByTag(parent, name);
  if (child == nullptr) {
    throw OVException(OVException::kCodeAbsent, "Node is missing --- " + name + " ---");
  }
  return child;
}

xercesc::DOMNodeList* BaseTranslator::GetElementsByTagName(const xercesc::DOMElement* elt,
                                                           const std::string& name) {
  if (elt == nullptr) {
    throw OVException(OVException::kCodeAbsent, "Node is missing --- " + name + " ---");
  }
  const Transcoded tag(name);
  return elt->getElementsByTagName(tag.get());
}

xercesc::DOMNodeList* BaseTranslator::GetElementsByTagName(const xercesc::DOMDocument* doc,
                                                           const std::string& name) {
  if (doc == nullptr) {
    throw OVException(OVException::kCodeAbsent, "Node is missing --- " + name + " ---");
  }
  const Transcoded tag(name);
  return doc->getElementsByTagName(tag.get());
}

const XMLCh* BaseTranslator::GetAttribute(const xercesc::DOMElement* elt, const std::string& name) {
  if (elt == nullptr) return nullptr;
  const Transcoded attribute(name);
  return elt->getAttribute(attribute.get());
}

const XMLCh* BaseTranslator::GetAttributeForced(const xercesc::DOMElement* elt,
                                                const std::string& name) {
  if (elt != nullptr) {
    const Transcoded attribute(name);
    if (elt->getAttributeNode(attribute.get()) != nullptr)
      return elt->getAttribute(attribute.get());
  }
  const std::string tag = elt == nullptr ? std::string() : Narrow(elt->getTagName());
  throw OVException(OVException::kCodeAbsent,
                    "Attribute " + name + " is missing from Node \"" + tag + "\"");
}

bool BaseTranslator::IsEqual(const XMLCh* text, const std::string& s) {
  return IsEqual(nullptr, text, s);
}

bool BaseTranslator::IsEqual(BrixTranscoder* transcoder, const XMLCh* text, const std::string& s) {
  if (transcoder != nullptr) return transcoder->transcodeTo(text) == s;
  const Transcoded wide(s);
  return XMLString::equals(wide.get(), text);
}

double BaseTranslator::VerifyDouble(const std::string& text) {
  if (!IsDoubleText(text)) {
    throw OVException(OVException::kCodeConversion, text + "Invalid double string -- ");
  }
  return NumericValue(text).GetDouble();
}

double BaseTranslator::VerifyDouble(const XMLCh* text) { return VerifyDouble(Narrow(text)); }

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
