// The explicit stack with which value trees are walked, so that no depth of nesting can exhaust
// the call stack.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

#include "sdk/base/MemoryHooks.h"

namespace Zarn {

// A LIFO of trivially copyable frames: the first N live inside the object, deeper ones on the
// heap through the allocator hooks. Push throws std::bad_alloc when the heap refuses.
template <class T, std::size_t N>
class TreeWalkStack {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  TreeWalkStack() noexcept : items_(reinterpret_cast<T*>(inline_)) {}
  TreeWalkStack(const TreeWalkStack&) = delete;
  TreeWalkStack& operator=(const TreeWalkStack&) = delete;
  ~TreeWalkStack() {
    if (!InInline()) MemoryHooks::Free(items_);
  }

  [[nodiscard]] bool Empty() const noexcept { return size_ == 0; }
  // The top frame; valid until the next Push.
  [[nodiscard]] T& Top() noexcept { return items_[size_ - 1]; }
  void Pop() noexcept { --size_; }
  void Push(const T& item) {
    if (size_ == capacity_) Grow();
    new (&items_[size_++]) T(item);
  }

 private:
  void Grow() {
    const std::size_t capacity = capacity_ * 2;
    if (capacity > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* memory = MemoryHooks::Alloc(capacity * sizeof(T));
    if (memory == nullptr) throw std::bad_alloc();
    std::memcpy(memory, items_, size_ * sizeof(T));
    if (!InInline()) MemoryHooks::Free(items_);
    items_ = static_cast<T*>(memory);
    capacity_ = capacity;
  }

  [[nodiscard]] bool InInline() const noexcept {
    return static_cast<const void*>(items_) == static_cast<const void*>(inline_);
  }

  // Raw bytes: a walk writes only the frames it pushes, so the walk of a small tree does not
  // pay for constructing all N.
  alignas(T) unsigned char inline_[N * sizeof(T)];
  T* items_;
  std::size_t size_ = 0;
  std::size_t capacity_ = N;
};

}  // namespace Zarn
