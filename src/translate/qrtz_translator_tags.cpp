#include "orvane/translate/qrtz_translator.h"

// The vocabulary of "qrtz-ml" documents; made once when the library is loaded.

namespace MCOrvane_600 {

const std::string QRTZTags::gDictionary = "dictionary";
const std::string QRTZTags::gVariable = "variable";
const std::string QRTZTags::gName = "name";
const std::string QRTZTags::gStorageType = "storage-type";
const std::string QRTZTags::gLabel = "label";
const std::string QRTZTags::gMeasurementLevel = "measurement-level";
const std::string QRTZTags::gCategories = "categories";
const std::string QRTZTags::gCategory = "category";
const std::string QRTZTags::gValue = "value";
const std::string QRTZTags::gDisplayValue = "display-value";
const std::string QRTZTags::gMissingValues = "missing-values";
const std::string QRTZTags::gRange = "range";
const std::string QRTZTags::gVarStats = "var-stats";
const std::string QRTZTags::gMinimum = "minimum";
const std::string QRTZTags::gMaximum = "maximum";
const std::string QRTZTags::gMean = "mean";
const std::string QRTZTags::gStandardDeviation = "standard-deviation";
const std::string QRTZTags::gFormatSpec = "format-spec";
const std::string QRTZTags::gFormat = "format";
const std::string QRTZTags::gDecimals = "decimals";
const std::string QRTZTags::gWidth = "width";

const std::string QRTZTags::gSTRING = "STRING";
const std::string QRTZTags::gNUMERIC = "NUMERIC";
const std::string QRTZTags::gUNKNOWN = "UNKNOWN";
const std::string QRTZTags::gCONTINUOUS = "CONTINUOUS";
const std::string QRTZTags::gNOMINAL = "NOMINAL";
const std::string QRTZTags::gORDINAL = "ORDINAL";
const std::string QRTZTags::gLOWEST = "LOWEST";
const std::string QRTZTags::gHIGHEST = "HIGHEST";
const std::string QRTZTags::gINF = "INF";
const std::string QRTZTags::gMinusINF = "-INF";
const std::string QRTZTags::gNaN = "NaN";

const std::string QRTZTags::gQrtzMl = "qrtz-ml";
const std::string QRTZTags::gModel = "model";
const std::string QRTZTags::gRegressionModel = "regression-model";
const std::string QRTZTags::gDiscriminantModel = "discriminant-model";
const std::string QRTZTags::gModelType = "model-type";
const std::string QRTZTags::gVersion = "version";
const std::string QRTZTags::gUniqueId = "unique-id";
const std::string QRTZTags::gVerboseModelSpecification = "verbose-model-specification";
const std::string QRTZTags::gTargetVariableName = "target-variable-name";
const std::string QRTZTags::gTargetCategory = "target-category";
const std::string QRTZTags::gNumberParameters = "number-parameters";
const std::string QRTZTags::gNumberFunctions = "number-functions";
const std::string QRTZTags::gModelDf = "model-df";
const std::string QRTZTags::gDf = "df";

const std::string QRTZTags::gGeneralLinear = "general-linear";
const std::string QRTZTags::gLogLinear = "log-linear";
const std::string QRTZTags::gMultinomialLogistic = "multinomial-logistic";
const std::string QRTZTags::gConditionalLogistic = "conditional-logistic";
const std::string QRTZTags::gRegression = "regression";

const std::string QRTZTags::gParameter = "parameter";
const std::string QRTZTags::gParameterList = "parameter-list";
const std::string QRTZTags::gParameterName = "parameter-name";
const std::string QRTZTags::gPredictor = "predictor";
const std::string QRTZTags::gPredictorName = "predictor-name";
const std::string QRTZTags::gCovariateList = "covariate-list";
const std::string QRTZTags::gFactorList = "factor-list";
const std::string QRTZTags::gBeta = "beta";

const std::string QRTZTags::gRow = "row";
const std::string QRTZTags::gColumn = "column";
const std::string QRTZTags::gCell = "cell";
const std::string QRTZTags::gPCell = "p-cell";
const std::string QRTZTags::gPTable = "p-table";
const std::string QRTZTags::gPCol = "p-col";
const std::string QRTZTags::gPRow = "p-row";
const std::string QRTZTags::gTCol = "t-col";
const std::string QRTZTags::gTRow = "t-row";
const std::string QRTZTags::gPcovCell = "pcov-cell";
const std::string QRTZTags::gPcovMatrix = "pcov-matrix";
const std::string QRTZTags::gPpCell = "pp-cell";
const std::string QRTZTags::gPpMatrix = "pp-matrix";
const std::string QRTZTags::gFgcMatrix = "fgc-matrix";
const std::string QRTZTags::gFunctionCoefficients = "function-coefficients";
const std::string QRTZTags::gInvGcovMatrices = "inv-gcov-matrices";
const std::string QRTZTags::gInvGcovMatrix = "inv-gcov-matrix";
const std::string QRTZTags::gPriorVector = "prior-vector";
const std::string QRTZTags::gPriorValue = "prior-value";
const std::string QRTZTags::gBoxTest = "box-test";

const std::string QRTZTags::gSignificance = "significance";
const std::string QRTZTags::gMedian = "median";
const std::string QRTZTags::gInterQuartileRange = "inter-quartile-range";
const std::string QRTZTags::gProportion = "proportion";
const std::string QRTZTags::gRank = "rank";

}  // namespace MCOrvane_600
