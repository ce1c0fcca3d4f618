#include "sdk/binding/BindingProperty.h"

#include <bit>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <tuple>
#include <type_traits>

#include "sdk/base/Encoding.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/binding/BindingPropertyVisitor.h"
#include "sdk/binding/PropertyArena.h"
#include "sdk/binding/TreeWalkStack.h"

namespace Zarn {

using ValueKind = BindingPropertyKind;

// The header block of a collection. Elements are raw records on the heap: they are moved by
// copying their bytes, so each keeps the arena it borrows.
struct BindingProperty::Collection {
  BindingProperty* elements;
  std::uint32_t size;
  std::uint32_t capacity;
};

// Hands out the children of one container block in order. It works on the block rather than on
// the value, so that a tree being freed can be walked after its values were emptied.
struct BindingProperty::ChildCursor {
  void* block = nullptr;
  ValueKind kind = ValueKind::Empty;
  std::uint32_t index = 0;  // elements handed out so far
  MemberMap::iterator member{};
  const InternedString* name = nullptr;  // name of the member handed out last

  static ChildCursor Over(const BindingProperty& container) noexcept {
    return Over(container.Block<void>(), container.kind_);
  }
  static ChildCursor Over(void* block, ValueKind kind) noexcept {
    ChildCursor cursor;
    cursor.block = block;
    cursor.kind = kind;
    if (kind == ValueKind::Structure) cursor.member = static_cast<MemberMap*>(block)->begin();
    return cursor;
  }

  // The next child, or null after the last.
  BindingProperty* Next() noexcept {
    if (kind == ValueKind::Collection) {
      auto* collection = static_cast<Collection*>(block);
      return index < collection->size ? &collection->elements[index++] : nullptr;
    }
    if (member == static_cast<MemberMap*>(block)->end()) return nullptr;
    name = member->first;
    return &(member++)->second;
  }
};

namespace {

constexpr std::size_t kWalkFrames = 32;

constinit const BindingProperty kEmptyValue;

const char* const kKindNames[] = {"empty",  "bool", "signed", "unsigned",   "float",
                                  "string", "blob", "enum",   "collection", "structure"};

// Truncation toward zero that saturates where the double is out of range; NaN gives 0.
std::int64_t SaturatingInt64(double value) noexcept {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775808.0) return INT64_MAX;
  if (value < -9223372036854775808.0) return INT64_MIN;
  return static_cast<std::int64_t>(value);
}

std::uint64_t SaturatingUint64(double value) noexcept {
  if (std::isnan(value) || value <= -1.0) return 0;
  if (value >= 18446744073709551616.0) return UINT64_MAX;
  return static_cast<std::uint64_t>(value);
}

std::string FormatDouble(double value) {
  const int length = std::snprintf(nullptr, 0, "%f", value);
  std::string text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, "%f", value);
  return text;
}

void ThrowTooLong() { throw std::length_error("BindingProperty: collection too long"); }

}  // namespace

const char* BindingPropertyKindName(BindingPropertyKind kind) noexcept {
  const auto code = static_cast<std::size_t>(kind);
  return code < std::size(kKindNames) ? kKindNames[code] : "";
}

// --- Construction, copy, move, destruction

BindingProperty::BindingProperty(const BindingProperty& other) { CopyFrom(other); }

BindingProperty::BindingProperty(BindingProperty&& other) noexcept { *this = std::move(other); }

BindingProperty& BindingProperty::operator=(const BindingProperty& other) {
  if (&other != this) CopyFrom(other);
  return *this;
}

BindingProperty& BindingProperty::operator=(BindingProperty&& other) {
  if (&other == this) return *this;
  if (ownsArena_ != 0 && other.ownsArena_ != 0) {
    std::swap(payload_, other.payload_);
    std::swap(arena_, other.arena_);
    std::swap(kind_, other.kind_);
    other.Reset();
    return *this;
  }
  if (other.arena_ != nullptr && other.arena_ == arena_) {
    // Both lie in one tree, so the payload can change hands without a copy, unless this value
    // lies inside the source: then it dies with the source's old payload and nothing is left.
    if (other.Contains(*this)) {
      other.Reset();
    } else {
      TakePayload(other);
    }
    return *this;
  }
  CopyFrom(other);
  other.Reset();
  return *this;
}

