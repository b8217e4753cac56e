// The PMML transformation reader over fuzzed documents, followed by the
// derived values of a few synthetic cases, which must not depend on the
// class of the record they are computed from. The data dictionary is read from
// the document's "DataDictionary" when it has a readable one; otherwise the
// derived fields are read against an empty dictionary. Every document is read
// twice: in the library's own dialect and as standard PMML.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include <xercesc/util/XMLException.hpp>

#include "fuzz_support.h"
#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_read_options.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/ov_exception.h"
#include "synthetic_cases.h"

using MCOrvane_600::BaseDictionary;
using MCOrvane_600::OVException;
using MCOrvane_600::PMMLReadOptions;
using MCOrvane_600::PMMLTranslator;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::TransformationDictionary;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  orvane_fuzz::KeepXercesInitialised();
  return 0;
}

namespace {

void Run(const orvane_fuzz::Document& document, xercesc::DOMElement* transformations,
         bool standard) {
  PMMLTranslator translator;
  PMMLReadOptions options;
  options.standardPMML = standard;
  translator.SetReadOptions(options);

  std::unique_ptr<ScoreDictionary> dictionary;
  xercesc::DOMElement* fields = orvane_fuzz::FindElement(document.Root(), "DataDictionary");
  if (fields != nullptr) {
    try {
      dictionary.reset(translator.ParseDictionary(fields));
    } catch (const OVException& e) {
      orvane_fuzz::CheckCode(e);
    } catch (const xercesc::XMLException&) {
    }
  }
  if (dictionary == nullptr) dictionary.reset(new BaseDictionary);

  // Read twice: one computes from the library's own records, the other, from
  // records of another class, takes the general way; they must agree.
  std::unique_ptr<TransformationDictionary> derived;
  std::unique_ptr<TransformationDictionary> general;
  try {
    derived.reset(translator.HandleTransformationDictionary(transformations, dictionary.get()));
    if (derived != nullptr) {
      general.reset(translator.HandleTransformationDictionary(transformations, dictionary.get()));
    }
  } catch (const OVException& e) {
    orvane_fuzz::CheckCode(e);
    return;
  } catch (const xercesc::XMLException&) {
    return;
  }
  if (derived == nullptr || general == nullptr) return;

  std::ostringstream sink;
  derived->Display(sink);
  // Values are computed before set-up too: nothing is stored then.
  orvane_fuzz::ComputeSyntheticCases(derived.get(), *dictionary);
  orvane_fuzz::ComputeSyntheticCases(general.get(), *dictionary);
  derived->SetUpDerivedCaseRecord();
  general->SetUpDerivedCaseRecord();
  orvane_fuzz::CompareWithGeneral(derived.get(), general.get(), *dictionary);

  // A copy computes on its own records.
  TransformationDictionary copy;
  copy = *derived;
  orvane_fuzz::ComputeSyntheticCases(&copy, *dictionary);
  std::unique_ptr<ScoreDictionary> plain(derived->Clone());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane_fuzz::Document document(data, size);
  xercesc::DOMElement* transformations =
      orvane_fuzz::FindElement(document.Root(), "TransformationDictionary");
  if (transformations == nullptr) return 0;
  Run(document, transformations, false);
  Run(document, transformations, true);
  return 0;
}
