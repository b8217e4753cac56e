#ifndef ORVANE_TESTS_MODEL_PLUGINS_HOST_HOST_EXPECT_H_
#define ORVANE_TESTS_MODEL_PLUGINS_HOST_HOST_EXPECT_H_

// Expectations shared by the model plug-ins' tests over the stand-in host.

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model_host.h"
#include "orvane/values/ov_exception.h"

namespace orvane_test {

using orvane_plugins::Prediction;

// A document that the plug-in refuses to read, and the code and message.
struct Refusal {
  const char* name;
  std::string document;
  int code;
  const char* message;
};

inline void ExpectRefusals(const std::vector<Refusal>& refusals) {
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.name);
    try {
      HostedModel::FromText(r.document);
      ADD_FAILURE() << "read without complaint";
    } catch (const MCOrvane_600::OVException& e) {
      EXPECT_EQ(e.GetErrorCode(), r.code);
      EXPECT_EQ(e.GetErrorMessage(), r.message);
    }
  }
}

// Within `tolerance` relative to the larger of 1 and `want`.
inline void ExpectClose(double got, double want, double tolerance = 1e-12) {
  EXPECT_NEAR(got, want, tolerance * std::max(1.0, std::fabs(want)));
}

// The values of `got` in order, and their names unless `names` is empty.
inline void ExpectDistribution(const std::vector<std::pair<std::string, double>>& got,
                               const std::vector<double>& want,
                               const std::vector<std::string>& names = {},
                               double tolerance = 1e-12) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    ExpectClose(got[i].second, want[i], tolerance);
    if (!names.empty()) {
      EXPECT_EQ(got[i].first, names[i]);
    }
  }
}

// No prediction, and the advice that says why: `id` for each of `infos`.
inline void ExpectNoPrediction(const Prediction& p, int id, const std::vector<std::string>& infos) {
  EXPECT_FALSE(p.valid);
  ASSERT_EQ(p.advice.size(), infos.size());
  for (size_t i = 0; i < infos.size(); ++i) {
    EXPECT_EQ(p.advice[i].GetID(), id);
    EXPECT_EQ(p.advice[i].GetInfo(), infos[i]);
  }
}

// No prediction, the last advice "Score is a missing value" (103).
inline void ExpectNoScore(const Prediction& p) {
  EXPECT_FALSE(p.valid);
  ASSERT_FALSE(p.advice.empty());
  EXPECT_EQ(p.advice.back().GetID(), 103);
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_MODEL_PLUGINS_HOST_HOST_EXPECT_H_
