// Standard PMML 4.4 expressions, one table row a derived field: the values
// are worked out by hand from the PMML text. Fields: x = 2.5, y = -2.5,
// z = 0, s = " Ab c ", and m, which the case leaves out (missing); v = 15,
// outside its Interval (invalid), w = -1, listed as missing, c = "z", not
// among its valid Values (invalid); t = 2003-04-01T12:34:56, a Tuesday.

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {
namespace {

const char kHead[] =
    "<PMML version=\"4.4\"><DataDictionary>"
    "<DataField name=\"x\" optype=\"continuous\" dataType=\"double\"/>"
    "<DataField name=\"y\" optype=\"continuous\" dataType=\"double\"/>"
    "<DataField name=\"z\" optype=\"continuous\" dataType=\"double\"/>"
    "<DataField name=\"m\" optype=\"continuous\" dataType=\"double\"/>"
    "<DataField name=\"s\" optype=\"categorical\" dataType=\"string\"/>"
    "<DataField name=\"v\" optype=\"continuous\" dataType=\"double\">"
    "<Interval closure=\"closedClosed\" leftMargin=\"0\" rightMargin=\"10\"/></DataField>"
    "<DataField name=\"w\" optype=\"continuous\" dataType=\"double\">"
    "<Interval closure=\"closedClosed\" leftMargin=\"0\" rightMargin=\"10\"/>"
    "<Value value=\"-1\" property=\"missing\"/></DataField>"
    "<DataField name=\"c\" optype=\"categorical\" dataType=\"string\">"
    "<Value value=\"a\"/><Value value=\"b\"/></DataField>"
    "<DataField name=\"t\" optype=\"continuous\" dataType=\"dateTime\"/>"
    "</DataDictionary><TransformationDictionary>";

std::string Document(const std::string& body, const std::string& dataType,
                     const std::string& functions) {
  return std::string(kHead) + functions + "<DerivedField name=\"f\" optype=\"" +
         (dataType == "string" ? "categorical" : "continuous") + "\" dataType=\"" + dataType +
         "\">" + body + "</DerivedField></TransformationDictionary></PMML>";
}

std::string Apply(const std::string& function, const std::string& args,
                  const std::string& attributes = "") {
  return "<Apply function=\"" + function + "\"" + attributes + ">" + args + "</Apply>";
}
std::string F(const std::string& name) { return "<FieldRef field=\"" + name + "\"/>"; }
std::string C(const std::string& text) { return "<Constant>" + text + "</Constant>"; }
std::string S(const std::string& text) { return "<Constant dataType=\"string\">" + text + "</Constant>"; }

// The derived value of `body` for the case, as text ("missing" for none).
std::string Derive(const std::string& body, const std::string& dataType, bool standard,
                   const std::string& functions = "") {
  std::istringstream in(Document(body, dataType, functions));
  ScoreDictionary* data = nullptr;
  PMMLReadOptions options;
  options.standardPMML = standard;
  std::unique_ptr<TransformationDictionary> derived(
      ModelFactory::GetTransformationDictionaryFromXML(in, data, "", options));
  std::unique_ptr<ScoreDictionary> owned(data);
  CaseRecord record;
  record.Add("x", new NumericValue(2.5));
  record.Add("y", new NumericValue(-2.5));
  record.Add("z", new NumericValue(0.0));
  record.Add("s", new StringValue(" Ab c "));
  record.Add("v", new NumericValue(15.0));
  record.Add("w", new NumericValue(-1.0));
  record.Add("c", new StringValue("z"));
  record.Add("t", new DateTimeValue("2003-04-01T12:34:56", ScoreDictVar::kDATETIME));
  const ScoreValue* v = derived->GetValuesForDeriedVars(&record, data)->Get("f");
  if (v->GetType() == ScoreValue::kSTRING_VALUE) return v->GetString().empty() ? "missing" : v->GetString();
  if (NumericValue::IsSystemMissingValue(v->GetDouble())) return "missing";
  std::ostringstream out;
  out << v->GetDouble();
  return out.str();
}

struct Case {
  const char* name;
  std::string body;
  const char* dataType;
  const char* expected;
  // Derived fields before f, which f may read.
  std::string before = "";
};

const std::string kInvalidD =
    "<DerivedField name=\"d\" optype=\"continuous\" dataType=\"double\">" +
    Apply("+", F("v") + C("1")) +
    "</DerivedField><DerivedField name=\"e\" optype=\"continuous\" dataType=\"double\">" + F("d") +
    "</DerivedField><DerivedField name=\"n\" optype=\"continuous\" dataType=\"double\">" +
    Apply("+", F("m") + C("1")) + "</DerivedField>";

class StandardFunctions : public testing::TestWithParam<Case> {};

TEST_P(StandardFunctions, GiveThePMMLValue) {
  const Case& c = GetParam();
  EXPECT_EQ(c.expected, Derive(c.body, c.dataType, true, c.before));
}

// clang-format off
const Case kCases[] = {
    // Arithmetic: a missing argument, a missing result; division by zero is
    // undefined, and defaultValue answers for it.
    {"plus", Apply("+", F("x") + F("y")), "double", "0"},
    {"plus_missing", Apply("+", F("x") + F("m")), "double", "missing"},
    {"divide_by_zero", Apply("/", F("x") + F("z")), "double", "missing"},
    {"divide_default", Apply("/", F("x") + F("z"), " defaultValue=\"-1\""), "double", "-1"},
    {"map_missing", Apply("*", F("m") + F("x"), " mapMissingTo=\"7\""), "double", "7"},
    // Aggregates ignore missing arguments.
    {"avg_ignores_missing", Apply("avg", F("x") + F("m") + C("4.5")), "double", "3.5"},
    {"median_even", Apply("median", F("x") + F("y") + F("z") + C("10")), "double", "1.25"},
    {"product", Apply("product", F("x") + C("4")), "double", "10"},
    {"max_all_missing", Apply("max", F("m")), "double", "missing"},
    {"max_of_min", Apply("max", Apply("min", F("x") + F("y")) + F("z")), "double", "0"},
    // Rounding and the rest of the arithmetic functions.
    {"round_tie_up", Apply("round", F("x")), "double", "3"},
    {"round_negative_tie", Apply("round", F("y")), "double", "-2"},
    {"rint_tie_even", Apply("rint", F("x")), "double", "2"},
    {"modulo_floored", Apply("modulo", C("-7") + C("3")), "double", "2"},
    {"threshold", Apply("threshold", F("x") + C("2")), "double", "1"},
    {"ln_negative", Apply("ln", F("y")), "double", "missing"},
    {"log10", Apply("log10", C("1000")), "double", "3"},
    {"sqrt_negative", Apply("sqrt", F("y")), "double", "missing"},
    {"abs", Apply("abs", F("y")), "double", "2.5"},
    {"pow", Apply("pow", C("2") + C("0.5")), "double", "1.41421"},
    {"hypot", Apply("hypot", C("3") + C("4")), "double", "5"},
    {"std_normal_cdf", Apply("stdNormalCDF", F("z")), "double", "0.5"},
    {"normal_pdf_bad_sigma", Apply("normalPDF", F("x") + F("z") + F("z")), "double", "missing"},
    {"floor_negative", Apply("floor", F("y")), "double", "-3"},
    {"ceil_negative", Apply("ceil", F("y")), "double", "-2"},
    {"modulo_by_zero", Apply("modulo", F("x") + F("z")), "double", "missing"},
    {"expm1", Apply("expm1", F("z")), "double", "0"},
    {"exp_overflow", Apply("exp", C("1000")), "double", "missing"},
    {"ln1p", Apply("ln1p", F("z")), "double", "0"},
    {"ln1p_minus_one", Apply("ln1p", C("-1")), "double", "missing"},
    // Angles in radians; a result outside the reals is missing.
    {"sin", Apply("sin", F("z")), "double", "0"},
    {"cos", Apply("cos", F("z")), "double", "1"},
    {"tan", Apply("tan", C("0.785398163397448")), "double", "1"},
    {"asin", Apply("asin", C("1")), "double", "1.5708"},
    {"asin_out_of_domain", Apply("asin", C("2")), "double", "missing"},
    {"acos", Apply("acos", C("-1")), "double", "3.14159"},
    {"atan", Apply("atan", C("1")), "double", "0.785398"},
    {"atan2_third_quadrant", Apply("atan2", C("-1") + C("-1")), "double", "-2.35619"},
    {"sinh", Apply("sinh", C("1")), "double", "1.1752"},
    {"cosh", Apply("cosh", C("1")), "double", "1.54308"},
    {"tanh", Apply("tanh", C("1")), "double", "0.761594"},
    // The normal distribution: sigma positive, probabilities inside (0, 1).
    {"normal_cdf", Apply("normalCDF", F("x") + C("1.5") + C("1")), "double", "0.841345"},
    {"normal_cdf_bad_sigma", Apply("normalCDF", F("x") + F("z") + C("-1")), "double", "missing"},
    {"normal_pdf", Apply("normalPDF", F("x") + F("x") + C("2")), "double", "0.199471"},
    {"normal_idf", Apply("normalIDF", C("0.975") + C("10") + C("2")), "double", "13.9199"},
    {"normal_idf_zero", Apply("normalIDF", F("z") + F("z") + C("1")), "double", "missing"},
    {"normal_idf_bad_sigma", Apply("normalIDF", C("0.5") + F("z") + F("z")), "double", "missing"},
    {"std_normal_pdf", Apply("stdNormalPDF", F("z")), "double", "0.398942"},
    {"std_normal_idf", Apply("stdNormalIDF", C("0.025")), "double", "-1.95996"},
    {"std_normal_idf_one", Apply("stdNormalIDF", C("1")), "double", "missing"},
    {"erf", Apply("erf", C("0.5")), "double", "0.5205"},
    // Tests, comparisons and logic.
    {"is_missing", Apply("isMissing", F("m")), "boolean", "1"},
    {"is_valid_missing", Apply("isValid", F("m")), "boolean", "0"},
    {"less_than_missing", Apply("lessThan", F("m") + F("x")), "boolean", "missing"},
    {"equal_text_number", Apply("equal", S("2.5") + F("x")), "boolean", "1"},
    {"equal_other_text_number", Apply("equal", F("s") + F("x")), "boolean", "0"},
    {"less_or_equal", Apply("lessOrEqual", F("x") + C("2.5")), "boolean", "1"},
    {"greater_or_equal", Apply("greaterOrEqual", F("y") + F("z")), "boolean", "0"},
    {"and", Apply("and", Apply("greaterThan", F("x") + F("z")) + C("0")), "boolean", "0"},
    {"is_in", Apply("isIn", F("x") + C("1") + C("2.5")), "boolean", "1"},
    {"and_true_text", Apply("and", S("true") + C("1")), "boolean", "1"},
    {"or_false_text", Apply("or", S("false") + F("z")), "boolean", "0"},
    {"not_other_text", Apply("not", S("yes")), "boolean", "missing"},
    {"if_false_no_else", Apply("if", Apply("lessThan", F("x") + F("z")) + C("1")), "double", "missing"},
    {"if_skips_branch", Apply("if", C("1") + C("5") + Apply("/", F("x") + F("z"))), "double", "5"},
    {"if_missing_condition", Apply("if", F("m") + C("1") + C("2")), "double", "missing"},
    // Texts: positions from 1, ranges clipped.
    {"trim_upper", Apply("uppercase", Apply("trimBlanks", F("s"))), "string", "AB C"},
    {"substring_clipped", Apply("substring", F("s") + C("2") + C("50")), "string", "Ab c "},
    {"concat", Apply("concat", S("n") + F("x")), "string", "n2.5"},
    {"replace", Apply("replace", F("s") + S("b+") + S("B")), "string", " AB c "},
    {"matches", Apply("matches", F("s") + S("A.")), "boolean", "1"},
    {"string_length", Apply("stringLength", F("s")), "integer", "6"},
    {"replace_bad_pattern", Apply("replace", F("s") + S("(") + S("B")), "string", "missing"},
    {"format_number", Apply("formatNumber", F("x") + S("%.2f")), "string", "2.50"},
    {"format_integer", Apply("formatNumber", F("y") + S("[%+05d]")), "string", "[-0002]"},
    {"format_percent_sign", Apply("formatNumber", F("x") + S("%.1f%%")), "string", "2.5%"},
    {"format_two_numbers", Apply("formatNumber", F("x") + S("%d %d")), "string", "missing"},
    {"format_text_conversion", Apply("formatNumber", F("x") + S("%s")), "string", "missing"},
    {"format_integer_too_large", Apply("formatNumber", C("1e19") + S("%d")), "string", "missing"},
    {"format_not_a_number", Apply("formatNumber", F("s") + S("%d")), "string", "missing"},
    // Dates: days and seconds from January 1st of a year, seconds of the day.
    {"date_days_since_year", Apply("dateDaysSinceYear", F("t") + C("1960")), "integer", "15796"},
    {"date_constant", Apply("dateDaysSinceYear", "<Constant dataType=\"date\">2003-04-01</Constant>" + C("1960")), "integer", "15796"},
    {"date_seconds_since_year", Apply("equal", Apply("dateSecondsSinceYear", F("t") + C("1960")) + C("1364819696")), "boolean", "1"},
    {"date_seconds_since_midnight", Apply("dateSecondsSinceMidnight", F("t")), "integer", "45296"},
    {"date_function_on_number", Apply("dateDaysSinceYear", F("x") + C("1960")), "integer", "missing"},
    {"date_year_not_number", Apply("dateDaysSinceYear", F("t") + S("y")), "integer", "missing"},
    {"format_datetime", Apply("formatDatetime", F("t") + S("%a %d.%m.%Y %H:%M:%S day %j")), "string", "Tue 01.04.2003 12:34:56 day 091"},
    {"format_datetime_unknown", Apply("formatDatetime", F("t") + S("%Q")), "string", "missing"},
    {"format_datetime_not_date", Apply("formatDatetime", F("x") + S("%Y")), "string", "missing"},
    // Data types of the derived field.
    {"integer_truncates", Apply("*", F("x") + C("3")), "integer", "7"},
    {"float_precision", C("0.1"), "float", "0.1"},
    // Table expressions.
    {"norm_continuous_inner", "<NormContinuous field=\"x\"><LinearNorm orig=\"0\" norm=\"0\"/><LinearNorm orig=\"2\" norm=\"1\"/><LinearNorm orig=\"4\" norm=\"5\"/></NormContinuous>", "double", "2"},
    {"norm_continuous_as_is", "<NormContinuous field=\"y\"><LinearNorm orig=\"0\" norm=\"0\"/><LinearNorm orig=\"2\" norm=\"1\"/></NormContinuous>", "double", "-1.25"},
    {"norm_continuous_extreme", "<NormContinuous field=\"y\" outliers=\"asExtremeValues\"><LinearNorm orig=\"0\" norm=\"0\"/><LinearNorm orig=\"2\" norm=\"1\"/></NormContinuous>", "double", "0"},
    {"norm_discrete", "<NormDiscrete field=\"x\" value=\"2.5\"/>", "double", "1"},
    {"discretize_default", "<Discretize field=\"y\" defaultValue=\"9\"><DiscretizeBin binValue=\"1\"><Interval closure=\"closedOpen\" leftMargin=\"0\"/></DiscretizeBin></Discretize>", "double", "9"},
    {"discretize_missing", "<Discretize field=\"m\" mapMissingTo=\"8\"><DiscretizeBin binValue=\"1\"><Interval closure=\"closedOpen\" leftMargin=\"0\"/></DiscretizeBin></Discretize>", "double", "8"},
    {"map_values_two_columns", "<MapValues outputColumn=\"o\"><FieldColumnPair field=\"x\" column=\"a\"/><FieldColumnPair field=\"z\" column=\"b\"/><InlineTable><row><a>2.5</a><b>1</b><o>p</o></row><row><a>2.5</a><b>0</b><o>q</o></row></InlineTable></MapValues>", "string", "q"},
    // Column elements match by namespace and local name, whatever the prefix.
    {"map_values_namespaced_columns", "<MapValues xmlns:p=\"urn:t\" xmlns:q=\"urn:t\" outputColumn=\"p:o\"><FieldColumnPair field=\"x\" column=\"q:a\"/><InlineTable><row><p:a>2.5</p:a><o>no</o><q:o>yes</q:o></row></InlineTable></MapValues>", "string", "yes"},
    {"field_ref_map_missing", "<FieldRef field=\"m\" mapMissingTo=\"3\"/>", "double", "3"},
    {"constant_missing", "<Constant missing=\"true\">1</Constant>", "double", "missing"},
    // Values invalid per the DataDictionary are neither missing nor valid;
    // invalidValueTreatment decides what an Apply makes of them.
    {"is_valid_invalid", Apply("isValid", F("v")), "boolean", "0"},
    {"is_not_valid_invalid", Apply("isNotValid", F("v")), "boolean", "1"},
    {"is_missing_invalid", Apply("isMissing", F("v")), "boolean", "0"},
    {"is_missing_listed_missing", Apply("isMissing", F("w")), "boolean", "1"},
    {"is_not_valid_category", Apply("isNotValid", F("c")), "boolean", "1"},
    {"invalid_returns_invalid", Apply("+", F("v") + C("1")), "double", "missing"},
    {"invalid_as_is", Apply("+", F("v") + C("1"), " invalidValueTreatment=\"asIs\""), "double", "16"},
    {"invalid_as_missing", Apply("+", F("v") + C("1"), " invalidValueTreatment=\"asMissing\" mapMissingTo=\"-5\""), "double", "-5"},
    {"field_ref_invalid_not_mapped", "<FieldRef field=\"v\" mapMissingTo=\"3\"/>", "double", "missing"},
    // A derived field d keeps its invalid result for the fields that read it;
    // e reads d through a FieldRef, n is merely missing.
    {"derived_is_not_valid", Apply("isNotValid", F("d")), "boolean", "1", kInvalidD},
    {"derived_is_missing_invalid", Apply("isMissing", F("d")), "boolean", "0", kInvalidD},
    {"derived_through_field_ref", Apply("isNotValid", F("e")), "boolean", "1", kInvalidD},
    {"derived_invalid_propagates", Apply("isNotValid", Apply("+", F("d") + C("1"))), "boolean", "1", kInvalidD},
    {"derived_invalid_not_mapped", "<FieldRef field=\"e\" mapMissingTo=\"3\"/>", "double", "missing", kInvalidD},
    {"derived_missing_is_missing", Apply("isMissing", F("n")), "boolean", "1", kInvalidD},
    {"derived_missing_is_not_valid", Apply("isNotValid", F("n")), "boolean", "0", kInvalidD},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, StandardFunctions, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(StandardFunctionsDefine, CallsNestAndParametersAreTheOnlyNames) {
  const std::string functions =
      "<DefineFunction name=\"twice\" optype=\"continuous\"><ParameterField name=\"p\"/>"
      "<Apply function=\"*\"><FieldRef field=\"p\"/><Constant>2</Constant></Apply></DefineFunction>"
      "<DefineFunction name=\"quad\" optype=\"continuous\"><ParameterField name=\"q\"/>"
      "<Apply function=\"twice\"><Apply function=\"twice\"><FieldRef field=\"q\"/></Apply></Apply>"
      "</DefineFunction>";
  EXPECT_EQ("10", Derive(Apply("quad", F("x")), "double", true, functions));
  // Inside a function only its parameters are names.
  const std::string leaky =
      "<DefineFunction name=\"leak\" optype=\"continuous\"><ParameterField name=\"p\"/>"
      "<FieldRef field=\"x\"/></DefineFunction>";
  EXPECT_THROW(Derive(Apply("leak", F("x")), "double", true, leaky), OVException);
  const std::string recursive =
      "<DefineFunction name=\"r\" optype=\"continuous\"><ParameterField name=\"p\"/>"
      "<Apply function=\"r\"><FieldRef field=\"p\"/></Apply></DefineFunction>";
  try {
    Derive(C("1"), "double", true, recursive);
    FAIL() << "accepted";
  } catch (const OVException& e) {
    EXPECT_EQ("r: recursive function is not supported", e.GetErrorMessage());
  }
}

struct Refusal {
  const char* name;
  std::string body;
  const char* message;
};

class StandardRefusals : public testing::TestWithParam<Refusal> {};

TEST_P(StandardRefusals, NameWhatIsWrong) {
  try {
    Derive(GetParam().body, "double", true);
    FAIL() << "accepted";
  } catch (const OVException& e) {
    EXPECT_EQ(GetParam().message, e.GetErrorMessage());
  }
}

const Refusal kRefusals[] = {
    {"undefined_function", Apply("rcs", F("x")), "rcs: not Supported function name"},
    {"argument_count", Apply("+", F("x")), "+: wrong number of arguments"},
    {"unknown_field", F("nowhere"), "nowhere: not predefined"},
};

INSTANTIATE_TEST_SUITE_P(Table, StandardRefusals, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<Refusal>& info) {
                           return info.param.name;
                         });

// What the library's own dialect refuses and standard PMML reads past: a
// wrong "numberOfFields", an optype PMML does not know.
struct Lenience {
  const char* name;
  std::string document;
  const char* default_message;
};

class StandardLenience : public testing::TestWithParam<Lenience> {};

TEST_P(StandardLenience, DefaultRefusesStandardReads) {
  const Lenience& c = GetParam();
  for (const bool standard : {false, true}) {
    std::istringstream in(c.document);
    ScoreDictionary* data = nullptr;
    PMMLReadOptions options;
    options.standardPMML = standard;
    try {
      std::unique_ptr<TransformationDictionary> derived(
          ModelFactory::GetTransformationDictionaryFromXML(in, data, "", options));
      delete data;
      EXPECT_TRUE(standard) << "accepted without the option";
    } catch (const OVException& e) {
      EXPECT_FALSE(standard) << e.GetErrorMessage();
      EXPECT_EQ(c.default_message, e.GetErrorMessage());
    }
  }
}

// clang-format off
const Lenience kLenience[] = {
    {"number_of_fields", "<PMML version=\"4.4\"><DataDictionary numberOfFields=\"3\"><DataField name=\"x\" optype=\"continuous\" dataType=\"double\"/></DataDictionary><TransformationDictionary><DerivedField name=\"f\" optype=\"continuous\" dataType=\"double\"><FieldRef field=\"x\"/></DerivedField></TransformationDictionary></PMML>", "Number of Variables in the Dictionary does not match with numberOfFields!"},
    {"derived_optype", "<PMML version=\"4.4\"><DataDictionary><DataField name=\"x\" optype=\"continuous\" dataType=\"double\"/></DataDictionary><TransformationDictionary><DerivedField name=\"f\" optype=\"cont\" dataType=\"float\"><FieldRef field=\"x\"/></DerivedField></TransformationDictionary></PMML>", "cont: Invalid Variable Type"},
    {"data_optype", "<PMML version=\"4.4\"><DataDictionary><DataField name=\"x\" optype=\"nominal\" dataType=\"string\"/></DataDictionary><TransformationDictionary><DerivedField name=\"f\" optype=\"categorical\" dataType=\"string\"><FieldRef field=\"x\"/></DerivedField></TransformationDictionary></PMML>", "nominal: Invalid Variable Type"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, StandardLenience, testing::ValuesIn(kLenience),
                         [](const testing::TestParamInfo<Lenience>& info) {
                           return info.param.name;
                         });

// Without the option the same document reads as the library's own dialect:
// "round" of -2.5 goes away from zero, and "rint" is no function.
TEST(StandardFunctionsDefault, SameDocumentWithoutTheOption) {
  EXPECT_EQ("-3", Derive(Apply("round", F("y")), "double", false));
  EXPECT_EQ("-2", Derive(Apply("round", F("y")), "double", true));
  EXPECT_THROW(Derive(Apply("rint", F("x")), "double", false), OVException);
}

}  // namespace
}  // namespace MCOrvane_600
