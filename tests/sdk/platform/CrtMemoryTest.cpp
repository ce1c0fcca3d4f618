#include "sdk/platform/CrtMemory.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

}  // namespace
