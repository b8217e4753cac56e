#include "orvane_plugins/model_function.h"

#include <string>

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;

bool IsClassification(const xercesc::DOMElement* model, const ReadContext& context) {
  const std::string name = ElementName(model, context);
  if (Attribute(model, "isScorable", context) == "false") {
    throw OVException(OVException::kCodeUnsupported, name + ": isScorable is false");
  }
  const std::string function = RequiredAttribute(model, "functionName", context);
  if (function != "classification" && function != "regression") {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": functionName \"" + function + "\" is not supported");
  }
  return function == "classification";
}

}  // namespace orvane_plugins
