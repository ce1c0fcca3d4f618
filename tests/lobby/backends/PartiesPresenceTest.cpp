// The parties backend's presence, in-process on the stand-in host's table and clock: the delayed
// publication, armed once while one is pending, and the open party's "pty" entry, sent only when
// it changes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/backends/PartiesLobbyBackend.h"
#include "tests/lobby/backends/PartiesLobbyBackendTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"
#include "tests/lobby/core/PartiesBackendTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Lobby::LobbyPluginTesting;
using Lobby::PartiesLobbyBackend;
using Lobby::PartiesLobbyBackendTesting;

constexpr char kPresenceTimer[] = "Timer: jyx-lobby.parties-presence";
constexpr char kChatMe[] = "request /jyx-chat/v1/me";

// A real parties backend attached to a started plugin whose player is logged in as 77, in a
// lobby phase, with queue 420 of five places known.
struct PresenceRig {
  PresenceRig() {
    Lobby::PartiesLobbyBackendTesting::Attach(backend, *rig.plugin);
    LobbyPluginTesting::LocalSummonerId(*rig.plugin) = 77;
    Lobby::Api::GameflowSession session;
    session.phase = Lobby::Api::GameflowPhase::Lobby;
    LobbyPluginTesting::GameflowSession(*rig.plugin) = session;
    Lobby::Api::Queue queue;
    queue.id = 420;
    queue.maximumParticipantListSize = 5;
    LobbyPluginTesting::Queues(*rig.plugin).Update(PluginResourceEventType::Create, {queue});
  }
  int Armed() const {
    int armed = 0;
    const std::vector<std::string>& labels = rig.host.Records().scheduledLabels;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (labels[i] != kPresenceTimer) continue;
      EXPECT_EQ(rig.host.Records().scheduledDelays[i], 3.0);
      ++armed;
    }
    return armed;
  }
  LobbyRig rig;
  PartiesLobbyBackend backend;
};

Lobby::Api::PartyDto OpenParty(std::vector<std::uint64_t> summoners) {
  Lobby::Api::PartyDto party;
  party.partyId = "party-1";
  party.partyType = "open";
  party.gameMode.queueId = 420;
  party.gameMode.maxPartySize = 5;
  for (std::uint64_t id : summoners) {
    Lobby::Api::PartyMemberDto member;
    member.summonerId = id;
    member.role = Lobby::Api::PartyMemberRoleEnum::MEMBER;
    party.players.push_back(member);
  }
  return party;
}

TEST(PartiesPresenceTest, APendingPublicationIsArmedOnceAndWithoutAPartySendsNothing) {
  PresenceRig presence;
  const std::size_t mark = presence.rig.Mark();
  presence.backend.SchedulePresenceUpdate();
  presence.backend.SchedulePresenceUpdate();
  EXPECT_EQ(presence.Armed(), 1) << "one publication pending";
  presence.rig.host.Advance(3.0);
  EXPECT_FALSE(PartiesLobbyBackendTesting::PresencePending(presence.backend));
  presence.backend.SchedulePresenceUpdate();
  EXPECT_EQ(presence.Armed(), 2) << "armed again once the first has fired";
  presence.rig.host.Advance(3.0);
  EXPECT_EQ(presence.rig.Entries({kChatMe}, mark), std::vector<std::string>{})
      << "no party, nothing to publish";
}

TEST(PartiesPresenceTest, TheOpenPartysPresenceIsSentOnlyWhenItChanges) {
  PresenceRig presence;
  PartiesLobbyBackend& backend = presence.backend;
  PartiesLobbyBackendTesting::OpenPartyFlag(backend).Set(true);
  const std::string empty = std::string(kChatMe) + R"( {"jyx":{"pty":""},"summonerId":77})";
  const std::string twoMembers =
      std::string(kChatMe) +
      R"( {"jyx":{"pty":"{\"partyId\":\"party-1\",\"queueId\":420,\"summoners\":[5,6]}"},"summonerId":77})";
  const std::string reordered =
      std::string(kChatMe) +
      R"( {"jyx":{"pty":"{\"partyId\":\"party-1\",\"queueId\":420,\"summoners\":[6,5]}"},"summonerId":77})";
  Lobby::Api::PartyDto full = OpenParty({1, 2, 3, 4, 5});
  Lobby::Api::PartyDto unknownQueue = OpenParty({5, 6});
  unknownQueue.gameMode.queueId = 999;
  struct Step {
    const char* label;
    std::optional<Lobby::Api::PartyDto> party;
    std::vector<std::string> sent;
  };
  const std::vector<Step> steps = {
      {"open party", OpenParty({5, 6}), {twoMembers}},
      {"the same party", OpenParty({5, 6}), {}},
      {"members reordered", OpenParty({6, 5}), {reordered}},
      {"full", full, {empty}},
      {"still full", full, {}},
      {"open again", OpenParty({5, 6}), {twoMembers}},
      {"queue not known", unknownQueue, {empty}},
      {"no party", std::nullopt, {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    Lobby::PartiesBackendTesting::Player(backend).currentParty = step.party;
    const std::size_t mark = presence.rig.Mark();
    backend.PublishPartyPresence();
    EXPECT_EQ(presence.rig.Entries({kChatMe}, mark), step.sent);
  }
}

TEST(PartiesPresenceTest, NothingIsPublishedBeforeLoginOrOutsideTheAllowedPhases) {
  PresenceRig presence;
  PartiesLobbyBackend& backend = presence.backend;
  PartiesLobbyBackendTesting::OpenPartyFlag(backend).Set(true);
  Lobby::PartiesBackendTesting::Player(backend).currentParty = OpenParty({5});
  LobbyPluginTesting::LocalSummonerId(*presence.rig.plugin) = 0;
  const std::size_t mark = presence.rig.Mark();
  backend.PublishPartyPresence();
  EXPECT_EQ(presence.rig.Entries({kChatMe}, mark).size(), 0u) << "before login";
  LobbyPluginTesting::LocalSummonerId(*presence.rig.plugin) = 77;
  LobbyPluginTesting::GameflowSession(*presence.rig.plugin)->phase =
      Lobby::Api::GameflowPhase::InProgress;
  backend.PublishPartyPresence();
  EXPECT_EQ(presence.rig.Entries({kChatMe}, mark).size(), 0u)
      << "in game the presence is empty, as published before";
}

}  // namespace
}  // namespace Zarn::Client::Testing
