#include "sdk/base/EtwProvider.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Zarn {
namespace {

using Platform::EventTraceStandIn::Availability;
namespace StandIn = Platform::EventTraceStandIn;

constexpr Platform::Guid kProvider{
    0xEA08C559, 0x95A8, 0x4AA2, {0xAF, 0xA6, 0x18, 0x73, 0x8E, 0xEC, 0x6D, 0x37}};

class EtwProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StandIn::Reset();
    ASSERT_TRUE(EtwProvider::LoadFunctions());
  }
  void TearDown() override {
    EtwProvider::Unregister(&context.handle);
    StandIn::Reset();
    ASSERT_TRUE(EtwProvider::LoadFunctions());
  }

  void RegisterProvider() {
    ASSERT_EQ(
        EtwProvider::Register(kProvider, &EtwProvider::EnableCallback, &context, &context.handle),
        0u);
    ASSERT_NE(context.handle, 0u);
  }

  EtwEventState events[3];
  EtwProviderContext context{0, 0, 0, 0, false, 3, events};
};

TEST_F(EtwProviderTest, RegistersOnceAndUnregistersByHandle) {
  RegisterProvider();
  const Platform::RegistrationHandle handle = context.handle;
  // Registering again with the handle set does nothing.
  EXPECT_EQ(
      EtwProvider::Register(kProvider, &EtwProvider::EnableCallback, &context, &context.handle),
      0u);
  EXPECT_EQ(context.handle, handle);
  const auto registrations = StandIn::Registrations();
  ASSERT_EQ(registrations.size(), 1u);
  EXPECT_EQ(registrations[0].provider, kProvider);
  EXPECT_EQ(registrations[0].context, &context);

  EtwProvider::Unregister(&context.handle);
  EXPECT_EQ(context.handle, 0u);
  EXPECT_FALSE(StandIn::Registrations()[0].active);
  EtwProvider::Unregister(&context.handle);  // nothing to do
}

