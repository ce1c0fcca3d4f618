// Party rewards: one queue's configuration read from the service's value, and the rewards
// resource through the stand-in host's service proxy and legacy messages, with fakes.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/ServiceProxyService.h"
#include "lobby/core/LobbyFlow.h"
#include "lobby/core/PartyRewards.h"
#include "lobby/model/LegacyClassNames.h"
#include "sdk/binding/JsonText.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Lobby {
namespace {

using Testing::LobbyRig;
using Strings = std::vector<std::string>;

constexpr char kService[] = "partyRewards";
constexpr char kMethod[] = "retrievePartyRewardsConfig";
constexpr char kRewardsPublish[] = "publish {\"data\":";
constexpr char kRewardsUri[] = ",\"eventType\":\"Update\",\"uri\":\"/jyx-lobby/v1/party-rewards\"}";

std::string Describe(const Api::LobbyPartyRewards& config) {
  std::string text = std::string(config.isEnabled ? "on " : "off ") +
                     std::to_string(config.queueId) + (config.isCustom ? " custom" : "") + ":";
  for (const Api::PartyReward& reward : config.partyRewards) {
    text += " " + std::to_string(reward.premadeSize) + "/" +
            std::to_string(static_cast<std::int32_t>(reward.type)) + "/" + reward.value;
  }
  return text;
}

TEST(PartyRewardsTest, AQueuesConfigurationGivesOneEntryPerSizeThatHasARewardList) {
  struct Row {
    const char* label;
    const char* json;
    const char* expected;
  };
  const std::vector<Row> rows = {
      {"icons only",
       R"({"queueId":420,"partyRewardsByPremadeSize":[{"partyRewards":[)"
       R"({"type":"Icon","value":"i1"},{"type":"Icon","value":"i2"}]}]})",
       "on 420: 1/9999/"},
      {"ip then icon",
       R"({"queueId":420,"partyRewardsByPremadeSize":[{"partyRewards":[)"
       R"({"type":"Ip","value":"150"},{"type":"Icon","value":"i1"}]}]})",
       "on 420: 1/1/150"},
      {"icon then ip",
       R"({"queueId":420,"partyRewardsByPremadeSize":[{"partyRewards":[)"
       R"({"type":"Icon","value":"i1"},{"type":"Ip","value":"150"}]}]})",
       "on 420: 1/1/150"},
      {"a later other type stays ip and gives its value",
       R"({"queueId":7,"partyRewardsByPremadeSize":[{"partyRewards":[)"
       R"({"type":"Ip","value":"1"},{"type":"Xp","value":"2"}]}]})",
       "on 7: 1/1/2"},
      {"an other type alone keeps none",
       R"({"queueId":7,"partyRewardsByPremadeSize":[)"
       R"({"partyRewards":[{"type":"Xp","value":2}]}]})",
       "on 7: 1/9999/2"},
      {"values read as text",
       R"({"queueId":7,"partyRewardsByPremadeSize":[)"
       R"({"partyRewards":[{"type":"Ip","value":1.5}]},)"
       R"({"partyRewards":[{"type":"Ip","value":true}]}]})",
       "on 7: 1/1/1.500000 2/1/true"},
      {"no structure and no list use up their sizes",
       R"({"queueId":420,"partyRewardsByPremadeSize":[5,{"partyRewards":{}},{"other":[]},)"
       R"({"partyRewards":[]},{"partyRewards":[{"type":"Ip","value":"9"}]}]})",
       "on 420: 4/9999/ 5/1/9"},
      {"no size list", R"({"queueId":420,"partyRewardsByPremadeSize":{}})", "on 420:"},
      {"no queue id", R"({"partyRewardsByPremadeSize":[]})", "on -1:"},
      {"a queue id as text", R"({"queueId":"420"})", "on -1:"},
      {"a queue id beyond 32 bits", R"({"queueId":4294967716})", "on -1:"},
      {"not a structure", R"([1,2])", "on -1:"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    BindingResult value = ParseJson(row.json);
    ASSERT_TRUE(value.IsOk());
    EXPECT_EQ(Describe(ParsePartyRewardsConfig(value.Value())), row.expected);
  }
}

// The service's configuration: queue 420 twice (the first stays), a fallback without a queue id,
// and queue 450 without rewards.
constexpr char kConfiguration[] =
    R"([{"queueId":420,"partyRewardsByPremadeSize":[{"partyRewards":[{"type":"Ip","value":100}]},)"
    R"({"partyRewards":[{"type":"Ip","value":200},{"type":"Icon","value":"i"}]}]},)"
    R"({"queueId":420,"partyRewardsByPremadeSize":[{"partyRewards":[{"type":"Ip","value":1}]}]},)"
    R"({"partyRewardsByPremadeSize":[{"partyRewards":[{"type":"Icon","value":"i"}]}]},)"
    R"({"queueId":450,"partyRewardsByPremadeSize":[]}])";
constexpr char k420Rewards[] =
    R"({"isCustom":false,"isEnabled":true,"partyRewards":[{"premadeSize":1,"type":"Ip",)"
    R"("value":"100"},{"premadeSize":2,"type":"Ip","value":"200"}],"queueId":420})";

std::string Off(std::int32_t queueId, bool isCustom = false) {
  return std::string(R"({"isCustom":)") + (isCustom ? "true" : "false") +
         R"(,"isEnabled":false,"partyRewards":[],"queueId":)" + std::to_string(queueId) + "}";
}

class PartyRewardsHostTest : public ::testing::Test {
 protected:
  PartyRewardsHostTest() {
    Api::Queue queue;
    queue.id = 420;
    LobbyPluginTesting::Queues(*rig.plugin).Update(PluginResourceEventType::Create, {queue});
    Api::Lobby created;
    created.queueId = 420;
    rig.factory->arranged->createLobbyResult = created;
    Answer(kConfiguration);
  }

  // Delivers the dynamic configuration `configs` as the legacy platform pushes it.
  void Configure(const std::string& configs) {
    BindingProperty message;
    message.MakeStructure();
    message.Member("configs").SetString(configs);
    message.Member("delta").SetBool(false);
    ASSERT_TRUE(legacy.Push(kDynamicConfigurationClass, SerializeJson(message, nullptr, nullptr)));
    rig.host.RunDue();
  }
  void Answer(const std::string& payload, const std::string& error = "") {
    Host::ProxyScript script;
    script.reply.payload = payload;
    script.reply.error = error;
    proxy.Script(kService, kMethod, script);
  }
  // Updates the rewards for the v1 lobby of `queueId`; the rewards records published.
  Strings Update(std::int32_t queueId, bool isCustom = false) {
    Api::Lobby& lobby = LobbyPluginTesting::V1Lobby(*rig.plugin);
    lobby.queueId = queueId;
    lobby.isCustom = isCustom;
    const std::size_t mark = rig.Mark();
    rig.plugin->UpdatePartyRewards();
    return Published(mark);
  }
  [[nodiscard]] Strings Published(std::size_t mark) const {
    Strings records;
    for (std::string entry : rig.Entries({kRewardsPublish}, mark)) {
      const std::size_t end = entry.rfind(kRewardsUri);
      if (end == std::string::npos) continue;
      records.push_back(
          entry.substr(sizeof(kRewardsPublish) - 1, end - (sizeof(kRewardsPublish) - 1)));
    }
    return records;
  }
  [[nodiscard]] std::size_t Fetches() const {
    std::size_t count = 0;
    for (const Host::ProxyRequest& request : proxy.Requests()) {
      EXPECT_EQ(request.service + "." + request.method, std::string(kService) + "." + kMethod);
      EXPECT_EQ(request.payload, "");
      ++count;
    }
    return count;
  }

  LobbyRig rig;
  Host::ServiceProxyService proxy{rig.host};
  Host::LegacyPlatform legacy{rig.host};
};

TEST_F(PartyRewardsHostTest, AnEnablingConfigurationFetchesOnceAndPublishesTheLobbysQueue) {
  Configure(R"({"PartyRewards":{"Enabled":true}})");
  EXPECT_EQ(Fetches(), 0u) << "the configuration alone fetches nothing";

  Api::Lobby requested;
  requested.queueId = 420;
  const std::size_t mark = rig.Mark();
  ASSERT_FALSE(rig.plugin->CreateLobbyWithController(requested).IsFailure());
  EXPECT_EQ(Fetches(), 1u);
  EXPECT_EQ(Published(mark), Strings{k420Rewards});
  EXPECT_EQ(rig.plugin->HandleGetPartyRewards().value.partyRewards.size(), 2u);

  EXPECT_EQ(Update(420), Strings{k420Rewards});
  EXPECT_EQ(Update(999),
            Strings{R"({"isCustom":false,"isEnabled":true,"partyRewards":[{"premadeSize":1,)"
                    R"("type":"None","value":""}],"queueId":999})"})
      << "the entry without a queue id serves every other queue";
  EXPECT_EQ(Update(450), Strings{Off(450)}) << "an entry without rewards";
  EXPECT_EQ(Update(420, true), Strings{Off(-1, true)});
  EXPECT_EQ(Fetches(), 1u) << "the table stays loaded";

  Configure(R"({"PartyRewards":{"Enabled":true},"Other":1})");
  EXPECT_EQ(Update(420), Strings{k420Rewards});
  EXPECT_EQ(Fetches(), 2u) << "a new configuration fetches again";
}

TEST_F(PartyRewardsHostTest, AFailedFetchPublishesOffAndTheNextUpdateAsksAgain) {
  Configure(R"({"PartyRewards":{"Enabled":true}})");
  Answer("", "service down");
  const std::size_t logs = rig.host.Records().logs.size();
  EXPECT_EQ(Update(420), Strings{Off(-1)});
  // Only the service proxy's own progress lines.
  const std::vector<Host::LogLine>& lines = rig.host.Records().logs;
  ASSERT_EQ(lines.size() - logs, 3u);
  for (std::size_t i = logs; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].message.find(" service proxy request: "), std::string::npos)
        << lines[i].message;
  }
  Answer(kConfiguration);
  EXPECT_EQ(Update(420), Strings{k420Rewards});
  EXPECT_EQ(Fetches(), 2u);
}

