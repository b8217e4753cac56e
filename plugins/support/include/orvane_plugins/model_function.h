#ifndef ORVANE_PLUGINS_MODEL_FUNCTION_H_
#define ORVANE_PLUGINS_MODEL_FUNCTION_H_

// What every model element states before its own content: its mining
// function. (isScorable is the model scope's to check, before any reading.)

#include <string>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace orvane_plugins {

class ReadContext;

// The model's functionName, one of `allowed` (a null-terminated list).
// Code 5 when the model names another function, code 4 when functionName is
// absent.
std::string ReadModelFunction(const xercesc::DOMElement* model, const char* const* allowed,
                              const ReadContext& context);

// True for a classification, false for a regression (ReadModelFunction with
// those two).
bool IsClassification(const xercesc::DOMElement* model, const ReadContext& context);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_MODEL_FUNCTION_H_
