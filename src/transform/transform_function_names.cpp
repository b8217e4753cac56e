#include "orvane/transform/transform_function_names.h"

#include <iterator>

namespace MCOrvane_600 {

namespace {

typedef TransformationDictionary TD;

struct FunctionName {
  const char* name;
  TD::TransformFunction function;
};

// In code order; a code's first entry is its main name.
const FunctionName kFunctionNames[] = {
    {"+", TD::kFN_PLUS},
    {"-", TD::kFN_MINUS},
    {"*", TD::kFN_MULTIPLY},
    {"/", TD::kFN_DIVIDE},
    {"pow", TD::kFN_POW},
    {"abs", TD::kFN_ABS},
    {"exp", TD::kFN_EXP},
    {"log10", TD::kFN_LOG10},
    {"lg10", TD::kFN_LOG10},
    {"ln", TD::kFN_LN},
    {"mod", TD::kFN_MOD},
    {"round", TD::kFN_ROUND},
    {"sqrt", TD::kFN_SQRT},
    {"trunc", TD::kFN_TRUNC},
    {"cdf.normal", TD::kFN_CDF_NORMAL},
    {"cdfnorm", TD::kFN_CDFNORM},
    {"idf.normal", TD::kFN_IDF_NORMAL},
    {"pdf.normal", TD::kFN_PDF_NORMAL},
    {"max", TD::kFN_MAX},
    {"mean", TD::kFN_MEAN},
    {"avg", TD::kFN_MEAN},
    {"min", TD::kFN_MIN},
    {"sd", TD::kFN_SD},
    {"sum", TD::kFN_SUM},
    {"variance", TD::kFN_VARIANCE},
    {"concat", TD::kFN_CONCAT},
    {"length", TD::kFN_LENGTH},
    {"lower", TD::kFN_LOWER},
    {"ltrim", TD::kFN_LTRIM},
    {"rtrim", TD::kFN_RTRIM},
    {"trimend", TD::kFN_RTRIM},
    {"substr", TD::kFN_SUBSTR},
    {"uppercase", TD::kFN_UPPERCASE},
    {"sysmis", TD::kFN_SYSMIS},
    {"value", TD::kFN_VALUE},
    {"date_years_difference", TD::kFN_DATE_YEARS_DIFFERENCE},
    {"date_months_difference", TD::kFN_DATE_MONTHS_DIFFERENCE},
    {"date_days_difference", TD::kFN_DATE_DAYS_DIFFERENCE},
    {"year-from-date", TD::kFN_YEAR_FROM_DATE},
    {"month-from-date", TD::kFN_MONTH_FROM_DATE},
    {"day-from-date", TD::kFN_DAY_FROM_DATE},
    {"time_hours_difference", TD::kFN_TIME_HOURS_DIFFERENCE},
    {"time_minutes_difference", TD::kFN_TIME_MINUTES_DIFFERENCE},
    {"time_seconds_difference", TD::kFN_TIME_SECONDS_DIFFERENCE},
    {"hour-from-time", TD::kFN_HOUR_FROM_TIME},
    {"minute-from-time", TD::kFN_MINUTE_FROM_TIME},
    {"second-from-time", TD::kFN_SECOND_FROM_TIME},
    {"recast_to_ordinal", TD::kFN_RECAST_TO_ORDINAL},
    {"recast_to_scale", TD::kFN_RECAST_TO_SCALE},
    {"outlierHandle", TD::kFN_OUTLIER_HANDLE},
    {"isMissing", TD::kFN_IS_MISSING},
    {"isNotMissing", TD::kFN_IS_NOT_MISSING},
    {"equal", TD::kFN_EQUAL},
    {"notEqual", TD::kFN_NOT_EQUAL},
    {"lessThan", TD::kFN_LESS_THAN},
    {"lessOrEqual", TD::kFN_LESS_OR_EQUAL},
    {"greaterThan", TD::kFN_GREATER_THAN},
    {"greaterOrEqual", TD::kFN_GREATER_OR_EQUAL},
    {"isIn", TD::kFN_IS_IN},
    {"isNotIn", TD::kFN_IS_NOT_IN},
    {"and", TD::kFN_AND},
    {"or", TD::kFN_OR},
    {"not", TD::kFN_NOT},
    {"if", TD::kFN_IF},
};

static_assert(std::size(kFunctionNames) == 64, "one name a code and three second names");

}  // namespace

void FillTransformFunctionMap(TransformFunctionMap* table) {
  if (table == nullptr || !table->empty()) return;
  for (const FunctionName& entry : kFunctionNames) table->emplace(entry.name, entry.function);
}

TransformationDictionary::TransformFunction FindTransformFunction(const TransformFunctionMap& table,
                                                                  const std::string& name) {
  TransformFunctionMap::const_iterator it = table.find(name);
  return it == table.end() ? TD::kFN_NONE : it->second;
}

std::string GetTransformFunctionName(TransformationDictionary::TransformFunction function) {
  for (const FunctionName& entry : kFunctionNames) {
    if (entry.function == function) return entry.name;
  }
  return std::string();
}

}  // namespace MCOrvane_600
