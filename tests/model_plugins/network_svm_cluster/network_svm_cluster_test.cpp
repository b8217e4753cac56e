// The NeuralNetwork, SupportVectorMachineModel and ClusteringModel
// algorithms on small documents whose results are worked out by hand from
// the PMML text. Every case scores x = 1, y = 2, c = "b", b1 b2 b3 = 1 0 1.

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "scored_document.h"

namespace {

using orvane_test::Model;

std::string Document(const std::string& type, const std::string& attributes,
                     const std::string& target, const std::string& body) {
  return orvane_test::Pmml("x y c=a,b b1 b2 b3 t k=A,B,C",
                           Model(type, attributes, "x y c", target, body));
}

// --- NeuralNetwork -------------------------------------------------------

const char kInputs[] =
    "<NeuralInputs><NeuralInput id='i0'><DerivedField optype='continuous' dataType='double'>"
    "<FieldRef field='x'/></DerivedField></NeuralInput><NeuralInput id='i1'><DerivedField "
    "name='in_y' optype='continuous' dataType='double'><FieldRef field='y'/></DerivedField>"
    "</NeuralInput></NeuralInputs>";

// One neuron n: Z = bias + x - 0.5 y (0.5 with the default bias).
std::string OneNeuron(const std::string& layer, const std::string& bias = "0.5") {
  return "<NeuralLayer " + layer + "><Neuron id='n' bias='" + bias + "'><Con from='i0' "
         "weight='1'/><Con from='i1' weight='-0.5'/></Neuron></NeuralLayer>";
}

std::string Output(const std::string& expression = "<FieldRef field='t'/>") {
  return "<NeuralOutputs><NeuralOutput outputNeuron='n'><DerivedField optype='continuous' "
         "dataType='double'>" + expression + "</DerivedField></NeuralOutput></NeuralOutputs>";
}

std::string Network(const std::string& attributes, const std::string& layers,
                    const std::string& outputs = Output(), const std::string& inputs = kInputs) {
  return Document("NeuralNetwork", "functionName='regression' " + attributes, "t",
                  inputs + layers + outputs);
}

std::string Activation(const std::string& function, const std::string& bias = "0.5") {
  return Network("activationFunction='" + function + "'", OneNeuron("", bias));
}

// Three output neurons with biases 1, `middle` and `last`, and no inputs.
std::string Classes(const std::string& layer, const char* middle, const char* last) {
  std::string outputs = "<NeuralOutputs>";
  for (const char* k : {"A", "B", "C"}) {
    outputs += std::string("<NeuralOutput outputNeuron='o") + k + "'><DerivedField optype="
               "'categorical' dataType='string'><NormDiscrete field='k' value='" + k +
               "'/></DerivedField></NeuralOutput>";
  }
  return Document("NeuralNetwork", "functionName='classification' activationFunction='identity'",
                  "k", kInputs + ("<NeuralLayer " + layer) + "><Neuron id='oA' bias='1'/><Neuron "
                  "id='oB' bias='" + middle + "'/><Neuron id='oC' bias='" + last + "'/>"
                  "</NeuralLayer>" + outputs + "</NeuralOutputs>");
}

// --- SupportVectorMachineModel ------------------------------------------

const char kVectors[] =
    "<VectorDictionary><VectorFields><FieldRef field='x'/><FieldRef field='y'/></VectorFields>"
    "<VectorInstance id='v1'><Array n='2' type='real'>1 0</Array></VectorInstance>"
    "<VectorInstance id='v2'><REAL-SparseArray n='2'><Indices>2</Indices><REAL-Entries>1"
    "</REAL-Entries></REAL-SparseArray></VectorInstance><VectorInstance id='v3'>"
    "<REAL-SparseArray n='2'><Indices>2</Indices><REAL-Entries>3</REAL-Entries>"
    "</REAL-SparseArray></VectorInstance></VectorDictionary>";

// A machine over `vectors` with the coefficients `coefficients`, and b.
std::string Machine(const std::vector<const char*>& vectors, const std::string& coefficients,
                    const char* b = "0") {
  std::string machine = "<SupportVectorMachine><SupportVectors>";
  for (const char* v : vectors) machine += "<SupportVector vectorId='" + std::string(v) + "'/>";
  machine += "</SupportVectors><Coefficients absoluteValue='" + std::string(b) + "'>";
  std::istringstream in(coefficients);
  for (std::string c; in >> c;) machine += "<Coefficient value='" + c + "'/>";
  return machine + "</Coefficients></SupportVectorMachine>";
}

// f = 0.5 + K(x, v1) - K(x, v2).
const std::string kMachine = Machine({"v1", "v2"}, "1 -1", "0.5");

std::string Svm(const std::string& attributes, const std::string& kernel,
                const std::string& machines, const char* target = "t",
                const std::string& vectors = kVectors) {
  return Document("SupportVectorMachineModel", attributes, target, kernel + vectors + machines);
}

std::string SvmRegression(const std::string& machines, const std::string& vectors = kVectors) {
  return Svm("functionName='regression'", "<LinearKernelType/>", machines, "t", vectors);
}

// A machine whose value is its absolute coefficient alone.
std::string Constant(const char* targets, const char* b) {
  return "<SupportVectorMachine targetCategory='" + std::string(targets, 1) + "'" +
         (targets[1] ? " alternateTargetCategory='" + std::string(targets + 1) + "'" : "") +
         "><SupportVectors/><Coefficients absoluteValue='" + b + "'/></SupportVectorMachine>";
}

std::string SvmClasses(const std::string& attributes, const std::string& machines) {
  return Svm("functionName='classification' " + attributes, "<LinearKernelType/>", machines, "k");
}

// --- ClusteringModel ----------------------------------------------------

const char kTwoFields[] = "<ClusteringField field='x'/><ClusteringField field='y'/>";
const char kTwoClusters[] =
    "<Cluster id='k1' name='near'><Array n='2' type='real'>0 0</Array></Cluster>"
    "<Cluster name='far'><Array n='2' type='real'>3 4</Array></Cluster>";

std::string Clustering(const std::string& measure, const std::string& fields = kTwoFields,
                       const std::string& clusters = kTwoClusters, const std::string& extra = "",
                       const char* model_class = "centerBased") {
  return Document("ClusteringModel",
                  "functionName='clustering' modelClass='" + std::string(model_class) + "'", "",
                  measure + fields + extra + clusters);
}

std::string Measure(const std::string& inner, const char* kind = "distance",
                    const std::string& attributes = "") {
  return "<ComparisonMeasure kind='" + std::string(kind) + "' " + attributes + ">" + inner +
         "</ComparisonMeasure>";
}

std::string Binary(const std::string& measure) {
  return Clustering(Measure(measure, "similarity"),
                    "<ClusteringField field='b1'/><ClusteringField field='b2'/>"
                    "<ClusteringField field='b3'/>",
                    "<Cluster id='k1'><Array n='3' type='real'>1 1 0</Array></Cluster>"
                    "<Cluster><Array n='3' type='real'>0 0 1</Array></Cluster>");
}

// c compared by `compare`, against clusters a and "b" (quoted).
std::string Category(const char* kind, const std::string& compare) {
  return Clustering(Measure("<cityBlock/>", kind), "<ClusteringField field='c' "
                    "compareFunction=" + compare + "</ClusteringField>",
                    "<Cluster id='k1'><Array n='1' type='string'>a</Array></Cluster>"
                    "<Cluster><Array n='1' type='string'>\"b\"</Array></Cluster>");
}

// --- The cases ----------------------------------------------------------

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

struct ScoreCase {
  const char* name;
  std::string document;
  double value;                           // regression (kNone: classification or clustering)
  const char* category = "";
  std::vector<double> distribution = {};  // probabilities, or affinities of k1 and 2
  const char* entity = "";
  const char* drop = "";  // an input the case lacks
};

void ExpectScores(const std::vector<ScoreCase>& cases) {
  for (const ScoreCase& c : cases) {
    SCOPED_TRACE(c.name);
    orvane_test::Inputs inputs = {{"x", "1"},  {"y", "2"},  {"c", "b"},
                                  {"b1", "1"}, {"b2", "0"}, {"b3", "1"}};
    inputs.erase(c.drop);
    const orvane_test::Prediction p = orvane_test::ScoreDocument(c.document, inputs, {"k1", "2"});
    EXPECT_TRUE(p.valid);
    if (!std::isnan(c.value)) orvane_test::ExpectClose(p.value, c.value);
    EXPECT_EQ(p.category, c.category);
    EXPECT_EQ(p.entity_id, c.entity);
    orvane_test::ExpectDistribution(*c.entity != '\0' ? p.affinities : p.probabilities,
                                    c.distribution);
  }
}

TEST(NeuralNetwork, MatchesHandWork) {
  const std::string radial = "activationFunction='radialBasis' width='2' altitude='1.5'";
  ExpectScores({
      {"Threshold", Activation("threshold"), 1.0},
      {"ThresholdAbove", Network("activationFunction='threshold' threshold='0.7'", OneNeuron("")),
       0.0},
      {"Tanh", Activation("tanh"), 0.46211715726000974},
      {"Exponential", Activation("exponential"), 1.6487212707001282},
      {"Reciprocal", Activation("reciprocal"), 2.0},
      {"Square", Activation("square"), 0.25},
      {"Gauss", Activation("Gauss"), 0.7788007830714049},
      {"Sine", Activation("sine"), 0.479425538604203},
      {"Cosine", Activation("cosine"), 0.8775825618903728},
      {"Elliott", Activation("Elliott"), 1.0 / 3.0},
      {"Arctan", Activation("arctan"), 0.2951672353008665},
      {"Rectifier", Activation("rectifier"), 0.5},
      {"RectifierNegative", Activation("rectifier", "-2"), 0.0},
      // Z = ((1 - 1)^2 + (2 + 0.5)^2) / (2 * 2^2); 1.5^2 * exp(-Z); the bias plays no part.
      {"RadialBasis", Network(radial, OneNeuron("", "9")), 1.0301250639861321},
      {"RadialBasisLayerWidth", Network("activationFunction='logistic'", OneNeuron(radial)),
       1.0301250639861321},
      {"LayerOverridesActivation",
       Network("activationFunction='logistic'", OneNeuron("activationFunction='identity'")), 0.5},
      {"TwoLayers",  // 1 + 2 * logistic(x)
       Network("activationFunction='logistic'",
               "<NeuralLayer><Neuron id='h' bias='0'><Con from='i0' weight='1'/></Neuron>"
               "</NeuralLayer><NeuralLayer activationFunction='identity'><Neuron id='n' "
               "bias='1'><Con from='h' weight='2'/></Neuron></NeuralLayer>"),
       2.4621171572600096},
      {"NormContinuousOutput",  // 0.5 on 0.1..0.9 is 5 on 0..10
       Network("activationFunction='identity'", OneNeuron(""),
               Output("<NormContinuous field='t'><LinearNorm orig='0' norm='0.1'/>"
                      "<LinearNorm orig='10' norm='0.9'/></NormContinuous>")),
       5.0},
      {"NormContinuousBeyondLastPoint",
       Network("activationFunction='identity'", OneNeuron(""),
               Output("<NormContinuous field='t'><LinearNorm orig='0' norm='0'/><LinearNorm "
                      "orig='1' norm='0.25'/><LinearNorm orig='3' norm='0.45'/>"
                      "</NormContinuous>")),
       3.5},
      {"NormDiscreteInput",
       Network("activationFunction='identity'",
               "<NeuralLayer><Neuron id='n' bias='0.25'><Con from='i' weight='3'/></Neuron>"
               "</NeuralLayer>", Output(),
               "<NeuralInputs><NeuralInput id='i'><DerivedField optype='continuous' "
               "dataType='double'><NormDiscrete field='c' value='b'/></DerivedField>"
               "</NeuralInput></NeuralInputs>"),
       3.25},
      {"LayerSimplemax", Classes("normalizationMethod='simplemax'", "0.5", "0.5"), kNone, "A",
       {0.5, 0.25, 0.25}},
      {"NoNormalization", Classes("", "2", "0"), kNone, "B", {1.0, 2.0, 0.0}},
  });
}

TEST(SupportVectorMachineModel, MatchesHandWork) {
  const std::string vs_ab = Constant("AB", "-0.5");
  const std::string all = Constant("A", "0.3") + Constant("B", "-0.2") + Constant("C", "0.1");
  ExpectScores({
      {"Linear", SvmRegression(kMachine), -0.5},
      {"Sigmoid", Svm("functionName='regression'", "<SigmoidKernelType gamma='0.5' coef0='1'/>",
                      kMachine), 0.4411206735690496},
      {"SparseVector", SvmRegression(Machine({"v3"}, "1")), 6.0},
      {"CoefficientsRepresentation",
       Svm("functionName='regression' svmRepresentation='Coefficients'", "<LinearKernelType/>",
           "<SupportVectorMachine><Coefficients absoluteValue='0.5'><Coefficient value='2'/>"
           "<Coefficient value='3'/></Coefficients></SupportVectorMachine>"),
       8.5},
      {"CategoricalPredictor",  // x = (1, 2): c is b
       SvmRegression(Machine({"u"}, "1"),
                     "<VectorDictionary><VectorFields><FieldRef field='x'/><CategoricalPredictor "
                     "name='c' value='b' coefficient='2'/></VectorFields><VectorInstance id='u'>"
                     "<Array n='2' type='real'>1 1</Array></VectorInstance></VectorDictionary>"),
       3.0},
      {"BinaryBelowThreshold", SvmClasses("", vs_ab), kNone, "A", {1, 0, 0}},
      {"BinaryMachineThreshold",
       SvmClasses("", "<SupportVectorMachine targetCategory='A' alternateTargetCategory='B' "
                      "threshold='-1'><SupportVectors/><Coefficients absoluteValue='-0.5'/>"
                      "</SupportVectorMachine>"),
       kNone, "B", {0, 1, 0}},
      {"BinaryModelThreshold", SvmClasses("threshold='-1'", vs_ab), kNone, "B", {0, 1, 0}},
      {"BinaryMaxWins", SvmClasses("maxWins='true'", vs_ab), kNone, "B", {0, 1, 0}},
      {"AlternateBinaryTargetCategory",
       SvmClasses("alternateBinaryTargetCategory='C'", Constant("A", "0.5")), kNone, "C",
       {0, 0, 1}},
      {"OneAgainstOneTieGoesToTheFirst",
       SvmClasses("classificationMethod='OneAgainstOne'",
                  Constant("AB", "-1") + Constant("AC", "1") + Constant("BC", "-1")),
       kNone, "A", {1.0 / 3, 1.0 / 3, 1.0 / 3}},
      {"OneAgainstAllSmallest", SvmClasses("", all), kNone, "B"},
      {"OneAgainstAllMaxWins", SvmClasses("maxWins='true'", all), kNone, "A"},
  });
}

TEST(ClusteringModel, MatchesHandWork) {
  const std::string squared = Measure("<squaredEuclidean/>");
  ExpectScores({
      {"Euclidean", Clustering(Measure("<euclidean/>")), kNone, "near",
       {2.23606797749979, 2.8284271247461903}, "k1"},
      {"CityBlock", Clustering(Measure("<cityBlock/>")), kNone, "near", {3, 4}, "k1"},
      {"ChebychevTieGoesToTheFirst", Clustering(Measure("<chebychev/>")), kNone, "near", {2, 2},
       "k1"},
      {"Minkowski", Clustering(Measure("<minkowski p-parameter='3'/>")), kNone, "near",
       {2.080083823051904, 2.5198420997897464}, "k1"},
      {"FieldWeight",
       Clustering(squared, "<ClusteringField field='x'/><ClusteringField field='y' "
                           "fieldWeight='2'/>"),
       kNone, "near", {9, 12}, "k1"},
      {"NotACenterField",
       Clustering(squared, kTwoFields + std::string("<ClusteringField field='c' "
                                                     "isCenterField='false'/>")),
       kNone, "near", {5, 8}, "k1"},
      {"GaussSimilarity",  // exp(-ln 2 * d^2 / 1) summed
       Clustering(Measure("<cityBlock/>", "similarity", "compareFunction='gaussSim'"),
                  "<ClusteringField field='x' similarityScale='1'/>"
                  "<ClusteringField field='y' similarityScale='1'/>"),
       kNone, "near", {0.5625, 0.125}, "k1"},
      {"MissingAdjusted",  // y missing: 2 / 1 times the x term
       Clustering(Measure("<euclidean/>")), kNone, "near",
       {1.4142135623730951, 2.8284271247461903}, "k1", "y"},
      {"MissingValueWeights",  // y missing: (1 + 3) / 1 times the x term
       Clustering(squared, kTwoFields, kTwoClusters,
                  "<MissingValueWeights><Array n='2' type='real'>1 3</Array>"
                  "</MissingValueWeights>"),
       kNone, "near", {4, 16}, "k1", "y"},
      {"Delta", Category("distance", "'delta'>"), kNone, "2", {1, 0}, "2"},
      {"Equal", Category("similarity", "'equal'>"), kNone, "2", {0, 1}, "2"},
      {"Table",
       Category("similarity", "'table'><Comparisons><Matrix><Array n='2' type='real'>1 0.2"
                              "</Array><Array n='2' type='real'>0.2 1</Array></Matrix>"
                              "</Comparisons>"),
       kNone, "2", {0.2, 1}, "2"},
      {"SimpleMatching", Binary("<simpleMatching/>"), kNone, "2", {1.0 / 3, 2.0 / 3}, "2"},
      {"Jaccard", Binary("<jaccard/>"), kNone, "2", {1.0 / 3, 0.5}, "2"},
      {"Tanimoto", Binary("<tanimoto/>"), kNone, "2", {0.2, 0.5}, "2"},
      {"BinarySimilarity",
       Binary("<binarySimilarity c00-parameter='1' c01-parameter='0' c10-parameter='0' "
              "c11-parameter='2' d00-parameter='1' d01-parameter='1' d10-parameter='1' "
              "d11-parameter='1'/>"),
       kNone, "2", {2.0 / 3, 1}, "2"},
  });
}

// Cases without x and y get no prediction; advice 102 names each input.
TEST(NetworkSvmCluster, NoPredictionGivesAdvice) {
  const struct {
    std::string document;
    std::vector<std::string> infos;
  } kCases[] = {
      {Activation("identity"), {"NeuralInput i0", "in_y"}},
      {SvmRegression(kMachine), {"x", "y"}},
      {Clustering(Measure("<euclidean/>")), {"x", "y"}},
  };
  for (const auto& c : kCases) {
    orvane_test::ExpectNoScore(orvane_test::ScoreDocument(c.document, {{"c", "b"}}), 102, c.infos);
  }
}

TEST(NetworkSvmCluster, RefusesWhatTheyCannotScore) {
  const std::string identity = "activationFunction='identity'";
  orvane_test::ExpectRefusals({
      {"UnknownFunction", Document("NeuralNetwork", "functionName='clustering' " + identity, "t",
                                   ""),
       5, "NeuralNetwork: functionName \"clustering\" is not supported"},
      {"NotScorable", Svm("functionName='regression' isScorable='false'", "<LinearKernelType/>",
                          kMachine),
       5, "SupportVectorMachineModel: isScorable=\"false\": the model is not meant to be scored"},
      {"UnknownActivation", Activation("softsign"), 5,
       "NeuralNetwork: activationFunction \"softsign\" is not supported"},
      {"UnknownLayerNormalization", Network(identity, OneNeuron("normalizationMethod='odd'")), 5,
       "NeuralLayer: normalizationMethod \"odd\" is not supported"},
      {"RadialBasisWithoutWidth", Activation("radialBasis"), 4,
       "Neuron n: attribute width is absent (radialBasis)"},
      {"UnknownConnection",
       Network(identity, "<NeuralLayer><Neuron id='n'><Con from='zz' weight='1'/></Neuron>"
                         "</NeuralLayer>"),
       1, "Con: zz is no input or neuron of an earlier layer"},
      {"UnmappableOutput", Network(identity, OneNeuron(""), Output("<Discretize field='t'/>")), 5,
       "NeuralOutput n: Discretize does not map the output of a regression"},
      {"CoefficientsWithRadialBasis",
       Svm("functionName='regression' svmRepresentation='Coefficients'",
           "<RadialBasisKernelType/>", kMachine),
       5, "SupportVectorMachineModel: svmRepresentation \"Coefficients\" needs a linear kernel"},
      {"NoKernel", Svm("functionName='regression'", "", kMachine), 1,
       "SupportVectorMachineModel: exactly one kernel type is needed"},
      {"UnknownVector", SvmRegression(Machine({"v9"}, "1")), 1,
       "SupportVector: vectorId v9 is not in the VectorDictionary"},
      {"CoefficientCount", SvmRegression(Machine({"v1", "v2"}, "1")), 12,
       "Coefficients: 1 coefficients for 2 support vectors"},
      {"OneAgainstOneWithoutAlternate",
       SvmClasses("classificationMethod='OneAgainstOne'", Constant("A", "1") + Constant("B", "1")),
       4, "SupportVectorMachine: attribute alternateTargetCategory is absent"},
      {"UnknownClassificationMethod", SvmClasses("classificationMethod='Pairs'", kMachine), 5,
       "SupportVectorMachineModel: classificationMethod \"Pairs\" is not supported"},
      {"SparseIndexOutside",
       SvmRegression(kMachine,
                     "<VectorDictionary><VectorFields><FieldRef field='x'/><FieldRef field='y'/>"
                     "</VectorFields><VectorInstance id='v1'><REAL-SparseArray n='2'><Indices>3"
                     "</Indices><REAL-Entries>1</REAL-Entries></REAL-SparseArray>"
                     "</VectorInstance></VectorDictionary>"),
       12, "REAL-SparseArray: an index lies outside 1..2"},
      {"DistributionBased",
       Clustering(Measure("<euclidean/>"), kTwoFields, kTwoClusters, "", "distributionBased"), 5,
       "ClusteringModel: modelClass \"distributionBased\" is not supported: PMML defines no "
       "scoring procedure for it"},
      {"UnknownMeasure", Clustering(Measure("<mahalanobis/>")), 5,
       "mahalanobis in ComparisonMeasure is not supported"},
      {"MinkowskiWithoutP", Clustering(Measure("<minkowski/>")), 4,
       "minkowski: attribute p-parameter is absent"},
      {"GaussSimWithoutScale",
       Clustering(Measure("<euclidean/>", "distance", "compareFunction='gaussSim'")), 4,
       "ClusteringField x: gaussSim needs a positive similarityScale"},
      {"CenterSize",
       Clustering(Measure("<euclidean/>"), kTwoFields,
                  "<Cluster name='near'><Array n='1' type='real'>0</Array></Cluster>"),
       12, "Cluster near: 1 coordinates for 2 center fields"},
      {"ArrayCount",
       Clustering(Measure("<euclidean/>"), kTwoFields,
                  "<Cluster name='near'><Array n='3' type='real'>0 0</Array></Cluster>"),
       12, "Array: n is 3 but 2 entries follow"},
  });
}

}  // namespace
