// The parties backend's stored state: how a new state is accepted or refused, what follows an
// accepted one, the two message handlers, and the members looked up in it.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/backends/PartiesPaths.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/LobbyGameflow.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyTimerNames.h"
#include "lobby/core/LobbyUpdateBatch.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/platform/WallClock.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kMatchmakingSearchPath[] = "/jyx-matchmaking/v1/search";
constexpr char kCommsMembersPath[] = "/jyx-lobby/v2/comms/members";
constexpr double kMinimumResumeWaitSeconds = 5.0;
constexpr double kSecondsPerMillisecond = 0.001;

std::int64_t WallMillis() { return Platform::WallClockNow() / 1'000'000; }

const char* UpdateTypeName(Api::PlayerUpdateType type) {
  switch (type) {
    case Api::PlayerUpdateType::None:
      return "None";
    case Api::PlayerUpdateType::Direct:
      return "Direct";
    case Api::PlayerUpdateType::ServiceProxy:
      return "ServiceProxy";
    case Api::PlayerUpdateType::ZMS:
      return "ZMS";
  }
  return "None";
}

bool SameRestrictions(const std::vector<Api::GatekeeperRestrictionDto>& a,
                      const std::vector<Api::GatekeeperRestrictionDto>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].accountId != b[i].accountId || a[i].reason != b[i].reason ||
        a[i].remainingMillis != b[i].remainingMillis || a[i].payload != b[i].payload ||
        a[i].queueId != b[i].queueId) {
      return false;
    }
  }
  return true;
}

bool SameCommsMembers(const Api::PremadePartyDto& a, const Api::PremadePartyDto& b) {
  if (a.partyId != b.partyId || a.players.size() != b.players.size()) return false;
  for (const auto& [puuid, member] : a.players) {
    const auto other = b.players.find(puuid);
    if (other == b.players.end()) return false;
    const Api::PremadeMemberDto& m = other->second;
    if (member.displayName != m.displayName || member.puuid != m.puuid ||
        member.partyId != m.partyId || member.summonerId != m.summonerId || member.role != m.role) {
      return false;
    }
  }
  return true;
}

// Seconds from the server's time to the resume time, both signed, at least the minimum. The
// difference is taken on unsigned values only once it is known to be positive, so that it is
// exact for any pair and never overflows.
double ResumeWaitSeconds(std::int64_t resumeMillis, std::int64_t serverMillis) {
  if (resumeMillis <= serverMillis) return kMinimumResumeWaitSeconds;
  const std::uint64_t ahead =
      static_cast<std::uint64_t>(resumeMillis) - static_cast<std::uint64_t>(serverMillis);
  const double seconds = static_cast<double>(ahead) * kSecondsPerMillisecond;
  return seconds < kMinimumResumeWaitSeconds ? kMinimumResumeWaitSeconds : seconds;
}

}  // namespace

bool PartiesLobbyBackend::AcceptsInOrder(const Api::PlayerDto& incoming,
                                         Api::PlayerUpdateType updateType) {
  // A state pushed, or a reply to a request sent, before a logout and handled after it would have
  // the logged-out player taken for registered: lobbies would be made for it, and a login would
  // not register it.
  if (deregistered_) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Ignoring a parties state of the deregistered player.");
    return false;
  }
  if (updateType == Api::PlayerUpdateType::Direct) return true;
  // What the service pushes for another player is not this player's state: adopted, even before
  // the registration, it would have the plugin act, and log out, as that player.
  const std::string own = RegistrationPuuid();
  if (own.empty()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Ignoring a parties state pushed before the player's puuid is known: %s",
              incoming.puuid.c_str());
    return false;
  }
  if (incoming.puuid != own) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Ignoring a parties state pushed for another player: %s", incoming.puuid.c_str());
    return false;
  }
  return IsInOrder(incoming, updateType);
}

bool PartiesLobbyBackend::IsInOrder(const Api::PlayerDto& incoming,
                                    Api::PlayerUpdateType updateType) {
  if (incoming.createdAt < Player().createdAt) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Parties state created time out of order.");
    return false;
  }
  if (incoming.createdAt == Player().createdAt && incoming.version < Player().version) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Parties state version out of order.");
    return false;
  }
  if (incoming.version == Player().version && incoming.currentParty.has_value() &&
      Player().currentParty.has_value() &&
      incoming.currentParty->version <= Player().currentParty->version) {
    OnPartiesUpdate(incoming, updateType);
    return false;
  }
  return true;
}

