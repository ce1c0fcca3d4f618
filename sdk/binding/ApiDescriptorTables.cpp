#include "sdk/binding/ApiDescriptorTables.h"

#include <cstring>
#include <limits>
#include <string>

#include "sdk/base/MemoryHooks.h"

namespace Zarn {
namespace {

// The second descriptor stands in for the first when its code is set.
const BindingTypeDescriptor& Effective(const BindingTypeDescriptor& first,
                                       const BindingTypeDescriptor& second) {
  return second.kind != BindingTypeCode::None ? second : first;
}

// The referenced registration's name for vectors, enums, structs and maps; "" otherwise.
const char* TypeName(const BindingTypeDescriptor& descriptor) {
  switch (descriptor.kind) {
    case BindingTypeCode::Vector:
    case BindingTypeCode::Enum:
    case BindingTypeCode::Struct:
    case BindingTypeCode::Map:
      return descriptor.type != nullptr ? descriptor.type->name.c_str() : "";
    default:
      return "";
  }
}

std::uint32_t Count(std::size_t size) { return static_cast<std::uint32_t>(size); }

// Links `count` records of an array through `next`; the last one's stays null.
template <typename T>
void Link(T* records, std::size_t count) {
  for (std::size_t i = 0; i + 1 < count; ++i) records[i].next = &records[i + 1];
}

// Fills `tagSlots` with the texts of `tags` and advances it; returns the first slot or null.
const char* const* PutTags(const std::vector<std::string>& tags, const char**& tagSlots) {
  if (tags.empty()) return nullptr;
  const char** first = tagSlots;
  for (const std::string& tag : tags) *tagSlots++ = tag.c_str();
  return first;
}

// Fills what argument and field descriptors share, from the member's effective descriptor.
template <typename Record, typename Member>
void PutMember(Record& record, const Member& member) {
  const BindingTypeDescriptor& type = Effective(member.descriptor, member.secondDescriptor);
  record.name = member.name.c_str();
  record.description = member.description.c_str();
  record.typeCode = ToApiTypeCode(type.kind);
  record.elementTypeCode = ToApiTypeCode(type.elementKind);
  record.typeName = TypeName(type);
  record.optional = member.optional ? 1 : 0;
}

}  // namespace

std::uint32_t ToApiTypeCode(BindingTypeCode code) noexcept {
  const auto value = static_cast<std::uint32_t>(code);
  return value >= 1 && value <= 19 ? value : 0;
}

template <typename T>
T* ApiDescriptorTables::Allocate(std::size_t count) {
  if (count == 0 || failed_) return nullptr;
  if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
    failed_ = true;
    return nullptr;
  }
  void* block = MemoryHooks::Alloc(count * sizeof(T));
  if (block == nullptr) {
    failed_ = true;
    return nullptr;
  }
  std::memset(block, 0, count * sizeof(T));
  blocks_.push_back(block);
  return static_cast<T*>(block);
}

void ApiDescriptorTables::Release() noexcept {
  for (void* block : blocks_) MemoryHooks::Free(block);
  blocks_.clear();
  snapshot_ = {};
  failed_ = false;
}

