#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "lobby/model/AnalyticsRecords.h"
#include "lobby/model/LegacyDataRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"

namespace Zarn::Client::Lobby {
namespace {

template <typename T>
std::int64_t AsNumber(T value) {
  return static_cast<std::int64_t>(value);
}

struct InitialValue {
  const char* path;
  std::int64_t actual;
  std::int64_t expected;
};

TEST(RecordDefaultsTest, NumbersFlagsAndEnumsStartAtTheirInitialValues) {
  const Api::Lobby lobby;
  const Api::LobbyDto view;
  const Api::LobbyInvitation invitation;
  const Api::ReceivedInvitationDto received;
  const Api::LobbyCustomGameLobby customLobby;
  const InitialValue rows[] = {
      {"Lobby.queueId", lobby.queueId, -1},
      {"Lobby.canStartMatchmaking", lobby.canStartMatchmaking, 1},
      {"Lobby.premadeSizeAllowed", lobby.premadeSizeAllowed, 1},
      {"Lobby.requiredPositionCoverageMet", lobby.requiredPositionCoverageMet, 1},
      {"Lobby.localMember.botDifficulty", AsNumber(lobby.localMember.botDifficulty), -1},
      {"Lobby.removalReason", AsNumber(lobby.removalReason), 0},
      {"Lobby.queueAvailability", AsNumber(lobby.queueAvailability), 0},
      {"Lobby.mapId", lobby.mapId, 0},
      {"Lobby.isCustom", lobby.isCustom, 0},
      {"LobbyMember.botDifficulty", AsNumber(Api::LobbyMember{}.botDifficulty), -1},
      {"LobbyBotParams.championId", Api::LobbyBotParams{}.championId, 0},
      {"LobbyBotParams.botDifficulty", AsNumber(Api::LobbyBotParams{}.botDifficulty), -1},
      {"LobbyCustomGameLobby.configuration.spectatorPolicy",
       AsNumber(customLobby.configuration.spectatorPolicy), 3},
      {"LobbyCustomGameLobby.configuration.mapId", customLobby.configuration.mapId, 0},
      {"LobbyInvitation.state", AsNumber(invitation.state), 1},
      {"LobbyInvitation.eligibility.queueId", invitation.eligibility.queueId, -1},
      {"LobbyInvitation.eligibility.eligible", invitation.eligibility.eligible, 1},
      {"LobbyDto.localMember.summonerIconId", view.localMember.summonerIconId, -1},
      {"LobbyDto.localMember.botDifficulty", AsNumber(view.localMember.botDifficulty), -1},
      {"LobbyDto.gameConfig.mapId", view.gameConfig.mapId, -1},
      {"LobbyDto.gameConfig.queueId", view.gameConfig.queueId, -1},
      {"LobbyDto.canStartActivity", view.canStartActivity, 0},
      {"LobbyParticipantDto.summonerIconId", Api::LobbyParticipantDto{}.summonerIconId, -1},
      {"LobbyParticipantDto.botDifficulty", AsNumber(Api::LobbyParticipantDto{}.botDifficulty), -1},
      {"LobbyGameConfigDto.mapId", Api::LobbyGameConfigDto{}.mapId, -1},
      {"LobbyGameConfigDto.queueId", Api::LobbyGameConfigDto{}.queueId, -1},
      {"LobbyGameConfigDto.premadeSizeAllowed", Api::LobbyGameConfigDto{}.premadeSizeAllowed, 0},
      {"LobbyInvitationDto.state", AsNumber(Api::LobbyInvitationDto{}.state), 1},
      {"ReceivedInvitationDto.state", AsNumber(received.state), 1},
      {"ReceivedInvitationDto.gameConfig.queueId", received.gameConfig.queueId, -1},
      {"ReceivedInvitationDto.gameConfig.mapId", received.gameConfig.mapId, -1},
      {"LobbyStatus.queueId", Api::LobbyStatus{}.queueId, -1},
      {"Queue.id", Api::Queue{}.id, -1},
      {"Queue.category", AsNumber(Api::Queue{}.category), 0},
      {"Summoner.profileIconId", Api::Summoner{}.profileIconId, -1},
      {"EligibilityRestriction.restrictionCode",
       AsNumber(Api::EligibilityRestriction{}.restrictionCode), 1},
      {"LoginSession.state", AsNumber(Api::LoginSession{}.state), 0},
      {"MatchmakingSearchResource.searchState",
       AsNumber(Api::MatchmakingSearchResource{}.searchState), 0},
      // Overrides through an enclosing record leave the record's own defaults alone.
      {"Eligibility.queueId", Api::Eligibility{}.queueId, 0},
      {"Eligibility.eligible", Api::Eligibility{}.eligible, 0},
      {"LobbyCustomGameConfiguration.spectatorPolicy",
       AsNumber(Api::LobbyCustomGameConfiguration{}.spectatorPolicy), 0},
      {"ReceivedInvitationGameConfigDto.queueId", Api::ReceivedInvitationGameConfigDto{}.queueId,
       0},
      {"ReceivedInvitationGameConfigDto.mapId", Api::ReceivedInvitationGameConfigDto{}.mapId, 0},
      {"PartyReward.type", AsNumber(Api::PartyReward{}.type), 0},
      {"GameflowGameDodge.state", AsNumber(Api::GameflowGameDodge{}.state), 0},
      {"LcdsPartyRewardsConfig.Enabled", Api::LcdsPartyRewardsConfig{}.Enabled, 0},
  };
  for (const InitialValue& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(row.actual, row.expected);
  }
  EXPECT_EQ(Api::LobbyBotParams{}.teamId, "100");
}

TEST(RecordDefaultsTest, OptionalMembersStartUnset) {
  const std::pair<const char*, bool> engaged[] = {
      {"Lobby.customGameLobby", Api::Lobby{}.customGameLobby.has_value()},
      {"LobbyChangeGameDto.customGameLobby", Api::LobbyChangeGameDto{}.customGameLobby.has_value()},
      {"LobbyChangeQueue.customGameLobby", Api::LobbyChangeQueue{}.customGameLobby.has_value()},
      {"LobbyMember.excludedPositionPreference",
       Api::LobbyMember{}.excludedPositionPreference.has_value()},
      {"LobbyCustomJoinParameters.password", Api::LobbyCustomJoinParameters{}.password.has_value()},
      {"LobbyCustomJoinParameters.asSpectator",
       Api::LobbyCustomJoinParameters{}.asSpectator.has_value()},
      {"LobbyDto.restrictions", Api::LobbyDto{}.restrictions.has_value()},
      {"LobbyStatus.lobbyId", Api::LobbyStatus{}.lobbyId.has_value()},
      {"PlayerStatus.currentLobbyStatus", Api::PlayerStatus{}.currentLobbyStatus.has_value()},
      {"PlayerStatus.lastQueuedLobbyStatus", Api::PlayerStatus{}.lastQueuedLobbyStatus.has_value()},
      {"QueueGameTypeConfig.gameModeOverride",
       Api::QueueGameTypeConfig{}.gameModeOverride.has_value()},
      {"QueueGameTypeConfig.numPlayersPerTeamOverride",
       Api::QueueGameTypeConfig{}.numPlayersPerTeamOverride.has_value()},
  };
  for (const auto& [path, isEngaged] : engaged) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(isEngaged);
  }
}

TEST(RecordDefaultsTest, CopiesAreDeepAndMovesTakeEveryMember) {
  Api::Lobby source;
  source.customGameLobby.emplace();
  source.customGameLobby->teamOne.emplace_back();
  source.customGameLobby->teamOne[0].id = 7;
  source.invitations.emplace_back();
  source.invitations[0].invitationMetaData.Member("note").SetString("keep");

  Api::Lobby copy = source;
  copy.customGameLobby->teamOne[0].id = 8;
  copy.invitations[0].invitationMetaData.Member("note").SetString("changed");
  EXPECT_EQ(source.customGameLobby->teamOne[0].id, 7u);
  EXPECT_EQ(source.invitations[0].invitationMetaData.FindMember("note").GetString(), "keep");

  Api::Lobby assigned;
  assigned = source;
  EXPECT_TRUE(assigned.customGameLobby.has_value());
  source.customGameLobby.reset();
  assigned = source;
  EXPECT_FALSE(assigned.customGameLobby.has_value()) << "assigning an unset optional unsets it";

  Api::Lobby moved = std::move(copy);
  ASSERT_TRUE(moved.customGameLobby.has_value());
  EXPECT_EQ(moved.customGameLobby->teamOne[0].id, 8u);
  EXPECT_EQ(moved.invitations[0].invitationMetaData.FindMember("note").GetString(), "changed");
}

}  // namespace
}  // namespace Zarn::Client::Lobby
