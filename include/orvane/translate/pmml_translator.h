#ifndef ORVANE_TRANSLATE_PMML_TRANSLATOR_H_
#define ORVANE_TRANSLATE_PMML_TRANSLATOR_H_

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/transform/transform_function_names.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/base_translator.h"
#include "orvane/translate/pmml_read_options.h"
#include "orvane/values/score_value.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
class DOMNode;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {

class FunctionTree;
class ScoreDictionary;
class ScoreMissingValueSet;
class ScoreModel;
class ScoreValueRange;
class TransformVar;

// Reads the dictionaries of a PMML document: the "DataDictionary" into a
// dictionary of variables, the "TransformationDictionary" into derived
// variables. Every document fault throws an OVException with a fixed message;
// whatever a failing read has built is destroyed before the exception leaves.
// Must be used, copied and destroyed while the Xerces platform is initialised
// (its transcoder comes from the transcoding service).
class PMMLTranslator : public BaseTranslator {
 public:
  // Strings of the document are converted into the code page `encoding`;
  // an empty name means "CP1252". The transcoder is made on first use.
  PMMLTranslator();
  explicit PMMLTranslator(const std::string& encoding);
  // Copies the function table and the encoding; the transcoder is the base's
  // business (each copy owns its own).
  PMMLTranslator(const PMMLTranslator& other);
  PMMLTranslator& operator=(const PMMLTranslator& other);
  ~PMMLTranslator() override;

  // How the next reads interpret the document; the library's own dialect
  // unless set.
  void SetReadOptions(const PMMLReadOptions& options) { options_ = options; }
  const PMMLReadOptions& GetReadOptions() const { return options_; }

  using BaseTranslator::ParseFromTree;
  // Builds no model and returns null; model plug-ins derive from this class
  // and override it. `document` is lent.
  ScoreModel* ParseFromTree(xercesc::DOMDocument* document, const std::string& arg) override;

  // Reads a "DataDictionary" element into a new dictionary of DictVars. The
  // caller owns the result and its variables. Throws OVException (and lets
  // the Xerces number-format exception of "numberOfFields" pass); nothing is
  // left behind on failure.
  ScoreDictionary* ParseDictionary(xercesc::DOMNode* dataDictionary);

  // The numbers of an "Array" element (as many as its "n" says, when given)
  // or of an "x-BasisRow"/"X-BasisRow" element (exactly `count`).
  std::vector<double> VerifyDoubleArray(xercesc::DOMElement* array, int count);

  // Reads a "TransformationDictionary" element into a new dictionary of
  // derived variables that the caller owns; `data` (lent) is the document's
  // data dictionary.
  // With standard PMML read options, `transformations` may also be a
  // model's "LocalTransformations" and may be empty; the "DefineFunction"s of
  // a "TransformationDictionary" are kept for the later reads of this
  // translator (the document must outlive them).
  TransformationDictionary* HandleTransformationDictionary(xercesc::DOMElement* transformations,
                                                           const ScoreDictionary* data);

  // Reads each element of `fields` ("DerivedField"s, or "OutputField"s that
  // carry an expression) as a standard PMML derived field into a new
  // dictionary that the caller owns. Fields may refer to the names of
  // `visible` (lent) and to earlier fields of the list, and call the
  // functions defined by the TransformationDictionary read before.
  TransformationDictionary* HandleDerivedFields(const std::vector<xercesc::DOMElement*>& fields,
                                                const ScoreDictionary* visible);

 private:
  // Reads one "DataField"; defined beside ParseDictionary.
  class DataFieldReader;
  // Reads standard PMML expressions; defined in pmml_standard_reader.cpp.
  class StandardReader;

  // HandleTransformationDictionary for standard PMML documents.
  TransformationDictionary* HandleStandardTransformations(xercesc::DOMElement* transformations,
                                                          const ScoreDictionary* data);

  // Standard PMML: the level of a field whose "optype" is `optype`; a text
  // that names no PMML optype reads as `dataType` implies (continuous for
  // numbers, categorical otherwise).
  static ScoreDictVar::MeasureLevel StandardMeasureLevel(const std::string& optype,
                                                         const std::string& dataType);

  // Adds to `set` the numbers outside the union of the valid "Interval"s
  // `intervals` (lent).
  static void handleIntervalUnion(const std::vector<xercesc::DOMElement*>& intervals,
                                  ScoreMissingValueSet* set);

  // The date/time encoding a "dataType" text names; kNO_DATETIME for any
  // other text.
  ScoreDictVar::DateTimeType ParseDateTimeType(const XMLCh* dataType);

