// ModelFactory::GetTransformationDictionaryFromXML: the data and the
// transformation dictionary of a PMML document, without a model.
//
// Each call owns one Xerces session: the platform is initialised on entry
// and terminated on every way out, after the translator and the parser (and
// with it the document) are gone. Nothing returned refers to the document.

#include <fstream>
#include <istream>
#include <memory>
#include <string>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/XMLException.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/base_translator.h"
#include "orvane/translate/mcx_input_source.h"
#include "orvane/translate/model_factory.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/ov_exception.h"
#include "translate/xml_document_parse.h"

namespace MCOrvane_600 {

namespace {

using T = PMMLModelTags;

}  // namespace

TransformationDictionary* ModelFactory::GetTransformationDictionaryFromXML(
    const std::string& fileName, ScoreDictionary*& dictionary, const std::string& encoding) {
  return GetTransformationDictionaryFromXML(fileName, dictionary, encoding, PMMLReadOptions());
}

TransformationDictionary* ModelFactory::GetTransformationDictionaryFromXML(
    std::istream& in, ScoreDictionary*& dictionary, const std::string& encoding) {
  return GetTransformationDictionaryFromXML(in, dictionary, encoding, PMMLReadOptions());
}

TransformationDictionary* ModelFactory::GetTransformationDictionaryFromXML(
    const std::string& fileName, ScoreDictionary*& dictionary, const std::string& encoding,
    const PMMLReadOptions& options) {
  std::ifstream in(fileName);
  if (!in.is_open()) throw OVException(OVException::kCodeOpen, "Could not open model file");
  return GetTransformationDictionaryFromXML(in, dictionary, encoding, options);
}

TransformationDictionary* ModelFactory::GetTransformationDictionaryFromXML(
    std::istream& in, ScoreDictionary*& dictionary, const std::string& encoding,
    const PMMLReadOptions& options) {
  // Declared in the order of need, so they are released in the reverse one:
  // the translator and the parser before the platform goes.
  const xml_internal::XercesPlatformSession session;
  xml_internal::ParserGuards guards;
  std::unique_ptr<xercesc::XercesDOMParser> parser = guards.NewReaderParser();

  xercesc::DOMDocument* document = nullptr;
  {
    const MCXML_600::MCXInputSource source(in);
    document = xml_internal::ParseDocument(parser.get(), source);
  }
  xercesc::DOMElement* root = document->getDocumentElement();
  if (root == nullptr) {
    throw OVException(OVException::kCodeOpen,
                      "\nInvalid Input XML document or no dtd file avaible in current directory");
  }
  if (!BaseTranslator::IsEqual(root->getTagName(), T::XML_ELE_PMML)) return nullptr;

  xercesc::DOMNode* data_element =
      BaseTranslator::GetChildByTagForced(root, T::XML_ELE_DATADICTIONARY);
  // A standard document without a TransformationDictionary derives nothing.
  xercesc::DOMElement* transformation_element = dynamic_cast<xercesc::DOMElement*>(
      options.standardPMML ? BaseTranslator::GetChildByTag(root, T::XML_ELE_TRANSFORMATION)
                           : BaseTranslator::GetChildByTagForced(root, T::XML_ELE_TRANSFORMATION));

  std::unique_ptr<PMMLTranslator> translator(new PMMLTranslator(encoding));
  translator->SetReadOptions(options);
  std::unique_ptr<ScoreDictionary> data;
  std::unique_ptr<TransformationDictionary> transformations;
  // A Xerces exception (a bad "numberOfFields") must not outlive the
  // platform that holds its text: it is copied out and released here.
  std::string failure;
  bool failed = false;
  try {
    data.reset(translator->ParseDictionary(data_element));
    transformations.reset(
        translator->HandleTransformationDictionary(transformation_element, data.get()));
  } catch (const xercesc::XMLException& e) {
    failure = xml_internal::NarrowText(e.getMessage());
    failed = true;
  }
  if (failed) throw OVException(OVException::kCodeConversion, failure);
  if (transformations != nullptr) transformations->SetUpDerivedCaseRecord();

  // Handed out only when both were read, so a failure leaves the caller's
  // pointer as it was and nothing behind.
  dictionary = data.release();
  return transformations.release();
}

}  // namespace MCOrvane_600
