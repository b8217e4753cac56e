#include "orvane/dictionary/version_info.h"

namespace MCOrvane_600 {

VersionInfo::VersionInfo() : version_("2.1") {}

VersionInfo::VersionInfo(const std::string& version) : version_(version) {}

VersionInfo::VersionInfo(const VersionInfo& other) = default;

VersionInfo& VersionInfo::operator=(const VersionInfo& other) = default;

VersionInfo::~VersionInfo() = default;

void VersionInfo::SetVersionInfo(const std::string& version) { version_ = version; }

ScoreVersionInfo* VersionInfo::Clone() const { return new VersionInfo(*this); }

bool VersionInfo::operator==(const ScoreVersionInfo& other) const {
  const auto* same_kind = dynamic_cast<const VersionInfo*>(&other);
  return same_kind != nullptr && version_ == same_kind->version_;
}

std::string VersionInfo::GetVersionInfo() const { return version_; }

}  // namespace MCOrvane_600
