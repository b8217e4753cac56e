#ifndef ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_
#define ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_

#include <initializer_list>
#include <string>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/string_value.h"
#include "transform/engine/apply_evaluator.h"

// Expression-tree nodes and input fields for the tests of derived fields
// (this header brings what they use). The caller owns what each returns.
namespace orvane_test {

using MCOrvane_600::FunctionTree;
using MCOrvane_600::FunctionTreeImp;
using TransformFunction = MCOrvane_600::TransformationDictionary::TransformFunction;
constexpr TransformFunction kNoFunction = MCOrvane_600::TransformationDictionary::kFN_NONE;

// A node with the given ID; a parameter of the encoded form "Constant_..."
// marks a constant leaf unless `constant` says otherwise.
inline FunctionTreeImp* MakeNode(const std::string& id, TransformFunction function,
                                 const std::string& parameter = "", int constant = -1) {
  auto* node = new FunctionTreeImp(function != kNoFunction);
  MCOrvane_600::ApplyNodeStats stats;
  stats.SetNodeID(id);
  stats.SetTransformFunction(function);
  stats.SetParameterName(parameter);
  stats.SetConstNode(constant >= 0 ? constant == 1 : parameter.rfind("Constant_", 0) == 0);
  node->SetNodeStats(stats);
  return node;
}

// As MakeNode, with a fresh ID and the constant flag given.
inline FunctionTreeImp* Node(TransformFunction function, const std::string& parameter,
                             bool constant) {
  static int next_id = 0;
  return MakeNode("n" + std::to_string(++next_id), function, parameter, constant ? 1 : 0);
}

// A function node over `args`, which it takes.
inline FunctionTreeImp* Call(TransformFunction function,
                             std::initializer_list<FunctionTree*> args) {
  FunctionTreeImp* node = Node(function, "", false);
  for (FunctionTree* arg : args) node->Add(arg);
  return node;
}

// Leaves: a field reference and constants in their encoded forms (a number,
// a text, a date/time in seconds).
inline FunctionTreeImp* Ref(const std::string& name) { return Node(kNoFunction, name, false); }
inline FunctionTreeImp* Num(const std::string& text) {
  return Node(kNoFunction, "Constant_D_" + text, true);
}
inline FunctionTreeImp* Str(const std::string& text) {
  return Node(kNoFunction, "Constant_S_" + text, true);
}
inline FunctionTreeImp* Date(const std::string& seconds) {
  return Node(kNoFunction, "Constant_T_" + seconds, true);
}

// A numeric input field; `missing`, unless the system-missing value, is its
// one user-missing value.
inline MCOrvane_600::DictVar* NumericVar(
    const std::string& name, double missing = MCOrvane_600::NumericValue::GetSysmisValue()) {
  auto* var = new MCOrvane_600::DictVar(name, MCOrvane_600::ScoreDictVar::kNUMERIC_VAR);
  if (missing != MCOrvane_600::NumericValue::GetSysmisValue()) {
    auto* set = new MCOrvane_600::MissingValueSet();
    set->Add(new MCOrvane_600::Range(new MCOrvane_600::NumericValue(missing)));
    var->SetMissingValues(set);
  }
  return var;
}

// A plain walk of a tree with its own working values.
struct Walker {
  MCOrvane_600::NumericValue number;
  MCOrvane_600::StringValue text;
  MCOrvane_600::DateTimeValue date_time;
  MCOrvane_600::ApplyEvaluator evaluator{&number, &text, &date_time};
};

}  // namespace orvane_test

#endif  // ORVANE_TESTS_TRANSFORM_TREE_BUILDERS_H_
