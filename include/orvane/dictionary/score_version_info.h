#ifndef ORVANE_DICTIONARY_SCORE_VERSION_INFO_H_
#define ORVANE_DICTIONARY_SCORE_VERSION_INFO_H_

#include <string>

namespace MCOrvane_600 {

// The version text of a model document. Plug-ins are compiled against the
// order of the virtual operations below.
class ScoreVersionInfo {
 public:
  virtual ~ScoreVersionInfo() {}

  virtual void SetVersionInfo(const std::string& version) = 0;
  // Returns a new object that the caller owns.
  virtual ScoreVersionInfo* Clone() const = 0;
  virtual bool operator==(const ScoreVersionInfo& other) const = 0;
  virtual std::string GetVersionInfo() const = 0;

 protected:
  ScoreVersionInfo() {}
  ScoreVersionInfo(const ScoreVersionInfo&) {}
  ScoreVersionInfo& operator=(const ScoreVersionInfo&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_VERSION_INFO_H_
