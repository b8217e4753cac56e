// A minimal host: reads a document's dictionaries through the installed
// package and computes one derived value.
#include <iostream>
#include <memory>
#include <sstream>

#include "orvane/orvane.h"

int main() {
  using namespace MCOrvane_600;
  std::istringstream document(
      "<PMML version=\"4.1\"><DataDictionary numberOfFields=\"1\">"
      "<DataField name=\"x\" optype=\"continuous\" dataType=\"double\"/></DataDictionary>"
      "<TransformationDictionary><DerivedField name=\"twice\" optype=\"continuous\" "
      "dataType=\"double\"><Apply function=\"*\"><FieldRef field=\"x\"/><Constant>2</Constant>"
      "</Apply></DerivedField></TransformationDictionary></PMML>");
  try {
    ScoreDictionary* data = nullptr;
    std::unique_ptr<TransformationDictionary> derived(
        ModelFactory::GetTransformationDictionaryFromXML(document, data, ""));
    std::unique_ptr<ScoreDictionary> owned_data(data);
    CaseRecord record;
    record.Add("x", new NumericValue(21.0));
    const ScoreCaseRecord* values = derived->GetValuesForDeriedVars(&record, data);
    if (values->Get("twice")->GetDouble() != 42.0) return 1;
  } catch (const OVException& e) {
    std::cerr << "error " << e.GetErrorCode() << ": " << e.GetErrorMessage() << "\n";
    return 1;
  }
  std::cout << "orvane host ok\n";
  return 0;
}
