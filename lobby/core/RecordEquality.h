// Field-by-field equality of the records whose copies the lobby keeps and compares before it acts
// on a change. Records have no operator== of their own: which fields count is decided here.
#pragma once

#include <vector>

#include "lobby/model/QueueRecords.h"

namespace Zarn::Client::Lobby {

// Every field, optional members by presence and then value.
[[nodiscard]] bool RecordsEqual(const Api::QueueReward& a, const Api::QueueReward& b);
[[nodiscard]] bool RecordsEqual(const Api::QueueGameTypeConfig& a,
                                const Api::QueueGameTypeConfig& b);
// Every field, the game type configuration and the rewards included.
[[nodiscard]] bool RecordsEqual(const Api::Queue& a, const Api::Queue& b);
// Same length and every element equal, in order.
[[nodiscard]] bool RecordsEqual(const std::vector<Api::Queue>& a, const std::vector<Api::Queue>& b);

}  // namespace Zarn::Client::Lobby
