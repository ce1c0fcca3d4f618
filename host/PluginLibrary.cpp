#include "host/PluginLibrary.h"

#include <dlfcn.h>

#include <map>
#include <memory>
#include <mutex>

namespace Zarn::Host {

const PluginLibrary* OpenPluginLibrary(const std::string& path, std::string* error) {
  static std::mutex mutex;
  // Never destroyed: the libraries stay loaded until the process exits.
  static auto* opened = new std::map<std::string, std::unique_ptr<PluginLibrary>>();

  std::lock_guard<std::mutex> lock(mutex);
  if (auto it = opened->find(path); it != opened->end()) return it->second.get();

  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    *error = "cannot load the plugin " + path + ": " + (reason != nullptr ? reason : "unknown");
    return nullptr;
  }
  void* symbol = dlsym(handle, "load_jyx_lobby");
  if (symbol == nullptr) {
    *error = "the plugin " + path + " has no export load_jyx_lobby";
    return nullptr;  // the handle stays open, as every other one does
  }
  auto library = std::make_unique<PluginLibrary>();
  library->path = path;
  library->load = reinterpret_cast<PluginLoadFunction>(symbol);
  const PluginLibrary* result = library.get();
  opened->emplace(path, std::move(library));
  return result;
}

std::string DefaultPluginPath() {
#ifdef JYX_HOST_DEFAULT_PLUGIN
  return JYX_HOST_DEFAULT_PLUGIN;
#else
  return "libjyx_lobby.so";
#endif
}

}  // namespace Zarn::Host
