#include "sdk/runtime/PluginApiVersion.h"

#include "sdk/base/Format.h"

namespace Zarn::Client {

bool IsPluginApiCompatible(const PluginApiVersion& plugin, const PluginApiVersion& core) {
  if (core.major != plugin.major) return false;
  if (core.minor != plugin.minor) return core.minor > plugin.minor;
  return core.patch >= plugin.patch;
}

std::string FormatVersion(const PluginApiVersion& version) {
  std::string text = Format("%1.%2.%3", version.major, version.minor, version.patch);
  if (!version.prerelease.empty()) text += "-" + version.prerelease;
  if (!version.build.empty()) text += "+" + version.build;
  return text;
}

}  // namespace Zarn::Client
