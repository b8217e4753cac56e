#ifndef ORVANE_TESTS_PLUGINS_LIVE_COUNTS_H_
#define ORVANE_TESTS_PLUGINS_LIVE_COUNTS_H_

#include "orvane/translate/plugin_library.h"

// Every test plug-in counts its live translators and models, so that tests
// can check who destroyed what. Each plug-in library has its own counts.
namespace orvane_test_plugin {

void AddLiveTranslators(int delta);
void AddLiveModels(int delta);

// Base classes that keep the counts: derive a translator or model from
// the matching one as well.
struct CountedTranslator {
  CountedTranslator() { AddLiveTranslators(1); }
  CountedTranslator(const CountedTranslator&) { AddLiveTranslators(1); }
  ~CountedTranslator() { AddLiveTranslators(-1); }
};

struct CountedModel {
  CountedModel() { AddLiveModels(1); }
  CountedModel(const CountedModel&) { AddLiveModels(1); }
  ~CountedModel() { AddLiveModels(-1); }
};

}  // namespace orvane_test_plugin

ORVANE_PLUGIN_EXPORT int OrvaneTestLiveTranslators();
ORVANE_PLUGIN_EXPORT int OrvaneTestLiveModels();

#endif  // ORVANE_TESTS_PLUGINS_LIVE_COUNTS_H_
