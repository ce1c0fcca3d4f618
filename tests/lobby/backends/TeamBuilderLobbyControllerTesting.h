// Test access to a team-builder controller's table of invite privileges.
#pragma once

#include <cstdint>
#include <optional>

#include "lobby/backends/TeamBuilderLobbyController.h"

namespace Zarn::Client::Lobby {

class TeamBuilderLobbyControllerTesting {
 public:
  // The stored privilege of `summonerId`; none when the table has no entry.
  [[nodiscard]] static std::optional<bool> InvitePrivilege(
      const TeamBuilderLobbyController& controller, std::uint64_t summonerId) {
    const auto found = controller.invitePrivileges_.find(summonerId);
    if (found == controller.invitePrivileges_.end()) return std::nullopt;
    return found->second;
  }
};

}  // namespace Zarn::Client::Lobby
