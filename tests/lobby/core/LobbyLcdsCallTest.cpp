// The lobby's legacy records through legacy calls of the stand-in host's legacy platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/model/LcdsRecords.h"
#include "sdk/runtime/LcdsCall.h"
#include "tests/lobby/core/LobbyBackendTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby {
namespace {

TEST(LobbyLcdsCallTest, GameRecordsTravelWithTheirClassesAndOtherClassesAreRefused) {
  Host::PluginHost::Options options;
  options.pluginPath = "/nonexistent";
  options.hostContext = Client::Testing::kTestHostContext;
  Host::PluginHost host(options);
  Host::LegacyPlatform legacy(host);
  LobbyPlugin plugin{std::make_unique<Testing::FakeComponentFactory>()};
  PluginLoadResult record{};
  record.major = 18;
  ASSERT_TRUE(LoadPlugin(&plugin, &record, "jyx-lobby"));
  PluginHostInit init{host.Table(), Client::Testing::kTestHostContext};
  ASSERT_TRUE(plugin.Initialize(&init));

  const std::string gameClass = "com.zarnworks.platform.game.GameDTO";
  const std::string statusClass = "com.zarnworks.platform.gameinvite.contract.LobbyStatus";
  Host::LcdsAnswer answer;
  answer.typeName = gameClass;
  answer.body = R"({"id":-42,"name":"practice","ownerSummary":{"summonerId":3}})";
  legacy.Script("gameService", "createPracticeGame", answer);
  LCDS::PracticeGameConfig config;
  config.gameName = "practice";
  MaybeType<Failure, LCDS::GameDTO> game =
      plugin.LcdsCallSync<LCDS::GameDTO>("gameService", "createPracticeGame", config);
  ASSERT_TRUE(game.HasValue()) << game.Message();
  EXPECT_EQ(game->id, -42);
  EXPECT_EQ(game->ownerSummary.summonerId, 3u);
  EXPECT_EQ(game->ownerSummary.botSkillLevel, -1);
  ASSERT_EQ(legacy.Invocations().size(), 1u);
  const std::string& sent = legacy.Invocations()[0].arguments;
  EXPECT_EQ(sent.rfind(R"([{"__class":"com.zarnworks.platform.game.PracticeGameConfig",)", 0), 0u)
      << sent;
  EXPECT_NE(sent.find(R"("gameMap":{"__class":"com.zarnworks.platform.game.map.GameMap",)"),
            std::string::npos)
      << sent;

  answer.typeName = statusClass;
  legacy.Script("gameService", "getGame", answer);
  MaybeType<Failure, LCDS::GameDTO> wrong =
      plugin.LcdsCallSync<LCDS::GameDTO>("gameService", "getGame", std::int64_t{1});
  ASSERT_FALSE(wrong.HasValue());
  EXPECT_EQ(std::string(wrong.Message()),
            "Expected '" + gameClass + "' as LCDS response for gameService.getGame, but got '" +
                statusClass + "'");
  plugin.Shutdown();
}

}  // namespace
}  // namespace Zarn::Client::Lobby
