// The legacy platform's class names of the messages the lobby subscribes to; the same names
// register the records those messages read into.
#pragma once

namespace Zarn::Client::Lobby {

inline constexpr char kDynamicConfigurationClass[] =
    "com.zarnworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification";
inline constexpr char kGameDtoClass[] = "com.zarnworks.platform.game.GameDTO";
inline constexpr char kGameNotificationClass[] =
    "com.zarnworks.platform.game.message.GameNotification";
inline constexpr char kInvitationRequestClass[] =
    "com.zarnworks.platform.gameinvite.contract.InvitationRequest";
inline constexpr char kInvitePrivilegesClass[] =
    "com.zarnworks.platform.gameinvite.contract.InvitePrivileges";
inline constexpr char kLobbyStatusClass[] =
    "com.zarnworks.platform.gameinvite.contract.LobbyStatus";
inline constexpr char kRemovedFromLobbyClass[] =
    "com.zarnworks.platform.gameinvite.contract.RemovedFromLobbyNotification";

}  // namespace Zarn::Client::Lobby
