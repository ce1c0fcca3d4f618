// Routes of a plugin built from the SDK, called by the stand-in host through the snapshot's
// route descriptors and call entries, as the real host calls them.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "tests/host/LobbyHostRun.h"

namespace Zarn::Host {
namespace {

PluginHost::Options Options() {
  PluginHost::Options options;
  options.pluginPath = JYX_TEST_ROUTE_PLUGIN;
  return options;
}

RouteRequest Request(uint32_t method, std::string path) {
  RouteRequest request;
  request.method = method;
  request.path = std::move(path);
  return request;
}

RouteRequest WithBody(RouteRequest request, const char* contentType, std::string body) {
  request.contentType = contentType;
  request.body = std::move(body);
  return request;
}

class RouteEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const PluginHost::LoadOutcome outcome = host.Load();
    ASSERT_TRUE(outcome.accepted) << outcome.error;
    ASSERT_TRUE(host.Initialize());
  }
  void TearDown() override {
    if (host.Loaded()) host.Shutdown();
  }

  PluginHost host{Options()};
};

TEST_F(RouteEndToEndTest, EverySourceReachesItsArgument) {
  RouteRequest header = Request(2, "/test/v1/open?n=4");
  header.headers = {{"token", "from-header"}, {"Token", "ignored"}};
  RouteRequest named = Request(2, "/test/v1/open");
  named.namedValues = {{"token", R"("from-name")"}, {std::nullopt, "5"}};
  struct Case {
    const char* label;
    RouteRequest request;
    uint32_t status;
    const char* error;  // null on success
    const char* body;
  };
  const Case cases[] = {
      {"path and query", Request(2, "/test/v1/echo/a/b%20c?q=x+y"), 0, nullptr, R"("a/b c|x y")"},
      {"path without query", Request(2, "/test/v1/echo/a"), 0, nullptr, R"("a|-")"},
      {"json body",
       WithBody(Request(6, "/test/v1/parties/p1"), "application/json",
                R"({"members":[{"name":"m","level":2}],"version":1})"),
       0, nullptr,
       R"({"availability":"Available","id":"p1","members":[{"level":2,"name":"m"}],)"
       R"("note":null,"version":2})"},
      {"yaml body",
       WithBody(Request(6, "/test/v1/parties/p2"), "application/x-yaml", "note: hi\nversion: 7\n"),
       0, nullptr,
       R"({"availability":"Available","id":"p2","members":[],"note":"hi","version":8})"},
      {"msgpack body",
       WithBody(Request(6, "/test/v1/parties/p3"), "application/x-msgpack", "\x81\xa7version\x05"),
       0, nullptr,
       R"({"availability":"Available","id":"p3","members":[],"note":null,"version":6})"},
      {"handler failure", WithBody(Request(6, "/test/v1/parties/locked"), "application/json", "{}"),
       423, "PARTY_LOCKED", "null"},
      {"unsupported body", WithBody(Request(6, "/test/v1/parties/p1"), "text/plain", "{}"), 0,
       "Unsupported body content type", "null"},
      {"header", header, 0, nullptr, R"("from-header|4")"},
      {"named values", named, 0, nullptr, R"("from-name|5")"},
      {"status only", Request(1, "/test/v1/party"), 204, nullptr, "null"},
      {"bool body on PUT", WithBody(Request(7, "/test/v1/flag"), "application/json", "true"), 0,
       nullptr, "null"},
      {"the flag was set", Request(2, "/test/v1/flag"), 0, nullptr, "true"},
      {"no route", Request(2, "/test/v1/nothing"), 404,
       "No route of the plugin serves /test/v1/nothing; routes lists the plugin's routes", "null"},
      {"near a template whose parameter takes the rest", Request(2, "/test/v1/ecko/a/b"), 404,
       "No route of the plugin serves /test/v1/ecko/a/b; the nearest route is "
       "/test/v1/echo/{+rest}; routes lists the plugin's routes",
       "null"},
      {"wrong method", Request(5, "/test/v1/flag"), 404,
       "No route of the plugin serves PATCH /test/v1/flag; the path's routes take GET, PUT",
       "null"},
      {"NUL in the path", Request(2, std::string("/test/v1/echo/a\0b", 17)), 0,
       "a path, header or name holds a NUL byte", "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const RouteAnswer answer = host.CallRoute(c.request);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.error.value_or("<none>"), c.error != nullptr ? c.error : "<none>");
    EXPECT_EQ(answer.body, c.body);
  }
}

TEST_F(RouteEndToEndTest, StreamedBodyIsReadBeforeTheReplyIsReleased) {
  const RouteAnswer answer = host.CallRoute(Request(2, "/test/v1/stream"));
  EXPECT_FALSE(answer.error.has_value());
  EXPECT_EQ(answer.status, 200u);
  EXPECT_EQ(answer.statusText, "OK");
  EXPECT_EQ(answer.headers,
            (std::vector<std::pair<std::string, std::string>>{{"Content-Type", "text/plain"}}));
  ASSERT_TRUE(answer.stream.has_value());
  EXPECT_EQ(*answer.stream, std::string(3000, 's') + "end");

  // Each stream goes back through its release entry.
  const std::optional<MemoryStats> before = host.ReadMemoryStats();
  for (int i = 0; i < 20; ++i) (void)host.CallRoute(Request(2, "/test/v1/stream"));
  const std::optional<MemoryStats> after = host.ReadMemoryStats();
  ASSERT_TRUE(before && after);
  EXPECT_EQ(after->bytesAllocated - after->bytesFreed, before->bytesAllocated - before->bytesFreed);
}

TEST_F(RouteEndToEndTest, RepeatedCallsLeaveThePluginsMemoryAsItWas) {
  const auto call = [&] {
    return host.CallRoute(WithBody(Request(6, "/test/v1/parties/p1"), "application/json",
                                   R"({"members":[{"name":"m","level":2}]})"));
  };
  (void)call();
  const std::optional<MemoryStats> before = host.ReadMemoryStats();
  for (int i = 0; i < 200; ++i) (void)call();
  const std::optional<MemoryStats> after = host.ReadMemoryStats();
  ASSERT_TRUE(before && after);
  EXPECT_EQ(after->bytesAllocated - after->bytesFreed, before->bytesAllocated - before->bytesFreed);
  EXPECT_GT(after->allocations, before->allocations);
}

// Deep values in each body form, answered back: the plugin's live bytes come back to where they
// were, and every round of calls counts the same allocations, reallocations and frees.
TEST_F(RouteEndToEndTest, DeepBodiesLeaveTheLiveBytesAtTheBaseline) {
  constexpr int kDepth = 500;
  const std::string json = std::string(kDepth, '[') + "1" + std::string(kDepth, ']');
  const std::string msgpack = std::string(kDepth, '\x91') + "\x01";
  const RouteRequest requests[] = {
      WithBody(Request(6, "/test/v1/value"), "application/json", json),
      WithBody(Request(6, "/test/v1/value"), "application/x-yaml", json),  // a YAML flow sequence
      WithBody(Request(6, "/test/v1/value"), "application/x-msgpack", msgpack),
  };
  for (const RouteRequest& request : requests) {
    SCOPED_TRACE(*request.contentType);
    const RouteAnswer answer = host.CallRoute(request);
    EXPECT_EQ(answer.error.value_or("<none>"), "<none>");
    EXPECT_EQ(answer.body, json);
  }
  const auto round = [&] {
    for (const RouteRequest& request : requests) (void)host.CallRoute(request);
  };
  const auto live = [](const MemoryStats& stats) {
    return stats.bytesAllocated - stats.bytesFreed;
  };
  const std::optional<MemoryStats> baseline = host.ReadMemoryStats();
  round();
  const std::optional<MemoryStats> first = host.ReadMemoryStats();
  constexpr int kRounds = 333;  // 1,002 calls with the first
  for (int i = 1; i < kRounds; ++i) round();
  const std::optional<MemoryStats> after = host.ReadMemoryStats();
  ASSERT_TRUE(baseline && first && after);
  EXPECT_EQ(live(*first), live(*baseline));
  EXPECT_EQ(live(*after), live(*baseline));
  EXPECT_EQ(after->peakLiveBytes, first->peakLiveBytes);
  EXPECT_GT(first->allocations, baseline->allocations);
  EXPECT_EQ(after->allocations - baseline->allocations,
            kRounds * (first->allocations - baseline->allocations));
  EXPECT_EQ(after->frees - baseline->frees, kRounds * (first->frees - baseline->frees));
  EXPECT_EQ(after->bytesAllocated - baseline->bytesAllocated,
            kRounds * (first->bytesAllocated - baseline->bytesAllocated));
}

// One line of valid JSON whose strings are valid UTF-8.
bool IsJsonLine(const std::string& line) {
  rapidjson::Document json;
  json.Parse<rapidjson::kParseValidateEncodingFlag>(line.c_str(), line.size());
  return !json.HasParseError() && line.find('\n') == std::string::npos;
}

TEST(RouteLobbyHostTest, PrintsEveryAnswerAsOneLineOfValidJson) {
  const std::string longPath = "/" + std::string(1000000, 'a');
  const Testing::LobbyHostRun run =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, JYX_TEST_ROUTE_PLUGIN, "route-host-lines",
                            "GET /test/v1/stream\n"
                            "GET /test/v1/stream?json=true\n"
                            "fr\xFFob\n"
                            "GET /test/v1/echo/%FF%C3x\n"
                            "GET " +
                                longPath + "\nquit\n");
  EXPECT_EQ(run.exitStatus, 1) << "a command failed to run";
  const std::vector<std::string>& lines = run.lines;
  ASSERT_EQ(lines.size(), 7u);
  for (const std::string& line : lines) {
    SCOPED_TRACE(line.substr(0, 100));
    EXPECT_TRUE(IsJsonLine(line));
  }
  EXPECT_EQ(lines[1],
            R"({"status":200,"error":null,"body":")" + std::string(3000, 's') + R"(end"})");
  EXPECT_EQ(lines[2], R"({"status":200,"error":null,"body":{"streamed":[1,2,3]}})");
  EXPECT_EQ(lines[3], R"({"error":"unknown command: fr\\xFFob; help lists the shell's commands"})");
  EXPECT_EQ(lines[4], R"({"status":0,"error":null,"body":"\\xFF\\xC3x|-"})");
  const std::string error =
      "No route of the plugin serves " + longPath + "; routes lists the plugin's routes";
  EXPECT_EQ(lines[5], R"({"status":404,"error":")" + error.substr(0, 300) + "... (" +
                          std::to_string(error.size()) + " bytes)\",\"body\":null}");
  EXPECT_EQ(lines[6], R"({"quit":true})");
}

// The plugin's steady and wall clocks are the host's virtual clock: a countdown the plugin
// computes falls due when the script advances past it, the same on every run.
TEST(RouteLobbyHostTest, ADeadlineInThePluginFallsDueOnTheVirtualClock) {
  const std::string script =
      "POST /test/v1/countdown 5\n"
      "advance 4.5\n"
      "events\n"
      "GET /test/v1/countdown\n"
      "advance 1\n"
      "events\n"
      "GET /test/v1/countdown\n";
  const Testing::LobbyHostRun run =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, JYX_TEST_ROUTE_PLUGIN, "route-host-clock", script);
  EXPECT_EQ(run.exitStatus, 0);
  const std::string expired =
      R"({"data":"expired: remainingMs=0 steadyMs=5000 wallMs=1767225605000",)"
      R"("eventType":"Update","uri":"/test/v1/countdown"})";
  const std::vector<std::string> expected = {
      R"({"plugin":"jyx-route-test","started":true})",
      R"({"status":0,"error":null,"body":"remainingMs=5000 steadyMs=0 wallMs=1767225600000"})",
      R"({"clock":4.5,"ran":4})",
      R"({"events":[]})",
      R"({"status":0,"error":null,"body":"remainingMs=500 steadyMs=4500 wallMs=1767225604500"})",
      R"({"clock":5.5,"ran":3})",
      R"({"events":[{"name":"OnJsonApiEvent_test_v1_countdown","payload":)" + expired +
          R"(},{"name":"OnJsonApiEvent","payload":)" + expired + "}]}",
      R"({"status":0,"error":null,"body":"remainingMs=0 steadyMs=5500 wallMs=1767225605500"})",
  };
  EXPECT_EQ(run.lines, expected);
  const Testing::LobbyHostRun again =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, JYX_TEST_ROUTE_PLUGIN, "route-host-clock", script);
  EXPECT_EQ(again.lines, run.lines);
}

