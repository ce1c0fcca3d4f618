// The parties service's error codes after which the backend registers the player again: the
// service no longer knows the player or the party.
#pragma once

namespace Zarn::Client::Lobby {

inline constexpr char kPartiesNotFound[] = "NOT_FOUND";
inline constexpr char kPartiesPartyNotFound[] = "PARTY_NOT_FOUND";
inline constexpr char kPartiesPlayerNotFound[] = "PLAYER_NOT_FOUND";

}  // namespace Zarn::Client::Lobby
