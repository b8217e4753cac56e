#ifndef ORVANE_SRC_TRANSFORM_ENGINE_EVAL_LANE_H_
#define ORVANE_SRC_TRANSFORM_ENGINE_EVAL_LANE_H_

// The common shapes of derived variables laid out as numbers: a lane reads
// each input of a case once, then computes the linear norms, the bins and
// value maps that answer plain numbers, and the Apply trees of plain numeric
// functions from flat arrays, without a virtual call per operand. Whatever
// a case asks beyond that (a user-missing table input, an unmatched key
// that copies its input, a derived field not yet stored, any other kind of
// variable) is handed back to the general evaluation, one variable at a
// time, so every stored value is the one the general evaluation gives.
// Standard expressions whose fields are numbers or texts run here too, on
// values that keep missing and invalid apart, through the same functions as
// the walk: value maps and each data field's judging of its values included.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "transform/engine/builtin_functions.h"
#include "transform/engine/eval_case.h"
#include "transform/engine/standard_functions.h"

namespace MCOrvane_600 {

class NumericValue;
class ScoreDictVar;
class ScoreValue;
class TransformVar;
class TransformationDictionary;

namespace internal {

class ApplyProgram;

class EvalLane {
 public:
  // Lays out the steps of `plan`, made by `owner`, that it can compute.
  // Every derived variable must have been evaluated once (its result
  // exists); the plan's validity flag is handed to the Apply trees read, so
  // a change to any of them drops the plan with the lane.
  EvalLane(const TransformationDictionary& owner, EvalPlan& plan);
  EvalLane(const EvalLane&) = delete;
  EvalLane& operator=(const EvalLane&) = delete;

  // Computes every step of the case `ec` (which reads a CaseRecord other
  // than the derived record, through `plan`) into `owner`'s derived record;
  // the steps it cannot compute go to owner.EvaluateStep.
  void Run(TransformationDictionary& owner, EvalCase& ec, EvalPlan& plan);

