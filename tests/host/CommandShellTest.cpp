#include "host/CommandShell.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "host/HostValue.h"
#include "host/InputFile.h"

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
    std::string line;
    std::string output;
  };
  const char* const notDecimal =
      R"({"error":"advance takes seconds; a decimal number, 0 or more"})";
  const char* const overAYear =
      R"j({"error":"advance takes at most 31536000.0 seconds (a year)"})j";
  const std::string value =
      "a value was expected (an object, an array, a string, a number, true, false or null)";
  // A refusal names the command and its arguments as `help` does, then what is wrong.
  const auto putBody = [](const std::string& offsetAndError) {
    return R"({"error":"PUT takes path [json body]; body: invalid JSON at offset )" +
           offsetAndError + "\"}";
  };
  const Case cases[] = {
      {"", ""},
      {"   ", ""},
      {"# a comment", ""},
      {" \t#GET /x", ""},
      {"#" + std::string(kMaxCommandLine + 1, 'c'), ""},
      {"routes", R"({"error":"no plugin is loaded"})"},
      {"routes all", R"({"error":"routes takes no argument"})"},
      {"help me", R"({"error":"help takes no argument"})"},
      {"type", R"({"error":"no plugin is loaded"})"},
      {"type JyxLobbyLobbyChangeGameDto", R"({"error":"no plugin is loaded"})"},
      {"GET /x # no comment",
       R"({"error":"GET takes path [json body]; body: invalid JSON at offset 0: )" + value + "\"}"},
      {"frobnicate", R"({"error":"unknown command: frobnicate; help lists the shell's commands"})"},
      {"get /x",
       R"({"error":"unknown command: get; route methods are written in capitals: GET; help lists )"
       R"(the shell's commands"})"},
      {"Post /x",
       R"({"error":"unknown command: Post; route methods are written in capitals: POST; help )"
       R"(lists the shell's commands"})"},
      // A word a letter or two off a command, or with two letters swapped, names it.
      {"GTE /jyx-lobby/v2/lobby",
       R"({"error":"unknown command: GTE; the nearest command is GET; help lists the shell's )"
       R"(commands"})"},
      {"evnets",
       R"({"error":"unknown command: evnets; the nearest command is events; help lists the )"
       R"(shell's commands"})"},
      {"parties-requets",
       R"({"error":"unknown command: parties-requets; the nearest command is parties-requests; )"
       R"(help lists the shell's commands"})"},
      {"rotes",
       R"({"error":"unknown command: rotes; the nearest command is routes; help lists the )"
       R"(shell's commands"})"},
      {"xyz", R"({"error":"unknown command: xyz; help lists the shell's commands"})"},
      // A command run into its path.
      {"POST/jyx-lobby/v2/lobby {}",
       R"({"error":"unknown command: POST/jyx-lobby/v2/lobby; a space is missing after POST; )"
       R"(help lists the shell's commands"})"},
      // Other shells' words for quitting name quit.
      {"exit",
       R"({"error":"unknown command: exit; the command that ends a run is quit; help lists the )"
       R"(shell's commands"})"},
      {"q now",
       R"({"error":"unknown command: q; the command that ends a run is quit; help lists the )"
       R"(shell's commands"})"},
      {"stat" + std::string(kMaxCommandLine - 10, 's'),
       R"({"error":"unknown command: stat)" + std::string(296, 's') + "... (" +
           std::to_string(kMaxCommandLine - 6) + R"( bytes); help lists the shell's commands"})"},
      {"GET", R"({"error":"GET takes path [json body]; the path begins with /"})"},
      {"POST x", R"({"error":"POST takes path [json body]; the path begins with /"})"},
      {"PUT /x {bad", putBody("1: a member's name in double quotes was expected")},
      {R"(PUT /x {"a" 1})", putBody("5: ':' was expected after the member's name")},
      {R"(PUT /x {"a":1 "b":2})", putBody("7: ',' or '}' was expected after the member")},
      {"PUT /x [1 2]", putBody("3: ',' or ']' was expected after the element")},
      {R"(PUT /x {"a":"b)",
       putBody("7: a closing double quote was expected before the end of the text")},
      {R"(PUT /x {"a":1} x)", putBody("8: the end of the text was expected after the value")},
      {"PUT /x 1.", putBody("2: a digit was expected after the decimal point")},
      {R"(PUT /x "\q")",
       putBody(R"(1: one of \" \\ / b f n r t u was expected after a backslash)")},
      {"GET /jyx-lobby/v2/lobby", R"({"error":"no plugin is loaded"})"},
      {"PATCH /jyx-lobby/v2/lobby {\"a\": [1, 2]}", R"({"error":"no plugin is loaded"})"},
      {"advance", notDecimal},
      {"advance -1", notDecimal},
      {"advance 1x", notDecimal},
      {"advance nan", notDecimal},
      {"advance inf", notDecimal},
      {"advance 0x10", notDecimal},
      {"advance .", notDecimal},
      {"advance 1e", notDecimal},
      {"advance 1e300", overAYear},
      {"advance 1e999", overAYear},
      {"advance 31536000.001", overAYear},
      {"advance 1.5", R"({"clock":1.5,"ran":0})"},
      {"advance 5e-1", R"({"clock":2.0,"ran":0})"},
      {std::string("GET /a\0b", 8),
       R"j({"error":"a command line must not hold a NUL byte (byte 6)"})j"},
      {std::string("set /a\0b 1", 11),
       R"j({"error":"a command line must not hold a NUL byte (byte 6)"})j"},
      {"set /a " + std::string(kMaxCommandLine - 6, '1'),
       R"({"error":"a command line holds at most 1048576 bytes; this one holds 1048577"})"},
      {"events now", R"({"events":[]})"},
      {"events /a /b", R"({"error":"events takes [prefix]"})"},
      {"events", R"({"events":[]})"},
      {"set /a", R"({"error":"set takes path json"})"},
      {"set a 1", R"({"error":"set takes path json; the path begins with /"})"},
      {"set /a [1,",
       R"({"error":"set takes path json; value: invalid JSON at offset 3: )" + value + "\"}"},
      {"set /a/b/c/d {\"x\":1}", R"({"event":"OnJsonApiEvent_a_b_c"})"},
      {"delete /a/b/c/d", R"({"event":"OnJsonApiEvent_a_b_c"})"},
      {"delete /a/b/c/d", R"({"error":"delete takes path; no resource at /a/b/c/d"})"},
      {"delete /a /b", R"({"error":"delete takes path"})"},
      {"delete a", R"({"error":"delete takes path; the path begins with /"})"},
      {"stats", R"({"error":"no plugin has been loaded"})"},
      {"stats all", R"({"error":"stats takes no argument"})"},
      {"on-request /x", R"({"error":"on-request takes path command"})"},
      {"on-request x set /a 1",
       R"({"error":"on-request takes path command; the path begins with /"})"},
      {"on-request /x quit", R"({"error":"on-request takes path command; any command but quit"})"},
      {"on-request /x set /a 1", R"({"armed":true})"},
      {"on-request /x nosuchcmd 1",
       R"({"error":"on-request: unknown command: nosuchcmd; help lists the shell's commands"})"},
      {"on-request /x get /y",
       R"({"error":"on-request: unknown command: get; route methods are written in capitals: )"
       R"(GET; help lists the shell's commands"})"},
      {"quit now", R"({"error":"quit takes no argument"})"},
      // A command given arguments it does not take names them as `help` does.
      {"parties-player", R"({"error":"parties-player takes puuid"})"},
      {"parties-player a b", R"({"error":"parties-player takes puuid"})"},
      {"parties-invite puuid-b", R"({"error":"parties-invite takes from to"})"},
      {"parties-act puuid-b GET", R"({"error":"parties-act takes puuid method path [body]"})"},
      {"parties-push", R"({"error":"parties-push takes none|notification|message"})"},
      {"parties-resume party-1", R"({"error":"parties-resume takes party utc-ms"})"},
      {"parties-resume party-1 5",
       R"({"error":"parties-resume takes party utc-ms; no party party-1"})"},
      {"parties-health", R"({"error":"parties-health takes text"})"},
      {"parties-token", R"({"error":"parties-token takes text"})"},
      {"parties-script", R"({"error":"parties-script takes json"})"},
      {"parties-requests all", R"({"error":"parties-requests takes no argument"})"},
      {"parties-notify", R"({"error":"parties-notify takes json"})"},
      {"parties-notify {",
       R"({"error":"parties-notify takes json; invalid JSON at offset 1: a member's name in )"
       R"(double quotes was expected"})"},
      // With no plugin, no subscriber takes any legacy class.
      {"lcds com.x.Status {}", R"({"error":"lcds: no subscriber of the plugin takes com.x.Status; )"
                               R"(it subscribes to no legacy class"})"},
      {"parties-restriction", R"({"error":"parties-restriction takes json"})"},
      {"parties-restriction [1]",
       R"({"error":"parties-restriction takes json; a queue restriction is a JSON object"})"},
      {"PATCH /x [", R"({"error":"PATCH takes path [json body]; body: invalid JSON at offset 1: )" +
                         value + "\"}"},
      {"DELETE", R"({"error":"DELETE takes path [json body]; the path begins with /"})"},
  };
  std::string output;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 40));
    EXPECT_TRUE(shell.Execute(c.line, &output));
    EXPECT_EQ(output, c.output);
  }
  // A line read cut short is refused by the length it had.
  EXPECT_TRUE(shell.Execute("stats", &output, 200'000'000));
  EXPECT_EQ(output,
            R"({"error":"a command line holds at most 1048576 bytes; this one holds 200000000"})");
  EXPECT_FALSE(shell.Execute("quit\r", &output));
  EXPECT_EQ(output, R"({"quit":true})");
}

