#include "sdk/binding/TypeRegistry.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sdk/binding/JsonText.h"
#include "sdk/binding/KeyedMap.h"
#include "sdk/binding/TypedConversions.h"

namespace {

enum class Tint : std::int32_t { Pale = 1 };

struct Part {
  std::int32_t size = 0;
};

struct Everything {
  bool b;
  std::int32_t i32;
  Zarn::Long32 l32;
  std::uint32_t u32;
  std::int64_t i64;
  std::uint64_t u64;
  double d;
  std::string s;
  Zarn::BindingProperty any;
  Part part;
  Tint tint;
  std::vector<std::int32_t> ints;
  std::vector<std::uint64_t> ids;
  std::vector<std::string> texts;
  std::vector<Tint> tints;
  std::vector<Part> parts;
  Zarn::KeyedMap<std::string> labels;
  Zarn::KeyedMap<Part> partMap;
  std::optional<bool> ob;
  std::optional<std::int32_t> oi;
  std::optional<std::uint64_t> ou;
  std::optional<std::string> os;
  std::optional<Part> op;
  std::optional<std::vector<Part>> ovp;
};

struct Early {
  std::vector<Part> parts;
  Part part;
};

}  // namespace

ZARN_TYPE_ID(Tint, 0x5C000001u);
ZARN_TYPE_ID(Part, 0x5C000002u);
ZARN_TYPE_ID(Everything, 0x5C000003u);
ZARN_TYPE_ID(Early, 0x5C000004u);

