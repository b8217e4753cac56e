#ifndef ORVANE_DICTIONARY_VAR_STATS_H_
#define ORVANE_DICTIONARY_VAR_STATS_H_

#include <memory>

#include "orvane/dictionary/score_var_stats.h"

namespace MCOrvane_600 {

// The library's variable statistics. Owns its missing replacement; copies
// are deep.
class VarStats : public ScoreVarStats {
 public:
  // Min is the system-missing value, max its negative, mean 0, stddev 1,
  // no replacement: "nothing seen yet".
  VarStats();
  // No replacement.
  VarStats(double min, double max, double mean, double stddev);
  // Clones the replacement.
  VarStats(const VarStats& other);
  // Destroys the own replacement, then clones that of `other`.
  VarStats& operator=(const VarStats& other);
  ~VarStats() override;

  ScoreVarStats* Clone() const override;
  void SetMin(double min) override;
  void SetMax(double max) override;
  void SetStddev(double stddev) override;
  void SetMean(double mean) override;
  // Destroys the replacement held before and keeps a clone of `value` (null
  // for null); the caller keeps `value`.
  void SetMissingReplacement(const ScoreValue* value) override;
  double GetMin() const override;
  double GetMax() const override;
  double GetStddev() const override;
  double GetMean() const override;
  const ScoreValue* GetMissingReplacement() const override;

 private:
  double min_;
  double max_;
  double mean_;
  double stddev_;
  std::unique_ptr<ScoreValue> missing_replacement_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_VAR_STATS_H_
