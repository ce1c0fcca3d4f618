// The automatic invite grant's records, for tests.
#pragma once

#include <cstdint>
#include <set>

#include "lobby/core/LobbyMembers.h"

namespace Zarn::Client::Lobby {

class LobbyMembersTesting {
 public:
  static bool AutoGrantInviteEnabled(const LobbyMembers& members) {
    return members.autoGrantInviteEnabled_;
  }
  static std::set<std::uint64_t>& AutoGrantedMemberIds(LobbyMembers& members) {
    return members.autoGrantedMemberIds_;
  }
};

}  // namespace Zarn::Client::Lobby
