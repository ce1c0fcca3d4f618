// The party's members as the comms resource lists them, and the party fields every parties
// telemetry record copies.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyMembers.h"
#include "lobby/core/LobbyServices.h"

namespace Zarn::Client::Lobby {

Api::PremadePartyDto PartiesLobbyBackend::BuildCommsMembers(const Api::PlayerDto& player) {
  // A copy: the lookup below waits, and the stored state may be replaced meanwhile.
  const Api::PartyDto party = player.currentParty.value_or(Api::PartyDto{});
  Api::PremadePartyDto premade;
  premade.partyId = party.partyId;
  std::vector<std::uint64_t> summonerIds;
  for (const Api::PartyMemberDto& member : party.players) {
    if (member.role != Api::PartyMemberRoleEnum::LEADER &&
        member.role != Api::PartyMemberRoleEnum::MEMBER) {
      continue;
    }
    Api::PremadeMemberDto entry;
    entry.puuid = member.puuid;
    entry.partyId = party.partyId;
    entry.summonerId = member.summonerId;
    entry.role = member.role;
    premade.players[member.puuid] = std::move(entry);
    summonerIds.push_back(member.summonerId);
  }
  if (services_ == nullptr) return premade;
  for (const Api::Summoner& summoner :
       services_->Members().LookupSummoners(std::move(summonerIds))) {
    premade.players[summoner.puuid].displayName = summoner.displayName;
  }
  return premade;
}

MaybeType<Failure, AnalyticsEventFields> PartiesLobbyBackend::MakePartyAnalyticsFields(
    std::string_view eventType) {
  if (Player().createdAt == 0 || !Player().currentParty.has_value()) {
    return Failure(500, "INVALID_PARTY");
  }
  const Api::PartyDto& party = *Player().currentParty;
  AnalyticsEventFields fields;
  fields.eventType = std::string(eventType);
  fields.eventData.MakeStructure();
  fields.eventData.Member("partyId").SetString(party.partyId);
  fields.eventData.Member("partyType").SetString(party.partyType);
  fields.eventData.Member("queueId").SetInt64(party.gameMode.queueId);
  fields.eventTimestamp = party.activityStartedUtcMillis;
  return fields;
}

}  // namespace Zarn::Client::Lobby
