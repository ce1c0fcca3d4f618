// Random lobby operations in host/worlds/legacy.json and in host/worlds/parties.json, through the
// plugin library as the stand-in host loads it, each with one to three commands armed inside the
// requests it may wait on: an accept, a leave, a pushed lobby status, a removal, a gameflow phase,
// another lobby (a queue's, a team builder's whose group finder lobby the platform may fail to
// make, or a custom game's), a logout or a login, another player's invitation, acceptance or
// leave, a practice game update (a custom game's failed start or team select, whose game type is
// not always found, another player's game), only the siblings' events and timers due, another
// armed command. Every armed command lets in the siblings' events due. Now and then the legacy
// platform fails leaves, custom games' quits and accepts. Its messages follow what it answered: a
// lobby status or a removal comes only for the lobby the platform has the player in, as the
// accepts, creations and leaves it granted left it; but inside an accept the platform grants, a
// status may also be of the lobby being joined, and inside the accept's leave or accept call, of
// the lobby being left. One sequence in three begins in the group lobby "lobby-9", invited to
// another lobby.
// Late events come too: a lobby status of a legacy lobby the platform had the player in before, an
// event of a team-builder lobby made before (left, orphaned or current). An invitation may be to a
// custom game, whose game the world never finds.
// Among those requests are the gameflow events that LobbyFlow's entry and exit actions post, the
// legacy leave of the legacy lobby's exit, the window flash of a view rebuild, and the parties
// registration's and deregistration's requests and shutdown lock, so the armed commands also come
// while a transition, a rebuild or a registration runs.
//
// After every operation, LobbyFlow's states as the log shows them nest (each entered only under
// its active parent, each left only as the innermost one), and LobbyFlow, the v1 lobby and the v2
// lobby agree:
//  - out of a lobby (OutOfLobby innermost), no v1 lobby is published and the v2 lobby answers 404;
//  - in a lobby, the v2 lobby is published (only that: a party accepted without a queue leaves the
//    view on the party left, or none); in a legacy lobby the v1 lobby is too, and the v2 lobby
//    shows it (its party id is the v1 lobby's invitation id);
//  - a Member of a group lobby is the Member of the lobby it accepted (the world answers every
//    accept with "lobby-7") or of a custom game; an owner's group lobby has its invitation id, or
//    is a custom game;
//  - no request is left under way (LobbyRequested, ChangingLobby, GroupLobbyRequested): nothing
//    would complete it;
//  - the v1 lobby is never replaced by a lobby left, as the host saw it, and not entered again: a
//    legacy lobby whose leave or quit the platform granted, or that an accept it granted took the
//    player out of (after a failed leave, or none), a team-builder lobby a DELETE removed, a lobby
//    made in a call whose route answered 409 (overtaken); a lobby accepted or made again is
//    entered again, and a lobby whose leave failed is not left;
//  - a lobby status of the legacy lobby the platform has the player in, shown and not left, shows
//    its members in the v1 lobby (a lobby whose leave and accept failed stays the player's).
// In the parties world, where logins and logouts also come with a lobby call made during their
// registration's or deregistration's wait, and a request or health check the service answers 404
// has the player registered again with no logout between (that registration sometimes answered
// 503 and retried), with a state pushed in its lock's wait (the service's own, or a late one of an
// earlier registration):
//  - the player logged in is registered with the service;
//  - in a party lobby, the plugin holds the player in a party the service has had it in, and
//    shows the service's current party, with its queue, when that has one;
//  - a login that registered the player shows its party's lobby when the party has a queue,
//    unless the registration failed or was overtaken, or the party lobby could not be made;
//  - at the end of each sequence, logged in again if need be, the player can leave its lobby and
//    make one.
// At the end of each sequence, what was last published of each resource with a GET (the received
// invitations, party-active, the party rewards, the v2 lobby, the search state) is what it answers.
// At shutdown every state is left, and the lobby abandoned is the v1 lobby the player was in.
// Under x64-asan the same runs show no sanitizer report. JYX_REENTRY_PLUGIN=PATH runs another
// build of the plugin; JYX_REENTRY_CALM=1 runs the sequences with no command armed and no late
// event, and prints each one's commands, answers, events and log, to compare two builds.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "host/CommandShell.h"
#include "host/PluginHost.h"
#include "host/TeamBuilderPlugin.h"
#include "host/WorldFile.h"
#include "tests/host/LobbyFlowTrace.h"

