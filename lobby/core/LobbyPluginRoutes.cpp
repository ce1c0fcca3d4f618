// The lobby's REST routes, in the order the front end's API description lists them.
#include <functional>
#include <type_traits>
#include <utility>

#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/PartiesBackend.h"
#include "lobby/model/ApiTypeRegistrars.h"
#include "lobby/model/LobbyTypeContext.h"
#include "sdk/api/ApiBinder.h"

namespace Zarn::Client::Lobby {

namespace {

// A handler that calls `member` on the plugin.
template <typename R, typename... Args>
std::function<R(Args...)> OnPlugin(LobbyPlugin* plugin, R (LobbyPlugin::*member)(Args...)) {
  return [plugin, member](Args... args) -> R {
    return (plugin->*member)(std::forward<Args>(args)...);
  };
}

// What a parties route answers once shutdown has deleted the backend: an error where the result
// can carry one.
template <typename R>
R PartiesStopped() {
  if constexpr (std::is_constructible_v<R, HttpResponse>) {
    return R(MakeErrorResponse(500, "Parties backend stopped"));
  } else {
    return R{};
  }
}

// A handler that calls `member` on the parties backend, looked up at each call: shutdown deletes
// the backend while the routes stay registered.
template <typename R, typename... Args>
std::function<R(Args...)> OnParties(LobbyPlugin* plugin, R (PartiesBackend::*member)(Args...)) {
  return [plugin, member](Args... args) -> R {
    PartiesBackend* parties = plugin->GetPartiesBackend();
    if (parties == nullptr) return PartiesStopped<R>();
    return (parties->*member)(std::forward<Args>(args)...);
  };
}

// The override route of one of the parties backend's flags.
std::function<void(bool)> OverrideOf(LobbyPlugin* plugin,
                                     WatchedConfigValue<bool>& (PartiesBackend::*flag)()) {
  return [plugin, flag](bool value) {
    PartiesBackend* parties = plugin->GetPartiesBackend();
    if (parties != nullptr) parties->SetOverrideFlag((parties->*flag)(), value);
  };
}

}  // namespace

ApiRegistrar LobbyPlugin::RouteRegistrar() {
  return ApiRegistrar{&GetRegistry(), HelpCategories()};
}

void LobbyPlugin::RegisterEndpoints() {
  // Each registrar with a context of its own, in this order; the legacy records also enter their
  // legacy classes in the module's class tables.
  for (void (*registrar)(LobbyTypeContext&) :
       {&RegisterApiTypes, &RegisterV2ApiTypes, &RegisterPartiesTypes, &RegisterLcdsTypes,
        &RegisterServiceProxyTypes}) {
    LobbyTypeContext context{&GetRegistry(), CamelCaseName(),   HelpCategories(),
                             nullptr,        &lcdsClassByType_, &lcdsClassByTypeId_};
    registrar(context);
  }

  // A registration that fails leaves the others to go ahead: nothing here looks at the builders.
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/lobby/availability",
                 OnPlugin(this, &LobbyPlugin::HandleGetAvailability));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/lobby/invitations",
                 OnPlugin(this, &LobbyPlugin::HandleGetV1Invitations));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/lobby/invitations/{id}",
                 OnPlugin(this, &LobbyPlugin::HandleGetV1Invitation))
      .AddPathArgument("id", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/lobby/invitations",
                  OnPlugin(this, &LobbyPlugin::HandlePostV1Invitations))
      .AddBodyArgument("invitation", "", nullptr);
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/party-rewards",
                 OnPlugin(this, &LobbyPlugin::HandleGetPartyRewards));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/lobby/custom/switch-teams",
                  OnPlugin(this, &LobbyPlugin::SwitchCustomTeams))
      .AddQueryArgument("team", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/lobby/custom/start-champ-select",
                  OnPlugin(this, &LobbyPlugin::HandleStartChampSelect));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/lobby/custom/cancel-champ-select",
                  OnPlugin(this, &LobbyPlugin::HandleCancelChampSelect));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/custom-games",
                 OnPlugin(this, &LobbyPlugin::GetCustomGames));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/custom-games/{id}",
                 OnPlugin(this, &LobbyPlugin::GetCustomGame))
      .AddPathArgument("id", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/custom-games/refresh",
                  OnPlugin(this, &LobbyPlugin::RefreshCustomGames));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/custom-games/{id}/join",
                  OnPlugin(this, &LobbyPlugin::JoinCustomGame))
      .AddPathArgument("id", "", nullptr)
      .AddBodyArgument("parameters", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/clash",
                  OnPlugin(this, &LobbyPlugin::JoinClashParty))
      .AddBodyArgument("token", "", nullptr);
  ApiBinder::Delete(RouteRegistrar(), "/jyx-lobby/v1/clash",
                    OnPlugin(this, &LobbyPlugin::LeaveClashParty));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/tournaments/{id}/join",
                  OnPlugin(this, &LobbyPlugin::HandleJoinTournament))
      .AddPathArgument("id", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/lobby/custom/bots",
                  OnPlugin(this, &LobbyPlugin::AddCustomBot))
      .AddBodyArgument("parameters", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v1/lobby/custom/bots/{summonerInternalName}",
                  OnPlugin(this, &LobbyPlugin::HandlePostCustomBot))
      .AddPathArgument("summonerInternalName", "", nullptr)
      .AddBodyArgument("parameters", "", nullptr);
  ApiBinder::Delete(RouteRegistrar(), "/jyx-lobby/v1/lobby/custom/bots/{summonerInternalName}",
                    OnPlugin(this, &LobbyPlugin::RemoveCustomBot))
      .AddPathArgument("summonerInternalName", "", nullptr);
  // The v2 path of the position preferences belongs with the v1 one: one handler serves both.
  for (const char* path : {"/jyx-lobby/v1/lobby/members/localMember/position-preferences",
                           "/jyx-lobby/v2/lobby/members/localMember/position-preferences"}) {
    ApiBinder::Put(RouteRegistrar(), path,
                   OnPlugin(this, &LobbyPlugin::HandlePutPositionPreferences))
        .AddBodyArgument("positionPreferences", "", nullptr);
  }
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/autofill-displayed",
                 OnPlugin(this, &LobbyPlugin::GetAutofillDisplayed));
  ApiBinder::Put(RouteRegistrar(), "/jyx-lobby/v1/autofill-displayed",
                 OnPlugin(this, &LobbyPlugin::SetAutofillDisplayed));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/lobby/countdown",
                 OnPlugin(this, &LobbyPlugin::HandleGetV1Countdown));

  RegisterV2Endpoints();
}

