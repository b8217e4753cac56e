#ifndef ORVANE_TESTS_MODEL_PLUGINS_RULES_BAYES_MODEL_HOST_H_
#define ORVANE_TESTS_MODEL_PLUGINS_RULES_BAYES_MODEL_HOST_H_

// A stand-in for the shared plug-in machinery for the rule set, scorecard
// and naive Bayes plug-ins: parses a PMML document, reads its DataDictionary
// with the library's reader, reads predicates (SimplePredicate,
// CompoundPredicate, SimpleSetPredicate, True, False) and DerivedFields (with
// the library's transformation reader), and reads the model element through
// its type's plug-in.

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
class HostedModel : public orvane_plugins::ReadContext {
 public:
  // Parses a whole PMML document. Throws OVException from the dictionary
  // reader, the host or the plug-in's reader.
  static std::unique_ptr<HostedModel> FromText(const std::string& text);
  static std::unique_ptr<HostedModel> FromFile(const std::string& path);
  ~HostedModel() override;

  const orvane_plugins::ModelAlgorithm& algorithm() const { return *algorithm_; }
  const MCOrvane_600::ScoreDictionary& dictionary() const { return *dictionary_; }
  // OutputField name -> its feature ("probability:<category>" for a
  // probability).
  const std::map<std::string, std::string>& outputs() const { return outputs_; }

  // A case value of the field's type parsed from `text`; null for an empty
  // text or a field the dictionary lacks. Owned by the caller.
  MCOrvane_600::ScoreValue* Parse(const std::string& field, const std::string& text) const;

  std::string Text(const XMLCh* text) const override;
  const MCOrvane_600::ScoreDictVar* Field(const std::string& name) const override;
  std::string TargetName() const override { return target_; }
  std::vector<std::string> TargetCategories() const override;
  orvane_plugins::NestedModel* ReadNestedModel(xercesc::DOMElement* model) override;
  orvane_plugins::Predicate* ReadPredicate(xercesc::DOMElement* predicate) override;
  orvane_plugins::DerivedFields* ReadDerivedFields(
      const std::vector<xercesc::DOMElement*>& fields) override;

 private:
  HostedModel() = default;
  void Load();

  std::unique_ptr<xercesc::XercesDOMParser> parser_;
  std::unique_ptr<MCOrvane_600::ScoreDictionary> dictionary_;
  std::map<std::string, std::vector<std::string>> categories_;
  std::string target_;
  std::map<std::string, std::string> outputs_;
  int derived_count_ = 0;
  std::unique_ptr<orvane_plugins::ModelAlgorithm> algorithm_;
};

}  // namespace orvane_test

#endif  // ORVANE_TESTS_MODEL_PLUGINS_RULES_BAYES_MODEL_HOST_H_
