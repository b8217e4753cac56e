// Derived values computed case after case from the library's own record
// (which lets the dictionary lay the common fields out as numbers) agree, value
// for value, with the general evaluation of a record of another class, for
// every shape of input: absent, user-missing, system-missing, texts with
// trailing spaces, unknown categories, values of an unexpected type. Read as
// standard PMML, where missing and invalid stay apart, the same holds.

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/model_factory.h"
#include "orvane/translate/pmml_read_options.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"

namespace MCOrvane_600 {
namespace {

constexpr double kSysmis = NumericValue::GetSysmisValue();

const char* const kDocument = R"(<PMML xmlns="http://www.dmg.org/PMML-4_4" version="4.4">
<DataDictionary numberOfFields="4">
  <DataField name="x" optype="continuous" dataType="double"><Value value="-99" property="missing"/></DataField>
  <DataField name="y" optype="continuous" dataType="double"/>
  <DataField name="s" optype="categorical" dataType="string">
    <Value value="a"/><Value value="b"/><Value value="c"/><Value value="NA" property="missing"/>
  </DataField>
  <DataField name="t" optype="categorical" dataType="string"/>
</DataDictionary>
<TransformationDictionary>
  <DerivedField name="n1" optype="continuous" dataType="double">
    <NormContinuous field="x"><LinearNorm orig="0" norm="1"/><LinearNorm orig="10" norm="3"/></NormContinuous>
  </DerivedField>
  <DerivedField name="b1" optype="continuous" dataType="double">
    <Discretize field="x" mapMissingTo="-1" defaultValue="0">
      <DiscretizeBin binValue="10"><Interval closure="closedOpen" leftMargin="0" rightMargin="5"/></DiscretizeBin>
      <DiscretizeBin binValue="20"><Interval closure="closedClosed" leftMargin="5" rightMargin="10"/></DiscretizeBin>
    </Discretize>
  </DerivedField>
  <DerivedField name="b2" optype="continuous" dataType="double">
    <Discretize field="n1">
      <DiscretizeBin binValue="1"><Interval closure="openClosed" leftMargin="1" rightMargin="2"/></DiscretizeBin>
      <DiscretizeBin binValue="2"><Interval closure="openOpen" leftMargin="2" rightMargin="4"/></DiscretizeBin>
    </Discretize>
  </DerivedField>
  <DerivedField name="m1" optype="continuous" dataType="double">
    <MapValues outputColumn="out" mapMissingTo="-5" defaultValue="7">
      <FieldColumnPair field="s" column="in"/>
      <InlineTable>
        <row><in>a</in><out>1</out></row>
        <row><in>b  </in><out>2</out></row>
        <row><in>a</in><out>3</out></row>
      </InlineTable>
    </MapValues>
  </DerivedField>
  <DerivedField name="m2" optype="continuous" dataType="double">
    <MapValues outputColumn="out">
      <FieldColumnPair field="t" column="in"/>
      <InlineTable><row><in>p</in><out>1</out></row><row><in>q</in><out>2.5</out></row></InlineTable>
    </MapValues>
  </DerivedField>
  <DerivedField name="a1" optype="continuous" dataType="double">
    <Apply function="+"><FieldRef field="x"/><FieldRef field="y"/></Apply>
  </DerivedField>
  <DerivedField name="a2" optype="continuous" dataType="double">
    <Apply function="max"><FieldRef field="n1"/><FieldRef field="b1"/><FieldRef field="y"/></Apply>
  </DerivedField>
  <DerivedField name="a3" optype="continuous" dataType="double">
    <Apply function="isMissing"><FieldRef field="x"/></Apply>
  </DerivedField>
  <DerivedField name="a4" optype="continuous" dataType="double">
    <Apply function="equal"><FieldRef field="s"/><Constant dataType="string">b</Constant></Apply>
  </DerivedField>
  <DerivedField name="a5" optype="continuous" dataType="double">
    <Apply function="notEqual"><Constant dataType="string">a </Constant><FieldRef field="t"/></Apply>
  </DerivedField>
  <DerivedField name="a6" optype="continuous" dataType="double">
    <Apply function="and">
      <Apply function="lessThan"><FieldRef field="x"/><Constant dataType="double">3</Constant></Apply>
      <Apply function="isNotMissing"><FieldRef field="y"/></Apply>
    </Apply>
  </DerivedField>
  <DerivedField name="a8" optype="continuous" dataType="double">
    <Apply function="*"><FieldRef field="x"/><Constant dataType="double">2</Constant></Apply>
  </DerivedField>
  <DerivedField name="a7" optype="continuous" dataType="double">
    <Apply function="+"><FieldRef field="a8"/><Constant dataType="double">1</Constant></Apply>
  </DerivedField>
  <DerivedField name="a9" optype="continuous" dataType="double">
    <Apply function="if"><FieldRef field="a3"/><FieldRef field="y"/><Constant dataType="double">-1</Constant></Apply>
  </DerivedField>
  <DerivedField name="a10" optype="continuous" dataType="double">
    <Apply function="equal"><FieldRef field="x"/><Constant dataType="double">4</Constant></Apply>
  </DerivedField>
  <DerivedField name="a11" optype="continuous" dataType="double">
    <Apply function="sum">
      <FieldRef field="m1"/><FieldRef field="a8"/><Apply function="round"><FieldRef field="y"/></Apply>
    </Apply>
  </DerivedField>
  <DerivedField name="a12" optype="continuous" dataType="double">
    <Apply function="isMissing"><FieldRef field="s"/></Apply>
  </DerivedField>
  <DerivedField name="a13" optype="continuous" dataType="double">
    <Apply function="equal"><FieldRef field="t"/><Constant dataType="string">  </Constant></Apply>
  </DerivedField>
  <DerivedField name="f1" optype="continuous" dataType="double"><FieldRef field="x"/></DerivedField>
  <DerivedField name="ts" optype="categorical" dataType="string">
    <MapValues outputColumn="out">
      <FieldColumnPair field="s" column="in"/>
      <InlineTable><row><in>a</in><out>yes</out></row></InlineTable>
    </MapValues>
  </DerivedField>
</TransformationDictionary>
</PMML>)";

// Standard expressions over y (which has no Values of its own): an invalid
// answer (q1 for y = 0) read on by other fields, an Apply's attributes, an
// integer result, an "if" whose other branch is invalid, tables over a
// derived field. Over x (an interval) and s (listed values, one missing, one
// invalid): value maps with one and two key columns, categories compared.
const char* const kStandardDocument = R"(<PMML xmlns="http://www.dmg.org/PMML-4_4" version="4.4">
<DataDictionary numberOfFields="4">
  <DataField name="x" optype="continuous" dataType="double">
    <Interval closure="closedClosed" leftMargin="-50" rightMargin="50"/>
  </DataField>
  <DataField name="y" optype="continuous" dataType="double"/>
  <DataField name="s" optype="categorical" dataType="string">
    <Value value="a"/><Value value="b"/><Value value="c"/><Value value="NA" property="missing"/>
    <Value value="zz" property="invalid"/>
  </DataField>
  <DataField name="t" optype="categorical" dataType="string"/>
</DataDictionary>
<TransformationDictionary>
  <DerivedField name="q1" optype="continuous" dataType="double">
    <Apply function="/"><Constant>1</Constant><FieldRef field="y"/></Apply>
  </DerivedField>
  <DerivedField name="q2" optype="continuous" dataType="integer">
    <Apply function="+"><FieldRef field="q1"/><Constant>0.5</Constant></Apply>
  </DerivedField>
  <DerivedField name="q3" optype="continuous" dataType="double">
    <Apply function="isNotValid"><FieldRef field="q1"/></Apply>
  </DerivedField>
  <DerivedField name="q4" optype="continuous" dataType="double">
    <Apply function="*" invalidValueTreatment="asMissing" mapMissingTo="-7">
      <FieldRef field="q1"/><Constant>2</Constant>
    </Apply>
  </DerivedField>
  <DerivedField name="q5" optype="continuous" dataType="double">
    <Apply function="-" defaultValue="42"><FieldRef field="q1"/><FieldRef field="x"/></Apply>
  </DerivedField>
  <DerivedField name="q6" optype="continuous" dataType="double">
    <Apply function="if">
      <Apply function="greaterThan"><FieldRef field="y"/><Constant>2</Constant></Apply>
      <Apply function="ln"><FieldRef field="y"/></Apply>
      <Apply function="sqrt"><Constant>-1</Constant></Apply>
    </Apply>
  </DerivedField>
  <DerivedField name="q7" optype="continuous" dataType="double">
    <NormContinuous field="q1" outliers="asExtremeValues" mapMissingTo="0">
      <LinearNorm orig="0" norm="0"/><LinearNorm orig="1" norm="10"/>
    </NormContinuous>
  </DerivedField>
  <DerivedField name="q8" optype="continuous" dataType="double">
    <Discretize field="y" mapMissingTo="-1" defaultValue="9">
      <DiscretizeBin binValue="1"><Interval closure="closedOpen" leftMargin="0" rightMargin="2"/></DiscretizeBin>
      <DiscretizeBin binValue="2"><Interval closure="closedClosed" leftMargin="2" rightMargin="5"/></DiscretizeBin>
    </Discretize>
  </DerivedField>
  <DerivedField name="q9" optype="continuous" dataType="double">
    <Apply function="isIn"><FieldRef field="y"/><Constant>0</Constant><Constant>2.5</Constant></Apply>
  </DerivedField>
  <DerivedField name="q10" optype="continuous" dataType="double">
    <Apply function="avg"><FieldRef field="y"/><FieldRef field="x"/><FieldRef field="q2"/></Apply>
  </DerivedField>
  <DerivedField name="q11" optype="continuous" dataType="double">
    <Apply function="+" invalidValueTreatment="asIs"><FieldRef field="q1"/><Constant>1</Constant></Apply>
  </DerivedField>
  <DerivedField name="q12" optype="continuous" dataType="double">
    <Apply function="isMissing"><FieldRef field="q4"/></Apply>
  </DerivedField>
  <DerivedField name="v1" optype="continuous" dataType="double">
    <MapValues outputColumn="out" mapMissingTo="-5" defaultValue="7">
      <FieldColumnPair field="s" column="in"/>
      <InlineTable><row><in>a</in><out>1</out></row><row><in>b</in><out>2</out></row>
      <row><in>zz</in><out>3</out></row></InlineTable>
    </MapValues>
  </DerivedField>
  <DerivedField name="v2" optype="continuous" dataType="double">
    <MapValues outputColumn="out" defaultValue="0">
      <FieldColumnPair field="s" column="k1"/><FieldColumnPair field="t" column="k2"/>
      <InlineTable><row><k1>a</k1><k2>p</k2><out>10</out></row>
      <row><k1>b</k1><k2>q </k2><out>20</out></row><row><k2>a</k2><out>30</out></row>
      <row><k1>a</k1><k2>1</k2><out>40</out></row><row><k1>c</k1><k2>a</k2><out>50</out></row>
      </InlineTable>
    </MapValues>
  </DerivedField>
  <DerivedField name="v3" optype="continuous" dataType="double">
    <MapValues outputColumn="out" mapMissingTo="-1">
      <FieldColumnPair field="x" column="in"/>
      <InlineTable><row><in>1</in><out>100</out></row><row><in>5.0</in><out>500</out></row>
      </InlineTable>
    </MapValues>
  </DerivedField>
  <DerivedField name="v4" optype="continuous" dataType="double">
    <Apply function="equal" invalidValueTreatment="asMissing" mapMissingTo="-1">
      <FieldRef field="s"/><Constant dataType="string">b</Constant>
    </Apply>
  </DerivedField>
  <DerivedField name="v5" optype="continuous" dataType="double">
    <Apply function="if">
      <Apply function="isValid"><FieldRef field="s"/></Apply>
      <FieldRef field="v1"/>
      <Apply function="equal"><FieldRef field="t"/><Constant dataType="string">p</Constant></Apply>
    </Apply>
  </DerivedField>
</TransformationDictionary>
</PMML>)";

