// The readers and writers under the field converters: which value kinds a native field accepts,
// the range checks, and every conversion message. Each reader does nothing and returns a zero
// value once `result` has failed; on a failure of its own it sets the message into `result` and
// returns a zero value. Never throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/BindingResult.h"

namespace Zarn {

class BindingRegistry;
struct BindingTypeInfo;

namespace BindingConvert {

// The name that stands for a whole value, not a member, in messages.
inline constexpr std::string_view kValueName = "<value>";

// A bool, or the texts "true", "1", "false", "0".
[[nodiscard]] bool AssignBool(BindingResult& result, const BindingProperty& source,
                              std::string_view name);

// A number within [lower, upper]: an integer, a float truncated toward zero, a base-0 integer
// text, or an enum's value. `typeName` ("int32", "int64") stands in the messages.
[[nodiscard]] std::int64_t AssignSigned(BindingResult& result, const BindingProperty& source,
                                        std::string_view name, std::int64_t lower,
                                        std::int64_t upper, const char* typeName);

// As AssignSigned for [0, upper]; a negative number or a text that starts with "-" (after
// white space) is out of range.
[[nodiscard]] std::uint64_t AssignUnsigned(BindingResult& result, const BindingProperty& source,
                                           std::string_view name, std::uint64_t upper,
                                           const char* typeName);

// A number within [lower, upper]; integers are taken to the nearest double; NaN never fits.
[[nodiscard]] double AssignFloat(BindingResult& result, const BindingProperty& source,
                                 std::string_view name, double lower, double upper,
                                 const char* typeName);

// The value of one of `type`'s enumerators, given as a number, an enum value, the enumerator's
// name or its number as text. `type` may be null (an enum registered after its member), which
// fails as unregistered.
[[nodiscard]] std::int32_t AssignEnum(BindingResult& result, const BindingProperty& source,
                                      std::string_view name, const BindingTypeInfo* type);

// A string, or an enum value's registered name.
[[nodiscard]] std::string AssignString(BindingResult& result, const BindingProperty& source,
                                       std::string_view name, const BindingRegistry& registry);

// "A value for '<name>' is required."
void FailRequired(BindingResult& result, std::string_view name);

// The failures of a list field fed something other than a collection, and of a map field fed
// something other than a structure.
void FailNotCollection(BindingResult& result, std::string_view name);
void FailNotStructure(BindingResult& result, std::string_view name);

// Fails on an empty source, otherwise AssignStruct.
void RequireValue(BindingResult& result, void* target, const BindingProperty& source,
                  std::string_view name, const BindingTypeInfo* type,
                  const BindingRegistry& registry, std::uint32_t context);

// Reads the fields of the record at `target`, described by `type` (may be null: unregistered),
// from the members of the structure `source`, in registration order. A missing or empty member
// leaves its field as it is, unless the field is required. Stops at the first failure; the
// fields read before it keep their new values.
void AssignStruct(BindingResult& result, void* target, const BindingProperty& source,
                  std::string_view name, const BindingTypeInfo* type,
                  const BindingRegistry& registry, std::uint32_t context);

// Writes the record at `source` into `out` as a structure, one member per field in registration
// order. A failure is set into `status` (which resets its value, so `out` must not be touched
// afterwards when it lies inside it).
void WriteStruct(BindingProperty& out, BindingResult& status, const void* source,
                 const BindingTypeInfo* type, const BindingRegistry& registry);

// WriteStruct into the destination's own value.
void StructToProperty(BindingResult& destination, const void* source, const BindingTypeInfo* type,
                      const BindingRegistry& registry);

}  // namespace BindingConvert

// The record at `record`, of the registered type `type` (may be null), written into the
// destination's value.
void ConvertStructToProperty(BindingResult& destination, const void* record,
                             const BindingTypeInfo* type, const BindingRegistry& registry);

}  // namespace Zarn
