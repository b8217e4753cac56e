// "Apply" expressions: the built-in function names, the expression trees and
// the argument rules that each function puts on its arguments.

#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transform_var.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/ov_exception.h"
#include "translate/pmml_transformation_dom.h"

namespace MCOrvane_600 {

namespace {

// Far deeper than any expression a model needs.
constexpr int kMaxApplyDepth = 1000;

using pmml_transformation::FirstChildElement;
using pmml_transformation::IsNamed;
using pmml_transformation::NextElement;
using T = PMMLModelTags;
using TD = TransformationDictionary;
using xercesc::DOMElement;

// Argument kinds of an Apply element.
const int kApplyArgument = 0;
const int kFieldArgument = 1;
const int kConstantArgument = 2;

// Encoded constants: "Constant_" + type letter + "_" + text.
const char kConstantPrefix[] = "Constant_";
const size_t kConstantTypePosition = 9;

const char kTwoParameters[] = "Two parameters are required!";
const char kOneParameterAllowed[] = "Only one parameter is allowed!";
const char kThreeParameters[] = "Three parameters are required!";
const char kOneParameterRequired[] = "Only one parameter is required!";
const char kSixParameters[] = "Six parameters are required!";

bool Between(TD::TransformFunction f, TD::TransformFunction low, TD::TransformFunction high) {
  return f >= low && f <= high;
}

[[noreturn]] void Refuse(const char* message) {
  throw OVException(OVException::kCodeSemantic, message);
}

// The message for a wrong argument count of `f`, or null when `f` takes any
// number (or is not checked at all).
const char* CountRule(TD::TransformFunction f, size_t* expected) {
  switch (f) {
    case TD::kFN_PLUS:
    case TD::kFN_MINUS:
    case TD::kFN_MULTIPLY:
    case TD::kFN_DIVIDE:
    case TD::kFN_POW:
    case TD::kFN_MOD:
    case TD::kFN_SUBSTR:
    case TD::kFN_DATE_YEARS_DIFFERENCE:
    case TD::kFN_DATE_MONTHS_DIFFERENCE:
    case TD::kFN_DATE_DAYS_DIFFERENCE:
    case TD::kFN_TIME_HOURS_DIFFERENCE:
    case TD::kFN_TIME_MINUTES_DIFFERENCE:
    case TD::kFN_TIME_SECONDS_DIFFERENCE:
      *expected = 2;
      return kTwoParameters;
    case TD::kFN_ABS:
    case TD::kFN_EXP:
    case TD::kFN_LOG10:
    case TD::kFN_LN:
    case TD::kFN_ROUND:
    case TD::kFN_SQRT:
    case TD::kFN_TRUNC:
    case TD::kFN_CDFNORM:
    case TD::kFN_LENGTH:
    case TD::kFN_LOWER:
    case TD::kFN_LTRIM:
    case TD::kFN_RTRIM:
    case TD::kFN_UPPERCASE:
    case TD::kFN_SYSMIS:
    case TD::kFN_VALUE:
    case TD::kFN_RECAST_TO_ORDINAL:
    case TD::kFN_RECAST_TO_SCALE:
      *expected = 1;
      return kOneParameterAllowed;
    case TD::kFN_CDF_NORMAL:
    case TD::kFN_IDF_NORMAL:
    case TD::kFN_PDF_NORMAL:
      *expected = 3;
      return kThreeParameters;
    case TD::kFN_YEAR_FROM_DATE:
    case TD::kFN_MONTH_FROM_DATE:
    case TD::kFN_DAY_FROM_DATE:
    case TD::kFN_HOUR_FROM_TIME:
    case TD::kFN_MINUTE_FROM_TIME:
    case TD::kFN_SECOND_FROM_TIME:
      *expected = 1;
      return kOneParameterRequired;
    case TD::kFN_OUTLIER_HANDLE:
      *expected = 6;
      return kSixParameters;
    default:
      return nullptr;
  }
}

}  // namespace

void PMMLTranslator::InitFunctionMap() { FillTransformFunctionMap(&function_map_); }

TransformationDictionary::TransformFunction PMMLTranslator::GetTransFunction(
    const std::string& name) {
  return FindTransformFunction(function_map_, name);
}

FunctionTree* PMMLTranslator::HandleApply(DOMElement* apply, const ScoreDictVar* target,
                                          FunctionTree* parent, const ScoreDictionary* data,
                                          const ScoreDictionary* derived) {
  if (apply_depth_ >= kMaxApplyDepth) {
    throw OVException(OVException::kCodeUnsupported,
                      "Apply elements nested deeper than " + std::to_string(kMaxApplyDepth) +
                          " levels are not supported!");
  }
  struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(++d) {}
    ~DepthGuard() { --depth; }
  } depth_guard(apply_depth_);
  const std::string name =
      GetTranscoder()->transcodeTo(GetAttributeForced(apply, T::XML_ATT_APPLY_FUNCTION));
  const TD::TransformFunction function = GetTransFunction(name);
  if (function == TD::kFN_NONE) {
    throw OVException(OVException::kCodeUnsupported, name + ": not Supported function name");
  }

