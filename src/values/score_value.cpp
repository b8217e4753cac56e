#include "orvane/values/score_value.h"

namespace MCOrvane_600 {

// Defined here so that the interface's type information lives in the library.
ScoreValue::~ScoreValue() = default;

}  // namespace MCOrvane_600
