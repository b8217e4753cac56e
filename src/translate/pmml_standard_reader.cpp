// Standard PMML 4.4 derived fields: every expression becomes a tree of
// kFN_X_STANDARD nodes (transform/engine/standard_functions.h) under one cast
// to the field's data type, so that the evaluation engine computes them like
// any other Apply tree. Calls of a "DefineFunction" are laid out in place, with
// each ParameterField replaced by its argument.

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "transform/engine/standard_functions.h"
#include "translate/pmml_transformation_dom.h"

namespace MCOrvane_600 {

namespace {

using pmml_transformation::FirstChildElement;
using pmml_transformation::HasText;
using pmml_transformation::IsNamed;
using pmml_transformation::NextElement;
using TD = TransformationDictionary;
using T = PMMLModelTags;
using xercesc::DOMElement;

// Far deeper than any expression a model needs, and far larger.
constexpr int kMaxDepth = 1000;
constexpr std::size_t kMaxNodes = 1000000;

[[noreturn]] void Refuse(OVException::ExceptionCode code, const std::string& message) {
  throw OVException(code, message);
}

// The element's name without a namespace prefix.
std::string LocalName(const DOMElement* element, const BrixTranscoder* transcoder) {
  const std::string name = transcoder->transcodeTo(element->getTagName());
  const std::size_t colon = name.find(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

bool IsExpression(const DOMElement* e) {
  return IsNamed(e, "Apply") || IsNamed(e, "FieldRef") || IsNamed(e, "Constant") ||
         IsNamed(e, "NormContinuous") || IsNamed(e, "NormDiscrete") || IsNamed(e, "Discretize") ||
         IsNamed(e, "MapValues") || IsNamed(e, "TextIndex") || IsNamed(e, "Aggregate") ||
         IsNamed(e, "Lag");
}

DOMElement* FirstExpression(DOMElement* parent) {
  for (DOMElement* e = FirstChildElement(parent); e != nullptr; e = NextElement(e)) {
    if (IsExpression(e)) return e;
  }
  return nullptr;
}

int CastTypeOf(const std::string& dataType) {
  if (dataType == "integer") return standard::kInteger;
  if (dataType == "float") return standard::kFloat;
  if (dataType == "double") return standard::kDouble;
  if (dataType == "boolean") return standard::kBoolean;
  if (dataType == "string") return standard::kText;
  return standard::kAsIs;
}

bool ReadsAsNumber(const std::string& text) {
  double x = 0.0;
  return standard::ToNumber(standard::Value::Text(text), &x);
}

}  // namespace

class PMMLTranslator::StandardReader {
 public:
  using Tree = std::unique_ptr<FunctionTree>;

  StandardReader(PMMLTranslator* translator, const ScoreDictionary* visible,
                 TransformationDictionary* derived)
      : t_(translator), transcoder_(translator->GetTranscoder()), visible_(visible),
        derived_(derived) {}

  // Fields may refer to fields of the list that come later.
  void ReadFields(const std::vector<DOMElement*>& fields) {
    for (DOMElement* field : fields) later_.insert(Required(field, "name"));
    for (DOMElement* field : fields) ReadField(field);
  }

  // Refuses a DefineFunction that calls itself, directly or through others.
  void CheckNoRecursion() {
    std::set<std::string> done;
    for (const auto& entry : t_->define_functions_) {
      std::vector<std::string> path;
      Visit(entry.first, &path, &done);
    }
  }

 private:
  std::string Text(const XMLCh* text) const { return transcoder_->transcodeTo(text); }
  std::string Attribute(const DOMElement* e, const char* name) const {
    const XMLCh* text = GetAttribute(e, name);
    return HasText(text) ? Text(text) : std::string();
  }
  std::string Required(const DOMElement* e, const char* name) const {
    return Text(GetAttributeForced(e, name));
  }
  // The name `qname`, written inside `scope`, with its prefix replaced by
  // the namespace the prefix is bound to there: InlineTable column elements
  // and the columns a MapValues names match by it, whatever prefix each
  // declares. An unbound prefix stands for itself.
  std::string ExpandedName(const DOMElement* scope, const std::string& qname) const {
    const std::size_t colon = qname.find(':');
    const std::string local = colon == std::string::npos ? qname : qname.substr(colon + 1);
    const std::string prefix = colon == std::string::npos ? "" : qname.substr(0, colon);
    const std::string declaration = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
    for (const xercesc::DOMNode* n = scope;
         n != nullptr && n->getNodeType() == xercesc::DOMNode::ELEMENT_NODE;
         n = n->getParentNode()) {
      const xercesc::DOMNamedNodeMap* attributes = n->getAttributes();
      for (XMLSize_t i = 0; attributes != nullptr && i < attributes->getLength(); ++i) {
        const xercesc::DOMNode* a = attributes->item(i);
        if (Text(a->getNodeName()) == declaration) {
          return "{" + Text(a->getNodeValue()) + "}" + local;
        }
      }
    }
    return qname;
  }

  void Visit(const std::string& name, std::vector<std::string>* path,
             std::set<std::string>* done) {
    if (done->count(name) != 0) return;
    if (std::find(path->begin(), path->end(), name) != path->end()) {
      Refuse(OVException::kCodeUnsupported, name + ": recursive function is not supported");
    }
    const auto found = t_->define_functions_.find(name);
    if (found == t_->define_functions_.end()) return;
    path->push_back(name);
    std::vector<DOMElement*> pending{found->second};
    while (!pending.empty()) {
      DOMElement* e = pending.back();
      pending.pop_back();
      if (IsNamed(e, "Apply")) Visit(Required(e, "function"), path, done);
      for (DOMElement* c = FirstChildElement(e); c != nullptr; c = NextElement(c)) {
        pending.push_back(c);
      }
    }
    path->pop_back();
    done->insert(name);
  }

  void ReadField(DOMElement* field) {
    const std::string name = Required(field, "name");
    if (name.empty()) {
      Refuse(OVException::kCodeStructure, "Variable name can't be empty string!");
    }
    if (TransformVar::FindVariable(name, visible_, derived_) != nullptr) {
      Refuse(OVException::kCodeStructure, name + ": Redefinition!");
    }
    const std::string data_type = Attribute(field, "dataType");
    const std::string optype = Attribute(field, "optype");
    std::unique_ptr<TransformVar> var(new TransformVar(name, ScoreDictVar::kNUMERIC_VAR));
    const std::string display = Attribute(field, "displayName");
    var->SetLabel(display.empty() ? name : display);
    if (data_type == "string") {
      var->SetVarType(ScoreDictVar::kSTRING_VAR);
    } else if (const ScoreDictVar::DateTimeType date_time =
                   t_->ParseDateTimeType(GetAttribute(field, "dataType"))) {
      var->SetVarType(ScoreDictVar::kDATETIME_VAR);
      var->SetDateTimeType(date_time);
    }
    // A derived field without a data type is a number.
    var->SetMLevel(StandardMeasureLevel(optype, data_type.empty() ? "double" : data_type));

    DOMElement* expression = FirstExpression(field);
    if (expression == nullptr) Refuse(OVException::kCodeStructure, "Invalid EXPRESSION");
    target_ = var.get();
    int cast = CastTypeOf(data_type);
    if (var->GetVarType() == ScoreDictVar::kSTRING_VAR) cast = standard::kText;
    Tree root = Node(standard::kCastName);
    Attach(root.get(), Expression(expression));
    Attach(root.get(), Number(cast));
    target_ = nullptr;
    var->AddFieldNameAndTransExpression(std::string(), TD::kAPPLY);
    var->SetRoot(root.release());
    if (!derived_->AddVar(name, var.get())) {
      Refuse(OVException::kCodeStructure, name + ": Redefinition!");
    }
    var.release();
    derived_->AddDerievedVarName(name);
  }

  // Nodes.
  Tree NewNode(ApplyNodeStats stats, bool inner) {
    if (++nodes_ > kMaxNodes) {
      Refuse(OVException::kCodeUnsupported, "Expression has too many nodes to be supported!");
    }
    stats.SetNodeID(std::to_string(t_->node_counter_++));
    std::unique_ptr<FunctionTreeImp> node(new FunctionTreeImp(inner));
    node->SetNodeStats(stats);
    return Tree(node.release());
  }
  Tree Node(const std::string& name, TD::TransformFunction f = TD::kFN_X_STANDARD) {
    ApplyNodeStats stats;
    stats.SetTransformFunction(f);
    if (f == TD::kFN_X_STANDARD) stats.SetParameterName(name);
    return NewNode(stats, true);
  }
  Tree Leaf(const std::string& field) {
    ApplyNodeStats stats;
    stats.SetParameterName(field);
    return NewNode(stats, false);
  }
  Tree Constant(char letter, const std::string& text) {
    ApplyNodeStats stats;
    stats.SetParameterName(std::string("Constant_") + letter + "_" + text);
    stats.SetConstNode(true);
    return NewNode(stats, false);
  }
  Tree Number(double x) { return Constant('D', standard::ToText(standard::Value::Number(x))); }
  Tree Missing() { return Number(NumericValue::GetSysmisValue()); }
  // A value of a document: a number when it reads as one (its text kept),
  // else a text; the missing value when absent.
  Tree Literal(const std::string& text, bool present = true) {
    if (!present) return Missing();
    return Constant(ReadsAsNumber(text) ? 'D' : 'S', text);
  }
  Tree AttributeLiteral(const DOMElement* e, const char* name) {
    const XMLCh* text = GetAttribute(e, name);
    return Literal(HasText(text) ? Text(text) : std::string(), HasText(text));
  }
  static void Attach(FunctionTree* parent, Tree child) {
    parent->Add(child.get());
    if (child->GetParent() == parent) child.release();
  }

  // Expressions.
  Tree Expression(DOMElement* e) {
    if (++depth_ > kMaxDepth) {
      Refuse(OVException::kCodeUnsupported, "Expressions nested deeper than " +
                                                std::to_string(kMaxDepth) +
                                                " levels are not supported!");
    }
    struct Depth {
      ~Depth() { --*depth; }
      int* depth;
    } const guard{&depth_};
    if (IsNamed(e, "Apply")) return Apply(e);
    if (IsNamed(e, "FieldRef")) return FieldRef(e);
    if (IsNamed(e, "Constant")) return ConstantOf(e);
    if (IsNamed(e, "NormContinuous")) return NormContinuous(e);
    if (IsNamed(e, "NormDiscrete")) return NormDiscrete(e);
    if (IsNamed(e, "Discretize")) return Discretize(e);
    if (IsNamed(e, "MapValues")) return MapValues(e);
    Refuse(OVException::kCodeUnsupported, "<" + Text(e->getTagName()) + "> is not supported");
  }

  Tree Field(const std::string& name) {
    if (params_ != nullptr) {
      const auto found = params_->find(name);
      if (found == params_->end()) {
        Refuse(OVException::kCodeVariableName, name + ": not predefined");
      }
      return Tree(found->second->Clone());
    }
    if (TransformVar::FindVariable(name, visible_, derived_) == nullptr &&
        later_.count(name) == 0) {
      Refuse(OVException::kCodeVariableName, name + ": not predefined");
    }
    const auto data_field = t_->data_fields_.find(name);
    if (data_field == t_->data_fields_.end()) return Leaf(name);
    return Validity(Leaf(name), data_field->second);
  }

  // A data field's value judged by its "Interval"s and "Value"s; the bare
  // field when it has none.
  Tree Validity(Tree field, DOMElement* data_field) {
    std::vector<const DOMElement*> intervals;
    std::vector<const DOMElement*> values;
    for (DOMElement* c = FirstChildElement(data_field); c != nullptr; c = NextElement(c)) {
      if (IsNamed(c, "Interval")) intervals.push_back(c);
      if (IsNamed(c, "Value")) values.push_back(c);
    }
    if (intervals.empty() && values.empty()) return field;
    Tree node = Node(standard::kValidityName);
    Attach(node.get(), std::move(field));
    Attach(node.get(), Number(static_cast<double>(intervals.size())));
    for (const DOMElement* interval : intervals) AttachInterval(node.get(), interval);
    for (const DOMElement* value : values) {
      const std::string property = Attribute(value, "property");
      Attach(node.get(), Number(property == "invalid"   ? standard::kInvalidValue
                                : property == "missing" ? standard::kMissingValue
                                                        : standard::kValidValue));
      const std::string text = Required(value, "value");
      Attach(node.get(), Attribute(data_field, "dataType") == "string" ? Constant('S', text)
                                                                       : Literal(text));
    }
    return node;
  }

  // An "Interval" as three numbers: its ends (standard::BinEnds), left, right.
  void AttachInterval(FunctionTree* node, const DOMElement* interval) {
    const std::string closure = Required(interval, "closure");
    int ends = 0;
    if (closure == "closedClosed" || closure == "closedOpen") ends |= standard::kLeftClosed;
    if (closure == "closedClosed" || closure == "openClosed") ends |= standard::kRightClosed;
    const XMLCh* left = GetAttribute(interval, "leftMargin");
    const XMLCh* right = GetAttribute(interval, "rightMargin");
    if (HasText(left)) ends |= standard::kHasLeft;
    if (HasText(right)) ends |= standard::kHasRight;
    Attach(node, Number(ends));
    Attach(node, Number(HasText(left) ? VerifyDouble(left) : 0.0));
    Attach(node, Number(HasText(right) ? VerifyDouble(right) : 0.0));
  }

  // A source with its mapMissingTo: the node `node`, whose first child is the
  // source and whose argument `slot` is the mapMissingTo value.
  Tree FieldRef(DOMElement* e) {
    Tree field = Field(Required(e, "field"));
    if (!HasText(GetAttribute(e, "mapMissingTo"))) return field;
    Tree node = Node(standard::kMapMissingName);
    Attach(node.get(), std::move(field));
    Attach(node.get(), AttributeLiteral(e, "mapMissingTo"));
    return node;
  }

  Tree ConstantOf(DOMElement* e) {
    if (Attribute(e, "missing") == "true") return Missing();
    const XMLCh* content = e->getTextContent();
    const std::string text = content != nullptr ? Text(content) : std::string();
    const std::string data_type = Attribute(e, "dataType");
    if (data_type == "string") return Constant('S', text);
    if (data_type == "boolean") {
      if (text == "true" || text == "false") return Number(text == "true" ? 1.0 : 0.0);
    }
    if (data_type.empty()) return Literal(text);
    if (const ScoreDictVar::DateTimeType date_time =
            t_->ParseDateTimeType(GetAttribute(e, "dataType"))) {
      // Held as its stored seconds, so that the date functions read it as a date.
      const DateTimeValue date(text, date_time);
      if (NumericValue::IsSystemMissingValue(date.GetDouble())) return Literal(text);
      return Constant('T', standard::ToText(standard::Value::Number(date.GetDouble())));
    }
    return Constant('D', standard::ToText(standard::Value::Number(VerifyDouble(text))));
  }

  Tree Apply(DOMElement* e) {
    const std::string name = Required(e, "function");
    std::vector<Tree> args;
    for (DOMElement* c = FirstChildElement(e); c != nullptr; c = NextElement(c)) {
      if (IsExpression(c)) args.push_back(Expression(c));
      // A table handed to a function: no PMML expression, and no table here.
      if (IsNamed(c, "TableLocator")) {
        Refuse(OVException::kCodeUnsupported, name + ": <TableLocator> is not supported");
      }
    }
    // asIs and asMissing decide what an invalid argument becomes.
    const std::string treatment = Attribute(e, "invalidValueTreatment");
    const int input = treatment == "asIs"        ? standard::kTreatAsIs
                      : treatment == "asMissing" ? standard::kTreatAsMissing
                                                 : standard::kReturnInvalid;
    const auto defined = t_->define_functions_.find(name);
    const bool own = defined != t_->define_functions_.end() || standard::IsBuiltIn(name);
    if (own && input != standard::kReturnInvalid) {
      for (Tree& arg : args) {
        Tree treated = Node(standard::kTreatInputName);
        Attach(treated.get(), std::move(arg));
        Attach(treated.get(), Number(input));
        arg = std::move(treated);
      }
    }
    Tree call;
    if (defined != t_->define_functions_.end()) {
      call = Call(name, defined->second, args);
    } else if (standard::IsBuiltIn(name)) {
      if (!standard::TakesArguments(standard::OpOf(name), args.size())) {
        Refuse(OVException::kCodeSemantic, name + ": wrong number of arguments");
      }
      call = Node(name);
      for (Tree& arg : args) Attach(call.get(), std::move(arg));
    } else {
      call = LibraryCall(name, &args);
    }
    const bool guarded = HasText(GetAttribute(e, "mapMissingTo")) ||
                         HasText(GetAttribute(e, "defaultValue")) ||
                         HasText(GetAttribute(e, "invalidValueTreatment"));
    if (!guarded) return call;
    Tree guard = Node(standard::kGuardName);
    Attach(guard.get(), std::move(call));
    Attach(guard.get(), AttributeLiteral(e, "mapMissingTo"));
    Attach(guard.get(), AttributeLiteral(e, "defaultValue"));
    Attach(guard.get(), Number(input));
    return guard;
  }

  // One of the library's own functions that PMML lacks, with its argument
  // rules.
  Tree LibraryCall(const std::string& name, std::vector<Tree>* args) {
    const TD::TransformFunction f = t_->GetTransFunction(name);
    if (f == TD::kFN_NONE) {
      Refuse(OVException::kCodeUnsupported, name + ": not Supported function name");
    }
    Tree call = Node(name, f);
    std::vector<std::string> names;
    std::vector<int> kinds;
    std::vector<TD::TransformFunction> functions;
    for (Tree& arg : *args) {
      // The library's functions judge their fields' values themselves.
      if (arg->GetNodeStats().GetParameterName() == standard::kValidityName) {
        arg.reset(arg->GetChildAt(0)->Clone());
      }
      const ApplyNodeStats stats = arg->GetNodeStats();
      const bool leaf = stats.GetTransformFunction() == TD::kFN_NONE;
      names.push_back(leaf ? stats.GetParameterName() : "APPLY");
      kinds.push_back(!leaf ? 0 : stats.IsConstNode() ? 2 : 1);
      functions.push_back(stats.GetTransformFunction());
      Attach(call.get(), std::move(arg));
    }
    t_->VerifyApplyFunction(names, kinds, visible_, derived_, f, functions, target_);
    return call;
  }

  Tree Call(const std::string& name, DOMElement* function, const std::vector<Tree>& args) {
    std::map<std::string, const FunctionTree*> params;
    std::size_t count = 0;
    for (DOMElement* c = FirstChildElement(function); c != nullptr; c = NextElement(c)) {
      if (!IsNamed(c, "ParameterField")) continue;
      if (count < args.size()) params[Required(c, "name")] = args[count].get();
      ++count;
    }
    if (count != args.size()) {
      Refuse(OVException::kCodeSemantic, name + ": wrong number of arguments");
    }
    DOMElement* body = FirstExpression(function);
    if (body == nullptr) Refuse(OVException::kCodeStructure, name + ": Invalid EXPRESSION");
    const std::map<std::string, const FunctionTree*>* outer = params_;
    params_ = &params;
    struct Restore {
      ~Restore() { *slot = outer; }
      const std::map<std::string, const FunctionTree*>** slot;
      const std::map<std::string, const FunctionTree*>* outer;
    } const restore{&params_, outer};
    return Expression(body);
  }

  Tree NormContinuous(DOMElement* e) {
    std::vector<std::pair<double, double>> points;
    for (DOMElement* c = FirstChildElement(e); c != nullptr; c = NextElement(c)) {
      if (!IsNamed(c, "LinearNorm")) continue;
      points.emplace_back(VerifyDouble(GetAttributeForced(c, "orig")),
                          VerifyDouble(GetAttributeForced(c, "norm")));
    }
    if (points.size() < 2) {
      Refuse(OVException::kCodeStructure, "At least two <LinearNorm>s are required!!");
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::string outliers = Attribute(e, "outliers");
    Tree node = Node(standard::kNormContinuousName);
    Attach(node.get(), Field(Required(e, "field")));
    Attach(node.get(), Number(outliers == "asMissingValues"   ? standard::kOutliersAsMissing
                              : outliers == "asExtremeValues" ? standard::kOutliersAsExtreme
                                                              : standard::kOutliersAsIs));
    Attach(node.get(), AttributeLiteral(e, "mapMissingTo"));
    for (const auto& point : points) {
      Attach(node.get(), Number(point.first));
      Attach(node.get(), Number(point.second));
    }
    return node;
  }

  Tree NormDiscrete(DOMElement* e) {
    Tree node = Node(standard::kNormDiscreteName);
    Attach(node.get(), Field(Required(e, "field")));
    Attach(node.get(), Literal(Required(e, "value")));
    Attach(node.get(), AttributeLiteral(e, "mapMissingTo"));
    return node;
  }

  // An output value of a table: a text for a text result.
  Tree Output(const std::string& text, const DOMElement* table) {
    const std::string data_type = Attribute(table, "dataType");
    const bool text_result = data_type == "string" ||
                             (data_type.empty() && target_ != nullptr &&
                              target_->GetVarType() == ScoreDictVar::kSTRING_VAR);
    return text_result ? Constant('S', text) : Literal(text);
  }

  Tree Discretize(DOMElement* e) {
    Tree node = Node(standard::kDiscretizeName);
    Attach(node.get(), Field(Required(e, "field")));
    Attach(node.get(), AttributeLiteral(e, "mapMissingTo"));
    Attach(node.get(), AttributeLiteral(e, "defaultValue"));
    for (DOMElement* bin = FirstChildElement(e); bin != nullptr; bin = NextElement(bin)) {
      if (!IsNamed(bin, "DiscretizeBin")) continue;
      DOMElement* interval = FirstChildElement(bin);
      while (interval != nullptr && !IsNamed(interval, "Interval")) interval = NextElement(interval);
      if (interval == nullptr) Refuse(OVException::kCodeStructure, "Element Interval is required");
      AttachInterval(node.get(), interval);
      Attach(node.get(), Output(Required(bin, "binValue"), e));
    }
    return node;
  }

  Tree MapValues(DOMElement* e) {
    const std::string output = ExpandedName(e, Required(e, "outputColumn"));
    std::vector<std::string> columns;
    std::vector<Tree> sources;
    DOMElement* table = nullptr;
    for (DOMElement* c = FirstChildElement(e); c != nullptr; c = NextElement(c)) {
      if (IsNamed(c, "FieldColumnPair")) {
        columns.push_back(ExpandedName(c, Required(c, "column")));
        sources.push_back(Field(Required(c, "field")));
      } else if (IsNamed(c, "InlineTable")) {
        table = c;
      } else if (IsNamed(c, "TableLocator")) {
        Refuse(OVException::kCodeUnsupported, "<TableLocator> is not supported");
      }
    }
    Tree node = Node(standard::kMapValuesName);
    Attach(node.get(), Number(static_cast<double>(columns.size())));
    for (Tree& source : sources) Attach(node.get(), std::move(source));
    Attach(node.get(), AttributeLiteral(e, "mapMissingTo"));
    Attach(node.get(), AttributeLiteral(e, "defaultValue"));
    if (table == nullptr) return node;
    for (DOMElement* row = FirstChildElement(table); row != nullptr; row = NextElement(row)) {
      if (LocalName(row, transcoder_) != "row") continue;
      std::map<std::string, std::string> cells;
      for (DOMElement* cell = FirstChildElement(row); cell != nullptr; cell = NextElement(cell)) {
        const XMLCh* content = cell->getTextContent();
        cells.emplace(ExpandedName(cell, Text(cell->getTagName())),
                      content != nullptr ? Text(content) : "");
      }
      // A row without every key and the output cell can match nothing.
      bool complete = cells.count(output) != 0;
      for (const std::string& column : columns) complete = complete && cells.count(column) != 0;
      if (!complete) continue;
      for (const std::string& column : columns) Attach(node.get(), Literal(cells[column]));
      Attach(node.get(), Output(cells[output], e));
    }
    return node;
  }

  PMMLTranslator* t_;
  const BrixTranscoder* transcoder_;
  const ScoreDictionary* visible_;
  TransformationDictionary* derived_;
  // The field being read (lent).
  const ScoreDictVar* target_ = nullptr;
  // Inside a DefineFunction: its ParameterFields and their arguments.
  const std::map<std::string, const FunctionTree*>* params_ = nullptr;
  int depth_ = 0;
  std::size_t nodes_ = 0;
  // The names of the fields being read.
  std::set<std::string> later_;
};

ScoreDictVar::MeasureLevel PMMLTranslator::StandardMeasureLevel(const std::string& optype,
                                                                const std::string& dataType) {
  if (optype == "continuous") return ScoreDictVar::kCONTINUOUS;
  if (optype == "categorical") return ScoreDictVar::kNOMINAL;
  if (optype == "ordinal") return ScoreDictVar::kORDINAL;
  const bool number = dataType == "integer" || dataType == "float" || dataType == "double";
  return number ? ScoreDictVar::kCONTINUOUS : ScoreDictVar::kNOMINAL;
}

TransformationDictionary* PMMLTranslator::HandleDerivedFields(
    const std::vector<DOMElement*>& fields, const ScoreDictionary* visible) {
  InitFunctionMap();
  if (GetTranscoder() == nullptr) CreateTranscoder(encoding_);
  std::unique_ptr<TransformationDictionary> derived(new TransformationDictionary);
  StandardReader(this, visible, derived.get()).ReadFields(fields);
  return derived.release();
}

TransformationDictionary* PMMLTranslator::HandleStandardTransformations(
    DOMElement* transformations, const ScoreDictionary* data) {
  node_counter_ = 0;
  InitFunctionMap();
  if (GetTranscoder() == nullptr) CreateTranscoder(encoding_);
  std::vector<DOMElement*> fields;
  const bool dictionary = transformations != nullptr &&
                          IsNamed(transformations, T::XML_ELE_TRANSFORMATION);
  if (dictionary) define_functions_.clear();
  for (DOMElement* c = transformations != nullptr ? FirstChildElement(transformations) : nullptr;
       c != nullptr; c = NextElement(c)) {
    if (IsNamed(c, "DerivedField")) {
      fields.push_back(c);
    } else if (dictionary && IsNamed(c, "DefineFunction")) {
      const std::string name = GetTranscoder()->transcodeTo(GetAttributeForced(c, "name"));
      if (!define_functions_.emplace(name, c).second) {
        Refuse(OVException::kCodeStructure, name + ": Redefinition!");
      }
    }
  }
  std::unique_ptr<TransformationDictionary> derived(new TransformationDictionary);
  StandardReader reader(this, data, derived.get());
  reader.CheckNoRecursion();
  reader.ReadFields(fields);
  return derived.release();
}

}  // namespace MCOrvane_600
