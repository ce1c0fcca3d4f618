#include "sdk/binding/BindingBuilders.h"

#include <utility>

#include "sdk/base/Fnv1a.h"
#include "sdk/binding/InternedString.h"

namespace Zarn {

BindingTypeBuilder::BindingTypeBuilder(BindingTypeBuilder&& other) noexcept
    : registry_(std::exchange(other.registry_, nullptr)),
      type_(std::exchange(other.type_, nullptr)),
      lastOffset_(std::exchange(other.lastOffset_, 0)),
      exists_(std::exchange(other.exists_, false)) {}

BindingTypeBuilder& BindingTypeBuilder::operator=(BindingTypeBuilder&& other) noexcept {
  if (this != &other) {
    registry_ = std::exchange(other.registry_, nullptr);
    type_ = std::exchange(other.type_, nullptr);
    lastOffset_ = std::exchange(other.lastOffset_, 0);
    exists_ = std::exchange(other.exists_, false);
  }
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddField(
    std::string_view name, std::string_view description, std::uint32_t offset,
    const TypeIdentity* identity, const BindingTypeDescriptor& descriptor,
    const BindingTypeDescriptor& secondDescriptor, std::uint32_t flags,
    std::unique_ptr<BindingFieldConverter> converter, bool optional) {
  if (type_ == nullptr || exists_) return *this;
  lastOffset_ = offset;
  BindingFieldInfo& field = type_->fields.emplace_back();
  field.name = name;
  const std::string_view memberName = CutAtNul(name);
  field.memberNameSize = static_cast<std::uint32_t>(memberName.size());
  field.nameHash = Fnv1a32(memberName);
  field.description = description;
  field.identity = identity;
  field.offset = offset;
  field.descriptor = descriptor;
  if (secondDescriptor.kind != BindingTypeCode::None) field.secondDescriptor = secondDescriptor;
  field.flags = flags;
  field.converter = std::move(converter);
  field.owner = type_;
  field.optional = optional;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddEnumValue(std::string_view name, std::int32_t value,
                                                     std::string_view description) {
  if (type_ == nullptr) return *this;
  BindingEnumValueInfo& entry = type_->enumValues[std::string(name)];
  entry.value = value;
  entry.name = name;
  entry.description = description;
  entry.owner = type_;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddTag(const char* tag) {
  if (type_ != nullptr && !exists_ && tag != nullptr && *tag != '\0') type_->tags.emplace_back(tag);
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddTags(const std::vector<std::string>& tags) {
  if (type_ != nullptr && !exists_) type_->tags.insert(type_->tags.end(), tags.begin(), tags.end());
  return *this;
}

BindingFunctionBuilder::BindingFunctionBuilder(BindingFunctionBuilder&& other) noexcept
    : function_(std::exchange(other.function_, nullptr)),
      index_(std::exchange(other.index_, 0)),
      exists_(std::exchange(other.exists_, false)) {}

BindingFunctionBuilder& BindingFunctionBuilder::operator=(BindingFunctionBuilder&& other) noexcept {
  if (this != &other) {
    function_ = std::exchange(other.function_, nullptr);
    index_ = std::exchange(other.index_, 0);
    exists_ = std::exchange(other.exists_, false);
  }
  return *this;
}

BindingFunctionBuilder& BindingFunctionBuilder::AddArgument(
    std::string_view name, std::string_view description, const BindingTypeDescriptor* descriptor,
    const BindingArgumentContainer* container) {
  if (function_ != nullptr && !exists_) {
    if (function_->arguments.size() <= index_) function_->arguments.resize(index_ + 1);
    BindingArgumentInfo& argument = function_->arguments[index_];
    argument.name = name;
    argument.nameHash = Fnv1a32(name);
    argument.description = description;
    argument.owner = function_;
    if (descriptor != nullptr) argument.secondDescriptor = *descriptor;
    if (container != nullptr) argument.container = *container;
  }
  ++index_;
  return *this;
}

BindingFunctionBuilder& BindingFunctionBuilder::AddTags(const std::vector<std::string>& tags) {
  if (function_ != nullptr && !exists_) {
    function_->tags.insert(function_->tags.end(), tags.begin(), tags.end());
  }
  return *this;
}

BindingEventBuilder::BindingEventBuilder(BindingEventBuilder&& other) noexcept
    : event_(std::exchange(other.event_, nullptr)), exists_(std::exchange(other.exists_, false)) {}

BindingEventBuilder& BindingEventBuilder::operator=(BindingEventBuilder&& other) noexcept {
  if (this != &other) {
    event_ = std::exchange(other.event_, nullptr);
    exists_ = std::exchange(other.exists_, false);
  }
  return *this;
}

BindingEventBuilder& BindingEventBuilder::SetDescription(const char* description) {
  if (event_ != nullptr && !exists_) event_->description = description ? description : "";
  return *this;
}

BindingEventBuilder& BindingEventBuilder::AddTag(const char* tag) {
  if (event_ != nullptr && !exists_ && tag != nullptr && *tag != '\0') {
    event_->tags.emplace_back(tag);
  }
  return *this;
}

}  // namespace Zarn