  // Adds the vendor's invalid range to `set` for the range-flag sum `flags`
  // (1: lower bound given, 10: upper bound given, 11: both; an absent bound is
  // an infinity). False, with nothing added, for 0; throws code 5 when a bound
  // was given twice. Does not take ownership of `set`.
  bool HandleQRTZMissingInterval(ScoreMissingValueSet* set, int flags, double lower, double upper);

  // Adds to `set` the values outside the valid "Interval" `interval`: the
  // range below the left margin and the range above the right margin. The
  // variable and the last argument are not read. Lends all pointers.
  static void handleInterval(ScoreDictVar* var, xercesc::DOMNode* interval,
                             ScoreMissingValueSet* set, int reserved);

  // Adds the interval `interval` itself to `set`: a tree interval names the
  // missing values. A null interval adds nothing. Lends all pointers.
  static void handleTreeInterval(xercesc::DOMNode* interval, ScoreMissingValueSet* set);

  // The transformation reader.
  // TransformVar::FindVariable, with the dictionary under construction looked
  // up in derived_index_.
  const ScoreDictVar* FindField(const std::string& name, const ScoreDictionary* data,
                                const ScoreDictionary* derived) const;
  void InitFunctionMap();
  TransformationDictionary::TransformFunction GetTransFunction(const std::string& name);
  std::string HandleFieldRef(xercesc::DOMElement* fieldRef, const ScoreDictionary* data,
                             const ScoreDictionary* derived, const ScoreDictVar* target);
  std::string HandelConstant(xercesc::DOMElement* constant, double& number,
                             ScoreValue::ValueType& type);
  std::string HandleNorContinuous(xercesc::DOMElement* norm, ScoreDictVar* target,
                                  const ScoreDictionary* data, const ScoreDictionary* derived);
  std::string HandleMapValues(xercesc::DOMElement* mapValues, ScoreDictVar* target,
                              const ScoreDictionary* data, const ScoreDictionary* derived);
  std::string HandleDiscritize(xercesc::DOMElement* discretize, ScoreDictVar* target,
                               const ScoreDictionary* data, const ScoreDictionary* derived);
  ScoreValueRange* HandleDiscretizeBinInterVal(xercesc::DOMElement* interval, int binsSoFar);
  FunctionTree* HandleApply(xercesc::DOMElement* apply, const ScoreDictVar* target,
                            FunctionTree* parent, const ScoreDictionary* data,
                            const ScoreDictionary* derived);
  void SetLeafNodeStats(const std::string& parameterName, FunctionTree* parent, int index,
                        bool isConstant);
  void HandleValueList(xercesc::DOMElement* derivedField, TransformVar* var);
  void handleDerivedVarMissingValue(xercesc::DOMElement* extension, TransformVar* var);
  void HandleQRTZExtensions(xercesc::DOMElement* extension, ScoreDictVar* var);
  void VerifyApplyFunction(
      const std::vector<std::string>& names, const std::vector<int>& kinds,
      const ScoreDictionary* data, const ScoreDictionary* derived,
      TransformationDictionary::TransformFunction f,
      const std::vector<TransformationDictionary::TransformFunction>& childFunctions,
      const ScoreDictVar* target);
  void VerifyOneElem(bool numericExpected, bool isConstant, const std::string& name,
                     const ScoreDictionary* data, const ScoreDictionary* derived);
  bool IsNumericFunction(TransformationDictionary::TransformFunction f);
  bool IsStringFunction(TransformationDictionary::TransformFunction f);
  void VerifyParentAndChildFunction(TransformationDictionary::TransformFunction parent,
                                    TransformationDictionary::TransformFunction child);

  // Built-in function names, filled by the transformation reader.
  TransformFunctionMap function_map_;
  // The code page of string values.
  std::string encoding_;
  PMMLReadOptions options_;
  // The "DefineFunction" elements of the last standard TransformationDictionary
  // read, by name; lent by the document.
  std::map<std::string, xercesc::DOMElement*> define_functions_;
  // Standard PMML: the "DataField" elements of the last data dictionary read,
  // by name, for the validity of their values; lent by the document.
  std::map<std::string, xercesc::DOMElement*> data_fields_;
  // Expression-tree nodes made so far by the transformation reader; their IDs.
  int node_counter_ = 0;
  // Nesting of the Apply element being read; bounded so that no document can
  // exhaust the stack of the reader, the evaluator or the destructor.
  int apply_depth_ = 0;
  // While HandleTransformationDictionary runs: the dictionary it builds
  // (lent) and that dictionary's variables by name, a hashed twin for the
  // many lookups of a read. Null and empty otherwise; never copied.
  const ScoreDictionary* indexed_ = nullptr;
  std::unordered_map<std::string, const ScoreDictVar*> derived_index_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_PMML_TRANSLATOR_H_
