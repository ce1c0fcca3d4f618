#include "sdk/runtime/SdkStaticData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sdk/base/LogChannels.h"
#include "sdk/platform/ThreadId.h"

namespace Zarn::Client {
namespace {

namespace Trace = Platform::EventTraceStandIn;

TEST(SdkStaticDataTest, LocTakesTheFirstFreeChannel) {
  EXPECT_EQ(LocChannelMask(), uint64_t{1} << 8);
  uint64_t again = 0;
  RegisterChannel(&again, "LOC");
  EXPECT_EQ(again, LocChannelMask());
}

TEST(SdkStaticDataTest, TheFourProvidersAreRegisteredAtLoadInOrder) {
  const auto registrations = Trace::Registrations();
  ASSERT_GE(registrations.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(registrations[i].provider, kSdkTracingProviders[i]);
    EXPECT_TRUE(registrations[i].active);
    EXPECT_EQ(registrations[i].handle, SdkTracing::Handle(i));
  }
  // Nothing enabled the load event at load.
  EXPECT_TRUE(Trace::Writes().empty());
}

TEST(SdkStaticDataTest, TheLoadEventGoesOnlyToSessionsThatAskForItsKeyword) {
  const Platform::RegistrationHandle handle = SdkTracing::Handle(1);
  struct Case {
    uint8_t level;
    uint64_t any;
    uint64_t all;
    bool written;
  };
  const Case cases[] = {
      {0, 0x2, 0, false},
      {0, 0x1, 0x2, false},
      {5, 0x3, 0x1, true},
      {0, 0x1, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.any) + "/" + std::to_string(c.all));
    ASSERT_TRUE(
        Trace::CallEnableCallback(handle, Platform::kEventControlEnable, c.level, c.any, c.all));
    const std::size_t before = Trace::Writes().size();
    SdkTracing::WriteLoadEvent();
    const auto writes = Trace::Writes();
    ASSERT_EQ(writes.size(), before + (c.written ? 1 : 0));
    if (!c.written) continue;
    const Trace::WrittenEvent& event = writes.back();
    EXPECT_EQ(event.handle, handle);
    EXPECT_EQ(event.descriptor.id, 103);
    EXPECT_EQ(event.descriptor.opcode, 14);
    EXPECT_EQ(event.descriptor.task, 2);
    EXPECT_EQ(event.descriptor.keyword, 0x1u);
    ASSERT_EQ(event.fields.size(), 2u);
    uint32_t thread = 0;
    ASSERT_EQ(event.fields[0].size(), sizeof thread);
    std::memcpy(&thread, event.fields[0].data(), sizeof thread);
    EXPECT_EQ(thread, Platform::GetCurrentThreadId());
    const std::string text(event.fields[1].begin(), event.fields[1].end());
    EXPECT_EQ(text, std::string("Main thread", 12));
  }
  ASSERT_TRUE(Trace::CallEnableCallback(handle, Platform::kEventControlDisable, 0, 0, 0));
}

TEST(SdkStaticDataTest, WithoutThePlatformsTracingNothingIsRegisteredOrWritten) {
  Trace::Reset();
  Trace::SetAvailability({false, true, true, true});
  for (int i = 0; i < 4; ++i) SdkTracing::TearDown();
  SdkTracing::SetUp();
  EXPECT_TRUE(Trace::Registrations().empty());
  EXPECT_TRUE(Trace::Writes().empty());
  Trace::Reset();
}

TEST(SdkStaticDataTest, TheEmptyCallResultIsADefaultSuccess) {
  EXPECT_TRUE(kEmptyCallResult.Result().IsOk());
  EXPECT_TRUE(kEmptyCallResult.Result().Value().IsEmpty());
  EXPECT_EQ(kEmptyCallResult.Flag(), 0);
  EXPECT_EQ(kEmptyCallResult.Kind(), 0u);
  EXPECT_EQ(kEmptyCallResult.StatusPart().status, 0);
  EXPECT_TRUE(kEmptyCallResult.StatusPart().statusText.empty());
  EXPECT_TRUE(kEmptyCallResult.StatusPart().headers.empty());
  EXPECT_EQ(kEmptyCallResult.Stream(), nullptr);
  const BindingHttpResult copy = kEmptyCallResult;
  EXPECT_TRUE(copy.Result().IsOk());
}

}  // namespace
}  // namespace Zarn::Client
