#include "sdk/binding/ApiObject.h"

#include <cstring>
#include <limits>

#include "sdk/base/MemoryHooks.h"

namespace Zarn {
namespace {

void* AllocateZeroed(std::uint32_t count, std::size_t size) noexcept {
  if (count == 0 || count > std::numeric_limits<std::size_t>::max() / size) return nullptr;
  void* block = MemoryHooks::Alloc(count * size);
  if (block != nullptr) std::memset(block, 0, count * size);
  return block;
}

}  // namespace

ApiObject* AllocateApiObjects(std::uint32_t count) noexcept {
  return static_cast<ApiObject*>(AllocateZeroed(count, sizeof(ApiObject)));
}

ApiObjectEntry* AllocateApiObjectEntries(std::uint32_t count) noexcept {
  return static_cast<ApiObjectEntry*>(AllocateZeroed(count, sizeof(ApiObjectEntry)));
}

void DestroyApiObject(ApiObject& object) noexcept {
  switch (object.kind) {
    case kApiObjectOwnedString:
      MemoryHooks::Free(object.a.text);
      break;
    case kApiObjectOwnedBlob:
      MemoryHooks::Free(object.a.bytes);
      break;
    case kApiObjectCollection:
      if (object.a.elements != nullptr) {
        for (std::uint32_t i = 0; i < object.b; ++i) DestroyApiObject(object.a.elements[i]);
      }
      MemoryHooks::Free(object.a.elements);
      break;
    case kApiObjectStructure:
      if (object.a.entries != nullptr) {
        for (std::uint32_t i = 0; i < object.b; ++i) {
          ApiObjectEntry& entry = object.a.entries[i];
          if (entry.ownsName == 1) MemoryHooks::Free(entry.name);
          DestroyApiObject(entry.value);
        }
      }
      MemoryHooks::Free(object.a.entries);
      break;
    default:
      break;
  }
  std::memset(&object, 0, sizeof(object));
}

const char* ApiObjectKindName(std::uint32_t kind) noexcept {
  static constexpr const char* kNames[] = {
      "",       "bool", "signed", "unsigned",   "float",     "string",
      "string", "blob", "blob",   "collection", "structure",
  };
  return kind < sizeof(kNames) / sizeof(kNames[0]) ? kNames[kind] : "";
}

void ApiObject::SetBool(bool value) noexcept {
  DestroyApiObject(*this);
  kind = kApiObjectBool;
  a.word = value ? 1u : 0u;
}

void ApiObject::SetInt64(std::uint32_t low, std::uint32_t high) noexcept {
  DestroyApiObject(*this);
  kind = kApiObjectSigned;
  a.word = low;
  b = high;
}

void ApiObject::SetUint64(std::uint32_t low, std::uint32_t high) noexcept {
  DestroyApiObject(*this);
  kind = kApiObjectUnsigned;
  a.word = low;
  b = high;
}

bool ApiObject::SetString(const char* text) noexcept {
  return SetString(std::string_view(text != nullptr ? text : ""));
}

bool ApiObject::SetString(std::string_view text) noexcept {
  DestroyApiObject(*this);
  auto* copy = static_cast<char*>(MemoryHooks::Alloc(text.size() + 1));
  if (copy == nullptr) return false;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  kind = kApiObjectOwnedString;
  a.text = copy;
  b = static_cast<std::uint32_t>(text.size());
  return true;
}

bool ApiObject::SetBlob(const std::uint8_t* bytes, std::uint32_t count) noexcept {
  DestroyApiObject(*this);
  std::uint8_t* copy = nullptr;
  if (count != 0) {
    if (bytes == nullptr) return false;
    copy = static_cast<std::uint8_t*>(MemoryHooks::Alloc(count));
    if (copy == nullptr) return false;
    std::memcpy(copy, bytes, count);
  }
  kind = kApiObjectOwnedBlob;
  a.bytes = copy;
  b = count;
  return true;
}

void ApiObject::SetCollection(ApiObject* elements, std::uint32_t count) noexcept {
  DestroyApiObject(*this);
  kind = kApiObjectCollection;
  a.elements = elements;
  b = count;
}

void ApiObject::SetStructure(ApiObjectEntry* entries, std::uint32_t count) noexcept {
  DestroyApiObject(*this);
  kind = kApiObjectStructure;
  a.entries = entries;
  b = count;
}

void ApiCallResult::SetError(const char* message) noexcept {
  // Copy first: `message` may be the text this result already holds.
  char* copy = MemoryHooks::StrDup(message != nullptr ? message : "");
  DestroyApiObject(value);
  if (ownsError == 1) MemoryHooks::Free(errorText);
  errorText = copy;
  ownsError = copy != nullptr ? 1 : 0;
}

}  // namespace Zarn
