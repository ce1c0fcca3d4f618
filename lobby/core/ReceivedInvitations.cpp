#include "lobby/core/ReceivedInvitations.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include "lobby/core/GameMetaData.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyViews.h"
#include "lobby/core/RecordEquality.h"
#include "sdk/base/LocalTime.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/base/PathSegment.h"
#include "sdk/base/SmallString.h"
#include "sdk/binding/JsonText.h"
#include "sdk/runtime/Requests.h"
#include "sdk/runtime/TypedEvents.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kReceivedPathPrefix[] = "/jyx-lobby/v1/received-invitations/";
constexpr char kReceivedV2Path[] = "/jyx-lobby/v2/received-invitations";
constexpr char kFlashPath[] = "/zarnclient/ux-flash";

// The id is the legacy platform's, whatever it holds: one segment.
std::string ReceivedPath(const std::string& id) { return kReceivedPathPrefix + PathSegment(id); }

// The free-form meta-data of an invitation; text that is not JSON gives the empty value.
BindingProperty ParseMetaData(const std::string& text) {
  BindingResult parsed = ParseJson(text);
  if (!parsed.IsOk()) return BindingProperty();
  return parsed.Value();
}

bool SameLists(const std::vector<Api::ReceivedInvitationDto>& a,
               const std::vector<Api::ReceivedInvitationDto>& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](const Api::ReceivedInvitationDto& x, const Api::ReceivedInvitationDto& y) {
                      return RecordsEqual(x, y);
                    });
}

std::uint64_t FromSummonerId(const LCDS::InvitationRequest& request) {
  return request.inviter.summonerId != 0 ? request.inviter.summonerId : request.owner.summonerId;
}

Api::LobbyInvitationState ActiveState(bool blocked) {
  return blocked ? Api::LobbyInvitationState::Declined : Api::LobbyInvitationState::Pending;
}

}  // namespace

bool ReceivedInvitations::IsInvitationId(std::string_view id) {
  return !id.empty() && FindSegmentFault(id) == SegmentFault::kNone;
}

void ReceivedInvitations::OnReceivedInvitation(const LCDS::InvitationRequest& message) {
  // A copy: the lookups below wait, and the host may reuse the message meanwhile.
  const LCDS::InvitationRequest request = message;
  if (!IsInvitationId(request.invitationId)) {
    // Percent-encoded: the id may hold line breaks.
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Dropping received invitation \"%s\": its id is empty, only dots or holds a control "
              "character",
              PathSegment(request.invitationId).c_str());
    return;
  }
  const std::uint64_t arrival = ++messageCount_;
  const bool blocked = IsBlocked(request.inviter.summonerId);
  switch (request.invitationState) {
    case LCDS::InvitationState::ACTIVE:
      OnActive(request, arrival, blocked);
      return;
    case LCDS::InvitationState::ON_HOLD:
      OnHold(request.invitationId);
      return;
    case LCDS::InvitationState::REVOKED:
      OnRevoked(request.invitationId, arrival);
      return;
  }
  LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
            "Lobby Received Invitation: Got unrecognized state '%d'",
            static_cast<int>(request.invitationState));
}

