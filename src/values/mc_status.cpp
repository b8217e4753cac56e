#include "orvane/values/mc_status.h"

namespace MCScore {

MCStatus::MCStatus() : error_code_(0), severity_(0), discrete_{0, 0, 0}, scale_{0, 0, 0} {}

MCStatus::MCStatus(long error_code, bool is_warning)
    : error_code_(error_code),
      severity_(is_warning ? 1 : -1),
      discrete_{0, 0, 0},
      scale_{0, 0, 0} {}

MCStatus& MCStatus::operator=(const MCStatus& other) = default;

bool MCStatus::operator==(const MCStatus& other) const {
  if (error_code_ != other.error_code_ || severity_ != other.severity_) return false;
  for (int i = 0; i < kSlots; ++i) {
    if (discrete_[i] != other.discrete_[i] || !(scale_[i] == other.scale_[i])) return false;
  }
  return true;
}

long MCStatus::GetErrorCode() const { return error_code_; }
bool MCStatus::IsOK() const { return severity_ == 0; }
bool MCStatus::IsError() const { return severity_ < 0; }
bool MCStatus::IsWarning() const { return severity_ > 0; }

long MCStatus::GetDiscreteDatum(unsigned int index) const { return discrete_[index]; }
void MCStatus::SetDiscreteDatum(unsigned int index, long value) { discrete_[index] = value; }
double MCStatus::GetScaleDatum(unsigned int index) const { return scale_[index]; }
void MCStatus::SetScaleDatum(unsigned int index, double value) { scale_[index] = value; }

}  // namespace MCScore
