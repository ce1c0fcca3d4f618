// Test access to a custom game controller's game record, bot state and random source.
#pragma once

#include <cstdint>
#include <vector>

#include "lobby/backends/CustomGameLobbyController.h"

namespace Zarn::Client::Lobby {

class CustomGameLobbyControllerTesting {
 public:
  [[nodiscard]] static LCDS::GameDTO& Game(CustomGameLobbyController& controller) {
    return controller.game;
  }
  [[nodiscard]] static std::vector<Api::LobbyBotChampion>& BotChampions(
      CustomGameLobbyController& controller) {
    return controller.botChampions;
  }
  [[nodiscard]] static std::vector<Api::LobbyBotChampion>& AvailableBots(
      CustomGameLobbyController& controller) {
    return controller.availableBots;
  }
  [[nodiscard]] static std::uint64_t InventorySummonerId(
      const CustomGameLobbyController& controller) {
    return controller.inventorySummonerId;
  }
  [[nodiscard]] static bool BotsInSkirmish(const CustomGameLobbyController& controller) {
    return controller.botsInSkirmish;
  }
  [[nodiscard]] static RandomSource& Random(CustomGameLobbyController& controller) {
    return controller.random;
  }
};

}  // namespace Zarn::Client::Lobby