namespace Zarn::Host {
namespace {

using Testing::IsLobbyFlowStateIn;
using Testing::LobbyFlowReplay;
using Testing::ReplayLobbyFlow;

constexpr char kV1Lobby[] = "/jyx-lobby/v1/lobby";
constexpr char kV2Lobby[] = "/jyx-lobby/v2/lobby";
constexpr char kLobbyStatusClass[] = "com.zarnworks.platform.gameinvite.contract.LobbyStatus";

// An invitation to the lobby of queue 430 or, `custom`, to custom game 123, whose game the world
// never finds (every accept joins "lobby-7").
std::string Invitation(int n, bool custom) {
  return "lcds com.zarnworks.platform.gameinvite.contract.InvitationRequest "
         "{\"invitationId\":\"inv-" +
         std::to_string(n) +
         "\",\"owner\":{\"summonerId\":77},\"inviter\":{\"summonerId\":77},"
         "\"invitationState\":\"ACTIVE\",\"gameMetaData\":\"{" +
         (custom ? "\\\"gameId\\\":123,\\\"gameType\\\":\\\"PRACTICE_GAME\\\"}\"}"
                 : "\\\"queueId\\\":430,\\\"gameType\\\":\\\"VARNEL_GAME\\\"}\"}");
}

std::string Accept(int n) {
  return "POST /jyx-lobby/v2/received-invitations/inv-" + std::to_string(n) + "/accept";
}

// The members of a lobby status of `lobby` ("lobby-7": the lobby accepted, of 77 with the player;
// "lobby-9": the player's own group lobby), and 88 when `guest` joined it.
std::vector<std::uint64_t> StatusMembers(const std::string& lobby, bool guest) {
  std::vector<std::uint64_t> members =
      lobby == "lobby-7" ? std::vector<std::uint64_t>{77, 2046} : std::vector<std::uint64_t>{2046};
  if (guest) members.push_back(88);
  return members;
}

// A lobby status of `lobby` with those members, owned by `owner`.
std::string LobbyStatus(const std::string& lobby, std::uint64_t owner, bool guest) {
  std::string members;
  for (const std::uint64_t id : StatusMembers(lobby, guest)) {
    members +=
        (members.empty() ? "[" : ",") + std::string("{\"summonerId\":") + std::to_string(id) + "}";
  }
  return std::string("lcds ") + kLobbyStatusClass + " {\"invitationId\":\"" + lobby +
         "\",\"owner\":{\"summonerId\":" + std::to_string(owner) + "},\"members\":" + members +
         "],\"gameMetaData\":\"{\\\"queueId\\\":430,\\\"gameType\\\":\\\"VARNEL_GAME\\\"}\"}";
}

// The platform's answer to every accept that it grants: lobby "lobby-7", of 77 with the player.
constexpr char kAccepted[] =
    R"({"invitationId":"lobby-7","owner":{"summonerId":77},"members":[{"summonerId":77},)"
    R"({"summonerId":2046}],"invitees":[{"summonerId":77,"inviteeState":"CREATOR"},)"
    R"({"summonerId":2046,"inviteeState":"ACCEPTED"}],)"
    R"("gameMetaData":"{\"queueId\":430,\"gameType\":\"VARNEL_GAME\"}"})";

// The legacy calls that the platform fails now and then, with the answer that grants each.
struct FailingCall {
  const char* call;   // destination and method
  const char* grant;  // the class and body of the answer that grants it
};
constexpr FailingCall kFailingCalls[] = {
    {"lcdsGameInvitationService leave", kLobbyStatusClass},
    {"gameService quitGame", "com.zarnworks.platform.game.GameDTO"},
    {"lcdsGameInvitationService accept", kLobbyStatusClass},
};
constexpr std::size_t kAcceptCall = 2;

// A practice game update: of the player's custom game 123 (a failed start, or a team select whose
// game type, 1 or 7, the sequence's world finds only for 1) or of another player's game 555.
std::string PracticeGame(int kind, std::int64_t lock) {
  const std::string game =
      kind == 0   ? R"("id":123,"gameState":"START_FAILED","ownerSummary":{"summonerId":2046})"
      : kind == 3 ? R"("id":555,"gameState":"TEAM_SELECT","gameTypeConfigId":1,)"
                    R"("ownerSummary":{"summonerId":77},"teamOne":[{"summonerId":77}])"
                  : std::string(R"("id":123,"gameState":"TEAM_SELECT","gameTypeConfigId":)") +
                        (kind == 1 ? "1" : "7") +
                        R"(,"ownerSummary":{"summonerId":2046},"teamOne":[{"summonerId":2046}])";
  return R"(lcds com.zarnworks.platform.game.GameDTO {"gameType":"PRACTICE_GAME","name":"Practice",)"
         R"("mapId":11,"gameMode":"CLASSIC","maxNumPlayers":10,"optimisticLock":)" +
         std::to_string(lock) + "," + game + "}";
}

constexpr char kQueue430[] =
    R"({"id":430,"mapId":11,"type":"NORMAL","gameMode":"CLASSIC","numPlayersPerTeam":5,)"
    R"("maximumParticipantListSize":5,"isTeamBuilderManaged":false,"queueAvailability":"Available"})";
constexpr char kQueue400[] =
    R"({"id":400,"mapId":11,"type":"BANNER_CALL","gameMode":"CLASSIC","numPlayersPerTeam":5,)"
    R"("maximumParticipantListSize":5,"isTeamBuilderManaged":true,"queueAvailability":"Available"})";

constexpr char kCustomLobby[] =
    R"(POST /jyx-lobby/v2/lobby {"isCustom":true,"customGameLobby":{"lobbyName":"Practice",)"
    R"("configuration":{"mapId":11,"gameMode":"CLASSIC","teamSize":5,"mutators":{"id":1}}}})";

// The worlds the sequences run in, and their player's session as the login plugin gives it.
enum class World { kLegacy, kParties };

// The host's options: the plugin JYX_REENTRY_PLUGIN names (another build of it), else this one's.
PluginHost::Options HostOptions() {
  PluginHost::Options options;
  if (const char* plugin = std::getenv("JYX_REENTRY_PLUGIN")) options.pluginPath = plugin;
  return options;
}

std::string Session(World world, const char* state) {
  const char* player = world == World::kLegacy
                           ? R"("summonerId":2046,"accountId":9001,"puuid":"puuid-stand-in")"
                           : R"("summonerId":9,"accountId":7,"puuid":"puuid-a")";
  return std::string("set /jyx-login/v1/session {\"state\":\"") + state + "\"," + player +
         (std::string(state) == "SUCCEEDED" ? ",\"connected\":true}" : "}");
}

std::string Phase(const char* phase) {
  return std::string("set /jyx-gameflow/v1/session {\"phase\":\"") + phase + "\"}";
}

// The service proxy's requests, every parties request among them.
constexpr char kPartiesRequestPath[] = "/jyx-login/v1/service-proxy-uuid-requests";
// The lock a registration takes, a logout removes.
constexpr char kShutdownLockPath[] = "/jyx-login/v1/shutdown-locks/jyx-lobby";

// The requests a lobby operation may wait on.
const std::vector<std::string>& ArmedPaths(World world) {
  static const std::vector<std::string> legacy = {
      "/zarnclient/ux-flash",                    // a new invitation's window flash, in a rebuild
      "/jyx-summoner/v1/summoners/2046",         // a lobby's level check
      "/jyx-login/v1/session/invoke",            // every legacy call, the exit's leave among them
      "/jyx-gameflow/v1/session/request-lobby",  // a lobby asked of the gameflow plugin
      "/jyx-gameflow/v1/session/event",          // what entry and exit actions post
      "/jyx-summoner/v2/summoners",              // the members looked up for the view
      "/jyx-game-queues/v1/game-type-config/1/map/11",  // a custom game's creation
      "/jyx-game-queues/v1/game-type-config/1",         // a practice game update's own wait
  };
  static const std::vector<std::string> parties = {
      kPartiesRequestPath,
      kShutdownLockPath,
      "/jyx-gameflow/v1/session/request-lobby",
      "/jyx-gameflow/v1/session/event",
      "/zarnclient/ux-flash",
  };
  return world == World::kLegacy ? legacy : parties;
}

// The resources the front end also reads with a GET, with what the GET answers before anything
// was published ("404": no resource; none: not checked until published).
constexpr std::pair<const char*, const char*> kAnsweredByGet[] = {
    {"/jyx-lobby/v2/received-invitations", "[]"},
    {"/jyx-lobby/v2/party-active", "false"},
    {"/jyx-lobby/v1/party-rewards", nullptr},
    {kV2Lobby, "404"},
    {"/jyx-lobby/v2/lobby/matchmaking/search-state", nullptr},
};

bool IsAnsweredByGet(const std::string& uri) {
  return std::any_of(std::begin(kAnsweredByGet), std::end(kAnsweredByGet),
                     [&uri](const auto& resource) { return uri == resource.first; });
}

// Whether `request` is a legacy call that leaves a lobby (a custom game's quit among them) or
// accepts an invitation.
bool IsLeaveOrAccept(const CoreRequest& request) {
  if (request.path != "/jyx-login/v1/session/invoke" || request.arguments.size() < 2) return false;
  const std::string& method = request.arguments[1];
  return method == R"("leave")" || method == R"("quitGame")" || method == R"("accept")";
}

std::string Text(const rapidjson::Value& value) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  value.Accept(writer);
  return buffer.GetString();
}

