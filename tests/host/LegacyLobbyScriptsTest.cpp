// The lobby's lobby-host scripts in their worlds, as a user runs them: in host/worlds/legacy.json
// logging out of an arranged-team lobby, a custom game's availability across a queue-list
// change, legacy invitations accepted from outside a lobby and from inside one, a re-login while
// the bots' configuration is first read, and the calls made while another waits (an accept during
// a lobby change, a failing one, a group lobby's creation, play again and a custom game's join; a
// leave during a lobby change; a lobby change during a leave's transition; lobby statuses held
// during an accept, one arriving while a held one runs; reads and unserved paths during a leave;
// a leave during a view rebuild), practice game updates pushed while a lobby is made, changed or
// joined, a tournament joined from a lobby, a team-builder change failing or logged out of after
// its lobby's event, an accept whose refresh fails, reads in a lobby's entry and exit, late events
// of team-builder lobbies left, a custom game's accept whose game is unknown, a team-builder
// lobby's chat room after an accept, an overtaken custom creation's bots, an accept whose leave and
// accept fail, a custom game's update after an accept that could not look it up, an accept
// overtaking a custom creation answered without a game, statuses of the lobbies joined and left in
// an accept's waits, the bots of a custom game's updates; in host/worlds/parties.json logging out
// of a party lobby, logging in again during the logout, lobby calls during the registration's and
// deregistration's waits, a party's leave answered late, a state pushed before a logout and
// handled after it, a registration made during the deregistration's wait, a lobby made during an
// invitation's window flash, reads in a party lobby's exit, a health check overtaken by a logout,
// a refused bulk invite, registrations overtaken in their shutdown lock's wait, another player's
// state pushed before a registration, a login's own, an older party's or an earlier
// registration's state stored in that wait (and, in the legacy world, the window flash an
// overtaken invitation owes); and a script for each kind of lobby the worlds allow: an
// arranged-team and a team-builder lobby, custom games with bots, play again and party rewards in
// the legacy world, a party lobby, invitations sent and received, a matchmaking search and a
// clash party in the parties world. Each script runs in the world its first line names. Each
// output line is compared in short: a route's status with its error or its plain body, a parties
// reply by its status, and the kind and path of each resource event (with its plain value, or the
// id of a lobby and a custom game's name). The log shows LobbyFlow's states nesting, the state each
// script ends in, which lobby the plugin abandons and leaves when it shuts down, and for some
// scripts what the plugin logged, in order.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/host/LobbyFlowTrace.h"
#include "tests/host/LobbyHostRun.h"

