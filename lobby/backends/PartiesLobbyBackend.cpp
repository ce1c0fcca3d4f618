#include "lobby/backends/PartiesLobbyBackend.h"

#include <algorithm>

#include "lobby/core/LobbyServices.h"
#include "lobby/core/PartyTypes.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr double kSecondsPerMillisecond = 0.001;

}  // namespace

Api::LobbyMatchmakingLowPriorityDataResource PartiesLobbyBackend::MakeLowPriorityData(
    const std::vector<Api::GatekeeperRestrictionDto>& restrictions, const Api::PlayerDto& player) {
  Api::LobbyMatchmakingLowPriorityDataResource data;
  for (const Api::GatekeeperRestrictionDto& restriction : restrictions) {
    if (restriction.reason == "LEAVER_BUSTED") {
      data.penaltyTime =
          std::max(data.penaltyTime,
                   static_cast<double>(restriction.remainingMillis) * kSecondsPerMillisecond);
      if (player.currentParty.has_value()) {
        const std::vector<Api::PartyMemberDto>& players = player.currentParty->players;
        const auto penalized = std::find_if(players.begin(), players.end(),
                                            [&restriction](const Api::PartyMemberDto& member) {
                                              return member.accountId == restriction.accountId;
                                            });
        if (penalized != players.end() && penalized->summonerId != 0) {
          data.penalizedSummonerIds.push_back(penalized->summonerId);
        }
      }
      data.bustedLeaverAccessToken = restriction.payload;
    } else if (restriction.reason == "QUEUE_SUBMIT_THROTTLED") {
      // The resume time is only known with a party; without one the throttle tells nothing.
      if (!player.currentParty.has_value()) continue;
      const std::uint64_t resume = player.currentParty->activityResumeUtcMillis;
      // A resume time already past is no wait, where the unsigned difference would be ages.
      std::uint64_t wait = 0;
      if (player.serverUtcMillis < 0 ||
          resume > static_cast<std::uint64_t>(player.serverUtcMillis)) {
        wait = resume - static_cast<std::uint64_t>(player.serverUtcMillis);
      }
      data.penaltyTime = static_cast<double>(wait) * kSecondsPerMillisecond;
    }
  }
  data.penaltyTimeRemaining = data.penaltyTime;
  return data;
}

bool PartiesLobbyBackend::IsEnabledForQueue(std::int32_t queueId) const {
  if (!EnabledFlag().IsTrue() || !TeamBuilderQueuesFlag().IsTrue() || services_ == nullptr)
    return false;
  MaybeType<Failure, Api::Queue> queue = services_->FindQueue(queueId);
  return queue.HasValue() && queue.Value().isTeamBuilderManaged &&
         queue.Value().queueAvailability == Api::QueueAvailability::Available;
}

bool PartiesLobbyBackend::IsClashParty() const {
  return Player().currentParty.has_value() && Player().currentParty->partyType == kPartyTypeClash;
}

bool PartiesLobbyBackend::HasQueue() const {
  return Player().currentParty.has_value() && Player().currentParty->gameMode.queueId != -1;
}

MaybeType<Failure, void> PartiesLobbyBackend::PrepareForLobbyCreation(std::int32_t queueId) {
  if (!Player().currentParty.has_value() || (!HasQueue() && !IsClashParty())) {
    return MaybeType<Failure, void>::Success();
  }
  const bool clash = IsClashParty();
  if (clash || IsEnabledForQueue(queueId)) {
    BindingHttpResult cancelled = CancelMatchmaking();
    if (!cancelled.IsOk()) {
      return Failure(cancelled.StatusPart().status, std::string(cancelled.Result().ErrorMessage()));
    }
    // The party stays for a queue that parties serve.
    if (!clash) return MaybeType<Failure, void>::Success();
  }
  return LeaveLobby();
}

}  // namespace Zarn::Client::Lobby
