// Linux stand-in for the platform's event tracing. There is no trace session here: the stand-in
// records each provider registration and each written event, and lets a test play the part of
// a trace session by calling a provider's enable callback. The three functions are reached the
// way a plugin reaches them, through LoadLibraryW("Advapi32.dll") and GetProcAddress.
#pragma once

#include <cstdint>
#include <vector>

namespace Zarn::Platform {

// A 128-bit provider identifier.
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::uint8_t data4[8] = {};

  friend bool operator==(const Guid&, const Guid&) = default;
};

// What describes one kind of event of a provider.
struct EventDescriptor {
  std::uint16_t id = 0;
  std::uint8_t version = 0;
  std::uint8_t channel = 0;
  std::uint8_t level = 0;
  std::uint8_t opcode = 0;
  std::uint16_t task = 0;
  std::uint64_t keyword = 0;
};

// One field of a written event: `size` bytes at the address `pointer`.
struct EventDataDescriptor {
  std::uint64_t pointer = 0;
  std::uint32_t size = 0;
  std::uint32_t reserved = 0;
};

using RegistrationHandle = std::uint64_t;

// Control codes passed to an enable callback.
inline constexpr std::uint32_t kEventControlDisable = 0;
inline constexpr std::uint32_t kEventControlEnable = 1;
inline constexpr std::uint32_t kEventControlCaptureState = 2;

// Called when a trace session enables or disables a provider. `filterData` is always null here.
using EventEnableCallback = void (*)(const Guid* sourceId, std::uint32_t controlCode,
                                     std::uint8_t level, std::uint64_t matchAnyKeyword,
                                     std::uint64_t matchAllKeyword, const void* filterData,
                                     void* callbackContext);

// The three exports of "Advapi32.dll". Each returns 0 on success, 87 for an invalid argument.
using EventRegisterFunction = std::uint32_t (*)(const Guid* providerId,
                                                EventEnableCallback callback, void* callbackContext,
                                                RegistrationHandle* handle);
using EventWriteFunction = std::uint32_t (*)(RegistrationHandle handle,
                                             const EventDescriptor* descriptor,
                                             std::uint32_t userDataCount,
                                             const EventDataDescriptor* userData);
using EventUnregisterFunction = std::uint32_t (*)(RegistrationHandle handle);

inline constexpr std::uint32_t kEventErrorInvalidParameter = 87;

// Inspection and control of the stand-in, for tests.
namespace EventTraceStandIn {

struct Registration {
  RegistrationHandle handle = 0;
  Guid provider;
  EventEnableCallback callback = nullptr;
  void* context = nullptr;
  bool active = true;  // false once unregistered
};

// One event written through an active registration, with a copy of each field's bytes.
struct WrittenEvent {
  RegistrationHandle handle = 0;
  EventDescriptor descriptor;
  std::vector<std::vector<std::uint8_t>> fields;
};

// Which parts of the platform exist; all of them by default.
struct Availability {
  bool library = true;
  bool eventRegister = true;
  bool eventWrite = true;
  bool eventUnregister = true;
};

void SetAvailability(const Availability& availability);

// Forgets every registration and written event and restores full availability.
void Reset();

[[nodiscard]] std::vector<Registration> Registrations();
[[nodiscard]] std::vector<WrittenEvent> Writes();

// Calls the enable callback of the active registration `handle` as a trace session would.
// Returns false when there is no such registration.
bool CallEnableCallback(RegistrationHandle handle, std::uint32_t controlCode, std::uint8_t level,
                        std::uint64_t matchAnyKeyword, std::uint64_t matchAllKeyword);

}  // namespace EventTraceStandIn

}  // namespace Zarn::Platform