// One sequence: the plugin loaded in a world, its log and what it published followed.
class Sequence {
 public:
  Sequence(World world, std::uint32_t seed)
      : calm_(std::getenv("JYX_REENTRY_CALM") != nullptr),
        world_(world),
        random_(seed),
        shell_(host_) {
    std::string error;
    EXPECT_TRUE(LoadWorldFile(host_, world == World::kLegacy ? JYX_LEGACY_WORLD : JYX_PARTIES_WORLD,
                              &error, {&shell_.Legacy(), &shell_.Proxy(), &shell_.Parties()}))
        << error;
    EXPECT_TRUE(host_.Load().accepted);
    EXPECT_TRUE(host_.Initialize());
    host_.RunDue();
    if (world == World::kParties) return;
    // Leaves, quits and accepts are granted, a custom game's game type 1 is found, and an
    // invitation sent from a solo lobby makes group lobby "lobby-9".
    for (std::size_t call = 0; call < std::size(kFailingCalls); ++call) Grant(call, true);
    Run(R"(set /jyx-game-queues/v1/game-type-config/1 {"id":1,"name":"Open Choice"})");
    // Queue 400 is the team builder's.
    Run(std::string("set /jyx-game-queues/v1/queues [") + kQueue430 + "," + kQueue400 + "]");
    Run(std::string("set /jyx-game-queues/v1/queues/400 ") + kQueue400);
    Run(std::string("lcds-answer lcdsGameInvitationService createArrangedTeamLobby ") +
        kLobbyStatusClass +
        " {\"invitationId\":\"lobby-9\",\"owner\":{\"summonerId\":2046},\"members\":[{"
        "\"summonerId\":2046}],\"invitees\":[{\"summonerId\":2046,\"inviteeState\":\"CREATOR\"}],"
        "\"gameMetaData\":\"{\\\"queueId\\\":430,\\\"gameType\\\":\\\"VARNEL_GAME\\\"}\"}");
    // One sequence in three begins as the owner of that group lobby, invited to another.
    if (Pick(3) == 0) {
      Run("POST /jyx-lobby/v2/lobby {\"queueId\":430}");
      Run("POST /jyx-lobby/v2/lobby/invitations [{\"toSummonerId\":77}]");
      Run(Invitation(++invitations_, false));
    }
  }
  ~Sequence() {
    if (host_.Loaded()) host_.Shutdown();
  }

  // A lobby command picked at random: an operation from all of them, an armed command from the
  // first eight, those a call made while another waits may run. Empty when the pick makes no
  // sense now (a message of the platform about no lobby).
  std::string Command(bool armed) {
    // A status is checked only as an operation of its own.
    if (!armed) sentStatus_.reset();
    if (world_ == World::kParties) return PartiesCommand(armed);
    // Inside an accept's leave or accept call, the platform speaks of the lobbies it moves between.
    if (armed && armedInLeaveOrAccept_ && !accepts_.empty()) return PlatformMessage(armed);
    switch (Pick(armed ? 8 : 11)) {
      case 0:
        return Accept(AnInvitation());
      case 1:
        return "DELETE /jyx-lobby/v2/lobby";
      case 2:
        return Pick(3) == 0 ? LateEvent() : PlatformMessage(armed);
      case 3:
        return Phase(PickOf({"Matchmaking", "GameStart", "EndOfGame", "None", "Lobby"}));
      case 4:
        if (Pick(3) == 0) return kCustomLobby;
        return Pick(2) == 0 ? "POST /jyx-lobby/v2/lobby {\"queueId\":430}" : TeamBuilderLobby();
      case 5:
        return Session(world_, Pick(2) == 0 ? "LOGGING_OUT" : "SUCCEEDED");
      case 6:
        return CustomOrNot(Pick(4) == 0);
      case 7:
        // Now and then nothing but a sibling's events and the timers due let in.
        return Pick(5) == 0 ? "advance 1" : PracticeGame(static_cast<int>(Pick(4)), ++gameLocks_);
      case 8:
        return "POST /jyx-lobby/v2/lobby/invitations [{\"toSummonerId\":77}]";
      case 9:
        return "POST /jyx-lobby/v1/custom-games/123/join {}";
      default:
        return "POST /jyx-lobby/v2/play-again";
    }
  }

  // Arms, inside the next request of a random path, a command picked when that request comes:
  // `depth` armed commands wait around it.
  // The same in the parties world, where the player's party is "party-3" once made, B's
  // (summoner 10) "party-1" and C's (summoner 11) "party-2".
  std::string PartiesCommand(bool armed) {
    const char* other = Pick(2) == 0 ? "puuid-b" : "puuid-c";
    switch (Pick(armed ? 7 : 11)) {
      case 0:
        return std::string("POST /jyx-lobby/v2/received-invitations/party-") +
               (Pick(2) == 0 ? "1" : "2") + "/accept";
      case 1:
        return "DELETE /jyx-lobby/v2/lobby";
      case 2:
        return std::string("parties-invite ") + other + " puuid-a";
      case 3:
        return Phase(PickOf({"Matchmaking", "GameStart", "EndOfGame", "None", "Lobby"}));
      case 4:
        return std::string("POST /jyx-lobby/v2/lobby {\"queueId\":") + PickOf({"420", "440"}) + "}";
      case 5: {
        const char* state = Pick(2) == 0 ? "LOGGING_OUT" : "SUCCEEDED";
        // Half the time with a lobby call made while the registration or deregistration that the
        // change starts waits on the service.
        if (Pick(2) == 0 && !calm_) ArmLobbyCallInPartiesRequest();
        return Session(world_, state);
      }
      case 6:
        return Pick(2) == 0 ? std::string("parties-accept puuid-b party-3")
                            : std::string("parties-leave ") + other;
      case 7:
        return std::string("POST /jyx-lobby/v2/lobby/invitations [{\"toSummonerId\":") +
               PickOf({"10", "11"}) + "}]";
      case 8:
        return std::string(PickOf({"POST", "DELETE"})) + " /jyx-lobby/v2/lobby/matchmaking/search";
      case 9:
        return ServiceError();
      default:
        return std::string("parties-push ") + PickOf({"notification", "message"});
    }
  }

