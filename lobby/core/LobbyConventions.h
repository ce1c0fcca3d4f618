// What every lobby source shares when it logs and publishes: the log channels of its lines, the
// kind numbers its resource events carry and the v1 lobby's resource.
#pragma once

#include <cstdint>

#include "sdk/runtime/PluginManagerTypes.h"

namespace Zarn::Client::Lobby {

inline constexpr std::uint32_t kLobbyLogChannel = 1;
// The dodges' lines that go to a channel of their own.
inline constexpr std::uint32_t kDodgeLogChannel = 2;
inline constexpr std::uint32_t kResourceCreate =
    static_cast<std::uint32_t>(PluginResourceEventType::Create);
inline constexpr std::uint32_t kResourceUpdate =
    static_cast<std::uint32_t>(PluginResourceEventType::Update);
// The v1 lobby's resource.
inline constexpr char kV1LobbyPath[] = "/jyx-lobby/v1/lobby";

}  // namespace Zarn::Client::Lobby
