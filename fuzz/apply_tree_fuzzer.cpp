// Apply expression trees built from fuzzed bytes, as a plug-in may build
// them, evaluated for a few cases. The trees reach where the document reader
// never lets them: any function with any number of arguments, fields of any
// type, unknown fields, the derived variable itself, and malformed constants.
// When the last byte is odd, most inner nodes are standard PMML functions
// (kFN_X_STANDARD) named by any name the document reader gives them, and
// some by none. Two standard tests read the tree's variable after it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "synthetic_cases.h"

namespace {

using namespace MCOrvane_600;
using orvane_fuzz::ByteReader;

constexpr int kMaxDepth = 12;
constexpr int kMaxNodes = 400;
constexpr int kMaxChildren = 7;

// Input fields, derived fields, the tree's own variable and an unknown name.
const char* const kFieldNames[] = {"n1", "n2", "s1", "d1", "t1", "dt1", "y", "x", "nosuch"};
const char* const kNumbers[] = {"0",      "1",          "-1", "2.5",   "1e308",
                                "-1e308", "1e999",      "-0", "709.5", "-708",
                                ".5",     "2147483647", "3",  "abc",   ""};

// The PMML built-in functions, the reader's own operations, and names that
// select none.
const char* const kStandardNames[] = {
    "+", "-", "*", "/", "min", "max", "sum", "avg", "median", "product", "log10", "ln", "sqrt",
    "abs", "exp", "pow", "threshold", "floor", "ceil", "round", "rint", "modulo", "expm1",
    "ln1p", "hypot", "sin", "cos", "tan", "asin", "acos", "atan", "atan2", "sinh", "cosh", "tanh",
    "isMissing", "isNotMissing", "isValid", "isNotValid", "equal", "notEqual", "lessThan",
    "lessOrEqual", "greaterThan", "greaterOrEqual", "and", "or", "not", "isIn", "isNotIn", "if",
    "uppercase", "lowercase", "substring", "trimBlanks", "concat", "replace", "matches",
    "formatNumber", "formatDatetime", "dateDaysSinceYear", "dateSecondsSinceYear",
    "dateSecondsSinceMidnight", "normalCDF", "normalPDF", "normalIDF", "stdNormalCDF",
    "stdNormalPDF", "stdNormalIDF", "erf", "stringLength", "x:apply", "x:fieldRef", "x:cast",
    "x:normContinuous", "x:normDiscrete", "x:discretize", "x:mapValues", "x:validity", "x:input",
    "", "nosuch"};

class TreeBuilder {
 public:
  TreeBuilder(ByteReader* in, bool standard) : in_(in), standard_(standard) {}

  FunctionTree* Node(int depth) {
    const bool leaf = depth >= kMaxDepth || nodes_ >= kMaxNodes || in_->Below(4) == 0;
    if (leaf) return Leaf();
    FunctionTreeImp* node = new FunctionTreeImp(true);
    ApplyNodeStats stats;
    if (standard_ && in_->Below(4) != 0) {
      stats.SetTransformFunction(TransformationDictionary::kFN_X_STANDARD);
      stats.SetParameterName(
          kStandardNames[in_->Below(sizeof kStandardNames / sizeof *kStandardNames)]);
    } else {
      stats.SetTransformFunction(
          static_cast<TransformationDictionary::TransformFunction>(in_->Below(62)));
    }
    stats.SetNodeID(NextId());
    node->SetNodeStats(stats);
    const unsigned children = in_->Below(kMaxChildren + 1);
    for (unsigned i = 0; i < children; ++i) node->Add(Node(depth + 1));
    return node;
  }

 private:
  FunctionTree* Leaf() {
    ApplyNodeStats stats;
    stats.SetTransformFunction(TransformationDictionary::kFN_NONE);
    stats.SetNodeID(NextId());
    switch (in_->Below(8)) {
      case 0:
      case 1:
      case 2:
        stats.SetParameterName(kFieldNames[in_->Below(sizeof kFieldNames / sizeof *kFieldNames)]);
        break;
      case 3:
        stats.SetParameterName(std::string("Constant_D_") +
                               kNumbers[in_->Below(sizeof kNumbers / sizeof *kNumbers)]);
        stats.SetConstNode(true);
        break;
      case 4:
        stats.SetParameterName("Constant_D_" + in_->Text(12));
        stats.SetConstNode(true);
        break;
      case 5:
        stats.SetParameterName("Constant_S_" + in_->Text(12));
        stats.SetConstNode(true);
        break;
      case 6:
        stats.SetParameterName(std::string("Constant_T_") +
                               kNumbers[in_->Below(sizeof kNumbers / sizeof *kNumbers)]);
        stats.SetConstNode(true);
        break;
      default:
        // Not made by the reader: an encoded name cut short or garbled.
        stats.SetParameterName(in_->Text(12));
        stats.SetConstNode(true);
        break;
    }
    FunctionTreeImp* leaf = new FunctionTreeImp(false);
    leaf->SetNodeStats(stats);
    return leaf;
  }

  std::string NextId() { return std::to_string(nodes_++); }

