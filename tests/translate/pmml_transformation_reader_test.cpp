#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"
#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

using TD = TransformationDictionary;

const char kDataDictionary[] =
    "<DataDictionary>"
    "<DataField name='x' optype='continuous' dataType='double'/>"
    "<DataField name='y' optype='continuous' dataType='double'/>"
    "<DataField name='s' optype='categorical' dataType='string'/>"
    "<DataField name='n' optype='categorical' dataType='integer'>"
    "<Value value='1'/><Value value='2'/><Value value='9' property='missing'/></DataField>"
    "<DataField name='d' optype='continuous' dataType='dateDaysSince[1970]'/>"
    "</DataDictionary>";

// A numeric continuous derived field "a" around `body`.
std::string Numeric(const std::string& body) {
  return "<DerivedField name='a' optype='continuous' dataType='double'>" + body + "</DerivedField>";
}

// A string categorical derived field "a" around `body`.
std::string Text(const std::string& body) {
  return "<DerivedField name='a' optype='categorical' dataType='string'>" + body +
         "</DerivedField>";
}


const char kFieldColumnPair[] = "<FieldColumnPair field='s' column='in'/>";

std::string MapValues(const std::string& children) {
  return "<MapValues outputColumn='out'>" + children + "</MapValues>";
}

std::string Table(const std::string& rows) { return "<InlineTable>" + rows + "</InlineTable>"; }

std::string Bin(const std::string& value, const std::string& children) {
  return "<DiscretizeBin binValue='" + value + "'>" + children + "</DiscretizeBin>";
}

std::string Interval(const std::string& closure, const std::string& margins) {
  return "<Interval closure='" + closure + "' " + margins + "/>";
}

// A bin of value `value` over [left, right) etc. as `closure` says.
std::string B(const char* value, const char* closure, const char* left, const char* right) {
  return Bin(value, Interval(closure,
                             std::string("leftMargin='") + left + "' rightMargin='" + right + "'"));
}

std::string Discretize(const std::string& children) {
  return "<Discretize field='x'>" + children + "</Discretize>";
}

std::string Extension(const std::string& name, const std::string& value = "1") {
  return "<Extension name='" + name + "' value='" + value + "'/>";
}

// Reads the transformation dictionary of a small PMML document; the platform
// is initialised around each test, and everything Xerces-made goes first.
class TransformationReaderTest : public PMMLDocumentTest {
 protected:
  // The dictionary read from `derived` (the content of the
  // TransformationDictionary element); the caller owns it.
  TransformationDictionary* Read(const std::string& derived) {
    const std::string xml = std::string("<PMML>") + kDataDictionary + "<TransformationDictionary>" +
                            derived + "</TransformationDictionary></PMML>";
    xercesc::DOMElement* root = Parse(xml);
    data_.reset(
        translator_->ParseDictionary(BaseTranslator::GetChildByTagForced(root, "DataDictionary")));
    return translator_->HandleTransformationDictionary(
        dynamic_cast<xercesc::DOMElement*>(
            BaseTranslator::GetChildByTagForced(root, "TransformationDictionary")),
        data_.get());
  }

  const TransformVar* Var(const TransformationDictionary& dictionary, const std::string& name) {
    return dynamic_cast<const TransformVar*>(dictionary.GetVar(name));
  }

  std::unique_ptr<ScoreDictionary> data_;
};

std::string FieldRef(const std::string& field) { return "<FieldRef field='" + field + "'/>"; }

std::string Constant(const std::string& text, const std::string& type = "") {
  return "<Constant" + (type.empty() ? "" : " dataType='" + type + "'") + ">" + text +
         "</Constant>";
}

std::string Nested(const std::string& function, const std::string& arguments) {
  return "<Apply function='" + function + "'>" + arguments + "</Apply>";
}

using TransformationReaderSuccessTest = TransformationReaderTest;

std::string Field(const std::string& name, const std::string& optype, const std::string& type,
                  const std::string& body) {
  return "<DerivedField name='" + name + "' optype='" + optype + "' dataType='" + type + "'>" +
         body + "</DerivedField>";
}

