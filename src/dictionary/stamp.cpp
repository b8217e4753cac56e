#include "dictionary/stamp.h"

#include <atomic>

namespace MCOrvane_600 {
namespace internal {

namespace {

std::atomic<std::uint64_t> next_stamp{1};

}  // namespace

std::uint64_t NewStamp() { return next_stamp.fetch_add(1, std::memory_order_relaxed); }

}  // namespace internal
}  // namespace MCOrvane_600
