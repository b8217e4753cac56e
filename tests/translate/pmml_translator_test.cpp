#include "orvane/translate/pmml_translator.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "translate/pmml_document_fixture.h"

namespace MCOrvane_600 {
namespace {

using PMMLTranslatorTest = PMMLDocumentTest;

TEST_F(PMMLTranslatorTest, VerifyDoubleArrayReadsCountedArrays) {
  EXPECT_EQ(std::vector<double>({1, -2.5, 300}),
            translator_->VerifyDoubleArray(Parse("<Array n='3'>1\n\t-2.5  3e2 </Array>"), 0));
  EXPECT_EQ(std::vector<double>({1, 2, 3, 4}),
            translator_->VerifyDoubleArray(Parse("<Array type='real'>1 2 3 4</Array>"), 2));
  EXPECT_EQ(std::vector<double>({7, 8}),
            translator_->VerifyDoubleArray(Parse("<x-BasisRow>7 8</x-BasisRow>"), 2));
  EXPECT_EQ(std::vector<double>({.5}),
            translator_->VerifyDoubleArray(Parse("<X-BasisRow>.5</X-BasisRow>"), 1));
}

TEST_F(PMMLTranslatorTest, VerifyDoubleArrayFailures) {
  struct Case {
    const char* xml;
    int count;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {"<array n='1'>1</array>", 1, 3, "Invalid character -- should be array!"},
      {"<Array n='1'/>", 1, 4, "No Array Element Found!!!"},
      {"<Array n='1'> \n </Array>", 1, 4, "No Elements found in double array!"},
      {"<Array><Array/></Array>", 1, 4, "No Elements found in double array!"},
      {"<Array n='3'>1 2</Array>", 3, 12, "Number Does Not Match in Double array!"},
      {"<x-BasisRow>1 2</x-BasisRow>", 3, 12, "Number Does Not Match in Double array!"},
      {"<Array n='2'>1 x</Array>", 2, 3, "xInvalid double string -- "},
      {"<Array n='two'>1 2</Array>", 2, 3, "twoInvalid integer string -- "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    xercesc::DOMElement* array = Parse(c.xml);
    ASSERT_NE(nullptr, array);
    ExpectOVException([&] { translator_->VerifyDoubleArray(array, c.count); }, c.code, c.message);
  }
  ExpectOVException([&] { translator_->VerifyDoubleArray(nullptr, 1); }, 4,
                    "No Array Element Node Found!!!");
}

}  // namespace
}  // namespace MCOrvane_600