BindingProperty::~BindingProperty() {
  // The 16-byte record of the shipping build: payload, arena, kind, owns-arena flag. Checked in a
  // member, which alone may name the private fields.
#if defined(__i386__)
  static_assert(offsetof(BindingProperty, payload_) == 0);
  static_assert(offsetof(BindingProperty, arena_) == 8);
  static_assert(offsetof(BindingProperty, kind_) == 12);
  static_assert(offsetof(BindingProperty, ownsArena_) == 13);
#endif
  if (ownsArena_ == 0) {
    Reset();
    return;
  }
  // Every block goes back to its page, but the texts stay in the table until the arena frees
  // it, entry by entry, instead of being counted down one reference at a time.
  ResetPayload(Texts::LeaveToArena);
  PropertyArena::Destroy(arena_);
}

const BindingProperty& BindingProperty::EmptyValue() noexcept { return kEmptyValue; }

PropertyArena& BindingProperty::Arena() {
  if (arena_ == nullptr) arena_ = PropertyArena::Create();
  return *arena_;
}

// --- Reading

bool BindingProperty::GetBool(bool defaultValue) const noexcept {
  return kind_ == ValueKind::Bool ? (payload_ & 0xFF) != 0 : defaultValue;
}

std::int64_t BindingProperty::GetInt64(std::int64_t defaultValue) const noexcept {
  return kind_ == ValueKind::Signed ? static_cast<std::int64_t>(payload_) : defaultValue;
}

std::uint64_t BindingProperty::GetUint64(std::uint64_t defaultValue) const noexcept {
  return kind_ == ValueKind::Unsigned ? payload_ : defaultValue;
}

double BindingProperty::GetDouble(double defaultValue) const noexcept {
  return kind_ == ValueKind::Float ? std::bit_cast<double>(payload_) : defaultValue;
}

std::string_view BindingProperty::GetString(std::string_view defaultValue) const noexcept {
  return kind_ == ValueKind::String ? Block<InternedString>()->View() : defaultValue;
}

std::span<const std::uint8_t> BindingProperty::GetBlob(
    std::span<const std::uint8_t> defaultValue) const noexcept {
  return kind_ == ValueKind::Blob ? std::span<const std::uint8_t>(*Block<BindingBlob>())
                                  : defaultValue;
}

BindingEnumValue BindingProperty::GetEnum(BindingEnumValue defaultValue) const noexcept {
  return kind_ == ValueKind::Enum ? *Block<BindingEnumValue>() : defaultValue;
}

std::int64_t BindingProperty::ToInt64(std::int64_t defaultValue) const noexcept {
  switch (kind_) {
    case ValueKind::Bool:
      return GetBool() ? 1 : 0;
    case ValueKind::Signed:
    case ValueKind::Unsigned:
      return static_cast<std::int64_t>(payload_);
    case ValueKind::Float:
      return SaturatingInt64(GetDouble());
    case ValueKind::String:
      return std::strtoll(Block<InternedString>()->CStr(), nullptr, 0);
    case ValueKind::Enum:
      return Block<BindingEnumValue>()->value;
    default:
      return defaultValue;
  }
}

std::uint64_t BindingProperty::ToUint64(std::uint64_t defaultValue) const noexcept {
  switch (kind_) {
    case ValueKind::Float:
      return SaturatingUint64(GetDouble());
    case ValueKind::String:
      return std::strtoull(Block<InternedString>()->CStr(), nullptr, 0);
    default:
      return static_cast<std::uint64_t>(ToInt64(static_cast<std::int64_t>(defaultValue)));
  }
}

std::int64_t BindingProperty::ToInteger(std::int64_t defaultValue) const noexcept {
  switch (kind_) {
    case ValueKind::Signed:
    case ValueKind::Unsigned:
    case ValueKind::Float:
      return ToInt64();
    default:
      return defaultValue;
  }
}

std::size_t BindingProperty::Size() const noexcept {
  switch (kind_) {
    case ValueKind::Empty:
      return 0;
    case ValueKind::String:
      return Block<InternedString>()->Size();
    case ValueKind::Blob:
      return Block<BindingBlob>()->size();
    case ValueKind::Collection:
      return Block<Collection>()->size;
    case ValueKind::Structure:
      return Block<MemberMap>()->size();
    default:
      return 1;
  }
}

const BindingProperty& BindingProperty::At(std::size_t index) const noexcept {
  if (kind_ != ValueKind::Collection || index >= Block<Collection>()->size) return kEmptyValue;
  return Block<Collection>()->elements[index];
}

const BindingProperty& BindingProperty::FindMember(std::string_view name) const noexcept {
  if (kind_ != ValueKind::Structure) return kEmptyValue;
  const MemberMap& members = *Block<MemberMap>();
  const auto found = members.find(CutAtNul(name));
  return found == members.end() ? kEmptyValue : found->second;
}

