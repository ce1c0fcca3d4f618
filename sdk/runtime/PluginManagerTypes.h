// The records that the host core's plugin manager exchanges with every plugin: resource events,
// legacy-platform (LCDS) messages and replies, and service-proxy replies. Every plugin registers
// them, and the five events that carry them, in its own registry.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {

class BindingRegistry;
namespace Client {
class AppModule;
}

enum class PluginManagerState : int32_t {
  NotReady = 0,
  PluginsInitialized = 1,
};

struct PluginManagerResource {
  PluginManagerState state = PluginManagerState::NotReady;
};

enum class PluginResourceEventType : int32_t {
  Create = 0,
  Update = 1,
  Delete = 2,
};

// A resource event, registered as "PluginResourceEvent".
struct Resource {
  std::string uri;
  PluginResourceEventType eventType = PluginResourceEventType::Create;
  BindingProperty data;
};

// A message that arrived over the legacy platform's connection.
struct PluginLcdsEvent {
  std::string clientId;
  std::string subtopic;
  std::string typeName;
  BindingProperty body;
};

struct PluginLcdsResponse {
  std::string typeName;
  BindingProperty body;
};

// A service-proxy reply or message; `payload` is JSON text.
struct PluginServiceProxyResponse {
  std::string uuid;
  std::string serviceName;
  std::string methodName;
  std::string payload;
  std::string status;
  std::string error;
};

// Makes `registry` the module's registry, then registers the seven types and the five events,
// each tagged "kvelnor", into it. Types and events already registered keep their first
// registration. `registry` must outlive the module's use of it.
void RegisterPluginManagerTypes(Client::AppModule& module, BindingRegistry& registry);

}  // namespace Zarn

ZARN_TYPE_ID(Zarn::PluginManagerState, 0xF4E3B901u);
ZARN_TYPE_ID(Zarn::PluginManagerResource, 0xFA58397Cu);
ZARN_TYPE_ID(Zarn::PluginResourceEventType, 0xDC24D2ADu);
ZARN_TYPE_ID(Zarn::Resource, 0x063574ADu);
ZARN_TYPE_ID(Zarn::PluginLcdsEvent, 0x739F2EF4u);
ZARN_TYPE_ID(Zarn::PluginLcdsResponse, 0xF4476A4Fu);
ZARN_TYPE_ID(Zarn::PluginServiceProxyResponse, 0x2C5E7588u);
ZARN_STATIC_TYPE_NAME(Zarn::Resource, "struct Zarn::Resource");
