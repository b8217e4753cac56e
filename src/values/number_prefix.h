#ifndef ORVANE_SRC_VALUES_NUMBER_PREFIX_H_
#define ORVANE_SRC_VALUES_NUMBER_PREFIX_H_

#include <string_view>

namespace MCOrvane_600 {
namespace internal {

// Reads the longest prefix of `text` that forms a decimal number in the
// classic locale, after leading white space: an optional sign, digits with at
// most one '.', and an exponent only when it is complete ("1e" reads as 1).
// Returns false when there is no such prefix or the number overflows. `*value`
// gets what a classic-locale input stream gives for the prefix: 0 when there
// is none, +-DBL_MAX on overflow.
bool ReadNumberPrefix(std::string_view text, double* value);

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_VALUES_NUMBER_PREFIX_H_