const BindingProperty& BindingProperty::FindMember(const char* name) const noexcept {
  return FindMember(name == nullptr ? std::string_view() : std::string_view(name));
}

bool BindingProperty::HasMember(std::string_view name) const noexcept {
  return kind_ == ValueKind::Structure && Block<MemberMap>()->contains(CutAtNul(name));
}

BindingMemberIterator BindingProperty::MembersBegin() const noexcept {
  if (kind_ != ValueKind::Structure) return BindingMemberIterator();
  return BindingMemberIterator(Block<MemberMap>()->cbegin());
}

BindingMemberIterator BindingProperty::MembersEnd() const noexcept {
  if (kind_ != ValueKind::Structure) return BindingMemberIterator();
  return BindingMemberIterator(Block<MemberMap>()->cend());
}

std::string BindingProperty::ToString() const {
  switch (kind_) {
    case ValueKind::Bool:
      return GetBool() ? "true" : "false";
    case ValueKind::Signed:
      return std::to_string(GetInt64());
    case ValueKind::Unsigned:
      return std::to_string(GetUint64());
    case ValueKind::Float:
      return FormatDouble(GetDouble());
    case ValueKind::String:
      return Block<InternedString>()->Text();
    case ValueKind::Blob:
      return Base64Encode(Block<BindingBlob>()->data(), Block<BindingBlob>()->size());
    case ValueKind::Enum:
      return std::to_string(Block<BindingEnumValue>()->value);
    default:
      return std::string();
  }
}

// --- Visiting

void BindingProperty::VisitLeaf(BindingPropertyVisitor& visitor) const {
  switch (kind_) {
    case ValueKind::Empty:
      return visitor.Null();
    case ValueKind::Bool:
      return visitor.Bool(GetBool());
    case ValueKind::Signed:
      return visitor.Int64(GetInt64());
    case ValueKind::Unsigned:
      return visitor.Uint64(GetUint64());
    case ValueKind::Float:
      return visitor.Double(GetDouble());
    case ValueKind::String:
      return visitor.String(*Block<InternedString>());
    case ValueKind::Blob:
      return visitor.Binary(*Block<BindingBlob>());
    case ValueKind::Enum:
      return visitor.Enum(*Block<BindingEnumValue>());
    default:
      return;
  }
}

void BindingProperty::Accept(BindingPropertyVisitor& visitor) const {
  if (!IsContainer()) return VisitLeaf(visitor);
  struct Frame {
    ChildCursor cursor;
    bool childOpen;  // the last child handed out is a container still being walked
  };
  TreeWalkStack<Frame, kWalkFrames> stack;
  auto open = [&](const BindingProperty& container) {
    const auto count = static_cast<std::uint32_t>(container.Size());
    if (container.kind_ == ValueKind::Collection) {
      visitor.StartArray(count);
    } else {
      visitor.StartObject(count);
    }
    stack.Push(Frame{ChildCursor::Over(container), false});
  };
  auto close = [&](const ChildCursor& cursor) {
    if (cursor.kind == ValueKind::Collection) {
      visitor.EndElement(cursor.index - 1);
    } else {
      visitor.EndMember(*cursor.name);
    }
  };
  open(*this);
  while (!stack.Empty()) {
    Frame& frame = stack.Top();
    if (frame.childOpen) {
      frame.childOpen = false;
      close(frame.cursor);
    }
    const BindingProperty* child = frame.cursor.Next();
    if (child == nullptr) {
      if (frame.cursor.kind == ValueKind::Collection) {
        visitor.EndArray();
      } else {
        visitor.EndObject();
      }
      stack.Pop();
      continue;
    }
    if (frame.cursor.kind == ValueKind::Collection) {
      visitor.BeginElement(frame.cursor.index - 1);
    } else {
      visitor.Key(*frame.cursor.name);
    }
    if (child->IsContainer()) {
      frame.childOpen = true;
      open(*child);  // invalidates `frame`
    } else {
      child->VisitLeaf(visitor);
      close(frame.cursor);
    }
  }
}

bool BindingProperty::Contains(const BindingProperty& value) const noexcept {
  if (!IsContainer()) return false;
  TreeWalkStack<ChildCursor, kWalkFrames> stack;
  stack.Push(ChildCursor::Over(*this));
  while (!stack.Empty()) {
    const BindingProperty* child = stack.Top().Next();
    if (child == nullptr) {
      stack.Pop();
    } else if (child == &value) {
      return true;
    } else if (child->IsContainer()) {
      stack.Push(ChildCursor::Over(*child));
    }
  }
  return false;
}

