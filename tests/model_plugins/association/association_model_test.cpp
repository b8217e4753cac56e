// The AssociationModel plug-in on a small basket model whose rule selections
// are worked out by hand: the three algorithms, ranks, rank bases and orders,
// ties (document order), an empty item set, items the model does not know,
// an item column (field="milk"), and the documents it refuses.

#include <charconv>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scored_document.h"

namespace {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::OVException;
using MCOrvane_600::ScoreModel;

// Items a, b, c, d of the field "item", "milk", the true value of the column
// milk, and "area=north", the category north of the column area. Rules: r1 {a}->{b}, r2 {a}->{c}, r3 {a,b}->{c}, r4 {b}->{d},
// a fifth without id {c}->{a}, r6 {d}->{b,c}, r7 {milk}->{a}, r8
// {area=north}->{d}.
const char kItems[] = R"(
<Item id="1" value="a"/><Item id="2" value="b"/><Item id="3" value="c"/>
<Item id="4" value="d" mappedValue="D"/><Item id="5" value="milk" field="milk"/>
<Item id="6" value="area=north" field="area" category="north"/>
<Itemset id="s1"><ItemRef itemRef="1"/></Itemset><Itemset id="s2"><ItemRef itemRef="2"/></Itemset>
<Itemset id="s3"><ItemRef itemRef="3"/></Itemset>
<Itemset id="s4"><ItemRef itemRef="1"/><ItemRef itemRef="2"/></Itemset>
<Itemset id="s5"><ItemRef itemRef="4"/></Itemset>
<Itemset id="s6"><ItemRef itemRef="2"/><ItemRef itemRef="3"/></Itemset>
<Itemset id="s7"><ItemRef itemRef="5"/></Itemset><Itemset id="s8"><ItemRef itemRef="6"/></Itemset>)";

const char kRules[] = R"(
<AssociationRule id="r1" antecedent="s1" consequent="s2" support="0.4" confidence="0.8" lift="1.2" leverage="0.05"/>
<AssociationRule id="r2" antecedent="s1" consequent="s3" support="0.3" confidence="0.6" lift="1.5" leverage="0.01"/>
<AssociationRule id="r3" antecedent="s4" consequent="s3" support="0.2" confidence="0.8" lift="2"/>
<AssociationRule id="r4" antecedent="s2" consequent="s5" support="0.1" confidence="0.5" lift="0.9"/>
<AssociationRule antecedent="s3" consequent="s1" support="0.3" confidence="0.9" lift="1.2"/>
<AssociationRule id="r6" antecedent="s5" consequent="s6" support="0.05" confidence="0.4"/>
<AssociationRule id="r7" antecedent="s7" consequent="s1" support="0.2" confidence="0.7" lift="1.1"/>
<AssociationRule id="r8" antecedent="s8" consequent="s5" support="0.15" confidence="0.45" lift="3"/>)";

const char kOutputs[] = R"(<Output>
<OutputField name="top" feature="rule" algorithm="recommendation"/>
<OutputField name="second" feature="ruleValue" ruleFeature="ruleId" algorithm="recommendation" rank="2"/>
<OutputField name="exclusive" feature="consequent"/>
<OutputField name="associated" feature="antecedent" algorithm="ruleAssociation"/>
<OutputField name="by lift" feature="entityId" algorithm="recommendation" rankBasis="lift"/>
<OutputField name="least support" feature="ruleId" algorithm="recommendation" rankBasis="support" rankOrder="ascending"/>
<OutputField name="third confidence" feature="confidence" algorithm="recommendation" rank="3"/>
<OutputField name="first three" feature="ruleId" algorithm="recommendation" rank="3" isMultiValued="1"/>
<OutputField name="leverage" feature="leverage" algorithm="recommendation"/>
</Output>)";

std::string Document(const std::string& items, const std::string& rules,
                     const std::string& outputs = kOutputs) {
  return orvane_test::Pmml(
      "basket= item= milk= area=",
      "<AssociationModel functionName='associationRules' numberOfTransactions='10' "
      "minimumSupport='0.05' minimumConfidence='0.4' numberOfItems='5' numberOfItemsets='7' "
      "numberOfRules='7'><MiningSchema><MiningField name='basket' usageType='group'/>"
      "<MiningField name='item'/><MiningField name='milk'/><MiningField name='area'/>"
      "</MiningSchema>" + outputs + items + rules + "</AssociationModel>");
}

std::string Text(const MCOrvane_600::ScoreValue* value) {
  if (value == nullptr || value->IsSystemMissingValue()) return "-";
  if (value->GetType() != MCOrvane_600::ScoreValue::kNUMERIC_VALUE) return value->GetString();
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + 32, value->GetDouble()).ptr);
}