void LobbyPlugin::RegisterV2Endpoints() {
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/lobby",
                 OnPlugin(this, &LobbyPlugin::HandleGetLobby));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/lobby",
                  OnPlugin(this, &LobbyPlugin::HandlePostLobby))
      .AddBodyArgument("lobbyChange", "", nullptr);
  ApiBinder::Delete(RouteRegistrar(), "/jyx-lobby/v2/lobby",
                    OnPlugin(this, &LobbyPlugin::HandleDeleteLobby));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/lobby/members",
                 OnPlugin(this, &LobbyPlugin::HandleGetMembers));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/lobby/members/{summonerId}/promote",
                  OnPlugin(this, &LobbyPlugin::HandlePromote))
      .AddPathArgument("summonerId", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/lobby/members/{summonerId}/grant-invite",
                  OnPlugin(this, &LobbyPlugin::HandleGrantInvite))
      .AddPathArgument("summonerId", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/lobby/members/{summonerId}/revoke-invite",
                  OnPlugin(this, &LobbyPlugin::HandleRevokeInvite))
      .AddPathArgument("summonerId", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/lobby/members/{summonerId}/kick",
                  OnPlugin(this, &LobbyPlugin::HandleKick))
      .AddPathArgument("summonerId", "", nullptr);
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/lobby/invitations",
                 OnPlugin(this, &LobbyPlugin::HandleGetInvitations));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/lobby/invitations",
                  OnPlugin(this, &LobbyPlugin::HandlePostInvitations))
      .AddBodyArgument("invitations", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/eog-invitations",
                  OnPlugin(this, &LobbyPlugin::HandlePostEogInvitations))
      .AddBodyArgument("invitations", "", nullptr);
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/received-invitations",
                 OnPlugin(this, &LobbyPlugin::HandleGetReceivedInvitations));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/received-invitations/{invitationId}/accept",
                  OnPlugin(this, &LobbyPlugin::HandleAcceptReceivedInvitation))
      .AddPathArgument("invitationId", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/received-invitations/{invitationId}/decline",
                  OnPlugin(this, &LobbyPlugin::HandleDeclineReceivedInvitation))
      .AddPathArgument("invitationId", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/party/{partyId}/join",
                  OnPlugin(this, &LobbyPlugin::HandleJoinParty))
      .AddPathArgument("partyId", "", nullptr);
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/notifications",
                 OnPlugin(this, &LobbyPlugin::HandleGetNotifications));
  ApiBinder::Delete(RouteRegistrar(), "/jyx-lobby/v2/notifications/{notificationId}",
                    OnPlugin(this, &LobbyPlugin::HandleLobbyNotificationsDelete))
      .AddPathArgument("notificationId", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/notifications",
                  OnPlugin(this, &LobbyPlugin::HandlePostNotification))
      .AddBodyArgument("notification", "", nullptr);
  // The parties routes keep their v1 paths.
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/parties/health",
                 OnParties(this, &PartiesBackend::HandleGetHealth));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v1/parties/player",
                 OnParties(this, &PartiesBackend::HandleGetPlayer));
  ApiBinder::Put(RouteRegistrar(), "/jyx-lobby/v1/parties/active",
                 OnParties(this, &PartiesBackend::HandlePutActive))
      .AddBodyArgument("active", "", nullptr);
  ApiBinder::Put(RouteRegistrar(), "/jyx-lobby/v1/parties/queue",
                 OnParties(this, &PartiesBackend::HandlePutQueue))
      .AddBodyArgument("queueId", "", nullptr);
  ApiBinder::Put(RouteRegistrar(), "/jyx-lobby/v1/parties/metadata",
                 OnParties(this, &PartiesBackend::HandlePutMetadata))
      .AddBodyArgument("metadata", "", nullptr);
  ApiBinder::Put(RouteRegistrar(), "/jyx-lobby/v1/parties/ready",
                 OnParties(this, &PartiesBackend::HandlePutReady))
      .AddBodyArgument("ready", "", nullptr);
  ApiBinder::Put(RouteRegistrar(), "/jyx-lobby/v1/parties/{partyId}/members/{puuid}/role",
                 OnParties(this, &PartiesBackend::HandlePutRole))
      .AddPathArgument("partyId", "", nullptr)
      .AddPathArgument("puuid", "", nullptr)
      .AddBodyArgument("role", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/parties/overrides/Enabled",
                  OverrideOf(this, &PartiesBackend::EnabledFlag))
      .AddQueryArgument("enabled", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/parties/overrides/EnabledForTeamBuilderQueues",
                  OverrideOf(this, &PartiesBackend::TeamBuilderQueuesFlag))
      .AddQueryArgument("enabledForTeambuilderQueues", "", nullptr);
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/lobby/matchmaking/search",
                  OnPlugin(this, &LobbyPlugin::HandleStartSearch));
  ApiBinder::Delete(RouteRegistrar(), "/jyx-lobby/v2/lobby/matchmaking/search",
                    OnPlugin(this, &LobbyPlugin::HandleCancelSearch));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/lobby/matchmaking/search-state",
                 OnPlugin(this, &LobbyPlugin::HandleGetSearchState));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/play-again",
                  OnPlugin(this, &LobbyPlugin::HandlePlayAgain));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/play-again-decline",
                  OnPlugin(this, &LobbyPlugin::HandlePlayAgainDecline));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/party-active",
                 OnPlugin(this, &LobbyPlugin::HandleGetPartyActive));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/lobby/custom/bots-enabled",
                 OnPlugin(this, &LobbyPlugin::GetBotsEnabled));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/lobby/custom/available-bots",
                 OnPlugin(this, &LobbyPlugin::GetAvailableBots));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/comms/members",
                 OnParties(this, &PartiesBackend::HandleGetCommsMembers));
  ApiBinder::Post(RouteRegistrar(), "/jyx-lobby/v2/lobby/eligibility/premade",
                  OnPlugin(this, &LobbyPlugin::HandlePremadeEligibility));
  ApiBinder::Get(RouteRegistrar(), "/jyx-lobby/v2/comms/token",
                 OnParties(this, &PartiesBackend::HandleGetCommsToken));
  ApiBinder::Put(RouteRegistrar(), "/jyx-lobby/v2/lobby/partyType",
                 OnPlugin(this, &LobbyPlugin::HandlePutPartyType))
      .AddBodyArgument("partyType", "", nullptr);
}

bool LobbyPlugin::GetAutofillDisplayed() { return autofillDisplayed_; }

bool LobbyPlugin::SetAutofillDisplayed() {
  autofillDisplayed_ = true;
  return autofillDisplayed_;
}

}  // namespace Zarn::Client::Lobby
