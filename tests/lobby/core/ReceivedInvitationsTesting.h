// The received invitations' legacy list, for tests.
#pragma once

#include <vector>

#include "lobby/core/ReceivedInvitations.h"

namespace Zarn::Client::Lobby {

class ReceivedInvitationsTesting {
 public:
  static std::vector<Api::LobbyInvitation>& Legacy(ReceivedInvitations& invitations) {
    return invitations.legacy_;
  }
};

}  // namespace Zarn::Client::Lobby
