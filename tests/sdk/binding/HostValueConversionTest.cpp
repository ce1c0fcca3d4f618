#include "sdk/binding/HostValueConversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sdk/base/MemoryHooks.h"
#include "sdk/binding/ApiObject.h"
#include "sdk/binding/BindingBuiltinTypes.h"
#include "sdk/binding/BindingRegistry.h"
#include "tests/sdk/base/MemoryTesting.h"

namespace {

using namespace Zarn;
using Kind = BindingPropertyKind;
using Zarn::Testing::CounterValues;

// Releases a call result's error text when the test ends.
struct CallResult : ApiCallResult {
  CallResult() : ApiCallResult{} {}
  ~CallResult() {
    DestroyApiObject(value);
    if (ownsError == 1) MemoryHooks::Free(errorText);
  }
  std::string Error() const { return errorText != nullptr ? errorText : ""; }
};

BindingProperty RoundTrip(const BindingProperty& value, ApiObject& object) {
  EXPECT_TRUE(PropertyToApiObject(object, value, nullptr));
  CallResult result;
  BindingProperty back;
  EXPECT_TRUE(ApiObjectToProperty(result, back, object, "<value>")) << result.Error();
  return back;
}

TEST(HostValueConversionTest, EveryKindConvertsBothWays) {
  MemoryHooks::EnsureInitialized();
  const std::uint8_t bytes[] = {0, 0xFF, 7};

  struct Case {
    const char* label;
    BindingProperty value;
    std::uint32_t kind;
  };
  std::vector<Case> cases(9);
  cases[0] = {"empty", {}, kApiObjectEmpty};
  cases[1].label = "bool";
  cases[1].value.SetBool(true);
  cases[1].kind = kApiObjectBool;
  cases[2].label = "signed";
  cases[2].value.SetInt64(-0x123456789LL);
  cases[2].kind = kApiObjectSigned;
  cases[3].label = "unsigned";
  cases[3].value.SetUint64(0xFEDCBA9876543210ULL);
  cases[3].kind = kApiObjectUnsigned;
  cases[4].label = "float";
  cases[4].value.SetDouble(-1.5e300);
  cases[4].kind = kApiObjectFloat;
  cases[5].label = "string";
  cases[5].value.SetString("h\xC3\xA9llo");
  cases[5].kind = kApiObjectOwnedString;
  cases[6].label = "blob";
  cases[6].value.SetBlob(std::span<const std::uint8_t>(bytes));
  cases[6].kind = kApiObjectOwnedBlob;
  cases[7].label = "collection";
  cases[7].value.Append().SetInt64(1);
  cases[7].value.Append().SetString("two");
  cases[7].value.Append().Member("deep").Append().SetBool(false);
  cases[7].kind = kApiObjectCollection;
  cases[8].label = "structure";
  cases[8].value.Member("b").SetUint64(2);
  cases[8].value.Member("a").MakeCollection();
  cases[8].kind = kApiObjectStructure;
  // Only host blocks are taken while values are written out: all of them go back on destroy.
  const CounterValues before = CounterValues::ReadProcess();
  std::vector<ApiObject> objects(cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    ASSERT_TRUE(PropertyToApiObject(objects[i], cases[i].value, nullptr));
  }
  const CounterValues written = CounterValues::ReadProcess() - before;
  EXPECT_GT(written.allocations, 0u);
  for (ApiObject& object : objects) DestroyApiObject(object);
  const CounterValues after = CounterValues::ReadProcess() - before;
  EXPECT_EQ(after.allocations, written.allocations);
  EXPECT_EQ(after.frees, after.allocations);
  EXPECT_EQ(after.bytesFreed, after.bytesAllocated);

  for (Case& c : cases) {
    SCOPED_TRACE(c.label);
    ApiObject object{};
    const BindingProperty back = RoundTrip(c.value, object);
    EXPECT_EQ(+object.kind, c.kind);
    EXPECT_EQ(back.Kind(), c.value.Kind());
    EXPECT_EQ(back.ToString(), c.value.ToString());
    EXPECT_EQ(back.Size(), c.value.Size());
    DestroyApiObject(object);
  }

  // Words and layout the host reads.
  ApiObject object{};
  ASSERT_TRUE(PropertyToApiObject(object, cases[2].value, nullptr));
  EXPECT_EQ(+object.a.word, 0xDCBA9877u);  // low word of -0x123456789
  EXPECT_EQ(+object.b, 0xFFFFFFFEu);
  ASSERT_TRUE(PropertyToApiObject(object, cases[5].value, nullptr));
  EXPECT_EQ(+object.b, 6u);
  ASSERT_TRUE(PropertyToApiObject(object, cases[8].value, nullptr));
  ASSERT_EQ(+object.b, 2u);
  const ApiObjectEntry* entries = object.a.entries;
  EXPECT_STREQ(entries[0].name, "a");  // name order
  EXPECT_EQ(+entries[0].ownsName, 1);
  EXPECT_EQ(+entries[0].value.kind, kApiObjectCollection);
  EXPECT_EQ(+entries[0].value.b, 0u);
  EXPECT_STREQ(entries[1].name, "b");
  EXPECT_EQ(+entries[1].ownsName, 1);
  ASSERT_TRUE(PropertyToApiObject(object, cases[0].value, nullptr));  // frees the structure
  EXPECT_EQ(+object.kind, kApiObjectEmpty);
}

TEST(HostValueConversionTest, EnumsCrossAsNamesOrSignedNumbers) {
  BindingRegistry registry;
  registry.Initialize();
  const std::uint32_t stateId = TypeId<BindingAsyncState>().id;
  struct Case {
    const char* label;
    std::int32_t number;
    const BindingRegistry* registry;
    std::uint32_t kind;
    const char* text;  // the value's text after the way back
  } cases[] = {
      {"named", 4, &registry, kApiObjectOwnedString, "Succeeded"},
      {"no enumerator", 9, &registry, kApiObjectSigned, "9"},
      {"no registry", 4, nullptr, kApiObjectSigned, "4"},
      {"negative", -3, &registry, kApiObjectSigned, "-3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    BindingProperty value;
    value.SetEnum({c.number, stateId});
    ApiObject object{};
    ASSERT_TRUE(PropertyToApiObject(object, value, c.registry));
    EXPECT_EQ(+object.kind, c.kind);
    CallResult result;
    BindingProperty back;
    ASSERT_TRUE(ApiObjectToProperty(result, back, object, "x"));
    EXPECT_EQ(back.Kind(), c.kind == kApiObjectSigned ? Kind::Signed : Kind::String);
    EXPECT_EQ(back.ToString(), c.text);
    DestroyApiObject(object);
  }
}

TEST(HostValueConversionTest, HostObjectsAreReadByTheirOwnRules) {
  char text[] = "abc\0def";
  std::uint8_t bytes[] = {9, 8, 7};
  ApiObject two[2] = {{kApiObjectBool, {.word = 0x100}, 0}, {kApiObjectBool, {.word = 1}, 0}};
  ApiObjectEntry repeated[2] = {{text, {kApiObjectSigned, {.word = 1}, 0}, 0},
                                {text, {kApiObjectSigned, {.word = 2}, 0}, 0}};
  struct Case {
    const char* label;
    ApiObject object;
    Kind kind;
    std::string text;
  } cases[] = {
      {"empty resets", {kApiObjectEmpty, {.word = 5}, 5}, Kind::Empty, ""},
      {"bool from the low byte", {kApiObjectBool, {.word = 0x100}, 1}, Kind::Bool, "false"},
      {"string by its NUL, not b",
       {kApiObjectBorrowedString, {.text = text}, 7},
       Kind::String,
       "abc"},
      {"null string is empty", {kApiObjectOwnedString, {.text = nullptr}, 4}, Kind::String, ""},
      {"borrowed blob", {kApiObjectBorrowedBlob, {.bytes = bytes}, 2}, Kind::Blob, "CQg="},
      {"empty blob", {kApiObjectOwnedBlob, {.bytes = nullptr}, 0}, Kind::Blob, ""},
      {"collection", {kApiObjectCollection, {.elements = two}, 2}, Kind::Collection, ""},
      {"repeated name", {kApiObjectStructure, {.entries = repeated}, 2}, Kind::Structure, ""},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.label);
    CallResult result;
    BindingProperty value;
    value.SetInt64(99);
    ASSERT_TRUE(ApiObjectToProperty(result, value, c.object, "x")) << result.Error();
    EXPECT_EQ(value.Kind(), c.kind);
    EXPECT_EQ(value.ToString(), c.text);
    EXPECT_EQ(result.errorText, nullptr);
  }
  CallResult result;
  BindingProperty value;
  ASSERT_TRUE(ApiObjectToProperty(result, value, cases[7].object, "x"));
  EXPECT_EQ(value.Size(), 1u);
  EXPECT_EQ(value.FindMember("abc").GetInt64(), 2);
  ASSERT_TRUE(ApiObjectToProperty(result, value, cases[6].object, "x"));
  EXPECT_FALSE(value.At(0).GetBool(true));
  EXPECT_TRUE(value.At(1).GetBool());
}

// Builds `levels` nested one-element collections around a bool.
std::vector<ApiObject> NestedObjects(std::size_t levels) {
  std::vector<ApiObject> chain(levels + 1);
  for (std::size_t i = 0; i < levels; ++i) chain[i] = {kApiObjectCollection, {}, 1};
  for (std::size_t i = 0; i < levels; ++i) chain[i].a.elements = &chain[i + 1];
  chain[levels] = {kApiObjectBool, {.word = 1}, 0};
  return chain;
}

TEST(HostValueConversionTest, UntrustedObjectsFailWithAMessage) {
  char name[] = "n";
  ApiObject unknown[1] = {{11, {}, 0}};
  ApiObjectEntry unnamed[2] = {{name, {}, 0}, {nullptr, {}, 0}};
  ApiObject dummy[1] = {};
  std::uint8_t bytes[1] = {};
  std::vector<ApiObject> tooDeep = NestedObjects(513);
  struct Case {
    const char* label;
    ApiObject object;
    const char* message;
  } cases[] = {
      {"unknown kind",
       {11, {}, 0},
       "Couldn't assign value to 'x' of type object because the input is of an incompatible "
       "type ''."},
      {"unknown kind inside",
       {kApiObjectCollection, {.elements = unknown}, 1},
       "Couldn't assign value to 'x' of type object because the input is of an incompatible "
       "type ''."},
      {"null blob with bytes",
       {kApiObjectBorrowedBlob, {.bytes = nullptr}, 3},
       "Couldn't assign value to 'x' because the input blob has no data for its count of 3."},
      {"null elements",
       {kApiObjectCollection, {.elements = nullptr}, 2},
       "Couldn't assign value to 'x' because the input collection has no data for its count of "
       "2."},
      {"null entries",
       {kApiObjectStructure, {.entries = nullptr}, 1},
       "Couldn't assign value to 'x' because the input structure has no data for its count of "
       "1."},
      {"null entry name",
       {kApiObjectStructure, {.entries = unnamed}, 2},
       "Couldn't assign value to 'x' because entry 1 of the input structure has no name."},
      {"count above the limit",
       {kApiObjectCollection, {.elements = dummy}, 0x10000000},
       "Couldn't assign value to 'x' because the input collection has a count of 268435456, "
       "more than 268435455."},
      {"blob count above the limit",
       {kApiObjectOwnedBlob, {.bytes = bytes}, 0xFFFFFFFF},
       "Couldn't assign value to 'x' because the input blob has a count of 4294967295, more "
       "than 268435455."},
      {"nested too deep", tooDeep[0],
       "Couldn't assign value to 'x' because the input is nested deeper than 512 levels."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    CallResult result;
    result.value.SetString("earlier reply");
    BindingProperty value;
    EXPECT_FALSE(ApiObjectToProperty(result, value, c.object, "x"));
    EXPECT_EQ(result.Error(), c.message);
    EXPECT_EQ(+result.ownsError, 1);
    EXPECT_EQ(+result.value.kind, kApiObjectEmpty);
  }

  std::vector<ApiObject> deepest = NestedObjects(512);
  CallResult result;
  BindingProperty value;
  EXPECT_TRUE(ApiObjectToProperty(result, value, deepest[0], "x")) << result.Error();
}

TEST(HostValueConversionTest, ValuesNestedTooDeepAreNotWritten) {
  for (const int levels : {512, 513}) {
    SCOPED_TRACE(levels);
    BindingProperty value;
    BindingProperty* inner = &value;
    for (int i = 0; i < levels; ++i) inner = &inner->Append();
    inner->SetBool(true);
    ApiObject object{};
    EXPECT_EQ(PropertyToApiObject(object, value, nullptr), levels == 512);
    if (levels == 513) {
      EXPECT_EQ(+object.kind, kApiObjectEmpty);
    }
    DestroyApiObject(object);
  }
}

}  // namespace
