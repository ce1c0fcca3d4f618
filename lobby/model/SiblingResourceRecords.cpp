#include "lobby/model/SiblingResourceRecords.h"

#include "lobby/model/RecordRegistration.h"

namespace Zarn::Client::Lobby {

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LoginSessionStates>) {
  using enum Api::LoginSessionStates;
  RegisterEnum<Api::LoginSessionStates>(context, "LoginSessionStates",
                                        {{"IN_PROGRESS", IN_PROGRESS},
                                         {"ERROR", ERROR},
                                         {"SUCCEEDED", SUCCEEDED},
                                         {"LOGGING_OUT", LOGGING_OUT}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::LoginSession>) {
  using R = Api::LoginSession;
  RegisterRecord<R>(context, "LoginSession", Field("state", &R::state),
                    Field("username", &R::username), Field("userAuthToken", &R::userAuthToken),
                    Field("gasToken", &R::gasToken), Field("accountId", &R::accountId),
                    Field("summonerId", &R::summonerId), Field("idToken", &R::idToken),
                    Field("puuid", &R::puuid), Field("isNewPlayer", &R::isNewPlayer),
                    Field("connected", &R::connected));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::GameflowPhase>) {
  using enum Api::GameflowPhase;
  RegisterEnum<Api::GameflowPhase>(context, "GameflowPhase",
                                   {{"None", None},
                                    {"Lobby", Lobby},
                                    {"Matchmaking", Matchmaking},
                                    {"CheckedIntoTournament", CheckedIntoTournament},
                                    {"ReadyCheck", ReadyCheck},
                                    {"ChampSelect", ChampSelect},
                                    {"GameStart", GameStart},
                                    {"FailedToLaunch", FailedToLaunch},
                                    {"InProgress", InProgress},
                                    {"Reconnect", Reconnect},
                                    {"WaitingForStats", WaitingForStats},
                                    {"PreEndOfGame", PreEndOfGame},
                                    {"EndOfGame", EndOfGame},
                                    {"TerminatedInError", TerminatedInError}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::MatchmakingDodgeState>) {
  using enum Api::MatchmakingDodgeState;
  RegisterEnum<Api::MatchmakingDodgeState>(
      context, "MatchmakingDodgeState",
      {{"Invalid", Invalid}, {"PartyDodged", PartyDodged}, {"StrangerDodged", StrangerDodged}});
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::GameflowGameClient>) {
  using R = Api::GameflowGameClient;
  RegisterRecord<R>(context, "GameflowGameClient", Field("running", &R::running));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::GameflowGameDodge>) {
  using R = Api::GameflowGameDodge;
  RegisterRecord<R>(context, "GameflowGameDodge", Field("state", &R::state),
                    Field("dodgeIds", &R::dodgeIds), Field("phase", &R::phase));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::GameflowSession>) {
  using R = Api::GameflowSession;
  RegisterRecord<R>(context, "GameflowSession", Field("phase", &R::phase),
                    Field("gameClient", &R::gameClient), Field("gameDodge", &R::gameDodge));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::CollectionsChampion>) {
  using R = Api::CollectionsChampion;
  RegisterRecord<R>(context, "CollectionsChampion", Field("active", &R::active),
                    Field("botEnabled", &R::botEnabled), Field("id", &R::id),
                    Field("name", &R::name));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::Summoner>) {
  using R = Api::Summoner;
  RegisterRecord<R>(context, "Summoner", Field("summonerId", &R::summonerId),
                    Field("summonerLevel", &R::summonerLevel), Field("accountId", &R::accountId),
                    Field("puuid", &R::puuid), Field("profileIconId", &R::profileIconId),
                    Field("displayName", &R::displayName), Field("internalName", &R::internalName),
                    Field("lastSeasonHighestRank", &R::lastSeasonHighestRank));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::GameDataChampionSummary>) {
  using R = Api::GameDataChampionSummary;
  RegisterRecord<R>(context, "GameDataChampionSummary", Field("id", &R::id),
                    Field("alias", &R::alias));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::TeamBuilderCountdownTimer>) {
  using R = Api::TeamBuilderCountdownTimer;
  RegisterRecord<R>(context, "TeamBuilderCountdownTimer", Field("phaseName", &R::phaseName),
                    Field("timer", &R::timer), Field("counter", &R::counter));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::ChatBlockedPlayerResource>) {
  using R = Api::ChatBlockedPlayerResource;
  RegisterRecord<R>(context, "ChatBlockedPlayerResource", Field("id", &R::id),
                    Field("name", &R::name));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::AutoFillQueueDto>) {
  using R = Api::AutoFillQueueDto;
  RegisterRecord<R>(context, "AutoFillQueueDto", Field("queueId", &R::queueId),
                    Field("autoFillEligible", &R::autoFillEligible),
                    Field("autoFillProtectedForStreaking", &R::autoFillProtectedForStreaking),
                    Field("autoFillProtectedForPromos", &R::autoFillProtectedForPromos));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::AutoFillDto>) {
  using R = Api::AutoFillDto;
  RegisterRecord<R>(context, "AutoFillDto", Field("autoFillQueues", &R::autoFillQueues));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::ChampCounts>) {
  using R = Api::ChampCounts;
  RegisterRecord<R>(context, "ChampCounts", Field("championsOwned", &R::championsOwned),
                    Field("championsRented", &R::championsRented),
                    Field("championsFreeToPlay", &R::championsFreeToPlay),
                    Field("championsFreeToPlayReward", &R::championsFreeToPlayReward));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::League>) {
  using R = Api::League;
  RegisterRecord<R>(context, "League", Field("queueType", &R::queueType),
                    Field("leagueTier", &R::leagueTier));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::ChatFriendCounts>) {
  using R = Api::ChatFriendCounts;
  RegisterRecord<R>(context, "ChatFriendCounts", Field("numFriends", &R::numFriends),
                    Field("numFriendsOnline", &R::numFriendsOnline),
                    Field("numFriendsAvailable", &R::numFriendsAvailable),
                    Field("numFriendsAway", &R::numFriendsAway),
                    Field("numFriendsInQueue", &R::numFriendsInQueue),
                    Field("numFriendsInChampSelect", &R::numFriendsInChampSelect),
                    Field("numFriendsInGame", &R::numFriendsInGame),
                    Field("numFriendsMobile", &R::numFriendsMobile));
}

void RegisterType(LobbyTypeContext& context, TypeTag<Api::ChatFriend>) {
  using R = Api::ChatFriend;
  RegisterRecord<R>(context, "ChatFriend", Field("summonerId", &R::summonerId),
                    Field("jyx", &R::jyx));
}

}  // namespace Zarn::Client::Lobby
