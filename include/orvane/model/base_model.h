#ifndef ORVANE_MODEL_BASE_MODEL_H_
#define ORVANE_MODEL_BASE_MODEL_H_

#include <map>
#include <memory>
#include <string>

#include "orvane/model/score_model.h"

namespace MCOrvane_600 {

class ScoreDictionary;
class ScoreDictVar;
class ScoreVersionInfo;
class TransformationDictionary;

// What every model shares: the data dictionary, the transformation
// dictionary, the version info, the variable roles and the missing-value
// policy. Each plug-in's model class derives from it and supplies the
// plug-in operations of ScoreModel (scoring and description).
//
// A translator sets the data dictionary before the first SetVarRole by name:
// roles are checked against the dictionaries the model holds at that time.
class BaseModel : public ScoreModel {
 public:
  // No dictionaries, no version info, no roles, policy kMV_SUBSTITUTE.
  BaseModel();
  // A model owns its dictionaries: it is never copied.
  BaseModel(const BaseModel&) = delete;
  BaseModel& operator=(const BaseModel&) = delete;
  // Destroys the version info, the data dictionary and then the
  // transformation dictionary, whichever are set.
  ~BaseModel() override;

  // The three setters take ownership of what they are given but do NOT
  // destroy the object they replace: whoever replaces one on a live model
  // stays responsible for the old one.
  void SetScoreDictionary(ScoreDictionary* dictionary) override;
  void SetTransformationScoreDictionary(TransformationDictionary* transformations) override;
  // Accepts a name that the data dictionary holds, or else the
  // transformation dictionary; with no transformation dictionary set, any
  // non-empty name. Role kTARGET makes the name the target (an earlier
  // target keeps its role). Without a data dictionary only the
  // transformation dictionary is consulted.
  bool SetVarRole(const std::string& name, VarRole role) override;
  // Goes through SetVarRole by name, so an override of that form governs both.
  bool SetVarRole(const ScoreDictVar* var, VarRole role) override;
  void SetMissingValuePolicy(MVPolicy policy) override;
  void SetVersionInfo(ScoreVersionInfo* version) override;

  // -1 for the empty name and for a name without a role.
  int GetVarRole(const std::string& name) const override;
  // Goes through GetVarRole by name; -1 for a null variable.
  int GetVarRole(const ScoreDictVar* var) const override;
  const ScoreVersionInfo* GetVersionInfo() const override;
  // Looks the target name up in the data dictionary only: a derived target
  // gives null, and so does a model without a data dictionary.
  const ScoreDictVar* GetTargetVar() const override;
  const ScoreDictionary* GetDictionary() const override;
  TransformationDictionary* GetTransformationDictionary() const override;
  MVPolicy GetMissingValuePolicy() const override;

 private:
  std::unique_ptr<ScoreDictionary> dictionary_;
  std::unique_ptr<TransformationDictionary> transformations_;
  std::unique_ptr<ScoreVersionInfo> version_;
  std::map<std::string, VarRole> roles_;
  MVPolicy policy_;
  std::string target_name_;  // the name that last received kTARGET
};

}  // namespace MCOrvane_600

#endif  // ORVANE_MODEL_BASE_MODEL_H_
