#include "sdk/runtime/Plugin.h"

#include <exception>
#include <optional>

#include "sdk/base/BoundaryRecords.h"
#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/base/MemoryStatsEntry.h"

namespace Zarn::Client {

namespace {

void LogEntryFailure(const char* entry, const char* what) noexcept {
  LogPrintf(kLogLevelError, 1, 0, "%s failed: %s", entry, what);
}

}  // namespace

Plugin::Plugin() {
  LogApi::GetTable()->Init();
  apiRegistry_ = std::make_unique<ApiRegistry>();
  entryPoints_.initialize = &InitializeEntry;
  entryPoints_.shutdown = &ShutdownEntry;
  entryPoints_.memoryStats = &PluginEntry::GetMemoryStats;
}

Plugin::~Plugin() {
  apiRegistry_.reset();
  helpCategories_.clear();
  camelCaseName_.clear();
  info_ = PluginInfo{};
  logTarget_.reset();
  LogApi::GetTable()->Shutdown();
}

void Plugin::Shutdown() { AppModule::Shutdown(); }

void Plugin::SetCallGate(CallGate* gate) {
  AppModule::SetCallGate(gate);
  if (apiRegistry_ != nullptr) apiRegistry_->SetCallGate(gate);
}

uint32_t Plugin::SendCoreRequest(ApiCallResult* reply, const ApiCallRequest* request) {
  PluginHostApi* api = Api();
  return api != nullptr ? api->sendCoreRequest(api, reply, request) : 0;
}

uint32_t Plugin::HostOp1(uint32_t first, uint32_t second) {
  PluginHostApi* api = Api();
  return api != nullptr ? api->hostOp1(api, first, second) : 0;
}

void Plugin::PublishHostEvent(const PluginHostEvent* event) {
  if (PluginHostApi* api = Api()) api->publishEvent(api, event);
}

void Plugin::SubscribeHostEvent(const char* name, uint32_t hostContext,
                                PluginEventCallback callback, void* userData, uint32_t flag) {
  if (PluginHostApi* api = Api()) api->subscribe(api, name, hostContext, callback, userData, flag);
}

void Plugin::UnsubscribeHostEvent(const char* name, uint32_t hostContext) {
  if (PluginHostApi* api = Api()) api->unsubscribe(api, name, hostContext);
}

void Plugin::ScheduleHostCallback(const char* label, PluginScheduledCallback callback,
                                  void* context, double delaySeconds, uint32_t reserved) {
  if (PluginHostApi* api = Api()) {
    api->scheduleCallback(api, label, callback, context, delaySeconds, reserved);
  }
}

void Plugin::YieldToHost() {
  if (PluginHostApi* api = Api()) api->yield(api);
}

void Plugin::BeginWait(const char* label, int32_t value) {
  if (PluginHostApi* api = Api()) api->beginWait(api, label, value);
}

uint64_t Plugin::EndWait() {
  PluginHostApi* api = Api();
  return api != nullptr ? api->endWait(api) : 0;
}

void Plugin::OnRegisterApi() {}

bool Plugin::OnStart() { return true; }

bool Plugin::Initialize(PluginHostInit* init) {
  hostInit_ = init;
  const LogApi* log = LogApi::GetTable();
  if (log->FindTarget("PluginLogTarget") == nullptr) {
    for (LogTargetInterface* builtin :
         {log->GetStdOutTarget(), log->GetStdErrTarget(), log->GetDebuggerTarget()}) {
      if (builtin != nullptr) builtin->Detach(builtin);
    }
    log->SetLevel(0);
    log->SetExcludeMask(4, 0);
    // The new target replaces the one held before, which detaches itself when deleted.
    logTarget_ = std::make_unique<PluginLogTarget>(init->api);
    LogTargetSettings settings;
    settings.level = log->GetLevel();
    settings.format = "#D| #L| #G| #M";
    logTarget_->Configure(settings);
  }
  const std::string userAgent =
      Format("ZarnClient/%1 (%2)", FormatVersion(coreApiVersion_), info_.shortName);
  SetUp(init->hostContext, info_.shortName, userAgent);
  // The start is a host call like any: what it holds runs at its end.
  std::optional<CallGate::HostCall> call;
  if (callGate_ != nullptr) call.emplace(*callGate_, CallGate::Name{"the start", {}});
  return OnStart();
}

bool Plugin::InitializeEntry(void* plugin, PluginHostInit* init) noexcept {
  if (plugin == nullptr || init == nullptr || init->api == nullptr) return false;
  try {
    return static_cast<Plugin*>(plugin)->Initialize(init);
  } catch (const std::exception& e) {
    LogEntryFailure("Plugin initialize", e.what());
  } catch (...) {
    LogEntryFailure("Plugin initialize", "unknown exception");
  }
  return false;
}

void Plugin::ShutdownEntry(void* object) noexcept {
  if (object == nullptr) return;
  auto* plugin = static_cast<Plugin*>(object);
  try {
    plugin->shuttingDown_ = true;
    plugin->Shutdown();
  } catch (const std::exception& e) {
    LogEntryFailure("Plugin shutdown", e.what());
  } catch (...) {
    LogEntryFailure("Plugin shutdown", "unknown exception");
  }
  delete plugin;
}

}  // namespace Zarn::Client