void ReceivedInvitations::OnActive(const LCDS::InvitationRequest& request, std::uint64_t arrival,
                                   bool blocked) {
  if (RefreshListed(request, blocked)) {
    PublishReceivedInvitations();
    return;
  }
  Api::LobbyInvitation invitation;
  invitation.id = request.invitationId;
  invitation.fromSummonerId = FromSummonerId(request);
  invitation.toSummonerId = recipient_.LocalSummonerId();
  invitation.state = ActiveState(blocked);
  invitation.timestamp = FormatTimestamp();
  invitation.invitationMetaData = ParseMetaData(request.gameMetaData);
  // The lookups wait: messages for this id handled meanwhile must find it in flight.
  ++inFlight_[request.invitationId].handlers;
  invitation.eligibility = recipient_.CheckInviteEligibility(invitation.invitationMetaData);
  LookupInvitationSummoners(invitation);
  bool revoked = false;
  if (auto flight = inFlight_.find(request.invitationId); flight != inFlight_.end()) {
    revoked = flight->second.revokedAt > arrival;
    if (--flight->second.handlers <= 0) inFlight_.erase(flight);
  }
  if (revoked) return;
  // Another message for the id may have listed it meanwhile.
  if (RefreshListed(request, blocked)) {
    PublishReceivedInvitations();
    return;
  }
  // Every publication sorts and compares the whole list: the oldest makes way for a new one.
  if (legacy_.size() >= kMaxInvitations) {
    const std::string dropped = legacy_.front().id;
    legacy_.erase(legacy_.begin());
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Dropping the oldest received invitation %s: at most %u are kept", dropped.c_str(),
              static_cast<unsigned>(kMaxInvitations));
    runtime_.PublishResourceEvent(ReceivedPath(dropped));
  }
  legacy_.push_back(invitation);
  runtime_.SendJsonApiEvent(kResourceCreate, ReceivedPath(invitation.id),
                            Shown(invitation, blocked));
  PublishReceivedInvitations();
}

void ReceivedInvitations::OnHold(const std::string& id) {
  auto listed = std::find_if(legacy_.begin(), legacy_.end(),
                             [&id](const Api::LobbyInvitation& entry) { return entry.id == id; });
  if (listed == legacy_.end()) return;
  listed->state = Api::LobbyInvitationState::OnHold;
  runtime_.SendJsonApiEvent(kResourceUpdate, ReceivedPath(id), *listed);
  PublishReceivedInvitations();
}

void ReceivedInvitations::OnRevoked(const std::string& id, std::uint64_t arrival) {
  if (auto flight = inFlight_.find(id); flight != inFlight_.end()) {
    flight->second.revokedAt = arrival;
  }
  auto listed = std::find_if(legacy_.begin(), legacy_.end(),
                             [&id](const Api::LobbyInvitation& entry) { return entry.id == id; });
  if (listed == legacy_.end()) return;
  const std::string listedId = listed->id;
  legacy_.erase(listed);
  runtime_.PublishResourceEvent(ReceivedPath(listedId));
  PublishReceivedInvitations();
}

bool ReceivedInvitations::RefreshListed(const LCDS::InvitationRequest& request, bool blocked) {
  bool matched = false;
  for (Api::LobbyInvitation& invitation : legacy_) {
    if (invitation.id != request.invitationId) continue;
    matched = true;
    invitation.state = ActiveState(blocked);
    invitation.fromSummonerId = FromSummonerId(request);
    invitation.timestamp = FormatTimestamp();
    invitation.invitationMetaData = ParseMetaData(request.gameMetaData);
    runtime_.SendJsonApiEvent(kResourceUpdate, ReceivedPath(invitation.id),
                              Shown(invitation, blocked));
  }
  return matched;
}

Api::LobbyInvitation ReceivedInvitations::Shown(const Api::LobbyInvitation& invitation,
                                                bool blocked) const {
  if (!gameClientRunning_) return invitation;
  Api::LobbyInvitation shown = invitation;
  shown.state = blocked ? Api::LobbyInvitationState::Declined : Api::LobbyInvitationState::OnHold;
  return shown;
}

bool ReceivedInvitations::IsBlocked(std::uint64_t summonerId) const {
  const auto* players = blocked_.Effective();
  return players != nullptr &&
         std::any_of(players->begin(), players->end(),
                     [summonerId](const Api::ChatBlockedPlayerResource& player) {
                       return player.id == summonerId;
                     });
}

