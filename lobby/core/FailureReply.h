// Failures as the replies of lobby routes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/base/Failure.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/base/MaybeType.h"
#include "sdk/base/PathSegment.h"

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

// The refusal of a caller's `value` for the argument `name`, an id that goes into a request's or
// an event's path, when it names nothing there (FindSegmentFault); answered as a binding refusal
// is, before anything is sent. None for an id; the empty one keeps its meaning (no party, say).
inline std::optional<HttpResponse> RefusedPathId(std::string_view name, std::string_view value) {
  const char* refusal = nullptr;
  switch (FindSegmentFault(value)) {
    case SegmentFault::kNone:
      return std::nullopt;
    case SegmentFault::kOnlyDots:
      refusal = "Argument '%1' may not be only dots.";
      break;
    case SegmentFault::kControlByte:
      refusal = "Argument '%1' may not hold a control character.";
      break;
  }
  return HttpResponse(0, Format(refusal, std::string(name)));
}

// Logs the gameflow plugin's refusal of a lobby and gives its 423 reply.
inline HttpResponse GameflowPreventedReply() {
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "%s", kGameflowPreventedLobby);
  return HttpResponse(423, kGameflowPreventedLobby);
}

}  // namespace Zarn::Client::Lobby
