#include "sdk/binding/BindingRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Point {
  std::int32_t x;
  std::int32_t y;
};
enum class Colour : std::int32_t { Red = 1, Green = 2 };
struct NoType {};

}  // namespace

ZARN_TYPE_ID(Point, 0x50000001u);
ZARN_TYPE_ID(Colour, 0x50000002u);

namespace {

using namespace Zarn;

int g_convertersAlive = 0;
int g_invokersAlive = 0;

class CountingConverter : public BindingFieldConverter {
 public:
  CountingConverter() { ++g_convertersAlive; }
  ~CountingConverter() override { --g_convertersAlive; }
  void Assign(BindingResult&, void*, const BindingProperty&, std::string_view,
              const BindingTypeInfo*, const BindingRegistry&, std::uint32_t) const override {}
  void ToProperty(BindingResult&, const void*, const BindingTypeInfo*,
                  const BindingRegistry&) const override {}
};

class CountingInvoker : public BindingInvoker {
 public:
  using BindingInvoker::BindingInvoker;
  ~CountingInvoker() override { --g_invokersAlive; }
  void* ParseArguments(BindingResult&, std::span<const BindingProperty>, std::uint32_t) override {
    return nullptr;
  }
  void Invoke(BindingResult&, void*, std::uint32_t) override {}
  void FreeArguments(void*) override {}
  const void* GetCallable() const override { return this; }
};

BindingTypeBuilder& AddInt(BindingTypeBuilder& b, const char* name, std::uint32_t offset) {
  return b.AddField(name, "", offset, &TypeId<std::int32_t>(), {BindingTypeCode::Int32}, {}, 0,
                    std::make_unique<CountingConverter>(), false);
}

std::vector<std::string> Names(const std::vector<BindingFunctionInfo*>& functions) {
  std::vector<std::string> names;
  for (const BindingFunctionInfo* f : functions) names.push_back(f->name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(BindingRegistryTest, SecondRegistrationOfATypeIsInertExceptForEnumerators) {
  g_convertersAlive = 0;
  {
    BindingRegistry registry;
    BindingTypeBuilder first =
        registry.RegisterType(sizeof(Point), "Point", TypeId<Point>(), false);
    EXPECT_FALSE(first.Exists());
    AddInt(first, "x", offsetof(Point, x)).AddTag("geometry");
    AddInt(first, "y", offsetof(Point, y));
    EXPECT_EQ(first.LastOffset(), offsetof(Point, y));

    BindingTypeBuilder second = registry.RegisterType(99, "Point", TypeId<Colour>(), true);
    EXPECT_TRUE(second.Exists());
    EXPECT_EQ(second.Type(), first.Type());
    AddInt(second, "z", 8).AddTag("other").AddTags({"more", "tags"});
    second.AddEnumValue("Origin", 0, "added despite the flag");

    const BindingTypeInfo& point = *first.Type();
    EXPECT_EQ(point.size, sizeof(Point));
    EXPECT_FALSE(point.isEnum);
    EXPECT_EQ(point.id, TypeId<Point>().id);
    ASSERT_EQ(point.fields.size(), 2u);
    EXPECT_EQ(point.fields[1].name, "y");
    EXPECT_EQ(point.fields[1].owner, &point);
    EXPECT_EQ(point.tags, std::vector<std::string>{"geometry"});
    EXPECT_EQ(point.enumValues.size(), 1u);
    EXPECT_EQ(g_convertersAlive, 2) << "the inert builder must drop the converter it was given";
    EXPECT_EQ(registry.FindTypeById(TypeId<Point>().id), &point);
    EXPECT_EQ(registry.FindTypeById(TypeId<Colour>().id), nullptr);
  }
  EXPECT_EQ(g_convertersAlive, 0) << "the registry must destroy field converters";
}

TEST(BindingRegistryTest, EnumeratorsAreKeptInByteOrderAndOverwrittenByName) {
  BindingRegistry registry;
  BindingTypeBuilder b = registry.RegisterType(4, "Colour", TypeId<Colour>(), true);
  b.AddEnumValue("red", 1, "lower").AddEnumValue("Red", 1, "upper").AddEnumValue("Green", 2, "");
  b.AddEnumValue("green", 7, "first").AddEnumValue("green", 3, "second");
  std::vector<std::string> order;
  for (const auto& [name, e] : b.Type()->enumValues) order.push_back(e.name);
  EXPECT_EQ(order, (std::vector<std::string>{"Green", "Red", "green", "red"}));
  EXPECT_EQ(b.Type()->enumValues.at("green").value, 3);
  EXPECT_EQ(b.Type()->enumValues.at("green").description, "second");

  struct Case {
    std::uint32_t typeId;
    std::int32_t value;
    const char* name;  // null: no name
  } cases[] = {
      {TypeId<Colour>().id, 1, "Red"},  // first in name order among equal values
      {TypeId<Colour>().id, 3, "green"},
      {TypeId<Colour>().id, 7, nullptr},
      {TypeId<Point>().id, 1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const char* name = registry.EnumValueName(c.typeId, c.value);
    if (c.name == nullptr) {
      EXPECT_EQ(name, nullptr);
    } else {
      EXPECT_STREQ(name, c.name);
    }
  }
  EXPECT_TRUE(BindingRegistry::IsEnumValue(*b.Type(), 2));
  EXPECT_FALSE(BindingRegistry::IsEnumValue(*b.Type(), 7));
}

TEST(BindingRegistryTest, TypeIdsFileTypesExceptTheNoTypeId) {
  BindingRegistry registry;
  BindingTypeInfo* none = registry.RegisterType(0, "Nothing", TypeId<void>(), false).Type();
  BindingTypeInfo* colour = registry.RegisterType(4, "Colour", TypeId<Colour>(), true).Type();
  BindingTypeInfo* point = registry.RegisterType(8, "Point", TypeId<Point>(), false).Type();
  EXPECT_EQ(registry.FindTypeById(TypeId<void>().id), nullptr);
  EXPECT_NE(std::find(registry.GetTypes().begin(), registry.GetTypes().end(), none),
            registry.GetTypes().end());
  EXPECT_EQ(BindingRegistry::LookupType(TypeId<Point>(), registry), point);

  EXPECT_EQ(registry.MakeTypeDescriptor(TypeId<Colour>().id),
            (BindingTypeDescriptor{BindingTypeCode::Enum, BindingTypeCode::None, colour}));
  EXPECT_EQ(registry.MakeTypeDescriptor(TypeId<Point>().id),
            (BindingTypeDescriptor{BindingTypeCode::Struct, BindingTypeCode::None, point}));
  EXPECT_EQ(registry.MakeTypeDescriptor(0x12345678u), BindingTypeDescriptor{});

  // A second type under an id already filed takes its place in the by-id table.
  BindingTypeInfo* alias = registry.AddType(8, "PointAlias", TypeId<Point>(), false);
  EXPECT_EQ(registry.FindTypeById(TypeId<Point>().id), alias);
  // Replacing a name keeps the old record alive for pointers that still refer to it.
  BindingTypeInfo* replaced = registry.AddType(4, "Colour", TypeId<Colour>(), true);
  EXPECT_NE(replaced, colour);
  EXPECT_EQ(colour->name, "Colour");
  EXPECT_EQ(registry.FindTypeById(TypeId<Colour>().id), replaced);
  EXPECT_EQ(registry.GetTypes().size(), 4u);
}

TEST(BindingRegistryTest, FunctionsCountChangesAndInertBuildersStillAdvance) {
  g_invokersAlive = 0;
  BindingRegistry registry;
  BindingFunctionInfo* f = registry.RegisterFunction("Move", 1, false);
  EXPECT_EQ(registry.ChangeCounter(), 1u);
  EXPECT_EQ(registry.FindFunction("Move"), f);
  ASSERT_EQ(f->arguments.size(), 1u);
  f->SetArgumentType(0, {BindingTypeCode::Int32}, true);
  EXPECT_TRUE(f->arguments[0].optional);
  EXPECT_EQ(f->arguments[0].owner, f);

  BindingTypeDescriptor listOfStrings{BindingTypeCode::Vector, BindingTypeCode::String, nullptr};
  BindingArgumentContainer container{{"k", "v"}};
  BindingFunctionBuilder live(f, false);
  live.AddArgument("dx", "step", nullptr, nullptr)
      .AddArgument("names", "", &listOfStrings, &container);
  EXPECT_EQ(live.ArgumentIndex(), 2u);
  ASSERT_EQ(f->arguments.size(), 2u);
  EXPECT_EQ(f->arguments[0].name, "dx");
  EXPECT_EQ(f->arguments[0].nameHash, 0x511CBD51u);  // FNV-1a 32 of "dx"
  EXPECT_EQ(f->arguments[0].descriptor.kind, BindingTypeCode::Int32);
  EXPECT_EQ(f->arguments[1].secondDescriptor, listOfStrings);
  EXPECT_EQ(f->arguments[1].container, container);
  live.AddTags({"t"});

  BindingFunctionBuilder inert(registry.FindFunction("Move"), true);
  inert.AddArgument("ignored", "", &listOfStrings, nullptr)
      .AddArgument("also", "", nullptr, nullptr);
  inert.AddTags({"ignored"});
  EXPECT_EQ(inert.ArgumentIndex(), 2u);
  EXPECT_EQ(f->arguments.size(), 2u);
  EXPECT_EQ(f->arguments[0].name, "dx");
  EXPECT_EQ(f->tags, std::vector<std::string>{"t"});

  f->invoker = std::make_unique<CountingInvoker>(f, &registry);
  ++g_invokersAlive;
  EXPECT_STREQ(f->invoker->ArgumentName(0), "dx");
  EXPECT_STREQ(f->invoker->ArgumentName(5), "");
  EXPECT_EQ(f->invoker->ArgumentType(5), nullptr);

  BindingFunctionInfo* hidden = registry.RegisterFunction("Hidden", 0, true);
  EXPECT_EQ(registry.FindFunction("Hidden"), nullptr);
  EXPECT_EQ(registry.ChangeCounter(), 1u);
  BindingFunctionInfo* other = registry.RegisterFunction("Other", 0, false);
  EXPECT_EQ(Names(registry.GetFunctions()), (std::vector<std::string>{"Move", "Other"}));

  registry.RemoveFunction(f);
  EXPECT_EQ(g_invokersAlive, 0);
  EXPECT_EQ(registry.ChangeCounter(), 3u);
  EXPECT_EQ(registry.FindFunction("Move"), nullptr);
  registry.RemoveFunction(hidden);
  EXPECT_EQ(registry.ChangeCounter(), 3u);

  // A name registered again replaces the listing, but the first record stays usable.
  BindingFunctionInfo* again = registry.RegisterFunction("Other", 2, false);
  EXPECT_EQ(registry.FindFunction("Other"), again);
  EXPECT_EQ(other->name, "Other");
  EXPECT_EQ(registry.ChangeCounter(), 4u);
}

TEST(BindingRegistryTest, EventsKeepTheirFirstRegistration) {
  BindingRegistry registry;
  BindingTypeInfo* point = registry.RegisterType(8, "Point", TypeId<Point>(), false).Type();
  BindingEventBuilder first = registry.RegisterEvent("OnMove", point);
  EXPECT_FALSE(first.Exists());
  first.SetDescription("moved").AddTag("").AddTag("geometry");
  BindingEventBuilder second = registry.RegisterEvent("OnMove", nullptr);
  EXPECT_TRUE(second.Exists());
  second.SetDescription("changed").AddTag("other");
  const BindingEventInfo& event = *first.Event();
  EXPECT_EQ(event.payload, point);
  EXPECT_EQ(event.description, "moved");
  EXPECT_EQ(event.tags, std::vector<std::string>{"geometry"});

  BindingEventBuilder moved = std::move(first);
  first.SetDescription("through a moved-from builder").AddTag("x");
  EXPECT_EQ(first.Event(), nullptr);
  EXPECT_EQ(moved.Event()->description, "moved");
}

TEST(BindingRegistryTest, ResetEmptiesAnInitializedRegistryOnly) {
  g_convertersAlive = 0;
  g_invokersAlive = 0;
  BindingRegistry registry;
  registry.Reset();
  EXPECT_FALSE(registry.IsInitialized());

  BindingTypeBuilder kept = registry.RegisterType(8, "Point", TypeId<Point>(), false);
  AddInt(kept, "x", 0);
  registry.Reset();
  EXPECT_NE(registry.FindTypeById(TypeId<Point>().id), nullptr) << "not initialized: untouched";

  // Initialize resets only an initialized registry, so an earlier registration survives it.
  registry.Initialize();
  EXPECT_TRUE(registry.IsInitialized());
  EXPECT_NE(registry.FindTypeById(TypeId<Point>().id), nullptr);
  EXPECT_EQ(g_convertersAlive, 1);
  registry.Reset();
  EXPECT_EQ(g_convertersAlive, 0);
  registry.Initialize();
  EXPECT_EQ(registry.FindTypeById(TypeId<Point>().id), nullptr);

  BindingTypeBuilder again = registry.RegisterType(8, "Point", TypeId<Point>(), false);
  AddInt(again, "x", 0);
  BindingFunctionInfo* f = registry.RegisterFunction("Move", 0, false);
  f->invoker = std::make_unique<CountingInvoker>(f, &registry);
  ++g_invokersAlive;
  registry.RegisterFunction("Hidden", 0, true);
  const std::uint32_t before = registry.ChangeCounter();
  registry.Reset();
  EXPECT_FALSE(registry.IsInitialized());
  EXPECT_TRUE(registry.GetTypes().empty());
  EXPECT_TRUE(registry.GetFunctions().empty());
  EXPECT_TRUE(registry.GetEvents().empty());
  EXPECT_EQ(registry.ChangeCounter(), before + 1);
  EXPECT_EQ(g_convertersAlive, 0);
  EXPECT_EQ(g_invokersAlive, 0);

  // What is registered without Initialize is still freed by the destructor (leak checkers see
  // the rest).
  BindingTypeBuilder late = registry.RegisterType(8, "Point", TypeId<Point>(), false);
  AddInt(late, "x", 0);
}

TEST(BindingRegistryTest, MovedFromTypeBuilderChangesNothing) {
  BindingRegistry registry;
  BindingTypeBuilder first = registry.RegisterType(8, "Point", TypeId<Point>(), false);
  BindingTypeInfo* point = first.Type();
  BindingTypeBuilder second = std::move(first);
  EXPECT_EQ(first.Type(), nullptr);
  AddInt(first, "x", 0).AddTag("t").AddEnumValue("e", 1, "");
  EXPECT_TRUE(point->fields.empty());
  EXPECT_TRUE(point->tags.empty());
  EXPECT_TRUE(point->enumValues.empty());
  EXPECT_EQ(second.Type(), point);
}

}  // namespace
