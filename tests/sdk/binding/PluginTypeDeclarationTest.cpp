#include "sdk/binding/PluginTypeDeclaration.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/binding/BindingRegistry.h"

namespace {

struct Widget {
  std::int64_t a;
  std::int32_t b;
};
enum class Shade : std::int32_t { Dark = 1 };

}  // namespace

ZARN_TYPE_ID(Widget, 0x51000001u);
ZARN_TYPE_ID(Shade, 0x51000002u);

namespace {

using namespace Zarn;

const std::vector<std::string> kTags = {"Plugins", "Plugin my-plugin"};

TEST(PluginTypeDeclarationTest, RegistersThePrefixedTypeWithItsTags) {
  BindingRegistry registry;
  BindingTypeBuilder record = DeclarePluginType<Widget>(registry, "MyPlugin", kTags, "Widget");
  BindingTypeBuilder enumeration = DeclarePluginType<Shade>(registry, "MyPlugin", kTags, "Shade");

  const struct {
    const char* name;
    const BindingTypeBuilder& builder;
    std::uint32_t id;
    std::uint32_t size;
    bool isEnum;
  } rows[] = {
      {"MyPluginWidget", record, 0x51000001u, static_cast<std::uint32_t>(sizeof(Widget)), false},
      {"MyPluginShade", enumeration, 0x51000002u, 4, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(row.builder.Exists());
    const BindingTypeInfo* type = registry.FindTypeById(row.id);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type, row.builder.Type());
    EXPECT_EQ(type->name, row.name);
    EXPECT_EQ(type->size, row.size);
    EXPECT_EQ(type->isEnum, row.isEnum);
    EXPECT_EQ(type->tags, kTags);
  }
}

TEST(PluginTypeDeclarationTest, ASecondDeclarationKeepsTheFirst) {
  BindingRegistry registry;
  BindingTypeBuilder first = DeclarePluginType<Widget>(registry, "MyPlugin", kTags, "Widget");
  BindingTypeBuilder second = DeclarePluginType<Widget>(registry, "MyPlugin", {"Other"}, "Widget");
  EXPECT_TRUE(second.Exists());
  EXPECT_EQ(second.Type(), first.Type());
  EXPECT_EQ(first.Type()->tags, kTags) << "no tag is added to an existing type";

  // The prefix is part of the name: another plugin's type of the same name is its own.
  BindingTypeBuilder other = DeclarePluginType<Widget>(registry, "Other", kTags, "Widget");
  EXPECT_FALSE(other.Exists());
  EXPECT_EQ(other.Type()->name, "OtherWidget");
}

}  // namespace
