// The parties backend's start, its registration with the parties service (with the retry timer
// and the host's shutdown lock), the configuration it follows, and the checks that end a party
// lobby that the configuration or the state no longer allow.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PartiesPaths.h"
#include "lobby/core/EligibilityRules.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/LobbyGameflow.h"
#include "lobby/core/LobbyNotifications.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyTimerNames.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "lobby/core/PartyTypes.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kConfigPrefix[] = "/jyx-platform-config/v1/namespaces/Parties/";
constexpr char kPartiesNotificationsPath[] =
    "/zarn-messaging-service/v1/message/parties/v1/notifications";
constexpr char kPartiesSettingsPath[] = "/jyx-settings/v1/account/parties-settings";
constexpr char kShutdownLockPath[] = "/jyx-login/v1/shutdown-locks/jyx-lobby";
constexpr double kHeartbeatSeconds = 3600.0;
constexpr float kDefaultRetrySeconds = 60.0f;

std::string ConfigPath(const char* key) { return std::string(kConfigPrefix) + key; }

// Points `watched` at `module`, adds `listener` (when given) and watches `path`.
template <class T>
void WatchValue(AppModule& module, WatchedConfigValue<T>& watched, const std::string& path,
                std::function<void()> listener = nullptr) {
  watched.SetModule(&module);
  if (listener) watched.AddListener(std::move(listener));
  watched.Watch(path);
}

// The phases in which the player's game has started or may still be running.
bool IsGamePhase(Api::GameflowPhase phase) {
  switch (phase) {
    case Api::GameflowPhase::GameStart:
    case Api::GameflowPhase::FailedToLaunch:
    case Api::GameflowPhase::InProgress:
    case Api::GameflowPhase::Reconnect:
    case Api::GameflowPhase::WaitingForStats:
    case Api::GameflowPhase::PreEndOfGame:
    case Api::GameflowPhase::EndOfGame:
      return true;
    default:
      return false;
  }
}

// A deregistration now would drop the player out of a game being launched or played.
bool IsLaunchedPhase(Api::GameflowPhase phase) {
  switch (phase) {
    case Api::GameflowPhase::GameStart:
    case Api::GameflowPhase::FailedToLaunch:
    case Api::GameflowPhase::InProgress:
    case Api::GameflowPhase::Reconnect:
      return true;
    default:
      return false;
  }
}

bool IsLobbyPhase(Api::GameflowPhase phase) {
  return phase == Api::GameflowPhase::Lobby || phase == Api::GameflowPhase::Matchmaking ||
         phase == Api::GameflowPhase::ReadyCheck;
}

}  // namespace

void PartiesLobbyBackend::Start(LobbyServices& services) {
  services_ = &services;
  AppModule& runtime = services.Runtime();
  client_.Attach(services.Runtime(), "parties.service", "proxy");
  client_.WatchSamplingPercentage(ConfigPath("ServiceProxySamplingPercentage"));
  // The plugin observes the session itself and hands each one on through UpdateLoginSession.
  ObservedLoginSession().SetModule(&runtime);
  ObservedLoginSession().AddListener([this] { OnRegistrationInputChanged(); });
  WatchValue(runtime, EnabledFlag(), ConfigPath("Enabled"),
             [this] { OnRegistrationInputChanged(); });
  TeamBuilderQueuesFlag().SetDefault(false);
  WatchValue(runtime, TeamBuilderQueuesFlag(), ConfigPath("EnabledForTeamBuilderQueues"),
             [this] { OnQueuesDisabled(); });
  WatchValue(runtime, openPartyFlag_, ConfigPath("OpenPartyEnable"),
             [this] { PublishPartyPresence(); });
  // This key is written with the singular "namespace".
  WatchValue(runtime, publishPresenceDelay_,
             "/jyx-platform-config/v1/namespace/Parties/PublishPresenceDelay");
  registrationRetryInterval_.SetDefault(kDefaultRetrySeconds);
  WatchValue(runtime, registrationRetryInterval_, ConfigPath("RegistrationRetryInterval"),
             [this] { OnRegistrationInputChanged(); });
  WatchValue(runtime, partiesSettings_, kPartiesSettingsPath, [this] { OnPartiesSettings(); });
  notificationDelaySampling_.SetDefault(0.0);
  WatchValue(runtime, notificationDelaySampling_,
             ConfigPath("NotificationDelaySamplingPercentage"));
  services.AddPlatformIdAndSummonerListener([this] { OnRegistrationInputChanged(); });
  runtime.ObserveResource<Api::ZarnMessagingServiceMessage>(
      kPartiesNotificationsPath,
      [this](const ResourceUpdate<Api::ZarnMessagingServiceMessage>& event) {
        OnPartiesMessage(event);
      });
  services.GetEligibilityRules().AddHashListener([this] { UpdateEligibilityHash(); });
  runtime.SetTimer(kPartiesHeartbeat, kHeartbeatSeconds, [this] { FetchPartiesState(); });
}

