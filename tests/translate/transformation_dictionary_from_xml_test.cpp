// Reading the dictionaries of PMML documents through the factory, and the
// derived values they compute for hand-worked cases.

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/model_factory.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

const double kSysmis = NumericValue::GetSysmisValue();

std::string DataFile(const std::string& name) { return orvane_test::TestData("pmml/td/" + name); }

// The two dictionaries of one document, owned together.
struct Loaded {
  std::unique_ptr<ScoreDictionary> data;
  std::unique_ptr<TransformationDictionary> derived;
};

// From a file, or from a stream over `xml` when `path` is empty.
Loaded LoadFile(const std::string& path, const std::string& xml = "") {
  std::istringstream in(xml);
  ScoreDictionary* data = nullptr;
  Loaded loaded;
  loaded.derived.reset(path.empty()
                           ? ModelFactory::GetTransformationDictionaryFromXML(in, data, "")
                           : ModelFactory::GetTransformationDictionaryFromXML(path, data, ""));
  loaded.data.reset(data);
  return loaded;
}
Loaded LoadText(const std::string& xml) { return LoadFile("", xml); }

// One input value of a case; `text` for a string field, `date` for a
// dateDaysSince[1970] field, else `number`.
// One input value of a case; each case record gets a copy.
struct Input {
  std::string name;
  std::shared_ptr<const ScoreValue> value;
};

Input Num(const std::string& name, double x) { return {name, std::make_shared<NumericValue>(x)}; }
Input Str(const std::string& name, const std::string& text) {
  return {name, std::make_shared<StringValue>(text)};
}
// A dateDaysSince[1970] value.
Input Day(const std::string& name, double days) {
  return {name, std::make_shared<DateTimeValue>(days, ScoreDictVar::kDATE_DAYS_SINCE_1970)};
}

std::unique_ptr<CaseRecord> MakeCase(const std::vector<Input>& inputs) {
  std::unique_ptr<CaseRecord> record(new CaseRecord);
  for (const Input& input : inputs) record->Add(input.name, input.value->Clone());
  return record;
}

// An expected derived value: a text when `is_text`, else a number (kSysmis
// for the system-missing value), compared within `tolerance`.
struct Expected {
  std::string name;
  double number;
  std::string text;
  bool is_text;
  double tolerance;
};

Expected N(const std::string& name, double x, double tolerance = 1e-12) {
  return {name, x, "", false, tolerance};
}
Expected S(const std::string& name, const std::string& text) { return {name, 0.0, text, true, 0}; }

void ExpectValues(const ScoreCaseRecord* values, const std::vector<Expected>& expected,
                  const std::string& label) {
  ASSERT_NE(nullptr, values) << label;
  for (const Expected& e : expected) {
    const ScoreValue* value = values->Get(e.name);
    ASSERT_NE(nullptr, value) << label << ": " << e.name;
    if (e.is_text) {
      EXPECT_EQ(ScoreValue::kSTRING_VALUE, value->GetType()) << label << ": " << e.name;
      EXPECT_EQ(e.text, value->GetString()) << label << ": " << e.name;
    } else if (e.number == kSysmis) {
      EXPECT_TRUE(value->IsSystemMissingValue())
          << label << ": " << e.name << " is " << value->GetDouble();
    } else {
      EXPECT_NEAR(e.number, value->GetDouble(), e.tolerance) << label << ": " << e.name;
    }
  }
}

struct Case {
  std::string label;
  std::vector<Input> inputs;
  std::vector<Expected> expected;
};

void RunCases(const std::string& file, const std::vector<Case>& cases) {
  Loaded loaded = LoadFile(DataFile(file));
  ASSERT_NE(nullptr, loaded.derived);
  ASSERT_NE(nullptr, loaded.data);
  for (const Case& c : cases) {
    std::unique_ptr<CaseRecord> record = MakeCase(c.inputs);
    ExpectValues(loaded.derived->GetValuesForDeriedVars(record.get(), loaded.data.get()),
                 c.expected, file + " " + c.label);
  }
}

