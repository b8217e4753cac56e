// NearestNeighborModel documents read by the factory from the stream and
// scored through the shipped plug-in. Four training instances, worked by hand:
//
//   id  x  y  c  t  k        case x = 1, y = 1, c = "a":
//   i1  0  0  a  1  A        squared distances 2, 1, 2, 8
//   i2  1  0  b  2  B        (i1 and i3 tie: i1, the earlier, is nearer)
//   i3  0  2  a  4  B
//   i4  3  3  b  8  C

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "scored_document.h"

namespace {

using namespace MCOrvane_600;

std::string Row(const char* id, const char* x, const char* y, const char* c, const char* t,
                const char* k) {
  return std::string("<row><ID>") + id + "</ID><x>" + x + "</x>" + (*y ? "<y>" + std::string(y) +
         "</y>" : "") + "<c>" + c + "</c><t>" + t + "</t><k>" + k + "</k></row>";
}

const std::string kTable = Row("i1", "0", "0", "a", "1", "A") + Row("i2", "1", "0", "b", "2", "B") +
                           Row("i3", "0", "2", "a", "4", "B") + Row("i4", "3", "3", "b", "8", "C");

// A document over the table; `attributes` go on the model element, `target`
// is "t", "k" or "" (no target: the neighbours' ids alone).
std::string Document(const std::string& attributes, const std::string& measure,
                     const std::string& inputs, const std::string& target,
                     const std::string& table = kTable) {
  std::string body = "<Output>";
  for (const char* rank : {"1", "2", "3"}) {
    body += std::string("<OutputField name='n") + rank + "' feature='entityId' rank='" + rank +
            "' dataType='string'/>";
  }
  body += "<OutputField name='a2' feature='affinity' rank='2' dataType='double'/></Output>"
          "<LocalTransformations><DerivedField name='x10' optype='continuous' dataType='double'>"
          "<Apply function='*'><FieldRef field='x'/><Constant>10</Constant></Apply>"
          "</DerivedField></LocalTransformations><TrainingInstances><InstanceFields>";
  for (const char* f : {"ID", "x", "y", "c", "t", "k"}) {
    body += std::string("<InstanceField field='") + f + "' column='" + f + "'/>";
  }
  body += "</InstanceFields><InlineTable>" + table + "</InlineTable></TrainingInstances>"
          "<ComparisonMeasure kind='" +
          (measure.find("jaccard") != std::string::npos ? "similarity" : "distance") + "'>" +
          measure + "</ComparisonMeasure><KNNInputs>" + inputs + "</KNNInputs>";
  const char* function = target.empty() ? "clustering" : target == "t" ? "regression"
                                                                       : "classification";
  return orvane_test::Pmml(
      "x y c= t k=A,B,C",
      orvane_test::Model("NearestNeighborModel", "instanceIdVariable='ID' functionName='" +
                             std::string(function) + "' " + attributes, "x y c", target, body));
}

const char kXY[] = "<KNNInput field='x'/><KNNInput field='y'/>";

struct Scored {
  std::string prediction;  // the target's value as text (6 digits); empty without one
  double number = NAN;     // a continuous target's value
  std::string neighbors;   // n1 n2 n3, blank-separated
  double affinity2 = NAN;
};

Scored Score(const std::string& document, double x, double y) {
  std::unique_ptr<ScoreModel> model = orvane_test::ReadModel(document);
  CaseRecord input;
  input.Add("x", new NumericValue(x));
  if (!std::isnan(y)) input.Add("y", new NumericValue(y));  // NaN: y is missing
  input.Add("c", new StringValue("a"));
  std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
  std::vector<ResultAdvice> advice;
  EXPECT_TRUE(model->Score(&input, result.get(), &advice));
  Scored s;
  for (const char* target : {"t", "k"}) {
    if (const ScoreValue* v = result->Get(target)) {
      std::ostringstream text;
      const bool number = v->GetType() == ScoreValue::kNUMERIC_VALUE;
      if (number) s.number = v->GetDouble();
      number ? text << v->GetDouble() : text << v->GetString();
      s.prediction = text.str();
    }
  }
  for (const char* n : {"n1", "n2", "n3"}) {
    const ScoreValue* v = result->Get(n);
    s.neighbors += std::string(n[1] == '1' ? "" : " ") + (v == nullptr ? "-" : v->GetString());
  }
  if (const ScoreValue* v = result->Get("a2")) s.affinity2 = v->GetDouble();
  return s;
}

struct ScoringCase {
  const char* name;
  const char* attributes;
  const char* measure;
  const char* inputs;
  const char* target;
  double x, y;
  const char* prediction;
  const char* neighbors;
  double affinity2;
};

const double kW1 = 1 / 1.001, kW2 = 1 / 2.001;  // 1/(distance + threshold) at 1 and 2

const ScoringCase kScoring[] = {
    {"average", "numberOfNeighbors='2'", "<squaredEuclidean/>", kXY, "t", 1, 1, "1.5", "i2 i1 -",
     2},
    {"median_odd", "numberOfNeighbors='3' continuousScoringMethod='median'", "<squaredEuclidean/>",
     kXY, "t", 1, 1, "2", "i2 i1 i3", 2},
    {"median_even", "numberOfNeighbors='2' continuousScoringMethod='median'",
     "<squaredEuclidean/>", kXY, "t", 1, 1, "1.5", "i2 i1 -", 2},
    {"weighted_average", "numberOfNeighbors='2' continuousScoringMethod='weightedAverage'",
     "<squaredEuclidean/>", kXY, "t", 1, 1, nullptr, "i2 i1 -", 2},
    {"chebychev_ties_keep_the_earlier", "numberOfNeighbors='3'", "<chebychev/>", kXY, "t", 1, 1,
     "2.33333", "i1 i2 i3", 1},
    {"majority_vote", "numberOfNeighbors='3'", "<squaredEuclidean/>", kXY, "k", 1, 1, "B",
     "i2 i1 i3", 2},
    // One vote each: B has more training instances than A.
    {"vote_tie_goes_to_the_commoner", "numberOfNeighbors='2'", "<squaredEuclidean/>", kXY, "k", 1,
     1, "B", "i2 i1 -", 2},
    // At (0, 0): A's one vote at distance 0 outweighs B's two at 1 and 4.
    {"weighted_majority_vote", "numberOfNeighbors='3' categoricalScoringMethod="
     "'weightedMajorityVote'", "<squaredEuclidean/>", kXY, "k", 0, 0, "A", "i1 i2 i3", 1},
    {"majority_vote_at_origin", "numberOfNeighbors='3'", "<squaredEuclidean/>", kXY, "k", 0, 0,
     "B", "i1 i2 i3", 1},
    // c compared by delta with weight 3: squared distances 2, 4, 2, 11.
    {"delta_with_field_weight", "numberOfNeighbors='2'", "<squaredEuclidean/>",
     "<KNNInput field='x'/><KNNInput field='y'/><KNNInput field='c' compareFunction='delta' "
     "fieldWeight='3'/>", "", 1, 1, nullptr, "i1 i3 -", 2},
    // x10 is computed for the instances from their x: 0, 10, 0, 30 against 10.
    {"derived_input", "numberOfNeighbors='3'", "<squaredEuclidean/>",
     "<KNNInput field='x10'/><KNNInput field='y'/>", "", 1, 1, nullptr, "i2 i1 i3", 101},
    // Similarity, largest nearest: jaccard 0, 1/2, 1/2, 1.
    {"jaccard", "numberOfNeighbors='2'", "<jaccard/>", kXY, "", 1, 1, nullptr, "i4 i2 -", 0.5},
    {"missing_input_gives_no_score", "numberOfNeighbors='1'", "<squaredEuclidean/>", kXY, "t", 1,
     NAN, "", "- - -", NAN},
};

class Scoring : public ::testing::TestWithParam<ScoringCase> {};

TEST_P(Scoring, HandWorkedValues) {
  const ScoringCase& c = GetParam();
  const Scored s = Score(Document(c.attributes, c.measure, c.inputs, c.target), c.x, c.y);
  if (c.prediction != nullptr) {
    EXPECT_EQ(c.prediction, s.prediction);
  } else if (*c.target == 't') {
    EXPECT_NEAR((2 * kW1 + 1 * kW2) / (kW1 + kW2), s.number, 1e-12);
  }
  EXPECT_EQ(c.neighbors, s.neighbors);
  EXPECT_EQ(std::isnan(c.affinity2), std::isnan(s.affinity2));
  if (!std::isnan(c.affinity2)) {
    EXPECT_NEAR(c.affinity2, s.affinity2, 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(Knn, Scoring, ::testing::ValuesIn(kScoring),
                         [](const ::testing::TestParamInfo<ScoringCase>& info) {
                           return std::string(info.param.name);
                         });

// A million expansions of a ten-character entity, after the model's start tag.
std::string EntityBomb() {
  std::string entities = "<!ENTITY a \"aaaaaaaaaa\">";
  for (char name = 'b'; name <= 'g'; ++name) {
    std::string text;
    for (int i = 0; i < 10; ++i) text += std::string("&") + static_cast<char>(name - 1) + ";";
    entities += std::string("<!ENTITY ") + name + " \"" + text + "\">";
  }
  return "<?xml version=\"1.0\"?><!DOCTYPE PMML [" + entities +
         "]><PMML><NearestNeighborModel/><X>&g;</X></PMML>";
}

TEST(Knn, RefusesBadDocumentsNamingWhat) {
  const char* one = "numberOfNeighbors='1'";
  orvane_test::ExpectRefusals({
      {"no_neighbors", Document("numberOfNeighbors='0'", "<euclidean/>", kXY, "t"), 6,
       "NearestNeighborModel: numberOfNeighbors must be a positive integer"},
      {"more_neighbors_than_instances", Document("numberOfNeighbors='5'", "<euclidean/>", kXY,
                                                 "t"),
       12, "NearestNeighborModel: numberOfNeighbors 5 is more than the 4 training instances"},
      {"column_missing_from_a_row",
       Document(one, "<euclidean/>", kXY, "t", Row("i1", "0", "", "a", "1", "A")), 1,
       "InlineTable: row 1 has no column \"y\""},
      {"unknown_measure", Document(one, "<cosine/>", kXY, "t"), 5,
       "cosine in ComparisonMeasure is not supported"},
      {"unknown_input", Document(one, "<euclidean/>", "<KNNInput field='z'/>", "t"), 8,
       "KNNInput: field z is not defined"},
      {"cell_not_a_number",
       Document(one, "<euclidean/>", kXY, "t", Row("i1", "zero", "0", "a", "1", "A")), 3,
       "InlineTable: row 1, column \"x\": \"zero\" is not a number"},
      {"broken_xml", "<PMML><NearestNeighborModel></PMML>", 6, "Invalid XML file!!"},
      // The plug-in's own parse stops at the same entity limit as the library's.
      {"entity_bomb_after_the_model_element", EntityBomb(), 6, "Invalid XML file!!"},
  });
}

}  // namespace
