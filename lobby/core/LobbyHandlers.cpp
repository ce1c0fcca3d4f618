// The REST handlers of the lobby whose building is still ahead.
#include "lobby/core/LobbyPlugin.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

HttpResponse LobbyPlugin::JoinClashParty(const std::string& /*token*/) {
  ZARN_NOT_BUILT("JoinClashParty", HttpResponse);
}

HttpResponse LobbyPlugin::LeaveClashParty() { ZARN_NOT_BUILT("LeaveClashParty", HttpResponse); }

HttpResponse LobbyPlugin::HandleJoinTournament(const std::string& /*id*/) {
  ZARN_NOT_BUILT("HandleJoinTournament", HttpResponse);
}

std::int64_t LobbyPlugin::HandleGetV1Countdown() {
  ZARN_NOT_BUILT("HandleGetV1Countdown", std::int64_t);
}

HttpResult<std::vector<Api::LobbyInvitationDto>> LobbyPlugin::HandlePostEogInvitations(
    const std::vector<Api::LobbyInvitationDto>& /*invitations*/) {
  ZARN_NOT_BUILT("HandlePostEogInvitations", HttpResult<std::vector<Api::LobbyInvitationDto>>);
}

HttpResult<std::vector<Api::ReceivedInvitationDto>> LobbyPlugin::HandleGetReceivedInvitations() {
  ZARN_NOT_BUILT("HandleGetReceivedInvitations",
                 HttpResult<std::vector<Api::ReceivedInvitationDto>>);
}

HttpResponse LobbyPlugin::HandleAcceptReceivedInvitation(const std::string& /*invitationId*/) {
  ZARN_NOT_BUILT("HandleAcceptReceivedInvitation", HttpResponse);
}

HttpResponse LobbyPlugin::HandleDeclineReceivedInvitation(const std::string& /*invitationId*/) {
  ZARN_NOT_BUILT("HandleDeclineReceivedInvitation", HttpResponse);
}

BindingHttpResult LobbyPlugin::HandleStartSearch() {
  ZARN_NOT_BUILT("HandleStartSearch", BindingHttpResult);
}

BindingHttpResult LobbyPlugin::HandleCancelSearch() {
  ZARN_NOT_BUILT("HandleCancelSearch", BindingHttpResult);
}

HttpResult<Api::MatchmakingSearchResource> LobbyPlugin::HandleGetSearchState() {
  ZARN_NOT_BUILT("HandleGetSearchState", HttpResult<Api::MatchmakingSearchResource>);
}

HttpResponse LobbyPlugin::HandlePlayAgain() { ZARN_NOT_BUILT("HandlePlayAgain", HttpResponse); }

HttpResponse LobbyPlugin::HandlePlayAgainDecline() {
  ZARN_NOT_BUILT("HandlePlayAgainDecline", HttpResponse);
}

bool LobbyPlugin::HandleGetPartyActive() { ZARN_NOT_BUILT("HandleGetPartyActive", bool); }

void BuildLobbyMembers(std::vector<Api::LobbyMember>& /*members*/,
                       std::vector<Api::LobbyMember>& /*players*/,
                       const std::vector<LCDS::PlayerParticipant>& /*participants*/,
                       std::uint64_t /*ownerId*/, const std::vector<std::uint64_t>& /*inviterIds*/,
                       bool /*spectators*/,
                       const std::map<std::string, std::int32_t>& /*championAliases*/) {
  ZARN_NOT_BUILT("BuildLobbyMembers", void);
}

std::int32_t ResolveBotChampionId(const std::string& /*internalName*/,
                                  const std::map<std::string, std::int32_t>& /*championAliases*/) {
  ZARN_NOT_BUILT("ResolveBotChampionId", std::int32_t);
}

}  // namespace Zarn::Client::Lobby
