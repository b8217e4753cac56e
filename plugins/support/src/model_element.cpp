#include "orvane_plugins/model_element.h"

#include <string>

#include "orvane/values/ov_exception.h"
#include "orvane_plugins/element_reading.h"

namespace orvane_plugins {

using MCOrvane_600::OVException;

void CheckModelElement(const xercesc::DOMElement* model, const char* const* children,
                       const char* function, const ReadContext& context) {
  const std::string name = ElementName(model, context);
  RefuseUnknownChildren(model, children, context);
  if (Attribute(model, "isScorable", context) == "false") {
    throw OVException(OVException::kCodeUnsupported, name + ": isScorable is false");
  }
  const std::string given = RequiredAttribute(model, "functionName", context);
  if (given != function) {
    throw OVException(OVException::kCodeUnsupported,
                      name + ": functionName \"" + given + "\" is not supported");
  }
}

}  // namespace orvane_plugins