// `help` lists the table the shell looks commands up in: one line of JSON per command, with what
// it does.
TEST(CommandShellTest, HelpListsTheCommandsTheShellRuns) {
  PluginHost host(NoPlugin());
  CommandShell shell(host);
  std::string help;
  EXPECT_TRUE(shell.Execute("help", &help));
  std::istringstream lines(help);
  std::vector<std::string> names;
  for (std::string line; std::getline(lines, line);) {
    SCOPED_TRACE(line);
    rapidjson::Document json;
    json.Parse(line.c_str(), line.size());
    ASSERT_FALSE(json.HasParseError());
    ASSERT_TRUE(json["command"].IsString() && json["arguments"].IsString());
    ASSERT_TRUE(json.HasMember("effect") && json["effect"].IsString());
    EXPECT_GT(json["effect"].GetStringLength(), 10u);
    names.push_back(json["command"].GetString());
  }
  EXPECT_EQ(help.substr(0, help.find('\n')),
            R"({"command":"GET","arguments":"path [json body]","effect":"calls the plugin's )"
            R"(route; prints its status, error and body"})");
  for (const char* name : {"advance", "parties-script", "routes", "type", "help", "quit"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }
}

// `events PREFIX` shows the events whose path (from "/") or name begins with the prefix and leaves
// the others for a later `events`, which the host's window bounds as it bounds its own records.
TEST(CommandShellTest, EventsWithAPrefixLeaveTheOthers) {
  PluginHost::Options options = NoPlugin();
  options.recordWindow = 2;
  PluginHost host(options);
  CommandShell shell(host);
  PluginHostApi* api = host.Table();
  const auto publish = [&](const char* name, const char* uri) {
    rapidjson::Document payload;
    payload.Parse(uri == nullptr ? "null" : (std::string(R"({"uri":")") + uri + "\"}").c_str());
    PluginHostEvent event{};
    event.name = name;
    ASSERT_TRUE(JsonToHostObject(payload, &event.payload));
    api->publishEvent(api, &event);
    FreeHostObject(&event.payload);
  };
  publish("OnJsonApiEvent_a_b_c", "/a/b/c");
  publish("OnJsonApiEvent", "/a/b/c");
  publish("OnJsonApiEvent_x_y", "/x/y");
  publish("OnJsonApiEvent", "/x/y");
  const auto event = [](const char* name, const char* uri) {
    return std::string(R"({"name":")") + name + R"(","payload":{"uri":")" + uri + "\"}}";
  };
  struct Case {
    const char* line;
    std::string output;
  };
  const Case cases[] = {
      {"events /a/b", R"({"events":[)" + event("OnJsonApiEvent_a_b_c", "/a/b/c") + "," +
                          event("OnJsonApiEvent", "/a/b/c") + "]}"},
      {"events OnJsonApiEvent_x", R"({"events":[)" + event("OnJsonApiEvent_x_y", "/x/y") + "]}"},
      {"events /b", R"({"events":[]})"},
      {"events", R"({"events":[)" + event("OnJsonApiEvent", "/x/y") + "]}"},
      {"events", R"({"events":[]})"},
  };
  std::string output;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_TRUE(shell.Execute(c.line, &output));
    EXPECT_EQ(output, c.output);
  }
  // Left unshown beyond twice the window, the oldest are dropped and counted once.
  for (const char* name : {"1", "2", "3"}) publish(name, nullptr);
  EXPECT_TRUE(shell.Execute("events 9", &output));
  EXPECT_EQ(output, R"({"events":[]})");
  for (const char* name : {"4", "5", "6"}) publish(name, nullptr);
  EXPECT_TRUE(shell.Execute("events 6", &output));
  EXPECT_EQ(output, R"({"events":[{"name":"6","payload":null}],"dropped":4})");
  EXPECT_TRUE(shell.Execute("events", &output));
  EXPECT_EQ(output, R"({"events":[{"name":"5","payload":null}]})");
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

  // The clock ends after a century; an advance past it is refused and moves nothing.
  for (int year = 0; year < 99; ++year) EXPECT_TRUE(shell.Execute("advance 31536000", &output));
  EXPECT_EQ(output, R"({"clock":3122064002.0,"ran":0})");
  EXPECT_TRUE(shell.Execute("advance 31536000", &output));
  EXPECT_EQ(output, R"({"error":"the clock ends after a century: advance takes at most )"
                    R"(31535998.0 seconds more"})");
  EXPECT_TRUE(shell.Execute("advance 31535998", &output));
  EXPECT_EQ(output, R"({"clock":3153600000.0,"ran":0})");
  EXPECT_EQ(shell.Failures(), 1);
}

