// The loader: the handshake between a host core and a plugin object.
#pragma once

#include "sdk/runtime/Plugin.h"
#include "sdk/runtime/PluginBoundary.h"

namespace Zarn::Client {

// Checks the core's plugin API version in `record` against the plugin's, then names the plugin
// after `shortName` (a back end), registers the plugin-manager types and the plugin's own API,
// builds the registry snapshot and writes the reply into `record`.
//
// An incompatible core is reported as the assertion "ALE-EECF0606"; the record is left untouched
// and false is returned, so that the caller can delete the plugin it built. `plugin`, `record`
// and `shortName` must not be null.
[[nodiscard]] bool LoadPlugin(Plugin* plugin, PluginLoadResult* record, const char* shortName);

}  // namespace Zarn::Client
