// The plugin's registry of callable functions: a binding registry that also keeps, for each
// function the plugin serves, its request handler, route and argument sources; describes itself
// to the host; and answers the host's calls of its routes.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdk/api/ApiFunctionRecord.h"
#include "sdk/api/CallGate.h"
#include "sdk/api/FunctionBuilder.h"
#include "sdk/api/RoutePattern.h"
#include "sdk/base/Fnv1a.h"
#include "sdk/binding/ApiDescriptorTables.h"
#include "sdk/binding/ApiRecords.h"
#include "sdk/binding/BindingRegistry.h"

namespace Zarn {

class ApiRegistry;
class BindingHttpResult;

// What a route descriptor's user-data word points to. `routeTemplate` is the record's route as it
// stood when a snapshot that holds the record was built, and the descriptor's template text; the
// pattern is compiled from it (from the function's name when it is empty). A later build whose
// template is the same leaves both in place, since a call or the host may be reading them; one
// whose template changed gives the function new user data and keeps the old until the registry
// goes, for the calls that began before and the descriptors built before. After Clear the record
// is null.
struct RouteUserData {
  ApiRegistry* registry = nullptr;
  ApiFunctionRecord* record = nullptr;
  std::string routeTemplate;
  std::optional<RoutePattern> pattern;
};

class ApiRegistry : public BindingRegistry {
 public:
  // Already holds the built-in types and the "OnCallback" event.
  ApiRegistry();
  ~ApiRegistry() override;

  // Declares the function `name` (BindingRegistry::DefineFunction) and, unless it is served
  // already, gives it a record with a request handler holding a copy of `handler`. The builder
  // is inert when the record existed. Defined in sdk/api/DefineFunction.h.
  template <typename R, typename... Args>
  FunctionBuilder DefineFunction(const char* name, const std::function<R(Args...)>& handler);

  // The record of `function`, or null.
  [[nodiscard]] ApiFunctionRecord* Find(const BindingFunctionInfo* function) const;
  // A new record for `function`, with one ArgumentSource::Any per argument. Call only after Find
  // gave null. Valid until Clear.
  ApiFunctionRecord* AddFunction(BindingFunctionInfo* function);
  // The records, as pairs of function and record, in no particular order.
  [[nodiscard]] std::vector<std::pair<BindingFunctionInfo*, ApiFunctionRecord*>> CopyEntries()
      const;
  // Removes every record with its handler, and each record's function from the binding
  // registry. Teardown only: it frees what a running call reads, so no call may be in progress.
  // A call made later through a route of an earlier snapshot answers 404 "Invalid function".
  void Clear();

  // Describes the registry to the host: the type and event descriptors, with the function pair
  // replaced by one route descriptor per served function. Everything it points to belongs to
  // this registry and stays valid until the next build or the registry's destruction; the user
  // data of a function, and the route template text it holds, keep their address across builds
  // while the route stays the same, and stay valid until the registry's destruction, also when
  // the record's route changes. All zero when memory ran out.
  [[nodiscard]] ApiRegistrySnapshot BuildSnapshot();

  // The gate route calls pass (sdk/api/CallGate.h); not owned, null for none. It must outlive
  // every call of a route.
  void SetCallGate(CallGate* gate) { callGate_ = gate; }

  // The C entry that every route descriptor carries: matches `request` against the route that
  // its user data names, binds the arguments, runs the handler and fills `reply`. Never throws.
  // Under a gate, a call the gate refuses answers its refusal unrun, and the answer of a call
  // stopped while it ran is replaced by what the gate gives.
  static void CallFunctionEntry(ApiCallResult* reply, const ApiCallRequest* request) noexcept;
  // Releases what `reply` held, then answers `request` through `pattern`.
  static void Dispatch(ApiCallResult& reply, const ApiCallRequest& request,
                       const RoutePattern& pattern);
  // Fills `reply` (released before) from `result`, taking its stream over. `registry` (may be
  // null) names enum values.
  static void WriteReply(ApiCallResult& reply, BindingHttpResult& result,
                         const BindingRegistry* registry);
  // Frees what WriteReply allocated and zeroes the record; the stream is left to the host's
  // release entry. Null and a zeroed record are harmless.
  static void ReleaseReply(ApiCallResult* reply) noexcept;

 private:
  struct AddressHash {
    std::size_t operator()(const BindingFunctionInfo* function) const noexcept;
  };
  // What one route descriptor's lists point to.
  struct RouteStorage {
    std::vector<ApiArgumentSourceNode> sources;
    std::vector<ApiStringListNode> lists;
    std::vector<std::vector<const char*>> strings;  // one array per list
  };

  void ReleaseSnapshot() noexcept;

  std::unordered_map<const BindingFunctionInfo*, std::unique_ptr<ApiFunctionRecord>, AddressHash>
      records_;
  mutable std::mutex recordsMutex_;
  using UserDataMap =
      std::unordered_map<std::string, RouteUserData, Fnv1aStringHash, std::equal_to<>>;
  UserDataMap userData_;
  // User data a changed route replaced, still read by the calls that began before.
  std::vector<UserDataMap::node_type> retiredUserData_;
  ApiDescriptorTables tables_;
  std::vector<ApiRouteDescriptor> routes_;
  std::vector<RouteStorage> routeStorage_;
  CallGate* callGate_ = nullptr;
};

}  // namespace Zarn