  ByteReader* in_;
  const bool standard_;
  int nodes_ = 0;
};

// A node of `function` named `name`: a function node when `inner`, else a
// leaf.
FunctionTreeImp* NewNode(TransformationDictionary::TransformFunction function,
                         const char* name, bool inner) {
  ApplyNodeStats stats;
  stats.SetTransformFunction(function);
  stats.SetParameterName(name);
  stats.SetNodeID(name);
  FunctionTreeImp* node = new FunctionTreeImp(inner);
  node->SetNodeStats(stats);
  return node;
}

// The standard PMML test `function` of the field `field`: a later derived
// field that tells a missing value of it from an invalid one.
FunctionTree* StandardTest(const char* function, const char* field) {
  FunctionTreeImp* node = NewNode(TransformationDictionary::kFN_X_STANDARD, function, true);
  node->Add(NewNode(TransformationDictionary::kFN_NONE, field, false));
  return node;
}

std::unique_ptr<BaseDictionary> MakeDataDictionary() {
  std::unique_ptr<BaseDictionary> data(new BaseDictionary);
  DictVar* n1 = new DictVar("n1", ScoreDictVar::kNUMERIC_VAR);
  MissingValueSet* missing = new MissingValueSet;
  missing->Add(new Range(9.0, 9.0, true, true));
  n1->SetMissingValues(missing);
  data->AddVar("n1", n1);
  data->AddVar("n2", new DictVar("n2", ScoreDictVar::kNUMERIC_VAR));
  DictVar* s1 = new DictVar("s1", ScoreDictVar::kSTRING_VAR);
  s1->SetWidth(4);
  data->AddVar("s1", s1);
  const struct {
    const char* name;
    ScoreDictVar::DateTimeType type;
  } dates[] = {{"d1", ScoreDictVar::kDATE},
               {"t1", ScoreDictVar::kTIME_SECONDS},
               {"dt1", ScoreDictVar::kDATETIME_SECONDS_SINCE_1980}};
  for (const auto& d : dates) {
    DictVar* var = new DictVar(d.name, ScoreDictVar::kDATETIME_VAR);
    var->SetDateTimeType(d.type);
    data->AddVar(d.name, var);
  }
  return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  ByteReader in(bytes, size);
  const std::unique_ptr<BaseDictionary> data = MakeDataDictionary();

  const ScoreDictVar::VariableType types[] = {ScoreDictVar::kNUMERIC_VAR, ScoreDictVar::kSTRING_VAR,
                                              ScoreDictVar::kDATETIME_VAR};
  const ScoreDictVar::VariableType type = types[in.Below(3)];
  const int width = static_cast<int>(in.Below(12)) - 1;
  TreeBuilder builder(&in, size > 0 && (bytes[size - 1] & 1) != 0);
  FunctionTree* root = builder.Node(0);
  std::unique_ptr<FunctionTree> spare(root->Clone());

  // Two dictionaries alike: one computes from the library's own record, the
  // other from a record of another class, so takes the general way.
  TransformationDictionary derived;
  TransformationDictionary general;
  TransformVar* x = nullptr;
  for (TransformationDictionary* dictionary : {&derived, &general}) {
    TransformVar* var = new TransformVar("x", type);
    var->SetWidth(width);
    var->AddFieldNameAndTransExpression("", TransformationDictionary::kAPPLY);
    var->SetRoot(dictionary == &derived ? root : spare->Clone());
    TransformVar* y = new TransformVar("y", ScoreDictVar::kNUMERIC_VAR);
    y->AddFieldNameAndTransExpression("n1", TransformationDictionary::kFIELDREF);
    // "y" comes after "x", so "x" may need it before its turn.
    dictionary->AddVar("x", var);
    dictionary->AddDerievedVarName("x");
    dictionary->AddVar("y", y);
    dictionary->AddDerievedVarName("y");
    // After both: whether "x" is invalid or missing, as standard PMML reads it.
    for (const char* test : {"isNotValid", "isMissing"}) {
      TransformVar* t = new TransformVar(test, ScoreDictVar::kNUMERIC_VAR);
      t->AddFieldNameAndTransExpression("", TransformationDictionary::kAPPLY);
      t->SetRoot(StandardTest(test, "x"));
      dictionary->AddVar(test, t);
      dictionary->AddDerievedVarName(test);
    }
    dictionary->SetUpDerivedCaseRecord();
    if (x == nullptr) x = var;
  }

  std::ostringstream sink;
  x->Display(sink);
  orvane_fuzz::CompareWithGeneral(&derived, &general, *data);

  // A case with fuzzed numbers and text.
  CaseRecord record;
  record.Add("n1", new NumericValue(in.Double()));
  record.Add("n2", new NumericValue(in.Double()));
  record.Add("s1", new StringValue(in.Text(16)));
  record.Add("d1", new DateTimeValue(in.Double(), ScoreDictVar::kDATE));
  record.Add("t1", new DateTimeValue(in.Double(), ScoreDictVar::kTIME_SECONDS));
  record.Add("dt1", new DateTimeValue(in.Double(), DateTimeValue::kDATETIME_VAL));
  for (int round = 0; round < 2; ++round) {
    orvane_fuzz::CompareWithGeneral(&derived, &general, record, *data);
  }
  const ScoreValue* direct = x->GetTransformedValue(&record, data.get(), &derived);
  if (direct != nullptr) (void)direct->GetString();
  return 0;
}
