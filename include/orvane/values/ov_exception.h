#ifndef ORVANE_VALUES_OV_EXCEPTION_H_
#define ORVANE_VALUES_OV_EXCEPTION_H_

#include <string>

namespace MCOrvane_600 {

// The one exception type of the library. Thrown by value, only while documents
// are read and models are loaded; the object model reports failure through
// its results instead. Deliberately not derived from std::exception: handlers
// read the text with GetErrorMessage().
class OVException {
 public:
  // The values are fixed: hosts and plug-ins see them through GetErrorCode().
  // 9, 10 and values above 12 are never thrown by the library and are free for
  // plug-ins.
  enum ExceptionCode {
    kCodeNone = 0,
    kCodeStructure = 1,       // element absent, misplaced, repeated; redefinitions
    kCodeOpen = 2,            // file cannot be opened, or input is not an XML document
    kCodeConversion = 3,      // text does not denote the number or date/time it must
    kCodeAbsent = 4,          // required node, attribute or value absent
    kCodeUnsupported = 5,     // unsupported model type, feature or function; repeated setting
    kCodeSemantic = 6,        // wrong arguments, inconsistent values, unparsable document
    kCodeEmptyOrInvalid = 7,  // required value empty or invalid
    kCodeVariableName = 8,    // variable already present, undefined, duplicated or mistyped
    kCodeTypeOrLevel = 11,    // storage type or measurement level absent, invalid, not allowed
    kCodeCount = 12,          // counts or constraints disagree
  };

  OVException();
  OVException(ExceptionCode code, const std::string& message);
  OVException(const OVException& other);
  OVException& operator=(const OVException& other);
  virtual ~OVException();

  int GetErrorCode() const;
  std::string GetErrorMessage() const;

 private:
  int code_;
  std::string message_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_VALUES_OV_EXCEPTION_H_
