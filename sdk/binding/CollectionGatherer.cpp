#include "sdk/binding/CollectionGatherer.h"

#include <cstring>
#include <new>

#include "sdk/base/MemoryHooks.h"

namespace Zarn {

CollectionGatherer::~CollectionGatherer() {
  while (size_ > 0) items_[--size_].~BindingProperty();
  if (items_ != reinterpret_cast<BindingProperty*>(inline_)) MemoryHooks::Free(items_);
}

BindingProperty& CollectionGatherer::Push(PropertyArena* arena) {
  if (size_ == capacity_) Grow();
  return *new (&items_[size_++]) BindingProperty(BindingProperty::ChildTag(), arena);
}

// Elements move by their bytes, as in a collection's own array.
void CollectionGatherer::Grow() {
  const std::size_t capacity = capacity_ * 2;
  if (capacity > static_cast<std::size_t>(-1) / sizeof(BindingProperty)) throw std::bad_alloc();
  void* memory = MemoryHooks::Alloc(capacity * sizeof(BindingProperty));
  if (memory == nullptr) throw std::bad_alloc();
  std::memcpy(memory, static_cast<void*>(items_), size_ * sizeof(BindingProperty));
  if (items_ != reinterpret_cast<BindingProperty*>(inline_)) MemoryHooks::Free(items_);
  items_ = static_cast<BindingProperty*>(memory);
  capacity_ = capacity;
}

void CollectionGatherer::MoveInto(BindingProperty& collection, std::size_t mark) {
  const std::size_t count = size_ - mark;
  if (count == 0) return;
  collection.TakeElements(items_ + mark, count);
  size_ = mark;
}

}  // namespace Zarn
