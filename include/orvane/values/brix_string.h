#ifndef ORVANE_VALUES_BRIX_STRING_H_
#define ORVANE_VALUES_BRIX_STRING_H_

#include <memory>
#include <string>

#include <xercesc/util/XercesDefs.hpp>

namespace MCOrvane_600 {

// An owning, null-terminated UTF-16 string with the few operations plug-ins
// need on document texts. Lengths count UTF-16 code units. A null buffer is
// the empty string, and so is a buffer holding no character; the two differ
// only for `xc_str()` and `equals(const BrixString&)`.
//
// Conversions from `const char*` (local code page) and from or to UTF-8 use
// the Xerces platform, which must be initialised at the time.
class BrixString {
 public:
  BrixString();
  explicit BrixString(const XMLCh* text);
  explicit BrixString(const char* text);
  BrixString(const BrixString& other);
  ~BrixString();

  BrixString& assign(const BrixString& other);
  BrixString& assign(const XMLCh* text);
  BrixString& assign(XMLCh c);  // A one-character string; the character 0 gives the empty string.
  BrixString& assign(const char* text);
  BrixString& operator=(const BrixString& other);
  BrixString& operator=(const XMLCh* text);
  BrixString& operator=(const char* text);

  // Appending a null or empty text, or the character 0, changes nothing.
  BrixString& append(const BrixString& other);
  BrixString& append(const XMLCh* text);
  BrixString& append(XMLCh c);
  BrixString& append(const char* text);

  const XMLCh* xc_str() const;  // The buffer, possibly null.
  bool empty() const;
  unsigned int length() const;

  // False when either buffer is null, even when both are.
  bool equals(const BrixString& other) const;
  bool operator==(const BrixString& other) const;
  // A null text equals an empty text here.
  bool equals(const XMLCh* text) const;

  BrixString& clear();

  // Whether `text` occurs in the string; false when either is null.
  bool ContainsString(const XMLCh* text) const;
  // Replaces the non-overlapping occurrences of `from`, scanning left to
  // right, and returns their number. An empty `from` matches nothing.
  unsigned int replaceSubstring(const XMLCh* from, const XMLCh* to);
  // Removes the last `n` code units, or all of them.
  void truncateString(unsigned int n);

  // Conversions that stop, keeping what was converted, at the first code
  // unit or byte sequence that cannot be converted.
  std::string toUTF8() const;
  BrixString& assignUTF8(const std::string& utf8);

  // The content as an unsigned decimal number; 0 when empty or when any code
  // unit is not a digit. Overflow wraps around.
  unsigned int convertToInteger();

 private:
  std::unique_ptr<XMLCh[]> buffer_;  // Null for the empty string.
};

}  // namespace MCOrvane_600

#endif  // ORVANE_VALUES_BRIX_STRING_H_
