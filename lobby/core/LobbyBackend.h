// The one interface through which the plugin works on the lobby the player is in, whatever
// serves it: the parties service or the legacy platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/api/BindingHttpResult.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn::Client::Lobby {

// Every operation runs on the host's calling thread and may wait for a service, letting the host
// call the plugin again meanwhile; arguments are therefore taken as copies wherever the caller's
// record could change during that wait.
class LobbyBackend {
 public:
  LobbyBackend() = default;
  LobbyBackend(const LobbyBackend&) = delete;
  LobbyBackend& operator=(const LobbyBackend&) = delete;
  virtual ~LobbyBackend() = default;

  // The v2 view of the lobby, or a failure when there is none.
  virtual MaybeType<Failure, Api::LobbyDto> GetLobby() = 0;
  // Empty when there is no lobby.
  virtual std::optional<Api::LobbyStatus> GetLobbyStatus() = 0;
  virtual MaybeType<Failure, void> LeaveLobby() = 0;
  virtual MaybeType<Failure, void> KickMember(std::uint64_t summonerId) = 0;
  virtual MaybeType<Failure, void> PromoteMember(std::uint64_t summonerId) = 0;
  virtual MaybeType<Failure, void> SetPositionPreferences(
      Api::LobbyPositionPreferences preferences) = 0;
  // Changes the lobby's game, or creates a lobby when there is none.
  virtual MaybeType<Failure, void> ChangeLobby(Api::LobbyChangeGameDto change) = 0;
  virtual MaybeType<Failure, std::vector<Api::Eligibility>> GetPremadeEligibility() = 0;
  // Called before `invitation` is acted on: leaves the lobby unless the player can be carried
  // over.
  virtual MaybeType<Failure, void> LeaveLobbyUnlessPending(
      Api::ReceivedInvitationDto invitation) = 0;
  virtual MaybeType<Failure, void> AcceptInvitation(std::string invitationId) = 0;
  virtual MaybeType<Failure, void> DeclineInvitation(std::string invitationId) = 0;
  // The invitations as sent.
  virtual MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> SendInvitations(
      std::vector<Api::LobbyInvitationDto> invitations) = 0;
  virtual MaybeType<Failure, void> SetCanInvite(std::uint64_t summonerId, bool canInvite) = 0;
  // Read after each view-model rebuild: whether the player may invite others at the end of a game.
  virtual bool GetAvailabilityFlag() = 0;
  // The REST reply of the search routes, returned by them as it stands.
  virtual BindingHttpResult StartMatchmaking() = 0;
  virtual BindingHttpResult CancelMatchmaking() = 0;
  virtual void HandleDodge(Api::GameflowGameDodge dodge) = 0;
};

}  // namespace Zarn::Client::Lobby
