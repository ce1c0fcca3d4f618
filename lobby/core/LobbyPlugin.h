// The lobby plugin object: the one plugin of this library. It owns the two lobby backends, the
// lobby controllers, the LobbyFlow state machine and the lobby's records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "lobby/core/EligibilityRules.h"
#include "lobby/core/LobbyAnalytics.h"
#include "lobby/core/LobbyBackend.h"
#include "lobby/core/LobbyComponentFactory.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/WatchedConfigValue.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyTypeContext.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "sdk/runtime/Plugin.h"

namespace Zarn::Client::Lobby {

class LobbyController;

class LobbyPlugin : public Zarn::Client::Plugin {
 public:
  // Keeps `factory` (not null) for its whole life and makes both backends with it. The platform
  // backend gets its plugin pointer in OnStart.
  explicit LobbyPlugin(std::unique_ptr<LobbyComponentFactory> factory);
  // Deletes a backend only when Shutdown has not; runs no state's exit action.
  ~LobbyPlugin() override;

  // Drops the watched values, deregisters from the parties service, leaves every active state,
  // deletes both backends and ends with the module's shutdown. Every step runs even when one of
  // them fails.
  void Shutdown() override;
  // Registers the lobby's types and routes.
  void OnRegisterApi() override { RegisterEndpoints(); }
  // Starts the machine, the controllers, the backends and the subscriptions inside one batch;
  // always true.
  bool OnStart() override;

  // Starts the repeating countdown tick when in a lobby and no countdown runs.
  virtual void StartCountdownTimer();
  // Whether the gameflow plugin lets a lobby be made; any failure is false.
  virtual bool RequestGameflowLobby();
  // Tells the gameflow plugin which queue the published lobby plays.
  virtual void SendGameflowGameConfiguration();
  // Tells the gameflow plugin that the player entered a lobby.
  virtual void OnEnteredLobby();

  // The lobby's types, then its routes.
  void RegisterEndpoints();

  // The lobby's records and enums, into the plugin's API registry. Each runs once, while the
  // plugin is loaded, in this order. The legacy records also enter their legacy classes in the
  // module's class tables.
  void RegisterApiTypes();
  void RegisterV2ApiTypes();
  void RegisterPartiesTypes();
  void RegisterLcdsTypes();
  void RegisterServiceProxyTypes();

  // Subscriptions made at start.
  void SubscribeEvents();
  void SubscribeChat(LobbyAnalytics& analytics);

  // The machine and the lobby operations on it.
  [[nodiscard]] LobbyStateMachine& GetStateMachine() { return stateMachine_; }
  [[nodiscard]] const LobbyStateMachine& GetStateMachine() const { return stateMachine_; }
  // True in InLobby or any state below it.
  [[nodiscard]] bool IsInLobby() const;
  // Makes the parties lobby the player's lobby, or leaves it; whether the player is now in it.
  bool SetPartyLobbyActive(bool active);
  // Turns a solo legacy lobby into a group lobby on the legacy platform.
  MaybeType<Failure, Api::Lobby> CreatePlatformLobby(const Api::Lobby& lobby);

  // Controllers.
  void CreateControllers();
  [[nodiscard]] std::shared_ptr<LobbyController> GetLobbyController(bool isCustom,
                                                                    std::int32_t queueId);
  // A copy of the known queue with `queueId`; 404 "Queue not found" without one.
  [[nodiscard]] MaybeType<Failure, Api::Queue> FindQueue(std::int32_t queueId) const;

  // The v1 lobby and its resources.
  void SetLobby(const Api::Lobby& lobby);
  // The v1 lobby and its parts while in a lobby, else a Delete of the v1 lobby.
  void PublishV1LobbyParts();
  void PublishV1Lobby(const Api::Lobby& lobby);
  void DeleteV1Lobby();
  void PublishV1Countdown(std::int64_t seconds);
  void PublishV2Countdown(std::int64_t seconds, bool enabled);

