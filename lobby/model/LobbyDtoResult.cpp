#include "lobby/model/LobbyDtoResult.h"

#include <utility>

namespace Zarn::Client::Lobby {

HttpResult<Api::LobbyDto> MakeLobbyDtoResult(MaybeType<Failure, Api::LobbyDto>&& result) {
  HttpResult<Api::LobbyDto> reply;
  reply.response.ok = result.HasValue();
  if (result.HasValue()) {
    reply.value = std::move(result).Value();
  } else {
    reply.response.message = result.GetFailure().Message();
  }
  return reply;
}

}  // namespace Zarn::Client::Lobby