TEST_F(EtwProviderTest, EnableCallbackAppliesTheEnableRulePerEvent) {
  // Event 0: level 0, keyword 0x1 (like the load event); event 1: level 4, keywords 0x6;
  // event 2: level 2, no keywords.
  events[0] = {0, 0x1, false};
  events[1] = {4, 0x6, false};
  events[2] = {2, 0x0, false};
  RegisterProvider();

  struct Case {
    const char* label;
    std::uint8_t level;
    std::uint64_t any;
    std::uint64_t all;
    bool expected[3];
  };
  const Case cases[] = {
      {"level 0 takes every level", 0, ~0ull, 0, {true, true, true}},
      {"level 3 leaves out level 4", 3, ~0ull, 0, {true, false, true}},
      {"level 1 leaves out 2 and 4", 1, ~0ull, 0, {true, false, false}},
      {"keywords without bit 0", 0, 0x2, 0, {false, true, true}},
      {"no match-any keywords", 0, 0, 0, {false, false, true}},
      {"match-all must be contained", 0, ~0ull, 0x3, {false, false, true}},
      {"match-all inside the event's keywords", 5, 0x4, 0x6, {false, true, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_TRUE(StandIn::CallEnableCallback(context.handle, Platform::kEventControlEnable, c.level,
                                            c.any, c.all));
    EXPECT_TRUE(context.enabled);
    EXPECT_EQ(context.level, c.level);
    EXPECT_EQ(context.matchAnyKeyword, c.any);
    EXPECT_EQ(context.matchAllKeyword, c.all);
    for (std::uint32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(EtwProvider::IsEventEnabled(context, i), c.expected[i]) << "event " << i;
    }
  }
  EXPECT_FALSE(EtwProvider::IsEventEnabled(context, 3));

  // Capture-state changes nothing; disabling clears everything.
  ASSERT_TRUE(
      StandIn::CallEnableCallback(context.handle, Platform::kEventControlCaptureState, 9, 0, 0));
  EXPECT_TRUE(context.enabled);
  EXPECT_EQ(context.level, 5);
  ASSERT_TRUE(
      StandIn::CallEnableCallback(context.handle, Platform::kEventControlDisable, 9, ~0ull, ~0ull));
  EXPECT_FALSE(context.enabled);
  EXPECT_EQ(context.level, 0);
  EXPECT_EQ(context.matchAnyKeyword, 0u);
  EXPECT_EQ(context.matchAllKeyword, 0u);
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_FALSE(EtwProvider::IsEventEnabled(context, i));
}

TEST_F(EtwProviderTest, WriteStringSendsTheThreadAndTheTerminatedText) {
  RegisterProvider();
  Platform::EventDescriptor descriptor;
  descriptor.id = 103;
  descriptor.opcode = 14;
  descriptor.task = 2;
  descriptor.keyword = 0x1;
  EtwProvider::WriteString(context.handle, descriptor, 0x01020304u, "Main thread");
  EtwProvider::WriteString(context.handle, descriptor, 7, nullptr);
  EtwProvider::WriteString(context.handle, descriptor, 8, "");

  const auto writes = StandIn::Writes();
  ASSERT_EQ(writes.size(), 3u);
  struct Expected {
    std::uint32_t thread;
    std::string text;  // with its terminator
  };
  const Expected expected[] = {{0x01020304u, std::string("Main thread", 12)},
                               {7, std::string("NULL", 5)},
                               {8, std::string("", 1)}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(writes[i].handle, context.handle);
    EXPECT_EQ(writes[i].descriptor.id, 103);
    EXPECT_EQ(writes[i].descriptor.opcode, 14);
    EXPECT_EQ(writes[i].descriptor.task, 2);
    EXPECT_EQ(writes[i].descriptor.keyword, 0x1u);
    ASSERT_EQ(writes[i].fields.size(), 2u);
    ASSERT_EQ(writes[i].fields[0].size(), 4u);
    std::uint32_t thread = 0;
    std::memcpy(&thread, writes[i].fields[0].data(), 4);
    EXPECT_EQ(thread, expected[i].thread);
    EXPECT_EQ(std::string(writes[i].fields[1].begin(), writes[i].fields[1].end()),
              expected[i].text);
  }
}

TEST_F(EtwProviderTest, MissingFunctionsMakeTheirOperationsNoOps) {
  struct Case {
    const char* label;
    Availability availability;
    bool loads, registers, writes, unregisters;
  };
  const Case cases[] = {
      {"everything", {true, true, true, true}, true, true, true, true},
      {"no EventRegister", {true, false, true, true}, true, false, false, false},
      {"no EventWrite", {true, true, false, true}, true, true, false, true},
      {"no EventUnregister", {true, true, true, false}, true, true, true, false},
  };
  Platform::EventDescriptor descriptor;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    StandIn::Reset();
    StandIn::SetAvailability(c.availability);
    EXPECT_EQ(EtwProvider::LoadFunctions(), c.loads);
    context.handle = 0;
    EtwProvider::Register(kProvider, &EtwProvider::EnableCallback, &context, &context.handle);
    EXPECT_EQ(context.handle != 0, c.registers);
    EtwProvider::WriteString(context.handle, descriptor, 1, "text");
    EXPECT_EQ(StandIn::Writes().size(), c.writes ? 1u : 0u);
    EtwProvider::Unregister(&context.handle);
    EXPECT_EQ(context.handle, 0u);  // cleared whether or not the platform was told
    const auto registrations = StandIn::Registrations();
    EXPECT_EQ(!registrations.empty() && !registrations[0].active, c.unregisters);
  }

  // Without the library nothing is looked up; what was looked up before stays in use.
  StandIn::Reset();
  StandIn::SetAvailability({false, true, true, true});
  EXPECT_FALSE(EtwProvider::LoadFunctions());
}

}  // namespace
}  // namespace Zarn
