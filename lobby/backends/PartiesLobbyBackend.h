// The lobby served by the parties service: the player's party, kept as the service last reported
// it, and the requests that change it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "lobby/backends/PartiesServiceClient.h"
#include "lobby/core/PartiesBackend.h"
#include "lobby/core/PartyTypes.h"
#include "lobby/model/PartiesRecords.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/runtime/ResourceObservation.h"

namespace Zarn::Client::Lobby {

class PartiesLobbyBackend final : public PartiesBackend {
 public:
  // Sets the defaults of the presence configuration.
  PartiesLobbyBackend();

  // The low-priority penalty that `restrictions` place on `player`'s search: the longest
  // leaver-buster penalty, or the time until the party's activity resumes when throttled, whichever
  // comes last, with the penalized members of the current party. Reads only its arguments.
  [[nodiscard]] static Api::LobbyMatchmakingLowPriorityDataResource MakeLowPriorityData(
      const std::vector<Api::GatekeeperRestrictionDto>& restrictions, const Api::PlayerDto& player);

  MaybeType<Failure, Api::LobbyDto> GetLobby() override;
  std::optional<Api::LobbyStatus> GetLobbyStatus() override;
  MaybeType<Failure, void> LeaveLobby() override;
  MaybeType<Failure, void> KickMember(std::uint64_t summonerId) override;
  MaybeType<Failure, void> PromoteMember(std::uint64_t summonerId) override;
  MaybeType<Failure, void> SetPositionPreferences(
      Api::LobbyPositionPreferences preferences) override;
  MaybeType<Failure, void> ChangeLobby(Api::LobbyChangeGameDto change) override;
  MaybeType<Failure, std::vector<Api::Eligibility>> GetPremadeEligibility() override;
  // Success without leaving for a party invitation.
  MaybeType<Failure, void> LeaveLobbyUnlessPending(Api::ReceivedInvitationDto invitation) override;
  // `invitationId` is the party id of a party invitation.
  MaybeType<Failure, void> AcceptInvitation(std::string invitationId) override;
  MaybeType<Failure, void> DeclineInvitation(std::string invitationId) override;
  MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> SendInvitations(
      std::vector<Api::LobbyInvitationDto> invitations) override;
  MaybeType<Failure, void> SetCanInvite(std::uint64_t summonerId, bool canInvite) override;
  // The local member's `canInvite`.
  bool GetAvailabilityFlag() override;
  // Lock and unlock the party's activity.
  BindingHttpResult StartMatchmaking() override;
  BindingHttpResult CancelMatchmaking() override;
  void HandleDodge(Api::GameflowGameDodge dodge) override;

  void Start(LobbyServices& services) override;
  void DeregisterPlayer() override;
  [[nodiscard]] bool IsEnabledForQueue(std::int32_t queueId) const override;
  [[nodiscard]] bool IsClashParty() const override;
  [[nodiscard]] bool HasQueue() const override;
  MaybeType<Failure, void> PrepareForLobbyCreation(std::int32_t queueId) override;
  void SchedulePresenceUpdate() override;
  // "INVALID_PARTY" (500) while not registered or without a party.
  MaybeType<Failure, AnalyticsEventFields> MakePartyAnalyticsFields(
      std::string_view eventType) override;
  void UpdateLoginSession(Api::LoginSession session) override;
  std::vector<Api::ReceivedInvitationDto> BuildReceivedInvitations() override;
  void RefreshAfterUpdate() override;
  void FetchPartiesState() override;
  void OnClientProxyMessage(Api::PlayerDto message) override;
  MaybeType<Failure, void> JoinOpenParty(std::string partyId) override;
  MaybeType<Failure, void> JoinClashParty(std::string token) override;
  MaybeType<Failure, void> SetPartyType(std::string partyType) override;
  MaybeType<Failure, void> SetReadyRequest(bool ready) override;
  void ProcessEnteredGame(Api::GameflowPhase previousPhase, Api::GameflowPhase newPhase) override;
  void UpdateSearchAfterCancel() override;