// The clock's range: an advance past the largest is refused, and after three of the largest a
// countdown still expires on time, with each advance's callbacks counted.
TEST(RouteLobbyHostTest, TheClockRefusesWhatItCannotRepresent) {
  const Testing::LobbyHostRun run =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, JYX_TEST_ROUTE_PLUGIN, "route-host-range",
                            "advance 1e300\n"
                            "advance 31536000\nadvance 31536000\nadvance 31536000\n"
                            "POST /test/v1/countdown 5\nadvance 6\nevents\n");
  EXPECT_EQ(run.exitStatus, 1) << "the first advance failed to run";
  const std::string expired =
      R"({"data":"expired: remainingMs=0 steadyMs=94608005000 wallMs=1861833605000",)"
      R"("eventType":"Update","uri":"/test/v1/countdown"})";
  const std::vector<std::string> expected = {
      R"({"plugin":"jyx-route-test","started":true})",
      R"j({"error":"advance takes at most 31536000.0 seconds (a year)"})j",
      R"({"clock":31536000.0,"ran":0})",
      R"({"clock":63072000.0,"ran":0})",
      R"({"clock":94608000.0,"ran":0})",
      R"({"status":0,"error":null,"body":"remainingMs=5000 steadyMs=94608000000 )"
      R"(wallMs=1861833600000"})",
      R"({"clock":94608006.0,"ran":7})",
      R"({"events":[{"name":"OnJsonApiEvent_test_v1_countdown","payload":)" + expired +
          R"(},{"name":"OnJsonApiEvent","payload":)" + expired + "}]}",
  };
  EXPECT_EQ(run.lines, expected);
}

