// Zarn::BindingProperty, the one dynamic value of the system: every body, event payload and
// message is held in it between its text forms, the host boundary and native records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/binding/InternedString.h"
#include "sdk/binding/PoolAllocator.h"
#include "sdk/binding/PropertyArena.h"

namespace Zarn {

class BindingMemberIterator;
class BindingPropertyVisitor;
class CollectionGatherer;

enum class BindingPropertyKind : std::uint8_t {
  Empty = 0,
  Bool = 1,
  Signed = 2,
  Unsigned = 3,
  Float = 4,
  String = 5,
  Blob = 6,
  Enum = 7,
  Collection = 8,
  Structure = 9,
};

// "empty", "bool", "signed", "unsigned", "float", "string", "blob", "enum", "collection",
// "structure"; "" for any other code. Never null.
[[nodiscard]] const char* BindingPropertyKindName(BindingPropertyKind kind) noexcept;

// The bytes of a blob value (on the general heap).
using BindingBlob = std::vector<std::uint8_t>;

// The payload of an enum value: the number and the identity of its enum type.
struct BindingEnumValue {
  std::int32_t value = 0;
  std::uint32_t typeId = 0;

  friend bool operator==(const BindingEnumValue&, const BindingEnumValue&) = default;
};

// Orders member names by unsigned bytes, a name before every longer name that it begins.
//
// The name that the arena marks as being appended (see PropertyArena::AppendingName) is known to
// follow every other name of its structure: the map's own checks of where it goes then compare
// no texts, so placing a member after the last one reads the names once, in InsertMember.
class MemberNameLess {
 public:
  using is_transparent = void;
  MemberNameLess() noexcept = default;
  explicit MemberNameLess(const PropertyArena& arena) noexcept : arena_(&arena) {}

  bool operator()(const InternedString* a, const InternedString* b) const noexcept {
    if (arena_ != nullptr) {
      const InternedString* appending = arena_->AppendingName();
      if (b == appending) return a != b;
      if (a == appending) return false;
    }
    return Less(a->View(), b->View());
  }
  bool operator()(const InternedString* a, std::string_view b) const noexcept {
    return Less(a->View(), b);
  }
  bool operator()(std::string_view a, const InternedString* b) const noexcept {
    return Less(a, b->View());
  }

 private:
  // Most names of a structure differ in their first byte, which then decides without comparing
  // the texts out of line.
  static bool Less(std::string_view a, std::string_view b) noexcept {
    if (!a.empty() && !b.empty() && a.front() != b.front()) {
      return static_cast<unsigned char>(a.front()) < static_cast<unsigned char>(b.front());
    }
    return a < b;
  }

  const PropertyArena* arena_ = nullptr;
};

// A tagged value of one of ten kinds. Scalars are stored inline; strings, blobs, enums and
// container headers are blocks of a PropertyArena that the tree's root owns and creates on first
// need. Every element and member is created with its container's arena and borrows it, so a
// whole tree draws on one arena. One thread at a time may use a tree.
//
// Texts (string values and member names) end at their first NUL.
class BindingProperty {
 public:
  // Collections hold at most this many elements; beyond it Reserve and At throw
  // std::length_error.
  static constexpr std::size_t kMaxCollectionSize = 0x0FFFFFFF;

  using MemberMap =
      std::map<const InternedString*, BindingProperty, MemberNameLess,
               PoolAllocator<std::pair<const InternedString* const, BindingProperty>>>;

  // Only a container makes its own elements and members, through this tag.
  class ChildTag {
    friend class BindingProperty;
    friend class CollectionGatherer;
    ChildTag() = default;
  };

  // An empty root without an arena.
  constexpr BindingProperty() noexcept = default;
  // An empty value inside a container of `arena`; it borrows the arena.
  BindingProperty(ChildTag, PropertyArena* arena) noexcept : arena_(arena), ownsArena_(0) {}

  // A deep copy, in an arena of its own.
  BindingProperty(const BindingProperty& other);
  // Two roots are swapped (no copy). Moving out of a value inside a tree deep-copies it (running
  // out of memory there ends the process); the source is left empty.
  BindingProperty(BindingProperty&& other) noexcept;
  // Deep copy into this value's arena. Source and target may lie inside each other.
  BindingProperty& operator=(const BindingProperty& other);
  // Two roots are swapped and the source reset. Otherwise the value moves without a copy when
  // both lie in one tree, and is deep-copied into this value's arena when not; the source is
  // left empty either way.
  BindingProperty& operator=(BindingProperty&& other);
  ~BindingProperty();

