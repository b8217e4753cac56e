#ifndef ORVANE_VALUES_BRIX_TRANSCODER_H_
#define ORVANE_VALUES_BRIX_TRANSCODER_H_

#include <memory>
#include <string>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class XMLTranscoder;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {

// Converts the UTF-16 texts of a parsed document into narrow text in one
// named encoding (the document's code page). Made and destroyed while the
// Xerces platform is initialised: the transcoder comes from its transcoding
// service and is released through its memory manager.
class BrixTranscoder {
 public:
  // An encoding the transcoding service does not know leaves the object
  // without a transcoder; every conversion then gives an empty text.
  // "CP1252" (in any case) is served by the service's own table for
  // "windows-1252", which every Xerces build has and which keeps no state
  // between calls.
  explicit BrixTranscoder(const std::string& encodingName);
  // The copy gets a transcoder of its own for the same encoding, so no
  // transcoder is ever owned twice.
  BrixTranscoder(const BrixTranscoder& other);
  BrixTranscoder& operator=(const BrixTranscoder& other);
  virtual ~BrixTranscoder();

  // `text` converted to the encoding. A null or empty text, or a missing
  // transcoder, gives an empty result; a character the encoding cannot
  // represent ends the conversion, and the text before it is returned.
  std::string transcodeTo(const XMLCh* text) const;

 private:
  std::string encoding_name_;
  // Whether ASCII text passes through the encoding unchanged (told once).
  bool keeps_ascii_;
  std::unique_ptr<xercesc::XMLTranscoder> transcoder_;  // Owned; null when none could be made.
};

}  // namespace MCOrvane_600

#endif  // ORVANE_VALUES_BRIX_TRANSCODER_H_