  ApplyNodeStats stats;
  stats.SetTransformFunction(function);
  stats.SetNodeID(std::to_string(node_counter_++));
  std::unique_ptr<FunctionTreeImp> owned(new FunctionTreeImp(true));
  owned->SetNodeStats(stats);
  FunctionTree* node = owned.get();
  // A node joins its parent before its own arguments are read; from then on
  // the parent owns it.
  if (parent != nullptr) {
    parent->Add(node);
    if (node->GetParent() == parent) owned.release();
  }

  // Most functions take one to three arguments: one allocation each.
  const size_t kUsualArguments = 4;
  std::vector<std::string> names;
  std::vector<int> kinds;
  std::vector<TD::TransformFunction> child_functions;
  names.reserve(kUsualArguments);
  kinds.reserve(kUsualArguments);
  child_functions.reserve(kUsualArguments);
  for (DOMElement* child = FirstChildElement(apply); child != nullptr; child = NextElement(child)) {
    if (IsNamed(child, T::XML_ELE_APPLY)) {
      const FunctionTree* argument = HandleApply(child, target, node, data, derived);
      names.push_back("APPLY");
      kinds.push_back(kApplyArgument);
      child_functions.push_back(argument->GetNodeStats().GetTransformFunction());
    } else if (IsNamed(child, T::XML_ELE_FIELDREF)) {
      const std::string field = HandleFieldRef(child, data, derived, nullptr);
      SetLeafNodeStats(field, node, static_cast<int>(names.size()), false);
      names.push_back(field);
      kinds.push_back(kFieldArgument);
      child_functions.push_back(TD::kFN_NONE);
    } else if (IsNamed(child, T::XML_ELE_CONSTANT)) {
      double number = 0.0;
      ScoreValue::ValueType type = ScoreValue::kNUMERIC_VALUE;
      const std::string text = HandelConstant(child, number, type);
      const char* letter = type == ScoreValue::kNUMERIC_VALUE    ? "D_"
                           : type == ScoreValue::kDATETIME_VALUE ? "T_"
                                                                 : "S_";
      const std::string parameter = kConstantPrefix + std::string(letter) + text;
      SetLeafNodeStats(parameter, node, static_cast<int>(names.size()), true);
      names.push_back(parameter);
      kinds.push_back(kConstantArgument);
      child_functions.push_back(TD::kFN_NONE);
    }
  }

  VerifyApplyFunction(names, kinds, data, derived, function, child_functions, target);
  owned.release();
  return node;
}

void PMMLTranslator::SetLeafNodeStats(const std::string& parameterName, FunctionTree* parent,
                                      int index, bool isConstant) {
  ApplyNodeStats stats;
  stats.SetTransformFunction(TD::kFN_NONE);
  stats.SetNodeID(std::to_string(node_counter_++));
  stats.SetParameterName(parameterName);
  stats.SetConstNode(isConstant);
  std::unique_ptr<FunctionTreeImp> leaf(new FunctionTreeImp(false));
  leaf->SetNodeStats(stats);
  parent->Insert(leaf.get(), index);
  if (leaf->GetParent() == parent) leaf.release();
}

