#include "orvane/translate/model_factory.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMException.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>

#include "orvane/model/score_model.h"
#include "orvane/translate/base_translator.h"
#include "orvane/translate/mcx_input_source.h"
#include "orvane/translate/plugin_library.h"
#include "orvane/translate/score_sax2_handlers.h"
#include "orvane/translate/score_translator.h"
#include "orvane/values/ov_exception.h"
#include "translate/model_names_file.h"
#include "translate/xml_document_parse.h"
#include "translate/xml_names.h"

namespace MCOrvane_600 {

namespace {

using xercesc::DOMDocument;
using xercesc::DOMElement;

const char kNearestNeighborModel[] = "NearestNeighborModel";
const char kGiveMyTranslator[] = "GiveMyTranslator";
const char kPassModelNames[] = "PassModelNames";
const char kUnsupportedModel[] = "Unsupported Model found!";

std::string NotSupportedMessage(const std::string& modelType) {
  return "Doesn't Support " + modelType + "  Model: No Required dll or lib available!";
}

// True when the document starts, after an optional UTF-8 byte order mark,
// with "<" and declares no encoding other than UTF-8, US-ASCII or ISO-8859-1:
// then Xerces reads it in an encoding whose ASCII characters are their own
// bytes. `text` is the document's first chunk.
bool AsciiCompatibleStart(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.substr(0, 5) != "<?xml") return text.substr(0, 1) == "<";
  const std::size_t end = text.find("?>");
  if (end == std::string_view::npos) return false;
  const std::string_view declaration = text.substr(0, end);
  const std::size_t key = declaration.find("encoding");
  if (key == std::string_view::npos) return true;
  const std::size_t open = declaration.find_first_of("\"'", key);
  if (open == std::string_view::npos) return false;
  const std::size_t close = declaration.find(declaration[open], open + 1);
  if (close == std::string_view::npos) return false;
  std::string encoding(declaration.substr(open + 1, close - open - 1));
  std::transform(encoding.begin(), encoding.end(), encoding.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return encoding == "UTF-8" || encoding == "US-ASCII" || encoding == "ISO-8859-1";
}

// Whether [begin, end) holds `text`.
bool Contains(const char* begin, const char* end, const std::string& text) {
  return memmem(begin, static_cast<size_t>(end - begin), text.data(), text.size()) != nullptr;
}

// True when the document's bytes prove that the element scan cannot meet a
// start tag named `name`, so the scan (a quarter of a parse) can be skipped:
// the text is in an encoding whose ASCII characters are their own bytes, has
// no document type declaration (so no entity can spell the tag) and holds the
// name nowhere. Anything else is left to the scan. Reads the stream from where
// it stands; on false puts it back there for the element scan (on true the
// caller rewinds it). On true, `tagged` holds for each of `tags` whether
// "<tag" occurs in the bytes (always true for a tag past ASCII, whose bytes
// depend on the encoding).
bool ScanCannotFind(std::istream& in, const std::string& name,
                    const std::vector<std::string>& tags, std::vector<bool>* tagged) {
  if (in.exceptions() != std::ios::goodbit) return false;
  const std::streampos start = in.tellg();
  if (start == std::streampos(-1)) return false;
  static const std::string kDoctype = "<!DOCTYPE";
  std::size_t longest_tag = 0;
  tagged->assign(tags.size(), false);
  // The tags not met yet, and the bytes they start with.
  std::vector<std::size_t> pending;
  std::array<bool, 256> starts{};
  for (std::size_t i = 0; i < tags.size(); ++i) {
    const bool ascii = std::all_of(tags[i].begin(), tags[i].end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    (*tagged)[i] = tags[i].empty() || !ascii;
    longest_tag = std::max(longest_tag, tags[i].size() + 1);
    if ((*tagged)[i]) continue;
    pending.push_back(i);
    starts[static_cast<unsigned char>(tags[i][0])] = true;
  }
  const std::size_t overlap = std::max({name.size(), kDoctype.size(), longest_tag}) - 1;
  const std::size_t chunk = std::size_t{1} << 16;
  // Each read lands after the last `overlap` bytes of the one before, so a
  // name cut in two by a chunk boundary is still seen whole.
  std::unique_ptr<char[]> buffer(new char[overlap + chunk]);
  std::size_t carried = 0;
  bool first = true;
  bool proven = true;
  while (proven) {
    in.read(buffer.get() + carried, static_cast<std::streamsize>(chunk));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    const char* begin = buffer.get();
    const char* end = begin + carried + got;
    if (std::memchr(begin + carried, 0, got) != nullptr) proven = false;  // UTF-16 or UCS-4
    if (first) {
      first = false;
      proven = proven && AsciiCompatibleStart(std::string_view(begin, got));
    }
    if (Contains(begin, end, name) || Contains(begin, end, kDoctype)) proven = false;
    for (const char* open = begin; proven && !pending.empty() && open < end;) {
      open = static_cast<const char*>(std::memchr(open, '<', static_cast<std::size_t>(end - open)));
      if (open == nullptr) break;
      ++open;
      if (open == end || !starts[static_cast<unsigned char>(*open)]) continue;
      const std::size_t rest = static_cast<std::size_t>(end - open);
      // Every tag that starts here is met ("<TreeModel" opens "Tree" too).
      bool met = false;
      for (std::size_t k = 0; k < pending.size();) {
        const std::string& tag = tags[pending[k]];
        if (tag.size() <= rest && tag[0] == open[0] && (tag.size() == 1 || tag[1] == open[1]) &&
            std::memcmp(open, tag.data(), tag.size()) == 0) {
          (*tagged)[pending[k]] = true;
          pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(k));
          met = true;
        } else {
          ++k;
        }
      }
      if (!met) continue;
      starts.fill(false);
      for (std::size_t i : pending) starts[static_cast<unsigned char>(tags[i][0])] = true;
    }
    carried = std::min(overlap, carried + got);
    std::memmove(buffer.get(), end - carried, carried);
  }
  if (first || in.bad()) return false;  // nothing read, or a failed read: the scan decides
  in.clear();
  if (!proven) {
    in.seekg(start);
    return false;
  }
  // The tree is parsed from the stream's beginning: tags before `start` went unseen.
  if (start != std::streampos(0)) tagged->assign(tags.size(), true);
  return true;
}

// The plug-in file of a model type: "TreeModel" -> "TreeModel600r.so".
std::string PluginFileName(const std::string& modelType) {
  const std::string served_by =
      modelType == "AssociationModelLattice" ? std::string("AssociationModel") : modelType;
  return served_by + "600" + "r" + ".so";
}

template <typename Function>
Function SymbolAs(PluginLibrary* library, const char* name) {
  return reinterpret_cast<Function>(library->GetSymbol(name));
}

// The plug-in's translator factory; throws code 5 when the plug-in cannot be
// loaded or does not export one. The library stays loaded.
GiveMyTranslatorFunction FindTranslatorFactory(PluginLibrary* library,
                                               const std::string& modelType) {
  auto give = SymbolAs<GiveMyTranslatorFunction>(library, kGiveMyTranslator);
  if (give == nullptr) {
    throw OVException(OVException::kCodeUnsupported, NotSupportedMessage(modelType));
  }
  return give;
}

// The first name of `modelNames` that names an element below `root`. The
// names are looked for together and only those earlier in the list than the
// best found so far: the model element, nearly always a child of the root,
// is looked for among the children first, and when it bears the first name
// of the list the rest of the tree need not be walked. `tagged` (null: not
// known) tells per name whether the document's bytes open a tag with it.
std::string FindModelType(DOMElement* root, const std::vector<std::string>& modelNames,
                          const std::vector<bool>* tagged) {
  std::vector<std::unique_ptr<xml_internal::WideName>> wanted;
  wanted.reserve(modelNames.size());
  for (std::size_t i = 0; i < modelNames.size(); ++i) {
    const std::string& name = modelNames[i];
    // "*" is the DOM's wildcard; no element is named so. A name the bytes
    // never open a tag with names no element either.
    const bool skipped = name.empty() || name == "*" || (tagged != nullptr && !(*tagged)[i]);
    wanted.emplace_back(skipped ? nullptr : new xml_internal::WideName(name.c_str()));
  }
  size_t best = wanted.size();
  auto look_at = [&wanted, &best](const xercesc::DOMNode* element) {
    const XMLCh* tag = element->getNodeName();
    for (size_t i = 0; i < best; ++i) {
      if (wanted[i] != nullptr && xercesc::XMLString::equals(tag, wanted[i]->get())) {
        best = i;
        return;
      }
    }
  };
  for (xercesc::DOMNode* child = BaseTranslator::GetFirstChildElt(root);
       child != nullptr && best > 0; child = BaseTranslator::GetNextSiblingElt(child)) {
    look_at(child);
  }
  // The walk touches every node of the tree: it is left out when no name
  // ranked before the best so far is left to look for.
  bool open = false;
  for (std::size_t i = 0; i < best; ++i) open = open || wanted[i] != nullptr;
  if (open) {
    xml_internal::SubtreeWalk walk(root);
    for (xercesc::DOMNode* node = walk.Next(); node != nullptr && best > 0; node = walk.Next()) {
      if (node->getNodeType() == xercesc::DOMNode::ELEMENT_NODE) look_at(node);
    }
  }
  return best < modelNames.size() ? modelNames[best] : std::string();
}

// Runs the plug-in's part of a document-tree parse. A Xerces exception that
// escapes the plug-in is turned into code 6 here: its text lives in the Xerces
// platform, which the factory terminates before the exception would reach the
// host. Every other exception passes unchanged.
ScoreModel* BuildWithPlugin(PluginLibrary* library, const std::string& modelType,
                            DOMDocument* document, const std::string& arg,
                            const std::vector<std::string>& modelNames) {
  const GiveMyTranslatorFunction give = FindTranslatorFactory(library, modelType);
  const auto pass = SymbolAs<PassModelNamesFunction>(library, kPassModelNames);
  std::string failure;
  try {
    std::unique_ptr<ScoreTranslator> translator(give());
    if (translator == nullptr) {
      throw OVException(OVException::kCodeUnsupported, NotSupportedMessage(modelType));
    }
    if (pass != nullptr) pass(translator.get(), &modelNames);
    return translator->ParseFromTree(document, arg);
  } catch (const xercesc::XMLException& e) {
    failure = xml_internal::NarrowText(e.getMessage());
  } catch (const xercesc::DOMException& e) {
    failure = xml_internal::NarrowText(e.getMessage());
  } catch (const xercesc::SAXException& e) {
    failure = xml_internal::NarrowText(e.getMessage());
  }
  throw OVException(OVException::kCodeSemantic, failure);
}

// The model type named by the kind of document, or "" when the names list
// decides. Throws code 5 for a root that is no model document.
std::string ModelTypeOfRoot(const DOMElement* root) {
  const XMLCh* tag = root->getTagName();
  if (BaseTranslator::IsEqual(tag, "PMML")) return std::string();
  if (BaseTranslator::IsEqual(tag, "qrtz-ml")) {
    const bool regression =
        BaseTranslator::GetElementsByTagName(root, "regression-model")->item(0) != nullptr;
    return regression ? "GeneralRegressionModel" : std::string();
  }
  if (BaseTranslator::IsEqual(tag, "Tree")) return "TreeModel";
  if (BaseTranslator::IsEqual(tag, "AssocLattice") ||
      BaseTranslator::IsEqual(tag, "SequentialAssociationLattice")) {
    return std::string();
  }
  throw OVException(OVException::kCodeUnsupported, kUnsupportedModel);
}

// The document path: the stream is parsed into a tree that the plug-in's
// translator reads. Every Xerces object of this scope is declared after the
// platform session, so all are gone (translator, then parser with its
// document) before the platform is terminated, on every way out.
ScoreModel* MakeModelFromDocument(std::istream& in, const std::vector<std::string>& modelNames,
                                  const std::string& arg, const std::vector<bool>* tagged) {
  const xml_internal::XercesPlatformSession session;
  xml_internal::ParserGuards guards;
  std::unique_ptr<xercesc::XercesDOMParser> parser = guards.NewDocumentParser();

  DOMDocument* document = nullptr;
  {
    const MCXML_600::MCXInputSource source(in);
    document = xml_internal::ParseDocument(parser.get(), source);
  }
  DOMElement* root = document->getDocumentElement();
  if (root == nullptr) {
    throw OVException(OVException::kCodeOpen,
                      "\nInvalid XML document or no dtd file avaible in current directory");
  }
  const XMLCh* tag = root->getTagName();
  if (tag == nullptr || *tag == 0) {
    throw OVException(OVException::kCodeOpen, "\nInvalid XML document: root tag name is empty!!");
  }
  std::string model_type = ModelTypeOfRoot(root);
  if (model_type.empty()) model_type = FindModelType(root, modelNames, tagged);
  if (model_type.empty()) throw OVException(OVException::kCodeUnsupported, kUnsupportedModel);

  PluginLibrary library(PluginFileName(model_type));
  return BuildWithPlugin(&library, model_type, document, arg, modelNames);
}

// The nearest-neighbour path: the plug-in's translator reads the stream
// itself, and keeps its translator.
ScoreModel* MakeNearestNeighborModel(std::istream& in, const std::vector<std::string>& modelNames,
                                     const std::string& nnArg) {
  if (std::find(modelNames.begin(), modelNames.end(), kNearestNeighborModel) == modelNames.end()) {
    throw OVException(OVException::kCodeUnsupported, NotSupportedMessage(kNearestNeighborModel));
  }
  PluginLibrary library(PluginFileName(kNearestNeighborModel));
  const GiveMyTranslatorFunction give = FindTranslatorFactory(&library, kNearestNeighborModel);
  // Only a BaseTranslator has the stream form that takes both arguments.
  BaseTranslator* translator = dynamic_cast<BaseTranslator*>(give());
  if (translator == nullptr) {
    throw OVException(OVException::kCodeUnsupported, NotSupportedMessage(kNearestNeighborModel));
  }
  return translator->ParseFromTree(in, std::string(), nnArg);
}

}  // namespace

ScoreModel* ModelFactory::MakeModelFromXML(const std::string& modelFile,
                                           const std::string& namesFile, const std::string& arg) {
  return MakeModelFromXML(modelFile, namesFile, arg, std::string());
}

ScoreModel* ModelFactory::MakeModelFromXML(const std::string& modelFile,
                                           const std::string& namesFile, const std::string& arg,
                                           const std::string& nnArg) {
  std::vector<std::string> model_names;
  model_names_file::ReadNames(namesFile.empty() ? model_names_file::kDefaultFileName : namesFile,
                              &model_names);
  std::ifstream in(modelFile);
  if (!in.is_open()) throw OVException(OVException::kCodeOpen, "Could not open model file");
  return MakeModelFromXML(in, model_names, arg, nnArg);
}

ScoreModel* ModelFactory::MakeModelFromXML(std::istream& in,
                                           const std::vector<std::string>& modelNames,
                                           const std::string& arg) {
  return MakeModelFromXML(in, modelNames, arg, std::string());
}

ScoreModel* ModelFactory::MakeModelFromXML(std::istream& in,
                                           const std::vector<std::string>& modelNames,
                                           const std::string& arg, const std::string& nnArg) {
  std::vector<bool> tagged;
  const bool plain = ScanCannotFind(in, kNearestNeighborModel, modelNames, &tagged);
  const bool nearest_neighbor = !plain && ScanForElement(kNearestNeighborModel, in);
  // Both paths read the document from its start again.
  if (!in.bad()) {
    in.clear();
    in.seekg(0, std::ios::beg);
  }
  if (nearest_neighbor) return MakeNearestNeighborModel(in, modelNames, nnArg);
  return MakeModelFromDocument(in, modelNames, arg, plain ? &tagged : nullptr);
}

}  // namespace MCOrvane_600