 private:
  // How the step is computed.
  enum Kind : std::uint8_t {
    kGeneral,  // by the general evaluation
    kNorm,     // scale * x + offset of the source number
    kBins,     // the bin holding the source number
    kMap,      // the row of the source text
    kProgram,  // a numeric Apply program
    kStandard, // a standard expression
  };
  // What a case gave an input.
  enum State : std::uint8_t {
    kPresent,  // a value in the record
    kAbsent,   // no value, and not a derived field of this dictionary
    kDerived,  // no value: the derived field of step `step`
  };
  struct Step {
    Kind kind = kGeneral;
    // The number for an unmatched input that is not missing is `unmatched`
    // (tables).
    bool unmatched_known = false;
    // kNorm, kBins, kMap: the input.
    std::int32_t input = -1;
    // The input this step's field is to the steps after it; -1 for none.
    std::int32_t feeds = -1;
    // Bins, map rows or program operations: [first, first + count).
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    // kProgram: the inputs that must hold a number, [checks, checks +
    // check_count) of checks_, and where the answer is read, in args_.
    std::uint32_t checks = 0;
    std::uint32_t check_count = 0;
    std::uint32_t answer = 0;
    // kNorm: scale and offset; tables: the answer for an absent input and
    // for an unmatched one.
    double a = 0.0;
    double b = 0.0;
    // Lent from the derived record: the slot of the step, a plain number.
    NumericValue* out = nullptr;
    // kStandard: the program, told whether its answer was invalid; its
    // nodes' values are cells [answer, answer + node count) of cells_.
    const ApplyProgram* program = nullptr;
  };
  // One node of a standard expression, computed into cell `cell` from the
  // cells of its children, [first, first + count).
  struct StandardOp {
    enum What : std::uint8_t {
      kField,       // the number of input `input`
      kFunction,    // standard::Apply of `op`
      kIf,
      kTest,        // isMissing, isNotMissing, isValid or isNotValid
      kGuard,       // an Apply's attributes; `code` 1 for asMissing
      kMapMissing,
      kCast,        // to the type `code`
      kTreatInput,  // `code` 1 for asIs
      kNorm,        // NormContinuous by the points of node `node`
      kBin,         // Discretize by the bins of node `node`
      kValid,       // input `input` as its data field judges it
      kMapValues,   // the row of node `node` for `code` key columns
    };
    What what = kFunction;
    std::int32_t op = 0;
    std::int32_t code = 0;
    std::int32_t input = -1;
    std::uint32_t cell = 0;
    std::uint32_t first = 0;
    std::int32_t count = 0;
    // kNorm, kBin, kMapValues: the node, in its program (lent).
    std::int32_t node = 0;
    const ApplyProgram* program = nullptr;
  };
  struct Bin {
    bool low_included;
    bool high_included;
    bool plain;  // the bin value is a plain number, `number`
    double low;
    double high;
    double number;
  };
  struct Row {
    std::int32_t key;  // in keys_
    bool plain;
    double number;
  };
  // One function node of a program. Its arguments are read through
  // pointers: to an input's number, a constant, or the answer of an earlier
  // operation, so that fields and constants cost no operation of their own.
  struct Op {
    enum Code : std::uint8_t {
      kFold,       // +, pow, mod and the unary functions, folded left
      kCollect,    // the vector functions
      kIsMissing,  // isMissing or isNotMissing of a field
      kTextEqual,  // equal or notEqual of a field and a text constant
    };
    Code code = kFold;
    // kTextEqual: the constant's text is empty once trailing spaces go.
    bool empty_text = false;
    std::int32_t function = 0;
    // kFold, kCollect: the arguments, [first_arg, first_arg + count) of
    // args_; kIsMissing, kTextEqual: the input (in first_arg).
    std::int32_t first_arg = 0;
    std::int32_t count = 0;
    // Where the answer goes, in stack_.
    std::int32_t out = 0;
    // kTextEqual: the constant's key.
    std::int32_t key = -1;
    builtin::ScalarFunction scalar = nullptr;  // kFold
    builtin::VectorFunction vector = nullptr;  // kCollect
  };
  // A place a number is read from, until the lane is laid out and the
  // places become pointers.
  struct Place {
    enum Where : std::uint8_t { kInput, kConstant, kStack } where;
    std::int32_t index;
  };
  struct Input {
    // The plan operand.
    int operand = -1;
    // The operand's variable (lent; null for a name without one), and
    // whether it is exactly the library's, whose answers need no virtual
    // call.
    const ScoreDictVar* var = nullptr;
    bool plain_var = false;
    // The step computing the field, when the name is a derived field of the
    // owner; -1 otherwise.
    std::int32_t step = -1;
    // What the steps read: the raw number (bins, norms), the number an
    // Apply operand takes (user-missing values made system-missing), the
    // key of a text, and whether the variable calls the value missing.
    bool needs_raw = false;
    bool needs_number = false;
    bool needs_key = false;
    bool needs_missing = false;
    // The type of the input's variable, for a text compared or an absent
    // field; what isMissing answers for the field.
    bool needs_type = false;
    bool needs_missing_answer = false;
    // The text of a text value, as a standard expression reads it.
    bool needs_text = false;
    // The kValidity node judging the field's values, in its program (lent;
    // null for none); its constants are in cells_ from `validity_base` on.
    const ApplyProgram* validity_program = nullptr;
    std::int32_t validity_node = -1;
    std::uint32_t validity_base = 0;
    // The derived field the name is (lent; null for none): a standard
    // expression reads its missing value as invalid when its own expression
    // answered so.
    const TransformVar* derived = nullptr;
  };
  // What a case gave each input; parallel to inputs_.
  struct Decoded {
    State state;
    bool exact_number;  // exactly a NumericValue
    bool exact_text;    // exactly a StringValue
    bool missing;       // the input's variable calls the value missing
    bool has_var;       // the name is a variable of either dictionary
    std::int8_t type;   // the variable's type, when needed
    // isMissing of the field: 0 or 1; -1 when the general evaluation must
    // tell.
    std::int8_t missing_answer;
    std::int32_t key;  // the text's key; -1 for none
    double raw;
  };

