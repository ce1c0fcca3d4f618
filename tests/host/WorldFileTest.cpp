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
      "replies": [{"path": "/jyx-a/v1/s", "method": 6, "status": 503, "error": "busy",
                   "uses": 1, "stream": {"body": "{}", "chunks": [1, 1], "announce": 9}}]})",
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
  };
  for (const char* text : invalid) {
    SCOPED_TRACE(text);
    PluginHost host(WorldOptions());
    std::string error;
    EXPECT_FALSE(LoadWorld(host, text, &error));
    EXPECT_FALSE(error.empty());
  }
  // A file's faults name the file; a directory is no world.
  const std::string path = ::testing::TempDir() + "world-file-test.json";
  std::ofstream(path) << R"({"replies": [{"path": "/p", "uses": -5}]})";
  const std::string directory = ::testing::TempDir();
  struct FileCase {
    std::string path;
    std::string error;
  };
  const FileCase files[] = {
      {"/nonexistent/world.json", "cannot read the world /nonexistent/world.json"},
      {directory, "cannot read the world " + directory},
      {path, "world " + path + ": a reply's uses must be a count, or -1 for every request"},
  };
  for (const FileCase& c : files) {
    PluginHost host(WorldOptions());
    std::string error;
    EXPECT_FALSE(LoadWorldFile(host, c.path, &error));
    EXPECT_EQ(error, c.error);
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
