// A few cases made up for any data dictionary, so that derived values can be
// computed for documents that carry no data: nothing set, zeros and empty
// texts, ordinary values, missing values, and each variable's first category.

#ifndef ORVANE_FUZZ_SYNTHETIC_CASES_H_
#define ORVANE_FUZZ_SYNTHETIC_CASES_H_

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"

namespace orvane_fuzz {

constexpr int kSyntheticCaseCount = 5;

// Case `which` (0 to kSyntheticCaseCount - 1) for the variables of `data`.
inline std::unique_ptr<MCOrvane_600::CaseRecord> MakeSyntheticCase(
    const MCOrvane_600::ScoreDictionary& data, int which) {
  using namespace MCOrvane_600;
  std::unique_ptr<CaseRecord> record(new CaseRecord);
  if (which == 0) return record;
  const std::vector<ScoreDictVar*> vars = data.GetScoreDictVars();
  for (const ScoreDictVar* var : vars) {
    const std::string name = var->GetName();
    const ScoreDictVar::VariableType type = var->GetVarType();
    const bool text = type == ScoreDictVar::kSTRING_VAR;
    const bool date = type == ScoreDictVar::kDATETIME_VAR;
    const ScoreDictVar::DateTimeType date_type = var->GetDateTimeType();
    ScoreValue* value = nullptr;
    switch (which) {
      case 1:
        value = text   ? static_cast<ScoreValue*>(new StringValue(""))
                : date ? new DateTimeValue(0.0, date_type)
                       : new NumericValue(0.0);
        break;
      case 2:
        value = text   ? static_cast<ScoreValue*>(new StringValue(" A b "))
                : date ? new DateTimeValue(1234567890.0, DateTimeValue::GetValType(date_type))
                       : new NumericValue(1.5);
        break;
      case 3:
        value = text   ? static_cast<ScoreValue*>(new StringValue("   "))
                : date ? new DateTimeValue()
                       : new NumericValue();
        break;
      default: {
        const ScoreValueLabelSet* labels = var->GetValueLabels();
        if (labels != nullptr && labels->Size() > 0) {
          value = labels->GetAllValueLabels().front()->GetValue()->Clone();
        }
        break;
      }
    }
    if (value != nullptr) record->Add(name, value);
  }
  if (which == 2) record->SetUpNameIndexMap(vars);
  return record;
}

// Computes the derived values of every synthetic case and reads each of
// them, as a host would.
inline void ComputeSyntheticCases(MCOrvane_600::TransformationDictionary* derived,
                                  const MCOrvane_600::ScoreDictionary& data) {
  using namespace MCOrvane_600;
  const std::vector<std::string> names = derived->GetDerivedVarNames();
  for (int which = 0; which < kSyntheticCaseCount; ++which) {
    std::unique_ptr<CaseRecord> record = MakeSyntheticCase(data, which);
    const ScoreCaseRecord* result = derived->GetValuesForDeriedVars(record.get(), &data);
    if (result == nullptr) continue;
    for (const std::string& name : names) {
      const ScoreValue* value = derived->GetVarValue(name);
      if (value != nullptr) (void)value->GetString();
      (void)derived->IsVarValueComputed(name);
    }
  }
}

// Not exactly the library's record, so that a dictionary computing from it
// takes the general way for every field.
class OtherRecord : public MCOrvane_600::CaseRecord {};

// Computes the case in `record` with `fast`, from the record itself, and
// with `general`, a dictionary built alike, from a record of another class
// holding the same values. Any difference in a stored value is a finding.
inline void CompareWithGeneral(MCOrvane_600::TransformationDictionary* fast,
                               MCOrvane_600::TransformationDictionary* general,
                               const MCOrvane_600::CaseRecord& record,
                               const MCOrvane_600::ScoreDictionary& data) {
  using namespace MCOrvane_600;
  OtherRecord other;
  static_cast<CaseRecord&>(other) = record;
  const ScoreCaseRecord* a = fast->GetValuesForDeriedVars(&record, &data);
  const ScoreCaseRecord* b = general->GetValuesForDeriedVars(&other, &data);
  if ((a == nullptr) != (b == nullptr)) __builtin_trap();
  if (a == nullptr) return;
  for (const std::string& name : fast->GetDerivedVarNames()) {
    const ScoreValue* x = a->Get(name);
    const ScoreValue* y = b->Get(name);
    if ((x == nullptr) != (y == nullptr)) __builtin_trap();
    if (x == nullptr) continue;
    const double u = x->GetDouble();
    const double v = y->GetDouble();
    if (x->GetType() != y->GetType() || !(u == v || (u != u && v != v)) ||
        x->GetString() != y->GetString() ||
        fast->IsVarValueComputed(name) != general->IsVarValueComputed(name)) {
      std::fprintf(stderr, "%s: %.17g \"%s\" against %.17g \"%s\"\n", name.c_str(), u,
                   x->GetString().c_str(), v, y->GetString().c_str());
      __builtin_trap();
    }
  }
}

// The same for every synthetic case, twice over, so that whatever the
// dictionaries keep from one case to the next is used.
inline void CompareWithGeneral(MCOrvane_600::TransformationDictionary* fast,
                               MCOrvane_600::TransformationDictionary* general,
                               const MCOrvane_600::ScoreDictionary& data) {
  for (int round = 0; round < 2; ++round) {
    for (int which = 0; which < kSyntheticCaseCount; ++which) {
      CompareWithGeneral(fast, general, *MakeSyntheticCase(data, which), data);
    }
  }
}

}  // namespace orvane_fuzz

#endif  // ORVANE_FUZZ_SYNTHETIC_CASES_H_
