#ifndef ORVANE_TRANSLATE_PLUGIN_LIBRARY_H_
#define ORVANE_TRANSLATE_PLUGIN_LIBRARY_H_

#include <string>
#include <vector>

// Marks a plug-in's entry points for export, whatever the plug-in's default
// symbol visibility is.
#define ORVANE_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace MCOrvane_600 {

class ScoreTranslator;

// The entry points of a model plug-in, looked up by these names:
//
//   ORVANE_PLUGIN_EXPORT ScoreTranslator* GiveMyTranslator();
//     Required. A new translator; the factory destroys it through its virtual
//     destructor after a document-tree parse. A nearest-neighbour plug-in's
//     translator is not destroyed by the factory: the plug-in keeps it.
//
//   ORVANE_PLUGIN_EXPORT void PassModelNames(ScoreTranslator* translator,
//                                            const std::vector<std::string>* names);
//     Optional. Called before the translator parses, with the model-names list
//     of the call. The list lives only for the call: do not keep its address.
using GiveMyTranslatorFunction = ScoreTranslator* (*)();
using PassModelNamesFunction = void (*)(ScoreTranslator*, const std::vector<std::string>*);

// One plug-in library, loaded by file name through the platform's loader
// (dlopen: the loader's search rules apply). A loaded library is never
// unloaded: plug-in code must stay mapped while its translators and models
// live, and the host cannot tell when the last one is gone.
class PluginLibrary {
 public:
  explicit PluginLibrary(const std::string& fileName);
  // Leaves the library loaded.
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // Loads the library unless it is loaded already. 0 on success; otherwise
  // nonzero, with the loader's description in GetErrorText().
  int Load();
  // The address of the exported symbol `name`, loading the library first;
  // null (with the error text recorded) when either step fails.
  void* GetSymbol(const std::string& name);

  const std::string& GetFileName() const;
  // The platform's handle; null until loaded.
  void* GetHandle() const;
  // The platform's description of the last failure; empty after a success.
  const std::string& GetErrorText() const;

 private:
  void RecordError();

  std::string file_name_;
  void* handle_;
  std::string error_text_;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_PLUGIN_LIBRARY_H_
