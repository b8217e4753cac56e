#ifndef ORVANE_TRANSLATE_XML_DOCUMENT_PARSE_H_
#define ORVANE_TRANSLATE_XML_DOCUMENT_PARSE_H_

#include <string>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class InputSource;
class XercesDOMParser;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {
namespace xml_internal {

// Initialises the Xerces platform for the lifetime of the object and
// terminates it exactly once when the object goes, however the scope is left.
// Declare it before every Xerces object of the scope so that they are gone
// before the platform. A failed initialisation terminates again and throws
// OVException code 5 with the platform's message.
class XercesPlatformSession {
 public:
  XercesPlatformSession();
  ~XercesPlatformSession();
  XercesPlatformSession(const XercesPlatformSession&) = delete;
  XercesPlatformSession& operator=(const XercesPlatformSession&) = delete;
};

// UTF-8 text of a Xerces string; empty for null. Needs no Xerces service, so
// it also works while the platform is failing.
std::string NarrowText(const XMLCh* text);

// Parses `source` with `parser` and returns the document, which the parser
// keeps. Throws OVException code 6 with the message of a Xerces or DOM
// exception, code 6 "Invalid XML file!!" for any other exception, and code 4
// when no document results. Xerces exceptions are released before the
// OVException leaves, so the caller may terminate the platform at once.
xercesc::DOMDocument* ParseDocument(xercesc::XercesDOMParser* parser,
                                    const xercesc::InputSource& source);

}  // namespace xml_internal
}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_XML_DOCUMENT_PARSE_H_
