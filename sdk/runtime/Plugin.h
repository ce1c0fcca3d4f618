// The plugin base: binds the module's host operations to the host's function table, owns the
// plugin's names, API registry and log target, and provides the three C entries the host calls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sdk/api/ApiBinder.h"
#include "sdk/api/ApiRegistry.h"
#include "sdk/binding/PluginTypeDeclaration.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/PluginApiVersion.h"
#include "sdk/runtime/PluginInfo.h"
#include "sdk/runtime/PluginLogTarget.h"

namespace Zarn::Client {

class Plugin : public AppModule {
 public:
  // Takes a reference on the logging state, creates the API registry and fills the entry table.
  Plugin();
  // Deletes the registry, the names and the log target, then releases the logging state.
  ~Plugin() override;

  // Runs the module's shutdown.
  void Shutdown() override;
  // The module's gate, which the routes of the plugin's registry pass too.
  void SetCallGate(CallGate* gate) override;

  // Each forwards to its slot of the host table, passing the table first and handing the result
  // back unchanged. Before initialize there is no table: they do nothing and give 0.
  uint32_t SendCoreRequest(ApiCallResult* reply, const ApiCallRequest* request) override;
  uint32_t HostOp1(uint32_t first, uint32_t second) override;
  void PublishHostEvent(const PluginHostEvent* event) override;
  void SubscribeHostEvent(const char* name, uint32_t hostContext, PluginEventCallback callback,
                          void* userData, uint32_t flag) override;
  void UnsubscribeHostEvent(const char* name, uint32_t hostContext) override;
  void ScheduleHostCallback(const char* label, PluginScheduledCallback callback, void* context,
                            double delaySeconds, uint32_t reserved) override;
  void YieldToHost() override;
  void BeginWait(const char* label, int32_t value) override;
  uint64_t EndWait() override;

  // Registers the plugin's own types, functions and routes; called once by the loader.
  virtual void OnRegisterApi();
  // Starts the plugin; its result is the initialize entry's.
  virtual bool OnStart();

  // The initialize sequence: keeps `init` (which must outlive the plugin), installs the log
  // target that forwards to the host unless one is attached already, sets the user agent, sets
  // up the module and ends with OnStart.
  bool Initialize(PluginHostInit* init);

  // Declare a REST route of this plugin (tagged with its help categories) served by the member
  // function `method` of `object`, which must outlive the API registry. The returned builder
  // names the handler's arguments.
  template <typename Object, typename Class, typename R, typename... Args>
  FunctionBuilder BindPost(const char* path, Object* object, R (Class::*method)(Args...)) {
    return ApiBinder::Post(Registrar(), path, WrapMember(object, method));
  }
  template <typename Object, typename Class, typename R, typename... Args>
  FunctionBuilder BindPut(const char* path, Object* object, R (Class::*method)(Args...)) {
    return ApiBinder::Put(Registrar(), path, WrapMember(object, method));
  }
  template <typename Object, typename Class, typename R, typename... Args>
  FunctionBuilder BindDelete(const char* path, Object* object, R (Class::*method)(Args...)) {
    return ApiBinder::Delete(Registrar(), path, WrapMember(object, method));
  }
  // The same for a GET route served by `function`.
  template <typename R, typename... Args>
  FunctionBuilder BindGet(const char* path, const std::function<R(Args...)>& function) {
    return ApiBinder::Get(Registrar(), path, function);
  }

  [[nodiscard]] ApiRegistry& GetRegistry() { return *apiRegistry_; }
  [[nodiscard]] const PluginEntryPoints* EntryPoints() const { return &entryPoints_; }
  [[nodiscard]] const PluginApiVersion& CoreApiVersion() const { return coreApiVersion_; }
  [[nodiscard]] const PluginInfo& Info() const { return info_; }
  [[nodiscard]] const std::string& CamelCaseName() const { return camelCaseName_; }
  [[nodiscard]] const std::vector<std::string>& HelpCategories() const { return helpCategories_; }
  [[nodiscard]] const ApiRegistrySnapshot& Snapshot() const { return snapshot_; }
  [[nodiscard]] const PluginLogTarget* LogTargetForHost() const { return logTarget_.get(); }

  // The C entries. `plugin` is the object the loader handed to the host. No exception leaves
  // them: one is logged as an error (initialize then answers false).
  static bool InitializeEntry(void* plugin, PluginHostInit* init) noexcept;
  static void ShutdownEntry(void* plugin) noexcept;

 private:
  friend bool LoadPlugin(Plugin* plugin, PluginLoadResult* record, const char* shortName);

  [[nodiscard]] ApiRegistrar Registrar() {
    return ApiRegistrar{apiRegistry_.get(), helpCategories_};
  }

  // A function of the member's signature that calls it on `object` and returns its result.
  template <typename Object, typename Class, typename R, typename... Args>
  static std::function<R(Args...)> WrapMember(Object* object, R (Class::*method)(Args...)) {
    Class* target = object;
    return [target, method](Args... args) -> R {
      return (target->*method)(std::forward<Args>(args)...);
    };
  }

  [[nodiscard]] PluginHostApi* Api() const {
    return hostInit_ != nullptr ? hostInit_->api : nullptr;
  }

  PluginApiVersion coreApiVersion_;
  std::unique_ptr<PluginLogTarget> logTarget_;
  PluginInfo info_;
  std::string camelCaseName_;
  std::vector<std::string> helpCategories_;
  std::unique_ptr<ApiRegistry> apiRegistry_;
  PluginHostInit* hostInit_ = nullptr;
  PluginEntryPoints entryPoints_{};
  ApiRegistrySnapshot snapshot_{};
};

template <typename T>
BindingTypeBuilder AppModule::DeclareType(Plugin& plugin, std::string_view typeName) {
  return DeclarePluginType<T>(plugin.GetRegistry(), plugin.CamelCaseName(), plugin.HelpCategories(),
                              typeName);
}

}  // namespace Zarn::Client