void PMMLTranslator::VerifyApplyFunction(const std::vector<std::string>& names,
                                         const std::vector<int>& kinds, const ScoreDictionary* data,
                                         const ScoreDictionary* derived, TD::TransformFunction f,
                                         const std::vector<TD::TransformFunction>& childFunctions,
                                         const ScoreDictVar* target) {
  // Comparisons, logic, membership and "if" take anything.
  if (Between(f, TD::kFN_IS_MISSING, TD::kFN_IF) || f == TD::kFN_NONE) return;

  size_t expected = 0;
  const char* count_message = CountRule(f, &expected);
  if (count_message != nullptr && names.size() != expected) Refuse(count_message);

  if (f == TD::kFN_SYSMIS || f == TD::kFN_VALUE || f == TD::kFN_RECAST_TO_ORDINAL ||
      f == TD::kFN_RECAST_TO_SCALE) {
    if (kinds[0] != kFieldArgument) Refuse("Only <FieldRef> is allowed for function value!");
    const ScoreDictVar* field = FindField(names[0], data, derived);
    if (field != nullptr) {
      const bool matches = f == TD::kFN_SYSMIS
                               ? field->GetVarType() == ScoreDictVar::kNUMERIC_VAR
                               : target == nullptr || field->GetVarType() == target->GetVarType();
      if (!matches) Refuse("Variable type doesn't match!");
    }
    if (f != TD::kFN_SYSMIS) return;
  }

  // Date/time functions and "outlierHandle" are checked for their count only.
  if (Between(f, TD::kFN_DATE_YEARS_DIFFERENCE, TD::kFN_SECOND_FROM_TIME) ||
      f == TD::kFN_OUTLIER_HANDLE) {
    return;
  }

  for (size_t i = 0; i < names.size(); ++i) {
    if (kinds[i] == kApplyArgument) {
      VerifyParentAndChildFunction(f, childFunctions[i]);
      continue;
    }
    bool numeric_expected = IsNumericFunction(f);
    if (f == TD::kFN_SUBSTR) numeric_expected = i == 1;
    VerifyOneElem(numeric_expected, kinds[i] == kConstantArgument, names[i], data, derived);
  }
}

void PMMLTranslator::VerifyOneElem(bool numericExpected, bool isConstant, const std::string& name,
                                   const ScoreDictionary* data, const ScoreDictionary* derived) {
  bool numeric = false;
  if (isConstant) {
    numeric = name.size() > kConstantTypePosition && name[kConstantTypePosition] == 'D';
  } else {
    // A field no dictionary knows passes as a number.
    const ScoreDictVar* field = FindField(name, data, derived);
    numeric = field == nullptr || field->GetVarType() == ScoreDictVar::kNUMERIC_VAR;
  }
  if (numeric != numericExpected) Refuse("Doesn't match!");
}

bool PMMLTranslator::IsNumericFunction(TD::TransformFunction f) {
  return Between(f, TD::kFN_PLUS, TD::kFN_VARIANCE) || f == TD::kFN_SYSMIS;
}

bool PMMLTranslator::IsStringFunction(TD::TransformFunction f) {
  return f == TD::kFN_CONCAT || f == TD::kFN_LOWER || f == TD::kFN_LTRIM || f == TD::kFN_RTRIM ||
         f == TD::kFN_UPPERCASE;
}

void PMMLTranslator::VerifyParentAndChildFunction(TD::TransformFunction parent,
                                                  TD::TransformFunction child) {
  // A standard PMML function answers whatever its arguments make of it.
  if (child == TD::kFN_X_STANDARD) return;
  if (IsNumericFunction(parent)) {
    if (!IsNumericFunction(child) && child != TD::kFN_LENGTH) {
      Refuse("Numeric function is required!");
    }
  } else if (IsStringFunction(parent)) {
    if (!IsStringFunction(child)) Refuse("string function is required!");
  } else if (parent == TD::kFN_LENGTH) {
    if (!IsStringFunction(child)) Refuse("apply functions don't match!");
  }
}

}  // namespace MCOrvane_600
