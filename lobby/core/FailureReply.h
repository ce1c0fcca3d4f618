// A failure of a backend or platform call as the reply of a lobby route.
#pragma once

#include "sdk/api/HttpResponse.h"
#include "sdk/base/Failure.h"

namespace Zarn::Client::Lobby {

// The failure's code, 500 when it has none, and its message.
inline HttpResponse FailureReply(const Failure& failure) {
  return HttpResponse(failure.Code() == 0 ? 500 : failure.Code(), failure.Message());
}

}  // namespace Zarn::Client::Lobby
