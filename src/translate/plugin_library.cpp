#include "orvane/translate/plugin_library.h"

#include <dlfcn.h>

namespace MCOrvane_600 {

PluginLibrary::PluginLibrary(const std::string& fileName)
    : file_name_(fileName), handle_(nullptr) {}

PluginLibrary::~PluginLibrary() = default;

int PluginLibrary::Load() {
  error_text_.clear();
  if (handle_ != nullptr) return 0;
  // Local binding: two plug-ins may define classes of the same name.
  handle_ = dlopen(file_name_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    RecordError();
    return 1;
  }
  return 0;
}

void* PluginLibrary::GetSymbol(const std::string& name) {
  error_text_.clear();
  if (Load() != 0) return nullptr;
  dlerror();  // A null address is only a failure when dlerror says so.
  void* symbol = dlsym(handle_, name.c_str());
  if (symbol == nullptr) RecordError();
  return symbol;
}

const std::string& PluginLibrary::GetFileName() const { return file_name_; }

void* PluginLibrary::GetHandle() const { return handle_; }

const std::string& PluginLibrary::GetErrorText() const { return error_text_; }

void PluginLibrary::RecordError() {
  const char* text = dlerror();
  error_text_ = text == nullptr ? std::string() : std::string(text);
}

}  // namespace MCOrvane_600
