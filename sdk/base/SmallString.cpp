#include "sdk/base/SmallString.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "sdk/base/MemoryHooks.h"

namespace Zarn {

SmallString::SmallString() noexcept
    : data_(inline_), length_(0), capacity_(kInlineCapacity), inline_{} {}

SmallString::SmallString(const char* text) : SmallString() {
  if (text == nullptr) return;
  const std::size_t count = std::strlen(text);
  Grow(count, 0);
  std::memcpy(data_, text, count + 1);
  length_ = static_cast<std::uint32_t>(count);
}

SmallString::~SmallString() {
  if (OnHeap()) MemoryHooks::Free(data_);
}

void SmallString::Grow(std::size_t count, std::size_t keep) {
  // The block holds `count` characters and the terminator, rounded to an odd size.
  if (count > UINT32_MAX - 2) throw std::length_error("SmallString: text too long");
  const auto size = static_cast<std::uint32_t>(((count + 1) & ~std::size_t{1}) + 1);
  auto* block = static_cast<char*>(MemoryHooks::Alloc(size));
  if (block == nullptr) throw std::bad_alloc();
  if (keep != 0) std::memcpy(block, data_, keep);
  block[keep] = '\0';
  if (OnHeap()) MemoryHooks::Free(data_);
  data_ = block;
  capacity_ = size;
}

void SmallString::Assign(std::string_view text) {
  // A text that points into this string always fits, so the copy below never reads a block
  // that Grow released.
  if (text.size() > Usable()) Grow(text.size(), 0);
  if (!text.empty()) std::memmove(data_, text.data(), text.size());
  data_[text.size()] = '\0';
  length_ = static_cast<std::uint32_t>(text.size());
}

void SmallString::Reserve(std::size_t count) {
  if (count > Usable()) Grow(count, length_);
}

}  // namespace Zarn
