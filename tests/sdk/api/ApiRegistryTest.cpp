#include "sdk/api/ApiRegistry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace Zarn {
namespace {

std::set<std::string> TypeNames(const ApiRegistrySnapshot& snapshot) {
  std::set<std::string> names;
  for (const ApiTypeDescriptor* type = snapshot.types; type != nullptr; type = type->next) {
    names.insert(type->name);
  }
  return names;
}

TEST(ApiRegistryTest, ANewRegistryDescribesTheBuiltinsAndServesNoRoute) {
  ApiRegistry registry;
  EXPECT_TRUE(registry.IsInitialized());
  // A function known to the binding registry is not served until it has an implementation.
  ASSERT_NE(registry.RegisterFunction("Help", 0, false), nullptr);

  const ApiRegistrySnapshot snapshot = registry.BuildSnapshot();
  EXPECT_EQ(snapshot.functions, nullptr);
  EXPECT_EQ(snapshot.functionCount, 0u);
  EXPECT_EQ(snapshot.typeCount, registry.GetTypes().size());
  EXPECT_EQ(TypeNames(snapshot).size(), snapshot.typeCount);
  for (const char* name : {"BindingAsyncState", "BindingCallbackEvent", "BindingFullApiHelp"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(TypeNames(snapshot).count(name), 1u);
  }
  ASSERT_EQ(snapshot.eventCount, 1u);
  EXPECT_STREQ(snapshot.events->name, "OnCallback");
  EXPECT_STREQ(snapshot.events->payloadTypeName, "BindingCallbackEvent");
}

TEST(ApiRegistryTest, ASecondSnapshotSeesLaterRegistrations) {
  ApiRegistry registry;
  const uint32_t before = registry.BuildSnapshot().typeCount;
  struct Later {
    int32_t value;
  };
  static_cast<void>(registry.RegisterType(sizeof(Later), "Later", TypeId<int32_t>(), false));
  const ApiRegistrySnapshot after = registry.BuildSnapshot();
  EXPECT_EQ(after.typeCount, before + 1);
  EXPECT_EQ(TypeNames(after).count("Later"), 1u);
}

}  // namespace
}  // namespace Zarn
