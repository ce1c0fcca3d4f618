// Process-wide values of the SDK, set up when the library is loaded and destroyed, in reverse
// order, when it is unloaded.
#pragma once

#include <cstdint>

#include "sdk/api/BindingHttpResult.h"
#include "sdk/platform/EventTracing.h"

namespace Zarn::Client {

// The "LOC" log channel, registered at load before any other channel registration (bit 8).
[[nodiscard]] uint64_t LocChannelMask();

// The SDK's four tracing providers, in the order of their registration.
inline constexpr Platform::Guid kSdkTracingProviders[4] = {
    {0x2F9EFE86, 0x4AF7, 0x4F37, {0xA4, 0x0F, 0x94, 0xB9, 0x09, 0xA1, 0x57, 0xD6}},
    {0xEA08C559, 0x95A8, 0x4AA2, {0xAF, 0xA6, 0x18, 0x73, 0x8E, 0xEC, 0x6D, 0x37}},
    {0x10F6728C, 0xEF92, 0x4BF1, {0x83, 0x97, 0x49, 0xE6, 0x93, 0xA6, 0xEB, 0x74}},
    {0x46DD7F96, 0x60CB, 0x416B, {0x80, 0x85, 0xDA, 0x5C, 0xD8, 0xF4, 0x91, 0xDD}},
};

// The load event of the second provider: id 103, version 0, channel 0, level 0, opcode 14,
// task 2, keywords 0x1.
inline constexpr Platform::EventDescriptor kSdkLoadEvent = {103, 0, 0, 0, 14, 2, 0x1};

// The providers' registrations and what trace sessions asked of them.
class SdkTracing {
 public:
  SdkTracing() = delete;

  // Registers the four providers (each once) and writes the load event, with the calling
  // thread's identifier and "Main thread", when a session has enabled it. Runs at load; does
  // nothing without the platform's tracing.
  static void SetUp() noexcept;
  // Writes the load event when its provider has it enabled.
  static void WriteLoadEvent() noexcept;
  // Unregisters the providers in the reverse order of their registration.
  static void TearDown() noexcept;

  [[nodiscard]] static Platform::RegistrationHandle Handle(int provider) noexcept;
};

// The starting value of a call's result: the default BindingHttpResult.
extern const BindingHttpResult kEmptyCallResult;

}  // namespace Zarn::Client
