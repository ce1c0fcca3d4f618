#include "sdk/binding/ApiDescriptorTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "sdk/base/MemoryHooks.h"
#include "tests/sdk/base/MemoryTesting.h"

namespace {

struct Item {};
struct Level {};
struct Empty {};

}  // namespace

ZARN_TYPE_ID(Item, 0x60000001u);
ZARN_TYPE_ID(Level, 0x60000002u);
ZARN_TYPE_ID(Empty, 0x60000003u);

namespace {

using namespace Zarn;
using Code = BindingTypeCode;

template <typename T>
std::map<std::string, const T*> ByName(const T* first, std::uint32_t count) {
  std::map<std::string, const T*> records;
  std::uint32_t walked = 0;
  for (const T* record = first; record != nullptr; record = record->next, ++walked) {
    records[record->name] = record;
  }
  EXPECT_EQ(walked, count) << "the next links must visit every record once";
  return records;
}

std::vector<std::string> Tags(const char* const* tags, std::uint32_t count) {
  return std::vector<std::string>(tags, tags + count);
}

// A small registry: a record with fields, an enum, an empty type, two functions and an event.
class ApiDescriptorTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    level = registry.RegisterType(4, "Level", TypeId<Level>(), true)
                .AddEnumValue("Low", 1, "low")
                .AddEnumValue("High", 9, "high")
                .Type();
    BindingTypeBuilder item = registry.RegisterType(24, "Item", TypeId<Item>(), false);
    item.AddTag("shop");
    // Fields win over enumerators: the enumerator below is not described.
    item.AddEnumValue("Stray", 1, "");
    // A second descriptor takes precedence over the first one.
    item.AddField("level", "how high", 4, &TypeId<Level>(), {Code::Int32}, {Code::Enum, {}, level},
                  0, nullptr, false);
    // A type name only for codes 15, 16, 17 and 19, even when a type is attached.
    item.AddField("count", "", 8, &TypeId<std::int32_t>(), {Code::Int32, {}, level}, {}, 0, nullptr,
                  true);
    item.AddField("levels", "", 12, nullptr, {Code::Vector, Code::Enum, level}, {}, 0, nullptr,
                  false);
    itemType = item.Type();
    registry.RegisterType(1, "Empty", TypeId<Empty>(), false);

    BindingFunctionInfo* buy = registry.RegisterFunction("Buy", 2, false);
    buy->SetArgumentType(0, {Code::Struct, {}, itemType}, false);
    buy->SetArgumentType(1, {Code::Callback, {}, itemType}, true);
    BindingFunctionBuilder builder(buy, false);
    const BindingTypeDescriptor mapOfItems{Code::Map, Code::Struct, itemType};
    builder.AddArgument("item", "what", nullptr, nullptr)
        .AddArgument("done", "when", &mapOfItems, nullptr)
        .AddTags({"a", "b"});
    buy->returnType = {Code::Struct, {}, itemType};
    buy->secondReturnType = {Code::Vector, Code::Struct, itemType};
    buy->async = true;
    buy->threadSafe = true;
    buy->description = "buys";
    buy->help = "helps";
    BindingFunctionInfo* ping = registry.RegisterFunction("Ping", 0, false);
    ping->returnType = {Code::Bool};
    ping->async = true;

    registry.RegisterEvent("OnBuy", itemType).SetDescription("bought").AddTag("shop");
    registry.RegisterEvent("OnAny", nullptr);
  }

  BindingRegistry registry;
  BindingTypeInfo* level = nullptr;
  BindingTypeInfo* itemType = nullptr;
};

