#include "sdk/runtime/PluginManagerTypes.h"

#include <cstddef>

#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/TypeRegistry.h"
#include "sdk/runtime/AppModule.h"

namespace Zarn {

namespace {

constexpr const char* kTag = "kvelnor";

template <typename T>
BindingTypeBuilder RegisterEnum(BindingRegistry& registry, const char* name,
                                std::initializer_list<std::pair<const char*, int32_t>> values) {
  BindingTypeBuilder builder = registry.RegisterType(sizeof(T), name, TypeId<T>(), true);
  if (!builder.Exists()) {
    for (const auto& [valueName, value] : values) builder.AddEnumValue(valueName, value, "");
  }
  builder.AddTag(kTag);
  return builder;
}

template <typename T>
TypeRegistry RegisterRecord(BindingRegistry& registry, const char* name) {
  return TypeRegistry(registry.RegisterType(sizeof(T), name, TypeId<T>(), false));
}

void RegisterEvent(BindingRegistry& registry, const char* name, BindingTypeInfo* payload,
                   const char* description) {
  registry.RegisterEvent(name, payload).SetDescription(description).AddTag(kTag);
}

}  // namespace

void RegisterPluginManagerTypes(Client::AppModule& module, BindingRegistry& registry) {
  module.SetRegistry(&registry);

  RegisterEnum<PluginManagerState>(registry, "PluginManagerState",
                                   {{"NotReady", 0}, {"PluginsInitialized", 1}});
  RegisterRecord<PluginManagerResource>(registry, "PluginManagerResource")
      .AddMember<PluginManagerState>("state", offsetof(PluginManagerResource, state), "")
      .Builder()
      .AddTag(kTag);
  RegisterEnum<PluginResourceEventType>(registry, "PluginResourceEventType",
                                        {{"Create", 0}, {"Update", 1}, {"Delete", 2}});
  BindingTypeInfo* resource =
      RegisterRecord<Resource>(registry, "PluginResourceEvent")
          .AddMember<std::string>("uri", offsetof(Resource, uri), "")
          .AddMember<PluginResourceEventType>("eventType", offsetof(Resource, eventType), "")
          .AddMember<BindingProperty>("data", offsetof(Resource, data), "")
          .Builder()
          .AddTag(kTag)
          .Type();
  BindingTypeInfo* lcdsEvent =
      RegisterRecord<PluginLcdsEvent>(registry, "PluginLcdsEvent")
          .AddMember<std::string>("clientId", offsetof(PluginLcdsEvent, clientId), "")
          .AddMember<std::string>("subtopic", offsetof(PluginLcdsEvent, subtopic), "")
          .AddMember<std::string>("typeName", offsetof(PluginLcdsEvent, typeName), "")
          .AddMember<BindingProperty>("body", offsetof(PluginLcdsEvent, body), "")
          .Builder()
          .AddTag(kTag)
          .Type();
  RegisterRecord<PluginLcdsResponse>(registry, "PluginLcdsResponse")
      .AddMember<std::string>("typeName", offsetof(PluginLcdsResponse, typeName), "")
      .AddMember<BindingProperty>("body", offsetof(PluginLcdsResponse, body), "")
      .Builder()
      .AddTag(kTag);
  using Reply = PluginServiceProxyResponse;
  BindingTypeInfo* serviceProxy =
      RegisterRecord<Reply>(registry, "PluginServiceProxyResponse")
          .AddMember<std::string>("uuid", offsetof(Reply, uuid), "")
          .AddMember<std::string>("serviceName", offsetof(Reply, serviceName), "")
          .AddMember<std::string>("methodName", offsetof(Reply, methodName), "")
          .AddMember<std::string>("payload", offsetof(Reply, payload), "")
          .AddMember<std::string>("status", offsetof(Reply, status), "")
          .AddMember<std::string>("error", offsetof(Reply, error), "")
          .Builder()
          .AddTag(kTag)
          .Type();

  RegisterEvent(registry, "OnJsonApiEvent", resource, "Fired when a resource is changed.");
  RegisterEvent(registry, "OnLcdsEvent", lcdsEvent,
                "Fired when a message is received over the LCDS connection.");
  RegisterEvent(registry, "OnServiceProxyUuidEvent", serviceProxy,
                "Fired when a uuid-based service proxy message is received.");
  RegisterEvent(registry, "OnServiceProxyMethodEvent", serviceProxy,
                "Fired when a method-based service proxy message is received.");
  RegisterEvent(registry, "OnServiceProxyAsyncEvent", serviceProxy,
                "Fired when an async service proxy message is received.");
}

}  // namespace Zarn
