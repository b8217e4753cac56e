#include "orvane_plugins/plugin_directory.h"

#include <dlfcn.h>

#include <fstream>

namespace orvane_plugins {

std::string ShippedPluginDirectory() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ShippedPluginDirectory), &info) == 0 ||
      info.dli_fname == nullptr) {
    return std::string();
  }
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string DefaultNamesFile() { return ShippedPluginDirectory() + "/modeldll.txt"; }

std::string PluginFileName(const std::string& type) {
  return (type == "AssociationModelLattice" ? std::string("AssociationModel") : type) + "600r.so";
}

std::vector<std::string> PreloadPlugins(const std::vector<std::string>& names,
                                        const std::string& given_folder) {
  std::vector<std::string> loaded;
  const std::string folder = given_folder.empty() ? ShippedPluginDirectory() : given_folder;
  for (const std::string& name : names) {
    const std::string file = PluginFileName(name);
    // Plug-ins stay loaded for the life of the process, as the factory's do.
    if (dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD) != nullptr) continue;
    if (dlopen(file.c_str(), RTLD_NOW) != nullptr) continue;
    if (folder.empty()) continue;
    if (dlopen((folder + "/" + file).c_str(), RTLD_NOW) != nullptr) loaded.push_back(name);
  }
  return loaded;
}

std::vector<std::string> ReadNamesFile(const std::string& path) {
  std::vector<std::string> names;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    size_t i = 0;
    while (i < line.size()) {
      size_t b = line.find_first_not_of(" ,\t\n", i);
      if (b == std::string::npos) break;
      size_t e = line.find_first_of(" ,\t\n", b);
      if (e == std::string::npos) e = line.size();
      names.push_back(line.substr(b, e - b));
      i = e;
    }
  }
  return names;
}

}  // namespace orvane_plugins
