// The plugin library as a host sees it: loaded with dlopen and driven only through its export,
// its C entries and the host's function table.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "host/CommandShell.h"
#include "host/PluginHost.h"
#include "tests/host/LobbyHostRun.h"

namespace Zarn::Host {
namespace {

constexpr uint32_t kContext = 0x4C0B;

PluginHost::Options Options() {
  PluginHost::Options options;
  options.hostContext = kContext;
  return options;
}

std::string VersionText(const PluginApiVersionWords& core) {
  return std::to_string(core.major) + "." + std::to_string(core.minor) + "." +
         std::to_string(core.patch);
}

TEST(PluginEndToEndTest, CompatibleCoresGetTheReply) {
  for (const PluginApiVersionWords core :
       {PluginApiVersionWords{18, 0, 0}, {18, 0, 7}, {18, 3, 0}, {18, 3, 1}}) {
    SCOPED_TRACE(VersionText(core));
    PluginHost host(Options());
    const PluginHost::LoadOutcome outcome = host.Load(core);
    ASSERT_TRUE(outcome.accepted) << outcome.error;
    const PluginLoadResult& record = outcome.record;
    EXPECT_EQ(record.major, 18u);
    EXPECT_EQ(record.minor, 0u);
    EXPECT_EQ(record.patch, 0u);
    ASSERT_NE(record.entryPoints, nullptr);
    EXPECT_NE(record.entryPoints->initialize, nullptr);
    EXPECT_NE(record.entryPoints->shutdown, nullptr);
    EXPECT_NE(record.entryPoints->memoryStats, nullptr);
    EXPECT_NE(record.plugin, nullptr);
    EXPECT_STREQ(record.shortName, "jyx-lobby");
    EXPECT_NE(record.snapshot, nullptr);
    EXPECT_EQ(host.ShortName(), "jyx-lobby");
    EXPECT_TRUE(host.Initialize());
    host.Shutdown();
  }
}

TEST(PluginEndToEndTest, IncompatibleCoresAreRefusedWithAnAssertionReport) {
  for (const PluginApiVersionWords core :
       {PluginApiVersionWords{17, 0, 0}, {17, 4, 1}, {19, 0, 0}, {19, 2, 3}}) {
    SCOPED_TRACE(VersionText(core));
    PluginHost host(Options());
    testing::internal::CaptureStderr();
    const PluginHost::LoadOutcome outcome = host.Load(core);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(outcome.accepted);
    EXPECT_FALSE(host.Loaded());
    // The record is as the host filled it: the core's version and zeroed reply words.
    EXPECT_EQ(outcome.record.major, core.major);
    EXPECT_EQ(outcome.record.minor, core.minor);
    EXPECT_EQ(outcome.record.patch, core.patch);
    EXPECT_EQ(outcome.record.entryPoints, nullptr);
    EXPECT_EQ(outcome.record.plugin, nullptr);
    EXPECT_EQ(outcome.record.shortName, nullptr);
    EXPECT_EQ(outcome.record.snapshot, nullptr);
    EXPECT_NE(printed.find(" ERROR| Assertion failed!\n\nExpression: ALE-EECF0606\n\n"
                           "Description: jyx-lobby which supports plugin API 18.0.0 is not "
                           "compatible with core's plugin API " +
                           VersionText(core)),
              std::string::npos)
        << printed;
  }
}

TEST(PluginEndToEndTest, InitializeSubscribesTheServiceProxyEventsAndShutdownDropsThem) {
  PluginHost host(Options());
  ASSERT_TRUE(host.Load().accepted);
  ASSERT_TRUE(host.Initialize());
  const std::vector<std::string> names = {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent",
                                          "OnServiceProxyAsyncEvent"};
  const HostRecords& records = host.Records();
  // The lobby's own subscriptions follow them.
  ASSERT_GE(records.subscribes.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(records.subscribes[i].name, names[i]);
    EXPECT_EQ(records.subscribes[i].hostContext, kContext);
    EXPECT_EQ(records.subscribes[i].flag, 1u);
  }
  EXPECT_TRUE(records.unsubscribes.empty());

  host.Shutdown();
  std::vector<std::string> dropped;
  for (const UnsubscribeCall& call : records.unsubscribes) {
    EXPECT_EQ(call.hostContext, kContext);
    dropped.push_back(call.name);
  }
  std::vector<std::string> expected;
  for (const SubscribeCall& call : records.subscribes) expected.push_back(call.name);
  std::sort(expected.begin(), expected.end());
  std::sort(dropped.begin(), dropped.end());
  EXPECT_EQ(dropped, expected);
  EXPECT_TRUE(host.Subscriptions().empty());
}

TEST(PluginEndToEndTest, AfterInitializeLogLinesGoToTheHost) {
  PluginHost first(Options());
  ASSERT_TRUE(first.Load().accepted);
  ASSERT_TRUE(first.Initialize());
  ASSERT_TRUE(first.Initialize()) << "initializing twice keeps the plugin's log target";
  // The start's own lines are not the point here.
  first.ClearRecords();
  // A refused load in the same process reports through the log target now attached.
  PluginHost second(Options());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(second.Load({19, 0, 0}).accepted);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the built-in targets are detached";
  const std::vector<LogLine>& logs = first.Records().logs;
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0].level, 2u);
  EXPECT_EQ(logs[0].message,
            "Assertion failed!\n\nExpression: ALE-EECF0606\n\nDescription: jyx-lobby which "
            "supports plugin API 18.0.0 is not compatible with core's plugin API 19.0.0");
}