void ReceivedInvitations::PublishReceivedInvitations() {
  // The party invitations first: building them may wait, and the legacy list is read after.
  std::vector<Api::ReceivedInvitationDto> invitations = recipient_.PartyInvitations();
  std::vector<Api::ReceivedInvitationDto> legacy = MakeReceivedInvitationDtos(legacy_);
  invitations.insert(invitations.begin(), std::make_move_iterator(legacy.begin()),
                     std::make_move_iterator(legacy.end()));
  std::set<std::uint64_t> blocked;
  if (const auto* players = blocked_.Effective(); players != nullptr) {
    for (const Api::ChatBlockedPlayerResource& player : *players) blocked.insert(player.id);
  }
  invitations.erase(EraseReceivedInvitationsFrom(invitations.begin(), invitations.end(), blocked),
                    invitations.end());
  std::stable_sort(invitations.begin(), invitations.end(),
                   [](const Api::ReceivedInvitationDto& a, const Api::ReceivedInvitationDto& b) {
                     return std::tie(a.invitationId, a.timestamp, a.fromSummonerId, a.state) <
                            std::tie(b.invitationId, b.timestamp, b.fromSummonerId, b.state);
                   });
  // The routes answer from the list built last; what went out decides whether to publish.
  built_ = invitations;
  if (SameLists(invitations, sent_) && !flashOwed_) return;
  // Counted as flashed before the request waits, so that a list built meanwhile does not flash
  // again. A flash the gate stops is owed: the next list, even one already sent, flashes, unless
  // the invitation it was for is no longer new.
  flashOwed_ = false;
  if (HasNewPendingInvitation(invitations)) {
    flashOwed_ = gate_.Stops(CallGate::Act::kSend, {"POST", kFlashPath});
    if (!flashOwed_) {
      flashed_ = invitations;
      static_cast<void>(runtime_.Request<void>(HttpMethod::Post, kFlashPath));
    }
  }
  // A newer list built during the flash stands, and one that went out meanwhile is not repeated.
  if (!SameLists(invitations, built_) || SameLists(invitations, sent_)) return;
  if (!runtime_.SendJsonApiEvent(kResourceUpdate, kReceivedV2Path, invitations)) return;
  sent_ = invitations;
  if (!flashOwed_) flashed_ = std::move(invitations);
}

bool ReceivedInvitations::HasNewPendingInvitation(
    const std::vector<Api::ReceivedInvitationDto>& invitations) const {
  std::set<std::uint64_t> pendingBefore;
  for (const Api::ReceivedInvitationDto& invitation : flashed_) {
    if (invitation.state == Api::LobbyInvitationState::Pending) {
      pendingBefore.insert(invitation.fromSummonerId);
    }
  }
  return std::any_of(invitations.begin(), invitations.end(),
                     [&pendingBefore](const Api::ReceivedInvitationDto& invitation) {
                       return invitation.state == Api::LobbyInvitationState::Pending &&
                              !pendingBefore.contains(invitation.fromSummonerId);
                     });
}

void ReceivedInvitations::SetGameClientRunning(bool running) {
  if (running == gameClientRunning_) return;
  gameClientRunning_ = running;
  // Copies published; the stored invitations keep their own states.
  const std::vector<Api::LobbyInvitation> invitations = legacy_;
  for (Api::LobbyInvitation invitation : invitations) {
    if (gameClientRunning_) invitation.state = Api::LobbyInvitationState::OnHold;
    runtime_.SendJsonApiEvent(kResourceUpdate, ReceivedPath(invitation.id), invitation);
  }
}

void ReceivedInvitations::RemoveReceivedInvitationForGame(std::uint64_t gameId) {
  // An invitation that names no game is no invitation to game 0.
  if (gameId == 0) return;
  const BindingRegistry* registry = runtime_.Registry();
  auto found = std::find_if(
      legacy_.begin(), legacy_.end(), [gameId, registry](const Api::LobbyInvitation& invitation) {
        return GameMetaDataGameId(invitation.invitationMetaData, registry) == gameId;
      });
  if (found == legacy_.end()) return;
  // Kept before the erase, which moves the later entries into its place.
  const std::string id = found->id;
  legacy_.erase(found);
  runtime_.PublishResourceEvent(ReceivedPath(id));
}