// --- Changing

void BindingProperty::SetBlock(BindingPropertyKind kind, void* block) noexcept {
  payload_ = reinterpret_cast<std::uintptr_t>(block);
  kind_ = kind;
}

void BindingProperty::SetInterned(const InternedString& entry) noexcept {
  SetBlock(ValueKind::String, const_cast<InternedString*>(&entry));
}

void BindingProperty::TakePayload(BindingProperty& source) noexcept {
  const std::uint64_t payload = source.payload_;
  const ValueKind kind = source.kind_;
  source.payload_ = 0;
  source.kind_ = ValueKind::Empty;
  Reset();
  payload_ = payload;
  kind_ = kind;
}

void BindingProperty::SetBool(bool value) noexcept {
  Reset();
  payload_ = value ? 1 : 0;
  kind_ = ValueKind::Bool;
}

void BindingProperty::SetInt64(std::int64_t value) noexcept {
  Reset();
  payload_ = static_cast<std::uint64_t>(value);
  kind_ = ValueKind::Signed;
}

void BindingProperty::SetUint64(std::uint64_t value) noexcept {
  Reset();
  payload_ = value;
  kind_ = ValueKind::Unsigned;
}

void BindingProperty::SetDouble(double value) noexcept {
  Reset();
  payload_ = std::bit_cast<std::uint64_t>(value);
  kind_ = ValueKind::Float;
}

// Each setter makes its new payload before it resets, so that its argument may come from the
// payload it replaces.
void BindingProperty::SetString(std::string_view text) {
  // A text that starts with NUL is empty, and needs no arena.
  const InternedString& entry =
      text.empty() || text[0] == '\0' ? InternedString::Empty() : Arena().InternString(text);
  Reset();
  SetInterned(entry);
}

void BindingProperty::SetString(const char* text) {
  SetString(text == nullptr ? std::string_view() : std::string_view(text));
}

void BindingProperty::SetString(std::string&& text) {
  const InternedString& entry =
      text.empty() ? InternedString::Empty() : Arena().InternString(std::move(text));
  Reset();
  SetInterned(entry);
}

void BindingProperty::SetBlob(std::span<const std::uint8_t> bytes) {
  PropertyArena& arena = Arena();
  void* block = arena.Allocate(sizeof(BindingBlob));
  BindingBlob* blob;
  try {
    blob = new (block) BindingBlob(bytes.begin(), bytes.end());
  } catch (...) {
    arena.Free(block, sizeof(BindingBlob));
    throw;
  }
  Reset();
  SetBlock(ValueKind::Blob, blob);
}

void BindingProperty::SetBlob(BindingBlob&& bytes) {
  void* block = Arena().Allocate(sizeof(BindingBlob));
  BindingBlob* blob = new (block) BindingBlob(std::move(bytes));
  bytes.clear();
  Reset();
  SetBlock(ValueKind::Blob, blob);
}

void BindingProperty::SetEnum(BindingEnumValue value) {
  void* block = Arena().Allocate(sizeof(BindingEnumValue));
  BindingEnumValue* stored = new (block) BindingEnumValue(value);
  Reset();
  SetBlock(ValueKind::Enum, stored);
}

void BindingProperty::MakeCollection() {
  if (kind_ == ValueKind::Collection) return;
  void* block = Arena().Allocate(sizeof(Collection));
  Collection* collection = new (block) Collection{nullptr, 0, 0};
  Reset();
  SetBlock(ValueKind::Collection, collection);
}

void BindingProperty::MakeStructure() {
  if (kind_ == ValueKind::Structure) return;
  PropertyArena& arena = Arena();
  void* block = arena.Allocate(sizeof(MemberMap));
  MemberMap* members =
      new (block) MemberMap(MemberNameLess(arena), MemberMap::allocator_type(arena));
  Reset();
  SetBlock(ValueKind::Structure, members);
}

void BindingProperty::ReallocateElements(std::size_t capacity) {
  Collection& collection = *Block<Collection>();
  void* elements = MemoryHooks::Realloc(collection.elements, capacity * sizeof(BindingProperty));
  if (elements == nullptr) throw std::bad_alloc();
  collection.elements = static_cast<BindingProperty*>(elements);
  collection.capacity = static_cast<std::uint32_t>(capacity);
}