TEST(PluginEndToEndTest, MemoryStatisticsFillFourteenWords) {
  PluginHost host(Options());
  const PluginHost::LoadOutcome outcome = host.Load();
  ASSERT_TRUE(outcome.accepted);
  const PluginMemoryStatsEntry entry = outcome.record.entryPoints->memoryStats;
  uint32_t words[16];
  std::fill(std::begin(words), std::end(words), 0xFFFFFFFFu);
  entry(nullptr, reinterpret_cast<MemoryStats*>(words));
  EXPECT_EQ(words[12], 0u);
  EXPECT_EQ(words[13], 0u);
  EXPECT_EQ(words[14], 0xFFFFFFFFu) << "the entry writes 14 words, no more";
  const uint64_t allocations = words[6] | (uint64_t{words[7]} << 32);
  const uint64_t bytesAllocated = words[4] | (uint64_t{words[5]} << 32);
  EXPECT_GT(allocations, 0u);
  EXPECT_GT(bytesAllocated, 0u);
  host.Shutdown();
  const std::optional<MemoryStats> after = host.ReadMemoryStats();
  ASSERT_TRUE(after.has_value()) << "readable after shutdown, with a null object";
  EXPECT_GE(after->frees, 1u);
}

TEST(PluginEndToEndTest, TheSnapshotDescribesTheBuiltinAndPluginManagerTypes) {
  PluginHost host(Options());
  ASSERT_TRUE(host.Load().accepted);
  const SnapshotDescription& description = host.Description();
  for (const char* builtin : {"BindingAsyncState", "BindingCallbackEvent", "BindingFullApiHelp"}) {
    SCOPED_TRACE(builtin);
    EXPECT_NE(description.FindType(builtin), nullptr);
  }
  struct TypeCase {
    const char* name;
    std::vector<std::string> fields;
    std::vector<std::string> enumerators;
  };
  const TypeCase types[] = {
      {"PluginManagerState", {}, {"NotReady", "PluginsInitialized"}},
      {"PluginManagerResource", {"state"}, {}},
      {"PluginResourceEventType", {}, {"Create", "Delete", "Update"}},
      {"PluginResourceEvent", {"uri", "eventType", "data"}, {}},
      {"PluginLcdsEvent", {"clientId", "subtopic", "typeName", "body"}, {}},
      {"PluginLcdsResponse", {"typeName", "body"}, {}},
      {"PluginServiceProxyResponse",
       {"uuid", "serviceName", "methodName", "payload", "status", "error"},
       {}},
  };
  for (const TypeCase& c : types) {
    SCOPED_TRACE(c.name);
    const TypeDescription* type = description.FindType(c.name);
    ASSERT_NE(type, nullptr);
    std::vector<std::string> fields;
    for (const FieldDescription& field : type->fields) fields.push_back(field.name);
    EXPECT_EQ(fields, c.fields);
    EXPECT_EQ(type->enumerators, c.enumerators);
    EXPECT_EQ(type->tags, (std::vector<std::string>{"kvelnor"}));
    EXPECT_EQ(type->description, "");
  }
  struct EventCase {
    const char* name;
    const char* payload;
    const char* description;
  };
  const EventCase events[] = {
      {"OnJsonApiEvent", "PluginResourceEvent", "Fired when a resource is changed."},
      {"OnLcdsEvent", "PluginLcdsEvent",
       "Fired when a message is received over the LCDS connection."},
      {"OnServiceProxyUuidEvent", "PluginServiceProxyResponse",
       "Fired when a uuid-based service proxy message is received."},
      {"OnServiceProxyMethodEvent", "PluginServiceProxyResponse",
       "Fired when a method-based service proxy message is received."},
      {"OnServiceProxyAsyncEvent", "PluginServiceProxyResponse",
       "Fired when an async service proxy message is received."},
  };
  for (const EventCase& c : events) {
    SCOPED_TRACE(c.name);
    const EventDescription* event = description.FindEvent(c.name);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->payloadType, c.payload);
    EXPECT_EQ(event->description, c.description);
    EXPECT_EQ(event->tags, (std::vector<std::string>{"kvelnor"}));
  }
  EXPECT_NE(description.FindEvent("OnCallback"), nullptr);
  EXPECT_EQ(description.events.size(), 6u);
}

