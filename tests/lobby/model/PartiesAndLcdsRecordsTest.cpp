#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/PartiesRecords.h"
#include "lobby/model/ServiceProxyRecords.h"
#include "lobby/model/SiblingResourceRecords.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/BindingTypeInfo.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/lobby/model/LobbyTypesTesting.h"

namespace Zarn::Client::Lobby {
namespace {

class PartiesAndLcdsRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterLobbyApiTypes(registry_, nullptr, &byType_, &byTypeId_); }

  template <typename T>
  std::string Write(const T& record) {
    return ToJsonString(record, registry_);
  }

  template <typename T>
  T Read(const std::string& json) {
    T record;
    BindingResult parsed = ParseJson(json);
    EXPECT_TRUE(parsed.IsOk()) << json;
    BindingResult result;
    ReadValue(result, record, parsed.Value(), registry_);
    EXPECT_TRUE(result.IsOk()) << json << ": " << result.ErrorMessage();
    return record;
  }

  BindingRegistry registry_;
  LcdsClassByType byType_;
  LcdsClassByTypeId byTypeId_;
};

TEST_F(PartiesAndLcdsRecordsTest, EachLegacyRecordHasItsClassByNameAndById) {
  const std::string invite = "com.zarnworks.platform.gameinvite.contract.";
  const std::string game = "com.zarnworks.platform.game.";
  const struct {
    const char* name;
    std::uint32_t id;
    std::string className;
  } rows[] = {
      {"LobbyClientDynamicConfigurationNotification",
       TypeId<LCDS::LobbyClientDynamicConfigurationNotification>().id,
       "com.zarnworks.platform.client.dynamic.configuration."
       "ClientDynamicConfigurationNotification"},
      {"LcdsInviteeState", TypeId<LCDS::InviteeState>().id, invite + "InviteeState"},
      {"LcdsInvitationState", TypeId<LCDS::InvitationState>().id, invite + "InvitationState"},
      {"LcdsRemovalReason", TypeId<LCDS::RemovalReason>().id, invite + "RemovalReason"},
      {"LcdsPlayer", TypeId<LCDS::Player>().id, invite + "Player"},
      {"LcdsMember", TypeId<LCDS::Member>().id, invite + "Member"},
      {"LcdsInvitee", TypeId<LCDS::Invitee>().id, invite + "Invitee"},
      {"LcdsLobbyStatus", TypeId<LCDS::LobbyStatus>().id, invite + "LobbyStatus"},
      {"LcdsInviter", TypeId<LCDS::Inviter>().id, invite + "Inviter"},
      {"LcdsInvitationRequest", TypeId<LCDS::InvitationRequest>().id, invite + "InvitationRequest"},
      {"LcdsGameInviteBaseRuntimeException", TypeId<LCDS::GameInviteBaseRuntimeException>().id,
       invite + "error.GameInvitationBaseRuntimeException"},
      {"LcdsInviteFailed", TypeId<LCDS::InviteFailed>().id, invite + "InviteFailed"},
      {"LcdsRemovedFromLobbyNotification", TypeId<LCDS::RemovedFromLobbyNotification>().id,
       invite + "RemovedFromLobbyNotification"},
      {"LcdsInvitePrivileges", TypeId<LCDS::InvitePrivileges>().id, invite + "InvitePrivileges"},
      {"LcdsGameMap", TypeId<LCDS::GameMap>().id, game + "map.GameMap"},
      {"LcdsPracticeGameConfig", TypeId<LCDS::PracticeGameConfig>().id,
       game + "PracticeGameConfig"},
      {"LcdsPlayerParticipant", TypeId<LCDS::PlayerParticipant>().id, game + "PlayerParticipant"},
      {"LcdsBotParticipant", TypeId<LCDS::BotParticipant>().id, game + "BotParticipant"},
      {"LcdsGameDTO", TypeId<LCDS::GameDTO>().id, game + "GameDTO"},
      {"LcdsSummoner", TypeId<LCDS::Summoner>().id, "com.zarnworks.platform.summoner.Summoner"},
      {"LcdsFailedJoinPlayer", TypeId<LCDS::FailedJoinPlayer>().id, game + "FailedJoinPlayer"},
      {"LcdsStartChampSelectDto", TypeId<LCDS::StartChampSelectDto>().id,
       game + "StartChampSelectDTO"},
      {"LcdsGameNotification", TypeId<LCDS::GameNotification>().id,
       game + "message.GameNotification"},
      {"LcdsPracticeGameSearchResult", TypeId<LCDS::PracticeGameSearchResult>().id,
       game + "practice.PracticeGameSearchResult"},
  };
  EXPECT_EQ(byType_.size(), 24u);
  EXPECT_EQ(byTypeId_.size(), 24u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(byType_[row.name], row.className);
    EXPECT_EQ(byTypeId_[row.id], row.className);
    const BindingTypeInfo* type = registry_.FindTypeById(row.id);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->name, row.name);
  }
}

