// The library's one export.
#include <exception>
#include <memory>

#include "lobby/backends/BackendComponentFactory.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/platform/HostClocks.h"
#include "sdk/runtime/PluginLoader.h"

// Takes the clocks the host offers (none: the system's), then builds the lobby plugin with the real
// backends and hands it to the loader. A refused core leaves `record` untouched and the plugin is
// deleted again. No exception leaves this function.
extern "C" __attribute__((visibility("default"))) void load_jyx_lobby(
    Zarn::PluginLoadResult* record) {
  if (record == nullptr) return;
  Zarn::Platform::AdoptHostClocks();
  try {
    auto plugin = std::make_unique<Zarn::Client::Lobby::LobbyPlugin>(
        std::make_unique<Zarn::Client::Lobby::BackendComponentFactory>());
    if (Zarn::Client::LoadPlugin(plugin.get(), record, "jyx-lobby")) {
      static_cast<void>(plugin.release());  // the host owns it until the shutdown entry
    }
  } catch (const std::exception& e) {
    Zarn::LogPrintf(Zarn::kLogLevelError, 1, 0, "load_jyx_lobby failed: %s", e.what());
  } catch (...) {
    Zarn::LogPrintf(Zarn::kLogLevelError, 1, 0, "load_jyx_lobby failed: unknown exception");
  }
}
