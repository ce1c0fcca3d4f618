#include "lobby/core/CustomGameLobbyBuilder.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

void BuildCustomGameLobbyFromGameDto(Api::Lobby& /*lobby*/, const LCDS::GameDTO& /*game*/,
                                     const Api::QueueGameTypeConfig& /*gameTypeConfig*/,
                                     std::uint32_t /*practiceToolPlayerCount*/) {
  ZARN_NOT_BUILT("BuildCustomGameLobbyFromGameDto", void);
}

}  // namespace Zarn::Client::Lobby
