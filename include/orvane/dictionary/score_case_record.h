#ifndef ORVANE_DICTIONARY_SCORE_CASE_RECORD_H_
#define ORVANE_DICTIONARY_SCORE_CASE_RECORD_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "orvane/dictionary/score_dict_var.h"

namespace MCOrvane_600 {

class ScoreValue;

// The values of one case by variable name, with optional lookup by position.
// Plug-ins are compiled against the order of the virtual operations below.
class ScoreCaseRecord {
 public:
  virtual ~ScoreCaseRecord() {}

  // Takes ownership of `value`, which may be null (a name without a value).
  virtual void Add(const std::string& name, ScoreValue* value) = 0;
  virtual bool SetValue(const std::string& name, const std::string& text) = 0;
  virtual bool SetValue(const std::string& name, double x, ScoreDictVar::DateTimeType type) = 0;
  virtual bool SetValue(const std::string& name, double x) = 0;
  virtual void Remove(const std::string& name) = 0;
  // Lent; null for an index without a slot or a slot without a value.
  virtual const ScoreValue* Get(int index) const = 0;
  // Lent; null for an unknown name or a name without a value.
  virtual const ScoreValue* Get(const std::string& name) const = 0;
  virtual void SetUpNameIndexMap(const std::vector<ScoreDictVar*>& vars) = 0;
  virtual bool HasMap() const = 0;
  virtual int GetIndex(const std::string& name) const = 0;
  virtual int Size() const = 0;
  virtual std::vector<std::string> GetVarNames() const = 0;
  virtual void Display(std::ostream& out) const = 0;

 protected:
  ScoreCaseRecord() {}
  ScoreCaseRecord(const ScoreCaseRecord&) {}
  ScoreCaseRecord& operator=(const ScoreCaseRecord&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_CASE_RECORD_H_
