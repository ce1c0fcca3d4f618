// The controller of every known matchmade queue that the team-builder plugin does not manage: a
// local lobby first, a legacy arranged-team lobby once others are invited.
#pragma once

#include <cstdint>
#include <string>

#include "lobby/core/LobbyController.h"

namespace Zarn::Client::Lobby {

class ArrangedTeamLobbyController final : public LobbyController {
 public:
  // `services` is not owned; it outlives the controller.
  explicit ArrangedTeamLobbyController(LobbyServices* services) : LobbyController(services) {}

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
  MaybeType<Failure, Api::Lobby> HandleLobbyStatus(const Api::Lobby& current,
                                                   LCDS::LobbyStatus status) override;

  // The legacy accept of `invitationId` through `services`: the joined lobby's status or the
  // failure. The custom game controller accepts the same way.
  static MaybeType<Failure, LCDS::LobbyStatus> AcceptPlatformInvitation(
      LobbyServices& services, const std::string& invitationId);
};

}  // namespace Zarn::Client::Lobby
