#include "sdk/platform/CrtMemory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

TEST(CrtMemoryTest, BlockSizeCoversTheRequestAndNullIsZero) {
  EXPECT_EQ(Zarn::Platform::BlockSize(nullptr), 0u);
  for (std::size_t request : {1u, 7u, 64u, 1000u, 100000u}) {
    void* block = std::malloc(request);
    ASSERT_NE(block, nullptr);
    EXPECT_GE(Zarn::Platform::BlockSize(block), request) << request;
    std::free(block);
  }
}

TEST(CrtMemoryTest, ReallocateToZeroReleasesAndDuplicateCopiesTheTerminator) {
  void* block = Zarn::Platform::Reallocate(nullptr, 32);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(Zarn::Platform::Reallocate(block, 0), nullptr);  // released; the sanitizer sees leaks

  for (const char* text : {"", "x", "a longer text"}) {
    char* copy = Zarn::Platform::DuplicateString(text);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, text);
    EXPECT_STREQ(copy, text);
    std::free(copy);
  }
  EXPECT_EQ(Zarn::Platform::DuplicateString(nullptr), nullptr);
}

}  // namespace
