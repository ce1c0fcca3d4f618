// Failures as the replies of lobby routes.
#pragma once

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/base/Failure.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/base/MaybeType.h"

namespace Zarn::Client::Lobby {

// The failure's code, 500 when it has none, and its message.
inline HttpResponse FailureReply(const Failure& failure) {
  return HttpResponse(failure.Code() == 0 ? 500 : failure.Code(), failure.Message());
}

// An empty reply on success, else the failure's reply.
inline HttpResponse FailureReply(const MaybeType<Failure, void>& outcome) {
  if (outcome.HasValue()) return HttpResponse();
  return FailureReply(outcome.GetFailure());
}

// The reply of `operation` run on the lobby's `controller` (a pointer); without a controller,
// 500 "INVALID_LOBBY".
template <typename Reply, typename ControllerPointer, typename Operation>
Reply WithController(const ControllerPointer& controller, const Operation& operation) {
  if (controller == nullptr) return HttpResponse(500, kInvalidLobby);
  return operation(*controller);
}

// Logs the gameflow plugin's refusal of a lobby and gives its 423 reply.
inline HttpResponse GameflowPreventedReply() {
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", kGameflowPreventedLobby);
  return HttpResponse(423, kGameflowPreventedLobby);
}

}  // namespace Zarn::Client::Lobby
