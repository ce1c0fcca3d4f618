#include "lobby/core/BotDifficultyForQueue.h"

#include <algorithm>
#include <span>

namespace Zarn::Client::Lobby {

namespace {

constexpr std::int32_t kIntroQueues[] = {31, 34};
constexpr std::int32_t kEasyQueues[] = {13, 23, 24, 25, 32, 35, 50, 51, 52, 67};
constexpr std::int32_t kMediumQueues[] = {33, 36, 83, 84};
constexpr std::int32_t kHardQueues[] = {90, 91, 92, 93, 94, 95};

struct QueueSet {
  std::span<const std::int32_t> queueIds;
  const char* difficulty;
};

// Tried in this order; the first set holding the queue names its difficulty.
constexpr QueueSet kQueueSets[] = {
    {kIntroQueues, "INTRO"},
    {kEasyQueues, "EASY"},
    {kMediumQueues, "MEDIUM"},
    {kHardQueues, "HARD"},
};

}  // namespace

MaybeType<Failure, std::string> BotDifficultyForQueue(std::int32_t queueId) {
  for (const QueueSet& set : kQueueSets) {
    if (std::find(set.queueIds.begin(), set.queueIds.end(), queueId) != set.queueIds.end()) {
      return std::string(set.difficulty);
    }
  }
  return Failure(0, "No bot difficulty for given queue");
}

}  // namespace Zarn::Client::Lobby
