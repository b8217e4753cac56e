#include "orvane/values/brix_transcoder.h"

#include <strings.h>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>

namespace MCOrvane_600 {

namespace {

const XMLSize_t kBlockSize = 4096;
const XMLSize_t kBufferSize = 1000;

// Xerces builds differ in the names their external transcoding service knows
// and in how it treats characters outside the code page; the service's own
// windows-1252 table behaves the same in all of them.
const char* ServiceName(const std::string& name) {
  if (strcasecmp(name.c_str(), "CP1252") == 0) return "windows-1252";
  return name.c_str();
}

xercesc::XMLTranscoder* MakeTranscoder(const std::string& name) {
  if (name.empty() || xercesc::XMLPlatformUtils::fgTransService == nullptr) return nullptr;
  xercesc::XMLTransService::Codes code = xercesc::XMLTransService::Ok;
  try {
    return xercesc::XMLPlatformUtils::fgTransService->makeNewTranscoderFor(
        ServiceName(name), code, kBlockSize, xercesc::XMLPlatformUtils::fgMemoryManager);
  } catch (const xercesc::XMLException&) {
    return nullptr;
  }
}

// Number of code units that make up the character starting at `text`
// (a surrogate pair counts as one character).
XMLSize_t CharUnits(const XMLCh* text, XMLSize_t remaining) {
  if (remaining >= 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF && text[1] >= 0xDC00 &&
      text[1] <= 0xDFFF) {
    return 2;
  }
  return 1;
}

// Encodings whose first 128 code points are ASCII's, so that ASCII text
// passes through them unchanged and can never be unrepresentable.
bool KeepsAscii(const std::string& name) {
  static const char* const kNames[] = {"CP1252", "windows-1252", "UTF-8", "ISO-8859-1", "US-ASCII"};
  for (const char* known : kNames) {
    if (strcasecmp(name.c_str(), known) == 0) return true;
  }
  return false;
}

}  // namespace

BrixTranscoder::BrixTranscoder(const std::string& encodingName)
    : encoding_name_(encodingName),
      keeps_ascii_(KeepsAscii(encodingName)),
      transcoder_(MakeTranscoder(encodingName)) {}

BrixTranscoder::BrixTranscoder(const BrixTranscoder& other)
    : encoding_name_(other.encoding_name_),
      keeps_ascii_(other.keeps_ascii_),
      transcoder_(other.transcoder_ ? MakeTranscoder(other.encoding_name_) : nullptr) {}

BrixTranscoder& BrixTranscoder::operator=(const BrixTranscoder& other) {
  if (this != &other) {
    encoding_name_ = other.encoding_name_;
    keeps_ascii_ = other.keeps_ascii_;
    transcoder_.reset(other.transcoder_ ? MakeTranscoder(encoding_name_) : nullptr);
  }
  return *this;
}

BrixTranscoder::~BrixTranscoder() = default;

std::string BrixTranscoder::transcodeTo(const XMLCh* text) const {
  if (text == nullptr || transcoder_ == nullptr) return std::string();
  // Names and numbers, nearly all the text of a document, are ASCII.
  XMLSize_t length = 0;
  while (text[length] != 0 && text[length] < 0x80) ++length;
  if (text[length] == 0 && length <= kBufferSize && keeps_ascii_) {
    char narrow[kBufferSize];
    for (XMLSize_t i = 0; i < length; ++i) narrow[i] = static_cast<char>(text[i]);
    return std::string(narrow, length);
  }
  std::string result;
  length += xercesc::XMLString::stringLen(text + length);
  XMLByte buffer[kBufferSize];
  XMLSize_t pos = 0;
  while (pos < length) {
    XMLSize_t eaten = 0;
    XMLSize_t produced = 0;
    try {
      produced = transcoder_->transcodeTo(text + pos, length - pos, buffer, kBufferSize, eaten,
                                          xercesc::XMLTranscoder::UnRep_Throw);
    } catch (const xercesc::XMLException&) {
      // The failed round returns nothing; redo it one character at a time to
      // keep what precedes the unrepresentable character.
      while (pos < length) {
        const XMLSize_t units = CharUnits(text + pos, length - pos);
        try {
          produced = transcoder_->transcodeTo(text + pos, units, buffer, kBufferSize, eaten,
                                              xercesc::XMLTranscoder::UnRep_Throw);
        } catch (const xercesc::XMLException&) {
          break;
        }
        if (eaten == 0) break;
        result.append(reinterpret_cast<const char*>(buffer), produced);
        pos += eaten;
      }
      break;
    }
    result.append(reinterpret_cast<const char*>(buffer), produced);
    if (eaten == 0) break;  // Nothing more can be converted.
    pos += eaten;
  }
  return result;
}

}  // namespace MCOrvane_600