// A line of 200 MB is read and dropped with one error line, in bounded memory, and the next
// command runs; a script or a world that cannot be read is refused with one line.
TEST(RouteLobbyHostTest, AHugeLineGetsOneErrorLine) {
  const std::string outputPath = ::testing::TempDir() + "route-host-huge-output.txt";
  const std::string command = std::string("'") + JYX_TEST_LOBBY_HOST + "' --plugin '" +
                              JYX_TEST_ROUTE_PLUGIN + "' > '" + outputPath + "' 2>/dev/null";
  FILE* host = popen(command.c_str(), "w");
  ASSERT_NE(host, nullptr);
  const std::string chunk(1 << 20, '[');
  std::fputs("PUT /test/v1/flag ", host);
  for (int i = 0; i < 200; ++i) std::fwrite(chunk.data(), 1, chunk.size(), host);
  std::fputs("\nGET /test/v1/echo/next\n", host);
  const int status = pclose(host);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  std::ifstream in(outputPath, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       R"({"plugin":"jyx-route-test","started":true})",
                       R"({"error":"a command line holds at most 1048576 bytes; this one holds )"
                       R"(209715218"})",
                       R"({"status":0,"error":null,"body":"next|-"})"}));

  // A script or a world that cannot be read ends the host with one line, before the plugin
  // loads: a script that is a directory, a world of 300 MB (sparse, so that the test stays fast).
  const std::string directory = ::testing::TempDir();
  const std::string huge = ::testing::TempDir() + "route-host-huge-world.json";
  std::ofstream(huge) << "{";
  std::filesystem::resize_file(huge, 300u << 20);
  struct Refused {
    std::string arguments;
    std::string line;
  };
  const Refused cases[] = {
      {"'" + directory + "'",
       R"({"error":"cannot read the script )" + directory + R"(: it is a directory"})"},
      {"--world '" + huge + "'", R"({"error":"world )" + huge +
                                     R"(: a world file holds at most 16777216 bytes; this one )"
                                     R"(holds 314572800"})"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.arguments);
    const int refused = std::system((std::string("'") + JYX_TEST_LOBBY_HOST + "' " + c.arguments +
                                     " < /dev/null > '" + outputPath + "' 2>/dev/null")
                                        .c_str());
    ASSERT_TRUE(WIFEXITED(refused));
    EXPECT_EQ(WEXITSTATUS(refused), 1);
    std::ifstream again(outputPath, std::ios::binary);
    std::vector<std::string> printed;
    for (std::string line; std::getline(again, line);) printed.push_back(line);
    EXPECT_EQ(printed, std::vector<std::string>{c.line});
  }
  std::filesystem::remove(huge);
}

