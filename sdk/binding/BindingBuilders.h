// The small values that registration returns. Their setters change nothing when the item
// already existed, so the first registration of a name wins. A moved-from builder keeps
// nothing of its record and its setters do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/binding/BindingFunctionInfo.h"
#include "sdk/binding/BindingTypeInfo.h"

namespace Zarn {

class BindingRegistry;

class BindingTypeBuilder {
 public:
  BindingTypeBuilder(BindingRegistry* registry, BindingTypeInfo* type, bool exists) noexcept
      : registry_(registry), type_(type), exists_(exists) {}
  BindingTypeBuilder(const BindingTypeBuilder&) = delete;
  BindingTypeBuilder& operator=(const BindingTypeBuilder&) = delete;
  BindingTypeBuilder(BindingTypeBuilder&& other) noexcept;
  BindingTypeBuilder& operator=(BindingTypeBuilder&& other) noexcept;

  // Appends a field and records `offset` as the last offset; names are not checked for
  // duplicates. Does nothing (the converter is destroyed) when the type already existed.
  // `identity` may be null; `secondDescriptor` is kept only when its kind is set.
  BindingTypeBuilder& AddField(std::string_view name, std::string_view description,
                               std::uint32_t offset, const TypeIdentity* identity,
                               const BindingTypeDescriptor& descriptor,
                               const BindingTypeDescriptor& secondDescriptor, std::uint32_t flags,
                               std::unique_ptr<BindingFieldConverter> converter, bool optional);
  // Adds an enumerator, or overwrites the one of the same name; this one ignores the exists
  // flag.
  BindingTypeBuilder& AddEnumValue(std::string_view name, std::int32_t value,
                                   std::string_view description);
  // Appends a tag unless the type existed or the tag is null or empty.
  BindingTypeBuilder& AddTag(const char* tag);
  // Appends every tag unless the type existed.
  BindingTypeBuilder& AddTags(const std::vector<std::string>& tags);

  [[nodiscard]] BindingRegistry* Registry() const noexcept { return registry_; }
  [[nodiscard]] BindingTypeInfo* Type() const noexcept { return type_; }
  [[nodiscard]] bool Exists() const noexcept { return exists_; }
  [[nodiscard]] std::uint32_t LastOffset() const noexcept { return lastOffset_; }

 private:
  BindingRegistry* registry_;
  BindingTypeInfo* type_;
  std::uint32_t lastOffset_ = 0;
  bool exists_;
};

class BindingFunctionBuilder {
 public:
  BindingFunctionBuilder(BindingFunctionInfo* function, bool exists) noexcept
      : function_(function), exists_(exists) {}
  BindingFunctionBuilder(const BindingFunctionBuilder&) = delete;
  BindingFunctionBuilder& operator=(const BindingFunctionBuilder&) = delete;
  BindingFunctionBuilder(BindingFunctionBuilder&& other) noexcept;
  BindingFunctionBuilder& operator=(BindingFunctionBuilder&& other) noexcept;

  // Unless the function existed, names the argument at the current index (growing the list
  // when needed), with `descriptor` as its second descriptor and `container` copied when given.
  // The index advances in every case. Both pointers may be null.
  BindingFunctionBuilder& AddArgument(std::string_view name, std::string_view description,
                                      const BindingTypeDescriptor* descriptor,
                                      const BindingArgumentContainer* container);
  // Appends the tags unless the function existed.
  BindingFunctionBuilder& AddTags(const std::vector<std::string>& tags);

  [[nodiscard]] BindingFunctionInfo* Function() const noexcept { return function_; }
  [[nodiscard]] bool Exists() const noexcept { return exists_; }
  [[nodiscard]] std::uint32_t ArgumentIndex() const noexcept { return index_; }

 protected:
  BindingFunctionInfo* function_;
  std::uint32_t index_ = 0;
  bool exists_;
};

class BindingEventBuilder {
 public:
  BindingEventBuilder(BindingEventInfo* event, bool exists) noexcept
      : event_(event), exists_(exists) {}
  BindingEventBuilder(const BindingEventBuilder&) = delete;
  BindingEventBuilder& operator=(const BindingEventBuilder&) = delete;
  BindingEventBuilder(BindingEventBuilder&& other) noexcept;
  BindingEventBuilder& operator=(BindingEventBuilder&& other) noexcept;

  // Both do nothing when the event existed; AddTag also ignores a null or empty tag.
  BindingEventBuilder& SetDescription(const char* description);
  BindingEventBuilder& AddTag(const char* tag);

  [[nodiscard]] BindingEventInfo* Event() const noexcept { return event_; }
  [[nodiscard]] bool Exists() const noexcept { return exists_; }

 private:
  BindingEventInfo* event_;
  bool exists_;
};

}  // namespace Zarn