  HttpResult<std::string> HandleGetHealth() override;
  Api::PlayerDto HandleGetPlayer() override;
  HttpResponse HandlePutActive(bool active) override;
  HttpResponse HandlePutQueue(std::int32_t queueId) override;
  HttpResponse HandlePutMetadata(Api::PartyMemberMetadataDto metadata) override;
  HttpResponse HandlePutReady(bool ready) override;
  HttpResponse HandlePutRole(std::string partyId, std::string puuid, std::string role) override;
  HttpResult<Api::PremadePartyDto> HandleGetCommsMembers() override;
  HttpResult<std::string> HandleGetCommsToken() override;
  void SetOverrideFlag(WatchedConfigValue<bool>& flag, bool value) override;

  // Party presence. Writes the open party's presence into the player's chat presence when it
  // differs from the one published last; nothing before login.
  void PublishPartyPresence();

  // Checked requests. Each fails 400 "CURRENT_PLAYER_PUUID_NOT_FOUND" before the first state and
  // 400 "CURRENT_PARTY_NOT_FOUND" without a party, sending nothing; otherwise sends `body` and
  // applies the reply (Direct). A 204 is a success that fetches the state. Another failure is
  // logged, reported under `action` and returned. `path` must be built before the call, from
  // copies of the stored ids. For bodies of GameModeDto, PartyMemberMetadataDto, string,
  // BindingProperty and bool.
  template <class T>
  MaybeType<Failure, void> Request(std::string_view action, std::string method, std::string path,
                                   const T& body);
  // `Request`, then on failure `ReregisterAfterError` with it; the failure is the result. For
  // bodies of GameModeDto, string, BindingProperty and bool.
  template <class T>
  MaybeType<Failure, void> RequestOrReregister(std::string_view action, std::string method,
                                               std::string path, const T& body);
  // A copy of the stored current party, or the checked requests' failure.
  [[nodiscard]] MaybeType<Failure, Api::PartyDto> GetCurrentParty() const;
  // The current party's id; empty without one.
  [[nodiscard]] std::string GetCurrentPartyId() const;
  // For a 503: logs, adds the "SERVICE_UNAVAILABLE" notification and gives true. Else false.
  bool ReportServiceUnavailable(const Failure& failure);
  // After a not-found failure from the service: forgets the state and registers again. Does
  // nothing for other failures, or while another runs (its registration may fail the same way).
  void ReregisterAfterError(const Failure& failure);

  // Stores `player` as the state (the only way one is stored) and re-arms the activity-resume
  // wait.
  void ScheduleActivityResume(Api::PlayerDto player);
  // Stores `incoming` unless older than the stored state (replies, `Direct`, always); true when
  // stored. Its party invitations are trimmed first (TrimPartyInvitations).
  bool ApplyPartiesState(Api::PlayerDto incoming, Api::PlayerUpdateType updateType);
  // Drops the party invitations of `player` whose party id is no invitation id, then all but the
  // ReceivedInvitations::kMaxInvitations with the greatest `inviteTimestamp` (an absent one
  // the oldest, ties in list order); the others keep their order. Logs each kind of drop once.
  static void TrimPartyInvitations(Api::PlayerDto& player);

  // Party state. The comms-members record of `player`'s current party, with the names the
  // plugin's summoner lookup gives (none before Start).
  [[nodiscard]] Api::PremadePartyDto BuildCommsMembers(const Api::PlayerDto& player);

  // Registration. Listener of the login session, `EnabledFlag()`, the retry interval, the platform
  // id and the current summoner: the client follows `EnabledFlag()`, then UpdateRegistration (or,
  // while one runs, that one checks again).
  void OnRegistrationInputChanged();
  // Its reply is dropped, with the party lobby it would make active, when a registration or
  // deregistration begun during its waits stands; the lock it took then follows what stands. A
  // state stored during the lock's wait (the service's push of this registration, a lobby made
  // on it) stands unless the reply is ordered after it as a pushed state would be, or was created
  // after it (the state is of an earlier registration); the party lobby follows the state that
  // stands.
  void RegisterPlayer();
  // Listener of the plugin's eligibility hash: sends the new hash while registered.
  void UpdateEligibilityHash();

  // Party operations. The local player's member; without one, a member whose role is NONE and
  // `canInvite` false.
  [[nodiscard]] Api::PartyMemberDto GetLocalMember() const;
  MaybeType<Failure, void> SetPartyTypeRequest(std::string partyType);
  // The resume-activity call's request, once the party's resume time has come.
  void OnResumeActivityResponse();
  // The firing of the resume wait (the timer ScheduleActivityResume arms): schedules the call
  // shortly after and ends the wait.
  void OnResumeActivityWait();

