#include "orvane/dictionary/missing_value_set.h"

#include <ostream>

#include "dictionary/owning_container.h"
#include "orvane/dictionary/score_value_range.h"

namespace MCOrvane_600 {

namespace {

// Equality as the set sees it: the held range's operator== with `range` as
// its operand.
auto EqualTo(const ScoreValueRange* range) {
  return [range](const ScoreValueRange& held) { return held == *range; };
}

}  // namespace

MissingValueSet::MissingValueSet() = default;

MissingValueSet::MissingValueSet(const MissingValueSet& other) : ScoreMissingValueSet(other) {
  internal::CloneAllInto(other.ranges_, &ranges_);
}

MissingValueSet& MissingValueSet::operator=(const MissingValueSet& other) {
  internal::AssignClones(other.ranges_, &ranges_);
  return *this;
}

MissingValueSet::~MissingValueSet() { internal::DestroyAll(&ranges_); }

ScoreMissingValueSet* MissingValueSet::Clone() const { return new MissingValueSet(*this); }

bool MissingValueSet::Add(ScoreValueRange* range) {
  if (range == nullptr || Contains(range)) return false;
  ranges_.push_back(range);
  return true;
}

bool MissingValueSet::Remove(const ScoreValueRange* range) {
  if (range == nullptr) return false;
  return internal::DestroyMatching(&ranges_, EqualTo(range), /*first_only=*/false) > 0;
}

int MissingValueSet::Size() const { return static_cast<int>(ranges_.size()); }

bool MissingValueSet::Contains(const ScoreValueRange* range) const {
  return range != nullptr && internal::FindMatching(ranges_, EqualTo(range)) != nullptr;
}

std::vector<const ScoreValueRange*> MissingValueSet::GetMissingValues() const {
  return {ranges_.begin(), ranges_.end()};
}

void MissingValueSet::Display(std::ostream& os) const {
  os << " Begin MissingValueSet Display:\n";
  for (const ScoreValueRange* range : ranges_) range->Display(os);
  os << "End MissingValueSet Display.\n";
}

}  // namespace MCOrvane_600
