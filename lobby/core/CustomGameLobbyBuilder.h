// Fills a version 1 lobby and its members from the legacy platform's record of a custom game,
// and makes a practice-tool game's configuration private.
#pragma once

#include <cstdint>
#include <functional>

#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/QueueRecords.h"

namespace Zarn::Client::Lobby {

// Sets the custom game part of `lobby` (made first when absent) and the lobby's own queue, map,
// mode, size, chat room and custom flag from `game`, with `gameTypeConfig` as the game type
// configuration that `game`'s mutators are applied to. `practiceToolPlayerCount` becomes the
// human player limit of a practice tool game. Teams, spectators and members are left alone.
void BuildCustomGameLobbyFromGameDto(Api::Lobby& lobby, const LCDS::GameDTO& game,
                                     const Api::QueueGameTypeConfig& gameTypeConfig,
                                     std::uint32_t practiceToolPlayerCount);

// Draws unsigned 32-bit numbers; replaceable, so that a test can fix what it draws.
using RandomSource = std::function<std::uint32_t()>;
// Numbers from the system's non-deterministic random device.
[[nodiscard]] RandomSource SystemRandomSource();

// A random numeric password from `random` and no spectators: a practice-tool game is nobody
// else's to join or watch.
void MakePracticeToolGamePrivate(LCDS::PracticeGameConfig& config, const RandomSource& random);

}  // namespace Zarn::Client::Lobby