// Work that keeps queueing itself stops an advance after a million callbacks, with an error line;
// the work stays due.
struct Requeueing {
  PluginHostApi* api = nullptr;
  int runs = 0;
};
void Requeue(void* context) {
  auto* self = static_cast<Requeueing*>(context);
  ++self->runs;
  self->api->scheduleCallback(self->api, "again", &Requeue, context, 0.0, 0);
}

TEST(CommandShellTest, AnAdvanceRunsABoundedNumberOfCallbacks) {
  PluginHost::Options options = NoPlugin();
  options.recordWindow = 100;
  PluginHost host(options);
  CommandShell shell(host);
  Requeueing work{host.Table()};
  work.api->scheduleCallback(work.api, "again", &Requeue, &work, 0.5, 0);
  std::string output;
  EXPECT_TRUE(shell.Execute("advance 1", &output));
  EXPECT_EQ(output, R"({"error":"advance stopped after 1000000 callbacks, at clock 0.5; the rest )"
                    R"(stays due"})");
  EXPECT_EQ(shell.Failures(), 1);
  EXPECT_EQ(host.Scheduler().Pending(), 1u);
  // After the command the host still runs what is due, a bounded number of rounds.
  EXPECT_EQ(work.runs, kMaxAdvanceCallbacks + 1000);
  EXPECT_LE(host.RetainedRecords(), 2 * 2 * 100u) << "labels and delays, each within the window";
}

