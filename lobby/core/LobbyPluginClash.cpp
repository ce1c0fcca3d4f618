// Joining and leaving a clash party. Backends are looked up again after every wait: a shutdown
// meanwhile deletes them.
#include <string>

#include "lobby/core/FailureReply.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

HttpResponse LobbyPlugin::JoinClashParty(const std::string& token) {
  LobbyUpdateBatch batch(*this);
  const std::string clashToken = token;
  if (!IsInLobby() && !gameflow_.RequestGameflowLobby()) return GameflowPreventedReply();
  if (backends_.Active() != nullptr && backends_.Active() != backends_.Parties()) {
    MaybeType<Failure, void> left = backends_.Active()->LeaveLobby();
    if (left.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Unable to leave to join clash party: %s",
                left.Message());
      return FailureReply(left.GetFailure());
    }
    ProcessLobbyEvent(LobbyEvents::kQuitLobby);
  }
  {
    // Its own batch: the view waits for the outer one, which the join below still belongs to.
    LobbyUpdateBatch inactive(*this);
    ProcessLobbyEvent(LobbyEvents::kPartyLobbyInactive);
  }
  if (backends_.Parties() == nullptr) return HttpResponse(500, kInvalidLobby);
  MaybeType<Failure, void> joined = backends_.Parties()->JoinClashParty(clashToken);
  if (joined.IsFailure()) return HttpResponse(500, "Error joining party");
  return HttpResponse();
}

HttpResponse LobbyPlugin::LeaveClashParty() {
  LobbyUpdateBatch batch(*this);
  if (backends_.Parties() == nullptr || !backends_.Parties()->IsClashParty()) {
    return HttpResponse(400, "No Clash party to leave");
  }
  MaybeType<Failure, void> left = backends_.Parties()->LeaveLobby();
  if (left.IsFailure()) return FailureReply(left.GetFailure());
  return HttpResponse();
}

}  // namespace Zarn::Client::Lobby
