// The REST handlers of the lobby whose building is still ahead.
#include "lobby/core/LobbyPlugin.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

}  // namespace Zarn::Client::Lobby
