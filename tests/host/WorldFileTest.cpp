// Worlds of the stand-in host read from JSON.
#include "host/WorldFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace Zarn::Host {
namespace {

PluginHost::Options WorldOptions() {
  PluginHost::Options options;
  options.pluginPath = "/nonexistent/libjyx_lobby.so";
  return options;
}

TEST(WorldFileTest, SeedsResourcesAndScriptsReplies) {
  PluginHost host(WorldOptions());
  std::string error;
  ASSERT_TRUE(LoadWorld(host, R"({"resources": {"/jyx-a/v1/r": {"a": [1, "b"]}},
      "replies": [{"path": "/jyx-a/v1/s", "method": "POST", "status": 503, "error": "busy",
                   "uses": 1, "stream": {"body": "{}", "chunks": [1, 1], "announce": 9}},
                  {"path": "/jyx-a/v1/s", "method": 2, "value": "by the host's code"}]})",
                        &error))
      << error;
  EXPECT_EQ(host.Resource("/jyx-a/v1/r").value_or(""), R"({"a":[1,"b"]})");

  ApiCallRequest request{};
  request.method = 6;
  request.path = "/jyx-a/v1/s";
  ApiCallResult reply{};
  PluginHostApi* api = host.Table();
  EXPECT_EQ(api->sendCoreRequest(api, &reply, &request), 503u);
  const char* text = reply.errorText;
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "busy");
  const uint64_t announced = reply.streamSize;
  EXPECT_EQ(announced, 9u);
  const ApiStreamReleaseEntry releaseStream = reply.streamRelease;
  void* stream = reply.stream;
  releaseStream(stream);
  const ApiCallResultReleaseEntry release = reply.release;
  release(&reply);

  // The GET's script answers a GET only: a DELETE reaches the store, which holds nothing there.
  for (const uint32_t method : {1u, 2u}) {
    request.method = method;
    EXPECT_EQ(api->sendCoreRequest(api, &reply, &request), method == 2 ? 200u : 404u);
    const ApiCallResultReleaseEntry next = reply.release;
    next(&reply);
  }
}

TEST(WorldFileTest, RefusesWhatIsNotAWorld) {
  const char* const invalid[] = {
      "[]",
      "{\"resources\": []}",
      "{\"replies\": {}}",
      "{\"replies\": [{\"status\": 200}]}",
      "{\"replies\": [{\"path\": \"/p\", \"status\": \"ok\"}]}",
      "{\"replies\": [{\"path\": \"/p\", \"uses\": 0}]}",
      "{\"replies\": [{\"path\": \"/p\", \"uses\": -5}]}",
      "{\"replies\": [{\"path\": \"/p\", \"stream\": {\"chunks\": [-1]}}]}",
      "{\"replies\": [{\"path\": \"/p\", \"stream\": {\"body\": 5}}]}",
      "{\"resources\": ",
      "{\"lcds\": [{\"destination\": \"gameService\", \"method\": \"m\", \"class\": \"c\"}]}",
      "{\"proxy\": [{\"service\": \"s\", \"method\": \"m\"}]}",
      "{\"replies\": [{\"path\": \"/p\", \"method\": 99}]}",
      "{\"replies\": [{\"path\": \"/p\", \"method\": 0}]}",
      "{\"replies\": [{\"path\": \"/p\", \"method\": \"get\"}]}",
  };
  for (const char* text : invalid) {
    SCOPED_TRACE(text);
    PluginHost host(WorldOptions());
    std::string error;
    EXPECT_FALSE(LoadWorld(host, text, &error));
    EXPECT_FALSE(error.empty());
  }
  // A file's faults name the file, and why it cannot be read; a directory is no world.
  const std::string path = ::testing::TempDir() + "world-file-test.json";
  std::ofstream(path) << R"({"replies": [{"path": "/p", "uses": -5}]})";
  // A JSON fault is placed by line and column, a column counting characters.
  const std::string unparsed = ::testing::TempDir() + "world-file-test-unparsed.json";
  std::ofstream(unparsed) << "{\"resources\": {\n  \"/a\": 1,\n  \"/caf\xC3\xA9\" 2}}\n";
  const std::string directory = ::testing::TempDir();
  struct FileCase {
    std::string path;
    std::string error;
  };
  const FileCase files[] = {
      {"/nonexistent/world.json",
       "cannot read the world /nonexistent/world.json: No such file or directory"},
      {directory, "cannot read the world " + directory + ": it is a directory"},
      {path + "/world.json", "cannot read the world " + path + "/world.json: Not a directory"},
      {path, "world " + path + ": a reply's uses must be a count, or -1 for every request"},
      {unparsed,
       "world " + unparsed +
           ": invalid JSON at line 3, column 11: ':' was expected after the member's name"},
      // A device that never ends is read no further than one byte past the limit.
      {"/dev/zero",
       "world /dev/zero: a world file holds at most 16777216 bytes; this one holds more"},
  };
  for (const FileCase& c : files) {
    PluginHost host(WorldOptions());
    std::string error;
    EXPECT_FALSE(LoadWorldFile(host, c.path, &error));
    EXPECT_EQ(error, c.error);
  }
}

