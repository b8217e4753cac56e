#ifndef ORVANE_TRANSFORM_TRANSFORMATION_DICTIONARY_H_
#define ORVANE_TRANSFORM_TRANSFORMATION_DICTIONARY_H_

#include "orvane/dictionary/base_dictionary.h"

namespace MCOrvane_600 {

// Holds the derived variables of one model document and computes them for a
// case. It also carries the codes shared by expression trees, derived
// variables and the document reader.
class TransformationDictionary : public BaseDictionary {
 public:
  // The built-in functions an Apply expression may call. The values are
  // stored in expression-tree nodes and seen by plug-ins: never renumber.
  enum TransformFunction {
    kFN_PLUS = 0,
    kFN_MINUS = 1,
    kFN_MULTIPLY = 2,
    kFN_DIVIDE = 3,
    kFN_POW = 4,
    kFN_ABS = 5,
    kFN_EXP = 6,
    kFN_LOG10 = 7,
    kFN_LN = 8,
    kFN_MOD = 9,
    kFN_ROUND = 10,
    kFN_SQRT = 11,
    kFN_TRUNC = 12,
    kFN_CDF_NORMAL = 13,
    kFN_CDFNORM = 14,
    kFN_IDF_NORMAL = 15,
    kFN_PDF_NORMAL = 16,
    kFN_MAX = 17,
    kFN_MEAN = 18,
    kFN_MIN = 19,
    kFN_SD = 20,
    kFN_SUM = 21,
    kFN_VARIANCE = 22,
    kFN_CONCAT = 23,
    kFN_LENGTH = 24,
    kFN_LOWER = 25,
    kFN_LTRIM = 26,
    kFN_RTRIM = 27,
    kFN_SUBSTR = 28,
    kFN_UPPERCASE = 29,
    kFN_SYSMIS = 30,
    kFN_VALUE = 31,
    kFN_DATE_YEARS_DIFFERENCE = 32,
    kFN_DATE_MONTHS_DIFFERENCE = 33,
    kFN_DATE_DAYS_DIFFERENCE = 34,
    kFN_YEAR_FROM_DATE = 35,
    kFN_MONTH_FROM_DATE = 36,
    kFN_DAY_FROM_DATE = 37,
    kFN_TIME_HOURS_DIFFERENCE = 38,
    kFN_TIME_MINUTES_DIFFERENCE = 39,
    kFN_TIME_SECONDS_DIFFERENCE = 40,
    kFN_HOUR_FROM_TIME = 41,
    kFN_MINUTE_FROM_TIME = 42,
    kFN_SECOND_FROM_TIME = 43,
    kFN_RECAST_TO_ORDINAL = 44,
    kFN_RECAST_TO_SCALE = 45,
    kFN_OUTLIER_HANDLE = 46,
    kFN_IS_MISSING = 47,
    kFN_IS_NOT_MISSING = 48,
    kFN_EQUAL = 49,
    kFN_NOT_EQUAL = 50,
    kFN_LESS_THAN = 51,
    kFN_LESS_OR_EQUAL = 52,
    kFN_GREATER_THAN = 53,
    kFN_GREATER_OR_EQUAL = 54,
    kFN_IS_IN = 55,
    kFN_IS_NOT_IN = 56,
    kFN_AND = 57,
    kFN_OR = 58,
    kFN_NOT = 59,
    kFN_IF = 60,
    kFN_NONE = 61,  // no function: every leaf, and every unknown name
  };

  // The expression kind of a derived variable.
  enum TransExpression {
    kCONSTANT = 0,
    kFIELDREF = 1,
    kNORMCONTINUOUS = 2,
    kNORMDISCRETE = 3,
    kDISCRETIZE = 4,
    kMAPVALUES = 5,
    kAPPLY = 6,
    kNO_EXPRESSION = 7,  // a derived variable not yet given an expression
  };
};

// Plug-ins are compiled against 32-bit codes.
static_assert(sizeof(TransformationDictionary::TransformFunction) == 4,
              "TransformFunction must be a 32-bit enumeration");

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSFORM_TRANSFORMATION_DICTIONARY_H_
