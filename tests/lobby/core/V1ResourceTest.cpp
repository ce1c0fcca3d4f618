// The v1 lobby's availability and the bookkeeping of a legacy lobby left, in-process with fake
// backends.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

using namespace Lobby::LobbyEvents;
using Lobby::LobbyPluginTesting;
using Names = std::vector<std::string>;
using Availability = Lobby::Api::QueueAvailability;

constexpr char kAvailabilityUri[] = R"("uri":"/jyx-lobby/v1/lobby/availability"})";

std::string AvailabilityPublished(const char* name) {
  return std::string(R"(publish {"data":")") + name + R"(","eventType":"Update",)" +
         kAvailabilityUri;
}

Names AvailabilityPublications(const LobbyRig& rig, std::size_t from) {
  Names found;
  for (const std::string& entry : rig.Entries({"publish"}, from)) {
    if (entry.ends_with(kAvailabilityUri)) found.push_back(entry);
  }
  return found;
}

Lobby::Api::Lobby V1Lobby(std::int32_t queueId) {
  Lobby::Api::Lobby lobby;
  lobby.queueId = queueId;
  return lobby;
}

void KnowQueues(LobbyRig& rig) {
  Lobby::Api::Queue open;
  open.id = 420;
  open.queueAvailability = Availability::Available;
  Lobby::Api::Queue closed;
  closed.id = 440;
  closed.queueAvailability = Availability::DoesntMeetRequirements;
  LobbyPluginTesting::Queues(*rig.plugin).Update(PluginResourceEventType::Create, {open, closed});
}

TEST(V1ResourceTest, SetLobbyStoresTheLobbyAndPublishesOnlyAChangedAvailability) {
  LobbyRig rig;
  struct Step {
    const char* label;
    bool queuesKnown;
    std::int32_t queueId;
    Availability stored;
    Names published;
  };
  const std::vector<Step> steps = {
      {"before any queue list",
       false,
       420,
       Availability::PlatformDisabled,
       {AvailabilityPublished("PlatformDisabled")}},
      {"the same again", false, 420, Availability::PlatformDisabled, {}},
      {"a known queue", true, 420, Availability::Available, {AvailabilityPublished("Available")}},
      {"the same queue", true, 420, Availability::Available, {}},
      {"an unknown queue",
       true,
       999,
       Availability::PlatformDisabled,
       {AvailabilityPublished("PlatformDisabled")}},
      {"a queue not met",
       true,
       440,
       Availability::DoesntMeetRequirements,
       {AvailabilityPublished("DoesntMeetRequirements")}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    if (step.queuesKnown) KnowQueues(rig);
    const std::size_t mark = rig.Mark();
    LobbyPluginTesting::V1Records(*rig.plugin).SetLobby(V1Lobby(step.queueId));
    EXPECT_EQ(rig.plugin->V1Lobby().queueId, step.queueId);
    EXPECT_EQ(LobbyPluginTesting::LobbyAvailability(*rig.plugin), step.stored);
    EXPECT_EQ(AvailabilityPublications(rig, mark), step.published);
  }
}

TEST(V1ResourceTest, PublishAvailabilityFollowsTheViewsQueue) {
  LobbyRig rig;
  KnowQueues(rig);
  LobbyPluginTesting::V1Records(*rig.plugin).SetLobby(V1Lobby(420));
  struct Step {
    const char* label;
    bool isCustom;
    std::int32_t queueId;
    Names published;
  };
  const std::vector<Step> steps = {
      {"the v1 lobby's queue, unchanged", false, 420, {}},
      {"a custom view of another queue", true, 999, {}},
      {"another queue, same availability", false, 421, {AvailabilityPublished("PlatformDisabled")}},
      {"another queue again: the v1 lobby still differs",
       false,
       421,
       {AvailabilityPublished("PlatformDisabled")}},
      {"a queue not met", false, 440, {AvailabilityPublished("DoesntMeetRequirements")}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    Lobby::Api::LobbyDto view;
    view.gameConfig.isCustom = step.isCustom;
    view.gameConfig.queueId = step.queueId;
    const std::size_t mark = rig.Mark();
    LobbyPluginTesting::ViewModel(*rig.plugin).PublishAvailability(view);
    EXPECT_EQ(AvailabilityPublications(rig, mark), step.published);
  }
}

TEST(V1ResourceTest, QuittingALegacyLobbyAbandonsIt) {
  LobbyRig rig;
  rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
  Lobby::Api::Lobby lobby = V1Lobby(-1);
  lobby.invitationId = "inv-1";
  LobbyPluginTesting::V1Lobby(*rig.plugin) = lobby;
  LobbyPluginTesting::AutoGrantedMemberIds(*rig.plugin) = {5};
  const std::size_t mark = rig.Mark();
  EXPECT_TRUE(rig.Fire(kQuitLobby));
  EXPECT_EQ(rig.StateName(), "OutOfLobby");
  EXPECT_EQ(rig.plugin->ActiveBackend(), nullptr);
  EXPECT_EQ(rig.Entries({LogEntry("AddToAbandonedLobbyInvitationIds:")}, mark),
            Names{LogEntry("AddToAbandonedLobbyInvitationIds: inv-1")});
  EXPECT_EQ(LobbyPluginTesting::AbandonedLobbyInvitationIds(*rig.plugin),
            std::set<std::string>{"inv-1"});
  EXPECT_EQ(rig.Entries({"invalid.LeaveLobby"}, mark).size(), 1u);
  EXPECT_EQ(rig.plugin->V1Lobby().queueId, -1);
  EXPECT_EQ(rig.plugin->V1Lobby().invitationId, "");
  EXPECT_TRUE(LobbyPluginTesting::AutoGrantedMemberIds(*rig.plugin).empty());
  Names v1Lobby;
  for (const std::string& entry : rig.Entries({"publish"}, mark)) {
    if (entry.ends_with(R"("uri":"/jyx-lobby/v1/lobby"})")) v1Lobby.push_back(entry);
  }
  EXPECT_EQ(v1Lobby,
            Names{R"(publish {"data":null,"eventType":"Delete","uri":"/jyx-lobby/v1/lobby"})"});
}

TEST(V1ResourceTest, ALobbyWithoutAnInvitationIdIsLeftButNotRemembered) {
  LobbyRig rig;
  rig.Drive({kNewLobbyRequested, kNewLobbySucceeded});
  const std::size_t mark = rig.Mark();
  EXPECT_TRUE(rig.Fire(kQuitLobby));
  EXPECT_EQ(rig.Entries({LogEntry("AddToAbandonedLobbyInvitationIds:")}, mark),
            Names{LogEntry("AddToAbandonedLobbyInvitationIds: ")});
  EXPECT_EQ(rig.Entries({"invalid.LeaveLobby"}, mark).size(), 1u);
  EXPECT_TRUE(LobbyPluginTesting::AbandonedLobbyInvitationIds(*rig.plugin).empty());
}

TEST(V1ResourceTest, TheAbandonedStepOutOfALobbyOnlyDropsTheBackend) {
  LobbyRig rig;
  LobbyPluginTesting::V1Lobby(*rig.plugin).invitationId = "inv-2";
  const std::size_t mark = rig.Mark();
  rig.plugin->AddToAbandonedLobbyInvitationIds();
  EXPECT_EQ(rig.plugin->ActiveBackend(), nullptr);
  EXPECT_TRUE(LobbyPluginTesting::AbandonedLobbyInvitationIds(*rig.plugin).empty());
  EXPECT_EQ(rig.plugin->V1Lobby().invitationId, "inv-2");
  EXPECT_EQ(rig.Entries({"publish", "log AddTo", "invalid."}, mark), Names{});
}

}  // namespace
}  // namespace Zarn::Client::Testing
