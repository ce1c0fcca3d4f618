// The lobby served by the legacy platform. It holds no lobby of its own: it reads and changes
// the plugin's records and hands each lobby-specific step to the controller of the lobby's queue.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lobby/core/LobbyController.h"
#include "lobby/core/PlatformBackend.h"

namespace Zarn::Client::Lobby {

// Every operation needs the plugin: SetServices comes first.
class PlatformLobbyBackend final : public PlatformBackend {
 public:
  PlatformLobbyBackend() = default;

  void SetServices(LobbyServices* services) override { services_ = services; }

  MaybeType<Failure, Api::LobbyDto> GetLobby() override;
  std::optional<Api::LobbyStatus> GetLobbyStatus() override;
  MaybeType<Failure, void> LeaveLobby() override;
  MaybeType<Failure, void> KickMember(std::uint64_t summonerId) override;
  MaybeType<Failure, void> PromoteMember(std::uint64_t summonerId) override;
  MaybeType<Failure, void> SetPositionPreferences(
      Api::LobbyPositionPreferences preferences) override;
  MaybeType<Failure, void> ChangeLobby(Api::LobbyChangeGameDto change) override;
  MaybeType<Failure, std::vector<Api::Eligibility>> GetPremadeEligibility() override;
  MaybeType<Failure, void> LeaveLobbyUnlessPending(Api::ReceivedInvitationDto invitation) override;
  MaybeType<Failure, void> AcceptInvitation(std::string invitationId) override;
  MaybeType<Failure, void> DeclineInvitation(std::string invitationId) override;
  MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> SendInvitations(
      std::vector<Api::LobbyInvitationDto> invitations) override;
  MaybeType<Failure, void> SetCanInvite(std::uint64_t summonerId, bool canInvite) override;
  bool GetAvailabilityFlag() override;
  BindingHttpResult StartMatchmaking() override;
  BindingHttpResult CancelMatchmaking() override;
  void HandleDodge(Api::GameflowGameDodge dodge) override;

 private:
  // Reads the services pointer.
  friend class PlatformLobbyBackendTesting;

  // The controller of the plugin's v1 lobby; null only before the plugin made its controllers.
  [[nodiscard]] std::shared_ptr<LobbyController> CurrentController() const;

  // Not owned.
  LobbyServices* services_ = nullptr;
};

}  // namespace Zarn::Client::Lobby
