// The walker interface of Zarn::BindingProperty::Accept, which writers of value text implement.
#pragma once

#include <cstdint>

#include "sdk/binding/BindingProperty.h"

namespace Zarn {

// One call per scalar; containers are bracketed. A collection gives StartArray(count), then for
// each element BeginElement(i), the element's calls, EndElement(i), then EndArray(). A structure
// gives StartObject(count), then for each member in name order Key(name), the value's calls,
// EndMember(name), then EndObject(). References passed in are valid for the call only.
class BindingPropertyVisitor {
 public:
  virtual void Null() = 0;
  virtual void Bool(bool value) = 0;
  virtual void Int64(std::int64_t value) = 0;
  virtual void Uint64(std::uint64_t value) = 0;
  virtual void Double(double value) = 0;
  virtual void String(const InternedString& text) = 0;
  virtual void Binary(const BindingBlob& bytes) = 0;
  virtual void Enum(const BindingEnumValue& value) = 0;
  virtual void StartArray(std::uint32_t count) = 0;
  virtual void BeginElement(std::uint32_t index) = 0;
  virtual void EndElement(std::uint32_t index) = 0;
  virtual void EndArray() = 0;
  virtual void StartObject(std::uint32_t count) = 0;
  virtual void Key(const InternedString& name) = 0;
  virtual void EndMember(const InternedString& name) = 0;
  virtual void EndObject() = 0;
  virtual ~BindingPropertyVisitor() = default;
};

}  // namespace Zarn
