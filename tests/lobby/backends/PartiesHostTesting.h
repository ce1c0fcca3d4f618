// The plugin in-process on the default world rig's host with its simulated parties service, and
// the table of every request the parties backend sends, for the parties tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/PartiesService.h"
#include "host/PluginHost.h"
#include "host/ServiceProxyService.h"
#include "lobby/core/LobbyPlugin.h"
#include "tests/lobby/core/DefaultWorldRig.h"
#include "tests/lobby/core/LobbyBackendTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby::PartiesTesting {

using Kind = Host::PartiesScript::Kind;
using Timing = Host::ProxyScript::Timing;

// Lines joined as the client writes them.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

// `path` with "%1" and "%2" filled in order.
inline std::string Fill(std::string path, const std::vector<std::string>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string mark = "%" + std::to_string(i + 1);
    path.replace(path.find(mark), mark.size(), values[i]);
  }
  return path;
}

inline Api::PlayerDto Identity(int64_t eligibilityHash) {
  Api::PlayerDto player;
  player.puuid = "puuid-a";
  player.platformId = "XEM1";
  player.accountId = 7;
  player.summonerId = 9;
  player.eligibilityHash = eligibilityHash;
  return player;
}

inline std::string IdentityText(int64_t eligibilityHash) {
  return Lines({"{", "    \"accountId\": 7,", "    \"accountToken\": null,",
                "    \"createdAt\": 0,", "    \"currentParty\": null,",
                "    \"eligibilityHash\": " + std::to_string(eligibilityHash) + ",",
                "    \"inventoryToken\": null,", "    \"leaguesToken\": null,",
                "    \"parties\": null,", "    \"platformId\": \"XEM1\",",
                "    \"puuid\": \"puuid-a\",", "    \"serverUtcMillis\": 0,",
                "    \"summonerId\": 9,", "    \"summonerToken\": null,", "    \"version\": 0",
                "}"});
}

inline Api::GameModeDto GameMode(int32_t queueId, int32_t maxPartySize) {
  Api::GameModeDto mode;
  mode.queueId = queueId;
  mode.maxPartySize = maxPartySize;
  return mode;
}

inline std::string GameModeText(int32_t queueId, int32_t maxPartySize) {
  return Lines({"{", "    \"botDifficulty\": null,", "    \"gameType\": \"\",",
                "    \"maxPartySize\": " + std::to_string(maxPartySize) + ",",
                "    \"queueId\": " + std::to_string(queueId), "}"});
}

using Body = std::variant<Api::GameModeDto, Api::PartyMemberMetadataDto, std::string,
                          BindingProperty, bool, Api::PlayerDto, std::vector<std::string>>;

// One request of the parties table, all seven columns, with the body text it must arrive as.
struct Row {
  const char* operation;
  const char* method;
  const char* path;
  std::vector<std::string> fill;
  const char* action;  // "" where the row names none
  Body body;
  const char* wrapperAndReply;
  std::string bodyText;
};

