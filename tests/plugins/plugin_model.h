#ifndef ORVANE_TESTS_PLUGINS_PLUGIN_MODEL_H_
#define ORVANE_TESTS_PLUGINS_PLUGIN_MODEL_H_

#include <ostream>
#include <string>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

#include "live_counts.h"
#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/model/base_model.h"

namespace orvane_test_plugin {

// What the test plug-ins' models share: a model type and one result field.
class PluginModel : public MCOrvane_600::BaseModel, private CountedModel {
 public:
  explicit PluginModel(const std::string& modelType);

  bool SetScoringOption(const std::string& name, const std::string& value) override;
  std::string GetModelType() const override;
  const MCOrvane_600::ScoreDictionary* GetResultDictionary() const override;
  MCOrvane_600::ScoreCaseRecord* CreateResultRecord() const override;

 protected:
  // Replaces the result field.
  void SetResultField(const std::string& name, MCOrvane_600::ScoreDictVar::VariableType type);
  const std::string& ResultName() const { return result_name_; }

 private:
  std::string model_type_;
  std::string result_name_;
  MCOrvane_600::BaseDictionary results_;
};

// A model that only tells what its translator saw: Display prints the
// description, Score writes the model type into the result field "$E-served".
class EchoModel : public PluginModel {
 public:
  EchoModel(const std::string& modelType, const std::string& description);

  bool Score(const MCOrvane_600::ScoreCaseRecord* input, MCOrvane_600::ScoreCaseRecord* result,
             std::vector<MCOrvane_600::ResultAdvice>* advice) override;
  void Display(std::ostream& os) const override;

 private:
  std::string description_;
};

// UTF-8 text of a Xerces string (the platform must be up); "" for null.
std::string Narrow(const XMLCh* text);

// "a,b,c".
std::string Joined(const std::vector<std::string>& names);

}  // namespace orvane_test_plugin

#endif  // ORVANE_TESTS_PLUGINS_PLUGIN_MODEL_H_