TEST(PluginEndToEndTest, ALoadCycleGivesBackWhatItAllocated) {
  // One host loads the library again after each shutdown; the library stays loaded, so objects
  // that live for the whole process are part of the baseline taken after the first cycle.
  PluginHost host(Options());
  auto cycle = [&host] {
    ASSERT_TRUE(host.Load().accepted);
    ASSERT_TRUE(host.Initialize());
    host.Shutdown();
  };
  cycle();
  const std::optional<MemoryStats> baseline = host.ReadMemoryStats();
  cycle();
  const std::optional<MemoryStats> after = host.ReadMemoryStats();
  ASSERT_TRUE(baseline.has_value());
  ASSERT_TRUE(after.has_value());
  EXPECT_GT(after->allocations, baseline->allocations);
  EXPECT_EQ(after->bytesAllocated - after->bytesFreed,
            baseline->bytesAllocated - baseline->bytesFreed);
  EXPECT_EQ(after->allocations - after->frees, baseline->allocations - baseline->frees);
}

TEST(PluginEndToEndTest, LobbyHostAnswersStatsAndQuit) {
  const Testing::LobbyHostRun run =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, "", "lobby-host",
                            "stats\nbogus\nGET /jyx-lobby/v9/nothing\nquit\nstats\n");
  EXPECT_EQ(run.exitStatus, 1) << "the unknown command failed to run";
  const std::vector<std::string>& lines = run.lines;
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], R"({"plugin":"jyx-lobby","started":true})");
  EXPECT_EQ(lines[1].rfind(R"({"liveBytes":)", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(R"("freesAndReallocations":)"), std::string::npos);
  EXPECT_EQ(lines[2], R"({"error":"unknown command: bogus; help lists the shell's commands"})");
  EXPECT_EQ(lines[3],
            R"({"status":404,"error":"No route of the plugin serves /jyx-lobby/v9/nothing; )"
            R"(routes lists the plugin's routes",)"
            R"("body":null})");
  EXPECT_EQ(lines[4], R"({"quit":true})");
}

// A script may begin with a byte order mark. Commands armed on a request that the plugin makes
// while it shuts down answer too; a path armed on that no request came of is named at the end.
TEST(PluginEndToEndTest, LobbyHostAnswersArmedCommandsUntilItEnds) {
  const Testing::LobbyHostRun run =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, "", "lobby-host-armed",
                            "\xEF\xBB\xBFparties-token t\n"
                            "on-request /jyx-login/v1/shutdown-locks/jyx-lobby delete /nothing\n"
                            "on-request /jyx-login/v1/shutdown-locks/jyx-lobby parties-health up\n"
                            "on-request /never/asked stats\n");
  EXPECT_EQ(run.exitStatus, 1) << "an armed command failed, another never ran";
  EXPECT_EQ(run.lines,
            (std::vector<std::string>{
                R"({"plugin":"jyx-lobby","started":true})", R"({"set":true})", R"({"armed":true})",
                R"({"armed":true})", R"({"armed":true})",
                R"({"error":"delete takes path; no resource at /nothing"})", R"({"set":true})",
                R"({"error":"a command armed with on-request never ran: no request )"
                R"(of /never/asked came"})"}));
}

// Lines of on-request chains on the service proxy's path, 800 deep down to none, each ending in a
// route that makes a proxy request: each request runs the next link of every chain, and the route
// of the shortest makes the next request inside it, so that the routes run inside each other as
// deep as the chains go. Every line and link is answered or refused with a line, and the host stays
// far below 1 GB (unbounded, it took 4 GB and lost answers).
TEST(PluginEndToEndTest, LobbyHostBoundsHowDeepArmedCommandsNest) {
  constexpr int kDeepest = 800;
  const std::string arm = "on-request /jyx-login/v1/service-proxy-uuid-requests ";
  const std::string route = "GET /jyx-lobby/v2/comms/token";
  std::string script;
  std::map<std::string, int> expected = {{R"({"plugin":"jyx-lobby","started":true})", 1}};
  const std::string armed = R"({"armed":true})";
  const std::string answer = R"({"status":0,"error":null,"body":"party-3.puuid-a"})";
  const std::string tooDeep = R"({"error":"on-request: armed commands nest at most 64 deep, )"
                              R"(and this one would be 65 deep"})";
  for (int depth = kDeepest; depth >= 0; --depth) {
    for (int i = 0; i < depth; ++i) script += arm;
    script += route + "\n";
    expected[armed] += std::min(depth, kMaxArmedNesting);
    ++expected[depth > kMaxArmedNesting ? tooDeep : answer];
  }
  const Testing::LobbyHostRun run = Testing::RunLobbyHost(
      JYX_TEST_LOBBY_HOST, "", "lobby-host-nesting", script, JYX_PARTIES_WORLD);
  rusage children{};
  ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &children), 0);
  EXPECT_LT(children.ru_maxrss, 1 << 20) << "KB at the peak";
  EXPECT_EQ(run.exitStatus, 1) << "the commands too deep failed";
  std::map<std::string, int> printed;
  for (const std::string& line : run.lines) ++printed[line];
  EXPECT_EQ(printed, expected);
}

}  // namespace
}  // namespace Zarn::Host
