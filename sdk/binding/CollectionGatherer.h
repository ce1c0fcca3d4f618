// The elements of collections being read, gathered so that each collection's element array is
// allocated once, at its final length.
#pragma once

#include <cstddef>

#include "sdk/binding/BindingProperty.h"

namespace Zarn {

class PropertyArena;

// A stack of new elements: a reader opening a collection takes Mark(), pushes the collection's
// elements as it meets them (those of collections inside it above them) and, when it closes the
// collection, moves them into it. Elements are values of the tree whose arena they were pushed
// with; the ones still here when the gatherer dies (a read that failed) are destroyed, so that
// arena must outlive the gatherer. Holds the first elements inline, more on the heap through the
// allocator hooks.
class CollectionGatherer {
 public:
  CollectionGatherer() noexcept = default;
  CollectionGatherer(const CollectionGatherer&) = delete;
  CollectionGatherer& operator=(const CollectionGatherer&) = delete;
  ~CollectionGatherer();

  // Where the elements of a collection opened now start.
  [[nodiscard]] std::size_t Mark() const noexcept { return size_; }
  // A new empty element of the tree of `arena`, at the top. References to gathered elements are
  // valid until the next Push. Throws std::bad_alloc when the heap refuses.
  BindingProperty& Push(PropertyArena* arena);
  // The element at `index` (below Mark()).
  [[nodiscard]] BindingProperty& At(std::size_t index) noexcept { return items_[index]; }
  // Appends the elements from `mark` up to the top to `collection` (a collection, not one of
  // them) in one allocation and takes them off the stack. Throws std::bad_alloc when the heap
  // refuses, std::length_error above BindingProperty::kMaxCollectionSize; the elements then
  // stay here.
  void MoveInto(BindingProperty& collection, std::size_t mark);

 private:
  static constexpr std::size_t kInlineCount = 64;

  void Grow();

  alignas(BindingProperty) unsigned char inline_[kInlineCount * sizeof(BindingProperty)];
  BindingProperty* items_ = reinterpret_cast<BindingProperty*>(inline_);
  std::size_t size_ = 0;
  std::size_t capacity_ = kInlineCount;
};

}  // namespace Zarn
