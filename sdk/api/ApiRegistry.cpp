#include "sdk/api/ApiRegistry.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string_view>

#include "sdk/base/Fnv1a.h"

namespace Zarn {

std::size_t ApiRegistry::AddressHash::operator()(
    const BindingFunctionInfo* function) const noexcept {
  const auto address = reinterpret_cast<std::uintptr_t>(function);
  char bytes[sizeof(address)];
  std::memcpy(bytes, &address, sizeof(address));
  return Fnv1a32(std::string_view(bytes, sizeof(bytes)));
}

ApiRegistry::ApiRegistry() { Initialize(); }

ApiRegistry::~ApiRegistry() {
  Clear();
  ReleaseSnapshot();
}

ApiFunctionRecord* ApiRegistry::Find(const BindingFunctionInfo* function) const {
  const std::lock_guard<std::mutex> lock(recordsMutex_);
  const auto found = records_.find(function);
  return found == records_.end() ? nullptr : found->second.get();
}

ApiFunctionRecord* ApiRegistry::AddFunction(BindingFunctionInfo* function) {
  auto record = std::make_unique<ApiFunctionRecord>();
  record->function = function;
  if (function != nullptr) record->argumentSources.resize(function->arguments.size());
  ApiFunctionRecord* added = record.get();
  const std::lock_guard<std::mutex> lock(recordsMutex_);
  records_.insert_or_assign(function, std::move(record));
  return added;
}

std::vector<std::pair<BindingFunctionInfo*, ApiFunctionRecord*>> ApiRegistry::CopyEntries() const {
  const std::lock_guard<std::mutex> lock(recordsMutex_);
  std::vector<std::pair<BindingFunctionInfo*, ApiFunctionRecord*>> entries;
  entries.reserve(records_.size());
  for (const auto& [function, record] : records_)
    entries.emplace_back(record->function, record.get());
  return entries;
}

void ApiRegistry::Clear() {
  decltype(records_) removed;
  {
    const std::lock_guard<std::mutex> lock(recordsMutex_);
    removed.swap(records_);
  }
  for (auto& [function, record] : removed) {
    record->handler.reset();
    if (record->function != nullptr) RemoveFunction(record->function);
  }
  // A record made later may take a removed one's address: its pattern is compiled afresh.
  for (auto& [name, userData] : userData_) userData.record = nullptr;
  for (UserDataMap::node_type& retired : retiredUserData_) retired.mapped().record = nullptr;
}

void ApiRegistry::ReleaseSnapshot() noexcept {
  tables_.Release();
  routes_.clear();
  routeStorage_.clear();
}

ApiRegistrySnapshot ApiRegistry::BuildSnapshot() {
  ReleaseSnapshot();
  if (!BuildApiDescriptorTables(tables_, GetFunctions(), GetTypes(), GetEvents())) return {};
  ApiRegistrySnapshot snapshot = tables_.Snapshot();

  // Records by function name; a function without a descriptor keeps zeroes in its copy.
  std::map<std::string_view, ApiFunctionRecord*> byName;
  for (const auto& [function, record] : CopyEntries()) {
    if (function != nullptr) byName.emplace(function->name, record);
  }
  std::unordered_map<std::string_view, const ApiFunctionDescriptor*, Fnv1aStringHash> descriptors;
  for (const ApiFunctionDescriptor* descriptor = snapshot.functions; descriptor != nullptr;
       descriptor = descriptor->next) {
    const char* name = descriptor->name;  // copied: the record is packed
    if (name != nullptr) descriptors.emplace(name, descriptor);
  }

  routes_.assign(byName.size(), ApiRouteDescriptor{});
  routeStorage_.resize(byName.size());
  std::size_t index = 0;
  for (const auto& [name, record] : byName) {
    ApiRouteDescriptor& route = routes_[index];
    RouteStorage& storage = routeStorage_[index];
    const auto descriptor = descriptors.find(name);
    if (descriptor != descriptors.end()) route.function = *descriptor->second;

    storage.sources.resize(record->argumentSources.size());
    for (std::size_t i = 0; i < storage.sources.size(); ++i) {
      const auto source = static_cast<std::uint32_t>(record->argumentSources[i]);
      storage.sources[i].source = source >= 1 && source <= 5 ? source : 0;
      storage.sources[i].next = i + 1 < storage.sources.size() ? &storage.sources[i + 1] : nullptr;
    }
    storage.strings.resize(record->extraLists.size());
    storage.lists.resize(record->extraLists.size());
    for (std::size_t i = 0; i < storage.lists.size(); ++i) {
      for (const std::string& text : record->extraLists[i]) {
        storage.strings[i].push_back(text.c_str());
      }
      storage.lists[i].strings = storage.strings[i].data();
      storage.lists[i].count = static_cast<std::uint32_t>(storage.strings[i].size());
      storage.lists[i].next = i + 1 < storage.lists.size() ? &storage.lists[i + 1] : nullptr;
    }

    route.callEntry = &ApiRegistry::CallFunctionEntry;
    route.argumentSources = storage.sources.empty() ? nullptr : storage.sources.data();
    const auto method = static_cast<std::uint32_t>(record->method);
    route.method = method >= 1 && method <= 8 ? method : 0;
    route.extraFlag = record->extraFlag;
    route.stringLists = storage.lists.empty() ? nullptr : storage.lists.data();
    route.stringListCount = static_cast<std::uint32_t>(storage.lists.size());
    route.methodName = record->methodName.c_str();

    // A call running meanwhile reads the pattern and views its names, and a host may still read
    // the template of an older descriptor: both are kept once per record and template, and user
    // data either may hold is never written over.
    auto found = userData_.find(name);
    if (found != userData_.end() && found->second.pattern &&
        found->second.routeTemplate != record->routeTemplate) {
      retiredUserData_.push_back(userData_.extract(found));
      found = userData_.end();
    }
    if (found == userData_.end()) found = userData_.try_emplace(std::string(name)).first;
    RouteUserData& userData = found->second;
    if (!userData.pattern) userData.routeTemplate = record->routeTemplate;
    if (userData.record != record || !userData.pattern) {
      userData.registry = this;
      userData.record = record;
      userData.pattern.emplace(
          record->function, record,
          userData.routeTemplate.empty() ? name : std::string_view(userData.routeTemplate));
    }
    route.routeTemplate = userData.routeTemplate.c_str();
    route.function.userData = &userData;
    route.function.next = index + 1 < routes_.size() ? &routes_[index + 1].function : nullptr;
    ++index;
  }

  snapshot.functions = routes_.empty() ? nullptr : &routes_.front().function;
  snapshot.functionCount = static_cast<std::uint32_t>(routes_.size());
  return snapshot;
}

}  // namespace Zarn