  // A request or health check the service answers 404 PLAYER_NOT_FOUND, which has the plugin
  // register the player again with no logout between; half the time that registration is
  // answered 503, and its retry, a minute later, registers it. A state is pushed in the
  // registration's lock's wait: the service's own, or a late one of an earlier registration.
  std::string ServiceError() {
    if (!calm_) ArmPushInRegistrationLock();
    ReadServiceRecords();
    if (Pick(2) == 0 && !refusalPending_) {
      refusalPending_ = true;
      Run(R"(parties-script {"path":"v1/players/*","method":"PUT","kind":"status",)"
          R"("httpStatus":503,"errorCode":"SERVICE_UNAVAILABLE"})");
    }
    const std::string notFound =
        R"(,"kind":"status","httpStatus":404,"errorCode":"PLAYER_NOT_FOUND"})";
    if (Pick(2) == 0) {
      if (!std::exchange(healthRefusalPending_, true)) {
        Run(R"(parties-script {"path":"v1/health")" + notFound);
      }
      return "GET /jyx-lobby/v1/parties/health";
    }
    if (!std::exchange(gameModeRefusalPending_, true)) {
      Run(R"(parties-script {"path":"v1/parties/*/gamemode","method":"PUT")" + notFound);
    }
    return std::string("POST /jyx-lobby/v2/lobby {\"queueId\":") + PickOf({"420", "440"}) + "}";
  }

  // Reads the requests the service was sent since the last time: the first of each kind whose
  // refusal was scripted is refused.
  void ReadServiceRecords() {
    const std::vector<PartiesRecord>& records = shell_.Parties().Records();
    for (; recordsRead_ < records.size(); ++recordsRead_) {
      const PartiesRecord& record = records[recordsRead_];
      if (record.method == "PUT" && record.url == "v1/players/puuid-a") {
        lastRegistrationRefused_ = std::exchange(refusalPending_, false);
      }
      if (record.url == "v1/health") healthRefusalPending_ = false;
      if (record.method == "PUT" && record.url.ends_with("/gamemode")) {
        gameModeRefusalPending_ = false;
      }
    }
  }

  // Lets the retries of refused registrations run until one is granted.
  void RetryRefusedRegistrations() {
    ReadServiceRecords();
    for (int i = 0; i < 3 && (lastRegistrationRefused_ || refusalPending_); ++i) {
      Run("advance 61");
      ReadServiceRecords();
    }
  }

  // Arms, inside the next shutdown lock request, the service's own push of the player (the
  // request lets in what is due) or a late state of an earlier registration: created before the
  // player's, of its version, its party "party-old" of queue 420 no older than the player's.
  void ArmPushInRegistrationLock() {
    host_.OnRequest(kShutdownLockPath, [this] {
      if (settled_) return;
      const PartiesPlayer* player = shell_.Parties().FindPlayer("puuid-a");
      const PartiesParty* party =
          player != nullptr ? shell_.Parties().FindParty(player->currentPartyId) : nullptr;
      if (Pick(2) == 0 || party == nullptr) {
        return Run("advance 1", std::string("inside ") + kShutdownLockPath + ": ");
      }
      const std::string earlier =
          R"({"puuid":"puuid-a","platformId":"XEM1","accountId":7,"summonerId":9,"createdAt":)" +
          std::to_string(player->createdAt - 1000) + R"(,"version":)" +
          std::to_string(player->version) + R"(,"currentParty":{"partyId":"party-old","version":)" +
          std::to_string(party->version + Pick(2)) +
          R"(,"gameMode":{"queueId":420,"maxPartySize":5},"players":[{"puuid":"puuid-a",)"
          R"("summonerId":9,"partyId":"party-old","role":"LEADER"}]}})";
      Run("parties-notify " + earlier, std::string("inside ") + kShutdownLockPath + ": ");
    });
  }

  // Arms a lobby call inside the next parties request, a registration's or deregistration's when
  // a login or logout follows.
  void ArmLobbyCallInPartiesRequest() {
    const std::string command = PickOf(
        {"POST /jyx-lobby/v2/lobby {\"queueId\":420}", "POST /jyx-lobby/v2/lobby {\"queueId\":440}",
         "DELETE /jyx-lobby/v2/lobby", "POST /jyx-lobby/v2/received-invitations/party-1/accept"});
    host_.OnRequest(kPartiesRequestPath, [this, command] {
      if (settled_) return;
      Run(command, std::string("inside ") + kPartiesRequestPath + ": ");
    });
  }

  void Arm(int depth) {
    const std::vector<std::string>& paths = ArmedPaths(world_);
    const std::string path = paths[Pick(paths.size())];
    host_.OnRequest(path, [this, path, depth] {
      if (settled_) return;
      // Now and then another command armed, inside a request of this one's wait.
      if (depth < 2 && Pick(10) == 0) return Arm(depth + 1);
      armedInLeaveOrAccept_ = IsLeaveOrAccept(host_.Records().requests.back());
      const std::string command = Command(/*armed=*/true);
      if (!command.empty()) Run(command, "inside " + path + ": ");
    });
  }

  // Arms one to three commands (none in calm runs), then runs `operation` and checks the lobby
  // after it. In the legacy world the platform first grants or fails each of its failing calls.
  void Step(const std::string& operation) {
    const auto status = std::exchange(sentStatus_, std::nullopt);
    if (world_ == World::kLegacy) {
      for (std::size_t call = 0; call < std::size(kFailingCalls); ++call) Grant(call, Pick(4) != 0);
    }
    const int armed = 1 + static_cast<int>(Pick(3));
    for (int i = 0; i < armed && !calm_; ++i) Arm(0);
    if (operation.empty()) return;
    const int nested = nestedRuns_;
    const bool shown = status.has_value() && ShowsPlatformLobby(status->first);
    const std::size_t traced = trace_.size();
    Run(operation);
    Check(operation);
    if (world_ == World::kParties) CheckRegistration(operation);
    if (world_ == World::kParties && operation.starts_with("set /jyx-login/v1/session ") &&
        loggedIn_) {
      CheckLoginShowsPartyLobby(operation, traced);
    }
    // Run alone, a status of the lobby the player is in and sees shows its members.
    if (shown && nestedRuns_ == nested && ShowsPlatformLobby(status->first)) {
      EXPECT_EQ(v1Members_, std::set<std::uint64_t>(status->second.begin(), status->second.end()))
          << "a status of " << status->first << ", the player's lobby, not shown";
    }
  }

  // Has the platform grant the call kFailingCalls[`call`], or fail it.
  void Grant(std::size_t call, bool granted) {
    if (granted_[call] == granted) return;
    granted_[call] = granted;
    const FailingCall& failing = kFailingCalls[call];
    const bool accept = std::string_view(failing.call).ends_with(" accept");
    Run(granted ? std::string("lcds-answer ") + failing.call + " " + failing.grant +
                      (accept ? std::string(" ") + kAccepted : std::string())
                : std::string("lcds-throw ") + failing.call + " 500 PlatformUnavailableException");
  }