  // Analytics of accepted changes of the player record.
  void SendPartyTransitionAnalytics(const Api::PlayerDto& newPlayer,
                                    const Api::PlayerDto& oldPlayer);
  void SendOpenPartyToggleEvent(std::string endTransition);
  // Logs each presence that does not read.
  [[nodiscard]] std::size_t DeserializePartyPresence(
      const std::vector<Api::ChatFriend>& friends) override;

 private:
  // Attaches a plugin in tests, where Start is not run, and reads the state below.
  friend class PartiesLobbyBackendTesting;

  // Reporting. Sends the "parties-service" event; its reply is dropped.
  void ReportRequestFailure(std::string_view requestName, std::string_view failureText);
  // Registration. Registers or deregisters as the configuration now requires, and again while
  // the configuration changed during its waits (OnRegistrationInputChanged). The player stored,
  // the retry and the shutdown lock are the player's, not the running call's: a call that
  // overtook it stops none of them (CallGate::SharedWork), only the lobby acts that follow (the
  // party lobby made active after a registration, the leave). The party lobby that a
  // deregistration leaves without the player's state ends even then.
  void UpdateRegistration();
  void UpdateRegistrationOnce();
  // Whether the session and the configuration call for the player to be registered: logged in,
  // with its ids, and parties enabled.
  [[nodiscard]] bool RegistrationWanted();
  // The puuid a registration sends: the session's, else the current summoner's; empty while
  // neither is known.
  [[nodiscard]] std::string RegistrationPuuid();
  // Sets the retry timer to run UpdateRegistration after the configured interval.
  void ScheduleRegistrationRetry();
  // The registration RegisterPlayer sends, logged; none, after logging why, while the session,
  // the platform id or the eligibility hash is missing, or the puuid or platform id is empty.
  // Requires Start.
  [[nodiscard]] std::optional<Api::PlayerDto> MakeRegistration();
  // Logs that a registration's reply is dropped: what came after it stands.
  void DropRegistrationReply();
  // Takes or removes the host's shutdown lock, logging the outcome. Both require Start.
  void TakeShutdownLock();
  void RemoveShutdownLock();
  // Ends a party lobby that the state or the configuration no longer allow.
  void CheckPartyWithoutQueue();
  // Listener of `partiesSettings_`: reads `defaultPartyType_`.
  void OnPartiesSettings();
  // Listener of `TeamBuilderQueuesFlag()`; also after a gameflow phase change.
  void OnQueuesDisabled();

  // Party state. Keeps a refused duplicate's telemetry.
  void OnPartiesUpdate(const Api::PlayerDto& incoming, Api::PlayerUpdateType updateType);
  // Handler of the parties notifications of the messaging service.
  void OnPartiesMessage(const ResourceUpdate<Api::ZarnMessagingServiceMessage>& event);
  // Refreshes the search's low-priority data when the party's restrictions changed.
  void OnLeaverBusterPlayerUpdate(const std::optional<Api::PartyDto>& incoming,
                                  const std::optional<Api::PartyDto>& stored,
                                  const Api::PlayerDto& incomingPlayer);
  // Sends the comms-members event when the record made of `incoming` differs from `stored`'s.
  void OnCommsMembersEvent(const Api::PlayerDto& incoming, const Api::PlayerDto& stored);

  // Party operations. The member of the current party with `summonerId`: 400
  // "CURRENT_PARTY_NOT_FOUND" without a party, 404 "SUMMONER_NOT_FOUND" without that member.
  [[nodiscard]] MaybeType<Failure, Api::PartyMemberDto> FindCurrentMember(
      std::uint64_t summonerId) const;
  // Sets the own role in `partyId`, reported under `action`; re-registers on a not-found.
  MaybeType<Failure, void> SetRoleRequest(std::string partyId, Api::PartyMemberRoleEnum role,
                                          std::string_view action);

  // Party presence. Shows the restrictions' search errors on the matchmaking search.
  void MapGatekeeperReason(const std::vector<Api::GatekeeperRestrictionDto>& restrictions);

