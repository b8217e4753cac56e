#include "orvane/translate/score_sax2_handlers.h"

#include <memory>
#include <new>

#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "translate/xml_document_parse.h"

#include "orvane/translate/mcx_input_source.h"

namespace MCOrvane_600 {

namespace {

using xercesc::XMLString;
using xercesc::XMLUni;

const char kPmmlElement[] = "PMML";

// Exact comparison of a parser name with a narrow name; ASCII names, the
// usual case, are compared without conversion.
bool NameEquals(const XMLCh* name, const std::string& narrow) {
  if (name == nullptr) return narrow.empty();
  size_t i = 0;
  for (; i < narrow.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(narrow[i]);
    if (c >= 0x80) break;
    if (name[i] != c) return false;
  }
  if (i == narrow.size()) return name[i] == 0;
  XMLCh* wide = XMLString::transcode(narrow.c_str());
  const bool equal = XMLString::equals(name, wide);
  XMLString::release(&wide);
  return equal;
}

// Terminates the platform when the scan leaves, however it leaves.
class PlatformTermination {
 public:
  PlatformTermination() = default;
  ~PlatformTermination() { xercesc::XMLPlatformUtils::Terminate(); }
  PlatformTermination(const PlatformTermination&) = delete;
  PlatformTermination& operator=(const PlatformTermination&) = delete;
};

}  // namespace

ScoreSAX2Handlers::ScoreSAX2Handlers(const char* targetName)
    : target_name_(targetName == nullptr ? "" : targetName) {}

ScoreSAX2Handlers::~ScoreSAX2Handlers() = default;

void* ScoreSAX2Handlers::operator new(std::size_t size) { return ::operator new(size); }

void ScoreSAX2Handlers::operator delete(void* p) { ::operator delete(p); }

void ScoreSAX2Handlers::startElement(const XMLCh* const, const XMLCh* const,
                                     const XMLCh* const qname, const xercesc::Attributes&) {
  if (!target_name_.empty() && NameEquals(qname, target_name_)) throw kFOUND;
}

void ScoreSAX2Handlers::endElement(const XMLCh* const, const XMLCh* const,
                                   const XMLCh* const qname) {
  if (NameEquals(qname, kPmmlElement)) throw kPMML_END;
}

void ScoreSAX2Handlers::characters(const XMLCh* const, const XMLSize_t) {}

void ScoreSAX2Handlers::ignorableWhitespace(const XMLCh* const, const XMLSize_t) {}

void ScoreSAX2Handlers::processingInstruction(const XMLCh* const, const XMLCh* const) {}

void ScoreSAX2Handlers::warning(const xercesc::SAXParseException&) {}

void ScoreSAX2Handlers::error(const xercesc::SAXParseException&) { throw kERROR; }

void ScoreSAX2Handlers::fatalError(const xercesc::SAXParseException&) { throw kFATAL; }

void ScoreSAX2Handlers::writeChars(const XMLByte* const, const XMLSize_t,
                                   xercesc::XMLFormatter* const) {}

bool ScanForElement(const std::string& elementName, std::istream& in) {
  try {
    xercesc::XMLPlatformUtils::Initialize();
  } catch (const xercesc::XMLException&) {
    return false;
  }
  const PlatformTermination platform;
  bool found = false;
  try {
    // Declared in this order so that the handler and the source outlive the
    // reader that refers to them.
    xml_internal::ParserGuards guards;
    ScoreSAX2Handlers handler(elementName.c_str());
    MCXML_600::MCXInputSource source(in);
    std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
    reader->setFeature(XMLUni::fgXercesDynamic, true);
    reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
    reader->setFeature(XMLUni::fgXercesSchema, false);
    reader->setFeature(XMLUni::fgXercesSchemaFullChecking, false);
    reader->setFeature(XMLUni::fgSAX2CoreNameSpacePrefixes, false);
    guards.Apply(reader.get());
    reader->setContentHandler(&handler);
    reader->setErrorHandler(&handler);
    try {
      reader->parse(source);
    } catch (ScoreSAX2Handlers::HandlerState state) {
      found = state == ScoreSAX2Handlers::kFOUND;
    }
  } catch (const xercesc::XMLException&) {
    found = false;
  } catch (const xercesc::OutOfMemoryException&) {
    found = false;
  } catch (const xml_internal::ParserGuards::EntityTooLong&) {
    found = false;
  }
  return found;
}

}  // namespace MCOrvane_600
