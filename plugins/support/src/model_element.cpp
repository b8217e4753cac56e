#include "orvane_plugins/model_element.h"

#include "orvane_plugins/element_reading.h"
#include "orvane_plugins/model_function.h"

namespace orvane_plugins {

void CheckModelElement(const xercesc::DOMElement* model, const char* const* children,
                       const char* function, const ReadContext& context) {
  RefuseUnknownChildren(model, children, context);
  const char* const allowed[] = {function, nullptr};
  ReadModelFunction(model, allowed, context);
}

}  // namespace orvane_plugins
