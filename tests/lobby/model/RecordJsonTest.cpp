#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/model/AnalyticsRecords.h"
#include "lobby/model/LegacyDataRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/model/LobbyTypesTesting.h"

namespace Zarn::Client::Lobby {
namespace {

class RecordJsonTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterLobbyApiTypes(registry_); }

  template <typename T>
  std::string Write(const T& record) {
    return ToJsonString(record, registry_);
  }

  // Reads `json` over `record` (a fresh one unless given); the failure's message, or "".
  template <typename T>
  std::string ReadInto(T& record, const std::string& json) {
    BindingResult parsed = ParseJson(json);
    if (!parsed.IsOk()) return std::string(parsed.ErrorMessage());
    BindingResult result;
    ReadValue(result, record, parsed.Value(), registry_);
    return std::string(result.ErrorMessage());
  }

  template <typename T>
  T Read(const std::string& json) {
    T record;
    EXPECT_EQ(ReadInto(record, json), "") << json;
    return record;
  }

  // Written, read back and written again, a record gives the same text.
  template <typename T>
  void ExpectRoundTrip(const T& record) {
    const std::string written = Write(record);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(Write(Read<T>(written)), written);
  }

  BindingRegistry registry_;
};

TEST_F(RecordJsonTest, ADefaultLobbyWritesEveryFieldInByteOrder) {
  EXPECT_EQ(
      Write(Api::Lobby{}),
      R"({"allowablePremadeSizes":[],"autoFillEligible":false,)"
      R"("autoFillProtectedForPromos":false,"autoFillProtectedForStreaking":false,)"
      R"("canStartMatchmaking":true,"chatRoomId":"","chatRoomKey":"",)"
      R"("customGameLobby":null,"gameMode":"","invitationId":"","invitations":[],)"
      R"("isCustom":false,"isTeamBuilderManaged":false,)"
      R"("localMember":{"autoFillEligible":false,"autoFillProtectedForPromos":false,)"
      R"("autoFillProtectedForSoloing":false,"autoFillProtectedForStreaking":false,)"
      R"("botChampionId":0,"botDifficulty":"NONE","canInviteOthers":false,)"
      R"("excludedPositionPreference":null,"id":0,"isBot":false,"isOwner":false,)"
      R"("isSpectator":false,)"
      R"("positionPreferences":{"firstPreference":"","secondPreference":""},)"
      R"("showPositionExcluder":false,"summonerInternalName":""},)"
      R"("mapId":0,"maximumParticipantListSize":0,"members":[],"premadeSizeAllowed":true,)"
      R"("queueAvailability":"Available","queueId":-1,"removalReason":"None",)"
      R"("requiredPositionCoverageMet":true,"showPositionExcluder":false,)"
      R"("showPositionSelector":false,"specifiablePositionPreferences":[],"wasKicked":false})");
}

TEST_F(RecordJsonTest, ALobbyViewListsItsKeysInOrderAndWritesUnknownRestrictionsAsNull) {
  Api::LobbyDto view;
  BindingProperty value;
  ASSERT_TRUE(ToBindingProperty(view, value, registry_));
  std::vector<std::string> keys;
  for (auto member = value.MembersBegin(); member != value.MembersEnd(); ++member) {
    keys.emplace_back(member.Name().View());
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"canStartActivity", "chatRoomId", "chatRoomKey",
                                            "gameConfig", "invitations", "localMember", "members",
                                            "partyId", "partyType", "restrictions"}));
  EXPECT_NE(Write(view).find(R"("restrictions":null)"), std::string::npos);
  view.restrictions.emplace();
  EXPECT_NE(Write(view).find(R"("restrictions":[])"), std::string::npos);
}

