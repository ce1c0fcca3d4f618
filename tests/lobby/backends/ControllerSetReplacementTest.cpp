// The controller set made a second time with the real controllers, in-process: the replaced
// controllers let go of what they observed, and every observed event reaches the new set only.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/lobby/backends/ControllerTesting.h"
#include "tests/lobby/backends/CustomGameLobbyControllerTesting.h"

namespace Zarn::Client::Testing {
namespace {

constexpr char kIntermediatePath[] =
    "/jyx-platform-config/v1/namespaces/BotConfigurations/IntermediateInCustoms";
constexpr char kSkirmishPath[] =
    "/jyx-platform-config/v1/namespaces/CustomGame/BotsAvailableInSkirmish";

TEST(ControllerSetReplacementTest, EveryObservedEventAfterASecondSetReachesOnlyTheNewSet) {
  ControllerRig rig;
  auto& made = *static_cast<RealControllerFactory*>(rig.factory);
  const auto subscriptions = [&rig] {
    std::vector<std::pair<std::string, std::uint32_t>> held = rig.host.Subscriptions();
    std::sort(held.begin(), held.end());
    return held;
  };
  const auto before = subscriptions();
  std::weak_ptr<Lobby::TeamBuilderLobbyController> oldTeamBuilder = made.realTeamBuilder;
  std::weak_ptr<Lobby::CustomGameLobbyController> oldCustom = made.realCustom;
  ASSERT_EQ(Lobby::CustomGameLobbyControllerTesting::InventorySummonerId(*made.realCustom),
            kLocalSummonerId);

  rig.plugin->CreateControllers();
  EXPECT_TRUE(oldTeamBuilder.expired());
  EXPECT_TRUE(oldCustom.expired());
  // Their storage goes with the last reference, so that a stale observer reads freed memory.
  oldTeamBuilder.reset();
  oldCustom.reset();
  EXPECT_EQ(subscriptions(), before) << "the same observations, now the new set's";
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::InventorySummonerId(*made.realCustom),
            kLocalSummonerId);

  // Every path a controller observes, changed and then deleted.
  const std::vector<std::pair<std::string, std::string>> changes = {
      {"/jyx-lobby-team-builder/v1/lobby",
       R"({"invitationId":"tb-1","queueId":440,"members":[{"summonerId":2046}]})"},
      {"/jyx-lobby-team-builder/v1/lobby/countdown",
       R"({"phaseName":"LOBBY","timer":90000,"counter":5})"},
      {"/jyx-champions/v1/inventories/2046/champions-minimal",
       R"([{"id":1,"name":"Brakka","botEnabled":true}])"},
      {kIntermediatePath, "true"},
      {kSkirmishPath, "true"},
  };
  for (const auto& [path, json] : changes) {
    SCOPED_TRACE(path);
    rig.host.SetResource(path, json);
    rig.host.RunDue();
  }
  EXPECT_EQ(rig.TeamBuilder().Countdown().counter, 5);
  EXPECT_TRUE(Lobby::CustomGameLobbyControllerTesting::BotsInSkirmish(*made.realCustom));
  EXPECT_EQ(Lobby::CustomGameLobbyControllerTesting::BotChampions(*made.realCustom).size(), 1u);
  for (const auto& [path, json] : changes) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(rig.host.DeleteResource(path));
    rig.host.RunDue();
  }
}

}  // namespace
}  // namespace Zarn::Client::Testing