void PartiesLobbyBackend::OnRegistrationInputChanged() {
  client_.SetEnabled(EnabledFlag().IsTrue());
  // A login or logout while a registration or deregistration waits: crossing it, each would act
  // on the state the other is about to replace (the player left logged in unregistered, or
  // registered after a logout). The running one checks again when its waits are over.
  if (updatingRegistration_) {
    registrationInputChanged_ = true;
    return;
  }
  UpdateRegistration();
}

void PartiesLobbyBackend::UpdateRegistration() {
  // Nested within a registration (a re-registration after an error), it runs once.
  if (updatingRegistration_) return UpdateRegistrationOnce();
  updatingRegistration_ = true;
  do {
    registrationInputChanged_ = false;
    UpdateRegistrationOnce();
  } while (registrationInputChanged_);
  updatingRegistration_ = false;
}

void PartiesLobbyBackend::ScheduleRegistrationRetry() {
  // A zero, negative or not-a-number interval would re-arm the timer without delay.
  const float* configured = registrationRetryInterval_.Effective();
  const double retry = configured != nullptr && *configured > 0.0f && std::isfinite(*configured)
                           ? static_cast<double>(*configured)
                           : static_cast<double>(kDefaultRetrySeconds);
  services_->Runtime().CancelTimer(kRegistrationRetryTimer);
  services_->Runtime().SetTimer(kRegistrationRetryTimer, retry, [this] { UpdateRegistration(); });
}

bool PartiesLobbyBackend::RegistrationWanted() {
  const Api::LoginSession* session = ObservedLoginSession().Effective();
  return session != nullptr && session->state == Api::LoginSessionStates::SUCCEEDED &&
         session->accountId != 0 && session->summonerId != 0 && EnabledFlag().IsTrue();
}

std::string PartiesLobbyBackend::RegistrationPuuid() {
  const Api::LoginSession* session = ObservedLoginSession().Effective();
  if (session != nullptr && !session->puuid.empty()) return session->puuid;
  const Api::Summoner* summoner = services_ != nullptr ? services_->CurrentSummoner() : nullptr;
  return summoner != nullptr ? summoner->puuid : std::string();
}

void PartiesLobbyBackend::UpdateRegistrationOnce() {
  if (RegistrationWanted()) {
    if (Player().createdAt == 0) RegisterPlayer();
    return;
  }
  if (Player().createdAt != 0) DeregisterPlayer();
}

std::optional<Api::PlayerDto> PartiesLobbyBackend::MakeRegistration() {
  const Api::LoginSession* session = ObservedLoginSession().Effective();
  const std::string* platformId = services_->CurrentPlatformId();
  const std::int64_t* hash = services_->GetEligibilityRules().EligibilityHash();
  if (session == nullptr || platformId == nullptr || hash == nullptr) {
    LogPrintf(kLogLevelOkay, kLobbyLogChannel, 0, "Parties configuration not available ( %s%s%s)",
              session == nullptr ? "LoginSession " : "", platformId == nullptr ? "PlatformId " : "",
              hash == nullptr ? "EligHash " : "");
    return std::nullopt;
  }
  Api::PlayerDto registration;
  registration.puuid = RegistrationPuuid();
  if (registration.puuid.empty() || platformId->empty()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties configuration is invalid ( %s%s)",
              registration.puuid.empty() ? "puuid " : "", platformId->empty() ? "platformId " : "");
    return std::nullopt;
  }
  registration.platformId = *platformId;
  registration.accountId = session->accountId;
  registration.summonerId = session->summonerId;
  registration.eligibilityHash = *hash;
  const std::string shown = ToJsonString(registration, services_->Runtime().GetRegistry());
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Registering party player: %s", shown.c_str());
  return registration;
}

