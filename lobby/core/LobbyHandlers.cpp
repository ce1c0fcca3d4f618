// The REST handlers of the lobby whose building is still ahead.
#include "lobby/core/LobbyPlugin.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

HttpResponse LobbyPlugin::JoinClashParty(const std::string& /*token*/) {
  ZARN_NOT_BUILT("JoinClashParty", HttpResponse);
}

HttpResponse LobbyPlugin::LeaveClashParty() { ZARN_NOT_BUILT("LeaveClashParty", HttpResponse); }

HttpResponse LobbyPlugin::HandleJoinTournament(const std::string& /*id*/) {
  ZARN_NOT_BUILT("HandleJoinTournament", HttpResponse);
}

HttpResponse LobbyPlugin::HandlePlayAgain() { ZARN_NOT_BUILT("HandlePlayAgain", HttpResponse); }

HttpResponse LobbyPlugin::HandlePlayAgainDecline() {
  ZARN_NOT_BUILT("HandlePlayAgainDecline", HttpResponse);
}

bool LobbyPlugin::HandleGetPartyActive() { ZARN_NOT_BUILT("HandleGetPartyActive", bool); }

void BuildLobbyMembers(std::vector<Api::LobbyMember>& /*members*/,
                       std::vector<Api::LobbyMember>& /*players*/,
                       const std::vector<LCDS::PlayerParticipant>& /*participants*/,
                       std::uint64_t /*ownerId*/, const std::vector<std::uint64_t>& /*inviterIds*/,
                       bool /*spectators*/,
                       const std::map<std::string, std::int32_t>& /*championAliases*/) {
  ZARN_NOT_BUILT("BuildLobbyMembers", void);
}

std::int32_t ResolveBotChampionId(const std::string& /*internalName*/,
                                  const std::map<std::string, std::int32_t>& /*championAliases*/) {
  ZARN_NOT_BUILT("ResolveBotChampionId", std::int32_t);
}

}  // namespace Zarn::Client::Lobby
