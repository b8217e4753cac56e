// The factory's entry point of one model-type plug-in, built into each
// plug-in with ORVANE_PLUGIN_MODEL_TYPE set to its model type.
#include "orvane_plugins/model_algorithm.h"
#include "orvane_plugins/model_translator.h"

extern "C" __attribute__((visibility("default"))) MCOrvane_600::ScoreTranslator*
GiveMyTranslator() {
  return orvane_plugins::NewModelTranslator(ORVANE_PLUGIN_MODEL_TYPE, &OrvaneReadModelAlgorithm);
}
