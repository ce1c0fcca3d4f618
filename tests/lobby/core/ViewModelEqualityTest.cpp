// The equality tests that decide whether a view record is published again: each field changed
// alone makes two records differ; the fields left out do not.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "lobby/core/RecordEquality.h"

namespace Zarn::Client::Lobby {
namespace {

template <class T>
using Changes = std::vector<std::pair<const char*, std::function<void(T&)>>>;

// `base` equals itself and its copy; each change alone, on either side, makes them differ.
template <class T>
void ExpectEachChangeDetected(const T& base, const Changes<T>& changes) {
  EXPECT_TRUE(RecordsEqual(base, base));
  for (const auto& [label, change] : changes) {
    SCOPED_TRACE(label);
    T changed = base;
    change(changed);
    EXPECT_FALSE(RecordsEqual(base, changed));
    EXPECT_FALSE(RecordsEqual(changed, base));
  }
}

Api::LobbyParticipantDto Participant(std::uint64_t summonerId) {
  Api::LobbyParticipantDto participant;
  participant.summonerId = summonerId;
  participant.botId = "bot";
  return participant;
}

TEST(ViewModelEqualityTest, ParticipantComparesEveryField) {
  using P = Api::LobbyParticipantDto;
  ExpectEachChangeDetected<P>(
      Participant(5),
      {
          {"summonerId", [](P& p) { p.summonerId = 6; }},
          {"summonerIconId", [](P& p) { p.summonerIconId = 1; }},
          {"summonerName", [](P& p) { p.summonerName = "n"; }},
          {"summonerInternalName", [](P& p) { p.summonerInternalName = "n"; }},
          {"puuid", [](P& p) { p.puuid = "u"; }},
          {"summonerLevel", [](P& p) { p.summonerLevel = 30; }},
          {"lastSeasonHighestRank", [](P& p) { p.lastSeasonHighestRank = "ORVANE"; }},
          {"allowedStartActivity", [](P& p) { p.allowedStartActivity = true; }},
          {"allowedChangeActivity", [](P& p) { p.allowedChangeActivity = true; }},
          {"allowedToggleInvite", [](P& p) { p.allowedToggleInvite = true; }},
          {"allowedKickOthers", [](P& p) { p.allowedKickOthers = true; }},
          {"allowedInviteOthers", [](P& p) { p.allowedInviteOthers = true; }},
          {"isLeader", [](P& p) { p.isLeader = true; }},
          {"isSpectator", [](P& p) { p.isSpectator = true; }},
          {"teamId", [](P& p) { p.teamId = 100; }},
          {"firstPositionPreference", [](P& p) { p.firstPositionPreference = "NORTH"; }},
          {"secondPositionPreference", [](P& p) { p.secondPositionPreference = "CENTRE"; }},
          {"ready", [](P& p) { p.ready = true; }},
          {"showGhostedBanner", [](P& p) { p.showGhostedBanner = true; }},
          {"autoFillEligible", [](P& p) { p.autoFillEligible = true; }},
          {"autoFillProtectedForStreaking", [](P& p) { p.autoFillProtectedForStreaking = true; }},
          {"autoFillProtectedForPromos", [](P& p) { p.autoFillProtectedForPromos = true; }},
          {"autoFillProtectedForSoloing", [](P& p) { p.autoFillProtectedForSoloing = true; }},
          {"isBot", [](P& p) { p.isBot = true; }},
          {"botId", [](P& p) { p.botId = "other"; }},
          {"botDifficulty", [](P& p) { p.botDifficulty = Api::LobbyBotDifficulty::EASY; }},
          {"botChampionId", [](P& p) { p.botChampionId = 1; }},
      });
}

TEST(ViewModelEqualityTest, GameConfigComparesAllButTheMutatorName) {
  using C = Api::LobbyGameConfigDto;
  C base;
  base.customTeam100 = {Participant(1)};
  ExpectEachChangeDetected<C>(
      base,
      {
          {"gameMode", [](C& c) { c.gameMode = "BATTLE"; }},
          {"gameMutator", [](C& c) { c.gameMutator = "m"; }},
          {"mapId", [](C& c) { c.mapId = 12; }},
          {"queueId", [](C& c) { c.queueId = 450; }},
          {"pickType", [](C& c) { c.pickType = "blind"; }},
          {"maxTeamSize", [](C& c) { c.maxTeamSize = 5; }},
          {"maxLobbySize", [](C& c) { c.maxLobbySize = 5; }},
          {"maxHumanPlayers", [](C& c) { c.maxHumanPlayers = 5; }},
          {"allowablePremadeSizes", [](C& c) { c.allowablePremadeSizes = {1}; }},
          {"premadeSizeAllowed", [](C& c) { c.premadeSizeAllowed = true; }},
          {"isTeamBuilderManaged", [](C& c) { c.isTeamBuilderManaged = true; }},
          {"isCustom", [](C& c) { c.isCustom = true; }},
          {"showPositionSelector", [](C& c) { c.showPositionSelector = true; }},
          {"isLobbyFull", [](C& c) { c.isLobbyFull = true; }},
          {"customLobbyName", [](C& c) { c.customLobbyName = "x"; }},
          {"customTeam100 member", [](C& c) { c.customTeam100[0].ready = true; }},
          {"customTeam200", [](C& c) { c.customTeam200 = {Participant(2)}; }},
          {"customSpectators", [](C& c) { c.customSpectators = {Participant(3)}; }},
          {"customSpectatorPolicy",
           [](C& c) { c.customSpectatorPolicy = Api::QueueCustomGameSpectatorPolicy::AllAllowed; }},
          {"customRewardsDisabledReasons", [](C& c) { c.customRewardsDisabledReasons = {"r"}; }},
      });
  C renamed = base;
  renamed.customMutatorName = "renamed";
  EXPECT_TRUE(RecordsEqual(base, renamed));
}

TEST(ViewModelEqualityTest, LobbyComparesEveryFieldAndItsLists) {
  using L = Api::LobbyDto;
  L base;
  base.members = {Participant(1), Participant(2)};
  Api::LobbyInvitationDto invitation;
  invitation.invitationId = "i";
  base.invitations = {invitation};
  ExpectEachChangeDetected<L>(
      base, {
                {"a member's field", [](L& l) { l.members[1].isLeader = true; }},
                {"one member fewer", [](L& l) { l.members.pop_back(); }},
                {"partyId", [](L& l) { l.partyId = "p"; }},
                {"partyType", [](L& l) { l.partyType = "open"; }},
                {"localMember", [](L& l) { l.localMember.summonerId = 1; }},
                {"an invitation's id", [](L& l) { l.invitations[0].invitationId = "j"; }},
                {"an invitation's target", [](L& l) { l.invitations[0].toSummonerId = 1; }},
                {"an invitation's state",
                 [](L& l) { l.invitations[0].state = Api::LobbyInvitationState::Declined; }},
                {"an invitation's timestamp", [](L& l) { l.invitations[0].timestamp = "t"; }},
                {"an invitation's name", [](L& l) { l.invitations[0].toSummonerName = "n"; }},
                {"one invitation more", [](L& l) { l.invitations.push_back({}); }},
                {"canStartActivity", [](L& l) { l.canStartActivity = true; }},
                {"restrictions present but empty", [](L& l) { l.restrictions.emplace(); }},
                {"gameConfig", [](L& l) { l.gameConfig.queueId = 420; }},
                {"chatRoomId", [](L& l) { l.chatRoomId = "c"; }},
                {"chatRoomKey", [](L& l) { l.chatRoomKey = "k"; }},
            });
  L restricted = base;
  restricted.restrictions = std::vector<Api::EligibilityRestriction>{{}};
  ExpectEachChangeDetected<L>(restricted, {{"a restriction's code", [](L& l) {
                                              (*l.restrictions)[0].restrictionCode =
                                                  Api::EligibilityRestrictionCode::QueueDisabled;
                                            }}});
}

TEST(ViewModelEqualityTest, LobbyStatusComparesEveryField) {
  using S = Api::LobbyStatus;
  ExpectEachChangeDetected<S>(
      S{}, {
               {"queueId", [](S& s) { s.queueId = 420; }},
               {"isCustom", [](S& s) { s.isCustom = true; }},
               {"isPracticeTool", [](S& s) { s.isPracticeTool = true; }},
               {"isLeader", [](S& s) { s.isLeader = true; }},
               {"isSpectator", [](S& s) { s.isSpectator = true; }},
               {"allowedPlayAgain", [](S& s) { s.allowedPlayAgain = true; }},
               {"memberSummonerIds", [](S& s) { s.memberSummonerIds = {1}; }},
               {"invitedSummonerIds", [](S& s) { s.invitedSummonerIds = {1}; }},
               {"lobbyId present", [](S& s) { s.lobbyId = ""; }},
               {"customSpectatorPolicy",
                [](S& s) {
                  s.customSpectatorPolicy = Api::QueueCustomGameSpectatorPolicy::LobbyAllowed;
                }},
           });
}

TEST(ViewModelEqualityTest, SearchStateComparesEveryFieldAndNaNNeverEqualsItself) {
  using M = Api::MatchmakingSearchResource;
  M base;
  base.errors.resize(1);
  ExpectEachChangeDetected<M>(
      base,
      {
          {"searchState", [](M& m) { m.searchState = Api::LobbyMatchmakingSearchState::Found; }},
          {"penalizedSummonerIds", [](M& m) { m.lowPriorityData.penalizedSummonerIds = {1}; }},
          {"penaltyTime", [](M& m) { m.lowPriorityData.penaltyTime = 1.5; }},
          {"penaltyTimeRemaining", [](M& m) { m.lowPriorityData.penaltyTimeRemaining = 1.5; }},
          {"bustedLeaverAccessToken",
           [](M& m) { m.lowPriorityData.bustedLeaverAccessToken = "t"; }},
          {"one error more", [](M& m) { m.errors.emplace_back(); }},
          {"an error's id", [](M& m) { m.errors[0].id = 1; }},
          {"an error's type", [](M& m) { m.errors[0].errorType = "t"; }},
          {"an error's summoner", [](M& m) { m.errors[0].penalizedSummonerId = 1; }},
          {"an error's remaining time", [](M& m) { m.errors[0].penaltyTimeRemaining = 0.5; }},
          {"an error's message", [](M& m) { m.errors[0].message = "m"; }},
      });
  M notANumber = base;
  notANumber.lowPriorityData.penaltyTime = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(RecordsEqual(notANumber, notANumber));
  M zeroes = base;
  zeroes.errors[0].penaltyTimeRemaining = -0.0;
  EXPECT_TRUE(RecordsEqual(base, zeroes)) << "-0 equals 0 as a number";
}

TEST(ViewModelEqualityTest, ReceivedInvitationAndRestrictionListsCompareEveryField) {
  using R = Api::ReceivedInvitationDto;
  R base;
  base.restrictions.resize(1);
  ExpectEachChangeDetected<R>(
      base, {
                {"invitationId", [](R& r) { r.invitationId = "i"; }},
                {"fromSummonerId", [](R& r) { r.fromSummonerId = 1; }},
                {"state", [](R& r) { r.state = Api::LobbyInvitationState::OnHold; }},
                {"timestamp", [](R& r) { r.timestamp = "t"; }},
                {"fromSummonerName", [](R& r) { r.fromSummonerName = "n"; }},
                {"canAcceptInvitation", [](R& r) { r.canAcceptInvitation = true; }},
                {"restrictionArgs", [](R& r) { r.restrictions[0].restrictionArgs["a"] = "b"; }},
                {"expiredTimestamp", [](R& r) { r.restrictions[0].expiredTimestamp = 1; }},
                {"restriction summonerIds", [](R& r) { r.restrictions[0].summonerIds = {1}; }},
                {"one restriction fewer", [](R& r) { r.restrictions.clear(); }},
                {"gameMode", [](R& r) { r.gameConfig.gameMode = "g"; }},
                {"gameMutator", [](R& r) { r.gameConfig.gameMutator = "g"; }},
                {"queueId", [](R& r) { r.gameConfig.queueId = 1; }},
                {"mapId", [](R& r) { r.gameConfig.mapId = 1; }},
                {"inviteGameType", [](R& r) { r.gameConfig.inviteGameType = "g"; }},
            });

  using G = std::vector<Api::GatekeeperRestrictionDto>;
  ExpectEachChangeDetected<G>(G(1), {
                                        {"accountId", [](G& g) { g[0].accountId = 1; }},
                                        {"reason", [](G& g) { g[0].reason = "r"; }},
                                        {"remainingMillis", [](G& g) { g[0].remainingMillis = 1; }},
                                        {"payload", [](G& g) { g[0].payload = "p"; }},
                                        {"queueId", [](G& g) { g[0].queueId = 1; }},
                                        {"one more", [](G& g) { g.emplace_back(); }},
                                    });
}

}  // namespace
}  // namespace Zarn::Client::Lobby
