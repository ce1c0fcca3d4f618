// The view model run in-process with fake backends: change detection of the v2 lobby, the
// rebuild, the player status, the party-active flag, the search state and the countdown.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/core/LobbyUpdateBatch.h"
#include "tests/lobby/core/LobbyControllerTesting.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

using namespace Lobby::LobbyEvents;
using Lobby::LobbyPluginTesting;
using Names = std::vector<std::string>;

constexpr char kV2Lobby[] = R"("uri":"/jyx-lobby/v2/lobby"})";
constexpr char kV2Members[] = R"("uri":"/jyx-lobby/v2/lobby/members"})";
constexpr char kGameConfigurationRequest[] = "request /jyx-gameflow/v1/session/game-configuration";

Lobby::Api::LobbyParticipantDto Member(std::uint64_t summonerId) {
  Lobby::Api::LobbyParticipantDto member;
  member.summonerId = summonerId;
  return member;
}

Lobby::Api::LobbyDto View(std::vector<std::uint64_t> memberIds, const char* partyId = "p") {
  Lobby::Api::LobbyDto view;
  view.partyId = partyId;
  view.gameConfig.queueId = 420;
  for (std::uint64_t id : memberIds) view.members.push_back(Member(id));
  return view;
}

// "<kind> lobby" or "<kind> members" for each publication of the v2 lobby or its members.
Names V2Publications(const LobbyRig& rig, std::size_t from) {
  Names found;
  for (const std::string& entry : rig.Entries({"publish"}, from)) {
    const char* what = entry.ends_with(kV2Lobby)     ? " lobby"
                       : entry.ends_with(kV2Members) ? " members"
                                                     : nullptr;
    if (what == nullptr) continue;
    for (const char* kind : {"Create", "Update", "Delete"}) {
      if (entry.find(std::string(R"("eventType":")") + kind + "\"") != std::string::npos) {
        found.push_back(kind + std::string(what));
      }
    }
  }
  return found;
}

void Rebuild(LobbyRig& rig) { Lobby::LobbyUpdateBatch batch(*rig.plugin); }

