// Number texts: NumericValue's text parse and print, StringValue's numeric
// readings, and the document readers' checks VerifyDouble and VerifyInt
// (narrow and UTF-16 forms).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include <xercesc/util/XMLString.hpp>

#include "fuzz_support.h"
#include "orvane/translate/base_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/string_value.h"

using MCOrvane_600::BaseTranslator;
using MCOrvane_600::NumericValue;
using MCOrvane_600::OVException;
using MCOrvane_600::StringValue;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& text) {
  std::cerr << what << ": '" << text << "'\n";
  std::abort();
}

bool SameDouble(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// The checks' own messages: the text, then a fixed phrase.
void CheckRejection(const OVException& e, const std::string& text, const char* phrase) {
  if (e.GetErrorCode() != OVException::kCodeConversion || e.GetErrorMessage() != text + phrase) {
    std::cerr << "code " << e.GetErrorCode() << " message '" << e.GetErrorMessage() << "'\n";
    Fail("unexpected rejection", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  orvane_fuzz::KeepXercesInitialised();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const NumericValue number(text);
  (void)number.GetString();
  (void)number.GetInt();
  const StringValue string_value(text);
  (void)string_value.GetDouble();
  (void)string_value.GetInt();

  bool double_ok = false;
  double verified = 0;
  try {
    verified = BaseTranslator::VerifyDouble(text);
    double_ok = true;
  } catch (const OVException& e) {
    CheckRejection(e, text, "Invalid double string -- ");
  }
  // An accepted text means what NumericValue makes of it.
  if (double_ok && !SameDouble(verified, number.GetDouble())) Fail("VerifyDouble value", text);

  bool int_ok = false;
  try {
    (void)BaseTranslator::VerifyInt(text);
    int_ok = true;
  } catch (const OVException& e) {
    CheckRejection(e, text, "Invalid integer string -- ");
  }
  // An accepted integer text holds only digits and one leading sign.
  if (int_ok) {
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (!((c >= '0' && c <= '9') || (i == 0 && (c == '-' || c == '+')))) {
        Fail("VerifyInt accepted", text);
      }
    }
  }

  // The UTF-16 forms judge the same text alike. Texts with NUL bytes or
  // bytes outside ASCII do not survive the narrow round trip unchanged.
  bool plain = true;
  for (char c : text) plain = plain && c > 0;
  if (plain) {
    XMLCh* wide = xercesc::XMLString::transcode(text.c_str());
    bool wide_double_ok = false;
    try {
      const double d = BaseTranslator::VerifyDouble(wide);
      wide_double_ok = true;
      if (!SameDouble(d, verified)) Fail("wide VerifyDouble value", text);
    } catch (const OVException&) {
    }
    bool wide_int_ok = false;
    try {
      (void)BaseTranslator::VerifyInt(wide);
      wide_int_ok = true;
    } catch (const OVException&) {
    }
    xercesc::XMLString::release(&wide);
    if (wide_double_ok != double_ok) Fail("wide VerifyDouble verdict", text);
    if (wide_int_ok != int_ok) Fail("wide VerifyInt verdict", text);
  }
  return 0;
}
