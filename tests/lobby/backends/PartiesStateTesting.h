// The plugin with its real backends in-process on the stand-in host, in the default world (which
// a test may change before starting the plugin), with the host's parties service, for the tests
// of the parties registration and state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/PartiesService.h"
#include "host/RouteCaller.h"
#include "lobby/backends/PartiesLobbyBackend.h"
#include "lobby/core/LobbyPlugin.h"
#include "tests/lobby/core/DefaultWorldRig.h"

namespace Zarn::Client::Lobby::PartiesStateTesting {

// The default world's player.
inline constexpr char kPuuid[] = "puuid-stand-in";
inline constexpr std::uint64_t kSummonerId = 2046;
inline constexpr char kPlayerPath[] = "v1/players/puuid-stand-in";
inline constexpr char kSessionPath[] = "/jyx-login/v1/session";
inline constexpr char kLockPath[] = "/jyx-login/v1/shutdown-locks/jyx-lobby";
inline constexpr char kSearchPath[] = "/jyx-matchmaking/v1/search";
using WorldTesting::kGameflowSessionPath;
using WorldTesting::kRequestLobbyPath;
inline constexpr char kNotificationsPath[] =
    "/zarn-messaging-service/v1/message/parties/v1/notifications";
inline constexpr char kConfig[] = "/jyx-platform-config/v1/namespaces/Parties/";

// One host with its world and, once started, the plugin on it, shut down through its entry.
class PartiesWorld : public WorldTesting::DefaultWorldRig {
 public:
  PartiesWorld() = default;
  ~PartiesWorld() {
    if (plugin_ != nullptr) ShutDown();
  }
  PartiesWorld(const PartiesWorld&) = delete;
  PartiesWorld& operator=(const PartiesWorld&) = delete;

  // A notification of the messaging service carrying `envelopeJson` as its payload text.
  void Notify(const std::string& envelopeJson) {
    host_.SetResource(kNotificationsPath, NotificationJson(envelopeJson));
    host_.RunDue();
  }
  [[nodiscard]] static std::string NotificationJson(const std::string& envelopeJson) {
    std::string escaped;
    for (char c : envelopeJson) {
      if (c == '"' || c == '\\') escaped += '\\';
      escaped += c;
    }
    return R"({"resource":"parties","service":"parties","version":"v1","timestamp":0,"payload":")" +
           escaped + "\"}";
  }
};

// Each test, or each case of a table, in a world of its own.
class PartiesWorldTest : public ::testing::Test {
 protected:
  // A new world; the one before is gone.
  PartiesWorld& Fresh() {
    world_.reset();
    world_ = std::make_unique<PartiesWorld>();
    return *world_;
  }

  std::unique_ptr<PartiesWorld> world_;
};

}  // namespace Zarn::Client::Lobby::PartiesStateTesting
