#include "sdk/binding/BindingRegistry.h"

#include <algorithm>
#include <utility>

#include "sdk/base/Fnv1a.h"

namespace Zarn {

std::size_t BindingNameHash::operator()(std::string_view name) const noexcept {
  return Fnv1a32(name);
}

std::size_t BindingIdHash::operator()(std::uint32_t id) const noexcept { return HashTypeId(id); }

BindingRegistry::BindingRegistry() = default;

BindingRegistry::~BindingRegistry() {
  // Also frees what was registered without Initialize, which Reset leaves alone.
  RemoveEverything();
}

void BindingRegistry::Initialize() {
  Reset();
  RegisterBuiltins();
  initialized_ = true;
}

void BindingRegistry::Reset() {
  if (!initialized_) return;
  RemoveEverything();
  initialized_ = false;
}

void BindingRegistry::RemoveEverything() {
  for (BindingEventInfo* event : GetEvents()) RemoveEvent(event->name);
  {
    std::lock_guard lock(mutex_);
    typesById_.clear();
    typesByName_.clear();
    retiredTypes_.clear();
  }
  for (BindingFunctionInfo* function : GetFunctions()) RemoveFunction(function);
  std::lock_guard lock(mutex_);
  unlistedFunctions_.clear();
}

std::uint32_t BindingRegistry::ChangeCounter() const {
  std::lock_guard lock(mutex_);
  return changeCounter_;
}

BindingTypeBuilder BindingRegistry::RegisterType(std::uint32_t size, const char* name,
                                                 const TypeIdentity& identity, bool isEnum) {
  std::lock_guard lock(mutex_);
  auto found = typesByName_.find(std::string_view(name ? name : ""));
  if (found != typesByName_.end()) return BindingTypeBuilder(this, found->second.get(), true);
  return BindingTypeBuilder(this, AddTypeLocked(size, name, identity, isEnum), false);
}

BindingTypeInfo* BindingRegistry::AddType(std::uint32_t size, const char* name,
                                          const TypeIdentity& identity, bool isEnum) {
  std::lock_guard lock(mutex_);
  return AddTypeLocked(size, name, identity, isEnum);
}

BindingTypeInfo* BindingRegistry::AddTypeLocked(std::uint32_t size, const char* name,
                                                const TypeIdentity& identity, bool isEnum) {
  auto type = std::make_unique<BindingTypeInfo>();
  type->size = size;
  type->isEnum = isEnum;
  type->name = name ? name : "";
  type->id = identity.id;
  type->identity = &identity;
  type->registry = this;
  BindingTypeInfo* record = type.get();
  auto [slot, inserted] = typesByName_.try_emplace(record->name);
  if (!inserted) {
    // Fields of other types may point at the record this one replaces: keep it until Reset.
    BindingTypeInfo* replaced = slot->second.get();
    std::erase_if(typesById_, [&](const auto& entry) { return entry.second == replaced; });
    retiredTypes_.push_back(std::move(slot->second));
  }
  slot->second = std::move(type);
  if (record->id != TypeId<void>().id) typesById_[record->id] = record;
  return record;
}

BindingTypeInfo* BindingRegistry::FindTypeById(std::uint32_t id) const {
  std::lock_guard lock(mutex_);
  auto found = typesById_.find(id);
  return found != typesById_.end() ? found->second : nullptr;
}

const char* BindingRegistry::EnumValueName(std::uint32_t typeId, std::int32_t value) const {
  const BindingTypeInfo* type = FindTypeById(typeId);
  if (type == nullptr) return nullptr;
  for (const auto& [name, enumerator] : type->enumValues) {
    if (enumerator.value == value) return enumerator.name.c_str();
  }
  return nullptr;
}

bool BindingRegistry::IsEnumValue(const BindingTypeInfo& type, std::int32_t value) {
  for (const auto& entry : type.enumValues) {
    if (entry.second.value == value) return true;
  }
  return false;
}

BindingTypeDescriptor BindingRegistry::MakeTypeDescriptor(std::uint32_t typeId) const {
  BindingTypeInfo* type = FindTypeById(typeId);
  if (type == nullptr) return {};
  return {type->isEnum ? BindingTypeCode::Enum : BindingTypeCode::Struct, BindingTypeCode::None,
          type};
}

BindingFunctionInfo* BindingRegistry::RegisterFunction(const char* name,
                                                       std::uint32_t argumentCount, bool unlisted) {
  auto function = std::make_unique<BindingFunctionInfo>();
  function->name = name ? name : "";
  function->arguments.resize(argumentCount);
  for (BindingArgumentInfo& argument : function->arguments) argument.owner = function.get();
  function->registry = this;
  BindingFunctionInfo* record = function.get();
  std::lock_guard lock(mutex_);
  if (unlisted) {
    unlistedFunctions_.push_back(std::move(function));
    return record;
  }
  auto [slot, inserted] = functions_.try_emplace(record->name);
  if (!inserted) unlistedFunctions_.push_back(std::move(slot->second));
  slot->second = std::move(function);
  ++changeCounter_;
  return record;
}

BindingFunctionInfo* BindingRegistry::FindFunction(std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto found = functions_.find(name);
  return found != functions_.end() ? found->second.get() : nullptr;
}

void BindingRegistry::RemoveFunction(BindingFunctionInfo* function) {
  if (function == nullptr) return;
  std::unique_ptr<BindingFunctionInfo> removed;
  {
    std::lock_guard lock(mutex_);
    auto found = functions_.find(function->name);
    if (found != functions_.end() && found->second.get() == function) {
      removed = std::move(found->second);
      functions_.erase(found);
      ++changeCounter_;
    } else {
      auto kept = std::find_if(unlistedFunctions_.begin(), unlistedFunctions_.end(),
                               [&](const auto& entry) { return entry.get() == function; });
      if (kept == unlistedFunctions_.end()) return;
      removed = std::move(*kept);
      unlistedFunctions_.erase(kept);
    }
  }
  // The invoker goes first: it may still read its function record while it is destroyed.
  removed->invoker.reset();
}

BindingEventBuilder BindingRegistry::RegisterEvent(const char* name, BindingTypeInfo* payload) {
  {
    std::lock_guard lock(mutex_);
    auto found = events_.find(std::string_view(name ? name : ""));
    if (found != events_.end()) return BindingEventBuilder(found->second.get(), true);
  }
  return BindingEventBuilder(AddEvent(name, payload), false);
}

BindingEventInfo* BindingRegistry::AddEvent(const char* name, BindingTypeInfo* payload) {
  auto event = std::make_unique<BindingEventInfo>();
  event->name = name ? name : "";
  event->payload = payload;
  BindingEventInfo* record = event.get();
  std::lock_guard lock(mutex_);
  events_[record->name] = std::move(event);
  return record;
}

void BindingRegistry::RemoveEvent(std::string_view name) {
  std::unique_ptr<BindingEventInfo> removed;
  std::lock_guard lock(mutex_);
  auto found = events_.find(name);
  if (found == events_.end()) return;
  removed = std::move(found->second);
  events_.erase(found);
}

template <typename T>
std::vector<T*> BindingRegistry::CopyTable(const NameTable<T>& table) const {
  std::lock_guard lock(mutex_);
  std::vector<T*> copy;
  copy.reserve(table.size());
  for (const auto& entry : table) copy.push_back(entry.second.get());
  return copy;
}

std::vector<BindingFunctionInfo*> BindingRegistry::GetFunctions() const {
  return CopyTable(functions_);
}

std::vector<BindingTypeInfo*> BindingRegistry::GetTypes() const { return CopyTable(typesByName_); }

std::vector<BindingEventInfo*> BindingRegistry::GetEvents() const { return CopyTable(events_); }

}  // namespace Zarn
