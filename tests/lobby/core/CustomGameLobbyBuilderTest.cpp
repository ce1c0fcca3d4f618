// The v1 lobby filled from a legacy custom game record, and a practice-tool configuration made
// private.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/core/CustomGameLobbyBuilder.h"

namespace Zarn::Client::Lobby {
namespace {

LCDS::GameDTO Game() {
  LCDS::GameDTO game;
  game.id = 123;
  game.name = "My Game";
  game.mapId = 12;
  game.gameMode = "BATTLE";
  game.maxNumPlayers = 5;
  game.spectatorsAllowed = "LOBBYONLY";
  game.gameMutators = {"LearningQuests", "OneForAll"};
  game.practiceGameRewardsDisabledReasons = {"TOO_FEW"};
  game.roomPassword = "key";
  return game;
}

TEST(CustomGameLobbyBuilderTest, TheGameFillsTheCustomPartAndTheLobbysOwnFields) {
  Api::Lobby lobby;
  lobby.queueId = 420;
  Api::QueueGameTypeConfig config;
  config.id = 7;
  config.name = "Open Choice";
  BuildCustomGameLobbyFromGameDto(lobby, Game(), config, 3);
  ASSERT_TRUE(lobby.customGameLobby.has_value());
  const Api::LobbyCustomGameLobby& custom = *lobby.customGameLobby;
  EXPECT_EQ(custom.gameId, 123u);
  EXPECT_EQ(custom.lobbyName, "My Game");
  EXPECT_EQ(custom.practiceGameRewardsDisabledReasons, std::vector<std::string>{"TOO_FEW"});
  const Api::LobbyCustomGameConfiguration& configuration = custom.configuration;
  EXPECT_EQ(configuration.mapId, 12);
  EXPECT_EQ(configuration.gameMode, "BATTLE");
  EXPECT_EQ(configuration.gameMutator, "OneForAll");
  EXPECT_TRUE(configuration.gameTypeConfig.learningQuests);
  EXPECT_EQ(configuration.gameTypeConfig.name, "Open Choice");
  EXPECT_TRUE(configuration.mutators.learningQuests) << "a copy of the mutated configuration";
  EXPECT_EQ(configuration.teamSize, 2) << "5 players";
  EXPECT_EQ(configuration.spectatorPolicy, Api::QueueCustomGameSpectatorPolicy::LobbyAllowed);
  EXPECT_EQ(configuration.maxPlayerCount, 0u) << "not a practice tool game";
  EXPECT_EQ(lobby.queueId, -1);
  EXPECT_EQ(lobby.mapId, 12);
  EXPECT_EQ(lobby.gameMode, "BATTLE");
  EXPECT_EQ(lobby.maximumParticipantListSize, 5u);
  EXPECT_TRUE(lobby.isCustom);
  // The room of the name and the decimal id, "My Game123".
  EXPECT_EQ(lobby.chatRoomId,
            "ap~dccf3a647e8b1015191d47ad334e68aa07633a2a@sec.lobby-chat.jyx.invalid");
  EXPECT_EQ(lobby.chatRoomKey, "key");
}

TEST(CustomGameLobbyBuilderTest, ATournamentNeedsBothPassbackFieldsAndAPracticeToolItsCount) {
  struct Case {
    const char* label;
    std::string url;
    std::string packet;
    bool tournament;
  };
  for (const Case& c :
       {Case{"both", "http://x", "data", true}, Case{"url only", "http://x", "", false},
        Case{"packet only", "", "data", false}}) {
    SCOPED_TRACE(c.label);
    LCDS::GameDTO game = Game();
    game.passbackUrl = c.url;
    game.passbackDataPacket = c.packet;
    Api::Lobby lobby;
    BuildCustomGameLobbyFromGameDto(lobby, game, Api::QueueGameTypeConfig{}, 1);
    const Api::LobbyCustomGameConfiguration& configuration = lobby.customGameLobby->configuration;
    EXPECT_EQ(configuration.tournamentGameMode, c.tournament ? "BATTLE" : "");
    EXPECT_EQ(configuration.tournamentPassbackUrl, c.tournament ? c.url : "");
    EXPECT_EQ(configuration.tournamentPassbackDataPacket, c.tournament ? c.packet : "");
  }
  LCDS::GameDTO practice = Game();
  practice.gameMutators = {"PracticeTool"};
  Api::Lobby lobby;
  BuildCustomGameLobbyFromGameDto(lobby, practice, Api::QueueGameTypeConfig{}, 4);
  EXPECT_EQ(lobby.customGameLobby->configuration.maxPlayerCount, 4u);
}

TEST(CustomGameLobbyBuilderTest, APracticeToolGameGetsADrawnPasswordAndNoSpectators) {
  LCDS::PracticeGameConfig config;
  config.gamePassword = "mine";
  config.allowSpectators = "ALL";
  MakePracticeToolGamePrivate(config, [] { return 4294967295u; });
  EXPECT_EQ(config.gamePassword, "4294967295");
  EXPECT_EQ(config.allowSpectators, "NONE");
}

}  // namespace
}  // namespace Zarn::Client::Lobby
