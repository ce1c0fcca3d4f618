// What the lobby published last of its v2 view (the lobby and its members, the search state,
// the party-active flag) and of the availability of the v1 lobby's queue: each is published
// again only when it differs from what went out (a publication the call gate withheld did not),
// so that the next call publishes what a withheld one did not.
#pragma once

#include <cstdint>
#include <optional>

#include "lobby/core/LobbyServices.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "lobby/model/QueueRecords.h"
#include "lobby/model/SiblingResourceRecords.h"

namespace Zarn::Client::Lobby {

class LobbyViewModel {
 public:
  // Publishes through `services`' runtime and reads its queues and v1 lobby; `services` must
  // outlive this object.
  explicit LobbyViewModel(LobbyServices& services) : services_(services) {}
  LobbyViewModel(const LobbyViewModel&) = delete;
  LobbyViewModel& operator=(const LobbyViewModel&) = delete;

  // The v2 lobby and its members are published only when they differ from the last
  // publication, lists compared in a fixed order; no lobby deletes a published one. Whether
  // anything was published.
  bool PublishLobbyAndMembers(std::optional<Api::LobbyDto> lobby);
  // Stores `resource` as the search state and publishes it unless it equals the one published
  // last.
  void PublishSearchState(const Api::MatchmakingSearchResource& resource);
  // Stores the party-active flag and publishes it unless it equals the one published last.
  void PublishPartyActive(bool active);
  // Republishes the availability of the view's queue when it or the queue changed, or when the
  // stored one did not go out; a custom game's view changes nothing.
  void PublishAvailability(const Api::LobbyDto& lobby);
  // Stores `availability` and publishes it ("/jyx-lobby/v1/lobby/availability").
  void StoreAvailability(Api::QueueAvailability availability);
  // Whether `availability` is the one stored and it went out.
  [[nodiscard]] bool AvailabilityShown(Api::QueueAvailability availability) const {
    return availabilityOut_ && availability == lobbyAvailability_;
  }
  // The known queue's availability; PlatformDisabled for a queue that is not known.
  [[nodiscard]] Api::QueueAvailability GetQueueAvailability(std::int32_t queueId) const;

  // What was published last; no lobby before the first publication or after its Delete.
  [[nodiscard]] const std::optional<Api::LobbyDto>& PublishedLobby() const {
    return publishedLobby_;
  }
  // The search state and the party-active flag as last stored, published or not.
  [[nodiscard]] const Api::MatchmakingSearchResource& SearchState() const { return searchState_; }
  [[nodiscard]] bool PartyActive() const { return partyActive_; }
  [[nodiscard]] Api::QueueAvailability Availability() const { return lobbyAvailability_; }

 private:
  friend class LobbyViewModelTesting;

  LobbyServices& services_;
  std::optional<Api::LobbyDto> publishedLobby_;
  Api::MatchmakingSearchResource searchState_;
  Api::MatchmakingSearchResource publishedSearchState_;
  bool partyActive_ = false;
  bool publishedPartyActive_ = false;
  Api::QueueAvailability lobbyAvailability_ = Api::QueueAvailability::Available;
  // The stored availability went out; at first nothing is owed.
  bool availabilityOut_ = true;
};

}  // namespace Zarn::Client::Lobby
