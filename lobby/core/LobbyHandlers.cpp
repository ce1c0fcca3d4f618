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

}  // namespace Zarn::Client::Lobby
