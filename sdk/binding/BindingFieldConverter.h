// The converter object that a registered field owns: it reads the native field from a value and
// writes it back. One subclass per native field type.
#pragma once

#include <cstdint>
#include <string_view>

namespace Zarn {

class BindingProperty;
class BindingRegistry;
class BindingResult;
struct BindingTypeInfo;

class BindingFieldConverter {
 public:
  // Reads `source` into the native field at `target`. Does nothing once `result` has failed;
  // a failure is written into `result`. `name` stands for '%1' in messages. `type` is the
  // field's record, enum or element type, or null. `context` is the host context of the
  // conversion, passed on unchanged to nested conversions.
  virtual void Assign(BindingResult& result, void* target, const BindingProperty& source,
                      std::string_view name, const BindingTypeInfo* type,
                      const BindingRegistry& registry, std::uint32_t context) const = 0;

  // Writes the native field at `source` into the value of `destination`.
  virtual void ToProperty(BindingResult& destination, const void* source,
                          const BindingTypeInfo* type, const BindingRegistry& registry) const = 0;

  virtual ~BindingFieldConverter() = default;

  // Writes the native field at `source` into `out`, which may lie inside `status`'s value (a
  // member of a record being written); a failure is set into `status`, after which `out` must
  // not be touched. The default converts into a fresh result through ToProperty and copies it
  // over; converters that can build the value in place override it.
  virtual void WriteInto(BindingProperty& out, BindingResult& status, const void* source,
                         const BindingTypeInfo* type, const BindingRegistry& registry) const;
};

}  // namespace Zarn
