#ifndef ORVANE_DICTIONARY_SCORE_DICTIONARY_H_
#define ORVANE_DICTIONARY_SCORE_DICTIONARY_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace MCOrvane_600 {

class ScoreDictVar;

// The variables a model knows, held under their names. Plug-ins are compiled
// against the order of the virtual operations below.
class ScoreDictionary {
 public:
  virtual ~ScoreDictionary() {}

  // Returns a new dictionary that the caller owns.
  virtual ScoreDictionary* Clone() const = 0;
  // Takes ownership of `var` when it returns true; on false the caller keeps it.
  virtual bool AddVar(const std::string& name, ScoreDictVar* var) = 0;
  virtual bool RemoveVar(const std::string& name) = 0;
  // Lent; null for an unknown name.
  virtual const ScoreDictVar* GetVar(const std::string& name) const = 0;
  virtual int Size() const = 0;
  // Lent pointers, in name order; the dictionary keeps ownership.
  virtual std::vector<ScoreDictVar*> GetScoreDictVars() const = 0;
  virtual void Display(std::ostream& out) const = 0;

 protected:
  ScoreDictionary() {}
  ScoreDictionary(const ScoreDictionary&) {}
  ScoreDictionary& operator=(const ScoreDictionary&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_DICTIONARY_H_