// Fields nested in Extensions of the dictionary or of a field come in
// document order, a nested one after the field around it.
TEST_F(TransformationReaderSuccessTest, ReadsNestedFieldsInDocumentOrder) {
  std::unique_ptr<TransformationDictionary> dictionary(
      Read("<DerivedField name='b' optype='continuous' dataType='double'><Extension>"
           "<DerivedField name='a' optype='continuous' dataType='double' displayName='Alpha'>" +
           FieldRef("b") + "</DerivedField></Extension>" + FieldRef("x") +
           "</DerivedField><Extension><DerivedField name='c' optype='continuous' "
           "dataType='double'>" +
           FieldRef("a") + "</DerivedField></Extension>"));
  EXPECT_EQ((std::vector<std::string>{"b", "a", "c"}), dictionary->GetDerivedVarNames());
  const TransformVar* a = Var(*dictionary, "a");
  EXPECT_EQ("Alpha", a->GetLabel());
  EXPECT_EQ("b", Var(*dictionary, "b")->GetLabel());
  EXPECT_EQ(TD::kFIELDREF, a->GetTransExpression());
  EXPECT_EQ("b", a->GetFieldName());
}

TEST_F(TransformationReaderSuccessTest, ReadsTypesLevelsAndWidth) {
  const char* const kStamp = "dateTimeSecondsSince[1970]";
  std::unique_ptr<TransformationDictionary> dictionary(
      Read(Field("o", "ordinal", "integer", FieldRef("n")) +
           Field("t", "categorical", "string", Extension("stringLength", "4") + FieldRef("s")) +
           Field("u", "categorical", "string", Extension("width", "0") + FieldRef("s")) +
           Field("w", "continuous", kStamp, Constant("86400", kStamp)) +
           Field("z", "continuous", "double", "<NormDiscrete field='s' value='a'/>")));
  EXPECT_EQ(ScoreDictVar::kORDINAL, Var(*dictionary, "o")->GetMLevel());
  EXPECT_EQ(ScoreDictVar::kNUMERIC_VAR, Var(*dictionary, "o")->GetVarType());
  EXPECT_EQ(ScoreDictVar::kSTRING_VAR, Var(*dictionary, "t")->GetVarType());
  EXPECT_EQ(ScoreDictVar::kNOMINAL, Var(*dictionary, "t")->GetMLevel());
  EXPECT_EQ(4, Var(*dictionary, "t")->GetWidth());
  EXPECT_EQ(-1, Var(*dictionary, "u")->GetWidth());
  const TransformVar* w = Var(*dictionary, "w");
  EXPECT_EQ(ScoreDictVar::kDATETIME_VAR, w->GetVarType());
  EXPECT_EQ(ScoreDictVar::kDATETIME_SECONDS_SINCE_1970, w->GetDateTimeType());
  EXPECT_EQ(TD::kCONSTANT, w->GetTransExpression());
  EXPECT_EQ("86400", w->GetConstString());
  EXPECT_EQ(TD::kNO_EXPRESSION, Var(*dictionary, "z")->GetTransExpression());
}

TEST_F(TransformationReaderSuccessTest, ReadsCategoriesAndMissingValues) {
  std::unique_ptr<TransformationDictionary> dictionary(
      Read("<DerivedField name='a' optype='categorical' dataType='double'>"
           "<Extension name='MissingValues'><Value value='9'/>"
           "<Interval closure='closedClosed' leftMargin='0' rightMargin='100'/>" +
           Extension("invalidRangeLower", "50") + Extension("invalidRangeUpper", "60") +
           "</Extension><Value value='1' displayValue='one' property='valid'/><Value value='2'/>"
           "<Foo/>" +
           FieldRef("x") + "</DerivedField>"));
  const TransformVar* a = Var(*dictionary, "a");
  const ScoreValueLabelSet* labels = a->GetValueLabels();
  ASSERT_NE(nullptr, labels);
  ASSERT_EQ(2, labels->Size());
  const NumericValue one(1.0);
  const NumericValue two(2.0);
  EXPECT_EQ("one", labels->GetLabelOfValue(&one));
  EXPECT_EQ("2", labels->GetLabelOfValue(&two));
  for (double missing : {9.0, -1.0, 101.0, 50.0, 55.0, 60.0}) {
    const NumericValue value(missing);
    EXPECT_TRUE(a->IsMissingValue(&value)) << missing;
  }
  for (double valid : {0.0, 49.0, 61.0, 100.0}) {
    const NumericValue value(valid);
    EXPECT_FALSE(a->IsMissingValue(&value)) << valid;
  }
}