// Arguments are the caller's: a plugin named without a slash is the file in the caller's
// directory (not one the loader searches for). Bad arguments are a usage error: one line naming
// what was wrong, then the usage line, on standard error. A world given as the commands is one
// too: as a script before the plugin loads, on standard input at its first command; and so is a
// script given as the world. --help tells what the commands are and where they come from.
TEST(RouteLobbyHostTest, ArgumentsAreTheCallersOrAUsageError) {
  const std::string plugin = JYX_TEST_ROUTE_PLUGIN;
  const std::size_t slash = plugin.rfind('/');
  const std::string outputPath = ::testing::TempDir() + "route-host-arguments.txt";
  const std::string temp = ::testing::TempDir();
  // A world as an editor may write it: a byte order mark, a comment and a blank line first.
  const std::string world = temp + "route-host-world.json";
  std::ofstream(world, std::ios::binary) << "\xEF\xBB\xBF# a world\n\n  {\"resources\": {}}\n";
  // A script as an editor may write it, and a world whose first line is no command.
  // Named apart from another test's files, written while this one runs.
  const std::string script = temp + "route-host-arguments-script.txt";
  std::ofstream(script, std::ios::binary) << "\xEF\xBB\xBF# a script\n\n  GET /test/v1/flag\r\n";
  const std::string noCommand = temp + "route-host-no-command.json";
  std::ofstream(noCommand, std::ios::binary) << "resources: {}\n";
  // A script that names its world, as the shipped ones do, from the repository's root.
  const std::string worlds = JYX_WORLDS_DIR;
  const std::string root = worlds + "../..";
  const std::string partiesScript = temp + "route-host-parties.txt";
  std::ofstream(partiesScript, std::ios::binary)
      << "\xEF\xBB\xBF# world: host/worlds/parties.json \r\nGET /test/v1/flag\n";
  const std::string shippedScript = worlds + "party-logout.txt";
  const std::string give = ": give it with --world host/worlds/parties.json";
  const auto wrongWorld = [&](const std::string& source, const std::string& world) {
    return source + " names the world host/worlds/parties.json on its first line, and runs in " +
           world + give;
  };
  const std::string flag = R"({"status":0,"error":null,"body":false})";
  // The same file under another name, and another file of another name.
  const std::string linked = temp + "route-host-linked.json";
  const std::string copied = temp + "route-host-copied.json";
  std::filesystem::remove(linked);
  std::filesystem::create_symlink(worlds + "parties.json", linked);
  std::filesystem::copy_file(worlds + "parties.json", copied,
                             std::filesystem::copy_options::overwrite_existing);
  const std::string usage =
      "usage: lobby-host [--plugin PATH] [--core MAJOR.MINOR.PATCH] [--world FILE] [SCRIPT]";
  const std::vector<std::string> help = {
      usage,
      "Loads the plugin and runs commands, one per line, from SCRIPT or else from standard input,",
      "answering each with one line of JSON; the plugin's log goes to standard error.",
      "  --plugin PATH   the plugin library to load (by default this build's lobby plugin)",
      "  --core X.Y.Z    the core plugin API version handed to the plugin (by default 18.0.0)",
      "  --world FILE    what the host simulates around the plugin: host/worlds/default.json,",
      "                  host/worlds/parties.json (party lobbies) or host/worlds/legacy.json",
      "                  (legacy lobbies); a script's first line names the world it needs",
      "Of the commands, help lists the shell's commands and what each does, routes the plugin's",
      "routes; quit, or the end of the commands, shuts the plugin down."};
  struct Case {
    std::string directory;
    std::string arguments;
    int exitStatus;
    std::vector<std::string> lines;  // standard output and error
  };
  const std::string started = R"({"plugin":"jyx-route-test","started":true})";
  const std::string withPlugin = "--plugin '" + plugin + "' ";
  const Case cases[] = {
      {plugin.substr(0, slash), "--plugin " + plugin.substr(slash + 1), 0, {started}},
      {temp,
       "--plugin " + plugin.substr(slash + 1),
       1,
       {R"({"error":"cannot load the plugin ./)" + plugin.substr(slash + 1) + ": ./" +
        plugin.substr(slash + 1) +
        R"(: cannot open shared object file: No such file or )"
        R"(directory"})"}},
      {temp, "--plugin '" + plugin + "' --core 18.3.1", 0, {started}},
      {temp,
       "--plugin '" + plugin + "' --core -1.2.3",
       2,
       {"lobby-host: --core takes MAJOR.MINOR.PATCH, three decimal numbers, not -1.2.3", usage}},
      {temp, "--wrold x", 2, {"lobby-host: unknown option --wrold", usage}},
      {temp,
       "--world=x",
       2,
       {"lobby-host: unknown option --world=x; a space is missing: --world x", usage}},
      {temp, "--world ''", 2, {"lobby-host: --world needs a file name, not an empty one", usage}},
      {temp, "a --world", 2, {"lobby-host: --world needs a value", usage}},
      {temp, "a b", 2, {"lobby-host: one script at most: b is one more", usage}},
      {temp, "--world /nonexistent --help", 0, help},
      {temp, "-h", 0, help},
      {temp,
       "'" + world + "'",
       2,
       {"lobby-host: " + world + " opens a JSON object, as a world file does: give it with " +
            "--world " + world,
        usage}},
      {temp,
       "--plugin '" + plugin + "' < '" + world + "'",
       2,
       {started, R"({"error":"standard input opens a JSON object, as a world file does: give a )"
                 R"(world with --world FILE"})"}},
      {temp,
       "--world '" + script + "'",
       2,
       {"lobby-host: " + script + " looks like a script (its first command is GET), not a " +
            "world file: give it without --world",
        usage}},
      {temp,
       "--world '" + noCommand + "'",
       1,
       {R"({"error":"world )" + noCommand +
        R"(: invalid JSON at line 1, column 1: a value was expected (an object, an array, a string, a )"
        R"j(number, true, false or null)"})j"}},
      // A script whose first line names a world runs only in that world: the same file, or
      // one of the same name; else nothing runs, and the world to give is named.
      {temp,
       "--world '" + worlds + "legacy.json' '" + shippedScript + "'",
       2,
       {"lobby-host: " + wrongWorld(shippedScript, worlds + "legacy.json"), usage}},
      {temp,
       "--world '" + worlds + "default.json' '" + shippedScript + "'",
       2,
       {"lobby-host: " + wrongWorld(shippedScript, worlds + "default.json"), usage}},
      {temp,
       "'" + shippedScript + "'",
       2,
       {"lobby-host: " + wrongWorld(shippedScript, "none"), usage}},
      {temp,
       withPlugin + "--world '" + worlds + "parties.json' '" + partiesScript + "'",
       0,
       {started, flag}},
      {root,
       withPlugin + "--world host/worlds/parties.json '" + partiesScript + "'",
       0,
       {started, flag}},
      {temp,
       withPlugin + "--world '" + worlds + "../worlds/parties.json' '" + partiesScript + "'",
       0,
       {started, flag}},
      {root, withPlugin + "--world '" + linked + "' '" + partiesScript + "'", 0, {started, flag}},
      {root,
       withPlugin + "--world '" + copied + "' '" + partiesScript + "'",
       2,
       {"lobby-host: " + wrongWorld(partiesScript, copied), usage}},
      {temp,
       withPlugin + "--world '" + worlds + "legacy.json' < '" + partiesScript + "'",
       2,
       {started, R"({"error":")" + wrongWorld("standard input", worlds + "legacy.json") + "\"}"}},
      {temp,
       withPlugin + "--world '" + worlds + "parties.json' < '" + partiesScript + "'",
       0,
       {started, flag}},
      // Without a world line, a script runs in any world, from a file or standard input.
      {temp,
       withPlugin + "--world '" + worlds + "legacy.json' '" + script + "'",
       0,
       {started, flag}},
      {temp,
       withPlugin + "--world '" + worlds + "legacy.json' < '" + script + "'",
       0,
       {started, flag}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    // Standard input is empty unless the arguments redirect it.
    const std::string command = "cd '" + c.directory + "' && '" + JYX_TEST_LOBBY_HOST +
                                "' < /dev/null " + c.arguments + " > '" + outputPath + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.exitStatus);
    std::ifstream in(outputPath, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    EXPECT_EQ(lines, c.lines);
  }
}

