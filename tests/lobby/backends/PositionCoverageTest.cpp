// The position coverage of a party against the literal check of every sub-party.
#include "lobby/core/PositionCoverage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace Zarn::Client::Lobby {
namespace {

Api::PartyMemberDto Member(std::vector<std::string> positions, std::optional<bool> ready = true) {
  Api::PartyMemberDto member;
  member.ready = ready;
  member.metadata.positionPref = std::move(positions);
  return member;
}

// The check as first stated: the list passes, and so does every list with one member left out,
// recursively.
bool LiteralCoverage(const std::vector<Api::PartyMemberDto>& members, bool checkPositions) {
  if (members.empty()) return true;
  if (!IsPositionCoverageMetOnce(members, checkPositions)) return false;
  for (std::size_t i = 0; i < members.size(); ++i) {
    std::vector<Api::PartyMemberDto> rest = members;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(i));
    if (!LiteralCoverage(rest, checkPositions)) return false;
  }
  return true;
}

TEST(PositionCoverageTest, SmallPartiesPassOrFailAsNamed) {
  struct Row {
    const char* label;
    std::vector<Api::PartyMemberDto> members;
    bool checkPositions;
    bool met;
  };
  const std::vector<Row> rows = {
      {"no members", {}, true, true},
      {"two ready naming the same two",
       {Member({"NORTH", "CENTRE"}), Member({"CENTRE", "NORTH"})},
       true,
       false},
      {"one of them on fill", {Member({"NORTH", "CENTRE"}), Member({"FILL"})}, true, true},
      {"the same two without positions checked",
       {Member({"NORTH", "CENTRE"}), Member({"CENTRE", "NORTH"})},
       false,
       true},
      {"three distinct for two",
       {Member({"NORTH", "CENTRE"}), Member({"CENTRE", "SOUTH"})},
       true,
       true},
      {"one not ready", {Member({"NORTH", "CENTRE"}), Member({"FILL"}, false)}, true, false},
      {"readiness unknown", {Member({"FILL"}, std::nullopt)}, false, false},
      {"unselected", {Member({"UNSELECTED", "NORTH"})}, true, false},
      {"unselected beside fill", {Member({"UNSELECTED", "FILL"})}, true, true},
      {"a member naming nothing", {Member({})}, true, false},
      {"a sub-party short of positions",
       {Member({"NORTH", "CENTRE", "SOUTH"}), Member({"ROAMER"}), Member({"ROAMER"})},
       true,
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    EXPECT_EQ(IsPositionCoverageMet(row.members, row.checkPositions), row.met);
    EXPECT_EQ(LiteralCoverage(row.members, row.checkPositions), row.met);
  }
}

TEST(PositionCoverageTest, RandomPartiesAgreeWithTheLiteralCheck) {
  const std::vector<std::string> names = {"NORTH",  "ROAMER", "CENTRE",    "SOUTH",
                                          "HELPER", "FILL",   "UNSELECTED"};
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> size(0, 7);
  std::uniform_int_distribution<int> count(0, 3);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(names.size()) - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  int met = 0;
  for (int round = 0; round < 1500; ++round) {
    std::vector<Api::PartyMemberDto> members;
    const int n = size(random);
    for (int i = 0; i < n; ++i) {
      std::vector<std::string> positions;
      const int k = count(random);
      for (int j = 0; j < k; ++j) {
        // Mostly real positions: fill and unselected now and then.
        const int p = percent(random) < 90 ? pick(random) % 5 : pick(random);
        positions.push_back(names[static_cast<std::size_t>(p)]);
      }
      members.push_back(Member(positions, percent(random) < 97));
    }
    const bool checkPositions = percent(random) < 85;
    const bool expected = LiteralCoverage(members, checkPositions);
    met += expected ? 1 : 0;
    ASSERT_EQ(IsPositionCoverageMet(members, checkPositions), expected)
        << "round " << round << " of " << n << " members";
  }
  // Both answers were seen often enough to mean something.
  EXPECT_GT(met, 150);
  EXPECT_LT(met, 1350);
}

TEST(PositionCoverageTest, SixteenMembersAreAnsweredAtOnce) {
  std::vector<Api::PartyMemberDto> members;
  for (int i = 0; i < 16; ++i) {
    members.push_back(Member({"P" + std::to_string(i), "P" + std::to_string(i + 1)}));
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(IsPositionCoverageMet(members, true));
  // Closing the chain into a ring leaves the whole party one position short.
  members.back().metadata.positionPref = {"P15", "P0"};
  EXPECT_FALSE(IsPositionCoverageMet(members, true));
  // A ring with one spare: only a sub-party can fall short, and none does.
  members.back().metadata.positionPref = {"P15", "P0", "SPARE"};
  EXPECT_TRUE(IsPositionCoverageMet(members, true));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
}  // namespace Zarn::Client::Lobby