  // The view model, rebuilt when the outermost update batch closes.
  void UpdateLobbyViewModel();
  void UpdateLobbyCountdown();
  // View model: the pieces of a rebuild, the availability and the search state. The v2 lobby
  // and its members are published only when they differ from the last publication; no lobby
  // deletes a published one. Whether anything was published.
  bool PublishLobbyAndMembers(std::optional<Api::LobbyDto> lobby);
  // Refreshes the player's lobby status from the active backend and tells the gameflow plugin
  // of a change.
  void UpdatePlayerLobbyStatus();
  // Posts the player status to the gameflow plugin.
  void SetGameflowPlayerStatus();
  // Publishes `resource` as the search state unless it equals the one published last.
  void PublishSearchState(const Api::MatchmakingSearchResource& resource);
  // Republishes the availability of the view's queue when it or the queue changed; a custom
  // game's view changes nothing.
  void PublishAvailability(const Api::LobbyDto& lobby);
  // Whole seconds until the countdown's deadline; 0 when it passed or no countdown runs.
  [[nodiscard]] std::int64_t GetCountdownSeconds() const;

  void UpdatePartyRewards();
  // Forgets the legacy lobby being left: no active backend, its invitation id kept among the
  // abandoned ones, the v1 lobby reset and deleted.
  void AddToAbandonedLobbyInvitationIds();
  // The notification of a dodge, named by its state.
  [[nodiscard]] Api::LobbyNotification CreateDodgeNotification(const Api::GameflowGameDodge& dodge);

  // True when in a lobby whose member list holds `summonerId`.
  [[nodiscard]] bool IsMemberInLobby(std::uint64_t summonerId) const;
  // The local time as "%Y-%m-%d %H:%M:%S".
  [[nodiscard]] static std::string FormatTimestamp();
  [[nodiscard]] static bool HasPracticeToolMutator(
      const Api::LobbyCustomGameConfiguration& configuration);

  // Backends: the controller set's lookups, the queue availability and the operations that the
  // platform backend and the controllers call. ChangeLobbyQueue and the member, invitation and
  // notification operations are built by later issues.
  //
  // Creates a legacy lobby for `requested` (queue id, custom flag, custom game part) with the
  // controller of its queue, stores it as the v1 lobby and publishes it; a copy of it.
  MaybeType<Failure, Api::Lobby> CreateLobbyWithController(const Api::Lobby& requested);
  // The known queue's availability; PlatformDisabled for a queue that is not known.
  [[nodiscard]] Api::QueueAvailability GetQueueAvailability(std::int32_t queueId) const;
  // Listener of the queue list: refills the queue map and republishes the lobby's availability.
  void OnQueuesChanged();
  // Whether the summoner meets the queue's level requirement; a failed lookup counts as met.
  [[nodiscard]] bool LookupSummonerById(std::uint64_t summonerId, Api::Queue queue);
  // The legacy chat room address of `id`; empty when the room name or `suffix` is empty.
  [[nodiscard]] static std::string MakePlatformHostName(const std::string& id,
                                                        const std::string& prefix,
                                                        const std::string& suffix);
  void RefreshPartyRewards();
  [[nodiscard]] std::uint64_t LocalSummonerId() const { return localSummonerId_; }
  // The v1 lobby; valid until the next call that can wait.
  [[nodiscard]] const Api::Lobby& V1Lobby() const { return lobby_; }
  [[nodiscard]] bool IsGameflowAvailable() const { return gameflowAvailable_; }
  HttpResult<Api::Lobby> ChangeLobbyQueue(Api::LobbyChangeGameDto change);
  // The summoners of the v1 lobby's members and invitees; empty outside a lobby or on failure.
  [[nodiscard]] std::vector<Api::Summoner> LookupSummoner();
  BindingHttpResult KickMember(std::uint64_t summonerId);
  BindingHttpResult PromoteMember(std::uint64_t summonerId);
  BindingHttpResult GrantMemberInvitePrivilege(std::uint64_t summonerId);
  BindingHttpResult RevokeMemberInvitePrivilege(std::uint64_t summonerId);
  [[nodiscard]] MaybeType<Failure, std::vector<Api::Eligibility>> RequestPremadeEligibility(
      std::vector<std::uint64_t> summonerIds, std::uint64_t key);
  HttpResult<std::vector<Api::LobbyInvitation>> SendPlatformInvitations(
      std::vector<Api::LobbyInvitation> invitations);
  BindingHttpResult AcceptPlatformInvitation(std::string invitationId);
  BindingHttpResult DeclinePlatformInvitation(std::string invitationId);
  // False when a notification with the same id is listed already.
  bool AddLobbyNotification(Api::LobbyNotification notification);

  // The backend in use; null outside a lobby. Not owned.
  [[nodiscard]] LobbyBackend* ActiveBackend() const { return activeBackend_; }
  // Null after Shutdown.
  [[nodiscard]] PartiesBackend* GetPartiesBackend() const { return partiesBackend_.get(); }
  [[nodiscard]] PlatformBackend* GetPlatformBackend() const { return platformBackend_.get(); }

