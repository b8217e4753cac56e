#ifndef ORVANE_PLUGINS_PLUGIN_DIRECTORY_H_
#define ORVANE_PLUGINS_PLUGIN_DIRECTORY_H_

// Where the shipped model plug-ins live and how a host makes the model
// factory find them. The plug-ins sit beside this support library (in the
// build tree and after installation alike), with the names file listing
// every shipped model type. Used by the orvane command and the Python module.

#include <string>
#include <vector>

namespace orvane_plugins {

// The folder of the shipped plug-ins (the folder of this support library),
// without a trailing slash; empty when it cannot be told.
std::string ShippedPluginDirectory();

// The file name of the plug-in serving model type `type` ("TreeModel600r.so").
std::string PluginFileName(const std::string& type);

// The shipped names file ("modeldll.txt" in that folder).
std::string DefaultNamesFile();

// Makes the factory's load by file name find a plug-in for each of `names`:
// a plug-in that the system loader finds by its file name is left to it;
// otherwise the plug-in of that name in `folder` (the shipped folder when
// empty), when there is one, is loaded by its full path (it carries its file
// name as its soname, so the factory's later load by file name gets it).
// Names without any plug-in are left for the factory to report. Returns the
// names loaded from the folder.
std::vector<std::string> PreloadPlugins(const std::vector<std::string>& names,
                                        const std::string& folder = std::string());

// The model type names of a names file, split as the factory splits them;
// empty when the file cannot be read.
std::vector<std::string> ReadNamesFile(const std::string& path);

}  // namespace orvane_plugins

#endif  // ORVANE_PLUGINS_PLUGIN_DIRECTORY_H_
