#ifndef ORVANE_VALUES_MC_STATUS_H_
#define ORVANE_VALUES_MC_STATUS_H_

#include <cstdint>

namespace MCScore {

// A status record shared by hosts and model plug-ins: an error code, a
// severity and six small data slots. The library itself never creates one.
// Slot indexes (0, 1, 2) are not checked.
class MCStatus {
 public:
  // Code 0, OK, all slots 0.
  MCStatus();
  // Never OK, even with code 0: a warning when `is_warning`, an error otherwise.
  MCStatus(long error_code, bool is_warning);
  MCStatus(const MCStatus& other) = default;
  MCStatus& operator=(const MCStatus& other);

  // Scale slots compare with ==, so a NaN slot makes a status unequal to itself.
  bool operator==(const MCStatus& other) const;

  long GetErrorCode() const;
  bool IsOK() const;
  bool IsError() const;
  bool IsWarning() const;

  long GetDiscreteDatum(unsigned int index) const;
  void SetDiscreteDatum(unsigned int index, long value);
  double GetScaleDatum(unsigned int index) const;
  void SetScaleDatum(unsigned int index, double value);

 private:
  static constexpr int kSlots = 3;

  long error_code_;
  int16_t severity_;  // 0 OK, below 0 error, above 0 warning
  long discrete_[kSlots];
  double scale_[kSlots];
};

}  // namespace MCScore

#endif  // ORVANE_VALUES_MC_STATUS_H_
