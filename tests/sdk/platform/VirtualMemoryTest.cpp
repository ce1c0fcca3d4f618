#include "sdk/platform/VirtualMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

using Zarn::Platform::kAllocationGranularity;
using Zarn::Platform::ReleaseReservation;
using Zarn::Platform::ReserveAndCommit;

TEST(VirtualMemoryTest, ReservationIsZeroedWritableAndPageAligned) {
  for (std::size_t units : {1u, 3u}) {
    SCOPED_TRACE(units);
    const std::size_t size = units * kAllocationGranularity;
    auto* base = static_cast<unsigned char*>(ReserveAndCommit(size));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(base) % 4096, 0u);
    EXPECT_EQ(base[0], 0);
    EXPECT_EQ(base[size - 1], 0);
    std::memset(base, 0x5A, size);
    ReleaseReservation(base, size);
  }
  ReleaseReservation(nullptr, kAllocationGranularity);
}

TEST(VirtualMemoryTest, RefusalIsNullNotMapFailed) {
  const std::size_t refused[] = {
      0, 4096, kAllocationGranularity + 1,
      (static_cast<std::size_t>(-1) / kAllocationGranularity) * kAllocationGranularity};
  for (std::size_t size : refused) {
    SCOPED_TRACE(size);
    EXPECT_EQ(ReserveAndCommit(size), nullptr);
  }
}

}  // namespace
