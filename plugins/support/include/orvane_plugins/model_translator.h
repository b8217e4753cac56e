#ifndef ORVANE_PLUGINS_MODEL_TRANSLATOR_H_
#define ORVANE_PLUGINS_MODEL_TRANSLATOR_H_

#include <string>

#include "orvane_plugins/model_algorithm.h"

namespace MCOrvane_600 {
class ScoreTranslator;
}

namespace orvane_plugins {

// The translator that every shipped plug-in hands to the factory: it reads a
// standard PMML document's dictionaries and its model element (through
// `reader` when the element is of type `model_type`, otherwise through the
// shipped plug-in of the element's type) into a model. The caller owns it.
MCOrvane_600::ScoreTranslator* NewModelTranslator(const std::string& model_type,
                                                  ReadModelAlgorithmFn reader);

// The same for a model type whose documents the factory hands over as a
// stream (its stream form ParseFromTree(in, arg, arg2)) with the parser
// library not initialised: each read initialises and terminates it around
// its own parse. Holds no parser state between reads. The caller owns it.
MCOrvane_600::ScoreTranslator* NewStreamModelTranslator(const std::string& model_type,
                                                        ReadModelAlgorithmFn reader);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_MODEL_TRANSLATOR_H_
