#ifndef ORVANE_DICTIONARY_SCORE_VAR_STATS_H_
#define ORVANE_DICTIONARY_SCORE_VAR_STATS_H_

namespace MCOrvane_600 {

class ScoreValue;

// Summary statistics of a variable and the value that replaces a missing
// input. Plug-ins are compiled against the order of the virtual operations
// below.
class ScoreVarStats {
 public:
  virtual ~ScoreVarStats() {}

  // Returns new statistics, with their own replacement value, that the
  // caller owns.
  virtual ScoreVarStats* Clone() const = 0;
  virtual void SetMin(double min) = 0;
  virtual void SetMax(double max) = 0;
  virtual void SetStddev(double stddev) = 0;
  virtual void SetMean(double mean) = 0;
  // Keeps a clone of `value` (null for null); the caller keeps `value`.
  virtual void SetMissingReplacement(const ScoreValue* value) = 0;
  virtual double GetMin() const = 0;
  virtual double GetMax() const = 0;
  virtual double GetStddev() const = 0;
  virtual double GetMean() const = 0;
  // Lent; may be null.
  virtual const ScoreValue* GetMissingReplacement() const = 0;

 protected:
  ScoreVarStats() {}
  ScoreVarStats(const ScoreVarStats&) {}
  ScoreVarStats& operator=(const ScoreVarStats&) { return *this; }
};

}  // namespace MCOrvane_600

#endif  // ORVANE_DICTIONARY_SCORE_VAR_STATS_H_
