// How one kind of legacy lobby is created, changed and left on the legacy platform. The plugin
// keeps one controller per kind and picks one for every lobby operation by the lobby's custom
// flag and queue id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/HttpResult.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn::Client::Lobby {

class LobbyServices;

// A controller holds no lobby of its own: the plugin's lobby is passed in where an operation
// needs it. Operations that call the legacy platform wait for it, and the host may call the
// plugin meanwhile. Deleting through this class is sound however a controller is owned.
class LobbyController {
 public:
  static constexpr std::int64_t kDefaultLobbyLifetimeSeconds = 2700;
  static constexpr std::int64_t kDefaultWarningPeriodSeconds = 600;

  LobbyController(const LobbyController&) = delete;
  LobbyController& operator=(const LobbyController&) = delete;
  virtual ~LobbyController() = default;

  virtual MaybeType<Failure, Api::Lobby> CreateLobby(const Api::Lobby& requested) = 0;
  virtual MaybeType<Failure, Api::Lobby> CreatePlatformLobby(const Api::Lobby& current) = 0;
  virtual bool LeaveLobby(const Api::Lobby& current) = 0;
  virtual MaybeType<Failure, LCDS::LobbyStatus> AcceptInvitation(
      const Api::LobbyInvitation& invitation, const std::string& invitationId) = 0;
  virtual MaybeType<Failure, Api::Lobby> RefreshLobby(const Api::Lobby& current,
                                                      LCDS::LobbyStatus status) = 0;
  virtual void SetMemberCanInvite(std::uint64_t summonerId, bool canInvite, Api::Lobby& lobby) = 0;
  virtual BindingHttpResult PromotePlayer(std::uint64_t summonerId) = 0;
  virtual BindingHttpResult KickPlayer(std::uint64_t summonerId) = 0;
  virtual BindingHttpResult GrantInvitePrivileges(std::uint64_t summonerId);
  virtual BindingHttpResult RevokeInvitePrivileges(std::uint64_t summonerId);
  virtual BindingHttpResult SetPositionPreferences(Api::LobbyPositionPreferences preferences);
  [[nodiscard]] virtual bool IsCustomGame();
  virtual MaybeType<Failure, void> SwitchTeam(Api::Lobby& lobby, const std::string& team);
  virtual MaybeType<Failure, void> HandleGameDto(Api::Lobby& lobby, LCDS::GameDTO game);
  virtual MaybeType<Failure, Api::LobbyCustomChampSelectStartResponse> StartChampionSelection(
      Api::Lobby& lobby);
  virtual MaybeType<Failure, void> QuitGame();
  virtual HttpResult<std::vector<Api::LobbyBotChampion>> GetAvailableBots();
  virtual HttpResult<bool> GetBotsEnabled();
  virtual MaybeType<Failure, void> AddBot(Api::LobbyBotParams parameters);
  virtual MaybeType<Failure, void> UpdateCustomBot(Api::Lobby& lobby,
                                                   const std::string& summonerInternalName,
                                                   Api::LobbyBotParams parameters);
  virtual MaybeType<Failure, void> RemoveBot(Api::Lobby& lobby,
                                             const std::string& summonerInternalName);
  virtual MaybeType<Failure, void> OnJoinedCustomLobby(Api::Lobby& lobby);
  virtual MaybeType<Failure, Api::Lobby> HandleLobbyStatus(const Api::Lobby& current,
                                                           LCDS::LobbyStatus status) = 0;
  virtual void Subscribe();
  virtual void Unsubscribe();
  // At login: the custom game controller observes `summonerId`'s bot configuration; the other
  // controllers have none.
  virtual void FetchCustomBotsConfig(std::uint64_t summonerId);
  [[nodiscard]] virtual bool IsPlatformMatchmade();
  // Calls `lcdsGameInvitationService`.`method` with the summoner id; `method` is a literal. A
  // failure answers 500 naming the method and the id.
  virtual BindingHttpResult InviteServiceOperation(const char* method, std::uint64_t summonerId);

  // A v1 lobby built from a legacy lobby status: LobbyFromStatus, with map and mode from the
  // queue named in its meta-data (400 when that queue cannot be fetched). Without a queue id in
  // the meta-data the queue stays unset and nothing is asked.
  [[nodiscard]] MaybeType<Failure, Api::Lobby> CreateLobbyForQueue(const LCDS::LobbyStatus& status);
  // The v1 lobby that `status` gives without asking anything: its id, chat key and chat room,
  // members with owner and invite privilege, the local member, the invitees as invitations and
  // the queue its meta-data names; map and mode stay unset. What an accept the platform granted
  // shows when the refresh that follows fails, and where a custom game's refresh starts.
  [[nodiscard]] virtual Api::Lobby LobbyFromStatus(const LCDS::LobbyStatus& status);

  // Seconds a lobby lives, read by the lobby countdown; the team-builder countdown replaces it.
  [[nodiscard]] std::int64_t LobbyLifetime() const { return lobbyLifetime_; }
  // Seconds before the end at which the countdown is shown.
  [[nodiscard]] std::int64_t WarningPeriod() const { return warningPeriod_; }

 protected:
  // `services` is not owned; never null; it outlives the controller.
  explicit LobbyController(LobbyServices* services) : services_(services) {}

  // Every request, legacy call and event goes through it; never null.
  [[nodiscard]] LobbyServices* Services() const { return services_; }
  void SetLobbyLifetime(std::int64_t seconds) { lobbyLifetime_ = seconds; }

 private:
  // Reads the services and sets the countdown's periods.
  friend class LobbyControllerTesting;

  std::int64_t lobbyLifetime_ = kDefaultLobbyLifetimeSeconds;
  std::int64_t warningPeriod_ = kDefaultWarningPeriodSeconds;
  LobbyServices* services_;
};

// Rebuilds `lobby.invitations` from the legacy invitee list, in order, leaving the creator out.
// An invitee state this system does not know counts as pending and is logged.
void MapPlatformState(Api::Lobby& lobby, const std::vector<LCDS::Invitee>& invitees);

}  // namespace Zarn::Client::Lobby
