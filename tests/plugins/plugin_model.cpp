#include "plugin_model.h"

#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/dict_var.h"

namespace orvane_test_plugin {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::DictVar;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreDictVar;

PluginModel::PluginModel(const std::string& modelType) : model_type_(modelType) {}

void PluginModel::SetResultField(const std::string& name, ScoreDictVar::VariableType type) {
  results_.RemoveVar(result_name_);
  result_name_ = name;
  auto* var = new DictVar(name, type);
  if (!results_.AddVar(name, var)) delete var;
}

bool PluginModel::SetScoringOption(const std::string&, const std::string&) { return false; }

std::string PluginModel::GetModelType() const { return model_type_; }

const MCOrvane_600::ScoreDictionary* PluginModel::GetResultDictionary() const { return &results_; }

ScoreCaseRecord* PluginModel::CreateResultRecord() const {
  auto* record = new CaseRecord();
  record->Add(result_name_, nullptr);
  return record;
}

EchoModel::EchoModel(const std::string& modelType, const std::string& description)
    : PluginModel(modelType), description_(description) {
  SetResultField("$E-served", ScoreDictVar::kSTRING_VAR);
}

bool EchoModel::Score(const ScoreCaseRecord* input, ScoreCaseRecord* result,
                      std::vector<MCOrvane_600::ResultAdvice>* advice) {
  if (input == nullptr || result == nullptr) return false;
  if (advice != nullptr) advice->clear();
  return result->SetValue(ResultName(), GetModelType());
}

void EchoModel::Display(std::ostream& os) const { os << description_; }

std::string Narrow(const XMLCh* text) {
  if (text == nullptr) return std::string();
  xercesc::TranscodeToStr utf8(text, "UTF-8");
  return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
}

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) {
    if (!joined.empty()) joined += ",";
    joined += name;
  }
  return joined;
}

}  // namespace orvane_test_plugin
