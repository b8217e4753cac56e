// Hostile documents given to the library's entry points: entity bombs, deep
// nesting, huge attributes, references to files outside the document, loops
// of derived fields and bytes that are not text. Each must end in an
// OVException with a code, or in a bounded result, without taking the host
// process down, reading outside the document or exhausting its memory.
//
// The reproducers are under tests/data/hostile/; documents that need a file
// path or a large size are made here.

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/model/score_model.h"
#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"
#include "orvane/translate/model_factory.h"
#include "orvane/translate/score_sax2_handlers.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "support/test_support.h"

namespace MCOrvane_600 {
namespace {

const double kSysmis = NumericValue::GetSysmisValue();

using orvane_test::ReadFile;

std::string Hostile(const std::string& name) {
  const std::string text = ReadFile(orvane_test::TestData("hostile/" + name));
  EXPECT_FALSE(text.empty()) << name;
  return text;
}

// Files that documents point at, written for the running test and removed
// when it ends.
struct ScratchFiles {
  std::vector<std::string> paths;
  ~ScratchFiles() {
    for (const std::string& path : paths) std::remove(path.c_str());
  }
  // Writes `text` to a file of `name`; returns its full path.
  std::string Add(const std::string& name, const std::string& text) {
    paths.push_back(orvane_test::TempPath(name));
    std::ofstream(paths.back(), std::ios::binary) << text;
    return paths.back();
  }
};

// What an entry point made of a document: an exception, or the objects.
struct Outcome {
  bool threw = false;
  int code = 0;
  std::string message;
  std::unique_ptr<ScoreDictionary> data;
  std::unique_ptr<TransformationDictionary> derived;
  std::unique_ptr<ScoreModel> model;
};

// Runs `call`, keeping its exception's code and message.
template <typename Call>
Outcome Run(Outcome outcome, Call call) {
  try {
    call(&outcome);
  } catch (const OVException& e) {
    outcome.threw = true;
    outcome.code = e.GetErrorCode();
    outcome.message = e.GetErrorMessage();
  }
  return outcome;
}

Outcome ReadTransformations(const std::string& document) {
  return Run(Outcome(), [&document](Outcome* outcome) {
    std::istringstream in(document);
    ScoreDictionary* data = nullptr;
    outcome->derived.reset(ModelFactory::GetTransformationDictionaryFromXML(in, data, ""));
    outcome->data.reset(data);
  });
}

// No plug-in serves "NoSuchModel": a document that parses and names it ends
// in the factory's "Doesn't Support" failure, which tells that the parse
// itself went through.
Outcome MakeModel(const std::string& document,
                  const std::vector<std::string>& names = {"NoSuchModel"}) {
  return Run(Outcome(), [&](Outcome* outcome) {
    std::istringstream in(document);
    outcome->model.reset(ModelFactory::MakeModelFromXML(in, names, "", ""));
  });
}

bool Scan(const std::string& element, const std::string& document) {
  std::istringstream in(document);
  return ScanForElement(element, in);
}

const char kNoSuchModelMessage[] =
    "Doesn't Support NoSuchModel  Model: No Required dll or lib available!";

// A PMML document around a data dictionary of one continuous field "x" and
// the given derived fields.
std::string Pmml(const std::string& derivedFields, const std::string& doctype = "") {
  return "<?xml version=\"1.0\"?>\n" + doctype +
         "<PMML version=\"4.2\">\n"
         "  <DataDictionary numberOfFields=\"1\">\n"
         "    <DataField name=\"x\" optype=\"continuous\" dataType=\"double\"/>\n"
         "  </DataDictionary>\n"
         "  <TransformationDictionary>\n" +
         derivedFields +
         "  </TransformationDictionary>\n"
         "</PMML>\n";
}

// The derived values of the case x = `x`.
const ScoreCaseRecord* Compute(Outcome* outcome, double x, CaseRecord* record) {
  record->Add("x", new NumericValue(x));
  return outcome->derived->GetValuesForDeriedVars(record, outcome->data.get());
}

// --- The documents of tests/data/hostile ----------------------------------

// tests/data/hostile/outcomes.txt: what the dictionaries' read and the model
// factory make of each document there. No document sends the look-ahead scan
// to the nearest-neighbour path.
void ExpectOutcome(const Outcome& got, const std::string& expected, const std::string& what) {
  if (expected == "any") {
    EXPECT_TRUE(!got.threw || got.code != 0) << what;
  } else if (expected == "0") {
    EXPECT_FALSE(got.threw) << what << ": " << got.message;
  } else if (expected == "fault") {
    EXPECT_TRUE(got.code == OVException::kCodeSemantic || got.code == OVException::kCodeOpen)
        << what << ": " << got.code << " " << got.message;
    EXPECT_NE(kNoSuchModelMessage, got.message) << what;
  } else {
    EXPECT_EQ(expected, std::to_string(got.code) + " " + got.message) << what;
  }
}

TEST(HostileDocumentsTest, EveryFileEndsInItsOutcome) {
  std::vector<std::string> listed;
  for (const auto& row :
       orvane_test::ReadRows(orvane_test::TestData("hostile/outcomes.txt"), 3).rows) {
    const std::string& file = row.cells[0];
    listed.push_back(file);
    const std::string document = Hostile(file);
    const Outcome read = ReadTransformations(document);
    ExpectOutcome(read, row.cells[1], "read " + file);
    ExpectOutcome(MakeModel(document), row.cells[2], "make " + file);
    EXPECT_FALSE(Scan("NearestNeighborModel", document)) << file;
    // Names arrive in the code page.
    if (row.cells[1] == "0") {
      EXPECT_NE(nullptr, read.data->GetVar("r\xe9gion"));
    } else if (!read.threw) {
      EXPECT_EQ(1, read.data->Size()) << file;
    }
  }
  EXPECT_EQ(orvane_test::FilesIn(orvane_test::TestData("hostile"), ".pmml"), listed);
}

// --- Deep nesting ------------------------------------------------------------

std::string DeepApply(int depth) {
  std::string open;
  std::string close;
  for (int i = 0; i < depth; ++i) {
    open += "<Apply function=\"abs\">";
    close += "</Apply>";
  }
  return Pmml("    <DerivedField name=\"d\" optype=\"continuous\" dataType=\"double\">\n" + open +
              "<FieldRef field=\"x\"/>" + close + "\n    </DerivedField>\n");
}

// Apply elements nest by recursion in the reader, the evaluator and the
// destructor: the reader refuses what would exhaust the stack, and accepts
// deep expressions below the bound.
TEST(HostileDocumentsTest, NestedApplyBeyondAnyStack) {
  Outcome outcome = ReadTransformations(DeepApply(200000));
  ASSERT_TRUE(outcome.threw);
  EXPECT_EQ(OVException::kCodeUnsupported, outcome.code);
  EXPECT_EQ("Apply elements nested deeper than 1000 levels are not supported!", outcome.message);

  EXPECT_TRUE(ReadTransformations(DeepApply(1001)).threw);
  Outcome deep = ReadTransformations(DeepApply(1000));
  ASSERT_FALSE(deep.threw) << deep.message;
  CaseRecord record;
  Compute(&deep, -3.0, &record);
  ASSERT_NE(nullptr, deep.derived->GetVarValue("d"));
  EXPECT_DOUBLE_EQ(3.0, deep.derived->GetVarValue("d")->GetDouble());
}

// --- Huge attribute values ---------------------------------------------------

TEST(HostileDocumentsTest, HugeNamesLabelsAndConstants) {
  const std::string name(4 << 20, 'n');
  const std::string text(4 << 20, 't');
  Outcome outcome = ReadTransformations(
      "<PMML version=\"4.2\"><DataDictionary>"
      "<DataField name=\"" +
      name + "\" displayName=\"" + text +
      "\" optype=\"categorical\" dataType=\"string\"><Value value=\"" + text +
      "\"/></DataField>"
      "</DataDictionary><TransformationDictionary>"
      "<DerivedField name=\"d\" optype=\"categorical\" dataType=\"string\">"
      "<Constant dataType=\"string\">" +
      text +
      "</Constant></DerivedField>"
      "</TransformationDictionary></PMML>");
  ASSERT_FALSE(outcome.threw) << outcome.message.substr(0, 200);
  const ScoreDictVar* var = outcome.data->GetVar(name);
  ASSERT_NE(nullptr, var);
  EXPECT_EQ(text, var->GetLabel());
  CaseRecord record;
  outcome.derived->GetValuesForDeriedVars(&record, outcome.data.get());
  ASSERT_NE(nullptr, outcome.derived->GetVarValue("d"));
  EXPECT_EQ(text.size(), outcome.derived->GetVarValue("d")->GetString().size());
}

// Numbers of a million digits: read as the numbers they denote (an infinity
// here), or refused; never a fault.
TEST(HostileDocumentsTest, HugeNumbers) {
  const std::string digits = "1" + std::string(1 << 20, '0');
  Outcome outcome = ReadTransformations(
      "<PMML version=\"4.2\"><DataDictionary>"
      "<DataField name=\"x\" optype=\"continuous\" dataType=\"double\">"
      "<Value value=\"-" +
      digits +
      "\" property=\"missing\"/>"
      "<Interval closure=\"closedClosed\" leftMargin=\"0." +
      digits + "\" rightMargin=\"" + digits +
      "\"/></DataField></DataDictionary><TransformationDictionary>"
      "<DerivedField name=\"d\" optype=\"continuous\" dataType=\"double\">"
      "<Apply function=\"+\"><FieldRef field=\"x\"/><Constant>" +
      digits + "</Constant></Apply></DerivedField></TransformationDictionary></PMML>");
  ASSERT_FALSE(outcome.threw) << outcome.message.substr(0, 200);
  CaseRecord record;
  Compute(&outcome, 1.0, &record);
  ASSERT_NE(nullptr, outcome.derived->GetVarValue("d"));
  EXPECT_EQ(NumericValue::GetInfinity(), outcome.derived->GetVarValue("d")->GetDouble());
}

// A count that no integer holds: refused with a code, never a parser
// exception that outlives the parser library.
TEST(HostileDocumentsTest, HugeFieldCount) {
  const Outcome outcome = ReadTransformations(
      "<PMML version=\"4.2\"><DataDictionary numberOfFields=\"" + std::string(100000, '9') +
      "\"><DataField name=\"x\" optype=\"continuous\" dataType=\"double\"/></DataDictionary>"
      "<TransformationDictionary><DerivedField name=\"d\" optype=\"continuous\" "
      "dataType=\"double\"><Constant>1</Constant></DerivedField></TransformationDictionary>"
      "</PMML>");
  EXPECT_TRUE(outcome.threw);
  EXPECT_NE(0, outcome.code);
}

// --- Files outside the document ----------------------------------------------

// An external DTD that would supply the missing "optype" is not read: the
// field is refused for lack of it.
TEST(HostileDocumentsTest, ExternalDtdIsNotRead) {
  ScratchFiles dir;
  const std::string dtd = dir.Add("defaults.dtd",
                                  "<!ATTLIST DataField optype CDATA \"continuous\">\n"
                                  "<!ENTITY model \"<NoSuchModel/>\">\n");
  const std::string doctype = "<!DOCTYPE PMML SYSTEM \"file://" + dtd + "\">\n";
  const Outcome read = ReadTransformations(
      "<?xml version=\"1.0\"?>\n" + doctype +
      "<PMML version=\"4.2\"><DataDictionary><DataField name=\"x\" dataType=\"double\"/>"
      "</DataDictionary><TransformationDictionary><DerivedField name=\"d\" optype=\"continuous\""
      " dataType=\"double\"><FieldRef field=\"x\"/></DerivedField></TransformationDictionary>"
      "</PMML>");
  EXPECT_TRUE(read.threw);
  EXPECT_EQ(OVException::kCodeAbsent, read.code) << read.message;
  EXPECT_EQ("Attribute optype is missing from Node \"DataField\"", read.message);

  // The entity the DTD declares stays unknown, so no model element appears.
  const std::string with_entity = "<?xml version=\"1.0\"?>\n" + doctype + "<PMML>&model;</PMML>";
  const Outcome made = MakeModel(with_entity);
  EXPECT_TRUE(made.threw);
  EXPECT_EQ(OVException::kCodeUnsupported, made.code);
  EXPECT_EQ("Unsupported Model found!", made.message);
  EXPECT_FALSE(Scan("NoSuchModel", with_entity));
}

// An external entity is never fetched: neither its text reaches a value nor
// its markup a model element or the look-ahead scan.
TEST(HostileDocumentsTest, ExternalEntityIsNotRead) {
  ScratchFiles dir;
  const std::string secret = dir.Add("secret.txt", "42");
  const Outcome read = ReadTransformations(
      Pmml("    <DerivedField name=\"d\" optype=\"continuous\" dataType=\"double\">\n"
           "      <Constant>&secret;</Constant>\n"
           "    </DerivedField>\n",
           "<!DOCTYPE PMML [<!ENTITY secret SYSTEM \"file://" + secret + "\">]>\n"));
  EXPECT_TRUE(read.threw) << "the external entity was read";
  EXPECT_EQ(OVException::kCodeSemantic, read.code);
  EXPECT_EQ("Invalid XML file!!", read.message);

  const std::string markup = dir.Add("markup.xml", "<NearestNeighborModel/><NoSuchModel/>");
  const std::string document =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE PMML [<!ENTITY m SYSTEM \"file://" + markup +
      "\">]>\n<PMML>&m;</PMML>";
  EXPECT_FALSE(Scan("NearestNeighborModel", document));
  const Outcome made = MakeModel(document);
  EXPECT_TRUE(made.threw);
  EXPECT_EQ(OVException::kCodeSemantic, made.code);
  EXPECT_EQ("Invalid XML file!!", made.message);
}

// --- Derived fields that refer to themselves ---------------------------------

FunctionTree* Leaf(const std::string& field, int id) {
  ApplyNodeStats stats;
  stats.SetParameterName(field);
  stats.SetNodeID(std::to_string(id));
  FunctionTreeImp* leaf = new FunctionTreeImp(false);
  leaf->SetNodeStats(stats);
  return leaf;
}

// A plug-in may build the same loop with the object model: every variable on
// the loop is missing for every case, and the computation ends.
TEST(HostileDocumentsTest, SelfReferenceBuiltInCodeIsMissing) {
  BaseDictionary data;
  data.AddVar("x", new DictVar("x", ScoreDictVar::kNUMERIC_VAR));
  TransformationDictionary derived;
  TransformVar* a = new TransformVar("a", ScoreDictVar::kNUMERIC_VAR);
  a->AddFieldNameAndTransExpression("b", TransformationDictionary::kFIELDREF);
  TransformVar* b = new TransformVar("b", ScoreDictVar::kNUMERIC_VAR);
  b->AddFieldNameAndTransExpression("a", TransformationDictionary::kFIELDREF);
  // c = x + c
  TransformVar* c = new TransformVar("c", ScoreDictVar::kNUMERIC_VAR);
  FunctionTreeImp* plus = new FunctionTreeImp(true);
  ApplyNodeStats stats;
  stats.SetTransformFunction(TransformationDictionary::kFN_PLUS);
  stats.SetNodeID("0");
  plus->SetNodeStats(stats);
  plus->Add(Leaf("x", 1));
  plus->Add(Leaf("c", 2));
  c->SetRoot(plus);
  c->AddFieldNameAndTransExpression("", TransformationDictionary::kAPPLY);
  TransformVar* s = new TransformVar("s", ScoreDictVar::kSTRING_VAR);
  s->AddFieldNameAndTransExpression("s", TransformationDictionary::kFIELDREF);
  for (TransformVar* var : {a, b, c, s}) {
    derived.AddVar(var->GetName(), var);
    derived.AddDerievedVarName(var->GetName());
  }
  derived.SetUpDerivedCaseRecord();

  for (int round = 0; round < 2; ++round) {
    CaseRecord record;
    record.Add("x", new NumericValue(1.0));
    ASSERT_NE(nullptr, derived.GetValuesForDeriedVars(&record, &data));
    for (const char* name : {"a", "b", "c"}) {
      ASSERT_NE(nullptr, derived.GetVarValue(name)) << name;
      EXPECT_EQ(kSysmis, derived.GetVarValue(name)->GetDouble()) << name;
    }
    ASSERT_NE(nullptr, derived.GetVarValue("s"));
    EXPECT_EQ("", derived.GetVarValue("s")->GetString());
  }
}

}  // namespace
}  // namespace MCOrvane_600
