#ifndef ORVANE_SRC_DICTIONARY_OWNING_CONTAINER_H_
#define ORVANE_SRC_DICTIONARY_OWNING_CONTAINER_H_

// Deep copy, removal and destruction for the owning containers of the
// dictionary subsystem: a std::vector<T*> (the ranges of a missing-value set,
// the labels of a label set) or a std::map<std::string, T*> (the variables of
// a dictionary, the values of a case record) whose objects the container
// owns. T has a virtual destructor and a Clone() that returns a new T*.
// Copying and destroying accept null entries; the matching functions need
// containers without null (the owners' Add operations refuse it).
//
// The public headers keep the plain standard containers as fields; the
// sources apply these functions to them.

#include <utility>

#include "dictionary/owning_map.h"

namespace MCOrvane_600 {
namespace internal {

// The object that a container entry owns.
template <typename T>
T* Owned(T* entry) {
  return entry;
}
template <typename K, typename T>
T* Owned(const std::pair<const K, T*>& entry) {
  return entry.second;
}

// An entry like `entry` that holds a clone of its object.
template <typename T>
T* CloneEntry(T* entry) {
  return CloneOrNull<T>(entry).release();
}
template <typename K, typename T>
std::pair<const K, T*> CloneEntry(const std::pair<const K, T*>& entry) {
  return {entry.first, CloneOrNull<T>(entry.second).release()};
}

// Destroys every object of `items` and empties it.
template <typename Container>
void DestroyAll(Container* items) {
  for (const auto& entry : *items) delete Owned(entry);
  items->clear();
}

// Adds to `to` a clone of every entry of `from`; a vector keeps the order of
// `from`, a map its own.
template <typename Container>
void CloneAllInto(const Container& from, Container* to) {
  for (const auto& entry : from) to->insert(to->end(), CloneEntry(entry));
}

// Replaces the objects of `to` by clones of those of `from`. Assigning a
// container to itself changes nothing.
template <typename Container>
void AssignClones(const Container& from, Container* to) {
  if (&from == to) return;
  DestroyAll(to);
  CloneAllInto(from, to);
}

// Destroys the object at `position` and takes its entry out; the later
// entries keep their order. Returns the position after it.
template <typename Container>
typename Container::iterator DestroyAt(Container* items, typename Container::iterator position) {
  delete Owned(*position);
  return items->erase(position);
}

// Destroys and takes out the entries whose object `matches` accepts; only the
// first such entry when `first_only`. Returns how many were taken out.
template <typename Container, typename Predicate>
int DestroyMatching(Container* items, Predicate matches, bool first_only) {
  int removed = 0;
  for (auto it = items->begin(); it != items->end();) {
    if (!matches(*Owned(*it))) {
      ++it;
      continue;
    }
    it = DestroyAt(items, it);
    ++removed;
    if (first_only) break;
  }
  return removed;
}

// The first object of `items` that `matches` accepts, lent; null when none.
template <typename Container, typename Predicate>
auto FindMatching(const Container& items, Predicate matches) -> decltype(Owned(*items.begin())) {
  for (const auto& entry : items) {
    if (matches(*Owned(entry))) return Owned(entry);
  }
  return nullptr;
}

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_DICTIONARY_OWNING_CONTAINER_H_