  // `Parties/OpenPartyEnable` (default false) and `Parties/PublishPresenceDelay` (seconds,
  // default 3.0).
  WatchedConfigValue<bool> openPartyFlag_;
  WatchedConfigValue<double> publishPresenceDelay_;
  // A presence publication is scheduled.
  bool presencePending_ = false;
  // The presence published last; none at first, and none after an empty one.
  std::optional<Api::PartyPresenceData> lastPublishedPresence_;
  // The parties service's client; its plugin is set by Start.
  PartiesServiceClient client_;
  // Feeds the duplicate-telemetry sampling; seeded once, after the client's.
  std::mt19937 random_{std::random_device{}()};
  // The sampling draw, uniform in [0, 1), from `random_`. Never empty.
  PartiesServiceClient::RandomSource duplicateDraw_ = [this] {
    return static_cast<double>(random_()) / 4294967296.0;
  };
  // `Parties/NotificationDelaySamplingPercentage`.
  WatchedConfigValue<double> notificationDelaySampling_;
  // Seconds between registration attempts (`Parties/RegistrationRetryInterval`).
  WatchedConfigValue<float> registrationRetryInterval_;
  // The account's parties settings, observed.
  WatchedConfigValue<BindingProperty> partiesSettings_;
  // The type of a party made for the player: "closed" or "open".
  std::string defaultPartyType_ = kPartyTypeClosed;
  // When and how the last state was applied, and how many duplicates followed it.
  struct LastUpdate {
    std::int64_t timeMillis = 0;
    Api::PlayerUpdateType updateType = Api::PlayerUpdateType::None;
    std::uint32_t duplicateCount = 0;
  };
  LastUpdate lastUpdate_;
  // The 16 gatekeeper reasons shown as search errors; filled on first use.
  std::unordered_set<std::string> searchErrorReasons_;

  // What a checked request makes of a 204.
  enum class NoContent { Fetch, Succeed };
  template <class T>
  MaybeType<Failure, void> CheckedRequest(std::string_view action, std::string method,
                                          std::string path, const T& body, NoContent noContent);
  // Logs and reports a checked request's failure.
  void ReportCheckedFailure(std::string_view action, const Failure& failure);
  // The health request: checked, reported and re-registering as a checked request is, but its
  // payload is text and no state is applied. A 204 gives the empty text.
  MaybeType<Failure, std::string> RequestHealthText();
  // The order checks of a state that is no reply (Direct) against the stored one, with their log
  // lines and the duplicate handling; true when `incoming` may be stored. None is stored, reply or
  // not, for a player that a deregistration cleared, until it is registered again; registered or
  // not, no state pushed for another player than RegistrationPuuid() is.
  bool AcceptsInOrder(const Api::PlayerDto& incoming, Api::PlayerUpdateType updateType);
  // The three checks that order `incoming` against the stored state (its creation time, then
  // the player's version, then, for an equal one, the party's), with their log lines and the
  // duplicate handling: false when they find `incoming` older, or a party no later.
  bool IsInOrder(const Api::PlayerDto& incoming, Api::PlayerUpdateType updateType);

  // A copy of the known queue with `queueId`; 400 kNoQueueSelected without one.
  [[nodiscard]] MaybeType<Failure, Api::Queue> FindKnownQueue(std::int32_t queueId) const;
  // MakePartyAnalyticsFields, or none after logging that the party's state allows no analytics.
  [[nodiscard]] std::optional<AnalyticsEventFields> AnalyticsFieldsOrWarn(
      std::string_view eventType);

  // Set while ReregisterAfterError runs.
  bool reregistering_ = false;
  // Set while UpdateRegistration runs; the second when the configuration changes meanwhile.
  bool updatingRegistration_ = false;
  bool registrationInputChanged_ = false;
  // Counts the registrations stored, so that a deregistration tells one made during its waits,
  // which stands and is made again after it.
  std::uint64_t registrations_ = 0;
  // Counts the registrations and deregistrations begun, so that a registration tells one made
  // during its waits, which stands; and the states stored (cleared ones too).
  std::uint64_t registrationActs_ = 0;
  std::uint64_t stores_ = 0;
  // Set once a deregistration cleared the player's state, until a registration: the player is
  // logged out, and what the service pushes of it is no longer its own (a game being launched
  // keeps it on the service).
  bool deregistered_ = false;
  // The services kept by Start; null before. Not owned.
  LobbyServices* services_ = nullptr;
};

}  // namespace Zarn::Client::Lobby
