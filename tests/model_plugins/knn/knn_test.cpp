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

#include <gtest/gtest.h>

#include "orvane/orvane.h"
#include "scored_document.h"

namespace {

using namespace MCOrvane_600;

const char kTable[] =
    "<row><ID>i1</ID><x>0</x><y>0</y><c>a</c><t>1</t><k>A</k></row>"
    "<row><ID>i2</ID><x>1</x><y>0</y><c>b</c><t>2</t><k>B</k></row>"
    "<row><ID>i3</ID><x>0</x><y>2</y><c>a</c><t>4</t><k>B</k></row>"
    "<row><ID>i4</ID><x>3</x><y>3</y><c>b</c><t>8</t><k>C</k></row>";

// A document over the table; `attributes` go on the model element, `target`
// is "t", "k" or "" (no target: the neighbours' ids alone).
std::string Document(const std::string& attributes, const std::string& measure,
                     const std::string& inputs, const std::string& target,
                     const std::string& table = kTable) {
  std::string d =
      "<?xml version=\"1.0\"?><PMML version=\"4.4\"><DataDictionary>"
      "<DataField name=\"x\" optype=\"continuous\" dataType=\"double\"/>"
      "<DataField name=\"y\" optype=\"continuous\" dataType=\"double\"/>"
      "<DataField name=\"c\" optype=\"categorical\" dataType=\"string\"/>"
      "<DataField name=\"t\" optype=\"continuous\" dataType=\"double\"/>"
      "<DataField name=\"k\" optype=\"categorical\" dataType=\"string\">"
      "<Value value=\"A\"/><Value value=\"B\"/><Value value=\"C\"/></DataField>"
      "</DataDictionary><NearestNeighborModel instanceIdVariable=\"ID\" functionName=\"" +
      std::string(target.empty()  ? "clustering"
                  : target == "t" ? "regression"
                                  : "classification") +
      "\" " + attributes +
      "><MiningSchema><MiningField name=\"x\"/><MiningField name=\"y\"/>"
      "<MiningField name=\"c\"/>";
  if (!target.empty()) d += "<MiningField name=\"" + target + "\" usageType=\"target\"/>";
  d += "</MiningSchema><Output>";
  for (const char* rank : {"1", "2", "3"}) {
    d += std::string("<OutputField name=\"n") + rank + "\" feature=\"entityId\" rank=\"" + rank +
         "\" dataType=\"string\"/>";
  }
  d += "<OutputField name=\"a2\" feature=\"affinity\" rank=\"2\" dataType=\"double\"/></Output>"
       "<LocalTransformations><DerivedField name=\"x10\" optype=\"continuous\" dataType=\"double\">"
       "<Apply function=\"*\"><FieldRef field=\"x\"/><Constant>10</Constant></Apply>"
       "</DerivedField></LocalTransformations>"
       "<TrainingInstances><InstanceFields>";
  for (const char* f : {"ID", "x", "y", "c", "t", "k"}) {
    d += std::string("<InstanceField field=\"") + f + "\" column=\"" + f + "\"/>";
  }
  return d + "</InstanceFields><InlineTable>" + table +
         "</InlineTable></TrainingInstances><ComparisonMeasure kind=\"" +
         (measure.find("jaccard") != std::string::npos ? "similarity" : "distance") + "\">" +
         measure + "</ComparisonMeasure><KNNInputs>" + inputs +
         "</KNNInputs></NearestNeighborModel></PMML>";
}

const char kXY[] = "<KNNInput field=\"x\"/><KNNInput field=\"y\"/>";

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
      if (v->GetType() == ScoreValue::kNUMERIC_VALUE) {
        text << v->GetDouble();
        s.number = v->GetDouble();
      } else {
        text << v->GetString();
      }
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
    {"average", "numberOfNeighbors=\"2\"", "<squaredEuclidean/>", kXY, "t", 1, 1, "1.5", "i2 i1 -",
     2},
    {"median_odd", "numberOfNeighbors=\"3\" continuousScoringMethod=\"median\"",
     "<squaredEuclidean/>", kXY, "t", 1, 1, "2", "i2 i1 i3", 2},
    {"median_even", "numberOfNeighbors=\"2\" continuousScoringMethod=\"median\"",
     "<squaredEuclidean/>", kXY, "t", 1, 1, "1.5", "i2 i1 -", 2},
    {"weighted_average", "numberOfNeighbors=\"2\" continuousScoringMethod=\"weightedAverage\"",
     "<squaredEuclidean/>", kXY, "t", 1, 1, nullptr, "i2 i1 -", 2},
    {"euclidean", "numberOfNeighbors=\"2\"", "<euclidean/>", kXY, "t", 1, 1, "1.5", "i2 i1 -",
     std::sqrt(2.0)},
    {"city_block", "numberOfNeighbors=\"3\"", "<cityBlock/>", kXY, "t", 1, 1, "2.33333", "i2 i1 i3",
     2},
    {"chebychev_ties_keep_the_earlier", "numberOfNeighbors=\"3\"", "<chebychev/>", kXY, "t", 1, 1,
     "2.33333", "i1 i2 i3", 1},
    {"minkowski", "numberOfNeighbors=\"3\"", "<minkowski p-parameter=\"3\"/>", kXY, "t", 1, 1,
     "2.33333", "i2 i1 i3", std::cbrt(2.0)},
    {"majority_vote", "numberOfNeighbors=\"3\"", "<squaredEuclidean/>", kXY, "k", 1, 1, "B",
     "i2 i1 i3", 2},
    // One vote each: B has more training instances than A.
    {"vote_tie_goes_to_the_commoner", "numberOfNeighbors=\"2\"", "<squaredEuclidean/>", kXY, "k", 1,
     1, "B", "i2 i1 -", 2},
    // At (0, 0): A's one vote at distance 0 outweighs B's two at 1 and 4.
    {"weighted_majority_vote",
     "numberOfNeighbors=\"3\" categoricalScoringMethod=\"weightedMajorityVote\"",
     "<squaredEuclidean/>", kXY, "k", 0, 0, "A", "i1 i2 i3", 1},
    {"majority_vote_at_origin", "numberOfNeighbors=\"3\"", "<squaredEuclidean/>", kXY, "k", 0, 0,
     "B", "i1 i2 i3", 1},
    // c compared by delta with weight 3: squared distances 2, 4, 2, 11.
    {"delta_with_field_weight", "numberOfNeighbors=\"2\"", "<squaredEuclidean/>",
     "<KNNInput field=\"x\"/><KNNInput field=\"y\"/>"
     "<KNNInput field=\"c\" compareFunction=\"delta\" fieldWeight=\"3\"/>",
     "", 1, 1, nullptr, "i1 i3 -", 2},
    // x10 is computed for the instances from their x: 0, 10, 0, 30 against 10.
    {"derived_input", "numberOfNeighbors=\"3\"", "<squaredEuclidean/>",
     "<KNNInput field=\"x10\"/><KNNInput field=\"y\"/>", "", 1, 1, nullptr, "i2 i1 i3", 101},
    // Similarity, largest nearest: jaccard 0, 1/2, 1/2, 1.
    {"jaccard", "numberOfNeighbors=\"2\"", "<jaccard/>", kXY, "", 1, 1, nullptr, "i4 i2 -", 0.5},
    {"missing_input_gives_no_score", "numberOfNeighbors=\"1\"", "<squaredEuclidean/>", kXY, "t", 1,
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
  if (std::isnan(c.affinity2)) {
    EXPECT_TRUE(std::isnan(s.affinity2));
  } else {
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
  orvane_test::ExpectRefusals({
    {"no_neighbors", Document("numberOfNeighbors=\"0\"", "<euclidean/>", kXY, "t"), 6,
     "NearestNeighborModel: numberOfNeighbors must be a positive integer"},
    {"more_neighbors_than_instances", Document("numberOfNeighbors=\"5\"", "<euclidean/>", kXY, "t"),
     12, "NearestNeighborModel: numberOfNeighbors 5 is more than the 4 training instances"},
    {"column_missing_from_a_row",
     Document("numberOfNeighbors=\"1\"", "<euclidean/>", kXY, "t",
              "<row><ID>i1</ID><x>0</x><c>a</c><t>1</t><k>A</k></row>"),
     1, "InlineTable: row 1 has no column \"y\""},
    {"unknown_measure", Document("numberOfNeighbors=\"1\"", "<cosine/>", kXY, "t"), 5,
     "cosine in ComparisonMeasure is not supported"},
    {"unknown_input",
     Document("numberOfNeighbors=\"1\"", "<euclidean/>", "<KNNInput field=\"z\"/>", "t"), 8,
     "KNNInput: field z is not defined"},
    {"cell_not_a_number",
     Document("numberOfNeighbors=\"1\"", "<euclidean/>", kXY, "t",
              "<row><ID>i1</ID><x>zero</x><y>0</y><c>a</c><t>1</t><k>A</k></row>"),
     3, "InlineTable: row 1, column \"x\": \"zero\" is not a number"},
    {"broken_xml", "<PMML><NearestNeighborModel></PMML>", 6, "Invalid XML file!!"},
    // The plug-in's own parse stops at the same entity limit as the library's.
    {"entity_bomb_after_the_model_element", EntityBomb(), 6, "Invalid XML file!!"},
  });
}

}  // namespace
