#ifndef ORVANE_TRANSLATE_SCORE_TRANSLATOR_H_
#define ORVANE_TRANSLATE_SCORE_TRANSLATOR_H_

#include <istream>
#include <string>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {

class ScoreModel;

// Builds a model from a document. Each model plug-in supplies one; the model
// factory calls the overload its translator supports and takes the result.
// The meaning of the string arguments is fixed by the concrete translator.
class ScoreTranslator {
 public:
  virtual ~ScoreTranslator() {}

  // Each returns a new model that the caller owns, or null.
  virtual ScoreModel* ParseFromTree(const std::string& fileName, const std::string& arg) = 0;
  virtual ScoreModel* ParseFromTree(std::istream& in, const std::string& arg) = 0;
  // `document` is lent; the caller's parser keeps it.
  virtual ScoreModel* ParseFromTree(xercesc::DOMDocument* document, const std::string& arg) = 0;

 protected:
  ScoreTranslator() {}
  ScoreTranslator(const ScoreTranslator&) {}
  ScoreTranslator& operator=(const ScoreTranslator&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_SCORE_TRANSLATOR_H_
