#include "sdk/binding/BindingBuiltinTypes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/binding/BindingRegistry.h"

namespace {

using namespace Zarn;
using Code = BindingTypeCode;

struct FieldSpec {
  const char* name;
  Code kind;
  Code elementKind;
  const char* typeName;  // the referenced registration, or ""
  const char* description;
  std::uint32_t identityId = 0;  // checked when non-zero
};

struct TypeSpec {
  const char* name;
  std::uint32_t id;
  const char* description;
  std::vector<std::string> tags;
  std::vector<FieldSpec> fields;
  std::vector<std::pair<const char*, std::int32_t>> enumerators = {};  // in name order
  std::vector<const char*> enumeratorDescriptions = {};
};

const std::vector<std::string> kBuiltin = {"$builtin"};
const std::vector<std::string> kAsync = {"$builtin", "async"};
const std::vector<std::string> kHelp = {"$builtin", "help"};

std::vector<TypeSpec> Golden() {
  const char* s = "";
  return {
      {"BindingAsyncState",
       0x4B896D21,
       "Possible states of an asynchronous operation.",
       kAsync,
       {},
       {{"Cancelled", 3},
        {"Cancelling", 2},
        {"Failed", 5},
        {"None", 0},
        {"Running", 1},
        {"Succeeded", 4}},
       {"The operation was cancelled", "A request to cancel the operation has been made",
        "The operation encountered an error", "Invalid state", "The operation is in flight",
        "The operation completed successfully"}},
      {"BindingGenericEvent",
       0x2A500213,
       "Represents generic data for an event.",
       kBuiltin,
       {{"data", Code::Object, Code::None, s, "Event data", 0xAF98C378}}},
      {"BindingCallbackEvent",
       0x4B3E42BB,
       "Represents the parameters of a call to a provided callback.",
       kBuiltin,
       {{"id", Code::Uint32, Code::None, s, "ID of the callback being invoked", 0x3494B562},
        {"parameters", Code::Vector, Code::Object, s, "Callback parameters", 0xE980F126}}},
      {"BindingGenericAsyncEvent",
       0x78B7AC8F,
       "Represents generic data for an asynchronous event.",
       kAsync,
       {{"asyncToken", Code::Uint32, Code::None, s, "Asynchronous operation token"},
        {"data", Code::Object, Code::None, s, "Event data"}}},
      {"BindingAsyncFailureEvent",
       0x2DB89656,
       "Represents a failed asynchronous operation.",
       kAsync,
       {{"asyncToken", Code::Uint32, Code::None, s, "Asynchronous operation token"},
        {"error", Code::String, Code::None, s, "Error message", 0x2757680B}}},
      {"BindingAsyncCancelEvent",
       0x96EAAF44,
       "Represents a cancelled asynchronous operation.",
       kAsync,
       {{"asyncToken", Code::Uint32, Code::None, s, "Asynchronous operation token"}}},
      {"BindingHelpFormat",
       0x2698AA94,
       "Help format for binding functions and types.",
       kHelp,
       {},
       {{"Epytext", 2}, {"Full", 1}},
       {"Python epytext format", "Native help format"}},
      {"BindingFullTypeIdentifier",
       0x88B6D4CA,
       "Describes the type of a value.",
       kHelp,
       {{"type", Code::String, Code::None, s, s}, {"elementType", Code::String, Code::None, s, s}}},
      {"BindingFullArgumentHelp",
       0x65FF9F6F,
       "Describes a function parameter.",
       kHelp,
       {{"name", Code::String, Code::None, s, s},
        {"description", Code::String, Code::None, s, s},
        {"type", Code::Struct, Code::None, "BindingFullTypeIdentifier", s, 0x88B6D4CA},
        {"optional", Code::Bool, Code::None, s, s, 0x6AB1187C}}},
      {"BindingFullFunctionHelp",
       0x835D167A,
       "Describes a function.",
       kHelp,
       {{"name", Code::String, Code::None, s, s},
        {"nameSpace", Code::String, Code::None, s, s},
        {"arguments", Code::Vector, Code::Struct, "BindingFullArgumentHelp", s, 0xAE376D12},
        {"returns", Code::Struct, Code::None, "BindingFullTypeIdentifier", s},
        {"description", Code::String, Code::None, s, s},
        {"help", Code::String, Code::None, s, s},
        {"threadSafe", Code::Bool, Code::None, s, s},
        {"async", Code::String, Code::None, s, s},
        {"tags", Code::Vector, Code::String, s, s}}},
      {"BindingFullEnumValueHelp",
       0xD0706E0C,
       "Describes an enumerator.",
       kHelp,
       {{"name", Code::String, Code::None, s, s},
        {"description", Code::String, Code::None, s, s},
        {"value", Code::Int32, Code::None, s, s, 0x1C4DE261}}},
      {"BindingFullFieldHelp",
       0x5E9DFDF6,
       "Describes a member of a struct.",
       kHelp,
       {{"name", Code::String, Code::None, s, s},
        {"description", Code::String, Code::None, s, s},
        {"offset", Code::Uint32, Code::None, s, s},
        {"type", Code::Struct, Code::None, "BindingFullTypeIdentifier", s},
        {"optional", Code::Bool, Code::None, s, s}}},
      {"BindingFullTypeHelp",
       0x7534AFEA,
       "Describes a struct or enum type.",
       kHelp,
       {{"name", Code::String, Code::None, s, s},
        {"nameSpace", Code::String, Code::None, s, s},
        {"size", Code::Uint32, Code::None, s, s},
        {"description", Code::String, Code::None, s, s},
        {"tags", Code::Vector, Code::String, s, s},
        {"fields", Code::Vector, Code::Struct, "BindingFullFieldHelp", s, 0x91BDEEC6},
        {"values", Code::Vector, Code::Struct, "BindingFullEnumValueHelp", s, 0xF613EC9E}}},
      {"BindingFullEventHelp",
       0x6178093A,
       "Describes an event.",
       kHelp,
       {{"name", Code::String, Code::None, s, s},
        {"nameSpace", Code::String, Code::None, s, s},
        {"type", Code::Struct, Code::None, "BindingFullTypeIdentifier", s},
        {"description", Code::String, Code::None, s, s},
        {"tags", Code::Vector, Code::String, s, s}}},
      {"BindingFullApiHelp",
       0x7DFB1102,
       "Describes the exposed native API.",
       kHelp,
       {{"functions", Code::Vector, Code::Struct, "BindingFullFunctionHelp", s, 0x334BF406},
        {"types", Code::Vector, Code::Struct, "BindingFullTypeHelp", s, 0xE98B65D6},
        {"events", Code::Vector, Code::Struct, "BindingFullEventHelp", s, 0xC8AF01A6}}},
  };
}

TEST(BindingBuiltinTypesTest, InitializeRegistersTheBuiltinTypesAndEvent) {
  BindingRegistry registry;
  registry.Initialize();
  const std::vector<TypeSpec> golden = Golden();
  EXPECT_EQ(registry.GetTypes().size(), golden.size());
  EXPECT_TRUE(registry.GetFunctions().empty());

  for (const TypeSpec& spec : golden) {
    SCOPED_TRACE(spec.name);
    const BindingTypeInfo* type = registry.FindTypeById(spec.id);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->name, spec.name);
    EXPECT_EQ(type->identity->id, spec.id);
    EXPECT_EQ(type->description, spec.description);
    EXPECT_EQ(type->tags, spec.tags);
    EXPECT_EQ(type->isEnum, !spec.enumerators.empty());
    EXPECT_TRUE(type->nameSpace.empty());
    EXPECT_EQ(type->registry, &registry);

    ASSERT_EQ(type->fields.size(), spec.fields.size());
    std::uint32_t previousEnd = 0;
    for (std::size_t i = 0; i < spec.fields.size(); ++i) {
      const FieldSpec& f = spec.fields[i];
      const BindingFieldInfo& field = type->fields[i];
      SCOPED_TRACE(f.name);
      EXPECT_EQ(field.name, f.name);
      EXPECT_EQ(field.description, f.description);
      EXPECT_EQ(field.descriptor.kind, f.kind);
      EXPECT_EQ(field.descriptor.elementKind, f.elementKind);
      EXPECT_EQ(field.descriptor.type ? field.descriptor.type->name : "", f.typeName);
      EXPECT_EQ(field.secondDescriptor, BindingTypeDescriptor{});
      EXPECT_EQ(field.flags, 0u);
      EXPECT_FALSE(field.optional);
      ASSERT_NE(field.identity, nullptr);
      if (f.identityId != 0) {
        EXPECT_EQ(field.identity->id, f.identityId);
      }
      // Registration order is the native order: offsets rise and stay inside the record.
      EXPECT_GE(field.offset, previousEnd);
      EXPECT_LT(field.offset, type->size);
      previousEnd = field.offset + 1;
    }

    ASSERT_EQ(type->enumValues.size(), spec.enumerators.size());
    std::size_t i = 0;
    for (const auto& [name, enumerator] : type->enumValues) {
      EXPECT_EQ(enumerator.name, spec.enumerators[i].first);
      EXPECT_EQ(enumerator.value, spec.enumerators[i].second);
      EXPECT_EQ(enumerator.description, spec.enumeratorDescriptions[i]);
      EXPECT_EQ(enumerator.owner, type);
      ++i;
    }
  }

  EXPECT_EQ(registry.FindTypeById(TypeId<BindingCallbackEvent>().id)->size,
            sizeof(BindingCallbackEvent));
  EXPECT_STREQ(registry.EnumValueName(TypeId<BindingAsyncState>().id, 4), "Succeeded");
  EXPECT_EQ(registry.EnumValueName(TypeId<BindingAsyncState>().id, 9), nullptr);

  const std::vector<BindingEventInfo*> events = registry.GetEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0]->name, "OnCallback");
  EXPECT_EQ(events[0]->payload, registry.FindTypeById(0x4B3E42BB));
  EXPECT_EQ(events[0]->description, "Fired when a callback is invoked.");
  EXPECT_EQ(events[0]->tags, kBuiltin);

  // A second Initialize starts over with the same set.
  registry.Initialize();
  EXPECT_EQ(registry.GetTypes().size(), golden.size());
  EXPECT_EQ(registry.GetEvents().size(), 1u);
}

}  // namespace
