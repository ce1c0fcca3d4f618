// Gameflow phases as the legacy game records name them, which the custom game controller
// compares with.
#pragma once

namespace Zarn::Client::Lobby {

inline constexpr char kPhaseTeamSelect[] = "TEAM_SELECT";
inline constexpr char kPhaseTerminated[] = "TERMINATED";

}  // namespace Zarn::Client::Lobby
