#include "lobby/core/LobbyViewModel.h"

#include <algorithm>
#include <tuple>

#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/RecordEquality.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kV2LobbyPath[] = "/jyx-lobby/v2/lobby";
constexpr char kV2MembersPath[] = "/jyx-lobby/v2/lobby/members";
constexpr char kPartyActivePath[] = "/jyx-lobby/v2/party-active";
constexpr char kSearchStatePath[] = "/jyx-lobby/v2/lobby/matchmaking/search-state";

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

}  // namespace

bool LobbyViewModel::PublishLobbyAndMembers(std::optional<Api::LobbyDto> lobby) {
  // What is recorded as published must be what went out: a stale rebuild's view is withheld at
  // publication, past which this record would be kept.
  if (services_.FlowGate().Stops(CallGate::Act::kPublish, {kV2LobbyPath, {}})) return false;
  if (!lobby.has_value()) {
    if (!publishedLobby_.has_value()) return false;
    publishedLobby_.reset();
    services_.Runtime().PublishResourceEvent(kV2LobbyPath);
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
  services_.Runtime().SendJsonApiEvent(kind, kV2LobbyPath, *lobby);
  if (membersChanged) services_.Runtime().SendJsonApiEvent(kind, kV2MembersPath, lobby->members);
  return true;
}

void LobbyViewModel::PublishSearchState(const Api::MatchmakingSearchResource& resource) {
  searchState_ = resource;
  if (RecordsEqual(publishedSearchState_, resource)) return;
  // Published from the copy: a host that calls back in may replace the stored one.
  if (services_.Runtime().SendJsonApiEvent(kResourceUpdate, kSearchStatePath, resource)) {
    publishedSearchState_ = resource;
  }
}

void LobbyViewModel::PublishPartyActive(bool active) {
  partyActive_ = active;
  if (active == publishedPartyActive_) return;
  if (services_.Runtime().SendJsonApiEvent(kResourceUpdate, kPartyActivePath, active)) {
    publishedPartyActive_ = active;
  }
}

void LobbyViewModel::PublishAvailability(const Api::LobbyDto& lobby) {
  if (lobby.gameConfig.isCustom) return;
  const std::int32_t queueId = lobby.gameConfig.queueId;
  const Api::QueueAvailability availability = GetQueueAvailability(queueId);
  if (AvailabilityShown(availability) && queueId == services_.V1Lobby().queueId) return;
  StoreAvailability(availability);
}

void LobbyViewModel::StoreAvailability(Api::QueueAvailability availability) {
  lobbyAvailability_ = availability;
  availabilityOut_ = services_.Runtime().SendJsonApiEvent(
      kResourceUpdate, "/jyx-lobby/v1/lobby/availability", availability);
}

Api::QueueAvailability LobbyViewModel::GetQueueAvailability(std::int32_t queueId) const {
  MaybeType<Failure, Api::Queue> queue = services_.FindQueue(queueId);
  if (queue.IsFailure()) return Api::QueueAvailability::PlatformDisabled;
  return queue.Value().queueAvailability;
}

}  // namespace Zarn::Client::Lobby