struct BasketCase {
  const char* name;
  std::map<std::string, std::string> inputs;
  // top, second, exclusive, associated, by lift, least support, third
  // confidence, first three, leverage; "-" for none.
  std::vector<std::string> outputs;
};

TEST(AssociationModel, SelectsAndRanksRulesForTheItemSet) {
  const BasketCase kCases[] = {
      // Fire r1 r2 r3 r4; r1 and r3 tie on confidence: document order.
      {"a and b", {{"item", "{a,b}"}},
       {"{a}->{b}", "r3", "{c}", "{a}", "r3", "r4", "0.6", "r1,r3,r2", "0.05"}},
      // x is no item; only r4's consequent {D} is new; the fifth rule (no
      // id) is known by its position and has no leverage.
      {"a b c and an unknown item", {{"item", "{a,x,b,c}"}},
       {"{c}->{a}", "r1", "{D}", "{c}", "r3", "r4", "0.8", "5,r1,r3", "-"}},
      {"empty item set", {{"item", "{}"}}, {"-", "-", "-", "-", "-", "-", "-", "-", "-"}},
      {"no item field", {}, {"-", "-", "-", "-", "-", "-", "-", "-", "-"}},
      // One value is one item; r6's consequent {b,c} is not in the set.
      {"a single item", {{"item", "d"}}, {"{D}->{b,c}", "-", "{b,c}", "-", "r6", "r6", "-", "r6",
                                           "-"}},
      // The milk column's item joins the item field's.
      {"an item column", {{"item", "b"}, {"milk", "true"}},
       {"{milk}->{a}", "r4", "{a}", "-", "r7", "r4", "-", "r7,r4", "-"}},
      {"an item column not true", {{"milk", "false"}, {"area", "south"}},
       {"-", "-", "-", "-", "-", "-", "-", "-", "-"}},
      {"a category of a column", {{"area", "north"}},
       {"{area=north}->{D}", "-", "{D}", "-", "r8", "r8", "-", "r8", "-"}},
  };
  const std::unique_ptr<ScoreModel> model = orvane_test::ReadModel(Document(kItems, kRules));
  const std::vector<std::string> names = {"top",           "second",       "exclusive",
                                          "associated",    "by lift",      "least support",
                                          "third confidence", "first three", "leverage"};
  for (const BasketCase& c : kCases) {
    SCOPED_TRACE(c.name);
    CaseRecord input;
    for (const auto& entry : c.inputs) {
      input.Add(entry.first, new MCOrvane_600::StringValue(entry.second));
    }
    std::unique_ptr<MCOrvane_600::ScoreCaseRecord> result(model->CreateResultRecord());
    std::vector<MCOrvane_600::ResultAdvice> advice;
    ASSERT_TRUE(model->Score(&input, result.get(), &advice));
    for (size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(Text(result->Get(names[i])), c.outputs[i]) << names[i];
    }
  }
}

TEST(AssociationModel, RefusesBadDocumentsNamingWhat) {
  const std::string rule = R"(<AssociationRule antecedent="s1" consequent="s2" support="1" confidence="1"/>)";
  orvane_test::ExpectRefusals({
      {"item reference to no item",
       Document(R"(<Item id="1" value="a"/><Itemset id="s1"><ItemRef itemRef="9"/></Itemset>)", ""),
       OVException::kCodeSemantic, "ItemRef: itemRef \"9\" of Itemset \"s1\" names no Item"},
      {"rule to no itemset", Document(kItems, R"(<AssociationRule antecedent="s1" consequent="s9" support="1" confidence="1"/>)"),
       OVException::kCodeSemantic, "AssociationRule: consequent \"s9\" names no Itemset"},
      {"rule without confidence",
       Document(kItems, R"(<AssociationRule antecedent="s1" consequent="s2" support="1"/>)"),
       OVException::kCodeAbsent, "AssociationRule: attribute confidence is absent"},
      {"repeated item id", Document(R"(<Item id="1" value="a"/><Item id="1" value="b"/>)", ""),
       OVException::kCodeStructure, "Item: id \"1\" is repeated"},
      {"item of an unknown column", Document(R"(<Item id="1" value="a" field="eggs"/>)", ""),
       OVException::kCodeVariableName, "Item: field \"eggs\" is not defined"},
      {"unknown rank basis",
       Document(kItems, rule, R"(<Output><OutputField name="o" feature="rule" rankBasis="weight"/></Output>)"),
       OVException::kCodeUnsupported, "OutputField: rankBasis \"weight\" is not supported"},
      {"unknown algorithm",
       Document(kItems, rule, R"(<Output><OutputField name="o" feature="rule" algorithm="best"/></Output>)"),
       OVException::kCodeUnsupported, "OutputField: algorithm \"best\" is not supported"},
  });
}

}  // namespace
