#include "sdk/base/EtwProvider.h"

#include <atomic>
#include <cstring>

#include "sdk/platform/Library.h"

namespace Zarn {

namespace {

std::atomic<Platform::EventRegisterFunction> eventRegister{nullptr};
std::atomic<Platform::EventWriteFunction> eventWrite{nullptr};
std::atomic<Platform::EventUnregisterFunction> eventUnregister{nullptr};

template <typename Function>
Function Lookup(Platform::LibraryModule* library, const char* name) {
  return reinterpret_cast<Function>(Platform::GetProcAddress(library, name));
}

Platform::EventDataDescriptor Field(const void* data, std::uint32_t size) {
  Platform::EventDataDescriptor field;
  field.pointer = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(data));
  field.size = size;
  return field;
}

}  // namespace

bool EtwProvider::LoadFunctions() noexcept {
  Platform::LibraryModule* library = Platform::LoadLibraryW(L"Advapi32.dll");
  if (library == nullptr) {
    return false;
  }
  eventRegister.store(Lookup<Platform::EventRegisterFunction>(library, "EventRegister"));
  eventWrite.store(Lookup<Platform::EventWriteFunction>(library, "EventWrite"));
  eventUnregister.store(Lookup<Platform::EventUnregisterFunction>(library, "EventUnregister"));
  return true;
}

std::uint32_t EtwProvider::Register(const Platform::Guid& providerId,
                                    Platform::EventEnableCallback callback,
                                    EtwProviderContext* context,
                                    Platform::RegistrationHandle* handle) noexcept {
  const Platform::EventRegisterFunction function = eventRegister.load();
  if (handle == nullptr || *handle != 0 || function == nullptr) {
    return 0;
  }
  return function(&providerId, callback, context, handle);
}

void EtwProvider::Unregister(Platform::RegistrationHandle* handle) noexcept {
  if (handle == nullptr || *handle == 0) {
    return;
  }
  if (const Platform::EventUnregisterFunction function = eventUnregister.load()) {
    static_cast<void>(function(*handle));
  }
  *handle = 0;
}

void EtwProvider::WriteString(Platform::RegistrationHandle handle,
                              const Platform::EventDescriptor& descriptor, std::uint32_t threadId,
                              const char* text) noexcept {
  const Platform::EventWriteFunction function = eventWrite.load();
  if (function == nullptr) {
    return;
  }
  if (text == nullptr) {
    text = "NULL";
  }
  const Platform::EventDataDescriptor fields[2] = {
      Field(&threadId, sizeof(threadId)),
      Field(text, static_cast<std::uint32_t>(std::strlen(text) + 1)),
  };
  static_cast<void>(function(handle, &descriptor, 2, fields));
}

void EtwProvider::EnableCallback(const Platform::Guid*, std::uint32_t controlCode,
                                 std::uint8_t level, std::uint64_t matchAnyKeyword,
                                 std::uint64_t matchAllKeyword, const void*,
                                 void* callbackContext) {
  auto* context = static_cast<EtwProviderContext*>(callbackContext);
  if (context == nullptr) {
    return;
  }
  if (controlCode == Platform::kEventControlDisable) {
    context->level = 0;
    context->enabled = false;
    context->matchAnyKeyword = 0;
    context->matchAllKeyword = 0;
    for (std::uint32_t i = 0; i < context->eventCount; ++i) {
      context->events[i].enabled = false;
    }
    return;
  }
  if (controlCode != Platform::kEventControlEnable) {
    return;
  }
  context->level = level;
  context->matchAnyKeyword = matchAnyKeyword;
  context->matchAllKeyword = matchAllKeyword;
  context->enabled = true;
  for (std::uint32_t i = 0; i < context->eventCount; ++i) {
    EtwEventState& event = context->events[i];
    const bool levelMatches = level == 0 || event.level <= level;
    const bool keywordsMatch =
        event.keywords == 0 || ((event.keywords & matchAnyKeyword) != 0 &&
                                (event.keywords & matchAllKeyword) == matchAllKeyword);
    event.enabled = levelMatches && keywordsMatch;
  }
}

bool EtwProvider::IsEventEnabled(const EtwProviderContext& context, std::uint32_t index) noexcept {
  return index < context.eventCount && context.events != nullptr && context.events[index].enabled;
}

}  // namespace Zarn