  // In the parties world, logged in, the player is registered: the service knows it (unless it
  // refused the last registration, whose retry is due), and the plugin's last request about it was
  // a registration, not a deregistration.
  void CheckRegistration(const std::string& operation) {
    if (!loggedIn_) return;
    SCOPED_TRACE("registration after " + operation);
    ReadServiceRecords();
    EXPECT_TRUE(lastRegistrationRefused_ || shell_.Parties().FindPlayer("puuid-a") != nullptr)
        << "the service lost the player";
    const std::vector<PartiesRecord>& records = shell_.Parties().Records();
    const auto last = std::find_if(records.rbegin(), records.rend(), [](const PartiesRecord& r) {
      return r.url == "v1/players/puuid-a" && (r.method == "PUT" || r.method == "DELETE");
    });
    ASSERT_NE(last, records.rend()) << "never registered";
    EXPECT_EQ(last->method, "PUT") << "deregistered while logged in";
  }

  // A login that registered the player, whose party on the service has a queue, shows that party's
  // lobby, unless what the login logged (from `traced` on) gives it a reason to show none: its
  // registration failed or was overtaken by another registration or a deregistration, the party
  // lobby could not be made, or a game started or a logout came meanwhile.
  void CheckLoginShowsPartyLobby(const std::string& operation, std::size_t traced) {
    int registrations = 0;
    for (std::size_t i = traced; i < trace_.size(); ++i) {
      const std::string& line = trace_[i];
      if (line.find("Registering party player") != std::string::npos) ++registrations;
      for (const char* reason :
           {"Parties registration failure", "Failed to activate party lobby after registration",
            "stops before firing LOBBY_EVENT.PARTY_LOBBY_ACTIVE", "Gameflow prevented a lobby",
            "Deleted parties registration", "Parties deregistration failure",
            "Progressing out of lobby.", "Player is logging out"}) {
        if (line.find(reason) != std::string::npos) return;
      }
    }
    const int queue = PartyQueue();
    if (registrations != 1 || queue <= 0) return;
    // Judged by what the route answers, as the player sees it.
    const RouteAnswer v2 = host_.CallRoute("GET", kV2Lobby, "");
    Follow();
    rapidjson::Document lobby;
    lobby.Parse(v2.body.c_str());
    const bool shown = v2.status == 0u && lobby.IsObject() && lobby.HasMember("partyId") &&
                       lobby.HasMember("gameConfig");
    EXPECT_TRUE(shown &&
                lobby["partyId"].GetString() ==
                    shell_.Parties().FindPlayer("puuid-a")->currentPartyId &&
                lobby["gameConfig"]["queueId"].GetInt() == queue)
        << "after " << operation << ", the party of queue " << queue << " not shown: " << v2.body;
  }

  // In the parties world, with the commands still armed dropped and logged in (again), the player
  // can leave what lobby it is in and make one; a registration that failed is retried first.
  void CheckLobbyCanBeMade() {
    settled_ = true;
    if (!loggedIn_) Run(Session(world_, "SUCCEEDED"));
    // The refusals scripted and still to come are used up first; each may have the player
    // registered again, which one may refuse.
    for (int i = 0; i < 4; ++i) {
      RetryRefusedRegistrations();
      if (healthRefusalPending_) Run("GET /jyx-lobby/v1/parties/health");
      if (gameModeRefusalPending_) Run("POST /jyx-lobby/v2/lobby {\"queueId\":420}");
    }
    CheckRegistration("the last login");
    Run("DELETE /jyx-lobby/v2/lobby");
    const RouteAnswer made = host_.CallRoute("POST", kV2Lobby, "{\"queueId\":420}");
    Follow();
    trace_.push_back("> POST /jyx-lobby/v2/lobby {\"queueId\":420} answered " +
                     std::to_string(made.status) + " " + made.error.value_or(""));
    rapidjson::Document lobby;
    lobby.Parse(made.body.c_str());
    EXPECT_TRUE(lobby.IsObject() && lobby.HasMember("partyId") && lobby["partyId"].IsString() &&
                std::string(lobby["partyId"].GetString()).starts_with("party-"))
        << "no lobby made: " << made.status << " " << made.error.value_or("") << " " << made.body;
  }

  // Shuts the plugin down: every state left, the v1 lobby's legacy lobby abandoned.
  void Quit() {
    const bool inLegacy = IsLobbyFlowStateIn(Innermost(), "LegacyLobby");
    const std::string abandoned = "abandon " + v1_.value_or("");
    const std::size_t before = trace_.size();
    host_.Shutdown();
    Follow();
    EXPECT_EQ(flow_.fault, "");
    EXPECT_TRUE(flow_.active.empty());
    std::vector<std::string> abandons;
    for (const std::string& left : Testing::LegacyLobbyLeft(std::vector<std::string>(
             trace_.begin() + static_cast<std::ptrdiff_t>(before), trace_.end()))) {
      if (left != "leave") abandons.push_back(left);
    }
    EXPECT_EQ(abandons,
              inLegacy ? std::vector<std::string>{abandoned} : std::vector<std::string>{});
  }

  // With the commands still armed dropped, what was last published of each resource with a GET
  // is what the GET answers; one never published answers its initial value.
  void CheckGetsAnswerWhatWasPublished() {
    settled_ = true;
    for (const auto& [path, initial] : kAnsweredByGet) {
      SCOPED_TRACE(std::string("GET ") + path + " at the end");
      const RouteAnswer answer = host_.CallRoute("GET", path, "");
      Follow();
      const auto last = lastPublished_.find(path);
      std::optional<std::string> published;
      if (last != lastPublished_.end()) {
        published = last->second;
      } else if (initial == nullptr) {
        continue;
      } else if (std::string(initial) != "404") {
        published = initial;
      }
      if (!published.has_value()) {
        EXPECT_EQ(answer.status, 404u) << "deleted, yet the GET answers " << answer.body;
        continue;
      }
      rapidjson::Document expected;
      rapidjson::Document got;
      expected.Parse(published->c_str());
      got.Parse(answer.body.c_str());
      EXPECT_TRUE(answer.status == 0u && !got.HasParseError() && expected == got)
          << "published " << *published << ", the GET answers " << answer.status << " "
          << answer.body;
    }
  }

  [[nodiscard]] bool Failed() const { return ::testing::Test::HasFailure(); }
  // Whether the platform failed a leave or a custom game's quit in this sequence.
  [[nodiscard]] bool TookFailedLeave() const { return tookFailedLeave_; }
  // The commands run ("> " and, for an armed one, the request it ran in) among the log lines.
  [[nodiscard]] const std::vector<std::string>& Trace() const { return trace_; }

 private:
  std::uint32_t Pick(std::size_t n) {
    return std::uniform_int_distribution<std::uint32_t>(0,
                                                        static_cast<std::uint32_t>(n) - 1)(random_);
  }
  const char* PickOf(std::initializer_list<const char*> choices) {
    return choices.begin()[Pick(choices.size())];
  }
  int AnInvitation() { return invitations_ == 0 ? 1 : 1 + static_cast<int>(Pick(invitations_)); }
  // A new invitation, to a custom game or not; the platform's accept of a custom one joins a
  // custom game's lobby.
  std::string CustomOrNot(bool custom) {
    ++invitations_;
    if (custom) customAccepts_.insert("[\"inv-" + std::to_string(invitations_) + "\"]");
    return Invitation(invitations_, custom);
  }

