#include "sdk/binding/ApiObject.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sdk/base/MemoryHooks.h"
#include "tests/sdk/base/MemoryTesting.h"

namespace {

using namespace Zarn;
using Zarn::Testing::CounterValues;

bool IsAllZero(const void* record, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// Live blocks of the tracking allocator (allocations minus frees).
std::int64_t LiveBlocks() {
  const CounterValues now = CounterValues::ReadProcess();
  return static_cast<std::int64_t>(now.allocations - now.frees);
}

TEST(ApiObjectTest, DestroyFreesOnlyWhatTheObjectOwns) {
  MemoryHooks::EnsureInitialized();
  static char borrowedText[] = "borrowed";
  static std::uint8_t borrowedBytes[] = {1, 2, 3};

  struct Case {
    const char* label;
    ApiObject object;
    int ownedBlocks;  // blocks the object holds, all of which Destroy must free
  };
  auto owned = [](const char* text) { return MemoryHooks::StrDup(text); };

  ApiObject* elements = AllocateApiObjects(3);
  ASSERT_TRUE(elements[0].SetString("a"));
  elements[1] = {kApiObjectBorrowedString, {.text = borrowedText}, 8};
  elements[2].SetBool(true);

  ApiObjectEntry* entries = AllocateApiObjectEntries(3);
  entries[0] = {owned("own"), {}, 1};
  ASSERT_TRUE(entries[0].value.SetBlob(borrowedBytes, 3));
  entries[1] = {borrowedText, {}, 0};  // a borrowed name is left alone
  entries[1].value.SetInt64(5, 0);
  entries[2] = {owned("nested"), {}, 1};
  entries[2].value.SetCollection(AllocateApiObjects(1), 1);

  Case cases[] = {
      {"borrowed string", {kApiObjectBorrowedString, {.text = borrowedText}, 8}, 0},
      {"borrowed blob", {kApiObjectBorrowedBlob, {.bytes = borrowedBytes}, 3}, 0},
      {"owned string", {kApiObjectOwnedString, {.text = owned("text")}, 4}, 1},
      {"collection", {kApiObjectCollection, {.elements = elements}, 3}, 2},
      {"structure", {kApiObjectStructure, {.entries = entries}, 3}, 5},
      {"null array with a count", {kApiObjectStructure, {.entries = nullptr}, 4}, 0},
      {"unknown kind", {42, {.word = 7}, 9}, 0},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::int64_t before = LiveBlocks();
    DestroyApiObject(c.object);
    EXPECT_EQ(before - LiveBlocks(), c.ownedBlocks);
    EXPECT_TRUE(IsAllZero(&c.object, sizeof(c.object)));
  }
  EXPECT_STREQ(borrowedText, "borrowed");
}

TEST(ApiObjectTest, SettersReleaseThePreviousValueAndFillBothWords) {
  MemoryHooks::EnsureInitialized();
  const std::int64_t before = LiveBlocks();
  ApiObject object{};
  ASSERT_TRUE(object.SetString("hello"));
  EXPECT_EQ(+object.kind, kApiObjectOwnedString);
  EXPECT_STREQ(object.a.text, "hello");
  EXPECT_EQ(+object.b, 5u);
  ASSERT_TRUE(object.SetBlob(reinterpret_cast<const std::uint8_t*>("xyz"), 3));
  EXPECT_EQ(+object.kind, kApiObjectOwnedBlob);
  EXPECT_EQ(std::memcmp(object.a.bytes, "xyz", 3), 0);
  object.SetInt64(0xFFFFFFFEu, 0xFFFFFFFFu);
  EXPECT_EQ(+object.kind, kApiObjectSigned);
  EXPECT_EQ(+object.a.word, 0xFFFFFFFEu);
  EXPECT_EQ(+object.b, 0xFFFFFFFFu);
  EXPECT_EQ(LiveBlocks(), before) << "each setter must free what the object owned";
  ASSERT_TRUE(object.SetString(static_cast<const char*>(nullptr)));
  EXPECT_STREQ(object.a.text, "");
  EXPECT_FALSE(object.SetBlob(nullptr, 3));
  EXPECT_EQ(+object.kind, kApiObjectEmpty);
  ASSERT_TRUE(object.SetBlob(nullptr, 0));
  EXPECT_EQ(+object.kind, kApiObjectOwnedBlob);
  EXPECT_EQ(+object.a.bytes, nullptr);
  object.SetBool(true);
  EXPECT_EQ(+object.a.word, 1u);
  EXPECT_EQ(LiveBlocks(), before);

  ApiCallResult result{};
  result.value.SetString("partial");
  result.SetError("first");
  result.SetError("second");
  EXPECT_EQ(+result.value.kind, kApiObjectEmpty);
  EXPECT_STREQ(result.errorText, "second");
  EXPECT_EQ(+result.ownsError, 1);
  result.SetError(result.errorText);  // its own text again
  EXPECT_STREQ(result.errorText, "second");
  MemoryHooks::Free(result.errorText);
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(ApiObjectTest, KindNames) {
  const char* expected[] = {"",       "bool", "signed", "unsigned",   "float",     "string",
                            "string", "blob", "blob",   "collection", "structure", ""};
  for (std::uint32_t kind = 0; kind < std::size(expected); ++kind) {
    SCOPED_TRACE(kind);
    EXPECT_STREQ(ApiObjectKindName(kind), expected[kind]);
  }
  EXPECT_STREQ(ApiObjectKindName(0xFFFFFFFFu), "");
}

}  // namespace