TEST_F(ApiDescriptorTablesTest, DescribesFunctionsTypesAndEvents) {
  ApiDescriptorTables tables;
  ASSERT_TRUE(BuildApiDescriptorTables(tables, registry.GetFunctions(), registry.GetTypes(),
                                       registry.GetEvents()));
  const ApiRegistrySnapshot& snapshot = tables.Snapshot();

  auto functions = ByName(snapshot.functions, snapshot.functionCount);
  ASSERT_EQ(+functions.size(), 2u);
  const ApiFunctionDescriptor& buy = *functions.at("Buy");
  EXPECT_EQ(+buy.reserved, nullptr);
  EXPECT_EQ(+buy.userData, nullptr);
  EXPECT_EQ(+buy.argumentCount, 2u);
  EXPECT_EQ(+buy.returnTypeCode, 15u);
  EXPECT_EQ(+buy.returnElementTypeCode, 17u);
  EXPECT_STREQ(buy.returnTypeName, "Item");
  EXPECT_STREQ(buy.asyncResultType, "Item");
  EXPECT_STREQ(buy.description, "buys");
  EXPECT_STREQ(buy.help, "helps");
  EXPECT_STREQ(buy.nameSpace, "");
  EXPECT_EQ(+buy.threadSafe, 1);
  EXPECT_EQ(Tags(buy.tags, buy.tagCount), (std::vector<std::string>{"a", "b"}));

  struct ArgumentCase {
    const char* name;
    const char* description;
    std::uint32_t code, elementCode;
    const char* typeName;
    std::uint8_t optional;
  } argumentCases[] = {
      {"item", "what", 17, 0, "Item", 0},
      {"done", "when", 19, 17, "Item", 1},
  };
  const ApiArgumentDescriptor* argument = buy.arguments;
  for (const ArgumentCase& c : argumentCases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(argument, nullptr);
    EXPECT_STREQ(argument->name, c.name);
    EXPECT_STREQ(argument->description, c.description);
    EXPECT_EQ(+argument->typeCode, c.code);
    EXPECT_EQ(+argument->elementTypeCode, c.elementCode);
    EXPECT_STREQ(argument->typeName, c.typeName);
    EXPECT_EQ(+argument->optional, c.optional);
    argument = argument->next;
  }
  EXPECT_EQ(argument, nullptr);

  const ApiFunctionDescriptor& ping = *functions.at("Ping");
  EXPECT_EQ(+ping.arguments, nullptr);
  EXPECT_EQ(+ping.argumentCount, 0u);
  EXPECT_EQ(+ping.returnTypeCode, 1u);
  EXPECT_STREQ(ping.returnTypeName, "");
  EXPECT_STREQ(ping.asyncResultType, "") << "no registration behind a bool";
  EXPECT_EQ(+ping.tags, nullptr);
  EXPECT_EQ(+ping.tagCount, 0u);
  // Both host-entry words of every function descriptor stay zero.
  for (const auto& [name, record] : functions) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(record);
    for (std::size_t i = offsetof(ApiFunctionDescriptor, reserved);
         i < offsetof(ApiFunctionDescriptor, name); ++i) {
      EXPECT_EQ(bytes[i], 0) << name << " byte " << i;
    }
  }

  auto types = ByName(snapshot.types, snapshot.typeCount);
  ASSERT_EQ(+types.size(), 3u);
  const ApiTypeDescriptor& item = *types.at("Item");
  EXPECT_EQ(+item.size, 24u);
  EXPECT_EQ(Tags(item.tags, item.tagCount), std::vector<std::string>{"shop"});
  EXPECT_EQ(+item.enumerators, nullptr);
  EXPECT_EQ(+item.count, 3u);
  struct FieldCase {
    const char* name;
    std::uint32_t offset, code, elementCode;
    const char* typeName;
    std::uint8_t optional;
  } fieldCases[] = {
      {"level", 4, 16, 0, "Level", 0},
      {"count", 8, 6, 0, "", 1},
      {"levels", 12, 15, 16, "Level", 0},
  };
  const ApiFieldDescriptor* field = item.fields;
  for (const FieldCase& c : fieldCases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(field, nullptr);
    EXPECT_STREQ(field->name, c.name);
    EXPECT_EQ(+field->offset, c.offset);
    EXPECT_EQ(+field->typeCode, c.code);
    EXPECT_EQ(+field->elementTypeCode, c.elementCode);
    EXPECT_STREQ(field->typeName, c.typeName);
    EXPECT_EQ(+field->optional, c.optional);
    field = field->next;
  }
  EXPECT_EQ(field, nullptr);
  EXPECT_STREQ(item.fields->description, "how high");

  const ApiTypeDescriptor& levelType = *types.at("Level");
  EXPECT_EQ(+levelType.fields, nullptr);
  EXPECT_EQ(+levelType.count, 2u);
  ASSERT_NE(+levelType.enumerators, nullptr);
  EXPECT_STREQ(levelType.enumerators->name, "High");  // name order
  EXPECT_EQ(+levelType.enumerators->value, 9);
  EXPECT_STREQ(levelType.enumerators->description, "high");
  ASSERT_NE(+levelType.enumerators->next, nullptr);
  EXPECT_STREQ(levelType.enumerators->next->name, "Low");
  EXPECT_EQ(+levelType.enumerators->next->next, nullptr);

  const ApiTypeDescriptor& empty = *types.at("Empty");
  EXPECT_EQ(+empty.fields, nullptr);
  EXPECT_EQ(+empty.enumerators, nullptr);
  EXPECT_EQ(+empty.count, 0u);
  EXPECT_EQ(+empty.tags, nullptr);

  auto events = ByName(snapshot.events, snapshot.eventCount);
  ASSERT_EQ(+events.size(), 2u);
  EXPECT_STREQ(events.at("OnBuy")->payloadTypeName, "Item");
  EXPECT_STREQ(events.at("OnBuy")->description, "bought");
  EXPECT_EQ(Tags(events.at("OnBuy")->tags, 1), std::vector<std::string>{"shop"});
  EXPECT_STREQ(events.at("OnAny")->payloadTypeName, "");
}

TEST_F(ApiDescriptorTablesTest, OwnerReleasesEveryArray) {
  MemoryHooks::EnsureInitialized();
  using Zarn::Testing::CounterValues;
  const CounterValues before = CounterValues::ReadProcess();
  {
    ApiDescriptorTables tables;
    for (int round = 0; round < 2; ++round) {  // a rebuild releases the previous arrays first
      ASSERT_TRUE(BuildApiDescriptorTables(tables, registry.GetFunctions(), registry.GetTypes(),
                                           registry.GetEvents()));
    }
    const CounterValues built = CounterValues::ReadProcess() - before;
    EXPECT_EQ(built.allocations - built.frees, 7u) << "one array per kind of record and the tags";
    tables.Release();
    EXPECT_EQ(+tables.Snapshot().functions, nullptr);
    EXPECT_EQ(+tables.Snapshot().typeCount, 0u);
    ASSERT_TRUE(BuildApiDescriptorTables(tables, {}, {}, {}));
    EXPECT_EQ(+tables.Snapshot().functionCount, 0u);
    ASSERT_TRUE(BuildApiDescriptorTables(tables, registry.GetFunctions(), registry.GetTypes(),
                                         registry.GetEvents()));
  }
  const CounterValues after = CounterValues::ReadProcess() - before;
  EXPECT_EQ(+after.allocations, after.frees);
  EXPECT_EQ(+after.bytesAllocated, after.bytesFreed);
}

}  // namespace