  // A lobby of the team builder's queue, whose group finder lobby the legacy platform makes or,
  // one time in two, fails to make.
  std::string TeamBuilderLobby() {
    if (Pick(2) == 0) {
      Run("lcds-throw lcdsGameInvitationService createGroupFinderLobby 500 "
          "GroupFinderUnavailableException");
    } else {
      Run(std::string("lcds-answer lcdsGameInvitationService createGroupFinderLobby ") +
          kLobbyStatusClass +
          R"( {"owner":{"summonerId":2046},"members":[{"summonerId":2046}],)"
          R"("gameMetaData":"{\"queueId\":400,\"gameType\":\"VARNEL_GAME\"}"})");
    }
    return "POST /jyx-lobby/v2/lobby {\"queueId\":400}";
  }

  // An event of a lobby the player was in or had made before, and has left since: the team
  // builder's "tb-N" (one it made, the current one among them), or a lobby status of a legacy
  // lobby the platform had the player in. Empty for none.
  std::string LateEvent() {
    if (calm_) return {};
    const std::string platform = PlatformLobby();
    std::vector<std::string> left;
    for (const std::string& lobby : platformLobbiesLeft_) {
      if (lobby != platform) left.push_back(lobby);
    }
    const auto made = static_cast<std::size_t>(shell_.TeamBuilder().Created());
    const std::size_t pick = Pick(made + left.size() + 1);
    if (pick < made) {
      return std::string("set ") + kTeamBuilderLobbyPath + " {\"invitationId\":\"tb-" +
             std::to_string(pick + 1) + R"(","queueId":400,"members":[{"id":2046},{"id":55}]})";
    }
    if (pick < made + left.size()) return LobbyStatus(left[pick - made], 77, false);
    return {};
  }

  // A lobby status or a removal of the lobby the platform has the player in; empty for none.
  // Armed, a status may also be of the lobby being joined inside an accept the platform grants,
  // or, inside that accept's leave or accept call, of the lobby the accept leaves.
  std::string PlatformMessage(bool armed) {
    std::vector<std::string> statusOf;
    if (armed && !accepts_.empty()) {
      if (std::any_of(accepts_.begin(), accepts_.end(), [](const auto& a) { return a.second; })) {
        statusOf.push_back("lobby-7");
      }
      if (armedInLeaveOrAccept_ && !accepts_.back().first.empty()) {
        statusOf.push_back(accepts_.back().first);
      }
    }
    if (!statusOf.empty() && Pick(4) != 0) {
      const std::string lobby = statusOf[Pick(statusOf.size())];
      return LobbyStatus(lobby, lobby == "lobby-9" || Pick(2) == 0 ? 2046 : 77, Pick(2) == 0);
    }
    const std::string lobby = PlatformLobby();
    if (lobby.empty()) return {};
    if (Pick(2) == 0) {
      const bool guest = Pick(2) == 0;
      sentStatus_ = {lobby, StatusMembers(lobby, guest)};
      return LobbyStatus(lobby, lobby == "lobby-9" || Pick(2) == 0 ? 2046 : 77, guest);
    }
    EnterPlatformLobby("");
    return "lcds com.zarnworks.platform.gameinvite.contract.RemovedFromLobbyNotification "
           "{\"removalReason\":\"" +
           std::string(PickOf({"KICKED", "DESTROYED", "PROGRESSED"})) + "\"}";
  }

  // The lobby the platform has the player in, as the calls it granted and the removals it sent
  // left it: an accept joins "lobby-7", a group lobby's creation makes "lobby-9", a leave (a
  // custom game's quit among them) or a removal ends it.
  std::string PlatformLobby() {
    ReadHost();
    return platformLobby_;
  }
  void EnterPlatformLobby(const std::string& lobby) {
    if (!platformLobby_.empty()) platformLobbiesLeft_.insert(platformLobby_);
    platformLobby_ = lobby;
  }

  // Reads what the host saw since the last time: the legacy calls the platform answered and the
  // team-builder lobbies made and removed. A lobby left (a leave or quit granted, a team-builder
  // lobby removed) or entered (an accept or a group lobby's creation granted) joins the changes
  // that the next events are read with; a lobby made (a creation, not an accept) joins the
  // innermost call's.
  void ReadHost() {
    const std::vector<LcdsInvocation>& calls = shell_.Legacy().Invocations();
    for (; callsRead_ < calls.size(); ++callsRead_) {
      const LcdsInvocation& call = calls[callsRead_];
      const bool quits = call.method == "leave" || call.method == "quitGame";
      if (call.status != 200) {
        tookFailedLeave_ = tookFailedLeave_ || quits;
        continue;
      }
      // A custom game's quit leaves only a custom game's lobby: another game the plugin made
      // leaves the platform's group lobby as it is.
      const bool leaves = call.method == "leave" || (call.method == "quitGame" && platformCustom_);
      std::string entered;
      if (call.method == "accept") entered = "lobby-7";
      if (call.method == "createArrangedTeamLobby") entered = "lobby-9";
      if (!entered.empty()) platformCustom_ = customAccepts_.contains(call.arguments);
      // A granted accept takes the player out of the lobby a failed leave left it in.
      if ((leaves || call.method == "accept") && !platformLobby_.empty() &&
          platformLobby_ != entered) {
        hostChanges_.emplace_back(platformLobby_, true);
      }
      if (!entered.empty()) hostChanges_.emplace_back(entered, false);
      if (call.method == "createArrangedTeamLobby" && !madeInCall_.empty()) {
        madeInCall_.back().push_back(entered);
      }
      if (leaves || !entered.empty()) EnterPlatformLobby(entered);
    }
    const TeamBuilderPlugin& teamBuilder = shell_.TeamBuilder();
    for (; teamBuilderMade_ < teamBuilder.Created(); ++teamBuilderMade_) {
      if (!madeInCall_.empty()) {
        madeInCall_.back().push_back("tb-" + std::to_string(teamBuilderMade_ + 1));
      }
    }
    for (; teamBuilderRemoved_ < teamBuilder.Removed().size(); ++teamBuilderRemoved_) {
      hostChanges_.emplace_back(teamBuilder.Removed()[teamBuilderRemoved_], true);
    }
  }

  void Run(const std::string& command, const std::string& context = "") {
    Follow();
    trace_.push_back("> " + context + command);
    if (!context.empty()) ++nestedRuns_;
    if (command.starts_with("set /jyx-login/v1/session ")) {
      loggedIn_ = command.find("\"SUCCEEDED\"") != std::string::npos;
    }
    madeInCall_.emplace_back();
    const bool accept =
        world_ == World::kLegacy && command.starts_with("POST /jyx-lobby/v2/received-invitations/");
    if (accept) accepts_.emplace_back(PlatformLobby(), granted_[kAcceptCall]);
    std::string answer;
    static_cast<void>(shell_.Execute(command, &answer));
    static_cast<void>(shell_.TakeArmedAnswers());
    if (accept) accepts_.pop_back();
    if (calm_) trace_.push_back("< " + answer);
    ReadHost();
    // Overtaken, the call left the lobbies it made to no one.
    rapidjson::Document reply;
    reply.Parse(answer.c_str());
    if (reply.IsObject() && reply.HasMember("status") && reply["status"].IsUint() &&
        reply["status"].GetUint() == 409) {
      for (const std::string& lobby : madeInCall_.back()) hostChanges_.emplace_back(lobby, true);
    }
    madeInCall_.pop_back();
    Follow();
  }

  // Reads what the plugin logged and published since the last time.
  void Follow() {
    std::vector<std::string> lines;
    for (std::size_t i = logsRead_; i < host_.Records().logs.size(); ++i) {
      lines.push_back(host_.Records().logs[i].message);
    }
    logsRead_ = host_.Records().logs.size();
    ReplayLobbyFlow(lines, flow_);
    // What the host saw and the events are read apart: for the events read with these changes, a
    // lobby is left when it was left before them and not entered again among them.
    ReadHost();
    const std::vector<std::pair<std::string, bool>> changes = std::exchange(hostChanges_, {});
    std::set<std::string> reentered;
    for (const auto& [id, left] : changes) {
      if (!left) reentered.insert(id);
    }
    trace_.insert(trace_.end(), lines.begin(), lines.end());
    if (world_ == World::kParties) {
      ReadServiceRecords();
      const PartiesPlayer* player = shell_.Parties().FindPlayer("puuid-a");
      if (player != nullptr && !player->currentPartyId.empty()) {
        partiesHad_.insert(player->currentPartyId);
      }
    }
    for (const PublishedEvent& event : host_.TakeNewEvents()) {
      if (event.name != "OnJsonApiEvent") continue;
      if (calm_) trace_.push_back("event " + event.payload);
      rapidjson::Document json;
      json.Parse(event.payload.c_str());
      if (!json.IsObject()) continue;
      const std::string uri = json["uri"].GetString();
      if (IsAnsweredByGet(uri)) {
        lastPublished_[uri] = std::string(json["eventType"].GetString()) == "Delete"
                                  ? std::nullopt
                                  : std::optional<std::string>(Text(json["data"]));
      }
      if (uri != kV1Lobby) continue;
      if (std::string(json["eventType"].GetString()) == "Delete") {
        v1_.reset();
      } else {
        const rapidjson::Value& lobby = json["data"];
        const std::string id = lobby["invitationId"].GetString();
        EXPECT_FALSE(id != v1_ && left_.contains(id) && !reentered.contains(id))
            << "the v1 lobby replaced by " << id << ", a lobby left";
        v1_ = id;
        v1Custom_ = lobby["isCustom"].GetBool();
        v1Members_.clear();
        for (const rapidjson::Value& member : lobby["members"].GetArray()) {
          v1Members_.insert(member["id"].GetUint64());
        }
      }
      trace_.push_back(std::string("(published the v1 lobby: ") + v1_.value_or("none") + ")");
    }
    for (const auto& [id, left] : changes) {
      trace_.push_back(std::string("(the host saw ") + id + (left ? " left)" : " entered)"));
      if (left) {
        left_.insert(id);
      } else {
        left_.erase(id);
      }
    }
  }

  // Whether the v1 lobby shows `lobby`, the legacy lobby the platform has the player in and that
  // it has not left, as a queue's lobby that LobbyFlow is in.
  [[nodiscard]] bool ShowsPlatformLobby(const std::string& lobby) {
    return v1_ == lobby && !v1Custom_ && PlatformLobby() == lobby && !left_.contains(lobby) &&
           IsLobbyFlowStateIn(Innermost(), "LegacyLobby");
  }

  // The queue of the player's party as the parties service holds it; -1 for none.
  int PartyQueue() {
    std::string answer;
    static_cast<void>(shell_.Execute("parties-player puuid-a", &answer));
    rapidjson::Document player;
    player.Parse(answer.c_str());
    if (!player.IsObject() || !player.HasMember("currentParty") ||
        !player["currentParty"].IsObject()) {
      return -1;
    }
    return player["currentParty"]["gameMode"]["queueId"].GetInt();
  }

  // The player's current party as the plugin holds it; empty for none.
  std::string PluginParty() {
    const RouteAnswer answer = host_.CallRoute("GET", "/jyx-lobby/v1/parties/player", "");
    Follow();
    rapidjson::Document player;
    player.Parse(answer.body.c_str());
    if (!player.IsObject() || !player.HasMember("currentParty") ||
        !player["currentParty"].IsObject() || !player["currentParty"].HasMember("partyId")) {
      return {};
    }
    return player["currentParty"]["partyId"].GetString();
  }

  [[nodiscard]] std::string Innermost() const {
    return flow_.active.empty() ? std::string() : flow_.active.back();
  }

  void Check(const std::string& operation) {
    SCOPED_TRACE("after " + operation);
    ASSERT_EQ(flow_.fault, "");
    const std::string state = Innermost();
    const RouteAnswer v2 = host_.CallRoute("GET", kV2Lobby, "");
    Follow();
    for (const char* request : {"LobbyRequested", "ChangingLobby", "GroupLobbyRequested"}) {
      EXPECT_NE(state, request) << "a request left under way";
    }
    if (IsLobbyFlowStateIn(state, "OutOfLobby")) {
      EXPECT_FALSE(v1_.has_value()) << "a v1 lobby published out of any lobby: " << *v1_;
      EXPECT_EQ(v2.status, 404u);
      return;
    }
    ASSERT_TRUE(IsLobbyFlowStateIn(state, "InLobby")) << state;
    rapidjson::Document lobby;
    lobby.Parse(v2.body.c_str());
    const bool shown = v2.status == 0u && lobby.IsObject() && lobby.HasMember("partyId");
    // In a party lobby, the plugin holds the player in a party the service has had it in, and
    // shows the service's current party, with its queue, when that has one. A party without a
    // queue has no view to publish: the one published before stands, if any.
    if (state == "PartyLobby") {
      const std::string held = PluginParty();
      EXPECT_TRUE(held.empty() || partiesHad_.contains(held))
          << "the plugin holds the player in " << held << ", a party the service never had it in";
      // A refused registration leaves the plugin no state to show until its retry.
      ReadServiceRecords();
      if (lastRegistrationRefused_) return;
      const int queue = PartyQueue();
      const std::string party = shown ? lobby["partyId"].GetString() : "";
      if (queue <= 0) return;
      ASSERT_TRUE(shown) << "no v2 lobby in " << state;
      EXPECT_EQ(party, shell_.Parties().FindPlayer("puuid-a")->currentPartyId);
      EXPECT_EQ(lobby["gameConfig"]["queueId"].GetInt(), queue);
    }
    ASSERT_TRUE(shown) << "no v2 lobby in " << state;
    if (!IsLobbyFlowStateIn(state, "LegacyLobby")) return;
    ASSERT_TRUE(v1_.has_value()) << "no v1 lobby in " << state;
    EXPECT_EQ(lobby["partyId"].GetString(), *v1_);
    // A custom game's lobby has no invitation id until a lobby status gives it one.
    if (!IsLobbyFlowStateIn(state, "GroupLobby") || v1Custom_) return;
    if (state == "Owner") {
      EXPECT_NE(*v1_, "") << "an owner of a group lobby without its invitation id";
    } else {
      EXPECT_EQ(*v1_, "lobby-7") << "a " << state << " of a lobby it did not accept";
    }
  }

  bool loggedIn_ = true;  // as the last session set says; every world starts logged in
  bool settled_ = false;  // the commands still armed no longer run
  // No command armed, no late event, and every answer and event traced: a run to compare.
  bool calm_;
  World world_;
  std::mt19937 random_;
  PluginHost host_{HostOptions()};
  CommandShell shell_;
  std::vector<std::string> trace_;
  std::size_t logsRead_ = 0;
  LobbyFlowReplay flow_;
  std::optional<std::string> v1_;
  bool v1Custom_ = false;  // the v1 lobby published last is a custom game's
  // By path of a resource with a GET, its value last published as JSON text; none for a Delete.
  std::map<std::string, std::optional<std::string>> lastPublished_;
  int invitations_ = 0;
  std::int64_t gameLocks_ = 1;         // each practice game update is newer than the last
  std::set<std::uint64_t> v1Members_;  // the summoner ids of the v1 lobby published last
  std::size_t callsRead_ = 0;
  std::string platformLobby_;
  bool platformCustom_ = false;  // the platform lobby is a custom game's
  // The argument lists of the accepts that join a custom game's lobby.
  std::set<std::string> customAccepts_;
  std::set<std::string> platformLobbiesLeft_;
  // What the host saw: the lobbies left (true) and entered again (false) not yet read with the
  // events; the lobbies left, as the events read so far stand against; the lobbies made in each
  // call running, the innermost last; the team-builder lobbies made and removed read.
  std::vector<std::pair<std::string, bool>> hostChanges_;
  std::set<std::string> left_;
  std::vector<std::vector<std::string>> madeInCall_;
  std::uint64_t teamBuilderMade_ = 0;
  std::size_t teamBuilderRemoved_ = 0;
  bool tookFailedLeave_ = false;
  // Which of kFailingCalls the platform grants now.
  bool granted_[std::size(kFailingCalls)] = {};
  // The lobby status last picked as a platform message, with its members; the commands run inside
  // others.
  std::optional<std::pair<std::string, std::vector<std::uint64_t>>> sentStatus_;
  int nestedRuns_ = 0;
  // The accepts running, the innermost last: the lobby the platform had the player in when each
  // began, and whether the platform grants it. Whether the armed command to come runs inside a
  // leave's or an accept's legacy call.
  std::vector<std::pair<std::string, bool>> accepts_;
  bool armedInLeaveOrAccept_ = false;
  // The parties the service has had the player in during the sequence.
  std::set<std::string> partiesHad_;
  // A 503 scripted for the player's next registration; whether the last one was refused; the
  // service's records read.
  bool refusalPending_ = false;
  bool lastRegistrationRefused_ = false;
  // A 404 scripted for the next health check, or the next change of the party's queue.
  bool healthRefusalPending_ = false;
  bool gameModeRefusalPending_ = false;
  std::size_t recordsRead_ = 0;
};