// Not exactly the library's record, so every case takes the general way.
class OtherRecord : public CaseRecord {};

// One input cell: absent, a number, a text, or a value of the other type.
struct Cell {
  enum Kind { kAbsent, kNumber, kText } kind;
  double number;
  const char* text;
};
Cell Absent() { return {Cell::kAbsent, 0.0, ""}; }
Cell Num(double x) { return {Cell::kNumber, x, ""}; }
Cell Text(const char* text) { return {Cell::kText, 0.0, text}; }

ScoreValue* Make(const Cell& cell) {
  switch (cell.kind) {
    case Cell::kNumber:
      return new NumericValue(cell.number);
    case Cell::kText:
      return new StringValue(cell.text);
    default:
      return nullptr;
  }
}

// x, y, s, t.
const std::vector<std::vector<Cell>>& Cases() {
  static const std::vector<std::vector<Cell>> cases = {
      {Num(1), Num(2), Text("a"), Text("p")},
      {Num(-99), Num(0), Text("b  "), Text("q ")},
      {Absent(), Absent(), Absent(), Absent()},
      {Num(5), Num(-3.5), Text("NA"), Text("a")},
      {Num(10), Num(1e300), Text("zz"), Text("")},
      {Num(11), Num(2.5), Text("c"), Text("a  ")},
      {Text("7"), Num(1), Num(3), Text("p")},
      {Num(kSysmis), Num(4), Text(""), Text("q")},
      {Num(0), Num(-0.5), Text("b"), Text("   ")},
      {Num(4), Text("x"), Text("a "), Num(1)},
      {Num(-1), Num(kSysmis), Text("NA "), Absent()},
  };
  return cases;
}

class EvaluationAgreementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Load(&lane_, &data_);
    Load(&general_, &general_data_);
  }

  void Load(std::unique_ptr<TransformationDictionary>* derived,
            std::unique_ptr<ScoreDictionary>* data) {
    std::istringstream in(document_);
    ScoreDictionary* read = nullptr;
    try {
      derived->reset(ModelFactory::GetTransformationDictionaryFromXML(in, read, "", options_));
    } catch (const OVException& e) {
      FAIL() << e.GetErrorMessage();
    }
    data->reset(read);
    ASSERT_NE(*derived, nullptr);
  }

  // Computes case `row` both ways and compares every derived value.
  void Agree(std::size_t row, const std::string& when) {
    static const char* const kNames[] = {"x", "y", "s", "t"};
    for (std::size_t k = 0; k < 4; ++k) {
      own_.Add(kNames[k], Make(Cases()[row][k]));
      other_.Add(kNames[k], Make(Cases()[row][k]));
    }
    const ScoreCaseRecord* got = lane_->GetValuesForDeriedVars(&own_, data_.get());
    const ScoreCaseRecord* want = general_->GetValuesForDeriedVars(&other_, general_data_.get());
    ASSERT_NE(got, nullptr);
    ASSERT_NE(want, nullptr);
    for (const std::string& name : general_->GetDerivedVarNames()) {
      SCOPED_TRACE(when + ", case " + std::to_string(row) + ", " + name);
      const ScoreValue* a = got->Get(name);
      const ScoreValue* b = want->Get(name);
      ASSERT_EQ(a == nullptr, b == nullptr);
      if (a == nullptr) continue;
      EXPECT_EQ(a->GetType(), b->GetType());
      const double x = a->GetDouble();
      const double y = b->GetDouble();
      EXPECT_TRUE(x == y || (x != x && y != y)) << x << " vs " << y;
      EXPECT_EQ(a->GetString(), b->GetString());
    }
  }

  void AgreeOnAll(const std::string& when) {
    for (std::size_t row = 0; row < Cases().size(); ++row) Agree(row, when);
    for (std::size_t row = Cases().size(); row-- > 0;) Agree(row, when + " (backwards)");
  }

  // The same change made to both documents' variable `name`.
  template <typename Change>
  void ChangeBoth(const std::string& name, Change change) {
    change(const_cast<TransformVar*>(dynamic_cast<const TransformVar*>(lane_->GetVar(name))));
    change(const_cast<TransformVar*>(dynamic_cast<const TransformVar*>(general_->GetVar(name))));
  }

  const char* document_ = kDocument;
  PMMLReadOptions options_;
  std::unique_ptr<ScoreDictionary> data_;
  std::unique_ptr<TransformationDictionary> lane_;
  std::unique_ptr<ScoreDictionary> general_data_;
  std::unique_ptr<TransformationDictionary> general_;
  CaseRecord own_;
  OtherRecord other_;
};