// A key a world does not know is refused, naming it (cut, as every echo) and where it stands: a
// typo is never ignored; so is a key given twice. Objects whose keys are data (resources, values,
// bodies, summoners) take any key.
TEST(WorldFileTest, RefusesKeysItDoesNotKnow) {
  struct Case {
    std::string world;
    std::string error;  // the error's beginning
  };
  const Case cases[] = {
      {R"({")" + std::string(1000, 'k') + R"(": 1})",
       R"(unknown key ")" + std::string(300, 'k') + R"x(... (1000 bytes)" in the world ()x"},
      {R"({"replies": [], "lcds": [], "replies": []})", R"(duplicate key "replies" in the world)"},
      {R"({"replies": [{"path": "/p", "status": 200, "path": "/q"}]})",
       R"(duplicate key "path" in a reply)"},
      {R"({"resource": {}})",
       R"(unknown key "resource" in the world (known: resources, replies, lcds, proxy, parties, )"
       R"(summoners))"},
      {R"({"replies": [{"path": "/p", "bogus": 1}]})", R"(unknown key "bogus" in a reply ()"},
      {R"({"replies": [{"path": "/p", "stream": {"body": "", "chunk": [1]}}]})",
       R"(unknown key "chunk" in a stream ()"},
      {R"({"lcds": [{"destination": "d", "method": "m", "class": "c", "bdy": 1}]})",
       R"(unknown key "bdy" in a legacy script (known: destination, method, class, body, )"
       R"(exception, status, answers))"},
      {R"({"lcds": [{"destination": "d", "method": "m", "class": "c", "answers": [{}]}]})",
       R"(unknown key "class" in a legacy script (known: destination, method, answers))"},
      {R"({"lcds": [{"destination": "d", "method": "m", "answers": [{"class": "c", "x": 1}]}]})",
       R"(unknown key "x" in a legacy answer ()"},
      {R"({"proxy": [{"service": "s", "method": "m", "timeing": "never"}]})",
       R"(unknown key "timeing" in a proxy script ()"},
      {R"({"parties": {"player": []}})", R"(unknown key "player" in "parties" ()"},
      {R"({"parties": {"players": [{"puuid": "p", "name": "n"}]}})",
       R"(unknown key "name" in a parties player ()"},
      {R"({"parties": {"scripts": [{"path": "v1/health", "status": 503}]}})",
       R"(unknown key "status" in a parties script ()"},
      {R"({"parties": {"scripts": [{"path": "v1/health", "method": "FETCH"}]}})",
       R"(a parties script's method must be "GET", "POST", "PUT", "PATCH", "DELETE", "HEAD" or )"
       R"("OPTIONS")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.world);
    PluginHost host(WorldOptions());
    LegacyPlatform legacy(host);
    ServiceProxyService proxy(host);
    PartiesService parties(host, proxy);
    std::string error;
    EXPECT_FALSE(LoadWorld(host, c.world, &error, {&legacy, &proxy, &parties}));
    EXPECT_EQ(error.substr(0, c.error.size()), c.error);
  }
  // Data keeps its own keys, read as JSON usually is: a resource's path given twice holds the
  // later value, and a value goes on as written.
  PluginHost host(WorldOptions());
  std::string error;
  EXPECT_TRUE(LoadWorld(host,
                        R"({"resources": {"/r": {"any": 1, "any": 0}, "/s": 1, "/s": 2},
                            "replies": [{"path": "/p", "value": {"any": 2}}],
                            "summoners": [{"summonerId": 1, "any": 3}]})",
                        &error))
      << error;
  EXPECT_EQ(host.Resource("/r").value_or(""), R"({"any":1,"any":0})");
  EXPECT_EQ(host.Resource("/s").value_or(""), "2");
}

