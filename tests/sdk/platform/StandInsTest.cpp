#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sdk/platform/CriticalSection.h"
#include "sdk/platform/DebugOutput.h"
#include "sdk/platform/EventTracing.h"
#include "sdk/platform/Library.h"
#include "sdk/platform/LocalTime.h"
#include "sdk/platform/ModuleFileName.h"
#include "sdk/platform/PerformanceCounter.h"
#include "sdk/platform/ThreadId.h"

namespace Zarn::Platform {
namespace {

TEST(CriticalSectionTest, OwnerMayReenterAndOthersWaitForTheLastLeave) {
  CriticalSection section;
  std::atomic<bool> otherEntered{false};
  section.Enter();
  section.Enter();
  std::thread other([&] {
    CriticalSectionGuard hold(section);
    otherEntered.store(true);
  });
  section.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(otherEntered.load()) << "entered while the owner still held one level";
  section.Leave();
  other.join();
  EXPECT_TRUE(otherEntered.load());
}

TEST(ModuleFileNameTest, NamesTheRunningExecutable) {
  char path[1024];
  const std::uint32_t length = GetModuleFileNameA(nullptr, path, sizeof(path));
  ASSERT_GT(length, 0u);
  EXPECT_EQ(length, std::strlen(path));
  EXPECT_EQ(path[0], '/');
  EXPECT_STREQ(PathBaseName(path), "test_sdk_platform");

  // Cut to the buffer, terminated, and the size returned.
  char small[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof(small)), 5u);
  EXPECT_EQ(std::string(small), std::string(path, 4));
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
  int other = 0;
  EXPECT_EQ(GetModuleFileNameA(&other, path, sizeof(path)), 0u);
}

TEST(ModuleFileNameTest, BaseNameFollowsEitherSeparator) {
  struct Case {
    const char* path;
    const char* base;
  };
  const Case cases[] = {
      {"C:\\Games\\Client\\client.exe", "client.exe"},
      {"/opt/client/bin/client", "client"},
      {"C:/mixed\\dir/file.dll", "file.dll"},
      {"bare", "bare"},
      {"dir/", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_STREQ(PathBaseName(c.path), c.base);
  }
}

TEST(ThreadIdTest, DiffersBetweenLiveThreadsAndIsStable) {
  const std::uint32_t mine = GetCurrentThreadId();
  EXPECT_EQ(GetCurrentThreadId(), mine);
  std::uint32_t theirs = mine;
  std::thread other([&] { theirs = GetCurrentThreadId(); });
  other.join();
  EXPECT_NE(theirs, mine);
}

TEST(DebugOutputTest, TextGoesToTheInstalledSinkOnly) {
  std::vector<std::string> seen;
  auto collect = [](const char* text, void* context) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(text);
  };
  OutputDebugStringA("before any sink");
  SetDebugOutputSink(collect, &seen);
  OutputDebugStringA("first\n");
  OutputDebugStringA(nullptr);
  OutputDebugStringA("second");
  SetDebugOutputSink(nullptr, nullptr);
  OutputDebugStringA("after");
  EXPECT_THAT(seen, testing::ElementsAre("first\n", "second"));
}

TEST(ClockStandInsTest, CounterIsMonotonicAndLocalTimeIsPlausible) {
  EXPECT_EQ(QueryPerformanceFrequency(), 1000000000);
  std::int64_t previous = QueryPerformanceCounter();
  for (int i = 0; i < 1000; ++i) {
    const std::int64_t now = QueryPerformanceCounter();
    ASSERT_GE(now, previous);
    previous = now;
  }
  SystemTime time;
  GetLocalTime(&time);
  EXPECT_GE(time.year, 2024);
  EXPECT_GE(time.month, 1);
  EXPECT_LE(time.month, 12);
  EXPECT_GE(time.day, 1);
  EXPECT_LE(time.day, 31);
  EXPECT_LE(time.hour, 23);
  EXPECT_LE(time.dayOfWeek, 6);
  EXPECT_LE(time.milliseconds, 999);
}

TEST(LibraryTest, OnlyTheTracingLibraryAndItsFunctionsAreKnown) {
  EventTraceStandIn::Reset();
  LibraryModule* advapi = LoadLibraryW(L"Advapi32.dll");
  ASSERT_NE(advapi, nullptr);
  EXPECT_EQ(LoadLibraryW(L"ADVAPI32.DLL"), advapi);
  EXPECT_EQ(LoadLibraryW(L"kernel32.dll"), nullptr);
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  for (const char* name : {"EventRegister", "EventWrite", "EventUnregister"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(GetProcAddress(advapi, name), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, name), nullptr);
  }
  EXPECT_EQ(GetProcAddress(advapi, "EventRegisterX"), nullptr);
  EXPECT_EQ(GetProcAddress(advapi, "Event"), nullptr);
  EXPECT_EQ(GetProcAddress(advapi, nullptr), nullptr);

  EventTraceStandIn::SetAvailability({false, true, true, true});
  EXPECT_EQ(LoadLibraryW(L"Advapi32.dll"), nullptr);
  EventTraceStandIn::SetAvailability({true, true, false, true});
  EXPECT_EQ(GetProcAddress(advapi, "EventWrite"), nullptr);
  EXPECT_NE(GetProcAddress(advapi, "EventRegister"), nullptr);
  EventTraceStandIn::Reset();
}

TEST(EventTracingTest, RecordsRegistrationsWritesAndCallsBack) {
  EventTraceStandIn::Reset();
  LibraryModule* advapi = LoadLibraryW(L"Advapi32.dll");
  auto eventRegister =
      reinterpret_cast<EventRegisterFunction>(GetProcAddress(advapi, "EventRegister"));
  auto eventWrite = reinterpret_cast<EventWriteFunction>(GetProcAddress(advapi, "EventWrite"));
  auto eventUnregister =
      reinterpret_cast<EventUnregisterFunction>(GetProcAddress(advapi, "EventUnregister"));

  struct Seen {
    std::uint32_t code = 99;
    std::uint8_t level = 0;
    std::uint64_t any = 0;
    std::uint64_t all = 0;
  } seen;
  auto callback = [](const Guid*, std::uint32_t code, std::uint8_t level, std::uint64_t any,
                     std::uint64_t all, const void*, void* context) {
    *static_cast<Seen*>(context) = {code, level, any, all};
  };
  const Guid provider{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  RegistrationHandle first = 0;
  RegistrationHandle second = 0;
  ASSERT_EQ(eventRegister(&provider, callback, &seen, &first), 0u);
  ASSERT_EQ(eventRegister(&provider, callback, &seen, &second), 0u);
  EXPECT_NE(first, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(eventRegister(nullptr, callback, &seen, &first), kEventErrorInvalidParameter);

  EXPECT_TRUE(EventTraceStandIn::CallEnableCallback(first, kEventControlEnable, 4, 0xF0, 0x10));
  EXPECT_EQ(seen.code, kEventControlEnable);
  EXPECT_EQ(seen.level, 4);
  EXPECT_EQ(seen.any, 0xF0u);
  EXPECT_EQ(seen.all, 0x10u);

  const std::uint16_t value = 0xBEEF;
  const EventDataDescriptor field{reinterpret_cast<std::uintptr_t>(&value), 2, 0};
  EventDescriptor descriptor;
  descriptor.id = 5;
  EXPECT_EQ(eventWrite(first, &descriptor, 1, &field), 0u);
  EXPECT_EQ(eventUnregister(first), 0u);
  EXPECT_EQ(eventUnregister(first), kEventErrorInvalidParameter);
  EXPECT_EQ(eventWrite(first, &descriptor, 1, &field), 0u);  // dropped: no longer registered
  EXPECT_FALSE(EventTraceStandIn::CallEnableCallback(first, kEventControlDisable, 0, 0, 0));

  const auto writes = EventTraceStandIn::Writes();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].descriptor.id, 5);
  ASSERT_EQ(writes[0].fields.size(), 1u);
  EXPECT_THAT(writes[0].fields[0], testing::ElementsAre(0xEF, 0xBE));
  const auto registrations = EventTraceStandIn::Registrations();
  ASSERT_EQ(registrations.size(), 2u);
  EXPECT_FALSE(registrations[0].active);
  EXPECT_TRUE(registrations[1].active);
  EXPECT_EQ(registrations[1].provider, provider);
  EventTraceStandIn::Reset();
}

}  // namespace
}  // namespace Zarn::Platform