TEST_F(PartyRewardsHostTest, OnlyTheExactEnabledKeySwitchesItOnAndTextThatIsNotJsonChangesNothing) {
  struct Row {
    const char* label;
    const char* configs;
    bool fetches;
  };
  const std::vector<Row> rows = {
      {"lower-case key", R"({"PartyRewards":{"enabled":true}})", false},
      {"no key", R"({})", false},
      {"on", R"({"PartyRewards":{"Enabled":true}})", true},
      {"not json", R"({"PartyRewards":)", true},
      {"not convertible", R"({"PartyRewards":{"Enabled":"maybe"}})", true},
      {"off", R"({"PartyRewards":{"Enabled":false}})", false},
      {"not json while off", R"(nothing)", false},
  };
  std::size_t fetched = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    const std::size_t logs = rig.host.Records().logs.size();
    Configure(row.configs);
    EXPECT_EQ(rig.host.Records().logs.size(), logs);
    if (row.fetches) {
      // Each update after an accepted configuration asks once; one that changed nothing asks
      // nothing.
      EXPECT_EQ(Update(420), Strings{k420Rewards});
      fetched = Fetches();
    } else {
      EXPECT_EQ(Update(420), Strings{Off(-1)});
      EXPECT_EQ(Fetches(), fetched);
    }
  }
  EXPECT_EQ(fetched, 1u);
}