// A path the plugin asks for that the world lacks, a letter or two from one it holds, is named
// with it, once for each path held; ids apart only in their numbers and paths further apart are
// not.
TEST(WorldFileTest, NamesAPathHeldNearOneAskedFor) {
  PluginHost::Options options = WorldOptions();
  std::string named;
  options.onNearMiss = [&](const std::string& asked, const std::string& held) {
    named = asked + " " + held;
  };
  PluginHost host(options);
  std::string error;
  ASSERT_TRUE(LoadWorld(host, R"({"resources": {"/jyx-login/v1/sesion": {},
                                                "/jyx-game-queues/v1/queues/430": []}})",
                        &error))
      << error;
  struct Case {
    const char* path;
    const char* named;
  };
  const Case cases[] = {
      {"/jyx-login/v1/session", "/jyx-login/v1/session /jyx-login/v1/sesion"},
      {"/jyx-login/v1/session", ""},
      {"/jyx-login/v1/sesion", ""},
      {"/jyx-game-queues/v1/queues/450", ""},
      {"/jyx-game-queues/v2/queues/430", ""},
      {"/jyx-game-queue/v1/queues/430",
       "/jyx-game-queue/v1/queues/430 /jyx-game-queues/v1/queues/430"},
      {"/jyx-login/v1/state", ""},
  };
  PluginHostApi* api = host.Table();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    named.clear();
    ApiCallRequest request{};
    request.method = 2;
    request.path = c.path;
    ApiCallResult reply{};
    static_cast<void>(api->sendCoreRequest(api, &reply, &request));
    const ApiCallResultReleaseEntry release = reply.release;
    release(&reply);
    EXPECT_EQ(named, c.named);
  }
}

TEST(WorldFileTest, ScriptsTheLegacyPlatformAndTheServiceProxy) {
  PluginHost host(WorldOptions());
  LegacyPlatform legacy(host);
  ServiceProxyService proxy(host);
  std::string error;
  ASSERT_TRUE(LoadWorld(host, R"({
      "lcds": [{"destination": "gameService", "method": "getGame", "class": "com.x.GameDTO",
                "body": {"id": 7}},
               {"destination": "gameService", "method": "quit",
                "exception": "com.zarnworks.platform.game.GameFullException: full",
                "status": 432}],
      "proxy": [{"service": "parties", "method": "late", "timing": "never"},
                {"service": "parties", "method": "down", "postError": "gone",
                 "postStatus": 503}]})",
                        &error, {&legacy, &proxy}))
      << error;

  const CoreReply game = legacy.Answer({2, kLcdsInvokePath, {"\"gameService\"", "\"getGame\""}});
  EXPECT_EQ(game.status, 200u);
  EXPECT_EQ(game.json.value_or(""), R"({"typeName":"com.x.GameDTO","body":{"id":7}})");
  const CoreReply quit = legacy.Answer({2, kLcdsInvokePath, {"\"gameService\"", "\"quit\""}});
  EXPECT_EQ(quit.status, 432u);
  EXPECT_EQ(quit.error.value_or(""), "com.zarnworks.platform.game.GameFullException: full");
  ASSERT_EQ(legacy.Invocations().size(), 2u);
  EXPECT_EQ(legacy.Invocations()[0].status, 200u) << "each call keeps how it was answered";
  EXPECT_EQ(legacy.Invocations()[1].status, 432u);

  EXPECT_EQ(proxy.AnswerUuidRequest({2, "", {"\"parties\"", "\"down\""}}).status, 503u);
  const CoreReply late = proxy.AnswerUuidRequest({2, "", {"\"parties\"", "\"late\""}});
  EXPECT_EQ(late.status, 200u);
  ProxyMessage reply;
  reply.payload = "{}";
  EXPECT_TRUE(proxy.ReplyTo("next", reply));  // left unanswered by its script

  const char* const invalid[] = {
      R"({"lcds": [{"destination": "gameService", "method": "m"}]})",
      R"({"lcds": [{"destination": "gameService", "method": "m", "exception": 5}]})",
      R"({"proxy": [{"service": "s", "method": "m", "timing": "soon"}]})",
      R"({"proxy": [{"service": "s", "method": "m", "yield": 0}]})",
      R"({"proxy": [{"service": "s", "method": "m", "timing": "yield", "yield": 1001}]})",
      R"({"proxy": [{"method": "m"}]})",
  };
  for (const char* text : invalid) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(LoadWorld(host, text, &error, {&legacy, &proxy}));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace Zarn::Host
