#include "sdk/platform/EventTracing.h"

#include <cwctype>
#include <mutex>
#include <new>

#include "sdk/platform/Library.h"

namespace Zarn::Platform {

struct LibraryModule {
  int unused = 0;
};

namespace {

using EventTraceStandIn::Availability;
using EventTraceStandIn::Registration;
using EventTraceStandIn::WrittenEvent;

struct TraceState {
  std::mutex lock;
  Availability availability;
  RegistrationHandle nextHandle = 1;
  std::vector<Registration> registrations;
  std::vector<WrittenEvent> writes;
};

TraceState& State() {
  static TraceState state;
  return state;
}

LibraryModule advapi;

Registration* FindActive(TraceState& state, RegistrationHandle handle) {
  for (Registration& registration : state.registrations) {
    if (registration.handle == handle && registration.active) {
      return &registration;
    }
  }
  return nullptr;
}

std::uint32_t EventRegister(const Guid* providerId, EventEnableCallback callback,
                            void* callbackContext, RegistrationHandle* handle) {
  if (providerId == nullptr || handle == nullptr) {
    return kEventErrorInvalidParameter;
  }
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  try {
    Registration registration;
    registration.handle = state.nextHandle;
    registration.provider = *providerId;
    registration.callback = callback;
    registration.context = callbackContext;
    state.registrations.push_back(registration);
  } catch (const std::bad_alloc&) {
    return kEventErrorInvalidParameter;
  }
  *handle = state.nextHandle++;
  return 0;
}

std::uint32_t EventWrite(RegistrationHandle handle, const EventDescriptor* descriptor,
                         std::uint32_t userDataCount, const EventDataDescriptor* userData) {
  if (descriptor == nullptr || (userDataCount != 0 && userData == nullptr)) {
    return kEventErrorInvalidParameter;
  }
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  if (FindActive(state, handle) == nullptr) {
    return 0;  // writing through a handle no session knows is silently nothing
  }
  try {
    WrittenEvent event;
    event.handle = handle;
    event.descriptor = *descriptor;
    for (std::uint32_t i = 0; i < userDataCount; ++i) {
      const auto* bytes =
          reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(userData[i].pointer));
      event.fields.emplace_back(bytes, bytes + userData[i].size);
    }
    state.writes.push_back(std::move(event));
  } catch (const std::bad_alloc&) {
    // A trace loses an event rather than failing the writer.
  }
  return 0;
}

std::uint32_t EventUnregister(RegistrationHandle handle) {
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  Registration* registration = FindActive(state, handle);
  if (registration == nullptr) {
    return kEventErrorInvalidParameter;
  }
  registration->active = false;
  return 0;
}

bool EqualsIgnoringCase(const wchar_t* left, const wchar_t* right) {
  for (; *left != L'\0' && *right != L'\0'; ++left, ++right) {
    if (std::towlower(static_cast<wint_t>(*left)) != std::towlower(static_cast<wint_t>(*right))) {
      return false;
    }
  }
  return *left == *right;
}

bool Equals(const char* left, const char* right) {
  for (; *left != '\0' && *left == *right; ++left, ++right) {
  }
  return *left == *right;
}

}  // namespace

LibraryModule* LoadLibraryW(const wchar_t* name) noexcept {
  if (name == nullptr || !EqualsIgnoringCase(name, L"Advapi32.dll")) {
    return nullptr;
  }
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  return state.availability.library ? &advapi : nullptr;
}

ProcAddress GetProcAddress(LibraryModule* module, const char* name) noexcept {
  if (module != &advapi || name == nullptr) {
    return nullptr;
  }
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  if (Equals(name, "EventRegister") && state.availability.eventRegister) {
    return reinterpret_cast<ProcAddress>(&EventRegister);
  }
  if (Equals(name, "EventWrite") && state.availability.eventWrite) {
    return reinterpret_cast<ProcAddress>(&EventWrite);
  }
  if (Equals(name, "EventUnregister") && state.availability.eventUnregister) {
    return reinterpret_cast<ProcAddress>(&EventUnregister);
  }
  return nullptr;
}

namespace EventTraceStandIn {

void SetAvailability(const Availability& availability) {
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  state.availability = availability;
}

void Reset() {
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  state.availability = Availability{};
  state.registrations.clear();
  state.writes.clear();
}

std::vector<Registration> Registrations() {
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  return state.registrations;
}

std::vector<WrittenEvent> Writes() {
  TraceState& state = State();
  std::lock_guard<std::mutex> hold(state.lock);
  return state.writes;
}

bool CallEnableCallback(RegistrationHandle handle, std::uint32_t controlCode, std::uint8_t level,
                        std::uint64_t matchAnyKeyword, std::uint64_t matchAllKeyword) {
  Registration registration;
  {
    TraceState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    const Registration* found = FindActive(state, handle);
    if (found == nullptr) {
      return false;
    }
    registration = *found;
  }
  // Outside the lock: a provider may write events from its callback.
  if (registration.callback != nullptr) {
    registration.callback(&registration.provider, controlCode, level, matchAnyKeyword,
                          matchAllKeyword, nullptr, registration.context);
  }
  return true;
}

}  // namespace EventTraceStandIn

}  // namespace Zarn::Platform
