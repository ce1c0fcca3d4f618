#include "lobby/core/EligibilityRules.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

void EligibilityRules::Start(LobbyPlugin* /*owner*/,
                             WatchedConfigValue<std::vector<Api::Queue>>& /*queues*/,
                             WatchedConfigValue<Api::Summoner>& /*summoner*/) {
  ZARN_NOT_BUILT("EligibilityRules::Start", void);
}

}  // namespace Zarn::Client::Lobby
