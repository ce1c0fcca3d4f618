// Loading the plugin library into the stand-in host.
#pragma once

#include <string>

#include "sdk/runtime/PluginBoundary.h"

namespace Zarn::Host {

// The export of the plugin library, and the library's path.
struct PluginLibrary {
  std::string path;
  PluginLoadFunction load = nullptr;
};

// Opens the plugin library at `path` and finds its export "load_jyx_lobby". A library stays
// loaded until the process exits (it is never closed), so that load cycles within one process
// reuse it and its static state. Returns null and sets `*error` when it cannot be opened or has
// no export. The returned record lives until the process exits.
[[nodiscard]] const PluginLibrary* OpenPluginLibrary(const std::string& path, std::string* error);

// The plugin built alongside this host.
[[nodiscard]] std::string DefaultPluginPath();

}  // namespace Zarn::Host
