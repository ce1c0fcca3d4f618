// Test helper: replaces the steady clock's source for the helper's lifetime.
#pragma once

#include "sdk/platform/SteadyClock.h"

namespace Zarn::Platform {

class ScopedSteadyClockSource {
 public:
  ScopedSteadyClockSource(SteadyClockSource source, void* context) noexcept {
    previous_ = GetSteadyClockSource(&previousContext_);
    SetSteadyClockSource(source, context);
  }
  ~ScopedSteadyClockSource() { SetSteadyClockSource(previous_, previousContext_); }
  ScopedSteadyClockSource(const ScopedSteadyClockSource&) = delete;
  ScopedSteadyClockSource& operator=(const ScopedSteadyClockSource&) = delete;

 private:
  SteadyClockSource previous_ = nullptr;
  void* previousContext_ = nullptr;
};

}  // namespace Zarn::Platform
