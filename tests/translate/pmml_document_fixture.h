#ifndef ORVANE_TESTS_TRANSLATE_PMML_DOCUMENT_FIXTURE_H_
#define ORVANE_TESTS_TRANSLATE_PMML_DOCUMENT_FIXTURE_H_

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/ov_exception.h"
#include "support/test_support.h"

namespace MCOrvane_600 {

// Parses small documents with the platform initialised around each test. The
// translator goes before the platform does: its transcoder belongs to it.
class PMMLDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    xercesc::XMLPlatformUtils::Initialize();
    translator_.reset(new PMMLTranslator);
  }
  void TearDown() override {
    translator_.reset();
    parser_.reset();
    xercesc::XMLPlatformUtils::Terminate();
  }

  // The root element of `xml`, or of the file at `path`; null when it does
  // not parse.
  xercesc::DOMElement* Parse(const std::string& xml) {
    return Root(xercesc::MemBufInputSource(reinterpret_cast<const XMLByte*>(xml.data()),
                                           xml.size(), "inline"));
  }
  xercesc::DOMElement* ParseFile(const std::string& path) { return Root(path.c_str()); }

  // A document whose root is a DataDictionary with the given fields.
  xercesc::DOMElement* Dictionary(const std::string& fields, const std::string& attributes = "") {
    return Parse("<DataDictionary" + attributes + ">" + fields + "</DataDictionary>");
  }
  std::unique_ptr<ScoreDictionary> Read(const std::string& fields) {
    return std::unique_ptr<ScoreDictionary>(translator_->ParseDictionary(Dictionary(fields)));
  }

  static void ExpectOVException(const std::function<void()>& f, int code,
                                const std::string& message) {
    orvane_test::ExpectOVException(f, code, message);
  }

  std::unique_ptr<PMMLTranslator> translator_;
  std::unique_ptr<xercesc::XercesDOMParser> parser_;

 private:
  template <typename Source>
  xercesc::DOMElement* Root(const Source& source) {
    parser_.reset(new xercesc::XercesDOMParser);
    parser_->setValidationScheme(xercesc::XercesDOMParser::Val_Never);
    parser_->setLoadExternalDTD(false);
    parser_->parse(source);
    if (parser_->getErrorCount() != 0 || parser_->getDocument() == nullptr) return nullptr;
    return parser_->getDocument()->getDocumentElement();
  }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TESTS_TRANSLATE_PMML_DOCUMENT_FIXTURE_H_
