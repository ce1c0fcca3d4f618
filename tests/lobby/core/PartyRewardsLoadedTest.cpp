// Party rewards through the plugin library as the stand-in host loads it: the legacy platform's
// dynamic configuration switches them, the service proxy answers the fetch, arranged-team lobbies
// publish them.
#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "host/LegacyPlatform.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "tests/lobby/core/GameflowAnswers.h"

namespace Zarn::Host {
namespace {

using Names = std::vector<std::string>;

constexpr char kConfigurationClass[] =
    "com.zarnworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification";
constexpr char kRewardsPath[] = "/jyx-lobby/v1/party-rewards";
// Queue 420 with rewards for two, and a fallback without queue id.
constexpr char kConfiguration[] =
    R"([{"queueId":420,"partyRewardsByPremadeSize":[{"partyRewards":[{"type":"Icon","value":"i"}]},)"
    R"({"partyRewards":[{"type":"Ip","value":250}]}]},)"
    R"({"partyRewardsByPremadeSize":[{"partyRewards":[{"type":"Ip","value":"5"}]}]}])";
constexpr char k420[] =
    R"({"isCustom":false,"isEnabled":true,"partyRewards":[{"premadeSize":1,"type":"None",)"
    R"("value":""},{"premadeSize":2,"type":"Ip","value":"250"}],"queueId":420})";
constexpr char k430[] =
    R"({"isCustom":false,"isEnabled":true,"partyRewards":[{"premadeSize":1,"type":"Ip",)"
    R"("value":"5"}],"queueId":430})";
constexpr char kOff[] = R"({"isCustom":false,"isEnabled":false,"partyRewards":[],"queueId":-1})";

std::string Queue(int id) {
  return R"({"id":)" + std::to_string(id) +
         R"(,"mapId":11,"gameMode":"CLASSIC","maximumParticipantListSize":5,)"
         R"("isTeamBuilderManaged":false,"queueAvailability":"Available"})";
}

class PartyRewardsLoadedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginHost::Options options;
    options.maxIdleYields = 50;
    host = std::make_unique<PluginHost>(options);
    legacy = std::make_unique<LegacyPlatform>(*host);
    proxy = std::make_unique<ServiceProxyService>(*host);
    host->SeedResource("/jyx-game-queues/v1/queues", "[" + Queue(420) + "," + Queue(430) + "]");
    host->SeedResource("/jyx-login/v1/session",
                       R"({"state":"SUCCEEDED","summonerId":2046,"accountId":9001})");
    Host::Testing::AnswerLobbyRequests(*host);
    Answer(kConfiguration);
    ASSERT_TRUE(host->Load().accepted);
    ASSERT_TRUE(host->Initialize());
    host->RunDue();
  }
  void TearDown() override {
    if (host->Loaded()) host->Shutdown();
  }

  void Configure(const std::string& configsJson) {
    ASSERT_TRUE(
        legacy->Push(kConfigurationClass, R"({"delta":false,"configs":)" + configsJson + "}"));
    host->RunDue();
  }
  void Answer(const std::string& payload, const std::string& error = "") {
    ProxyScript script;
    script.reply.payload = payload;
    script.reply.error = error;
    proxy->Script("partyRewards", "retrievePartyRewardsConfig", script);
  }
  // Creates (or changes to) the arranged-team lobby of `queueId`; the rewards records published
  // meanwhile.
  Names Post(int queueId) {
    const std::size_t mark = host->Records().published.size();
    const RouteAnswer answer = host->CallRoute("POST", "/jyx-lobby/v2/lobby",
                                               R"({"queueId":)" + std::to_string(queueId) + "}");
    host->RunDue();
    EXPECT_FALSE(answer.error.has_value()) << answer.error.value_or("");
    Names records;
    const std::string prefix = R"({"data":)";
    const std::string suffix =
        R"(,"eventType":"Update","uri":")" + std::string(kRewardsPath) + "\"}";
    const std::vector<PublishedEvent>& published = host->Records().published;
    for (std::size_t i = mark; i < published.size(); ++i) {
      const std::string& payload = published[i].payload;
      if (published[i].name != "OnJsonApiEvent" || !payload.ends_with(suffix)) continue;
      EXPECT_TRUE(payload.starts_with(prefix)) << payload;
      records.push_back(
          payload.substr(prefix.size(), payload.size() - prefix.size() - suffix.size()));
    }
    return records;
  }
  // The fetches sent so far, each checked to be the rewards call with an empty argument.
  std::size_t Fetches() const {
    for (const ProxyRequest& request : proxy->Requests()) {
      EXPECT_EQ(request.service, "partyRewards");
      EXPECT_EQ(request.method, "retrievePartyRewardsConfig");
      EXPECT_EQ(request.payload, "");
    }
    return proxy->Requests().size();
  }
  // The lobby's own log lines (not the runtime's) at levels 1 and 2 since `from`.
  Names Warnings(std::size_t from) const {
    Names lines;
    const std::vector<LogLine>& logs = host->Records().logs;
    for (std::size_t i = from; i < logs.size(); ++i) {
      if (logs[i].level == 1 || logs[i].level == 2) lines.push_back(logs[i].message);
    }
    return lines;
  }

  std::unique_ptr<PluginHost> host;
  std::unique_ptr<LegacyPlatform> legacy;
  std::unique_ptr<ServiceProxyService> proxy;
};

// The last record of each lobby change is the one that stands.
std::string Last(const Names& records) { return records.empty() ? "none" : records.back(); }

TEST_F(PartyRewardsLoadedTest, AConfigurationSwitchesTheRewardsThatLobbiesFetchOnceAndPublish) {
  Configure(R"("{\"PartyRewards\":{\"Enabled\":true}}")");
  EXPECT_EQ(Fetches(), 0u) << "the configuration alone fetches nothing";

  // Each update asks while the fetch fails, logging nothing and publishing the rewards off.
  Answer("", "unavailable");
  const std::size_t logs = host->Records().logs.size();
  const Names failed = Post(420);
  ASSERT_FALSE(failed.empty());
  EXPECT_EQ(failed, Names(failed.size(), kOff));
  EXPECT_EQ(Fetches(), failed.size());
  EXPECT_EQ(Warnings(logs), Names{});

  Answer(kConfiguration);
  std::size_t fetched = Fetches();
  EXPECT_EQ(Last(Post(430)), k430) << "the fallback, for a queue without its own entry";
  EXPECT_EQ(Fetches(), fetched + 1);
  EXPECT_EQ(Last(Post(420)), k420);
  EXPECT_EQ(Fetches(), fetched + 1) << "loaded once";

  Configure(R"("{\"PartyRewards\":{\"Enabled\":true}}")");
  EXPECT_EQ(Last(Post(430)), k430);
  EXPECT_EQ(Fetches(), fetched + 2) << "a new configuration fetches again";

  for (const char* off : {R"("{\"PartyRewards\":{\"enabled\":true}}")", R"("{}")"}) {
    SCOPED_TRACE(off);
    Configure(off);
    const Names records = Post(off == std::string(R"("{}")") ? 430 : 420);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records, Names(records.size(), kOff));
    EXPECT_EQ(Fetches(), fetched + 2);
  }
  Configure(R"("{\"PartyRewards\":{\"Enabled\":true}}")");
  Configure(R"("{\"PartyRewards\":")");
  EXPECT_EQ(Last(Post(430)), k430) << "text that is not JSON leaves the switch on";
  EXPECT_EQ(Fetches(), fetched + 3);
}

}  // namespace
}  // namespace Zarn::Host
