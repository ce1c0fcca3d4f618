// What every lobby source shares when it logs and publishes: the log channel of its lines and
// the kind numbers its resource events carry.
#pragma once

#include <cstdint>

#include "sdk/runtime/PluginManagerTypes.h"

namespace Zarn::Client::Lobby {

inline constexpr std::uint32_t kLobbyLogChannel = 1;
inline constexpr std::uint32_t kResourceCreate =
    static_cast<std::uint32_t>(PluginResourceEventType::Create);
inline constexpr std::uint32_t kResourceUpdate =
    static_cast<std::uint32_t>(PluginResourceEventType::Update);
// The v1 lobby's resource.
inline constexpr char kV1LobbyPath[] = "/jyx-lobby/v1/lobby";

}  // namespace Zarn::Client::Lobby
