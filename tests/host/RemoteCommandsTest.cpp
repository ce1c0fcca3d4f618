// lobby-host's commands for the legacy platform and the service proxy.
#include <gtest/gtest.h>

#include <string>

#include "host/CommandShell.h"

namespace Zarn::Host {
namespace {

void Ignore(PluginHostEvent*) {}

TEST(RemoteCommandsTest, CommandsAnswerOrExplainWhatTheyNeed) {
  PluginHost::Options options;
  options.pluginPath = "/nonexistent/libjyx_lobby.so";
  PluginHost host(options);
  CommandShell shell(host);
  // The plugin's subscriptions as the host records them: the messages of two classes.
  PluginHostApi* api = host.Table();
  for (const char* event : {"OnLcdsEvent_com_x_Status", "OnLcdsEvent_com_x_game_GameDTO"}) {
    api->subscribe(api, event, 1, &Ignore, nullptr, 0);
  }
  const auto untaken = [](const std::string& className, const char* nearest) {
    return R"({"error":"lcds: no subscriber of the plugin takes )" + className +
           "; the nearest class it takes is " + nearest + "\"}";
  };
  struct Case {
    std::string line;
    std::string output;
  };
  const Case cases[] = {
      {"lcds", R"({"error":"lcds takes class json"})"},
      {"lcds com.x.Status", R"({"error":"lcds takes class json"})"},
      {"lcds com.x.Status {bad",
       R"({"error":"lcds takes class json; body: invalid JSON at offset 1: a member's name in )"
       R"(double quotes was expected"})"},
      {"lcds com.x.Status {\"owner\": \"a b\"}", R"({"pushed":true})"},
      // A class that no subscriber takes is refused, naming the one whose last segment is
      // nearest: the short name, a misspelt one, one in other capitals, "_" for ".".
      {"lcds Status {}", untaken("Status", "com.x.Status")},
      {"lcds com.x.Stauts {}", untaken("com.x.Stauts", "com.x.Status")},
      {"lcds com.x.game.GameDto {}", untaken("com.x.game.GameDto", "com.x.game.GameDTO")},
      {"lcds com.x.GameDTO {}", untaken("com.x.GameDTO", "com.x.game.GameDTO")},
      {"lcds com_x_Status {}", untaken("com_x_Status", "com.x.Status")},
      {"lcds " + std::string(400, 'S') + " {}",
       untaken(std::string(300, 'S') + "... (400 bytes)", "com.x.Status")},
      {"lcds-answer gameService getGame",
       R"({"error":"lcds-answer takes destination method class [json]"})"},
      {"lcds-answer gameService getGame com.x.Game [1,",
       R"({"error":"lcds-answer takes destination method class [json]; body: invalid JSON at )"
       R"(offset 3: a value was expected (an object, an array, a string, a number, true, false )"
       R"j(or null)"})j"},
      {"lcds-answer gameService getGame com.x.Game {\"id\":1}", R"({"scripted":true})"},
      {"lcds-answer gameService quit com.x.Game", R"({"scripted":true})"},
      {"lcds-throw gameService quit 4x2 text",
       R"({"error":"lcds-throw takes destination method status text; the status is a number up )"
       R"(to 999"})"},
      {"lcds-throw gameService quit 432",
       R"({"error":"lcds-throw takes destination method status text"})"},
      {"lcds-throw gameService quit 432 GameFullException: full", R"({"scripted":true})"},
      {"proxy-reply", R"({"error":"proxy-reply takes uuid|next payload"})"},
      {"proxy-reply next", R"({"error":"proxy-reply takes uuid|next payload"})"},
      {"proxy-reply next {}",
       R"({"error":"proxy-reply takes uuid|next payload; no unanswered request next"})"},
      {"proxy-method parties", R"({"error":"proxy-method takes service method payload"})"},
      {"proxy-method parties changed", R"({"error":"proxy-method takes service method payload"})"},
      {"proxy-async parties player ", R"({"error":"proxy-async takes service method payload"})"},
      {"proxy-method parties changed {\"a\":1}", R"({"sent":true})"},
      {"proxy-async parties player not json", R"({"sent":true})"},
  };
  std::string output;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 40));
    EXPECT_TRUE(shell.Execute(c.line, &output));
    EXPECT_EQ(output, c.output);
  }
}

}  // namespace
}  // namespace Zarn::Host
