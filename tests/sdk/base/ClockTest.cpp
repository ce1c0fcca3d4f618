#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "sdk/base/ByteOrder.h"
#include "sdk/base/LocalTime.h"
#include "sdk/base/PerfCounter.h"
#include "sdk/base/SmallString.h"
#include "sdk/platform/PerformanceCounter.h"
#include "tests/sdk/platform/WallClockTesting.h"

namespace Zarn {
namespace {

// Nothing else in this executable reads the process clock, so this sees its first reading.
TEST(PerfCounterTest, StartsNearZeroAndNeverDecreases) {
  const double first = PerfCounter::Now();
  EXPECT_GE(first, 0.0);
  EXPECT_LT(first, 0.05);
  EXPECT_EQ(PerfCounter::Frequency(), Platform::QueryPerformanceFrequency());
  double previous = first;
  for (int i = 0; i < 10000; ++i) {
    const double now = PerfCounter::Now();
    ASSERT_GE(now, previous);
    previous = now;
  }
  const std::int64_t start = Platform::QueryPerformanceCounter();
  while (Platform::QueryPerformanceCounter() - start < PerfCounter::Frequency() / 50) {
  }
  EXPECT_GE(PerfCounter::Now() - previous, 0.02);
}

TEST(LocalTimeTest, FieldsMatchTheCalendarTime) {
  LogTime fields{};
  std::tm expected{};
  std::time_t before = 0;
  // Retry across a second boundary so both readings name the same second. Read on the precise
  // clock the wall clock reads: std::time's coarse clock lags it by a tick near a boundary.
  const auto now = [] {
    timespec time{};
    clock_gettime(CLOCK_REALTIME, &time);
    return time.tv_sec;
  };
  for (int attempt = 0; attempt < 3; ++attempt) {
    before = now();
    GetLocalTime(&fields);
    if (now() == before) break;
  }
  localtime_r(&before, &expected);
  EXPECT_EQ(fields.year, expected.tm_year + 1900);
  EXPECT_EQ(fields.month, expected.tm_mon + 1);
  EXPECT_EQ(fields.day, expected.tm_mday);
  EXPECT_EQ(fields.hour, expected.tm_hour);
  EXPECT_EQ(fields.minute, expected.tm_min);
  EXPECT_EQ(fields.second, expected.tm_sec);
  EXPECT_GE(fields.milliseconds, 0);
  EXPECT_LE(fields.milliseconds, 999);
}

int64_t ReadInstant(void* context) { return *static_cast<int64_t*>(context); }

// Local times are taken on the wall clock, so a replaced source decides them (here in UTC).
TEST(LocalTimeTest, LocalTimesFollowTheWallClock) {
  const char* zone = std::getenv("TZ");
  const std::string previousZone = zone != nullptr ? zone : "";
  setenv("TZ", "UTC", 1);
  tzset();
  struct Case {
    int64_t nanoseconds;  // since 1970 UTC
    const char* text;
    uint16_t milliseconds;
  };
  const Case cases[] = {
      {1'767'225'605'250'000'000, "2026-01-01 00:00:05", 250},
      {0, "1970-01-01 00:00:00", 0},
      {-1'000'000, "1969-12-31 23:59:59", 999},  // before 1970: rounded down, never negative
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int64_t instant = c.nanoseconds;
    Platform::ScopedWallClockSource source(&ReadInstant, &instant);
    SmallString text;
    FormatLocalTime("%Y-%m-%d %H:%M:%S", &text);
    EXPECT_STREQ(text.Data(), c.text);
    LogTime fields{};
    GetLocalTime(&fields);
    EXPECT_EQ(fields.milliseconds, c.milliseconds);
  }
  if (zone != nullptr) {
    setenv("TZ", previousZone.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(LocalTimeTest, FormatsByPatternAndGivesEmptyTextWhenItDoesNotFit) {
  SmallString text;
  FormatLocalTime("%Y", &text);
  const std::time_t now = std::time(nullptr);
  std::tm fields{};
  localtime_r(&now, &fields);
  EXPECT_EQ(std::string(text.Data()), std::to_string(fields.tm_year + 1900));

  FormatLocalTime("%Y-%m-%d %H:%M:%S", &text);
  EXPECT_EQ(text.Length(), 19u);

  // 255 characters fit the 256-byte buffer (on the heap past the inline capacity).
  const std::string fits(255, 'x');
  FormatLocalTime(fits.c_str(), &text);
  EXPECT_EQ(std::string(text.Data()), fits);

  // One more does not: the result is empty, not whatever the buffer held.
  const std::string tooLong(256, 'y');
  FormatLocalTime(tooLong.c_str(), &text);
  EXPECT_EQ(text.Length(), 0u);
  EXPECT_STREQ(text.Data(), "");

  FormatLocalTime("%Y", &text);
  FormatLocalTime(nullptr, &text);
  EXPECT_STREQ(text.Data(), "");
}

TEST(ByteOrderTest, ReversesTheBytes) {
  static_assert(ByteSwap16(0x0102) == 0x0201);
  EXPECT_EQ(ByteSwap16(0xA1B2), 0xB2A1);
  EXPECT_EQ(ByteSwap16(0x00FF), 0xFF00);
  EXPECT_EQ(ByteSwap32(0x01020304u), 0x04030201u);
  EXPECT_EQ(ByteSwap32(0xFF000000u), 0x000000FFu);
  EXPECT_EQ(ByteSwap64(0x0102030405060708ull), 0x0807060504030201ull);
  EXPECT_EQ(ByteSwap64(0x00000000000000FFull), 0xFF00000000000000ull);
  for (std::uint64_t value : {0ull, 1ull, 0x8000000000000001ull, 0x123456789ABCDEF0ull}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ByteSwap64(ByteSwap64(value)), value);
    EXPECT_EQ(ByteSwap32(ByteSwap32(static_cast<std::uint32_t>(value))),
              static_cast<std::uint32_t>(value));
    const std::uint64_t swapped = ByteSwap64(value);
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ((value >> (8 * i)) & 0xFF, (swapped >> (8 * (7 - i))) & 0xFF) << i;
    }
  }
}

}  // namespace
}  // namespace Zarn
