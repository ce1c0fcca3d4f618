// Linux stand-in for the platform's critical sections: a recursive lock.
#pragma once

#include <mutex>

namespace Zarn::Platform {

// A lock that the thread holding it may enter again; each Enter needs a matching Leave.
class CriticalSection {
 public:
  CriticalSection() = default;
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter() noexcept;
  void Leave() noexcept;

 private:
  std::recursive_mutex mutex_;
};

// Holds a critical section for the lifetime of the guard.
class CriticalSectionGuard {
 public:
  explicit CriticalSectionGuard(CriticalSection& section) noexcept : section_(section) {
    section_.Enter();
  }
  ~CriticalSectionGuard() { section_.Leave(); }
  CriticalSectionGuard(const CriticalSectionGuard&) = delete;
  CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace Zarn::Platform