void BindingProperty::GrowCollection(std::size_t size) {
  if (size > kMaxCollectionSize) ThrowTooLong();
  Collection& collection = *Block<Collection>();
  if (size > collection.capacity) {
    const std::size_t doubled = collection.capacity < 4 ? 4 : std::size_t{collection.capacity} * 2;
    ReallocateElements(std::max(size, std::min(doubled, kMaxCollectionSize)));
  }
  for (std::size_t i = collection.size; i < size; ++i) {
    new (&collection.elements[i]) BindingProperty(ChildTag(), arena_);
  }
  collection.size = static_cast<std::uint32_t>(size);
}

// Appends elements of this tree made outside the collection, taking their bytes over; the array
// grows to exactly the new length.
void BindingProperty::TakeElements(BindingProperty* elements, std::size_t count) {
  Collection& collection = *Block<Collection>();
  const std::size_t size = collection.size + count;
  if (size > kMaxCollectionSize) ThrowTooLong();
  if (size > collection.capacity) ReallocateElements(size);
  std::memcpy(static_cast<void*>(collection.elements + collection.size),
              static_cast<const void*>(elements), count * sizeof(BindingProperty));
  collection.size = static_cast<std::uint32_t>(size);
}

BindingProperty& BindingProperty::At(std::size_t index) {
  MakeCollection();
  if (index >= Block<Collection>()->size) {
    if (index >= kMaxCollectionSize) ThrowTooLong();
    GrowCollection(index + 1);
  }
  return Block<Collection>()->elements[index];
}

BindingProperty& BindingProperty::Append() { return At(Size()); }

void BindingProperty::Reserve(std::size_t count) {
  if (kind_ != ValueKind::Collection) return;
  if (count > kMaxCollectionSize) ThrowTooLong();
  if (count > Block<Collection>()->capacity) ReallocateElements(count);
}

BindingProperty& BindingProperty::Member(std::string_view name) {
  MakeStructure();
  return InsertMember(arena_->InternName(name));
}

BindingProperty& BindingProperty::Member(const char* name) {
  return Member(name == nullptr ? std::string_view() : std::string_view(name));
}

BindingProperty& BindingProperty::Member(std::string_view name, std::uint32_t hash) {
  assert(name.find('\0') == std::string_view::npos);
  MakeStructure();
  return InsertMember(arena_->InternString(name, hash));
}

// The member named by `key`, one reference of which the call takes over: the member's own when
// it is new, else dropped. Equal names are one entry, so finding the member needs no second
// comparison of texts.
BindingProperty& BindingProperty::InsertMember(const InternedString& key) {
  MemberMap& members = *Block<MemberMap>();
  // Names in rising order, as our writer and records in name order give them, are placed after
  // the last member with this one comparison of texts.
  const bool appending = members.empty() || MemberNameLess()(members.rbegin()->first, &key);
  auto position = members.end();
  if (!appending) {
    position = members.lower_bound(&key);
    if (position->first == &key) {
      arena_->ReleaseString(key);
      return position->second;
    }
  }
  if (appending) arena_->SetAppendingName(&key);
  try {
    BindingProperty& member =
        members
            .emplace_hint(position, std::piecewise_construct, std::forward_as_tuple(&key),
                          std::forward_as_tuple(ChildTag(), arena_))
            ->second;
    arena_->SetAppendingName(nullptr);
    return member;
  } catch (...) {
    arena_->SetAppendingName(nullptr);
    arena_->ReleaseString(key);
    throw;
  }
}

// Adds a member whose name (from another tree) sorts after every member present.
BindingProperty& BindingProperty::AppendMember(const InternedString& name) {
  return InsertMember(arena_->InternString(name.View(), name.Hash()));
}

// --- Reset

void BindingProperty::ResetLeaf(Texts texts) noexcept {
  switch (kind_) {
    case ValueKind::String:
      // The shared empty string may sit in a root that never needed an arena.
      if (texts == Texts::Release && Block<InternedString>() != &InternedString::Empty()) {
        arena_->ReleaseString(*Block<InternedString>());
      }
      break;
    case ValueKind::Blob:
      Block<BindingBlob>()->~BindingBlob();
      arena_->Free(Block<void>(), sizeof(BindingBlob));
      break;
    case ValueKind::Enum:
      arena_->Free(Block<void>(), sizeof(BindingEnumValue));
      break;
    default:
      break;
  }
  payload_ = 0;
  kind_ = ValueKind::Empty;
}

void BindingProperty::Reset() noexcept { ResetPayload(Texts::Release); }