// Nodes are numbered in document order across all trees.
TEST_F(TransformationReaderSuccessTest, NumbersTreeNodesAcrossTrees) {
  std::unique_ptr<TransformationDictionary> dictionary(Read(
      "<DerivedField name='p' optype='continuous' dataType='double'>" +
      Nested("+", FieldRef("x") + Constant("2.5")) +
      "</DerivedField><DerivedField name='q' optype='continuous' dataType='double'>" +
      Nested("*", Nested("abs", FieldRef("y")) + Constant("3", "integer")) + "</DerivedField>"));
  const FunctionTree* p = Var(*dictionary, "p")->GetRoot();
  EXPECT_EQ(TD::kFN_PLUS, p->GetNodeStats().GetTransformFunction());
  const ApplyNodeStats x = p->GetChildAt(0)->GetNodeStats();
  EXPECT_EQ("x", x.GetParameterName());
  EXPECT_FALSE(x.IsConstNode());
  const ApplyNodeStats constant = p->GetChildAt(1)->GetNodeStats();
  EXPECT_EQ("Constant_D_2.5", constant.GetParameterName());
  EXPECT_TRUE(constant.IsConstNode());
  const FunctionTree* q = Var(*dictionary, "q")->GetRoot();
  const FunctionTree* abs = q->GetChildAt(0);
  EXPECT_EQ(q, abs->GetParent());
  std::string ids;
  for (const FunctionTree* node :
       {p, p->GetChildAt(0), p->GetChildAt(1), q, abs, abs->GetChildAt(0), q->GetChildAt(1)}) {
    ids += node->GetNodeStats().GetNodeID();
  }
  EXPECT_EQ("0123456", ids);
  EXPECT_EQ(TD::kAPPLY, Var(*dictionary, "q")->GetTransExpression());
}

TEST_F(TransformationReaderSuccessTest, EncodesConstantsByType) {
  std::unique_ptr<TransformationDictionary> dictionary(Read(
      Text("<Apply function='concat'>" + Constant("ab c", "string") + FieldRef("s") + "</Apply>") +
      Field("b", "continuous", "double",
            Nested("date_days_difference", Constant("1", "dateDaysSince[1970]") + FieldRef("d")))));
  EXPECT_EQ("Constant_S_ab c",
            Var(*dictionary, "a")->GetRoot()->GetChildAt(0)->GetNodeStats().GetParameterName());
  EXPECT_EQ("Constant_T_86400",
            Var(*dictionary, "b")->GetRoot()->GetChildAt(0)->GetNodeStats().GetParameterName());
}

TEST_F(TransformationReaderSuccessTest, AcceptsUncheckedAndOpenCounts) {
  std::unique_ptr<TransformationDictionary> dictionary(
      Read(Field("s0", "continuous", "double", Nested("sum", "")) +
           Field("i", "continuous", "double",
                 Nested("if", Nested("greaterThan", FieldRef("x") + Constant("a", "string")) +
                                  FieldRef("s") + Constant("1"))) +
           Field("l", "continuous", "double",
                 Nested("+", Nested("length", FieldRef("s")) + FieldRef("x")))));
  EXPECT_EQ(3, dictionary->Size());
}

TEST_F(TransformationReaderSuccessTest, AcceptsTouchingAndUnboundedBins) {
  std::unique_ptr<TransformationDictionary> dictionary(Read(
      Numeric(Discretize(B("1", "closedOpen", "0", "10") + B("2", "closedClosed", "10", "20"))) +
      Field("b", "continuous", "double", Discretize(Bin("7", Interval("openOpen", ""))))));
  EXPECT_EQ(TD::kDISCRETIZE, Var(*dictionary, "a")->GetTransExpression());
  EXPECT_EQ("x", Var(*dictionary, "a")->GetFieldName());
  const TransformVar* b = Var(*dictionary, "b");
  for (double x : {-1e300, 0.0, 1e300}) {
    const NumericValue value(x);
    const ScoreValue* binned = b->GetBinningValue(data_->GetVar("x"), &value);
    ASSERT_NE(nullptr, binned);
    EXPECT_DOUBLE_EQ(7.0, binned->GetDouble()) << x;
  }
}

TEST_F(TransformationReaderSuccessTest, ReadsNormContinuous) {
  std::unique_ptr<TransformationDictionary> dictionary(
      Read(Numeric("<NormContinuous field='x'><LinearNorm orig='2' norm='1'/>"
                   "<Extension name='note'/><LinearNorm orig='4' norm='5'/>"
                   "<LinearNorm orig='5' norm='7'/></NormContinuous>")));
  const TransformVar* a = Var(*dictionary, "a");
  EXPECT_EQ(TD::kNORMCONTINUOUS, a->GetTransExpression());
  EXPECT_EQ("x", a->GetFieldName());
  // Slope 2 and intercept -3.
  EXPECT_DOUBLE_EQ(7.0, a->GetNormValue(5.0));
  EXPECT_DOUBLE_EQ(-3.0, a->GetNormValue(0.0));
}

