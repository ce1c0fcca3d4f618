// Fixture records standing in for the lobby's legacy (LCDS) records and service-proxy records,
// registered like them, with legacy class names put straight into the module's tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/TypeRegistry.h"
#include "sdk/runtime/Plugin.h"

namespace Zarn::Client::Testing {

struct FixtureBot {
  std::string name;
  std::int32_t skill = 0;
};

// A record without a legacy class that holds one that has one.
struct FixturePlain {
  std::int32_t value = 0;
  FixtureBot bot;
};

struct FixtureConfig {
  std::string gameName;
  FixtureBot host;
  std::vector<FixtureBot> bots;
  FixturePlain plain;
};

struct FixtureGame {
  std::uint64_t id = 0;
  std::string name;
};

struct FixtureStatus {
  std::string owner;
  std::int32_t members = 0;
};

// The payload of a raw service-proxy request.
struct FixturePayload {
  std::string method;
  std::string url;
  std::string body;
};

// A record type that is never registered.
struct FixtureUnbound {
  std::int32_t value = 0;
};

// A service's own message.
struct FixturePlayer {
  std::string puuid;
  bool ready = false;
};

inline constexpr const char* kBotClass = "com.zarnworks.platform.game.BotParticipant";
inline constexpr const char* kConfigClass = "com.zarnworks.platform.game.PracticeGameConfig";
inline constexpr const char* kGameClass = "com.zarnworks.platform.game.GameDTO";
inline constexpr const char* kStatusClass =
    "com.zarnworks.platform.gameinvite.contract.LobbyStatus";

}  // namespace Zarn::Client::Testing

ZARN_TYPE_ID(Zarn::Client::Testing::FixtureBot, Zarn::Fnv1a32("Testing::FixtureBot"));
ZARN_TYPE_ID(Zarn::Client::Testing::FixturePlain, Zarn::Fnv1a32("Testing::FixturePlain"));
ZARN_TYPE_ID(Zarn::Client::Testing::FixtureConfig, Zarn::Fnv1a32("Testing::FixtureConfig"));
ZARN_TYPE_ID(Zarn::Client::Testing::FixtureGame, Zarn::Fnv1a32("Testing::FixtureGame"));
ZARN_TYPE_ID(Zarn::Client::Testing::FixtureStatus, Zarn::Fnv1a32("Testing::FixtureStatus"));
ZARN_TYPE_ID(Zarn::Client::Testing::FixturePayload, Zarn::Fnv1a32("Testing::FixturePayload"));
ZARN_TYPE_ID(Zarn::Client::Testing::FixtureUnbound, Zarn::Fnv1a32("Testing::FixtureUnbound"));
ZARN_STATIC_TYPE_NAME(Zarn::Client::Testing::FixtureUnbound, "struct Testing::FixtureUnbound");
ZARN_TYPE_ID(Zarn::Client::Testing::FixturePlayer, Zarn::Fnv1a32("Testing::FixturePlayer"));
ZARN_STATIC_TYPE_NAME(Zarn::Client::Testing::FixtureGame, "struct Testing::FixtureGame");
ZARN_STATIC_TYPE_NAME(Zarn::Client::Testing::FixturePayload, "struct Testing::FixturePayload");

namespace Zarn::Client::Testing {

// A plugin whose legacy class tables the fixtures fill.
class LegacyPlugin : public Plugin {
 public:
  LegacyPlugin() { SetRegistry(&GetRegistry()); }

  // Registers the fixture records; the legacy ones get their class names.
  void RegisterFixtures() {
    BindingRegistry& registry = GetRegistry();
    TypeRegistry(registry.RegisterType(sizeof(FixtureBot), "LcdsBot", TypeId<FixtureBot>(), false))
        .AddMember<std::string>("name", offsetof(FixtureBot, name), "")
        .AddMember<std::int32_t>("skill", offsetof(FixtureBot, skill), "");
    TypeRegistry(
        registry.RegisterType(sizeof(FixturePlain), "Plain", TypeId<FixturePlain>(), false))
        .AddMember<std::int32_t>("value", offsetof(FixturePlain, value), "")
        .AddMember<FixtureBot>("bot", offsetof(FixturePlain, bot), "");
    TypeRegistry(
        registry.RegisterType(sizeof(FixtureConfig), "LcdsConfig", TypeId<FixtureConfig>(), false))
        .AddMember<std::string>("gameName", offsetof(FixtureConfig, gameName), "")
        .AddMember<FixtureBot>("host", offsetof(FixtureConfig, host), "")
        .AddMember<std::vector<FixtureBot>>("bots", offsetof(FixtureConfig, bots), "")
        .AddMember<FixturePlain>("plain", offsetof(FixtureConfig, plain), "");
    TypeRegistry(
        registry.RegisterType(sizeof(FixtureGame), "LcdsGame", TypeId<FixtureGame>(), false))
        .AddMember<std::uint64_t>("id", offsetof(FixtureGame, id), "")
        .AddMember<std::string>("name", offsetof(FixtureGame, name), "");
    TypeRegistry(
        registry.RegisterType(sizeof(FixtureStatus), "LcdsStatus", TypeId<FixtureStatus>(), false))
        .AddMember<std::string>("owner", offsetof(FixtureStatus, owner), "")
        .AddMember<std::int32_t>("members", offsetof(FixtureStatus, members), "");
    TypeRegistry(registry.RegisterType(sizeof(FixturePayload), "ServiceProxyPayload",
                                       TypeId<FixturePayload>(), false))
        .AddMember<std::string>("method", offsetof(FixturePayload, method), "")
        .AddMember<std::string>("url", offsetof(FixturePayload, url), "")
        .AddMember<std::string>("body", offsetof(FixturePayload, body), "");
    TypeRegistry(
        registry.RegisterType(sizeof(FixturePlayer), "PlayerDto", TypeId<FixturePlayer>(), false))
        .AddMember<std::string>("puuid", offsetof(FixturePlayer, puuid), "", 2)
        .AddMember<bool>("ready", offsetof(FixturePlayer, ready), "");
    SetClass<FixtureBot>("LcdsBot", kBotClass);
    SetClass<FixtureConfig>("LcdsConfig", kConfigClass);
    SetClass<FixtureGame>("LcdsGame", kGameClass);
    SetClass<FixtureStatus>("LcdsStatus", kStatusClass);
  }

  template <typename T>
  void SetClass(const std::string& typeName, const std::string& className) {
    lcdsClassByType_[typeName] = className;
    lcdsClassByTypeId_[TypeId<T>().id] = className;
  }
};

}  // namespace Zarn::Client::Testing