// A command armed on the request that the stalled wait follows answers before the report.
TEST(RouteLobbyHostTest, AWaitThatCanNeverEndIsReportedAndEndsTheHost) {
  const Testing::LobbyHostRun run = Testing::RunLobbyHost(
      JYX_TEST_LOBBY_HOST, JYX_TEST_ROUTE_PLUGIN, "route-host-stall",
      "GET /test/v1/flag\non-request /never/asked stats\n"
      "on-request /jyx-login/v1/service-proxy-uuid-requests GET /test/v1/echo/a/b?q=1\n"
      "GET /test/v1/proxy/svc/m\nGET /test/v1/flag\n");
  EXPECT_EQ(run.exitStatus, 3);
  ASSERT_EQ(run.lines.size(), 6u);
  EXPECT_EQ(run.lines[1], R"({"status":0,"error":null,"body":false})");
  EXPECT_EQ(run.lines[4], R"({"status":0,"error":null,"body":"a/b|1"})");
  const std::string& report = run.lines[5];
  EXPECT_TRUE(IsJsonLine(report));
  EXPECT_EQ(report.rfind(R"({"error":"a wait can never end)", 0), 0u) << report;
  EXPECT_NE(report.find("during GET /test/v1/proxy/svc/m"), std::string::npos) << report;
  EXPECT_NE(report.find("unanswered service-proxy request 00000000-0000-4000-8000-000000000001 "
                        "(svc.m)"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("; a command armed with on-request waits for a request of /never/asked"),
            std::string::npos)
      << report;
}

TEST(RouteLobbyHostTest, CallsRoutesFromAScript) {
  const Testing::LobbyHostRun run =
      Testing::RunLobbyHost(JYX_TEST_LOBBY_HOST, JYX_TEST_ROUTE_PLUGIN, "route-host",
                            "# Comments and blank lines get no answer.\n"
                            "GET /test/v1/echo/x/y?q=1\n"
                            "\n"
                            "  # indented\r\n"
                            "POST /test/v1/parties/p9 {\"version\":1}\n"
                            "   \n"
                            "DELETE /test/v1/party\n"
                            "quit\n");
  EXPECT_EQ(run.exitStatus, 0);
  const std::vector<std::string>& lines = run.lines;
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], R"({"plugin":"jyx-route-test","started":true})");
  EXPECT_EQ(lines[1], R"({"status":0,"error":null,"body":"x/y|1"})");
  EXPECT_EQ(lines[2], R"({"status":0,"error":null,"body":{"availability":"Available","id":"p9",)"
                      R"("members":[],"note":null,"version":2}})");
  EXPECT_EQ(lines[3], R"({"status":204,"error":null,"body":null})");
  EXPECT_EQ(lines[4], R"({"quit":true})");
}

}  // namespace
}  // namespace Zarn::Host
