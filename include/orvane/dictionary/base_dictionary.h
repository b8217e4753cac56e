#ifndef ORVANE_DICTIONARY_BASE_DICTIONARY_H_
#define ORVANE_DICTIONARY_BASE_DICTIONARY_H_

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"

namespace MCOrvane_600 {

namespace internal {
class DictionaryAccess;
}  // namespace internal

// The library's dictionary: owns its variables and keeps them in byte-wise
// name order ('B' before 'a'), so listings and dumps come in that order.
// Pointers it lends stay valid until the variable is removed or the
// dictionary is assigned to or destroyed.
class BaseDictionary : public ScoreDictionary {
 public:
  BaseDictionary();
  // Deep: every variable is cloned.
  BaseDictionary(const BaseDictionary& other);
  // Deep: destroys the own variables, then clones the other's.
  BaseDictionary& operator=(const BaseDictionary& other);
  ~BaseDictionary() override;

  // Returns a new BaseDictionary that the caller owns.
  ScoreDictionary* Clone() const override;
  // Takes ownership of `var` when it returns true. False, with nothing
  // changed and `var` still the caller's, for an empty or present name or a
  // null `var`. The key is `name`, not the variable's own name.
  bool AddVar(const std::string& name, ScoreDictVar* var) override;
  // Destroys the variable.
  bool RemoveVar(const std::string& name) override;
  const ScoreDictVar* GetVar(const std::string& name) const override;
  int Size() const override;
  std::vector<ScoreDictVar*> GetScoreDictVars() const override;
  void Display(std::ostream& out) const override;

 private:
  // Tells evaluation plans whether the variables are the ones they found.
  friend class internal::DictionaryAccess;

  // A stamp no dictionary has had before: taken whenever a variable is added
  // or removed (and on construction and assignment), so that an equal stamp
  // means the same dictionary with the same variables.
  void NewLayout();

  // Owning.
  std::map<std::string, ScoreDictVar*> vars_;
  std::uint64_t layout_ = 0;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_BASE_DICTIONARY_H_
