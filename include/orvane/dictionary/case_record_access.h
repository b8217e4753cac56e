#ifndef ORVANE_DICTIONARY_CASE_RECORD_ACCESS_H_
#define ORVANE_DICTIONARY_CASE_RECORD_ACCESS_H_

#include <cstdint>
#include <string>

#include "orvane/dictionary/case_record.h"

namespace MCOrvane_600 {
namespace internal {

// Reads a CaseRecord by entry instead of by name (for the library's own
// engines and the shipped model plug-ins, not an interface for hosts). An
// entry found once stays the place of its name's value for as long as the
// record's layout stamp is unchanged; the value in it may change from case to
// case. Layout stamps are never handed out twice in a process.
class CaseRecordAccess {
 public:
  static std::uint64_t Layout(const CaseRecord& record) { return record.layout_; }
  // The entry of `name`; null when the record has no such name.
  static ScoreValue* const* Entry(const CaseRecord& record, const std::string& name) {
    const auto it = record.values_.find(name);
    return it != record.values_.end() ? &it->second : nullptr;
  }
};

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_CASE_RECORD_ACCESS_H_
