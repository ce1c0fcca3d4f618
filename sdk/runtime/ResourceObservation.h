// Observing other components' REST resources: a handler that sees the resource's value, read into
// a native type, at once (for an exact path) and at every later change.
#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "sdk/binding/FieldConverter.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client {

// What a typed observer receives. `value` stays default-made for a Delete.
template <typename T>
struct ResourceUpdate {
  std::string uri;  // the event's path; for a wildcard observer, the concrete path that matched
  PluginResourceEventType eventType = PluginResourceEventType::Create;
  T value{};
};

// The handler stored in an observer table: converts each resource event's value into T and calls
// the typed handler. An event whose value does not convert reaches no handler.
template <typename T>
class TypedResourceObserver {
 public:
  using Handler = std::function<void(const ResourceUpdate<T>&)>;

  // `source` (the module) must outlive the observer; `handler` must be callable.
  TypedResourceObserver(const EventSource* source, Handler handler)
      : source_(source), handler_(std::move(handler)) {}

  void OnUpdate(const Resource& resource) const {
    ResourceUpdate<T> update;
    update.uri = resource.uri;
    update.eventType = resource.eventType;
    if (resource.eventType != PluginResourceEventType::Delete &&
        !Convert(resource.data, update.value)) {
      return;
    }
    handler_(update);
  }
  void operator()(const Resource& resource) const { OnUpdate(resource); }

 private:
  bool Convert(const BindingProperty& data, T& value) const {
    const BindingRegistry& registry = RegistryOrEmpty(source_->ObservationRegistry());
    BindingResult result;
    if constexpr (std::is_same_v<T, float>) {
      double wide = 0;
      ValueCodec<double>::Read(result, wide, data, BindingConvert::kValueName, nullptr, registry,
                               0);
      value = static_cast<float>(wide);
    } else {
      ValueCodec<T>::Read(result, value, data, BindingConvert::kValueName,
                          LookupValueType<T>(registry), registry, 0);
    }
    return result.IsOk();
  }

  const EventSource* source_;
  Handler handler_;
};

template <typename T>
void AppModule::ObserveResource(const std::string& path,
                                std::function<void(const ResourceUpdate<T>&)> handler) {
  const bool wildcard = path.find('*') != std::string::npos;
  NameTable<ResourceHandler>& table = wildcard ? wildcardObservers_ : exactObservers_;
  table[path] = TypedResourceObserver<T>(this, std::move(handler));
  SubscribeEvent(path);
  if (wildcard || observerOwner_ == nullptr) return;
  MaybeType<Failure, BindingProperty> current =
      observerOwner_->Request<BindingProperty>(HttpMethod::Get, path);
  // A failed read is silent: the observation stays and later events arrive as usual.
  if (current.IsFailure()) return;
  // Only the handler now stored under the path sees the present value; the request may have let
  // the host call in, so it is looked up again and copied before the call.
  auto it = exactObservers_.find(path);
  if (it == exactObservers_.end()) return;
  const ResourceHandler observer = it->second;
  observer(Resource{path, PluginResourceEventType::Create, std::move(current).Value()});
}

template <typename Object>
void AppModule::ObserveResource(const std::string& path, Object* object,
                                void (Object::*member)(const ResourceUpdate<BindingProperty>&)) {
  ObserveResource<BindingProperty>(path,
                                   [object, member](const ResourceUpdate<BindingProperty>& update) {
                                     (object->*member)(update);
                                   });
}

}  // namespace Zarn::Client
