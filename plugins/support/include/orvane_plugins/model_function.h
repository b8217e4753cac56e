#ifndef ORVANE_PLUGINS_MODEL_FUNCTION_H_
#define ORVANE_PLUGINS_MODEL_FUNCTION_H_

// What a model element predicts, as its functionName says.

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

class ReadContext;

// True for a classification, false for a regression. Code 5
// (kCodeUnsupported) when the element is not scorable (isScorable "false")
// or its functionName is another; code 4 when functionName is absent.
bool IsClassification(const xercesc::DOMElement* model, const ReadContext& context);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_MODEL_FUNCTION_H_
