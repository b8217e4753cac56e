#ifndef ORVANE_SRC_DICTIONARY_OWNING_MAP_H_
#define ORVANE_SRC_DICTIONARY_OWNING_MAP_H_

#include <memory>

namespace MCOrvane_600 {
namespace internal {

// A deep copy of `object` through its Clone(), or null for null. T::Clone()
// must return a new T* that the caller owns. The owning containers
// (owning_container.h) and the variable's attached objects copy through it.
template <typename T>
std::unique_ptr<T> CloneOrNull(const T* object) {
  return std::unique_ptr<T>(object != nullptr ? object->Clone() : nullptr);
}

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_DICTIONARY_OWNING_MAP_H_
