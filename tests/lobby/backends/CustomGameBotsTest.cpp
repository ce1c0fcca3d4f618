// The custom game controller's bot resources, published through a started plugin.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/backends/CustomGameLobbyController.h"
#include "tests/lobby/backends/CustomGameLobbyControllerTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

TEST(CustomGameBotsTest, TheBotListAndItsFlagArePublishedOnBothVersionsInOrder) {
  Lobby::Api::LobbyBotChampion brakka;
  brakka.id = 1;
  brakka.name = "Brakka";
  struct Case {
    const char* label;
    std::vector<Lobby::Api::LobbyBotChampion> bots;
    std::string list;
    std::string enabled;
  };
  const std::vector<Case> cases = {
      {"none", {}, "[]", "false"},
      {"one",
       {brakka},
       R"([{"active":false,"botDifficulties":[],"id":1,"name":"Brakka"}])",
       "true"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    LobbyRig rig;
    Lobby::CustomGameLobbyController controller(rig.plugin.get());
    Lobby::CustomGameLobbyControllerTesting::AvailableBots(controller) = c.bots;
    const std::size_t mark = rig.Mark();
    controller.PublishBots();
    std::vector<std::string> expected;
    for (const char* version : {"v1", "v2"}) {
      const std::string base = std::string("/jyx-lobby/") + version + "/lobby/custom/";
      expected.push_back(R"(publish {"data":)" + c.list + R"(,"eventType":"Update","uri":")" +
                         base + R"(available-bots"})");
      expected.push_back(R"(publish {"data":)" + c.enabled + R"(,"eventType":"Update","uri":")" +
                         base + R"(bots-enabled"})");
    }
    EXPECT_EQ(rig.Entries({"publish"}, mark), expected);
  }
}

}  // namespace
}  // namespace Zarn::Client::Testing
