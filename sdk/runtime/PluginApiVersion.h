// The version of the plugin API that a plugin and a host core each implement.
#pragma once

#include <cstdint>
#include <string>

namespace Zarn::Client {

// A semantic version. Only the numbers take part in compatibility; the texts are empty in every
// version this system builds or receives.
struct PluginApiVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t patch = 0;
  std::string prerelease;
  std::string build;
};

// The plugin's own version, 18.0.0. Its constructor is constexpr, so g++ initializes it as a
// constant, in place before any code of the library runs; clang 14 cannot evaluate libstdc++'s
// strings at compile time, so `constinit` is not spelled out.
extern const PluginApiVersion kPluginApiVersion;

// Whether a core that implements `core` can load a plugin built for `plugin`: same major, and a
// core minor above the plugin's, or the same minor with a patch at least the plugin's.
[[nodiscard]] bool IsPluginApiCompatible(const PluginApiVersion& plugin,
                                         const PluginApiVersion& core);

// "major.minor.patch", then "-prerelease" and "+build" when those are not empty.
[[nodiscard]] std::string FormatVersion(const PluginApiVersion& version);

}  // namespace Zarn::Client
