// The standard-library allocator over a value arena: single small objects come from the arena,
// arrays from the general heap through the allocator hooks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "sdk/base/MemoryHooks.h"
#include "sdk/binding/PropertyArena.h"

namespace Zarn {

// Serves the arena's own containers: the interned-string table's bucket array and the member
// trees of structures. allocate(1) of an object that fits a size class is an arena block;
// allocate(0) is null; larger counts are heap memory. Counts above 2^32 - 1 bytes in all raise
// std::bad_alloc. Not thread-safe, like the arena.
template <class T>
class PoolAllocator {
 public:
  using value_type = T;

  explicit PoolAllocator(PropertyArena& arena) noexcept : arena_(&arena) {}
  template <class U>
  PoolAllocator(const PoolAllocator<U>& other) noexcept : arena_(&other.Arena()) {}

  [[nodiscard]] T* allocate(std::size_t n) {
    if (n == 0) return nullptr;
    if (n == 1 && kFitsBlock) return static_cast<T*>(arena_->Allocate(sizeof(T)));
    if (n > max_size()) throw std::bad_alloc();
    void* memory = MemoryHooks::Alloc(n * sizeof(T));
    if (memory == nullptr) throw std::bad_alloc();
    return static_cast<T*>(memory);
  }

  void deallocate(T* p, std::size_t n) noexcept {
    if (p == nullptr || n == 0) return;
    if (n == 1 && kFitsBlock) {
      arena_->Free(p, sizeof(T));
    } else {
      MemoryHooks::Free(p);
    }
  }

  [[nodiscard]] std::size_t max_size() const noexcept {
    return std::numeric_limits<std::uint32_t>::max() / sizeof(T);
  }

  [[nodiscard]] PropertyArena& Arena() const noexcept { return *arena_; }

  template <class U>
  bool operator==(const PoolAllocator<U>& other) const noexcept {
    return arena_ == &other.Arena();
  }

 private:
  static constexpr bool kFitsBlock = sizeof(T) <= kMaxBlockSize && alignof(T) <= 8;

  PropertyArena* arena_;
};

}  // namespace Zarn
