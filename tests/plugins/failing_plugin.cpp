// A plug-in whose translator fails the way its argument asks, after it has
// built part of a model: "ov" throws an OVException, "xerces" lets a Xerces
// number-format exception escape, "dom" a DOM exception, "std" a standard
// exception; "null" builds nothing and returns null. Any other argument
// gives a model.

#include <memory>
#include <stdexcept>
#include <string>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include "live_counts.h"
#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/version_info.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/ov_exception.h"
#include "plugin_model.h"

namespace orvane_test_plugin {
namespace {

using MCOrvane_600::OVException;

class FailingTranslator : public MCOrvane_600::PMMLTranslator, private CountedTranslator {
 public:
  using MCOrvane_600::PMMLTranslator::ParseFromTree;

  MCOrvane_600::ScoreModel* ParseFromTree(xercesc::DOMDocument*, const std::string& arg) override {
    if (arg == "null") return nullptr;
    std::unique_ptr<EchoModel> model(new EchoModel("RegressionModel", "partly built"));
    auto* dictionary = new MCOrvane_600::BaseDictionary();
    dictionary->AddVar("x",
                       new MCOrvane_600::DictVar("x", MCOrvane_600::ScoreDictVar::kNUMERIC_VAR));
    model->SetScoreDictionary(dictionary);
    model->SetVersionInfo(new MCOrvane_600::VersionInfo("4.0"));
    if (arg == "ov") {
      throw OVException(OVException::kCodeEmptyOrInvalid, "RegressionTable: intercept is empty");
    }
    if (arg == "xerces") {
      const XMLCh text[] = {'1', '2', 'x', 0};
      xercesc::XMLString::parseInt(text);
    }
    if (arg == "dom") {
      throw xercesc::DOMException(xercesc::DOMException::NOT_FOUND_ERR, 0,
                                  xercesc::XMLPlatformUtils::fgMemoryManager);
    }
    if (arg == "std") throw std::runtime_error("regression plug-in gave up");
    return model.release();
  }
};

}  // namespace
}  // namespace orvane_test_plugin

ORVANE_PLUGIN_EXPORT MCOrvane_600::ScoreTranslator* GiveMyTranslator() {
  return new orvane_test_plugin::FailingTranslator();
}