TEST_F(PartiesAndLcdsRecordsTest, SameNamedApiAndLegacyRecordsAreDistinctTypes) {
  const std::pair<std::uint32_t, std::uint32_t> pairs[] = {
      {TypeId<Api::LobbyStatus>().id, TypeId<LCDS::LobbyStatus>().id},
      {TypeId<Api::Summoner>().id, TypeId<LCDS::Summoner>().id},
  };
  for (const auto& [api, legacy] : pairs) {
    ASSERT_NE(api, legacy);
    ASSERT_NE(registry_.FindTypeById(api), nullptr);
    ASSERT_NE(registry_.FindTypeById(legacy), nullptr);
    EXPECT_EQ(registry_.FindTypeById(api)->name.rfind("JyxLobby", 0), 0u);
    EXPECT_EQ(registry_.FindTypeById(legacy)->name.rfind("Lcds", 0), 0u);
    EXPECT_EQ(byTypeId_.count(api), 0u) << "a plugin type has no legacy class";
  }
  // A party's version has the second 32-bit identity, not plain int32's.
  const BindingTypeInfo* invite = registry_.FindTypeById(TypeId<Api::PartyInviteDto>().id);
  ASSERT_NE(invite, nullptr);
  ASSERT_NE(invite->fields[1].identity, nullptr);
  EXPECT_EQ(invite->fields[1].identity->id, 0x844BAF8Au);
  Api::PartyInviteDto party;
  party.partyVersion = -7;
  EXPECT_EQ(Read<Api::PartyInviteDto>(Write(party)).partyVersion.value, -7);
}

