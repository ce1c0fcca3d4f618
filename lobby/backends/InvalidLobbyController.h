// The controller of a lobby whose queue is not known: it refuses every lobby operation.
#pragma once

#include <cstdint>
#include <string>

#include "lobby/core/LobbyController.h"

namespace Zarn::Client::Lobby {

class InvalidLobbyController final : public LobbyController {
 public:
  // `services` is not owned; it outlives the controller.
  explicit InvalidLobbyController(LobbyServices* services) : LobbyController(services) {}

  MaybeType<Failure, Api::Lobby> CreateLobby(const Api::Lobby& requested) override;
  MaybeType<Failure, Api::Lobby> CreatePlatformLobby(const Api::Lobby& current) override;
  bool LeaveLobby(const Api::Lobby& current) override;
  MaybeType<Failure, LCDS::LobbyStatus> AcceptInvitation(const Api::LobbyInvitation& invitation,
                                                         const std::string& invitationId) override;
  MaybeType<Failure, Api::Lobby> RefreshLobby(const Api::Lobby& current,
                                              LCDS::LobbyStatus status) override;
  void SetMemberCanInvite(std::uint64_t summonerId, bool canInvite, Api::Lobby& lobby) override;
  BindingHttpResult PromotePlayer(std::uint64_t summonerId) override;
  BindingHttpResult KickPlayer(std::uint64_t summonerId) override;
  BindingHttpResult GrantInvitePrivileges(std::uint64_t summonerId) override;
  BindingHttpResult RevokeInvitePrivileges(std::uint64_t summonerId) override;
  BindingHttpResult SetPositionPreferences(Api::LobbyPositionPreferences preferences) override;
  MaybeType<Failure, Api::Lobby> HandleLobbyStatus(const Api::Lobby& current,
                                                   LCDS::LobbyStatus status) override;
  // Refuses without calling the legacy platform.
  BindingHttpResult InviteServiceOperation(const char* method, std::uint64_t summonerId) override;
};

}  // namespace Zarn::Client::Lobby
