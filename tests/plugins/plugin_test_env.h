#ifndef ORVANE_TESTS_PLUGINS_PLUGIN_TEST_ENV_H_
#define ORVANE_TESTS_PLUGINS_PLUGIN_TEST_ENV_H_

// Helpers for tests that load the test plug-ins through the model factory.
// The factory hands bare file names ("TreeModel600r.so") to the platform
// loader, so the plug-in directory must be on the loader's search path.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orvane_test {

// The loader reads LD_LIBRARY_PATH once, when the process starts: to put the
// plug-in directory on the search path, or to take it off, the test program
// runs itself again with the changed variable. Call from a static
// initialiser, before any test runs.
inline bool UsePluginDirectory(bool onSearchPath) {
  const std::string dir = ORVANE_PLUGIN_DIR;
  const char* current = std::getenv("LD_LIBRARY_PATH");
  std::istringstream parts(current == nullptr ? "" : current);
  bool present = false;
  std::string changed = onSearchPath ? dir : std::string();
  for (std::string entry; std::getline(parts, entry, ':');) {
    if (entry == dir) present = true;
    if (entry.empty() || entry == dir) continue;
    changed += (changed.empty() ? "" : ":") + entry;
  }
  // The marker stops a loop should the loader not see the change.
  if (present == onSearchPath || std::getenv("ORVANE_PLUGIN_PATH_SET") != nullptr) return true;
  if (changed.empty()) {
    unsetenv("LD_LIBRARY_PATH");
  } else {
    setenv("LD_LIBRARY_PATH", changed.c_str(), 1);
  }
  setenv("ORVANE_PLUGIN_PATH_SET", "1", 1);

  std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> args;
  for (std::string arg; std::getline(cmdline, arg, '\0');) args.push_back(arg);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  execv("/proc/self/exe", argv.data());
  return false;  // exec failed: the tests that need plug-ins will say so
}

// Calls the counting function `name` of an already loaded plug-in; -1 when
// the plug-in is not loaded or has no such function.
inline int PluginCount(const char* pluginFile, const char* name) {
  void* handle = dlopen(pluginFile, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return -1;
  auto function = reinterpret_cast<int (*)()>(dlsym(handle, name));
  const int count = function == nullptr ? -1 : function();
  dlclose(handle);
  return count;
}

inline int LiveTranslators(const char* pluginFile) {
  return PluginCount(pluginFile, "OrvaneTestLiveTranslators");
}

inline int LiveModels(const char* pluginFile) {
  return PluginCount(pluginFile, "OrvaneTestLiveModels");
}

}  // namespace orvane_test

#endif  // ORVANE_TESTS_PLUGINS_PLUGIN_TEST_ENV_H_
