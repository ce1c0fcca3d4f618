// The reply of the handlers that create or change a lobby, made from the backend's result.
#pragma once

#include "lobby/model/LobbyViewRecords.h"
#include "sdk/api/HttpResult.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn::Client::Lobby {

// A result holding a lobby gives that lobby with a default reply. A failed one gives a default
// lobby and an error reply whose text is the failure's message; its status stays 0, since the
// failure's code is not carried into the reply. `result` is left moved from.
[[nodiscard]] HttpResult<Api::LobbyDto> MakeLobbyDtoResult(
    MaybeType<Failure, Api::LobbyDto>&& result);

}  // namespace Zarn::Client::Lobby