TEST(TransformationDictionaryFromXmlTest, ComputesEveryExpressionKind) {
  const std::vector<Expected> constants = {N("k_num", 2.5), S("k_str", "hello"),
                                           N("norm_disc", kSysmis)};
  std::vector<Case> cases = {
      {"valid inputs",
       {Num("x", 4), Num("y", 1.5), Str("s", "b"), Num("n", 2)},
       {N("ref_x", 4), N("norm_x", 18), N("map_s", 2), S("disc_x", "low"), N("sum_xy", 5.5),
        N("twice_ref", 8)}},
      // FieldRef, NormContinuous and Discretize pass a user-missing number on;
      // only the Apply leaf turns it into the system-missing value.
      {"user-missing and unmatched inputs",
       {Num("x", -99), Num("y", 1), Str("s", "zz"), Num("n", 9)},
       {N("ref_x", -99), N("norm_x", -188), N("map_s", 0), S("disc_x", "neg"), N("sum_xy", kSysmis),
        N("twice_ref", -198)}},
      {"absent inputs",
       {Num("n", 1)},
       {N("ref_x", kSysmis), N("norm_x", kSysmis), N("map_s", -1), S("disc_x", "none"),
        N("sum_xy", kSysmis), N("twice_ref", kSysmis)}},
  };
  for (Case& c : cases) c.expected.insert(c.expected.end(), constants.begin(), constants.end());
  RunCases("expressions.pmml", cases);
}

TEST(TransformationDictionaryFromXmlTest, ComputesEveryFunctionGroup) {
  const std::vector<Expected> constants = {N("f_sd", 2.1380899352993950, 1e-12),
                                           N("f_cdf", 0.9750021048517795, 1e-6),
                                           N("f_pdf", 0.3989422804014327, 1e-12)};
  std::vector<Case> cases = {
      {"valid inputs",
       {Num("x", 2.5), Num("y", -4), Str("s", "abc"), Num("n", 2), Day("d", 10)},
       {N("f_abs", 4), N("f_pow", 6.25), N("f_mod", -1), N("f_div", -1.6), N("f_round", 3),
        N("f_exp_ln", 2.5, 1e-12), N("f_sum", 8.5), N("f_mean", -0.75), N("f_max", 2.5),
        // A string field's length is its declared width.
        N("f_len", 5), S("f_upper", "ABC"), S("f_upper2", "AB"), S("f_concat", "abc  abc  "),
        S("f_substr", "bc"), N("f_year", 1970), N("f_day", 11), N("f_days", 30), N("f_lt", 0),
        N("f_and", 1), N("f_eq", 1), N("f_isin", 1), N("f_if", 1), N("f_sysmis", 0),
        N("f_value", 2), N("f_plus_n", 3), N("f_missing", 0)}},
      // clang-format off
      {"missing inputs",
       {Num("x", -99), Str("s", ""), Num("n", 9)},
       {N("f_abs", kSysmis), N("f_pow", kSysmis), N("f_mod", kSysmis), N("f_div", kSysmis),
        N("f_round", kSysmis), N("f_exp_ln", kSysmis), N("f_sum", 10), N("f_mean", kSysmis),
        N("f_max", kSysmis), N("f_len", 5), S("f_upper", ""), S("f_upper2", ""),
        S("f_concat", "          "), S("f_substr", ""), N("f_year", kSysmis),
        N("f_day", kSysmis), N("f_days", kSysmis), N("f_lt", 0), N("f_and", 0), N("f_eq", 0),
        N("f_isin", 0), N("f_if", -1), N("f_sysmis", 1), N("f_value", 9),
        N("f_plus_n", kSysmis), N("f_missing", 1)}},
      // clang-format on
  };
  for (Case& c : cases) c.expected.insert(c.expected.end(), constants.begin(), constants.end());
  RunCases("functions.pmml", cases);
}

TEST(TransformationDictionaryFromXmlTest, AppliesRecodeExtensionsAndDerivedMissingValues) {
  RunCases("recode.pmml",
           {
               {"matched",
                {Num("n", 1), Num("x", 1), Str("s", "a")},
                {N("r_map", 10), N("r_sys", 100), N("r_disc", 1), S("r_str", "alp"),
                 N("r_chain", 10), N("r_base_map", 11)}},
               {"unmatched and system-missing",
                {Num("n", 3), Num("x", kSysmis), Str("s", "q")},
                {N("r_map", 3), N("r_sys", 0), N("r_disc", kSysmis), S("r_str", "oth"),
                 N("r_chain", 3), N("r_base_map", -1)}},
               {"user-missing and absent",
                {Num("n", 9), Num("x", -99)},
                {N("r_map", 99), N("r_sys", -99), N("r_disc", kSysmis), S("r_str", ""),
                 N("r_chain", 99), N("r_base_map", kSysmis)}},
               {"copied interval", {Num("x", 15)}, {N("r_disc", 15), N("r_sys", kSysmis)}},
               {"sysmis interval", {Num("x", 25)}, {N("r_disc", kSysmis)}},
               {"default", {Num("x", 50)}, {N("r_disc", 7)}},
               {"derived missing value", {Num("x", 5)}, {N("r_base", 5), N("r_base_map", -1)}},
               {"absent", {}, {N("r_map", 99), N("r_base_map", -1)}},
           });
}