TEST_F(RecordJsonTest, UnsetOptionalsAreWrittenAsNull) {
  const struct {
    const char* label;
    std::string json;
    const char* expected;
  } rows[] = {
      {"LobbyMember", Write(Api::LobbyMember{}), R"("excludedPositionPreference":null)"},
      {"LobbyStatus", Write(Api::LobbyStatus{}), R"("lobbyId":null)"},
      {"PlayerStatus current", Write(Api::PlayerStatus{}), R"("currentLobbyStatus":null)"},
      {"PlayerStatus last", Write(Api::PlayerStatus{}), R"("lastQueuedLobbyStatus":null)"},
      {"QueueGameTypeConfig mode", Write(Api::QueueGameTypeConfig{}), R"("gameModeOverride":null)"},
      {"QueueGameTypeConfig size", Write(Api::QueueGameTypeConfig{}),
       R"("numPlayersPerTeamOverride":null)"},
      {"LobbyCustomJoinParameters", Write(Api::LobbyCustomJoinParameters{}),
       R"({"asSpectator":null,"password":null})"},
      {"analytics event data", Write(Api::JoinPartyAnalytics{}), R"("eventData":null)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    EXPECT_NE(row.json.find(row.expected), std::string::npos) << row.json;
  }
}

TEST_F(RecordJsonTest, ALobbyRoundTripsWithItsCustomGameAndInvitations) {
  Api::Lobby lobby;
  lobby.queueId = 0;
  lobby.isCustom = true;
  lobby.chatRoomId = "room";
  lobby.localMember.id = 11;
  lobby.localMember.isOwner = true;
  lobby.localMember.excludedPositionPreference = "HELPER";
  lobby.members.push_back(lobby.localMember);
  lobby.members.emplace_back();
  lobby.members[1].isBot = true;
  lobby.members[1].botDifficulty = Api::LobbyBotDifficulty::INTRO;
  lobby.invitations.emplace_back();
  lobby.invitations[0].id = "inv-1";
  lobby.invitations[0].toSummonerId = 18446744073709551615u;
  lobby.invitations[0].state = Api::LobbyInvitationState::OnHold;
  lobby.invitations[0].invitationMetaData.Member("source").SetString("chat");
  lobby.invitations[0].eligibility.restrictions.emplace_back();
  lobby.invitations[0].eligibility.restrictions[0].restrictionArgs["teamSizeRestriction"] = "5";
  lobby.invitations[0].eligibility.restrictions[0].summonerIds = {1, 2};
  lobby.customGameLobby.emplace();
  lobby.customGameLobby->lobbyName = "Friday";
  lobby.customGameLobby->configuration.gameTypeConfig.gameModeOverride = "BATTLE";
  lobby.customGameLobby->teamTwo.push_back(lobby.members[1]);
  lobby.removalReason = Api::LobbyRemovedFromGameReason::ServiceShutdown;
  ExpectRoundTrip(lobby);

  const Api::Lobby read = Read<Api::Lobby>(Write(lobby));
  ASSERT_TRUE(read.customGameLobby.has_value());
  EXPECT_EQ(read.customGameLobby->configuration.spectatorPolicy,
            Api::QueueCustomGameSpectatorPolicy::AllAllowed);
  EXPECT_EQ(read.customGameLobby->teamTwo.at(0).botDifficulty, Api::LobbyBotDifficulty::INTRO);
  EXPECT_EQ(read.invitations.at(0).invitationMetaData.FindMember("source").GetString(), "chat");
  EXPECT_EQ(read.invitations.at(0).toSummonerId, 18446744073709551615u);
  EXPECT_EQ(read.localMember.excludedPositionPreference, "HELPER");
}

TEST_F(RecordJsonTest, ViewQueueAndGameflowRecordsRoundTrip) {
  Api::LobbyDto view;
  view.partyId = "p-1";
  view.localMember.summonerName = "Me";
  view.localMember.teamId = 200;
  view.members = {view.localMember, Api::LobbyParticipantDto{}};
  view.invitations.emplace_back();
  view.invitations[0].state = Api::LobbyInvitationState::Declined;
  view.restrictions.emplace(1);
  view.restrictions->at(0).restrictionCode =
      Api::EligibilityRestrictionCode::PrerequisiteQueuesNotPlayedRestriction;
  view.gameConfig.customTeam100.emplace_back();
  view.gameConfig.allowablePremadeSizes = {1, 2, 5};
  view.gameConfig.customSpectatorPolicy = Api::QueueCustomGameSpectatorPolicy::FriendsAllowed;
  ExpectRoundTrip(view);
  EXPECT_NE(Write(view).find(R"("restrictionCode":"PrerequisiteQueuesNotPlayedRestriction")"),
            std::string::npos);

  Api::Queue queue;
  queue.id = 420;
  queue.category = Api::QueueGameCategory::PvP;
  queue.gameTypeConfig.name = "DRAFT";
  queue.gameTypeConfig.numPlayersPerTeamOverride = 3;
  queue.queueRewards.partySizeIpRewards = {0, 10};
  queue.queueAvailability = Api::QueueAvailability::DoesntMeetRequirements;
  queue.minLevel = 4294967295u;
  ExpectRoundTrip(queue);

  Api::GameflowSession session;
  session.phase = Api::GameflowPhase::TerminatedInError;
  session.gameClient.running = true;
  session.gameDodge.state = Api::MatchmakingDodgeState::PartyDodged;
  session.gameDodge.dodgeIds = {7, 8};
  ExpectRoundTrip(session);

  Api::MatchmakingSearchResource search;
  search.searchState = Api::LobbyMatchmakingSearchState::Searching;
  search.lowPriorityData.penaltyTime = 1.5;
  search.errors.emplace_back();
  search.errors[0].penaltyTimeRemaining = 0.25;
  ExpectRoundTrip(search);
  EXPECT_NE(Write(search).find(R"("searchState":"Searching")"), std::string::npos);
}

TEST_F(RecordJsonTest, MissingNullAndUnknownKeysKeepInitialValues) {
  for (const char* json : {R"({"queueId":420})", R"({"queueId":420,"isRanked":true})",
                           R"({"queueId":420,"isCustom":null,"customGameLobby":null})"}) {
    SCOPED_TRACE(json);
    const auto change = Read<Api::LobbyChangeGameDto>(json);
    EXPECT_EQ(change.queueId, 420);
    EXPECT_FALSE(change.isCustom);
    EXPECT_FALSE(change.customGameLobby.has_value());
  }

  const auto lobby = Read<Api::Lobby>(R"({"queueId":null,"canStartMatchmaking":null,"mapId":11})");
  EXPECT_EQ(lobby.queueId, -1);
  EXPECT_TRUE(lobby.canStartMatchmaking);
  EXPECT_EQ(lobby.mapId, 11);
  EXPECT_EQ(lobby.localMember.botDifficulty, Api::LobbyBotDifficulty::NONE);

  // A queue definition without rewards keeps an empty reward record.
  const auto queue = Read<Api::Queue>(R"({"id":450,"name":"BATTLE"})");
  EXPECT_EQ(queue.id, 450);
  EXPECT_FALSE(queue.queueRewards.isIpEnabled);
  EXPECT_TRUE(queue.queueRewards.partySizeIpRewards.empty());
  EXPECT_FALSE(queue.gameTypeConfig.gameModeOverride.has_value());

  const auto friendEntry = Read<Api::ChatFriend>(R"({"summonerId":5})");
  EXPECT_TRUE(friendEntry.jyx.empty());
  const auto withChat = Read<Api::ChatFriend>(R"({"summonerId":5,"jyx":{"pty":"{}"}})");
  EXPECT_EQ(withChat.jyx.at("pty"), "{}");
}

TEST_F(RecordJsonTest, KeysMatchInExactCase) {
  const struct {
    const char* json;
    bool enabled;
  } rows[] = {
      {R"({"PartyRewards":{"Enabled":true}})", true},
      {R"({"PartyRewards":{"enabled":true}})", false},
      {R"({"partyRewards":{"Enabled":true}})", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.json);
    EXPECT_EQ(Read<Api::LcdsDynamicClientConfig>(row.json).PartyRewards.Enabled, row.enabled);
  }
  EXPECT_EQ(Read<Api::LobbyChangeGameDto>(R"({"QueueId":420})").queueId, 0);
  EXPECT_EQ(Write(Api::LcdsDynamicClientConfig{}), R"({"PartyRewards":{"Enabled":false}})");

  const auto meta = Read<Api::LcdsGameMetaData>(R"({"gameId":4000000001,"mapId":11})");
  EXPECT_EQ(meta.gameId, 4000000001u);
  EXPECT_EQ(meta.mapId, 11);
}

TEST_F(RecordJsonTest, BotAndJoinBodiesFillOnlyWhatTheyGive) {
  const struct {
    const char* json;
    std::int32_t championId;
    Api::LobbyBotDifficulty difficulty;
    const char* teamId;
  } bots[] = {
      {"{}", 0, Api::LobbyBotDifficulty::NONE, "100"},
      {R"({"championId":22})", 22, Api::LobbyBotDifficulty::NONE, "100"},
      {R"({"botDifficulty":"INTRO","teamId":"200"})", 0, Api::LobbyBotDifficulty::INTRO, "200"},
      {R"({"botDifficulty":2})", 0, Api::LobbyBotDifficulty::HARD, "100"},
  };
  for (const auto& row : bots) {
    SCOPED_TRACE(row.json);
    const auto bot = Read<Api::LobbyBotParams>(row.json);
    EXPECT_EQ(bot.championId, row.championId);
    EXPECT_EQ(bot.botDifficulty, row.difficulty);
    EXPECT_EQ(bot.teamId, row.teamId);
    ExpectRoundTrip(bot);
  }
  EXPECT_EQ(Write(Read<Api::LobbyBotParams>(R"({"botDifficulty":"INTRO"})")),
            R"({"botDifficulty":"INTRO","championId":0,"teamId":"100"})");

  const auto join = Read<Api::LobbyCustomJoinParameters>("{}");
  EXPECT_FALSE(join.password.has_value());
  EXPECT_FALSE(join.asSpectator.has_value());
  const auto spectator =
      Read<Api::LobbyCustomJoinParameters>(R"({"password":"","asSpectator":false})");
  EXPECT_EQ(spectator.password, "");
  EXPECT_EQ(spectator.asSpectator, false);
  ExpectRoundTrip(spectator);
}

TEST_F(RecordJsonTest, EnumsTravelByNameAndUnnamedNumbersAsNumbers) {
  Api::LobbyMember member;
  member.botDifficulty = static_cast<Api::LobbyBotDifficulty>(9);
  EXPECT_NE(Write(member).find(R"("botDifficulty":9)"), std::string::npos);
  Api::PartyReward reward;
  reward.type = Api::LobbyPartyRewardType::None;
  EXPECT_EQ(Write(reward), R"({"premadeSize":0,"type":"None","value":""})");

  EXPECT_EQ(Read<Api::GameflowSession>(R"({"phase":"ChampSelect"})").phase,
            Api::GameflowPhase::ChampSelect);
  EXPECT_EQ(Read<Api::GameflowGameDodge>(R"({"state":"StrangerDodged"})").state,
            static_cast<Api::MatchmakingDodgeState>(50));
  EXPECT_EQ(Read<Api::LoginSession>(R"({"state":"ERROR"})").state,
            static_cast<Api::LoginSessionStates>(3));
  EXPECT_EQ(Read<Api::ReceivedInvitationDto>(R"({"state":"Requested"})").state,
            Api::LobbyInvitationState::Requested);

  Api::LobbyBotParams bot;
  EXPECT_EQ(ReadInto(bot, R"({"botDifficulty":"SUPER"})"),
            "SUPER is not a valid JyxLobbyLobbyBotDifficulty enumeration value for "
            "'botDifficulty'.");
  Api::GameflowGameDodge dodge;
  EXPECT_EQ(ReadInto(dodge, R"({"state":0})"),
            "0 is not a valid JyxLobbyMatchmakingDodgeState enumeration value for 'state'.");
}

TEST_F(RecordJsonTest, SiblingAndAnalyticsRecordsKeepTheirValues) {
  Api::LoginSession session;
  session.state = Api::LoginSessionStates::LOGGING_OUT;
  session.gasToken.Member("exp").SetUint64(17);
  session.connected = true;
  ExpectRoundTrip(session);
  EXPECT_EQ(Read<Api::LoginSession>(Write(session)).gasToken.FindMember("exp").GetUint64(), 17u);

  Api::FriendAvailabilityAnalytics friends;
  friends.numFriendsMobile = 4000000000u;
  Api::JoinPartyAnalytics join;
  join.numFriendsOnline = -3;
  join.eventData.Member("k").SetBool(true);
  EXPECT_NE(Write(friends).find(R"("numFriendsMobile":4000000000)"), std::string::npos);
  EXPECT_NE(Write(join).find(R"("numFriendsOnline":-3)"), std::string::npos);
  EXPECT_NE(Write(join).find(R"("eventData":{"k":true})"), std::string::npos);
  ExpectRoundTrip(join);

  Api::PartiesInvitationAnalytics invitations;
  invitations.players.resize(2);
  invitations.players[1].role = "MEMBER";
  ExpectRoundTrip(invitations);
}

}  // namespace
}  // namespace Zarn::Client::Lobby
