// A plug-in for "qrtz-ml" documents: it reads the document's "dictionary"
// with the library's vendor reader and builds an EchoModel that owns it.

#include <memory>
#include <string>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "live_counts.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/translate/qrtz_translator.h"
#include "plugin_model.h"

namespace orvane_test_plugin {
namespace {

class VendorTranslator : public MCOrvane_600::QRTZTranslator, private CountedTranslator {
 public:
  using MCOrvane_600::QRTZTranslator::ParseFromTree;

  MCOrvane_600::ScoreModel* ParseFromTree(xercesc::DOMDocument* document,
                                          const std::string& arg) override {
    xercesc::DOMElement* root = document->getDocumentElement();
    CreateTranscoder("UTF-8");
    std::unique_ptr<MCOrvane_600::ScoreDictionary> dictionary;
    auto* element = static_cast<xercesc::DOMElement*>(GetChildByTag(root, "dictionary"));
    if (element != nullptr) dictionary.reset(ParseDictionary(element));
    const int size = dictionary == nullptr ? 0 : dictionary->Size();
    std::unique_ptr<EchoModel> model(new EchoModel(
        "GeneralRegressionModel", "type=GeneralRegressionModel root=" + Narrow(root->getTagName()) +
                                      " arg=" + arg + " variables=" + std::to_string(size)));
    model->SetScoreDictionary(dictionary.release());
    return model.release();
  }
};

}  // namespace
}  // namespace orvane_test_plugin

ORVANE_PLUGIN_EXPORT MCOrvane_600::ScoreTranslator* GiveMyTranslator() {
  return new orvane_test_plugin::VendorTranslator();
}
