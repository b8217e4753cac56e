// A small tree-model plug-in (file TreeModel600r.so). Its translator reads a
// PMML "TreeModel" (or a vendor "Tree" document laid out the same way) with
// the library's readers: the data and transformation dictionaries, the
// version, the mining schema as variable roles, and nodes whose children are
// chosen by "SimplePredicate"s on one field each: "equal" predicates become a
// DiscreteSplit, comparisons a ScaleSplit. A node's "defaultChild" takes the
// cases whose split value is absent or missing.
//
// Scoring follows the splits from the root to a node that no child takes and
// writes that node's score into "$R-<target>", with advice about absent and
// missing values on the way.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNodeList.hpp>

#include "live_counts.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/score_case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/version_info.h"
#include "orvane/model/discrete_split.h"
#include "orvane/model/scale_split.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "plugin_model.h"

namespace orvane_test_plugin {
namespace {

using MCOrvane_600::DiscreteSplit;
using MCOrvane_600::NumericValue;
using MCOrvane_600::OVException;
using MCOrvane_600::Range;
using MCOrvane_600::ResultAdvice;
using MCOrvane_600::ScaleSplit;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreSplitVar;
using MCOrvane_600::ScoreValue;
using xercesc::DOMElement;
using xercesc::DOMNode;

// Advice numbers this plug-in reports.
constexpr int kAdviceScoreMissing = 103;
constexpr int kAdviceNotInRecord = 104;
constexpr int kAdviceMissingValue = 106;
constexpr int kAdviceDefaultChild = 108;

struct TreeNode {
  std::string id;
  bool has_score = false;
  std::string score_text;
  double score_number = 0.0;
  std::unique_ptr<ScoreSplitVar> split;  // null for a leaf
  std::vector<std::unique_ptr<TreeNode>> children;
};

class TreeModel : public PluginModel {
 public:
  TreeModel() : PluginModel("TreeModel") {}

  // Takes ownership of `root`.
  void SetRoot(std::unique_ptr<TreeNode> root) { root_ = std::move(root); }

  // After the roles are known: the result field follows the target.
  void FixResultField() {
    const ScoreDictVar* target = GetTargetVar();
    numeric_score_ = target != nullptr && target->GetVarType() == ScoreDictVar::kNUMERIC_VAR;
    SetResultField(target == nullptr ? "$R-score" : "$R-" + target->GetName(),
                   numeric_score_ ? ScoreDictVar::kNUMERIC_VAR : ScoreDictVar::kSTRING_VAR);
  }

  bool NumericScore() const { return numeric_score_; }

  // The split variable `name`: an input field or a derived field.
  const ScoreDictVar* FindVar(const std::string& name) const {
    const ScoreDictVar* var = GetDictionary() == nullptr ? nullptr : GetDictionary()->GetVar(name);
    if (var == nullptr && GetTransformationDictionary() != nullptr) {
      var = GetTransformationDictionary()->GetVar(name);
    }
    return var;
  }

  bool Score(const ScoreCaseRecord* input, ScoreCaseRecord* result,
             std::vector<ResultAdvice>* advice) override {
    if (input == nullptr || result == nullptr || root_ == nullptr) return false;
    std::vector<ResultAdvice> notes;
    const ScoreCaseRecord* derived = nullptr;
    if (GetTransformationDictionary() != nullptr) {
      derived = GetTransformationDictionary()->GetValuesForDeriedVars(input, GetDictionary());
    }
    const TreeNode* node = root_.get();
    while (node->split != nullptr) {
      const std::string name = node->split->GetSplitName();
      const ScoreValue* value = input->Get(name);
      if (value == nullptr && derived != nullptr) value = derived->Get(name);
      const bool absent = value == nullptr;
      const bool missing = !absent && node->split->GetSplitVar()->IsMissingValue(value);
      if (absent) notes.emplace_back(kAdviceNotInRecord, name);
      if (missing) notes.emplace_back(kAdviceMissingValue, name);
      const int child = node->split->GetSplitChildIndex(value);
      if (child < 0 || child >= static_cast<int>(node->children.size())) break;
      if ((absent || missing) && child == node->split->GetMissvalMap()) {
        notes.emplace_back(kAdviceDefaultChild, name);
      }
      node = node->children[child].get();
    }
    if (!node->has_score) {
      result->Add(ResultName(), nullptr);
      notes.emplace_back(kAdviceScoreMissing, std::string());
    } else if (numeric_score_) {
      result->SetValue(ResultName(), node->score_number);
    } else {
      result->SetValue(ResultName(), node->score_text);
    }
    if (advice != nullptr) advice->swap(notes);
    return true;
  }

  void Display(std::ostream& os) const override {
    const ScoreDictVar* target = GetTargetVar();
    os << "TreeModel target=" << (target == nullptr ? std::string("none") : target->GetName())
       << "\n";
  }

 private:
  std::unique_ptr<TreeNode> root_;
  bool numeric_score_ = false;
};

DOMElement* AsElement(DOMNode* node) { return static_cast<DOMElement*>(node); }

class TreeTranslator : public MCOrvane_600::PMMLTranslator, private CountedTranslator {
 public:
  using MCOrvane_600::PMMLTranslator::ParseFromTree;

