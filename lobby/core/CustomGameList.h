// The custom games open on the legacy platform, as last listed, with the spectator slot limit
// their entries are listed with; published at "/jyx-lobby/v1/custom-games".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lobby/model/LobbyRecords.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/ResourceObservation.h"

namespace Zarn::Client::Lobby {

class CustomGameList {
 public:
  // Lists and publishes through `runtime`, which must outlive the list.
  explicit CustomGameList(AppModule& runtime) : runtime_(runtime) {}
  CustomGameList(const CustomGameList&) = delete;
  CustomGameList& operator=(const CustomGameList&) = delete;

  // Lists the open games anew, keeps and publishes them; on failure, logged, the list stays.
  MaybeType<Failure, void> RefreshCustomGames();
  // A copy of the list, listed first when it is empty.
  [[nodiscard]] std::vector<Api::LobbyCustomGame> GetCustomGames();
  // Whether games are listed: GetCustomGames then asks nothing.
  [[nodiscard]] bool Listed() const { return !games_.empty(); }
  // A copy of the listed game `id`; none without one. A negative id names no game.
  [[nodiscard]] std::optional<Api::LobbyCustomGame> GetCustomGame(std::int32_t id) const;
  // The lobby name of the listed game `id`; none when it is not listed.
  [[nodiscard]] std::optional<std::string> LobbyName(std::uint64_t id) const;
  // Create and Update set the limit: a number, a negative one or anything else as 0; the other
  // kinds of event leave it.
  void OnSpectatorSlotLimit(const ResourceUpdate<BindingProperty>& event);

 private:
  AppModule& runtime_;
  std::vector<Api::LobbyCustomGame> games_;
  std::uint64_t spectatorSlotLimit_ = 0;
};

}  // namespace Zarn::Client::Lobby
