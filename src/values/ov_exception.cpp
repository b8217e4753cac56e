#include "orvane/values/ov_exception.h"

namespace MCOrvane_600 {

OVException::OVException() : code_(kCodeNone) {}

OVException::OVException(ExceptionCode code, const std::string& message)
    : code_(code), message_(message) {}

OVException::OVException(const OVException& other) = default;

OVException& OVException::operator=(const OVException& other) = default;

OVException::~OVException() = default;

int OVException::GetErrorCode() const { return code_; }

std::string OVException::GetErrorMessage() const { return message_; }

}  // namespace MCOrvane_600