  // The shared, never-modified empty value that read-only lookups return when nothing is found.
  [[nodiscard]] static const BindingProperty& EmptyValue() noexcept;

  // --- Reading; nothing here changes the value.
  [[nodiscard]] BindingPropertyKind Kind() const noexcept { return kind_; }
  [[nodiscard]] bool IsEmpty() const noexcept { return kind_ == BindingPropertyKind::Empty; }
  [[nodiscard]] bool IsCollection() const noexcept {
    return kind_ == BindingPropertyKind::Collection;
  }
  [[nodiscard]] bool IsStructure() const noexcept {
    return kind_ == BindingPropertyKind::Structure;
  }

  // The payload when the kind matches exactly, else `defaultValue`; no conversion.
  [[nodiscard]] bool GetBool(bool defaultValue = false) const noexcept;
  [[nodiscard]] std::int64_t GetInt64(std::int64_t defaultValue = 0) const noexcept;
  [[nodiscard]] std::uint64_t GetUint64(std::uint64_t defaultValue = 0) const noexcept;
  [[nodiscard]] double GetDouble(double defaultValue = 0) const noexcept;
  // Views into the tree: valid until the value changes.
  [[nodiscard]] std::string_view GetString(std::string_view defaultValue = {}) const noexcept;
  [[nodiscard]] std::span<const std::uint8_t> GetBlob(
      std::span<const std::uint8_t> defaultValue = {}) const noexcept;
  [[nodiscard]] BindingEnumValue GetEnum(BindingEnumValue defaultValue = {}) const noexcept;

  // Converting reads. bool gives 0 or 1 (ToInteger: the default); signed and unsigned give their
  // 64 bits as they are; a double is truncated toward zero, and saturates when out of range (NaN
  // gives 0); a string is read by strtoll/strtoull with base 0, 0 when it does not parse
  // (ToInteger: the default); an enum gives its value sign-extended (ToInteger: the default);
  // other kinds give the default.
  [[nodiscard]] std::int64_t ToInt64(std::int64_t defaultValue = 0) const noexcept;
  [[nodiscard]] std::uint64_t ToUint64(std::uint64_t defaultValue = 0) const noexcept;
  [[nodiscard]] std::int64_t ToInteger(std::int64_t defaultValue = 0) const noexcept;

  // 0 for empty; bytes of a string or blob; elements of a collection; members of a structure;
  // 1 for the other kinds.
  [[nodiscard]] std::size_t Size() const noexcept;
  // The element, or EmptyValue() when this is not a collection or `index` is not below Size().
  [[nodiscard]] const BindingProperty& At(std::size_t index) const noexcept;
  // The member, or EmptyValue() when this is not a structure or has no such member. A null
  // C string is the empty name.
  [[nodiscard]] const BindingProperty& FindMember(std::string_view name) const noexcept;
  [[nodiscard]] const BindingProperty& FindMember(const char* name) const noexcept;
  [[nodiscard]] bool HasMember(std::string_view name) const noexcept;
  // Members in name order; both are the null position when this is not a structure.
  [[nodiscard]] BindingMemberIterator MembersBegin() const noexcept;
  [[nodiscard]] BindingMemberIterator MembersEnd() const noexcept;

  // "true"/"false", decimal integers, "%f" for a double, the text of a string, Base64 of a blob,
  // the signed decimal value of an enum; "" for empty values and containers.
  [[nodiscard]] std::string ToString() const;
  // Walks the value with `visitor`, depth first, without recursion.
  void Accept(BindingPropertyVisitor& visitor) const;

  // --- Changing. Setters reset the value first; the root's arena is made on first need. The
  // argument of a setter may come from this value's own tree.
  void SetBool(bool value) noexcept;
  void SetInt64(std::int64_t value) noexcept;
  void SetUint64(std::uint64_t value) noexcept;
  void SetDouble(double value) noexcept;
  // The text up to its first NUL; an empty text or a null C string is the shared empty string.
  void SetString(std::string_view text);
  void SetString(const char* text);
  void SetString(std::string&& text);
  void SetBlob(std::span<const std::uint8_t> bytes);
  void SetBlob(BindingBlob&& bytes);  // takes the bytes over; `bytes` is left empty
  void SetEnum(BindingEnumValue value);

