// Records that read data the legacy platform hands over as JSON text or configuration. They are
// types of the plugin, without legacy class names.
#pragma once

#include <cstdint>

#include "lobby/model/LobbyTypeContext.h"

namespace Zarn::Client::Lobby::Api {

// The JSON text in "gameMetaData" of the legacy lobby status.
struct LcdsGameMetaData {
  std::uint64_t gameId = 0;
  std::int32_t mapId = 0;
};

// Members are named as their upper camel case keys, which are matched in exact case.
struct LcdsPartyRewardsConfig {
  bool Enabled = false;
};

// The part of the dynamic client configuration that the lobby reads.
struct LcdsDynamicClientConfig {
  LcdsPartyRewardsConfig PartyRewards;
};

}  // namespace Zarn::Client::Lobby::Api

ZARN_LOBBY_API_RECORD(LcdsGameMetaData);
ZARN_LOBBY_API_RECORD(LcdsPartyRewardsConfig);
ZARN_LOBBY_API_RECORD(LcdsDynamicClientConfig);
