// The vendor dialect's dictionary reader over fuzzed documents. The first
// "dictionary" element of the document (or the root itself) is read; every
// variable of a dictionary that reads cleanly is then used as a host would.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <xercesc/util/XMLException.hpp>

#include "fuzz_support.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/translate/qrtz_translator.h"
#include "orvane/values/ov_exception.h"

namespace {

using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictionary;

// The dialect's translators come from model plug-ins; this one only reads.
class ReadingTranslator : public MCOrvane_600::QRTZTranslator {
 public:
  ReadingTranslator() { CreateTranscoder(""); }
  using QRTZTranslator::ParseFromTree;
  MCOrvane_600::ScoreModel* ParseFromTree(xercesc::DOMDocument*, const std::string&) override {
    return nullptr;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  orvane_fuzz::KeepXercesInitialised();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane_fuzz::Document document(data, size);
  xercesc::DOMElement* element = orvane_fuzz::FindElement(document.Root(), "dictionary");
  if (element == nullptr) return 0;
  ReadingTranslator translator;
  try {
    std::unique_ptr<ScoreDictionary> dictionary(translator.ParseDictionary(element));
    if (dictionary != nullptr) orvane_fuzz::UseDictionary(*dictionary);
  } catch (const OVException& e) {
    orvane_fuzz::CheckCode(e);
  } catch (const xercesc::XMLException&) {
    // A "format-spec" number that is not an integer: the parser's own
    // exception passes through by design.
  }
  return 0;
}
