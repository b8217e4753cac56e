#ifndef ORVANE_TRANSLATE_MODEL_FACTORY_H_
#define ORVANE_TRANSLATE_MODEL_FACTORY_H_

#include <istream>
#include <string>
#include <vector>

#include "orvane/translate/pmml_read_options.h"

namespace MCOrvane_600 {

class ScoreDictionary;
class ScoreModel;
class TransformationDictionary;

// The library's entry points for a host: build a model from a model document
// through the plug-in that serves its model type, or read only the data and
// transformation dictionaries of a PMML document.
//
// Every failure is an OVException. The caller owns every object returned.
// Each call initialises and terminates the Xerces platform itself and does
// not guard that: the host serialises calls.
//
// Plug-ins: the model type "TreeModel" is served by the library file
// "TreeModel600r.so", found by the platform loader's search rules (no
// directory is added); "AssociationModelLattice" is served by the plug-in of
// "AssociationModel". See plugin_library.h for the entry points.
class ModelFactory {
 public:
  // Reads the model-names list from `namesFile` ("modeldll.txt" in the
  // current directory when empty) and the model from `modelFile`, then goes
  // on as the stream form. `arg` is handed to the translator's document
  // parse, `nnArg` only to a nearest-neighbour translator; their meaning is
  // agreed between host and plug-ins.
  static ScoreModel* MakeModelFromXML(const std::string& modelFile, const std::string& namesFile,
                                      const std::string& arg);
  static ScoreModel* MakeModelFromXML(const std::string& modelFile, const std::string& namesFile,
                                      const std::string& arg, const std::string& nnArg);

  // Builds the model of the document on `in`, choosing the model type from
  // the document and `modelNames` (earlier names win). `in` must be seekable:
  // it is read twice from its start. Returns the translator's model, which
  // may be null.
  static ScoreModel* MakeModelFromXML(std::istream& in, const std::vector<std::string>& modelNames,
                                      const std::string& arg);
  static ScoreModel* MakeModelFromXML(std::istream& in, const std::vector<std::string>& modelNames,
                                      const std::string& arg, const std::string& nnArg);

  // The transformation dictionary of a PMML document (null for any other
  // document), with the document's data dictionary stored in `dictionary`.
  // `encoding` is the code page of string values ("CP1252" when empty).
  static TransformationDictionary* GetTransformationDictionaryFromXML(const std::string& fileName,
                                                                      ScoreDictionary*& dictionary,
                                                                      const std::string& encoding);
  static TransformationDictionary* GetTransformationDictionaryFromXML(std::istream& in,
                                                                      ScoreDictionary*& dictionary,
                                                                      const std::string& encoding);
  // The same, read as `options` say (standard PMML 4.4 when asked).
  static TransformationDictionary* GetTransformationDictionaryFromXML(
      const std::string& fileName, ScoreDictionary*& dictionary, const std::string& encoding,
      const PMMLReadOptions& options);
  static TransformationDictionary* GetTransformationDictionaryFromXML(
      std::istream& in, ScoreDictionary*& dictionary, const std::string& encoding,
      const PMMLReadOptions& options);
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_MODEL_FACTORY_H_