TEST(TransformationDictionaryFromXmlTest, ReturnsBothDictionariesSetUp) {
  Loaded loaded = LoadFile(DataFile("expressions.pmml"));
  ASSERT_NE(nullptr, loaded.derived);
  EXPECT_EQ(4, loaded.data->Size());
  EXPECT_EQ(9, loaded.derived->Size());
  // Set up: the derived record exists before the first case.
  EXPECT_NE(nullptr, loaded.derived->GetVarValue("k_num"));
  EXPECT_EQ("ref_x", loaded.derived->GetDerivedVarNames()[2]);
}

// A host that initialised the platform keeps it, and an encoding may be named.
TEST(TransformationDictionaryFromXmlTest, ReadsFromStreamWithEncoding) {
  orvane_test::ExpectPlatformBalanced([] {
    std::istringstream in(
        "<PMML><DataDictionary><DataField name='x' optype='continuous' dataType='double'/>"
        "</DataDictionary><TransformationDictionary><DerivedField name='a' optype='continuous' "
        "dataType='double'><FieldRef field='x'/></DerivedField></TransformationDictionary></PMML>");
    ScoreDictionary* data = nullptr;
    std::unique_ptr<TransformationDictionary> derived(
        ModelFactory::GetTransformationDictionaryFromXML(in, data, "ISO-8859-1"));
    std::unique_ptr<ScoreDictionary> owned(data);
    ASSERT_NE(nullptr, data);
    EXPECT_NE(nullptr, derived->GetVar("a"));
  });
}

TEST(TransformationDictionaryFromXmlTest, OtherDocumentsGiveNullAndLeaveTheDictionary) {
  for (const std::string& xml :
       {std::string("<qrtz-ml><dictionary/></qrtz-ml>"), std::string("<pmml/>")}) {
    std::istringstream in(xml);
    ScoreDictionary* const sentinel = reinterpret_cast<ScoreDictionary*>(0x10);
    ScoreDictionary* data = sentinel;
    EXPECT_EQ(nullptr, ModelFactory::GetTransformationDictionaryFromXML(in, data, "")) << xml;
    EXPECT_EQ(sentinel, data) << xml;
  }
}

struct FactoryFailure {
  std::string xml;
  int code;
  std::string message;  // empty: any message
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FactoryFailure& c, std::ostream* os) { *os << "code " << c.code; }

class FactoryFailureTest : public ::testing::TestWithParam<FactoryFailure> {};

// Each failure leaves the out-parameter alone, keeps nothing alive and
// leaves the platform as it found it (run under the sanitizers).
TEST_P(FactoryFailureTest, Throws) {
  const FactoryFailure& failure = GetParam();
  orvane_test::ExpectPlatformBalanced([&failure] {
    std::istringstream in(failure.xml);
    ScoreDictionary* data = nullptr;
    orvane_test::ExpectOVException(
        [&] { delete ModelFactory::GetTransformationDictionaryFromXML(in, data, ""); },
        failure.code, failure.message);
    EXPECT_EQ(nullptr, data);
  });
}

