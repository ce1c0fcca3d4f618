#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lobby/core/LobbyPlugin.h"
#include "lobby/model/LcdsRecords.h"
#include "lobby/model/LobbyRecords.h"
#include "lobby/model/LobbyViewRecords.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/PluginLoader.h"
#include "tests/lobby/core/LobbyBackendTesting.h"

namespace {

struct Gadget {
  std::int32_t size;
};

}  // namespace

ZARN_TYPE_ID(Gadget, 0x52000001u);

namespace Zarn::Client::Lobby {
namespace {

const std::vector<std::string> kTags = {"Plugins", "Plugin jyx-lobby"};

void Load(LobbyPlugin& plugin) {
  PluginLoadResult record{};
  record.major = 18;
  ASSERT_TRUE(LoadPlugin(&plugin, &record, "jyx-lobby"));
}

TEST(LobbyPluginTypesTest, LoadingRegistersTheLobbyTypesUnderThePluginName) {
  LobbyPlugin plugin{std::make_unique<Testing::FakeComponentFactory>()};
  Load(plugin);
  const struct {
    const char* name;
    std::uint32_t id;
  } rows[] = {
      {"JyxLobbyEligibilityRestrictionCode", TypeId<Api::EligibilityRestrictionCode>().id},
      {"JyxLobbyLobby", TypeId<Api::Lobby>().id},
      {"JyxLobbyLobbyChangeQueue", TypeId<Api::LobbyChangeQueue>().id},
      {"JyxLobbyLobbyDto", TypeId<Api::LobbyDto>().id},
      {"JyxLobbyLobbyMatchmakingSearchResource", TypeId<Api::MatchmakingSearchResource>().id},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const BindingTypeInfo* type = plugin.GetRegistry().FindTypeById(row.id);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->name, row.name);
    EXPECT_EQ(type->tags, kTags);
  }

  bool described = false;
  for (const ApiTypeDescriptor* type = plugin.Snapshot().types; type != nullptr;
       type = type->next) {
    described = described || std::strcmp(type->name, "JyxLobbyLobbyDto") == 0;
  }
  EXPECT_TRUE(described) << "the host's description of types holds the lobby's";
}

TEST(LobbyPluginTypesTest, DeclaredTypesTakeThePluginNameAndTags) {
  LobbyPlugin plugin{std::make_unique<Testing::FakeComponentFactory>()};
  Load(plugin);
  BindingTypeBuilder gadget = AppModule::DeclareType<Gadget>(plugin, "Gadget");
  EXPECT_FALSE(gadget.Exists());
  ASSERT_NE(gadget.Type(), nullptr);
  EXPECT_EQ(gadget.Type()->name, "JyxLobbyGadget");
  EXPECT_EQ(gadget.Type()->size, sizeof(Gadget));
  EXPECT_EQ(gadget.Type()->tags, kTags);
  EXPECT_EQ(plugin.GetRegistry().FindTypeById(0x52000001u), gadget.Type());

  // The registrars ran already: declaring one of their types again changes nothing.
  const BindingTypeInfo* changeQueue =
      plugin.GetRegistry().FindTypeById(TypeId<Api::LobbyChangeQueue>().id);
  ASSERT_NE(changeQueue, nullptr);
  const std::size_t fields = changeQueue->fields.size();
  BindingTypeBuilder again =
      AppModule::DeclareType<Api::LobbyChangeQueue>(plugin, "LobbyChangeQueue");
  EXPECT_TRUE(again.Exists());
  EXPECT_EQ(again.Type(), changeQueue);
  EXPECT_EQ(changeQueue->fields.size(), fields);
  EXPECT_EQ(changeQueue->tags, kTags);
}

// Loading enters the legacy classes in the module's tables, so values of legacy records leave
// stamped with their class, nested records included.
TEST(LobbyPluginTypesTest, LoadingGivesTheLegacyRecordsTheirClasses) {
  LobbyPlugin plugin{std::make_unique<Testing::FakeComponentFactory>()};
  Load(plugin);
  BindingResult value;
  WriteValue(value, LCDS::PracticeGameConfig{}, plugin.GetRegistry());
  ASSERT_TRUE(value.IsOk());
  plugin.StampLcdsClassNames(value.Value(), plugin.GetRegistry().MakeTypeDescriptor(
                                                TypeId<LCDS::PracticeGameConfig>().id));
  EXPECT_EQ(value.Value().FindMember("__class").GetString(),
            "com.zarnworks.platform.game.PracticeGameConfig");
  EXPECT_EQ(value.Value().FindMember("gameMap").FindMember("__class").GetString(),
            "com.zarnworks.platform.game.map.GameMap");
}

}  // namespace
}  // namespace Zarn::Client::Lobby