void PartiesLobbyBackend::RegisterPlayer() {
  if (services_ == nullptr) return;
  const std::optional<Api::PlayerDto> registration = MakeRegistration();
  if (!registration.has_value()) return;
  bool applied = false;
  {
    const CallGate::SharedWork registering(services_->FlowGate());
    // A registration or deregistration made during the waits below is later than this one: it
    // stands, and this one's reply, older, is dropped.
    const std::uint64_t act = ++registrationActs_;
    MaybeType<Failure, Api::PlayerDto> reply =
        client_.SendRequest("PUT", PlayerPath(registration->puuid), *registration);
    if (reply.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties registration failure: %s",
                reply.Message());
      ReportRequestFailure("register_player", reply.Message());
      if (act != registrationActs_) return DropRegistrationReply();
      ScheduleRegistrationRetry();
      ScheduleActivityResume(Api::PlayerDto{});
      return;
    }
    if (act != registrationActs_) return DropRegistrationReply();
    const std::uint64_t stores = stores_;
    TakeShutdownLock();
    if (act != registrationActs_) {
      // The lock went to the host after the later act's: it follows what that one left.
      if (Player().createdAt == 0) RemoveShutdownLock();
      return DropRegistrationReply();
    }
    deregistered_ = false;
    ++registrations_;
    services_->Runtime().CancelTimer(kRegistrationRetryTimer);
    // The reply is applied only now, after a state stored during the lock's wait (the service's
    // push of this registration, a lobby made on it): it is ordered against that state as a
    // pushed one is, and dropped alone when older. A state of an earlier registration (created
    // before the reply's) is older whatever its versions say.
    if (stores_ != stores && Player().createdAt >= reply.Value().createdAt &&
        !IsInOrder(reply.Value(), Api::PlayerUpdateType::Direct)) {
      DropRegistrationReply();
    } else {
      applied = ApplyPartiesState(std::move(reply).Value(), Api::PlayerUpdateType::Direct);
    }
  }
  if (applied) RefreshAfterUpdate();
  // Overtaken, the call may neither make the lobby nor send the leave: it tries neither.
  if (HasQueue() && !IsClashParty() && !services_->SetPartyLobbyActive(true) &&
      !services_->FlowGate().Stops(CallGate::Act::kSend, {"PUT", "the leave of the party"})) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Failed to activate party lobby after registration.  Leaving the current party");
    static_cast<void>(LeaveLobby());
  }
}

void PartiesLobbyBackend::DropRegistrationReply() {
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
            "Dropping a parties registration's reply: a later registration, deregistration or "
            "state stands");
}

void PartiesLobbyBackend::TakeShutdownLock() {
  if (services_->Runtime().Request<void>(HttpMethod::Put, kShutdownLockPath).HasValue()) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Registered shutdown lock with jyx-login");
  } else {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
              "Failed to registered shutdown lock with jyx-login");
  }
}

void PartiesLobbyBackend::RemoveShutdownLock() {
  if (services_->Runtime().Request<void>(HttpMethod::Delete, kShutdownLockPath).HasValue()) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Removed shutdown lock from jyx-login");
  } else {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Failed to delete shutdown lock");
  }
}

void PartiesLobbyBackend::DeregisterPlayer() {
  const std::string puuid = Player().puuid;
  const std::uint64_t registration = registrations_;
  ++registrationActs_;
  const Api::GameflowPhase phase = services_ != nullptr
                                       ? services_->Gameflow().CurrentGameflowPhase()
                                       : Api::GameflowPhase::None;
  std::optional<CallGate::SharedWork> deregistering;
  if (services_ != nullptr) deregistering.emplace(services_->FlowGate());
  if (services_ != nullptr && EnabledFlag().IsTrue() && !puuid.empty() && !IsLaunchedPhase(phase)) {
    MaybeType<Failure, void> deleted =
        client_.SendStatusRequest("DELETE", PlayerPath(puuid), BindingProperty());
    if (deleted.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties deregistration failure: %s",
                deleted.Message());
      ReportRequestFailure("deregister_player", deleted.Message());
    } else {
      LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Deleted parties registration for player %s",
                puuid.c_str());
    }
  }
  if (services_ != nullptr) RemoveShutdownLock();
  // A login during the waits above registered the player again: that registration stands. The
  // service may have taken the deletion after it, and the lock was removed after it: both are
  // made again.
  if (registrations_ != registration) {
    deregistering.reset();
    if (RegistrationWanted()) RegisterPlayer();
    return;
  }
  ScheduleActivityResume(Api::PlayerDto{});
  deregistered_ = true;
  // A party lobby cannot stand without the player's state just cleared, even one that a call
  // overtaking this one made: LobbyFlow follows the cleared state, or a logged-out player would be
  // left in a lobby with no view.
  if (services_ != nullptr) {
    LobbyUpdateBatch batch(*services_);
    services_->ProcessLobbyEvent(LobbyEvents::kPartyLobbyInactive);
  }
}