  // The input of plan operand `k` for step `at`, added on first use; -1
  // when the lane cannot read the operand there.
  int InputOf(int k, std::size_t at, const TransformationDictionary& owner, EvalPlan& plan);
  bool LayNorm(Step& step, const TransformVar& var, int input);
  bool LayBins(Step& step, const TransformVar& var, int input);
  bool LayMap(Step& step, const TransformVar& var, int input);
  bool LayProgram(Step& step, const TransformVar& var, std::size_t at,
                  const TransformationDictionary& owner, EvalPlan& plan);
  bool LayStandard(Step& step, const TransformVar& var, std::size_t at,
                   const TransformationDictionary& owner, EvalPlan& plan);
  // The operations computing node `i` of `program` and its children into
  // cells from `base` on; false when the lane has none.
  bool LayStandardNode(const ApplyProgram& program, int i, std::uint32_t base, std::size_t at,
                       const TransformationDictionary& owner, EvalPlan& plan);
  // The operation computing node `i` of `program`, which the general
  // evaluation walks; false when the lane has none.
  bool LayNode(Op* op, const ApplyProgram& program, int i, std::size_t at,
               const TransformationDictionary& owner, EvalPlan& plan);
  // Turns the places into pointers, once every array has its size.
  void Link();
  // Hands the number `x` of step `i` to the steps after it that read it.
  void Feed(const Step& step, double x) {
    if (step.feeds < 0) return;
    const std::size_t input = static_cast<std::size_t>(step.feeds);
    if (decoded_[input].state != kDerived) return;
    numbers_[input] = x;
    has_number_[input] = 1;
  }
  std::int32_t Intern(std::string_view text);
  static void LayRecodes(Step& step, const TransformVar& var);
  // The key number of `text` (trailing spaces gone) among every map row and
  // text constant; -1 when none has it.
  std::int32_t KeyOf(const std::string& text) const;

  void Decode(EvalCase& ec, EvalPlan& plan);
  // Each answers false, changing nothing, when the case needs the general
  // evaluation.
  bool SourceNumber(const Step& step, double* x) const;
  bool ComputeBins(const Step& step, double* x) const;
  bool ComputeMap(const Step& step, double* x) const;
  bool ComputeProgram(const Step& step, double* x);
  bool ComputeStandard(const Step& step, const EvalCase& ec, double* x);
  // The value of a field as a standard expression reads it; false when the
  // general evaluation must tell.
  bool StandardField(std::size_t input, const EvalCase& ec, standard::Value* v) const;
  // The value of input `input` as its data field judges it, computed once a
  // case; null when the general evaluation must tell.
  const standard::Value* JudgedField(std::size_t input);
  // The input read by the kValidity node `i` of `program`, laid out with
  // its constants from `base` on; -1 when the lane cannot judge it.
  int LayValidity(const ApplyProgram& program, int i, std::uint32_t base, std::size_t at,
                  const TransformationDictionary& owner, EvalPlan& plan);
  // The number of an isMissing or text equality operation; false when the
  // general evaluation must tell.
  bool IsMissingNumber(const Op& op, double* x) const;
  bool TextEqualNumber(const Op& op, double* x) const;

  std::vector<Step> steps_;
  std::vector<Bin> bins_;
  std::vector<Row> rows_;
  std::vector<Op> ops_;
  std::vector<StandardOp> standard_ops_;
  // The values of the nodes of the standard expressions, constants laid in.
  std::vector<standard::Value> cells_;
  // The arguments of the operations and the answers of the programs: laid
  // out as places, then linked into pointers.
  std::vector<Place> places_;
  std::vector<const double*> args_;
  std::vector<double> constants_;
  std::vector<std::int32_t> checks_;
  std::vector<Input> inputs_;
  std::vector<Decoded> decoded_;
  // The record entry of each input (null for a name the record lacks),
  // found for the record layout `layout_`.
  std::uint64_t layout_ = 0;
  std::vector<ScoreValue* const*> entries_;
  // What an Apply operand takes of each input in this case, and whether it
  // is known: parallel to inputs_.
  std::vector<double> numbers_;
  std::vector<char> has_number_;
  // The text of each text input of this case (missing for the empty text);
  // each input's value as its data field judges it, and whether that is
  // known yet in this case.
  std::vector<standard::Value> texts_;
  std::vector<standard::Value> judged_;
  std::vector<char> has_judged_;
  // Room for the arguments of the largest vector function.
  std::vector<double> gathered_;
  // The input of each plan operand; -2 not looked at yet, -1 unreadable.
  std::vector<int> operand_input_;
  // Every key text of the maps, numbered.
  std::unordered_map<std::string, std::int32_t> keys_;
  std::vector<double> stack_;
};

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_ENGINE_EVAL_LANE_H_