inline std::vector<Row> PartiesTable() {
  const std::vector<std::string> party = {"party-1"};
  const std::vector<std::string> self = {"party-1", "puuid-a"};
  const std::vector<std::string> member = {"party-1", "puuid-b"};
  Api::PartyMemberMetadataDto metadata;
  metadata.positionPref = {"NORTH", "HELPER"};
  const std::string metadataText = Lines(
      {"{", "    \"positionPref\": [", "        \"NORTH\",", "        \"HELPER\"", "    ]", "}"});
  const auto text = [](const char* role) { return std::string("\"") + role + "\""; };
  return {
      {"ChangeLobby", "PUT", "/v1/parties/%1/gamemode", party, "set game mode", GameMode(440, 5),
       "RoR, PlayerDto", GameModeText(440, 5)},
      {"HandlePutQueue", "PUT", "/v1/parties/%1/gamemode", party, "set game mode", GameMode(420, 0),
       "Req, PlayerDto", GameModeText(420, 0)},
      {"HandlePutMetadata", "PUT", "/v1/parties/%1/members/%2/metadata", self, "set metadata",
       metadata, "Req, PlayerDto", metadataText},
      {"HandlePutRole", "PUT", "/v1/parties/%1/members/%2/role", member, "set role",
       std::string("MEMBER"), "Req, PlayerDto", text("MEMBER")},
      {"KickMember", "PUT", "/v1/parties/%1/members/%2/role", member, "kick member",
       std::string("KICKED"), "Req", text("KICKED")},
      {"LeaveLobby", "PUT", "/v1/parties/%1/members/%2/role", self, "leave party",
       std::string("DECLINED"), "Req, then re-register on failure", text("DECLINED")},
      {"PromoteMember", "PUT", "/v1/parties/%1/members/%2/role", member, "promote member",
       std::string("LEADER"), "Req", text("LEADER")},
      {"SetRoleRequest",
       "PUT",
       "v1/parties/%1/members/%2/role",
       {"party-2", "puuid-a"},
       "accepted invitation",
       std::string("MEMBER"),
       "RoR, PlayerDto",
       text("MEMBER")},
      {"SetPartyTypeRequest", "PUT", "/v1/parties/%1/partytype", party, "set partytype",
       std::string("open"), "Req, then re-register on failure", text("open")},
      {"SetCanInvite", "PUT", "/v1/parties/%1/members/%2/canInvite", member, "set canInvite", true,
       "Req", "true"},
      {"SetReadyRequest", "PUT", "/v1/parties/%1/members/%2/ready", self, "set ready", true, "Req",
       "true"},
      {"HandlePutActive", "PUT", "/v1/parties/%1/activityLocked", party, "set activity", false,
       "Req", "false"},
      {"StartMatchmaking", "PUT", "v1/parties/%1/activityLocked", party, "activity_locked", true,
       "Send, AmbassadorMessage", "true"},
      {"CancelMatchmaking", "PUT", "v1/parties/%1/activityLocked", party, "cancel matchmaking",
       false, "RoR", "false"},
      {"JoinClashParty",
       "POST",
       "/v1/clash-parties/join",
       {},
       "join clash party",
       std::string("clash-7"),
       "Req, then re-register on failure",
       text("clash-7")},
      {"ProcessEnteredGame", "POST", "/v1/parties/%1/enteredGame", party, "process entered game",
       BindingProperty(), "RoR", ""},
      {"OnResumeActivityResponse", "POST", "/v1/parties/%1/resumeActivity", party,
       "resume activity", BindingProperty(), "RoR", ""},
      {"HandleGetHealth", "GET", "v1/health", {}, "get health", BindingProperty(), "RoR", ""},
      {"FetchPartiesState",
       "GET",
       "v1/players/%1",
       {"puuid-a"},
       "fetchPartiesState",
       BindingProperty(),
       "Req, then re-register on failure",
       ""},
      {"RegisterPlayer",
       "PUT",
       "v1/players/%1",
       {"puuid-a"},
       "register_player",
       Identity(42),
       "Send, PlayerDto",
       IdentityText(42)},
      {"UpdateEligibilityHash",
       "PUT",
       "v1/players/%1",
       {"puuid-a"},
       "",
       Identity(43),
       "Send, PlayerDto",
       IdentityText(43)},
      {"DeregisterPlayer",
       "DELETE",
       "v1/players/%1",
       {"puuid-a"},
       "deregister_player",
       BindingProperty(),
       "Send, none",
       ""},
      {"SendInvitations", "POST", "v1/parties/%1/bulkInvite", party, "bulk_invite",
       std::vector<std::string>{"puuid-b"}, "Send, none", Lines({"[", "    \"puuid-b\"", "]"})},
      {"HandleGetCommsToken", "GET", "comms/v1/parties/%1/members/%2/token", self, "get_comms_jwt",
       BindingProperty(), "Send, string", ""},
  };
}

// The loaded plugin, with fake backends, on the rig's host, its service proxy and its parties
// service, with the players "puuid-a" (the plugin's, summoner 9) and "puuid-b" (summoner 10).
class PartiesHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginLoadResult record{};
    record.major = 18;
    ASSERT_TRUE(LoadPlugin(&plugin_, &record, "jyx-lobby"));
    ASSERT_TRUE(plugin_.Initialize(&rig_.init_));
    AddPlayer("puuid-a", 9);
    AddPlayer("puuid-b", 10);
    parties_.SetLocalPlayer("puuid-a");
  }
  void TearDown() override { plugin_.Shutdown(); }

  void AddPlayer(const std::string& puuid, uint64_t summonerId) {
    Host::PartiesPlayer player;
    player.puuid = puuid;
    player.platformId = "XEM1";
    player.summonerId = summonerId;
    ASSERT_TRUE(parties_.AddPlayer(player));
  }
  void Script(const std::string& path, Kind kind, int32_t status = 500, std::string code = "",
              Timing timing = Timing::DuringPost, int yield = 1) {
    rig_.Script(path, kind, status, code, timing, yield);
  }
  // The first positional value of each telemetry event `name`, in order.
  [[nodiscard]] std::vector<std::string> Events(const std::string& name) const {
    std::vector<std::string> events;
    for (const Host::TelemetryEvent& event : host_.Records().telemetry) {
      if (event.name == name) events.push_back(event.arguments.at(0));
    }
    return events;
  }

  // The rig without the default world: nothing is seeded.
  WorldTesting::DefaultWorldRig rig_{false};
  Host::PluginHost& host_ = rig_.host_;
  Host::ServiceProxyService& proxy_ = rig_.proxy_;
  Host::PartiesService& parties_ = rig_.parties_;
  int64_t& wallSkew_ = rig_.wallSkew_;
  LobbyPlugin plugin_{std::make_unique<Client::Testing::FakeComponentFactory>()};
};

}  // namespace Zarn::Client::Lobby::PartiesTesting