  // Become an empty collection or structure unless already one (then nothing changes).
  void MakeCollection();
  void MakeStructure();
  // MakeCollection, then append empty elements until `index` is below Size(); the element.
  // References to elements are invalidated when the collection grows.
  BindingProperty& At(std::size_t index);
  // At(Size()): on a collection or an empty value, one new empty element at the end.
  BindingProperty& Append();
  // Room for `count` elements of a collection (other kinds are left alone). Throws
  // std::length_error above kMaxCollectionSize.
  void Reserve(std::size_t count);
  // MakeStructure, then the member `name`, created empty when missing. Members never move.
  BindingProperty& Member(std::string_view name);
  BindingProperty& Member(const char* name);
  // Member(name) for a `name` without NUL whose FNV-1a hash the caller knows (a registered
  // field's member name), which saves scanning and hashing it again.
  BindingProperty& Member(std::string_view name, std::uint32_t hash);

  // Frees the payload (a whole subtree, without recursion) and becomes empty; the arena stays.
  void Reset() noexcept;
  // Deep copy of `source` into this value's arena. Source and target may lie inside each other.
  void CopyFrom(const BindingProperty& source);

  // This value's arena, made (for a root) when it has none yet.
  [[nodiscard]] PropertyArena& Arena();

 private:
  friend class BindingMemberIterator;
  friend class CollectionGatherer;
  friend struct BindingPropertyTestPeer;
  struct Collection;
  struct ChildCursor;

  [[nodiscard]] bool IsContainer() const noexcept {
    return kind_ == BindingPropertyKind::Collection || kind_ == BindingPropertyKind::Structure;
  }
  template <class T>
  [[nodiscard]] T* Block() const noexcept {
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(payload_));
  }
  void SetBlock(BindingPropertyKind kind, void* block) noexcept;
  void SetInterned(const InternedString& entry) noexcept;
  void TakePayload(BindingProperty& source) noexcept;
  // Whether the references of a payload's texts are dropped one by one as it is freed, or left
  // for the arena to free with its table when the tree's root goes.
  enum class Texts : std::uint8_t { Release, LeaveToArena };
  void ResetLeaf(Texts texts = Texts::Release) noexcept;
  void ResetPayload(Texts texts) noexcept;
  static void ReleaseContainer(PropertyArena& arena, void* block, BindingPropertyKind kind,
                               Texts texts) noexcept;
  void CopyLeaf(const BindingProperty& source);
  void CopyUnaliased(const BindingProperty& source);
  void OpenCopy(const BindingProperty& source);
  [[nodiscard]] bool Contains(const BindingProperty& value) const noexcept;
  void VisitLeaf(BindingPropertyVisitor& visitor) const;
  void GrowCollection(std::size_t size);
  void ReallocateElements(std::size_t capacity);
  void TakeElements(BindingProperty* elements, std::size_t count);
  BindingProperty& InsertMember(const InternedString& key);
  BindingProperty& AppendMember(const InternedString& name);

  std::uint64_t payload_ = 0;  // the scalar, or the address of the arena block
  PropertyArena* arena_ = nullptr;
  BindingPropertyKind kind_ = BindingPropertyKind::Empty;
  std::uint8_t ownsArena_ = 1;  // 1 for a root, which destroys its arena
};

#if defined(__i386__)
static_assert(sizeof(BindingProperty) == 16);
#endif

// A position among a structure's members, in name order.
class BindingMemberIterator {
 public:
  BindingMemberIterator() noexcept = default;

  [[nodiscard]] const InternedString& Name() const noexcept { return *it_->first; }
  [[nodiscard]] const BindingProperty& Value() const noexcept { return it_->second; }
  BindingMemberIterator& operator++() noexcept {
    ++it_;
    return *this;
  }
  friend bool operator==(const BindingMemberIterator&, const BindingMemberIterator&) = default;

 private:
  friend class BindingProperty;
  explicit BindingMemberIterator(BindingProperty::MemberMap::const_iterator it) noexcept
      : it_(it) {}

  BindingProperty::MemberMap::const_iterator it_{};
};

}  // namespace Zarn
