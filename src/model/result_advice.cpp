#include "orvane/model/result_advice.h"

namespace MCOrvane_600 {

ResultAdvice::ResultAdvice(int id, const std::string& info) : id_(id), info_(info) {}

ResultAdvice::ResultAdvice(const ResultAdvice& other) = default;

ResultAdvice& ResultAdvice::operator=(const ResultAdvice& other) = default;

ResultAdvice::~ResultAdvice() = default;

ResultAdvice* ResultAdvice::Clone() const { return new ResultAdvice(*this); }

int ResultAdvice::GetID() const { return id_; }

std::string ResultAdvice::GetInfo() const { return info_; }

// The wording is part of the host interface: hosts and their users match on
// these texts, so they stay exactly as published, grammar included.
std::string ResultAdvice::ToString() {
  switch (id_) {
    case 101:
      return "Variable " + info_ + " has a missing value. Mean substitution is used.";
    case 102:
      return "Scored as SYSMIS due to missing predictor: " + info_;
    case 103:
      return "Score is a missing value";
    case 104:
      return "Could not find variable " + info_ +
             " in the case record and it was treated as having missing value.";
    case 105:
      return "Variable " + info_ + " has an illegal value which was treated as missing value.";
    case 106:
      return "Variable " + info_ + " has a missing value.";
    case 107:
      return "Surrogate split variable " + info_ + " used.";
    case 108:
      return "Biggest child node chosen for split variable " + info_ + " due to missing value.";
    case 109:
      return "Variable " + info_ + " has an value out of range( >max or <min )";
    case 110:
      return "Variable " + info_ +
             " has an missing value. missing value replacement substitution is used.";
    case 111:
      return "Variable " + info_ + " has a new category.";
    case 112:
      return "Case belongs to a cluster that is made up of identical cases";
    default:
      return std::string();
  }
}

}  // namespace MCOrvane_600
