#include "orvane_plugins/model_function.h"

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;

std::string ReadModelFunction(const xercesc::DOMElement* model, const char* const* allowed,
                              const ReadContext& context) {
  const std::string name = ElementName(model, context);
  const std::string function = RequiredAttribute(model, "functionName", context);
  for (const char* const* entry = allowed; *entry != nullptr; ++entry) {
    if (function == *entry) return function;
  }
  throw OVException(OVException::kCodeUnsupported,
                    name + ": functionName \"" + function + "\" is not supported");
}

bool IsClassification(const xercesc::DOMElement* model, const ReadContext& context) {
  static const char* const kFunctions[] = {"classification", "regression", nullptr};
  return ReadModelFunction(model, kFunctions, context) == "classification";
}

}  // namespace orvane_plugins
