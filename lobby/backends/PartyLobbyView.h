// The lobby view of a party: its members and invitations, its game configuration, its
// restrictions and whether it may start. Every function reads only its arguments, like the views
// of the legacy lobby (lobby/core/LobbyViews.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"

namespace Zarn::Client::Lobby {

// A leader or a member: those the lobby shows as its members.
[[nodiscard]] bool IsPartyMemberRole(Api::PartyMemberRoleEnum role);
// Every role but NONE: those the lobby lists as invitations.
[[nodiscard]] bool IsListedPartyRole(Api::PartyMemberRoleEnum role);

// What the view is made of besides the party; each is a copy or outlives the call.
struct PartyViewContext {
  // The party's queue as the queue list knows it.
  Api::Queue queue;
  // The summoners of the listed players, as the summoner plugin answered; others are shown
  // without names.
  std::vector<Api::Summoner> summoners;
  std::uint64_t localSummonerId = 0;
  // The autofill entries; null when none are known.
  const Api::AutoFillDto* autofill = nullptr;
  // The queue list the restrictions are named with.
  std::vector<Api::Queue> queues;
  // Whether open parties are on, so that the view shows the party's type.
  bool showPartyType = false;
};

// The lobby view of `party`.
[[nodiscard]] Api::LobbyDto MakePartyLobbyView(const Api::PartyDto& party,
                                               const PartyViewContext& context);

// The steps of MakePartyLobbyView, each on the view made so far.
//
// One invitation per player, and one participant per member, the local one also as the local
// member; the members' party records are appended to `members`.
void AddPartyPlayers(Api::LobbyDto& lobby, std::vector<Api::PartyMemberDto>& members,
                     const Api::PartyDto& party, const PartyViewContext& context);
// The game configuration of `queue` for a party of `memberCount` members.
[[nodiscard]] Api::LobbyGameConfigDto MakePartyGameConfig(const Api::Queue& queue,
                                                          std::int32_t queueId,
                                                          std::size_t memberCount);
// The party's restrictions, one entry per code, and whether every member is ready and the
// party's size allowed; a party of the wrong size in the team-size restricted queue is told so.
void ApplyPartyRestrictions(Api::LobbyDto& lobby, const std::vector<Api::PartyMemberDto>& members,
                            const Api::PartyDto& party, const std::vector<Api::Queue>& queues);
// Withdraws the start from everyone while the members' positions do not cover the team.
void ApplyPositionCoverage(Api::LobbyDto& lobby, const std::vector<Api::PartyMemberDto>& members,
                           bool showPositions);

}  // namespace Zarn::Client::Lobby
