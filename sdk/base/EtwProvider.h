// Event-tracing providers: registration through the platform's tracing functions, looked up at
// run time, the enable rule that decides which events a trace session wants, and writing an
// event of a thread identifier and a text. Tracing is optional: without the library or one of
// its functions, the operation that needs it does nothing.
#pragma once

#include <cstdint>

#include "sdk/platform/EventTracing.h"

namespace Zarn {

// What a provider knows of one of its events.
struct EtwEventState {
  std::uint8_t level = 0;
  std::uint64_t keywords = 0;
  bool enabled = false;  // set by the enable rule
};

// One provider's registration and what the trace sessions asked of it. The enable callback
// writes it and writers read it, without a lock, as the platform's provider model does.
struct EtwProviderContext {
  Platform::RegistrationHandle handle = 0;
  std::uint8_t level = 0;
  std::uint64_t matchAnyKeyword = 0;
  std::uint64_t matchAllKeyword = 0;
  bool enabled = false;
  std::uint32_t eventCount = 0;
  EtwEventState* events = nullptr;  // `eventCount` entries, owned by the provider's owner
};

class EtwProvider {
 public:
  EtwProvider() = delete;

  // Loads "Advapi32.dll" and looks up "EventRegister", "EventWrite" and "EventUnregister" for
  // the operations below. Returns false, keeping the functions looked up before, when the
  // library does not load; a function it lacks makes its operation a no-op.
  static bool LoadFunctions() noexcept;

  // Registers `providerId` with `callback` and `context` (passed back to the callback) into
  // `*handle`. Does nothing when `*handle` is already set or registration is unavailable.
  // Returns the platform's status (0 when nothing was done).
  static std::uint32_t Register(const Platform::Guid& providerId,
                                Platform::EventEnableCallback callback, EtwProviderContext* context,
                                Platform::RegistrationHandle* handle) noexcept;

  // Unregisters `*handle` and clears it; nothing when it is 0.
  static void Unregister(Platform::RegistrationHandle* handle) noexcept;

  // Writes one event of two fields: the 32-bit `threadId` and `text` with its terminator; a
  // null text is written as "NULL".
  static void WriteString(Platform::RegistrationHandle handle,
                          const Platform::EventDescriptor& descriptor, std::uint32_t threadId,
                          const char* text) noexcept;

  // The enable callback handed to the platform; `callbackContext` is the provider's
  // EtwProviderContext. Disabling clears the context; enabling stores the request and decides
  // per event: enabled when (the requested level is 0 or the event's level is at most it) and
  // (the event has no keywords, or they meet the match-any mask and contain the match-all
  // mask). Other control codes change nothing.
  static void EnableCallback(const Platform::Guid* sourceId, std::uint32_t controlCode,
                             std::uint8_t level, std::uint64_t matchAnyKeyword,
                             std::uint64_t matchAllKeyword, const void* filterData,
                             void* callbackContext);

  // Whether event `index` of `context` is enabled; false for an index it does not have.
  [[nodiscard]] static bool IsEventEnabled(const EtwProviderContext& context,
                                           std::uint32_t index) noexcept;
};

}  // namespace Zarn
