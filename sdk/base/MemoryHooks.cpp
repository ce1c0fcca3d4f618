#include "sdk/base/MemoryHooks.h"

#include <atomic>
#include <cstdlib>

#include "sdk/base/TrackingAllocator.h"
#include "sdk/platform/CrtMemory.h"

namespace Zarn {
namespace {

// Constant-initialized so that allocations made by other static initializers find them ready.
// Each hook is its own atomic: a reader never sees a torn pointer.
constinit std::atomic<MemoryHooks::AllocFn> allocHook{nullptr};
constinit std::atomic<MemoryHooks::FreeFn> freeHook{nullptr};
constinit std::atomic<MemoryHooks::ReallocFn> reallocHook{nullptr};
constinit std::atomic<MemoryHooks::StrDupFn> strdupHook{nullptr};
constinit std::atomic<MemoryHooks::MSizeFn> msizeHook{nullptr};
constinit std::atomic<void*> hookUserData{nullptr};
constinit std::atomic<bool> initialized{false};

}  // namespace

bool MemoryHooks::SetAllocator(AllocFn alloc, FreeFn free, ReallocFn realloc, StrDupFn strdup,
                               MSizeFn msize, void* userData) noexcept {
  // User data first, so that a hook seen by another thread already has its data.
  hookUserData.store(userData, std::memory_order_release);
  allocHook.store(alloc, std::memory_order_release);
  freeHook.store(free, std::memory_order_release);
  reallocHook.store(realloc, std::memory_order_release);
  strdupHook.store(strdup, std::memory_order_release);
  msizeHook.store(msize, std::memory_order_release);
  return true;
}

void MemoryHooks::EnsureInitialized() noexcept {
  if (!initialized.exchange(true, std::memory_order_acq_rel)) TrackingAllocator::Install();
}

void* MemoryHooks::Alloc(std::size_t size) noexcept {
  if (!initialized.load(std::memory_order_acquire)) EnsureInitialized();
  if (AllocFn hook = allocHook.load(std::memory_order_acquire))
    return hook(size, hookUserData.load(std::memory_order_acquire));
  return std::malloc(size);
}

void MemoryHooks::Free(void* block) noexcept {
  if (FreeFn hook = freeHook.load(std::memory_order_acquire)) {
    hook(block, hookUserData.load(std::memory_order_acquire));
  } else {
    std::free(block);
  }
}

void* MemoryHooks::Realloc(void* block, std::size_t size) noexcept {
  if (ReallocFn hook = reallocHook.load(std::memory_order_acquire))
    return hook(block, size, hookUserData.load(std::memory_order_acquire));
  return Platform::Reallocate(block, size);
}

char* MemoryHooks::StrDup(const char* text) noexcept {
  if (StrDupFn hook = strdupHook.load(std::memory_order_acquire))
    return hook(text, hookUserData.load(std::memory_order_acquire));
  return Platform::DuplicateString(text);
}

std::size_t MemoryHooks::MSize(const void* block) noexcept {
  if (MSizeFn hook = msizeHook.load(std::memory_order_acquire))
    return hook(block, hookUserData.load(std::memory_order_acquire));
  return Platform::BlockSize(block);
}

}  // namespace Zarn