void BindingProperty::ResetPayload(Texts texts) noexcept {
  if (IsContainer()) {
    void* block = Block<void>();
    const ValueKind kind = kind_;
    payload_ = 0;
    kind_ = ValueKind::Empty;
    ReleaseContainer(*arena_, block, kind, texts);
  } else {
    ResetLeaf(texts);
  }
}

// Frees a detached container block and everything under it, depth first. Each child container
// is detached from its value before it is walked, so that the value's destructor has nothing
// left to do; the stack holds one frame per level.
void BindingProperty::ReleaseContainer(PropertyArena& arena, void* block, BindingPropertyKind kind,
                                       Texts texts) noexcept {
  TreeWalkStack<ChildCursor, kWalkFrames> stack;
  stack.Push(ChildCursor::Over(block, kind));
  while (!stack.Empty()) {
    ChildCursor& cursor = stack.Top();
    BindingProperty* child = cursor.Next();
    if (child == nullptr) {
      if (cursor.kind == ValueKind::Collection) {
        auto* collection = static_cast<Collection*>(cursor.block);
        MemoryHooks::Free(collection->elements);
        arena.Free(collection, sizeof(Collection));
      } else {
        auto* members = static_cast<MemberMap*>(cursor.block);
        members->~MemberMap();
        arena.Free(members, sizeof(MemberMap));
      }
      stack.Pop();
      continue;
    }
    if (cursor.kind == ValueKind::Structure && texts == Texts::Release) {
      arena.ReleaseString(*cursor.name);
    }
    if (child->IsContainer()) {
      const ChildCursor inner = ChildCursor::Over(*child);
      child->payload_ = 0;
      child->kind_ = ValueKind::Empty;
      stack.Push(inner);
    } else {
      child->ResetLeaf(texts);
    }
  }
}

// --- Copy

void BindingProperty::CopyFrom(const BindingProperty& source) {
  if (&source == this) return;
  if (source.arena_ != nullptr && source.arena_ == arena_) {
    // One of the two may lie inside the other: copy aside first, then take the copy over.
    BindingProperty copy(ChildTag(), arena_);
    copy.CopyUnaliased(source);
    TakePayload(copy);
    return;
  }
  CopyUnaliased(source);
}

void BindingProperty::CopyLeaf(const BindingProperty& source) {
  switch (source.kind_) {
    case ValueKind::Empty:
      Reset();
      break;
    case ValueKind::Bool:
    case ValueKind::Signed:
    case ValueKind::Unsigned:
    case ValueKind::Float:
      Reset();
      payload_ = source.payload_;
      kind_ = source.kind_;
      break;
    case ValueKind::String: {
      const InternedString& text = *source.Block<InternedString>();
      const InternedString& entry = text.Size() == 0
                                        ? InternedString::Empty()
                                        : Arena().InternString(text.View(), text.Hash());
      Reset();
      SetInterned(entry);
      break;
    }
    case ValueKind::Blob:
      SetBlob(*source.Block<BindingBlob>());
      break;
    case ValueKind::Enum:
      SetEnum(*source.Block<BindingEnumValue>());
      break;
    default:
      break;
  }
}

void BindingProperty::OpenCopy(const BindingProperty& source) {
  Reset();
  if (source.kind_ == ValueKind::Collection) {
    MakeCollection();
    Reserve(source.Size());
  } else {
    MakeStructure();
  }
}

// `source` lies outside this value's tree.
void BindingProperty::CopyUnaliased(const BindingProperty& source) {
  if (!source.IsContainer()) return CopyLeaf(source);
  struct Frame {
    ChildCursor cursor;       // over the source container
    BindingProperty* target;  // the copy being filled
  };
  TreeWalkStack<Frame, kWalkFrames> stack;
  OpenCopy(source);
  stack.Push(Frame{ChildCursor::Over(source), this});
  while (!stack.Empty()) {
    Frame& frame = stack.Top();
    const BindingProperty* from = frame.cursor.Next();
    if (from == nullptr) {
      stack.Pop();
      continue;
    }
    // The target collection was reserved at the source's size, so appending never moves it.
    BindingProperty& to = frame.cursor.kind == ValueKind::Collection
                              ? frame.target->Append()
                              : frame.target->AppendMember(*frame.cursor.name);
    if (from->IsContainer()) {
      to.OpenCopy(*from);
      stack.Push(Frame{ChildCursor::Over(*from), &to});
    } else {
      to.CopyLeaf(*from);
    }
  }
}

}  // namespace Zarn