TEST_F(EvaluationAgreementTest, EveryInputShapeGivesTheGeneralValues) { AgreeOnAll("first"); }

TEST_F(EvaluationAgreementTest, StandardExpressionsGiveTheGeneralValues) {
  options_.standardPMML = true;
  for (const char* document : {kDocument, kStandardDocument}) {
    document_ = document;
    SetUp();
    AgreeOnAll(document == kDocument ? "standard" : "standard only");
  }
}

// Worked values of the value maps and category tests (missing: kSysmis).
struct Worked {
  std::size_t row;
  const char* name;
  double value;
};

TEST_F(EvaluationAgreementTest, StandardMapsAndCategoriesGiveTheirValues) {
  options_.standardPMML = true;
  document_ = kStandardDocument;
  SetUp();
  static const Worked kWorked[] = {
      {0, "v1", 1},       {8, "v1", 2},        {5, "v1", 7},       {1, "v1", kSysmis},
      {4, "v1", kSysmis}, {2, "v1", -5},       {3, "v1", -5},      {7, "v1", -5},
      {0, "v2", 10},      {5, "v2", 0},        {8, "v2", 0},       {3, "v2", kSysmis},
      {9, "v2", kSysmis}, {0, "v3", 100},      {3, "v3", 500},     {1, "v3", kSysmis},
      {4, "v3", kSysmis}, {6, "v3", kSysmis},  {2, "v3", -1},      {7, "v3", -1},
      {8, "v4", 1},       {0, "v4", 0},        {4, "v4", -1},      {3, "v4", -1},
      {0, "v5", 1},       {1, "v5", 0},        {4, "v5", kSysmis},
  };
  for (const Worked& w : kWorked) {
    SCOPED_TRACE(std::string(w.name) + ", case " + std::to_string(w.row));
    Agree(w.row, "worked");
    const ScoreCaseRecord* got = lane_->GetValuesForDeriedVars(&own_, data_.get());
    ASSERT_NE(got, nullptr);
    const double x = got->Get(w.name)->GetDouble();
    EXPECT_TRUE(x == w.value || (NumericValue::IsSystemMissingValue(x) &&
                                 NumericValue::IsSystemMissingValue(w.value)))
        << x;
  }
}

