// JSON text to values and back, on rapidjson.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/BindingResult.h"

namespace Zarn {

class BindingRegistry;

// Containers nested deeper than this fail to parse, so that hostile text cannot exhaust memory
// or the stack of any later walk over the value.
inline constexpr std::uint32_t kMaxJsonDepth = 512;

// Parses one JSON value from the NUL-terminated `text` (null is taken as empty). Empty or blank
// text gives the empty value. A failure's message is "Error: <reason> at offset <n>.", the
// offset counted from the first byte of `text`. Never throws.
[[nodiscard]] BindingResult ParseJsonText(const char* text);
// ParseJsonText over the characters of `text`, up to its first NUL.
[[nodiscard]] BindingResult ParseJson(const std::string& text);

// Writes `value` as JSON text: "" for the empty value. A null or empty `separator` gives compact
// text; any other gives indented text in which every line break is `separator`. `registry` (may
// be null) names enum values; without a name an enum is written as its number.
[[nodiscard]] std::string SerializeJson(const BindingProperty& value,
                                        const BindingRegistry* registry, const char* separator);

// SerializeJson of a value or of a bool, as a result; converting either never fails.
template <typename T>
[[nodiscard]] MaybeType<Failure, std::string> ToJsonText(const T& value,
                                                         const BindingRegistry* registry,
                                                         const char* separator);
template <>
[[nodiscard]] MaybeType<Failure, std::string> ToJsonText<BindingProperty>(
    const BindingProperty& value, const BindingRegistry* registry, const char* separator);
template <>
[[nodiscard]] MaybeType<Failure, std::string> ToJsonText<bool>(const bool& value,
                                                               const BindingRegistry* registry,
                                                               const char* separator);

}  // namespace Zarn
