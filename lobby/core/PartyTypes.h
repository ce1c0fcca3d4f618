// The types of a party as the parties service names them.
#pragma once

namespace Zarn::Client::Lobby {

inline constexpr char kPartyTypeClash[] = "clash";
inline constexpr char kPartyTypeOpen[] = "open";
inline constexpr char kPartyTypeClosed[] = "closed";

}  // namespace Zarn::Client::Lobby