TEST_F(PartiesAndLcdsRecordsTest, InitialValuesApplyOnlyInsideTheirEnclosingRecord) {
  const LCDS::GameDTO game;
  const LCDS::PracticeGameConfig config;
  const LCDS::BotParticipant bot;
  const struct {
    const char* path;
    std::int64_t actual;
    std::int64_t expected;
  } rows[] = {
      {"GameDTO.ownerSummary.botSkillLevel", game.ownerSummary.botSkillLevel, -1},
      {"PlayerParticipant.botSkillLevel", LCDS::PlayerParticipant{}.botSkillLevel, 0},
      {"PracticeGameConfig.gameMap.mapId", config.gameMap.mapId, 0},
      {"PracticeGameConfig.gameMap.minCustomPlayers", config.gameMap.minCustomPlayers, -1},
      {"PracticeGameConfig.gameMap.totalPlayers", config.gameMap.totalPlayers, -1},
      {"PracticeGameSearchResult.gameMap.minCustomPlayers",
       LCDS::PracticeGameSearchResult{}.gameMap.minCustomPlayers, 0},
      {"PracticeGameSearchResult.gameMap.totalPlayers",
       LCDS::PracticeGameSearchResult{}.gameMap.totalPlayers, 0},
      {"BotParticipant.botSkillLevel", bot.botSkillLevel, -1},
      {"BotParticipant.championId", bot.championId, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(row.actual, row.expected);
  }
  EXPECT_EQ(bot.teamId, "100");
  EXPECT_FALSE(config.passbackUrl.has_value());
  EXPECT_FALSE(config.passbackDataPacket.has_value());

  // An element read into a list starts from its own record's values, not the owner's.
  const LCDS::GameDTO read =
      Read<LCDS::GameDTO>(R"({"teamOne":[{"summonerId":5}],"ownerSummary":{"summonerId":6}})");
  ASSERT_EQ(read.teamOne.size(), 1u);
  EXPECT_EQ(read.teamOne[0].botSkillLevel, 0);
  EXPECT_EQ(read.ownerSummary.botSkillLevel, -1);
  EXPECT_EQ(read.ownerSummary.summonerId, 6u);
}

TEST_F(PartiesAndLcdsRecordsTest, UnsetOptionalsAreWrittenAsNullAndReadBackUnset) {
  EXPECT_EQ(Write(Api::PartyMemberDto{}),
            R"({"accountId":0,"canInvite":null,"gameMode":null,"inviteTimestamp":null,)"
            R"("invitedBySummonerId":null,"metadata":{"positionPref":[]},"partyId":"",)"
            R"("platformId":"","puuid":"","ready":null,"role":"LEADER","summonerId":0})");
  EXPECT_EQ(Write(LCDS::PracticeGameConfig{}),
            R"({"allowSpectators":"","gameMap":{"description":"","displayName":"",)"
            R"("mapId":0,"minCustomPlayers":-1,"name":"","totalPlayers":-1},"gameMode":"",)"
            R"("gameMutators":[],"gameName":"","gamePassword":"","gameTypeConfig":0,)"
            R"("maxNumPlayers":0,"passbackDataPacket":null,"passbackUrl":null,"region":""})");

  const Api::PlayerDto player = Read<Api::PlayerDto>(
      R"({"puuid":"p-1","summonerId":12,"accountToken":null,"currentParty":{"partyId":"x"}})");
  EXPECT_EQ(player.puuid, "p-1");
  for (const auto* token : {&player.accountToken, &player.leaguesToken, &player.inventoryToken,
                            &player.summonerToken}) {
    EXPECT_FALSE(token->has_value());
  }
  ASSERT_TRUE(player.currentParty.has_value());
  EXPECT_EQ(player.currentParty->partyId, "x");
  const std::string written = Write(player);
  for (const char* key :
       {"\"accountToken\":null", "\"leaguesToken\":null", "\"inventoryToken\":null",
        "\"summonerToken\":null", "\"parties\":null"}) {
    EXPECT_NE(written.find(key), std::string::npos) << key;
  }

  const Api::PartyNotificationEnvelopeDto envelope =
      Read<Api::PartyNotificationEnvelopeDto>(R"({"player":{"puuid":"p-2","version":4}})");
  ASSERT_TRUE(envelope.player.has_value());
  EXPECT_EQ(envelope.player->version, 4u);
  EXPECT_FALSE(envelope.queueRestriction.has_value());
}

TEST_F(PartiesAndLcdsRecordsTest, RecordsKeepWhatTheyCarry) {
  const Api::PremadePartyDto premade = Read<Api::PremadePartyDto>(
      R"({"partyId":"pa","players":{"u-1":{"summonerId":1,"role":"MEMBER"},)"
      R"("u-2":{"summonerId":2,"role":"INVITED"}}})");
  ASSERT_EQ(premade.players.size(), 2u);
  EXPECT_EQ(premade.players.at("u-1").summonerId, 1u);
  EXPECT_EQ(premade.players.at("u-2").role, Api::PartyMemberRoleEnum::INVITED);

  // The reply's value passes through whatever it holds.
  const std::string payload = R"({"list":[1,"two",{"three":null}],"n":-4.5})";
  const AmbassadorMessage message =
      Read<AmbassadorMessage>(R"({"httpStatus":-1,"errorCode":"E","payload":)" + payload + "}");
  EXPECT_EQ(message.httpStatus, -1);
  EXPECT_EQ(SerializeJson(message.payload, &registry_, ""), payload);

  LCDS::BotParticipant bot;
  bot.championId = 22;
  bot.summonerName = "bot";
  EXPECT_EQ(Write(bot), R"({"botSkillLevel":-1,"summonerId":0,"summonerInternalName":"",)"
                        R"("summonerName":"bot","teamId":"100"})");

  LCDS::InvitationRequest request;
  request.invitationState = LCDS::InvitationState::REVOKED;
  request.inviter.summonerId = 3;
  const std::string written = Write(request);
  EXPECT_NE(written.find(R"("invitationState":"REVOKED")"), std::string::npos) << written;
  EXPECT_EQ(Write(Read<LCDS::InvitationRequest>(written)), written);

  EXPECT_EQ(Read<LCDS::FailedJoinPlayer>(R"({"summoner":{"sumId":9,"name":"n"}})").summoner.sumId,
            9u);
}

TEST_F(PartiesAndLcdsRecordsTest, CopiesOfAPlayerOwnTheirParty) {
  Api::PlayerDto source;
  source.currentParty.emplace();
  source.currentParty->players.emplace_back();
  source.currentParty->players[0].gameMode.emplace();
  source.currentParty->players[0].gameMode->queueId = 420;
  source.parties.emplace(1);

  Api::PlayerDto copy = source;
  copy.currentParty->players[0].gameMode->queueId = 440;
  copy.currentParty->partyId = "changed";
  copy.parties->clear();
  EXPECT_EQ(source.currentParty->players[0].gameMode->queueId, 420);
  EXPECT_EQ(source.currentParty->partyId, "");
  EXPECT_EQ(source.parties->size(), 1u);

  Api::PlayerDto assigned;
  assigned = source;
  source.currentParty.reset();
  EXPECT_TRUE(assigned.currentParty.has_value());
  assigned = source;
  EXPECT_FALSE(assigned.currentParty.has_value());
}

}  // namespace
}  // namespace Zarn::Client::Lobby
