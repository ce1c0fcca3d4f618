// Service-proxy requests, replies and asynchronous messages end to end through the stand-in
// host's service proxy.
#include "sdk/runtime/ServiceProxy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/base/LogTesting.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"
#include "tests/sdk/runtime/RemoteCallTesting.h"

namespace Zarn::Client {
namespace {

using Testing::FixturePayload;
using Testing::FixturePlayer;
using Zarn::Testing::Describe;
using Zarn::Testing::FailsWith;
using Raw = AppModule::ServiceProxyRawResponse;
using List = std::vector<BindingProperty>;

constexpr const char* kUuidPath = "/jyx-login/v1/service-proxy-uuid-requests";

class ServiceProxyTest : public Testing::RemoteCallTest {
 protected:
  void Script(Host::ProxyScript::Timing timing, std::string payload, std::string error = "",
              int yield = 1) {
    Host::ProxyScript script;
    script.timing = timing;
    script.yield = yield;
    script.reply.payload = std::move(payload);
    script.reply.error = std::move(error);
    proxy_.Script("parties", "getParty", script);
  }
  MaybeType<Failure, Raw> InvokeRaw() {
    return ServiceProxy::InvokeAndAwait<Raw>(plugin_, "parties", "getParty", payload_);
  }

  FixturePayload payload_{"GET", "/parties/v1/players/p1", ""};
};

TEST_F(ServiceProxyTest, AReplyDuringThePostFulfilsTheRequestOnceItIsRegistered) {
  Zarn::Testing::RecordingLogTarget recorder;
  LogTargetSettings settings;
  settings.level = 0;
  recorder.Configure(settings);

  Script(Host::ProxyScript::Timing::DuringPost, R"({"id":"party-1","members":[1,2]})");
  MaybeType<Failure, Raw> raw = InvokeRaw();
  ASSERT_TRUE(raw.HasValue()) << raw.Message();
  EXPECT_EQ(raw->methodName, "getParty");
  EXPECT_EQ(raw->status, "200");
  EXPECT_EQ(Describe(raw->payload), "{id:\"party-1\",members:[u:1,u:2]}");
  EXPECT_EQ(plugin_.yields, 0);

  ASSERT_EQ(proxy_.Requests().size(), 1u);
  const Host::ProxyRequest& request = proxy_.Requests()[0];
  EXPECT_EQ(request.service, "parties");
  EXPECT_EQ(request.method, "getParty");
  EXPECT_EQ(request.hostContext, std::to_string(Testing::kTestHostContext));
  EXPECT_EQ(request.payload, R"({"body":"","method":"GET","url":"/parties/v1/players/p1"})");
  EXPECT_EQ(Records().requests.back().method, 6u);
  EXPECT_EQ(Records().requests.back().path, kUuidPath);

  const std::string key = request.uuid;
  EXPECT_EQ(HostLogs("service proxy request"),
            (std::vector<std::string>{
                "3 tester: Preparing service proxy request: parties.getParty",
                "3 tester: Started service proxy request: parties.getParty (" + key + ")",
                "3 tester: Fulfilled service proxy request: " + key}));
  int lines = 0;
  for (const auto& line : recorder.Lines()) {
    if (line.message.find("service proxy request") == std::string::npos) continue;
    ++lines;
    EXPECT_EQ(line.level, 3);
    EXPECT_EQ(line.channels & 1u, 1u);
  }
  EXPECT_EQ(lines, 3);
}

TEST_F(ServiceProxyTest, AReplyOnALaterYieldIsAwaited) {
  Host::ProxyScript script;
  script.timing = Host::ProxyScript::Timing::OnYield;
  script.yield = 3;
  script.reply.payload = R"([{"a":1},"b"])";
  proxy_.Script("parties", "list", script);
  BindingProperty query;
  query.Member("q").SetString("x");
  MaybeType<Failure, List> list =
      ServiceProxy::InvokeAndAwait<List>(plugin_, "parties", "list", query);
  ASSERT_TRUE(list.HasValue()) << list.Message();
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ(Describe((*list)[0]), "{a:u:1}");
  EXPECT_EQ(plugin_.yields, 3);
  EXPECT_EQ(plugin_.waits.size(), 1u);
  EXPECT_EQ(proxy_.Requests().back().payload, R"({"q":"x"})");
}

TEST_F(ServiceProxyTest, FailedResultsCarryTheReasonWithCodeZero) {
  struct Case {
    const char* label;
    Host::ProxyScript::Timing timing;
    const char* payload;
    const char* error;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"an error reply, whatever its payload", Host::ProxyScript::Timing::DuringPost, R"({"ok":1})",
       "503 parties unavailable", "503 parties unavailable"},
      {"a payload that is not JSON", Host::ProxyScript::Timing::OnYield, "{oops", "",
       "Failed to deserialize response payload \"{oops\" to a class Zarn::BindingProperty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Script(c.timing, c.payload, c.error);
    EXPECT_THAT(InvokeRaw(), FailsWith(0, c.message));
  }

  Host::ProxyScript refused;
  refused.postError = "login session expired";
  refused.postStatus = 401;
  proxy_.Script("parties", "getParty", refused);
  EXPECT_THAT(InvokeRaw(), FailsWith(0, std::string("Error response for POST ") + kUuidPath +
                                            ": login session expired"));
}

TEST_F(ServiceProxyTest, RefusedRequestsNeverReachTheHost) {
  const std::size_t before = Records().requests.size();
  // A payload whose type the registry does not know.
  EXPECT_THAT(
      ServiceProxy::InvokeAndAwait<Raw>(plugin_, "parties", "getParty", Testing::FixtureUnbound{}),
      FailsWith(0,
                "Failed to convert type struct Testing::FixtureUnbound to "
                "BindingProperty for serialization"));
  plugin_.shuttingDown_ = true;
  EXPECT_THAT(InvokeRaw(), FailsWith(0, "Finalizing"));
  bool called = false;
  EXPECT_EQ(ServiceProxy::Invoke<List>(plugin_, "parties", "list", BindingProperty(),
                                       [&](const PluginServiceProxyResponse&) { called = true; }),
            "Finalizing");
  EXPECT_EQ(Records().requests.size(), before);
  EXPECT_TRUE(plugin_.waits.empty());
  EXPECT_FALSE(called);
  plugin_.shuttingDown_ = false;
}

TEST_F(ServiceProxyTest, ALaterReplyUnderTheSameKeyReplacesAnUnmatchedOne) {
  // The uuid request answers "fixed" and delivers two replies for it while it runs.
  const auto reply = [](const char* payload) {
    return std::string(R"({"uuid":"fixed","serviceName":"parties","methodName":"getParty",)") +
           R"("payload":")" + payload + R"(","status":"200","error":""})";
  };
  Host::ScriptedReply post;
  post.json = "\"fixed\"";
  post.uses = 1;
  post.during = [&] {
    host_.DeliverEventNow("OnServiceProxyUuidEvent", reply("1"));
    host_.DeliverEventNow("OnServiceProxyUuidEvent", reply("2"));
  };
  host_.ScriptReply(kUuidPath, post);
  MaybeType<Failure, Raw> raw = InvokeRaw();
  ASSERT_TRUE(raw.HasValue()) << raw.Message();
  EXPECT_EQ(Describe(raw->payload), "u:2");
}

TEST_F(ServiceProxyTest, MethodEventsAreKeyedByServiceAndMethod) {
  Host::ScriptedReply post;
  post.json = "\"parties.partyChanged\"";
  post.uses = 1;
  host_.ScriptReply(kUuidPath, post);
  std::vector<std::string> payloads;
  ASSERT_EQ(ServiceProxy::Invoke<Raw>(plugin_, "parties", "getParty", payload_,
                                      [&](const PluginServiceProxyResponse& reply) {
                                        payloads.push_back(reply.payload);
                                      }),
            "");
  Host::ProxyMessage other{"\"no\"", "200", ""};
  proxy_.SendMethodEvent("parties", "otherMethod", other);
  Host::ProxyMessage message{"\"yes\"", "200", ""};
  proxy_.SendMethodEvent("parties", "partyChanged", message);
  host_.RunDue();
  EXPECT_EQ(payloads, (std::vector<std::string>{"\"yes\""}));
}

TEST_F(ServiceProxyTest, AsyncMessagesReachTheHandlerOnlyFromTheScheduledCallback) {
  std::vector<std::string> players;
  plugin_.SubscribeServiceProxyAsync<FixturePlayer>(
      "parties", "playerChanged",
      [&](const FixturePlayer& player) { players.push_back(player.puuid); });
  ASSERT_EQ(proxy_.AsyncRegistrations().size(), 1u);
  EXPECT_EQ(proxy_.AsyncRegistrations()[0].service, "parties");
  EXPECT_EQ(proxy_.AsyncRegistrations()[0].method, "playerChanged");
  EXPECT_EQ(proxy_.AsyncRegistrations()[0].hostContext, std::to_string(Testing::kTestHostContext));
  EXPECT_EQ(Records().requests.back().path,
            "/jyx-login/v1/service-proxy-async-requests/parties/playerChanged");

  const std::size_t logs = Records().logs.size();
  host_.DeliverEventNow("OnServiceProxyAsyncEvent",
                        R"({"uuid":"","serviceName":"parties","methodName":"playerChanged",)"
                        R"("payload":"{\"puuid\":\"p1\",\"ready\":true}","status":"","error":""})");
  EXPECT_TRUE(players.empty()) << "the handler ran inside the event";
  EXPECT_EQ(Records().scheduledLabels.back(), "parties.playerChanged");
  host_.RunDue();
  EXPECT_EQ(players, (std::vector<std::string>{"p1"}));

  // Not JSON, and JSON that is not a player (its required puuid is missing): dropped silently.
  for (const char* payload : {"{broken", R"({"ready":true})"}) {
    SCOPED_TRACE(payload);
    proxy_.SendAsyncEvent("parties", "playerChanged", Host::ProxyMessage{payload, "", ""});
    host_.RunDue();
  }
  EXPECT_EQ(players.size(), 1u);
  EXPECT_EQ(Records().logs.size(), logs);

  proxy_.SendAsyncEvent("chat", "unknown", Host::ProxyMessage{"{}", "", ""});
  host_.RunDue();
  EXPECT_EQ(HostLogs("async service proxy event"),
            (std::vector<std::string>{
                "2 tester: Could not find registered handler for async service proxy event "
                "chat.unknown"}));
}

TEST_F(ServiceProxyTest, AReplyThatNeverComesTripsTheHostsNoProgressBudget) {
  Script(Host::ProxyScript::Timing::Never, "{}");
  EXPECT_DEATH((void)InvokeRaw(), "made no progress");
}

#ifndef NDEBUG
TEST_F(ServiceProxyTest, ACompletionCallbackThatStartsARequestAborts) {
  Script(Host::ProxyScript::Timing::DuringPost, "{}");
  EXPECT_DEATH(
      {
        (void)ServiceProxy::Invoke<Raw>(
            plugin_, "parties", "getParty", payload_, [&](const PluginServiceProxyResponse&) {
              (void)ServiceProxy::Invoke<Raw>(plugin_, "parties", "getParty", payload_, {});
            });
      },
      "would deadlock");
}
#endif

}  // namespace
}  // namespace Zarn::Client
