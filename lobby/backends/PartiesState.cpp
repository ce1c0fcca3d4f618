// The parties backend's stored state: how a new state is accepted or refused, what follows an
// accepted one, the two message handlers, and the members looked up in it.
#include <cstdint>
#include <string>
#include <utility>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client::Lobby {

namespace {

constexpr char kMatchmakingSearchPath[] = "/jyx-matchmaking/v1/search";

}  // namespace

MaybeType<Failure, Api::PartyMemberDto> PartiesLobbyBackend::FindCurrentMember(
    std::uint64_t summonerId) const {
  if (!player.currentParty.has_value()) return Failure(400, "CURRENT_PARTY_NOT_FOUND");
  for (const Api::PartyMemberDto& member : player.currentParty->players) {
    if (member.summonerId == summonerId) return member;
  }
  return Failure(404, "SUMMONER_NOT_FOUND");
}

Api::PartyMemberDto PartiesLobbyBackend::GetLocalMember() const {
  MaybeType<Failure, Api::PartyMemberDto> member = FindCurrentMember(player.summonerId);
  if (member.HasValue()) return std::move(member).Value();
  // A default member's role would be LEADER: a player missing from the party would pass every
  // leader check.
  Api::PartyMemberDto missing;
  missing.role = Api::PartyMemberRoleEnum::NONE;
  missing.canInvite = false;
  return missing;
}

MaybeType<Failure, void> PartiesLobbyBackend::SetReadyRequest(bool ready) {
  std::string path = "/v1/parties/" + GetCurrentPartyId() + "/members/" + player.puuid + "/ready";
  return Request("set ready", "PUT", std::move(path), ready);
}

void PartiesLobbyBackend::UpdateSearchAfterCancel() {
  if (plugin_ == nullptr) return;
  Api::MatchmakingSearchResource search;
  search.searchState = Api::LobbyMatchmakingSearchState::Canceled;
  MaybeType<Failure, void> sent =
      plugin_->Request<void>(HttpMethod::Put, kMatchmakingSearchPath, search);
  if (sent.IsFailure()) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Failed update search after cancelling parties matchmaking: %s", sent.Message());
  }
}

}  // namespace Zarn::Client::Lobby
