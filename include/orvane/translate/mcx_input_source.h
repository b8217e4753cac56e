#ifndef ORVANE_TRANSLATE_MCX_INPUT_SOURCE_H_
#define ORVANE_TRANSLATE_MCX_INPUT_SOURCE_H_

#include <istream>

#include <xercesc/sax/InputSource.hpp>

namespace MCXML_600 {

// Lets the Xerces parsers read a document from a std::istream. The stream is
// not owned and must outlive the parse; it is left wherever the parser
// stopped reading. Its system id is "istream". Made while the Xerces
// platform is initialised.
class MCXInputSource : public xercesc::InputSource {
 public:
  explicit MCXInputSource(std::istream& in);
  ~MCXInputSource() override;

  // A new stream over the same std::istream; the parser owns it.
  xercesc::BinInputStream* makeStream() const override;

 private:
  std::istream& in_;
};

}  // namespace MCXML_600

#endif  // ORVANE_TRANSLATE_MCX_INPUT_SOURCE_H_
