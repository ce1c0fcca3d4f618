// A text shared by every string value and member name of one value tree that spells it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sdk/base/Fnv1a.h"

namespace Zarn {

class PropertyArena;

// An entry of a PropertyArena's interned-string table: the text, its 32-bit FNV-1a hash and a
// reference count. Texts end at their first NUL: the hash, the comparison and the stored text all
// cover the bytes before it, so the stored text never holds a NUL (and is NUL-terminated).
// Entries are made and freed only by their arena; a value holds one reference per string payload
// or member name. The text lives in the entry's own arena block when it fits there, else in an
// owned heap string.
class InternedString {
 public:
  InternedString(const InternedString&) = delete;
  InternedString& operator=(const InternedString&) = delete;

  [[nodiscard]] std::string_view View() const noexcept { return {data_, size_}; }
  [[nodiscard]] const char* CStr() const noexcept { return data_; }
  // A copy of the text; View() gives it without copying.
  [[nodiscard]] std::string Text() const { return std::string(data_, size_); }
  [[nodiscard]] std::size_t Size() const noexcept { return size_; }
  [[nodiscard]] std::uint32_t Hash() const noexcept { return hash_; }
  // References held on this entry; always 0 for the shared empty string.
  [[nodiscard]] std::uint32_t RefCount() const noexcept { return refCount_; }

  // The one permanent empty string that stands for every empty text. It belongs to no arena,
  // is never counted and never freed.
  [[nodiscard]] static const InternedString& Empty() noexcept { return kEmpty; }

 private:
  friend class PropertyArena;
  friend class InternTable;

  constexpr InternedString() noexcept = default;

  static const InternedString kEmpty;

  const char* data_ = "";
  std::uint32_t size_ = 0;
  std::uint32_t hash_ = kFnv1a32OffsetBasis;
  std::uint32_t refCount_ = 0;
  InternedString* next_ = nullptr;  // chain of the table bucket
};

// `text` up to its first NUL: the part of a text that interning keeps.
[[nodiscard]] inline std::string_view CutAtNul(std::string_view text) noexcept {
  const std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace Zarn