bool BuildApiDescriptorTables(ApiDescriptorTables& owner,
                              const std::vector<BindingFunctionInfo*>& functions,
                              const std::vector<BindingTypeInfo*>& types,
                              const std::vector<BindingEventInfo*>& events) {
  owner.Release();
  std::size_t argumentTotal = 0, fieldTotal = 0, enumeratorTotal = 0, tagTotal = 0;
  for (const BindingFunctionInfo* function : functions) {
    argumentTotal += function->arguments.size();
    tagTotal += function->tags.size();
  }
  for (const BindingTypeInfo* type : types) {
    fieldTotal += type->fields.size();
    if (type->fields.empty()) enumeratorTotal += type->enumValues.size();
    tagTotal += type->tags.size();
  }
  for (const BindingEventInfo* event : events) tagTotal += event->tags.size();

  auto* functionRecords = owner.Allocate<ApiFunctionDescriptor>(functions.size());
  auto* argumentRecords = owner.Allocate<ApiArgumentDescriptor>(argumentTotal);
  auto* typeRecords = owner.Allocate<ApiTypeDescriptor>(types.size());
  auto* fieldRecords = owner.Allocate<ApiFieldDescriptor>(fieldTotal);
  auto* enumeratorRecords = owner.Allocate<ApiEnumeratorDescriptor>(enumeratorTotal);
  auto* eventRecords = owner.Allocate<ApiEventDescriptor>(events.size());
  const char** tagSlots = owner.Allocate<const char*>(tagTotal);
  if (owner.failed_) {
    owner.Release();
    return false;
  }

  for (std::size_t i = 0; i < functions.size(); ++i) {
    const BindingFunctionInfo& function = *functions[i];
    ApiArgumentDescriptor* arguments = function.arguments.empty() ? nullptr : argumentRecords;
    for (const BindingArgumentInfo& argument : function.arguments) {
      PutMember(*argumentRecords++, argument);
    }
    Link(arguments, function.arguments.size());

    const BindingTypeDescriptor& returns =
        Effective(function.returnType, function.secondReturnType);
    ApiFunctionDescriptor& record = functionRecords[i];
    record.name = function.name.c_str();
    record.nameSpace = function.nameSpace.c_str();
    record.arguments = arguments;
    record.argumentCount = Count(function.arguments.size());
    record.returnTypeCode = ToApiTypeCode(returns.kind);
    record.returnElementTypeCode = ToApiTypeCode(returns.elementKind);
    record.returnTypeName = TypeName(returns);
    record.description = function.description.c_str();
    record.help = function.help.c_str();
    record.threadSafe = function.threadSafe ? 1 : 0;
    record.asyncResultType =
        function.async && returns.type != nullptr ? returns.type->name.c_str() : "";
    record.tags = PutTags(function.tags, tagSlots);
    record.tagCount = Count(function.tags.size());
  }
  Link(functionRecords, functions.size());

  for (std::size_t i = 0; i < types.size(); ++i) {
    const BindingTypeInfo& type = *types[i];
    ApiTypeDescriptor& record = typeRecords[i];
    if (!type.fields.empty()) {
      record.fields = fieldRecords;
      for (const BindingFieldInfo& field : type.fields) {
        ApiFieldDescriptor& entry = *fieldRecords++;
        PutMember(entry, field);
        entry.offset = field.offset;
      }
      Link(fieldRecords - type.fields.size(), type.fields.size());
      record.count = Count(type.fields.size());
    } else if (!type.enumValues.empty()) {
      record.enumerators = enumeratorRecords;
      for (const auto& [name, enumerator] : type.enumValues) {
        ApiEnumeratorDescriptor& entry = *enumeratorRecords++;
        entry.name = enumerator.name.c_str();
        entry.description = enumerator.description.c_str();
        entry.value = enumerator.value;
      }
      Link(enumeratorRecords - type.enumValues.size(), type.enumValues.size());
      record.count = Count(type.enumValues.size());
    }
    record.name = type.name.c_str();
    record.nameSpace = type.nameSpace.c_str();
    record.size = type.size;
    record.description = type.description.c_str();
    record.tags = PutTags(type.tags, tagSlots);
    record.tagCount = Count(type.tags.size());
  }
  Link(typeRecords, types.size());

  for (std::size_t i = 0; i < events.size(); ++i) {
    const BindingEventInfo& event = *events[i];
    ApiEventDescriptor& record = eventRecords[i];
    record.name = event.name.c_str();
    record.nameSpace = event.nameSpace.c_str();
    record.payloadTypeName = event.payload != nullptr ? event.payload->name.c_str() : "";
    record.description = event.description.c_str();
    record.tags = PutTags(event.tags, tagSlots);
    record.tagCount = Count(event.tags.size());
  }
  Link(eventRecords, events.size());

  owner.snapshot_ = {functionRecords, Count(functions.size()), typeRecords, Count(types.size()),
                     eventRecords,    Count(events.size())};
  return true;
}

}  // namespace Zarn
