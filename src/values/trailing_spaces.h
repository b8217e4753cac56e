#ifndef ORVANE_SRC_VALUES_TRAILING_SPACES_H_
#define ORVANE_SRC_VALUES_TRAILING_SPACES_H_

#include <string_view>

namespace MCOrvane_600 {
namespace internal {

// Texts compare without their trailing spaces; tabs and other white space
// count. Every place that matches texts the way StringValue does trims here.
inline std::string_view WithoutTrailingSpaces(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_VALUES_TRAILING_SPACES_H_
