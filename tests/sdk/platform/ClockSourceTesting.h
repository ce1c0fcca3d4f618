// Test helper: replaces one clock's source for the helper's lifetime.
#pragma once

#include "sdk/platform/ClockSource.h"

namespace Zarn::Platform {

template <ClockSource (*Get)(void**) noexcept, void (*Set)(ClockSource, void*) noexcept>
class ScopedClockSource {
 public:
  ScopedClockSource(ClockSource source, void* context) noexcept {
    previous_ = Get(&previousContext_);
    Set(source, context);
  }
  ~ScopedClockSource() { Set(previous_, previousContext_); }
  ScopedClockSource(const ScopedClockSource&) = delete;
  ScopedClockSource& operator=(const ScopedClockSource&) = delete;

 private:
  ClockSource previous_ = nullptr;
  void* previousContext_ = nullptr;
};

}  // namespace Zarn::Platform
