// The lobby's types as the host sees them in the loaded plugin's description.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/BindingTypeInfo.h"
#include "tests/lobby/model/LobbyTypesTesting.h"

namespace Zarn::Host {
namespace {

TEST(LobbyTypesEndToEndTest, TheSnapshotDescribesEveryLobbyTypeBesideTheBuiltinOnes) {
  BindingRegistry expected;
  std::vector<const BindingTypeInfo*> lobbyTypes;
  Client::Lobby::RegisterLobbyApiTypes(expected, &lobbyTypes);
  ASSERT_EQ(lobbyTypes.size(), 120u);

  PluginHost host(PluginHost::Options{});
  ASSERT_TRUE(host.Load().accepted);
  const SnapshotDescription& description = host.Description();
  for (const BindingTypeInfo* type : lobbyTypes) {
    SCOPED_TRACE(type->name);
    const TypeDescription* described = description.FindType(type->name);
    ASSERT_NE(described, nullptr);
    EXPECT_EQ(described->size, type->size);
    EXPECT_EQ(described->tags, type->tags);
    std::vector<std::string> fields;
    std::vector<std::string> describedFields;
    for (const BindingFieldInfo& field : type->fields) fields.push_back(field.name);
    for (const FieldDescription& field : described->fields) describedFields.push_back(field.name);
    EXPECT_EQ(describedFields, fields);
    std::vector<std::string> enumerators;
    for (const auto& [name, value] : type->enumValues) enumerators.push_back(name);
    EXPECT_EQ(described->enumerators, enumerators);
  }
  for (const char* builtin : {"BindingAsyncState", "PluginResourceEvent", "PluginLcdsEvent"}) {
    EXPECT_NE(description.FindType(builtin), nullptr) << builtin;
  }
  // Nothing else of the lobby's is described: only the built-in types come besides.
  std::size_t lobbyNamed = 0;
  for (const TypeDescription& type : description.types) {
    if (type.name.rfind("JyxLobby", 0) == 0 || type.name.rfind("Lcds", 0) == 0) ++lobbyNamed;
  }
  EXPECT_EQ(lobbyNamed, 119u) << "one legacy record's name starts otherwise";
  host.Shutdown();
}

}  // namespace
}  // namespace Zarn::Host