// clang-format off
const FactoryFailure kFactoryFailures[] = {
    {"", 6, "Invalid XML file!!"},
    {"not xml at all", 6, "Invalid XML file!!"},
    {"<PMML><DataDictionary></PMML>", 6, "Invalid XML file!!"},
    {"<PMML><TransformationDictionary/></PMML>", 4, "Node is missing --- DataDictionary ---"},
    {"<PMML><DataDictionary/></PMML>", 4, "Node is missing --- TransformationDictionary ---"},
    {"<PMML><DataDictionary/><TransformationDictionary/></PMML>", 1, "<DataDictionary is EMPTY!!"},
    {"<PMML><DataDictionary><DataField name='x' optype='continuous'/></DataDictionary><TransformationDictionary/></PMML>", 1, "<DerivedField> is required!!"},
    {"<PMML><DataDictionary numberOfFields='one'><DataField name='x' optype='continuous'/></DataDictionary><TransformationDictionary><DerivedField name='a' optype='continuous' dataType='double'><FieldRef field='x'/></DerivedField></TransformationDictionary></PMML>", 3, ""},
    // The data dictionary was read when the derived one fails.
    {"<PMML><DataDictionary><DataField name='x' optype='continuous'/></DataDictionary><TransformationDictionary><DerivedField name='a' optype='continuous' dataType='double'><FieldRef field='zz'/></DerivedField></TransformationDictionary></PMML>", 8, "zz: not predefined"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Documents, FactoryFailureTest, ::testing::ValuesIn(kFactoryFailures));

TEST(TransformationDictionaryFromXmlTest, MissingFileIsReported) {
  ScoreDictionary* data = nullptr;
  orvane_test::ExpectOVException(
      [&] {
        ModelFactory::GetTransformationDictionaryFromXML(DataFile("no-such-file.pmml"), data, "");
      },
      OVException::kCodeOpen, "Could not open model file");
  EXPECT_EQ(nullptr, data);
}

// Whitespace between tags is layout (layout.pmml); whitespace that is an element's text,
// however written, is kept.
TEST(TransformationDictionaryFromXmlTest, LayoutWhitespaceNeverChangesWhatIsRead) {
  const std::string head =
      "<PMML><DataDictionary numberOfFields='1'>"
      "<DataField name='s' optype='categorical' dataType='string'/></DataDictionary>";

  const std::string tight =
      head +
      "<TransformationDictionary><DerivedField name='k' optype='categorical' "
      "dataType='string'><Apply function='concat'><Constant dataType='string'>  </Constant>"
      "<Constant dataType='string'> </Constant><Constant dataType='string'>a  b</Constant>"
      "</Apply></DerivedField><DerivedField name='m' optype='continuous' dataType='double'>"
      "<MapValues outputColumn='out'><FieldColumnPair field='s' column='in'/><InlineTable>"
      "<row><in>  </in><out>1</out></row><row><in> a </in><out>2</out></row></InlineTable>"
      "</MapValues></DerivedField></TransformationDictionary></PMML>";
  auto shown = [](const Loaded& loaded) {
    std::ostringstream out;
    loaded.derived->Display(out);
    for (const std::string& name : loaded.derived->GetDerivedVarNames()) {
      loaded.derived->GetVar(name)->Display(out);
    }
    return out.str();
  };
  // The same fields laid out and written with entities and CDATA.
  const Loaded a = LoadFile(DataFile("layout.pmml"));
  const Loaded b = LoadText(tight);
  ASSERT_NE(nullptr, a.derived);
  ASSERT_NE(nullptr, b.derived);
  EXPECT_EQ(shown(a), shown(b));
  EXPECT_NE(std::string::npos, shown(a).find("Constant_S_  \n"));
  EXPECT_NE(std::string::npos, shown(a).find("Constant_S_a  b"));
}

TEST(TransformationDictionaryFromXmlTest, FindsTableCellsByColumnName) {
  const std::string path =
      std::string(ORVANE_SHARED_CORPUS_DIR) + "/jpmml-model-inline-table-namespaced-columns.pmml";
  if (!std::ifstream(path).good()) GTEST_SKIP() << "no corpus document " << path;
  Loaded loaded = LoadFile(path);
  ASSERT_NE(nullptr, loaded.derived);
  std::unique_ptr<CaseRecord> record = MakeCase({Num("x", 0)});
  ExpectValues(loaded.derived->GetValuesForDeriedVars(record.get(), loaded.data.get()),
               {S("text(x)", "zero")}, path);
}

// The shared corpus: every document with a TransformationDictionary either
// loads, and then computes cases without fault, or fails with the reader's
// exception. The expected outcome of each is fixed here, with its cause.
struct CorpusOutcome {
  const char* file;
  int code;  // 0: loads
  const char* message;
};

const char kTwoIntervals[] = "Only One InterVal Element allowed here!";
const char kNoDerivedField[] = "<DerivedField> is required!!";

const CorpusOutcome kCorpus[] = {
    // Continuous DataFields with several valid Intervals.
    {"bll-glm-linear-regression.pmml", 5, kTwoIntervals},
    {"bll-integration-custom-function.pmml", 5, kTwoIntervals},
    {"bll-recode-interaction-multiply.pmml", 5, kTwoIntervals},
    {"bll-recode-rcs-custom-function.pmml", 5, kTwoIntervals},
    {"bll-recode-valid-invalid-missing.pmml", 5, kTwoIntervals},
    // optype="cont" on a DerivedField.
    {"bll-recode-mapvalues-definefunction.pmml", 11, "cont: Invalid Variable Type"},
    // User-defined (DefineFunction) and extension functions.
    {"jpmml-evaluation-context-discretize-mapvalues.pmml", 5, "AMPM: not Supported function name"},
    {"jpmml-model-apply-extension-function.pmml", 5, "x-concat: not Supported function name"},
    // A DerivedField inside a DefineFunction refers to a parameter.
    {"jpmml-transformation-dictionary-definefunction.pmml", 8, "n: not predefined"},
    // A Discretize without bins.
    {"jpmml-mining-discretize.pmml", 1, "<DiscretizeBin> is required"},
    {"jpmml-mining-field-scope.pmml", 0, ""},
    {"jpmml-model-chained-segmentation-definefunction.pmml", 0, ""},
    // Namespaced table columns, between other cells.
    {"jpmml-model-inline-table-namespaced-columns.pmml", 0, ""},
    // Empty TransformationDictionary, or only DefineFunctions.
    {"jpmml-model-nested-segmentation-product.pmml", 1, kNoDerivedField},
    {"jpmmlr-svm-pima-scaling.pmml", 1, kNoDerivedField},
    {"knime-neural-network-ozone-normcontinuous.pmml", 1, kNoDerivedField},
    {"sklearn-housing-linreg-pca.pmml", 1, kNoDerivedField},
    {"sklearn-xgb-preprocessed-mapvalues.pmml", 1, kNoDerivedField},
    {"sklearn-xgboost-sentiment-textindex.pmml", 1, kNoDerivedField},
};

std::vector<std::string> CorpusFiles() {
  return orvane_test::FilesIn(ORVANE_SHARED_CORPUS_DIR, ".pmml", "<TransformationDictionary");
}

TEST(TransformationDictionaryCorpusTest, LoadsOrFailsWithAReason) {
  const std::vector<std::string> files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus at " << ORVANE_SHARED_CORPUS_DIR;
  std::map<std::string, const CorpusOutcome*> expected;
  for (const CorpusOutcome& outcome : kCorpus) expected[outcome.file] = &outcome;

  for (const std::string& file : files) {
    int code = 0;
    std::string message;
    try {
      Loaded loaded = LoadFile(std::string(ORVANE_SHARED_CORPUS_DIR) + "/" + file);
      ASSERT_NE(nullptr, loaded.derived) << file;
      // Cases: nothing given, and every field given a number and a text.
      std::unique_ptr<CaseRecord> empty(new CaseRecord);
      EXPECT_NE(nullptr, loaded.derived->GetValuesForDeriedVars(empty.get(), loaded.data.get()));
      for (double x : {0.0, 1.5, -3.0}) {
        std::unique_ptr<CaseRecord> record(new CaseRecord);
        for (const ScoreDictVar* var : loaded.data->GetScoreDictVars()) {
          if (var->GetVarType() == ScoreDictVar::kSTRING_VAR) {
            record->Add(var->GetName(), new StringValue(x == 0.0 ? "a" : "other"));
          } else {
            record->Add(var->GetName(), new NumericValue(x));
          }
        }
        EXPECT_NE(nullptr, loaded.derived->GetValuesForDeriedVars(record.get(), loaded.data.get()))
            << file;
      }
    } catch (const OVException& e) {
      code = e.GetErrorCode();
      message = e.GetErrorMessage();
    }
    std::cout << "[ corpus ] " << file << ": "
              << (code == 0 ? std::string("loads") : std::to_string(code) + " " + message) << "\n";
    const auto it = expected.find(file);
    if (it == expected.end()) {
      ADD_FAILURE() << file << " has no expected outcome";
      continue;
    }
    EXPECT_EQ(it->second->code, code) << file << ": " << message;
    EXPECT_EQ(it->second->message, message) << file;
  }
}

}  // namespace
}  // namespace MCOrvane_600
