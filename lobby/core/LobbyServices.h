// What the lobby plugin offers its backends and controllers: the lobby records they read, the
// LobbyFlow events they fire and states they ask, the lobby operations they hand work back to,
// the notifications and publications they make, the lookups, and the SDK runtime for requests,
// legacy calls, timers and observations. The plugin implements it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lobby/core/LobbyFlow.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/api/HttpResult.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "sdk/runtime/Plugin.h"

namespace Zarn::Client::Lobby {

class EligibilityRules;
class LobbyAnalytics;
class LobbyFlowGate;
class LobbyController;
class LobbyGameflow;
class LobbyMembers;
class LobbyNotifications;

// Every operation runs on the host's calling thread; those that call a service or the legacy
// platform may wait, letting the host call the plugin again meanwhile. References returned are
// valid until the next call that can wait.
class LobbyServices {
 public:
  LobbyServices(const LobbyServices&) = delete;
  LobbyServices& operator=(const LobbyServices&) = delete;

  // The SDK plugin the lobby runs on: requests, legacy calls, events, timers, observations,
  // telemetry and the type registry.
  [[nodiscard]] virtual Zarn::Client::Plugin& Runtime() = 0;

  // The legacy chat room address of `id`; empty when the room name or `suffix` is empty.
  [[nodiscard]] static std::string MakePlatformHostName(const std::string& id,
                                                        const std::string& prefix,
                                                        const std::string& suffix);

  // LobbyFlow: the backends fire its events and read its states. Whether a state handled `event`;
  // false, firing nothing, when the running call is stopped (FlowGate). Fired while a transition
  // runs, it is processed after that transition, and true is returned.
  virtual bool ProcessLobbyEvent(LobbyEvent event) = 0;
  // The gate every host call into the plugin passes (lobby/core/LobbyFlowGate.h): whether the
  // running call may still act, and the scopes that mark a service's report of the request the
  // call waits on and work done for every call.
  [[nodiscard]] virtual LobbyFlowGate& FlowGate() = 0;
  // True in `state` or any state below it.
  [[nodiscard]] virtual bool IsInLobbyState(const LobbyState& state) const = 0;
  // True in InLobby or any state below it.
  [[nodiscard]] virtual bool IsInLobby() const = 0;
  // True while a lobby request is under way (LobbyRequested or ChangingLobby): a creation that
  // finds none once it waited was overtaken.
  [[nodiscard]] bool IsLobbyRequestUnderWay() const {
    return IsInLobbyState(LobbyFlow::kLobbyRequested) || IsInLobbyState(LobbyFlow::kChangingLobby);
  }
  // Makes the parties lobby the player's lobby, or leaves it; whether the player is now in it.
  virtual bool SetPartyLobbyActive(bool active) = 0;
  // Quits the lobby's state without a backend call: an empty reply, or 404 "LOBBY_STATE_INVALID".
  virtual HttpResponse QuitLobbyState() = 0;

  // The lobby records.
  [[nodiscard]] virtual std::uint64_t LocalSummonerId() const = 0;
  [[nodiscard]] virtual const Api::Lobby& V1Lobby() const = 0;
  // The v1 lobby and its parts while in a lobby, else a Delete of the v1 lobby.
  virtual void PublishV1LobbyParts() = 0;
  // An Update of the v1 lobby as it is stored.
  virtual void PublishV1Lobby() = 0;
  // Whether an update of the lobby `invitationId` must be dropped, the lobby being left or
  // orphaned; logs it when so.
  [[nodiscard]] virtual bool IgnoresAbandonedLobby(const std::string& invitationId) const = 0;
  // A lobby made by a creation that failed or was overtaken, which nothing will show.
  virtual void AbandonOrphanedLobby(const std::string& invitationId) = 0;
  // A custom game made by a creation that was overtaken: the lobby a status later names for it
  // is abandoned.
  virtual void AbandonOrphanedGame(std::uint64_t gameId) = 0;
  // The plugin enters the lobby `invitationId` it asked for: its updates count again.
  virtual void ReenterLobby(const std::string& invitationId) = 0;
  // What the gameflow plugin last told and was told: its session and phase, the player status.
  [[nodiscard]] virtual const LobbyGameflow& Gameflow() const = 0;
  [[nodiscard]] virtual bool IsGameflowAvailable() const = 0;
  // The watched autofill entries and queue list; null while neither a value nor a default is
  // known.
  [[nodiscard]] virtual const Api::AutoFillDto* AutofillList() const = 0;
  [[nodiscard]] virtual const std::vector<Api::Queue>* QueueList() const = 0;
  // The platform id and the current summoner, which the parties registration follows; each null
  // while neither a value nor a default is known.
  [[nodiscard]] virtual const std::string* CurrentPlatformId() const = 0;
  [[nodiscard]] virtual const Api::Summoner* CurrentSummoner() const = 0;
  // Runs `listener` after every change of the platform id and after every change of the current
  // summoner, after the listeners added before it.
  virtual void AddPlatformIdAndSummonerListener(const std::function<void()>& listener) = 0;
  [[nodiscard]] virtual EligibilityRules& GetEligibilityRules() = 0;
  [[nodiscard]] virtual LobbyAnalytics& GetAnalytics() = 0;

  // Lookups.
  [[nodiscard]] virtual std::shared_ptr<LobbyController> GetLobbyController(
      bool isCustom, std::int32_t queueId) = 0;
  // A copy of the known queue with `queueId`; 404 "Queue not found" without one.
  [[nodiscard]] virtual MaybeType<Failure, Api::Queue> FindQueue(std::int32_t queueId) const = 0;
  // The v1 lobby's members: their operations and the summoner lookups.
  [[nodiscard]] virtual LobbyMembers& Members() = 0;

  // The lobby operations the platform backend hands to the plugin's controllers.
  virtual MaybeType<Failure, Api::Lobby> CreateLobbyWithController(const Api::Lobby& requested) = 0;
  virtual HttpResult<Api::Lobby> ChangeLobbyQueue(Api::LobbyChangeGameDto change) = 0;
  virtual HttpResult<std::vector<Api::LobbyInvitation>> SendPlatformInvitations(
      std::vector<Api::LobbyInvitation> invitations) = 0;
  virtual BindingHttpResult AcceptPlatformInvitation(std::string invitationId) = 0;
  virtual BindingHttpResult DeclinePlatformInvitation(std::string invitationId) = 0;
  // A lobby update delivered by the team-builder or custom game controller.
  virtual void ApplyLobbyUpdate(const Api::Lobby& lobby) = 0;
  virtual void UpdateLobbyCountdown() = 0;

  // Notifications: the list, and the end-of-game state a service shutdown changes.
  [[nodiscard]] virtual LobbyNotifications& Notifications() = 0;
  // Copies the active backend's end-of-game availability and withdraws the play-again offer.
  virtual void RefreshEogState() = 0;
  // RefreshEogState, then the "ServiceShutdown" notification.
  virtual void AddServiceShutdownNotification() = 0;

 protected:
  LobbyServices() = default;
  // Not deleted through this interface.
  ~LobbyServices() = default;

 private:
  // Update batches: every change a backend makes outside a handler runs inside one, which calls
  // these two in pairs.
  friend class LobbyUpdateBatch;
  virtual void OpenUpdateBatch() = 0;
  virtual void CloseUpdateBatch() = 0;
};

}  // namespace Zarn::Client::Lobby
