#include "lobby/core/PositionCoverage.h"

#include <algorithm>
#include <cstddef>
#include <set>
#include <string>

#include "lobby/core/PositionNames.h"

namespace Zarn::Client::Lobby {

namespace {

bool Contains(const std::vector<std::string>& list, const char* text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

// Each counted member's positions, as indexes into one list of distinct positions.
struct PositionGraph {
  std::vector<std::vector<std::size_t>> positionsOfMember;
  std::size_t positionCount = 0;
};

PositionGraph MakePositionGraph(const std::vector<Api::PartyMemberDto>& members) {
  PositionGraph graph;
  std::vector<std::string> names;
  for (const Api::PartyMemberDto& member : members) {
    const std::vector<std::string>& preferences = member.metadata.positionPref;
    if (Contains(preferences, kPositionFill)) continue;
    std::vector<std::size_t> indexes;
    for (const std::string& position : preferences) {
      auto found = std::find(names.begin(), names.end(), position);
      const auto index = static_cast<std::size_t>(found - names.begin());
      if (found == names.end()) names.push_back(position);
      if (std::find(indexes.begin(), indexes.end(), index) == indexes.end()) {
        indexes.push_back(index);
      }
    }
    graph.positionsOfMember.push_back(std::move(indexes));
  }
  graph.positionCount = names.size();
  return graph;
}

// One augmenting path search of a bipartite matching; `excluded` is a position no member may take.
bool Augment(const PositionGraph& graph, std::size_t member, std::size_t excluded,
             std::vector<std::size_t>& holder, std::vector<bool>& visited) {
  for (std::size_t position : graph.positionsOfMember[member]) {
    if (position == excluded || visited[position]) continue;
    visited[position] = true;
    if (holder[position] == graph.positionsOfMember.size() ||
        Augment(graph, holder[position], excluded, holder, visited)) {
      holder[position] = member;
      return true;
    }
  }
  return false;
}

// Whether every counted member gets a position of its own without `excluded`.
bool MatchesEveryMember(const PositionGraph& graph, std::size_t excluded) {
  const std::size_t none = graph.positionsOfMember.size();
  std::vector<std::size_t> holder(graph.positionCount, none);
  for (std::size_t member = 0; member < graph.positionsOfMember.size(); ++member) {
    std::vector<bool> visited(graph.positionCount, false);
    if (!Augment(graph, member, excluded, holder, visited)) return false;
  }
  return true;
}

}  // namespace

bool IsPositionCoverageMetOnce(const std::vector<Api::PartyMemberDto>& members,
                               bool checkPositions) {
  std::size_t counted = 0;
  std::set<std::string> positions;
  for (const Api::PartyMemberDto& member : members) {
    if (!member.ready.value_or(false)) return false;
    if (!checkPositions) continue;
    const std::vector<std::string>& preferences = member.metadata.positionPref;
    if (Contains(preferences, kPositionFill)) continue;
    if (Contains(preferences, kPositionUnselected)) return false;
    ++counted;
    positions.insert(preferences.begin(), preferences.end());
  }
  return counted == 0 || positions.size() > counted;
}

// Every sub-list passes exactly when the whole list passes and, for each named position, the
// counted members can still be given distinct positions without it (Hall's condition with one
// position to spare for every group of counted members).
bool IsPositionCoverageMet(const std::vector<Api::PartyMemberDto>& members, bool checkPositions) {
  if (!IsPositionCoverageMetOnce(members, checkPositions)) return false;
  if (!checkPositions) return true;
  const PositionGraph graph = MakePositionGraph(members);
  for (std::size_t position = 0; position < graph.positionCount; ++position) {
    if (!MatchesEveryMember(graph, position)) return false;
  }
  return true;
}

}  // namespace Zarn::Client::Lobby