namespace Zarn::Host {
namespace {

using Lines = std::vector<std::string>;

// " custom NAME" for a v1 or v2 lobby of a custom game, else empty.
std::string CustomLobbyName(const rapidjson::Value& lobby) {
  const auto text = [](const rapidjson::Value& record, const char* key) -> std::string {
    if (!record.IsObject() || !record.HasMember(key) || !record[key].IsString()) return "";
    return std::string(" custom ") + record[key].GetString();
  };
  if (lobby.HasMember("customGameLobby")) return text(lobby["customGameLobby"], "lobbyName");
  if (!lobby.HasMember("gameConfig")) return "";
  const rapidjson::Value& config = lobby["gameConfig"];
  const bool custom = config.IsObject() && config.HasMember("isCustom") &&
                      config["isCustom"].IsBool() && config["isCustom"].GetBool();
  return custom ? text(config, "customLobbyName") : "";
}

// `record[key]` as plain text; empty when it is missing.
std::string Member(const rapidjson::Value& record, const char* key) {
  if (!record.IsObject() || !record.HasMember(key)) return "";
  const rapidjson::Value& value = record[key];
  if (value.IsString()) return value.GetString();
  return value.IsInt64() ? std::to_string(value.GetInt64()) : "";
}

// " queue Q members A,B" for a v1 or v2 lobby: its queue and its members' summoner ids; a v2
// custom game's bots follow (" bots bot_X_200").
std::string LobbyDetail(const rapidjson::Value& lobby) {
  const bool v2 = lobby.HasMember("gameConfig");
  std::string detail =
      " queue " + Member(v2 ? lobby["gameConfig"] : lobby, "queueId") + " members ";
  if (lobby.HasMember("members") && lobby["members"].IsArray()) {
    for (const rapidjson::Value& member : lobby["members"].GetArray()) {
      detail += Member(member, v2 ? "summonerId" : "id") + ",";
    }
  }
  detail.pop_back();
  std::string bots;
  for (const char* team : {"customTeam100", "customTeam200"}) {
    if (!v2 || !lobby["gameConfig"].HasMember(team)) continue;
    for (const rapidjson::Value& member : lobby["gameConfig"][team].GetArray()) {
      if (member["isBot"].GetBool())
        bots += (bots.empty() ? " bots " : ",") + Member(member, "botId");
    }
  }
  return detail + bots;
}

// Party rewards as "on queue 430 [2 Ip 50, 3 Ip 100]", the rewards by premade size.
std::string PartyRewardsText(const rapidjson::Value& rewards) {
  std::string text = std::string(rewards["isEnabled"].GetBool() ? "on" : "off") + " queue " +
                     Member(rewards, "queueId") + (rewards["isCustom"].GetBool() ? " custom" : "") +
                     " [";
  for (const rapidjson::Value& reward : rewards["partyRewards"].GetArray()) {
    text += (text.ends_with("[") ? "" : ", ") + Member(reward, "premadeSize") + " " +
            Member(reward, "type") + " " + Member(reward, "value");
  }
  return text + "]";
}

// A value in short; `detailed` adds a lobby's queue and members, and a list's entries (an
// invitation's summoner and state, "[10 Error, 11 Pending]", else a name); `room` a lobby's chat
// room.
std::string Plain(const rapidjson::Value& value, bool detailed, bool room = false) {
  if (value.IsNull()) return "null";
  if (value.IsString()) return value.GetString();
  if (value.IsBool()) return value.GetBool() ? "true" : "false";
  if (value.IsInt64()) return std::to_string(value.GetInt64());
  // A lobby by its id: the v1 lobby's invitation id, the v2 lobby's party id (a legacy lobby's
  // invitation id too); a custom game's lobby by its name besides.
  for (const char* id : {"invitationId", "partyId"}) {
    if (value.IsObject() && value.HasMember(id) && value[id].IsString()) {
      return "{" + std::string(value[id].GetString()) + "}" + CustomLobbyName(value) +
             (detailed ? LobbyDetail(value) : "") +
             (room ? " room " + Member(value, "chatRoomId") : "");
    }
  }
  // A search state, party rewards and the last queued lobby by what they say.
  if (value.IsObject() && value.HasMember("searchState")) return Member(value, "searchState");
  if (value.IsObject() && value.HasMember("isEnabled")) return PartyRewardsText(value);
  if (value.IsObject() && value.HasMember("canPlayAgain")) {
    return std::string(value["canPlayAgain"].GetBool() ? "play again" : "no play again") +
           " queue " + Member(value, "queueId");
  }
  if (!value.IsArray()) return "{...}";
  if (!detailed) return "[...]";
  std::string list;
  for (const rapidjson::Value& entry : value.GetArray()) {
    // An invitation sent or received by its summoner and state, anything else (a bot champion,
    // a custom game) by its name.
    const auto has = [&](const char* key) { return entry.IsObject() && entry.HasMember(key); };
    std::string text = Member(entry, has("lobbyName") ? "lobbyName" : "name");
    if (has("toSummonerId")) {
      text = Member(entry, "toSummonerId") + " " + Member(entry, "state");
    } else if (has("fromSummonerId")) {
      text = "from " + Member(entry, "fromSummonerId") + " " + Member(entry, "state");
    }
    list += (list.empty() ? "" : ", ") + text;
  }
  return "[" + list + "]";
}

// One printed line in short, the events only those of `uris`; a line that is not a route's answer,
// a parties reply or an event list stays as it is.
std::string Summary(const std::string& line, const std::set<std::string>& uris,
                    bool detailed = false, bool room = false) {
  rapidjson::Document json;
  if (json.Parse(line.c_str()).HasParseError() || !json.IsObject()) return line;
  if (json.HasMember("status")) {
    const rapidjson::Value& error = json["error"];
    return std::to_string(json["status"].GetInt()) + " " +
           (error.IsString() ? error.GetString() : Plain(json["body"], detailed, room));
  }
  // A parties service's reply envelope by its status.
  if (json.HasMember("httpStatus")) return "reply " + std::to_string(json["httpStatus"].GetInt());
  if (!json.HasMember("events")) return line;
  std::string events = "events:";
  for (const rapidjson::Value& event : json["events"].GetArray()) {
    // Each event is printed under its resource's name and under the plain one; the plain is kept.
    if (std::string(event["name"].GetString()) != "OnJsonApiEvent") continue;
    const rapidjson::Value& payload = event["payload"];
    if (!uris.contains(payload["uri"].GetString())) continue;
    events += std::string(" ") + payload["eventType"].GetString() + " " +
              payload["uri"].GetString() + "=" + Plain(payload["data"], detailed, room) + ";";
  }
  return events;
}

// The world a script's first line names ("# world: host/worlds/legacy.json"), as a path in this
// tree; empty when it names none.
std::string WorldOf(const std::string& script) {
  constexpr std::string_view kNamed = "# world: host/worlds/";
  if (!script.starts_with(kNamed)) return std::string();
  const std::size_t end = std::min(script.find_first_of("\r\n"), script.size());
  return JYX_WORLDS_DIR + script.substr(kNamed.size(), end - kNamed.size());
}

std::string ReadScript(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// Run in another world, a script would end as well, with errors that look plausible.
TEST(LegacyLobbyScriptsTest, EveryScriptNamesAWorldOfTheTree) {
  int scripts = 0;
  for (const auto& entry : std::filesystem::directory_iterator(JYX_WORLDS_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++scripts;
    const std::string world = WorldOf(ReadScript(entry.path()));
    EXPECT_TRUE(world.ends_with(".json") && std::filesystem::is_regular_file(world)) << world;
  }
  EXPECT_EQ(scripts, 66);
}

// The texts of `texts` that no line of `log` holds in their order: from the first missing on.
Lines MissingInOrder(const Lines& log, const Lines& texts) {
  auto line = log.begin();
  for (auto text = texts.begin(); text != texts.end(); ++text, ++line) {
    line = std::find_if(line, log.end(),
                        [&](const std::string& l) { return l.find(*text) != std::string::npos; });
    if (line == log.end()) return Lines(text, texts.end());
  }
  return {};
}

TEST(LegacyLobbyScriptsTest, EachScriptAnswersAndPublishesAsItsLobbyShould) {
  constexpr char kV1Lobby[] = "/jyx-lobby/v1/lobby";
  constexpr char kV2Lobby[] = "/jyx-lobby/v2/lobby";
  constexpr char kAvailability[] = "/jyx-lobby/v1/lobby/availability";
  constexpr char kV1Members[] = "/jyx-lobby/v1/lobby/members";
  constexpr char kV1Invitations[] = "/jyx-lobby/v1/lobby/invitations";
  constexpr char kV1LocalMember[] = "/jyx-lobby/v1/lobby/localMember";
  constexpr char kV2Countdown[] = "/jyx-lobby/v2/lobby/countdown";
  constexpr char kPartyActive[] = "/jyx-lobby/v2/party-active";
  constexpr char kAvailableBots[] = "/jyx-lobby/v2/lobby/custom/available-bots";
  constexpr char kReceivedV2[] = "/jyx-lobby/v2/received-invitations";
  constexpr char kCustomGames[] = "/jyx-lobby/v1/custom-games";
  constexpr char kPartyRewards[] = "/jyx-lobby/v1/party-rewards";
  constexpr char kSearchState[] = "/jyx-lobby/v2/lobby/matchmaking/search-state";
  constexpr char kCommsMembers[] = "/jyx-lobby/v2/comms/members";
  constexpr char kLastQueued[] = "/jyx-lobby/v1/last-queued-lobby";
  struct Row {
    const char* script;
    std::set<std::string> uris;  // the events compared
    Lines expected;              // after the start line
    Lines shutdown;              // the legacy lobby abandoned and left at shutdown
    const char* state;           // LobbyFlow's innermost state when the script quits
    Lines log = {};              // texts that lines of the log before "quit" hold, in this order
    bool detailed = false;       // lobbies and invitation lists summed up in detail (Plain)
    bool room = false;           // lobbies with their chat room
  };
  const std::string sessionSet = R"({"event":"OnJsonApiEvent_jyx-login_v1_session"})";
  const std::string armed = R"({"armed":true})";
  const std::string pushed = R"({"pushed":true})";
  const std::string scripted = R"({"scripted":true})";
  const std::string v1Parts =
      "Update /jyx-lobby/v1/lobby/members=[...]; Update /jyx-lobby/v1/lobby/invitations=[...]; "
      "Update /jyx-lobby/v1/lobby/localMember={...}; ";
  const std::string availableBots = " Update " + std::string(kAvailableBots) + "=[...];";
  const std::string soloMade =
      "events: Create /jyx-lobby/v1/lobby={}; Create /jyx-lobby/v2/lobby={};";
  const std::string overtaken = "409 LOBBY_REQUEST_OVERTAKEN";
  const std::string party420 = "0 {party-3} queue 420 members 9";
  const std::string notRegistered =
      "0 Not registered with parties service. puuid: puuid-a platformId: XEM1";
  const std::string practice = "0 {} custom Practice";
  const Lines leftJoined = {"abandon lobby-7", "leave"};
  const std::set<std::string> lobbies = {kV1Lobby, kV2Lobby};
  const std::string tbEvent = R"({"event":"OnJsonApiEvent_jyx-lobby-team-builder_v1_lobby"})";
  const std::string tb1Room =
      "cp~e0b794668129a4f88248d63f7fb08bbc2e8656bf@conference.lobby-chat.jyx.invalid";
  const std::string tb9Room =
      "cp~7b0f0ae3fa031a222b1e4656a58f5bc91ef9a956@conference.lobby-chat.jyx.invalid";
  const std::string solo430 = "0 {} queue 430 members 2046";
  const std::string lobby7Shown = "0 {lobby-7} queue 430 members 77,2046";
  const Lines leftLobby9 = {"AddToAbandonedLobbyInvitationIds: lobby-9",
                            "Ignoring update from abandoned lobby.invitationId lobby-9"};
  const std::string customJoined =
      "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={} custom Practice; "
      "Create /jyx-lobby/v2/lobby={} custom Practice; Update /jyx-lobby/v1/lobby={custom-9} custom "
      "Practice; Update /jyx-lobby/v2/lobby={custom-9} custom Practice;";
  const std::vector<Row> rows = {
      // The logout quits the lobby and the view follows at once: no lobby is left to delete.
      {"legacy-logout",
       lobbies,
       {"0 {}", soloMade, sessionSet,
        "events: Delete /jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null;",
        "404 LOBBY_NOT_FOUND", "404 LOBBY_NOT_FOUND", "events:", R"({"quit":true})"},
       {},
       "OutOfLobby"},
      // The custom queue's availability stands across a change of the queue list.
      {"custom-availability",
       {kAvailability},
       {practice, "events: Update /jyx-lobby/v1/lobby/availability=PlatformDisabled;",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_custom"})",
        "events: Update /jyx-lobby/v1/lobby/availability=Available;", "0 Available",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})", "events:", "0 Available",
        R"({"quit":true})"},
       {"abandon ", "leave"},
       "Owner"},
      // Accepted from outside a lobby, the v1 lobby is deleted and then holds the joined one;
      // accepted from inside that one, each v1 part is published once, by the accept.
      {"legacy-accept",
       {kV1Lobby, kV1Members, kV1Invitations, kV1LocalMember, kV2Lobby},
       {pushed, "0 [...]", "events:", "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7}; " +
            v1Parts + "Create /jyx-lobby/v2/lobby={lobby-7};",
        "0 {lobby-7}", R"({"scripted":true})", pushed, "events:", "0 null",
        "events: Update /jyx-lobby/v1/lobby={lobby-8}; " + v1Parts +
            "Update /jyx-lobby/v2/lobby={lobby-8};",
        R"({"quit":true})"},
       {"abandon lobby-8", "leave"},
       "Member"},
      // Accepted while a lobby change waits, the change having left the legacy lobby: the accept
      // stands, publishing each v1 part once, and the change, overtaken, publishes no lobby of
      // its own; the view shows the lobby joined.
      {"accept-during-change",
       {kV1Lobby, kV1Members, kV1Invitations, kV1LocalMember, kV2Lobby},
       {"0 {}", pushed, soloMade, armed, armed, armed, overtaken,
        "events: Delete /jyx-lobby/v1/lobby=null;", "0 null",
        "events: Update /jyx-lobby/v1/lobby={lobby-7}; " + v1Parts.substr(0, v1Parts.size() - 1),
        "events: Update /jyx-lobby/v2/lobby={lobby-7};", "0 {lobby-7}", R"({"quit":true})"},
       leftJoined,
       "Member"},
      // The same change failing its level check: the failure does not take the player out of the
      // lobby just joined.
      {"accept-during-failing-change",
       lobbies,
       {"0 {}", R"({"event":"OnJsonApiEvent_jyx-summoner_v1_summoners"})",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})", pushed, soloMade, armed,
        overtaken, "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7}; Update "
        "/jyx-lobby/v2/lobby={lobby-7};",
        "0 {lobby-7}", R"({"quit":true})"},
       leftJoined,
       "Member"},
      // Left while the change waits: the change publishes no lobby, and none is left to leave.
      {"leave-during-change",
       lobbies,
       {"0 {}", soloMade, armed, overtaken, "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null;",
        "404 LOBBY_NOT_FOUND", R"({"quit":true})"},
       {},
       "OutOfLobby"},
      // Accepted while the group lobby is made for an invitation: the group lobby replaces
      // neither the v1 lobby nor the one left at shutdown.
      {"accept-during-group-creation",
       lobbies,
       {"0 {}", pushed, soloMade, armed, overtaken, "0 null",
        "events: Update /jyx-lobby/v1/lobby={lobby-7}; Update /jyx-lobby/v2/lobby={lobby-7};",
        "0 {lobby-7}", pushed, "events:", "0 {lobby-7}", R"({"quit":true})"},
       leftJoined,
       "Member",
       {"AddToAbandonedLobbyInvitationIds: lobby-9",
        "Ignoring update from abandoned lobby.invitationId lobby-9"}},
      // Accepted while play again waits for the gameflow plugin: no lobby of play again's own.
      {"accept-during-play-again",
       lobbies,
       {"0 {}", R"({"event":"OnJsonApiEvent_jyx-gameflow_v1_session"})",
        R"({"event":"OnJsonApiEvent_jyx-gameflow_v1_session"})",
        R"({"event":"OnJsonApiEvent_jyx-gameflow_v1_session"})", pushed,
        "events: Create /jyx-lobby/v1/lobby={}; Create /jyx-lobby/v2/lobby={}; Delete "
        "/jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null;",
        armed, overtaken, "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7}; Create "
        "/jyx-lobby/v2/lobby={lobby-7};",
        "0 {lobby-7}", R"({"quit":true})"},
       leftJoined,
       "Member"},
      // Accepted while a custom game's join waits: the join's failure leaves the lobby joined.
      {"accept-during-custom-join",
       lobbies,
       {pushed, "events:", armed, overtaken, "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7}; Create "
        "/jyx-lobby/v2/lobby={lobby-7};",
        "0 {lobby-7}", R"({"quit":true})"},
       leftJoined,
       "Member"},
      // A lobby change asked for during the leave's second legacy call, the legacy lobby's exit,
      // is refused: the leave runs to its end, each state left once.
      {"change-during-leave",
       lobbies,
       {pushed, "0 null", R"({"scripted":true})",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7}; Create "
        "/jyx-lobby/v2/lobby={lobby-7};",
        armed, "0 null", armed, "409 LOBBY_TRANSITION_IN_PROGRESS",
        "events: Delete /jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null;",
        "404 LOBBY_NOT_FOUND", R"({"quit":true})"},
       {},
       "OutOfLobby"},
      // A re-login while the first bots' configuration read waits leaves the configuration
      // followed: the change of the bots' difficulties reaches the custom lobby.
      {"bots-relogin",
       {kAvailableBots},
       {sessionSet, armed, armed, sessionSet, sessionSet, sessionSet, practice,
        "events:" + availableBots + availableBots + availableBots + availableBots,
        R"({"event":"OnJsonApiEvent_jyx-platform-config_v1_namespaces_BotConfigurations_)"
        R"(IntermediateInCustoms"})",
        "events:" + availableBots, "0 [...]", R"({"quit":true})"},
       {"abandon ", "leave"},
       "Owner"},
      // Practice game updates pushed while a queue lobby is made complete no request: the player
      // owns the solo lobby, and an invitation makes its group lobby on the legacy platform.
      {"practice-update-during-creation",
       lobbies,
       {scripted, armed, armed, "0 {}", pushed, pushed, soloMade, "0 [...]",
        "events: Update /jyx-lobby/v1/lobby={lobby-9}; Update /jyx-lobby/v1/lobby={lobby-9}; "
        "Update /jyx-lobby/v1/lobby={lobby-9}; Update /jyx-lobby/v2/lobby={lobby-9};",
        "0 {lobby-9}", R"({"quit":true})"},
       {"abandon lobby-9", "leave"},
       "Owner"},
      // The same while the solo lobby changes queue.
      {"practice-update-during-change",
       lobbies,
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})", "0 {}", soloMade, armed, "0 {}",
        pushed,
        "events: Delete /jyx-lobby/v1/lobby=null; Create /jyx-lobby/v1/lobby={}; Update "
        "/jyx-lobby/v2/lobby={};",
        "0 {}", R"({"quit":true})"},
       {"abandon "},
       "SoloLobby"},
      // A custom game's team select whose game type cannot be looked up, pushed while a queue
      // lobby is made, fails no lobby: the creation answers and publishes its own.
      {"team-select-during-creation",
       lobbies,
       {armed, "0 {}", pushed, soloMade, "0 {}", R"({"quit":true})"},
       {"abandon "},
       "SoloLobby"},
      // A custom game's own update pushed while its creation waits: the creator owns its lobby.
      {"own-game-during-custom-creation",
       lobbies,
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_game-type-config"})", scripted, armed,
        practice, pushed,
        "events: Create /jyx-lobby/v1/lobby={} custom Practice; Create /jyx-lobby/v2/lobby={} "
        "custom Practice;",
        practice, R"({"quit":true})"},
       {"abandon ", "leave"},
       "Owner"},
      // A custom game joined while a queue change waits completes from its game's update, which
      // overtakes the change; a tournament joined from that lobby completes from its own reply;
      // the custom game joined again completes from its update, held during the lobby's exit.
      {"practice-update-completes-joins",
       lobbies,
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_game-type-config"})", scripted, scripted,
        scripted, "0 {}", soloMade, armed, armed, overtaken, "0 null", pushed,
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={} custom Practice; "
        "Update /jyx-lobby/v2/lobby={} custom Practice;",
        practice, "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={} custom Cup; Update "
        "/jyx-lobby/v2/lobby={} custom Cup;",
        "0 {} custom Cup", armed, "0 null", pushed,
        // The update held during the join's exit runs once the join has answered.
        "events: Delete /jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null; Delete "
        "/jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={} custom Practice; Create "
        "/jyx-lobby/v2/lobby={} custom Practice;",
        practice, R"({"quit":true})"},
       {"abandon ", "leave"},
       "Member"},
      // Two lobby statuses held during the accept's transition run after its answer, in order and
      // each to its end: the first makes the player owner, the second adds member 88.
      {"statuses-during-accept",
       lobbies,
       {pushed, armed, armed, "0 null", pushed, pushed,
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7}; Create "
        "/jyx-lobby/v2/lobby={lobby-7}; Update /jyx-lobby/v1/lobby={lobby-7}; Update "
        "/jyx-lobby/v2/lobby={lobby-7}; Update /jyx-lobby/v1/lobby={lobby-7}; Update "
        "/jyx-lobby/v2/lobby={lobby-7};",
        "0 {lobby-7}", "0 {...}", R"({"quit":true})"},
       leftJoined,
       "Owner",
       {"LobbyFlow: running Event: OnLcdsEvent", "LobbyFlow: entering state 'Owner'",
        "Auto granting invite to 77", "LobbyFlow: running Event: OnLcdsEvent",
        "Auto granting invite to 88"}},
      // A status arriving while a held one's handler waits runs after those held before it: the
      // lobby shows the last to come (member 99), not the one held second (member 88).
      {"status-during-held-status",
       lobbies,
       {pushed, armed, armed, armed, "0 null", pushed, pushed, armed, pushed,
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7}; Create "
        "/jyx-lobby/v2/lobby={lobby-7}; Update /jyx-lobby/v1/lobby={lobby-7}; Update "
        "/jyx-lobby/v1/lobby={lobby-7}; Update /jyx-lobby/v2/lobby={lobby-7}; Update "
        "/jyx-lobby/v1/lobby={lobby-7}; Update /jyx-lobby/v2/lobby={lobby-7};",
        "404 LOBBY_NOT_FOUND", "0 {...}", R"({"quit":true})"},
       leftJoined,
       "Member"},
      // During a leave's transition a read answers and an unserved path is no route's refusal.
      {"reads-during-leave",
       lobbies,
       {"0 {}", soloMade, armed, armed, armed, "0 null", "0 {}",
        "404 No route of the plugin serves /jyx-lobby/v2/nosuch; routes lists the plugin's routes",
        "404 No route of the plugin serves PATCH /jyx-lobby/v2/lobby; the path's routes take "
        "DELETE, GET, POST",
        "events: Delete /jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null;",
        "404 LOBBY_NOT_FOUND", R"({"quit":true})"},
       {},
       "OutOfLobby"},
      // A leave during the change's view rebuild overtakes the change, and the log names the leave.
      {"leave-during-view-rebuild",
       lobbies,
       {"0 {}", soloMade, armed, overtaken, armed, "0 null",
        // The change's rebuild, overtaken, withholds its view: the leave's Delete stands alone.
        "events: Delete /jyx-lobby/v1/lobby=null; Create /jyx-lobby/v1/lobby={}; Delete "
        "/jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null;",
        "404 LOBBY_NOT_FOUND", R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"LobbyFlow: POST /jyx-lobby/v2/lobby stops before publishing /jyx-lobby/v2/lobby: DELETE "
        "/jyx-lobby/v2/lobby, called while it waited, moved LobbyFlow to 'OutOfLobby'"}},
      // A team-builder lobby's event let in while its group finder lobby's legacy call waits
      // stores and publishes it: the change failing, or a logout overtaking it, leaves the player
      // out of any lobby and the v1 lobby deleted; a custom game joined later is not its lobby.
      {"team-builder-change-left",
       lobbies,
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})",
        scripted,
        "0 {}",
        soloMade,
        armed,
        "500 Couldn't change lobby: Error creating lobby: Error response for POST "
        "/jyx-login/v1/session/invoke: GroupFinderUnavailableException",
        armed,
        "events: Delete /jyx-lobby/v1/lobby=null;",
        "events: Update /jyx-lobby/v1/lobby={tb-1}; Delete /jyx-lobby/v1/lobby=null; Delete "
        "/jyx-lobby/v2/lobby=null;",
        "0 {}",
        soloMade,
        armed,
        overtaken,
        armed,
        sessionSet,
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={tb-2}; Delete "
        "/jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null;",
        "404 LOBBY_NOT_FOUND",
        sessionSet,
        scripted,
        armed,
        "0 null",
        pushed,
        "events: Update /jyx-lobby/v1/lobby={}; Create /jyx-lobby/v2/lobby={};",
        R"({"quit":true})"},
       {"abandon "},
       "Member"},
      // A tournament joined from a solo lobby deletes the v1 lobby once.
      {"tournament-join-from-lobby",
       lobbies,
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_game-type-config"})", "0 {}", soloMade,
        R"({"scripted":true})", "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={} custom Cup; Update "
        "/jyx-lobby/v2/lobby={} custom Cup;",
        "0 {} custom Cup", R"({"quit":true})"},
       {"abandon ", "leave"},
       "Member"},
      // An accept the platform granted whose lobby's queue cannot be looked up shows the lobby
      // joined, from the solo lobby of another queue: its id, members, invitees and queue.
      {"accept-refresh-fails",
       {kV1Lobby, kV2Lobby},
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})", "0 {} queue 430 members 2046",
        pushed, scripted,
        "events: Create /jyx-lobby/v1/lobby={} queue 430 members 2046; Create "
        "/jyx-lobby/v2/lobby={} queue 430 members 2046;",
        "0 null",
        "events: Update /jyx-lobby/v1/lobby={lobby-9} queue 450 members 77,2046; Update "
        "/jyx-lobby/v2/lobby={lobby-9} queue 450 members 77,2046;",
        "0 [2046 Accepted, 88 Pending]", R"({"quit":true})"},
       {"abandon lobby-9", "leave"},
       "Member",
       {"Accepted invitation inv-1; its lobby lobby-9 is shown as its status gives it"},
       true},
      // Late events of team-builder lobbies left, one orphaned by a creation an accept overtook,
      // one left by an accept from it, change neither lobby shown: lobby-7 is left at shutdown.
      {"left-team-builder-events",
       lobbies,
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})",
        scripted,
        scripted,
        pushed,
        armed,
        overtaken,
        "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7}; Create "
        "/jyx-lobby/v2/lobby={lobby-7};",
        tbEvent,
        "events:",
        "0 {lobby-7}",
        "0 null",
        "0 {tb-2}",
        pushed,
        "events: Delete /jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null; Create "
        "/jyx-lobby/v1/lobby={tb-2}; Create /jyx-lobby/v2/lobby={tb-2}; Update "
        "/jyx-lobby/v1/lobby={tb-2};",
        "0 null",
        "events: Update /jyx-lobby/v1/lobby={lobby-7}; Update /jyx-lobby/v2/lobby={lobby-7};",
        tbEvent,
        "events:",
        "0 {lobby-7}",
        R"({"quit":true})"},
       leftJoined,
       "Member",
       {"AddToAbandonedLobbyInvitationIds: tb-1",
        "Ignoring update from abandoned lobby.invitationId tb-1",
        "AddToAbandonedLobbyInvitationIds: tb-2",
        "Ignoring update from abandoned lobby.invitationId tb-2"}},
      // A custom game's accept whose game cannot be looked up shows the custom lobby joined from
      // its status, nothing of the solo lobby; a later status keeps it custom, and it is left by
      // quitting the game.
      {"custom-accept-game-unknown",
       lobbies,
       {"0 {} queue 430 members 2046", pushed, scripted, scripted,
        "events: Create /jyx-lobby/v1/lobby={} queue 430 members 2046; Create "
        "/jyx-lobby/v2/lobby={} queue 430 members 2046;",
        "0 null",
        "events: Update /jyx-lobby/v1/lobby={custom-5} custom  queue -1 members 77,2046; Update "
        "/jyx-lobby/v2/lobby={custom-5} custom  queue -1 members 77,2046;",
        "0 [88 Pending]", pushed,
        "events: Update /jyx-lobby/v1/lobby={custom-5} custom  queue -1 members 77,2046; Update "
        "/jyx-lobby/v2/lobby={custom-5} custom  queue -1 members 77,2046;",
        "0 null", R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"Unable to lookup game", "Leaving Platform lobby"},
       true},
      // A custom game joined again enters the lobby its status names, though that lobby was left.
      {"custom-game-rejoined",
       lobbies,
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_game-type-config"})", scripted, scripted,
        armed, "0 null", pushed, pushed, customJoined, "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Delete /jyx-lobby/v2/lobby=null;", armed,
        "0 null", pushed, pushed, customJoined, "0 {custom-9} custom Practice", R"({"quit":true})"},
       {"abandon custom-9", "leave"},
       "Member",
       {"AddToAbandonedLobbyInvitationIds: custom-9", "RemoveFromAbandonedLobbyIds: custom-9"}},
      // The chat room shown after an accept whose refresh failed stays through the lobby's event.
      {"team-builder-room-after-accept",
       lobbies,
       {R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_queues"})", "0 {} room ", pushed, scripted,
        "events: Create /jyx-lobby/v1/lobby={} room ; Create /jyx-lobby/v2/lobby={} room ;",
        "0 null",
        "events: Update /jyx-lobby/v1/lobby={tb-9} room " + tb9Room +
            "; Update "
            "/jyx-lobby/v2/lobby={tb-9} room " +
            tb9Room + ";",
        tbEvent,
        "events: Update /jyx-lobby/v1/lobby={tb-9} room " + tb9Room +
            "; Update "
            "/jyx-lobby/v2/lobby={tb-9} room " +
            tb9Room + ";",
        R"({"quit":true})"},
       {"abandon tb-9"},
       "Member",
       {},
       false,
       true},
      // An overtaken custom game creation stores no bots: the GET answers those published; a later
      // status of its game's lobby is ignored.
      {"bots-of-overtaken-creation",
       {kAvailableBots},
       {pushed, scripted, scripted, "events: Update /jyx-lobby/v2/lobby/custom/available-bots=[];",
        armed, overtaken, "0 null", "events: Update /jyx-lobby/v2/lobby/custom/available-bots=[];",
        "0 []", pushed, "0 {custom-5} custom Brawl queue -1 members 77,2046", R"({"quit":true})"},
       {"abandon custom-5", "leave"},
       "Member",
       {"stops before storing the available bots",
        "Ignoring update from abandoned lobby.invitationId custom-77"},
       true},
      // An accept whose leave and accept both fail leaves the player in its group lobby, whose
      // next status shows its new member.
      {"accept-fails-after-failed-leave",
       lobbies,
       {"0 {} queue 430 members 2046", scripted, scripted, "0 [77 Pending]", pushed, scripted,
        "events: Create /jyx-lobby/v1/lobby={} queue 430 members 2046; Create "
        "/jyx-lobby/v2/lobby={} queue 430 members 2046; Update /jyx-lobby/v1/lobby={lobby-9} queue "
        "430 members 2046; Update /jyx-lobby/v1/lobby={lobby-9} queue 430 members 2046; Update "
        "/jyx-lobby/v1/lobby={lobby-9} queue 430 members 2046; Update "
        "/jyx-lobby/v2/lobby={lobby-9} "
        "queue 430 members 2046;",
        "500 Couldn't accept invitation to lobby: Error accepting invitation: Error response for "
        "POST /jyx-login/v1/session/invoke: LobbyUnavailableException",
        pushed,
        "events: Update /jyx-lobby/v1/lobby={lobby-9} queue 430 members 2046,88; Update "
        "/jyx-lobby/v2/lobby={lobby-9} queue 430 members 88,2046;",
        "0 {lobby-9} queue 430 members 88,2046", R"({"quit":true})"},
       {"abandon lobby-9", "leave"},
       "Owner",
       {},
       true},
      // A custom game accepted unlooked-up, its status naming no game, is the invitation's: the
      // game's team select fills its teams.
      {"custom-accept-game-update",
       lobbies,
       {pushed, scripted, R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_game-type-config"})",
        "events:", "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={custom-5} custom  "
        "queue -1 members 77,2046; Create /jyx-lobby/v2/lobby={custom-5} custom  queue -1 members "
        "77,2046;",
        pushed,
        "events: Update /jyx-lobby/v1/lobby={custom-5} custom Brawl queue -1 members 77,2046,88; "
        "Update /jyx-lobby/v2/lobby={custom-5} custom Brawl queue -1 members 77,88,2046;",
        "0 {custom-5} custom Brawl queue -1 members 77,88,2046", R"({"quit":true})"},
       {"abandon custom-5", "leave"},
       "Member",
       {},
       true},
      // An overtaken creation's game without an id is none: the accepted lobby's status shows.
      {"overtaken-creation-without-game",
       lobbies,
       {pushed, scripted, "events:", armed, overtaken, "0 null",
        "events: Delete /jyx-lobby/v1/lobby=null; Update /jyx-lobby/v1/lobby={lobby-7} queue 430 "
        "members 77,2046; Create /jyx-lobby/v2/lobby={lobby-7} queue 430 members 77,2046;",
        pushed,
        "events: Update /jyx-lobby/v1/lobby={lobby-7} queue 430 members 77,2046,88; Update "
        "/jyx-lobby/v2/lobby={lobby-7} queue 430 members 77,88,2046;",
        "0 {lobby-7} queue 430 members 77,88,2046", R"({"quit":true})"},
       leftJoined,
       "Member",
       {},
       true},
      // An accept the platform grants after a failed leave leaves the group lobby, though the
      // joined lobby's status came during the leave's call, or during the accept's: the group
      // lobby's later status is ignored.
      {"joined-status-during-failed-leave",
       lobbies,
       {solo430, "0 [77 Pending]", pushed, armed, "0 null", pushed, pushed, lobby7Shown,
        R"({"quit":true})"},
       leftJoined,
       "Member",
       leftLobby9,
       true},
      {"joined-status-during-accept-call",
       lobbies,
       {solo430, "0 [77 Pending]", pushed, armed, "0 null", armed, pushed, pushed, lobby7Shown,
        R"({"quit":true})"},
       leftJoined,
       "Member",
       leftLobby9,
       true},
      // The group lobby's status in the accept's call after a granted leave, or in the custom
      // accept's lookup after a failed one, is ignored.
      {"left-status-after-granted-leave",
       lobbies,
       {solo430, "0 [77 Pending]", pushed, scripted, armed, "0 null", armed, pushed, lobby7Shown,
        R"({"quit":true})"},
       leftJoined,
       "Member",
       leftLobby9,
       true},
      {"left-status-during-custom-lookup",
       lobbies,
       {solo430, "0 [77 Pending]", pushed, scripted, armed, "0 null", armed, armed, pushed,
        "0 {custom-5} custom  queue -1 members 77,2046", R"({"quit":true})"},
       {"abandon custom-5", "leave"},
       "Member",
       leftLobby9,
       true},
      // Each game update that fills a custom lobby recomputes its bots.
      {"custom-game-update-bots",
       {kAvailableBots},
       {"0 {} custom Practice queue -1 members 2046",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_game-type-config"})", "0 [Brakka]",
        "events: Update " + std::string(kAvailableBots) + "=[]; Update " + kAvailableBots +
            "=[Brakka];",
        pushed, "events: Update " + std::string(kAvailableBots) + "=[];", "0 []", pushed, scripted,
        "0 null", "events: Update " + std::string(kAvailableBots) + "=[];", pushed,
        "events: Update " + std::string(kAvailableBots) + "=[Brakka];", "0 [Brakka]",
        R"({"quit":true})"},
       {"abandon custom-5", "leave"},
       "Member",
       {},
       true},
      // Inside transitions, the availability answers from the lobby published and the custom
      // game list, while no games are listed, is refused: neither asks outside.
      {"reads-during-legacy-transitions",
       {"/jyx-lobby/v1/custom-games"},
       {scripted, armed, "0 {}", "404 LOBBY_AVAILABILITY_NOT_FOUND", "0 Available", armed, "0 null",
        "409 LOBBY_TRANSITION_IN_PROGRESS", "events:", "0 [...]",
        "events: Update /jyx-lobby/v1/custom-games=[...];", R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"LobbyFlow: refusing GET /jyx-lobby/v1/custom-games"}},
      // A party lobby's exit rebuilds the view before the lobby's exit stops the countdown.
      {"party-logout",
       {kV2Lobby, kV2Countdown, kPartyActive},
       {"0 {party-3}",
        "events: Update /jyx-lobby/v2/lobby/countdown={...}; Create /jyx-lobby/v2/lobby={party-3}; "
        "Update /jyx-lobby/v2/party-active=true;",
        sessionSet,
        "events: Delete /jyx-lobby/v2/lobby=null; Update /jyx-lobby/v2/lobby/countdown={...}; "
        "Update /jyx-lobby/v2/party-active=false;",
        "404 LOBBY_NOT_FOUND", R"({"quit":true})"},
       {},
       "OutOfLobby"},
      // A lobby made while a party invitation's window flash waits: the invitation is published
      // all the same, and the window flashed once, the read armed for a second flash running
      // only in the flash of a third player's invitation.
      {"lobby-during-invitation-flash",
       {kV2Lobby, kReceivedV2},
       {armed, armed, "reply 200", "0 {party-3}", armed,
        "events: Update /jyx-lobby/v2/received-invitations=[...]; Create "
        "/jyx-lobby/v2/lobby={party-3};",
        "0 [...]", R"({"clock":3600.0,"ran":2})", "events:", "reply 200", "0 [...]",
        "events: Update /jyx-lobby/v2/received-invitations=[...];", R"({"quit":true})"},
       {},
       "PartyLobby"},
      // The flash an overtaken invitation's handling may not make is made by the next rebuild.
      {"flash-after-overtaken-lookup",
       {kReceivedV2},
       {armed, armed, pushed, "0 {}", "0 [...]",
        "events: Update /jyx-lobby/v2/received-invitations=[...];", armed, "0 null", pushed,
        "0 [...]", R"({"quit":true})"},
       {},
       "OutOfLobby"},
      // A login during the logout's parties deregistration registers the player again once the
      // logout has ended, who can then make a lobby.
      {"login-during-logout",
       {kV2Lobby},
       {"0 {party-3}", "events: Create /jyx-lobby/v2/lobby={party-3};", armed, sessionSet,
        sessionSet, "events: Delete /jyx-lobby/v2/lobby=null;", "404 LOBBY_NOT_FOUND",
        "0 {party-4}", R"({"quit":true})"},
       {},
       "PartyLobby"},
      // A lobby made during the logout's deregistration stops none of its bookkeeping: the lock is
      // removed, and a login registers the player again, taking it.
      {"lobby-during-deregistration",
       {kV2Lobby},
       {armed, sessionSet, "0 {party-3}", sessionSet, sessionSet, "0 {party-4}",
        R"({"quit":true})"},
       {},
       "PartyLobby",
       {"Deleted parties registration for player puuid-a",
        "[plugin always] Removed shutdown lock from jyx-login", "Registering party player",
        "[plugin always] Registered shutdown lock with jyx-login"}},
      // A lobby asked for during the login's registration: the registration takes the lock.
      {"lobby-during-registration",
       {kV2Lobby},
       {sessionSet, sessionSet, armed, sessionSet, "400 CURRENT_PLAYER_PUUID_NOT_FOUND",
        "404 LOBBY_NOT_FOUND", "0 {party-4}", R"({"quit":true})"},
       {},
       "PartyLobby",
       {"[plugin always] Removed shutdown lock from jyx-login", "Registering party player",
        "[plugin always] Registered shutdown lock with jyx-login"}},
      // The party's leave answered late, after the service pushed the player out of the party: the
      // leave answers success.
      {"party-leave-late-reply",
       {kV2Lobby},
       {"0 {party-3}", R"({"scripted":true})", "0 null",
        "events: Create /jyx-lobby/v2/lobby={party-3}; Delete /jyx-lobby/v2/lobby=null;",
        "404 LOBBY_NOT_FOUND", "0 {party-4}", R"({"quit":true})"},
       {},
       "PartyLobby"},
      // A state pushed before the logout and handled after it is dropped: the login registers the
      // player, whom the logout deleted, again.
      {"push-held-behind-logout",
       {kV2Lobby},
       {R"({"push":true})", "0 {party-3}", armed, armed, "0 null", sessionSet, sessionSet,
        "0 {party-5}", R"({"quit":true})"},
       {},
       "PartyLobby",
       {"Deleted parties registration for player puuid-a", "Ignoring a parties state",
        "Registering party player"}},
      // A registration during the deregistration's wait is made again after it, with the lock.
      {"reregistration-during-deregistration",
       {kV2Lobby},
       {R"({"scripted":true})", armed, armed, sessionSet, sessionSet, "0 PLAYER_NOT_FOUND",
        "0 {party-4}", R"({"quit":true})"},
       {},
       "PartyLobby",
       {"Deleted parties registration for player puuid-a",
        "[plugin always] Removed shutdown lock from jyx-login", "Registering party player",
        "[plugin always] Registered shutdown lock with jyx-login"}},
      // A registration's reply, overtaken in its lock's wait by a later registration, is dropped;
      // by the shutdown notice's deregistration, the lock is released again.
      {"reregistration-during-registration-lock",
       {kV2Lobby},
       {R"({"event":"OnJsonApiEvent_zarnclient_pre-shutdown_begin"})", sessionSet, scripted,
        sessionSet, armed, armed, sessionSet, R"({"clock":60.0,"ran":7})", "0 {party-4}",
        "0 {party-4}", "0 true", "0 null", sessionSet, armed, sessionSet,
        R"({"event":"OnJsonApiEvent_zarnclient_pre-shutdown_begin"})",
        "400 CURRENT_PLAYER_PUUID_NOT_FOUND", R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"Dropping a parties registration's reply", "Registered shutdown lock with jyx-login",
        "Removed shutdown lock from jyx-login", "Dropping a parties registration's reply"}},
      // A registration's reply older than a state stored in its lock's wait is dropped.
      {"state-during-registration-lock",
       {kV2Lobby},
       {scripted, armed, armed, "0 PLAYER_NOT_FOUND", R"({"clock":1.0,"ran":3})", "0 {party-3}",
        "0 null", R"({"quit":true})"},
       {},
       "PartyLobby",
       {"Reregistering after parties error: 404 PLAYER_NOT_FOUND",
        "Dropping a parties registration's reply"}},
      // A login whose party has a queue shows its party lobby, whether the state stored in the
      // registration's lock's wait is the service's push of it or one of an older party.
      {"login-push-during-registration-lock",
       {kV2Lobby},
       {party420, scripted, scripted, notRegistered, sessionSet, armed, sessionSet,
        R"({"clock":1.0,"ran":5})", party420, R"({"clock":3701.0,"ran":4})", party420,
        R"({"quit":true})"},
       {},
       "PartyLobby",
       {"Dropping a parties registration's reply", "LobbyFlow: entering state 'PartyLobby'"},
       true},
      {"older-party-during-registration-lock",
       {kV2Lobby},
       {party420, scripted, scripted, notRegistered, sessionSet, R"({"push":true})", armed,
        sessionSet, R"({"sent":true})", party420, R"({"clock":3700.0,"ran":4})", party420,
        R"({"quit":true})"},
       {},
       "PartyLobby",
       {"Registered shutdown lock with jyx-login", "LobbyFlow: entering state 'PartyLobby'"},
       true},
      // A late state of an earlier registration stored in the lock's wait loses to the reply.
      {"earlier-registration-during-registration-lock",
       {kV2Lobby},
       {scripted, R"({"push":true})", armed, "0 PLAYER_NOT_FOUND", R"({"sent":true})",
        "404 LOBBY_NOT_FOUND", "0 {party-3}", R"({"clock":3700.0,"ran":3})", "404 LOBBY_NOT_FOUND",
        "0 {party-3}", R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"Reregistering after parties error: 404 PLAYER_NOT_FOUND",
        "Registered shutdown lock with jyx-login"}},
      // Another player's state pushed while the registration's retry is due is not the player's.
      {"state-pushed-before-registration",
       {kV2Lobby},
       {scripted, scripted, notRegistered, R"({"sent":true})", R"({"clock":60.0,"ran":6})",
        "0 {party-3}", sessionSet, R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"Ignoring a parties state pushed for another player: puuid-b",
        "Deleted parties registration for player puuid-a"}},
      // A lobby made during a logout that keeps the player on the service (a game starting) ends
      // with the player's state the logout clears: the logged-out player is in no lobby.
      {"lobby-during-launched-logout",
       {kV2Lobby},
       {"0 {party-3}", R"({"event":"OnJsonApiEvent_jyx-gameflow_v1_session"})", armed, sessionSet,
        "0 {party-3}", "404 LOBBY_NOT_FOUND", R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"was overtaken: POST /jyx-lobby/v2/lobby"}},
      // The comms token and members asked for in a party lobby's exit are refused.
      {"reads-during-party-leave",
       {kV2Lobby},
       {"0 {party-3}", R"({"set":true})", armed, armed, "0 null",
        "409 LOBBY_TRANSITION_IN_PROGRESS", "409 LOBBY_TRANSITION_IN_PROGRESS", "0 token-1",
        "0 {party-4}", R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"LobbyFlow: refusing GET /jyx-lobby/v2/comms/token",
        "LobbyFlow: refusing GET /jyx-lobby/v2/comms/members"}},
      // A health check overtaken by a logout while it registers the player again makes no party
      // lobby, and answers a text.
      {"health-overtaken-by-logout",
       {kV2Lobby},
       {"0 {party-3}", "events: Create /jyx-lobby/v2/lobby={party-3};", scripted, armed,
        notRegistered, armed, sessionSet, "events: Delete /jyx-lobby/v2/lobby=null;", sessionSet,
        "404 LOBBY_NOT_FOUND", R"({"quit":true})"},
       {},
       "OutOfLobby",
       {"Reregistering after parties error: 404 PLAYER_NOT_FOUND",
        "LobbyFlow: GET /jyx-lobby/v1/parties/health stops before firing "
        "LOBBY_EVENT.PARTY_LOBBY_ACTIVE"}},
      // What the worlds allow, a script each (the first table of host/worlds/README.md). An
      // arranged-team lobby made solo, its group lobby made on the platform by the first
      // invitation, the invitee joined.
      {"arranged-team-lobby",
       lobbies,
       {"0 {} queue 430 members 2046",
        "events: Create /jyx-lobby/v1/lobby={} queue 430 members 2046; Create "
        "/jyx-lobby/v2/lobby={} queue 430 members 2046;",
        "0 [77 Pending]",
        "events: Update /jyx-lobby/v1/lobby={lobby-9} queue 430 members 2046; Update "
        "/jyx-lobby/v1/lobby={lobby-9} queue 430 members 2046; Update "
        "/jyx-lobby/v1/lobby={lobby-9} queue 430 members 2046; Update "
        "/jyx-lobby/v2/lobby={lobby-9} queue 430 members 2046;",
        pushed,
        "events: Update /jyx-lobby/v1/lobby={lobby-9} queue 430 members 2046,77; Update "
        "/jyx-lobby/v2/lobby={lobby-9} queue 430 members 77,2046;",
        "0 {lobby-9} queue 430 members 77,2046", R"({"quit":true})"},
       {"abandon lobby-9", "leave"},
       "Owner",
       {"Auto granting invite to 77"},
       true},
      // A team-builder lobby: the team builder's lobby with the group finder lobby's chat room,
      // its members from the team builder's event.
      {"team-builder-lobby",
       lobbies,
       {"0 {tb-1} queue 400 members room " + tb1Room,
        "events: Create /jyx-lobby/v1/lobby={tb-1} queue 400 members room " + tb1Room +
            "; Create /jyx-lobby/v2/lobby={tb-1} queue 400 members room " + tb1Room +
            "; Update /jyx-lobby/v1/lobby={tb-1} queue 400 members room " + tb1Room + ";",
        tbEvent,
        "events: Update /jyx-lobby/v1/lobby={tb-1} queue 400 members 2046,77 room " + tb1Room +
            "; Update /jyx-lobby/v2/lobby={tb-1} queue 400 members 77,2046 room " + tb1Room + ";",
        "0 {tb-1} queue 400 members 77,2046 room " + tb1Room, R"({"quit":true})"},
       {"abandon tb-1"},
       "SoloLobby",
       {},
       true,
       true},
      // The platform's custom games listed; a custom game made, whose bots the game's update
      // shows.
      {"custom-game-bots",
       {kCustomGames, kAvailableBots, kV2Lobby},
       {"0 null",
        "events: Update /jyx-lobby/v2/lobby/custom/available-bots=[]; Update "
        "/jyx-lobby/v1/custom-games=[Harbor Brawl, Night Drill];",
        "0 [Harbor Brawl, Night Drill]",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_game-type-config"})",
        "0 {} custom Practice queue -1 members 2046", "0 [Brakka]", "0 null",
        "events: Update /jyx-lobby/v2/lobby/custom/available-bots=[Brakka]; Create "
        "/jyx-lobby/v2/lobby={} custom Practice queue -1 members 2046;",
        pushed,
        "events: Update /jyx-lobby/v2/lobby/custom/available-bots=[Brakka]; Update "
        "/jyx-lobby/v2/lobby={} custom Practice queue -1 members 2046 bots bot_Brakka_200;",
        R"({"quit":true})"},
       {"abandon ", "leave"},
       "Owner",
       {},
       true},
      // A party lobby made, changed and left; party rewards switched on stay off.
      {"party-lobby",
       {kV2Lobby, kPartyActive, kPartyRewards},
       {pushed, party420,
        "events: Create /jyx-lobby/v2/lobby={party-3} queue 420 members 9; Update "
        "/jyx-lobby/v2/party-active=true;",
        "0 true", "0 {party-3} queue 440 members 9", "0 off queue -1 []",
        "events: Update /jyx-lobby/v1/party-rewards=off queue -1 []; Update "
        "/jyx-lobby/v2/lobby={party-3} queue 440 members 9;",
        "0 null",
        "events: Update /jyx-lobby/v1/party-rewards=off queue -1 []; Delete "
        "/jyx-lobby/v2/lobby=null; Update /jyx-lobby/v2/party-active=false;",
        R"({"quit":true})"},
       {},
       "OutOfLobby",
       {},
       true},
      // An invitation sent and accepted, one received and accepted.
      {"party-invitations",
       {kReceivedV2},
       {party420, "0 [10 Pending]", "reply 200", "0 [9 Accepted, 10 Accepted]", "reply 200",
        "reply 200", "events: Update /jyx-lobby/v2/received-invitations=[from 11 Pending];",
        "0 null", "0 {party-2} queue 420 members 9,11", R"({"quit":true})"},
       {},
       "PartyLobby",
       {},
       true},
      // The search state follows the matchmaking plugin's search: Invalid, Searching, Invalid.
      {"matchmaking-search",
       {kSearchState},
       {"0 {party-3}", "0 Invalid", "0 null",
        R"({"event":"OnJsonApiEvent_jyx-matchmaking_v1_search"})",
        "events: Update /jyx-lobby/v2/lobby/matchmaking/search-state=Searching;", "0 Searching",
        "0 null", R"({"event":"OnJsonApiEvent_jyx-matchmaking_v1_search"})",
        "events: Update /jyx-lobby/v2/lobby/matchmaking/search-state=Invalid;", R"({"quit":true})"},
       {},
       "PartyLobby"},
      // A clash party joined and left: the comms members follow the party.
      {"clash-party",
       {kCommsMembers},
       {"0 null",
        "events: Update /jyx-lobby/v2/comms/members={party-3}; Update "
        "/jyx-lobby/v2/comms/members={clash-cup-7};",
        "0 null", "events: Update /jyx-lobby/v2/comms/members={party-4};",
        "400 No Clash party to leave", R"({"quit":true})"},
       {},
       "OutOfLobby"},
      // Play again refused before a game; after one, the lobby made again and its member invited.
      {"play-again",
       {kV2Lobby, kLastQueued},
       {"0 {} queue 430 members 2046", "0 [77 Pending]", pushed,
        "400 Play-again is currently unavailable.",
        "events: Create /jyx-lobby/v2/lobby={} queue 430 members 2046; Update "
        "/jyx-lobby/v2/lobby={lobby-9} queue 430 members 2046; Update "
        "/jyx-lobby/v2/lobby={lobby-9} queue 430 members 77,2046;",
        R"({"event":"OnJsonApiEvent_jyx-gameflow_v1_session"})",
        R"({"event":"OnJsonApiEvent_jyx-gameflow_v1_session"})",
        R"({"event":"OnJsonApiEvent_jyx-gameflow_v1_session"})",
        "events: Update /jyx-lobby/v1/last-queued-lobby=play again queue 430; Delete "
        "/jyx-lobby/v2/lobby=null;",
        "0 null", "events: Create /jyx-lobby/v2/lobby={lobby-9} queue 430 members 2046;",
        "0 [77 Pending]", R"({"quit":true})"},
       {"abandon lobby-9", "leave"},
       "Owner",
       {},
       true},
      // Party rewards switched on: a queue's rewards by premade size; none for a custom game.
      {"party-rewards",
       {kPartyRewards},
       {"0 off queue 0 []", pushed, "0 {}",
        "events: Update /jyx-lobby/v1/party-rewards=on queue 430 [1 None , 2 Ip 50, 3 Ip 100];",
        "0 on queue 430 [1 None , 2 Ip 50, 3 Ip 100]",
        R"({"event":"OnJsonApiEvent_jyx-game-queues_v1_game-type-config"})", practice,
        "events: Update /jyx-lobby/v1/party-rewards=off queue -1 []; Update "
        "/jyx-lobby/v1/party-rewards=off queue -1 custom [];",
        R"({"quit":true})"},
       {"abandon ", "leave"},
       "Owner"},
      // A bulk invite the service refuses answers its invitations Error.
      {"refused-bulk-invite",
       {},
       {"0 {party-3} queue 420 members 9", scripted, "0 [10 Error, 11 Error]", "0 [10 Pending]",
        R"({"quit":true})"},
       {},
       "PartyLobby",
       {"Parties send invitation(s) failure: PLAYER_NOT_FOUND"},
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.script);
    const std::string script =
        ReadScript(std::string(JYX_WORLDS_DIR) + row.script + std::string(".txt"));
    ASSERT_FALSE(script.empty());
    const std::string world = WorldOf(script);
    ASSERT_FALSE(world.empty());
    const Testing::LobbyHostRun run = Testing::RunLobbyHost(
        JYX_TEST_LOBBY_HOST, JYX_TEST_LOBBY_PLUGIN, row.script, script, world, /*keepLog=*/true);
    EXPECT_EQ(run.exitStatus, 0);
    Testing::LobbyFlowReplay flow;
    Testing::ReplayLobbyFlow(
        Lines(run.log.begin(), run.log.end() - static_cast<std::ptrdiff_t>(run.shutdownLog.size())),
        flow);
    EXPECT_EQ(flow.active.empty() ? std::string() : flow.active.back(), row.state);
    Testing::ReplayLobbyFlow(run.shutdownLog, flow);
    EXPECT_EQ(flow.fault, "");
    EXPECT_TRUE(flow.active.empty()) << "every state is left at shutdown";
    EXPECT_EQ(Testing::LegacyLobbyLeft(run.shutdownLog), row.shutdown);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines[0], R"({"plugin":"jyx-lobby","started":true})");
    Lines summaries;
    for (std::size_t i = 1; i < run.lines.size(); ++i) {
      summaries.push_back(Summary(run.lines[i], row.uris, row.detailed, row.room));
    }
    EXPECT_EQ(summaries, row.expected);
    const Lines beforeQuit(run.log.begin(),
                           run.log.end() - static_cast<std::ptrdiff_t>(run.shutdownLog.size()));
    EXPECT_EQ(MissingInOrder(beforeQuit, row.log), Lines{});
  }
}

