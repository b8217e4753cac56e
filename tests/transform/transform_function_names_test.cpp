#include "orvane/transform/transform_function_names.h"

#include <gtest/gtest.h>

namespace MCOrvane_600 {
namespace {

typedef TransformationDictionary TD;

TEST(TransformFunctionNamesTest, EveryCodeRoundTripsThroughItsName) {
  TransformFunctionMap table;
  FillTransformFunctionMap(&table);
  ASSERT_EQ(64u, table.size());
  for (int code = 0; code < TD::kFN_NONE; ++code) {
    const TD::TransformFunction function = static_cast<TD::TransformFunction>(code);
    const std::string name = GetTransformFunctionName(function);
    ASSERT_FALSE(name.empty()) << code;
    EXPECT_EQ(function, FindTransformFunction(table, name)) << name;
  }
  EXPECT_EQ("", GetTransformFunctionName(TD::kFN_NONE));
}

TEST(TransformFunctionNamesTest, SecondNamesAndSpotChecks) {
  TransformFunctionMap table;
  FillTransformFunctionMap(&table);
  const struct {
    const char* name;
    TD::TransformFunction function;
  } cases[] = {
      {"lg10", TD::kFN_LOG10},
      {"log10", TD::kFN_LOG10},
      {"avg", TD::kFN_MEAN},
      {"mean", TD::kFN_MEAN},
      {"trimend", TD::kFN_RTRIM},
      {"rtrim", TD::kFN_RTRIM},
      {"+", TD::kFN_PLUS},
      {"year-from-date", TD::kFN_YEAR_FROM_DATE},
      {"outlierHandle", TD::kFN_OUTLIER_HANDLE},
      {"if", TD::kFN_IF},
      // Exact match only.
      {"Mean", TD::kFN_NONE},
      {"mean ", TD::kFN_NONE},
      {"", TD::kFN_NONE},
      {"outlierhandle", TD::kFN_NONE},
  };
  for (const auto& c : cases) EXPECT_EQ(c.function, FindTransformFunction(table, c.name)) << c.name;
  EXPECT_EQ("log10", GetTransformFunctionName(TD::kFN_LOG10));
  EXPECT_EQ("mean", GetTransformFunctionName(TD::kFN_MEAN));
}

TEST(TransformFunctionNamesTest, FillingAFilledTableChangesNothing) {
  TransformFunctionMap table;
  table["mine"] = TD::kFN_SUM;
  FillTransformFunctionMap(&table);
  EXPECT_EQ(1u, table.size());
  EXPECT_EQ(TD::kFN_NONE, FindTransformFunction(table, "sum"));
  FillTransformFunctionMap(nullptr);
}

}  // namespace
}  // namespace MCOrvane_600
