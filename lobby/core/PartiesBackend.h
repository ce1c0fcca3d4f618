// The parties service's side of the lobby as the plugin core sees it: the lobby operations every
// backend has, and what the core asks of the parties backend alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lobby/core/AnalyticsEventFields.h"
#include "lobby/core/LobbyBackend.h"
#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/api/HttpResult.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn::Client::Lobby {

class LobbyServices;

class PartiesBackend : public LobbyBackend {
 public:
  // Called once from the plugin's start hook: keeps `services`, which must outlive the backend,
  // and starts watching the configuration and the parties messages.
  virtual void Start(LobbyServices& services) = 0;
  // Removes the player's registration with the parties service and the host's shutdown lock.
  virtual void DeregisterPlayer() = 0;

  // Whether parties serve `queueId` as configured now.
  [[nodiscard]] virtual bool IsEnabledForQueue(std::int32_t queueId) const = 0;
  // In a party whose type is "clash".
  [[nodiscard]] virtual bool IsClashParty() const = 0;
  // In a party that has a queue.
  [[nodiscard]] virtual bool HasQueue() const = 0;
  // Makes the party ready for a new lobby on `queueId`: cancels matchmaking or leaves the party as
  // its state requires.
  virtual MaybeType<Failure, void> PrepareForLobbyCreation(std::int32_t queueId) = 0;
  // Publishes the party presence after the configured delay, unless one is pending already.
  virtual void SchedulePresenceUpdate() = 0;
  // The fields of the telemetry event `eventType` for the current party; a failure without one.
  virtual MaybeType<Failure, AnalyticsEventFields> MakePartyAnalyticsFields(
      std::string_view eventType) = 0;
  // The number of distinct open parties that `friends` advertise in their party presences.
  [[nodiscard]] virtual std::size_t DeserializePartyPresence(
      const std::vector<Api::ChatFriend>& friends) = 0;
  // A changed login session (never one still in progress), handed over by the plugin's observer.
  virtual void UpdateLoginSession(Api::LoginSession session) = 0;
  // The player's party invitations as the received-invitations resource lists them.
  virtual std::vector<Api::ReceivedInvitationDto> BuildReceivedInvitations() = 0;

  // Follow-up after an applied state: readies the local member again where the lobby needs it.
  virtual void RefreshAfterUpdate() = 0;
  // Fetches and applies the player's state.
  virtual void FetchPartiesState() = 0;
  // Handler of the service proxy's asynchronous "parties"/"player" messages.
  virtual void OnClientProxyMessage(Api::PlayerDto player) = 0;
  virtual MaybeType<Failure, void> JoinOpenParty(std::string partyId) = 0;
  virtual MaybeType<Failure, void> JoinClashParty(std::string token) = 0;
  virtual MaybeType<Failure, void> SetPartyType(std::string partyType) = 0;
  virtual MaybeType<Failure, void> SetReadyRequest(bool ready) = 0;
  // Told of every gameflow phase change; only `newPhase` is read.
  virtual void ProcessEnteredGame(Api::GameflowPhase previousPhase,
                                  Api::GameflowPhase newPhase) = 0;
  // Tells the matchmaking plugin that the search was cancelled.
  virtual void UpdateSearchAfterCancel() = 0;

  // Handlers of the parties routes, which reach the parties service more directly.
  virtual HttpResult<std::string> HandleGetHealth() = 0;
  virtual Api::PlayerDto HandleGetPlayer() = 0;
  virtual HttpResponse HandlePutActive(bool active) = 0;
  virtual HttpResponse HandlePutQueue(std::int32_t queueId) = 0;
  virtual HttpResponse HandlePutMetadata(Api::PartyMemberMetadataDto metadata) = 0;
  virtual HttpResponse HandlePutReady(bool ready) = 0;
  virtual HttpResponse HandlePutRole(std::string partyId, std::string puuid, std::string role) = 0;
  virtual HttpResult<Api::PremadePartyDto> HandleGetCommsMembers() = 0;
  virtual HttpResult<std::string> HandleGetCommsToken() = 0;
  // The override routes: `flag` (one of this backend's flags) takes `value` as if configured,
  // and its listeners run.
  virtual void SetOverrideFlag(WatchedConfigValue<bool>& flag, bool value) = 0;

  // The login session as observed.
  [[nodiscard]] const WatchedConfigValue<Api::LoginSession>& LoginSession() const {
    return loginSession_;
  }
  // `Parties/Enabled` and `Parties/EnabledForTeamBuilderQueues`, which the override routes also
  // set through SetOverrideFlag.
  [[nodiscard]] WatchedConfigValue<bool>& EnabledFlag() { return enabledFlag_; }
  [[nodiscard]] const WatchedConfigValue<bool>& EnabledFlag() const { return enabledFlag_; }
  [[nodiscard]] WatchedConfigValue<bool>& TeamBuilderQueuesFlag() { return teamBuilderQueuesFlag_; }
  [[nodiscard]] const WatchedConfigValue<bool>& TeamBuilderQueuesFlag() const {
    return teamBuilderQueuesFlag_;
  }
  // The last accepted parties state of the player; not registered while its `createdAt` is 0.
  [[nodiscard]] const Api::PlayerDto& Player() const { return player_; }
  // Drops the observations of the login session and the enabled flag, as the plugin's shutdown
  // does before it deregisters.
  void DropLoginObservations() {
    loginSession_.Drop();
    enabledFlag_.Drop();
  }

 protected:
  // The backend's own access to the login session it observes and the state it accepts.
  [[nodiscard]] WatchedConfigValue<Api::LoginSession>& ObservedLoginSession() {
    return loginSession_;
  }
  [[nodiscard]] Api::PlayerDto& MutablePlayer() { return player_; }

 private:
  // Sets the state and the flags as the service and the configuration would.
  friend class PartiesBackendTesting;

  WatchedConfigValue<Api::LoginSession> loginSession_;
  WatchedConfigValue<bool> enabledFlag_;
  WatchedConfigValue<bool> teamBuilderQueuesFlag_;
  Api::PlayerDto player_;
};

}  // namespace Zarn::Client::Lobby
