// Operations on the host value and its call result beyond their setters.
#pragma once

#include <cstdint>

#include "sdk/binding/ApiRecords.h"

namespace Zarn {

// Frees what the object owns: the text or bytes of kinds 6 and 8; every element of kind 9 and
// the array; every entry value of kind 10, the entry's name when it owns it, and the array.
// Kinds 5 and 7 free nothing. The object is left all zero (kind 0).
void DestroyApiObject(ApiObject& object) noexcept;

// "", "bool", "signed", "unsigned", "float", "string" (5, 6), "blob" (7, 8), "collection",
// "structure"; "" for any other kind. Never null.
[[nodiscard]] const char* ApiObjectKindName(std::uint32_t kind) noexcept;

// A hook-allocated array of `count` zeroed objects or entries; null when `count` is 0 or memory
// ran out (check `count` before treating null as failure).
[[nodiscard]] ApiObject* AllocateApiObjects(std::uint32_t count) noexcept;
[[nodiscard]] ApiObjectEntry* AllocateApiObjectEntries(std::uint32_t count) noexcept;

}  // namespace Zarn
