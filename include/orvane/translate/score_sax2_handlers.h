#ifndef ORVANE_TRANSLATE_SCORE_SAX2_HANDLERS_H_
#define ORVANE_TRANSLATE_SCORE_SAX2_HANDLERS_H_

#include <cstddef>
#include <istream>
#include <string>

#include <xercesc/framework/XMLFormatter.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>

namespace MCOrvane_600 {

// A SAX2 handler that looks ahead in a document for one element name. It
// stops the parse by throwing a HandlerState: kFOUND when an element of that
// qualified name starts, kPMML_END when a "PMML" element ends first, kERROR or
// kFATAL on a parse error. Warnings, character data and processing
// instructions are ignored.
class ScoreSAX2Handlers : public xercesc::DefaultHandler, private xercesc::XMLFormatTarget {
 public:
  enum HandlerState {
    kFOUND = 0,
    kFATAL = 1,
    kERROR = 2,
    kPMML_END = 4,
  };

  // A null name is the empty name, which no element has.
  explicit ScoreSAX2Handlers(const char* targetName);
  ~ScoreSAX2Handlers() override;

  // Plain heap allocation: objects need not outlive or follow the Xerces
  // platform's memory manager.
  static void* operator new(std::size_t size);
  static void operator delete(void* p);

  void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* const uri, const XMLCh* const localname,
                  const XMLCh* const qname) override;
  void characters(const XMLCh* const chars, const XMLSize_t length) override;
  void ignorableWhitespace(const XMLCh* const chars, const XMLSize_t length) override;
  void processingInstruction(const XMLCh* const target, const XMLCh* const data) override;

  void warning(const xercesc::SAXParseException& exc) override;
  void error(const xercesc::SAXParseException& exc) override;
  void fatalError(const xercesc::SAXParseException& exc) override;

 private:
  // Formatter output is not used.
  void writeChars(const XMLByte* const toWrite, const XMLSize_t count,
                  xercesc::XMLFormatter* const formatter) override;

  std::string target_name_;
};

// Whether an element named `elementName` starts in the document on `in`
// before a "PMML" element ends. Errors in the document, or reaching its end,
// answer false. Initialises and terminates the Xerces platform around the
// scan; the stream is left where the scan stopped, for the caller to reposition.
bool ScanForElement(const std::string& elementName, std::istream& in);

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_SCORE_SAX2_HANDLERS_H_
