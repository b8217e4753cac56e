#ifndef ORVANE_MODEL_SCORE_MODEL_H_
#define ORVANE_MODEL_SCORE_MODEL_H_

#include <ostream>
#include <string>
#include <vector>

#include "orvane/model/result_advice.h"

namespace MCOrvane_600 {

class ScoreCaseRecord;
class ScoreDictionary;
class ScoreDictVar;
class ScoreVersionInfo;
class TransformationDictionary;

// A scoring model as the host sees it: built by a model plug-in's translator,
// returned by the model factory, owned by the host and destroyed through the
// virtual destructor.
//
// The virtual operations are declared in their fixed slot order; plug-ins
// are compiled against it. BaseModel implements the shared part; the
// operations marked "plug-in" are left to each plug-in's model class. This
// library never calls them.
//
// A typical host loop:
//   std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
//   std::vector<ResultAdvice> advice;
//   for (each case) {
//     fill `input` against model->GetDictionary();
//     if (model->Score(input, result.get(), &advice)) read result and advice;
//   }
class ScoreModel {
 public:
  // The role of a variable in the model. Plug-ins may use any other value;
  // the library stores roles unchanged and only knows kTARGET. -1 (not a
  // member) stands for "no role recorded" in results.
  enum VarRole : int {
    kACTIVE = 0,  // a predictor
    kTARGET = 1,  // the variable whose value the model predicts
    kSUPPLEMENTARY = 2,
    kGROUP = 3,
    kORDER = 4,
    kFREQUENCY_WEIGHT = 5,
    kANALYSIS_WEIGHT = 6,
  };

  // How the model treats a case with missing predictors. Plug-ins may use
  // any other value and decide what each one means; a new model has
  // kMV_SUBSTITUTE.
  enum MVPolicy : int {
    kMV_SYSMIS = 0,      // such a case scores as missing
    kMV_SUBSTITUTE = 1,  // the plug-in's replacement (mean, surrogate split, ...)
  };

  ScoreModel() {}
  ScoreModel(const ScoreModel&) {}
  ScoreModel& operator=(const ScoreModel&) { return *this; }
  virtual ~ScoreModel() {}

  // Slots 1-6: set while a translator builds the model.
  // Takes ownership of `dictionary`; does not destroy the one it replaces.
  virtual void SetScoreDictionary(ScoreDictionary* dictionary) = 0;
  // Takes ownership of `transformations`; does not destroy the one it replaces.
  virtual void SetTransformationScoreDictionary(TransformationDictionary* transformations) = 0;
  // False, with nothing recorded, for an empty name or a name that no
  // dictionary of the model holds.
  virtual bool SetVarRole(const std::string& name, VarRole role) = 0;
  // Does not take ownership of `var`; false for null.
  virtual bool SetVarRole(const ScoreDictVar* var, VarRole role) = 0;
  virtual void SetMissingValuePolicy(MVPolicy policy) = 0;
  // Takes ownership of `version`; does not destroy the one it replaces.
  virtual void SetVersionInfo(ScoreVersionInfo* version) = 0;

  // Slot 7, plug-in: sets one of the model's own scoring options by name
  // (for example how many predictions to report). False, with nothing
  // changed, for an option the model does not know or a value it rejects.
  virtual bool SetScoringOption(const std::string& name, const std::string& value) = 0;

  // The recorded role of a variable, or -1.
  virtual int GetVarRole(const std::string& name) const = 0;
  virtual int GetVarRole(const ScoreDictVar* var) const = 0;
  // Lent; may be null.
  virtual const ScoreVersionInfo* GetVersionInfo() const = 0;

  // Slot 11, plug-in: the model type, the tag name of the model element the
  // model was built from ("TreeModel", "NearestNeighborModel", ...).
  virtual std::string GetModelType() const = 0;

  // Lent; null when the model has no target or the data dictionary does not
  // hold it.
  virtual const ScoreDictVar* GetTargetVar() const = 0;
  // Lent; may be null.
  virtual const ScoreDictionary* GetDictionary() const = 0;
  // Lent; may be null. Not const: computing derived values writes into it.
  virtual TransformationDictionary* GetTransformationDictionary() const = 0;

  // Slot 15, plug-in: the fields that Score writes, with their storage types
  // and labels, so that a host can lay out its output. Lent; never null for
  // a model that can score.
  virtual const ScoreDictionary* GetResultDictionary() const = 0;

  virtual MVPolicy GetMissingValuePolicy() const = 0;

  // Slot 17, plug-in: a new, empty result record with one slot for each
  // field of GetResultDictionary(), ready for Score. The caller owns it.
  virtual ScoreCaseRecord* CreateResultRecord() const = 0;

  // Slot 18, plug-in: scores the case in `input` (values by variable name of
  // the data dictionary) into `result` (a record from CreateResultRecord).
  // `advice`, when not null, is emptied and then receives the notes about
  // this case. A case that cannot be scored still returns true, with missing
  // result values and advice saying why; false means unusable arguments
  // (null `input` or `result`), with `result` unchanged. Not const and not
  // reentrant: derived values are computed into the transformation
  // dictionary, so one model scores one case at a time.
  virtual bool Score(const ScoreCaseRecord* input, ScoreCaseRecord* result,
                     std::vector<ResultAdvice>* advice) = 0;

  // Slot 19, plug-in: a readable description of the model (type, target,
  // structure) for logs and diagnostics.
  virtual void Display(std::ostream& os) const = 0;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_MODEL_SCORE_MODEL_H_
