#include "lobby/core/LobbyPlugin.h"

#include <utility>

#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyTimerNames.h"
#include "lobby/core/LobbyUpdateBatch.h"

namespace Zarn::Client::Lobby {

LobbyPlugin::LobbyPlugin(std::unique_ptr<LobbyComponentFactory> factory)
    : factory_(std::move(factory)),
      backends_(*factory_),
      stateMachine_(this, LobbyFlow::kMachineName, &LobbyFlow::kLobbyFlow,
                    [](const LobbyEvent& event) { return std::string(event); }) {
  SetCallGate(&gate_);
}

// Shutdown deletes the backends; after a refused load it never ran, and they go with the members.
LobbyPlugin::~LobbyPlugin() { SetCallGate(nullptr); }

bool LobbyPlugin::OnStart() {
  LobbyUpdateBatch batch(*this);
  stateMachine_.Start();
  CreateControllers();
  if (backends_.Parties() != nullptr) backends_.Parties()->Start(*this);
  if (backends_.Platform() != nullptr) backends_.Platform()->SetServices(this);
  SubscribeEvents();
  eligibilityRules_.Start(this, config_.Queues(), config_.CurrentSummoner());
  SubscribeChat(analytics_);
  return true;
}

void LobbyPlugin::Shutdown() {
  // Leaves every lobby whatever overtook the call the host shuts the plugin down in.
  const CallGate::SharedWork shutdown(gate_);
  analytics_.DropFriends();
  eligibilityRules_.DropObservations();
  CancelTimer(kPartiesHeartbeat);
  if (backends_.Parties() != nullptr) {
    backends_.Parties()->DropLoginObservations();
    backends_.Parties()->DeregisterPlayer();
  }
  stateMachine_.ExitAll();
  config_.Drop();
  backends_.Reset();
  Plugin::Shutdown();
}

Zarn::Client::Plugin& LobbyPlugin::Runtime() { return *this; }

void LobbyPlugin::OpenUpdateBatch() {
  if (updateBatchDepth_++ == 0) v1Lobby_.OperationBoundary();
}

void LobbyPlugin::CloseUpdateBatch() {
  if (--updateBatchDepth_ != 0) return;
  v1Lobby_.OperationBoundary();
  // The view shows what every call of the batch did, so an overtaken call still rebuilds it; a
  // rebuild overtaken in turn is stale and is done again.
  for (bool again = true; again;) {
    const CallGate::Rebuild rebuild(gate_);
    UpdateLobbyViewModel();
    again = rebuild.Overtaken();
  }
}

bool LobbyPlugin::ProcessLobbyEvent(LobbyEvent event) {
  if (gate_.Stops(CallGate::Act::kFire, {event, {}})) return false;
  return stateMachine_.ProcessEvent(event);
}

LobbyFlowGate& LobbyPlugin::FlowGate() { return gate_; }

bool LobbyPlugin::IsInLobbyState(const LobbyState& state) const {
  return stateMachine_.IsInState(&state);
}

std::uint64_t LobbyPlugin::LocalSummonerId() const { return localSummonerId_; }

const Api::Lobby& LobbyPlugin::V1Lobby() const { return v1Lobby_.Lobby(); }

bool LobbyPlugin::IgnoresAbandonedLobby(const std::string& invitationId) const {
  return v1Lobby_.IgnoresAbandonedLobby(invitationId);
}

void LobbyPlugin::AbandonOrphanedLobby(const std::string& invitationId) {
  v1Lobby_.AbandonOrphanedLobby(invitationId);
}

void LobbyPlugin::AbandonOrphanedGame(std::uint64_t gameId) {
  v1Lobby_.AbandonOrphanedGame(gameId);
}

void LobbyPlugin::ReenterLobby(const std::string& invitationId) {
  v1Lobby_.ReenterLobby(invitationId);
}

const LobbyGameflow& LobbyPlugin::Gameflow() const { return gameflow_; }

bool LobbyPlugin::IsGameflowAvailable() const { return lastQueued_.IsGameflowAvailable(); }

const Api::AutoFillDto* LobbyPlugin::AutofillList() const { return config_.AutofillList(); }

const std::vector<Api::Queue>* LobbyPlugin::QueueList() const { return config_.QueueList(); }

void LobbyPlugin::AddPlatformIdAndSummonerListener(const std::function<void()>& listener) {
  config_.PlatformId().AddListener(listener);
  config_.CurrentSummoner().AddListener(listener);
}

EligibilityRules& LobbyPlugin::GetEligibilityRules() { return eligibilityRules_; }

LobbyAnalytics& LobbyPlugin::GetAnalytics() { return analytics_; }

LobbyMembers& LobbyPlugin::Members() { return members_; }

LobbyBackend* LobbyPlugin::ActiveBackend() const { return backends_.Active(); }

PartiesBackend* LobbyPlugin::GetPartiesBackend() const { return backends_.Parties(); }

void LobbyPlugin::UpdateLobbyCountdown() { countdown_.UpdateLobbyCountdown(); }

LobbyNotifications& LobbyPlugin::Notifications() { return notifications_; }

std::size_t LobbyPlugin::LegacyReceivedInvitationCount() const {
  return receivedInvitations_.LegacyCount();
}

const std::string* LobbyPlugin::CurrentPlatformId() const { return config_.EffectivePlatformId(); }

const Api::Summoner* LobbyPlugin::CurrentSummoner() const { return config_.EffectiveSummoner(); }

void LobbyPlugin::OnAutoGrantInviteEnabled(const ResourceUpdate<bool>& event) {
  members_.OnAutoGrantInviteEnabled(event);
}

bool LobbyPlugin::IsInLobby() const { return stateMachine_.IsInState(&LobbyFlow::kInLobby); }

bool LobbyPlugin::SetPartyLobbyActive(bool active) {
  using namespace LobbyEvents;
  LobbyUpdateBatch batch(*this);
  if (!active) {
    ProcessLobbyEvent(kPartyLobbyInactive);
  } else if (!ProcessLobbyEvent(kPartyLobbyActive)) {
    // Out of any lobby a refusal must end the request it began, or the machine would stay in
    // LobbyRequested with nothing left to complete it. A request begun elsewhere belongs to
    // another operation, which completes it.
    const bool fromOutOfLobby = stateMachine_.GetCurrentState() == &LobbyFlow::kOutOfLobby;
    BeginLobbyRequest(kPartyLobbyRequested);
    if (gameflow_.RequestGameflowLobby()) {
      ProcessLobbyEvent(kPartyLobbySucceeded);
    } else if (fromOutOfLobby) {
      ProcessLobbyEvent(kLobbyFailed);
    } else {
      ProcessLobbyEvent(kPartyLobbyInactive);
    }
  }
  return stateMachine_.IsInState(&LobbyFlow::kPartyLobby);
}

MaybeType<Failure, Api::Queue> LobbyPlugin::FindQueue(std::int32_t queueId) const {
  return config_.FindQueue(queueId);
}

void LobbyPlugin::PublishV1LobbyParts() { v1Lobby_.PublishV1LobbyParts(); }

void LobbyPlugin::PublishV1Lobby() { v1Lobby_.PublishV1Lobby(Api::Lobby(V1Lobby())); }

std::shared_ptr<LobbyController> LobbyPlugin::CurrentLobbyController() {
  return GetLobbyController(V1Lobby().isCustom, V1Lobby().queueId);
}

std::optional<CountdownLobby::Lifetime> LobbyPlugin::CurrentLobbyLifetime() {
  const std::shared_ptr<LobbyController> controller = CurrentLobbyController();
  if (controller == nullptr) return std::nullopt;
  return Lifetime{controller->LobbyLifetime(), controller->WarningPeriod()};
}

void LobbyPlugin::OnLobbyTimedOut() {
  PublishV1LobbyParts();
  members_.ForgetAutoGrantedMembers();
}

void LobbyPlugin::EnterLegacyLobby() {
  LobbyUpdateBatch batch(*this);
  backends_.ActivatePlatform();
  OnEnteredLobby();
  countdown_.UpdateLobbyCountdown();
}

void LobbyPlugin::EnterPartyLobby() {
  LobbyUpdateBatch batch(*this);
  countdown_.StopCountdown();
  backends_.ActivateParties();
  if (backends_.Parties() != nullptr) backends_.Parties()->RefreshAfterUpdate();
  OnEnteredLobby();
}

void LobbyPlugin::ExitInLobby() {
  // Out of every lobby, however it was left, the v1 lobby is gone: a lobby stored meanwhile (a
  // team-builder lobby's event during a change) was published.
  v1Lobby_.DeleteShownLobby();
  countdown_.StopCountdown();
  PostGameflowEvent("GAMEFLOW_EVENT.EXITED_LOBBY");
}

void LobbyPlugin::ExitPartyLobby() {
  LobbyUpdateBatch batch(*this);
  backends_.Deactivate();
  UpdatePartyRewards();
  v1Lobby_.DeleteV1Lobby();
}

void LobbyPlugin::OnEnteredLobby() { PostGameflowEvent("GAMEFLOW_EVENT.ENTERED_LOBBY"); }

void LobbyPlugin::PostGameflowEvent(const char* event) { gameflow_.PostGameflowEvent(event); }

}  // namespace Zarn::Client::Lobby
