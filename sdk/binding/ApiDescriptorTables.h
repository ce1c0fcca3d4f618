// The descriptor arrays that describe a registry's functions, types and events to the host, and
// the object that owns them.
#pragma once

#include <cstdint>
#include <vector>

#include "sdk/binding/ApiRecords.h"
#include "sdk/binding/BindingRegistry.h"

namespace Zarn {

// The descriptor code of a type code: 1 to 19 unchanged, anything else 0.
[[nodiscard]] std::uint32_t ToApiTypeCode(BindingTypeCode code) noexcept;

// Owns the arrays that BuildApiDescriptorTables makes (hook-allocated) and frees them on
// Release and destruction. The texts they point at belong to the registry: the tables stay
// valid as long as the registry is not changed and this object keeps them.
class ApiDescriptorTables {
 public:
  ApiDescriptorTables() = default;
  ApiDescriptorTables(const ApiDescriptorTables&) = delete;
  ApiDescriptorTables& operator=(const ApiDescriptorTables&) = delete;
  ~ApiDescriptorTables() { Release(); }

  // Frees every array; the snapshot becomes all zero.
  void Release() noexcept;
  // First record and count of each array; all zero before a build.
  [[nodiscard]] const ApiRegistrySnapshot& Snapshot() const noexcept { return snapshot_; }

 private:
  friend bool BuildApiDescriptorTables(ApiDescriptorTables& owner,
                                       const std::vector<BindingFunctionInfo*>& functions,
                                       const std::vector<BindingTypeInfo*>& types,
                                       const std::vector<BindingEventInfo*>& events);

  // A zeroed hook-allocated array of `count` records, owned by this object; null when `count`
  // is 0. Sets `failed_` when memory ran out.
  template <typename T>
  T* Allocate(std::size_t count);

  std::vector<void*> blocks_;
  ApiRegistrySnapshot snapshot_{};
  bool failed_ = false;
};

// Builds the descriptors of the given table copies (BindingRegistry::GetFunctions, GetTypes,
// GetEvents) into `owner`, replacing what it held; records keep the order of the copies.
// Returns false, with `owner` empty, when memory ran out.
[[nodiscard]] bool BuildApiDescriptorTables(ApiDescriptorTables& owner,
                                            const std::vector<BindingFunctionInfo*>& functions,
                                            const std::vector<BindingTypeInfo*>& types,
                                            const std::vector<BindingEventInfo*>& events);

}  // namespace Zarn
