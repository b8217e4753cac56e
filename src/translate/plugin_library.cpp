#include "orvane/translate/plugin_library.h"

#include <dlfcn.h>

#include <mutex>
#include <string>
#include <unordered_map>

namespace MCOrvane_600 {

PluginLibrary::PluginLibrary(const std::string& fileName)
    : file_name_(fileName), handle_(nullptr) {}

PluginLibrary::~PluginLibrary() = default;

namespace {

// The libraries loaded by a name without a path. They are never closed, and
// such a name finds again what it found before: asking the loader once per
// name spares every later load its search of the loaded libraries.
class LoadedByName {
 public:
  void* Find(const std::string& name) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = handles_.find(name);
    return found == handles_.end() ? nullptr : found->second;
  }
  void Keep(const std::string& name, void* handle) {
    const std::lock_guard<std::mutex> lock(mutex_);
    handles_.emplace(name, handle);
  }

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, void*> handles_;
};

LoadedByName& Loaded() {
  static LoadedByName* const loaded = new LoadedByName();  // lives to the process's end
  return *loaded;
}

}  // namespace

int PluginLibrary::Load() {
  error_text_.clear();
  if (handle_ != nullptr) return 0;
  const bool by_name = file_name_.find('/') == std::string::npos;
  if (by_name) handle_ = Loaded().Find(file_name_);
  if (handle_ != nullptr) return 0;
  // Local binding: two plug-ins may define classes of the same name.
  handle_ = dlopen(file_name_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    RecordError();
    return 1;
  }
  if (by_name) Loaded().Keep(file_name_, handle_);
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