namespace {

using namespace Zarn;
using Code = BindingTypeCode;

template <typename T>
void Add(TypeRegistry& builder, const char* name) {
  builder.AddMember<T>(name, 0, "");
}

TEST(TypeRegistryTest, DescriptorsByMemberType) {
  BindingRegistry registry;
  registry.RegisterType(4, "Tint", TypeId<Tint>(), true).AddEnumValue("Pale", 1, "");
  TypeRegistry(registry.RegisterType(sizeof(Part), "Part", TypeId<Part>(), false))
      .AddMember<std::int32_t>("size", offsetof(Part, size), "");
  TypeRegistry builder(
      registry.RegisterType(sizeof(Everything), "Everything", TypeId<Everything>(), false));
  Add<bool>(builder, "b");
  Add<std::int32_t>(builder, "i32");
  Add<Long32>(builder, "l32");
  Add<std::uint32_t>(builder, "u32");
  Add<std::int64_t>(builder, "i64");
  Add<std::uint64_t>(builder, "u64");
  Add<double>(builder, "d");
  Add<std::string>(builder, "s");
  Add<BindingProperty>(builder, "any");
  Add<Part>(builder, "part");
  Add<Tint>(builder, "tint");
  Add<std::vector<std::int32_t>>(builder, "ints");
  Add<std::vector<std::uint64_t>>(builder, "ids");
  Add<std::vector<std::string>>(builder, "texts");
  Add<std::vector<Tint>>(builder, "tints");
  Add<std::vector<Part>>(builder, "parts");
  Add<KeyedMap<std::string>>(builder, "labels");
  Add<KeyedMap<Part>>(builder, "partMap");
  Add<std::optional<bool>>(builder, "ob");
  Add<std::optional<std::int32_t>>(builder, "oi");
  Add<std::optional<std::uint64_t>>(builder, "ou");
  Add<std::optional<std::string>>(builder, "os");
  Add<std::optional<Part>>(builder, "op");
  Add<std::optional<std::vector<Part>>>(builder, "ovp");

  const BindingTypeInfo* part = registry.FindTypeById(TypeId<Part>().id);
  const BindingTypeInfo* tint = registry.FindTypeById(TypeId<Tint>().id);
  ASSERT_NE(part, nullptr);
  ASSERT_NE(tint, nullptr);
  struct Expected {
    Code kind;
    Code elementKind;
    const BindingTypeInfo* type;
    std::uint32_t id;
    bool optional;
  };
  const Expected expected[] = {
      {Code::Bool, Code::None, nullptr, TypeId<bool>().id, false},
      {Code::Int32, Code::None, nullptr, TypeId<std::int32_t>().id, false},
      {Code::Int32, Code::None, nullptr, TypeId<Long32>().id, false},
      {Code::Uint32, Code::None, nullptr, TypeId<std::uint32_t>().id, false},
      {Code::Int64, Code::None, nullptr, TypeId<std::int64_t>().id, false},
      {Code::Uint64, Code::None, nullptr, TypeId<std::uint64_t>().id, false},
      {Code::Double, Code::None, nullptr, TypeId<double>().id, false},
      {Code::String, Code::None, nullptr, TypeId<std::string>().id, false},
      {Code::Object, Code::None, nullptr, TypeId<BindingProperty>().id, false},
      {Code::Struct, Code::None, part, TypeId<Part>().id, false},
      {Code::Enum, Code::None, tint, TypeId<Tint>().id, false},
      {Code::Vector, Code::Int32, nullptr, TypeId<std::vector<std::int32_t>>().id, false},
      {Code::Vector, Code::Uint64, nullptr, TypeId<std::vector<std::uint64_t>>().id, false},
      {Code::Vector, Code::String, nullptr, TypeId<std::vector<std::string>>().id, false},
      {Code::Vector, Code::Enum, tint, TypeId<std::vector<Tint>>().id, false},
      {Code::Vector, Code::Struct, part, TypeId<std::vector<Part>>().id, false},
      {Code::Map, Code::String, nullptr, TypeId<KeyedMap<std::string>>().id, false},
      {Code::Map, Code::Struct, part, TypeId<KeyedMap<Part>>().id, false},
      {Code::Bool, Code::None, nullptr, TypeId<std::optional<bool>>().id, true},
      {Code::Int32, Code::None, nullptr, TypeId<std::optional<std::int32_t>>().id, true},
      {Code::Uint64, Code::None, nullptr, TypeId<std::optional<std::uint64_t>>().id, true},
      {Code::String, Code::None, nullptr, TypeId<std::optional<std::string>>().id, true},
      {Code::Struct, Code::None, part, TypeId<std::optional<Part>>().id, true},
      {Code::Vector, Code::Struct, part, TypeId<std::optional<std::vector<Part>>>().id, true},
  };
  const BindingTypeInfo* everything = builder.Builder().Type();
  ASSERT_EQ(everything->fields.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const BindingFieldInfo& field = everything->fields[i];
    SCOPED_TRACE(field.name);
    EXPECT_EQ(field.descriptor.kind, expected[i].kind);
    EXPECT_EQ(field.descriptor.elementKind, expected[i].elementKind);
    EXPECT_EQ(field.descriptor.type, expected[i].type);
    ASSERT_NE(field.identity, nullptr);
    EXPECT_EQ(field.identity->id, expected[i].id);
    EXPECT_EQ(field.optional, expected[i].optional);
    EXPECT_NE(field.converter, nullptr);
  }
  // Wrappers have identities of their own.
  EXPECT_NE(TypeId<std::optional<std::int32_t>>().id, TypeId<std::int32_t>().id);
  EXPECT_NE(TypeId<std::vector<Part>>().id, TypeId<Part>().id);
}

// Nested types are looked up when the member is registered, not when it is converted.
TEST(TypeRegistryTest, NestedTypesMustBeRegisteredFirst) {
  struct Case {
    const char* label;
    bool partFirst;
    const char* message;
  };
  const Case cases[] = {
      {"part registered first", true, ""},
      {"part registered after its members", false,
       "Couldn't assign value to 'parts' because the input is an unregistered structure or not "
       "a structure at all."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    BindingRegistry registry;
    auto registerPart = [&] {
      TypeRegistry(registry.RegisterType(sizeof(Part), "Part", TypeId<Part>(), false))
          .AddMember<std::int32_t>("size", offsetof(Part, size), "");
    };
    if (c.partFirst) registerPart();
    TypeRegistry(registry.RegisterType(sizeof(Early), "Early", TypeId<Early>(), false))
        .AddMember<std::vector<Part>>("parts", offsetof(Early, parts), "")
        .AddMember<Part>("part", offsetof(Early, part), "");
    if (!c.partFirst) registerPart();

    BindingResult parsed = ParseJsonText(R"({"parts":[{"size":1}],"part":{"size":2}})");
    Early early;
    BindingResult result;
    ReadValue(result, early, parsed.Value(), registry);
    EXPECT_EQ(result.ErrorMessage(), c.message);
    EXPECT_EQ(ToJsonString(early, registry),
              c.partFirst ? R"({"part":{"size":2},"parts":[{"size":1}]})" : "");
  }
}

TEST(TypeRegistryTest, SecondRegistrationAddsNoMembers) {
  BindingRegistry registry;
  TypeRegistry(registry.RegisterType(sizeof(Part), "Part", TypeId<Part>(), false))
      .AddMember<std::int32_t>("size", offsetof(Part, size), "");
  TypeRegistry again(registry.RegisterType(sizeof(Part), "Part", TypeId<Part>(), false));
  again.AddMember<std::string>("other", 0, "").AddMember<bool>("more", 0, "");
  const BindingTypeInfo* part = registry.FindTypeById(TypeId<Part>().id);
  ASSERT_NE(part, nullptr);
  ASSERT_EQ(part->fields.size(), 1u);
  EXPECT_EQ(part->fields[0].name, "size");
  EXPECT_EQ(ToJsonString(Part{3}, registry), R"({"size":3})");
}

// A member name ends at its first NUL, as every text of a value does.
TEST(TypeRegistryTest, AFieldNamedPastANulWritesTheNameBeforeIt) {
  BindingRegistry registry;
  TypeRegistry(registry.RegisterType(sizeof(Part), "Part", TypeId<Part>(), false))
      .AddMember<std::int32_t>(std::string_view("si\0ze", 5), offsetof(Part, size), "");
  EXPECT_EQ(ToJsonString(Part{3}, registry), R"({"si":3})");
}

}  // namespace
