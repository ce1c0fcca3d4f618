// The catalogue of everything the plugin exposes to the host: bound record and enum types with
// their fields and enumerators, functions with their arguments, and events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sdk/binding/BindingBuilders.h"
#include "sdk/binding/BindingFunctionInfo.h"
#include "sdk/binding/BindingTypeInfo.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {

// FNV-1a 32 over a name's bytes, and over a 32-bit id's four bytes lowest first.
struct BindingNameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const noexcept;
};
struct BindingIdHash {
  std::size_t operator()(std::uint32_t id) const noexcept;
};

// Lookups and insertions take the registry's mutex. Records are filled through the builders
// without the lock, during start-up, before the host calls in. Every record pointer handed out
// stays valid until the record is removed or the registry is reset.
class BindingRegistry {
 public:
  BindingRegistry();
  BindingRegistry(const BindingRegistry&) = delete;
  BindingRegistry& operator=(const BindingRegistry&) = delete;
  virtual ~BindingRegistry();

  // Reset, then the built-in types and the "OnCallback" event.
  void Initialize();
  // Nothing when not initialized; otherwise removes every event, type and function.
  void Reset();
  [[nodiscard]] bool IsInitialized() const noexcept { return initialized_; }
  // Raised by one whenever a function enters or leaves the function table.
  [[nodiscard]] std::uint32_t ChangeCounter() const;

  // Types. A name already registered gives a builder with exists 1 holding the first record.
  BindingTypeBuilder RegisterType(std::uint32_t size, const char* name,
                                  const TypeIdentity& identity, bool isEnum);
  // Makes and files a new record. A type with the id of TypeId<void> is kept out of the by-id
  // table; an earlier type of the same id is replaced there. A record of the same name is
  // replaced in the tables but kept until Reset, so that pointers to it stay valid.
  BindingTypeInfo* AddType(std::uint32_t size, const char* name, const TypeIdentity& identity,
                           bool isEnum);
  [[nodiscard]] BindingTypeInfo* FindTypeById(std::uint32_t id) const;
  [[nodiscard]] static BindingTypeInfo* LookupType(const TypeIdentity& identity,
                                                   const BindingRegistry& registry) {
    return registry.FindTypeById(identity.id);
  }
  // The name of the first enumerator, in name order, with `value`; null when there is none or
  // the type is unknown. Valid as long as the type is registered.
  [[nodiscard]] const char* EnumValueName(std::uint32_t typeId, std::int32_t value) const;
  [[nodiscard]] static bool IsEnumValue(const BindingTypeInfo& type, std::int32_t value);
  // {Enum or Struct, None, the record}; all zero when the id is unknown.
  [[nodiscard]] BindingTypeDescriptor MakeTypeDescriptor(std::uint32_t typeId) const;

  // Functions. A new record with `argumentCount` empty arguments; unless `unlisted`, it enters
  // the function table, replacing a record of the same name (which is kept, unlisted, until
  // Reset, so that pointers to it stay valid).
  BindingFunctionInfo* RegisterFunction(const char* name, std::uint32_t argumentCount,
                                        bool unlisted);
  [[nodiscard]] BindingFunctionInfo* FindFunction(std::string_view name) const;
  // Declares the function `name` for a handler of signature R(Args...): its argument and return
  // descriptors, and an invoker holding a copy of `handler`. A name declared before keeps its
  // first declaration, and the builder has exists 1. Defined with the invokers, in
  // sdk/api/DefineFunction.h.
  template <typename R, typename... Args>
  BindingFunctionBuilder DefineFunction(const char* name, const std::function<R(Args...)>& handler);
  // Takes the function out of the registry and frees it with its invoker.
  void RemoveFunction(BindingFunctionInfo* function);

  // Events. A name already registered gives a builder with exists 1.
  BindingEventBuilder RegisterEvent(const char* name, BindingTypeInfo* payload);
  BindingEventInfo* AddEvent(const char* name, BindingTypeInfo* payload);
  void RemoveEvent(std::string_view name);

  // Copies of the tables, in their iteration order, taken under the mutex.
  [[nodiscard]] std::vector<BindingFunctionInfo*> GetFunctions() const;
  [[nodiscard]] std::vector<BindingTypeInfo*> GetTypes() const;
  [[nodiscard]] std::vector<BindingEventInfo*> GetEvents() const;

 protected:
  void RegisterBuiltins();
  void RegisterHelpTypes();
  void RegisterAsyncTypes();

 private:
  template <typename T>
  using NameTable =
      std::unordered_map<std::string, std::unique_ptr<T>, BindingNameHash, std::equal_to<>>;

  void RemoveEverything();
  template <typename T>
  std::vector<T*> CopyTable(const NameTable<T>& table) const;
  BindingTypeInfo* AddTypeLocked(std::uint32_t size, const char* name, const TypeIdentity& identity,
                                 bool isEnum);

  mutable std::mutex mutex_;
  std::uint32_t changeCounter_ = 0;
  NameTable<BindingFunctionInfo> functions_;
  NameTable<BindingEventInfo> events_;
  NameTable<BindingTypeInfo> typesByName_;
  std::unordered_map<std::uint32_t, BindingTypeInfo*, BindingIdHash> typesById_;
  // Functions registered unlisted or replaced by a later registration of their name.
  std::vector<std::unique_ptr<BindingFunctionInfo>> unlistedFunctions_;
  // Types replaced by a later AddType of their name.
  std::vector<std::unique_ptr<BindingTypeInfo>> retiredTypes_;
  bool initialized_ = false;
};

}  // namespace Zarn
