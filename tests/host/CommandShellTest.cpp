#include "host/CommandShell.h"

#include <gtest/gtest.h>

#include <string>

namespace Zarn::Host {
namespace {

PluginHost::Options NoPlugin() {
  PluginHost::Options options;
  options.pluginPath = "/nonexistent/libjyx_lobby.so";
  return options;
}

TEST(CommandShellTest, BadLinesAnswerAnErrorAndTheShellGoesOn) {
  PluginHost host(NoPlugin());
  CommandShell shell(host);
  struct Case {
    const char* line;
    const char* output;
  };
  const Case cases[] = {
      {"", ""},
      {"   ", ""},
      {"frobnicate", R"({"error":"unknown command: frobnicate"})"},
      {"get /x", R"({"error":"unknown command: get"})"},
      {"GET", R"({"error":"GET needs a path beginning with /"})"},
      {"POST x", R"({"error":"POST needs a path beginning with /"})"},
      {"PUT /x {bad", R"({"error":"body: invalid JSON at offset 1"})"},
      {"GET /jyx-lobby/v2/lobby", R"({"error":"no plugin is loaded"})"},
      {"PATCH /jyx-lobby/v2/lobby {\"a\": [1, 2]}", R"({"error":"no plugin is loaded"})"},
      {"advance", R"({"error":"advance needs a number of seconds, 0 or more"})"},
      {"advance -1", R"({"error":"advance needs a number of seconds, 0 or more"})"},
      {"advance 1x", R"({"error":"advance needs a number of seconds, 0 or more"})"},
      {"advance nan", R"({"error":"advance needs a number of seconds, 0 or more"})"},
      {"advance 1.5", R"({"clock":1.5,"ran":0})"},
      {"events now", R"({"error":"events takes no argument"})"},
      {"events", R"({"events":[]})"},
      {"set /a", R"({"error":"set needs a JSON value"})"},
      {"set a 1", R"({"error":"set needs a path beginning with /"})"},
      {"set /a [1,", R"({"error":"value: invalid JSON at offset 3"})"},
      {"set /a/b/c/d {\"x\":1}", R"({"event":"OnJsonApiEvent_a_b_c"})"},
      {"delete /a/b/c/d", R"({"event":"OnJsonApiEvent_a_b_c"})"},
      {"delete /a/b/c/d", R"({"error":"no resource at /a/b/c/d"})"},
      {"delete /a /b", R"({"error":"delete needs one path beginning with /"})"},
      {"stats", R"({"error":"no plugin has been loaded"})"},
      {"stats all", R"({"error":"stats takes no argument"})"},
  };
  std::string output;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_TRUE(shell.Execute(c.line, &output));
    EXPECT_EQ(output, c.output);
  }
  EXPECT_FALSE(shell.Execute("quit\r", &output));
  EXPECT_EQ(output, R"({"quit":true})");
}

TEST(CommandShellTest, AdvanceRunsWhatFallsDue) {
  PluginHost host(NoPlugin());
  CommandShell shell(host);
  int runs = 0;
  PluginHostApi* api = host.Table();
  api->scheduleCallback(
      api, "tick", [](void* context) { ++*static_cast<int*>(context); }, &runs, 2.0, 0);
  std::string output;
  EXPECT_TRUE(shell.Execute("advance 1", &output));
  EXPECT_EQ(output, R"({"clock":1.0,"ran":0})");
  EXPECT_TRUE(shell.Execute("advance 1", &output));
  EXPECT_EQ(output, R"({"clock":2.0,"ran":1})");
  EXPECT_EQ(runs, 1);
}

TEST(CommandShellTest, CountsCommandsThatFailedAndCutsLongEchoes) {
  PluginHost host(NoPlugin());
  CommandShell shell(host);
  std::string output;
  EXPECT_TRUE(shell.Execute("advance 1", &output));
  EXPECT_EQ(shell.Failures(), 0);
  EXPECT_TRUE(shell.Execute("frobnicate", &output));
  EXPECT_TRUE(shell.Execute("delete /" + std::string(999, 'b'), &output));
  EXPECT_EQ(output,
            R"({"error":"no resource at /)" + std::string(299, 'b') + "... (1000 bytes)\"}");
  EXPECT_EQ(shell.Failures(), 2);

  struct Case {
    std::string input;
    std::string echo;
  };
  const std::string a299(299, 'a');
  const Case cases[] = {
      {"", ""},
      {std::string(300, 'a'), std::string(300, 'a')},
      {std::string(301, 'a'), std::string(300, 'a') + "... (301 bytes)"},
      // A two-byte sequence across the cut stays whole or goes whole.
      {a299 + "\xC3\xA9" + "z", a299 + "... (302 bytes)"},
      {a299 + "z\xC3\xA9", a299 + "z... (302 bytes)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.size());
    EXPECT_EQ(EchoOf(c.input), c.echo);
  }
}

TEST(CommandShellTest, BytesThatAreNotUtf8PrintEscaped) {
  struct Case {
    const char* message;
    const char* line;
  };
  const Case cases[] = {
      {"caf\xC3\xA9", "{\"error\":\"caf\xC3\xA9\"}"},  // valid UTF-8 stays as it is
      {"\xFF", R"({"error":"\\xFF"})"},
      {"\xC3", R"({"error":"\\xC3"})"},                             // a sequence cut short
      {"\xC0\xAF", R"({"error":"\\xC0\\xAF"})"},                    // an overlong form
      {"\xED\xA0\x80", R"({"error":"\\xED\\xA0\\x80"})"},           // a surrogate
      {"\xF4\x90\x80\x80", R"({"error":"\\xF4\\x90\\x80\\x80"})"},  // past U+10FFFF
      {"\xF0\x9F\x98\x80!", "{\"error\":\"\xF0\x9F\x98\x80!\"}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(ErrorJson(c.message), c.line);
  }
}

TEST(CommandShellTest, MessagesAreEscaped) {
  EXPECT_EQ(ErrorJson("a \"quoted\"\nline"), R"({"error":"a \"quoted\"\nline"})");
  EXPECT_EQ(StartJson("jyx-lobby", true), R"({"plugin":"jyx-lobby","started":true})");
}

}  // namespace
}  // namespace Zarn::Host