TEST_F(PartyRewardsHostTest, ALobbyStatusWhileTheFetchWaitsSendsItsOwnAndBothPublish) {
  Configure(R"({"PartyRewards":{"Enabled":true}})");
  Host::ProxyScript slow;
  slow.reply.payload = kConfiguration;
  slow.timing = Host::ProxyScript::Timing::OnYield;
  slow.yield = 2;
  proxy.Script(kService, kMethod, slow);
  bool pushed = false;
  rig.host.OnYield(1, [&] { pushed = legacy.Push(kLobbyStatusClass, "{}"); });
  const std::size_t statusMark = rig.Mark();
  // Both updates' publications, the lobby status's first: it completes while the first waits.
  EXPECT_EQ(Update(420), (Strings{k420Rewards, k420Rewards}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(rig.Entries({"arranged.HandleLobbyStatus", "teamBuilder.HandleLobbyStatus",
                         "invalid.HandleLobbyStatus"},
                        statusMark)
                .size(),
            1u)
      << "the status ran inside the first update";
  EXPECT_EQ(Fetches(), 2u);
  // The table holds the configuration once: a later update finds queue 420's first entry.
  EXPECT_EQ(Update(420), Strings{k420Rewards});
  EXPECT_EQ(Fetches(), 2u);
}

}  // namespace
}  // namespace Zarn::Client::Lobby
