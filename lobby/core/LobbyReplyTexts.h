// Texts of the lobby's own refusals, each written once here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Zarn::Client::Lobby {

// The body of the 423 reply when the gameflow plugin refuses a lobby.
inline constexpr char kGameflowPreventedLobby[] = "Gameflow prevented a lobby.";
// The reply text when no backend or controller holds the lobby a route needs.
inline constexpr char kInvalidLobby[] = "INVALID_LOBBY";
// The 404 reply text of a lobby route called outside a lobby.
inline constexpr char kLobbyNotFound[] = "LOBBY_NOT_FOUND";
// The parties backend's 400 failure text when the party's or the requested queue is not among
// the known queues; the plugin reads it back to mark the lobby's queue unavailable.
inline constexpr char kNoQueueSelected[] = "NO_QUEUE_SELECTED";
// The 409 reply text of a route called while LobbyFlow runs a transition, and of one whose call
// another call overtook (lobby/core/LobbyFlowGate.h).
inline constexpr char kTransitionInProgress[] = "LOBBY_TRANSITION_IN_PROGRESS";
inline constexpr char kRequestOvertaken[] = "LOBBY_REQUEST_OVERTAKEN";
// The 404 failure text of a summoner that is no member of the party, or that an invitation cannot
// reach.
inline constexpr char kSummonerNotFound[] = "SUMMONER_NOT_FOUND";
// An invitation's refusal when its summoner is not found, naming the summoner: by `summonerId`, or
// when that is 0 (an invitation names its summoner by id alone) by `summonerName`.
inline std::string InviteeNotFound(std::uint64_t summonerId, const std::string& summonerName) {
  const std::string who = summonerId != 0        ? "summoner " + std::to_string(summonerId)
                          : summonerName.empty() ? std::string("no summoner id")
                                                 : "\"" + summonerName + "\", no summoner id";
  return std::string(kSummonerNotFound) + " (" + who + ")";
}
// The 400 reply text of a call that would send `given` invitations, more than `cap`, naming both.
inline std::string TooManyInvitations(std::size_t given, std::size_t cap) {
  return "TOO_MANY_INVITATIONS (" + std::to_string(given) + " given, at most " +
         std::to_string(cap) + " in one call)";
}
// The legacy exception class of a full lobby, found in a failed acceptance's text.
inline constexpr char kLobbyFullException[] = "LobbyFullException";

}  // namespace Zarn::Client::Lobby