  // The premade-eligibility rules: their hash, its listeners and the queue copy.
  [[nodiscard]] EligibilityRules& GetEligibilityRules() { return eligibilityRules_; }

 private:
  friend class LobbyUpdateBatch;
  friend struct LobbyFlowActions;
  // Tests reach the records through it.
  friend class LobbyPluginTesting;

  // FNV-1a over the id's four bytes, lowest first.
  struct QueueIdHash {
    std::size_t operator()(std::int32_t queueId) const noexcept;
  };
  using ControllerMap =
      std::unordered_map<std::int32_t, std::shared_ptr<LobbyController>, QueueIdHash>;

  // The plugin's registry, CamelCase name, help categories and legacy class tables, as the
  // registrars take them.
  [[nodiscard]] LobbyTypeContext TypeContext();
  // One firing of the countdown timer.
  void OnCountdownTick();
  // Clears both countdown flags, cancels the countdown timer and publishes a stopped v2 countdown.
  void StopCountdown();
  // POST "/jyx-gameflow/v1/session/event" with `event` as body; the result is ignored.
  void PostGameflowEvent(const char* event);

  std::unique_ptr<LobbyComponentFactory> factory_;
  // Controllers, filled by CreateControllers; the queue map from the queue list.
  std::shared_ptr<LobbyController> invalidLobbyController_;
  std::shared_ptr<LobbyController> arrangedTeamController_;
  std::shared_ptr<LobbyController> customGameController_;
  std::shared_ptr<LobbyController> teamBuilderController_;
  ControllerMap queueControllers_;
  bool queuesKnown_ = false;

  // Not owned: one of the two below, or null.
  LobbyBackend* activeBackend_ = nullptr;
  std::unique_ptr<PartiesBackend> partiesBackend_;
  std::unique_ptr<PlatformBackend> platformBackend_;
  bool partyActive_ = false;

  LobbyStateMachine stateMachine_;
  Api::Lobby lobby_;

  std::uint64_t localSummonerId_ = 0;
  bool autoGrantInviteEnabled_ = true;
  // Members already seen by the automatic invite grant.
  std::set<std::uint64_t> autoGrantedMemberIds_;
  WatchedConfigValue<Api::Summoner> currentSummoner_;
  WatchedConfigValue<std::vector<Api::Queue>> queues_;
  WatchedConfigValue<std::string> platformId_;
  bool autofillDisplayed_ = false;
  WatchedConfigValue<Api::MatchmakingSearchResource> matchmakingSearch_;
  std::optional<Api::LobbyDto> publishedLobby_;
  Api::ReceivedInvitationDto lastReceivedInvitation_;
  Api::PlayerStatus playerStatus_;
  std::optional<Api::LobbyStatus> cachedLobbyStatus_;
  Api::LobbyLastQueuedLobby lastQueuedLobby_;
  LobbyAnalytics analytics_;
  EligibilityRules eligibilityRules_;

  // Steady-clock nanoseconds: when the countdown shows, and when it ends.
  std::int64_t countdownDisplayTime_ = 0;
  std::int64_t countdownDeadline_ = 0;
  bool countdownTimerRunning_ = false;
  bool countdownAnnounced_ = false;

  std::int32_t updateBatchDepth_ = 0;

  // View model: the ids of legacy lobbies left, whose later updates are ignored; the search
  // state published last. Stores `availability` and publishes it.
  std::set<std::string> abandonedLobbyInvitationIds_;
  Api::MatchmakingSearchResource publishedSearchState_;
  void StoreAvailability(Api::QueueAvailability availability);

  // Backends: the availability last published at "/jyx-lobby/v1/lobby/availability"; the
  // gameflow plugin's availability; the party rewards switch, table and last record.
  Api::QueueAvailability lobbyAvailability_ = Api::QueueAvailability::Available;
  bool gameflowAvailable_ = false;
  bool partyRewardsEnabled_ = false;
  bool partyRewardsLoaded_ = false;
  std::unordered_map<std::int32_t, Api::LobbyPartyRewards, QueueIdHash> partyRewardsConfig_;
  Api::LobbyPartyRewards partyRewards_;
  // Points every queue of `queues` at its controller.
  void FillQueueControllers(const std::vector<Api::Queue>& queues);
};

}  // namespace Zarn::Client::Lobby