// The number the environment variable `name` holds, when it is set: a decimal number from 1 up,
// and nothing else. A value that is none fails the test, naming it.
std::optional<int> NumberFromEnvironment(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr) return std::nullopt;
  const std::string_view value = text;
  int number = 0;
  const auto [end, fault] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (fault != std::errc() || end != value.data() + value.size() || number < 1) {
    ADD_FAILURE() << name << " takes a decimal number from 1 up, not \"" << value << "\"";
    return 0;
  }
  return number;
}

// Runs `count` sequences of `world`; JYX_REENTRY_SEQUENCES=N runs N instead, for a longer run, and
// JYX_REENTRY_SEED=N sequence N alone, for a failure's debugging: it prints the sequence's
// commands among the plugin's log, failed or not.
void RunSequences(World world, int count) {
  constexpr int kOperations = 8;
  const auto start = std::chrono::steady_clock::now();
  const std::optional<int> longer = NumberFromEnvironment("JYX_REENTRY_SEQUENCES");
  const std::optional<int> only = NumberFromEnvironment("JYX_REENTRY_SEED");
  if (longer == 0 || only == 0) return;
  if (longer) count = *longer;
  const int first = only.value_or(1);
  const int last = only ? first : count;
  int failedLeaves = 0;
  for (int seed = first; seed <= last; ++seed) {
    Sequence sequence(world, static_cast<std::uint32_t>(seed));
    for (int i = 0; i < kOperations && !sequence.Failed(); ++i) {
      sequence.Step(sequence.Command(/*armed=*/false));
    }
    if (world == World::kParties && !sequence.Failed()) sequence.CheckLobbyCanBeMade();
    if (!sequence.Failed()) sequence.CheckGetsAnswerWhatWasPublished();
    if (!sequence.Failed()) sequence.Quit();
    if (sequence.TookFailedLeave()) ++failedLeaves;
    if (sequence.Failed()) {
      std::string trace;
      for (const std::string& line : sequence.Trace()) trace += line + "\n";
      ADD_FAILURE() << "seed " << seed << ", the commands run among the plugin's log:\n" << trace;
      return;
    }
    if (only || std::getenv("JYX_REENTRY_CALM") != nullptr) {
      std::printf("seed %d, the commands run among the plugin's log:\n", seed);
      for (const std::string& line : sequence.Trace()) std::printf("%s\n", line.c_str());
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d sequences of %d operations in %.1f s, %d with a failed leave\n", last - first + 1,
              kOperations, seconds, failedLeaves);
}

TEST(ReentryRandomTest, InTheLegacyWorldStatesNestAndLobbyFlowAgreesWithThePublishedLobbies) {
  RunSequences(World::kLegacy, JYX_REENTRY_SEQUENCES);
}

TEST(ReentryRandomTest, InThePartiesWorldStatesNestAndLobbyFlowAgreesWithThePublishedLobbies) {
  RunSequences(World::kParties, JYX_REENTRY_SEQUENCES);
}

}  // namespace
}  // namespace Zarn::Host
