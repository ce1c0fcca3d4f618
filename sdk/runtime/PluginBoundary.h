// The C boundary between the host and the plugin runtime: the handshake record of the export,
// the record and function table that the host hands to the initialize entry, the plugin's three
// C entries, and the event record of publications and deliveries.
//
// Every record is plain C with 32-bit words in the shipping (i386) build; the static_asserts at
// the end pin that layout. Pointers keep their native width elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdk/base/BoundaryRecords.h"
#include "sdk/binding/ApiRecords.h"

namespace Zarn {

struct PluginEntryPoints;

// The handshake record. The host owns it and fills words 0 to 2 with its core's plugin API
// version; a plugin that accepts the core overwrites the whole record, one that refuses leaves
// it untouched.
struct PluginLoadResult {
  uint32_t major;
  uint32_t minor;
  uint32_t patch;
  // Reply: the plugin's C entries; they live as long as the plugin object.
  const PluginEntryPoints* entryPoints;
  // Reply: the plugin object, passed back as the first argument of every C entry.
  void* plugin;
  // Reply: the plugin's short name, NUL-terminated, owned by the plugin object.
  const char* shortName;
  // Reply: the registry description, owned by the plugin object.
  const ApiRegistrySnapshot* snapshot;
};

// The export's signature.
typedef void (*PluginLoadFunction)(PluginLoadResult* record);

// An event as the host delivers it to a subscription callback and as the plugin hands it to the
// publish slot. Publications leave `userData` unset.
struct PluginHostEvent {
  const char* name;  // NUL-terminated
  ApiObject payload;
  uint32_t flag;   // publication flag; not read on delivery
  void* userData;  // delivery: the user data given when subscribing
};

typedef void (*PluginEventCallback)(PluginHostEvent* event);
typedef void (*PluginScheduledCallback)(void* context);

// The host's function table. Every slot takes the table's own address first.
struct PluginHostApi {
  // 0: a request to the core or a sibling plugin; fills `reply` before returning.
  uint32_t (*sendCoreRequest)(PluginHostApi* api, ApiCallResult* reply,
                              const ApiCallRequest* request);
  // 1: an operation the runtime only forwards.
  uint32_t (*hostOp1)(PluginHostApi* api, uint32_t first, uint32_t second);
  // 2: publishes an event; the record and its payload stay the plugin's.
  void (*publishEvent)(PluginHostApi* api, const PluginHostEvent* event);
  // 3: subscribes `callback` to the events of `name`; `userData` comes back in each delivery.
  void (*subscribe)(PluginHostApi* api, const char* name, uint32_t hostContext,
                    PluginEventCallback callback, void* userData, uint32_t flag);
  // 4: drops the subscription of (`name`, `hostContext`).
  void (*unsubscribe)(PluginHostApi* api, const char* name, uint32_t hostContext);
  // 5: calls `callback(context)` after `delaySeconds`; `reserved` is always 0.
  void (*scheduleCallback)(PluginHostApi* api, const char* label, PluginScheduledCallback callback,
                           void* context, double delaySeconds, uint32_t reserved);
  // 6: lets the host run pending work while the plugin waits.
  void (*yield)(PluginHostApi* api);
  // 7 and 8: bracket a wait.
  void (*beginWait)(PluginHostApi* api, const char* label, int32_t value);
  uint64_t (*endWait)(PluginHostApi* api);
  // 9: one log line: its level and its printf-formatted message.
  void (*writeLog)(PluginHostApi* api, uint32_t level, const char* message);
};

// What the host passes to the initialize entry; the plugin keeps the pointer.
struct PluginHostInit {
  PluginHostApi* api;
  uint32_t hostContext;
};

typedef bool (*PluginInitializeEntry)(void* plugin, PluginHostInit* init);
typedef void (*PluginShutdownEntry)(void* plugin);
// Does not read `plugin`, so the host may call it with null at any time, also after shutdown.
typedef void (*PluginMemoryStatsEntry)(void* plugin, MemoryStats* stats);

struct PluginEntryPoints {
  PluginInitializeEntry initialize;
  PluginShutdownEntry shutdown;
  PluginMemoryStatsEntry memoryStats;
};

}  // namespace Zarn

#if defined(__i386__)
namespace Zarn {
static_assert(sizeof(PluginLoadResult) == 28);
static_assert(offsetof(PluginLoadResult, entryPoints) == 12);
static_assert(offsetof(PluginLoadResult, plugin) == 16);
static_assert(offsetof(PluginLoadResult, shortName) == 20);
static_assert(offsetof(PluginLoadResult, snapshot) == 24);
static_assert(sizeof(PluginHostEvent) == 24);
static_assert(offsetof(PluginHostEvent, payload) == 4);
static_assert(offsetof(PluginHostEvent, flag) == 16);
static_assert(offsetof(PluginHostEvent, userData) == 20);
static_assert(sizeof(PluginHostApi) == 40);
static_assert(offsetof(PluginHostApi, writeLog) == 36);
static_assert(sizeof(PluginHostInit) == 8);
static_assert(offsetof(PluginHostInit, hostContext) == 4);
static_assert(sizeof(PluginEntryPoints) == 12);
static_assert(sizeof(bool) == 1);
}  // namespace Zarn
#endif
