#ifndef ORVANE_MODEL_RESULT_ADVICE_H_
#define ORVANE_MODEL_RESULT_ADVICE_H_

#include <string>

namespace MCOrvane_600 {

// One advisory note that a model plug-in attaches to a scoring result: an
// advice number and one piece of information, as a rule the name of the
// variable concerned. Plug-ins create advice; hosts turn it into a sentence
// with ToString(), so every plug-in reports in the same words.
//
// Advice numbers with a sentence: 101 to 112. Any other number gives an
// empty sentence.
//
// The destructor is deliberately not virtual (the exported layout has none);
// the class is final so that nothing can derive from it and be deleted
// through a base pointer.
class ResultAdvice final {
 public:
  ResultAdvice(int id, const std::string& info);
  ResultAdvice(const ResultAdvice& other);
  ResultAdvice& operator=(const ResultAdvice& other);
  ~ResultAdvice();

  // A new copy on the heap, owned by the caller.
  virtual ResultAdvice* Clone() const;

  int GetID() const;
  std::string GetInfo() const;

  // The sentence for the advice number, with the information inserted
  // unchanged; empty for an unknown number.
  std::string ToString();

 private:
  int id_;
  std::string info_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_MODEL_RESULT_ADVICE_H_
