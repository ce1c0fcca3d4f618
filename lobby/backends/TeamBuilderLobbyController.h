// The controller of the queues whose lobby the team-builder plugin manages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "lobby/core/LobbyController.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/runtime/ResourceObservation.h"

namespace Zarn::Client::Lobby {

// Such a lobby lives in two places: the team-builder plugin owns the lobby, the legacy platform
// a group finder lobby of the same invitation id for invitations and invite privileges. The
// controller keeps the two in step and follows the team-builder lobby and its countdown.
class TeamBuilderLobbyController final : public LobbyController {
 public:
  static constexpr char kLobbyPath[] = "/jyx-lobby-team-builder/v1/lobby";
  static constexpr char kCountdownPath[] = "/jyx-lobby-team-builder/v1/lobby/countdown";

  // `services` is not owned; it outlives the controller.
  explicit TeamBuilderLobbyController(LobbyServices* services) : LobbyController(services) {}

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
  BindingHttpResult SetPositionPreferences(Api::LobbyPositionPreferences preferences) override;
  MaybeType<Failure, Api::Lobby> HandleLobbyStatus(const Api::Lobby& current,
                                                   LCDS::LobbyStatus status) override;
  // With the team-builder lobby's chat room, which bears the status's invitation id, now also
  // the controller's.
  Api::Lobby LobbyFromStatus(const LCDS::LobbyStatus& status) override;
  // Observes the team-builder lobby and its countdown, each read at once. The plugin must keep
  // the controller alive while observed; Unsubscribe ends both observations.
  void Subscribe() override;
  void Unsubscribe() override;
  // The team-builder plugin matchmakes, not the legacy platform.
  bool IsPlatformMatchmade() override;

  // The team-builder lobby made the plugin's v1 lobby for `status`: invite privileges from its
  // members, the lobby and its queue fetched afresh, decorated, and its invitations from the
  // status's invitees. A lobby fetched that was left, other than the status's, fails it.
  MaybeType<Failure, Api::Lobby> UpdateFromLobbyStatus(const LCDS::LobbyStatus& status);
  // Map, mode and size from the queue (a failed lookup is logged and leaves them), every
  // member's invite privilege, the local member and the chat room.
  void DecorateGameLobby(Api::Lobby& lobby, const MaybeType<Failure, Api::Queue>& queue);

  // Observers of the two team-builder resources.
  void OnCountdown(const ResourceUpdate<Api::TeamBuilderCountdownTimer>& event);
  void OnLobby(const ResourceUpdate<Api::Lobby>& event);

  [[nodiscard]] const Api::TeamBuilderCountdownTimer& Countdown() const { return countdown_; }
  [[nodiscard]] const std::string& InvitationId() const { return invitationId_; }

 private:
  // Reads the invite privileges.
  friend class TeamBuilderLobbyControllerTesting;

  // FNV-1a over the id's eight bytes, lowest first.
  struct SummonerIdHash {
    std::size_t operator()(std::uint64_t summonerId) const noexcept;
  };

  // The lobby event's payload made ready for the plugin, or none when it is to be dropped: a
  // lobby left or orphaned, the lobby of a creation still waiting among them once the player's
  // request is no longer under way (a call made meanwhile overtook it, and the lobby is no one's).
  std::optional<Api::Lobby> PrepareLobbyUpdate(Api::Lobby lobby);
  // The legacy group finder lobby of the team-builder lobby `invitationId` just made, and the v1
  // lobby from its status; the team-builder lobby is deleted again when the platform fails it.
  MaybeType<Failure, Api::Lobby> MakeGroupFinderLobby(std::int32_t queueId,
                                                      const std::string& invitationId);
  [[nodiscard]] MaybeType<Failure, Api::Queue> FetchQueue(std::int32_t queueId);

  // The last countdown accepted; only a higher counter replaces it.
  Api::TeamBuilderCountdownTimer countdown_;
  // The team-builder lobby's id, also the group finder lobby's and the chat room's name.
  std::string invitationId_;
  // Whether each member may invite, as the last status and single changes told.
  std::unordered_map<std::uint64_t, bool, SummonerIdHash> invitePrivileges_;
  bool subscribed_ = false;
  // Held while subscribed; the observers do nothing once it is gone.
  std::shared_ptr<bool> alive_;
  // Lobby events by arrival; an event whose queue lookup returns after a later one was handed on
  // is stale.
  std::uint64_t lobbyEventsSeen_ = 0;
  std::uint64_t lobbyEventHandedOn_ = 0;
  // The lobbies made whose creation still waits (for their group finder lobby), the latest last.
  std::vector<std::string> making_;
};

}  // namespace Zarn::Client::Lobby
