#ifndef ORVANE_DICTIONARY_VERSION_INFO_H_
#define ORVANE_DICTIONARY_VERSION_INFO_H_

#include <string>

#include "orvane/dictionary/score_version_info.h"

namespace MCOrvane_600 {

// The library's version info: one text, "2.1" unless set.
class VersionInfo : public ScoreVersionInfo {
 public:
  VersionInfo();
  explicit VersionInfo(const std::string& version);
  VersionInfo(const VersionInfo& other);
  VersionInfo& operator=(const VersionInfo& other);
  ~VersionInfo() override;

  void SetVersionInfo(const std::string& version) override;
  ScoreVersionInfo* Clone() const override;
  // False for any other implementation, even with the same text.
  bool operator==(const ScoreVersionInfo& other) const override;
  std::string GetVersionInfo() const override;

 private:
  std::string version_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_VERSION_INFO_H_