void ReceivedInvitations::LookupInvitationSummoners(Api::LobbyInvitation& invitation) {
  const std::uint64_t fromId = invitation.fromSummonerId;
  const std::uint64_t toId = invitation.toSummonerId;
  MaybeType<Failure, std::vector<Api::Summoner>> summoners =
      runtime_.Request<std::vector<Api::Summoner>>(HttpMethod::Get, "/jyx-summoner/v2/summoners",
                                                   std::string(),
                                                   std::vector<std::uint64_t>{fromId, toId});
  if (summoners.IsFailure()) {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Unable to find summoners for invitation fromSummonerId: %llu toSummonerId: %llu",
              static_cast<unsigned long long>(fromId), static_cast<unsigned long long>(toId));
    return;
  }
  for (const Api::Summoner& summoner : summoners.Value()) {
    if (summoner.summonerId == fromId) {
      invitation.fromSummonerName = summoner.displayName;
    } else if (summoner.summonerId == toId) {
      invitation.toSummonerName = summoner.displayName;
    }
  }
}

std::optional<Api::LobbyInvitation> ReceivedInvitations::FindLegacy(const std::string& id) const {
  for (const Api::LobbyInvitation& invitation : legacy_) {
    if (invitation.id == id) return invitation;
  }
  return std::nullopt;
}

void ReceivedInvitations::RemoveAccepted(const std::string& id) {
  auto listed = std::find_if(legacy_.begin(), legacy_.end(),
                             [&id](const Api::LobbyInvitation& entry) { return entry.id == id; });
  if (listed == legacy_.end()) return;
  listed->state = Api::LobbyInvitationState::Accepted;
  LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Accepted game invitation %s", id.c_str());
  const Api::LobbyInvitation accepted = *listed;
  legacy_.erase(listed);
  runtime_.SendJsonApiEvent(kResourceUpdate, ReceivedPath(id), accepted);
  runtime_.PublishResourceEvent(ReceivedPath(id));
}

void ReceivedInvitations::MarkDeclined(const std::string& id) {
  auto listed = std::find_if(legacy_.begin(), legacy_.end(),
                             [&id](const Api::LobbyInvitation& entry) { return entry.id == id; });
  if (listed == legacy_.end()) return;
  listed->state = Api::LobbyInvitationState::Declined;
  runtime_.SendJsonApiEvent(kResourceUpdate, ReceivedPath(id), *listed);
}

std::optional<Api::ReceivedInvitationDto> ReceivedInvitations::FindToAnswer(
    const std::string& id, const char* verb) const {
  std::optional<Api::ReceivedInvitationDto> invitation;
  if (std::optional<std::size_t> index = FindReceivedInvitation(built_, id)) {
    invitation = built_[*index];
  } else {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Received invitation ID does not exist");
    invitation = lastReceived_;
  }
  if (invitation->invitationId == id) return invitation;
  LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
            "Unable to %s invitation to lobby: invitation not found", verb);
  return std::nullopt;
}

std::optional<std::size_t> ReceivedInvitations::FindReceivedInvitation(
    const std::vector<Api::ReceivedInvitationDto>& invitations, const std::string& invitationId) {
  for (std::size_t i = 0; i < invitations.size(); ++i) {
    if (invitations[i].invitationId == invitationId) return i;
  }
  return std::nullopt;
}

std::vector<Api::ReceivedInvitationDto>::iterator ReceivedInvitations::EraseReceivedInvitationsFrom(
    std::vector<Api::ReceivedInvitationDto>::iterator first,
    std::vector<Api::ReceivedInvitationDto>::iterator last,
    const std::set<std::uint64_t>& summonerIds) {
  return std::remove_if(first, last, [&summonerIds](const Api::ReceivedInvitationDto& invitation) {
    return summonerIds.contains(invitation.fromSummonerId);
  });
}

std::string ReceivedInvitations::FormatTimestamp() {
  SmallString text;
  FormatLocalTime("%Y-%m-%d %H:%M:%S", &text);
  return std::string(text.View());
}

}  // namespace Zarn::Client::Lobby
