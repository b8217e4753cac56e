#include "orvane/transform/math/mcmv.h"

namespace MCCommon_600 {

// The negative of the largest finite double.
const double MCMV::gMissingValue = -1.7976931348623157e+308;

double MCMV::Missing() { return gMissingValue; }

bool MCMV::IsMissing(double x) { return x == gMissingValue; }

}  // namespace MCCommon_600