TEST(ViewModelTest, LobbyAndMembersArePublishedOnlyWhenTheyChange) {
  LobbyRig rig;
  Lobby::LobbyPlugin& plugin = *rig.plugin;
  Lobby::Api::LobbyDto renamed = View({7, 5});
  renamed.gameConfig.customMutatorName = "renamed";
  struct Step {
    const char* label;
    std::optional<Lobby::Api::LobbyDto> view;
    bool published;
    Names events;
  };
  const std::vector<Step> steps = {
      {"first view", View({5, 7}), true, {"Create lobby", "Create members"}},
      {"same view", View({5, 7}), false, {}},
      {"members reordered", View({7, 5}), false, {}},
      {"only the mutator name", renamed, false, {}},
      {"other view, same members", View({7, 5}, "q"), true, {"Update lobby"}},
      {"a member changed", View({5, 8}, "q"), true, {"Update lobby", "Update members"}},
      {"no view", std::nullopt, true, {"Delete lobby"}},
      {"still no view", std::nullopt, false, {}},
      {"a view again", View({5}), true, {"Create lobby", "Create members"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    const std::size_t mark = rig.Mark();
    EXPECT_EQ(LobbyPluginTesting::ViewModel(plugin).PublishLobbyAndMembers(step.view),
              step.published);
    EXPECT_EQ(V2Publications(rig, mark), step.events);
    EXPECT_EQ(LobbyPluginTesting::PublishedLobby(plugin).has_value(), step.view.has_value());
  }
}

TEST(ViewModelTest, ListsAreSortedBeforeTheyAreComparedAndPublished) {
  LobbyRig rig;
  const std::uint64_t kHigh = (std::uint64_t{1} << 63) + 1;
  Lobby::Api::LobbyDto view = View({kHigh, 5});
  view.members.push_back(Member(5));
  view.members[1].botId = "b";
  view.members[2].botId = "a";
  Lobby::Api::LobbyInvitationDto invitation;
  invitation.toSummonerId = kHigh;
  view.invitations = {invitation, invitation, invitation};
  view.invitations[1].toSummonerId = 2;
  view.invitations[2].timestamp = "0";  // same target as the first, earlier text
  view.invitations[2].invitationId = "z";
  ASSERT_TRUE(LobbyPluginTesting::ViewModel(*rig.plugin).PublishLobbyAndMembers(view));
  const Lobby::Api::LobbyDto& published = *LobbyPluginTesting::PublishedLobby(*rig.plugin);
  ASSERT_EQ(published.members.size(), 3u);
  EXPECT_EQ(published.members[0].botId, "a");
  EXPECT_EQ(published.members[1].botId, "b");
  EXPECT_EQ(published.members[2].summonerId, kHigh) << "compared unsigned";
  ASSERT_EQ(published.invitations.size(), 3u);
  EXPECT_EQ(published.invitations[0].toSummonerId, 2u);
  EXPECT_EQ(published.invitations[1].invitationId, "");
  EXPECT_EQ(published.invitations[2].invitationId, "z");
}

TEST(ViewModelTest, ARebuildPublishesTheBackendsViewAndConfiguresTheGameOnlyOnChange) {
  LobbyRig rig;
  Lobby::Api::Queue ranked;
  ranked.id = 420;
  LobbyPluginTesting::Queues(*rig.plugin).Update(PluginResourceEventType::Create, {ranked});
  rig.factory->parties->getLobbyResult = View({5});
  std::size_t mark = rig.Mark();
  rig.Drive({kAcceptedPartyInvite});
  EXPECT_EQ(V2Publications(rig, mark), (Names{"Create lobby", "Create members"}));
  EXPECT_EQ(rig.Entries({kGameConfigurationRequest}, mark).size(), 1u);

  mark = rig.Mark();
  Rebuild(rig);
  EXPECT_EQ(rig.Rebuilds(mark), 1);
  EXPECT_EQ(V2Publications(rig, mark), Names{});
  EXPECT_EQ(rig.Entries({kGameConfigurationRequest}, mark), Names{});

  rig.factory->parties->getLobbyResult = Failure(503, "parties unreachable");
  mark = rig.Mark();
  Rebuild(rig);
  EXPECT_EQ(rig.Entries({LogEntry("Unable to update lobby view model: parties unreachable")}, mark)
                .size(),
            1u);
  EXPECT_EQ(rig.Entries(
                {"publish", "request", "parties.SchedulePresenceUpdate", "parties.HasQueue"}, mark),
            Names{})
      << "a failed read leaves everything as it was";
  EXPECT_TRUE(LobbyPluginTesting::PublishedLobby(*rig.plugin).has_value());

  mark = rig.Mark();
  EXPECT_TRUE(rig.Fire(kQuitLobby));
  EXPECT_EQ(V2Publications(rig, mark), Names{"Delete lobby"});
  EXPECT_EQ(rig.Entries({"parties.GetLobby"}, mark), Names{}) << "no lobby, no backend read";
}

TEST(ViewModelTest, APlayerStatusIsCachedAndHandedOnOnlyWhenItChanges) {
  LobbyRig rig;
  rig.Drive({kAcceptedPartyInvite});
  Lobby::LobbyPlugin& plugin = *rig.plugin;
  const std::string kHandedOn = "request /jyx-gameflow/v1/gameflow-metadata/player-status";
  Lobby::Api::LobbyStatus status;
  status.queueId = 420;
  status.memberSummonerIds = {5};
  struct Step {
    const char* label;
    std::optional<Lobby::Api::LobbyStatus> status;
    bool availability;
    std::size_t handedOn;
    bool canInvite;  // after the step
  };
  const std::vector<Step> steps = {
      {"a new status", status, true, 1, true},
      {"the same status", status, false, 0, true},
      {"gone", std::nullopt, false, 1, false},
      {"still gone", std::nullopt, true, 0, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    rig.factory->parties->getLobbyStatusResult = step.status;
    rig.factory->parties->availabilityFlag = step.availability;
    const std::size_t mark = rig.Mark();
    Rebuild(rig);
    EXPECT_EQ(rig.Entries({kHandedOn}, mark).size(), step.handedOn);
    EXPECT_EQ(rig.Entries({"parties.GetAvailabilityFlag"}, mark).size(), step.handedOn);
    const Lobby::Api::PlayerStatus& player = LobbyPluginTesting::PlayerStatus(plugin);
    EXPECT_EQ(player.currentLobbyStatus.has_value(), step.status.has_value());
    EXPECT_EQ(LobbyPluginTesting::CachedLobbyStatus(plugin).has_value(), step.status.has_value());
    if (step.status.has_value() && player.currentLobbyStatus.has_value()) {
      EXPECT_EQ(player.currentLobbyStatus->memberSummonerIds, status.memberSummonerIds);
    }
    EXPECT_EQ(player.canInviteOthersAtEog, step.canInvite);
  }
}

TEST(ViewModelTest, PartyActiveIsPublishedOnlyWhenThePartysQueueFlips) {
  LobbyRig rig;
  const std::string kPartyActive = R"("uri":"/jyx-lobby/v2/party-active"})";
  struct Step {
    bool hasQueue;
    Names published;
  };
  const std::vector<Step> steps = {
      {false, {}},
      {true, {R"(publish {"data":true,"eventType":"Update","uri":"/jyx-lobby/v2/party-active"})"}},
      {true, {}},
      {false,
       {R"(publish {"data":false,"eventType":"Update","uri":"/jyx-lobby/v2/party-active"})"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.hasQueue ? "a party with a queue" : "no party queue");
    rig.factory->parties->hasQueue = step.hasQueue;
    const std::size_t mark = rig.Mark();
    Rebuild(rig);
    Names published;
    for (const std::string& entry : rig.Entries({"publish"}, mark)) {
      if (entry.ends_with(kPartyActive)) published.push_back(entry);
    }
    EXPECT_EQ(published, step.published);
    EXPECT_EQ(LobbyPluginTesting::PartyActive(*rig.plugin), step.hasQueue);
  }
}

TEST(ViewModelTest, OneSearchResourceTwiceIsPublishedOnce) {
  LobbyRig rig;
  const std::string kSearchState = R"("uri":"/jyx-lobby/v2/lobby/matchmaking/search-state"})";
  auto published = [&](std::size_t from) {
    Names found;
    for (const std::string& entry : rig.Entries({"publish"}, from)) {
      if (entry.ends_with(kSearchState)) found.push_back(entry);
    }
    return found;
  };
  std::size_t mark = rig.Mark();
  LobbyPluginTesting::ViewModel(*rig.plugin)
      .PublishSearchState(Lobby::Api::MatchmakingSearchResource{});
  EXPECT_EQ(published(mark), Names{}) << "nothing differs from what the plugin starts with";

  Lobby::Api::MatchmakingSearchResource searching;
  searching.searchState = Lobby::Api::LobbyMatchmakingSearchState::Searching;
  searching.errors.resize(1);
  mark = rig.Mark();
  LobbyPluginTesting::ViewModel(*rig.plugin).PublishSearchState(searching);
  LobbyPluginTesting::ViewModel(*rig.plugin).PublishSearchState(searching);
  const Names once = published(mark);
  ASSERT_EQ(once.size(), 1u);
  EXPECT_NE(once[0].find(R"("searchState":"Searching")"), std::string::npos) << once[0];
  EXPECT_NE(once[0].find(R"("eventType":"Update")"), std::string::npos) << once[0];
}

}  // namespace
}  // namespace Zarn::Client::Testing