// The plugin's requests "/r/1", "/r/2", ... in turn, one for each event of the resource it
// follows.
struct Chained {
  PluginHostApi* api = nullptr;
  int requests = 0;
};
void RequestNext(PluginHostEvent* event) {
  auto* chained = static_cast<Chained*>(event->userData);
  const std::string path = "/r/" + std::to_string(++chained->requests);
  ApiCallRequest request{};
  request.method = 2;
  request.path = path.c_str();
  ApiCallResult reply{};
  static_cast<void>(chained->api->sendCoreRequest(chained->api, &reply, &request));
  reply.release(&reply);
}

// Armed commands nest at most kMaxArmedNesting deep also when each runs inside the one before (its
// event makes the request that the next waits for) rather than being armed by it: the one deeper
// is refused with an error line in place of its answer.
TEST(CommandShellTest, ArmedCommandsRunInsideEachOtherABoundedDepth) {
  PluginHost host(NoPlugin());
  CommandShell shell(host);
  PluginHostApi* api = host.Table();
  Chained chained{api};
  api->subscribe(api, "OnJsonApiEvent_n", 1, &RequestNext, &chained, 0);
  std::string output;
  for (int i = 1; i <= kMaxArmedNesting + 1; ++i) {
    EXPECT_TRUE(shell.Execute("on-request /r/" + std::to_string(i) + " set /n 1", &output));
  }
  EXPECT_TRUE(shell.Execute("set /n 0", &output));
  // Each answer follows those of the commands that ran inside it.
  std::vector<std::string> expected{
      R"({"error":"on-request: armed commands nest at most 64 deep, and this one would be 65 )"
      R"(deep"})"};
  expected.resize(kMaxArmedNesting + 1, R"({"event":"OnJsonApiEvent_n"})");
  EXPECT_EQ(shell.TakeArmedAnswers(), expected);
  EXPECT_EQ(chained.requests, kMaxArmedNesting + 1);
  EXPECT_EQ(shell.Failures(), 1);
}

