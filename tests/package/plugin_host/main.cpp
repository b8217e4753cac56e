// A host built against the installed package: loads a tree through the
// installed TreeModel plug-in (names file given, no environment) and scores
// one case.
#include <iostream>
#include <memory>
#include <vector>

#include "orvane/orvane.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: orvane_plugin_host DOCUMENT NAMES_FILE\n";
    return 2;
  }
  using namespace MCOrvane_600;
  try {
    std::unique_ptr<ScoreModel> model(ModelFactory::MakeModelFromXML(argv[1], argv[2], ""));
    CaseRecord input;
    input.Add("petal_width", new NumericValue(1.1));
    std::unique_ptr<ScoreCaseRecord> result(model->CreateResultRecord());
    std::vector<ResultAdvice> advice;
    if (!model->Score(&input, result.get(), &advice)) return 1;
    const ScoreValue* species = result->Get("species");
    std::cout << model->GetModelType() << " "
              << (species != nullptr ? species->GetString() : "(none)") << "\n";
  } catch (const OVException& e) {
    std::cerr << "error " << e.GetErrorCode() << ": " << e.GetErrorMessage() << "\n";
    return 1;
  }
  return 0;
}
