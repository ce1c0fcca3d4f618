// The lobby plugin object: the one plugin of this library. It owns the two lobby backends, the
// LobbyFlow state machine, the lobby's records and the collaborators that keep the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lobby/core/CustomGameList.h"
#include "lobby/core/EligibilityRules.h"
#include "lobby/core/LastQueuedLobby.h"
#include "lobby/core/LobbyAnalytics.h"
#include "lobby/core/LobbyBackends.h"
#include "lobby/core/LobbyComponentFactory.h"
#include "lobby/core/LobbyControllerSet.h"
#include "lobby/core/LobbyCountdown.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/LobbyGameflow.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyNotifications.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyViewModel.h"
#include "lobby/core/PartyRewards.h"
#include "lobby/core/ReceivedInvitations.h"
#include "lobby/core/V1LobbyRecords.h"
#include "lobby/core/WatchedLobbyConfig.h"
#include "lobby/model/LcdsRecords.h"
#include "sdk/runtime/Plugin.h"
#include "sdk/runtime/ResourceObservation.h"

namespace Zarn::Client::Lobby {

class LobbyPlugin : public Zarn::Client::Plugin,
                    public LobbyServices,
                    private AnalyticsSource,
                    private GameflowBackends,
                    private CountdownLobby,
                    private InvitationRecipient {
 public:
  // Keeps `factory` (not null) for its whole life and makes both backends with it.
  explicit LobbyPlugin(std::unique_ptr<LobbyComponentFactory> factory);
  // Deletes a backend only when Shutdown has not; runs no state's exit action.
  ~LobbyPlugin() override;

  // Drops the watched values, deregisters from the parties service, leaves every active state
  // and deletes both backends, each step whatever the others did; then the module's shutdown.
  void Shutdown() override;
  void OnRegisterApi() override { RegisterEndpoints(); }
  // Starts the machine, the controllers, the backends and the subscriptions in one batch; true.
  bool OnStart() override;

  // The gameflow plugin's lobby events, through the gameflow link: entered, or `event`.
  void OnEnteredLobby();
  void PostGameflowEvent(const char* event);
  // LobbyFlow's actions. Entering the legacy or the party lobby makes its backend the active one;
  // leaving any lobby stops the countdown and tells the gameflow plugin; leaving the party lobby
  // drops the active backend, the party rewards and the v1 lobby.
  void EnterLegacyLobby();
  void EnterPartyLobby();
  void ExitInLobby();
  void ExitPartyLobby();

  // Once, at load: the lobby's types and v1 routes, then (V2) the v2 and parties routes.
  void RegisterEndpoints();
  void RegisterV2Endpoints();
  // Subscriptions made at start.
  void SubscribeEvents();
  void SubscribeChat(LobbyAnalytics& analytics);

  // REST handlers, in route order; the SDK has bound and checked every argument before.
  HttpResult<Api::QueueAvailability> HandleGetAvailability();
  HttpResult<std::vector<Api::LobbyInvitation>> HandleGetV1Invitations();
  HttpResult<Api::LobbyInvitation> HandleGetV1Invitation(const std::string& id);
  HttpResult<Api::LobbyInvitation> HandlePostV1Invitations(const Api::LobbyInvitation& invitation);
  HttpResult<Api::LobbyPartyRewards> HandleGetPartyRewards();
  HttpResponse SwitchCustomTeams(const std::string& team);
  HttpResult<Api::LobbyCustomChampSelectStartResponse> HandleStartChampSelect();
  HttpResponse HandleCancelChampSelect();
  HttpResult<std::vector<Api::LobbyCustomGame>> GetCustomGames();
  HttpResult<Api::LobbyCustomGame> GetCustomGame(std::int32_t id);
  HttpResponse RefreshCustomGames();
  HttpResponse JoinCustomGame(std::uint64_t id, const Api::LobbyCustomJoinParameters& parameters);
  HttpResponse JoinClashParty(const std::string& token);
  HttpResponse LeaveClashParty();
  HttpResponse HandleJoinTournament(const std::string& id);
  HttpResponse AddCustomBot(const Api::LobbyBotParams& parameters);
  HttpResponse HandlePostCustomBot(const std::string& summonerInternalName,
                                   const Api::LobbyBotParams& parameters);
  HttpResponse RemoveCustomBot(const std::string& summonerInternalName);
  // Both position-preferences routes, v1 and v2.
  HttpResponse HandlePutPositionPreferences(const Api::LobbyPositionPreferences& preferences);
  // Whether the front end has shown the autofill notice: false for a new plugin, then set for
  // good by SetAutofillDisplayed, which answers true.
  bool GetAutofillDisplayed();
  bool SetAutofillDisplayed();
  std::int64_t HandleGetV1Countdown();
  HttpResult<Api::LobbyDto> HandleGetLobby();
  HttpResult<Api::LobbyDto> HandlePostLobby(const Api::LobbyChangeGameDto& lobbyChange);
  HttpResponse HandleDeleteLobby();
  HttpResult<std::vector<Api::LobbyParticipantDto>> HandleGetMembers();
  // The four member routes answer the summoner id they were given.
  HttpResult<std::uint64_t> HandlePromote(std::uint64_t summonerId);
  HttpResult<std::uint64_t> HandleGrantInvite(std::uint64_t summonerId);
  HttpResult<std::uint64_t> HandleRevokeInvite(std::uint64_t summonerId);
  HttpResult<std::uint64_t> HandleKick(std::uint64_t summonerId);
  HttpResult<std::vector<Api::LobbyInvitationDto>> HandleGetInvitations();
  HttpResult<std::vector<Api::LobbyInvitationDto>> HandlePostInvitations(
      const std::vector<Api::LobbyInvitationDto>& invitations);
  HttpResult<std::vector<Api::LobbyInvitationDto>> HandlePostEogInvitations(
      const std::vector<Api::LobbyInvitationDto>& invitations);
  HttpResult<std::vector<Api::ReceivedInvitationDto>> HandleGetReceivedInvitations();
  HttpResponse HandleAcceptReceivedInvitation(const std::string& invitationId);
  HttpResponse HandleDeclineReceivedInvitation(const std::string& invitationId);
  HttpResponse HandleJoinParty(const std::string& partyId);
  HttpResult<std::vector<Api::LobbyNotification>> HandleGetNotifications();
  HttpResponse HandleLobbyNotificationsDelete(const std::string& notificationId);
  void HandlePostNotification(const Api::LobbyNotification& notification);
  // The active backend's search results, as they stand.
  BindingHttpResult HandleStartSearch();
  BindingHttpResult HandleCancelSearch();
  HttpResult<Api::MatchmakingSearchResource> HandleGetSearchState();
  HttpResponse HandlePlayAgain();
  HttpResponse HandlePlayAgainDecline();
  bool HandleGetPartyActive();
  HttpResult<bool> GetBotsEnabled();
  HttpResult<std::vector<Api::LobbyBotChampion>> GetAvailableBots();
  HttpResult<std::vector<Api::Eligibility>> HandlePremadeEligibility();
  HttpResponse HandlePutPartyType(const std::string& partyType);

  // Handlers of the legacy messages subscribed at start.
  void OnLobbyStatus(const LCDS::LobbyStatus& message);
  void OnReceivedInvitation(const LCDS::InvitationRequest& message);
  void OnRemovedFromLobbyNotification(const LCDS::RemovedFromLobbyNotification& message);
  void OnInvitePrivilegesNotification(const LCDS::InvitePrivileges& message);
  void OnPracticeGameUpdate(const LCDS::GameDTO& game);
  void OnPlayerBannedFromGame(const LCDS::GameNotification& notification);
  // Handlers of the resources observed at start. A Delete carries a default-made value.
  void OnCustomQueueAvailability(const ResourceUpdate<Api::QueueCustomGame>& event);
  void OnLoginSession(const ResourceUpdate<Api::LoginSession>& event);
  void OnGameflowAvailability(const ResourceUpdate<BindingProperty>& event);
  void HandleGameflowSession(const ResourceUpdate<Api::GameflowSession>& event);
  void OnAutoGrantInviteEnabled(const ResourceUpdate<bool>& event);
  // Only an Update deregisters from the parties service.
  void OnPreShutdownBegin(const ResourceUpdate<BindingProperty>& event);
  void OnMatchmakingSearchChanged();
  // The legacy invitations pending at login, each handled as if it had arrived as a message.
  void GetPendingInvitations();
  // At login: the custom game controller's bot configuration for `summonerId`.
  void FetchCustomBotsConfig(std::uint64_t summonerId);
  // After a reconnection: the parties state, or the legacy lobby status and pending invitations.
  void ResynchronizeAfterReconnect();

  // Turns a solo legacy lobby into a group lobby on the legacy platform.
  MaybeType<Failure, Api::Lobby> CreatePlatformLobby(const Api::Lobby& lobby);
  // Replaces the controller set, then fetches a logged-in player's bot configuration.
  void CreateControllers();

  // The view model, rebuilt when the outermost update batch closes.
  void UpdateLobbyViewModel();
  void UpdatePartyRewards() { partyRewards_.UpdatePartyRewards(); }
  // LegacyLobby's exit: the lobby left kept abandoned, then forgotten (no backend, v1 lobby reset).
  void AddToAbandonedLobbyInvitationIds();
  // Listener of the queue list: refills the queue map and republishes the lobby's availability.
  void OnQueuesChanged();

  // Lobby creation and change; a failure answers its code (500 for 0) and message.
  // Leaves through the active backend, if any, and quits the lobby's state: an empty reply.
  HttpResponse LeaveLobby();
  // Creates a legacy lobby for `requested` (its queue id and custom flag); a copy of the v1 lobby
  // made. 409 while in a lobby, leaving that lobby as it is.
  HttpResult<Api::Lobby> CreateLobby(const Api::Lobby& requested);
  // Creates a lobby for the last queued lobby's queue and invites its members again.
  HttpResult<Api::Lobby> ReinviteMembers();
  // Invites `summonerIds` (the local player left out) to the legacy lobby; an empty list succeeds.
  MaybeType<Failure, void> ReinviteViaPlatform(std::vector<std::uint64_t> summonerIds);

  // The backend in use, null outside a lobby; the parties backend, null after Shutdown.
  [[nodiscard]] LobbyBackend* ActiveBackend() const override;
  [[nodiscard]] PartiesBackend* GetPartiesBackend() const override;
  // The legacy lobby's removal messages: the notification of the reason, then the removal (the
  // lobby ended or progressed, or the player kicked), which republishes the notifications.
  void AddRemovedFromLobbyNotification(LCDS::RemovalReason reason);
  void OnRemovedFromLobby(LCDS::RemovalReason reason);

  // LobbyServices, whose declarations say what each does.
  Zarn::Client::Plugin& Runtime() override;
  bool ProcessLobbyEvent(LobbyEvent event) override;
  [[nodiscard]] LobbyFlowGate& FlowGate() override;
  [[nodiscard]] bool IsInLobbyState(const LobbyState& state) const override;
  [[nodiscard]] bool IsInLobby() const override;
  bool SetPartyLobbyActive(bool active) override;
  HttpResponse QuitLobbyState() override;
  [[nodiscard]] std::uint64_t LocalSummonerId() const override;
  [[nodiscard]] const Api::Lobby& V1Lobby() const override;
  void PublishV1LobbyParts() override;
  void PublishV1Lobby() override;
  [[nodiscard]] bool IgnoresAbandonedLobby(const std::string& invitationId) const override;
  void AbandonOrphanedLobby(const std::string& invitationId) override;
  void AbandonOrphanedGame(std::uint64_t gameId) override;
  void ReenterLobby(const std::string& invitationId) override;
  [[nodiscard]] const LobbyGameflow& Gameflow() const override;
  [[nodiscard]] bool IsGameflowAvailable() const override;
  [[nodiscard]] const Api::AutoFillDto* AutofillList() const override;
  [[nodiscard]] const std::vector<Api::Queue>* QueueList() const override;
  [[nodiscard]] const std::string* CurrentPlatformId() const override;
  [[nodiscard]] const Api::Summoner* CurrentSummoner() const override;
  void AddPlatformIdAndSummonerListener(const std::function<void()>& listener) override;
  [[nodiscard]] EligibilityRules& GetEligibilityRules() override;
  [[nodiscard]] LobbyAnalytics& GetAnalytics() override;
  [[nodiscard]] std::shared_ptr<LobbyController> GetLobbyController(bool isCustom,
                                                                    std::int32_t queueId) override;
  [[nodiscard]] MaybeType<Failure, Api::Queue> FindQueue(std::int32_t queueId) const override;
  [[nodiscard]] LobbyMembers& Members() override;
  MaybeType<Failure, Api::Lobby> CreateLobbyWithController(const Api::Lobby& requested) override;
  HttpResult<Api::Lobby> ChangeLobbyQueue(Api::LobbyChangeGameDto change) override;
  HttpResult<std::vector<Api::LobbyInvitation>> SendPlatformInvitations(
      std::vector<Api::LobbyInvitation> invitations) override;
  BindingHttpResult AcceptPlatformInvitation(std::string invitationId) override;
  BindingHttpResult DeclinePlatformInvitation(std::string invitationId) override;
  void ApplyLobbyUpdate(const Api::Lobby& lobby) override;
  void UpdateLobbyCountdown() override;
  [[nodiscard]] LobbyNotifications& Notifications() override;
  void RefreshEogState() override;
  void AddServiceShutdownNotification() override;
  // InvitationRecipient, for the received invitations; LobbyServices, for the analytics senders.
  [[nodiscard]] Api::Eligibility CheckInviteEligibility(const BindingProperty& metaData) override;
  [[nodiscard]] std::size_t LegacyReceivedInvitationCount() const override;

 private:
  friend class LobbyPluginTesting;

  // LobbyServices' batch pair; the outermost batch's close rebuilds the view model.
  void OpenUpdateBatch() override;
  void CloseUpdateBatch() override;

  // A fresh route registration context of the plugin's registry.
  [[nodiscard]] ApiRegistrar RouteRegistrar();
  // HandleGameflowSession's steps: in a lobby, the last queued lobby taken at matchmaking (play
  // again denied to a custom game) and the lobby left once the game progressed; the dodge.
  void SnapshotLastQueuedLobby(Api::GameflowPhase phase);
  void LeaveLobbyOnProgress(Api::GameflowPhase phase);
  void HandleGameDodge(const Api::GameflowGameDodge& dodge, Api::GameflowPhase phase,
                       Api::GameflowPhase previousPhase);
  // The controller of the v1 lobby's queue; null before the controllers exist.
  [[nodiscard]] std::shared_ptr<LobbyController> CurrentLobbyController();
  // Fires `requested`, an event that begins a lobby request (LobbyRequested or ChangingLobby),
  // recorded as the request under way; false when it was neither fired nor handled.
  bool BeginLobbyRequest(LobbyEvent requested);
  // Whether the request under way is a custom game's join (a custom or a tournament game's).
  [[nodiscard]] bool CustomJoinUnderWay() const;
  // A legacy game update: `joinsReply` when it is the reply of the join's own call (a
  // tournament's), else a message of the platform.
  void HandlePracticeGame(const LCDS::GameDTO& game, bool joinsReply);
  // The refusal, 400 and logged as "Unable to send invitations to the current <whose>: ...", of a
  // call that would send `given` invitations, more than a received list keeps; none for fewer.
  [[nodiscard]] static std::optional<HttpResponse> RefuseTooManyInvitations(std::size_t given,
                                                                            const char* whose);
  // The collaborators' interfaces; a time-out republishes the v1 lobby, forgets granted members.
  [[nodiscard]] std::optional<Lifetime> CurrentLobbyLifetime() override;
  void OnLobbyTimedOut() override;
  [[nodiscard]] std::vector<Api::ReceivedInvitationDto> PartyInvitations() override;

  std::unique_ptr<LobbyComponentFactory> factory_;
  LobbyControllerSet controllers_;
  LobbyBackends backends_;
  LobbyStateMachine stateMachine_;
  // Every host call into the plugin passes it (the plugin sets it as its SDK call gate).
  LobbyFlowGate gate_{stateMachine_, [this] { return customGames_.Listed(); }};
  std::int32_t updateBatchDepth_ = 0;
  // The event that began the latest lobby request: which request LobbyFlow's LobbyRequested or
  // ChangingLobby stands for.
  LobbyEvent lobbyRequest_;
  // The custom game joins whose calls run: a practice game update during their waits reports to
  // them.
  std::int32_t runningJoins_ = 0;
  // The legacy lobby the player was in when the accept about to reach the platform began, and
  // that no leave took it out of: handed from the accept's route to AcceptPlatformInvitation,
  // which takes it before its first wait. Empty for none.
  std::string acceptLeaving_;
  std::uint64_t localSummonerId_ = 0;
  // The login session's flags as last seen.
  bool loggedIn_ = false;
  bool connected_ = false;
  bool autofillDisplayed_ = false;

  WatchedLobbyConfig config_;

  // Collaborators, after the records they are given.
  LobbyAnalytics analytics_;
  EligibilityRules eligibilityRules_;
  LobbyViewModel viewModel_{*this};
  V1LobbyRecords v1Lobby_{*this, viewModel_};
  LobbyMembers members_{*this, v1Lobby_.MutableLobby()};
  LobbyGameflow gameflow_{*this, *this};
  LobbyNotifications notifications_{*this};
  LobbyCountdown countdown_{*this, *this};
  CustomGameList customGames_{*this};
  PartyRewards partyRewards_{*this, v1Lobby_.MutableLobby()};
  LastQueuedLobby lastQueued_{*this};
  ReceivedInvitations receivedInvitations_{*this, gate_, *this, config_.BlockedPlayers()};
};

}  // namespace Zarn::Client::Lobby