void PartiesLobbyBackend::UpdateEligibilityHash() {
  if (services_ == nullptr) return;
  const std::int64_t* hash = services_->GetEligibilityRules().EligibilityHash();
  if (hash == nullptr) return;
  if (Player().createdAt != 0) {
    Api::PlayerDto update = Player();
    update.eligibilityHash = *hash;
    std::string path = PlayerPath(update.puuid);
    MaybeType<Failure, Api::PlayerDto> reply = client_.SendRequest("PUT", std::move(path), update);
    if (reply.IsFailure()) {
      LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Parties eligibility hash update failed: %s",
                reply.Message());
    } else if (ApplyPartiesState(std::move(reply).Value(), Api::PlayerUpdateType::Direct)) {
      RefreshAfterUpdate();
    }
  }
  OnRegistrationInputChanged();
}

void PartiesLobbyBackend::OnPartiesSettings() {
  const BindingProperty* settings = partiesSettings_.Effective();
  if (settings == nullptr) return;
  std::string type(settings->FindMember("data")
                       .FindMember("Parties")
                       .FindMember("defaultPartyType")
                       .GetString());
  if (type != kPartyTypeClosed && type != kPartyTypeOpen) type = kPartyTypeOpen;
  defaultPartyType_ = std::move(type);
}

void PartiesLobbyBackend::SetOverrideFlag(WatchedConfigValue<bool>& flag, bool value) {
  flag.Set(value);
}

void PartiesLobbyBackend::OnQueuesDisabled() {
  if (services_ == nullptr) return;
  const Api::GameflowPhase phase = services_->Gameflow().CurrentGameflowPhase();
  if (phase == Api::GameflowPhase::EndOfGame) {
    const std::optional<Api::LobbyStatus> lastQueued =
        services_->Gameflow().PlayerStatus().lastQueuedLobbyStatus;
    if (!lastQueued.has_value() || lastQueued->queueId == -1 || lastQueued->isCustom) return;
    const std::int32_t queueId = lastQueued->queueId;
    // A failed check is the case of no party.
    const MaybeType<Failure, Api::PartyDto> party = GetCurrentParty();
    if (!IsEnabledForQueue(queueId)) {
      if (party.HasValue() && party.Value().gameMode.queueId == queueId) {
        static_cast<void>(LeaveLobby());
        if (services_ != nullptr) services_->AddServiceShutdownNotification();
      }
    } else if (!party.HasValue() || party.Value().gameMode.queueId == -1) {
      services_->AddServiceShutdownNotification();
    }
    return;
  }
  if (TeamBuilderQueuesFlag().IsTrue() || !services_->IsInLobbyState(LobbyFlow::kPartyLobby) ||
      !Player().currentParty.has_value() ||
      IsEnabledForQueue(Player().currentParty->gameMode.queueId) || !IsLobbyPhase(phase)) {
    return;
  }
  UpdateSearchAfterCancel();
  MaybeType<Failure, void> left = LeaveLobby();
  if (left.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Failed to leave party lobby on queue disable: %s", left.Message());
  }
  if (services_ == nullptr) return;
  services_->SetPartyLobbyActive(false);
  LobbyNotifications& notifications = services_->Notifications();
  static_cast<void>(notifications.AddLobbyNotification(
      notifications.MakeLobbyNotification("ServiceShutdown", {})));
}

void PartiesLobbyBackend::CheckPartyWithoutQueue() {
  if (services_ == nullptr) return;
  const bool wasInPartyLobby = services_->IsInLobbyState(LobbyFlow::kPartyLobby);
  if (!Player().currentParty.has_value() || Player().currentParty->gameMode.queueId != -1) return;
  const std::uint64_t summonerId = Player().summonerId;
  services_->SetPartyLobbyActive(false);
  const bool inGame = IsGamePhase(services_->Gameflow().CurrentGameflowPhase());
  if (wasInPartyLobby || inGame) {
    LobbyNotifications& notifications = services_->Notifications();
    static_cast<void>(notifications.AddLobbyNotification(
        notifications.MakeLobbyNotification("KICKED", {summonerId})));
  }
  if (inGame) services_->RefreshEogState();
}

}  // namespace Zarn::Client::Lobby
