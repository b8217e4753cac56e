#ifndef ORVANE_TESTS_MODEL_PLUGINS_HOST_MODEL_HOST_H_
#define ORVANE_TESTS_MODEL_PLUGINS_HOST_MODEL_HOST_H_

// A stand-in for the shared plug-in machinery, to test the model-type
// plug-ins alone: parses a PMML document, reads its DataDictionary and the
// model's LocalTransformations with the library's readers, and reads the
// first model element (depth first) through its type's plug-in. Segments'
// models are read through their plug-ins with this same context and pass on
// their predictedValue OutputFields; predicates are PMML's five kinds with
// three-valued logic; DerivedFields are read by the library's standard
// reader. No MiningSchema treatment, Targets or Output.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane_plugins/model_algorithm.h"

XERCES_CPP_NAMESPACE_BEGIN
class XercesDOMParser;
XERCES_CPP_NAMESPACE_END

namespace orvane_test {

// A case: field name -> its value as text (parsed as the field's type);
// a field left out is missing.
using Inputs = std::map<std::string, std::string>;

class HostedModel : public orvane_plugins::ReadContext {
 public:
  // Parse a whole PMML document. Throw OVException from the library's
  // readers, the host or the plug-in's reader.
  static std::unique_ptr<HostedModel> FromText(const std::string& text);
  static std::unique_ptr<HostedModel> FromFile(const std::string& path);
  ~HostedModel() override;

  // Computes the LocalTransformations for `inputs`, then predicts.
  orvane_plugins::Prediction Score(const Inputs& inputs) const;

  std::string Text(const XMLCh* text) const override;
  const MCOrvane_600::ScoreDictVar* Field(const std::string& name) const override;
  std::string TargetName() const override { return target_; }
  std::vector<std::string> TargetCategories() const override;
  orvane_plugins::NestedModel* ReadNestedModel(xercesc::DOMElement* model) override;
  orvane_plugins::Predicate* ReadPredicate(xercesc::DOMElement* predicate) override;
  orvane_plugins::DerivedFields* ReadDerivedFields(
      const std::vector<xercesc::DOMElement*>& fields) override;

 private:
  // Xerces initialised for the life of the model (first member: last gone).
  struct XercesScope {
    XercesScope();
    ~XercesScope();
  };

  HostedModel();
  void Load();

  XercesScope xerces_;
  std::unique_ptr<xercesc::XercesDOMParser> parser_;
  MCOrvane_600::PMMLTranslator translator_;
  std::unique_ptr<MCOrvane_600::ScoreDictionary> data_;
  std::unique_ptr<MCOrvane_600::TransformationDictionary> local_;  // null when none
  std::unique_ptr<MCOrvane_600::ScoreDictionary> scope_;  // data_ and local_'s fields
  std::map<std::string, std::vector<std::string>> categories_;
  std::string target_;
  int unnamed_ = 0;  // DerivedFields named by the host
  std::unique_ptr<orvane_plugins::ModelAlgorithm> algorithm_;
};

}  // namespace orvane_test

#endif  // ORVANE_TESTS_MODEL_PLUGINS_HOST_MODEL_HOST_H_
