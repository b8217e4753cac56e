#ifndef ORVANE_DICTIONARY_CASE_RECORD_H_
#define ORVANE_DICTIONARY_CASE_RECORD_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "orvane/dictionary/score_case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

namespace internal {
class CaseRecordAccess;
}  // namespace internal

// The library's case record. Owns its values, keeps them in byte-wise name
// order, and once a name index is built mirrors them in positional slots:
// the slot of an indexed name always lends the value stored under the name.
// It never consults a dictionary.
class CaseRecord : public ScoreCaseRecord {
 public:
  CaseRecord();
  // Deep: values are cloned; the name index and the slots follow them.
  CaseRecord(const CaseRecord& other);
  // Deep: destroys the own values, then copies as above.
  CaseRecord& operator=(const CaseRecord& other);
  ~CaseRecord() override;

  // Takes ownership of `value`, which may be null. A name already present
  // gets `value` in place of its old value, which is destroyed (as Remove
  // then Add would do).
  void Add(const std::string& name, ScoreValue* value) override;
  // The three forms only fill names already added: a name without a value
  // gets a new value of the form's type, a value of that type is changed in
  // place, any other type is refused (false).
  bool SetValue(const std::string& name, const std::string& text) override;
  bool SetValue(const std::string& name, double x, ScoreDictVar::DateTimeType type) override;
  bool SetValue(const std::string& name, double x) override;
  // Destroys the value; the name keeps its index.
  void Remove(const std::string& name) override;
  const ScoreValue* Get(int index) const override;
  const ScoreValue* Get(const std::string& name) const override;
  // Only the first call with a non-empty list builds the index; position i of
  // `vars` becomes index i. Values already present are mirrored at once.
  void SetUpNameIndexMap(const std::vector<ScoreDictVar*>& vars) override;
  bool HasMap() const override;
  // -1 for a name without an index.
  int GetIndex(const std::string& name) const override;
  // Names without a value count.
  int Size() const override;
  std::vector<std::string> GetVarNames() const override;
  void Display(std::ostream& out) const override;

 private:
  // Reads values through the entries of values_ without name lookups, as
  // long as the layout stamp says the entries are the ones it found.
  friend class internal::CaseRecordAccess;

  // A stamp no record has had before: taken whenever an entry of values_ is
  // created or erased (and on construction and assignment), so that an equal
  // stamp means the same record with the same entries.
  void NewLayout();

  // The common path of the SetValue forms: an entry without a value gets
  // make()'s new value; a value of `type` is handed to change().
  template <typename Make, typename Change>
  bool Fill(const std::string& name, ScoreValue::ValueType type, Make make, Change change);
  using Entries = std::map<std::string, ScoreValue*>;
  // The entry of `name`; null when there is none. Hosts fill the same names
  // case after case: an entry found is remembered under a hash of its name
  // until the entries change. Only the filling operations use it, so that
  // readers of a const record never write.
  Entries::value_type* FindEntry(const std::string& name);
  // The remembered entry for `name`'s hash (possibly another name's, or
  // null); the table is made or grown first.
  Entries::value_type*& FoundSlot(const std::string& name);
  // Points the slot of `name`, if it has one, at `value`.
  void Mirror(const std::string& name, ScoreValue* value);
  // Sizes the slots and points each indexed one at its name's value.
  void MirrorAll(std::size_t slot_count);

  // Owning; a null value marks a name without a value.
  Entries values_;
  // Lent from values_: entries recently found, by a hash of the name; null
  // until the first lookup, emptied whenever the layout changes.
  std::unique_ptr<Entries::value_type*[]> found_;
  std::size_t found_slots_ = 0;
  std::map<std::string, int> name_index_;
  // Lent from values_; never owning.
  std::vector<ScoreValue*> slots_;
  bool has_map_ = false;
  std::uint64_t layout_ = 0;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_CASE_RECORD_H_
