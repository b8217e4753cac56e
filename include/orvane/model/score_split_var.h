#ifndef ORVANE_MODEL_SCORE_SPLIT_VAR_H_
#define ORVANE_MODEL_SCORE_SPLIT_VAR_H_

#include <ostream>
#include <string>

namespace MCOrvane_600 {

class ScoreDictVar;
class ScoreValue;

// Common base of the splits that tree-model plug-ins use to route a case from
// a node to one of its children by the value of one variable. It knows the
// split variable and the child that takes absent, missing or unmatched
// values; the derived splits add the entries and the routing rule. Child
// indexes are the plug-in's own: a split only stores them.
//
// The virtual operations are declared in their fixed slot order; plug-ins are
// compiled against it.
class ScoreSplitVar {
 public:
  // No split variable, missing-value child -1 (no child).
  ScoreSplitVar();
  // Does not take ownership of `split_var`: it lives in the model's dictionary.
  explicit ScoreSplitVar(const ScoreDictVar* split_var);
  ScoreSplitVar(const ScoreSplitVar& other);
  ScoreSplitVar& operator=(const ScoreSplitVar& other);

  // Never destroys the split variable.
  virtual ~ScoreSplitVar();

  // A deep copy, owned by the caller.
  virtual ScoreSplitVar* Clone() const = 0;

  // Does not take ownership of `split_var`.
  virtual void SetSplitVar(const ScoreDictVar* split_var);
  virtual void SetMissvalMap(int child_index);
  virtual const ScoreDictVar* GetSplitVar() const;

  // The next four read the split variable; without one they answer "" or -1.
  virtual std::string GetSplitName() const;
  virtual std::string GetSplitLabel() const;
  virtual int GetSplitType() const;    // ScoreDictVar::VariableType
  virtual int GetSplitMLevel() const;  // ScoreDictVar::MeasureLevel

  // The child that takes a case whose value is absent, missing or matches no
  // entry; -1 means no child.
  virtual int GetMissvalMap() const;

  // The child index for a case value; `value` may be null (absent).
  virtual int GetSplitChildIndex(const ScoreValue* value) const = 0;

  virtual void Display(std::ostream& os) const = 0;

 private:
  const ScoreDictVar* split_var_;  // not owned
  int missval_map_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_MODEL_SCORE_SPLIT_VAR_H_
