// The v2 view of the lobby, rebuilt when the outermost update batch closes: the player's lobby
// status, the lobby and its members, the party-active flag, the search state and the countdown.
// Each is compared with what was published last and published only when it differs.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "lobby/core/LobbyController.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/RecordEquality.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/platform/SteadyClock.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kV2LobbyPath[] = "/jyx-lobby/v2/lobby";
constexpr char kV2MembersPath[] = "/jyx-lobby/v2/lobby/members";
constexpr char kPartyActivePath[] = "/jyx-lobby/v2/party-active";
constexpr char kSearchStatePath[] = "/jyx-lobby/v2/lobby/matchmaking/search-state";

constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
// A lifetime may come from a sibling; beyond this (about 31 years) the products in nanoseconds
// would no longer fit.
constexpr std::int64_t kMaxCountdownSeconds = 1000000000;

// Lists in a fixed order, so that a reordering alone is no change.
void SortForComparison(Api::LobbyDto& lobby) {
  std::stable_sort(lobby.members.begin(), lobby.members.end(),
                   [](const Api::LobbyParticipantDto& a, const Api::LobbyParticipantDto& b) {
                     return std::tie(a.summonerId, a.botId) < std::tie(b.summonerId, b.botId);
                   });
  std::stable_sort(lobby.invitations.begin(), lobby.invitations.end(),
                   [](const Api::LobbyInvitationDto& a, const Api::LobbyInvitationDto& b) {
                     return std::tie(a.toSummonerId, a.timestamp, a.invitationId, a.state) <
                            std::tie(b.toSummonerId, b.timestamp, b.invitationId, b.state);
                   });
}

// `now` + `offset`, held at the ends of the range instead of wrapping.
std::int64_t SaturatingAdd(std::int64_t now, std::int64_t offset) {
  std::int64_t sum = 0;
  if (!__builtin_add_overflow(now, offset, &sum)) return sum;
  return offset > 0 ? INT64_MAX : INT64_MIN;
}

}  // namespace

void LobbyPlugin::UpdateLobbyViewModel() {
  UpdatePlayerLobbyStatus();
  PublishReceivedInvitations();
  if (IsInLobby() && activeBackend_ != nullptr) {
    MaybeType<Failure, Api::LobbyDto> lobby = activeBackend_->GetLobby();
    if (lobby.IsFailure()) {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to update lobby view model: %s",
                lobby.Message());
      return;
    }
    if (PublishLobbyAndMembers(std::move(lobby).Value())) SendGameflowGameConfiguration();
  } else {
    PublishLobbyAndMembers(std::nullopt);
  }
  // Looked up at each use: the calls above may wait, and a shutdown meanwhile deletes it.
  if (partiesBackend_ == nullptr) return;
  partiesBackend_->SchedulePresenceUpdate();
  if (partiesBackend_ == nullptr) return;
  const bool active = partiesBackend_->HasQueue();
  if (active == partyActive_) return;
  partyActive_ = active;
  SendJsonApiEvent(kResourceUpdate, kPartyActivePath, active);
}

bool LobbyPlugin::PublishLobbyAndMembers(std::optional<Api::LobbyDto> lobby) {
  if (!lobby.has_value()) {
    if (!publishedLobby_.has_value()) return false;
    publishedLobby_.reset();
    PublishResourceEvent(kV2LobbyPath);
    return true;
  }
  SortForComparison(*lobby);
  if (publishedLobby_.has_value() && RecordsEqual(*publishedLobby_, *lobby)) return false;
  PublishAvailability(*lobby);
  const bool created = !publishedLobby_.has_value();
  const bool membersChanged = created || !RecordsEqual(publishedLobby_->members, lobby->members);
  publishedLobby_ = *lobby;
  // Published from the local copy: a host that calls back in may replace the stored one.
  const std::uint32_t kind = created ? kResourceCreate : kResourceUpdate;
  SendJsonApiEvent(kind, kV2LobbyPath, *lobby);
  if (membersChanged) SendJsonApiEvent(kind, kV2MembersPath, lobby->members);
  return true;
}

void LobbyPlugin::UpdatePlayerLobbyStatus() {
  std::optional<Api::LobbyStatus> status;
  if (activeBackend_ != nullptr) status = activeBackend_->GetLobbyStatus();
  if (status.has_value()) {
    if (cachedLobbyStatus_.has_value() && RecordsEqual(*cachedLobbyStatus_, *status)) return;
    cachedLobbyStatus_ = status;
    playerStatus_.currentLobbyStatus = std::move(status);
  } else {
    if (!cachedLobbyStatus_.has_value()) return;
    cachedLobbyStatus_.reset();
    playerStatus_.currentLobbyStatus.reset();
  }
  if (activeBackend_ != nullptr) {
    playerStatus_.canInviteOthersAtEog = activeBackend_->GetAvailabilityFlag();
  }
  SetGameflowPlayerStatus();
}

void LobbyPlugin::PublishSearchState(const Api::MatchmakingSearchResource& resource) {
  if (RecordsEqual(publishedSearchState_, resource)) return;
  publishedSearchState_ = resource;
  SendJsonApiEvent(kResourceUpdate, kSearchStatePath, resource);
}

void LobbyPlugin::UpdateLobbyCountdown() {
  if (!IsInLobby()) return;
  const std::int64_t now = Platform::SteadyClockNow();
  const std::shared_ptr<LobbyController> controller =
      GetLobbyController(lobby_.isCustom, lobby_.queueId);
  // Only before the controllers exist; there is no lifetime to count down yet.
  if (controller == nullptr) return;
  const std::int64_t lifetime =
      std::clamp<std::int64_t>(controller->LobbyLifetime(), 0, kMaxCountdownSeconds);
  const std::int64_t warning =
      std::clamp<std::int64_t>(controller->WarningPeriod(), 0, kMaxCountdownSeconds);
  countdownDisplayTime_ = SaturatingAdd(now, (lifetime - warning) * kNanosecondsPerSecond);
  countdownDeadline_ = SaturatingAdd(now, lifetime * kNanosecondsPerSecond);
  // Starting the timer comes back here, and publishes from inside; both publications stay.
  if (!countdownTimerRunning_) StartCountdownTimer();
  if (!countdownTimerRunning_) return;
  PublishV1Countdown(lifetime);
  PublishV2Countdown(lifetime, true);
}

}  // namespace Zarn::Client::Lobby
