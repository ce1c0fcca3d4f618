// Position texts with a meaning of their own beside the positions of the map.
#pragma once

namespace Zarn::Client::Lobby {

inline constexpr char kPositionFill[] = "FILL";
inline constexpr char kPositionUnselected[] = "UNSELECTED";

}  // namespace Zarn::Client::Lobby
