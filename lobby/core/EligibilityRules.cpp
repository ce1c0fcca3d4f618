#include "lobby/core/EligibilityRules.h"

#include <algorithm>
#include <cstddef>

#include "lobby/core/GatekeeperReasonMap.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/RecordEquality.h"
#include "sdk/base/Digest.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/platform/SteadyClock.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr std::int64_t kNanosecondsPerMillisecond = 1000000;

bool CountsEqual(const Api::ChampCounts& a, const Api::ChampCounts& b) {
  return a.championsOwned == b.championsOwned && a.championsRented == b.championsRented &&
         a.championsFreeToPlay == b.championsFreeToPlay &&
         a.championsFreeToPlayReward == b.championsFreeToPlayReward;
}

bool LeaguesEqual(const std::vector<Api::League>& a, const std::vector<Api::League>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Api::League& left, const Api::League& right) {
                      return left.queueType == right.queueType &&
                             left.leagueTier == right.leagueTier;
                    });
}

// The first eight bytes of the text's SHA-256 digest, read as a little-endian number.
std::int64_t HashOfText(const std::string& text) {
  const std::vector<std::uint8_t> digest = Sha256Digest(text);
  std::uint64_t hash = 0;
  for (std::size_t i = 0; i < 8 && i < digest.size(); ++i) {
    hash |= static_cast<std::uint64_t>(digest[i]) << (8 * i);
  }
  return static_cast<std::int64_t>(hash);
}

}  // namespace

void EligibilityRules::Start(Plugin* runtime,
                             WatchedConfigValue<std::vector<Api::Queue>>& queueList,
                             WatchedConfigValue<Api::Summoner>& summoner) {
  runtime_ = runtime;
  eligibilityHash_.SetModule(runtime);
  eligibilityHash_.SetDefault(0);
  watchedQueues_ = &queueList;
  watchedSummoner_ = &summoner;
  queueList.AddListener([this] { UpdateQueues(); });
  summoner.AddListener([this] { UpdatePremadeConfiguration(); });
  // The subscriptions made before this step may have read both already; their listeners ran
  // without these, and both updates are idempotent.
  if (queueList.IsAvailable()) UpdateQueues();
  if (summoner.IsAvailable()) UpdatePremadeConfiguration();
}

void EligibilityRules::UpdatePremadeConfiguration() {
  if (runtime_ == nullptr || watchedSummoner_ == nullptr) return;
  const Api::Summoner* summoner = watchedSummoner_->Effective();
  if (summoner != nullptr && championCounts_.Module() == nullptr && leagues_.Module() == nullptr) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
              "Premade eligibility configuration: initializing");
    // Each Watch reads the present value and may wait: the summoner may change meanwhile, and
    // this operation runs nested from the new watchers' listeners.
    const std::string id = std::to_string(summoner->summonerId);
    championCounts_.SetModule(runtime_);
    championCounts_.AddListener([this] { UpdatePremadeConfiguration(); });
    championCounts_.Watch("/jyx-champions/v1/inventories/" + id + "/champions-playable-count");
    leagues_.SetModule(runtime_);
    leagues_.SetDefault({});
    leagues_.AddListener([this] { UpdatePremadeConfiguration(); });
    leagues_.Watch("/jyx-leagues/v1/summoner-leagues/" + id);
    summoner = watchedSummoner_->Effective();
  }

  const Api::ChampCounts* counts = championCounts_.Effective();
  const std::vector<Api::League>* leagueList = leagues_.Effective();
  if (summoner == nullptr || counts == nullptr || leagueList == nullptr) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0,
              "Premade eligibility configuration: incomplete: %s%s%s",
              summoner == nullptr ? " (summoner)" : "", counts == nullptr ? " (champ counts)" : "",
              leagueList == nullptr ? " (leagues)" : "");
    return;
  }
  if (lastLevel_ == 0) {
    LogPrintf(kLogLevelAlways, kLobbyLogChannel, 0, "Premade eligibility configuration: COMPLETE");
  }
  if (summoner->summonerLevel == lastLevel_ && CountsEqual(*counts, lastCounts_) &&
      LeaguesEqual(*leagueList, lastLeagues_)) {
    return;
  }

  const BindingRegistry& registry = runtime_->GetRegistry();
  const std::string countsJson = ToJsonString(*counts, registry);
  const std::string leaguesJson = ToJsonString(*leagueList, registry);
  if (countsJson.empty() || leaguesJson.empty()) {
    // Only unregistered types fail here; a hash of a partial text would be a wrong hash.
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Premade eligibility configuration: cannot write the inputs as JSON");
    return;
  }
  lastLevel_ = summoner->summonerLevel;
  lastCounts_ = *counts;
  lastLeagues_ = *leagueList;
  const std::string text =
      "level:" + std::to_string(lastLevel_) + ",counts:" + countsJson + ",leagues:" + leaguesJson;

  const std::int64_t hash = HashOfText(text);
  const std::int64_t* current = eligibilityHash_.Effective();
  if (current == nullptr || *current != hash) eligibilityHash_.Set(hash);
}

