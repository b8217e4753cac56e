#ifndef ORVANE_ORVANE_H_
#define ORVANE_ORVANE_H_

// The one header that hosts and model plug-ins include.

#include "orvane/values/mc_status.h"
#include "orvane/values/ov_exception.h"

#endif  // ORVANE_ORVANE_H_
