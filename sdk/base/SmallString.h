// A string with inline storage for short texts; longer texts go to a heap block obtained
// through MemoryHooks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Zarn {

class SmallString {
 public:
  // Characters (terminator not included) that fit without a heap block. Even, so that an odd
  // capacity marks a heap block.
  static constexpr std::uint32_t kInlineCapacity = 64;

  // Empty, in the inline buffer.
  SmallString() noexcept;
  // A heap block sized for `text`, which is copied; null `text` gives the empty string.
  // Throws std::bad_alloc when the hooks give no block.
  explicit SmallString(const char* text);
  ~SmallString();

  SmallString(const SmallString&) = delete;
  SmallString& operator=(const SmallString&) = delete;

  // Replaces the text with `text`, which may point into this string. Reuses the storage when
  // the text fits, otherwise moves to a heap block of odd size. Throws std::bad_alloc (no
  // block) or std::length_error (beyond 32-bit lengths); the string is unchanged then.
  void Assign(std::string_view text);

  // Makes room for `count` characters, keeping the text. Throws as Assign does.
  void Reserve(std::size_t count);

  // Always zero-terminated; valid until the next Assign or Reserve.
  [[nodiscard]] const char* Data() const noexcept { return data_; }
  [[nodiscard]] std::uint32_t Length() const noexcept { return length_; }
  [[nodiscard]] std::string_view View() const noexcept { return {data_, length_}; }
  // Characters that fit: the inline capacity, or for a heap block its (odd) size in bytes,
  // whose usable part is the size with the lowest bit cleared.
  [[nodiscard]] std::uint32_t Capacity() const noexcept { return capacity_; }
  [[nodiscard]] bool OnHeap() const noexcept { return (capacity_ & 1u) != 0; }

 private:
  [[nodiscard]] std::uint32_t Usable() const noexcept { return capacity_ & ~1u; }
  // Switches to a fresh heap block for `count` characters, copying the first `keep` characters.
  void Grow(std::size_t count, std::size_t keep);

  char* data_;
  std::uint32_t length_;
  std::uint32_t capacity_;
  char inline_[kInlineCapacity + 1];
};

}  // namespace Zarn
