// The parties backend's presence: an open party advertised in the player's chat presence, so that
// friends can see a party they may join. Publications are delayed and coalesced. Also the
// gatekeeper restrictions of a parties search error, shown as the matchmaking search's errors.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlowGate.h"
#include "lobby/core/LobbyGameflow.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/LobbyTimerNames.h"
#include "lobby/core/PartyTypes.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr double kDefaultPublishPresenceDelaySeconds = 3.0;
constexpr char kPresenceKey[] = "pty";
constexpr char kChatMePath[] = "/jyx-chat/v1/me";
constexpr char kMatchmakingSearchPath[] = "/jyx-matchmaking/v1/search";
constexpr char kUnknownSearchError[] = "UNKNOWN_ERROR";
constexpr double kSecondsPerMillisecond = 0.001;
// The gatekeeper reasons the matchmaking search shows as they are. "LEAVER_BUSTED" is not one:
// the low-priority data carries it.
constexpr const char* kSearchErrorReasons[] = {
    "ALREADY_IN_GAME",
    "BINGE_PREVENTION",
    "MAX_LEVEL_RESTRICTED",
    "MIN_LEVEL_RESTRICTED",
    "MINOR_RESTRICTED",
    "QUEUE_DODGER",
    "LEAVER_BUSTER_TAINTED_WARNING",
    "MIN_CHAMPIONS_RESTRICTED",
    "MIN_CHAMPIONS_RESTRICTED_NO_FREE",
    "TIER_DELTA_RESTRICTED",
    "RANKED_RESTRICTED",
    "MAX_PREMADE_SIZE_VIOLATED",
    "PLAYER_BANNED",
    "QUEUE_STATE_NOT_ON",
    "HIGH_MMR_PREMADE_SIZE_RESTRICTED",
    "PREREQUISITE_QUEUES_NOT_PLAYED",
};

bool PhaseAllowsPresence(const std::optional<Api::GameflowSession>& session) {
  if (!session.has_value()) return false;
  switch (session->phase) {
    case Api::GameflowPhase::Lobby:
    case Api::GameflowPhase::Matchmaking:
    case Api::GameflowPhase::ReadyCheck:
    case Api::GameflowPhase::ChampSelect:
    case Api::GameflowPhase::EndOfGame:
      return true;
    default:
      return false;
  }
}

bool SamePresence(const Api::PartyPresenceData& a, const Api::PartyPresenceData& b) {
  return a.partyId == b.partyId && a.queueId == b.queueId && a.summoners == b.summoners;
}

}  // namespace

PartiesLobbyBackend::PartiesLobbyBackend() {
  openPartyFlag_.SetDefault(false);
  publishPresenceDelay_.SetDefault(kDefaultPublishPresenceDelaySeconds);
}

void PartiesLobbyBackend::SchedulePresenceUpdate() {
  if (presencePending_ || services_ == nullptr) return;
  presencePending_ = true;
  const double* delay = publishPresenceDelay_.Effective();
  services_->Runtime().SetTimer(
      kPartiesPresence, delay != nullptr ? *delay : kDefaultPublishPresenceDelaySeconds, [this] {
        // The timer serves one publication; the next change arms it again.
        if (services_ != nullptr) services_->Runtime().CancelTimer(kPartiesPresence);
        presencePending_ = false;
        PublishPartyPresence();
      });
}

void PartiesLobbyBackend::PublishPartyPresence() {
  if (services_ == nullptr || services_->LocalSummonerId() == 0) return;
  std::optional<Api::PartyPresenceData> presence;
  if (PhaseAllowsPresence(services_->Gameflow().StoredGameflowSession()) &&
      openPartyFlag_.IsTrue() && Player().currentParty.has_value()) {
    const Api::PartyDto& party = *Player().currentParty;
    std::vector<std::uint64_t> summoners;
    for (const Api::PartyMemberDto& member : party.players) {
      if (member.role == Api::PartyMemberRoleEnum::LEADER ||
          member.role == Api::PartyMemberRoleEnum::MEMBER) {
        summoners.push_back(member.summonerId);
      }
    }
    MaybeType<Failure, Api::Queue> queue = services_->FindQueue(party.gameMode.queueId);
    if (queue.HasValue()) {
      const std::int64_t limit = std::min<std::int64_t>(party.gameMode.maxPartySize,
                                                        queue.Value().maximumParticipantListSize);
      if (party.partyType == kPartyTypeOpen && !party.activityLocked &&
          static_cast<std::int64_t>(summoners.size()) < limit) {
        presence =
            Api::PartyPresenceData{party.partyId, party.gameMode.queueId, std::move(summoners)};
      }
    }
  }
  if (!presence.has_value() && !lastPublishedPresence_.has_value()) return;
  if (presence.has_value() && lastPublishedPresence_.has_value() &&
      SamePresence(*presence, *lastPublishedPresence_)) {
    return;
  }
  Api::UserResource user;
  user.summonerId = services_->LocalSummonerId();
  std::string text;
  if (presence.has_value() && services_->Runtime().Registry() != nullptr) {
    // Empty when the presence does not convert: the entry is cleared rather than left stale.
    text = ToJsonString(*presence, *services_->Runtime().Registry());
  }
  user.jyx[kPresenceKey] = std::move(text);
  // A presence the gate stops is not sent, and the next update sends it.
  if (services_->FlowGate().Stops(CallGate::Act::kSend, {"PUT", kChatMePath})) return;
  // Stored before the request, which may wait: a call meanwhile compares with this one.
  lastPublishedPresence_ = std::move(presence);
  static_cast<void>(services_->Runtime().Request<void>(HttpMethod::Put, kChatMePath, user));
}

void PartiesLobbyBackend::MapGatekeeperReason(
    const std::vector<Api::GatekeeperRestrictionDto>& restrictions) {
  if (restrictions.empty()) return;
  if (searchErrorReasons_.empty()) {
    searchErrorReasons_.insert(std::begin(kSearchErrorReasons), std::end(kSearchErrorReasons));
  }
  Api::MatchmakingSearchResource search;
  for (const Api::GatekeeperRestrictionDto& restriction : restrictions) {
    Api::LobbyMatchmakingSearchErrorResource error;
    error.id = -1;
    if (Player().currentParty.has_value()) {
      for (const Api::PartyMemberDto& member : Player().currentParty->players) {
        if (member.accountId == restriction.accountId) {
          error.penalizedSummonerId = member.summonerId;
          break;
        }
      }
    }
    error.penaltyTimeRemaining =
        static_cast<double>(restriction.remainingMillis) * kSecondsPerMillisecond;
    if (searchErrorReasons_.contains(restriction.reason)) {
      error.errorType = restriction.reason;
      error.message = restriction.reason;
    } else {
      LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
                "Received unhandled queue restriction reason: %s", restriction.reason.c_str());
      error.errorType = kUnknownSearchError;
    }
    search.searchState = Api::LobbyMatchmakingSearchState::Error;
    search.errors.push_back(std::move(error));
  }
  if (services_ == nullptr) return;
  MaybeType<Failure, void> sent =
      services_->Runtime().Request<void>(HttpMethod::Put, kMatchmakingSearchPath, search);
  if (sent.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Failed update search after parties search error notification: %s", sent.Message());
  }
}

}  // namespace Zarn::Client::Lobby
