#include "translate/xml_document_parse.h"

#include <cxxabi.h>

#include <string>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>
#include <xercesc/validators/DTD/DTDEntityDecl.hpp>

#include "orvane/values/ov_exception.h"

namespace MCOrvane_600 {
namespace xml_internal {

XercesPlatformSession::XercesPlatformSession() {
  // The message is copied out and the Xerces exception released before the
  // platform goes down: the exception's text lives in the platform's memory.
  std::string failure;
  bool failed = false;
  try {
    xercesc::XMLPlatformUtils::Initialize();
  } catch (const xercesc::XMLException& e) {
    failure = NarrowText(e.getMessage());
    failed = true;
  }
  if (failed) {
    xercesc::XMLPlatformUtils::Terminate();
    throw OVException(OVException::kCodeUnsupported, failure);
  }
}

XercesPlatformSession::~XercesPlatformSession() { xercesc::XMLPlatformUtils::Terminate(); }

ParserGuards::ParserGuards() { security_.setEntityExpansionLimit(kEntityExpansionLimit); }

namespace {

// The DOM parser learns entity declarations through this override; a long
// one ends the parse.
class GuardedDOMParser : public xercesc::XercesDOMParser {
 public:
  void entityDecl(const xercesc::DTDEntityDecl& decl, const bool isPEDecl,
                  const bool isIgnored) override {
    if (decl.getValueLen() > ParserGuards::kEntityLengthLimit) {
      throw ParserGuards::EntityTooLong();
    }
    xercesc::XercesDOMParser::entityDecl(decl, isPEDecl, isIgnored);
  }
};

// Holds back whitespace that follows an end tag: dropped when a tag, comment
// or instruction comes next, handed on when more text does (the text is then
// whole, as the scanner may deliver it in pieces).
class CompactDOMParser : public GuardedDOMParser {
 public:
  void startElement(const xercesc::XMLElementDecl& decl, const unsigned int url_id,
                    const XMLCh* const prefix, const xercesc::RefVectorOf<xercesc::XMLAttr>& attrs,
                    const XMLSize_t attr_count, const bool is_empty, const bool is_root) override {
    held_.clear();
    after_end_ = false;
    GuardedDOMParser::startElement(decl, url_id, prefix, attrs, attr_count, is_empty, is_root);
    after_end_ = is_empty;
  }
  void endElement(const xercesc::XMLElementDecl& decl, const unsigned int url_id,
                  const bool is_root, const XMLCh* const prefix) override {
    held_.clear();
    GuardedDOMParser::endElement(decl, url_id, is_root, prefix);
    after_end_ = true;
  }
  void docCharacters(const XMLCh* const chars, const XMLSize_t length, const bool cdata) override {
    if (after_end_ && !cdata && IsSpace(chars, length)) {
      held_.append(chars, length);
      return;
    }
    if (!held_.empty()) {
      GuardedDOMParser::docCharacters(held_.data(), held_.size(), false);
      held_.clear();
    }
    after_end_ = false;
    GuardedDOMParser::docCharacters(chars, length, cdata);
  }
  void docComment(const XMLCh* const comment) override {
    held_.clear();
    after_end_ = false;
    GuardedDOMParser::docComment(comment);
  }
  void docPI(const XMLCh* const target, const XMLCh* const data) override {
    held_.clear();
    after_end_ = false;
    GuardedDOMParser::docPI(target, data);
  }

 private:
  static bool IsSpace(const XMLCh* chars, XMLSize_t length) {
    for (XMLSize_t i = 0; i < length; ++i) {
      const XMLCh c = chars[i];
      if (c != 0x20 && c != 0x0A && c != 0x09 && c != 0x0D) return false;
    }
    return true;
  }

  std::basic_string<XMLCh> held_;
  bool after_end_ = false;
};

}  // namespace

std::unique_ptr<xercesc::XercesDOMParser> ParserGuards::NewReaderParser() {
  return Guard(std::unique_ptr<xercesc::XercesDOMParser>(new CompactDOMParser));
}

std::unique_ptr<xercesc::XercesDOMParser> ParserGuards::NewDocumentParser() {
  return Guard(std::unique_ptr<xercesc::XercesDOMParser>(new GuardedDOMParser));
}

std::unique_ptr<xercesc::XercesDOMParser> ParserGuards::Guard(
    std::unique_ptr<xercesc::XercesDOMParser> parser) {
  parser->setLoadExternalDTD(false);
  parser->setValidationScheme(xercesc::XercesDOMParser::Val_Never);
  parser->setDisableDefaultEntityResolution(true);
  // Entity references become their text, so a reader that takes an
  // element's text sees all of it, not the part before the first reference.
  parser->setCreateEntityReferenceNodes(false);
  parser->setSecurityManager(&security_);
  parser->setErrorHandler(&stop_on_fatal_error_);
  return parser;
}

void ParserGuards::EntityLengthCheck::internalEntityDecl(const XMLCh* const,
                                                         const XMLCh* const value) {
  if (value != nullptr && xercesc::XMLString::stringLen(value) > kEntityLengthLimit) {
    throw EntityTooLong();
  }
}

void ParserGuards::Apply(xercesc::SAX2XMLReader* reader) {
  using xercesc::XMLUni;
  reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
  reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  reader->setProperty(XMLUni::fgXercesSecurityManager, &security_);
  reader->setDeclarationHandler(&entity_length_check_);
}

std::string NarrowText(const XMLCh* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const XMLCh* p = text; *p != 0; ++p) {
    char32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // an unpaired surrogate
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

xercesc::DOMDocument* ParseDocument(xercesc::XercesDOMParser* parser,
                                    const xercesc::InputSource& source) {
  std::string failure;
  bool failed = false;
  try {
    parser->parse(source);
  } catch (const xercesc::XMLException& e) {
    failure = NarrowText(e.getMessage());
    failed = true;
  } catch (const xercesc::DOMException& e) {
    failure = NarrowText(e.getMessage());
    failed = true;
  } catch (abi::__forced_unwind&) {
    throw;  // thread cancellation must go on unwinding
  } catch (...) {
    failure = "Invalid XML file!!";
    failed = true;
  }
  if (failed) throw OVException(OVException::kCodeSemantic, failure);
  xercesc::DOMDocument* document = parser->getDocument();
  if (document == nullptr) {
    throw OVException(OVException::kCodeAbsent, "\nInput XML is not parseable into a document");
  }
  return document;
}

}  // namespace xml_internal
}  // namespace MCOrvane_600
