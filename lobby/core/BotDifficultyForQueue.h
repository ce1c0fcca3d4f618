// The bot difficulty that the legacy co-op queues play against.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn::Client::Lobby {

// The difficulty name ("INTRO", "EASY", "MEDIUM" or "HARD") of the bots of `queueId`; a failure
// with code 0 for a queue without bots.
[[nodiscard]] MaybeType<Failure, std::string> BotDifficultyForQueue(std::int32_t queueId);

}  // namespace Zarn::Client::Lobby