bool PartiesLobbyBackend::ApplyPartiesState(Api::PlayerDto incoming,
                                            Api::PlayerUpdateType updateType) {
  std::optional<LobbyUpdateBatch> batch;
  if (services_ != nullptr) batch.emplace(*services_);
  if (!AcceptsInOrder(incoming, updateType)) return false;
  TrimPartyInvitations(incoming);
  // The steps below may wait; they compare with the state as it was when this one arrived.
  const Api::PlayerDto stored = Player();
  OnLeaverBusterPlayerUpdate(incoming.currentParty, stored.currentParty, incoming);
  // The resume time is signed, as the service means it.
  if (incoming.currentParty.has_value() && stored.currentParty.has_value() &&
      static_cast<std::int64_t>(stored.currentParty->activityResumeUtcMillis) > 0 &&
      !incoming.currentParty->activityLocked && stored.currentParty->activityLocked) {
    UpdateSearchAfterCancel();
  }
  OnCommsMembersEvent(incoming, stored);
  SendPartyTransitionAnalytics(incoming, stored);
  // A newer state may have been stored while the steps above waited: it must not be overwritten
  // by this older one.
  if (!AcceptsInOrder(incoming, updateType)) return false;
  lastUpdate_ = LastUpdate{WallMillis(), updateType, 0};
  ScheduleActivityResume(std::move(incoming));
  return true;
}

void PartiesLobbyBackend::OnPartiesUpdate(const Api::PlayerDto& incoming,
                                          Api::PlayerUpdateType updateType) {
  const bool exactDuplicate = incoming.version == Player().version &&
                              incoming.currentParty.has_value() &&
                              Player().currentParty.has_value() &&
                              incoming.currentParty->version == Player().currentParty->version &&
                              incoming.currentParty->partyId == Player().currentParty->partyId;
  if (!exactDuplicate || updateType == Api::PlayerUpdateType::Direct) return;
  const double* percentage = notificationDelaySampling_.Effective();
  if (percentage == nullptr || !(*percentage > 0.0)) return;
  const double draw = duplicateDraw_();
  ++lastUpdate_.duplicateCount;
  if (!(*percentage > draw * 100.0) || services_ == nullptr) return;
  TelemetryInterface* telemetry = services_->Runtime().Telemetry();
  if (telemetry == nullptr) return;
  const std::int64_t delay = WallMillis() - lastUpdate_.timeMillis;
  const std::unordered_map<std::string, std::string> data = {
      {"updateType", UpdateTypeName(updateType)},
      {"updateCount", std::to_string(lastUpdate_.duplicateCount)},
      {"delayMillis", std::to_string(delay > 0 ? delay : 0)}};
  static_cast<void>(telemetry->SendEvent("parties-update-duplicate", data));
}

void PartiesLobbyBackend::OnPartiesMessage(
    const ResourceUpdate<Api::ZarnMessagingServiceMessage>& event) {
  if (!EnabledFlag().IsTrue()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Ignoring Parties ZMS messages because service is disabled.");
    return;
  }
  if (event.eventType != PluginResourceEventType::Create &&
      event.eventType != PluginResourceEventType::Update) {
    return;
  }
  // The event may go with the next wait; the text is kept for the log.
  const std::string payload = event.value.payload;
  Api::PartyNotificationEnvelopeDto envelope;
  const BindingResult parsed = ParseJson(payload);
  if (!parsed.IsOk() || services_ == nullptr ||
      !ReadRequiredValue(envelope, parsed.Value(), services_->Runtime().GetRegistry())) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0, "Failed to deserialize party notification: %s",
              payload.c_str());
    return;
  }
  if (envelope.player.has_value()) {
    // The service reports a state the player's own requests may be waiting for.
    std::optional<CallGate::OwnReport> report;
    if (services_ != nullptr) report.emplace(services_->FlowGate());
    if (ApplyPartiesState(std::move(*envelope.player), Api::PlayerUpdateType::ZMS)) {
      CheckPartyWithoutQueue();
      RefreshAfterUpdate();
    }
  }
  if (envelope.queueRestriction.has_value()) {
    MapGatekeeperReason(envelope.queueRestriction->gatekeeperRestrictions);
  }
}

void PartiesLobbyBackend::OnClientProxyMessage(Api::PlayerDto message) {
  if (!EnabledFlag().IsTrue()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Ignoring Parties client proxy messages because service is disabled.");
    return;
  }
  std::optional<LobbyUpdateBatch> batch;
  std::optional<CallGate::OwnReport> report;
  if (services_ != nullptr) {
    batch.emplace(*services_);
    report.emplace(services_->FlowGate());
  }
  if (ApplyPartiesState(std::move(message), Api::PlayerUpdateType::ServiceProxy)) {
    CheckPartyWithoutQueue();
    RefreshAfterUpdate();
  }
}

void PartiesLobbyBackend::RefreshAfterUpdate() {
  if (services_ == nullptr) return;
  const std::optional<Api::GameflowSession>& session =
      services_->Gameflow().StoredGameflowSession();
  if (!session.has_value() || session->phase != Api::GameflowPhase::Lobby ||
      !Player().currentParty.has_value()) {
    return;
  }
  LobbyUpdateBatch batch(*services_);
  const Api::PartyMemberDto local = GetLocalMember();
  if (local.ready.has_value() && !*local.ready && !Player().currentParty->activityLocked) {
    static_cast<void>(SetReadyRequest(true));
  }
}

