// Conversions between the reflected value and the 12-byte host value.
#pragma once

#include <string_view>

#include "sdk/binding/ApiRecords.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn {

class BindingRegistry;

// Nesting of collections and structures beyond this fails (or, writing, is refused).
inline constexpr unsigned kMaxHostValueDepth = 512;

// Converts `value` into `target`, destroying what the target held first. Every block comes from
// the allocator hooks. An enum becomes its enumerator's name when `registry` (may be null) knows
// one, else its number as a signed value. Returns false only when memory ran out or the value
// nests deeper than kMaxHostValueDepth; `target` is then empty.
bool PropertyToApiObject(ApiObject& target, const BindingProperty& value,
                         const BindingRegistry* registry) noexcept;

// Converts `object`, which comes from the host and is checked before it is read, into `target`.
// On failure writes the message into `result` (ApiCallResult::SetError), stops, and returns
// false; `target` is then left as far as it got. `name` stands for the argument in messages.
// Texts of kinds 5 and 6 are read up to their NUL (a null text is the empty text).
bool ApiObjectToProperty(ApiCallResult& result, BindingProperty& target, const ApiObject& object,
                         std::string_view name) noexcept;

}  // namespace Zarn
