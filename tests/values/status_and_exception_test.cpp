#include <cmath>

#include "gtest/gtest.h"
#include "orvane/values/mc_status.h"
#include "orvane/values/ov_exception.h"

namespace {

using MCOrvane_600::OVException;
using MCScore::MCStatus;

TEST(OVExceptionTest, DefaultAndCopies) {
  OVException none;
  EXPECT_EQ(none.GetErrorCode(), 0);
  EXPECT_EQ(none.GetErrorMessage(), "");

  OVException first(OVException::kCodeCount, "twelve");
  OVException copy(first);
  EXPECT_EQ(copy.GetErrorCode(), 12);
  EXPECT_EQ(copy.GetErrorMessage(), "twelve");

  none = first;
  EXPECT_EQ(none.GetErrorCode(), 12);
  EXPECT_EQ(none.GetErrorMessage(), "twelve");
}

TEST(OVExceptionTest, CodeValuesAreFixed) {
  EXPECT_EQ(OVException::kCodeStructure, 1);
  EXPECT_EQ(OVException::kCodeOpen, 2);
  EXPECT_EQ(OVException::kCodeConversion, 3);
  EXPECT_EQ(OVException::kCodeAbsent, 4);
  EXPECT_EQ(OVException::kCodeUnsupported, 5);
  EXPECT_EQ(OVException::kCodeSemantic, 6);
  EXPECT_EQ(OVException::kCodeEmptyOrInvalid, 7);
  EXPECT_EQ(OVException::kCodeVariableName, 8);
  EXPECT_EQ(OVException::kCodeTypeOrLevel, 11);
  EXPECT_EQ(OVException::kCodeCount, 12);
}

TEST(MCStatusTest, Severities) {
  MCStatus ok;
  EXPECT_TRUE(ok.IsOK());
  EXPECT_FALSE(ok.IsError());
  EXPECT_FALSE(ok.IsWarning());

  MCStatus warning(5, true);
  EXPECT_TRUE(warning.IsWarning());
  EXPECT_EQ(warning.GetErrorCode(), 5);

  MCStatus error(5, false);
  EXPECT_TRUE(error.IsError());
  EXPECT_FALSE(error.IsOK());

  // A status made from a code is never OK, even with code 0.
  MCStatus zero_error(0, false);
  EXPECT_TRUE(zero_error.IsError());
  EXPECT_FALSE(zero_error.IsOK());
}

TEST(MCStatusTest, Equality) {
  EXPECT_TRUE(MCStatus() == MCStatus());
  EXPECT_FALSE(MCStatus() == MCStatus(0, true));

  MCStatus a, b;
  a.SetDiscreteDatum(1, 7);
  b.SetDiscreteDatum(1, 7);
  EXPECT_TRUE(a == b);
  b.SetScaleDatum(2, 0.5);
  EXPECT_FALSE(a == b);
  a = b;
  EXPECT_TRUE(a == b);
  EXPECT_EQ(a.GetScaleDatum(2), 0.5);
  EXPECT_EQ(a.GetDiscreteDatum(1), 7);

  MCStatus nan_status;
  nan_status.SetScaleDatum(0, std::nan(""));
  EXPECT_FALSE(nan_status == nan_status);
}

}  // namespace