void PartiesLobbyBackend::OnLeaverBusterPlayerUpdate(const std::optional<Api::PartyDto>& incoming,
                                                     const std::optional<Api::PartyDto>& stored,
                                                     const Api::PlayerDto& incomingPlayer) {
  if (!incoming.has_value()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Received player update when we didn't have an active party, not updating active "
              "restrictions");
    return;
  }
  const std::vector<Api::GatekeeperRestrictionDto>& restrictions =
      incoming->activeRestrictions.gatekeeperRestrictions;
  if (stored.has_value() &&
      SameRestrictions(restrictions, stored->activeRestrictions.gatekeeperRestrictions) &&
      (incoming->activityResumeUtcMillis == 0 ||
       incoming->activityResumeUtcMillis == stored->activityResumeUtcMillis)) {
    return;
  }
  if (restrictions.empty() || services_ == nullptr) return;
  Api::MatchmakingSearchResource search;
  search.searchState = Api::LobbyMatchmakingSearchState::Searching;
  search.lowPriorityData = MakeLowPriorityData(restrictions, incomingPlayer);
  MaybeType<Failure, void> sent =
      services_->Runtime().Request<void>(HttpMethod::Put, kMatchmakingSearchPath, search);
  if (sent.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Failed update search after parties leaver buster notification: %s", sent.Message());
  }
}

void PartiesLobbyBackend::OnCommsMembersEvent(const Api::PlayerDto& incoming,
                                              const Api::PlayerDto& stored) {
  const Api::PremadePartyDto incomingMembers = BuildCommsMembers(incoming);
  const Api::PremadePartyDto storedMembers = BuildCommsMembers(stored);
  if (SameCommsMembers(incomingMembers, storedMembers) || services_ == nullptr) return;
  services_->Runtime().SendJsonApiEvent(kResourceUpdate, kCommsMembersPath, incomingMembers);
}

void PartiesLobbyBackend::ScheduleActivityResume(Api::PlayerDto newPlayer) {
  MutablePlayer() = std::move(newPlayer);
  ++stores_;
  if (services_ == nullptr) return;
  services_->Runtime().CancelTimer(kPartiesResumeActivityWait);
  if (!Player().currentParty.has_value() ||
      GetLocalMember().role != Api::PartyMemberRoleEnum::LEADER) {
    return;
  }
  const Api::PartyDto& party = *Player().currentParty;
  // Signed, as the service means it: a time past 2^63 is in the past.
  const auto resume = static_cast<std::int64_t>(party.activityResumeUtcMillis);
  if (!party.activityLocked || resume == 0) return;
  const double delay = ResumeWaitSeconds(resume, Player().serverUtcMillis);
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Parties activty resume scheduled for %f seconds",
            delay);
  services_->Runtime().SetTimer(kPartiesResumeActivityWait, delay,
                                [this] { OnResumeActivityWait(); });
}

MaybeType<Failure, Api::PartyMemberDto> PartiesLobbyBackend::FindCurrentMember(
    std::uint64_t summonerId) const {
  if (!Player().currentParty.has_value()) return Failure(400, "CURRENT_PARTY_NOT_FOUND");
  for (const Api::PartyMemberDto& member : Player().currentParty->players) {
    if (member.summonerId == summonerId) return member;
  }
  return Failure(404, kSummonerNotFound);
}

Api::PartyMemberDto PartiesLobbyBackend::GetLocalMember() const {
  MaybeType<Failure, Api::PartyMemberDto> member = FindCurrentMember(Player().summonerId);
  if (member.HasValue()) return std::move(member).Value();
  // A default member's role would be LEADER: a player missing from the party would pass every
  // leader check.
  Api::PartyMemberDto missing;
  missing.role = Api::PartyMemberRoleEnum::NONE;
  missing.canInvite = false;
  return missing;
}

MaybeType<Failure, void> PartiesLobbyBackend::SetReadyRequest(bool ready) {
  std::string path = PartyMemberPath("/", GetCurrentPartyId(), Player().puuid, "ready");
  return Request("set ready", "PUT", std::move(path), ready);
}

void PartiesLobbyBackend::UpdateSearchAfterCancel() {
  if (services_ == nullptr) return;
  Api::MatchmakingSearchResource search;
  search.searchState = Api::LobbyMatchmakingSearchState::Canceled;
  MaybeType<Failure, void> sent =
      services_->Runtime().Request<void>(HttpMethod::Put, kMatchmakingSearchPath, search);
  if (sent.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Failed update search after cancelling parties matchmaking: %s", sent.Message());
  }
}

}  // namespace Zarn::Client::Lobby
