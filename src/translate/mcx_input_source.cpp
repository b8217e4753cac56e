#include "orvane/translate/mcx_input_source.h"

#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/PlatformUtils.hpp>

namespace MCXML_600 {

namespace {

// Reads the bytes of a std::istream for the parser.
class MCXBinInputStream : public xercesc::BinInputStream {
 public:
  explicit MCXBinInputStream(std::istream& in) : in_(in) {}

  // The stream's read position; 0 once the stream has failed and cannot
  // tell it.
  XMLFilePos curPos() const override {
    const std::streamoff pos = in_.tellg();
    return pos < 0 ? 0 : static_cast<XMLFilePos>(pos);
  }

  // 0 at the end of the stream.
  XMLSize_t readBytes(XMLByte* const toFill, const XMLSize_t maxToRead) override {
    in_.read(reinterpret_cast<char*>(toFill), static_cast<std::streamsize>(maxToRead));
    return static_cast<XMLSize_t>(in_.gcount());
  }

  const XMLCh* getContentType() const override { return nullptr; }

 private:
  std::istream& in_;
};

}  // namespace

MCXInputSource::MCXInputSource(std::istream& in)
    : xercesc::InputSource("istream", xercesc::XMLPlatformUtils::fgMemoryManager), in_(in) {}

MCXInputSource::~MCXInputSource() = default;

xercesc::BinInputStream* MCXInputSource::makeStream() const {
  return new (getMemoryManager()) MCXBinInputStream(in_);
}

}  // namespace MCXML_600
