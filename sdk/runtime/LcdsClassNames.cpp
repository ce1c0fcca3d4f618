#include "sdk/runtime/LcdsClassNames.h"

#include <cstddef>
#include <string_view>
#include <vector>

#include "sdk/binding/BindingTypeInfo.h"

namespace Zarn::Client {

namespace {

constexpr std::string_view kClassMember = "__class";
constexpr unsigned kMaxStampDepth = 512;

void Stamp(BindingProperty& value, const BindingTypeDescriptor& descriptor,
           const LcdsClassTable& classes, unsigned depth);

// Sets the class of the record `record` of `type`, then stamps its fields.
void StampRecord(BindingProperty& record, const BindingTypeInfo& type, const std::string& name,
                 const LcdsClassTable& classes, unsigned depth) {
  if (!record.IsStructure()) return;
  record.Member(kClassMember).SetString(name);
  for (const BindingFieldInfo& field : type.fields) {
    if (!record.HasMember(field.name)) continue;
    // Members never move, so the reference stays valid while its own members change.
    Stamp(record.Member(field.name), field.descriptor, classes, depth + 1);
  }
}

void Stamp(BindingProperty& value, const BindingTypeDescriptor& descriptor,
           const LcdsClassTable& classes, unsigned depth) {
  if (depth > kMaxStampDepth || descriptor.type == nullptr) return;
  const BindingTypeInfo& type = *descriptor.type;
  const auto entry = classes.find(type.name);
  if (entry == classes.end()) return;
  const std::string& name = entry->second;
  switch (descriptor.kind) {
    case BindingTypeCode::Vector:
      if (!value.IsCollection()) return;
      for (std::size_t i = 0; i < value.Size(); ++i) {
        StampRecord(value.At(i), type, name, classes, depth + 1);
      }
      return;
    case BindingTypeCode::Map: {
      if (!value.IsStructure()) return;
      std::vector<std::string> keys;
      keys.reserve(value.Size());
      for (auto it = value.MembersBegin(); it != value.MembersEnd(); ++it) {
        keys.emplace_back(it.Name().View());
      }
      for (const std::string& key : keys) {
        StampRecord(value.Member(key), type, name, classes, depth + 1);
      }
      return;
    }
    default:
      StampRecord(value, type, name, classes, depth);
      return;
  }
}

}  // namespace

void StampLcdsClassNames(BindingProperty& value, const BindingTypeDescriptor& descriptor,
                         const LcdsClassTable& classes) {
  Stamp(value, descriptor, classes, 0);
}

}  // namespace Zarn::Client
