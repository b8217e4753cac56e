// The PMML data dictionary reader over fuzzed documents: the first
// "DataDictionary" element is read, and a dictionary that reads cleanly is
// used as a host would. The first "Array" element goes to VerifyDoubleArray.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <xercesc/util/XMLException.hpp>

#include "fuzz_support.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/translate/pmml_read_options.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/ov_exception.h"

using MCOrvane_600::OVException;
using MCOrvane_600::PMMLReadOptions;
using MCOrvane_600::PMMLTranslator;
using MCOrvane_600::ScoreDictionary;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  orvane_fuzz::KeepXercesInitialised();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane_fuzz::Document document(data, size);
  if (document.Root() == nullptr) return 0;
  PMMLTranslator translator;
  xercesc::DOMElement* element = orvane_fuzz::FindElement(document.Root(), "DataDictionary");
  // In the library's own dialect, then as standard PMML.
  for (const bool standard : {false, true}) {
    if (element == nullptr) break;
    PMMLReadOptions options;
    options.standardPMML = standard;
    translator.SetReadOptions(options);
    try {
      std::unique_ptr<ScoreDictionary> dictionary(translator.ParseDictionary(element));
      if (dictionary != nullptr) orvane_fuzz::UseDictionary(*dictionary);
    } catch (const OVException& e) {
      orvane_fuzz::CheckCode(e);
    } catch (const xercesc::XMLException&) {
      // "numberOfFields" or a "format" that is not an integer: the parser's
      // own exception passes through by design.
    }
  }
  xercesc::DOMElement* array = orvane_fuzz::FindElement(document.Root(), "Array");
  if (array != nullptr) {
    try {
      (void)translator.VerifyDoubleArray(array, 3);
    } catch (const OVException& e) {
      orvane_fuzz::CheckCode(e);
    }
  }
  return 0;
}
