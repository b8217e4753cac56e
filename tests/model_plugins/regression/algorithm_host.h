#ifndef ORVANE_TESTS_MODEL_PLUGINS_REGRESSION_ALGORITHM_HOST_H_
#define ORVANE_TESTS_MODEL_PLUGINS_REGRESSION_ALGORITHM_HOST_H_

// A stand-in for the shared plug-in machinery: parses a PMML document, reads
// its DataDictionary with the library's reader, and reads its model element
// through the model type's plug-in, as the machinery will. Segments' models
// are read through their plug-ins too (without their own MiningSchema;
// OutputFields of feature predictedValue only), predicates in their simplest
// forms (True, False, SimplePredicate on numbers).

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/parsers/XercesDOMParser.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/model_algorithm.h"

namespace orvane_test {

// Xerces initialised for the life of the object.
class XercesScope {
 public:
  XercesScope();
  ~XercesScope();
};

// The values of one case by name; takes ownership of each value.
class CaseValues : public orvane_plugins::FieldValues {
 public:
  void Set(const std::string& name, MCOrvane_600::ScoreValue* value);
  void Clear() { values_.clear(); }
  const MCOrvane_600::ScoreValue* Get(const std::string& name) const override;

 private:
  std::map<std::string, std::unique_ptr<MCOrvane_600::ScoreValue>> values_;
};

// One document with its dictionary and its model's algorithm.
class LoadedModel : public orvane_plugins::ReadContext {
 public:
  // Parses `text` (a whole PMML document). Throws OVException from the
  // dictionary reader or the plug-in's reader.
  static std::unique_ptr<LoadedModel> FromText(const std::string& text);
  static std::unique_ptr<LoadedModel> FromFile(const std::string& path);
  ~LoadedModel() override;

  const orvane_plugins::ModelAlgorithm& algorithm() const { return *algorithm_; }
  const MCOrvane_600::ScoreDictionary& dictionary() const { return *dictionary_; }
  const std::string& model_type() const { return model_type_; }
  // OutputField name -> category of the probability it reports.
  const std::map<std::string, std::string>& probability_outputs() const { return probability_outputs_; }
  // Names of the OutputFields with feature predictedValue.
  const std::vector<std::string>& predicted_outputs() const { return predicted_outputs_; }

  std::string Text(const XMLCh* text) const override;
  const MCOrvane_600::ScoreDictVar* Field(const std::string& name) const override;
  std::string TargetName() const override { return target_; }
  std::vector<std::string> TargetCategories() const override;
  orvane_plugins::NestedModel* ReadNestedModel(xercesc::DOMElement* model) override;
  orvane_plugins::Predicate* ReadPredicate(xercesc::DOMElement* predicate) override;

 private:
  LoadedModel() = default;
  void Load();

  std::unique_ptr<xercesc::XercesDOMParser> parser_;
  std::unique_ptr<MCOrvane_600::ScoreDictionary> dictionary_;
  std::map<std::string, std::vector<std::string>> categories_;
  std::string target_;
  std::string model_type_;
  std::map<std::string, std::string> probability_outputs_;
  std::vector<std::string> predicted_outputs_;
  std::unique_ptr<orvane_plugins::ModelAlgorithm> algorithm_;
};

}  // namespace orvane_test

#endif  // ORVANE_TESTS_MODEL_PLUGINS_REGRESSION_ALGORITHM_HOST_H_