// Lines as runs of equal lines, each run as its line and, for more than one, " xN".
Lines RunLengths(const Lines& lines) {
  Lines runs;
  for (std::size_t i = 0; i < lines.size();) {
    std::size_t n = 1;
    while (i + n < lines.size() && lines[i + n] == lines[i]) ++n;
    runs.push_back(n == 1 ? lines[i] : lines[i] + " x" + std::to_string(n));
    i += n;
  }
  return runs;
}

// 20,000 lobby statuses (3,000 under the sanitizers) held during one accept's transition, every
// other one naming the player owner, which fires LobbyFlow's promotion event: once the accept has
// answered they run one after another, none inside the one before, and the run ends normally. On
// a 512 KB stack, held calls run recursively (each from the one before, or from its end) would
// overflow it: lobby-host needs under 128 KB for the whole run. Built here: too large a script to
// keep.
TEST(LegacyLobbyScriptsTest, ThousandsOfStatusesHeldInOneAcceptRunInTurnOnASmallStack) {
  constexpr int kStatuses = JYX_HELD_STATUSES;
  constexpr int kStackKb = 512;
  const std::string meta = R"("gameMetaData":"{\"queueId\":430,\"gameType\":\"VARNEL_GAME\"}")";
  std::string script =
      R"(lcds com.zarnworks.platform.gameinvite.contract.InvitationRequest {"invitationId":"inv-1",)"
      R"("owner":{"summonerId":77},"inviter":{"summonerId":77},"invitationState":"ACTIVE",)" +
      meta + "}\n";
  for (int i = 0; i < kStatuses; ++i) {
    script +=
        "on-request /jyx-gameflow/v1/session/event lcds "
        "com.zarnworks.platform.gameinvite.contract.LobbyStatus "
        R"({"invitationId":"lobby-7","owner":{"summonerId":)" +
        std::string(i % 2 == 0 ? "77" : "2046") +
        R"(},"members":[{"summonerId":77},{"summonerId":2046}],)" + meta + "}\n";
  }
  script += "POST /jyx-lobby/v2/received-invitations/inv-1/accept\nGET /jyx-lobby/v2/lobby\nquit\n";
  const Testing::LobbyHostRun run = Testing::RunLobbyHost(
      JYX_TEST_LOBBY_HOST, JYX_TEST_LOBBY_PLUGIN, "many-held-statuses", script,
      std::string(JYX_WORLDS_DIR) + "legacy.json", /*keepLog=*/true, kStackKb);
  EXPECT_EQ(run.exitStatus, 0);
  Lines summaries;
  for (const std::string& line : run.lines) summaries.push_back(Summary(line, {}));
  const std::string count = " x" + std::to_string(kStatuses);
  EXPECT_EQ(RunLengths(summaries),
            (Lines{R"({"plugin":"jyx-lobby","started":true})", R"({"pushed":true})",
                   R"({"armed":true})" + count, "0 null", R"({"pushed":true})" + count,
                   "0 {lobby-7}", R"({"quit":true})"}));
  const Lines beforeQuit(run.log.begin(),
                         run.log.end() - static_cast<std::ptrdiff_t>(run.shutdownLog.size()));
  EXPECT_EQ(std::count_if(beforeQuit.begin(), beforeQuit.end(),
                          [](const std::string& line) {
                            return line.find("LobbyFlow: running Event: OnLcdsEvent") !=
                                   std::string::npos;
                          }),
            kStatuses);
  Testing::LobbyFlowReplay flow;
  Testing::ReplayLobbyFlow(beforeQuit, flow);
  EXPECT_EQ(flow.fault, "");
  // The last status names the player owner.
  ASSERT_FALSE(flow.active.empty());
  EXPECT_EQ(flow.active.back(), "Owner");
}

}  // namespace
}  // namespace Zarn::Host