// Lines of any length are read whole but kept only up to one byte past the limit; the lengths
// around the reader's chunk of 64 KiB are the edges.
TEST(CommandShellTest, ReadsLinesOfAnyLengthKeepingABoundedPart) {
  const std::string chunk(65535, 'c');
  const std::string longer(65536, 'd');
  const std::string huge(3 * kMaxCommandLine + 7, 'h');
  std::istringstream input("a b\n\n" + chunk + "\n" + longer + "\n" + huge + "\n" +
                           std::string("n\0ul\n", 5) + "last");
  struct Expected {
    std::string line;
    std::size_t length;
  };
  const Expected expected[] = {
      {"a b", 3},
      {"", 0},
      {chunk, chunk.size()},
      {longer, longer.size()},
      {huge.substr(0, kMaxCommandLine + 1), huge.size()},
      {std::string("n\0ul", 4), 4},
      {"last", 4},
  };
  std::string line;
  std::size_t length = 0;
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.length);
    ASSERT_TRUE(ReadCommandLine(input, &line, &length));
    EXPECT_EQ(line, e.line);
    EXPECT_EQ(length, e.length);
  }
  EXPECT_FALSE(ReadCommandLine(input, &line, &length));
  std::istringstream empty("");
  EXPECT_FALSE(ReadCommandLine(empty, &line, &length));
}

TEST(CommandShellTest, CountsCommandsThatFailedAndCutsLongEchoes) {
  PluginHost host(NoPlugin());
  CommandShell shell(host);
  std::string output;
  EXPECT_TRUE(shell.Execute("advance 1", &output));
  EXPECT_EQ(shell.Failures(), 0);
  EXPECT_TRUE(shell.Execute("frobnicate", &output));
  EXPECT_TRUE(shell.Execute("delete /" + std::string(999, 'b'), &output));
  EXPECT_EQ(output, R"({"error":"delete takes path; no resource at /)" + std::string(299, 'b') +
                        "... (1000 bytes)\"}");
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