void EligibilityRules::UpdateQueues() {
  if (watchedQueues_ == nullptr) return;
  const std::vector<Api::Queue>* list = watchedQueues_->Effective();
  if (list == nullptr || RecordsEqual(*list, queues_)) return;
  hasQueues_ = true;
  queues_ = *list;
  premadeEligibilityCache_.dirty = true;
}

Api::EligibilityRestriction EligibilityRules::MapGatekeeperReason(
    const Api::GatekeeperRestrictionDto& restriction, const std::vector<Api::Queue>& queueList,
    const Api::PartyDto& party) {
  Api::EligibilityRestriction mapped;
  const auto code = GatekeeperReasonMap.find(restriction.reason);
  if (code != GatekeeperReasonMap.end()) {
    mapped.restrictionCode = code->second;
  } else {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0, "Unable to map gatekeeper reason: %s",
              restriction.reason.c_str());
    mapped.restrictionCode = Api::EligibilityRestrictionCode::UnknownRestriction;
  }

  if (restriction.remainingMillis > 0) {
    // In milliseconds of the monotonic clock. Adding whole milliseconds keeps the largest service
    // value within range, where scaling it to nanoseconds would overflow.
    const std::int64_t now = Platform::SteadyClockNow();
    const std::uint64_t nowMillis =
        now > 0 ? static_cast<std::uint64_t>(now / kNanosecondsPerMillisecond) : 0;
    mapped.expiredTimestamp = static_cast<std::uint64_t>(restriction.remainingMillis) + nowMillis;
  }

  for (const Api::PartyMemberDto& player : party.players) {
    if (player.accountId == restriction.accountId) mapped.summonerIds.push_back(player.summonerId);
  }

  const auto queue = std::find_if(
      queueList.begin(), queueList.end(),
      [&restriction](const Api::Queue& candidate) { return candidate.id == restriction.queueId; });
  if (queue != queueList.end()) {
    BuildRestrictions(mapped.restrictionCode, *queue, mapped.restrictionArgs);
  } else {
    LogPrintf(kLogLevelWarn, kLobbyLogChannel, 0,
              "Unable to provide eligibility restriction arguments because queue details were not "
              "available: %u",
              static_cast<unsigned>(restriction.queueId));
  }
  return mapped;
}

void EligibilityRules::BuildRestrictions(Api::EligibilityRestrictionCode code,
                                         const Api::Queue& queue, KeyedMap<std::string>& args) {
  using Code = Api::EligibilityRestrictionCode;
  switch (code) {
    case Code::PlayerAvailableChampionRestriction:
      args["playerAvailableChampionRestriction"] = std::to_string(queue.championsRequiredToPlay);
      break;
    case Code::TeamMaxSizeRestriction:
      args["teamMaxSizeRestriction"] = std::to_string(queue.maximumParticipantListSize);
      break;
    case Code::PlayerMinLevelRestriction:
      args["playerMinLevelRestriction"] = std::to_string(queue.minLevel);
      break;
    default:
      break;
  }
}

MaybeType<Failure, std::vector<Api::Eligibility>> EligibilityRules::RequestPremadeEligibility(
    std::vector<std::uint64_t> summonerIds, std::uint64_t key) {
  if (watchedQueues_ == nullptr || watchedQueues_->Effective() == nullptr) {
    return Failure(500, "Premade eligibility configuration incomplete");
  }
  PremadeEligibilityCache& cache = premadeEligibilityCache_;
  if (key != 0 && key == cache.key && !cache.dirty) return cache.result;
  std::vector<std::int32_t> queueIds;
  queueIds.reserve(queues_.size());
  for (const Api::Queue& queue : queues_) queueIds.push_back(queue.id);
  MaybeType<Failure, std::vector<Api::Eligibility>> result =
      runtime_->Request<std::vector<Api::Eligibility>>(HttpMethod::Get, kEligibilityPath,
                                                       summonerIds, queueIds);
  if (result.IsFailure()) return result;
  // A queue list that changed during the wait leaves the cache dirty: this answer is for the
  // queues asked for, not the new ones.
  std::vector<std::int32_t> queueIdsNow;
  for (const Api::Queue& queue : queues_) queueIdsNow.push_back(queue.id);
  cache.result = result.Value();
  cache.key = key;
  cache.dirty = queueIdsNow != queueIds;
  return result;
}

}  // namespace Zarn::Client::Lobby
