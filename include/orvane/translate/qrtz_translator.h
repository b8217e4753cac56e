#ifndef ORVANE_TRANSLATE_QRTZ_TRANSLATOR_H_
#define ORVANE_TRANSLATE_QRTZ_TRANSLATOR_H_

#include <string>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane/translate/base_translator.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {

class ScoreDictionary;

// The vocabulary of the vendor's "qrtz-ml" documents: element names,
// attribute names and keywords, each held once. Comparisons against them are
// exact and case-sensitive. The words are constants made when the library is
// loaded; code that runs during another library's static initialisation must
// not read them. Never instantiated.
class QRTZTags {
 public:
  QRTZTags() = delete;

  // The dictionary.
  static const std::string gDictionary;
  static const std::string gVariable;
  static const std::string gName;
  static const std::string gStorageType;
  static const std::string gLabel;
  static const std::string gMeasurementLevel;
  static const std::string gCategories;
  static const std::string gCategory;
  static const std::string gValue;
  static const std::string gDisplayValue;
  static const std::string gMissingValues;
  static const std::string gRange;
  static const std::string gVarStats;
  static const std::string gMinimum;
  static const std::string gMaximum;
  static const std::string gMean;
  static const std::string gStandardDeviation;
  static const std::string gFormatSpec;
  static const std::string gFormat;
  static const std::string gDecimals;
  static const std::string gWidth;

  // Keywords of attribute values.
  static const std::string gSTRING;
  static const std::string gNUMERIC;
  static const std::string gUNKNOWN;
  static const std::string gCONTINUOUS;
  static const std::string gNOMINAL;
  static const std::string gORDINAL;
  static const std::string gLOWEST;
  static const std::string gHIGHEST;
  static const std::string gINF;
  static const std::string gMinusINF;  // "-INF"
  static const std::string gNaN;

  // The document and its models.
  static const std::string gQrtzMl;
  static const std::string gModel;
  static const std::string gRegressionModel;
  static const std::string gDiscriminantModel;
  static const std::string gModelType;
  static const std::string gVersion;
  static const std::string gUniqueId;
  static const std::string gVerboseModelSpecification;
  static const std::string gTargetVariableName;
  static const std::string gTargetCategory;
  static const std::string gNumberParameters;
  static const std::string gNumberFunctions;
  static const std::string gModelDf;
  static const std::string gDf;

  // Model types.
  static const std::string gGeneralLinear;
  static const std::string gLogLinear;
  static const std::string gMultinomialLogistic;
  static const std::string gConditionalLogistic;
  static const std::string gRegression;

  // Parameters, predictors and factor lists.
  static const std::string gParameter;
  static const std::string gParameterList;
  static const std::string gParameterName;
  static const std::string gPredictor;
  static const std::string gPredictorName;
  static const std::string gCovariateList;
  static const std::string gFactorList;
  static const std::string gBeta;

  // Matrices, tables and their cells.
  static const std::string gRow;
  static const std::string gColumn;
  static const std::string gCell;
  static const std::string gPCell;
  static const std::string gPTable;
  static const std::string gPCol;
  static const std::string gPRow;
  static const std::string gTCol;
  static const std::string gTRow;
  static const std::string gPcovCell;
  static const std::string gPcovMatrix;
  static const std::string gPpCell;
  static const std::string gPpMatrix;
  static const std::string gFgcMatrix;
  static const std::string gFunctionCoefficients;
  static const std::string gInvGcovMatrices;
  static const std::string gInvGcovMatrix;
  static const std::string gPriorVector;
  static const std::string gPriorValue;
  static const std::string gBoxTest;

  // Statistics.
  static const std::string gSignificance;
  static const std::string gMedian;
  static const std::string gInterQuartileRange;
  static const std::string gProportion;
  static const std::string gRank;
};

// The base of the translators that model plug-ins supply for "qrtz-ml"
// documents. It builds no model itself (ParseFromTree of a document stays
// for the plug-in); it reads the document's "dictionary" element.
class QRTZTranslator : public BaseTranslator {
 public:
  // Leaves the transcoder null: the derived translator calls CreateTranscoder
  // for the document's encoding before ParseDictionary.
  QRTZTranslator();
  QRTZTranslator(const QRTZTranslator& other);
  QRTZTranslator& operator=(const QRTZTranslator& other);
  ~QRTZTranslator() override;

  using BaseTranslator::ParseFromTree;

  // Reads a "dictionary" element into a new BaseDictionary that the caller
  // owns; `dictionary` is lent. Names, labels and string values are converted
  // with the transcoder (the default code page when none was created).
  // Throws OVException for a malformed dictionary, and lets the Xerces
  // NumberFormatException of a bad "format-spec" number through; either way
  // nothing that was built survives the throw.
  ScoreDictionary* ParseDictionary(xercesc::DOMElement* dictionary);
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_QRTZ_TRANSLATOR_H_
