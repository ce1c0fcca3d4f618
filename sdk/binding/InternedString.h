// A text shared by every string value and member name of one value tree that spells it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Zarn {

class PropertyArena;

// An entry of a PropertyArena's interned-string table. Texts end at their first NUL: the hash,
// the comparison and the stored text all cover the bytes before it, so the stored text never
// holds a NUL. Entries are created and destroyed only by their arena; a value holds one
// reference per string payload or member name.
class InternedString {
 public:
  InternedString(const InternedString&) = delete;
  InternedString& operator=(const InternedString&) = delete;

  [[nodiscard]] const std::string& Text() const noexcept { return text_; }
  [[nodiscard]] std::string_view View() const noexcept { return text_; }
  [[nodiscard]] const char* CStr() const noexcept { return text_.c_str(); }
  [[nodiscard]] std::size_t Size() const noexcept { return text_.size(); }
  // 32-bit FNV-1a of Text().
  [[nodiscard]] std::uint32_t Hash() const noexcept { return hash_; }
  // References held on this entry; always 0 for the shared empty string.
  [[nodiscard]] std::uint32_t RefCount() const noexcept { return refCount_; }

  // The one permanent empty string that stands for every empty text. It belongs to no arena,
  // is never counted and never freed.
  [[nodiscard]] static const InternedString& Empty() noexcept;

 private:
  friend class PropertyArena;
  friend class InternTable;

  InternedString() noexcept = default;
  InternedString(std::string text, std::uint32_t hash) noexcept
      : text_(std::move(text)), hash_(hash) {}

  std::string text_;
  std::uint32_t hash_ = 0;
  std::uint32_t refCount_ = 0;
  InternedString* next_ = nullptr;  // chain of the table bucket
};

// `text` up to its first NUL: the part of a text that interning keeps.
[[nodiscard]] inline std::string_view CutAtNul(std::string_view text) noexcept {
  const std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace Zarn
