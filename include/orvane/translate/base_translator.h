#ifndef ORVANE_TRANSLATE_BASE_TRANSLATOR_H_
#define ORVANE_TRANSLATE_BASE_TRANSLATOR_H_

#include <istream>
#include <memory>
#include <string>

#include <xercesc/util/XercesDefs.hpp>

#include "orvane/dictionary/score_dict_var.h"
#include "orvane/translate/score_translator.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
class DOMNode;
class DOMNodeList;
XERCES_CPP_NAMESPACE_END

namespace MCOrvane_600 {

class BrixTranscoder;
class ScoreModel;
class ScoreValue;

// The base of every document reader: DOM navigation, attribute access and
// the validated conversion of attribute text into numbers, dates and case
// values. Faults of the document become OVExceptions with fixed messages, so
// that all readers report them alike. No operation takes ownership of a node.
// Name comparisons are exact and case-sensitive.
class BaseTranslator : public ScoreTranslator {
 public:
  BaseTranslator();
  // A copy holds a transcoder of its own for the same encoding.
  BaseTranslator(const BaseTranslator& other);
  BaseTranslator& operator=(const BaseTranslator& other);
  ~BaseTranslator() override;

  using ScoreTranslator::ParseFromTree;
  // These build no model and return null; translators override the forms
  // they support.
  ScoreModel* ParseFromTree(const std::string& fileName, const std::string& arg) override;
  ScoreModel* ParseFromTree(std::istream& in, const std::string& arg) override;
  virtual ScoreModel* ParseFromTree(std::istream& in, const std::string& arg1,
                                    const std::string& arg2);

  // Element navigation; null in, null out.
  static xercesc::DOMNode* GetFirstChildElt(xercesc::DOMNode* node);
  static xercesc::DOMNode* GetNextSiblingElt(xercesc::DOMNode* node);
  // The first element child named `tag`, or null. Direct children only.
  // Takes ownership of `tag` (a string from XMLString::transcode) and
  // releases it.
  static xercesc::DOMNode* GetChildTag(xercesc::DOMNode* parent, XMLCh* tag);
  // As GetChildTag; throws code 4 when there is no such child.
  static xercesc::DOMNode* GetChildTagForced(xercesc::DOMNode* parent, XMLCh* tag);
  static xercesc::DOMNode* GetChildByTag(xercesc::DOMNode* parent, const std::string& name);
  // As GetChildByTag; throws code 4 when there is no such child.
  static xercesc::DOMNode* GetChildByTagForced(xercesc::DOMNode* parent, const std::string& name);
  // All descendant elements named `name`; the list belongs to the document.
  // A null element or document throws code 4.
  static xercesc::DOMNodeList* GetElementsByTagName(const xercesc::DOMElement* elt,
                                                    const std::string& name);
  static xercesc::DOMNodeList* GetElementsByTagName(const xercesc::DOMDocument* doc,
                                                    const std::string& name);

  // The attribute's value; an empty text when the attribute is absent, null
  // for a null element. Readers treat null and empty alike.
  static const XMLCh* GetAttribute(const xercesc::DOMElement* elt, const std::string& name);
  // The value of a present attribute, possibly empty; throws code 4 when the
  // element has no such attribute.
  static const XMLCh* GetAttributeForced(const xercesc::DOMElement* elt, const std::string& name);
  // The same for a name given as a C string (not null), without making a
  // std::string of it: the readers pass constant names on every element.
  static const XMLCh* GetAttribute(const xercesc::DOMElement* elt, const char* name);
  static const XMLCh* GetAttributeForced(const xercesc::DOMElement* elt, const char* name);

  // Exact comparison of a document text with `s`.
  static bool IsEqual(const XMLCh* text, const std::string& s);
  // The same for a C string `s` (not null).
  static bool IsEqual(const XMLCh* text, const char* s);
  // With a transcoder the text is compared after conversion to its encoding.
  static bool IsEqual(BrixTranscoder* transcoder, const XMLCh* text, const std::string& s);

  // Value checks: each validates the text's syntax, returns its value, and
  // throws code 3 for invalid text.
  static double VerifyDouble(const std::string& text);
  static double VerifyDouble(const XMLCh* text);
  static int VerifyInt(const std::string& text);
  static int VerifyInt(const XMLCh* text);
  // The stored seconds of a date/time text of the given type.
  static double VerifyDateTime(const std::string& text, ScoreDictVar::DateTimeType type);
  static double VerifyDateTime(const XMLCh* text, ScoreDictVar::DateTimeType type);

  // Replaces the transcoder by one for `encoding`, "CP1252" when empty.
  void CreateTranscoder(const std::string& encoding);

  // A new value of the variable's storage type made from attribute text; the
  // caller owns it. Strings go through the transcoder (the default code page
  // when none was created); numbers and date/time values are written as
  // numbers and are checked by VerifyDouble. Null for a null variable or any
  // other storage type.
  ScoreValue* CarefullyMakeVarValue(const ScoreDictVar* var, const XMLCh* text);

 protected:
  // Lent; null until CreateTranscoder is called.
  BrixTranscoder* GetTranscoder() const;

 private:
  std::unique_ptr<BrixTranscoder> transcoder_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_BASE_TRANSLATOR_H_
