#ifndef ORVANE_TESTS_MODEL_PLUGINS_NETWORK_SVM_CLUSTER_MODEL_HOST_H_
#define ORVANE_TESTS_MODEL_PLUGINS_NETWORK_SVM_CLUSTER_MODEL_HOST_H_

// A stand-in for the shared plug-in machinery, enough to read and score
// neural networks, support vector machines and clustering models: parses a
// PMML document, reads its DataDictionary with the library's reader, reads
// the model element through its plug-in, and computes the model's
// LocalTransformations and the DerivedFields a reader asks for with a small
// evaluator (FieldRef, Constant, NormContinuous, NormDiscrete and the
// arithmetic Apply functions; anything else is refused with code 5).

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/parsers/XercesDOMParser.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/values/score_value.h"
#include "orvane_plugins/model_algorithm.h"

namespace nsc_test {

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
  void SetNumber(const std::string& name, double number);
  void SetText(const std::string& name, const std::string& text);
  void Clear() { values_.clear(); }
  const MCOrvane_600::ScoreValue* Get(const std::string& name) const override;

 private:
  std::map<std::string, std::unique_ptr<MCOrvane_600::ScoreValue>> values_;
};

class Expression;

// One document with its dictionary and its model's algorithm.
class LoadedModel : public orvane_plugins::ReadContext {
 public:
  // Parses a whole PMML document and reads its first NeuralNetwork,
  // SupportVectorMachineModel or ClusteringModel element, at any depth.
  // Throws OVException from the dictionary reader, the host or the plug-in.
  static std::unique_ptr<LoadedModel> FromText(const std::string& text);
  static std::unique_ptr<LoadedModel> FromFile(const std::string& path);
  ~LoadedModel() override;

  // Computes the LocalTransformations for `fields` and predicts.
  void Score(const orvane_plugins::FieldValues& fields, orvane_plugins::Prediction* out) const;

  const MCOrvane_600::ScoreDictionary& dictionary() const { return *dictionary_; }
  // OutputField name -> feature, and -> its value attribute.
  const std::map<std::string, std::string>& output_features() const { return output_features_; }
  const std::map<std::string, std::string>& output_values() const { return output_values_; }

  std::string Text(const XMLCh* text) const override;
  const MCOrvane_600::ScoreDictVar* Field(const std::string& name) const override;
  std::string TargetName() const override { return target_; }
  std::vector<std::string> TargetCategories() const override;
  orvane_plugins::NestedModel* ReadNestedModel(xercesc::DOMElement* model) override;
  orvane_plugins::Predicate* ReadPredicate(xercesc::DOMElement* predicate) override;
  orvane_plugins::DerivedFields* ReadDerivedFields(
      const std::vector<xercesc::DOMElement*>& fields) override;

 private:
  LoadedModel();
  void Load();

  std::unique_ptr<xercesc::XercesDOMParser> parser_;
  std::unique_ptr<MCOrvane_600::ScoreDictionary> dictionary_;
  std::map<std::string, std::vector<std::string>> categories_;
  std::string target_;
  std::map<std::string, std::string> output_features_;
  std::map<std::string, std::string> output_values_;
  // LocalTransformations in document order, and their fields.
  std::vector<std::pair<std::string, std::unique_ptr<Expression>>> local_;
  std::map<std::string, std::unique_ptr<MCOrvane_600::ScoreDictVar>> local_fields_;
  std::unique_ptr<orvane_plugins::ModelAlgorithm> algorithm_;
};

}  // namespace nsc_test

#endif  // ORVANE_TESTS_MODEL_PLUGINS_NETWORK_SVM_CLUSTER_MODEL_HOST_H_
