#ifndef ORVANE_SRC_DICTIONARY_DICTIONARY_ACCESS_H_
#define ORVANE_SRC_DICTIONARY_DICTIONARY_ACCESS_H_

#include <cstdint>
#include <typeinfo>

#include "orvane/dictionary/base_dictionary.h"

namespace MCOrvane_600 {
namespace internal {

// Tells whether a dictionary still has the variables it had, without
// listing them: the library's own dictionary stamps every change to its
// set of variables.
class DictionaryAccess {
 public:
  // The layout stamp of `data` when it is exactly the library's dictionary
  // (a subclass may keep its variables elsewhere); 0 otherwise.
  static std::uint64_t Layout(const ScoreDictionary* data) {
    if (data == nullptr || typeid(*data) != typeid(BaseDictionary)) return 0;
    return static_cast<const BaseDictionary*>(data)->layout_;
  }
};

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_DICTIONARY_DICTIONARY_ACCESS_H_