TEST_F(TransformationReaderSuccessTest, ReadsMapValuesTable) {
  std::unique_ptr<TransformationDictionary> dictionary(
      Read(Numeric("<MapValues outputColumn='out' mapMissingTo='-1' defaultValue='0'>" +
                   std::string(kFieldColumnPair) + "<TableLocator/>" +
                   Table(Extension("recodeTargetSysmis", "z") +
                         "<row><in>a</in><out>1</out></row><row><out>2</out><in>b</in></row>") +
                   "</MapValues>")));
  const TransformVar* a = Var(*dictionary, "a");
  EXPECT_EQ(TD::kMAPVALUES, a->GetTransExpression());
  EXPECT_EQ("s", a->GetFieldName());
  ASSERT_NE(nullptr, a->GetRecodeMissValueRep());
  EXPECT_DOUBLE_EQ(-1.0, a->GetRecodeMissValueRep()->GetDouble());
  ASSERT_NE(nullptr, a->GetRecodeDefaultValue());
  const ScoreDictVar* s = data_->GetVar("s");
  const StringValue in_a("a"), in_b("b"), in_z("z"), in_q("q");
  EXPECT_DOUBLE_EQ(1.0, a->GetEncodedValue(s, &in_a)->GetDouble());
  EXPECT_DOUBLE_EQ(2.0, a->GetEncodedValue(s, &in_b)->GetDouble());
  EXPECT_TRUE(a->GetEncodedValue(s, &in_z)->IsSystemMissingValue());
  EXPECT_DOUBLE_EQ(0.0, a->GetEncodedValue(s, &in_q)->GetDouble());
}

TEST_F(TransformationReaderSuccessTest, ReadsRecodeExtensions) {
  std::unique_ptr<TransformationDictionary> dictionary(
      Read(Numeric(MapValues(kFieldColumnPair + Extension("recodeElseCopy") +
                             Extension("recodeMissingSysmis") + Extension("other"))) +
           Field("b", "categorical", "string",
                 MapValues(kFieldColumnPair + Extension("mapSysmisTo", "none") +
                           Extension("recodeMissingCopy")))));
  const TransformVar* a = Var(*dictionary, "a");
  EXPECT_TRUE(a->IsRecodeElseCopy());
  ASSERT_NE(nullptr, a->GetRecodeMissValueRep());
  EXPECT_TRUE(a->GetRecodeMissValueRep()->IsSystemMissingValue());
  EXPECT_FALSE(a->IsRecodeMissingCopy());
  const TransformVar* b = Var(*dictionary, "b");
  ASSERT_NE(nullptr, b->GetRecodeSysmisValueRep());
  EXPECT_EQ("none", b->GetRecodeSysmisValueRep()->GetString());
  EXPECT_TRUE(b->IsRecodeMissingCopy());
}

TEST_F(TransformationReaderSuccessTest, ReadsDiscretizeRecodeBins) {
  std::unique_ptr<TransformationDictionary> dictionary(Read(Numeric(Discretize(
      Bin("0", Extension("mapSysmisTo", "-5") + Interval("closedOpen", "rightMargin='0'")) +
      B("1", "closedOpen", "0", "10") +
      Bin("9", Interval("closedOpen", "leftMargin='10' rightMargin='20'") +
                   Extension("recodeTargetSysmis")) +
      Bin("9", Extension("recodeIntervalCopy") +
                   Interval("closedOpen", "leftMargin='20' rightMargin='30'")) +
      "<Extension name='recodeIntervalCopy'>" +
      Interval("closedClosed", "leftMargin='30' rightMargin='40'") + "</Extension>"))));
  const TransformVar* a = Var(*dictionary, "a");
  ASSERT_NE(nullptr, a->GetRecodeSysmisValueRep());
  EXPECT_DOUBLE_EQ(-5.0, a->GetRecodeSysmisValueRep()->GetDouble());
  const ScoreDictVar* x = data_->GetVar("x");
  const NumericValue five(5.0), fifteen(15.0), twenty_five(25.0), thirty_five(35.0), minus(-1.0);
  EXPECT_DOUBLE_EQ(1.0, a->GetBinningValue(x, &five)->GetDouble());
  EXPECT_TRUE(a->GetBinningValue(x, &fifteen)->IsSystemMissingValue());
  EXPECT_DOUBLE_EQ(25.0, a->GetBinningValue(x, &twenty_five)->GetDouble());
  EXPECT_DOUBLE_EQ(35.0, a->GetBinningValue(x, &thirty_five)->GetDouble());
  // The first bin only carried the sysmis recode: -1 falls into no bin.
  EXPECT_TRUE(a->GetBinningValue(x, &minus)->IsSystemMissingValue());
}

}  // namespace
}  // namespace MCOrvane_600
