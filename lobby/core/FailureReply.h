// Failures as the replies of lobby routes.
#pragma once

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/base/Failure.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

// The failure's code, 500 when it has none, and its message.
inline HttpResponse FailureReply(const Failure& failure) {
  return HttpResponse(failure.Code() == 0 ? 500 : failure.Code(), failure.Message());
}

// Logs the gameflow plugin's refusal of a lobby and gives its 423 reply.
inline HttpResponse GameflowPreventedReply() {
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", kGameflowPreventedLobby);
  return HttpResponse(423, kGameflowPreventedLobby);
}

}  // namespace Zarn::Client::Lobby