  MCOrvane_600::ScoreModel* ParseFromTree(xercesc::DOMDocument* document,
                                          const std::string&) override {
    DOMElement* root = document->getDocumentElement();
    std::unique_ptr<TreeModel> model(new TreeModel());
    model->SetScoreDictionary(ParseDictionary(GetChildByTagForced(root, "DataDictionary")));
    DOMElement* transformations = AsElement(GetChildByTag(root, "TransformationDictionary"));
    if (transformations != nullptr) {
      MCOrvane_600::TransformationDictionary* derived =
          HandleTransformationDictionary(transformations, model->GetDictionary());
      if (derived != nullptr) derived->SetUpDerivedCaseRecord();
      model->SetTransformationScoreDictionary(derived);
    }
    const std::string version = Narrow(GetAttribute(root, "version"));
    if (!version.empty()) model->SetVersionInfo(new MCOrvane_600::VersionInfo(version));

    DOMElement* tree = IsEqual(root->getTagName(), "Tree")
                           ? root
                           : AsElement(GetElementsByTagName(root, "TreeModel")->item(0));
    if (tree == nullptr) throw OVException(OVException::kCodeAbsent, "TreeModel is missing");
    ReadMiningSchema(tree, model.get());
    model->FixResultField();
    model->SetRoot(ReadNode(AsElement(GetChildByTagForced(tree, "Node")), *model));
    return model.release();
  }

 private:
  // The test documents are well formed: no checks.
  static void ReadMiningSchema(DOMElement* tree, TreeModel* model) {
    for (DOMNode* field = GetFirstChildElt(GetChildByTag(tree, "MiningSchema")); field != nullptr;
         field = GetNextSiblingElt(field)) {
      const std::string usage = Narrow(GetAttribute(AsElement(field), "usageType"));
      model->SetVarRole(Narrow(GetAttributeForced(AsElement(field), "name")),
                        usage == "predicted" || usage == "target"
                            ? MCOrvane_600::ScoreModel::kTARGET
                            : MCOrvane_600::ScoreModel::kACTIVE);
    }
  }

  std::unique_ptr<TreeNode> ReadNode(DOMElement* element, const TreeModel& model) {
    std::unique_ptr<TreeNode> node(new TreeNode());
    node->id = Narrow(GetAttribute(element, "id"));
    const XMLCh* score = GetAttribute(element, "score");
    if (score != nullptr && *score != 0) {
      node->has_score = true;
      node->score_text = Narrow(score);
      if (model.NumericScore()) node->score_number = VerifyDouble(score);
    }
    std::vector<DOMElement*> children;
    for (DOMNode* child = GetFirstChildElt(element); child != nullptr;
         child = GetNextSiblingElt(child)) {
      if (IsEqual(child->getNodeName(), "Node")) children.push_back(AsElement(child));
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
      AddToSplit(node.get(), AsElement(GetFirstChildElt(children[i])), static_cast<int>(i), model);
      node->children.push_back(ReadNode(children[i], model));
    }
    const std::string default_child = Narrow(GetAttribute(element, "defaultChild"));
    for (std::size_t i = 0; node->split != nullptr && i < node->children.size(); ++i) {
      if (node->children[i]->id == default_child) node->split->SetMissvalMap(static_cast<int>(i));
    }
    return node;
  }

  // Routes values that satisfy `predicate` to child `index` of `node`.
  void AddToSplit(TreeNode* node, DOMElement* predicate, int index, const TreeModel& model) {
    const ScoreDictVar* var = model.FindVar(Narrow(GetAttributeForced(predicate, "field")));
    const std::string op = Narrow(GetAttributeForced(predicate, "operator"));
    const XMLCh* text = GetAttributeForced(predicate, "value");
    if (op == "equal") {
      if (node->split == nullptr) node->split.reset(new DiscreteSplit(var));
      auto* split = dynamic_cast<DiscreteSplit*>(node->split.get());
      if (split == nullptr) throw MixedSplit();
      split->PutSplit(CarefullyMakeVarValue(var, text), index);
      return;
    }
    if (node->split == nullptr) node->split.reset(new ScaleSplit(var));
    auto* split = dynamic_cast<ScaleSplit*>(node->split.get());
    if (split == nullptr) throw MixedSplit();
    const double x = VerifyDouble(text);
    const double inf = NumericValue::GetInfinity();
    Range* range = op == "lessThan"      ? new Range(-inf, x, false, false)
                   : op == "lessOrEqual" ? new Range(-inf, x, false, true)
                   : op == "greaterThan" ? new Range(x, inf, false, false)
                                         : new Range(x, inf, true, false);  // greaterOrEqual
    split->PutSplit(range, index);
  }

  // A node whose children split both by value and by range: not served here.
  static OVException MixedSplit() {
    return OVException(OVException::kCodeUnsupported,
                       "TreeModel: a node splits both by value and by range");
  }
};

}  // namespace
}  // namespace orvane_test_plugin

ORVANE_PLUGIN_EXPORT MCOrvane_600::ScoreTranslator* GiveMyTranslator() {
  return new orvane_test_plugin::TreeTranslator();
}