TEST_F(EvaluationAgreementTest, ChangesBetweenCasesAreSeen) {
  AgreeOnAll("before");
  // A new bin, a new map row, other recode values and another scale.
  ChangeBoth("b1", [](TransformVar* var) {
    var->AddBinningValue(new Range(new NumericValue(10.5), new NumericValue(12), true, true),
                         new NumericValue(30));
    var->SetRecodeDefaultValue(new NumericValue(-7));
  });
  AgreeOnAll("bins");
  ChangeBoth("m2", [](TransformVar* var) {
    var->AddEncodingMap(new StringValue("a"), new NumericValue(9));
    var->SetRecodeElseCopy(true);
  });
  AgreeOnAll("rows");
  ChangeBoth("m1", [](TransformVar* var) { var->SetRecodeMissValueTo(new NumericValue(kSysmis)); });
  ChangeBoth("n1", [](TransformVar* var) { var->AddNormInfo(-2, 0.5); });
  AgreeOnAll("recodes");
  // A derived variable of another type keeps its result's type.
  ChangeBoth("b2", [](TransformVar* var) { var->SetVarType(ScoreDictVar::kSTRING_VAR); });
  ChangeBoth("m2", [](TransformVar* var) { var->SetVarType(ScoreDictVar::kSTRING_VAR); });
  AgreeOnAll("types");
  // The inputs' variables change too: x loses its missing value, y gets one.
  for (ScoreDictionary* data : {data_.get(), general_data_.get()}) {
    ASSERT_TRUE(data->RemoveVar("x"));
    ASSERT_TRUE(data->AddVar("x", new DictVar("x", ScoreDictVar::kNUMERIC_VAR)));
    auto* y = const_cast<ScoreDictVar*>(data->GetVar("y"));
    y->SetVarType(ScoreDictVar::kSTRING_VAR);
  }
  AgreeOnAll("inputs");
}

}  // namespace
}  // namespace MCOrvane_600
