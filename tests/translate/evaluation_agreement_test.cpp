// Derived values computed case after case from the library's own record
// (which lets the dictionary lay the common fields out as numbers) agree, value
// for value, with the general evaluation of a record of another class, for
// every shape of input: absent, user-missing, system-missing, texts with
// trailing spaces, unknown categories, values of an unexpected type. Read as
// standard PMML, where missing and invalid stay apart, the same holds.

#include <memory>
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
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

constexpr double kSysmis = NumericValue::GetSysmisValue();

// The documents: tests/data/pmml/agreement/.
const std::string kDocument = orvane_test::TestData("pmml/agreement/general.pmml");
const std::string kStandardDocument = orvane_test::TestData("pmml/agreement/standard.pmml");

// Not exactly the library's record, so every case takes the general way.
class OtherRecord : public CaseRecord {};

// One input cell: absent (null), a number or a text; each record gets a copy.
using Cell = std::shared_ptr<const ScoreValue>;
const Cell kAbsent;
Cell Num(double x) { return std::make_shared<NumericValue>(x); }
Cell Text(const char* text) { return std::make_shared<StringValue>(text); }

// x, y, s, t.
const std::vector<std::vector<Cell>> kCases = {
    {Num(1), Num(2), Text("a"), Text("p")},        {Num(-99), Num(0), Text("b  "), Text("q ")},
    {kAbsent, kAbsent, kAbsent, kAbsent},          {Num(5), Num(-3.5), Text("NA"), Text("a")},
    {Num(10), Num(1e300), Text("zz"), Text("")},   {Num(11), Num(2.5), Text("c"), Text("a  ")},
    {Text("7"), Num(1), Num(3), Text("p")},        {Num(kSysmis), Num(4), Text(""), Text("q")},
    {Num(0), Num(-0.5), Text("b"), Text("   ")},   {Num(4), Text("x"), Text("a "), Num(1)},
    {Num(-1), Num(kSysmis), Text("NA "), kAbsent},
};

class EvaluationAgreementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Load(&lane_, &data_);
    Load(&general_, &general_data_);
  }

  void Load(std::unique_ptr<TransformationDictionary>* derived,
            std::unique_ptr<ScoreDictionary>* data) {
    ScoreDictionary* read = nullptr;
    try {
      derived->reset(
          ModelFactory::GetTransformationDictionaryFromXML(document_, read, "", options_));
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
      const Cell& cell = kCases[row][k];
      own_.Add(kNames[k], cell ? cell->Clone() : nullptr);
      other_.Add(kNames[k], cell ? cell->Clone() : nullptr);
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
    for (std::size_t row = 0; row < kCases.size(); ++row) Agree(row, when);
    for (std::size_t row = kCases.size(); row-- > 0;) Agree(row, when + " (backwards)");
  }

  // The same change made to both documents' variable `name`.
  template <typename Change>
  void ChangeBoth(const std::string& name, Change change) {
    change(const_cast<TransformVar*>(dynamic_cast<const TransformVar*>(lane_->GetVar(name))));
    change(const_cast<TransformVar*>(dynamic_cast<const TransformVar*>(general_->GetVar(name))));
  }

  std::string document_ = kDocument;
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
  for (const std::string& document : {kDocument, kStandardDocument}) {
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
      {0, "v1", 1},       {8, "v1", 2},       {5, "v1", 7},       {1, "v1", kSysmis},
      {4, "v1", kSysmis}, {2, "v1", -5},      {3, "v1", -5},      {7, "v1", -5},
      {0, "v2", 10},      {5, "v2", 0},       {8, "v2", 0},       {3, "v2", kSysmis},
      {9, "v2", kSysmis}, {0, "v3", 100},     {3, "v3", 500},     {1, "v3", kSysmis},
      {4, "v3", kSysmis}, {6, "v3", kSysmis}, {2, "v3", -1},      {7, "v3", -1},
      {8, "v4", 1},       {0, "v4", 0},       {4, "v4", -1},      {3, "v4", -1},
      {0, "v5", 1},       {1, "v5", 0},       {4, "v5", kSysmis},
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
