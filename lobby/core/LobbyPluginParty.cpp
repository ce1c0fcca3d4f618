// The party routes: the party-active flag, the party type and the party rewards.
#include <string>

#include "lobby/core/FailureReply.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

// The flag as last published, not recomputed: the route and the event agree.
bool LobbyPlugin::HandleGetPartyActive() { return viewModel_.PartyActive(); }

HttpResponse LobbyPlugin::HandlePutPartyType(const std::string& partyType) {
  LobbyUpdateBatch batch(*this);
  if (!stateMachine_.IsInState(&LobbyFlow::kPartyLobby)) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Setting partyType without being in party lobby.");
    return HttpResponse(400, "INVALID_LOBBY_TYPE");
  }
  if (backends_.Parties() == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> set = backends_.Parties()->SetPartyType(partyType);
  if (set.IsFailure()) return FailureReply(set.GetFailure());
  return HttpResponse();
}

HttpResult<Api::LobbyPartyRewards> LobbyPlugin::HandleGetPartyRewards() {
  return Api::LobbyPartyRewards(partyRewards_.Current());
}

}  // namespace Zarn::Client::Lobby
