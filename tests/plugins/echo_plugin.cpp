// A plug-in whose translator reads nothing of the model and builds an
// EchoModel describing what it was given: the model type it serves, the
// document's root, the argument, and the names list when the factory passed
// one. Built several times, once per model type (ORVANE_ECHO_MODEL_TYPE),
// with or without "PassModelNames" (ORVANE_ECHO_PASS_NAMES), or handing out
// no translator at all (ORVANE_ECHO_NULL_TRANSLATOR).

#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "live_counts.h"
#include "orvane/translate/pmml_translator.h"
#include "plugin_model.h"

#ifndef ORVANE_ECHO_MODEL_TYPE
#error "ORVANE_ECHO_MODEL_TYPE names the model type this plug-in serves"
#endif

namespace orvane_test_plugin {
namespace {

class EchoTranslator : public MCOrvane_600::PMMLTranslator, private CountedTranslator {
 public:
  using MCOrvane_600::PMMLTranslator::ParseFromTree;

  void SetNames(const std::vector<std::string>& names) {
    names_ = names;
    names_passed_ = true;
  }

  MCOrvane_600::ScoreModel* ParseFromTree(xercesc::DOMDocument* document,
                                          const std::string& arg) override {
    std::string description = std::string("type=") + ORVANE_ECHO_MODEL_TYPE;
    description += " root=" + Narrow(document->getDocumentElement()->getTagName());
    description += " arg=" + arg;
    description += names_passed_ ? " names=" + Joined(names_) : std::string(" names-not-passed");
    return new EchoModel(ORVANE_ECHO_MODEL_TYPE, description);
  }

 private:
  std::vector<std::string> names_;
  bool names_passed_ = false;
};

}  // namespace
}  // namespace orvane_test_plugin

ORVANE_PLUGIN_EXPORT MCOrvane_600::ScoreTranslator* GiveMyTranslator() {
#ifdef ORVANE_ECHO_NULL_TRANSLATOR
  return nullptr;
#else
  return new orvane_test_plugin::EchoTranslator();
#endif
}

#if ORVANE_ECHO_PASS_NAMES
ORVANE_PLUGIN_EXPORT void PassModelNames(MCOrvane_600::ScoreTranslator* translator,
                                         const std::vector<std::string>* names) {
  // The list is only lent for the call: keep a copy.
  static_cast<orvane_test_plugin::EchoTranslator*>(translator)->SetNames(*names);
}
#endif
