// Shared pieces of the fuzz targets: a hardened DOM parse of fuzzed bytes,
// and a small reader of fuzzed bytes for targets that build structures.

#ifndef ORVANE_FUZZ_FUZZ_SUPPORT_H_
#define ORVANE_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"

namespace orvane_fuzz {

// Keeps the Xerces platform initialised for the whole run; the platform
// counts initialisations, so the library's own pairs nest inside this one.
inline void KeepXercesInitialised() {
  static const bool initialised = [] {
    xercesc::XMLPlatformUtils::Initialize();
    return true;
  }();
  (void)initialised;
}

// A document parsed from fuzzed bytes the way a careful host parses one: no
// validation, no external DTD, no external entities, and a bound on entity
// expansion. `Root()` is null when the bytes are not a well-formed document.
class Document {
 public:
  Document(const uint8_t* data, size_t size) {
    security_.setEntityExpansionLimit(1000);
    parser_.reset(new xercesc::XercesDOMParser);
    parser_->setValidationScheme(xercesc::XercesDOMParser::Val_Never);
    parser_->setLoadExternalDTD(false);
    parser_->setDisableDefaultEntityResolution(true);
    parser_->setSecurityManager(&security_);
    xercesc::MemBufInputSource source(data, size, "fuzz");
    try {
      parser_->parse(source);
      if (parser_->getErrorCount() == 0) document_ = parser_->getDocument();
    } catch (const xercesc::XMLException&) {
    } catch (const xercesc::SAXException&) {
    } catch (const xercesc::DOMException&) {
    } catch (const xercesc::OutOfMemoryException&) {
    }
  }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Lent; owned by the parser.
  xercesc::DOMDocument* Get() const { return document_; }
  xercesc::DOMElement* Root() const {
    return document_ == nullptr ? nullptr : document_->getDocumentElement();
  }

 private:
  // Declared first: the parser refers to it until it is destroyed.
  xercesc::SecurityManager security_;
  std::unique_ptr<xercesc::XercesDOMParser> parser_;
  xercesc::DOMDocument* document_ = nullptr;
};

// The first descendant element of `root` (or `root` itself) named `name`.
inline xercesc::DOMElement* FindElement(xercesc::DOMElement* root, const char* name) {
  if (root == nullptr) return nullptr;
  XMLCh* tag = xercesc::XMLString::transcode(name);
  xercesc::DOMElement* found = nullptr;
  if (xercesc::XMLString::equals(root->getTagName(), tag)) {
    found = root;
  } else {
    xercesc::DOMNodeList* list = root->getElementsByTagName(tag);
    if (list != nullptr && list->getLength() > 0) {
      found = static_cast<xercesc::DOMElement*>(list->item(0));
    }
  }
  xercesc::XMLString::release(&tag);
  return found;
}

// Every code a reader may throw is one of the listed codes; anything else is
// a finding.
inline void CheckCode(const MCOrvane_600::OVException& e) {
  switch (e.GetErrorCode()) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 11:
    case 12:
      return;
    default:
      std::cerr << "unexpected exception code " << e.GetErrorCode() << ": " << e.GetErrorMessage()
                << "\n";
      std::abort();
  }
}

// What a host does with a dictionary it was given: dump it, copy it, and ask
// every variable about a few values.
inline void UseDictionary(const MCOrvane_600::ScoreDictionary& dictionary) {
  using MCOrvane_600::ScoreDictVar;
  using MCOrvane_600::ScoreValue;
  std::ostringstream sink;
  dictionary.Display(sink);
  const MCOrvane_600::NumericValue zero(0.0);
  const MCOrvane_600::NumericValue sysmis;
  const MCOrvane_600::StringValue empty("");
  const MCOrvane_600::StringValue text("A");
  const std::vector<const ScoreValue*> probes{&zero, &sysmis, &empty, &text};
  for (ScoreDictVar* var : dictionary.GetScoreDictVars()) {
    for (const ScoreValue* v : probes) {
      (void)var->IsMissingValue(v);
      (void)var->IsValidValue(v);
      (void)var->GetLabelOfValue(v);
    }
    (void)var->GetNumberOfCats();
    std::unique_ptr<ScoreDictVar> copy(var->Clone());
    (void)(*copy == *var);
  }
  std::unique_ptr<MCOrvane_600::ScoreDictionary> copy(dictionary.Clone());
}

// Consumes fuzzed bytes front to back; past the end every read gives 0.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // A value in [0, bound); 0 when bound is 0.
  unsigned Below(unsigned bound) { return bound == 0 ? 0 : Byte() % bound; }
  double Double() {
    double d = 0;
    uint8_t raw[sizeof d] = {};
    for (auto& b : raw) b = Byte();
    std::memcpy(&d, raw, sizeof d);
    return d;
  }
  // A short text: a length byte, then that many bytes (at most `max`).
  std::string Text(size_t max) {
    size_t n = Byte() % (max + 1);
    std::string s;
    while (n-- > 0 && !Empty()) s += static_cast<char>(Byte());
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace orvane_fuzz

#endif  // ORVANE_FUZZ_FUZZ_SUPPORT_H_
