#ifndef ORVANE_TRANSLATE_XML_DOCUMENT_PARSE_H_
#define ORVANE_TRANSLATE_XML_DOCUMENT_PARSE_H_

#include <string>

#include <memory>

#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/sax2/DeclHandler.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class InputSource;
class SAX2XMLReader;
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

// What every parser of the library is given, so that no document can make it
// read outside itself or grow without bound: entity expansion capped, no
// external DTD or entity fetched, no validation, and (for document parsers)
// a stop at the first fatal error, so a broken document is never read in
// part. Must outlive the parsers it is applied to.
class ParserGuards {
 public:
  // Entity expansions one document may make: far above what a model needs,
  // far below what an entity bomb asks for.
  static constexpr XMLSize_t kEntityExpansionLimit = 10000;
  // Characters of one entity's replacement text. The expansion limit counts
  // expansions, not what they produce; with this bound a document can expand
  // to at most the product of the two (40 million characters).
  static constexpr XMLSize_t kEntityLengthLimit = 4096;

  // Thrown from inside a parse that declares a longer entity.
  struct EntityTooLong {};

  ParserGuards();
  ParserGuards(const ParserGuards&) = delete;
  ParserGuards& operator=(const ParserGuards&) = delete;

  // A document parser with every guard. The caller owns it; it must not
  // outlive the guards.
  std::unique_ptr<xercesc::XercesDOMParser> NewDocumentParser();
  // The same, for a document that only the library's dictionary readers
  // see: the whitespace between an element's end tag and the next tag is
  // left out of the tree. The readers walk elements and take the first
  // child of the elements whose text they read, which such whitespace never
  // is; a smaller tree is built faster. Not for trees handed to plug-ins.
  std::unique_ptr<xercesc::XercesDOMParser> NewReaderParser();
  // The reader keeps the error handler it is given by its user.
  void Apply(xercesc::SAX2XMLReader* reader);

 private:
  // Applies every guard to `parser`, which it hands back.
  std::unique_ptr<xercesc::XercesDOMParser> Guard(std::unique_ptr<xercesc::XercesDOMParser> parser);

  // Refuses long entities met by a SAX2 reader.
  class EntityLengthCheck : public xercesc::DeclHandler {
   public:
    void elementDecl(const XMLCh* const, const XMLCh* const) override {}
    void attributeDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const,
                       const XMLCh* const, const XMLCh* const) override {}
    void internalEntityDecl(const XMLCh* const name, const XMLCh* const value) override;
    void externalEntityDecl(const XMLCh* const, const XMLCh* const,
                            const XMLCh* const) override {}
  };

  xercesc::SecurityManager security_;
  xercesc::HandlerBase stop_on_fatal_error_;
  EntityLengthCheck entity_length_check_;
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
