// The factory's entry point of one model-type plug-in, built into each
// plug-in with ORVANE_PLUGIN_MODEL_TYPE set to its model type.
#include <memory>

#include "orvane/translate/score_translator.h"
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_translator.h"

extern "C" __attribute__((visibility("default"))) MCOrvane_600::ScoreTranslator*
GiveMyTranslator() {
#ifdef ORVANE_PLUGIN_READS_STREAM
  // The factory reads these documents through the translator's stream form
  // and does not destroy it: the plug-in keeps its one translator, which
  // holds nothing between reads.
  static const std::unique_ptr<MCOrvane_600::ScoreTranslator> kept(
      orvane_plugins::NewStreamModelTranslator(ORVANE_PLUGIN_MODEL_TYPE,
                                               &OrvaneReadModelAlgorithm));
  return kept.get();
#else
  return orvane_plugins::NewModelTranslator(ORVANE_PLUGIN_MODEL_TYPE, &OrvaneReadModelAlgorithm);
#endif
}
