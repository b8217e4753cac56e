#ifndef ORVANE_SRC_DICTIONARY_STAMP_H_
#define ORVANE_SRC_DICTIONARY_STAMP_H_

#include <cstdint>

namespace MCOrvane_600 {
namespace internal {

// A number never handed out before in this process (never 0). Record and
// dictionary layouts, plans, passes and tree versions are told apart by it,
// so a stamp seen again cannot belong to something that has ended or
// changed since.
std::uint64_t NewStamp();

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_DICTIONARY_STAMP_H_
